#include "Platform/PercentEncoding.h"

#include <gtest/gtest.h>
#include <optional>

namespace tarnik {

TEST(PercentEncoding, DecodesStrictly)
{
    struct Case
    {
        const char *what;
        QString text;
        std::optional<QString> decoded;
    };
    const auto ok = [](const char16_t *text) { return std::optional<QString>(QString::fromUtf16(text)); };
    const std::optional<QString> fails;
    const Case cases[] = {
        { "empty", QString(), ok(u"") },
        { "no escapes", QStringLiteral("/var/mobile/Media"), ok(u"/var/mobile/Media") },
        { "slash and space", QStringLiteral("AC%2FDC%20live"), ok(u"AC/DC live") },
        { "lower-case hex", QStringLiteral("%2f%3a"), ok(u"/:") },
        { "plus stays a plus", QStringLiteral("a+b"), ok(u"a+b") },
        { "escaped percent", QStringLiteral("100%25"), ok(u"100%") },
        { "two-byte UTF-8", QStringLiteral("Gr%C3%BC%C3%9Fe"), ok(u"Grüße") },
        { "four-byte UTF-8", QStringLiteral("%F0%9F%8E%B5"), ok(u"\U0001F3B5") },
        { "escaped and literal mixed", QStringLiteral("%E2%80%93–"), ok(u"––") },
        { "NUL byte", QStringLiteral("a%00b"),
            std::optional<QString>(QString(QStringLiteral("a")) + QChar(0) + QLatin1Char('b')) },
        { "literal non-ASCII", QStringLiteral("Grüße"), ok(u"Grüße") },
        { "lone percent at the end", QStringLiteral("100%"), fails },
        { "one digit at the end", QStringLiteral("%4"), fails },
        { "non-hex digit", QStringLiteral("%G1"), fails },
        { "non-hex second digit", QStringLiteral("%1x"), fails },
        { "percent then space", QStringLiteral("% 20"), fails },
        { "non-ASCII after percent", QStringLiteral("%é1"), fails },
        { "lone continuation byte", QStringLiteral("%80"), fails },
        { "truncated sequence", QStringLiteral("%C3"), fails },
        { "truncated four-byte", QStringLiteral("%F0%9F%8E"), fails },
        { "lead then ASCII", QStringLiteral("%C3A"), fails },
        { "overlong slash", QStringLiteral("%C0%AF"), fails },
        { "overlong three-byte", QStringLiteral("%E0%80%AF"), fails },
        { "encoded surrogate", QStringLiteral("%ED%A0%80"), fails },
        { "beyond U+10FFFF", QStringLiteral("%F4%90%80%80"), fails },
        { "F5 lead", QStringLiteral("%F5%80%80%80"), fails },
        { "FF byte", QStringLiteral("%FF"), fails },
        { "Latin-1 byte", QStringLiteral("caf%E9"), fails },
        { "lone surrogate in the text", QString(QChar(0xD800)), fails },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PercentEncoding::decode(c.text), c.decoded);
    }
}

TEST(PercentEncoding, LongInputsDecode)
{
    QString text;
    QString expected;
    for (int i = 0; i < 100'000; ++i) {
        text += QStringLiteral("%C3%A9x");
        expected += QStringLiteral("éx");
    }
    EXPECT_EQ(PercentEncoding::decode(text), std::optional<QString>(expected));
    EXPECT_EQ(PercentEncoding::decode(QString(text + QLatin1Char('%'))), std::nullopt);
}

} // namespace tarnik
