#pragma once

namespace tarnik {

// Receives the volume level the user chose in the volume editor: a float from
// 0 to 1. Called at most once, on the GUI thread, when the user taps Done;
// Cancel never calls it. The editor dismisses itself afterwards.
class VolumeEditorViewControllerDelegate
{
public:
    virtual ~VolumeEditorViewControllerDelegate() = default;

    virtual void volumeEditorViewControllerDidFinish(float volume) = 0;
};

} // namespace tarnik
