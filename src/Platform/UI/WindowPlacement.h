#pragma once

#include <QString>

class QWidget;

namespace tarnik {

// Where the main window opens: the size and place the user left it at, kept in
// a small file of our own in the settings folder ($XDG_CONFIG_HOME/tarnik/),
// apart from the app's own preference lists; without one (first start, or a
// file that cannot be read) the desktop default size, made to fit the screen.
// The window never gets smaller than the minimum. GUI thread only.
class WindowPlacement
{
public:
    static QString defaultPath();

    // Sets the minimum size and the saved or the default geometry; before the window is shown.
    static void restore(QWidget *window, const QString &path = defaultPath());
    // Writes the window's geometry; false when the file cannot be written.
    static bool save(const QWidget *window, const QString &path = defaultPath());
};

} // namespace tarnik
