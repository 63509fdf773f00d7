#include "Entries/EntryViewModel.h"

#include "App/PersistentCacher.h"
#include "App/Preferences.h"
#include "Entries/Entry.h"
#include "Entries/MediaProbe.h"
#include "Platform/StandardFolders.h"

#include <QBuffer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

// The row file holds the encoded row as it was when persisted; the cache passes bytes through.
PersistentCache<QByteArray> rowCache(const QString &identifier, const QString &path)
{
    return PersistentCache<QByteArray> {
        identifier,
        path,
        [](const QByteArray &bytes) -> std::optional<QByteArray> { return bytes; },
        [](const QByteArray &bytes) -> std::optional<QByteArray> { return bytes; },
    };
}

// An integer JSON value; none for anything else, fractions included.
std::optional<qint64> integerValue(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != std::floor(number) || number < -9.0e15 || number > 9.0e15)
        return std::nullopt;
    return static_cast<qint64>(number);
}

std::optional<QString> optionalText(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

struct EntryViewModel::Decoded
{
    QString identifier;
    QString url;
    EntryType type;
    UpdateState state;
    QString title;
    std::optional<QString> artist;
    std::optional<QString> extensionString;
    QImage image;
    std::optional<FileState> fileState;
};

EntryViewModel::EntryViewModel(
    const Entry &entry, std::optional<bool> hasVideoTrack, std::optional<std::optional<FileState>> fileState)
    : m_identifier(entry.identifier())
    , m_url(entry.path())
    , m_type(entry.type())
    , m_typeIsProvisional(entry.isTypeProvisional())
    , m_title(entry.name())
    , m_fileState(fileState ? *fileState : FileState::of(entry.path()))
    , m_name(entry.name())
{
    if (m_type == EntryType::exportable)
        m_hasVideoTrack = hasVideoTrack ? *hasVideoTrack : MediaProbe::of(m_url, m_fileState).hasVideoTrack();
    applyTypeLook();
}

void EntryViewModel::applyTypeLook()
{
    switch (m_type) {
    case EntryType::directory:
        m_image = folderImage();
        m_accessoryImage = accessoryArrowImage();
        break;
    case EntryType::exportable:
        m_image = m_hasVideoTrack.value_or(false) ? videoIcon() : audioIcon();
        m_accessoryImage = accessoryMoreImage();
        break;
    case EntryType::image:
        m_image = rasterImageIcon();
        m_accessoryImage = accessoryMoreImage();
        break;
    case EntryType::regular:
        m_image = genericFileImage();
        m_accessoryImage = QImage();
        break;
    }
}

void EntryViewModel::settleType(EntryType type, std::optional<bool> hasVideoTrack)
{
    const bool changed = type != m_type || (type == EntryType::exportable && hasVideoTrack != m_hasVideoTrack);
    m_typeIsProvisional = false;
    m_type = type;
    m_hasVideoTrack = type == EntryType::exportable ? hasVideoTrack : std::nullopt;
    // A loaded row keeps its picture; only a row still showing its type's icon takes the new one.
    if (changed) {
        const QImage picture = m_image;
        applyTypeLook();
        if (m_state == UpdateState::updated)
            m_image = picture;
    }
}

EntryViewModel::EntryViewModel(Decoded &&decoded)
    : m_identifier(std::move(decoded.identifier))
    , m_url(std::move(decoded.url))
    , m_type(decoded.type)
    , m_state(decoded.state)
    , m_title(std::move(decoded.title))
    , m_artist(std::move(decoded.artist))
    , m_extensionString(std::move(decoded.extensionString))
    , m_image(std::move(decoded.image))
    , m_fileState(decoded.fileState)
    , m_name(QFileInfo(m_url).fileName())
{
}

EntryViewModel::~EntryViewModel() = default;

QByteArray EntryViewModel::encode() const
{
    QJsonObject object;
    object.insert(QStringLiteral("identifier"), m_identifier);
    object.insert(QStringLiteral("url"), m_url);
    object.insert(QStringLiteral("type"), rawValue(m_type));
    object.insert(QStringLiteral("state"), rawValue(m_state));
    object.insert(QStringLiteral("title"), m_title);
    object.insert(QStringLiteral("artist"), m_artist ? QJsonValue(*m_artist) : QJsonValue(QJsonValue::Null));
    object.insert(QStringLiteral("extensionString"),
        m_extensionString ? QJsonValue(*m_extensionString) : QJsonValue(QJsonValue::Null));
    QJsonValue imageData(QJsonValue::Null);
    if (!m_image.isNull()) {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        // JPEG has no alpha: icons are laid on white, as a row shows them.
        QImage opaque(m_image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        {
            QPainter painter(&opaque);
            painter.drawImage(0, 0, m_image);
        }
        if (buffer.open(QIODevice::WriteOnly) && opaque.save(&buffer, "JPEG", 70))
            imageData = QString::fromLatin1(jpeg.toBase64());
    }
    object.insert(QStringLiteral("imageData"), imageData);
    object.insert(QStringLiteral("fileState"), m_fileState ? QJsonValue(m_fileState->jsonObject()) : QJsonValue(QJsonValue::Null));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::shared_ptr<EntryViewModel> EntryViewModel::decode(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return nullptr;
    const QJsonObject object = document.object();

    const QJsonValue identifier = object.value(QStringLiteral("identifier"));
    const QJsonValue url = object.value(QStringLiteral("url"));
    const QJsonValue title = object.value(QStringLiteral("title"));
    if (!identifier.isString() || !url.isString() || !title.isString())
        return nullptr;
    const std::optional<qint64> typeRaw = integerValue(object.value(QStringLiteral("type")));
    const std::optional<qint64> stateRaw = integerValue(object.value(QStringLiteral("state")));
    const std::optional<EntryType> type = typeRaw ? entryTypeFromRawValue(*typeRaw) : std::nullopt;
    const std::optional<UpdateState> state = stateRaw ? updateStateFromRawValue(*stateRaw) : std::nullopt;
    if (!type || !state)
        return nullptr;
    const QJsonValue imageData = object.value(QStringLiteral("imageData"));
    if (!imageData.isString())
        return nullptr;
    const auto bytes
        = QByteArray::fromBase64Encoding(imageData.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!bytes)
        return nullptr;

    Decoded decoded { identifier.toString(), url.toString(), *type, *state, title.toString(),
        optionalText(object.value(QStringLiteral("artist"))),
        optionalText(object.value(QStringLiteral("extensionString"))), QImage::fromData(*bytes),
        FileState::fromJson(object.value(QStringLiteral("fileState"))) };
    return std::shared_ptr<EntryViewModel>(new EntryViewModel(std::move(decoded)));
}

void EntryViewModel::setState(UpdateState state)
{
    m_state = state;
    if (state == UpdateState::updated) {
        cacheInMemory();
        persist();
    }
}

void EntryViewModel::cacheInMemory()
{
    if (m_state == UpdateState::updated)
        viewModelCache().setObject(m_identifier, shared_from_this());
}

void EntryViewModel::persist()
{
    if (!Preferences::usePersistentCache() || m_type == EntryType::directory || m_state != UpdateState::updated)
        return;
    cacher().persist(encode(), rowCache(m_identifier, m_url), [](bool) {});
}

bool EntryViewModel::isCached() const
{
    if (!Preferences::usePersistentCache())
        return false;
    const QFileInfo file(persistentCachePath());
    return file.isFile() && file.isReadable();
}

QString EntryViewModel::persistentCachePath() const
{
    // The cacher's folder is the temporary folder itself; asking it needs no cacher.
    return StandardFolders::temporaryDirectory() + m_identifier;
}

void EntryViewModel::loadFromPersistentCache(LoadCompletion completion)
{
    if (!isCached())
        return;
    // The accessory is not stored on disk: the copy takes this row's. Read here, on the caller's
    // thread, since this row is the caller's.
    const QImage accessory = m_accessoryImage;
    const QString expectedPath = m_url;
    const std::optional<FileState> expectedState = m_fileState;
    const std::weak_ptr<EntryViewModel> asker = weak_from_this();
    cacher().load<QByteArray>(rowCache(m_identifier, m_url),
        [asker, accessory, expectedPath, expectedState, completion](std::optional<QByteArray> bytes) {
            if (asker.expired())
                return;
            std::shared_ptr<EntryViewModel> copy = bytes ? decode(*bytes) : nullptr;
            // Saved for another path, or for another version of the file (older caches record
            // none): the row is loaded afresh and its file rewritten.
            if (copy && (copy->url() != expectedPath || !isSameFileState(copy->fileState(), expectedState)))
                copy = nullptr;
            if (copy)
                copy->m_accessoryImage = accessory;
            if (completion)
                completion(copy);
            if (copy)
                copy->cacheInMemory();
        });
}

PersistentCacher &EntryViewModel::cacher()
{
    if (!m_persistentCacher)
        m_persistentCacher = std::make_shared<PersistentCacher>(PersistentCacher::CacheDestination::temporary());
    return *m_persistentCacher;
}

ObjectCache<EntryViewModel> &viewModelCache()
{
    // Counted in rows, not bytes: a row's picture is never larger than one thumbnail, and the
    // type icons are one image shared by all rows.
    static ObjectCache<EntryViewModel> cache({}, 0, kViewModelCacheMinimumRows);
    return cache;
}

void fitViewModelCacheToScreen(int visibleRows)
{
    viewModelCache().setCountLimit(
        std::max<qsizetype>(kViewModelCacheMinimumRows, qsizetype(std::max(0, visibleRows)) * kViewModelCacheScreens));
}

} // namespace tarnik
