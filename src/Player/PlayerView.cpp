#include "Player/PlayerView.h"

#include "App/AppDelegate.h"
#include "App/Constants.h"
#include "App/Extensions.h"
#include "App/Globals.h"
#include "App/Preferences.h"
#include "Controls/DesignableViews.h"
#include "Controls/PassThroughView.h"
#include "Entries/Entry.h"
#include "Platform/Dispatch.h"
#include "Platform/Mpris/NowPlayingInfoCenter.h"
#include "Platform/Playback/PlayerLayer.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Platform/UI/ListKeyboard.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/View.h"
#include "Platform/UI/VolumeView.h"
#include "Platform/UI/Window.h"
#include "Player/ArtworkView.h"
#include "Player/CustomTabBarController.h"
#include "Player/PlayerImages.h"
#include "Player/PlayerViewController.h"
#include "Player/SlidingLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDynamicPropertyChangeEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <cmath>
#include <mutex>

namespace tarnik {

namespace {

QPointer<TabBar> &tabBarReference()
{
    static QPointer<TabBar> bar;
    return bar;
}

const char *const kTagProperty = "tag";

QToolButton *makeButton(QWidget *parent, const QString &image, const QString &name, int tag = 0)
{
    auto *button = new QToolButton(parent);
    button->setIcon(PlayerImages::icon(image));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(name);
    button->setToolTip(name);
    button->setProperty(kTagProperty, tag);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QLabel *makeTimeLabel(QWidget *parent, Qt::Alignment alignment)
{
    auto *label = new QLabel(parent);
    label->setAlignment(alignment | Qt::AlignVCenter);
    QFont f = label->font();
    f.setPointSizeF(8.5);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(0x8a, 0x8a, 0x8a));
    label->setPalette(p);
    return label;
}

CustomTabBarController *host()
{
    return qobject_cast<CustomTabBarController *>(_getTabBarController());
}

// The full-player screen's maxi view, reached through the root tab bar host.
PlayerView *maxiView()
{
    if (auto *tabs = host()) {
        if (auto *screen = tabs->playerViewController())
            return screen->playerView();
    }
    return nullptr;
}

// The mini bar is one control to screen readers: a button that opens the full player, with its
// own buttons and labels as children. The other forms keep a plain widget's role.
class PlayerViewAccessible : public QAccessibleWidget
{
public:
    explicit PlayerViewAccessible(PlayerView *view)
        : QAccessibleWidget(view, QAccessible::Client)
    {
    }
    QAccessible::Role role() const override { return isMini() ? QAccessible::Button : QAccessibleWidget::role(); }
    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (isMini())
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString &name) override
    {
        if (isMini() && name == pressAction())
            Q_EMIT static_cast<PlayerView *>(widget())->activated();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    bool isMini() const { return static_cast<PlayerView *>(widget())->type() == PlayerViewType::mini; }
};

QAccessibleInterface *playerViewAccessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("tarnik::PlayerView") && object && object->isWidgetType())
        return new PlayerViewAccessible(static_cast<PlayerView *>(object));
    return nullptr;
}

QImage decodedArtwork(const std::optional<Metadata> &metadata)
{
    if (!metadata || !metadata->artwork)
        return {};
    return QImage::fromData(*metadata->artwork);
}

} // namespace

TabBar *playerTabBar()
{
    return tabBarReference();
}

void setPlayerTabBar(TabBar *bar)
{
    tabBarReference() = bar;
}

PlayerView::PlayerView(QWidget *parent)
    : QWidget(parent)
    , m_title(new SlidingLabel(this))
    , m_artist(new SlidingLabel(this))
    , m_playbackSlider(new DesignableSlider(this))
    , m_elapsedLabel(makeTimeLabel(this, Qt::AlignLeft))
    , m_remainingLabel(makeTimeLabel(this, Qt::AlignRight))
    , m_playbackButton(makeButton(this, QStringLiteral("play"), QStringLiteral("Play")))
    , m_previousButton(makeButton(this, QStringLiteral("previous"), QStringLiteral("Previous"), kPreviousTag))
    , m_nextButton(makeButton(this, QStringLiteral("next"), QStringLiteral("Next"), kNextTag))
    , m_closeButton(makeButton(this, QStringLiteral("close"), QStringLiteral("Close")))
    , m_shareButton(makeButton(this, QStringLiteral("more"), QStringLiteral("Share")))
    , m_repeatButton(makeButton(this, QStringLiteral("repeat"), QStringLiteral("Repeat")))
    , m_imageView(new ArtworkView(this))
    , m_blurView(new PassThroughView(this))
    , m_volumeWrapper(new QWidget(this))
    , m_volumeView(nullptr)
    , m_tap(nullptr)
    , m_swipeLeft(nullptr)
    , m_swipeRight(nullptr)
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&playerViewAccessibleFactory); });
    setAttribute(Qt::WA_StyledBackground, false);
    setUpBlurView();
    m_title->setAccessibleName(QStringLiteral("Title"));
    m_artist->setAccessibleName(QStringLiteral("Artist"));
    m_playbackSlider->setAccessibleName(QStringLiteral("Position"));
    m_elapsedLabel->setAccessibleName(QStringLiteral("Elapsed time"));
    m_remainingLabel->setAccessibleName(QStringLiteral("Remaining time"));
    m_artist->setTextColor(QColor(0x6b, 0x6b, 0x6b));

    // The picture: a tap plays, pauses or opens the video; swipes move in the queue.
    m_imageView->setBackgroundColor(QColor(128, 128, 128, 26));
    m_tap = new TapGestureRecognizer([this](GestureRecognizer *g) { controlButtonTapped(g); });
    m_tap->attach(m_imageView);
    m_swipeLeft = new SwipeGestureRecognizer([this](GestureRecognizer *g) { controlButtonTapped(g); });
    m_swipeLeft->direction = SwipeGestureRecognizer::left;
    m_swipeLeft->attach(m_imageView);
    m_swipeRight = new SwipeGestureRecognizer([this](GestureRecognizer *g) { controlButtonTapped(g); });
    m_swipeRight->direction = SwipeGestureRecognizer::right;
    m_swipeRight->attach(m_imageView);

    setRepeatImage();

    setUpVolumeWrapper();

    for (QToolButton *button : { m_playbackButton, m_previousButton, m_nextButton })
        connect(button, &QToolButton::clicked, this, [this, button] { controlButtonTapped(button); });
    connect(m_repeatButton, &QToolButton::clicked, this, &PlayerView::repeatButtonTapped);
    connect(m_playbackSlider, &QSlider::sliderPressed, this, &PlayerView::playbackSliderDidStartEditing);
    connect(m_playbackSlider, &QSlider::sliderMoved, this, &PlayerView::playbackSliderDidChangeValue);
    connect(m_playbackSlider, &QSlider::sliderReleased, this, &PlayerView::playbackSliderDidEndEditing);

    m_elapsedLabel->setText(QStringLiteral("0:00"));
    m_remainingLabel->setText(QStringLiteral("-:--"));
    m_imageView->setImage(PlayerImages::image(QStringLiteral("blank"), QSize(256, 256)), QStringLiteral("blank"));
    // The form starts as maxi without its configuration: the video layer is
    // made only when a screen sets the form.
    applyFormLook();
}

PlayerView::~PlayerView() = default;

void PlayerView::setUpBlurView()
{
    m_blurView->setTheme(Theme::smoke);
    m_blurView->setAutoFillBackground(false);
    m_blurView->setShowShadow(true);
    m_blurView->setRoundedCorner(false);
    // The backdrop lies under every control and leaves the presses to the view.
    m_blurView->lower();
    m_blurView->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PlayerView::setUpVolumeWrapper()
{
    m_volumeWrapper->setAttribute(Qt::WA_TranslucentBackground);
    m_volumeView = new VolumeView(m_volumeWrapper);
    m_volumeView->setGeometry(m_volumeWrapper->rect());
    m_volumeView->setVolumeThumbImage(PlayerImages::image(QStringLiteral("volumeThumb"), QSize(22, 22)));
    m_volumeView->setShowsVolumeSlider(true);
    for (QObject *child : m_volumeView->children()) {
        auto *slider = qobject_cast<Slider *>(child);
        if (!slider)
            continue;
        slider->setMaximumValueImage(PlayerImages::image(QStringLiteral("speakerLarge"), QSize(16, 16)));
        slider->setMinimumValueImage(PlayerImages::image(QStringLiteral("speakerSmall"), QSize(16, 16)));
        slider->setMaximumTrackTintColor(colorWithHex(u"e2e2e2"));
        slider->setMinimumTrackTintColor(colorWithHex(u"535353"));
    }
}

QRect PlayerView::frameFor(PlayerViewType type)
{
    const QSize screen = DeviceProfile::screenSize().toSize();
    switch (type) {
    case PlayerViewType::mini: {
        // Before the host set its bar, the bar's place is the bottom of the screen.
        const int y = playerTabBar() ? playerTabBar()->y() : screen.height() - TabBar::kHeight;
        return QRect(0, y, screen.width(), screen.height());
    }
    case PlayerViewType::maxi:
        return {};
    case PlayerViewType::fake:
        return QRect(0, 0, screen.width(), int(miniPlayerHeight));
    }
    return {};
}

void PlayerView::setType(PlayerViewType type)
{
    m_type = type;
    switch (type) {
    case PlayerViewType::maxi:
        m_playbackSlider->setThumbImage(PlayerImages::image(QStringLiteral("sliderThumb"), QSize(18, 18)));
        if (!m_playerLayer) {
            m_playerLayer = new PlayerLayer(m_imageView);
            m_playerLayer->setAccessibleName(QStringLiteral("Video"));
            m_playerLayer->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        m_playerLayer->setBackgroundColor(Qt::black);
        m_playerLayer->setGeometry(m_imageView->rect());
        m_playerLayer->show();
        break;
    case PlayerViewType::fake:
    case PlayerViewType::mini:
        // An empty picture: no thumb shows.
        m_playbackSlider->setThumbImage(QImage());
        if (type == PlayerViewType::mini)
            m_blurView->setRoundedCorner(false);
        // The bars show artwork only, never a video picture.
        removePlayerLayer();
        break;
    }
    // The mini bar is a stop of the Tab chain (the full player opens from it); the other
    // forms are reached through their own controls.
    if (type == PlayerViewType::mini) {
        ListKeyboard::followInput();
        setFocusPolicy(Qt::TabFocus);
        setAccessibleName(QStringLiteral("Now Playing"));
        setAccessibleDescription(QStringLiteral("Opens the player"));
    } else {
        setFocusPolicy(Qt::NoFocus);
    }
    applyFormLook();
}

void PlayerView::applyFormLook()
{
    const bool full = m_type == PlayerViewType::maxi;
    m_playbackSlider->setEnabled(full);
    m_playbackSlider->setAttribute(Qt::WA_TransparentForMouseEvents, !full);
    m_playbackSlider->setTrackHeight(full ? 3 : 2);
    m_playbackSlider->setMinimumTrackTintColor(full ? QColor(0x53, 0x53, 0x53) : Common::redColor());
    m_playbackSlider->setMaximumTrackTintColor(QColor(0xe2, 0xe2, 0xe2));
    for (QWidget *w : { static_cast<QWidget *>(m_elapsedLabel), static_cast<QWidget *>(m_remainingLabel),
             static_cast<QWidget *>(m_closeButton), static_cast<QWidget *>(m_shareButton),
             static_cast<QWidget *>(m_repeatButton), m_volumeWrapper })
        w->setVisible(full);
    layoutSubviews();
    update();
}

PlayerLayer *PlayerView::playerLayer() const
{
    return m_playerLayer;
}

void PlayerView::removePlayerLayer()
{
    if (m_playerLayer) {
        m_playerLayer->setPlayer(nullptr);
        delete m_playerLayer.data();
    }
    m_playerLayer = nullptr;
}

void PlayerView::setAnimate(PlayerViewAnimation animate)
{
    m_animate = animate;
    if (m_type != PlayerViewType::mini)
        return;
    slide(animate);
}

void PlayerView::slide(PlayerViewAnimation animate)
{
    switch (animate) {
    case PlayerViewAnimation::up: {
        m_frame = frameFor(PlayerViewType::mini);
        applyGeometry();
        show();
        QPointer<PlayerView> self(this);
        View::animate(
            0.25, [this] { View::setTransform(this, QTransform::fromTranslate(0, -miniPlayerHeight)); },
            [self](bool) {
                if (self && self->m_animate == PlayerViewAnimation::up)
                    Q_EMIT self->animateChanged(PlayerViewAnimation::up);
            },
            0.0, TimingFunction::easeOut());
        break;
    }
    case PlayerViewAnimation::down: {
        m_frame = frameFor(PlayerViewType::mini);
        applyGeometry();
        QPointer<PlayerView> self(this);
        View::animate(
            0.25, [this] { View::setTransform(this, QTransform()); },
            [self](bool) {
                // A raise that started meanwhile keeps the view.
                if (!self || self->m_animate != PlayerViewAnimation::down)
                    return;
                self->hide();
                self->setAnimate(PlayerViewAnimation::none);
                Q_EMIT self->animateChanged(PlayerViewAnimation::none);
            },
            0.0, TimingFunction::easeOut());
        break;
    }
    case PlayerViewAnimation::none:
        break;
    }
}

PlayerViewDelegate *PlayerView::delegate() const
{
    return m_delegateObject ? m_delegate : nullptr;
}

void PlayerView::setDelegate(PlayerViewDelegate *delegate)
{
    PlayerViewDelegate *old = this->delegate();
    if (old && old != delegate) {
        // The owner that loses the player stops showing its entry as playing.
        if (const auto marker = Preferences::nowPlaying(); marker.identifier)
            old->resetPlayingIndicator(*marker.identifier);
    }
    m_delegate = delegate;
    m_delegateObject = dynamic_cast<QObject *>(delegate);
    if (!m_delegateObject)
        m_delegate = nullptr;
}

void PlayerView::play(const std::optional<Player::EntryList> &queue, qint64 index)
{
    if (!queue)
        return;
    Player &player = Player::shared();
    player.setQueue(queue);
    player.setDelegate(this);
    player.play(index, false);
    setAnimate(PlayerViewAnimation::up);
    // In the Tab chain the mini bar comes right before the tab bar below it, so Tab goes from a
    // screen's list to the bar, then to the tabs, as they stand on screen. Set here, where both
    // are in the window: a move of either starts its chain again.
    if (m_type == PlayerViewType::mini && playerTabBar() && playerTabBar()->window() == window())
        QWidget::setTabOrder(this, playerTabBar());
}

void PlayerView::togglePlayback()
{
    Player &player = Player::shared();
    if (player.isPlaying())
        player.pause();
    else
        player.play();
}

void PlayerView::controlButtonTapped(QObject *sender)
{
    Player &player = Player::shared();
    if (qobject_cast<TapGestureRecognizer *>(sender)) {
        if (player.isVideo() && m_type == PlayerViewType::maxi) {
            PlayerViewDelegate *owner = delegate();
            if (owner && owner->isInPictureInPictureMode())
                return;
            if (const auto url = player.currentURL(); url && owner)
                owner->playerViewShowVideoAt(*url);
            return;
        }
        togglePlayback();
    } else if (auto *swipe = qobject_cast<SwipeGestureRecognizer *>(sender)) {
        if (swipe->direction == SwipeGestureRecognizer::left)
            player.next();
        else if (swipe->direction == SwipeGestureRecognizer::right)
            player.previous();
    } else if (auto *button = qobject_cast<QAbstractButton *>(sender)) {
        const int tag = button->property(kTagProperty).toInt();
        if (tag == kPreviousTag)
            player.previous();
        else if (tag == kNextTag)
            player.next();
        else if (!(delegate() && delegate()->isInPictureInPictureMode()))
            togglePlayback();
    }
}

void PlayerView::setRepeatImage()
{
    const bool repeat = Preferences::playerShouldRepeat();
    m_repeatButton->setIcon(PlayerImages::icon(repeat ? QStringLiteral("repeatOne") : QStringLiteral("repeat")));
    m_repeatButton->setProperty("imageName", repeat ? QStringLiteral("repeatOne") : QStringLiteral("repeat"));
    m_repeatButton->setAccessibleName(repeat ? QStringLiteral("Repeat one") : QStringLiteral("Repeat"));
}

void PlayerView::repeatButtonTapped()
{
    Preferences::setPlayerShouldRepeat(!Preferences::playerShouldRepeat());
    setRepeatImage();
}

void PlayerView::closeButtonTapped()
{
    if (auto *screen = dynamic_cast<ViewController *>(delegate()))
        screen->dismiss(true);
}

void PlayerView::playbackSliderDidStartEditing()
{
    m_sliderIsBeingHandled = true;
    ++m_sliderRelease; // a release pending from an earlier drag no longer clears the flag
}

void PlayerView::playbackSliderDidChangeValue()
{
    const double seconds
        = Player::shared().duration().seconds() * m_playbackSlider->positionFraction();
    m_elapsedLabel->setText(timeString(MediaTime::fromSeconds(std::isfinite(seconds) ? seconds : 0.0)));
}

void PlayerView::playbackSliderDidEndEditing()
{
    Player &player = Player::shared();
    const double seconds = player.duration().seconds() * m_playbackSlider->fraction();
    if (std::isfinite(seconds))
        player.seek(MediaTime::fromSeconds(seconds));
    const quint64 release = ++m_sliderRelease;
    QPointer<PlayerView> self(this);
    Dispatch::mainAfter(0.5, [self, release] {
        if (self && self->m_sliderRelease == release)
            self->m_sliderIsBeingHandled = false;
    });
}

double PlayerView::sliderValue(const MediaTime &time, const MediaTime &duration)
{
    const double total = duration.seconds();
    const double now = time.seconds();
    if (!std::isfinite(total) || total <= 0.0 || !std::isfinite(now))
        return 0.0;
    return float(now / total);
}

QList<PlayerView *> PlayerView::playerViews()
{
    if (!m_playerViews) {
        QList<QPointer<PlayerView>> views { this };
        CustomTabBarController *tabs = host();
        PlayerViewController *screen = tabs ? tabs->playerViewController() : nullptr;
        switch (m_type) {
        case PlayerViewType::mini:
            if (screen) {
                views.append(screen->playerView());
                views.append(screen->fakeMiniPlayer());
            }
            break;
        case PlayerViewType::maxi:
            if (screen) {
                views.append(screen->fakeMiniPlayer());
                views.append(tabs->miniPlayerView());
            }
            break;
        case PlayerViewType::fake:
            break;
        }
        m_playerViews = views;
    }
    QList<PlayerView *> out;
    for (const auto &view : *m_playerViews) {
        if (view)
            out.append(view);
    }
    return out;
}

void PlayerView::playerDidUpdateTime(const MediaTime &time)
{
    for (PlayerView *view : playerViews()) {
        if (view->m_sliderIsBeingHandled)
            break;
        QPointer<PlayerView> target(view);
        Dispatch::main([target, time] {
            if (!target)
                return;
            Player &player = Player::shared();
            target->m_playbackSlider->setFraction(sliderValue(time, player.duration()));
            target->m_elapsedLabel->setText(timeString(time));
            target->m_remainingLabel->setText(QStringLiteral("-") + timeString(player.remainingTime()));
        });
    }
}

void PlayerView::playerDidChangeItem()
{
    Player &player = Player::shared();
    const std::optional<Metadata> metadata = player.metadata();
    if (!metadata)
        return;
    QImage picture = PlayerImages::image(QStringLiteral("blank"), QSize(256, 256));
    QString pictureName = QStringLiteral("blank");
    if (!(player.isVideo() && m_type == PlayerViewType::maxi)) {
        if (QImage art = decodedArtwork(metadata); !art.isNull()) {
            picture = art;
            pictureName.clear();
        }
    }
    for (PlayerView *view : playerViews()) {
        QPointer<PlayerView> target(view);
        Dispatch::main([target, metadata, picture, pictureName] {
            if (!target)
                return;
            target->m_imageView->setImage(picture, pictureName);
            QString artist = metadata->artist.value_or(QString());
            if (metadata->albumName) {
                artist = artist.isEmpty() ? *metadata->albumName
                                          : artist + QStringLiteral(" \u2014 ") + *metadata->albumName;
            }
            target->m_artist->setText(artist);
            target->m_title->setText(metadata->title.value_or(QString()));
        });
    }
    if (const auto marker = Preferences::nowPlaying(); marker.identifier) {
        if (PlayerViewDelegate *owner = delegate())
            owner->playerViewDidChangePlayingStateOf(*marker.identifier, marker.isPlaying);
    }
}

void PlayerView::playerDidChangePlaybackState()
{
    const bool playing = Player::shared().isPlaying();
    for (PlayerView *view : playerViews()) {
        view->m_playbackButton->setIcon(PlayerImages::icon(playing ? QStringLiteral("pause") : QStringLiteral("play")));
        view->m_playbackButton->setProperty("imageName", playing ? QStringLiteral("pause") : QStringLiteral("play"));
        view->m_playbackButton->setAccessibleName(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
        if (view->m_type == PlayerViewType::maxi) {
            ArtworkView *picture = view->m_imageView;
            View::animate(0.3, [picture, playing] {
                View::setTransform(picture, playing ? QTransform() : QTransform::fromScale(0.8, 0.8));
            });
        }
    }
}

void PlayerView::playerDidLoadItem(bool isAudioOnly)
{
    PlayerView *maxi = maxiView();
    PlayerLayer *layer = maxi ? maxi->playerLayer() : nullptr;
    if (AppDelegate *app = AppDelegate::shared())
        app->setAudioPlayerLayer(isAudioOnly ? nullptr : layer);
    if (layer) {
        layer->setPlayer(isAudioOnly ? nullptr : &Player::shared());
        layer->setBackgroundColor(isAudioOnly ? QColor(Qt::transparent) : QColor(Qt::black));
        layer->setVisible(!isAudioOnly);
    }
}

void PlayerView::playerShouldRefreshNowPlaying()
{
    Player &player = Player::shared();
    const std::optional<Metadata> metadata = player.metadata();
    if (!metadata)
        return;
    QVariantMap info;
    if (metadata->title)
        info.insert(NowPlayingInfoCenter::mediaItemPropertyTitle, *metadata->title);
    if (metadata->artist)
        info.insert(NowPlayingInfoCenter::mediaItemPropertyArtist, *metadata->artist);
    if (metadata->albumName)
        info.insert(NowPlayingInfoCenter::mediaItemPropertyAlbumTitle, *metadata->albumName);
    if (QImage art = decodedArtwork(metadata); !art.isNull())
        info.insert(NowPlayingInfoCenter::mediaItemPropertyArtwork, art);
    if (player.currentItem()) {
        info.insert(NowPlayingInfoCenter::nowPlayingInfoPropertyElapsedPlaybackTime, player.currentTime().seconds());
        info.insert(NowPlayingInfoCenter::mediaItemPropertyPlaybackDuration, player.duration().seconds());
    }
    info.insert(NowPlayingInfoCenter::nowPlayingInfoPropertyPlaybackRate, 1.0);
    NowPlayingInfoCenter::shared().setNowPlayingInfo(info);
}

void PlayerView::playerDidChangePlayingState(const QString &identifier, bool isPlaying)
{
    if (PlayerViewDelegate *owner = delegate())
        owner->playerViewDidChangePlayingStateOf(identifier, isPlaying);
}

void PlayerView::clear()
{
    m_title->setText(QString());
    m_artist->setText(QString());
    m_elapsedLabel->setText(QStringLiteral("0:00"));
    m_remainingLabel->setText(QStringLiteral("-:--"));
    m_playbackSlider->setFraction(0.0);
    m_imageView->setImage(PlayerImages::image(QStringLiteral("blank"), QSize(256, 256)), QStringLiteral("blank"));
}

void PlayerView::willMoveToSuperview(QWidget *superview)
{
    if (!superview)
        return;
    setHidden(m_type == PlayerViewType::mini);
    if (m_type != PlayerViewType::maxi)
        clear();
}

void PlayerView::layoutSubviews()
{
    if (m_type != PlayerViewType::maxi) {
        View::performWithoutAnimation([this] {
            m_frame = frameFor(m_type);
            View::setTransform(this,
                m_type == PlayerViewType::mini && m_animate == PlayerViewAnimation::up
                    ? QTransform::fromTranslate(0, -miniPlayerHeight)
                    : QTransform());
        });
        applyGeometry();
    }
    const int w = width();
    if (m_type == PlayerViewType::maxi)
        layoutMaxi();
    else
        layoutMini();
    m_blurView->setGeometry(0, 0, w, height());
    if (m_playerLayer)
        m_playerLayer->setGeometry(m_imageView->rect());
}

void PlayerView::applyGeometry()
{
    if (m_type == PlayerViewType::maxi || m_frame.isNull())
        return;
    const QTransform t = View::transform(this);
    setGeometry(m_frame.translated(int(std::lround(t.dx())), int(std::lround(t.dy()))));
}

void PlayerView::layoutMini()
{
    const int w = width();
    const int bar = int(miniPlayerHeight);
    m_playbackSlider->setGeometry(0, 0, w, 3);
    m_imageView->setGeometry(10, 8, bar - 16, bar - 16);
    const int buttons = 3 * 40 + 8;
    const int textX = bar + 4;
    const int textW = std::max(0, w - textX - buttons - 4);
    m_title->setGeometry(textX, 10, textW, 22);
    m_artist->setGeometry(textX, 31, textW, 20);
    int x = w - buttons;
    for (QToolButton *b : { m_previousButton, m_playbackButton, m_nextButton }) {
        b->setIconSize(QSize(22, 22));
        b->setGeometry(x, (bar - 40) / 2, 40, 40);
        x += 40;
    }
    showFocusRing();
}

void PlayerView::layoutMaxi()
{
    const int w = width();
    const int h = height();
    const int top = int(miniPlayerHeight);
    m_closeButton->setIconSize(QSize(26, 26));
    m_closeButton->setGeometry(12, top + 6, 40, 40);
    m_shareButton->setIconSize(QSize(26, 26));
    m_shareButton->setGeometry(w - 52, top + 6, 40, 40);

    // The picture takes what the controls below leave, square.
    const int controls = 250;
    const int side = std::max(0, std::min(w - 64, h - top - 56 - controls));
    m_imageView->setGeometry((w - side) / 2, top + 52, side, side);
    int y = top + 52 + side + 20;
    const int margin = std::max(24, (w - std::max(side, 280)) / 2);
    const int inner = w - 2 * margin;
    m_playbackSlider->setGeometry(margin, y, inner, 22);
    y += 22;
    m_elapsedLabel->setGeometry(margin, y, 80, 16);
    m_remainingLabel->setGeometry(w - margin - 80, y, 80, 16);
    y += 24;
    m_title->setGeometry(margin, y, inner, 26);
    y += 26;
    m_artist->setGeometry(margin, y, inner, 22);
    y += 34;
    const int big = 56;
    m_playbackButton->setIconSize(QSize(40, 40));
    m_playbackButton->setGeometry((w - big) / 2, y, big, big);
    m_previousButton->setIconSize(QSize(30, 30));
    m_previousButton->setGeometry((w - big) / 2 - 24 - big, y, big, big);
    m_nextButton->setIconSize(QSize(30, 30));
    m_nextButton->setGeometry((w + big) / 2 + 24, y, big, big);
    m_repeatButton->setIconSize(QSize(22, 22));
    m_repeatButton->setGeometry(w - margin - 36 + 8, y + 10, 36, 36);
    y += big + 22;
    m_volumeWrapper->setGeometry(margin, y, inner, 30);
    m_volumeView->setGeometry(m_volumeWrapper->rect());
}

bool PlayerView::event(QEvent *event)
{
    if (event->type() == QEvent::ParentAboutToChange) {
        // Qt tells the new parent only afterwards; the form's rule runs then.
    } else if (event->type() == QEvent::DynamicPropertyChange
        && static_cast<QDynamicPropertyChangeEvent *>(event)->propertyName() == View::kTransformProperty) {
        applyGeometry();
    }
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange)
        willMoveToSuperview(parentWidget());
    return handled;
}

void PlayerView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    if (m_type == PlayerViewType::maxi)
        layoutMaxi();
    else
        layoutMini();
    m_blurView->setGeometry(0, 0, w, height());
    if (m_playerLayer)
        m_playerLayer->setGeometry(m_imageView->rect());
}

void PlayerView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool press = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (m_type == PlayerViewType::mini && press && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat())
            Q_EMIT activated();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PlayerView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    showFocusRing();
}

void PlayerView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    showFocusRing();
}

void PlayerView::showFocusRing()
{
    // Only where the keyboard brought the focus: a click on the bar shows no ring.
    ListKeyboard::showFocus(
        this, m_type == PlayerViewType::mini && hasFocus(), QRect(0, 0, width(), int(miniPlayerHeight)));
}

} // namespace tarnik
