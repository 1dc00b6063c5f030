#include "model/CommaText.h"
#include "model/DataLine.h"

#include <gtest/gtest.h>

using namespace model;

TEST(CommaText, WritesQuotingOnlyWhatNeedsIt)
{
    EXPECT_EQ(writeCommaText({"1.250", "", "1.300"}), "1.250,,1.300");
    EXPECT_EQ(writeCommaText({""}), "\"\"");
    EXPECT_EQ(writeCommaText({"", ""}), ",");
    EXPECT_EQ(writeCommaText({}), "");
    EXPECT_EQ(writeCommaText({"a b", "x\"y", "c,d", "\t"}), "\"a b\",\"x\"\"y\",\"c,d\",\"\t\"");
}

TEST(CommaText, ReadsFieldsByTheFieldRule)
{
    EXPECT_EQ(readCommaText(u"1.250,,1.300"), (QStringList{"1.250", "", "1.300"}));
    EXPECT_EQ(readCommaText(u"\"\""), QStringList{""});
    EXPECT_EQ(readCommaText(u""), QStringList{});
    EXPECT_EQ(readCommaText(u"a,"), QStringList{"a"});           // trailing comma adds nothing
    EXPECT_EQ(readCommaText(u",a"), (QStringList{"", "a"}));
    EXPECT_EQ(readCommaText(u",,"), (QStringList{"", ""}));
    EXPECT_EQ(readCommaText(u"  a  ,  b "), (QStringList{"a", "b"}));
    EXPECT_EQ(readCommaText(u"a b"), (QStringList{"a", "b"}));   // a blank ends an unquoted field
    EXPECT_EQ(readCommaText(u"\"x\"\"y\",\"c,d\""), (QStringList{"x\"y", "c,d"}));
    EXPECT_EQ(readCommaText(u"\"open"), QStringList{"open"});
    EXPECT_EQ(readCommaText(QString("a,b") + QChar(0) + ",c"), (QStringList{"a", "b"}));
}

TEST(CommaText, RoundTripsAnyFields)
{
    const QList<QStringList> lists = {
        {"1", "", "2"}, {""}, {"a b", " lead", "trail ", "\"", ",", "x,\"y\""}, {"", "", "3"}, {"K", "日本語"},
    };
    for (const QStringList& l : lists) EXPECT_EQ(readCommaText(writeCommaText(l)), l);
}

TEST(DataLine, LotNumberAndCells)
{
    EXPECT_EQ(writeDataLine("K001", {"1.250", "", "1.300"}), "K001,1.250,,1.300");
    EXPECT_EQ(writeDataLine("K001", {""}), "K001,\"\"");

    auto l = readDataLine(u"K001,1.250,,1.300");
    EXPECT_EQ(l.lotNumber, "K001");
    EXPECT_EQ(l.cells, (QStringList{"1.250", "", "1.300"}));

    l = readDataLine(u"1.0,2.0");                      // text before the first comma
    EXPECT_EQ(l.lotNumber, "1.0");
    l = readDataLine(u"1.0 2.0");                      // no comma: no lot number, all cells
    EXPECT_EQ(l.lotNumber, "");
    EXPECT_EQ(l.cells, (QStringList{"1.0", "2.0"}));
    l = readDataLine(u"K001,\"\"");
    EXPECT_EQ(l.cells, QStringList{""});
    l = readDataLine(u"  K 1,3");                      // unquoted lines read exactly as before
    EXPECT_EQ(l.lotNumber, "  K 1");
}

TEST(DataLine, AnyLotNumberSurvivesSaveAndLoad)
{
    for (const QString lot : {"A,B", "\"q\"", "  lead", "x y", "", "K001", ",", "\"", "ﾛｯﾄ№,1"}) {
        const auto l = readDataLine(writeDataLine(lot, {"1.0", "", "2.0"}));
        EXPECT_EQ(l.lotNumber, lot);
        EXPECT_EQ(l.cells, (QStringList{"1.0", "", "2.0"}));
    }
}
