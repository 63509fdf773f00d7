// saltrig: the companion service stand-in. Serves the app's requests on the
// session bus (the system bus with TARNIK_BUS=system) until it is stopped.
#include "SaltrigBus.h"
#include "SaltrigService.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The same name as the app, so both find the same device home.
    QCoreApplication::setApplicationName(QStringLiteral("tarnik"));

    // SIGTERM and SIGINT end the loop, so an import under way finishes and
    // the bus name is given back.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
    }

    tarnik::SaltrigService::Environment environment = tarnik::SaltrigService::defaultEnvironment();
    environment.notify = &tarnik::SaltrigBus::notify;
    tarnik::SaltrigService service(environment);
    tarnik::SaltrigBus bus(service, tarnik::SaltrigBus::chosenBus());
    if (!bus.start()) {
        std::fprintf(stderr,
            "saltrig: cannot own com.quilmera.saltrig.center on the %s bus (not reachable, or "
            "another program owns it)\n",
            qEnvironmentVariable("TARNIK_BUS") == QStringLiteral("system") ? "system" : "session");
        return 1;
    }
    // Only now, owning the name, is it sure that no other companion is writing there.
    service.removeStaleTemporaryFiles();
    std::fprintf(stderr, "saltrig: serving com.quilmera.saltrig.center\n");
    const int status = QCoreApplication::exec();
    service.waitForImports();
    return status;
}
