#include "RingtoneCatalogue.h"

#include "Platform/PropertyList.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(RingtoneCatalogueTest, ANewEntryKeepsEveryOtherKeyAndItsType)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Ringtones.plist"));
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    const QVariantMap old {
        { QStringLiteral("Version"), qint64(3) },
        { QStringLiteral("Created"), when },
        { QStringLiteral("Ringtones"),
            QVariantMap { { QStringLiteral("Old.m4r"),
                QVariantMap { { QStringLiteral("Name"), QStringLiteral("Old") },
                    { QStringLiteral("Protected Content"), false },
                    { QStringLiteral("Blob"), QByteArray("\x01\x02") } } } } },
    };
    ASSERT_TRUE(PropertyList::write(path, old));

    ASSERT_TRUE(RingtoneCatalogue(path).addRingtone(QStringLiteral("New.m4r"), QStringLiteral("New Tone"), 6000));

    const auto root = PropertyList::readDictionary(path);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->value(QStringLiteral("Version")), QVariant(qint64(3)));
    EXPECT_EQ(root->value(QStringLiteral("Created")).toDateTime(), when);
    const QVariantMap ringtones = root->value(QStringLiteral("Ringtones")).toMap();
    EXPECT_EQ(ringtones.value(QStringLiteral("Old.m4r")),
        old.value(QStringLiteral("Ringtones")).toMap().value(QStringLiteral("Old.m4r")));

    const QVariantMap entry = ringtones.value(QStringLiteral("New.m4r")).toMap();
    EXPECT_EQ(entry.value(QStringLiteral("Name")).toString(), QStringLiteral("New Tone"));
    EXPECT_EQ(entry.value(QStringLiteral("Total Time")).toLongLong(), 6000);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{16}$"))
                    .match(entry.value(QStringLiteral("GUID")).toString())
                    .hasMatch());
    EXPECT_GT(entry.value(QStringLiteral("PID")).toLongLong(), 0);
}

TEST(RingtoneCatalogueTest, AMissingCatalogueIsMadeAndAnUnreadableOneIsLeftAlone)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Purchases/Ringtones.plist"));
    ASSERT_TRUE(RingtoneCatalogue(path).addRingtone(QStringLiteral("A.m4r"), QStringLiteral("A"), 1000));
    EXPECT_EQ(PropertyList::readDictionary(path)->value(QStringLiteral("Ringtones")).toMap().size(), 1);

    const struct
    {
        const char *name;
        QByteArray content;
    } broken[] = {
        { "not a property list", QByteArrayLiteral("this is no catalogue") },
        { "an array at the root", PropertyList::toBytes(QVariantList { 1, 2 }).value_or(QByteArray()) },
        { "Ringtones is a text",
            PropertyList::toBytes(QVariantMap { { QStringLiteral("Ringtones"), QStringLiteral("x") } })
                .value_or(QByteArray()) },
    };
    for (const auto &c : broken) {
        ASSERT_FALSE(c.content.isEmpty()) << c.name;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.content);
        file.close();
        EXPECT_FALSE(RingtoneCatalogue(path).addRingtone(QStringLiteral("B.m4r"), QStringLiteral("B"), 1000)) << c.name;
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), c.content) << c.name;
    }
}

} // namespace
} // namespace tarnik
