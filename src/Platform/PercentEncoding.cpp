#include "Platform/PercentEncoding.h"

#include <QByteArray>

namespace tarnik::PercentEncoding {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Strict UTF-8 per RFC 3629: shortest forms only, no surrogates, at most U+10FFFF.
bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char lead = *p++;
        if (lead < 0x80)
            continue;
        int continuation;
        unsigned char low = 0x80; // allowed range of the first continuation byte
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            continuation = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuation = 2;
            if (lead == 0xE0)
                low = 0xA0; // overlong below U+0800
            else if (lead == 0xED)
                high = 0x9F; // surrogates U+D800..U+DFFF
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            continuation = 3;
            if (lead == 0xF0)
                low = 0x90; // overlong below U+10000
            else if (lead == 0xF4)
                high = 0x8F; // above U+10FFFF
        } else {
            return false; // stray continuation byte, overlong C0/C1, or F5..FF
        }
        if (end - p < continuation)
            return false;
        if (*p < low || *p > high)
            return false;
        ++p;
        for (int i = 1; i < continuation; ++i, ++p) {
            if (*p < 0x80 || *p > 0xBF)
                return false;
        }
    }
    return true;
}

} // namespace

std::optional<QString> decode(QStringView text)
{
    // A QString can hold lone surrogates, which have no UTF-8 form; the conversion would
    // replace them silently, so refuse them first.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return std::nullopt;
    }
    const QByteArray utf8 = text.toUtf8();
    QByteArray bytes;
    bytes.reserve(utf8.size());
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c != '%') {
            bytes.append(c);
            continue;
        }
        if (i + 2 >= utf8.size())
            return std::nullopt;
        const int high = hexValue(utf8[i + 1]);
        const int low = hexValue(utf8[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.append(static_cast<char>(high * 16 + low));
        i += 2;
    }
    if (!isValidUtf8(bytes))
        return std::nullopt;
    return QString::fromUtf8(bytes);
}

} // namespace tarnik::PercentEncoding
