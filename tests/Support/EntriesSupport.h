#pragma once

// Helpers for the tests of file entries and listings.

#include <QString>
#include <chrono>
#include <functional>

namespace tarnik::test {

// Runs the GUI thread's event loop until `done` holds or `timeout` passes; returns `done()`.
// The work waited for runs on other threads and reports through the event loop, so this waits on
// its result, not on time.
bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Lets queued GUI-thread work run, including work queued by that work, without waiting for
// anything else.
void drainMainQueue();

// Puts the listing and row settings back to their defaults and empties the in-memory caches of
// entries and rows, so tests do not see each other's state.
void resetEntrySettings();

// Creates an empty file (and its folders); false on failure.
bool touch(const QString &path);

} // namespace tarnik::test
