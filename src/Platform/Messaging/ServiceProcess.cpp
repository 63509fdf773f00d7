#include "Platform/Messaging/ServiceProcess.h"

#include "Platform/Messaging/SaltrigProtocol.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusReply>
#include <QMutex>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tarnik {

namespace {

QMutex sharedMutex;
std::shared_ptr<ServiceProcess> &sharedSlot()
{
    static std::shared_ptr<ServiceProcess> instance;
    return instance;
}

QDBusConnection companionBus()
{
    return SaltrigProtocol::usesSystemBus() ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Waits until the process has ended, through a descriptor of the process itself, so
// a new process that later gets the same number is never mistaken for it.
void waitForEnd(int pidfd, int milliseconds)
{
    pollfd entry { pidfd, POLLIN, 0 };
    while (::poll(&entry, 1, milliseconds) < 0 && errno == EINTR) { }
}

} // namespace

ServiceProcess &ServiceProcess::shared()
{
    QMutexLocker lock(&sharedMutex);
    std::shared_ptr<ServiceProcess> &slot = sharedSlot();
    if (!slot)
        slot = std::make_shared<ServiceProcess>();
    return *slot;
}

void ServiceProcess::setShared(std::shared_ptr<ServiceProcess> instance)
{
    QMutexLocker lock(&sharedMutex);
    sharedSlot() = std::move(instance);
}

std::optional<QString> ServiceProcess::endOwner(const QString &serviceName)
{
    QDBusConnection bus = companionBus();
    if (!bus.isConnected() || !bus.interface())
        return QStringLiteral("The bus cannot be reached: ") + bus.lastError().message();
    const QDBusReply<uint> owner = bus.interface()->servicePid(serviceName);
    if (!owner.isValid()) {
        // Nobody serves the name: the bus starts the service on the next call anyway.
        if (owner.error().name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
            return std::nullopt;
        return owner.error().message();
    }
    const auto pid = pid_t(owner.value());
    if (pid <= 1 || pid == ::getpid())
        return QStringLiteral("The bus names process %1 as the owner of %2; it is not ended.").arg(pid).arg(serviceName);
    // A descriptor first, so the wait below follows this very process.
    const int pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (::kill(pid, SIGKILL) != 0) {
        const int error = errno;
        if (pidfd >= 0)
            ::close(pidfd);
        return error == ESRCH ? std::nullopt : std::optional<QString>(systemError(error));
    }
    if (pidfd >= 0) {
        waitForEnd(pidfd, 2000);
        ::close(pidfd);
    }
    return std::nullopt;
}

} // namespace tarnik
