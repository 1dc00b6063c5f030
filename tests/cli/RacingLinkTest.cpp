// The convert command while another user's loop keeps planting a link on the output's name and
// taking it away again: the file the link points to is never written.
#include "CliTestSupport.h"
#include "RacingLink.h"

#include "cli/Convert.h"
#include "cli/SheetFile.h"

#include <gtest/gtest.h>

using namespace cli_test;

TEST(RacingLink, ConvertNeverWritesThroughIt)
{
    test_support::RacingLink race;
    QTemporaryDir in;
    const QString input = in.filePath(QStringLiteral("book.csv"));
    writeCsv(input, sheet(q("外径"), {"K001,9.8,10,10.2", "K002,10.1,10.0,9.9"}));
    const QString output = race.path(QStringLiteral("race.xlsx"));
    race.race(QStringLiteral("race.xlsx"), [&] {
        try {
            cli::convertSheets(input, output);
            return true;
        } catch (const cli::FileError&) {
            return false;
        }
    });
}
