#pragma once

#include "Platform/Playback/PlayerSurface.h"
#include "Platform/UI/ViewController.h"

#include <QPointer>

class QLabel;
class QToolButton;

namespace tarnik {

class PlayerLayer;
class DesignableSlider;

// The video screen: the video fills it, with play and pause, a position
// slider between the elapsed and remaining times, a close button and a full
// screen switch for the window. It shows the player it is given (the shared
// one) through its own video output, and is a PlayerSurface, so the app
// delegate can take the player off it in the background. While on screen the
// app delegate knows it as its video player; when it leaves, the full player
// that opened it gets the picture back. There is no picture in picture.
// GUI thread.
class VideoPlayerViewController : public ViewController, public PlayerSurface
{
    Q_OBJECT
public:
    explicit VideoPlayerViewController(QObject *parent = nullptr);
    ~VideoPlayerViewController() override;

    PlatformPlayer *player() const override { return m_player; }
    void setPlayer(PlatformPlayer *player) override;
    // The screen that opened it; held weakly.
    ViewController *delegate() const { return m_delegate; }
    void setDelegate(ViewController *delegate) { m_delegate = delegate; }
    bool isInPictureInPictureMode = false;

    PlayerLayer *videoView() const { return m_videoView; }
    QToolButton *playbackButton() const { return m_playbackButton; }
    QToolButton *closeButton() const { return m_closeButton; }
    QToolButton *fullScreenButton() const { return m_fullScreenButton; }
    DesignableSlider *positionSlider() const { return m_slider; }
    QLabel *elapsedLabel() const { return m_elapsed; }
    QLabel *remainingLabel() const { return m_remaining; }

    void togglePlayback();
    void toggleFullScreen();
    void close();
    // Escape leaves the video as its close button does.
    bool accessibilityPerformEscape() override;

protected:
    void loadView() override;
    void viewWillAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    void layoutChildViews() override;

private:
    void refresh();
    void observe();

    QPointer<PlatformPlayer> m_player;
    QPointer<ViewController> m_delegate;
    PlayerLayer *m_videoView = nullptr;
    QWidget *m_controls = nullptr;
    QToolButton *m_playbackButton = nullptr;
    QToolButton *m_closeButton = nullptr;
    QToolButton *m_fullScreenButton = nullptr;
    DesignableSlider *m_slider = nullptr;
    QLabel *m_elapsed = nullptr;
    QLabel *m_remaining = nullptr;
    bool m_dragging = false;
    quint64 m_timeObserver = 0;
    QList<QMetaObject::Connection> m_connections;
};

} // namespace tarnik
