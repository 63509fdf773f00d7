#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QLatin1String>
#include <QList>
#include <QMap>
#include <QString>
#include <QtGlobal>
#include <optional>

// The wire contract between the app and the companion service, in one place so
// that both ends (the app's client and the companion stand-in) read it from the
// same header. Plain Qt types only; nothing here touches the bus.
//
// Transport: one D-Bus method call per request on the session bus (the system
// bus when TARNIK_BUS=system). The argument and the reply are each one a{sv}
// dictionary, the request's user-info: the operation code under "identifier"
// as `u`; for an import, "items" as `aay` whose first element is the import
// envelope's JSON and the rest the import records' JSON, in the order given.
namespace tarnik::SaltrigProtocol {

inline constexpr QLatin1String serviceName("com.quilmera.saltrig.center");
inline constexpr QLatin1String objectPath("/");
inline constexpr QLatin1String interfaceName("com.quilmera.saltrig");
inline constexpr QLatin1String methodName("message");
// The message name as the app names it: interface and member joined.
inline constexpr QLatin1String messageName("com.quilmera.saltrig.message");

// How long a request waits for its reply before it counts as unanswered.
inline constexpr int replyTimeoutMilliseconds = 10'000;

// TARNIK_BUS chooses the bus: "system" for the system bus, anything else
// (or unset) for the session bus.
inline constexpr char busEnvironmentVariable[] = "TARNIK_BUS";
bool usesSystemBus();

// User-info keys.
inline constexpr QLatin1String identifierKey("identifier");
inline constexpr QLatin1String resultKey("result");
inline constexpr QLatin1String pathKey("path");
inline constexpr QLatin1String sourceKey("source");
inline constexpr QLatin1String flagKey("flag");
inline constexpr QLatin1String dictionaryToWriteKey("dictionaryToWrite");
inline constexpr QLatin1String itemsKey("items");

// Operation codes carried under "identifier".
enum class Operation : quint32 {
    deviceIdentifier = 18,
    importMedia = 21,
};

// ---- Import payload --------------------------------------------------------

// JSON keys of an import record ("isUpdatedByUser" and "timeRangeDict" differ
// from the record's dictionary form, which the service never sees).
namespace RecordKey {
inline constexpr QLatin1String mediaKind("mediaKind");
inline constexpr QLatin1String path("path");
inline constexpr QLatin1String metadata("metadata");
inline constexpr QLatin1String isUpdatedByUser("isUpdatedByUser");
inline constexpr QLatin1String isSoundcloud("isSoundcloud");
inline constexpr QLatin1String volume("volume");
inline constexpr QLatin1String timeRangeDict("timeRangeDict");
} // namespace RecordKey

// JSON keys of the import envelope.
namespace EnvelopeKey {
inline constexpr QLatin1String bundleId("bundleId");
inline constexpr QLatin1String artworks("artworks");
} // namespace EnvelopeKey

// One media time in its dictionary form, as a record carries it.
struct DecodedTime
{
    qint64 value = 0;
    qint64 timescale = 0;
    qint64 flags = 0;
    qint64 epoch = 0;
};

struct DecodedTimeRange
{
    DecodedTime start;
    DecodedTime duration;
};

// An import record as the service reads it.
struct DecodedImportRecord
{
    QString mediaKind;
    QString path;
    double volume = 1.0;
    // The record's metadata JSON object (its field names as keys, artwork never
    // present); no value when the record carries none (JSON null).
    std::optional<QJsonObject> metadata;
    bool isUpdatedByUser = false;
    bool isSoundcloud = false;
    // No value when the record wrote null for its range.
    std::optional<DecodedTimeRange> timeRange;
};

// An import envelope as the service reads it.
struct DecodedImportEnvelope
{
    QString bundleId;
    // Path -> artwork bytes (no value where the record had none); absent when
    // the envelope carries no map.
    std::optional<QMap<QString, std::optional<QByteArray>>> artworks;
};

// Strict readers: no value unless every key is present with the type the app
// writes ("metadata" is the Base64 text of a JSON object or of null).
std::optional<DecodedImportRecord> decodeImportRecord(const QByteArray &json);
std::optional<DecodedImportEnvelope> decodeImportEnvelope(const QByteArray &json);

} // namespace tarnik::SaltrigProtocol
