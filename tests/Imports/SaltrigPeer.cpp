#include "SaltrigPeer.h"

#include "Platform/Messaging/MessagingCenter.h"
#include "Platform/Messaging/SaltrigProtocol.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <atomic>

namespace tarnik::testing {

namespace {

QString busSignature(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return value.value<QDBusArgument>().currentSignature();
    return QString::fromLatin1(QDBusMetaType::typeToSignature(value.metaType()));
}

} // namespace

bool hasSessionBus()
{
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") && QDBusConnection::sessionBus().isConnected();
}

SaltrigPeer::SaltrigPeer()
{
    static std::atomic<int> counter { 0 };
    m_connectionName = QStringLiteral("saltrig-peer-%1").arg(counter.fetch_add(1));
}

SaltrigPeer::~SaltrigPeer()
{
    stop();
}

bool SaltrigPeer::start()
{
    QDBusConnection connection = QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName);
    m_connected = connection.isConnected();
    if (!m_connected)
        return false;
    return connection.registerObject(SaltrigProtocol::objectPath, this, QDBusConnection::ExportAllSlots)
        && connection.registerService(SaltrigProtocol::serviceName);
}

void SaltrigPeer::stop()
{
    if (!m_connected)
        return;
    m_connected = false;
    m_withheld.clear();
    QDBusConnection::disconnectFromBus(m_connectionName);
}

QVariantMap SaltrigPeer::message(const QVariantMap &userInfo, const QDBusMessage &call)
{
    Received received;
    received.signature = call.signature();
    for (auto it = userInfo.cbegin(); it != userInfo.cend(); ++it)
        received.valueTypes.insert(it.key(), busSignature(it.value()));
    received.userInfo = userInfoFromBus(call.arguments().value(0));
    m_received.append(received);
    Q_EMIT messageReceived();

    QDBusConnection connection = QDBusConnection(m_connectionName);
    switch (mode) {
    case Mode::reply:
        return replyUserInfo;
    case Mode::error:
        call.setDelayedReply(true);
        connection.send(call.createErrorReply(
            QStringLiteral("com.quilmera.saltrig.Error.Failed"), QStringLiteral("refused for the test")));
        return {};
    case Mode::withhold:
        call.setDelayedReply(true);
        m_withheld.append(call);
        return {};
    case Mode::wrongShape:
        call.setDelayedReply(true);
        connection.send(call.createReply(QVariant(QStringLiteral("not a dictionary"))));
        return {};
    }
    return {};
}

} // namespace tarnik::testing
