#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tarnik::test {

// Runs `question` on a worker thread and returns its answer. When it has not
// answered within 20 s it records a test failure ("blocked on a file the list
// names"), opens `fifo` for writing once so that a reader stuck on it sees its
// end, waits for the worker and returns no value.
std::optional<bool> answerWithoutBlocking(const QString &fifo, std::function<bool()> question);

} // namespace tarnik::test
