#pragma once

#include "Controls/CircularSlider/CircularSlider.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/ViewController.h"
#include "Tools/VolumeEditorViewControllerDelegate.h"

#include <QBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <memory>

namespace tarnik {

class AudioPlayer;
class Player;
class SystemVolume;

// The screen on which the user chooses the volume level (0 to 1) an import
// carries for one audio file. Two knobs: the system-volume knob shows and
// sets the system volume, the level knob sets the level, and each level it
// takes plays the file on a loop at that level. A level is taken only while
// the system volume is at its maximum; otherwise the knob snaps back when
// released and a "Warning!" alert explains why. Done hands the last taken
// level to the delegate; Cancel hands nothing. The file is never changed.
//
// Without a preview player (a file the player cannot open) the preview is
// disabled; the level can still be chosen. GUI thread only.
class VolumeEditorViewController : public ViewController
{
    Q_OBJECT

public:
    // Size of the knob in a pad layout: the height one holds in portrait, the
    // width one in landscape; exactly one is active.
    struct LayoutConstraint
    {
        double constant = 0;
        bool isActive = false;
    };

    explicit VolumeEditorViewController(QObject *parent = nullptr);
    ~VolumeEditorViewController() override;

    // Made from the storyboard "Main"; its view is not loaded yet. The caller
    // wraps it in a TransparentNavigationController and presents that.
    static VolumeEditorViewController *initialize(
        const QString &path, float volumeLevel, VolumeEditorViewControllerDelegate *delegate);

    // Dependencies; the process's shared ones unless set before the view loads.
    void setSharedPlayer(Player *player) { m_sharedPlayer = player; }
    void setSystemVolume(SystemVolume *volume) { m_systemVolume = volume; }

    VolumeEditorViewControllerDelegate *delegate() const { return m_delegate; }
    void setDelegate(VolumeEditorViewControllerDelegate *delegate) { m_delegate = delegate; }
    float volumeLevel() const { return m_volumeLevel; }
    AudioPlayer *player() const { return m_player.get(); }
    CircularSlider *systemVolumeKnob() const { return m_systemVolumeKnob; }
    CircularSlider *volumeLevelKnob() const { return m_volumeLevelKnob; }
    QPushButton *previewButton() const { return m_previewButton; }
    BarButtonItem *doneButton() const { return m_doneButton; }
    BarButtonItem *cancelButton() const { return m_cancelButton; }
    QBoxLayout *topStackView() const { return m_topStackView; }
    const LayoutConstraint &knobHeightConstraint() const { return m_knobHeightConstraint; }
    const LayoutConstraint &knobWidthConstraint() const { return m_knobWidthConstraint; }
    bool audioSessionIsActive() const { return m_audioSessionIsActive; }

    // Actions.
    void setSystemVolumeFrom(CircularSlider *sender);
    void setVolumeLevel(CircularSlider *sender);
    void didBeginEditing(CircularSlider *sender);
    void didEndEditing(CircularSlider *sender);
    void cancel();
    void done();
    void didTapPreviewButton();
    void activateAudioSession(bool status);

    void updateKnobLayout();

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidLayoutSubviews() override;

private:
    void playPreview();
    void pausePreview();
    double currentSystemVolume() const;
    Player &sharedPlayer();
    SystemVolume &systemVolume() const;
    void outputVolumeChanged(double volume);

    QBoxLayout *m_topStackView = nullptr;
    LayoutConstraint m_knobHeightConstraint;
    LayoutConstraint m_knobWidthConstraint;
    QPointer<CircularSlider> m_systemVolumeKnob;
    QPointer<CircularSlider> m_volumeLevelKnob;
    QPointer<QPushButton> m_previewButton;
    QPointer<BarButtonItem> m_doneButton;
    QPointer<BarButtonItem> m_cancelButton;
    VolumeEditorViewControllerDelegate *m_delegate = nullptr;
    float m_volumeLevel = 1.0f;
    std::unique_ptr<AudioPlayer> m_player;
    bool m_audioSessionIsActive = false;
    bool m_isViewFirstAppearance = false;
    Player *m_sharedPlayer = nullptr;
    mutable SystemVolume *m_systemVolume = nullptr;
    QMetaObject::Connection m_outputVolumeObservation;
};

} // namespace tarnik
