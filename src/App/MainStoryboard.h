#pragma once

#include <QString>
#include <QStringList>

namespace tarnik::MainStoryboard {

inline const QString kName = QStringLiteral("Main");

// Registers the screens of the storyboard "Main" and its initial screen: the
// root tab bar controller: the guide, the file browser, the ringtones and the
// settings. Call once at start, on the GUI thread.
void registerScreens();

// The titles of the root's tabs, in order.
QStringList tabTitles();

} // namespace tarnik::MainStoryboard
