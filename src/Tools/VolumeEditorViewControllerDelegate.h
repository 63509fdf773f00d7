#pragma once

namespace tarnik {

class ViewController;

// What the volume editor hands back to the screen that opened it: the chosen
// level from 0 to 1, once the user confirms. The editor closes itself
// afterwards. GUI thread.
class VolumeEditorViewControllerDelegate
{
public:
    virtual ~VolumeEditorViewControllerDelegate() = default;
    virtual void volumeEditorViewController(ViewController *editor, float volume) = 0;
};

} // namespace tarnik
