#pragma once
// Helpers shared by the spreadsheet tests.
#include "FullDisk.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <ostream>
#include <string>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(QStringLiteral("|")).toStdString() << ']'; }

namespace testing_support {

using Parts = std::map<std::string, QByteArray>;

// The parts of a zip package, and a package made of parts.
Parts unpack(const QByteArray& package);
QByteArray pack(const Parts& parts, int level = 1);

// The parts of a new one-sheet workbook written by the engine, to be altered by a test.
Parts newWorkbookParts();

// Runs a program to its end; fails the current test (and returns an empty result) when it cannot
// be started, times out or exits with an error. Returns its standard output.
QByteArray run(const QString& program, const QStringList& arguments, int timeoutMs = 120000);

// Python with openpyxl (Debian's interpreter), and LibreOffice headless with a private profile.
QString python();
QByteArray soffice(const QStringList& arguments);

QString toolsFolder();

// Opens a file in a separate process (the engine's probe) and reports the outcome and that
// process's peak resident memory; `addressLimitMiB` caps its address space when given.
struct ProbeResult {
    bool opened = false;
    QString message; // the error's text when not opened
    long long peakKiB = 0;
};
ProbeResult probe(const QString& path, int addressLimitMiB = 0);
// Peak memory of the probe opening a tiny workbook: what the process costs before any file.
long long probeBaselineKiB();
// Whether the tests run under a sanitizer, whose bookkeeping inflates resident memory.
bool underSanitizer();
// Expects the probe to have needed less than `mib` beyond its baseline (four times that under a sanitizer).
void expectPeakBelow(const ProbeResult& r, double mib, const std::string& label);

// Writes the bytes as a file of that name in the folder; returns its path.
QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes);
// Expects the engine to refuse the bytes with a message holding `fragment`.
void expectRefused(const QByteArray& bytes, const char* fragment, const char* label);

} // namespace testing_support
