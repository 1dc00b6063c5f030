#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringConverter>
#include <QStringView>

#include <optional>

namespace model {

// The one converter between text and code page 932 (Windows-31J), the code page of the
// system's CSV files and of Japanese legacy workbooks. Qt converts when it was built with a
// converter for the code page (ICU); without one, the system's converter does.
class Cp932Codec {
public:
    enum class Converter { Automatic, System };
    explicit Cp932Codec(Converter converter = Converter::Automatic);
    // Qt's converters keep their own address for the errors they count: never copied or moved.
    Cp932Codec(const Cp932Codec&) = delete;
    Cp932Codec& operator=(const Cp932Codec&) = delete;

    // Whether any converter is at hand; without one nothing encodes or decodes.
    bool available() const { return decoder_ || system_; }

    // The bytes of `text`, or nothing when the code page cannot hold it exactly (a character
    // without a code, or one that would come back as a look-alike).
    std::optional<QByteArray> encode(QStringView text);
    // The text of `bytes`, or nothing when they are not valid code page 932.
    std::optional<QString> decode(QByteArrayView bytes);
    // The text of `bytes`, an invalid byte read as U+FFFD, for readers that take what they can.
    QString decodeLenient(QByteArrayView bytes);

private:
    bool system_ = false;
    std::optional<QStringEncoder> encoder_;
    std::optional<QStringDecoder> decoder_;
};

// Whether code page 932 (Windows-31J), the code page of the system's CSV files, holds every
// character of `text` exactly: no unmapped characters and no best-fit substitutes
// (a yen sign is not a backslash, a wave dash is not a full-width tilde).
bool representableInCp932(QStringView text);

// The first character (a whole code point) of `text` that code page 932 cannot hold, or an
// empty string when it holds them all.
QString firstUnrepresentableInCp932(QStringView text);

// The character code page 932 holds for a well-known look-alike it lacks (µ → μ, 〜 → ～,
// − → －, ¥ → ￥ and the like), or `ch` itself. A text with these replaced looks the same
// and can be saved.
char16_t cp932LookAlike(char16_t ch);
QString withCp932LookAlikes(QStringView text);
// The same; a text that holds none, as most do, is handed back shared, not copied.
QString withCp932LookAlikes(const QString& text);

// One character (a whole code point) as messages name it: 「é」(U+00E9).
QString characterForMessage(QStringView ch);

} // namespace model
