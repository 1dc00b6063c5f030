// quorvane-cli judge on files far larger than the sheet layout: a CSV file of 80,000 long lines
// and a workbook of a million rows are judged from their first 104 rows exactly as files holding
// only those rows, without the memory the whole file would take.
#include "BigInputs.h"
#include "CliTestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace cli_test;

namespace {

// The report without the file's name.
QJsonArray sheetsJudged(const QString& file)
{
    const CliResult r = runCli({QStringLiteral("judge"), file, QStringLiteral("--format"), QStringLiteral("json")});
    EXPECT_TRUE(r.status == 0 || r.status == 1) << r.err.toStdString();
    return r.json()["sheets"].toArray();
}

} // namespace

TEST(BigInput, OnlyTheLayoutRowsAreJudgedInBoundedMemory)
{
    QTemporaryDir dir;
    const QString bigCsv = dir.filePath("big.csv"), smallCsv = dir.filePath("small.csv");
    big_inputs::writeCsv(bigCsv, 80000, 102); // lines of 102 fields: one column beyond CW as well
    big_inputs::writeCsv(smallCsv, 104, 102);
    const QString bigBook = dir.filePath("big.xlsx"), smallBook = dir.filePath("small.xlsx");
    big_inputs::writeWorkbook(bigBook, 1000000);
    big_inputs::writeWorkbook(smallBook, 104);

    const QJsonArray csv = sheetsJudged(bigCsv);
    ASSERT_EQ(csv.size(), 1);
    EXPECT_EQ(csv[0].toObject()["lots"].toInt(), 100);
    EXPECT_EQ(csv[0].toObject()["measurements"].toInt(), 100);
    EXPECT_EQ(csv, sheetsJudged(smallCsv));

    const QJsonArray book = sheetsJudged(bigBook);
    ASSERT_EQ(book.size(), 1);
    EXPECT_EQ(book[0].toObject()["lots"].toInt(), 100);
    EXPECT_EQ(book[0].toObject()["measurements"].toInt(), 3);
    EXPECT_EQ(book, sheetsJudged(smallBook));

#ifdef Q_OS_LINUX
    // The largest of the commands run so far, these included. Reading the whole files took well
    // over 500 MB; the layout's rows take a few. A child's figure includes this process's memory
    // when it was started, which a sanitizer inflates beyond meaning.
    if (!testing_support::underSanitizer()) {
        rusage children{};
        getrusage(RUSAGE_CHILDREN, &children);
        EXPECT_LT(children.ru_maxrss / 1024, 200) << "MiB at the peak of a judge command";
    }
#endif
}
