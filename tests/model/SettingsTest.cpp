// Settings as read from a hand-edited file: each value brought to what its control can hold.
#include "model/Settings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

model::StoredSettings readBack(const std::initializer_list<std::pair<const char*, const char*>> values)
{
    QTemporaryDir dir;
    QSettings file(dir.filePath("settings.ini"), QSettings::IniFormat);
    for (const auto& [key, value] : values) file.setValue(key, value);
    file.sync();
    return model::loadSettings(file);
}

} // namespace

TEST(Settings, CountsAndDigitsAreClampedToTheirSpinFieldsRanges)
{
    const model::AppSettings low = readBack({{"Settings/Tab", "0"}, {"Settings/Row", "9"}, {"Settings/Col", "-4"}, {"Settings/Keta", "-1"}}).app;
    EXPECT_EQ(low.Tab, 1);
    EXPECT_EQ(low.Row, 10);
    EXPECT_EQ(low.Col, 1);
    EXPECT_EQ(low.Keta, 0);
    const model::AppSettings high = readBack({{"Settings/Tab", "101"}, {"Settings/Row", "100"}, {"Settings/Col", "999999"}, {"Settings/Keta", "6"}}).app;
    EXPECT_EQ(high.Tab, 100);
    EXPECT_EQ(high.Row, 100);
    EXPECT_EQ(high.Col, 100);
    EXPECT_EQ(high.Keta, 5);
}

TEST(Settings, ListValuesOutsideTheirListsTakeTheirDefaults)
{
    const model::StoredSettings s = readBack({{"Settings/SpecIndex", "3"}, {"Settings/CpkIndex", "0"}, {"Settings/ChartIndex", "2"},
                                              {"Settings/LimitIndex", "-1"}, {"Options/Chk3Comp1", "9"},
                                              {"Options/Chk7Comp1", "13"}, {"Options/Chk8Comp1", "5"}});
    EXPECT_EQ(s.app.SpecIndex, 0);
    EXPECT_EQ(s.app.CpkIndex, 0);
    EXPECT_EQ(s.app.ChartIndex, 2);
    EXPECT_EQ(s.app.LimitIndex, 0);
    EXPECT_EQ(s.rules.Chk3Comp1, 6);
    EXPECT_EQ(s.rules.Chk7Comp1, 13);
    EXPECT_EQ(s.rules.Chk8Comp1, 8);
}

TEST(Settings, AWindowBelowItsCountTakesBothDefaultsAnEqualOneIsKept)
{
    const model::RuleOptions below = readBack({{"Options/Chk5Comp1", "5"}, {"Options/Chk5Comp2", "6"},
                                               {"Options/Chk6Comp1", "5"}, {"Options/Chk6Comp2", "8"}}).rules;
    EXPECT_EQ(below.Chk5Comp1, 3);
    EXPECT_EQ(below.Chk5Comp2, 2);
    EXPECT_EQ(below.Chk6Comp1, 5);
    EXPECT_EQ(below.Chk6Comp2, 4);
    const model::RuleOptions equal = readBack({{"Options/Chk5Comp1", "6"}, {"Options/Chk5Comp2", "6"},
                                               {"Options/Chk6Comp1", "9"}, {"Options/Chk6Comp2", "9"}}).rules;
    EXPECT_EQ(equal.Chk5Comp1, 6);
    EXPECT_EQ(equal.Chk5Comp2, 6);
    EXPECT_EQ(equal.Chk6Comp1, 9); // a count outside its list: the pair is checked with its default
    EXPECT_EQ(equal.Chk6Comp2, 4);
}

TEST(Settings, AThresholdTheThresholdFieldCouldNotHoldReadsAs133)
{
    for (const char* kept : {"1.5", "2", "1.00", ".5", "10."})
        EXPECT_EQ(readBack({{"Settings/CpCpk", kept}}).app.CpCpk, kept) << kept;
    for (const char* replaced : {"abc", "", ".", "-1", "1e3", "1.333", " 1.5", "1,5", "1..3"})
        EXPECT_EQ(readBack({{"Settings/CpCpk", replaced}}).app.CpCpk, "1.33") << replaced;
}

TEST(Settings, BoundsOnNoScreenGiveWayToTheDefaultsOnThePrimaryScreen)
{
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QPoint primary(0, 0);
    const model::WindowBounds partly{-900, 100, 639, 950};
    EXPECT_EQ(model::boundsOnScreens(partly, screens, primary), partly);
    const model::WindowBounds second{2500, 500, 639, 950};
    EXPECT_EQ(model::boundsOnScreens(second, screens, primary), second);
    EXPECT_EQ(model::boundsOnScreens({-5000, -5000, 639, 950}, screens, primary), model::WindowBounds{});
    EXPECT_EQ(model::boundsOnScreens({3200, 0, 639, 950}, screens, QPoint(1920, 0)), (model::WindowBounds{1920, 0, 639, 950}));
}
