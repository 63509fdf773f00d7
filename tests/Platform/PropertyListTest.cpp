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

TEST(PropertyList, HostileNestingIsRefusedWithoutCrashing)
{
    using test::chainOfArrays;
    using test::HiddenClosers;
    using test::nestedXml;
    // Nesting real files could have still reads, in both formats, whatever hides in comments,
    // processing instructions and CDATA.
    const auto shallowBinary = PropertyList::fromBytes(chainOfArrays(100, 1));
    ASSERT_TRUE(shallowBinary);
    EXPECT_EQ(shallowBinary->typeId(), QMetaType::QVariantList);
    for (const HiddenClosers hidden :
        { HiddenClosers::none, HiddenClosers::comment, HiddenClosers::processingInstruction, HiddenClosers::cdata })
        EXPECT_TRUE(PropertyList::fromBytes(nestedXml(100, hidden))) << int(hidden);
    EXPECT_TRUE(PropertyList::fromBytes(chainOfArrays(12, 2))) << "a shared object is fine in moderation";
    EXPECT_EQ(PropertyList::fromBytes(nestedXml(1, HiddenClosers::cdata))->toList().value(0),
        QVariant(QStringLiteral("</string></array>")));

    // Each of these crashed or hung a reader once: every one must end in a refusal, in linear time.
    const struct
    {
        const char *what;
        QByteArray bytes;
    } hostile[] = {
        { "deep binary", chainOfArrays(200000, 1) },
        { "a small file that expands without bound (48 levels, each array twice)", chainOfArrays(48, 2) },
        { "an array holding itself", chainOfArrays(1, 1, true) },
        { "an array holding itself twice, below others", chainOfArrays(3, 2, true) },
        { "deep XML", nestedXml(200000) },
        { "deep XML, closing tags in comments", nestedXml(200000, HiddenClosers::comment) },
        { "deep XML, closing tags in processing instructions", nestedXml(200000, HiddenClosers::processingInstruction) },
        { "deep XML, closing tags in CDATA", nestedXml(200000, HiddenClosers::cdata) },
    };
    for (const auto &row : hostile)
        EXPECT_FALSE(PropertyList::fromBytes(row.bytes)) << row.what;

    // The depth a reader asks for is the limit.
    EXPECT_TRUE(PropertyList::fromBytes(nestedXml(64), 64));
    EXPECT_FALSE(PropertyList::fromBytes(nestedXml(65), 64));
    EXPECT_TRUE(PropertyList::fromBytes(chainOfArrays(64, 1), 64));
    EXPECT_FALSE(PropertyList::fromBytes(chainOfArrays(65, 1), 64));
}

TEST(PropertyList, MarkupTheDepthCheckCannotPlaceIsRefused)
{
    const QByteArray head = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    const struct
    {
        const char *body;
        bool reads;
    } rows[] = {
        { "<dict><key>a</key><string>x &lt; y</string></dict>", true },
        { "<dict><key>a</key><!-- <dict> --><true/></dict>", true },
        { "<array attr=\"1\"><string/></array>", true },
        { "<array><string>a<b</string></array>", false }, // markup inside a value
        { "<array></dict>", false }, // a closing tag that closes nothing open
        { "<array a=\">\"><array></array></array>", false }, // quotes that could hide the end of a tag
        { "<array><![CDATA[<array>]]></array>", false }, // CDATA outside a value
    };
    for (const auto &row : rows)
        EXPECT_EQ(PropertyList::fromBytes(head + row.body + "</plist>").has_value(), row.reads) << row.body;
    // A document type with an internal subset is no property list we need.
    EXPECT_FALSE(PropertyList::fromBytes("<?xml version=\"1.0\"?><!DOCTYPE plist [ <!ENTITY x \"]>\"> ]>"
                                         "<plist version=\"1.0\"><true/></plist>"));
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
