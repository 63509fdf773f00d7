#include "App/Extensions.h"
#include "App/Preferences.h"
#include "Controls/DesignableViews.h"
#include "Controls/PassThroughView.h"
#include "Platform/Mpris/NowPlayingInfoCenter.h"
#include "Platform/Playback/PlayerLayer.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/TabBarItem.h"
#include "Platform/UI/View.h"
#include "Platform/UI/VisualEffectView.h"
#include "Platform/UI/VolumeView.h"
#include "Player/ArtworkView.h"
#include "Player/CustomTabBar.h"
#include "Player/PlayerImages.h"
#include "Player/SlidingLabel.h"
#include "Support/PlayerScreenSupport.h"

#include <QAccessible>
#include <QTest>
#include <QLabel>
#include <QToolButton>
#include <cmath>

using namespace tarnik;
using namespace tarnik::test;
using Slide = PlayerViewAnimation;

namespace {

// A browser level stand-in: what the player view tells its owner.
class RecordingOwner : public QObject, public PlayerViewDelegate
{
public:
    void playerViewShowVideoAt(const QUrl &url) override { videos.append(url); }
    void playerViewDidChangePlayingStateOf(const QString &identifier, bool isPlaying) override
    {
        states.append(identifier + (isPlaying ? QStringLiteral(" playing") : QStringLiteral(" paused")));
    }
    void resetPlayingIndicator(const QString &identifier) override { resets.append(identifier); }
    QList<QUrl> videos;
    QStringList states;
    QStringList resets;
};

QString imageName(QToolButton *button)
{
    return button->property("imageName").toString();
}

} // namespace

class PlayerViewTest : public PlayerScreenTest
{
public:
    void startQueue(int count = 3, int index = 0)
    {
        mini()->setDelegate(&owner);
        mini()->play(entries(count), index);
        wait(0.3);
    }
    RecordingOwner owner;
};

TEST_F(PlayerViewTest, TheMiniPlayerSlidesUpWhenAQueueStarts)
{
    PlayerView *bar = mini();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(bar->animate(), Slide::down);
    const int barTop = host->tabBar()->y();
    startQueue();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->animate(), Slide::up);
    EXPECT_EQ(bar->y(), barTop - int(miniPlayerHeight));
    EXPECT_TRUE(Player::shared().isPlaying());
    EXPECT_EQ(Player::shared().delegate(), bar);
    // The bar sits just below the tab bar in the stacking order.
    const auto siblings = host->view()->children();
    EXPECT_EQ(siblings.indexOf(bar) + 1, siblings.indexOf(host->tabBar()));
}

TEST_F(PlayerViewTest, UpdateMiniPlayerFollowsTheSlideStates)
{
    struct Row
    {
        const char *name;
        std::function<void(PlayerViewTest *)> prepare;
        bool hide;
        Slide expected;
        bool visibleAfter;
    };
    const Row rows[] = {
        { "never shown, hide", [](PlayerViewTest *) {}, true, Slide::down, false },
        { "never shown, show", [](PlayerViewTest *) {}, false, Slide::down, false },
        { "up, hide", [](PlayerViewTest *t) { t->startQueue(); }, true, Slide::none, false },
        { "up, show", [](PlayerViewTest *t) { t->startQueue(); }, false, Slide::up, true },
        { "at rest, show",
            [](PlayerViewTest *t) {
                t->startQueue();
                t->host->updateMiniPlayer(true);
                t->wait(0.3);
            },
            false, Slide::up, true },
        { "at rest, hide",
            [](PlayerViewTest *t) {
                t->startQueue();
                t->host->updateMiniPlayer(true);
                t->wait(0.3);
            },
            true, Slide::none, false },
        { "sliding down, show",
            [](PlayerViewTest *t) {
                t->startQueue();
                t->host->updateMiniPlayer(true);
                t->wait(0.1);
            },
            false, Slide::none, false },
    };
    for (const Row &row : rows) {
        TearDown();
        SetUp();
        row.prepare(this);
        host->updateMiniPlayer(row.hide);
        wait(0.3);
        EXPECT_EQ(mini()->animate(), row.expected) << row.name;
        EXPECT_EQ(mini()->isVisible(), row.visibleAfter) << row.name;
    }
}

TEST_F(PlayerViewTest, ButtonsSwipesAndTheSliderDriveThePlayer)
{
    startQueue(3, 0);
    Player &player = Player::shared();
    PlayerView *bar = mini();

    bar->playbackButton()->click();
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(imageName(bar->playbackButton()), QStringLiteral("play"));
    EXPECT_EQ(imageName(maxi()->playbackButton()), QStringLiteral("play"));
    bar->playbackButton()->click();
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(imageName(fakeBar()->playbackButton()), QStringLiteral("pause"));

    bar->nextButton()->click();
    EXPECT_EQ(player.currentIndex(), 1);
    bar->swipeGestureLeft()->feed(GestureRecognizer::Phase::began, { 100, 10 }, 1.0);
    bar->swipeGestureLeft()->feed(GestureRecognizer::Phase::ended, { 20, 12 }, 1.1);
    EXPECT_EQ(player.currentIndex(), 2);
    bar->swipeGestureRight()->feed(GestureRecognizer::Phase::began, { 20, 10 }, 2.0);
    bar->swipeGestureRight()->feed(GestureRecognizer::Phase::ended, { 100, 12 }, 2.1);
    EXPECT_EQ(player.currentIndex(), 1);
    bar->previousButton()->click();
    EXPECT_EQ(player.currentIndex(), 0);

    // A tap on the mini bar's picture toggles playback, also for the full form's audio.
    bar->tapGesture()->feed(GestureRecognizer::Phase::began, { 5, 5 }, 3.0);
    bar->tapGesture()->feed(GestureRecognizer::Phase::ended, { 5, 5 }, 3.05);
    EXPECT_FALSE(player.isPlaying());
    maxi()->tapGesture()->feed(GestureRecognizer::Phase::began, { 5, 5 }, 4.0);
    maxi()->tapGesture()->feed(GestureRecognizer::Phase::ended, { 5, 5 }, 4.05);
    EXPECT_TRUE(player.isPlaying());
}

TEST_F(PlayerViewTest, TheSliderSeeksOnReleaseAndHoldsTimeUpdatesForHalfASecond)
{
    startQueue(1, 0);
    fake().advance(0);
    settle();
    Player &player = Player::shared();
    PlayerView *full = maxi();
    const double total = player.duration().seconds();
    ASSERT_GT(total, 0.0);

    full->playbackSliderDidStartEditing();
    full->playbackSlider()->setSliderPosition(Slider::kSteps / 2);
    full->playbackSliderDidChangeValue();
    EXPECT_EQ(full->elapsedLabel()->text(), timeString(MediaTime::fromSeconds(total / 2)));
    // The drag shows the time only; no seek yet.
    EXPECT_EQ(player.currentTime().seconds(), 0.0);

    // While the full player's slider is held, the views after it in the
    // mini player's list hear no time either.
    const QString fakeElapsed = fakeBar()->elapsedLabel()->text();
    mini()->playerDidUpdateTime(MediaTime::fromSeconds(2.0));
    settle();
    EXPECT_EQ(fakeBar()->elapsedLabel()->text(), fakeElapsed);
    EXPECT_EQ(mini()->elapsedLabel()->text(), QStringLiteral("0:02"));

    full->playbackSlider()->setFraction(1.0);
    full->playbackSliderDidEndEditing();
    settle();
    EXPECT_DOUBLE_EQ(player.currentTime().seconds(), total);
    EXPECT_TRUE(full->sliderIsBeingHandled());
    wait(0.49);
    EXPECT_TRUE(full->sliderIsBeingHandled());
    wait(0.02);
    EXPECT_FALSE(full->sliderIsBeingHandled());
    mini()->playerDidUpdateTime(MediaTime::fromSeconds(3.0));
    settle();
    EXPECT_EQ(fakeBar()->elapsedLabel()->text(), QStringLiteral("0:03"));
}

TEST_F(PlayerViewTest, APressAlongTheFullPlayersTrackSeeksThere)
{
    startQueue(1, 0);
    fake().advance(0);
    settle();
    Player &player = Player::shared();
    const double total = player.duration().seconds();
    ASSERT_GT(total, 0.0);
    DesignableSlider *slider = maxi()->playbackSlider();
    slider->setGeometry(0, 0, 218, 22);
    // The thumb's centre travels from 9 to 209 on this track (an 18-point thumb).
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(159, 11));
    EXPECT_TRUE(maxi()->sliderIsBeingHandled());
    EXPECT_EQ(maxi()->elapsedLabel()->text(), timeString(MediaTime::fromSeconds(total * 0.75)));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(159, 11));
    settle();
    EXPECT_NEAR(player.currentTime().seconds(), total * 0.75, 1e-3);
}

TEST_F(PlayerViewTest, TheSliderStaysAtZeroWithoutAUsableDuration)
{
    struct Row
    {
        MediaTime time;
        MediaTime duration;
        double expected;
    };
    const Row rows[] = {
        { MediaTime::fromSeconds(5), MediaTime::zero(), 0.0 },
        { MediaTime::fromSeconds(5), MediaTime::invalid(), 0.0 },
        { MediaTime::fromSeconds(5), MediaTime::indefinite(), 0.0 },
        { MediaTime::fromSeconds(5), MediaTime::positiveInfinity(), 0.0 },
        { MediaTime::invalid(), MediaTime::fromSeconds(10), 0.0 },
        { MediaTime::fromSeconds(5), MediaTime::fromSeconds(10), 0.5 },
    };
    for (const Row &row : rows)
        EXPECT_DOUBLE_EQ(PlayerView::sliderValue(row.time, row.duration), row.expected);
}

TEST_F(PlayerViewTest, EveryViewShowsTheItemAndFollowsItsChanges)
{
    startQueue(2, 0);
    settle();
    for (PlayerView *view : { mini(), maxi(), fakeBar() }) {
        EXPECT_EQ(view->title()->text(), QStringLiteral("Title 0"));
        EXPECT_EQ(view->artist()->text(), QStringLiteral("Artist 0 \u2014 Album 0"));
        EXPECT_TRUE(view->imageView()->imageName().isEmpty());
        EXPECT_EQ(view->imageView()->image().pixel(1, 1), QColor::fromHsv(0, 200, 200).rgb());
    }
    Player::shared().next();
    settle();
    for (PlayerView *view : { mini(), maxi(), fakeBar() })
        EXPECT_EQ(view->title()->text(), QStringLiteral("Title 1"));

    fake().advance(7'000'000);
    settle();
    mini()->playerDidUpdateTime(MediaTime::fromSeconds(7));
    settle();
    const QString remaining = QStringLiteral("-") + timeString(Player::shared().remainingTime());
    for (PlayerView *view : { mini(), maxi(), fakeBar() }) {
        EXPECT_EQ(view->elapsedLabel()->text(), QStringLiteral("0:07"));
        EXPECT_EQ(view->remainingLabel()->text(), remaining);
    }

    // Now-playing information for the system's media controls.
    const QVariantMap info = NowPlayingInfoCenter::shared().nowPlayingInfo();
    EXPECT_EQ(info.value(NowPlayingInfoCenter::mediaItemPropertyTitle).toString(), QStringLiteral("Title 1"));
    EXPECT_EQ(info.value(NowPlayingInfoCenter::nowPlayingInfoPropertyPlaybackRate).toDouble(), 1.0);
}

TEST_F(PlayerViewTest, TheArtistLineJoinsArtistAndAlbum)
{
    struct Row
    {
        std::optional<QString> artist;
        std::optional<QString> album;
        QString expected;
    };
    const Row rows[] = {
        { QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A \u2014 B") },
        { std::nullopt, QStringLiteral("B"), QStringLiteral("B") },
        { QStringLiteral("A"), std::nullopt, QStringLiteral("A") },
        { std::nullopt, std::nullopt, QString() },
    };
    for (const Row &row : rows) {
        auto e = entry(0);
        Metadata m = *e->metadata();
        m.artist = row.artist;
        m.albumName = row.album;
        e->setMetadata(m);
        mini()->play(Player::EntryList { e }, 0);
        Player::shared().setCurrentIndex(-1);
        settle();
        EXPECT_EQ(mini()->artist()->text(), row.expected);
    }
}

TEST_F(PlayerViewTest, ViewsAreClearedAsTheyEnterASuperviewExceptTheFullOne)
{
    struct Row
    {
        PlayerViewType type;
        bool hidden;
        bool cleared;
    };
    for (const Row &row : { Row { PlayerViewType::mini, true, true }, Row { PlayerViewType::fake, false, true },
             Row { PlayerViewType::maxi, false, false } }) {
        auto *view = new PlayerView;
        view->setType(row.type);
        view->title()->setText(QStringLiteral("Old"));
        view->elapsedLabel()->setText(QStringLiteral("1:00"));
        view->imageView()->setImage(QImage(2, 2, QImage::Format_RGB32));
        QWidget parent;
        parent.show();
        // Hosts add the view and show it; the mini player's host keeps it hidden.
        if (row.type == PlayerViewType::mini)
            view->setParent(&parent);
        else
            View::addSubview(&parent, view);
        EXPECT_EQ(view->isHidden(), row.hidden);
        EXPECT_EQ(view->title()->text().isEmpty(), row.cleared);
        EXPECT_EQ(view->elapsedLabel()->text(), row.cleared ? QStringLiteral("0:00") : QStringLiteral("1:00"));
        if (row.cleared) {
            EXPECT_EQ(view->remainingLabel()->text(), QStringLiteral("-:--"));
            EXPECT_EQ(view->imageView()->imageName(), QStringLiteral("blank"));
        }
        // Setting animate on the other forms changes nothing.
        if (row.type != PlayerViewType::mini) {
            const QRect before = view->geometry();
            view->setAnimate(Slide::up);
            wait(0.3);
            EXPECT_EQ(view->geometry(), before);
        }
    }
}

TEST_F(PlayerViewTest, TheRepeatButtonCycles)
{
    PlayerView *full = maxi();
    EXPECT_EQ(imageName(full->repeatButton()), QStringLiteral("repeat"));
    full->repeatButton()->click();
    EXPECT_TRUE(Preferences::playerShouldRepeat());
    EXPECT_EQ(imageName(full->repeatButton()), QStringLiteral("repeatOne"));
    full->repeatButton()->click();
    EXPECT_FALSE(Preferences::playerShouldRepeat());
    EXPECT_EQ(imageName(full->repeatButton()), QStringLiteral("repeat"));
}

TEST_F(PlayerViewTest, HandingTheMiniPlayerToAnotherOwnerResetsTheOldOnesIndicator)
{
    RecordingOwner other;
    Preferences::setNowPlaying(QStringLiteral("id-1"), true);
    mini()->setDelegate(&owner);
    mini()->setDelegate(&owner);
    EXPECT_TRUE(owner.resets.isEmpty());
    mini()->setDelegate(&other);
    EXPECT_EQ(owner.resets, QStringList { QStringLiteral("id-1") });
    mini()->setDelegate(nullptr);
    EXPECT_EQ(other.resets, QStringList { QStringLiteral("id-1") });
    Preferences::clearNowPlaying(QStringLiteral("id-1"));
}

TEST_F(PlayerViewTest, TheOwnerHearsWhichEntryPlays)
{
    startQueue(2, 0);
    const QString id = Player::shared().currentEntry()->identifier();
    owner.states.clear();
    mini()->playbackButton()->click();
    EXPECT_EQ(owner.states, QStringList { id + QStringLiteral(" paused") });
}

TEST_F(PlayerViewTest, TheTabBarShowsOnlyIconsWhenCompact)
{
    auto *bar = qobject_cast<CustomTabBar *>(host->tabBar());
    ASSERT_NE(bar, nullptr);
    struct Row
    {
        int width;
        QMargins insets;
        QPointF offset;
    };
    for (const Row &row :
        { Row { 375, QMargins(0, 6, 0, -6), QPointF(0, 30000) }, Row { 768, QMargins(), QPointF() } }) {
        bar->resize(row.width, TabBar::kHeight);
        for (TabBarItem *item : bar->items()) {
            EXPECT_EQ(item->imageInsets(), row.insets) << row.width;
            EXPECT_EQ(item->titlePositionAdjustment(), row.offset) << row.width;
        }
    }
}

TEST_F(PlayerViewTest, TabsAndTheMiniPlayerAreReachableThroughAccessibility)
{
    startQueue(1, 0);
    settle();
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(host->tabBar());
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->childCount(), host->viewControllers().size());
    for (int i = 0; i < bar->childCount(); ++i) {
        QAccessibleInterface *tab = bar->child(i);
        EXPECT_EQ(tab->role(), QAccessible::PageTab);
        EXPECT_EQ(tab->text(QAccessible::Name), host->viewControllers().at(i)->tabBarItem()->title());
    }
    bar->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(host->selectedIndex(), 2);

    QAccessibleInterface *title = QAccessible::queryAccessibleInterface(mini()->title());
    EXPECT_EQ(title->role(), QAccessible::StaticText);
    EXPECT_EQ(title->text(QAccessible::Name), QStringLiteral("Title 0"));
    EXPECT_EQ(title->childCount(), 0);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(mini()->artist())->text(QAccessible::Name),
        QStringLiteral("Artist 0 \u2014 Album 0"));
    for (QToolButton *button : { mini()->previousButton(), mini()->playbackButton(), mini()->nextButton() }) {
        QAccessibleInterface *control = QAccessible::queryAccessibleInterface(button);
        EXPECT_EQ(control->role(), QAccessible::Button);
        EXPECT_FALSE(control->text(QAccessible::Name).isEmpty());
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(mini()->playbackButton())->text(QAccessible::Name),
        QStringLiteral("Pause"));
}

TEST_F(PlayerViewTest, TheVolumeSliderFollowsTheSystemVolume)
{
    VolumeView *slider = maxi()->volumeView();
    ASSERT_NE(slider, nullptr);
    volume->set(0.25, false);
    EXPECT_NEAR(slider->slider()->fraction(), 0.25, 1e-3);
    volume->set(0.25, true);
    EXPECT_NEAR(slider->slider()->fraction(), 0.0, 1e-3);
    volume->set(0.8, false);
    EXPECT_NEAR(slider->slider()->fraction(), 0.8, 1e-3);
    const int sets = volume->setCount;
    slider->slider()->setFraction(0.4);
    EXPECT_EQ(volume->setCount, sets + 1);
    EXPECT_NEAR(volume->volume(), 0.4, 1e-3);
}

TEST_F(PlayerViewTest, EachFormIsMadeOfTheKitsViewsAsItsOutletsSetThemUp)
{
    for (PlayerView *view : { mini(), maxi(), fakeBar() }) {
        SCOPED_TRACE(int(view->type()));
        // The backdrop: a square frosted panel in the smoke theme, its shadow shown.
        PassThroughView *blur = view->blurView();
        EXPECT_EQ(blur->theme(), Theme::smoke);
        EXPECT_TRUE(blur->showShadow());
        EXPECT_FALSE(blur->roundedCorner());
        EXPECT_EQ(blur->visualEffectView()->blurStyle(), VisualEffectView::BlurStyle::light);
        EXPECT_EQ(blur->geometry(), view->rect());
        // The picture over a faint grey.
        EXPECT_EQ(view->imageView()->backgroundColor(), QColor(128, 128, 128, 26));
        // The bars show no thumb: an empty picture; the full player shows its thumb.
        const std::optional<QImage> thumb = view->playbackSlider()->thumbImage();
        ASSERT_TRUE(thumb.has_value());
        EXPECT_EQ(thumb->isNull(), view->type() != PlayerViewType::maxi);
    }
    // The volume view's slider, a direct subview: its thumb, the speakers at its ends, its tints.
    VolumeView *volumeView = maxi()->volumeView();
    ASSERT_EQ(volumeView->parentWidget(), maxi()->volumeWrapper());
    EXPECT_FALSE(volumeView->volumeThumbImage().isNull());
    Slider *slider = volumeView->slider();
    ASSERT_EQ(slider->parentWidget(), volumeView);
    EXPECT_FALSE(slider->minimumValueImage().isNull());
    EXPECT_FALSE(slider->maximumValueImage().isNull());
    EXPECT_EQ(slider->maximumTrackTintColor(), QColor(0xe2, 0xe2, 0xe2));
    EXPECT_EQ(slider->minimumTrackTintColor(), QColor(0x53, 0x53, 0x53));
    EXPECT_EQ(volumeView->geometry(), maxi()->volumeWrapper()->rect());
}

TEST_F(PlayerViewTest, TheFullPlayerLayerIsWhatTheAppDelegateDetachesInTheBackground)
{
    // A video item gives the full player's real layer the shared player.
    mini()->playerDidLoadItem(false);
    PlayerLayer *layer = maxi()->playerLayer();
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->player(), &Player::shared());
    EXPECT_EQ(layer->backgroundColor(), QColor(Qt::black));
    EXPECT_EQ(app->audioPlayerLayer(), static_cast<PlayerSurface *>(layer));

    app->applicationDidEnterBackground();
    EXPECT_EQ(layer->player(), nullptr);
    app->applicationWillEnterForeground();
    EXPECT_EQ(layer->player(), &Player::shared());

    mini()->playerDidLoadItem(true);
    EXPECT_EQ(layer->player(), nullptr);
    EXPECT_EQ(layer->backgroundColor().alpha(), 0);
    EXPECT_EQ(app->audioPlayerLayer(), nullptr);
}

TEST_F(PlayerViewTest, PausingShrinksTheFullPlayersPicture)
{
    startQueue(1, 0);
    mini()->playbackButton()->click();
    wait(0.3);
    EXPECT_EQ(View::transform(maxi()->imageView()), QTransform::fromScale(0.8, 0.8));
    EXPECT_EQ(View::transform(mini()->imageView()), QTransform());
    mini()->playbackButton()->click();
    wait(0.3);
    EXPECT_EQ(View::transform(maxi()->imageView()), QTransform());
}

TEST(PlayerImagesTest, TheBundleHasEveryPlayerPicture)
{
    for (const QString &name : PlayerImages::names()) {
        EXPECT_FALSE(PlayerImages::icon(name).isNull()) << name.toStdString();
        const QImage image = PlayerImages::image(name, QSize(24, 24));
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        // A drawing, not an empty canvas.
        bool painted = false;
        for (int y = 0; y < image.height() && !painted; ++y)
            for (int x = 0; x < image.width() && !painted; ++x)
                painted = qAlpha(image.pixel(x, y)) > 0;
        EXPECT_TRUE(painted) << name.toStdString();
    }
}
