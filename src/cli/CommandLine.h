// The command line of quorvane-cli:
//   quorvane-cli judge FILE [--sheet N] [--chart xbarr|xbars|xrs]
//                [--limits 3sigma|given|standard --ucl X --lcl Y --rsucl Z] [--index cp|cpk]
//                [--threshold T | --no-threshold] [--rule K=off] [--rule K=N] [--rule K=N/M]
//                [--sigma-within pooled|rbar|sbar] [--target T]
//                [--distribution normal|boxcox|lognormal|weibull|auto] [--format text|json]
//   quorvane-cli report FILE --kind control|histogram|result [--classes N] [--out DIR]
//                [the judge command's options but --format]
//   quorvane-cli convert IN OUT
//   quorvane-cli store init|publish|list|history … --db DB
//   judge and report also read a characteristic's lots from a store in place of FILE:
//                --db DB --characteristic C [--last N | --from DATE --to DATE] [--station NAME],
//                and report all characteristics with new lots: --db DB --all --since 24h|7d
//   quorvane-cli --help | --version
// Options take their value as the next argument or after "=". Every value is checked here,
// rule parameters against the ranges of the rule-settings dialog.
#pragma once
#include "cli/JudgeOptions.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <variant>

namespace cli {

// A command line that cannot be carried out; the message says why, in one line.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// The lots judged or reported, read from a history store instead of a file.
struct StoreSource {
    QString db;             // a libpq URI or the path of an embedded store
    QString characteristic; // "品種/工程/装置/項目" (in a text "\/" stands for "/", "\\" for a backslash)
    std::optional<int> last;
    std::optional<qint64> fromUs, toUs; // local times, both included
    QString station;
    bool all = false;                   // report: every characteristic with lots since `sinceSeconds`
    qint64 sinceSeconds = 0;
};

struct JudgeCommand {
    QString file;
    JudgeOptions options;
    std::optional<StoreSource> store;
};

enum class ReportKind { Control, Histogram, Result };

// The report buttons' workbooks, one per judged sheet, written into a folder.
struct ReportCommand {
    QString file;
    JudgeOptions options;
    ReportKind kind = ReportKind::Control;
    int classes = 10;               // the histogram's class count, 5 to 10
    QString folder = QStringLiteral("."); // an existing folder
    std::optional<StoreSource> store;
};

struct StoreCommand {
    enum class Action { Init, Publish, List, History };
    Action action = Action::List;
    QString db;
    QString file;             // publish
    std::optional<int> sheet; // publish
    QString station, reason;  // publish
    bool allowDefaultNames = false;
    QString characteristic, lot; // history
    OutputFormat format = OutputFormat::Text;
};

struct ConvertCommand {
    QString input;
    QString output;
};

struct HelpCommand {};
struct VersionCommand {};

using Command = std::variant<JudgeCommand, ReportCommand, ConvertCommand, StoreCommand, HelpCommand, VersionCommand>;

// `arguments` without the program name. Throws UsageError.
Command parseCommandLine(const QStringList& arguments);

// The text of --help.
QString usageText();

} // namespace cli
