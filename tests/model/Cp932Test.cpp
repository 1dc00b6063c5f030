#include "model/Cp932.h"

#include <QString>
#include <gtest/gtest.h>

TEST(Cp932Test, HoldsExactlyWhatTheCodePageCanStore)
{
    struct Case {
        QString text;
        bool representable;
    };
    const Case cases[] = {
        {"", true},
        {"K001 abc #*,", true},
        {QStringLiteral("品種名称ﾛｯﾄ№"), true},
        {QStringLiteral("①㈱ⅰ髙"), true},            // the code page's own extensions
        {QStringLiteral("～∥－￢"), true},            // full-width forms it maps
        {QStringLiteral("\\~"), true},
        {QStringLiteral("😀"), false},                // outside the code page
        {QStringLiteral("ロット😀1"), false},
        {QStringLiteral("¥"), false},                 // best-fit substitutes are not the character
        {QStringLiteral("〜"), false},
        {QStringLiteral("−"), false},
        {QStringLiteral("\u00a0"), false},
        {QStringLiteral("é"), false},
        {QString(QChar(0xd800)), false},              // a lone surrogate
    };
    for (const Case& c : cases) EXPECT_EQ(model::representableInCp932(c.text), c.representable) << c.text.toStdString();
}
