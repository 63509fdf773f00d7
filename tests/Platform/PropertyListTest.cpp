#include "Platform/PropertyList.h"

#include "Support/PropertyListTools.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QUrl>
#include <gtest/gtest.h>
#include <limits>
#include <thread>
#include <vector>

namespace tarnik {

namespace {

QByteArray slurp(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool spit(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// One value of every type, as a dictionary the way a settings file holds them.
QVariantMap everyType()
{
    QVariantMap nested;
    nested.insert(
        QStringLiteral("list"), QVariantList { QVariant(qint64(1)), QVariant(QStringLiteral("two")), QVariant(false) });
    nested.insert(QStringLiteral("empty"), QVariantMap());
    return {
        { QStringLiteral("bool"), true },
        { QStringLiteral("negative"), QVariant::fromValue(qint64(-5)) },
        { QStringLiteral("signedMax"), QVariant::fromValue(std::numeric_limits<qint64>::max()) },
        { QStringLiteral("signedMin"), QVariant::fromValue(std::numeric_limits<qint64>::min()) },
        { QStringLiteral("unsignedMax"), QVariant::fromValue(std::numeric_limits<quint64>::max()) },
        { QStringLiteral("real"), 0.25 },
        { QStringLiteral("text"), QStringLiteral("Ünïcødé & <xml> \"quotes\"") },
        { QStringLiteral("emptyText"), QString() },
        { QStringLiteral("data"), QByteArray("\0\1\2\xff", 4) },
        // XML dates carry whole seconds.
        { QStringLiteral("date"), QDateTime::fromSecsSinceEpoch(1600000000, QTimeZone::utc()) },
        { QStringLiteral("oldDate"), QDateTime(QDate(1990, 6, 1), QTime(12, 0, 1), QTimeZone::utc()) },
        { QStringLiteral("nested"), nested },
    };
}

void expectSameTypesAndValues(const QVariant &expected, const QVariant &actual, const QString &where)
{
    SCOPED_TRACE(where.toStdString());
    ASSERT_EQ(expected.metaType(), actual.metaType()) << actual.metaType().name();
    if (expected.typeId() == QMetaType::QVariantMap) {
        const QVariantMap e = expected.toMap();
        const QVariantMap a = actual.toMap();
        ASSERT_EQ(e.keys(), a.keys());
        for (auto it = e.cbegin(); it != e.cend(); ++it)
            expectSameTypesAndValues(it.value(), a.value(it.key()), where + QLatin1Char('/') + it.key());
    } else if (expected.typeId() == QMetaType::QVariantList) {
        const QVariantList e = expected.toList();
        const QVariantList a = actual.toList();
        ASSERT_EQ(e.size(), a.size());
        for (qsizetype i = 0; i < e.size(); ++i)
            expectSameTypesAndValues(e[i], a[i], where + QLatin1Char('/') + QString::number(i));
    } else {
        EXPECT_EQ(expected, actual);
    }
}

} // namespace

TEST(PropertyList, EveryTypeSurvivesXmlAndBinaryAsItsOwnType)
{
    for (const auto format : { PropertyList::Format::Xml, PropertyList::Format::Binary }) {
        const auto bytes = PropertyList::toBytes(everyType(), format);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(bytes->startsWith("bplist00"), format == PropertyList::Format::Binary);
        const auto back = PropertyList::fromBytes(*bytes);
        ASSERT_TRUE(back);
        expectSameTypesAndValues(
            everyType(), *back, format == PropertyList::Format::Xml ? QStringLiteral("xml") : QStringLiteral("bin"));
    }
}

TEST(PropertyList, UidsKeepTheirTypeInBinaryAndTheirDictionaryFormInXml)
{
    const QVariantList in { QVariant::fromValue(PropertyList::Uid { 7 }) };
    const auto binary = PropertyList::fromBytes(*PropertyList::toBytes(in, PropertyList::Format::Binary));
    ASSERT_TRUE(binary);
    EXPECT_EQ(binary->toList().value(0), QVariant::fromValue(PropertyList::Uid { 7 }));
    const auto xml = PropertyList::fromBytes(*PropertyList::toBytes(in));
    ASSERT_TRUE(xml);
    EXPECT_EQ(
        xml->toList().value(0), QVariant(QVariantMap { { QStringLiteral("CF$UID"), QVariant::fromValue(qint64(7)) } }));
}

TEST(PropertyList, WriterWidensQtTypesToPropertyListTypes)
{
    const QVariantMap in {
        { QStringLiteral("int"), -3 },
        { QStringLiteral("uint"), 4u },
        { QStringLiteral("float"), 1.5f },
        { QStringLiteral("strings"), QStringList { QStringLiteral("a"), QStringLiteral("b") } },
        { QStringLiteral("hash"), QVariantHash { { QStringLiteral("k"), true } } },
    };
    const auto back = PropertyList::fromBytes(*PropertyList::toBytes(in));
    ASSERT_TRUE(back);
    const QVariantMap map = back->toMap();
    EXPECT_EQ(map.value(QStringLiteral("int")), QVariant::fromValue(qint64(-3)));
    EXPECT_EQ(map.value(QStringLiteral("uint")), QVariant::fromValue(qint64(4)));
    EXPECT_EQ(map.value(QStringLiteral("float")), QVariant(1.5));
    EXPECT_EQ(map.value(QStringLiteral("strings")),
        QVariant(QVariantList { QVariant(QStringLiteral("a")), QVariant(QStringLiteral("b")) }));
    EXPECT_EQ(map.value(QStringLiteral("hash")), QVariant(QVariantMap { { QStringLiteral("k"), true } }));
}

TEST(PropertyList, ValuesWithoutAPropertyListFormAreRefused)
{
    const QVariant cases[] = {
        QVariant(), QVariant(QUrl(QStringLiteral("file:///x"))),
        QVariant(QVariantMap { { QStringLiteral("ok"), 1 }, { QStringLiteral("bad"), QVariant() } }),
        QVariant(QVariantList { 1, QUrl() }), QVariant(QDateTime()),
        QVariant(QDateTime(QDate(2200, 1, 1), QTime(0, 0), QTimeZone::utc())), // past libplist's 32-bit seconds
    };
    for (const QVariant &value : cases)
        EXPECT_FALSE(PropertyList::toBytes(value)) << value.metaType().name();
}

TEST(PropertyList, UnreadableInputsGiveNoValue)
{
    QTemporaryDir dir;
    const QByteArray xml = *PropertyList::toBytes(everyType());
    const QByteArray binary = *PropertyList::toBytes(everyType(), PropertyList::Format::Binary);
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        { "empty", {} },
        { "text", "hello, world" },
        { "truncatedXml", xml.left(xml.size() / 2) },
        { "truncatedBinary", binary.left(binary.size() - 10) },
        { "binaryHeaderOnly", "bplist00" },
        { "json", "{\"a\": 1}" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(PropertyList::fromBytes(c.bytes));
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(spit(path, c.bytes));
        EXPECT_FALSE(PropertyList::read(path));
        EXPECT_FALSE(PropertyList::readDictionary(path));
    }
    EXPECT_FALSE(PropertyList::read(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(PropertyList::read(dir.path())) << "a folder is not a property list";
}

TEST(PropertyList, PseudoFilesAndFilesPastTheLimitAreNeverReadWhole)
{
    // procfs reports size 0 for a file that reads on for hundreds of gigabytes.
    for (const char *pseudo :
        { "/proc/self/pagemap", "/proc/self/status", "/sys/kernel/mm/transparent_hugepage/enabled" }) {
        SCOPED_TRACE(pseudo);
        EXPECT_FALSE(PropertyList::read(QString::fromLatin1(pseudo)));
        EXPECT_FALSE(PropertyList::readDictionary(QString::fromLatin1(pseudo), 1024));
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("records.plist"));
    const QByteArray bytes = *PropertyList::toBytes(everyType());
    ASSERT_TRUE(spit(path, bytes));
    EXPECT_TRUE(PropertyList::readDictionary(path, bytes.size())) << "a file of exactly the limit";
    EXPECT_FALSE(PropertyList::readDictionary(path, bytes.size() - 1)) << "one byte past the limit";
}

namespace {

// A binary property list of `count` arrays, array i holding `fanOut` references to array i + 1,
// the last one empty: nesting `count` deep, and expanding to fanOut^count nodes.
QByteArray chainOfArrays(quint32 count, int fanOut)
{
    const auto be32 = [](QByteArray &out, quint64 value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.append(char((value >> shift) & 0xff));
    };
    QByteArray out("bplist00");
    std::vector<quint64> offsets;
    for (quint32 i = 0; i < count; ++i) {
        offsets.push_back(quint64(out.size()));
        if (i + 1 == count) {
            out.append(char(0xA0));
            continue;
        }
        out.append(char(0xA0 | fanOut));
        for (int k = 0; k < fanOut; ++k)
            be32(out, i + 1);
    }
    const quint64 table = quint64(out.size());
    for (const quint64 offset : offsets)
        be32(out, offset);
    out.append(QByteArray(6, '\0'));
    out.append(char(4)); // offset size
    out.append(char(4)); // reference size
    for (const quint64 value : { quint64(count), quint64(0), table }) {
        out.append(QByteArray(4, '\0'));
        be32(out, value);
    }
    return out;
}

QByteArray nestedXml(int depth)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">" + QByteArray("<array>").repeated(depth)
        + QByteArray("</array>").repeated(depth) + "</plist>";
}

} // namespace

TEST(PropertyList, HostileNestingIsRefusedWithoutCrashing)
{
    // Nesting real files could have still reads, in both formats.
    const auto shallowBinary = PropertyList::fromBytes(chainOfArrays(100, 1));
    ASSERT_TRUE(shallowBinary);
    EXPECT_EQ(shallowBinary->typeId(), QMetaType::QVariantList);
    EXPECT_TRUE(PropertyList::fromBytes(nestedXml(100)));
    EXPECT_TRUE(PropertyList::fromBytes(chainOfArrays(12, 2))) << "a shared object is fine in moderation";

    EXPECT_FALSE(PropertyList::fromBytes(chainOfArrays(200000, 1))) << "deep binary";
    EXPECT_FALSE(PropertyList::fromBytes(chainOfArrays(60, 2))) << "a small file that expands without bound";
    EXPECT_FALSE(PropertyList::fromBytes(nestedXml(200000))) << "deep XML";
    // Closing tags inside a comment do not hide the nesting.
    QByteArray commented = nestedXml(200000);
    commented.insert(commented.indexOf("<array>"), "<!-- " + QByteArray("</array>").repeated(200000) + " -->");
    EXPECT_FALSE(PropertyList::fromBytes(commented));
}

TEST(PropertyList, ReadDictionaryChecksTheRootType)
{
    QTemporaryDir dir;
    const QString array = dir.filePath(QStringLiteral("array.plist"));
    const QString dict = dir.filePath(QStringLiteral("dict.plist"));
    ASSERT_TRUE(PropertyList::write(array, QVariantList { 1, 2 }));
    ASSERT_TRUE(PropertyList::write(dict, everyType()));
    EXPECT_TRUE(PropertyList::read(array));
    EXPECT_FALSE(PropertyList::readDictionary(array));
    const auto map = PropertyList::readDictionary(dict);
    ASSERT_TRUE(map);
    expectSameTypesAndValues(everyType(), *map, QStringLiteral("file"));
}

TEST(PropertyList, FilesOpenInPlistutilBothWays)
{
    QTemporaryDir dir;
    const QString ours = dir.filePath(QStringLiteral("ours.plist"));
    ASSERT_TRUE(PropertyList::write(ours, everyType()));
    EXPECT_TRUE(slurp(ours).startsWith("<?xml"));

    // plistutil reads our XML; its binary rendering of it reads back the same here.
    const auto xml = test::plistutil(ours);
    ASSERT_TRUE(xml) << "plistutil refused our file";
    EXPECT_TRUE(xml->contains("<key>unsignedMax</key>"));
    const auto binary = test::plistutil(ours, QStringLiteral("bin"));
    ASSERT_TRUE(binary);
    const QString theirs = dir.filePath(QStringLiteral("theirs.plist"));
    ASSERT_TRUE(spit(theirs, *binary));
    const auto map = PropertyList::readDictionary(theirs);
    ASSERT_TRUE(map);
    expectSameTypesAndValues(everyType(), *map, QStringLiteral("plistutil"));
}

TEST(PropertyList, FailedWriteLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.plist"));
    ASSERT_TRUE(PropertyList::write(path, everyType()));
    const QByteArray before = slurp(path);

    EXPECT_FALSE(PropertyList::write(path, QVariant(QUrl())));
    EXPECT_EQ(slurp(path), before);

    // A path below a regular file can never be created.
    EXPECT_FALSE(PropertyList::write(path + QStringLiteral("/child.plist"), everyType()));
    EXPECT_FALSE(PropertyList::write(dir.filePath(QStringLiteral("no/such/folder.plist")), everyType()));
    EXPECT_EQ(slurp(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { QStringLiteral("keep.plist") })
        << "no temporary file is left behind";
}

TEST(PropertyList, ThreadsReadAndWriteTheirOwnFilesAtOnce)
{
    QTemporaryDir dir;
    std::vector<std::thread> threads;
    std::atomic<int> failures = 0;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            const QString path = dir.filePath(QStringLiteral("t%1.plist").arg(t));
            for (int i = 0; i < 40; ++i) {
                QVariantMap value = everyType();
                value.insert(QStringLiteral("i"), i);
                const auto back = PropertyList::write(path, value) ? PropertyList::readDictionary(path) : std::nullopt;
                if (!back || back->value(QStringLiteral("i")) != QVariant::fromValue(qint64(i)))
                    ++failures;
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
}

} // namespace tarnik
