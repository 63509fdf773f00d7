#include "Settings/PreferenceViewController.h"

#include "App/MainStoryboard.h"
#include "App/Preferences.h"
#include "Controls/Loaders/LoaderView.h"
#include "Controls/Loaders/SpinnerView.h"
#include "Entries/Entry.h"
#include "Entries/EntryViewModel.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/AlertController.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Switch.h"
#include "Settings/GuideViewController.h"
#include "Settings/PagingViewController.h"
#include "Settings/PreferenceButtonCell.h"
#include "Settings/PreferenceSwitchCell.h"
#include "Settings/SettingsFakes.h"
#include "Support/UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUrlQuery>

using namespace tarnik;
using namespace tarnik::test;

namespace {

class SettingsTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        MainStoryboard::registerScreens();
        UrlOpener::setShared(opener);
        ServiceProcess::setShared(companion);
        QFile::remove(Preferences::preferencesFilePath());
        QFile::remove(Preferences::Saltrig::preferencesFilePath());
        QDir(Preferences::downloadsPath()).removeRecursively();
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
        UrlOpener::setShared(nullptr);
        ServiceProcess::setShared(nullptr);
    }
    void show()
    {
        makeWindow();
        screen = new PreferenceViewController;
        navigation = new NavigationController(screen);
        window->setRootViewController(navigation);
        settle();
        screen->tableView()->layoutIfNeeded();
    }
    TableViewCell *cell(int section, int row)
    {
        screen->tableView()->scrollToRow(IndexPath(row, section), TableView::ScrollPosition::middle, false);
        screen->tableView()->layoutIfNeeded();
        return screen->tableView()->cellForRow(IndexPath(row, section));
    }
    AlertController *alert(ViewController *from) const
    {
        return qobject_cast<AlertController *>(from->presentedViewController());
    }
    static void makeFile(const QString &path)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("x");
    }

    std::unique_ptr<Dispatch::VirtualClock> clock = std::make_unique<Dispatch::VirtualClock>();
    std::shared_ptr<FakeUrlOpener> opener = std::make_shared<FakeUrlOpener>();
    std::shared_ptr<FakeServiceProcess> companion = std::make_shared<FakeServiceProcess>();
    PreferenceViewController *screen = nullptr;
    NavigationController *navigation = nullptr;
};

TEST_F(SettingsTest, SectionsRowsAndFooters)
{
    show();
    TableView *table = screen->tableView();
    ASSERT_EQ(table->numberOfSections(), 7);
    QList<int> rows;
    QStringList titles;
    for (int section = 0; section < 7; ++section) {
        rows.append(table->numberOfRows(section));
        for (const PreferenceViewController::Item &item : screen->items().at(section).elements)
            titles.append(item.title());
    }
    EXPECT_EQ(rows, QList<int>({ 4, 1, 1, 1, 1, 1, 1 }));
    EXPECT_FALSE(titles.contains(QStringLiteral("Hide Unsupported Files")));
    EXPECT_EQ(titles.at(6), QStringLiteral("Reset Tarnik"));
    EXPECT_EQ(*screen->items().at(4).footerTitle,
        QStringLiteral("Remove Tarnik's cached and unused files to free up disk space."));
    EXPECT_TRUE(screen->items().at(6).footerTitle->contains(QString::number(QDate::currentDate().year())));

    // Rows and switches answer to their titles.
    auto *switchCell = qobject_cast<PreferenceSwitchCell *>(cell(0, 1));
    ASSERT_TRUE(switchCell);
    EXPECT_EQ(switchCell->switchButton()->accessibleName(), QStringLiteral("Show Image Thumbnail"));
    auto *buttonCell = qobject_cast<PreferenceButtonCell *>(cell(4, 0));
    ASSERT_TRUE(buttonCell);
    EXPECT_EQ(buttonCell->accessibleName(), QStringLiteral("Empty Cache"));
    TableViewCell *version = cell(6, 0);
    ASSERT_TRUE(version && version->detailTextLabel());
    EXPECT_EQ(version->detailTextLabel()->text(), PreferenceViewController::Constants::appVersion());
    // Only the maintenance rows highlight.
    EXPECT_FALSE(screen->shouldHighlightRow(table, IndexPath(0, 0)));
    EXPECT_FALSE(screen->shouldHighlightRow(table, IndexPath(0, 6)));
    EXPECT_TRUE(screen->shouldHighlightRow(table, IndexPath(0, 3)));
}

TEST_F(SettingsTest, EverySwitchReadsAndWritesItsKey)
{
    using Id = PreferenceViewController::Identifier;
    struct Case
    {
        int section;
        int row;
        std::function<bool()> read;
        bool clearsRowCache;
    };
    const QList<Case> cases {
        { 0, 0, [] { return Preferences::showHidden(); }, false },
        { 0, 1, [] { return Preferences::showImageThumbnail(); }, true },
        { 0, 2, [] { return Preferences::showVideoThumbnail(); }, true },
        { 0, 3, [] { return Preferences::Saltrig::shouldNotifyOnCompletion(); }, false },
        { 1, 0, [] { return Preferences::Saltrig::shouldAddFadeInFadeOut(); }, false },
        { 2, 0, [] { return Preferences::usePersistentCache(); }, false },
    };
    show();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.section * 10 + c.row);
        auto *row = qobject_cast<PreferenceSwitchCell *>(cell(c.section, c.row));
        ASSERT_TRUE(row);
        const bool before = c.read();
        EXPECT_EQ(row->switchButton()->isOn(), before);
        const Entry entry(QStringLiteral("/x.mp3"), QStringLiteral("x.mp3"), EntryType::regular, IndexPath());
        viewModelCache().setObject(QStringLiteral("row"), std::make_shared<EntryViewModel>(entry));
        QTest::mouseClick(row->switchButton(), Qt::LeftButton);
        EXPECT_EQ(c.read(), !before);
        EXPECT_EQ(viewModelCache().object(QStringLiteral("row")) == nullptr, c.clearsRowCache);
    }
    // The companion's keys go to its own file, the others to the app's.
    EXPECT_TRUE(Preferences::Saltrig::value(Preferences::Saltrig::Key::shouldAddFadeInFadeOut).has_value());
    EXPECT_FALSE(Preferences::value(Preferences::Key::hideUnsupported).has_value());
    EXPECT_EQ(PreferenceViewController::identifierFromRawValue(11), std::nullopt);
    EXPECT_EQ(PreferenceViewController::identifierFromRawValue(0), Id::hideUnsupported);
}

TEST_F(SettingsTest, ResetRestoresTheAppDefaultsOnly)
{
    Preferences::setShowHidden(true);
    Preferences::setShowImageThumbnail(false);
    Preferences::Saltrig::setShouldAddFadeInFadeOut(false);
    makeFile(Preferences::inboxPath() + QStringLiteral("/doc.mp3"));
    show();
    screen->didSelectRow(screen->tableView(), IndexPath(0, 3));
    settle();
    AlertController *sheet = alert(screen);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->alertTitle(),
        QStringLiteral("Are you sure you wish to reset Tarnik to its factory "
                       "configuration?\nAn app shutdown and relaunch is required afterwards."));
    for (AlertControllerAction *action : sheet->actions()) {
        if (action->title() == QStringLiteral("Reset"))
            sheet->tapAction(action);
    }
    settle();
    EXPECT_FALSE(QFile::exists(Preferences::preferencesFilePath()));
    EXPECT_TRUE(QDir(Preferences::inboxPath()).exists());
    EXPECT_TRUE(QDir(Preferences::inboxPath()).isEmpty());
    EXPECT_FALSE(Preferences::Saltrig::shouldAddFadeInFadeOut());
    auto *hidden = qobject_cast<PreferenceSwitchCell *>(cell(0, 0));
    auto *images = qobject_cast<PreferenceSwitchCell *>(cell(0, 1));
    EXPECT_FALSE(hidden->switchButton()->isOn());
    EXPECT_TRUE(images->switchButton()->isOn());
}

TEST_F(SettingsTest, MaintenanceActionsOnTheDownloadFolder)
{
    const QString downloads = Preferences::downloadsPath();
    const auto fill = [&] {
        makeFile(downloads + QStringLiteral("/downloads.28.sqlitedb"));
        makeFile(downloads + QStringLiteral("/downloads.28.sqlitedb-wal"));
        makeFile(downloads + QStringLiteral("/song.mp3"));
        makeFile(downloads + QStringLiteral("/partial/part.1"));
    };
    fill();
    makeFile(Preferences::inboxPath() + QStringLiteral("/doc.mp3"));
    show();
    screen->didSelectRow(screen->tableView(), IndexPath(0, 4));
    EXPECT_EQ(QDir(downloads).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList({ QStringLiteral("downloads.28.sqlitedb"), QStringLiteral("downloads.28.sqlitedb-wal") }));
    EXPECT_TRUE(QDir(Preferences::inboxPath()).exists());
    EXPECT_TRUE(QDir(Preferences::inboxPath()).isEmpty());
    EXPECT_TRUE(companion->ended.isEmpty());
    // The overlay says what happens and goes 2 s after it was asked for.
    const auto loaders = [&] { return navigation->view()->findChildren<LoaderView *>(); };
    ASSERT_EQ(loaders().size(), 1);
    EXPECT_EQ(loaders().first()->label()->text(), QStringLiteral("Cleaning..."));
    clock->advance(1.9);
    settle();
    EXPECT_EQ(loaders().size(), 1);
    clock->advance(0.2);
    settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(loaders().isEmpty());

    // The repair empties the folder, then ends the companion, which owns the downloads here.
    fill();
    screen->didSelectRow(screen->tableView(), IndexPath(0, 5));
    EXPECT_TRUE(QDir(downloads).isEmpty());
    EXPECT_EQ(companion->ended, QStringList { QStringLiteral("com.quilmera.saltrig.center") });
    EXPECT_TRUE(screen->tableView()->indexPathsForSelectedRows().isEmpty());
}

TEST_F(SettingsTest, MaintenanceReportsOnlyRealFailures)
{
    static QStringList printed;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &message) { printed.append(message); });
    qputenv("TARNIK_DEBUG", "1");
    const QString downloads = Preferences::downloadsPath();
    // The first line of each diagnostic that reports a failure.
    const auto reports = [] {
        QStringList found;
        for (const QString &line : std::as_const(printed))
            if (line.contains(QStringLiteral("Error")))
                found.append(line.mid(line.indexOf(QStringLiteral("]: ")) + 3).section(u'\n', 0, 0));
        return found;
    };
    show();
    const struct
    {
        const char *name;
        std::function<void()> prepare;
        std::optional<QString> companionFailure;
        QStringList expected;
    } rows[] = {
        { "no download folder", [&] { QDir(downloads).removeRecursively(); }, std::nullopt, {} },
        { "no inbox and no download folder",
            [&] {
                QDir(downloads).removeRecursively();
                QDir(Preferences::inboxPath()).removeRecursively();
            },
            std::nullopt, {} },
        { "a file where the folder should be",
            [&] {
                QDir(downloads).removeRecursively();
                makeFile(downloads);
            },
            std::nullopt,
            { QStringLiteral("An error occurred while emptying Tarnik's cache."),
                QStringLiteral("Error Occurred while fixing downloads.28.* files.") } },
        { "a companion that cannot be ended", [&] { QDir(downloads).removeRecursively(); },
            QStringLiteral("Operation not permitted"), { QStringLiteral("Failed to restart the companion service.") } },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        row.prepare();
        companion->failure = row.companionFailure;
        companion->ended.clear();
        printed.clear();
        screen->didSelectRow(screen->tableView(), IndexPath(0, 4));
        screen->didSelectRow(screen->tableView(), IndexPath(0, 5));
        EXPECT_EQ(reports(), row.expected);
        EXPECT_EQ(companion->ended.size(), 1) << "the companion is ended whatever the folder held";
        EXPECT_TRUE(QDir(Preferences::inboxPath()).exists());
        EXPECT_TRUE(screen->tableView()->indexPathsForSelectedRows().isEmpty());
        QFile::remove(downloads);
    }
    qunsetenv("TARNIK_DEBUG");
    qInstallMessageHandler(previous);
}

TEST_F(SettingsTest, SupportMailLinkAndItsFailures)
{
    qputenv("TARNIK_SUPPORT_ADDRESS", "help@example.org");
    const QUrl url = PreferenceViewController::supportMailUrl(QStringLiteral("DEVICE-1"));
    EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(url.path(), QStringLiteral("help@example.org"));
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded), QStringLiteral("Tarnik App Query"));
    const QString body = query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded);
    EXPECT_TRUE(body.contains(QStringLiteral("App: Tarnik\n")));
    EXPECT_TRUE(body.contains(QStringLiteral("Version: ") + PreferenceViewController::Constants::appVersion()));
    EXPECT_TRUE(body.contains(QStringLiteral("UDID: DEVICE-1")));
    qunsetenv("TARNIK_SUPPORT_ADDRESS");

    show();
    // No mail handler: refused at once, whatever the companion would say.
    PreferenceViewController::sendMail(screen);
    settle();
    ASSERT_TRUE(alert(screen));
    EXPECT_EQ(alert(screen)->alertTitle(), QStringLiteral("Message Failure"));
    alert(screen)->tapAction(alert(screen)->actions().first());
    settle();

    // A handler, but no companion on the bus: the identifier is missing.
    opener->handledSchemes = { QStringLiteral("mailto") };
    PreferenceViewController::sendMail(screen);
    QTRY_VERIFY_WITH_TIMEOUT(alert(screen) != nullptr, 15000);
    settle();
    EXPECT_EQ(alert(screen)->alertTitle(), QStringLiteral("Error Occurred"));
    EXPECT_TRUE(opener->opened.isEmpty());
}

TEST_F(SettingsTest, TutorialOpensOnlyAWebAddressFromItsPage)
{
    struct Case
    {
        QByteArray body;
        bool opens;
    };
    const QList<Case> cases { { "https://videos.example.org/tutorial\n", true }, { "http://example.org/v", true },
        { "file:///etc/passwd", false }, { "javascript:alert(1)", false }, { "not an address", false },
        { "\xff\xfe", false }, { "", false } };
    for (const Case &c : cases)
        EXPECT_EQ(PreferenceViewController::tutorialVideoUrl(c.body).has_value(), c.opens) << c.body.toStdString();

    // The page is fetched over a loopback server and its address opened.
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            socket->readAll();
            socket->write(
                "HTTP/1.1 200 OK\r\nContent-Length: 27\r\nConnection: close\r\n\r\nhttps://example.org/video\r\n");
            socket->disconnectFromHost();
        });
    });
    qputenv("TARNIK_TUTORIAL_URL", QStringLiteral("http://127.0.0.1:%1/tutorial").arg(server.serverPort()).toUtf8());
    PreferenceViewController::viewVideoTutorial();
    QTRY_COMPARE_WITH_TIMEOUT(opener->opened.size(), 1, 10000);
    EXPECT_EQ(opener->opened.first(), QUrl(QStringLiteral("https://example.org/video")));
    qunsetenv("TARNIK_TUTORIAL_URL");
}

TEST_F(SettingsTest, InfoSheetOffersTheGuideAndInstructionsPageCloses)
{
    show();
    screen->infoButtonTapped(screen->navigationItem()->rightBarButtonItem());
    settle();
    AlertController *sheet = alert(screen);
    ASSERT_TRUE(sheet);
    QStringList titles;
    for (AlertControllerAction *action : sheet->actions())
        titles.append(action->title());
    EXPECT_EQ(titles,
        QStringList({ QStringLiteral("Video Tutorial"), QStringLiteral("How To Guide"),
            QStringLiteral("Contact Developer"), QStringLiteral("Cancel") }));
    sheet->tapAction(sheet->actions().at(1));
    settle();
    auto *presented = qobject_cast<NavigationController *>(screen->presentedViewController());
    ASSERT_TRUE(presented);
    auto *guide = qobject_cast<GuideViewController *>(presented->topViewController());
    ASSERT_TRUE(guide);
    EXPECT_EQ(guide->title(), QStringLiteral("Instructions"));
    const QList<QLabel *> labels = guide->stackView()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(labels.size(), GuideViewController::instructionTexts().size());
    EXPECT_EQ(labels.first()->accessibleName(), GuideViewController::instructionTexts().first());
    EXPECT_TRUE(labels.first()->text().contains(QStringLiteral("line-height")));
    guide->close();
    settle();
    EXPECT_EQ(screen->presentedViewController(), nullptr);
}

TEST_F(SettingsTest, ButtonsWithoutAnAddressAreDisabled)
{
    show();
    const struct
    {
        const char *tutorial;
        const char *webpage;
        bool tutorialEnabled;
        bool webpageEnabled;
    } rows[] = {
        { nullptr, nullptr, false, false },
        { "", "", false, false },
        { "file:///etc/hostname", "javascript:alert(1)", false, false },
        { "https://example.org/tutorial", "http://example.org", true, true },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.tutorial ? row.tutorial : "unset");
        for (const auto &[name, value] : { std::pair { "TARNIK_TUTORIAL_URL", row.tutorial },
                 std::pair { "TARNIK_WEBPAGE_URL", row.webpage } }) {
            if (value)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
        // The settings' info sheet.
        screen->infoButtonTapped(screen->navigationItem()->rightBarButtonItem());
        settle();
        AlertController *sheet = alert(screen);
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->actions().first()->title(), QStringLiteral("Video Tutorial"));
        EXPECT_EQ(sheet->actions().first()->isEnabled(), row.tutorialEnabled);
        EXPECT_TRUE(sheet->actions().at(1)->isEnabled()) << "the instructions need no address";
        sheet->dismiss(false);
        settle();

        // The instructions page.
        GuideViewController instructions;
        instructions.loadViewIfNeeded();
        EXPECT_EQ(instructions.videoButton()->isEnabled(), row.tutorialEnabled);

        // The guide's slides.
        PagingViewController guide;
        guide.loadViewIfNeeded();
        QMap<QString, QList<bool>> enabled;
        for (QPushButton *button : guide.view()->findChildren<QPushButton *>())
            enabled[button->text()].append(button->isEnabled());
        EXPECT_EQ(enabled.value(QStringLiteral("Video Tutorial")), QList<bool>({ row.tutorialEnabled, row.tutorialEnabled }));
        EXPECT_EQ(enabled.value(QStringLiteral("Website")), QList<bool> { row.webpageEnabled });
        EXPECT_EQ(enabled.value(QStringLiteral("How To Guide")), QList<bool>({ true, true }));
        EXPECT_EQ(enabled.value(QStringLiteral("Contact Developer")), QList<bool> { true });
    }
    qunsetenv("TARNIK_TUTORIAL_URL");
    qunsetenv("TARNIK_WEBPAGE_URL");
}

} // namespace
