#pragma once

#include <QString>

namespace tarnik {

// Stops the program: a broken invariant of the program itself (a wrongly
// built screen set-up), never a user-facing failure.
[[noreturn]] void fatalError(const QString &message);

// The message for an object of the wrong class made for an identifier.
QString wrongTypeMessage(const QString &expectedClass, const QString &identifier);

} // namespace tarnik
