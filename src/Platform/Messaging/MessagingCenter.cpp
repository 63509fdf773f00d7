#include "Platform/Messaging/MessagingCenter.h"

#include "Platform/Dispatch.h"
#include "Platform/Messaging/SaltrigProtocol.h"

#include <QByteArrayList>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDebug>

namespace tarnik {

namespace {

QDBusConnection bus()
{
    return SaltrigProtocol::usesSystemBus() ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
}

QVariant valueToBus(const QVariant &value)
{
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<QByteArrayList>()) {
        QDBusArgument argument;
        argument.beginArray(QMetaType::fromType<QByteArray>());
        for (const QByteArray &bytes : value.value<QByteArrayList>())
            argument << bytes;
        argument.endArray();
        return QVariant::fromValue(argument);
    }
    if (type == QMetaType::fromType<QVariantMap>())
        return userInfoToBus(value.toMap());
    if (type == QMetaType::fromType<QVariantList>()) {
        QVariantList list;
        for (const QVariant &element : value.toList())
            list.append(valueToBus(element));
        return list;
    }
    return value;
}

} // namespace

QVariantMap userInfoToBus(const QVariantMap &userInfo)
{
    QVariantMap result;
    for (auto it = userInfo.cbegin(); it != userInfo.cend(); ++it)
        result.insert(it.key(), valueToBus(it.value()));
    return result;
}

QVariant valueFromBus(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return valueFromBus(value.value<QDBusVariant>().variant());
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return value;

    const QDBusArgument argument = value.value<QDBusArgument>();
    switch (argument.currentType()) {
    case QDBusArgument::MapType: {
        QVariantMap map;
        argument.beginMap();
        while (!argument.atEnd()) {
            argument.beginMapEntry();
            const QVariant key = argument.asVariant();
            const QVariant entry = argument.asVariant();
            argument.endMapEntry();
            map.insert(key.toString(), valueFromBus(entry));
        }
        argument.endMap();
        return map;
    }
    case QDBusArgument::ArrayType: {
        if (argument.currentSignature() == QLatin1String("aay")) {
            QByteArrayList list;
            argument.beginArray();
            while (!argument.atEnd())
                list.append(argument.asVariant().toByteArray());
            argument.endArray();
            return QVariant::fromValue(list);
        }
        QVariantList list;
        argument.beginArray();
        while (!argument.atEnd())
            list.append(valueFromBus(argument.asVariant()));
        argument.endArray();
        return list;
    }
    case QDBusArgument::StructureType: {
        QVariantList list;
        argument.beginStructure();
        while (!argument.atEnd())
            list.append(valueFromBus(argument.asVariant()));
        argument.endStructure();
        return list;
    }
    default:
        return valueFromBus(argument.asVariant());
    }
}

QVariantMap userInfoFromBus(const QVariant &dictionary)
{
    const QVariant plain = valueFromBus(dictionary);
    return plain.metaType() == QMetaType::fromType<QVariantMap>() ? plain.toMap() : QVariantMap();
}

MessagingCenter::MessagingCenter(QString name)
    : m_name(std::move(name))
    , m_replyTimeoutMilliseconds(SaltrigProtocol::replyTimeoutMilliseconds)
{
}

std::optional<MessagingCenter> MessagingCenter::centerNamed(const QString &name)
{
    if (Dispatch::isMainThread()) {
        qWarning() << "MessagingCenter: refusing to look up" << name << "on the GUI thread";
        return std::nullopt;
    }
    if (name.isEmpty() || !bus().isConnected())
        return std::nullopt;
    return MessagingCenter(name);
}

std::optional<QVariantMap> MessagingCenter::sendMessageAndReceiveReply(
    const QString &messageName, const QVariantMap &userInfo) const
{
    if (Dispatch::isMainThread()) {
        qWarning() << "MessagingCenter: refusing to wait for" << messageName << "on the GUI thread";
        return std::nullopt;
    }
    const qsizetype dot = messageName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == messageName.size() - 1)
        return std::nullopt;

    QDBusMessage call = QDBusMessage::createMethodCall(
        m_name, SaltrigProtocol::objectPath, messageName.left(dot), messageName.mid(dot + 1));
    call.setArguments({ QVariant(userInfoToBus(userInfo)) });
    const QDBusMessage reply = bus().call(call, QDBus::Block, m_replyTimeoutMilliseconds);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qDebug().noquote() << "MessagingCenter: no reply to" << messageName << "from" << m_name << '-'
                           << reply.errorName() << reply.errorMessage();
        return std::nullopt;
    }
    if (reply.signature() != QLatin1String("a{sv}")) {
        qDebug().noquote() << "MessagingCenter: unexpected reply" << reply.signature() << "to" << messageName;
        return std::nullopt;
    }
    return userInfoFromBus(reply.arguments().constFirst());
}

} // namespace tarnik
