#include "Entries/NaturalSort.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>

using namespace tarnik;

namespace {

struct Pair
{
    const char16_t *a;
    const char16_t *b;
    int expected; // sign of compare(a, b)
};

int sign(int v)
{
    return (v > 0) - (v < 0);
}

} // namespace

TEST(NaturalSort, ComparesDigitRunsByValueAndLettersWithoutCaseOrAccent)
{
    const Pair cases[] = {
        { u"2", u"10", -1 }, { u"track 2.mp3", u"track 10.mp3", -1 }, { u"track 10.mp3", u"track 9.mp3", 1 },
        { u"a", u"B", -1 }, { u"b", u"A", 1 }, { u"song", u"SONG", 0 }, { u"007", u"7", 0 }, { u"x01y", u"x1z", -1 },
        { u"é", u"e", 0 }, { u"éa", u"eb", -1 }, { u"ab", u"abc", -1 }, { u"", u"a", -1 }, { u"", u"", 0 },
        // Numbers longer than any integer type still compare by value.
        { u"99999999999999999999999", u"100000000000000000000000", -1 }, { u"file", u"file1", -1 },
        { u"１２", u"3", 1 }, // full-width digits are digits
    };
    for (const Pair &c : cases) {
        const QString a = QString::fromUtf16(c.a);
        const QString b = QString::fromUtf16(c.b);
        EXPECT_EQ(sign(NaturalSort::compare(a, b)), c.expected) << a.toStdString() << " vs " << b.toStdString();
        EXPECT_EQ(sign(NaturalSort::compare(b, a)), -c.expected) << b.toStdString() << " vs " << a.toStdString();
    }
}

TEST(NaturalSort, SortIsStableForNamesThatCompareTheSame)
{
    QStringList names { QStringLiteral("b10"), QStringLiteral("B"), QStringLiteral("a2"), QStringLiteral("b"),
        QStringLiteral("A2"), QStringLiteral("b9"), QStringLiteral("a10") };
    NaturalSort::sort(names);
    const QStringList expected { QStringLiteral("a2"), QStringLiteral("A2"), QStringLiteral("a10"), QStringLiteral("B"),
        QStringLiteral("b"), QStringLiteral("b9"), QStringLiteral("b10") };
    EXPECT_EQ(names, expected);
}

TEST(NaturalSort, OddTextDoesNotBreakTheOrder)
{
    // Lone surrogates, control characters and replacement characters (from undecodable file
    // names) must sort without crashing and give a strict weak order.
    QStringList names { QString(QChar(0xD800)), QStringLiteral("\n"), QString(QChar(0xFFFD)) + QStringLiteral("1"),
        QStringLiteral("a\nb"), QString(QChar(0xDC00)), QStringLiteral("0"), QString() };
    NaturalSort::sort(names);
    ASSERT_EQ(names.size(), 7);
    for (qsizetype i = 1; i < names.size(); ++i)
        EXPECT_LE(NaturalSort::compare(names[i - 1], names[i]), 0);
}

TEST(NaturalSort, SortAgreesWithCompareOnManyNames)
{
    // Names built from the pieces where a precomputed key could go wrong: digit runs of every
    // length (leading zeros, longer than eight digits), characters just below and above the
    // digits, case and accents.
    const QStringList pieces { QStringLiteral("0"), QStringLiteral("007"), QStringLiteral("9"), QStringLiteral("10"),
        QStringLiteral("123456789"), QStringLiteral("0000000001234567890"), QStringLiteral("/"), QStringLiteral(":"),
        QStringLiteral(" "), QStringLiteral("a"), QStringLiteral("B"), QStringLiteral("é"), QStringLiteral(".mp3"),
        QStringLiteral("-") };
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    QStringList names;
    for (int i = 0; i < 3000; ++i) {
        QString name;
        const int count = 1 + int(next() % 5);
        for (int k = 0; k < count; ++k)
            name += pieces[qsizetype(next() % pieces.size())];
        names.append(name);
    }
    QStringList expected = names;
    std::stable_sort(expected.begin(), expected.end(),
        [](const QString &a, const QString &b) { return NaturalSort::compare(a, b) < 0; });
    NaturalSort::sort(names);
    EXPECT_EQ(names, expected);
}

TEST(NaturalSort, NameOrderGivesTheOrderOfSortFrontFirst)
{
    // Names as a directory gives them: ASCII, UTF-8 with accents and full-width digits, and bytes
    // that are no UTF-8 at all, with many names that compare as the same (case, accents, leading
    // zeros) so the tie order shows. Each front size is checked against sort() of the decoded
    // names, and each companion byte must travel with its name.
    const QList<QByteArray> pieces { "0", "007", "7", "10", "123456789", "a", "A", "\xc3\xa9", "e", "E", " ",
        "\xef\xbc\x91", "\xff", "\xc3", ".mp3", "-", "Z" };
    std::uint32_t seed = 4242;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    QList<QByteArray> bytes;
    for (int i = 0; i < 700; ++i) {
        QByteArray name;
        const int count = 1 + int(next() % 4);
        for (int k = 0; k < count; ++k)
            name += pieces[qsizetype(next() % pieces.size())];
        bytes.append(name);
    }
    QStringList expected;
    QByteArray expectedCompanions;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        expected.append(QFile::decodeName(bytes[i]));
        expectedCompanions.append(char(i % 251));
    }
    // Names that compare as the same keep their given order, so the companions' order is that of
    // a stable sort by compare().
    QList<qsizetype> order(expected.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
        [&](qsizetype a, qsizetype b) { return NaturalSort::compare(expected[a], expected[b]) < 0; });
    QStringList sortedNames;
    QByteArray sortedCompanions;
    for (const qsizetype i : order) {
        sortedNames.append(expected[i]);
        sortedCompanions.append(expectedCompanions[i]);
    }
    QStringList viaSort = expected;
    NaturalSort::sort(viaSort);
    ASSERT_EQ(viaSort, sortedNames);

    for (const qsizetype front : { qsizetype(0), qsizetype(1), qsizetype(37), qsizetype(100), qsizetype(700),
             qsizetype(900) }) {
        NaturalSort::NameOrder names;
        for (qsizetype i = 0; i < bytes.size(); ++i)
            names.append(bytes[i].constData(), size_t(bytes[i].size()), expectedCompanions[i]);
        ASSERT_EQ(names.size(), 700);
        QStringList first;
        QByteArray firstCompanions;
        names.takeFront(front, first, firstCompanions);
        const qsizetype taken = std::min<qsizetype>(front, 700);
        EXPECT_EQ(first, sortedNames.mid(0, taken)) << front;
        EXPECT_EQ(firstCompanions, sortedCompanions.mid(0, taken)) << front;
        QStringList all;
        QByteArray allCompanions;
        names.finish(all, allCompanions);
        EXPECT_EQ(all, sortedNames) << front;
        EXPECT_EQ(allCompanions, sortedCompanions) << front;
        // The front keeps the very text takeFront() gave.
        for (qsizetype i = 0; i < taken; ++i)
            EXPECT_TRUE(all[i].isSharedWith(first[i])) << front << " " << i;
    }
}
