#include "Import/ImportObject.h"

#include "App/Constants.h"
#include "App/Globals.h"
#include "Platform/Messaging/SaltrigProtocol.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace tarnik {

ImportObject::ImportObject()
    : ImportObject(std::nullopt)
{
}

ImportObject::ImportObject(const std::optional<Artworks> &artworks_)
    : artworks(artworks_)
    , m_bundleId(Common::bundleIdentifier())
{
}

std::optional<QByteArray> ImportObject::data() const
{
    QJsonObject object;
    object.insert(SaltrigProtocol::EnvelopeKey::bundleId, m_bundleId);
    if (artworks) {
        QJsonObject map;
        for (auto it = artworks->cbegin(); it != artworks->cend(); ++it) {
            map.insert(it.key(),
                it.value() ? QJsonValue(QString::fromLatin1(it.value()->toBase64())) : QJsonValue(QJsonValue::Null));
        }
        object.insert(SaltrigProtocol::EnvelopeKey::artworks, map);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

const QString &backgroundImportMessage()
{
    static const QString message
        = _localizedString(QStringLiteral("Import is now progressing in the background.\n"
                                          "Your media should appear in its corresponding destination shortly."));
    return message;
}

} // namespace tarnik
