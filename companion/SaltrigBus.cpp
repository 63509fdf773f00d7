#include "SaltrigBus.h"

#include "Platform/Messaging/MessagingCenter.h"
#include "Platform/Messaging/SaltrigProtocol.h"
#include "SaltrigService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace tarnik {

namespace {

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");

bool notificationsAvailable(const QDBusConnection &bus)
{
    QDBusConnectionInterface *daemon = bus.interface();
    if (!daemon)
        return false;
    if (daemon->isServiceRegistered(kNotifications))
        return true;
    const QDBusReply<QStringList> activatable = daemon->call(QStringLiteral("ListActivatableNames"));
    return activatable.isValid() && activatable.value().contains(kNotifications);
}

} // namespace

SaltrigBus::SaltrigBus(SaltrigService &service, QDBusConnection connection, QObject *parent)
    : QObject(parent)
    , m_service(service)
    , m_connection(std::move(connection))
{
}

SaltrigBus::~SaltrigBus()
{
    if (m_ownsName)
        m_connection.unregisterService(SaltrigProtocol::serviceName);
    m_connection.unregisterObject(SaltrigProtocol::objectPath);
}

QDBusConnection SaltrigBus::chosenBus()
{
    return SaltrigProtocol::usesSystemBus() ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
}

bool SaltrigBus::start()
{
    if (!m_connection.isConnected() || !m_connection.interface())
        return false;
    if (!m_connection.registerObject(SaltrigProtocol::objectPath, this, QDBusConnection::ExportAllSlots))
        return false;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> owned
        = m_connection.interface()->registerService(SaltrigProtocol::serviceName,
            QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    m_ownsName = owned.isValid() && owned.value() == QDBusConnectionInterface::ServiceRegistered;
    if (!m_ownsName)
        m_connection.unregisterObject(SaltrigProtocol::objectPath);
    return m_ownsName;
}

QVariantMap SaltrigBus::message(const QVariantMap &userInfo)
{
    // Nested values arrive as raw bus arguments; make them plain values first.
    QVariantMap plain;
    for (auto entry = userInfo.cbegin(); entry != userInfo.cend(); ++entry)
        plain.insert(entry.key(), valueFromBus(entry.value()));

    setDelayedReply(true);
    const QDBusMessage request = QDBusContext::message();
    const QDBusConnection bus = connection();
    m_service.handle(plain, request.service(), [request, bus](const QVariantMap &reply) {
        QDBusConnection(bus).send(request.createReply(QVariant::fromValue(userInfoToBus(reply))));
    });
    return {};
}

void SaltrigBus::notify(const QString &summary, const QString &body)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !notificationsAvailable(bus))
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        kNotifications, QStringLiteral("/org/freedesktop/Notifications"), kNotifications, QStringLiteral("Notify"));
    call << QStringLiteral("Saltrig") << quint32(0) << QString() << summary << body << QStringList() << QVariantMap()
         << qint32(-1);
    QDBusConnection(bus).send(call);
}

} // namespace tarnik
