#include "cli/CommandLine.h"

#include "cli/StoreArguments.h"
#include "model/NumberText.h"
#include "model/RuleTable.h"

#include <QRegularExpression>

#include <functional>
#include <map>

namespace cli {

UsageError::UsageError(const QString& message) : std::runtime_error(message.toStdString()) {}

namespace {

[[noreturn]] void refuse(const QString& message) { throw UsageError(message); }

int choice(const QString& option, const QString& value, const QStringList& choices)
{
    const qsizetype i = choices.indexOf(value);
    if (i < 0) refuse(QStringLiteral("%1 には %2 のいずれかを指定してください: %3").arg(option, choices.join(u'|'), value));
    return int(i);
}

int wholeNumber(const QString& option, const QString& value)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (!digits.match(value).hasMatch()) refuse(QStringLiteral("%1 には整数を指定してください: %2").arg(option, value));
    return value.toInt();
}

int inRange(const QString& what, const QString& value, const model::ParameterRange& range)
{
    const int n = wholeNumber(QStringLiteral("--rule"), value);
    if (!range.contains(n))
        refuse(QStringLiteral("--rule %1 は %2～%3 の範囲で指定してください: %4").arg(what).arg(range.min).arg(range.max).arg(value));
    return n;
}

// "K=off", "K=N" or "K=N/M" into the rule options.
void applyRule(const QString& value, model::RuleOptions& rules)
{
    static const QRegularExpression form(QStringLiteral("^([1-8])=(.+)$"));
    const QRegularExpressionMatch m = form.match(value);
    if (!m.hasMatch()) refuse(QStringLiteral("--rule には K=off、K=N または K=N/M (K は 1～8) を指定してください: %1").arg(value));
    const int rule = m.captured(1).toInt();
    const QString setting = m.captured(2);
    const QString name = QString::number(rule);
    const model::RuleMembers& members = model::ruleMembers(rule);
    if (setting == u"off") {
        rules.*members.flag = false;
        return;
    }
    if (members.parameterCount == 0) refuse(QStringLiteral("--rule %1 に指定できるのは off だけです: %2").arg(name, value));
    const QStringList parts = setting.split(u'/');
    const bool windowed = members.parameterCount == 2;
    if (parts.size() != members.parameterCount)
        refuse(windowed ? QStringLiteral("--rule %1 には %1=N/M (連続する N 点中 M 点) を指定してください: %2").arg(name, value)
                        : QStringLiteral("--rule %1 には %1=N か %1=off を指定してください: %2").arg(name, value));
    if (!windowed) {
        rules.*members.parameters[0].field = inRange(name, parts[0], members.parameters[0].range);
        return;
    }
    const int window = inRange(name + QStringLiteral(" の N"), parts[0], members.parameters[0].range);
    const int count = inRange(name + QStringLiteral(" の M"), parts[1], members.parameters[1].range);
    if (window < count) refuse(QStringLiteral("--rule %1 の N は M 以上にしてください: %2").arg(name, value));
    rules.*members.parameters[0].field = window;
    rules.*members.parameters[1].field = count;
}

QString controlLimit(const QString& option, const QString& value)
{
    if (!model::tryParseNumber(value)) refuse(QStringLiteral("%1 には数値を指定してください: %2").arg(option, value));
    return value;
}

// The threshold field takes digits and one period, at most four characters, and shows the
// number with two decimals once it is left.
QString threshold(const QString& value)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]*\\.?[0-9]*$"));
    const auto v = model::tryParseNumber(value);
    if (!v || !form.match(value).hasMatch() || value.size() > 4)
        refuse(QStringLiteral("--threshold には 4 文字以内の 0 以上の数値を指定してください: %1").arg(value));
    return model::formatFixed(*v, 2);
}

// As usual on the command line: anything that begins with "-" is an option, except "-" alone;
// "--" ends the options, so a file named "-x" is given as "-- -x".
bool isOption(const QString& arg) { return arg.size() > 1 && arg.startsWith(u'-'); }

struct ArgumentReader {
    const QStringList& args;
    qsizetype next = 0;

    bool atEnd() const { return next >= args.size(); }
    // The value of an option: after "=" in the same argument, or the next argument.
    QString value(const QString& option, const std::optional<QString>& inlineValue)
    {
        if (inlineValue) return *inlineValue;
        if (atEnd()) refuse(QStringLiteral("%1 には値が必要です").arg(option));
        return args[next++];
    }
};

using Handler = std::function<void(const QString& option, const std::optional<QString>& inlineValue)>;

// The rest of the command line: each option through its handler, everything else (and all
// after "--") a file, in order.
QStringList readArguments(ArgumentReader& in, const QString& command, const std::map<QString, Handler>& handlers)
{
    QStringList files;
    bool optionsEnded = false;
    while (!in.atEnd()) {
        const QString arg = in.args[in.next++];
        if (optionsEnded || !isOption(arg)) {
            files.append(arg);
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            continue;
        }
        if (!arg.startsWith(QStringLiteral("--"))) refuse(QStringLiteral("%1 に %2 というオプションはありません").arg(command, arg));
        const qsizetype eq = arg.indexOf(u'=');
        const QString option = eq < 0 ? arg : arg.left(eq);
        const auto handler = handlers.find(option);
        if (handler == handlers.end()) refuse(QStringLiteral("%1 に %2 というオプションはありません").arg(command, option));
        handler->second(option, eq < 0 ? std::nullopt : std::optional<QString>(arg.mid(eq + 1)));
    }
    return files;
}

// The judge command's options, and for the report command its own beside them (--format
// left out: a report has no text output to shape). Returns the files named.
QStringList parseSheetOptions(ArgumentReader& in, JudgeOptions& o, std::map<QString, Handler> own, const QString& command)
{
    bool limitValues = false;
    std::map<QString, Handler> handlers{
        {QStringLiteral("--sheet"), [&](auto& opt, auto& v) {
             const int n = wholeNumber(opt, in.value(opt, v));
             if (n < 1) refuse(QStringLiteral("--sheet には 1 以上のシート番号を指定してください: %1").arg(n));
             o.sheet = n;
         }},
        {QStringLiteral("--chart"), [&](auto& opt, auto& v) {
             o.chart = judge::chartKindFromIndex(choice(opt, in.value(opt, v), {QStringLiteral("xbarr"), QStringLiteral("xbars"), QStringLiteral("xrs")}));
         }},
        {QStringLiteral("--limits"), [&](auto& opt, auto& v) {
             o.limitMethod = judge::limitMethodFromIndex(choice(opt, in.value(opt, v), {QStringLiteral("3sigma"), QStringLiteral("given"), QStringLiteral("standard")}));
         }},
        {QStringLiteral("--ucl"), [&](auto& opt, auto& v) { o.ucl = controlLimit(opt, in.value(opt, v)); limitValues = true; }},
        {QStringLiteral("--lcl"), [&](auto& opt, auto& v) { o.lcl = controlLimit(opt, in.value(opt, v)); limitValues = true; }},
        {QStringLiteral("--rsucl"), [&](auto& opt, auto& v) { o.rsUcl = controlLimit(opt, in.value(opt, v)); limitValues = true; }},
        {QStringLiteral("--index"), [&](auto& opt, auto& v) {
             o.capabilityIndex = judge::capabilityIndexFromIndex(choice(opt, in.value(opt, v), {QStringLiteral("cp"), QStringLiteral("cpk")}));
         }},
        {QStringLiteral("--threshold"), [&](auto& opt, auto& v) { o.threshold = threshold(in.value(opt, v)); }},
        {QStringLiteral("--no-threshold"), [&](auto& opt, auto& v) {
             if (v) refuse(QStringLiteral("%1 は値を取りません").arg(opt));
             o.noThreshold = true;
         }},
        {QStringLiteral("--rule"), [&](auto& opt, auto& v) { applyRule(in.value(opt, v), o.rules); }},
        {QStringLiteral("--sigma-within"), [&](auto& opt, auto& v) {
             o.sigmaWithin = judge::sigmaWithinFromIndex(
                 1 + choice(opt, in.value(opt, v), {QStringLiteral("pooled"), QStringLiteral("rbar"), QStringLiteral("sbar")}));
         }},
        {QStringLiteral("--target"), [&](auto& opt, auto& v) {
             const QString value = in.value(opt, v);
             o.target = model::tryParseNumber(value);
             if (!o.target) refuse(QStringLiteral("%1 には数値を指定してください: %2").arg(opt, value));
         }},
        {QStringLiteral("--distribution"), [&](auto& opt, auto& v) {
             o.distribution = judge::distributionFromIndex(
                 choice(opt, in.value(opt, v), {QStringLiteral("normal"), QStringLiteral("boxcox"), QStringLiteral("lognormal"),
                                                QStringLiteral("weibull"), QStringLiteral("auto")}));
         }},
    };
    handlers.merge(own);
    const QStringList files = readArguments(in, command, handlers);
    const bool given = o.limitMethod == judge::LimitMethod::Specified;
    if (given && (o.ucl.isEmpty() || o.lcl.isEmpty() || o.rsUcl.isEmpty()))
        refuse(QStringLiteral("--limits given には --ucl、--lcl、--rsucl の 3 つが必要です"));
    if (!given && limitValues) refuse(QStringLiteral("--ucl、--lcl、--rsucl は --limits given と一緒に指定してください"));
    if (o.noThreshold && o.threshold) refuse(QStringLiteral("--threshold と --no-threshold は同時に指定できません"));
    return files;
}

// --db and the options that choose a characteristic's lots (report also --all and --since).
std::map<QString, Handler> storeSourceHandlers(ArgumentReader& in, StoreSource& s, QStringList& given, bool report)
{
    auto text = [&](QString& target) {
        return [&in, &given, field = &target](auto& opt, auto& v) {
            *field = in.value(opt, v);
            given << opt;
        };
    };
    auto time = [&](std::optional<qint64>& target, bool end) {
        return [&in, &given, field = &target, end](auto& opt, auto& v) {
            const QString value = in.value(opt, v);
            *field = localTimeUs(value, end);
            if (!*field) refuse(QStringLiteral("%1 には 2026-12-07 か 2026-12-07T14:30 の形の日付を指定してください: %2").arg(opt, value));
            given << opt;
        };
    };
    std::map<QString, Handler> h{
        {QStringLiteral("--db"), text(s.db)},
        {QStringLiteral("--characteristic"), text(s.characteristic)},
        {QStringLiteral("--station"), text(s.station)},
        {QStringLiteral("--from"), time(s.fromUs, false)},
        {QStringLiteral("--to"), time(s.toUs, true)},
        {QStringLiteral("--last"), [&](auto& opt, auto& v) {
             const int n = wholeNumber(opt, in.value(opt, v));
             if (n < 1 || n > 100) refuse(QStringLiteral("--last は 1～100 の範囲で指定してください: %1").arg(n));
             s.last = n;
             given << opt;
         }},
    };
    if (report) {
        h.emplace(QStringLiteral("--all"), [&](auto& opt, auto& v) {
            if (v) refuse(QStringLiteral("%1 は値を取りません").arg(opt));
            s.all = true;
            given << opt;
        });
        h.emplace(QStringLiteral("--since"), [&](auto& opt, auto& v) {
            const QString value = in.value(opt, v);
            const auto seconds = periodSeconds(value);
            if (!seconds) refuse(QStringLiteral("--since には 24h や 7d の形の期間を指定してください: %1").arg(value));
            s.sinceSeconds = *seconds;
            given << opt;
        });
    }
    return h;
}

// The one file of a judge or report command, or the store it reads in its place.
void takeSource(const QString& command, const QStringList& files, const StoreSource& s, const QStringList& given,
                QString& file, std::optional<StoreSource>& store)
{
    const bool fromStore = given.contains(QStringLiteral("--db"));
    if (!fromStore) {
        if (!given.isEmpty()) refuse(QStringLiteral("%1 は --db と一緒に指定してください").arg(given.front()));
        if (files.size() != 1)
            refuse(QStringLiteral("%1 には%2ファイルを 1 つ指定してください")
                       .arg(command, command == u"judge" ? QStringLiteral("判定する") : QStringLiteral("帳票にする")));
        file = files.front();
        return;
    }
    if (!files.isEmpty()) refuse(QStringLiteral("--db を指定したときはファイルを指定しません: %1").arg(files.front()));
    if (s.all) {
        for (const char* o : {"--characteristic", "--last", "--from", "--to"})
            if (given.contains(QString::fromLatin1(o))) refuse(QStringLiteral("--all と %1 は同時に指定できません").arg(QString::fromLatin1(o)));
        if (!given.contains(QStringLiteral("--since"))) refuse(QStringLiteral("--all には --since 24h|7d が必要です"));
    } else {
        if (given.contains(QStringLiteral("--since"))) refuse(QStringLiteral("--since は --all と一緒に指定してください"));
        if (!given.contains(QStringLiteral("--characteristic")))
            refuse(QStringLiteral("--db には --characteristic \"品種/工程/装置/項目\" が必要です"));
        if (s.last && (s.fromUs || s.toUs)) refuse(QStringLiteral("--last と --from/--to は同時に指定できません"));
    }
    store = s;
}

JudgeCommand parseJudge(ArgumentReader& in)
{
    JudgeCommand command;
    JudgeOptions& o = command.options;
    const std::map<QString, Handler> format{
        {QStringLiteral("--format"), [&](auto& opt, auto& v) {
             o.format = choice(opt, in.value(opt, v), {QStringLiteral("text"), QStringLiteral("json")}) == 0 ? OutputFormat::Text
                                                                                                          : OutputFormat::Json;
         }},
    };
    StoreSource source;
    QStringList given;
    std::map<QString, Handler> own = storeSourceHandlers(in, source, given, false);
    own.merge(std::map<QString, Handler>(format));
    const QStringList files = parseSheetOptions(in, o, own, QStringLiteral("judge"));
    takeSource(QStringLiteral("judge"), files, source, given, command.file, command.store);
    return command;
}

ReportCommand parseReport(ArgumentReader& in)
{
    ReportCommand command;
    bool kindGiven = false;
    StoreSource source;
    QStringList given;
    std::map<QString, Handler> own{
        {QStringLiteral("--kind"), [&](auto& opt, auto& v) {
             const ReportKind kinds[] = {ReportKind::Control, ReportKind::Histogram, ReportKind::Result};
             command.kind = kinds[choice(opt, in.value(opt, v), {QStringLiteral("control"), QStringLiteral("histogram"), QStringLiteral("result")})];
             kindGiven = true;
         }},
        {QStringLiteral("--classes"), [&](auto& opt, auto& v) {
             const int n = wholeNumber(opt, in.value(opt, v));
             if (n < 5 || n > 10) refuse(QStringLiteral("--classes は 5～10 の範囲で指定してください: %1").arg(n));
             command.classes = n;
         }},
        {QStringLiteral("--out"), [&](auto& opt, auto& v) {
             command.folder = in.value(opt, v);
             if (command.folder.isEmpty()) refuse(QStringLiteral("--out には出力先のフォルダを指定してください"));
         }},
    };
    own.merge(storeSourceHandlers(in, source, given, true));
    const QStringList files = parseSheetOptions(in, command.options, own, QStringLiteral("report"));
    takeSource(QStringLiteral("report"), files, source, given, command.file, command.store);
    if (!kindGiven) refuse(QStringLiteral("report には --kind control|histogram|result を指定してください"));
    return command;
}

ConvertCommand parseConvert(ArgumentReader& in)
{
    QStringList paths;
    bool optionsEnded = false;
    while (!in.atEnd()) {
        const QString arg = in.args[in.next++];
        if (!optionsEnded && arg == u"--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && isOption(arg)) refuse(QStringLiteral("convert に %1 というオプションはありません").arg(arg));
        paths.append(arg);
    }
    if (paths.size() != 2) refuse(QStringLiteral("convert には入力ファイルと出力先の 2 つを指定してください"));
    return {paths[0], paths[1]};
}

StoreCommand parseStore(ArgumentReader& in)
{
    const QStringList actions{QStringLiteral("init"), QStringLiteral("publish"), QStringLiteral("list"), QStringLiteral("history")};
    if (in.atEnd()) refuse(QStringLiteral("store には init、publish、list か history を指定してください"));
    StoreCommand c;
    const QString action = in.args[in.next++];
    const qsizetype a = actions.indexOf(action);
    if (a < 0) refuse(QStringLiteral("store に %1 という操作はありません (init、publish、list か history を指定してください)").arg(action));
    c.action = StoreCommand::Action(a);
    using A = StoreCommand::Action;
    auto text = [&](QString& target) {
        return [&in, field = &target](auto& opt, auto& v) { *field = in.value(opt, v); };
    };
    std::map<QString, Handler> handlers{{QStringLiteral("--db"), text(c.db)}};
    if (c.action == A::Publish) {
        handlers.emplace(QStringLiteral("--station"), text(c.station));
        handlers.emplace(QStringLiteral("--reason"), text(c.reason));
        handlers.emplace(QStringLiteral("--sheet"), [&](auto& opt, auto& v) {
            const int n = wholeNumber(opt, in.value(opt, v));
            if (n < 1) refuse(QStringLiteral("--sheet には 1 以上のシート番号を指定してください: %1").arg(n));
            c.sheet = n;
        });
        handlers.emplace(QStringLiteral("--allow-default-names"), [&](auto& opt, auto& v) {
            if (v) refuse(QStringLiteral("%1 は値を取りません").arg(opt));
            c.allowDefaultNames = true;
        });
    }
    if (c.action == A::History) {
        handlers.emplace(QStringLiteral("--characteristic"), text(c.characteristic));
        handlers.emplace(QStringLiteral("--lot"), text(c.lot));
    }
    if (c.action == A::List || c.action == A::History)
        handlers.emplace(QStringLiteral("--format"), [&](auto& opt, auto& v) {
            c.format = choice(opt, in.value(opt, v), {QStringLiteral("text"), QStringLiteral("json")}) == 0 ? OutputFormat::Text : OutputFormat::Json;
        });
    const QString command = QStringLiteral("store ") + action;
    const QStringList files = readArguments(in, command, handlers);
    if (c.db.isEmpty()) refuse(QStringLiteral("%1 には --db が必要です").arg(command));
    if (c.action == A::Publish) {
        if (files.size() != 1) refuse(QStringLiteral("store publish には登録するファイルを 1 つ指定してください"));
        c.file = files.front();
    } else if (!files.isEmpty()) {
        refuse(QStringLiteral("%1 にファイルは指定できません: %2").arg(command, files.front()));
    }
    if (c.action == A::History && (c.characteristic.isEmpty() || c.lot.isEmpty()))
        refuse(QStringLiteral("store history には --characteristic と --lot が必要です"));
    return c;
}

} // namespace

Command parseCommandLine(const QStringList& arguments)
{
    for (const QString& a : arguments) {
        if (a == u"--") break;
        if (a == u"--help" || a == u"-h") return HelpCommand{};
        if (a == u"--version") return VersionCommand{};
    }
    if (arguments.isEmpty()) refuse(QStringLiteral("コマンド judge、report、convert か store を指定してください"));
    ArgumentReader in{arguments, 1};
    if (arguments.front() == u"judge") return parseJudge(in);
    if (arguments.front() == u"report") return parseReport(in);
    if (arguments.front() == u"convert") return parseConvert(in);
    if (arguments.front() == u"store") return parseStore(in);
    refuse(QStringLiteral("%1 というコマンドはありません (judge、report、convert か store を指定してください)").arg(arguments.front()));
}

QString usageText()
{
    return QStringLiteral(
        "使い方:\n"
        "  quorvane-cli judge FILE [オプション]\n"
        "  quorvane-cli report FILE --kind control|histogram|result [--classes N] [--out DIR] [オプション]\n"
        "  quorvane-cli convert IN OUT\n"
        "  quorvane-cli judge|report --db DB --characteristic C [--last N | --from DATE --to DATE] [--station NAME] …\n"
        "  quorvane-cli report --db DB --all --since 24h|7d --kind control|histogram|result [--out DIR]\n"
        "  quorvane-cli store init --db DB\n"
        "  quorvane-cli store publish FILE [--sheet N] [--station NAME] [--reason TEXT] [--allow-default-names] --db DB\n"
        "  quorvane-cli store list --db DB [--format text|json]\n"
        "  quorvane-cli store history --db DB --characteristic C --lot LOT [--format text|json]\n"
        "\n"
        "judge: CSV ファイル (*.csv) またはExcelブック (*.xlsx, *.xls) の各シートを、画面で\n"
        "「SPC異常判定」を押したときと同じように判定します。指定しない設定は初期値のままです。\n"
        "  --sheet N                 N 番目のシートだけを判定する (既定: 全シート)\n"
        "  --chart xbarr|xbars|xrs   管理図 (検査ｎ数が 1 のシートは常に X-Rs管理図; xrs は\n"
        "                            画面と同じく検査ｎ数を 1 にする)\n"
        "  --limits 3sigma|given|standard\n"
        "                            管理限界線: ３シグマ法 (既定)、指定管理値か管理図係数法\n"
        "  --ucl X --lcl Y --rsucl Z 指定管理値の X-UCL、X-LCL と R/S/Rs-UCL\n"
        "  --index cp|cpk            演算判定種別 (既定: cpk)\n"
        "  --threshold T             この値未満を異常とする (既定: 1.33)\n"
        "  --no-threshold            CP/CPK のしきい値判定をしない\n"
        "  --rule K=off              ルール K (1～8) を使わない\n"
        "  --rule 2=N  (7～11)  --rule 3=N (4～8)  --rule 4=N (12～16)\n"
        "  --rule 5=N/M (N 3～7, M 2～6)  --rule 6=N/M (N 5～9, M 4～8)  (N は M 以上)\n"
        "  --rule 7=N  (13～17)  --rule 8=N (6～10)\n"
        "  --sigma-within pooled|rbar|sbar\n"
        "                            工程能力分析の群内σ: 合併標準偏差、R̄/d2 か S̄/c4 (既定: 管理図に\n"
        "                            合わせる。X-Rs管理図は常に MR̄/d2(2))\n"
        "  --target T                Cpm の目標値 (既定: 規格の中央)\n"
        "  --distribution normal|boxcox|lognormal|weibull|auto\n"
        "                            工程能力分析の分布 (既定: normal; auto は当てはまりの最も\n"
        "                            よい分布)\n"
        "  --format text|json        出力形式 (既定: text)\n"
        "  --                        これより後はすべてファイル名 (\"-\" で始まる名前のとき)\n"
        "\n"
        "report: 判定した各シートの帳票を、画面の「管理図作成」「ﾋｽﾄｸﾞﾗﾑ作成」「判定結果出力」と\n"
        "同じブックに書きます (CP-CPK不良率判定の結果がないシートは作りません)。ファイル名は\n"
        "時刻の後にシート番号が付きます (20261207_174502_03_XbarR.xlsx)。作ったファイルのパスを\n"
        "1 行に 1 つ表示します。judge のオプション (--format を除く) も使えます。\n"
        "  --kind control|histogram|result\n"
        "                            管理図 (--chart の種類)、ヒストグラムか判定結果のブック\n"
        "  --classes N               ヒストグラムのデータ区間数 (5～10、既定: 10)\n"
        "  --out DIR                 出力先の既存フォルダ (既定: カレントフォルダ)\n"
        "\n"
        "convert: IN (CSV ファイルかExcelブック) の各シートを、OUT が .xlsx なら1冊のブックに、\n"
        "既存のフォルダなら Sheet1.csv、Sheet2.csv … に、ファイルメニューの保存と同じ形で書きます。\n"
        "\n"
        "データベース: judge と report は FILE の代わりに特性のロットを読み、画面で「データベースから読込」\n"
        "したときと同じように判定します (基準があれば基準の管理限界で)。\n"
        "  --db DB                   postgresql://user@host:5432/db?sslmode=require のような URI か、\n"
        "                            このPCのデータベースファイル。パスワードは ~/.pgpass、サービス\n"
        "                            ファイルか PGPASSWORD で渡します (DB には書けません)\n"
        "  --characteristic C        \"品種名称/工程名称/装置名称/項目名称\" (名称の中の / は \\/、\\ は \\\\)\n"
        "  --last N                  最後に登録された N ロット (1～100、既定: 100)\n"
        "  --from DATE --to DATE     この期間に登録されたロット (2026-12-07 か 2026-12-07T14:30、\n"
        "                            現地時刻、--to を含む。100 ロットを超えるときは新しい 100 ロット)\n"
        "  --station NAME            このステーションが登録したロットだけ\n"
        "  --all --since 24h|7d      report: この期間に新しいロットのある特性ごとに帳票を 1 つ\n"
        "                            (ファイル名はシート番号の代わりに項目名称)\n"
        "store init: スキーマを作るか更新します (PostgreSQL ではロール quorvane_reader、\n"
        "  quorvane_station、quorvane_engineer も NOLOGIN で作ります)。\n"
        "store publish: ファイルの各シートのロットを登録し、シートごとに 1 行表示します\n"
        "  (Sheet1 軸外径: 新規 28、変更 0、変更なし 0)。\n"
        "  --station NAME            ステーション名 (既定: ホスト名)\n"
        "  --reason TEXT             内容が変わったロットの変更理由 (ないとそのロットは登録しません)\n"
        "  --allow-default-names     項目名称やロット番号が初期値 (Sheet1、K001…) のシートも登録する\n"
        "store list: 特性ごとのロット数と最終登録日時。store history: ロットのすべての版 (古い順)。\n"
        "\n"
        "終了ステータス: 0 すべてのシートの3つの判定が合格 (convert は警告なし)、1 不合格・判定なし\n"
        "(convert は警告あり)、2 入力ファイルか引数の誤り (メッセージは標準エラー出力に1行)。\n"
        "report は 0 すべての帳票を作成、2 作成できない帳票があった (理由は標準エラー出力)。\n"
        "store は 0 すべて登録・表示できた、2 できないものがあった (理由は標準エラー出力)。\n");
}

} // namespace cli
