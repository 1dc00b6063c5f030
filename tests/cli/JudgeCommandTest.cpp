// quorvane-cli judge, run as a script runs it: the window's worked examples through the
// command, the JSON read back by a JSON parser, the options, and refused input.
#include "CliTestSupport.h"

#include "cli/TextTable.h"

#include <QJsonArray>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace cli_test;

namespace {

QStringList rowOf(const QJsonValue& row)
{
    QStringList out;
    for (const QJsonValue& v : row.toArray()) out.append(v.toString());
    return out;
}

QJsonObject sheetOf(const QJsonObject& report, int i) { return report["sheets"].toArray()[i].toObject(); }

QStringList judgementsOf(const QJsonObject& sheet)
{
    const QJsonObject j = sheet["judgements"].toObject();
    return {j["spec"].toString(), j["capability"].toString(), j["spc"].toString()};
}

class JudgeCommand : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(JudgeCommand, TheWindowsWorkedExamplesJudgedFromAWorkbook)
{
    std::vector<model::SheetRecord> sheets;
    // The two-lot example, with an empty lot between the two.
    sheets.push_back(sheet(q("Length"), {"K001,9.800,10.000,10.200", "K002,,,", "K003,10.000,10.400,"}));
    // Every value equal: no standard deviation anywhere, every judgement passes.
    model::SheetRecord equal = sheet(q("Equal"), {});
    for (int r = 1; r <= 10; ++r) equal.dataLines.append(QStringLiteral("K%1,10.000,10.000,10.000").arg(r, 3, 10, QChar(u'0')));
    sheets.push_back(equal);
    // A hundred lots put the total row in row 101.
    model::SheetRecord hundred = sheet(q("Hundred"), {}, 100);
    for (int r = 1; r <= 100; ++r)
        hundred.dataLines.append(QStringLiteral("K%1,10.000,%2,10.050").arg(r, 3, 10, QChar(u'0')).arg(r % 2 ? "10.100" : "9.900"));
    sheets.push_back(hundred);
    writeWorkbook(path("examples.xlsx"), sheets);

    const CliResult all = runCli({"judge", path("examples.xlsx"), "--format", "json"});
    EXPECT_EQ(all.status, 1); // the first sheet fails its capability judgement
    EXPECT_TRUE(all.err.isEmpty()) << all.err.toStdString();
    const QJsonObject report = all.json();
    EXPECT_EQ(report["file"].toString(), path("examples.xlsx"));
    ASSERT_EQ(report["sheets"].toArray().size(), 3);

    const QJsonObject first = sheetOf(report, 0);
    EXPECT_EQ(first["number"].toInt(), 1);
    EXPECT_EQ(first["item"].toString(), "Length");
    EXPECT_EQ(first["lots"].toInt(), 10);
    EXPECT_EQ(first["measurements"].toInt(), 3);
    EXPECT_EQ(judgementsOf(first), (QStringList{"合格", "不合格", "合格"}));
    const QJsonObject limits = first["limits"].toObject();
    EXPECT_EQ(limits["ucl"].toString(), "10.76411");
    EXPECT_EQ(limits["lcl"].toString(), "9.39589");
    EXPECT_EQ(limits["dispersion_ucl"].toString(), "1.08411");
    const QJsonArray calc = first["capability_grid"].toArray();
    ASSERT_EQ(calc.size(), 4); // title, two lot rows, total
    EXPECT_EQ(rowOf(calc[0]), (QStringList{"ﾛｯﾄ№", "N数", "MAX", "MIN", "X", "R", "STDEV", "CP", "CPK", "判定結果"}));
    EXPECT_EQ(rowOf(calc[2]), (QStringList{"K003", "2", "10.40000", "10.00000", "10.20000", "0.40000", "0.28284", "0.589",
                                           "0.354", "×異常あり"}));
    EXPECT_EQ(rowOf(calc[3]), (QStringList{"＊トータル", "5", "10.40000", "9.80000", "10.08000", "0.40000", "0.22804",
                                           "0.731", "0.614", "×異常あり"}));
    const QJsonArray spc = first["spc_grid"].toArray();
    ASSERT_EQ(spc.size(), 3);
    EXPECT_EQ(rowOf(spc[0]).mid(8, 3), (QStringList{"X⑧", "R①", "R②"}));
    EXPECT_EQ(rowOf(spc[2]).first(), "K003");
    EXPECT_EQ(rowOf(spc[2]).last(), "○異常なし");
    EXPECT_TRUE(first["out_of_spec"].toArray().isEmpty());
    EXPECT_TRUE(first["messages"].toArray().isEmpty());

    const QJsonObject second = sheetOf(report, 1);
    EXPECT_EQ(judgementsOf(second), (QStringList{"合格", "合格", "合格"}));
    EXPECT_EQ(rowOf(second["capability_grid"].toArray()[11])[6], ""); // no standard deviation in the total row
    EXPECT_EQ(rowOf(second["spc_grid"].toArray()[10])[17], "○異常なし");

    const QJsonObject third = sheetOf(report, 2);
    const QJsonArray bigCalc = third["capability_grid"].toArray();
    ASSERT_EQ(bigCalc.size(), 102);
    EXPECT_EQ(rowOf(bigCalc[101]).mid(0, 2), (QStringList{"＊トータル", "300"}));
    EXPECT_EQ(third["spc_grid"].toArray().size(), 101);

    // Only the sheet that passes: status 0.
    const CliResult one = runCli({"judge", path("examples.xlsx"), "--sheet", "2", "--format=json"});
    EXPECT_EQ(one.status, 0);
    ASSERT_EQ(one.json()["sheets"].toArray().size(), 1);
    EXPECT_EQ(sheetOf(one.json(), 0)["number"].toInt(), 2);

    // An independent JSON reader takes the output too.
    QFile file(path("report.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(all.out);
    file.close();
    testing_support::run(testing_support::python(), {"-m", "json.tool", path("report.json")});
}

TEST_F(JudgeCommand, WhatTheWindowWouldShowIsReportedAndTheResultsStayEmpty)
{
    // A CSV file as the CSV import reads it: one sheet.
    model::SheetRecord noUnit = sheet(q("外径"), {"K001,10.000"});
    noUnit.unit.clear();
    writeCsv(path("no-unit.csv"), noUnit);
    const CliResult blank = runCli({"judge", path("no-unit.csv"), "--format", "json"});
    EXPECT_EQ(blank.status, 1);
    EXPECT_TRUE(blank.err.isEmpty());
    const QJsonObject s = sheetOf(blank.json(), 0);
    EXPECT_EQ(s["item"].toString(), "外径");
    EXPECT_EQ(judgementsOf(s), (QStringList{"", "", ""}));
    const QJsonArray messages = s["messages"].toArray();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].toObject()["caption"].toString(), "ガイドメッセージ");
    EXPECT_EQ(messages[0].toObject()["text"].toString(), "必須項目が入力されていません。");

    // A value that is not a number: entering warns of it, judging stops at it.
    writeCsv(path("bad-value.csv"), sheet(q("外径"), {"K001,10.000,1.2.3"}));
    const CliResult bad = runCli({"judge", path("bad-value.csv"), "--format", "json"});
    EXPECT_EQ(bad.status, 1);
    const QJsonObject b = sheetOf(bad.json(), 0);
    EXPECT_EQ(judgementsOf(b), (QStringList{"", "", ""}));
    const QJsonArray shown = b["messages"].toArray();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].toObject()["text"].toString(), "不適切な測定値が見つかりました。ファイルの内容を確認してください…");
    EXPECT_EQ(shown[1].toObject()["caption"].toString(), "Quorvane");
    EXPECT_EQ(shown[1].toObject()["text"].toString(), "'1.2.3' は浮動小数点数ではありません");
    EXPECT_EQ(rowOf(b["capability_grid"].toArray()[1]), (QStringList{"K001", "", "", "", "", "", "", "", "", ""}));

    // Values outside the limits are the cells the measurement grid paints red.
    writeCsv(path("out.csv"), sheet(q("外径"), {"K001,9.400,10.000,10.600", "K002,10.500,9.500,10.501"}));
    const CliResult out = runCli({"judge", path("out.csv"), "--format", "json"});
    const QJsonObject o = sheetOf(out.json(), 0);
    EXPECT_EQ(judgementsOf(o)[0], "不合格");
    EXPECT_EQ(QJsonDocument(o["out_of_spec"].toArray()).toJson(QJsonDocument::Compact), "[[1,1],[1,3],[2,3]]");
}

TEST_F(JudgeCommand, QuotesBackslashesAndControlCharactersReadBackFromTheJson)
{
    // Escaped characters amid plain ones, at either end and one after another.
    const QString item = q("\"外径\\\"A\tB\x01\n終\\");
    const QString lot = q("K\"1\\");
    writeWorkbook(path("marks.xlsx"), {sheet(item, {"\"K\"\"1\\\",10.000,10.100,9.900", "K002,10.000,10.100,9.900"})});
    const CliResult r = runCli({"judge", path("marks.xlsx"), "--format", "json"});
    const QJsonObject s = sheetOf(r.json(), 0);
    EXPECT_EQ(s["item"].toString(), item);
    EXPECT_EQ(rowOf(s["capability_grid"].toArray()[1]).value(0), lot);
    EXPECT_EQ(rowOf(s["capability_grid"].toArray()[2]).value(0), "K002");
}

TEST_F(JudgeCommand, OptionsActAsTheOperatorsSettings)
{
    model::SheetRecord s = sheet(q("Length"), {});
    for (int r = 1; r <= 20; ++r) {
        s.dataLines.append(QStringLiteral("K%1,%2,10.000,10.100").arg(r, 3, 10, QChar(u'0')).arg(9.9 + r * 0.001, 0, 'f', 3));
        s.enableFlags.append("1");
    }
    s.lotCount = 20;
    writeCsv(path("rising.csv"), s);
    auto judged = [&](QStringList options) {
        const CliResult r = runCli(QStringList{"judge", path("rising.csv"), "--format", "json"} + options);
        EXPECT_TRUE(r.status == 0 || r.status == 1) << r.err.toStdString();
        const QJsonObject s = sheetOf(r.json(), 0);
        EXPECT_EQ(s["spc_grid"].toArray().size(), 21);
        return s;
    };

    // By default the rising lot means mark rule ③ (trend) and ② (same side).
    const QJsonArray plain = judged({})["spc_grid"].toArray();
    EXPECT_EQ(rowOf(plain[7])[3], "×");
    const QJsonArray off = judged({"--rule", "3=off", "--rule=2=off"})["spc_grid"].toArray();
    for (int r = 1; r < off.size(); ++r) EXPECT_EQ(rowOf(off[r])[3], "－");
    EXPECT_EQ(rowOf(judged({"--rule", "3=8"})["spc_grid"].toArray()[7])[3], "○"); // a longer run is needed

    const QJsonObject xbars = judged({"--chart", "xbars"});
    EXPECT_EQ(rowOf(xbars["spc_grid"].toArray()[0])[9], "S①");
    const QJsonObject xrs = judged({"--chart", "xrs"}); // as in the window: one measurement per lot
    EXPECT_EQ(xrs["measurements"].toInt(), 1);
    EXPECT_EQ(rowOf(xrs["spc_grid"].toArray()[0])[9], "Rs①");

    const QJsonObject given = judged({"--limits", "given", "--ucl", "10.2", "--lcl", "9.8", "--rsucl", "0.25"});
    const QJsonObject limits = given["limits"].toObject();
    EXPECT_EQ(limits["ucl"].toString(), "10.2");
    EXPECT_EQ(limits["dispersion_ucl"].toString(), "0.25");
    EXPECT_EQ(rowOf(given["spc_grid"].toArray()[1])[9], "○");

    const QJsonObject noCheck = judged({"--no-threshold"});
    EXPECT_EQ(judgementsOf(noCheck)[1], "合格");
    EXPECT_EQ(rowOf(noCheck["capability_grid"].toArray()[1])[9], "－");
    const QJsonObject cp = judged({"--index", "cp", "--threshold", "0.5"});
    EXPECT_EQ(judgementsOf(cp)[1], "合格");
    EXPECT_EQ(rowOf(cp["capability_grid"].toArray()[21])[9], "○異常なし");
}

TEST_F(JudgeCommand, EveryChartKindReportsTheFilesLotNumbers)
{
    model::SheetRecord s = sheet(q("Length"), {});
    for (int r = 1; r <= 10; ++r) {
        s.dataLines.append(QStringLiteral("Lot-%1,%2,10.000,10.100").arg(r).arg(9.9 + r * 0.01, 0, 'f', 3));
        s.enableFlags.append("1");
    }
    s.enableFlags[4] = "0"; // the capability grid leaves lot 5 out
    writeCsv(path("lots.csv"), s);
    for (const char* chart : {"xbarr", "xbars", "xrs"}) {
        const CliResult r = runCli({"judge", path("lots.csv"), "--chart", chart, "--format", "json"});
        ASSERT_TRUE(r.status == 0 || r.status == 1) << chart << " " << r.err.toStdString();
        const QJsonObject o = sheetOf(r.json(), 0);
        const QJsonArray calc = o["capability_grid"].toArray(), spc = o["spc_grid"].toArray();
        ASSERT_EQ(calc.size(), 11) << chart; // nine lots and the total row
        for (int i = 1; i <= 9; ++i) {
            const QString lot = QStringLiteral("Lot-%1").arg(i < 5 ? i : i + 1);
            EXPECT_EQ(rowOf(calc[i]).first(), lot) << chart << " " << i;
            EXPECT_EQ(rowOf(spc[i]).first(), lot) << chart << " " << i;
        }
    }
}

TEST_F(JudgeCommand, TheTextOutputAlignsTheWindowsTablesUnderItsCaptions)
{
    writeCsv(path("two.csv"), sheet(q("外径"), {"K001,9.800,10.000,10.200", "K002,10.000,10.400,10.650"}));
    const CliResult r = runCli({"judge", path("two.csv")});
    EXPECT_EQ(r.status, 1);
    const QStringList lines = QString::fromUtf8(r.out).split(u'\n');
    EXPECT_TRUE(lines.contains("総合判定結果  規格判定: 不合格  CP-CPK不良率判定: 不合格  SPC異常判定: 合格"));
    EXPECT_TRUE(lines.contains("SPC異常判定(X側-R側)"));
    // The capability table: every row ends its CPK column at the same terminal column.
    const qsizetype title = lines.indexOf("CP-CPK不良率判定");
    ASSERT_GE(title, 0);
    auto cpkEnd = [](const QString& line) {
        const qsizetype mark = line.lastIndexOf(QStringLiteral("  "));
        return cli::displayWidth(QStringView(line).left(mark));
    };
    const int end = cpkEnd(lines[title + 1]);
    for (int i = 2; i <= 4; ++i) EXPECT_EQ(cpkEnd(lines[title + i]), end) << lines[title + i].toStdString();
    EXPECT_TRUE(lines[title + 4].startsWith("  ＊トータル"));
    const qsizetype red = lines.indexOf("規格外の測定値: 1 件");
    ASSERT_GE(red, 0);
    EXPECT_EQ(lines[red + 2].simplified(), "K002 N3 10.650");
}

TEST_F(JudgeCommand, BadFilesAndArgumentsGiveStatusTwoAndOneLineOnStandardError)
{
    writeCsv(path("ok.csv"), sheet(q("Length"), {"K001,10.000"}));
    QFile corrupt(path("corrupt.xlsx"));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write(QByteArrayLiteral("PK\x03\x04 not really a workbook"));
    corrupt.close();
    std::vector<model::SheetRecord> many(101, sheet(q("S"), {}));
    writeWorkbook(path("many.xlsx"), many);

    struct Case {
        QStringList arguments;
        const char* mentions;
    };
    const QString ok = path("ok.csv");
    const std::vector<Case> cases{
        {{"judge", path("missing.xlsx")}, "missing.xlsx"},
        {{"judge", path("corrupt.xlsx")}, "corrupt.xlsx"},
        {{"judge", path("many.xlsx")}, "シートの最大値を超えました"},
        {{"judge", ok, "--sheet", "2"}, "シート 2 はありません"},
        {{"judge", ok, "--sheet", "0"}, "--sheet"},
        {{"judge", ok, "--chart", "pchart"}, "--chart"},
        {{"judge", ok, "--rule", "2=12"}, "7～11"},
        {{"judge", ok, "--rule", "6=5/6"}, "N は M 以上"},
        {{"judge", ok, "--rule", "5=8/2"}, "3～7"},
        {{"judge", ok, "--rule", "1=3"}, "--rule 1"},
        {{"judge", ok, "--rule", "9=off"}, "--rule"},
        {{"judge", ok, "--threshold", "abc"}, "--threshold"},
        {{"judge", ok, "--threshold", "1.5", "--no-threshold"}, "--no-threshold"},
        {{"judge", ok, "--limits", "given", "--ucl", "10.6", "--lcl", "9.4"}, "--rsucl"},
        {{"judge", ok, "--ucl", "10.6"}, "--limits given"},
        {{"judge", ok, "--ucl", "ten", "--limits", "given"}, "--ucl"},
        {{"judge", ok, "--format", "xml"}, "--format"},
        {{"judge", ok, "--bogus"}, "--bogus"},
        {{"judge", ok, "-x"}, "-x"},
        {{"judge", "-x", ok}, "-x"},
        {{"convert", "-x", ok, path("out.xlsx")}, "-x"},
        {{"judge", "--", "--help"}, "--help"},
        {{"judge", "--", ok, "-x"}, "judge"},
        {{"judge", ok, "--rule"}, "--rule"},
        {{"judge"}, "judge"},
        {{"judge", ok, ok}, "judge"},
        {{"convert", ok}, "convert"},
        {{"inspect", ok}, "inspect"},
        {{}, "judge"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CliResult r = runCli(c.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.isEmpty());
        const QString err = QString::fromUtf8(r.err);
        EXPECT_EQ(err.count(u'\n'), 1) << err.toStdString();
        EXPECT_TRUE(err.endsWith(u'\n'));
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.mentions))) << err.toStdString();
    }
    const CliResult help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--rule 5=N/M"));
}

TEST_F(JudgeCommand, DoubleDashEndsTheOptionsSoAFileMayBeginWithADash)
{
    writeCsv(path("-x.csv"), sheet(q("Length"), {"K001,10.000,10.100,9.900", "K002,10.000,10.050,9.950"}));
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(QUORVANE_CLI), {"judge", "--format", "json", "--", "-x.csv"});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_NE(p.exitCode(), 2) << p.readAllStandardError().toStdString();
    CliResult r;
    r.out = p.readAllStandardOutput();
    EXPECT_EQ(sheetOf(r.json(), 0)["item"].toString(), q("Length"));
}

TEST_F(JudgeCommand, AFailedWriteToStandardOutputIsAnError)
{
    writeCsv(path("ok.csv"), sheet(q("Length"), {"K001,10.000"}));
    QProcess p;
    p.setStandardOutputFile(QStringLiteral("/dev/full"));
    p.start(QStringLiteral(QUORVANE_CLI), {"judge", path("ok.csv")});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 2);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(q("標準出力に書き込めません"))) << err.toStdString();
    EXPECT_TRUE(err.contains(q("空き容量が足りません"))) << err.toStdString();
}

TEST_F(JudgeCommand, AFileNameThatIsNotUtf8IsRefusedAsSuch)
{
    // The name's bytes reach the program unchanged only through a shell.
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral("/bin/sh"), {"-c", "n=$(printf 'bad\\377.csv'); printf 'K001,1' > \"$n\"; \"$0\" judge \"$n\"; s=$?; rm -f \"$n\"; exit $s",
                                        QStringLiteral(QUORVANE_CLI)});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 2);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(q("UTF-8"))) << err.toStdString();
    EXPECT_FALSE(err.contains(q("No such file"))) << err.toStdString();
}

TEST_F(JudgeCommand, PipesAreReadToTheirEndAndAFifoWithoutAWriterDoesNotBlock)
{
    const model::SheetRecord length = sheet(q("Length"), {"K001,10.000,10.100,9.900", "K002,10.000,10.050,9.950"});
    writeCsv(path("in.csv"), length);
    writeWorkbook(path("in.xlsx"), {length, sheet(q("Width"), {"K001,10.000,10.100,9.900"})});
    for (const char* name : {"in.csv", "in.xlsx"}) {
        SCOPED_TRACE(name);
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QProcess p;
        p.start(QStringLiteral(QUORVANE_CLI), {"judge", "/dev/stdin", "--format", "json"});
        ASSERT_TRUE(p.waitForStarted());
        p.write(file.readAll());
        p.closeWriteChannel();
        ASSERT_TRUE(p.waitForFinished(120000));
        EXPECT_NE(p.exitCode(), 2) << p.readAllStandardError().toStdString();
        CliResult r;
        r.out = p.readAllStandardOutput();
        EXPECT_EQ(sheetOf(r.json(), 0)["item"].toString(), q("Length"));
        EXPECT_EQ(r.json()["sheets"].toArray().size(), QString::fromUtf8(name).endsWith(u"xlsx") ? 2 : 1);
    }

    const QByteArray fifo = QFile::encodeName(path("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    QProcess p;
    p.start(QStringLiteral(QUORVANE_CLI), {"judge", path("fifo")});
    const bool finished = p.waitForFinished(20000);
    if (!finished) p.kill();
    ASSERT_TRUE(finished) << "a FIFO without a writer blocked the command";
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(q("fifo")));

    QFile(path("empty.csv")).open(QIODevice::WriteOnly);
    const CliResult empty = runCli({"judge", path("empty.csv")});
    EXPECT_EQ(empty.status, 2);
    EXPECT_TRUE(QString::fromUtf8(empty.err).contains(q("空"))) << empty.err.toStdString();
}

// Streams that never end, through standard input and through a FIFO, each written by a real
// process: text is read as far as the sheet's rows reach; a workbook, which must be held whole,
// is refused past 64 MB with the input named.
TEST_F(JudgeCommand, PipesAndFifosAreReadAsStreamsWithinTheBoundsOfFiles)
{
    const QString cli = QStringLiteral(QUORVANE_CLI);
    const QString lines = q("exec yes K001,1.5,2.5");
    const QString workbook = q("printf 'PK\\003\\004'; exec cat /dev/zero");
    const auto expectRead = [](QProcess& p, const QString& writer, const QString& name) {
        ASSERT_TRUE(p.waitForFinished(120000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        if (writer.contains(u"yes")) {
            EXPECT_NE(p.exitCode(), 2) << err.toStdString();
            const QJsonObject sheet = sheetOf(QJsonDocument::fromJson(p.readAllStandardOutput()).object(), 0);
            EXPECT_EQ(sheet["lots"].toInt(), 100);
            EXPECT_EQ(sheet["measurements"].toInt(), 2);
        } else {
            EXPECT_EQ(p.exitCode(), 2);
            EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
            EXPECT_TRUE(err.contains(name) && err.contains(q("大きすぎ")) && err.contains(q("64 MB"))) << err.toStdString();
        }
    };
    for (const QString& writer : {lines, workbook}) {
        SCOPED_TRACE(writer.toStdString());
        QProcess p;
        p.start(q("/bin/sh"), {"-c", q("{ %1; } | \"$0\" judge /dev/stdin --format json").arg(writer), cli});
        expectRead(p, writer, q("標準入力"));
    }

    // A sheet that takes more than one read of the pipe: every lot is read, not the first read's.
    model::SheetRecord wide = sheet(q("Wide"), {}, 100, 100);
    for (int lot = 1; lot <= 100; ++lot) {
        QString line = QStringLiteral("K%1").arg(lot, 3, 10, QLatin1Char('0'));
        for (int c = 0; c < 100; ++c) line += q(",10.000");
        wide.dataLines.append(line);
        wide.enableFlags.append(q("1"));
    }
    writeCsv(path("wide.csv"), wide);
    ASSERT_GT(QFileInfo(path("wide.csv")).size(), 70000);
    QProcess p;
    p.start(q("/bin/sh"), {"-c", q("cat \"$0\" | \"$1\" judge /dev/stdin --format json"), path("wide.csv"), cli});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QJsonObject read = sheetOf(QJsonDocument::fromJson(p.readAllStandardOutput()).object(), 0);
    EXPECT_EQ(read["lots"].toInt(), 100) << p.readAllStandardError().toStdString();
    const QJsonArray grid = read["capability_grid"].toArray(); // headings, every lot, the total
    ASSERT_EQ(grid.size(), 102);
    EXPECT_EQ(rowOf(grid[100]).mid(0, 2), QStringList({"K100", "100"}));

    const QString fifo = path("endless");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& writer : {lines, workbook}) {
        SCOPED_TRACE(writer.toStdString());
        // Held open here, the FIFO has a writer from the start: the command never finds it without one.
        const int held = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(held, 0);
        QProcess w;
        w.start(q("/bin/sh"), {"-c", q("{ %1; } > \"$0\"").arg(writer), fifo});
        QProcess p;
        p.start(cli, {"judge", fifo, "--format", "json"});
        expectRead(p, writer, fifo);
        ::close(held);
        w.kill();
        w.waitForFinished();
    }
}

TEST_F(JudgeCommand, StandardLimitsAndTheCapabilityStudyInTheJson)
{
    // Lots 9.9 10.0 10.1 | 10.0 10.2 | 10.1 in 9.5 to 10.5. Expected figures by hand: mean
    // 10.05; overall s = √(0.055 / 5); pooled s = √(0.04 / 3) over c4(4) = 2√(2/3)/√π;
    // R/d2 with d2(3) = 1.69256875 (nine digits of the range integral) and d2(2) = 2/√π.
    writeWorkbook(path("study.xlsx"), {sheet(q("Study"), {"K001,9.900,10.000,10.100", "K002,10.000,10.200,", "K003,10.100,,"})});
    const CliResult r = runCli({"judge", path("study.xlsx"), "--chart", "xbarr", "--limits", "standard", "--format", "json"});
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QJsonObject s = sheetOf(r.json(), 0);

    const double pi = 3.14159265358979323846;
    const double pooled = std::sqrt(0.04 / 3) / (2 * std::sqrt(2.0 / 3) / std::sqrt(pi));
    const double overall = std::sqrt(0.055 / 5);
    const double sigma = (0.2 / 1.69256875 + 0.2 * std::sqrt(pi) / 2) / 2;
    // The study's within sigma is the chart's own R̄/d2 unless another is asked for.
    const QJsonObject study = s["capability_study"].toObject();
    EXPECT_EQ(study["n"].toInt(), 6);
    EXPECT_NEAR(study["mean"].toDouble(), 10.05, 1e-12);
    EXPECT_EQ(study["sigma_within_method"].toString(), "rbar");
    EXPECT_NEAR(study["sigma_within"].toDouble(), sigma, 1e-8);
    EXPECT_NEAR(study["sigma_overall"].toDouble(), overall, 1e-12);
    EXPECT_NEAR(study["cp"].toDouble(), 1 / (6 * sigma), 1e-7);
    EXPECT_NEAR(study["ppk"].toDouble(), 0.45 / (3 * overall), 1e-10);
    EXPECT_EQ(study["cp_ci"].toArray().size(), 2);
    EXPECT_TRUE(study["anderson_darling"].isNull()); // six values
    EXPECT_EQ(study["normality_warning"], QJsonValue(false));
    EXPECT_EQ(study["ppm_observed"].toDouble(), 0.0);
    EXPECT_TRUE(study["nonnormal"].isNull());
    const QJsonObject asked =
        sheetOf(runCli({"judge", path("study.xlsx"), "--sigma-within", "pooled", "--format", "json"}).json(), 0)["capability_study"].toObject();
    EXPECT_EQ(asked["sigma_within_method"].toString(), "pooled");
    EXPECT_NEAR(asked["sigma_within"].toDouble(), pooled, 1e-12);
    EXPECT_NEAR(asked["cpk"].toDouble(), 0.45 / (3 * pooled), 1e-10);

    const QJsonArray lots = s["limits_per_lot"].toArray();
    ASSERT_EQ(lots.size(), 3);
    const QJsonObject second = lots[1].toObject();
    EXPECT_EQ(second["lot"].toString(), "K002");
    EXPECT_EQ(second["n"].toInt(), 2);
    EXPECT_NEAR(second["cl"].toDouble(), 10.05, 1e-12);
    EXPECT_NEAR(second["ucl"].toDouble(), 10.05 + 3 * sigma / std::sqrt(2.0), 1e-8);
    EXPECT_TRUE(second["dispersion_lcl"].isNull());
    EXPECT_TRUE(lots[2].toObject()["dispersion_ucl"].isNull()); // one value
    EXPECT_NEAR(lots[0].toObject()["lcl"].toDouble(), 10.05 - 3 * sigma / std::sqrt(3.0), 1e-8);
    // The fields show the limits of the nominal size, three values.
    EXPECT_EQ(s["limits"].toObject()["ucl"].toString(),
              QString::number(10.05 + 3 * sigma / std::sqrt(3.0), 'f', 5));

    const CliResult text = runCli({"judge", path("study.xlsx"), "--limits", "standard"});
    EXPECT_TRUE(text.out.contains("管理限界線: 管理図係数法"));
    EXPECT_TRUE(text.out.contains("工程能力分析"));
    EXPECT_TRUE(text.out.contains("Cp (群内)"));

    // The two other methods keep their JSON, with the study beside it.
    const QJsonObject threeSigma = sheetOf(runCli({"judge", path("study.xlsx"), "--format", "json"}).json(), 0);
    EXPECT_FALSE(threeSigma.contains("limits_per_lot"));
    EXPECT_NEAR(threeSigma["capability_study"].toObject()["pp"].toDouble(), 1 / (6 * overall), 1e-10);
}

TEST_F(JudgeCommand, TheStudysTargetAndNonNormalCapabilityInTheJson)
{
    // Thirty positive readings skewed to the right, and a sheet holding a zero.
    std::vector<QByteArray> lines;
    const char* const values[] = {"9.612", "9.655", "9.671", "9.702", "9.718", "9.731", "9.745", "9.760", "9.771", "9.790",
                                  "9.801", "9.815", "9.832", "9.844", "9.866", "9.881", "9.905", "9.927", "9.952", "9.981",
                                  "10.012", "10.046", "10.088", "10.131", "10.187", "10.245", "10.322", "10.401", "10.497", "9.699"};
    for (int r = 0; r < 10; ++r)
        lines.push_back(QStringLiteral("K%1,%2,%3,%4").arg(r + 1, 3, 10, QChar(u'0')).arg(values[r], values[r + 10], values[r + 20]).toUtf8());
    model::SheetRecord skewed = sheet(q("Skewed"), {});
    for (const QByteArray& l : lines) skewed.dataLines.append(QString::fromUtf8(l));
    writeWorkbook(path("skewed.xlsx"), {skewed, sheet(q("Zero"), {"K001,9.900,10.000,0.000", "K002,10.000,10.200,10.100"})});

    const auto studyOf = [&](const QStringList& options, int sheetIndex = 0) {
        const CliResult r = runCli(QStringList{"judge", path("skewed.xlsx"), "--format", "json"} + options);
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        return sheetOf(r.json(), sheetIndex)["capability_study"].toObject();
    };
    const QJsonObject targeted = studyOf({"--target", "10.2"});
    EXPECT_EQ(targeted["target"].toDouble(), 10.2);
    const double mean = targeted["mean"].toDouble(), sd = targeted["sigma_overall"].toDouble();
    EXPECT_NEAR(targeted["cpm"].toDouble(), 1.0 / (6 * std::sqrt(sd * sd + (mean - 10.2) * (mean - 10.2))), 1e-12);
    EXPECT_EQ(studyOf({})["target"].toDouble(), 10.0);

    const QStringList common{"p00135", "p50", "p99865", "pp", "ppu", "ppl", "ppk", "ppm_expected", "fit_a2", "fit_p"};
    const std::pair<const char*, QStringList> methods[] = {
        {"boxcox", {"lambda"}}, {"lognormal", {"meanlog", "sdlog"}}, {"weibull", {"shape", "scale"}}};
    for (const auto& [method, parameters] : methods) {
        const QJsonObject nn = studyOf({"--distribution", q(method)})["nonnormal"].toObject();
        QStringList keys = QStringList{"method"} + parameters + common;
        keys.sort();
        EXPECT_EQ(nn.keys(), keys) << method;
        EXPECT_EQ(nn["method"].toString(), q(method));
        EXPECT_LT(nn["p00135"].toDouble(), nn["p50"].toDouble());
        EXPECT_LT(nn["p50"].toDouble(), nn["p99865"].toDouble());
        EXPECT_EQ(nn["ppk"].toDouble(), std::min(nn["ppu"].toDouble(), nn["ppl"].toDouble())) << method;
        EXPECT_TRUE(nn["fit_p"].isDouble()) << method; // thirty values: the fit is tested
    }
    const QJsonObject chosen = studyOf({"--distribution", "auto"})["nonnormal"].toObject();
    EXPECT_TRUE(QStringList({"normal", "boxcox", "lognormal", "weibull"}).contains(chosen["method"].toString()));

    // A zero cannot be transformed: the normal study stays, and the reason is given.
    const QJsonObject zero = studyOf({"--distribution", "boxcox"}, 1);
    EXPECT_TRUE(zero["nonnormal"].isNull());
    EXPECT_TRUE(zero["nonnormal_message"].toString().contains(q("Box-Cox変換"))) << zero["nonnormal_message"].toString().toStdString();
    EXPECT_TRUE(zero["pp"].isDouble());

    const CliResult text = runCli({"judge", path("skewed.xlsx"), "--sheet", "1", "--distribution", "lognormal"});
    EXPECT_TRUE(text.out.contains("対数正規分布"));
    EXPECT_TRUE(text.out.contains("R̄/d2"));

    for (const QStringList& bad : {QStringList{"--sigma-within", "median"}, QStringList{"--target", "abc"},
                                   QStringList{"--distribution", "gamma"}}) {
        const CliResult r = runCli(QStringList{"judge", path("skewed.xlsx")} + bad);
        EXPECT_EQ(r.status, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(bad.front())) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}
