#include "model/Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <vector>

namespace model {

namespace {

bool allAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

// Text converters that know the code page (Qt built with ICU): encode, then decode and
// compare, so a substitute never counts as the character itself.
std::optional<bool> representableWithQt(QStringView text)
{
    QStringEncoder encoder("windows-31j");
    QStringDecoder decoder("windows-31j");
    if (!encoder.isValid() || !decoder.isValid()) return std::nullopt;
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) return false;
    const QString back = decoder.decode(bytes);
    return !decoder.hasError() && back == text;
}

#if defined(_WIN32)
bool representableWithSystem(QStringView text)
{
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int n = int(text.size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, n, nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return false;
    std::vector<char> bytes(size_t(size));
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, n, bytes.data(), size, nullptr, &usedDefault);
    if (usedDefault) return false;
    std::vector<wchar_t> back(size_t(n) + 1);
    const int m = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), size, back.data(), n + 1);
    return m == n && std::equal(back.begin(), back.begin() + n, wide);
}
#else
bool convert(const char* to, const char* from, const QByteArray& in, QByteArray& out)
{
    const iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return false;
    out.resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == size_t(-1) || srcLeft != 0) return false;
    out.resize(out.size() - qsizetype(dstLeft));
    return true;
}

bool representableWithSystem(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray bytes, back;
    return convert("CP932", "UTF-8", utf8, bytes) && convert("UTF-8", "CP932", bytes, back) && back == utf8;
}
#endif

} // namespace

bool representableInCp932(QStringView text)
{
    if (allAscii(text)) return true;
    if (const auto viaQt = representableWithQt(text)) return *viaQt;
    return representableWithSystem(text);
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

QString characterForMessage(QStringView ch)
{
    uint code = ch.isEmpty() ? 0 : ch[0].unicode();
    if (ch.size() >= 2 && ch[0].isHighSurrogate() && ch[1].isLowSurrogate()) code = QChar::surrogateToUcs4(ch[0], ch[1]);
    return QStringLiteral("「%1」(U+%2)").arg(ch.toString(), QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper());
}

} // namespace model
