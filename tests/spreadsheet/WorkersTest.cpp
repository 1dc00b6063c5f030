// Work spread over the cores gives what one loop in order gives: every step once, the first
// failure in order reported, the same cells and the same errors from worksheets read at once.
#include "TestSupport.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/Workers.h"
#include "spreadsheet/Zip.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace spreadsheet;
using testing_support::pack;
using testing_support::Parts;
using testing_support::unpack;

TEST(Workers, EveryStepOnceAndTheLowestFailurePassedOn)
{
    std::vector<std::atomic<int>> runs(5000);
    forEachIndex(5000, [&](int i) { ++runs[size_t(i)]; });
    for (size_t i = 0; i < runs.size(); ++i) ASSERT_EQ(runs[i].load(), 1) << i;

    // The higher step fails at once, the lower one only after the others have had time to run.
    std::atomic<int> started{0};
    try {
        forEachIndex(5000, [&](int i) {
            ++started;
            if (i == 40) throw std::runtime_error("forty");
            if (i == 3) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                throw std::runtime_error("three");
            }
        });
        FAIL() << "no failure passed on";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "three");
    }
    EXPECT_LT(started.load(), 5000) << "steps after a failure were still started";
    forEachIndex(0, [](int) { FAIL(); });
}

namespace {

// A workbook of eight worksheets of numbers, sheets 2 and 3 far longer than the others; `alter`
// changes its parts before they are packed.
QByteArray eightSheets(const std::function<void(Parts&)>& alter)
{
    auto book = Book::createNew(8);
    for (int s = 0; s < 8; ++s)
        for (int r = 1, rows = s == 1 || s == 2 ? 20000 : 300; r <= rows; ++r) book->setNumber(s, r, 1, r + s);
    Parts parts = unpack(book->toBytes());
    alter(parts);
    return pack(parts);
}

void breakLastCell(QByteArray& sheet) { sheet.insert(sheet.lastIndexOf("<v>") + 3, 'x'); }

// The error opening the bytes whole and opening them from a file in part.
QStringList errorsOpening(const QByteArray& bytes)
{
    QStringList errors;
    try {
        Book::fromBytes(bytes, "x");
        errors << "opened";
    } catch (const Error& e) {
        errors << e.message();
    }
    QTemporaryDir dir;
    const QString path = testing_support::writeFile(dir, "book.xlsx", bytes);
    try {
        Book::open(path, CellBounds{30000, 10});
        errors << "opened";
    } catch (const Error& e) {
        errors << e.message();
    }
    return errors;
}

} // namespace

TEST(Workers, WorksheetsReadAtOnceReportTheFirstFaultInTheWorkbooksOrder)
{
    // Sheet 2 fails at its end, sheet 7 at its start: read at once, sheet 7 fails long before.
    const QByteArray twoFaults = eightSheets([](Parts& p) {
        breakLastCell(p["xl/worksheets/sheet2.xml"]);
        p["xl/worksheets/sheet7.xml"].replace("<v>7</v>", "<v>y</v>");
    });
    // A fault of the sheet list after a worksheet that cannot be read: the worksheet's is first.
    const QByteArray listAfterCells = eightSheets([](Parts& p) {
        breakLastCell(p["xl/worksheets/sheet3.xml"]);
        p["xl/workbook.xml"].replace("name=\"Sheet6\"", "name=\"SHEET5\"");
    });
    const QByteArray listOnly = eightSheets([](Parts& p) { p["xl/workbook.xml"].replace("name=\"Sheet6\"", "name=\"SHEET5\""); });
    for (int run = 0; run < 3; ++run) {
        for (const QString& e : errorsOpening(twoFaults)) EXPECT_TRUE(e.contains("sheet2.xml holds \"x20001\"")) << e.toStdString();
        for (const QString& e : errorsOpening(listAfterCells)) EXPECT_TRUE(e.contains("sheet3.xml holds \"x20002\"")) << e.toStdString();
        for (const QString& e : errorsOpening(listOnly)) EXPECT_TRUE(e.contains("\"SHEET5\" that is empty or used twice")) << e.toStdString();
    }
    // Without faults every worksheet holds its own cells.
    auto book = Book::fromBytes(eightSheets([](Parts&) {}), "x");
    for (int s = 0; s < 8; ++s) EXPECT_EQ(book->text(s, 300, 1), QString::number(300 + s)) << s;
}

TEST(Workers, AnArchiveReadFromSeveralThreadsGivesEveryEntryWhole)
{
    Parts parts;
    for (int i = 0; i < 24; ++i) {
        QByteArray data;
        for (int k = 0; k < 20000; ++k) data += QByteArray::number(i * 100000 + k) + ',';
        parts["part" + std::to_string(i) + ".txt"] = data;
    }
    const QByteArray bytes = pack(parts);
    ZipArchive archive(bytes.constData(), bytes.size());
    std::vector<QByteArray> read(archive.names().size() * 4);
    forEachIndex(int(read.size()), [&](int i) { read[size_t(i)] = archive.readAll(archive.names()[size_t(i) % archive.names().size()]); });
    for (size_t i = 0; i < read.size(); ++i) EXPECT_EQ(read[i], parts.at(archive.names()[i % archive.names().size()])) << i;
}
