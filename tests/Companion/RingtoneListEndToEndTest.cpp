// The ringtone list against the companion stand-in: what the companion adds,
// the list shows and renames, and the companion's next write keeps it.

#include "App/Preferences.h"
#include "App/SaltrigUtils.h"
#include "CompanionSupport.h"
#include "Platform/UI/AlertController.h"
#include "Platform/UI/NavigationController.h"
#include "Support/MediaFixtures.h"
#include "Support/UiTestSupport.h"
#include "Tools/RingtoneCatalogueFile.h"
#include "Tools/RingtoneViewController.h"

#include <QDBusConnection>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QtConcurrent>

namespace tarnik {
namespace {

class RingtoneListEndToEndTest : public test::ScreenTest
{
protected:
    void SetUp() override
    {
        test::ScreenTest::SetUp();
        // The program's private bus comes from the companion tests' environment.
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no private bus";
        QDir(Preferences::homeDirectory() + QStringLiteral("/Media")).removeRecursively();
        ASSERT_TRUE(saltrig.start());
    }
    bool importRingtone(const QString &title)
    {
        const QString tone = sources.filePath(title + QStringLiteral(".mp3"));
        if (!test::media::makeTone(tone, 3.0))
            return false;
        const QByteArrayList items
            = test::companion::importRequestItems({ ImportItem(MediaKind::ringtone, tone, Metadata(title)) });
        auto future = QtConcurrent::run([items] { return SaltrigUtils::importItems(items); });
        return QTest::qWaitFor([&] { return future.isFinished(); }, 60000) && future.result();
    }
    static QVariantMap catalogueEntries()
    {
        const auto document = RingtoneCatalogueFile::read(Preferences::ringtonesPlistPath());
        return document ? RingtoneCatalogueFile::ringtones(document->root).value_or(QVariantMap()) : QVariantMap();
    }

    QTemporaryDir sources;
    test::companion::StandIn saltrig;
};

TEST_F(RingtoneListEndToEndTest, ImportedRingtoneIsListedRenamedAndKeptByTheCompanion)
{
    ASSERT_TRUE(importRingtone(QStringLiteral("Bell")));
    ASSERT_EQ(catalogueEntries().size(), 1);
    const QString key = catalogueEntries().firstKey();

    makeWindow();
    auto *screen = new RingtoneViewController;
    auto *navigation = new NavigationController(screen);
    window->setRootViewController(navigation);
    settle();
    ASSERT_EQ(screen->ringtones().size(), 1);
    EXPECT_EQ(screen->ringtones().first().name(), QStringLiteral("Bell"));
    EXPECT_EQ(screen->ringtones().first().identifier(), key);

    screen->didSelectRow(screen->tableView(), IndexPath(0, 0));
    settle();
    auto *alert = qobject_cast<AlertController *>(navigation->presentedViewController());
    ASSERT_TRUE(alert);
    alert->textFields().first()->setText(QStringLiteral("Morning Bell"));
    alert->tapAction(alert->actions().last());
    settle();
    EXPECT_EQ(screen->ringtones().first().name(), QStringLiteral("Morning Bell"));
    const QVariantMap renamed = catalogueEntries().value(key).toMap();
    EXPECT_EQ(renamed.value(QStringLiteral("Name")), QStringLiteral("Morning Bell"));

    // The companion's next write keeps the new name and the entry's own keys.
    ASSERT_TRUE(importRingtone(QStringLiteral("Chime")));
    const QVariantMap entries = catalogueEntries();
    EXPECT_EQ(entries.size(), 2);
    EXPECT_EQ(entries.value(key).toMap(), renamed);
    screen->refresherDidStartRefreshing();
    settle();
    QStringList names;
    for (const Ringtone &ringtone : screen->ringtones())
        names.append(ringtone.name());
    names.sort();
    EXPECT_EQ(names, QStringList({ QStringLiteral("Chime"), QStringLiteral("Morning Bell") }));
}

} // namespace
} // namespace tarnik
