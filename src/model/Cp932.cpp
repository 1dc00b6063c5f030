#include "model/Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace model {

namespace {

bool allAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

constexpr char16_t kReplacement = 0xFFFD;

#if defined(_WIN32)
constexpr bool systemConverterAvailable() { return true; }

std::optional<QByteArray> systemEncode(QStringView text)
{
    if (text.isEmpty()) return QByteArray();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int n = int(text.size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, n, nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, n, bytes.data(), size, nullptr, &usedDefault);
    if (usedDefault) return std::nullopt;
    return bytes;
}

// Decodes a whole run; an invalid byte is reported by the size the system gives back.
std::optional<QString> systemDecodeRun(const char* p, int n)
{
    if (n == 0) return QString();
    const int size = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, p, n, nullptr, 0);
    if (size <= 0) return std::nullopt;
    QString text(size, Qt::Uninitialized);
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, p, n, reinterpret_cast<wchar_t*>(text.data()), size);
    return text;
}

QString systemDecode(QByteArrayView bytes, bool& valid)
{
    valid = true;
    if (auto whole = systemDecodeRun(bytes.data(), int(bytes.size()))) return *whole;
    // Character by character (one or two bytes), so that only the invalid ones are replaced.
    valid = false;
    QString text;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const bool pair = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && i + 1 < bytes.size();
        const int n = pair ? 2 : 1;
        if (auto ch = systemDecodeRun(bytes.data() + i, n)) {
            text += *ch;
            i += n;
        } else {
            text += QChar(kReplacement);
            ++i;
        }
    }
    return text;
}
#else
bool systemConverterAvailable()
{
    const iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == iconv_t(-1)) return false;
    iconv_close(cd);
    return true;
}

// Converts all of `in`; on an invalid sequence, `onInvalid` is told how far it got and may
// skip bytes and go on (returning true) or give up (false).
template <typename OnInvalid>
bool iconvConvert(const char* to, const char* from, QByteArrayView in, QByteArray& out, OnInvalid onInvalid)
{
    const iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return false;
    out.resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    bool ok = true;
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1)) break;
        if (errno == E2BIG || !onInvalid(src, srcLeft, dst, dstLeft)) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    out.resize(out.size() - qsizetype(dstLeft));
    return ok;
}

std::optional<QByteArray> systemEncode(QStringView text)
{
    const QByteArrayView utf16(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    QByteArray bytes, back;
    const auto stop = [](char*&, size_t&, char*&, size_t&) { return false; };
    // Out and back: a best-fit substitute would not come back as the character itself.
    if (!iconvConvert("CP932", "UTF-16LE", utf16, bytes, stop) || !iconvConvert("UTF-16LE", "CP932", bytes, back, stop) || back != utf16)
        return std::nullopt;
    return bytes;
}

QString systemDecode(QByteArrayView bytes, bool& valid)
{
    valid = true;
    QByteArray utf16;
    // An invalid byte becomes U+FFFD and the conversion goes on after it.
    const auto replace = [&valid](char*& src, size_t& srcLeft, char*& dst, size_t& dstLeft) {
        if (dstLeft < 2) return false;
        valid = false;
        *dst++ = char(kReplacement & 0xFF);
        *dst++ = char(kReplacement >> 8);
        dstLeft -= 2;
        ++src;
        --srcLeft;
        return true;
    };
    if (!iconvConvert("UTF-16LE", "CP932", bytes, utf16, replace)) valid = false;
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}
#endif

} // namespace

Cp932Codec::Cp932Codec(Converter converter)
{
    if (converter == Converter::Automatic) {
        encoder_.emplace("windows-31j", QStringEncoder::Flag::Stateless);
        decoder_.emplace("windows-31j", QStringDecoder::Flag::Stateless);
        if (!encoder_->isValid() || !decoder_->isValid()) {
            encoder_.reset();
            decoder_.reset();
        }
    }
    if (!decoder_) system_ = systemConverterAvailable();
}

std::optional<QByteArray> Cp932Codec::encode(QStringView text)
{
    if (decoder_) {
        encoder_->resetState();
        decoder_->resetState();
        QByteArray bytes = encoder_->encode(text);
        if (encoder_->hasError()) return std::nullopt;
        // Out and back: a substitute never counts as the character itself.
        const QString back = decoder_->decode(bytes);
        if (decoder_->hasError() || back != text) return std::nullopt;
        return bytes;
    }
    if (system_) return systemEncode(text);
    return std::nullopt;
}

std::optional<QString> Cp932Codec::decode(QByteArrayView bytes)
{
    bool valid = false;
    QString text;
    if (decoder_) {
        decoder_->resetState();
        text = decoder_->decode(bytes);
        valid = !decoder_->hasError();
    } else if (system_) {
        text = systemDecode(bytes, valid);
    }
    if (!valid) return std::nullopt;
    return text;
}

QString Cp932Codec::decodeLenient(QByteArrayView bytes)
{
    if (decoder_) {
        decoder_->resetState();
        return decoder_->decode(bytes);
    }
    bool valid = false;
    if (system_) return systemDecode(bytes, valid);
    return QString(bytes.size(), QChar(kReplacement));
}

bool representableInCp932(QStringView text)
{
    if (allAscii(text)) return true;
    return Cp932Codec().encode(text).has_value();
}

QString firstUnrepresentableInCp932(QStringView text)
{
    if (representableInCp932(text)) return QString();
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView ch = text.mid(i, n);
        if (!representableInCp932(ch)) return ch.toString();
        i += n;
    }
    return QString(); // each character alone fits; only their combination did not
}

char16_t cp932LookAlike(char16_t ch)
{
    switch (ch) {
    case 0x00A5: return 0xFFE5; // yen sign → full-width yen sign
    case 0x203E: return 0xFFE3; // overline → full-width macron
    case 0x00A6: return 0xFFE4; // broken bar → full-width broken bar
    case 0x00B5: return 0x03BC; // micro sign → Greek small mu
    case 0x301C: return 0xFF5E; // wave dash → full-width tilde
    case 0x2212: return 0xFF0D; // minus sign → full-width hyphen-minus
    case 0x2016: return 0x2225; // double vertical line → parallel to
    case 0x2014: return 0x2015; // em dash → horizontal bar
    case 0x00A2: return 0xFFE0; // cent sign → full-width cent sign
    case 0x00A3: return 0xFFE1; // pound sign → full-width pound sign
    case 0x00AC: return 0xFFE2; // not sign → full-width not sign
    default: return ch;
    }
}

QString withCp932LookAlikes(QStringView text)
{
    QString out = text.toString();
    for (QChar& c : out) c = QChar(cp932LookAlike(c.unicode()));
    return out;
}

QString withCp932LookAlikes(const QString& text)
{
    for (QChar c : text)
        if (cp932LookAlike(c.unicode()) != c.unicode()) return withCp932LookAlikes(QStringView(text));
    return text;
}

QString characterForMessage(QStringView ch)
{
    uint code = ch.isEmpty() ? 0 : ch[0].unicode();
    if (ch.size() >= 2 && ch[0].isHighSurrogate() && ch[1].isLowSurrogate()) code = QChar::surrogateToUcs4(ch[0], ch[1]);
    return QStringLiteral("「%1」(U+%2)").arg(ch.toString(), QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper());
}

} // namespace model
