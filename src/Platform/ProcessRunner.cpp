#include "Platform/ProcessRunner.h"

#include <QByteArrayList>
#include <QMutex>
#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

namespace tarnik {

namespace {

QMutex sharedMutex;
std::shared_ptr<ProcessRunner> &sharedSlot()
{
    static std::shared_ptr<ProcessRunner> runner;
    return runner;
}

} // namespace

ProcessRunner &ProcessRunner::shared()
{
    QMutexLocker lock(&sharedMutex);
    std::shared_ptr<ProcessRunner> &slot = sharedSlot();
    if (!slot)
        slot = std::make_shared<SpawnProcessRunner>();
    return *slot;
}

void ProcessRunner::setShared(std::shared_ptr<ProcessRunner> runner)
{
    QMutexLocker lock(&sharedMutex);
    sharedSlot() = std::move(runner);
}

ProcessRunner::Result SpawnProcessRunner::run(const QString &program, const QStringList &arguments)
{
    // NUL-terminated copies that live until the child has been started.
    QByteArrayList storage;
    storage.append(program.toLocal8Bit());
    for (const QString &argument : arguments)
        storage.append(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &bytes : storage)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);
    char *environment[] = { nullptr };

    Result result;
    pid_t pid = 0;
    if (posix_spawn(&pid, storage.first().constData(), nullptr, nullptr, argv.data(), environment) != 0)
        return result; // not started: there is no child to wait for
    result.started = true;
    int status = 0;
    pid_t waited = 0;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited == pid && WIFEXITED(status)) {
        result.exited = true;
        result.exitStatus = WEXITSTATUS(status);
    }
    return result;
}

} // namespace tarnik
