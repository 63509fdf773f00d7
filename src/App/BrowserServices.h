#pragma once

#include "Import/MediaKind.h"

#include <QString>
#include <QVariantMap>

namespace tarnik {

class TabBarController;
class ViewController;

// What the shell needs of the file browser. The browser's navigation
// controller (tab 1 of the root) implements BrowserNavigation and each of its
// directory levels implements BrowserLevel; the shell finds them by casting
// the screens it holds.
class BrowserNavigation
{
public:
    virtual ~BrowserNavigation() = default;
    // Rebuilds the stack with one level per directory from "/" down to the
    // path (for a file: to its parent, with the file revealed).
    virtual void browseToFile(const QString &path) = 0;
};

class BrowserLevel
{
public:
    virtual ~BrowserLevel() = default;
    // A file another program handed over (already copied into the inbox):
    // 0.5 s later, while the level exists, opens the import editor for it.
    virtual void importReceivedFile(const QString &path) = 0;
    // A downloaded track's record (text keys to property-list values; its
    // "filePath" names the media file): 0.5 s later, while the level exists,
    // opens the import editor for it with the kind.
    virtual void importHandOver(const QVariantMap &record, MediaKind mediaKind) = 0;
    // A handed-over file is being copied into the inbox (a large one takes a
    // while): the level covers itself with its loader until the copy ends.
    virtual void showCopyProgress(bool copying) { Q_UNUSED(copying); }
};

// The first of the tab bar controller's screens that is a navigation
// controller whose top screen is a browser level; null when there is none.
ViewController *directoryViewController(TabBarController *tabBarController);

} // namespace tarnik
