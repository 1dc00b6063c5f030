#include "judge/SpecJudgement.h"
#include "TestSheet.h"

#include "model/NumberText.h"

#include <gtest/gtest.h>

using namespace judge;
using judge::testing::TestSheet;
using judge::testing::q;

TEST(WithinSpec, LimitsAreInclusiveAndFollowTheKind)
{
    struct Case { SpecKind kind; double value; bool passes; };
    const Case cases[] = {
        {SpecKind::Tolerance, 9.5, true},   {SpecKind::Tolerance, 10.5, true},
        {SpecKind::Tolerance, 10.501, false}, {SpecKind::Tolerance, 9.499, false},
        {SpecKind::UpperOnly, 10.5, true},  {SpecKind::UpperOnly, -1e9, true}, {SpecKind::UpperOnly, 10.6, false},
        {SpecKind::LowerOnly, 9.5, true},   {SpecKind::LowerOnly, 1e9, true},  {SpecKind::LowerOnly, 9.4, false},
    };
    for (const Case& c : cases) {
        const SpecLimits limits{c.kind, 10.5, 9.5};
        EXPECT_EQ(WithinSpec(limits, c.value), c.passes) << int(c.kind) << " " << c.value;
    }
}

TEST(SpecLimitsText, ReadsOnlyTheLimitsTheKindUses)
{
    EXPECT_TRUE(tryReadSpecLimits(SpecKind::UpperOnly, u"11", u"").has_value());
    EXPECT_TRUE(tryReadSpecLimits(SpecKind::LowerOnly, u"", u"9").has_value());
    EXPECT_FALSE(tryReadSpecLimits(SpecKind::Tolerance, u"11", u"").has_value());
    EXPECT_FALSE(tryReadSpecLimits(SpecKind::Tolerance, u"x", u"9").has_value());
    const auto l = tryReadSpecLimits(SpecKind::Tolerance, u" 10.5 ", u"9.5");
    ASSERT_TRUE(l);
    EXPECT_EQ(l->upper, 10.5);
    EXPECT_EQ(l->lower, 9.5);
    try {
        readSpecLimits(SpecKind::LowerOnly, u"", u"abc");
        FAIL();
    } catch (const model::ConvertError& e) {
        EXPECT_EQ(e.message(), q("'abc' は浮動小数点数ではありません"));
    }
}

TEST(SpecLimitsText, PainterCheckIsSilentOnBadTexts)
{
    struct Case { const char16_t* cell; SpecKind kind; const char16_t* upper; const char16_t* lower; bool red; };
    const Case cases[] = {
        {u"10.501", SpecKind::Tolerance, u"10.5", u"9.5", true},
        {u"10.5", SpecKind::Tolerance, u"10.5", u"9.5", false},
        {u"9.4", SpecKind::Tolerance, u"10.5", u"9.5", true},
        {u"10.8", SpecKind::Tolerance, u"11", u"9.5", false}, // a limit rewritten with 0 digits
        {u"9.4", SpecKind::UpperOnly, u"10.5", u"", false},
        {u"12", SpecKind::UpperOnly, u"10.5", u"", true},
        {u"12", SpecKind::LowerOnly, u"", u"9.5", false},
        {u"   ", SpecKind::Tolerance, u"10.5", u"9.5", false},
        {u"abc", SpecKind::Tolerance, u"10.5", u"9.5", false},
        {u"12", SpecKind::Tolerance, u"", u"9.5", false},
        {u"12", SpecKind::Tolerance, u"10.5", u"x", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isOutOfSpecText(QString::fromUtf16(c.cell), c.kind, QString::fromUtf16(c.upper),
                                  QString::fromUtf16(c.lower)), c.red)
            << QString::fromUtf16(c.cell).toStdString();
}

namespace {

Outcome judgeSheet(TestSheet& s, SpecKind kind = SpecKind::Tolerance)
{
    normaliseBlankCells(s.cells, s.lotCount, s.measurementCount);
    return scanSpecification(s.cells, s.lotCount, s.measurementCount, SpecLimits{kind, 10.5, 9.5});
}

} // namespace

TEST(SpecScan, OverallResult)
{
    struct Case { const char* name; std::vector<std::vector<const char*>> rows; Outcome expected; };
    const std::vector<Case> cases = {
        {"all pass", {{"9.5", "10.5"}, {"10"}}, Outcome::Pass},
        {"one fails", {{"9.5", "10.5"}, {"10", "10.501"}}, Outcome::Fail},
        {"every first value fails", {{"1", "2"}, {"20"}}, Outcome::Fail},
        {"single passing value", {{"", "10"}}, Outcome::Pass},
        {"no values", {{"", " "}, {"\t"}}, Outcome::NoResult},
    };
    for (const Case& c : cases) {
        TestSheet s;
        for (const auto& r : c.rows) {
            s.lot({});
            for (size_t i = 0; i < r.size(); ++i) s.cells.setText(int(i), s.lotCount, q(r[i]));
        }
        EXPECT_EQ(judgeSheet(s), c.expected) << c.name;
    }
}

TEST(SpecScan, DisabledLotsAreJudgedToo)
{
    TestSheet s;
    s.lot({"10"}).lot({"11"}, false);
    EXPECT_EQ(judgeSheet(s), Outcome::Fail);
}

TEST(SpecScan, BlankCellsAreEmptiedAndNeverJudged)
{
    TestSheet s;
    s.lot({"  ", "10", "\t "});
    s.cells.setText(4, 2, q(" ")); // beyond the lot count: not touched
    EXPECT_EQ(judgeSheet(s), Outcome::Pass);
    EXPECT_TRUE(s.cells.text(0, 1).isEmpty());
    EXPECT_TRUE(s.cells.text(2, 1).isEmpty());
    EXPECT_EQ(s.cells.text(1, 1), q("10"));
    EXPECT_EQ(s.cells.text(4, 2), q(" "));
}

TEST(SpecScan, RestOfAFailingRowIsNotConverted)
{
    TestSheet s;
    s.lot({"12", "abc"}).lot({"10"});
    EXPECT_EQ(judgeSheet(s), Outcome::Fail);

    TestSheet bad;
    bad.lot({"10", "abc", "12"});
    try {
        judgeSheet(bad);
        FAIL();
    } catch (const model::ConvertError& e) {
        EXPECT_EQ(e.text(), q("abc"));
    }
}

TEST(SpecScan, UpperAndLowerOnlyKinds)
{
    TestSheet upper;
    upper.lot({"1", "10.5"});
    EXPECT_EQ(judgeSheet(upper, SpecKind::UpperOnly), Outcome::Pass);
    upper.lot({"10.51"});
    EXPECT_EQ(judgeSheet(upper, SpecKind::UpperOnly), Outcome::Fail);

    TestSheet lower;
    lower.lot({"100", "9.5"});
    EXPECT_EQ(judgeSheet(lower, SpecKind::LowerOnly), Outcome::Pass);
    lower.lot({"9.49"});
    EXPECT_EQ(judgeSheet(lower, SpecKind::LowerOnly), Outcome::Fail);
}

TEST(SpecMark, PainterRuleOnTextsByKindIndex)
{
    struct Case {
        const char* value;
        int kind;
        const char *upper, *lower;
        bool outside;
    };
    const Case cases[] = {
        {"10.501", 0, "10.500", "9.500", true},  {"10.500", 0, "10.500", "9.500", false},
        {"9.500", 0, "10.500", "9.500", false},  {"9.499", 0, "10.500", "9.500", true},
        {"10.6", 1, "10.5", "", true},           {"1", 1, "10.5", "", false},
        {"-100", 1, "10.5", "", false},          {"9", 2, "", "9.5", true},
        {"100", 2, "", "9.5", false},            {"10.6", 0, "10.5", "", false}, // a needed limit missing
        {"10.6", 0, "10.5", "x", false},         {"abc", 0, "10.5", "9.5", false},
        {"  ", 0, "10.5", "9.5", false},         {" 11 ", 0, "10.5", "9.5", true},
        {"10.6", 2, "garbage", "9.5", false},    {"10.6", 1, "10.5", "garbage", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(judge::isOutOfSpecText(QString(c.value), judge::specKindFromIndex(c.kind), QString(c.upper), QString(c.lower)),
                  c.outside)
            << c.value << " kind " << c.kind;
}
