#include "Support/PlayerScreenSupport.h"

#include "App/AlertPresenting.h"
#include "App/MainStoryboard.h"
#include "App/Preferences.h"
#include "App/ScreenAlertPresenter.h"
#include "Support/AppWindow.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UI/Window.h"

#include <QBuffer>
#include <QCoreApplication>

namespace tarnik::test {

namespace {
FakePlaybackBackend *&sharedFake()
{
    static FakePlaybackBackend *fake = nullptr;
    return fake;
}

QByteArray png(const QColor &colour)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
} // namespace

bool PlayerScreenTest::realBackend = false;

FakePlaybackBackend &PlayerScreenTest::fake()
{
    return *sharedFake();
}

void PlayerScreenTest::SetUp()
{
    ScreenTest::SetUp();
    static const bool made = [] {
        if (realBackend) {
            Player::shared();
            return true;
        }
        // The shared player is made once per process: on the fake backend.
        PlaybackBackend::setFactory([] {
            auto backend = std::make_unique<FakePlaybackBackend>();
            if (!sharedFake())
                sharedFake() = backend.get();
            return backend;
        });
        Player::shared();
        PlaybackBackend::setFactory({});
        return true;
    }();
    Q_UNUSED(made);
    clock = std::make_unique<Dispatch::VirtualClock>();
    volume = std::make_unique<FakeSystemVolume>();
    SystemVolume::setShared(volume.get());
    app = std::make_unique<AppDelegate>();
    AppDelegate::setShared(app.get());
    setAlertPresenter(std::make_shared<ScreenAlertPresenter>());
    Preferences::setPlayerShouldRepeat(false);
    MainStoryboard::registerScreens();
    if (windowAsTheAppOpensIt())
        window = openWindowAsTheApp();
    else
        makeWindow();
    host
        = Storyboard(MainStoryboard::kName).instantiate<CustomTabBarController>(QStringLiteral("RootTabBarController"));
    window->setRootViewController(host);
    settle();
}

void PlayerScreenTest::TearDown()
{
    Player &player = Player::shared();
    player.pause();
    player.setDelegate(nullptr);
    player.setQueue(Player::EntryList {});
    player.setQueue(std::nullopt);
    player.setCurrentIndex(-1);
    player.replaceCurrentItem(nullptr);
    ScreenTest::TearDown();
    settle();
    setAlertPresenter(nullptr);
    AppDelegate::setShared(nullptr);
    SystemVolume::setShared(nullptr);
    clock.reset();
}

std::shared_ptr<Entry> PlayerScreenTest::entry(int i, bool video)
{
    const QString path = QStringLiteral("/nonexistent/player-views/track%1.%2")
                             .arg(i)
                             .arg(video ? QStringLiteral("mp4") : QStringLiteral("mp3"));
    auto e = std::make_shared<Entry>(path, path.section(QLatin1Char('/'), -1), EntryType::exportable, IndexPath {});
    Metadata metadata;
    metadata.title = QStringLiteral("Title %1").arg(i);
    metadata.artist = QStringLiteral("Artist %1").arg(i);
    metadata.albumName = QStringLiteral("Album %1").arg(i);
    metadata.artwork = png(QColor::fromHsv((i * 70) % 360, 200, 200));
    e->setMetadata(metadata);
    e->setState(UpdateState::updated);
    return e;
}

Player::EntryList PlayerScreenTest::entries(int count, bool video)
{
    Player::EntryList list;
    for (int i = 0; i < count; ++i)
        list.append(entry(i, video));
    return list;
}

void PlayerScreenTest::settle()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

void PlayerScreenTest::wait(double seconds)
{
    clock->advance(seconds);
    advance(seconds);
    settle();
}

} // namespace tarnik::test
