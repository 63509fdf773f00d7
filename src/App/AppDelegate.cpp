#include "App/AppDelegate.h"

#include "App/BrowserServices.h"
#include "App/Constants.h"
#include "App/Extensions.h"
#include "App/Globals.h"
#include "App/PathExtension.h"
#include "Controls/NavigationBarStyle.h"
#include "App/Preferences.h"
#include "Import/MediaKind.h"
#include "Platform/PercentEncoding.h"
#include "Platform/Playback/AudioSession.h"
#include "Platform/Playback/PlatformPlayer.h"
#include "Platform/PartialFiles.h"
#include "Platform/PropertyList.h"
#include "Platform/StandardFolders.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/TabBarItem.h"
#include "Platform/UI/ViewController.h"
#include "Platform/UI/Window.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <utility>

namespace tarnik {

namespace {

QPointer<AppDelegate> g_shared;

constexpr int kMaximumUrlLength = 64 * 1024;
// A records file is a small property list. A link that names anything much
// larger (a film, a disk image) is refused before it is read into memory.
constexpr qint64 kMaximumRecordsSize = 64 * 1024 * 1024;
constexpr int kBrowserTab = 1;

// A path handed over in a link must be absolute and must not climb out of
// where it points with "..": such a link is refused, not followed.
bool isAcceptablePath(const QString &path)
{
    if (path.isEmpty() || !path.startsWith(QLatin1Char('/')) || path.contains(QChar(0)))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'));
    return !parts.contains(QStringLiteral(".."));
}

std::optional<QString> decodedPath(const QHash<QString, QString> &query, QLatin1String key)
{
    const auto it = query.constFind(QString(key));
    if (it == query.constEnd())
        return std::nullopt;
    return PercentEncoding::decode(*it);
}

// Whether `path` lies inside `folder` (both made canonical where they exist).
bool isInside(const QString &path, const QString &folder)
{
    const QString base = QFileInfo(folder).canonicalFilePath();
    if (base.isEmpty())
        return false;
    const QFileInfo info(path);
    // The item itself may be a dangling link; judge by its folder.
    const QString parent = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (parent.isEmpty())
        return false;
    const QString full = parent + QLatin1Char('/') + info.fileName();
    return full.startsWith(base + QLatin1Char('/')) && info.fileName() != QStringLiteral("..")
        && info.fileName() != QStringLiteral(".");
}

std::optional<QVariantMap> readRecords(const QString &path)
{
    return PropertyList::readDictionary(path, kMaximumRecordsSize);
}

void removeItem(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

} // namespace

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
    , sleep([](double seconds) { QThread::usleep(static_cast<unsigned long>(seconds * 1e6)); })
{
}

AppDelegate::~AppDelegate() = default;

AppDelegate *AppDelegate::shared()
{
    return g_shared;
}

void AppDelegate::setShared(AppDelegate *delegate)
{
    g_shared = delegate;
}

void AppDelegate::step(const QString &name)
{
    if (launchStepObserver)
        launchStepObserver(name);
}

bool AppDelegate::applicationDidFinishLaunching()
{
    step(QStringLiteral("pause"));
    if (sleep)
        sleep(1.0);
    step(QStringLiteral("appearance"));
    setUpAppearance();
    // The simulator-only resource set-up never runs here (Device::isSimulator is false).
    step(QStringLiteral("temporaryDirectory"));
    tidyTemporaryDirectory();
    Preferences::removeStaleTemporaryFiles();
    // Exports and conversions cut short by a kill left their partial files beside their targets.
    PartialFiles::removeLeftovers();
    step(QStringLiteral("inbox"));
    removeItem(Preferences::inboxPath());
    step(QStringLiteral("audioSession"));
    QString error;
    // 76 = allow Bluetooth (4) + default to speaker (8) + allow AirPlay (64); not activated here.
    if (!AudioSession::shared().setCategory(AudioSession::categoryPlayback, AudioSession::modeDefault, 76, &error))
        _print(QStringLiteral("Failed to set the audio session category.\nError: ") + error);
    return true;
}

void AppDelegate::setUpAppearance()
{
    NavigationBarStyle::install();
    auto &bar = BarButtonItem::appearance();
    bar.titleTextAttributes[ControlState::normal] = { Common::greyColor(), Common::defaultFont() };
    QColor disabled = Common::greyColor();
    disabled.setAlphaF(0.3f);
    bar.titleTextAttributes[ControlState::disabled] = { disabled, Common::defaultFont() };
    auto &tab = TabBarItem::appearance();
    tab.titleTextAttributes[ControlState::normal] = { colorWithHex(u"4b5054"), std::nullopt };
    tab.titleTextAttributes[ControlState::selected] = { colorWithHex(u"ffffff"), std::nullopt };
}

void AppDelegate::tidyTemporaryDirectory()
{
    const QString current = StandardFolders::temporaryDirectory();
    const std::optional<QString> recorded = Preferences::tempDirectory();
    // The recorded value is only a setting: remove it only when it names one
    // of this app's own folders (inside its cache folder), never an arbitrary
    // path someone wrote there.
    if (recorded && *recorded != current) {
        QString old = *recorded;
        while (old.endsWith(QLatin1Char('/')) && old.size() > 1)
            old.chop(1);
        if (isInside(old, StandardFolders::cachesDirectory()))
            removeItem(old);
        else
            _print(QStringLiteral("Kept a recorded temporary folder outside the cache folder: ") + *recorded);
    }
    Preferences::setTempDirectory(current);
}

void AppDelegate::applicationDidEnterBackground()
{
    PlayerSurface *surface = videoPlayer();
    if (!surface)
        surface = audioPlayerLayer();
    if (surface) {
        m_player = surface->player();
        surface->setPlayer(nullptr);
    }
    if (m_playerLink)
        m_playerLink->delegatePlayerShouldRefreshNowPlaying();
}

void AppDelegate::applicationWillEnterForeground()
{
    PlayerSurface *surface = videoPlayer();
    if (!surface)
        surface = audioPlayerLayer();
    if (surface)
        surface->setPlayer(m_player);
}

void AppDelegate::applicationDidBecomeActive()
{
    if (m_playerLink)
        m_playerLink->delegatePlayerDidChangeItem();
}

void AppDelegate::applicationStateChanged(Qt::ApplicationState state)
{
    // While the window is minimised the app stays in the background: the loss
    // of focus that Qt reports after the minimising must not bring it back.
    if (m_window && m_window->isMinimized() && state != Qt::ApplicationSuspended)
        state = Qt::ApplicationHidden;
    if (state == m_state)
        return;
    const auto isBackground
        = [](Qt::ApplicationState s) { return s == Qt::ApplicationHidden || s == Qt::ApplicationSuspended; };
    const Qt::ApplicationState previous = std::exchange(m_state, state);
    if (previous == Qt::ApplicationActive)
        applicationWillResignActive();
    if (isBackground(state) && !isBackground(previous))
        applicationDidEnterBackground();
    if (isBackground(previous) && !isBackground(state))
        applicationWillEnterForeground();
    if (state == Qt::ApplicationActive)
        applicationDidBecomeActive();
}

void AppDelegate::dismissPresentedViewControllers(ViewController *root)
{
    if (!root)
        return;
    ViewController *presented = root->presentedViewController();
    if (!presented)
        return;
    QPointer<AppDelegate> self(this);
    QPointer<ViewController> keep(root);
    presented->dismiss(false, [self, keep] {
        if (self && keep)
            self->dismissPresentedViewControllers(keep);
    });
}

bool AppDelegate::applicationOpenUrl(const QString &urlText)
{
    _print(QStringLiteral("Open URL: ") + urlText.left(512));
    // A link of this size is no link of ours; refuse it before anything else.
    if (urlText.size() > kMaximumUrlLength)
        return false;
    Window *window = Window::keyWindow();
    ViewController *root = window ? window->rootViewController() : nullptr;
    auto *tabs = qobject_cast<TabBarController *>(root);
    if (!tabs)
        return false;
    if (ViewController *selected = tabs->selectedViewController(); dynamic_cast<BrowserNavigation *>(selected))
        dismissPresentedViewControllers(selected);

    const QUrl url(urlText, QUrl::TolerantMode);
    if (url.isValid() && url.isLocalFile())
        return openFileUrl(tabs, url.toLocalFile());
    // QUrl folds the scheme to lower case; ours must be exactly "tarnik".
    const qsizetype colon = urlText.indexOf(QLatin1Char(':'));
    if (colon <= 0 || urlText.left(colon) != QStringLiteral("tarnik"))
        return false;
    return openOwnUrl(tabs, url);
}

namespace {

// Selects the browser tab (index 1, even when it turns out not to be the
// browser) and answers its navigation controller.
NavigationController *showBrowser(TabBarController *tabs)
{
    tabs->setSelectedIndex(kBrowserTab);
    ViewController *selected = tabs->selectedViewController();
    if (!dynamic_cast<BrowserNavigation *>(selected))
        return nullptr;
    return qobject_cast<NavigationController *>(selected);
}

BrowserLevel *topLevel(NavigationController *nav)
{
    return nav ? dynamic_cast<BrowserLevel *>(nav->topViewController()) : nullptr;
}

} // namespace

bool AppDelegate::openFileUrl(TabBarController *tabs, const QString &path)
{
    if (QFileInfo::exists(path)) {
        if (NavigationController *nav = showBrowser(tabs)) {
            if (BrowserLevel *level = topLevel(nav)) {
                level->importReceivedFile(path);
                return true;
            }
        }
    }
    // Only the app's own copy in the inbox is ever removed; a path elsewhere
    // (the user's original, or anything a link names) is left alone.
    if (isInside(path, Preferences::inboxPath()))
        removeItem(path);
    return false;
}

bool AppDelegate::openOwnUrl(TabBarController *tabs, const QUrl &url)
{
    if (!url.isValid())
        return false;
    const std::optional<QHash<QString, QString>> query = queryParameters(url);
    if (!query)
        return false;

    if (const auto locate = decodedPath(*query, QLatin1String("locate"))) {
        if (isAcceptablePath(*locate) && QFileInfo::exists(*locate)) {
            if (NavigationController *nav = showBrowser(tabs)) {
                dynamic_cast<BrowserNavigation *>(nav)->browseToFile(*locate);
                return true;
            }
        }
    }
    bool tried = false;
    const bool handed = handOverFromAddOn(tabs, *query, &tried);
    if (tried)
        return handed;
    return handOverOlderForm(tabs, *query);
}

bool AppDelegate::handOverFromAddOn(TabBarController *tabs, const QHash<QString, QString> &query, bool *tried)
{
    *tried = false;
    const auto urn = query.constFind(QString(DownloaderAddOn::urn));
    const auto kindText = query.constFind(QString(LegacyKey::mediaKind));
    const auto plistPath = decodedPath(query, DownloaderAddOn::plistPath);
    const auto trackPath = decodedPath(query, DownloaderAddOn::trackPath);
    const auto artworkPath = decodedPath(query, DownloaderAddOn::artworkPath);
    if (urn == query.constEnd() || kindText == query.constEnd() || !plistPath || !trackPath || !artworkPath)
        return false;
    *tried = true;
    if (!isAcceptablePath(*plistPath) || !isAcceptablePath(*trackPath) || !isAcceptablePath(*artworkPath))
        return false;
    const MediaKind kind = MediaKind::fromRawValue(*kindText).value_or(MediaKind::song);
    const std::optional<QVariantMap> records = readRecords(*plistPath);
    if (!records)
        return false;
    const QVariant tracks = records->value(QString(DownloaderAddOn::tracks));
    if (tracks.typeId() != QMetaType::QVariantMap)
        return false;
    const QVariant entry = tracks.toMap().value(*urn);
    if (entry.typeId() != QMetaType::QVariantMap)
        return false;
    QVariantMap record = entry.toMap();
    record.insert(QString(LegacyKey::filePath), *trackPath);
    record.insert(QString(DownloaderAddOn::artworkPath), *artworkPath);
    record.insert(QString(LegacyKey::hasArtwork), true);
    return handOver(tabs, *trackPath, record, kind);
}

bool AppDelegate::handOverOlderForm(TabBarController *tabs, const QHash<QString, QString> &query)
{
    const auto kindText = query.constFind(QString(LegacyKey::mediaKind));
    if (kindText == query.constEnd())
        return false;
    const std::optional<MediaKind> kind = MediaKind::fromRawValue(*kindText);
    if (!kind)
        return false;
    const auto section = query.constFind(QString(LegacyKey::section));
    const auto theKey = decodedPath(query, LegacyKey::theKey);
    const auto plist = decodedPath(query, LegacyKey::plist);
    if (section == query.constEnd() || !theKey || !plist || !isAcceptablePath(*plist))
        return false;
    const std::optional<QVariantMap> records = readRecords(*plist);
    if (!records)
        return false;
    const QVariant group = records->value(*section);
    if (group.typeId() != QMetaType::QVariantMap)
        return false;
    const QVariant entry = group.toMap().value(*theKey);
    if (entry.typeId() != QMetaType::QVariantMap)
        return false;
    QVariantMap record = entry.toMap();
    const QVariant isVideo = record.value(QString(LegacyKey::isVideo));
    if (isVideo.typeId() == QMetaType::Bool)
        record.insert(QString(LegacyKey::hasArtwork), isVideo.toBool());
    const QVariant name = record.value(QString(LegacyKey::name));
    const QVariant extension = record.value(QString(LegacyKey::extension));
    if (name.typeId() == QMetaType::QString && extension.typeId() == QMetaType::QString) {
        const PathExtension namePath(name.toString());
        if (namePath.pathExtension() == extension.toString())
            record.insert(QString(LegacyKey::name), namePath.deletingPathExtension());
    }
    const QVariant filePath = record.value(QString(LegacyKey::filePath));
    if (filePath.typeId() != QMetaType::QString || !isAcceptablePath(filePath.toString()))
        return false;
    return handOver(tabs, filePath.toString(), record, int(kind->value()));
}

bool AppDelegate::handOver(TabBarController *tabs, const QString &path, const QVariantMap &record, int mediaKind)
{
    NavigationController *nav = showBrowser(tabs);
    if (!nav)
        return false;
    dynamic_cast<BrowserNavigation *>(nav)->browseToFile(path);
    BrowserLevel *level = topLevel(nav);
    if (!level)
        return false;
    level->importHandOver(record, MediaKind(static_cast<MediaKind::Value>(mediaKind)));
    return true;
}

} // namespace tarnik
