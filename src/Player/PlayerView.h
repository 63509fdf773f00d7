#pragma once

#include "Player/Player.h"

#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <optional>

class QLabel;
class QToolButton;

namespace tarnik {

class ArtworkView;
class DesignableSlider;
class PassThroughView;
class PlayerLayer;
class SlidingLabel;
class SwipeGestureRecognizer;
class TabBar;
class TapGestureRecognizer;
class VolumeView;

enum class PlayerViewType { mini, maxi, fake };

// Slide state of the mini player: up is raised above the tab bar (shown or
// being shown), down is being lowered behind it, none is lowered and hidden.
enum class PlayerViewAnimation { up, down, none };

// The visible height of the mini bar, the height of the full player's
// placeholder bar and the distance by which the mini player is raised.
// Screens use it for their bottom insets while the mini player is up.
inline constexpr double miniPlayerHeight = 60.0;

// The root tab bar, from which the mini player's frame is computed. The tab
// bar host sets it when its view loads.
TabBar *playerTabBar();
void setPlayerTabBar(TabBar *bar);

// What a player view tells its owner: the browser level for the mini player,
// the full-player screen for the full one. Owners are QObjects (screens) and
// are held weakly.
class PlayerViewDelegate
{
public:
    virtual ~PlayerViewDelegate() = default;
    // The user opened the picture of a video item; url is the current item's.
    virtual void playerViewShowVideoAt(const QUrl &url) = 0;
    // The entry with this identifier started or stopped playing.
    virtual void playerViewDidChangePlayingStateOf(const QString &identifier, bool isPlaying) = 0;
    // Called on an owner that loses the player view to another owner (or to
    // none) while the now-playing marker names an entry: a browser level
    // stops that entry's playing indicator. Other owners need not answer.
    virtual void resetPlayingIndicator(const QString &identifier) { Q_UNUSED(identifier); }
    // The full-player screen answers true while its video plays in a
    // picture-in-picture window; none here, so false.
    virtual bool isInPictureInPictureMode() const { return false; }
};

// The one view class that shows and drives the shared player, in three forms:
// the mini bar above the tab bar, the full player (maxi) and the full
// player's placeholder copy of the mini bar (fake). Whichever view is the
// shared player's delegate updates every player view on screen (its
// playerViews()) and the system's now-playing information.
//
// The mini form's frame starts at the tab bar's top edge and reaches below
// the screen; raised (transform translated by -60) its top 60 points show
// above the bar. GUI thread only.
class PlayerView : public QWidget, public PlayerDelegate
{
    Q_OBJECT
public:
    explicit PlayerView(QWidget *parent = nullptr);
    ~PlayerView() override;

    // Frames in window coordinates: mini from the tab bar's top edge with the
    // screen's size; maxi empty (its screen sizes it); fake the screen's width
    // by 60 at the top.
    static QRect frameFor(PlayerViewType type);

    PlayerViewType type() const { return m_type; }
    void setType(PlayerViewType type);
    PlayerViewAnimation animate() const { return m_animate; }
    void setAnimate(PlayerViewAnimation animate);

    PlayerViewDelegate *delegate() const;
    void setDelegate(PlayerViewDelegate *delegate);

    // Hands the queue to the shared player, becomes its delegate, plays the
    // item at index and raises the mini player. Nothing without a queue.
    void play(const std::optional<Player::EntryList> &queue, qint64 index);

    // Outlets.
    SlidingLabel *title() const { return m_title; }
    SlidingLabel *artist() const { return m_artist; }
    DesignableSlider *playbackSlider() const { return m_playbackSlider; }
    QLabel *elapsedLabel() const { return m_elapsedLabel; }
    QLabel *remainingLabel() const { return m_remainingLabel; }
    QToolButton *playbackButton() const { return m_playbackButton; }
    QToolButton *previousButton() const { return m_previousButton; }
    QToolButton *nextButton() const { return m_nextButton; }
    QToolButton *closeButton() const { return m_closeButton; }
    QToolButton *shareButton() const { return m_shareButton; }
    QToolButton *repeatButton() const { return m_repeatButton; }
    ArtworkView *imageView() const { return m_imageView; }
    PassThroughView *blurView() const { return m_blurView; }
    QWidget *volumeWrapper() const { return m_volumeWrapper; }
    // The system volume view inside the wrapper.
    VolumeView *volumeView() const { return m_volumeView; }
    TapGestureRecognizer *tapGesture() const { return m_tap; }
    SwipeGestureRecognizer *swipeGestureLeft() const { return m_swipeLeft; }
    SwipeGestureRecognizer *swipeGestureRight() const { return m_swipeRight; }
    // The video layer; the maxi form only.
    PlayerLayer *playerLayer() const;
    // Lays the view out for its form (hosts call it when their view's size changes).
    void layoutSubviews();
    // The stand-alone screen shows no picture: it drops the layer.
    void removePlayerLayer();

    bool sliderIsBeingHandled() const { return m_sliderIsBeingHandled; }
    // The views that show the shared player, computed on first use (see the
    // list's rule in the .cpp).
    QList<PlayerView *> playerViews();

    // Buttons carry these tags; any other tag is the play and pause button.
    static constexpr int kPreviousTag = 111;
    static constexpr int kNextTag = 222;

    // Action messages of the controls (public so screens and tests can send them).
    void controlButtonTapped(QObject *sender);
    void repeatButtonTapped();
    void closeButtonTapped();
    void playbackSliderDidStartEditing();
    void playbackSliderDidChangeValue();
    void playbackSliderDidEndEditing();

    // PlayerDelegate.
    void playerDidUpdateTime(const MediaTime &time) override;
    void playerDidChangeItem() override;
    void playerDidChangePlaybackState() override;
    void playerDidLoadItem(bool isAudioOnly) override;
    void playerShouldRefreshNowPlaying() override;
    void playerDidChangePlayingState(const QString &identifier, bool isPlaying) override;

    // The slider position for a time: 0 while the duration is zero or not
    // finite (never a number that is not one).
    static double sliderValue(const MediaTime &time, const MediaTime &duration);

Q_SIGNALS:
    // The mini player's slide ended (up or down), for screens that follow it.
    void animateChanged(PlayerViewAnimation animate);
    // The mini player was pressed from the keyboard (Return, Enter or Space while it has the
    // focus) or by a screen reader; its host opens the full player, as for a tap.
    void activated();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void willMoveToSuperview(QWidget *superview);
    void applyGeometry();
    void applyFormLook();
    void layoutMini();
    void layoutMaxi();
    void togglePlayback();
    void clear();
    void setRepeatImage();
    void setUpBlurView();
    void setUpVolumeWrapper();
    void slide(PlayerViewAnimation animate);
    void showFocusRing();

    SlidingLabel *m_title;
    SlidingLabel *m_artist;
    DesignableSlider *m_playbackSlider;
    QLabel *m_elapsedLabel;
    QLabel *m_remainingLabel;
    QToolButton *m_playbackButton;
    QToolButton *m_previousButton;
    QToolButton *m_nextButton;
    QToolButton *m_closeButton;
    QToolButton *m_shareButton;
    QToolButton *m_repeatButton;
    ArtworkView *m_imageView;
    PassThroughView *m_blurView;
    QWidget *m_volumeWrapper;
    VolumeView *m_volumeView;
    // Drawn around the mini bar while it has the keyboard's focus; made on first use.
    TapGestureRecognizer *m_tap;
    SwipeGestureRecognizer *m_swipeLeft;
    SwipeGestureRecognizer *m_swipeRight;

    bool m_sliderIsBeingHandled = false;
    std::optional<QList<QPointer<PlayerView>>> m_playerViews;
    PlayerViewDelegate *m_delegate = nullptr;
    QPointer<QObject> m_delegateObject;
    PlayerViewAnimation m_animate = PlayerViewAnimation::down;
    QPointer<PlayerLayer> m_playerLayer;
    PlayerViewType m_type = PlayerViewType::maxi;
    QPointer<QWidget> m_superview;
    // The frame before the transform (the mini form's translation moves the widget).
    QRect m_frame;
    quint64 m_sliderRelease = 0;
};

} // namespace tarnik
