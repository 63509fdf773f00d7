#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace tarnik {

// Starts a system command from an argument vector (never through a shell)
// and waits for it to end. Tests install a fake with setShared(), so no test
// ever starts a command that affects other processes.
class ProcessRunner
{
public:
    struct Result
    {
        bool started = false; // false: the command could not be started, nothing was waited for
        bool exited = false; // ended normally (not by a signal)
        int exitStatus = -1;
    };

    virtual ~ProcessRunner() = default;
    // Runs `program` with argv[0] = program and then `arguments`, with an
    // empty environment, and blocks until it has ended.
    virtual Result run(const QString &program, const QStringList &arguments) = 0;

    // The runner the app uses: posix_spawn and waitpid unless replaced.
    static ProcessRunner &shared();
    // Replaces the shared runner; none restores the real one.
    static void setShared(std::shared_ptr<ProcessRunner> runner);
};

// posix_spawn without file actions or attributes, then waitpid for that
// child, retried when a signal interrupts the wait.
class SpawnProcessRunner : public ProcessRunner
{
public:
    Result run(const QString &program, const QStringList &arguments) override;
};

} // namespace tarnik
