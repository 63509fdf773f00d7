#include "App/AppDelegate.h"
#include "App/Preferences.h"
#include "Platform/PropertyList.h"
#include "Platform/UI/TabBarController.h"
#include "Support/ShellFakes.h"
#include "Support/UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

using namespace tarnik;
using namespace tarnik::test;

namespace {

QString encoded(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

void writeFile(const QString &path, const QByteArray &bytes = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class OpenUrlTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        makeWindow();
        tabs = new TabBarController;
        browser = new FakeDirectoryNavigationController;
        tabs->setViewControllers({ new ViewController, browser, new ViewController });
        window->setRootViewController(tabs);
        root = dir.path();
        track = root + QStringLiteral("/Downloads/track.mp3");
        artwork = root + QStringLiteral("/Artworks/track.jpg");
        writeFile(track);
        writeFile(artwork);

        addOnRecords = root + QStringLiteral("/addon.plist");
        QVariantMap record { { QStringLiteral("title"), QStringLiteral("Song") } };
        PropertyList::write(addOnRecords,
            QVariantMap { { QStringLiteral("tracks"), QVariantMap { { QStringLiteral("u1"), record } } } });
        olderRecords = root + QStringLiteral("/older.plist");
        const auto entry = [&](std::initializer_list<std::pair<QString, QVariant>> extra) {
            QVariantMap r { { QStringLiteral("filePath"), track } };
            for (const auto &[k, v] : extra)
                r.insert(k, v);
            return r;
        };
        PropertyList::write(olderRecords,
            QVariantMap { { QStringLiteral("songs"),
                              QVariantMap {
                                  { QStringLiteral("plain"), entry({}) },
                                  { QStringLiteral("named"),
                                      entry({ { QStringLiteral("name"), QStringLiteral("track.m4a") },
                                          { QStringLiteral("extension"), QStringLiteral("m4a") } }) },
                                  { QStringLiteral("caseDiffers"),
                                      entry({ { QStringLiteral("name"), QStringLiteral("track.m4a") },
                                          { QStringLiteral("extension"), QStringLiteral("M4A") } }) },
                                  { QStringLiteral("noExtension"),
                                      entry({ { QStringLiteral("name"), QStringLiteral("track.m4a") } }) },
                                  { QStringLiteral("video"), entry({ { QStringLiteral("isVideo"), false } }) },
                                  { QStringLiteral("noPath"),
                                      QVariantMap { { QStringLiteral("name"), QVariant(QStringLiteral("x")) } } },
                                  { QStringLiteral("notADictionary"), QStringLiteral("text") },
                                  { QStringLiteral("climbing"),
                                      QVariantMap { { QStringLiteral("filePath"),
                                          QVariant(root + QStringLiteral("/a/../b")) } } },
                              } },
                { QStringLiteral("list"), QVariantList { 1, 2 } } });
    }

    QString addOnUrl(const QString &kind, const QString &plist, bool withArtwork = true) const
    {
        QString url = QStringLiteral("tarnik://import?urn=u1&mediaKind=") + kind + QStringLiteral("&plistPath=")
            + encoded(plist) + QStringLiteral("&trackPath=") + encoded(track);
        if (withArtwork)
            url += QStringLiteral("&artworkPath=") + encoded(artwork);
        return url;
    }
    QString olderUrl(const QString &kind, const QString &key, const QString &section = QStringLiteral("songs")) const
    {
        return QStringLiteral("tarnik://?mediaKind=") + kind + QStringLiteral("&section=") + section
            + QStringLiteral("&theKey=") + key + QStringLiteral("&plist=") + encoded(olderRecords);
    }
    FakeDirectoryLevel *level() const { return browser->level(); }

    AppDelegate delegate;
    TabBarController *tabs = nullptr;
    FakeDirectoryNavigationController *browser = nullptr;
    QTemporaryDir dir;
    QString root, track, artwork, addOnRecords, olderRecords;
};

TEST_F(OpenUrlTest, LocateShowsAFolderOrFileInTheBrowser)
{
    EXPECT_TRUE(delegate.applicationOpenUrl(
        QStringLiteral("tarnik://?locate=") + encoded(root + QStringLiteral("/Downloads"))));
    EXPECT_EQ(tabs->selectedIndex(), 1);
    EXPECT_EQ(browser->browsed, QStringList { root + QStringLiteral("/Downloads") });
    EXPECT_TRUE(level()->handOvers.isEmpty());
}

TEST_F(OpenUrlTest, LinksThatNameNothingUsableAreRefusedAndChangeNothing)
{
    const QString huge = QStringLiteral("tarnik://?locate=") + QString(100000, QLatin1Char('a'));
    const QString rows[] = {
        QStringLiteral("tarnik://?locate=") + encoded(root + QStringLiteral("/missing")),
        QStringLiteral("Tarnik://?locate=") + encoded(root),
        QStringLiteral("tarnik://") + root, // no query at all
        QStringLiteral("tarnik://?"),
        QStringLiteral("tarnik://?locate=%zz"), // malformed escape
        QStringLiteral("tarnik://?locate=%252Fzz%25"), // a second decoding fails
        QStringLiteral("tarnik://?locate=") + encoded(root + QStringLiteral("/Downloads/../Downloads")),
        QStringLiteral("tarnik://?locate=Downloads"), // not absolute
        huge,
        QStringLiteral("http://example.com/?locate=") + encoded(root),
        QStringLiteral("not a url at all"),
        QStringLiteral(""),
    };
    for (const QString &url : rows) {
        EXPECT_FALSE(delegate.applicationOpenUrl(url)) << url.left(80).toStdString();
        EXPECT_EQ(tabs->selectedIndex(), 0) << url.left(80).toStdString();
        EXPECT_TRUE(browser->browsed.isEmpty());
    }
}

TEST_F(OpenUrlTest, AddOnHandOverFillsTheRecordAndDefaultsToSong)
{
    EXPECT_TRUE(delegate.applicationOpenUrl(addOnUrl(QStringLiteral("noSuchKind"), addOnRecords)));
    EXPECT_EQ(tabs->selectedIndex(), 1);
    EXPECT_EQ(browser->browsed, QStringList { track });
    ASSERT_EQ(level()->handOvers.size(), 1);
    const QVariantMap record = level()->handOvers.first();
    EXPECT_EQ(record.value(QStringLiteral("title")), QStringLiteral("Song"));
    EXPECT_EQ(record.value(QStringLiteral("filePath")), track);
    EXPECT_EQ(record.value(QStringLiteral("artworkPath")), artwork);
    EXPECT_EQ(record.value(QStringLiteral("hasArtwork")), true);
    EXPECT_EQ(level()->kinds.first(), MediaKind::song);

    EXPECT_TRUE(delegate.applicationOpenUrl(addOnUrl(QStringLiteral("musicVideo"), addOnRecords)));
    EXPECT_EQ(level()->kinds.first(), MediaKind::musicVideo);
}

TEST_F(OpenUrlTest, AddOnFailuresDoNotFallBackButMissingKeysDo)
{
    const QString notAPlist = root + QStringLiteral("/junk.plist");
    writeFile(notAPlist, QByteArray(5000, '\x7f'));
    const QString wrongShape = root + QStringLiteral("/shape.plist");
    PropertyList::write(wrongShape, QVariantMap { { QStringLiteral("tracks"), QVariantList { 1 } } });
    const QString noEntry = root + QStringLiteral("/entry.plist");
    PropertyList::write(
        noEntry, QVariantMap { { QStringLiteral("tracks"), QVariantMap { { QStringLiteral("u1"), 5 } } } });
    const QString older = QStringLiteral("&section=songs&theKey=plain&plist=") + encoded(olderRecords);
    for (const QString &plist :
        QStringList { root + QStringLiteral("/missing.plist"), notAPlist, wrongShape, noEntry, root }) {
        EXPECT_FALSE(delegate.applicationOpenUrl(addOnUrl(QStringLiteral("song"), plist) + older))
            << plist.toStdString();
        EXPECT_TRUE(browser->browsed.isEmpty());
    }
    // Without "artworkPath" the link is read in the older form.
    EXPECT_TRUE(delegate.applicationOpenUrl(addOnUrl(QStringLiteral("song"), addOnRecords, false) + older));
    EXPECT_EQ(level()->handOvers.first().value(QStringLiteral("filePath")), track);
    EXPECT_FALSE(level()->handOvers.first().contains(QStringLiteral("hasArtwork")));
}

TEST_F(OpenUrlTest, ARecordsFileFarTooLargeIsRefusedWithoutBeingRead)
{
    // A link may name any file as its records; a huge one (sparse here) must
    // not be read into memory.
    const QString huge = root + QStringLiteral("/huge.plist");
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (!f.resize(qint64(1) << 40))
            GTEST_SKIP() << "no sparse files here";
    }
    EXPECT_FALSE(delegate.applicationOpenUrl(addOnUrl(QStringLiteral("song"), huge)));
    EXPECT_FALSE(delegate.applicationOpenUrl(
        QStringLiteral("tarnik://?mediaKind=song&section=songs&theKey=plain&plist=") + encoded(huge)));
    EXPECT_TRUE(browser->browsed.isEmpty());
    QFile::remove(huge);
}

TEST_F(OpenUrlTest, OlderFormNameAndVideoRules)
{
    struct Row
    {
        QString key;
        QString kind;
        bool accepted;
        QVariant name;
        QVariant hasArtwork;
    };
    const Row rows[] = {
        { QStringLiteral("plain"), QStringLiteral("song"), true, {}, {} },
        { QStringLiteral("named"), QStringLiteral("podcast"), true, QStringLiteral("track"), {} },
        { QStringLiteral("caseDiffers"), QStringLiteral("song"), true, QStringLiteral("track.m4a"), {} },
        { QStringLiteral("noExtension"), QStringLiteral("song"), true, QStringLiteral("track.m4a"), {} },
        { QStringLiteral("video"), QStringLiteral("song"), true, {}, false },
        { QStringLiteral("plain"), QStringLiteral("noSuchKind"), false, {}, {} }, // no default kind here
        { QStringLiteral("noPath"), QStringLiteral("song"), false, {}, {} },
        { QStringLiteral("notADictionary"), QStringLiteral("song"), false, {}, {} },
        { QStringLiteral("missing"), QStringLiteral("song"), false, {}, {} },
        { QStringLiteral("climbing"), QStringLiteral("song"), false, {}, {} },
    };
    for (const Row &row : rows) {
        auto *fresh = new FakeDirectoryNavigationController;
        tabs->setViewControllers({ tabs->viewControllers().first(), fresh });
        browser = fresh;
        tabs->setSelectedIndex(0);
        EXPECT_EQ(delegate.applicationOpenUrl(olderUrl(row.kind, row.key)), row.accepted) << row.key.toStdString();
        if (!row.accepted) {
            EXPECT_TRUE(browser->browsed.isEmpty()) << row.key.toStdString();
            continue;
        }
        ASSERT_EQ(level()->handOvers.size(), 1);
        const QVariantMap record = level()->handOvers.first();
        EXPECT_EQ(record.value(QStringLiteral("name")), row.name) << row.key.toStdString();
        EXPECT_EQ(record.value(QStringLiteral("hasArtwork")), row.hasArtwork) << row.key.toStdString();
        EXPECT_EQ(level()->kinds.first().rawValue(), row.kind);
    }
    EXPECT_FALSE(
        delegate.applicationOpenUrl(olderUrl(QStringLiteral("song"), QStringLiteral("plain"), QStringLiteral("list"))));
}

TEST_F(OpenUrlTest, HandedDocumentsGoToTheTopLevelOrAreRemovedFromTheInbox)
{
    const QString inbox = Preferences::inboxPath();
    const QString copy = inbox + QStringLiteral("/song.mp3");
    writeFile(copy);
    EXPECT_TRUE(delegate.applicationOpenUrl(QUrl::fromLocalFile(copy).toString()));
    EXPECT_EQ(tabs->selectedIndex(), 1);
    EXPECT_EQ(level()->receivedFiles, QStringList { copy });

    // The browser has no level on top: refused, and the inbox copy goes.
    browser->levelsOnBrowse = false;
    browser->browseToFile(QStringLiteral("/"));
    EXPECT_FALSE(delegate.applicationOpenUrl(QUrl::fromLocalFile(copy).toString()));
    EXPECT_FALSE(QFileInfo::exists(copy));
    // A document that vanished before it was opened: false, nothing else.
    EXPECT_FALSE(delegate.applicationOpenUrl(QUrl::fromLocalFile(inbox + QStringLiteral("/gone.mp3")).toString()));
    // A file outside the inbox is never removed, whatever happens to it.
    EXPECT_FALSE(delegate.applicationOpenUrl(QUrl::fromLocalFile(track).toString()));
    EXPECT_TRUE(QFileInfo::exists(track));
    const QString sneaky = inbox + QStringLiteral("/../../outside.mp3");
    writeFile(QDir::cleanPath(sneaky));
    EXPECT_FALSE(delegate.applicationOpenUrl(QUrl::fromLocalFile(sneaky).toString()));
    EXPECT_TRUE(QFileInfo::exists(QDir::cleanPath(sneaky)));
}

TEST_F(OpenUrlTest, OpenedLinksFirstDismissWhatTheBrowserPresents)
{
    tabs->setSelectedIndex(1);
    auto *first = new ViewController;
    auto *second = new ViewController;
    browser->present(first, false);
    first->present(second, false);
    EXPECT_TRUE(delegate.applicationOpenUrl(QStringLiteral("tarnik://?locate=") + encoded(root)));
    EXPECT_EQ(tabs->presentedViewController(), nullptr);
}

TEST(OpenUrlWithoutTabsTest, EveryUrlFailsAndNothingIsRemoved)
{
    AnimationDriver::shared().setManual(true);
    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::phone, QSizeF(375, 667) });
    Window window;
    window.setRootViewController(new ViewController);
    window.makeKeyAndVisible();
    const QString copy = Preferences::inboxPath() + QStringLiteral("/kept.mp3");
    writeFile(copy);
    AppDelegate delegate;
    EXPECT_FALSE(delegate.applicationOpenUrl(QUrl::fromLocalFile(copy).toString()));
    EXPECT_FALSE(delegate.applicationOpenUrl(QStringLiteral("tarnik://?locate=%2F")));
    EXPECT_TRUE(QFileInfo::exists(copy));
    QFile::remove(copy);
    DeviceProfile::setOverride(std::nullopt);
}
