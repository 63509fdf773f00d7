#include "Tools/Ringtone.h"

#include "App/Preferences.h"
#include "Tools/RingtoneCatalogueFile.h"

namespace tarnik {

Ringtone::Ringtone(QString identifier, QString name)
    : m_identifier(std::move(identifier))
    , m_name(std::move(name))
{
}

bool Ringtone::setName(const QString &name)
{
    return setName(name, Preferences::ringtonesPlistPath());
}

bool Ringtone::setName(const QString &name, const QString &cataloguePath)
{
    m_name = name;
    if (name.isEmpty())
        return false;
    std::optional<RingtoneCatalogueFile::Document> document = RingtoneCatalogueFile::read(cataloguePath);
    if (!document)
        return false;
    std::optional<QVariantMap> ringtones = RingtoneCatalogueFile::ringtones(document->root);
    if (!ringtones || ringtones->isEmpty())
        return false;
    const auto entry = ringtones->find(m_identifier);
    if (entry == ringtones->end() || entry->typeId() != QMetaType::QVariantMap)
        return false;
    QVariantMap fields = entry->toMap();
    fields.insert(RingtoneCatalogueFile::kNameKey, name);
    *entry = fields;
    document->root.insert(RingtoneCatalogueFile::kRingtonesKey, *ringtones);
    return RingtoneCatalogueFile::write(cataloguePath, *document);
}

QString Ringtone::description() const
{
    return QStringLiteral("Ringtone(identifier: \"%1\", name: \"%2\")").arg(m_identifier, m_name);
}

} // namespace tarnik
