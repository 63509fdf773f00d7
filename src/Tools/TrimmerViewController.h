#pragma once

#include "Platform/MediaTime.h"
#include "Platform/Playback/PlatformPlayer.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Platform/UI/ViewController.h"
#include "Tools/TrimmerGridView.h"
#include "Tools/TrimmerHandleView.h"
#include "Tools/TrimmerTimeField.h"
#include "Tools/TrimmerTrackView.h"
#include "Tools/TrimmerViewControllerDelegate.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

class Player;

// The screen on which the user chooses the part of an audio file an import
// keeps: a playhead slider over a grid, a start and an end handle with the
// bars outside the range, start, end and length fields, buttons to start or
// end at the playhead, reset and play, and a refine slider that slows the
// handles down. The range previews on a loop with a player of its own (the
// shared player pauses meanwhile), and Done hands the start and end to the
// delegate as media times at a timescale of 1,000,000. The file is never
// changed.
//
// Positions are fractions of the file's duration, 0 to 1. A file whose
// duration is 0 or cannot be read cannot be trimmed: the screen says so and
// offers only Cancel. GUI thread only.
class TrimmerViewController : public ViewController
{
    Q_OBJECT

public:
    enum class Direction { left = 0, right = 1 };
    static std::optional<Direction> directionFromTag(int tag);

    enum ButtonTag { startHereTag = 1111, endHereTag = 2222, resetTag = 3333, previewTag = 4444 };

    explicit TrimmerViewController(QObject *parent = nullptr);
    ~TrimmerViewController() override;

    // Made from the storyboard "Main" with the file's duration, the fractions
    // of the given times and a preview player sought to the start.
    static TrimmerViewController *initialize(const QString &path, const MediaTime &startTime, const MediaTime &endTime,
        TrimmerViewControllerDelegate *delegate);

    static QColor highlightColor(); // "eb7601": the end being worked on
    static QColor neutralColor(); // "b3bbc3"

    // The shared player to pause while previewing; Player::shared() unless set.
    void setSharedPlayer(Player *player) { m_sharedPlayer = player; }
    // Where help addresses go (the desktop's opener unless set). Only http
    // and https addresses ever reach it.
    static void setUrlOpener(std::function<void(const QUrl &)> opener);

    TrimmerViewControllerDelegate *delegate() const { return m_delegate; }
    double fullDuration() const { return m_fullDuration; }
    bool canTrim() const;
    float minimumValue() const { return m_minimumValue; }
    float maximumValue() const { return m_maximumValue; }
    float refineFactor() const { return m_refineFactor; }
    std::optional<double> availableWidth() const { return m_availableWidth; }
    std::optional<Direction> direction() const { return m_direction; }
    float sliderValue() const;
    PlatformPlayer *player() const { return m_player.get(); }
    bool hasPlaybackObserver() const { return m_timeObserverToken.has_value(); }

    QSlider *slider() const { return m_slider; }
    QSlider *refineSlider() const { return m_refineSlider; }
    TrimmerHandleView *leftHandle() const { return m_leftHandle; }
    TrimmerHandleView *rightHandle() const { return m_rightHandle; }
    TrimmerTrackView *leftTrack() const { return m_leftTrack; }
    TrimmerTrackView *rightTrack() const { return m_rightTrack; }
    TrimmerTimeField *minTextField() const { return m_minTextField; }
    TrimmerTimeField *maxTextField() const { return m_maxTextField; }
    TrimmerTimeField *rangeTextField() const { return m_rangeTextField; }
    QLabel *currentTimeLabel() const { return m_currentTimeLabel; }
    QLabel *previewLabel() const { return m_previewLabel; }
    QPushButton *button(ButtonTag tag) const;
    TrimmerGridView *gridView() const { return m_gridView; }
    BarButtonItem *doneButton() const { return m_doneButton; }
    BarButtonItem *cancelButton() const { return m_cancelButton; }
    QPushButton *helpButton() const { return m_helpButton; }

    // Actions.
    void trackSliderValueChanged();
    void trackSliderDidEndEditing();
    void refineSliderValueChanged();
    void handleTapGesture(GestureRecognizer *recognizer);
    void handlePanGesture(GestureRecognizer *recognizer);
    // What a pan on the view with `tag` does in `state` after moving by dx points.
    void pan(int tag, GestureRecognizer::State state, double dx);
    void controlButtonTapped(int tag);
    void cancel();
    void done();
    void helpButtonTapped();
    void dismissKeyboard();
    void textFieldDidBeginEditing(TrimmerTimeField *field);
    void textFieldDidChange(TrimmerTimeField *field);
    void textFieldDidEndEditing(TrimmerTimeField *field);

    void updatePlayhead(float value, bool seek);
    void moveStart(float value);
    void moveEnd(float value);
    void layoutHandles();
    void adjustLayout();
    void addPlaybackObserver();
    void removePlaybackObserver();
    void showPreviewPlaying(bool playing);
    void startPreview();
    // The media time of a fraction of the duration at a timescale of 1,000,000.
    MediaTime timeOf(float fraction) const;
    QString timeText(float fraction) const;

    void viewWillTransition(const QSizeF &size) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewWillLayoutSubviews() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layoutStaticViews();
    void observe(const MediaTime &time);
    void colorSides();
    void setSliderValue(float value);
    void selectDirection(std::optional<Direction> direction);
    Player &sharedPlayer();
    void refuseTrimming();
    void updateLoopRange();

    QPointer<TrimmerGridView> m_gridView;
    QPointer<QSlider> m_slider;
    QPointer<TrimmerHandleView> m_leftHandle;
    QPointer<TrimmerHandleView> m_rightHandle;
    QPointer<TrimmerTimeField> m_minTextField;
    QPointer<TrimmerTimeField> m_maxTextField;
    QPointer<TrimmerTimeField> m_rangeTextField;
    QPointer<QLabel> m_currentTimeLabel;
    QPointer<TrimmerTrackView> m_leftTrack;
    QPointer<TrimmerTrackView> m_rightTrack;
    QPointer<QPushButton> m_previewButton;
    QPointer<QPushButton> m_moveLeftButton;
    QPointer<QPushButton> m_moveRightButton;
    QPointer<QPushButton> m_resetButton;
    QPointer<QLabel> m_previewLabel;
    QPointer<QSlider> m_refineSlider;
    QPointer<QPushButton> m_helpButton;
    QPointer<BarButtonItem> m_doneButton;
    QPointer<BarButtonItem> m_cancelButton;
    QList<QLabel *> m_captions;

    TrimmerViewControllerDelegate *m_delegate = nullptr;
    double m_fullDuration = 0;
    std::unique_ptr<PlatformPlayer> m_player;
    std::optional<Direction> m_direction;
    std::optional<double> m_availableWidth;
    float m_minimumValue = 0;
    float m_maximumValue = 0;
    float m_refineFactor = 1;
    bool m_viewDidAppear = false;
    std::optional<PlatformPlayer::TimeObserverToken> m_timeObserverToken;
    Player *m_sharedPlayer = nullptr;
    bool m_settingSlider = false;
};

} // namespace tarnik
