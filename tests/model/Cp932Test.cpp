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

TEST(Cp932Test, LookAlikesTheCodePageLacksBecomeTheOnesItHolds)
{
    const QString lacking = QStringLiteral("\u00a5\u203e\u00a6\u00b5\u301c\u2212\u2016\u2014\u00a2\u00a3\u00ac");
    const QString held = QStringLiteral("\uffe5\uffe3\uffe4\u03bc\uff5e\uff0d\u2225\u2015\uffe0\uffe1\uffe2");
    for (QChar c : lacking) EXPECT_FALSE(model::representableInCp932(QString(c))) << int(c.unicode());
    EXPECT_EQ(model::withCp932LookAlikes(lacking), held);
    EXPECT_TRUE(model::representableInCp932(held));
    // Everything else stays as it was, also what the code page cannot hold.
    EXPECT_EQ(model::withCp932LookAlikes(QStringLiteral("A-B~10µm😀é")), QStringLiteral("A-B~10μm😀é"));
    EXPECT_EQ(model::characterForMessage(QStringLiteral("é")), QStringLiteral("「é」(U+00E9)"));
    EXPECT_EQ(model::characterForMessage(QStringLiteral("😀")), QStringLiteral("「😀」(U+1F600)"));
}

// Qt without a converter for the code page falls back to the system's; both must agree byte
// for byte, refuse the same characters and the same invalid bytes.
TEST(Cp932Test, SystemConverterAgreesWithQtsOne)
{
    model::Cp932Codec system(model::Cp932Codec::Converter::System);
    model::Cp932Codec automatic;
    ASSERT_TRUE(system.available());
    ASSERT_TRUE(automatic.available());

    const QString text = QStringLiteral("品種名称ﾛｯﾄ№①㈱ⅰ髙～∥－￢\\~,\"abc\"\r\n");
    const std::optional<QByteArray> bytes = system.encode(text);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, automatic.encode(text));
    EXPECT_EQ(bytes->left(4), QByteArray("\x95\x69\x8e\xed", 4)); // 品種
    EXPECT_EQ(system.decode(*bytes), text);
    EXPECT_EQ(system.encode(QString()), QByteArray());

    for (const QString& refused : {QStringLiteral("¥"), QStringLiteral("〜"), QStringLiteral("a😀"), QString(QChar(0xd800))}) {
        EXPECT_FALSE(system.encode(refused).has_value()) << refused.toStdString();
        EXPECT_FALSE(automatic.encode(refused).has_value()) << refused.toStdString();
    }

    // A lead byte without its trail byte; a byte the code page leaves undefined.
    const QByteArray truncated("A\x82", 2);
    EXPECT_FALSE(system.decode(truncated).has_value());
    EXPECT_FALSE(automatic.decode(truncated).has_value());
    EXPECT_FALSE(system.decode(QByteArray("\x95\x69\xff", 3)).has_value());
    EXPECT_EQ(system.decodeLenient(QByteArray("\x95\x69\xff" "B\x82", 5)), QStringLiteral("品\uFFFDB\uFFFD"));
}
