#pragma once

#include "App/AlertPresenting.h"

#include <QDate>
#include <QDebug>
#include <QImage>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <source_location>

// The free helpers every screen uses. They keep no state of their own. The
// leading underscore is the app's convention for them; inside a namespace it is
// a legal name.
namespace tarnik {

namespace detail {
void printLine(const QString &message, const std::source_location &where);
// Debug builds (TARNIK_DEBUG_PRINT) print always, others only while TARNIK_DEBUG is set.
bool printsDiagnostics();
} // namespace detail

// Diagnostic hook: prints the source file, function, line and the value in debug
// builds, or in any build while the environment variable TARNIK_DEBUG is set;
// nothing otherwise. Safe on any thread.
template<typename T> void _print(const T &value, const std::source_location &where = std::source_location::current())
{
    if (!detail::printsDiagnostics())
        return;
    QString text;
    QDebug(&text).noquote().nospace() << value;
    detail::printLine(text, where);
}

// Diagnostic hook naming the calling function; prints only where _print does.
inline void _printFunc(const std::source_location &where = std::source_location::current())
{
    if (detail::printsDiagnostics())
        detail::printLine(QString(), where);
}

// Runs `completion` on the main queue `seconds` from now; returns at once.
// Callable from any thread.
void _delayWithSeconds(double seconds, std::function<void()> completion);

// The translation of `key`; the key itself (the English text) when there is none.
QString _localizedString(const QString &key);

// The key window's root screen when it is a tab bar controller; null otherwise.
// GUI thread.
TabBarController *_getTabBarController();

// The screen on top of the presentation chain: from `start`, or else from the
// root tab bar controller's selected screen, follow presented screens to the
// end of the chain, then step into a navigation controller's top screen. Null
// when there is no starting screen. GUI thread.
ViewController *_getTopPresentedViewController(ViewController *start = nullptr);

// Shows a one-button alert ("OK") from the top presented screen of
// `presentingViewController` (or of the window). Always queued on the main
// queue, also from the GUI thread; dropped silently when no screen is found.
// Callable from any thread.
void _showTarnikDefaultAlert(const QString &title, const QString &message, AlertActionHandler handler = {},
    ViewController *presentingViewController = nullptr);

// The current year by the device clock; 2018 when it cannot be read.
int _currentYear();
// The year of `date` read back from its "yyyy" text; 2018 when that fails.
int yearOf(const QDate &date);

// The frames of the loading animation: the bundle images "1" to "16" that
// exist, in numeric order; no value (not an empty list) when none exists.
std::optional<QList<QImage>> DEFAULT_ANIMATION_IMAGES();
// The same from the image files named "1" to "16" of `folder`.
std::optional<QList<QImage>> animationImages(const QString &folder);

} // namespace tarnik
