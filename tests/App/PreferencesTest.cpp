#include "App/Preferences.h"

#include "App/Constants.h"
#include "Platform/PropertyList.h"
#include "Platform/StandardFolders.h"
#include "Support/FakeAlertPresenter.h"
#include "Support/PropertyListTools.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QUrl>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tarnik {

namespace {

using Key = Preferences::Key;
using SaltrigKey = Preferences::Saltrig::Key;

// Set in the environment of a copy of this test binary that the cross-process tests start.
constexpr char kChildModeVariable[] = "TARNIK_PREFERENCES_CHILD";
constexpr char kChildFolderVariable[] = "TARNIK_PREFERENCES_FOLDER";
constexpr char kChildKeyVariable[] = "TARNIK_PREFERENCES_CHILD_KEY";

QByteArray slurp(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool spit(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Keys this app does not know, of every property-list type, as another program might leave them.
QVariantMap foreignKeys()
{
    return {
        { QStringLiteral("foreignBool"), false },
        { QStringLiteral("foreignInteger"), QVariant::fromValue(qint64(-42)) },
        { QStringLiteral("foreignReal"), 2.5 },
        { QStringLiteral("foreignText"), QStringLiteral("kept") },
        { QStringLiteral("foreignData"), QByteArray("\0\1", 2) },
        { QStringLiteral("foreignDate"), QDateTime::fromSecsSinceEpoch(1500000000, QTimeZone::utc()) },
        { QStringLiteral("foreignList"), QVariantList { QVariant(qint64(1)), QVariant(QStringLiteral("x")) } },
        { QStringLiteral("foreignDictionary"), QVariantMap { { QStringLiteral("inner"), true } } },
    };
}

QVariantMap fileContent(const QString &path)
{
    return PropertyList::readDictionary(path).value_or(QVariantMap { { QStringLiteral("<unreadable>"), true } });
}

class PreferencesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        removeSettingsFiles();
        m_alerts = std::make_shared<testing::FakeAlertPresenter>();
        ViewController *tabBar = m_alerts->makeScreen(testing::FakeAlertPresenter::Kind::tabBar);
        m_alerts->setSelected(tabBar, m_alerts->makeScreen());
        m_alerts->setRoot(tabBar);
        setAlertPresenter(m_alerts);
    }

    void TearDown() override
    {
        setAlertPresenter(nullptr);
        removeSettingsFiles();
    }

    static void removeSettingsFiles()
    {
        QDir(Preferences::preferencesDirectory()).removeRecursively();
        QFile::remove(Preferences::preferencesDirectory()); // a test may have left a regular file there
        QDir().mkpath(Preferences::preferencesDirectory());
    }

    // The alerts shown so far, as "title|message"; waits for the main-queue hop when one is expected.
    QStringList alerts(qsizetype expected = 0)
    {
        if (expected > 0) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return m_alerts->alerts().size() >= expected; }));
        }
        QCoreApplication::processEvents();
        QStringList shown;
        for (const auto &alert : m_alerts->alerts())
            shown.append(alert.title + QLatin1Char('|') + alert.message);
        return shown;
    }

    std::shared_ptr<testing::FakeAlertPresenter> m_alerts;
};

} // namespace

TEST_F(PreferencesTest, KeysConvertFromTheirStoredTextExactly)
{
    const struct
    {
        Key key;
        const char *stored;
        const char *caseName;
    } rows[] = {
        { Key::hideUnsupported, "hideUnsupported", "hideUnsupported" },
        { Key::showHidden, "showHidden", "showHidden" },
        { Key::showImageThumbnail, "showImageThumbnail", "showImageThumbnail" },
        { Key::showVideoThumbnail, "showVideoThumbnail", "showVideoThumbnail" },
        { Key::isListView, "isListView", "isListView" },
        { Key::lastDirectory, "lastDirectory", "lastDirectory" },
        { Key::tempDirectory, "tempDirectory", "tempDirectory" },
        { Key::usePersistentCache, "usePersistentCache", "usePersistentCache" },
        { Key::playerShouldRepeat, "shouldRepeat", "playerShouldRepeat" },
    };
    for (const auto &row : rows) {
        EXPECT_EQ(Preferences::rawValue(row.key), QLatin1String(row.stored));
        EXPECT_EQ(Preferences::caseName(row.key), QLatin1String(row.caseName));
        EXPECT_EQ(Preferences::keyFromRawValue(QLatin1String(row.stored)), row.key);
    }
    EXPECT_EQ(Preferences::Saltrig::rawValue(SaltrigKey::shouldNotifyOnCompletion),
        QStringLiteral("shouldNotifyOnCompletion"));
    EXPECT_EQ(Preferences::Saltrig::keyFromRawValue(QStringLiteral("shouldAddFadeInFadeOut")),
        SaltrigKey::shouldAddFadeInFadeOut);
    for (const char *text : { "playerShouldRepeat", "ShouldRepeat", "isListView ", "", "shouldNotifyOnCompletion" })
        EXPECT_EQ(Preferences::keyFromRawValue(QLatin1String(text)), std::nullopt) << text;
    EXPECT_EQ(Preferences::Saltrig::keyFromRawValue(QStringLiteral("isListView")), std::nullopt);
}

TEST_F(PreferencesTest, WithoutAFileEverySettingHasItsDefault)
{
    EXPECT_FALSE(Preferences::hideUnsupported());
    EXPECT_FALSE(Preferences::showHidden());
    EXPECT_TRUE(Preferences::showImageThumbnail());
    EXPECT_TRUE(Preferences::showVideoThumbnail());
    EXPECT_TRUE(Preferences::isListView());
    EXPECT_FALSE(Preferences::usePersistentCache());
    EXPECT_FALSE(Preferences::playerShouldRepeat());
    EXPECT_EQ(Preferences::tempDirectory(), std::nullopt);
    EXPECT_TRUE(Preferences::Saltrig::shouldNotifyOnCompletion());
    EXPECT_TRUE(Preferences::Saltrig::shouldAddFadeInFadeOut());
    EXPECT_EQ(Preferences::value(Key::lastDirectory), std::nullopt);
}

TEST_F(PreferencesTest, SettersStoreUnderTheStoredKeyAndGettersReadTheFileAgain)
{
    const struct
    {
        const char *stored;
        bool (*get)();
        void (*set)(bool);
        bool saltrig;
    } rows[] = {
        { "hideUnsupported", &Preferences::hideUnsupported, &Preferences::setHideUnsupported, false },
        { "showHidden", &Preferences::showHidden, &Preferences::setShowHidden, false },
        { "showImageThumbnail", &Preferences::showImageThumbnail, &Preferences::setShowImageThumbnail, false },
        { "showVideoThumbnail", &Preferences::showVideoThumbnail, &Preferences::setShowVideoThumbnail, false },
        { "isListView", &Preferences::isListView, &Preferences::setIsListView, false },
        { "usePersistentCache", &Preferences::usePersistentCache, &Preferences::setUsePersistentCache, false },
        { "shouldRepeat", &Preferences::playerShouldRepeat, &Preferences::setPlayerShouldRepeat, false },
        { "shouldNotifyOnCompletion", &Preferences::Saltrig::shouldNotifyOnCompletion,
            &Preferences::Saltrig::setShouldNotifyOnCompletion, true },
        { "shouldAddFadeInFadeOut", &Preferences::Saltrig::shouldAddFadeInFadeOut,
            &Preferences::Saltrig::setShouldAddFadeInFadeOut, true },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.stored);
        const QString file
            = row.saltrig ? Preferences::Saltrig::preferencesFilePath() : Preferences::preferencesFilePath();
        for (const bool value : { true, false, true }) {
            row.set(value);
            EXPECT_EQ(row.get(), value);
            EXPECT_EQ(fileContent(file).value(QLatin1String(row.stored)), QVariant(value));
        }
        // Another program replacing the file is seen by the next read.
        QVariantMap changed = fileContent(file);
        changed.insert(QLatin1String(row.stored), false);
        ASSERT_TRUE(PropertyList::write(file, changed));
        EXPECT_FALSE(row.get());
    }
    EXPECT_FALSE(fileContent(Preferences::preferencesFilePath()).contains(QStringLiteral("playerShouldRepeat")));

    Preferences::setTempDirectory(QStringLiteral("/tmp/x"));
    EXPECT_EQ(Preferences::tempDirectory(), QStringLiteral("/tmp/x"));
    EXPECT_TRUE(alerts().isEmpty());
}

TEST_F(PreferencesTest, KeptSettingsFollowEveryChangeOnDisk)
{
    const QString path = Preferences::preferencesFilePath();
    Preferences::setTempDirectory(QStringLiteral("/tmp/aaaa"));
    Preferences::setIsListView(false);
    ASSERT_EQ(Preferences::tempDirectory(), QStringLiteral("/tmp/aaaa"));

    // Rewritten in place by another program: same file, same size, other content.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.contains("/tmp/aaaa"));
    bytes.replace("/tmp/aaaa", "/tmp/bbbb");
    ASSERT_TRUE(file.seek(0));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    EXPECT_EQ(Preferences::tempDirectory(), QStringLiteral("/tmp/bbbb"));
    EXPECT_FALSE(Preferences::isListView());

    // Deleted (a reset): every setting reads as its default again.
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(Preferences::isListView());
    EXPECT_EQ(Preferences::tempDirectory(), std::nullopt);
}

TEST_F(PreferencesTest, UnreadableFilesReadAsDefaultsAndTheNextWriteReplacesThem)
{
    const QByteArray xml = *PropertyList::toBytes(QVariantMap { { QStringLiteral("isListView"), false } });
    const QByteArray binary
        = *PropertyList::toBytes(QVariantMap { { QStringLiteral("isListView"), false } }, PropertyList::Format::Binary);
    const struct
    {
        const char *name;
        QByteArray bytes;
    } rows[] = {
        { "empty", {} },
        { "text", "isListView = NO" },
        { "truncatedXml", xml.left(xml.size() - 12) },
        { "truncatedBinary", binary.left(binary.size() - 4) },
        { "arrayRoot", *PropertyList::toBytes(QVariantList { false }) },
        { "stringRoot", *PropertyList::toBytes(QStringLiteral("isListView")) },
    };
    const QString path = Preferences::preferencesFilePath();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(spit(path, row.bytes));
        EXPECT_TRUE(Preferences::isListView());
        EXPECT_FALSE(Preferences::hideUnsupported());
        Preferences::setHideUnsupported(true);
        EXPECT_EQ(PropertyList::readDictionary(path), QVariantMap({ { QStringLiteral("hideUnsupported"), true } }));
    }
    EXPECT_TRUE(alerts().isEmpty());
}

TEST_F(PreferencesTest, ValuesOfTheWrongTypeReadAsDefaults)
{
    ASSERT_TRUE(PropertyList::write(Preferences::preferencesFilePath(),
        QVariantMap {
            { QStringLiteral("isListView"), QStringLiteral("NO") },
            { QStringLiteral("showHidden"), 1 },
            { QStringLiteral("showImageThumbnail"), 0 },
            { QStringLiteral("tempDirectory"), 5 },
            { QStringLiteral("shouldRepeat"), QStringLiteral("YES") },
        }));
    ASSERT_TRUE(PropertyList::write(Preferences::Saltrig::preferencesFilePath(),
        QVariantMap { { QStringLiteral("shouldAddFadeInFadeOut"), QVariantList { false } } }));
    EXPECT_TRUE(Preferences::isListView());
    EXPECT_FALSE(Preferences::showHidden());
    EXPECT_TRUE(Preferences::showImageThumbnail());
    EXPECT_EQ(Preferences::tempDirectory(), std::nullopt);
    EXPECT_FALSE(Preferences::playerShouldRepeat());
    EXPECT_TRUE(Preferences::Saltrig::shouldAddFadeInFadeOut());
    // The raw reader hands the value over as it is.
    EXPECT_EQ(Preferences::value(Key::isListView), QVariant(QStringLiteral("NO")));
}

TEST_F(PreferencesTest, AWriteChangesOneKeyAndKeepsEveryOtherKeyWithItsType)
{
    // The file starts as a binary property list, as other programs write them.
    QVariantMap start = foreignKeys();
    start.insert(QStringLiteral("isListView"), false);
    start.insert(QStringLiteral("tempDirectory"), QStringLiteral("/old/tmp"));
    const QString path = Preferences::preferencesFilePath();
    ASSERT_TRUE(spit(path, *PropertyList::toBytes(start, PropertyList::Format::Binary)));

    Preferences::setPlayerShouldRepeat(true);
    QVariantMap expected = start;
    expected.insert(QStringLiteral("shouldRepeat"), true);
    EXPECT_EQ(fileContent(path), expected);
    for (auto it = start.cbegin(); it != start.cend(); ++it)
        EXPECT_EQ(fileContent(path).value(it.key()).metaType(), it.value().metaType()) << it.key().toStdString();

    Preferences::setTempDirectory(std::nullopt);
    expected.remove(QStringLiteral("tempDirectory"));
    EXPECT_EQ(fileContent(path), expected);
    EXPECT_EQ(Preferences::tempDirectory(), std::nullopt);

    // The rewritten file is a property list that other readers open.
    const auto other = test::plistutil(path);
    ASSERT_TRUE(other);
    EXPECT_TRUE(other->contains("<key>foreignDictionary</key>"));
    EXPECT_TRUE(other->contains("<key>shouldRepeat</key>\n\t<true/>"));

    // The companion's file is its own.
    Preferences::Saltrig::setShouldNotifyOnCompletion(false);
    EXPECT_EQ(fileContent(Preferences::Saltrig::preferencesFilePath()),
        QVariantMap({ { QStringLiteral("shouldNotifyOnCompletion"), false } }));
    EXPECT_EQ(fileContent(path), expected);
    EXPECT_TRUE(alerts().isEmpty());
}

TEST_F(PreferencesTest, AFailedWriteShowsTheAlertAndKeepsTheOldFile)
{
    const QString path = Preferences::preferencesFilePath();
    Preferences::setIsListView(false);
    const QByteArray before = slurp(path);

    // A value that has no property-list form cannot be written.
    EXPECT_FALSE(Preferences::setValue(QVariant(QUrl(QStringLiteral("file:///x"))), Key::playerShouldRepeat));
    EXPECT_EQ(slurp(path), before);
    EXPECT_EQ(alerts(1),
        QStringList { QStringLiteral(
            "Error Occurred|Failed to save entry for key: \"playerShouldRepeat\" to the Preferences file.") });

    // The preferences folder replaced by a regular file: neither file can be written.
    removeSettingsFiles();
    ASSERT_TRUE(QDir(Preferences::preferencesDirectory()).removeRecursively());
    ASSERT_TRUE(spit(Preferences::preferencesDirectory(), "not a folder"));
    Preferences::setPlayerShouldRepeat(true);
    Preferences::Saltrig::setShouldAddFadeInFadeOut(false);
    EXPECT_EQ(alerts(3).mid(1),
        (QStringList {
            QStringLiteral(
                "Error Occurred|Failed to save entry for key: \"playerShouldRepeat\" to the Preferences file."),
            QStringLiteral("Error Occurred|Failed to save entry for key: \"shouldAddFadeInFadeOut\" to the Saltrig "
                           "Preferences file."),
        }));
    EXPECT_FALSE(Preferences::playerShouldRepeat());
    EXPECT_TRUE(Preferences::Saltrig::shouldAddFadeInFadeOut());
}

TEST_F(PreferencesTest, RootDircetorySetterDropsALeadingPrivate)
{
    const struct
    {
        const char *given;
        const char *stored;
    } rows[] = {
        { "private/var/mobile/Media", "/var/mobile/Media" },
        { "/var/mobile/Media", "/var/mobile/Media" },
        { "/private/var/mobile", "/private/var/mobile" },
        { "privateer", "er" },
        { "", "" },
    };
    for (const auto &row : rows) {
        Preferences::setRootDircetory(QLatin1String(row.given));
        EXPECT_EQ(Preferences::value(Key::lastDirectory), QVariant(QLatin1String(row.stored))) << row.given;
    }
}

TEST_F(PreferencesTest, RootDircetoryFallsBackToTheUsersHomeThenToTheRoot)
{
    QTemporaryDir dir;
    const QString readable = dir.filePath(QStringLiteral("shown"));
    ASSERT_TRUE(QDir().mkpath(readable));
    Preferences::setRootDircetory(readable);
    EXPECT_EQ(Preferences::rootDircetory(), readable);

    const QByteArray savedHome = qgetenv("HOME");
    const QString home = dir.filePath(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(home));
    qputenv("HOME", QFile::encodeName(home));
    EXPECT_EQ(Preferences::browserHomeDirectory(), home);

    ASSERT_TRUE(QDir(readable).removeRecursively());
    EXPECT_EQ(Preferences::rootDircetory(), home);

    Preferences::setValue(QVariant(qint64(7)), Key::lastDirectory);
    EXPECT_EQ(Preferences::rootDircetory(), home) << "a stored value that is not a text";

    ASSERT_TRUE(QDir(home).removeRecursively());
    EXPECT_EQ(Preferences::rootDircetory(), QStringLiteral("/")) << "a home folder that does not exist";
    EXPECT_TRUE(QFileInfo::exists(Preferences::homeDirectory())) << "the app's own folder is made as before";
    qputenv("HOME", savedHome);
}

TEST_F(PreferencesTest, PathsHangOffTheHomeFolder)
{
    const QString home = QFileInfo(QStringLiteral("/var/mobile")).isReadable() ? QStringLiteral("/var/mobile")
                                                                               : StandardFolders::documentsDirectory();
    EXPECT_EQ(Preferences::homeDirectory(), home);
    const QString preferences = home + QStringLiteral("/Library/Preferences");
    EXPECT_EQ(Preferences::preferencesDirectory(), preferences);
    EXPECT_EQ(Preferences::preferencesFilePath(), preferences + QStringLiteral("/com.quilmera.tarnik.plist"));
    EXPECT_EQ(Preferences::Saltrig::preferencesFilePath(), preferences + QStringLiteral("/com.quilmera.saltrig.plist"));
    EXPECT_EQ(Preferences::inboxPath(),
        home + QStringLiteral("/Library/Application Support/Containers/") + Common::bundleIdentifier()
            + QStringLiteral("/Documents/Inbox"));
    EXPECT_EQ(Preferences::downloadsPath(), home + QStringLiteral("/Media/Downloads"));
    EXPECT_EQ(Preferences::purchasesPath(), home + QStringLiteral("/Media/Purchases"));
    EXPECT_EQ(Preferences::ringtonesPlistPath(), home + QStringLiteral("/Media/Purchases/Ringtones.plist"));
    EXPECT_EQ(Preferences::downloaderRecordsPath(),
        preferences + QLatin1Char('/') + DownloaderAddOn::bundleIdentifier + QStringLiteral(".plist"));
    EXPECT_TRUE(Preferences::fileTypesPath().endsWith(QStringLiteral("/FileTypes.plist")));
    EXPECT_TRUE(QFileInfo(Preferences::fileTypesPath()).isFile());
}

TEST(PreferencesNowPlaying, MarksOneItemAndRemembersTheFlagsOfEarlierOnes)
{
    const QString a = QStringLiteral("marker-a");
    const QString b = QStringLiteral("marker-b");
    Preferences::setNowPlaying(a, true);
    EXPECT_EQ(Preferences::nowPlaying(), (Preferences::NowPlaying { a, true }));
    Preferences::setNowPlaying(a, true); // the same mark again changes nothing
    EXPECT_EQ(Preferences::nowPlaying(), (Preferences::NowPlaying { a, true }));
    Preferences::setNowPlaying(a, false);
    EXPECT_EQ(Preferences::nowPlaying(), (Preferences::NowPlaying { a, false }));

    Preferences::setNowPlaying(b, true);
    EXPECT_EQ(Preferences::nowPlaying(), (Preferences::NowPlaying { b, true }));
    Preferences::clearNowPlaying(b);
    EXPECT_EQ(Preferences::nowPlaying(), Preferences::NowPlaying {});
    // a's entry kept its last flag: marking it again with that flag shows it as it was.
    Preferences::setNowPlaying(a, false);
    EXPECT_EQ(Preferences::nowPlaying(), (Preferences::NowPlaying { a, false }));

    Preferences::setNowPlaying(QString(), true);
    EXPECT_EQ(Preferences::nowPlaying(), Preferences::NowPlaying {}) << "the empty identifier marks nothing";
}

TEST(PreferencesNowPlaying, ThreadsMayMarkAndReadAtOnce)
{
    std::vector<std::thread> threads;
    std::atomic<int> malformed = 0;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([t, &malformed] {
            const QString mine = QStringLiteral("thread-%1").arg(t);
            for (int i = 0; i < 2000; ++i) {
                Preferences::setNowPlaying(mine, i % 2 == 0);
                const auto now = Preferences::nowPlaying();
                if (now.identifier && !now.identifier->startsWith(QStringLiteral("thread-")))
                    ++malformed;
                if (i % 7 == 0)
                    Preferences::clearNowPlaying(mine);
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(malformed, 0);
}

TEST_F(PreferencesTest, DownloaderRecordsExistOnlyForManagedFolders)
{
    QTemporaryDir dir;
    const QString managed = dir.filePath(QStringLiteral("Managed"));
    const QString unmanaged = dir.filePath(QStringLiteral("Plain"));
    ASSERT_TRUE(QDir().mkpath(managed + QLatin1Char('/') + DownloaderAddOn::hiddenFolderName()));
    ASSERT_TRUE(QDir().mkpath(unmanaged));
    const QVariantMap song { { QStringLiteral("title"), QStringLiteral("Song") },
        { QStringLiteral("year"), QVariant::fromValue(qint64(1999)) },
        { QStringLiteral("addOnOwn"), QByteArray("x") } };
    const QVariantMap dotted { { QStringLiteral("title"), QStringLiteral("Dotted") } };
    const auto records = [&](const QVariant &tracks) {
        ASSERT_TRUE(PropertyList::write(Preferences::downloaderRecordsPath(),
            QVariantMap { { QStringLiteral("tracks"), tracks }, { QStringLiteral("other"), 1 } }));
    };
    const auto at = [](const QString &folder, const QString &name) {
        return Preferences::downloaderMetadata(QUrl::fromLocalFile(folder + QLatin1Char('/') + name));
    };

    EXPECT_EQ(at(managed, QStringLiteral("song.mp3")), std::nullopt) << "no records file";

    records(QVariantMap { { QStringLiteral("song"), song }, { QStringLiteral("a.b"), dotted } });
    QVariantMap expected = song;
    expected.insert(
        QStringLiteral("artworkUrl"), QUrl::fromLocalFile(dir.filePath(QStringLiteral("Artworks/song.jpg"))));
    EXPECT_EQ(at(managed, QStringLiteral("song.mp3")), expected) << "artworkUrl is added with no artwork file";
    EXPECT_EQ(at(managed, QStringLiteral("a.b.m4a")).value_or(QVariantMap()).value(QStringLiteral("title")),
        QVariant(QStringLiteral("Dotted")));
    EXPECT_EQ(at(unmanaged, QStringLiteral("song.mp3")), std::nullopt) << "a folder without the marker";
    EXPECT_EQ(at(managed, QStringLiteral("other.mp3")), std::nullopt) << "no record of that name";
    EXPECT_EQ(Preferences::downloaderMetadata(QUrl(QStringLiteral("https://example.invalid/Managed/song.mp3"))),
        std::nullopt);

    records(QStringLiteral("not a dictionary"));
    EXPECT_EQ(at(managed, QStringLiteral("song.mp3")), std::nullopt);
    records(QVariantMap { { QStringLiteral("song"), song }, { QStringLiteral("broken"), 3 } });
    EXPECT_EQ(at(managed, QStringLiteral("song.mp3")), std::nullopt) << "tracks that are not all dictionaries";
    ASSERT_TRUE(PropertyList::write(Preferences::downloaderRecordsPath(), QVariantList { song }));
    EXPECT_EQ(at(managed, QStringLiteral("song.mp3")), std::nullopt) << "a records file that is not a dictionary";
}

TEST_F(PreferencesTest, ThreadsWritingDifferentKeysAtOnceLoseNothing)
{
    ASSERT_TRUE(PropertyList::write(Preferences::preferencesFilePath(), foreignKeys()));
    constexpr int kWrites = 30;
    const Key appKeys[] = { Key::hideUnsupported, Key::showHidden, Key::showImageThumbnail, Key::showVideoThumbnail,
        Key::isListView, Key::lastDirectory, Key::tempDirectory, Key::usePersistentCache, Key::playerShouldRepeat };
    std::atomic<bool> writing = true;
    std::atomic<int> unreadable = 0;
    std::vector<std::thread> threads;
    for (const Key key : appKeys) {
        threads.emplace_back([key] {
            for (int i = 0; i < kWrites; ++i)
                Preferences::setValue(QVariant::fromValue(qint64(i)), key);
        });
    }
    for (const SaltrigKey key : { SaltrigKey::shouldNotifyOnCompletion, SaltrigKey::shouldAddFadeInFadeOut }) {
        threads.emplace_back([key] {
            for (int i = 0; i < kWrites; ++i)
                Preferences::Saltrig::setValue(QVariant::fromValue(qint64(i)), key);
        });
    }
    std::thread reader([&] {
        while (writing) {
            if (!PropertyList::readDictionary(Preferences::preferencesFilePath()))
                ++unreadable;
        }
    });
    for (auto &thread : threads)
        thread.join();
    writing = false;
    reader.join();

    EXPECT_EQ(unreadable, 0) << "a reader saw a partly written file";
    QVariantMap expected = foreignKeys();
    for (const Key key : appKeys)
        expected.insert(Preferences::rawValue(key), QVariant::fromValue(qint64(kWrites - 1)));
    EXPECT_EQ(fileContent(Preferences::preferencesFilePath()), expected);
    EXPECT_EQ(fileContent(Preferences::Saltrig::preferencesFilePath()),
        QVariantMap({ { QStringLiteral("shouldNotifyOnCompletion"), QVariant::fromValue(qint64(kWrites - 1)) },
            { QStringLiteral("shouldAddFadeInFadeOut"), QVariant::fromValue(qint64(kWrites - 1)) } }));
    EXPECT_TRUE(alerts().isEmpty());
}

// MARK: - Other processes

namespace {

// A copy of this binary that runs only DISABLED_PreferencesChild.Writes and writes into this
// process's preferences folder. Its own temporary home goes below `scratch`, which this test
// removes, so a child killed before it could clean up leaves nothing behind.
std::unique_ptr<QProcess> startChild(const QString &mode, Key key, const QString &scratch)
{
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(kChildModeVariable), mode);
    environment.insert(QLatin1String(kChildFolderVariable), Preferences::preferencesDirectory());
    environment.insert(QLatin1String(kChildKeyVariable), Preferences::rawValue(key));
    environment.insert(QStringLiteral("TMPDIR"), scratch);
    child->setProcessEnvironment(environment);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_also_run_disabled_tests"),
            QStringLiteral("--gtest_filter=DISABLED_PreferencesChild.Writes") });
    return child;
}

// Reads the child's progress lines until it has reported `count` writes.
bool waitForWrites(QProcess &child, int count)
{
    QByteArray seen;
    while (seen.count("wrote\n") < count) {
        if (!child.waitForReadyRead(30000))
            return false;
        seen += child.readAllStandardOutput();
    }
    return true;
}

} // namespace

TEST(DISABLED_PreferencesChild, Writes)
{
    const QString mode = qEnvironmentVariable(kChildModeVariable);
    ASSERT_FALSE(mode.isEmpty()) << "run only by the cross-process tests";
    // Share the parent's preferences folder: this process's own one becomes a link to it.
    const QString mine = Preferences::preferencesDirectory();
    QDir(mine).removeRecursively();
    QDir().mkpath(QFileInfo(mine).path());
    ASSERT_TRUE(QFile::link(qEnvironmentVariable(kChildFolderVariable), mine));
    const auto key = Preferences::keyFromRawValue(qEnvironmentVariable(kChildKeyVariable));
    ASSERT_TRUE(key);

    const int count = mode == QLatin1String("loop") ? std::numeric_limits<int>::max() : mode.toInt();
    for (int i = 0; i < count; ++i) {
        ASSERT_TRUE(Preferences::setValue(QVariant(QStringLiteral("child %1").arg(i)), *key));
        std::cout << "wrote\n" << std::flush;
    }
}

TEST_F(PreferencesTest, WritersInOtherProcessesLoseNothing)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(PropertyList::write(Preferences::preferencesFilePath(), foreignKeys()));
    constexpr int kWrites = 150;
    auto first = startChild(QString::number(kWrites), Key::tempDirectory, scratch.path());
    auto second = startChild(QString::number(kWrites), Key::lastDirectory, scratch.path());
    for (int i = 0; i < kWrites; ++i)
        Preferences::setValue(QVariant::fromValue(qint64(i)), Key::usePersistentCache);
    for (auto *child : { first.get(), second.get() }) {
        ASSERT_TRUE(child->waitForFinished(60000));
        EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardOutput().right(2000).toStdString();
    }
    QVariantMap expected = foreignKeys();
    expected.insert(QStringLiteral("tempDirectory"), QStringLiteral("child %1").arg(kWrites - 1));
    expected.insert(QStringLiteral("lastDirectory"), QStringLiteral("child %1").arg(kWrites - 1));
    expected.insert(QStringLiteral("usePersistentCache"), QVariant::fromValue(qint64(kWrites - 1)));
    EXPECT_EQ(fileContent(Preferences::preferencesFilePath()), expected);
}

TEST_F(PreferencesTest, AWriterKilledMidWriteLeavesAWholeFile)
{
    QTemporaryDir scratch;
    const QString path = Preferences::preferencesFilePath();
    ASSERT_TRUE(PropertyList::write(path, foreignKeys()));
    // Kill the child at different points of its loop; it spends nearly all its time writing.
    for (const int writes : { 1, 25, 150 }) {
        SCOPED_TRACE(writes);
        auto child = startChild(QStringLiteral("loop"), Key::tempDirectory, scratch.path());
        ASSERT_TRUE(waitForWrites(*child, writes));
        child->kill();
        ASSERT_TRUE(child->waitForFinished(30000));

        const auto content = PropertyList::readDictionary(path);
        ASSERT_TRUE(content) << "the file is not a whole property list";
        ASSERT_TRUE(test::plistutil(path));
        QVariantMap withoutChild = *content;
        EXPECT_TRUE(withoutChild.take(QStringLiteral("tempDirectory")).toString().startsWith(QStringLiteral("child ")));
        withoutChild.remove(QStringLiteral("hideUnsupported"));
        EXPECT_EQ(withoutChild, foreignKeys());

        // The lock the child may have died holding does not stop the next writer.
        EXPECT_TRUE(Preferences::setValue(QVariant(writes % 2 == 0), Key::hideUnsupported));
        EXPECT_EQ(Preferences::hideUnsupported(), writes % 2 == 0);
    }
}

TEST_F(PreferencesTest, StaleTemporaryFilesOfKilledWritersAreRemovedWhenNoWriterHoldsTheLock)
{
    const QString settings = Preferences::preferencesFilePath();
    const QString companion = Preferences::Saltrig::preferencesFilePath();
    ASSERT_TRUE(PropertyList::write(settings, foreignKeys()));
    const QString stale = settings + QStringLiteral(".Ab12Cd");
    const QString staleCompanion = companion + QStringLiteral(".zZ9yY8");
    const QString folder = Preferences::preferencesDirectory() + QLatin1Char('/');
    const QStringList kept { settings, settings + QStringLiteral(".lock"), settings + QStringLiteral(".Ab12Cd7"),
        settings + QStringLiteral(".bak"), folder + QStringLiteral("other.plist.Ab12Cd") };
    for (const QString &path : QStringList { stale, staleCompanion } + kept.mid(1))
        ASSERT_TRUE(spit(path, "partial"));

    // A writer at work holds the lock: its temporary file is no leftover.
    const int held = ::open(QFile::encodeName(settings + QStringLiteral(".lock")).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    Preferences::removeStaleTemporaryFiles();
    EXPECT_TRUE(QFileInfo::exists(stale));
    EXPECT_FALSE(QFileInfo::exists(staleCompanion));
    ::close(held);

    Preferences::removeStaleTemporaryFiles();
    EXPECT_FALSE(QFileInfo::exists(stale));
    for (const QString &path : kept)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_EQ(fileContent(settings), foreignKeys());
}

} // namespace tarnik
