#include "Support/BlockingProbe.h"

#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <memory>
#include <thread>
#include <unistd.h>

namespace tarnik::test {

std::optional<bool> answerWithoutBlocking(const QString &fifo, std::function<bool()> question)
{
    auto answered = std::make_shared<std::promise<bool>>();
    std::thread([answered, question = std::move(question)] { answered->set_value(question()); }).detach();
    std::future<bool> result = answered->get_future();
    if (result.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "blocked on a file the list names";
        // Give the blocked reader a writer, and at once its end.
        ::close(::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK));
        result.wait();
        return std::nullopt;
    }
    return result.get();
}

} // namespace tarnik::test
