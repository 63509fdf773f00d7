#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace tarnik {

// Ends the process that serves a name on the companion's bus (the bus TARNIK_BUS
// chooses), so that the bus starts the service afresh on its next call. The
// process is the one the bus names as the owner's (GetConnectionUnixProcessID);
// no process is ever looked up by its program's name. Tests replace the shared
// instance, so no unit test ends a process another test relies on.
class ServiceProcess
{
public:
    virtual ~ServiceProcess() = default;

    // Sends SIGKILL to the owner of `serviceName` and waits (at most two seconds)
    // until it has gone. Nothing to do, and no error, when nobody owns the name.
    // Otherwise the reason it could not be ended.
    virtual std::optional<QString> endOwner(const QString &serviceName);

    // The instance the app uses: the real one unless replaced.
    static ServiceProcess &shared();
    // Replaces the shared instance; none restores the real one.
    static void setShared(std::shared_ptr<ServiceProcess> instance);
};

} // namespace tarnik
