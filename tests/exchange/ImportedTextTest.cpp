// Imported texts fitted to what the sheet files hold, and the place of a character they
// cannot hold.
#include "ExchangeTestSupport.h"

#include "exchange/ImportedText.h"
#include "ImportedSheet.h"

#include <gtest/gtest.h>

using namespace exchange;

TEST(ImportedTextTest, LookAlikesAreReplacedEverywhereAndTheFirstOtherCharacterIsPlaced)
{
    std::vector<model::SheetRecord> records{
        test_support::importedSheet(QStringLiteral("µ幅"), {"A\u22121,1.5,\"x,\u301c\",", "K002,,,"}),
        test_support::importedSheet("B", {"K001,1,2,", "K002,3,\u00e9,"}),
        test_support::importedSheet("C", {"K001,\U0001F600,"}),
    };
    records[0].unit = QStringLiteral("\u00b5m");
    // Fitted in any order (as on every core), the first in the file's order is the one placed.
    std::vector<model::SheetRecord> backwards = records;
    const auto foundBackwards = fitToCp932(backwards, [](int count, const std::function<void(int)>& step) {
        for (int i = count - 1; i >= 0; --i) step(i);
    });
    ASSERT_TRUE(foundBackwards);
    EXPECT_EQ(foundBackwards->sheetNumber, 2);
    const auto found = fitToCp932(records);
    // Every sheet is fitted, also after the first refusal's sheet.
    EXPECT_EQ(records[0].item, QStringLiteral("μ幅"));
    EXPECT_EQ(records[0].unit, QStringLiteral("μm"));
    EXPECT_EQ(records[0].dataLines[0], QStringLiteral("A－1,1.5,\"x,～\","));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->sheetNumber, 2);
    EXPECT_EQ(found->row, 6);
    EXPECT_EQ(found->col, 3);
    EXPECT_EQ(found->character, QStringLiteral("é"));
    EXPECT_EQ(notHeldImportMessage(*found, ReadMode::Workbook),
              QStringLiteral("取り込むデータに使用できない文字「é」(U+00E9)が含まれています（ワークシート2のセルC6：測定値）。"
                             "取り込みは行いませんでした。"));
    EXPECT_EQ(notHeldImportMessage(*found, ReadMode::Csv),
              QStringLiteral("取り込むデータに使用できない文字「é」(U+00E9)が含まれています（6行目の3番目の項目：測定値）。"
                             "取り込みは行いませんでした。"));

    std::vector<model::SheetRecord> fitting{test_support::importedSheet("\u2014", {"K001,1,"})};
    EXPECT_FALSE(fitToCp932(fitting));
    EXPECT_EQ(fitting[0].item, QStringLiteral("―"));
}
