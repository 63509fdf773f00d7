#include "Player/VideoPlayerViewController.h"

#include "App/AppDelegate.h"
#include "App/Extensions.h"
#include "Controls/DesignableViews.h"
#include "Platform/Playback/PlatformPlayer.h"
#include "Platform/Playback/PlayerLayer.h"
#include "Platform/UI/Window.h"
#include "Player/Player.h"
#include "Player/PlayerImages.h"
#include "Player/PlayerView.h"
#include "Player/PlayerViewController.h"

#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <cmath>

namespace tarnik {

namespace {

// The dark strip under the video's controls.
class ControlsBar : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 20, 22, 200));
        p.drawRoundedRect(QRectF(rect()), 12, 12);
    }
};

// A transport button drawn on the dark video screen: only its symbol, a soft
// disc under the pointer or the press, and a ring while the keyboard's focus
// is on it. The style's own tool-button panel is a light square, which on
// this screen covers the symbol.
class VideoControlButton : public QToolButton
{
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF disc = QRectF(rect()).adjusted(2, 2, -2, -2);
        if (isDown() || underMouse()) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, isDown() ? 70 : 35));
            p.drawEllipse(disc);
        }
        if (hasFocus()) {
            p.setPen(QPen(QColor(255, 255, 255, 220), 2.0));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(disc.adjusted(1, 1, -1, -1));
        }
        const QSize size = iconSize();
        const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
        icon().paint(&p, target, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    }
};

QToolButton *makeButton(QWidget *parent, const QString &image, const QString &name)
{
    auto *button = new VideoControlButton(parent);
    button->setIcon(PlayerImages::icon(image));
    button->setIconSize(QSize(24, 24));
    button->setAutoRaise(true);
    // Reachable with Tab; a click leaves the focus where it was.
    button->setFocusPolicy(Qt::TabFocus);
    button->setAccessibleName(name);
    button->setToolTip(name);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QLabel *makeTimeLabel(QWidget *parent, Qt::Alignment alignment)
{
    auto *label = new QLabel(parent);
    label->setAlignment(alignment | Qt::AlignVCenter);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    label->setPalette(p);
    return label;
}

} // namespace

VideoPlayerViewController::VideoPlayerViewController(QObject *parent)
    : ViewController(parent)
{
}

VideoPlayerViewController::~VideoPlayerViewController()
{
    if (m_player && m_timeObserver)
        m_player->removeTimeObserver(m_timeObserver);
}

void VideoPlayerViewController::loadView()
{
    auto *root = new QWidget;
    root->setObjectName(QStringLiteral("VideoPlayerView"));
    root->setAutoFillBackground(true);
    QPalette palette = root->palette();
    palette.setColor(QPalette::Window, Qt::black);
    root->setPalette(palette);

    m_videoView = new PlayerLayer(root);
    m_videoView->setBackgroundColor(Qt::black);
    m_videoView->setAccessibleName(QStringLiteral("Video"));

    m_closeButton = makeButton(root, QStringLiteral("videoClose"), QStringLiteral("Close"));
    m_controls = new ControlsBar(root);
    m_playbackButton = makeButton(m_controls, QStringLiteral("videoPlay"), QStringLiteral("Play"));
    m_elapsed = makeTimeLabel(m_controls, Qt::AlignRight);
    m_elapsed->setAccessibleName(QStringLiteral("Elapsed time"));
    m_remaining = makeTimeLabel(m_controls, Qt::AlignLeft);
    m_remaining->setAccessibleName(QStringLiteral("Remaining time"));
    m_slider = new DesignableSlider(m_controls);
    m_slider->setAccessibleName(QStringLiteral("Position"));
    m_slider->setThumbImage(PlayerImages::image(QStringLiteral("sliderThumb"), QSize(16, 16)));
    m_slider->setMinimumTrackTintColor(QColor(0xf2, 0xf2, 0xf2));
    m_slider->setMaximumTrackTintColor(QColor(0x6a, 0x6a, 0x6a));
    m_slider->setTrackHeight(3);
    m_fullScreenButton = makeButton(m_controls, QStringLiteral("fullScreen"), QStringLiteral("Full screen"));
    m_elapsed->setText(QStringLiteral("0:00"));
    m_remaining->setText(QStringLiteral("-:--"));

    connect(m_playbackButton, &QToolButton::clicked, this, &VideoPlayerViewController::togglePlayback);
    connect(m_closeButton, &QToolButton::clicked, this, &VideoPlayerViewController::close);
    connect(m_fullScreenButton, &QToolButton::clicked, this, &VideoPlayerViewController::toggleFullScreen);
    connect(m_slider, &QSlider::sliderPressed, this, [this] { m_dragging = true; });
    connect(m_slider, &QSlider::sliderMoved, this, [this] {
        if (!m_player)
            return;
        const double total = PlatformPlayer::microseconds(
                                 m_player->currentItem() ? m_player->currentItem()->duration() : MediaTime::zero())
            / 1e6;
        m_elapsed->setText(timeString(total * m_slider->positionFraction()));
    });
    connect(m_slider, &QSlider::sliderReleased, this, [this] {
        m_dragging = false;
        if (!m_player || !m_player->currentItem())
            return;
        const double total = PlatformPlayer::microseconds(m_player->currentItem()->duration()) / 1e6;
        if (std::isfinite(total) && total > 0.0)
            m_player->seek(MediaTime::fromSeconds(total * m_slider->fraction()));
    });
    setView(root);
    if (m_player)
        m_videoView->setPlayer(m_player);
    refresh();
}

void VideoPlayerViewController::layoutChildViews()
{
    QWidget *root = view();
    const int w = root->width();
    const int h = root->height();
    m_videoView->setGeometry(root->rect());
    m_closeButton->setGeometry(12, 12, 40, 40);
    const int barW = std::min(w - 24, 640);
    m_controls->setGeometry((w - barW) / 2, h - 64, barW, 52);
    const int ch = m_controls->height();
    m_playbackButton->setGeometry(8, (ch - 40) / 2, 40, 40);
    m_elapsed->setGeometry(52, 0, 56, ch);
    m_fullScreenButton->setGeometry(barW - 48, (ch - 40) / 2, 40, 40);
    m_remaining->setGeometry(barW - 48 - 60, 0, 56, ch);
    m_slider->setGeometry(116, 0, std::max(0, barW - 116 - 116), ch);
    m_closeButton->raise();
    m_controls->raise();
}

void VideoPlayerViewController::setPlayer(PlatformPlayer *player)
{
    if (player == m_player)
        return;
    if (m_player && m_timeObserver)
        m_player->removeTimeObserver(m_timeObserver);
    m_timeObserver = 0;
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_player = player;
    if (m_videoView)
        m_videoView->setPlayer(player);
    if (player) {
        QPointer<VideoPlayerViewController> self(this);
        m_timeObserver = player->addPeriodicTimeObserver(MediaTime::fromSeconds(0.5), [self](const MediaTime &) {
            if (self)
                self->refresh();
        });
        m_connections.append(connect(player, &PlatformPlayer::rateChanged, this, &VideoPlayerViewController::refresh));
        m_connections.append(
            connect(player, &PlatformPlayer::currentItemStatusChanged, this, &VideoPlayerViewController::refresh));
    }
    refresh();
}

void VideoPlayerViewController::refresh()
{
    if (!isViewLoaded())
        return;
    const bool playing = m_player && m_player->isPlaying();
    m_playbackButton->setIcon(PlayerImages::icon(playing ? QStringLiteral("videoPause") : QStringLiteral("videoPlay")));
    m_playbackButton->setAccessibleName(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    if (!m_player || m_dragging)
        return;
    const MediaTime now = m_player->currentTime();
    const MediaTime total = m_player->currentItem() ? m_player->currentItem()->duration() : MediaTime::zero();
    m_slider->setFraction(PlayerView::sliderValue(now, total));
    m_elapsed->setText(timeString(now));
    if (total.isNumeric() && total.seconds() > 0.0)
        m_remaining->setText(QStringLiteral("-") + timeString(total - now));
    else
        m_remaining->setText(QStringLiteral("-:--"));
}

void VideoPlayerViewController::togglePlayback()
{
    if (!m_player)
        return;
    if (m_player->isPlaying())
        m_player->pause();
    else
        m_player->play();
}

void VideoPlayerViewController::toggleFullScreen()
{
    QWidget *window = view()->window();
    if (!window)
        return;
    if (window->isFullScreen())
        window->showNormal();
    else
        window->showFullScreen();
    m_fullScreenButton->setIcon(
        PlayerImages::icon(window->isFullScreen() ? QStringLiteral("exitFullScreen") : QStringLiteral("fullScreen")));
}

void VideoPlayerViewController::close()
{
    if (QWidget *window = isViewLoaded() ? view()->window() : nullptr; window && window->isFullScreen())
        window->showNormal();
    dismiss(true);
}

bool VideoPlayerViewController::accessibilityPerformEscape()
{
    close();
    return true;
}

void VideoPlayerViewController::viewWillAppear(bool animated)
{
    ViewController::viewWillAppear(animated);
    // Without picture in picture the app delegate keeps this screen's player
    // playing in the background.
    if (AppDelegate *app = AppDelegate::shared())
        app->setVideoPlayer(this);
    refresh();
}

void VideoPlayerViewController::viewDidDisappear(bool animated)
{
    ViewController::viewDidDisappear(animated);
    if (AppDelegate *app = AppDelegate::shared())
        app->setVideoPlayer(nullptr);
    // The picture goes back to the full player that opened this screen.
    setPlayer(nullptr);
    if (auto *screen = qobject_cast<PlayerViewController *>(m_delegate.data())) {
        if (PlayerLayer *layer = screen->playerView()->playerLayer())
            layer->setPlayer(&Player::shared());
    }
}

} // namespace tarnik
