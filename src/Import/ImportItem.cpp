#include "Import/ImportItem.h"

#include "App/Globals.h"
#include "App/PathExtension.h"
#include "App/PersistentCacher.h"
#include "Platform/Messaging/SaltrigProtocol.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonValue>
#include <charconv>
#include <cmath>
#include <iterator>
#include <mutex>
#include <utility>

namespace tarnik {

namespace {

constexpr std::array<std::pair<ImportItem::Key, QLatin1String>, 7> kKeys { {
    { ImportItem::Key::mediaKind, QLatin1String("mediaKind") },
    { ImportItem::Key::metadata, QLatin1String("metadata") },
    { ImportItem::Key::path, QLatin1String("path") },
    { ImportItem::Key::isUpdatedByUser, QLatin1String("isDetailedImport") },
    { ImportItem::Key::isSoundcloud, QLatin1String("isSoundcloud") },
    { ImportItem::Key::timeRange, QLatin1String("timeRange") },
    { ImportItem::Key::volume, QLatin1String("volume") },
} };

namespace RecordKey = SaltrigProtocol::RecordKey;

constexpr std::array<std::pair<ImportItem::CodingKey, QLatin1String>, 7> kCodingKeys { {
    { ImportItem::CodingKey::mediaKind, RecordKey::mediaKind },
    { ImportItem::CodingKey::path, RecordKey::path },
    { ImportItem::CodingKey::metadata, RecordKey::metadata },
    { ImportItem::CodingKey::isUpdatedByUser, RecordKey::isUpdatedByUser },
    { ImportItem::CodingKey::isSoundcloud, RecordKey::isSoundcloud },
    { ImportItem::CodingKey::volume, RecordKey::volume },
    { ImportItem::CodingKey::timeRangeDict, RecordKey::timeRangeDict },
} };

template<typename Enum, std::size_t N>
QString textOf(const std::array<std::pair<Enum, QLatin1String>, N> &table, Enum key)
{
    for (const auto &[k, text] : table) {
        if (k == key)
            return text;
    }
    return {};
}

template<typename Enum, std::size_t N>
std::optional<Enum> keyOf(const std::array<std::pair<Enum, QLatin1String>, N> &table, const QString &text)
{
    for (const auto &[key, t] : table) {
        if (text == t)
            return key;
    }
    return std::nullopt;
}

// The float as the number its shortest text stands for, so 0.8f is written as
// 0.8 rather than as the double nearest to the float (0.800000011920929).
double jsonNumber(float value)
{
    char text[64];
    const auto [end, error] = std::to_chars(std::begin(text), std::end(text), value);
    if (error != std::errc())
        return value;
    double number = value;
    std::from_chars(std::begin(text), end, number);
    return number;
}

// The metadata's JSON document, artwork left out (the envelope carries it), or
// "null" without metadata. No value when it holds a number JSON cannot write.
std::optional<QByteArray> metadataDocument(const std::optional<Metadata> &metadata)
{
    if (!metadata)
        return QByteArrayLiteral("null");
    if (metadata->duration && !std::isfinite(*metadata->duration))
        return std::nullopt;
    Metadata copy = *metadata;
    copy.artwork.reset();
    return QJsonDocument(copy.jsonObject()).toJson(QJsonDocument::Compact);
}

} // namespace

QString ImportItem::rawValue(Key key)
{
    return textOf(kKeys, key);
}

std::optional<ImportItem::Key> ImportItem::keyFromRawValue(const QString &rawValue)
{
    return keyOf(kKeys, rawValue);
}

const std::array<ImportItem::Key, 7> &ImportItem::allKeys()
{
    static const std::array<Key, 7> keys { Key::mediaKind, Key::metadata, Key::path, Key::isUpdatedByUser,
        Key::isSoundcloud, Key::timeRange, Key::volume };
    return keys;
}

QString ImportItem::stringValue(CodingKey key)
{
    return textOf(kCodingKeys, key);
}

std::optional<ImportItem::CodingKey> ImportItem::codingKeyFromString(const QString &stringValue)
{
    return keyOf(kCodingKeys, stringValue);
}

const std::array<ImportItem::CodingKey, 7> &ImportItem::allCodingKeys()
{
    static const std::array<CodingKey, 7> keys { CodingKey::mediaKind, CodingKey::path, CodingKey::metadata,
        CodingKey::isUpdatedByUser, CodingKey::isSoundcloud, CodingKey::volume, CodingKey::timeRangeDict };
    return keys;
}

struct ImportItem::CacherSlot
{
    std::once_flag once;
    std::unique_ptr<PersistentCacher> cacher;
};

ImportItem::ImportItem(MediaKind mediaKind_, const QString &path_, const std::optional<Metadata> &metadata_)
    : mediaKind(mediaKind_)
    , path(path_)
    , metadata(metadata_)
    , m_cacherSlot(std::make_shared<CacherSlot>())
{
}

ImportItem::ImportItem(const QString &path_, const std::optional<Metadata> &metadata_)
    : ImportItem(MediaKind::song, path_, metadata_)
{
}

std::optional<QJsonObject> ImportItem::jsonObject() const
{
    if (!std::isfinite(volume)) {
        _print(QStringLiteral("Failed to encode import item, its volume is not a finite number.\nError: ") + path);
        return std::nullopt;
    }
    const std::optional<QByteArray> metadataBytes = metadataDocument(metadata);
    if (!metadataBytes) {
        _print(QStringLiteral("Failed to encode import item, its metadata holds a number that is not finite.\nError: ")
            + path);
        return std::nullopt;
    }

    QJsonObject object;
    object.insert(RecordKey::mediaKind, mediaKind.rawValue());
    object.insert(RecordKey::path, path);
    object.insert(RecordKey::volume, jsonNumber(volume));
    object.insert(RecordKey::metadata, QString::fromLatin1(metadataBytes->toBase64()));
    object.insert(RecordKey::isUpdatedByUser, isUpdatedByUser);
    object.insert(RecordKey::isSoundcloud, isSoundcloud);
    object.insert(RecordKey::timeRangeDict, QJsonObject::fromVariantMap(timeRange.toDictionary()));
    return object;
}

std::optional<QByteArray> ImportItem::data() const
{
    const std::optional<QJsonObject> object = jsonObject();
    if (!object)
        return std::nullopt;
    return QJsonDocument(*object).toJson(QJsonDocument::Compact);
}

QVariantMap ImportItem::dictionaryRepresentation() const
{
    QVariantMap dictionary;
    dictionary.insert(rawValue(Key::mediaKind), mediaKind.rawValue());
    if (metadata) {
        if (const std::optional<QVariantMap> form = metadata->dictionaryRepresentation())
            dictionary.insert(rawValue(Key::metadata), *form);
    }
    dictionary.insert(rawValue(Key::path), path);
    dictionary.insert(rawValue(Key::timeRange), timeRange.toDictionary());
    dictionary.insert(rawValue(Key::volume), QVariant::fromValue(volume));
    dictionary.insert(rawValue(Key::isUpdatedByUser), isUpdatedByUser);
    dictionary.insert(rawValue(Key::isSoundcloud), isSoundcloud);
    return dictionary;
}

QString ImportItem::identifier() const
{
    return PathExtension(path).identifier();
}

QUrl ImportItem::url() const
{
    return QUrl::fromLocalFile(path);
}

bool ImportItem::isExportable() const
{
    return PathExtension(path).isExportable();
}

bool ImportItem::hasAudioTrack() const
{
    return PathExtension(path).hasAudioTrack();
}

bool ImportItem::hasVideoTrack() const
{
    return PathExtension(path).hasVideoTrack();
}

PersistentCacher &ImportItem::persistentCacher() const
{
    std::call_once(m_cacherSlot->once, [slot = m_cacherSlot.get()] {
        slot->cacher = std::make_unique<PersistentCacher>(PersistentCacher::CacheDestination::temporary());
    });
    return *m_cacherSlot->cacher;
}

bool ImportItem::isPersisted() const
{
    return QFileInfo(persistentCacher().filePath(identifier())).isReadable();
}

void ImportItem::persistToDisk(std::function<void(bool)> completion)
{
    if (!m_persistentCache) {
        auto cache = std::make_shared<PersistentCache<ImportItem>>();
        cache->identifier = identifier();
        cache->path = path;
        cache->transform = [](const ImportItem &item) { return item.data(); };
        // The cache only marks that a record was kept; reading it back gives a
        // plain record for the same path.
        const QString itemPath = path;
        cache->reverse = [itemPath](const QByteArray &) { return std::optional<ImportItem>(ImportItem(itemPath)); };
        m_persistentCache = std::move(cache);
    }
    persistentCacher().persist(*this, *m_persistentCache, [completion = std::move(completion)](bool success) {
        if (success)
            _print(QStringLiteral("Successfully persisted import item."));
        if (completion)
            completion(success);
    });
}

} // namespace tarnik
