// The browser's import against the companion stand-in: files chosen in edit mode reach the
// media folders (and, as ringtones, the catalogue) with their titles; audio the player cannot
// read arrives through its AAC copy; and an import nobody answers ends in the error alert.

#include "App/Preferences.h"
#include "App/UserManager.h"
#include "Browser/BrowserSupport.h"
#include "CompanionSupport.h"
#include "Controls/Loaders/LoaderView.h"
#include "Entries/EntryViewModel.h"
#include "Platform/Messaging/SaltrigProtocol.h"
#include "Platform/UI/AlertControllerAction.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/TabBarController.h"
#include "Support/MediaFixtures.h"
#include "Tools/RingtoneCatalogueFile.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QTest>

namespace tarnik::test {
namespace {

class BrowserImportEndToEndTest : public BrowserTest
{
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no private bus";
        QDir(Preferences::homeDirectory() + QStringLiteral("/Media")).removeRecursively();
        QFile::remove(Preferences::ringtonesPlistPath());
        Preferences::Saltrig::setShouldAddFadeInFadeOut(false);
        Preferences::Saltrig::setShouldNotifyOnCompletion(false);
        UserManager::setShared(nullptr);
        alerts = std::make_shared<companion::RecordingAlerts>();
        setAlertPresenter(alerts);
    }
    // The browser as the app holds it: inside the tab bar of the key window, where alerts go.
    DirectoryViewController *showFolder()
    {
        makeWindow();
        Preferences::setRootDircetory(dir.path());
        auto *nav = new DirectoryNavigationController;
        auto *tabs = new TabBarController;
        tabs->setViewControllers({ nav });
        window->setRootViewController(tabs);
        window->makeKey();
        nav->browseToFile(dir.path());
        DirectoryViewController *level = top(nav);
        if (!waitForListing(level))
            return nullptr;
        waitForDetails(level);
        return level;
    }
    // Waits for every row's tags, then lets the listing's own delayed steps pass, as they have
    // long before a user's first tap.
    void waitForDetails(DirectoryViewController *level)
    {
        waitUntil([&] {
            drainMainQueue();
            EntryViewModelController &model = level->entryViewModelController();
            for (int i = 0; i < model.numberOfViewModels(); ++i) {
                const auto viewModel = model.viewModel(i);
                if (viewModel && viewModel->state() != UpdateState::updated)
                    return false;
            }
            return true;
        });
        tick(1.0);
    }
    static int rowOf(DirectoryViewController *level, const QString &name)
    {
        return int(level->entryViewModelController().files().indexOf(name));
    }
    // Chooses the named files in edit mode and imports them as `destination`.
    void importAs(DirectoryViewController *level, const QStringList &names, const QString &destination)
    {
        level->toggleEditMode();
        drainMainQueue();
        for (const QString &name : names) {
            const int row = rowOf(level, name);
            ASSERT_GE(row, 0) << name.toStdString();
            tapItem(level, row);
        }
        ASSERT_EQ(level->selectedEntries().size(), names.size());
        level->importBarButtonItem()->trigger();
        settle();
        AlertController *sheet = presentedAlert(window->rootViewController());
        ASSERT_NE(sheet, nullptr);
        AlertControllerAction *chosen = nullptr;
        for (AlertControllerAction *action : sheet->actions())
            if (action->title() == destination)
                chosen = action;
        ASSERT_NE(chosen, nullptr) << destination.toStdString();
        sheet->tapAction(chosen);
        settle();
    }
    // Runs the virtual clock in small steps and the real event loop between them, so the
    // import's worker can talk to the bus, until `done` holds.
    bool runUntil(const std::function<bool()> &done)
    {
        return QTest::qWaitFor(
            [&] {
                tick(0.05);
                return done();
            },
            90000);
    }
    static QString library(const QString &relative)
    {
        return Preferences::homeDirectory() + QLatin1Char('/') + relative;
    }
    static QString mediaTree() { return companion::treeOf(library(QStringLiteral("Media"))).join(u'\n'); }
    static QStringList catalogueNames()
    {
        const auto document = RingtoneCatalogueFile::read(Preferences::ringtonesPlistPath());
        const QVariantMap ringtones
            = document ? RingtoneCatalogueFile::ringtones(document->root).value_or(QVariantMap()) : QVariantMap();
        QStringList names;
        for (const QVariant &ringtone : ringtones)
            names << ringtone.toMap().value(QStringLiteral("Name")).toString();
        names.sort();
        return names;
    }
    static QByteArray contents(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    companion::StandIn saltrig;
    std::shared_ptr<companion::RecordingAlerts> alerts;
};

TEST_F(BrowserImportEndToEndTest, ThreeChosenFilesBecomeRingtonesAndUnreadableAudioArrivesConverted)
{
    ASSERT_TRUE(saltrig.start());
    const QStringList titles { QStringLiteral("Bell One"), QStringLiteral("Bell Two"), QStringLiteral("Bell Three") };
    QStringList files;
    for (const QString &title : titles) {
        files << title.toLower().replace(u' ', u'-') + QStringLiteral(".mp3");
        ASSERT_TRUE(media::makeTone(path(files.last()), 1.5,
            { QStringLiteral("-id3v2_version"), QStringLiteral("3"), QStringLiteral("-metadata"),
                QStringLiteral("title=") + title }));
    }
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("field.ogg")), 1.5,
        media::args({ "-c:a", "libvorbis", "-metadata", "title=Field Recording" })));
    const QByteArray ogg = contents(path(QStringLiteral("field.ogg")));
    DirectoryViewController *level = showFolder();
    ASSERT_NE(level, nullptr);

    importAs(level, files, QStringLiteral("Ringtone"));
    if (HasFatalFailure())
        return;
    QStringList expected;
    for (const QString &title : titles)
        expected << QStringLiteral("Media/Purchases/") + title + QStringLiteral(".m4r");
    const auto allArrived = [&] {
        for (const QString &file : expected)
            if (!QFile::exists(library(file)))
                return false;
        return true;
    };
    ASSERT_TRUE(runUntil([&] { return allArrived() && !(level->loaderView() && level->loaderView()->isVisible()); }))
        << mediaTree().toStdString();
    QStringList sortedTitles = titles;
    sortedTitles.sort();
    EXPECT_EQ(catalogueNames(), sortedTitles);
    EXPECT_TRUE(alerts->alerts.isEmpty()) << alerts->alerts.join(u',').toStdString();
    EXPECT_FALSE(level->editMode());

    // The Ogg file is offered an AAC copy when chosen; the copy is what goes to the library.
    level->toggleEditMode();
    drainMainQueue();
    tapItem(level, rowOf(level, QStringLiteral("field.ogg")));
    settle();
    AlertController *offer = presentedAlert(window->rootViewController());
    ASSERT_NE(offer, nullptr);
    const int listings = level->appliedListings();
    offer->tapAction(offer->actions().last()); // "YES. Create it"
    settle();
    ASSERT_TRUE(runUntil([&] { return level->appliedListings() > listings; }));
    ASSERT_GE(rowOf(level, QStringLiteral("field_AAC.m4a")), 0);
    waitForDetails(level);
    importAs(level, { QStringLiteral("field_AAC.m4a") }, QStringLiteral("Song"));
    if (HasFatalFailure())
        return;
    const QString song = library(QStringLiteral("Media/Library/Music/Field Recording.m4a"));
    ASSERT_TRUE(runUntil([&] { return QFile::exists(song); })) << mediaTree().toStdString();
    EXPECT_EQ(contents(path(QStringLiteral("field.ogg"))), ogg) << "the source is never changed";
    EXPECT_TRUE(alerts->alerts.isEmpty()) << alerts->alerts.join(u',').toStdString();
}

TEST_F(BrowserImportEndToEndTest, WithoutTheCompanionTheImportShowsTheErrorAndLosesNothing)
{
    ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(SaltrigProtocol::serviceName));
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("tone.mp3")), 1.0, media::args({ "-metadata", "title=Lost" })));
    const QByteArray before = contents(path(QStringLiteral("tone.mp3")));
    DirectoryViewController *level = showFolder();
    ASSERT_NE(level, nullptr);

    importAs(level, { QStringLiteral("tone.mp3") }, QStringLiteral("Song"));
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(runUntil([&] { return !alerts->alerts.isEmpty(); }));
    EXPECT_EQ(alerts->alerts, QStringList { QStringLiteral("Import Error") });
    ASSERT_TRUE(runUntil([&] { return !(level->loaderView() && level->loaderView()->isVisible()); }));
    EXPECT_EQ(contents(path(QStringLiteral("tone.mp3"))), before);
    EXPECT_FALSE(QDir(library(QStringLiteral("Media/Library"))).exists());
}

} // namespace
} // namespace tarnik::test
