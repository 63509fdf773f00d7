#include "App/SaltrigUtils.h"

#include "Platform/Dispatch.h"
#include "Platform/Messaging/MessagingCenter.h"
#include "Platform/Messaging/SaltrigProtocol.h"

#include <QByteArrayList>
#include <QVariantMap>
#include <array>
#include <utility>

namespace tarnik {

namespace {

constexpr std::array<std::pair<SaltrigUtils::MessageKey, QLatin1String>, 6> kMessageKeys { {
    { SaltrigUtils::MessageKey::result, SaltrigProtocol::resultKey },
    { SaltrigUtils::MessageKey::path, SaltrigProtocol::pathKey },
    { SaltrigUtils::MessageKey::source, SaltrigProtocol::sourceKey },
    { SaltrigUtils::MessageKey::flag, SaltrigProtocol::flagKey },
    { SaltrigUtils::MessageKey::dictionaryToWrite, SaltrigProtocol::dictionaryToWriteKey },
    { SaltrigUtils::MessageKey::items, SaltrigProtocol::itemsKey },
} };

// One request: the operation code under "identifier" and the keyed entries.
std::optional<QVariantMap> send(SaltrigProtocol::Operation operation, const QVariantMap &entries)
{
    const auto center = MessagingCenter::centerNamed(SaltrigProtocol::serviceName);
    if (!center)
        return std::nullopt;
    QVariantMap userInfo = entries;
    userInfo.insert(SaltrigProtocol::identifierKey, static_cast<quint32>(operation));
    return center->sendMessageAndReceiveReply(SaltrigProtocol::messageName, userInfo);
}

} // namespace

QString SaltrigUtils::rawValue(MessageKey key)
{
    for (const auto &[k, text] : kMessageKeys) {
        if (k == key)
            return text;
    }
    return {};
}

std::optional<SaltrigUtils::MessageKey> SaltrigUtils::messageKeyFromRawValue(const QString &rawValue)
{
    for (const auto &[key, text] : kMessageKeys) {
        if (rawValue == text)
            return key;
    }
    return std::nullopt;
}

std::optional<QString> SaltrigUtils::deviceIdentifier()
{
    const auto reply = send(SaltrigProtocol::Operation::deviceIdentifier, {});
    if (!reply)
        return std::nullopt;
    const QVariant result = reply->value(rawValue(MessageKey::result));
    if (result.metaType() != QMetaType::fromType<QString>())
        return std::nullopt;
    return result.toString();
}

void SaltrigUtils::deviceIdentifier(std::function<void(const std::optional<QString> &)> completion)
{
    Dispatch::global([completion = std::move(completion)]() mutable {
        const std::optional<QString> identifier = deviceIdentifier();
        Dispatch::main([completion = std::move(completion), identifier] {
            if (completion)
                completion(identifier);
        });
    });
}

bool SaltrigUtils::importItems(const QList<QByteArray> &items)
{
    if (items.isEmpty())
        return true;
    QVariantMap entries;
    entries.insert(rawValue(MessageKey::items), QVariant::fromValue(QByteArrayList(items)));
    return send(SaltrigProtocol::Operation::importMedia, entries).has_value();
}

} // namespace tarnik
