#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QVariantMap>

namespace tarnik {

class SaltrigService;

// The companion service on D-Bus: owns "com.quilmera.saltrig.center" and
// serves the method "message" of "com.quilmera.saltrig" at "/", a{sv} in and
// out, handing each request to the service. Calls of any other shape are
// answered by the bus library with an error and never reach the service.
//
// Lives on the thread that owns the connection's dispatch (the main thread).
class SaltrigBus : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.quilmera.saltrig")

public:
    SaltrigBus(SaltrigService &service, QDBusConnection connection, QObject *parent = nullptr);
    ~SaltrigBus() override;

    // Registers the object and takes the bus name. False when the name is
    // owned by another program or the bus refuses.
    bool start();

    // The bus that TARNIK_BUS chooses: the system bus for "system", else the session bus.
    static QDBusConnection chosenBus();

    // Shows a desktop notice through org.freedesktop.Notifications on the
    // session bus, when that service runs or can be started; otherwise nothing.
    // Does not wait for the notice; any thread.
    static void notify(const QString &summary, const QString &body);

public Q_SLOTS:
    QVariantMap message(const QVariantMap &userInfo);

private:
    SaltrigService &m_service;
    QDBusConnection m_connection;
    bool m_ownsName = false;
};

} // namespace tarnik
