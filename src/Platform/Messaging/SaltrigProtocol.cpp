#include "Platform/Messaging/SaltrigProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <cmath>

namespace tarnik::SaltrigProtocol {

namespace {

// Any JSON text, scalars and null included: QJsonDocument only takes arrays and
// objects at the top, so the text is read as the one element of an array.
std::optional<QJsonValue> parseJsonValue(const QByteArray &json)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson('[' + json + ']', &error);
    if (error.error != QJsonParseError::NoError || !document.isArray() || document.array().size() != 1)
        return std::nullopt;
    return document.array().first();
}

std::optional<QByteArray> strictBase64(const QString &text)
{
    auto result = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return std::nullopt;
    return *result;
}

std::optional<qint64> integer(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::trunc(number) != number)
        return std::nullopt;
    return static_cast<qint64>(number);
}

std::optional<DecodedTime> decodeTime(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto v = integer(object.value(QLatin1String("value")));
    const auto timescale = integer(object.value(QLatin1String("timescale")));
    const auto flags = integer(object.value(QLatin1String("flags")));
    const auto epoch = integer(object.value(QLatin1String("epoch")));
    if (!v || !timescale || !flags || !epoch)
        return std::nullopt;
    return DecodedTime { *v, *timescale, *flags, *epoch };
}

} // namespace

bool usesSystemBus()
{
    return qEnvironmentVariable(busEnvironmentVariable) == QLatin1String("system");
}

std::optional<DecodedImportRecord> decodeImportRecord(const QByteArray &json)
{
    const auto root = parseJsonValue(json);
    if (!root || !root->isObject())
        return std::nullopt;
    const QJsonObject object = root->toObject();

    const QJsonValue mediaKind = object.value(RecordKey::mediaKind);
    const QJsonValue path = object.value(RecordKey::path);
    const QJsonValue volume = object.value(RecordKey::volume);
    const QJsonValue metadata = object.value(RecordKey::metadata);
    const QJsonValue isUpdatedByUser = object.value(RecordKey::isUpdatedByUser);
    const QJsonValue isSoundcloud = object.value(RecordKey::isSoundcloud);
    const QJsonValue timeRange = object.value(RecordKey::timeRangeDict);
    if (!mediaKind.isString() || !path.isString() || !volume.isDouble() || !metadata.isString()
        || !isUpdatedByUser.isBool() || !isSoundcloud.isBool() || !(timeRange.isNull() || timeRange.isObject()))
        return std::nullopt;

    DecodedImportRecord record;
    record.mediaKind = mediaKind.toString();
    record.path = path.toString();
    record.volume = volume.toDouble();
    record.isUpdatedByUser = isUpdatedByUser.toBool();
    record.isSoundcloud = isSoundcloud.toBool();

    const auto metadataBytes = strictBase64(metadata.toString());
    if (!metadataBytes)
        return std::nullopt;
    const auto metadataValue = parseJsonValue(*metadataBytes);
    if (!metadataValue || !(metadataValue->isNull() || metadataValue->isObject()))
        return std::nullopt;
    if (metadataValue->isObject())
        record.metadata = metadataValue->toObject();

    if (timeRange.isObject()) {
        const auto start = decodeTime(timeRange.toObject().value(QLatin1String("start")));
        const auto duration = decodeTime(timeRange.toObject().value(QLatin1String("duration")));
        if (!start || !duration)
            return std::nullopt;
        record.timeRange = DecodedTimeRange { *start, *duration };
    }
    return record;
}

std::optional<DecodedImportEnvelope> decodeImportEnvelope(const QByteArray &json)
{
    const auto root = parseJsonValue(json);
    if (!root || !root->isObject())
        return std::nullopt;
    const QJsonObject object = root->toObject();
    const QJsonValue bundleId = object.value(EnvelopeKey::bundleId);
    if (!bundleId.isString())
        return std::nullopt;

    DecodedImportEnvelope envelope;
    envelope.bundleId = bundleId.toString();
    if (!object.contains(EnvelopeKey::artworks))
        return envelope;

    const QJsonValue artworks = object.value(EnvelopeKey::artworks);
    if (!artworks.isObject())
        return std::nullopt;
    QMap<QString, std::optional<QByteArray>> map;
    const QJsonObject artworkObject = artworks.toObject();
    for (auto it = artworkObject.begin(); it != artworkObject.end(); ++it) {
        if (it.value().isNull()) {
            map.insert(it.key(), std::nullopt);
            continue;
        }
        if (!it.value().isString())
            return std::nullopt;
        const auto bytes = strictBase64(it.value().toString());
        if (!bytes)
            return std::nullopt;
        map.insert(it.key(), *bytes);
    }
    envelope.artworks = std::move(map);
    return envelope;
}

} // namespace tarnik::SaltrigProtocol
