#include "SaltrigImporter.h"

#include "App/Preferences.h"
#include "Import/AudioConverter.h"
#include "Import/MediaKind.h"
#include "Import/Metadata.h"
#include "LibraryFileNames.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/Media/Mp4TagWriter.h"
#include "Platform/Media/RegularFile.h"
#include "Platform/MediaTime.h"
#include "RingtoneCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonValue>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cmath>
#include <future>
#include <sys/stat.h>
#include <vector>

namespace tarnik {

namespace {

SaltrigImporter::Outcome refused(const QString &reason)
{
    return { false, QString(), reason };
}

QVariantMap timeDictionary(const SaltrigProtocol::DecodedTime &time)
{
    return {
        { QStringLiteral("value"), time.value },
        { QStringLiteral("timescale"), time.timescale },
        { QStringLiteral("flags"), time.flags },
        { QStringLiteral("epoch"), time.epoch },
    };
}

// The record's trim range; the zero range (the whole file) when it has none.
std::optional<MediaTimeRange> timeRangeOf(const SaltrigProtocol::DecodedImportRecord &record)
{
    if (!record.timeRange)
        return MediaTimeRange::zero();
    const std::optional<MediaTimeRange> range = MediaTimeRange::fromDictionary(QVariantMap {
        { QStringLiteral("start"), timeDictionary(record.timeRange->start) },
        { QStringLiteral("duration"), timeDictionary(record.timeRange->duration) },
    });
    if (!range || !range->isValid())
        return std::nullopt;
    if (*range == MediaTimeRange::zero())
        return MediaTimeRange::zero();
    // A range must lie within real time: a numeric, non-negative start and a
    // numeric, positive length.
    if (!range->start.isNumeric() || range->start.seconds() < 0 || !range->duration.isNumeric()
        || !(range->duration.seconds() > 0))
        return std::nullopt;
    return range;
}

// A temporary file in `folder`, hidden, whose name the caller takes over.
std::optional<QString> temporaryFileIn(const QString &folder, const QString &extension)
{
    QTemporaryFile file(folder + QStringLiteral("/.saltrig-XXXXXX.") + extension);
    file.setAutoRemove(false);
    if (!file.open())
        return std::nullopt;
    return file.fileName();
}

// The names temporaryFileIn() makes, and the names the export session makes
// for its own partial output beside such a file.
bool isStaleTemporaryName(const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\.saltrig-[A-Za-z0-9]{6}\\.[A-Za-z0-9]{1,8}|\\.\\.saltrig-[A-Za-z0-9]{6}\\.[A-Za-z0-9]{1,8}"
                       "\\.[0-9a-z]+\\.m4a)$"));
    return pattern.match(name).hasMatch();
}

// Copies a regular file into an existing file, reading through a descriptor
// that refuses anything but a regular file.
bool copyRegularFile(const QString &source, const QString &destination)
{
    const RegularFile input(source);
    if (!input.isOpen())
        return false;
    QFile output(destination);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    std::vector<char> buffer(1 << 20);
    std::int64_t offset = 0;
    for (;;) {
        const std::int64_t count = input.readAt(offset, buffer.data(), std::int64_t(buffer.size()));
        if (count < 0)
            return false;
        if (count == 0)
            break;
        if (output.write(buffer.data(), count) != count)
            return false;
        offset += count;
    }
    return output.flush();
}

// Library files are for every program of the user to read.
void makeReadable(const QString &path)
{
    QFile::setPermissions(
        path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

// Gives a finished temporary file its library name in `folder`, readable by
// all; none when no name is free, and then the temporary file is removed.
std::optional<QString> moveFinishedFile(
    const QString &temporary, const QString &folder, const QString &baseName, const QString &extension)
{
    const std::optional<QString> destination = LibraryFileNames::moveIntoPlace(temporary, folder, baseName, extension);
    if (!destination) {
        QFile::remove(temporary);
        return std::nullopt;
    }
    makeReadable(*destination);
    return destination;
}

// The record's fields that the export's key map leaves out, in the atoms players read them
// from: a podcast's name (shown as its album), its address, and a show's series, season and
// episode. Without them what the user typed for a podcast would never reach the library.
QList<ExportSession::MetadataItem> libraryOnlyItems(const QVariantMap &metadata)
{
    using K = Metadata::Key;
    static const std::pair<K, const char *> kAtoms[] = {
        { K::podcastName, "@alb" },
        { K::podcastUrl, "purl" },
        { K::seriesName, "tvsh" },
        { K::seasonNumber, "tvsn" },
        { K::episodeNumber, "tves" },
    };
    QList<ExportSession::MetadataItem> items;
    for (const auto &[key, atom] : kAtoms) {
        const QVariant value = metadata.value(Metadata::rawValue(key));
        if (value.isValid())
            items.append({ QString::fromLatin1(atom), value });
    }
    return items;
}

} // namespace

SaltrigImporter::SaltrigImporter(AudioConverter &converter, QString homeDirectory)
    : m_converter(converter)
    , m_home(std::move(homeDirectory))
{
}

void SaltrigImporter::removeStaleTemporaryFiles() const
{
    QStringList folders { musicFolder(), podcastsFolder(), purchasesFolder() };
    for (const MediaKind kind :
        { MediaKind::videoPodcast, MediaKind::musicVideo, MediaKind::featureMovie, MediaKind::tvEpisode })
        folders.append(videosFolder(MediaKind(kind).rawValue()));
    for (const QString &folder : folders) {
        const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : names) {
            const QString path = folder + QLatin1Char('/') + name;
            struct stat info = {};
            // Only files: a link or a folder of that name is nothing the importer made.
            if (isStaleTemporaryName(name) && ::lstat(QFile::encodeName(path).constData(), &info) == 0
                && S_ISREG(info.st_mode))
                QFile::remove(path);
        }
    }
}

QString SaltrigImporter::musicFolder() const
{
    return m_home + QStringLiteral("/Media/Library/Music");
}

QString SaltrigImporter::podcastsFolder() const
{
    return m_home + QStringLiteral("/Media/Library/Podcasts");
}

QString SaltrigImporter::purchasesFolder() const
{
    return m_home + QStringLiteral("/Media/Purchases");
}

QString SaltrigImporter::ringtoneCataloguePath() const
{
    return purchasesFolder() + QStringLiteral("/Ringtones.plist");
}

QString SaltrigImporter::videosFolder(const QString &kind) const
{
    return m_home + QStringLiteral("/Media/Library/Videos/") + kind;
}

std::optional<QVariantMap> SaltrigImporter::metadataDictionary(
    const std::optional<QJsonObject> &json, const std::optional<QByteArray> &artwork)
{
    QVariantMap dictionary;
    if (json) {
        for (const Metadata::Key key : Metadata::allKeys()) {
            // The JSON never carries artwork; the envelope does.
            if (key == Metadata::Key::artwork)
                continue;
            const QJsonValue value = json->value(Metadata::codingKey(key));
            if (value.isString())
                dictionary.insert(Metadata::rawValue(key), value.toString());
            else if (value.isDouble() && std::isfinite(value.toDouble()))
                dictionary.insert(Metadata::rawValue(key), value.toDouble());
        }
    }
    // The metadata record settles the types: texts stay texts, numbers become
    // integers where the field is one, anything else is dropped.
    Metadata metadata = Metadata::fromDictionary(dictionary);
    if (artwork && !artwork->isEmpty())
        metadata.artwork = *artwork;
    return metadata.dictionaryRepresentation();
}

SaltrigImporter::Outcome SaltrigImporter::importRecord(
    const SaltrigProtocol::DecodedImportRecord &record, const std::optional<QByteArray> &artwork) const
{
    const std::optional<MediaKind> kind = MediaKind::fromRawValue(record.mediaKind);
    if (!kind)
        return refused(QStringLiteral("unknown media kind"));
    const QString &path = record.path;
    if (path.isEmpty() || !QDir::isAbsolutePath(path) || path.contains(QChar(0)))
        return refused(QStringLiteral("the path is not absolute"));
    if (!RegularFile::isRegularFile(path))
        return refused(QStringLiteral("no regular file at the path"));
    if (!std::isfinite(record.volume) || record.volume < 0 || record.volume > 1)
        return refused(QStringLiteral("the volume is not a level"));

    const QVariantMap metadata = metadataDictionary(record.metadata, artwork).value_or(QVariantMap());
    switch (kind->value()) {
    case MediaKind::song:
        return importAudio(record, metadata, musicFolder(), QStringLiteral("m4a"), false);
    case MediaKind::podcast:
        return importAudio(record, metadata, podcastsFolder(), QStringLiteral("m4a"), false);
    case MediaKind::ringtone:
    case MediaKind::tone:
        return importAudio(record, metadata, purchasesFolder(), QStringLiteral("m4r"), true);
    case MediaKind::videoPodcast:
    case MediaKind::musicVideo:
    case MediaKind::featureMovie:
    case MediaKind::tvEpisode:
        return importVideo(record, metadata, videosFolder(kind->rawValue()));
    }
    return refused(QStringLiteral("unknown media kind"));
}

SaltrigImporter::Outcome SaltrigImporter::importAudio(const SaltrigProtocol::DecodedImportRecord &record,
    const QVariantMap &metadata, const QString &folder, const QString &extension, bool isRingtone) const
{
    const MediaAsset asset(record.path);
    if (!asset.isExportable() || !asset.hasAudioTrack())
        return refused(QStringLiteral("the file has no audio to import"));
    const std::optional<MediaTimeRange> timeRange = timeRangeOf(record);
    if (!timeRange)
        return refused(QStringLiteral("the trim range is not a range of time"));

    const bool trimmed = !(*timeRange == MediaTimeRange::zero());
    const float volume = float(record.volume);
    // A copied stream keeps its samples as they are, so any change of level
    // (a volume, or the fades of a trimmed file) needs the re-encode.
    const bool reencode = QFileInfo(record.path).suffix().toLower() != QStringLiteral("m4a") || volume != 1.0f
        || (trimmed && Preferences::Saltrig::shouldAddFadeInFadeOut());

    if (!QDir().mkpath(folder))
        return refused(QStringLiteral("cannot make the folder ") + folder);
    const std::optional<QString> temporary = temporaryFileIn(folder, extension);
    if (!temporary)
        return refused(QStringLiteral("cannot write into ") + folder);

    auto promise = std::make_shared<std::promise<bool>>();
    std::future<bool> written = promise->get_future();
    m_converter.convert(
        asset, *temporary, metadata, *timeRange, reencode, volume, [promise](bool ok) { promise->set_value(ok); });
    if (!written.get()) {
        QFile::remove(*temporary);
        return refused(QStringLiteral("the audio export failed"));
    }
    if (const QList<ExportSession::MetadataItem> extra = libraryOnlyItems(metadata);
        !extra.isEmpty() && !Mp4TagWriter::write(*temporary, extra)) {
        QFile::remove(*temporary);
        return refused(QStringLiteral("the tags could not be written"));
    }

    const QString title = metadata.value(Metadata::rawValue(Metadata::Key::title)).toString();
    const QString baseName = LibraryFileNames::safeBaseName(title, QFileInfo(record.path).completeBaseName());
    const std::optional<QString> destination = moveFinishedFile(*temporary, folder, baseName, extension);
    if (!destination)
        return refused(QStringLiteral("no free name in ") + folder);

    if (isRingtone) {
        const double seconds = MediaAsset(*destination).duration().value_or(0.0);
        const QString name = title.isEmpty() ? baseName : title;
        const RingtoneCatalogue catalogue(ringtoneCataloguePath());
        if (!catalogue.addRingtone(QFileInfo(*destination).fileName(), name, qint64(std::llround(seconds * 1000.0)))) {
            // A ringtone missing from the catalogue would only be clutter.
            QFile::remove(*destination);
            return refused(QStringLiteral("the ringtone catalogue cannot be updated"));
        }
    }
    return { true, *destination, QString() };
}

SaltrigImporter::Outcome SaltrigImporter::importVideo(
    const SaltrigProtocol::DecodedImportRecord &record, const QVariantMap &metadata, const QString &folder) const
{
    const MediaAsset asset(record.path);
    if (!asset.isExportable())
        return refused(QStringLiteral("the file is not media"));

    const QString extension = LibraryFileNames::safeExtension(QFileInfo(record.path).suffix());
    if (!QDir().mkpath(folder))
        return refused(QStringLiteral("cannot make the folder ") + folder);
    const std::optional<QString> temporary
        = temporaryFileIn(folder, extension.isEmpty() ? QStringLiteral("media") : extension);
    if (!temporary)
        return refused(QStringLiteral("cannot write into ") + folder);
    if (!copyRegularFile(record.path, *temporary)) {
        QFile::remove(*temporary);
        return refused(QStringLiteral("the copy failed"));
    }
    // Tags go where the container takes them; other containers keep the file as it is.
    if (!metadata.isEmpty() && Mp4TagWriter::canTag(*temporary)
        && !Mp4TagWriter::write(*temporary, AudioConverter::metadataItems(metadata) + libraryOnlyItems(metadata))) {
        QFile::remove(*temporary);
        return refused(QStringLiteral("the tags could not be written"));
    }

    const QString title = metadata.value(Metadata::rawValue(Metadata::Key::title)).toString();
    const QString baseName = LibraryFileNames::safeBaseName(title, QFileInfo(record.path).completeBaseName());
    const std::optional<QString> destination = moveFinishedFile(*temporary, folder, baseName, extension);
    if (!destination)
        return refused(QStringLiteral("no free name in ") + folder);
    return { true, *destination, QString() };
}

} // namespace tarnik
