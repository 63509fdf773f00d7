#include "Import/AudioConverter.h"

#include "App/Constants.h"
#include "App/Preferences.h"
#include "Import/Metadata.h"
#include "Platform/Media/MediaAsset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <sys/stat.h>

namespace tarnik {

namespace {

// One second, the length of each fade.
const MediaTime kFadeLength = MediaTime::make(1, 1);

// Whether two paths name one file: the same text once made absolute and
// cleaned, or the same file on disk reached through a link or another spelling.
bool isSameFile(const QString &a, const QString &b)
{
    if (QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath()))
        return true;
    struct stat first = {};
    struct stat second = {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
        && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

// The track number as the eight-byte "trkn" block: 0, number, 0, 0 in
// big-endian 16-bit words.
QByteArray trackNumberBlock(quint16 number)
{
    QByteArray block(8, '\0');
    block[2] = char(number >> 8);
    block[3] = char(number & 0xFF);
    return block;
}

} // namespace

AudioConverter::Environment AudioConverter::defaultEnvironment()
{
    return
    {
        [](const MediaAsset &asset, ExportSession::Preset preset) {
            return ExportSession::create(asset.path(), preset);
        },
            [] { return Preferences::Saltrig::shouldAddFadeInFadeOut(); },
    };
}

AudioConverter &AudioConverter::shared()
{
    static AudioConverter instance;
    return instance;
}

AudioConverter::AudioConverter()
    : AudioConverter(defaultEnvironment())
{
}

AudioConverter::AudioConverter(Environment environment)
    : m_environment(std::move(environment))
{
}

AudioConverter::~AudioConverter() = default;

void AudioConverter::convert(const MediaAsset &asset, const QString &outputPath,
    const std::optional<QVariantMap> &metadata, const MediaTimeRange &timeRange, bool shouldReencode, float volume,
    std::function<void(bool)> completion)
{
    // A file left from an earlier run goes first; the source itself never does.
    if (!isSameFile(asset.path(), outputPath))
        QFile::remove(outputPath);

    if (!shouldReencode) {
        // The audio-file service must read the file and tell its format.
        const std::optional<QString> format = asset.audioFileFormat();
        if (!format || format->isEmpty()) {
            completion(false);
            return;
        }
    }
    exportAsset(asset, outputPath, metadata, timeRange, shouldReencode, volume, std::move(completion));
}

void AudioConverter::exportAsset(const MediaAsset &asset, const QString &outputPath,
    const std::optional<QVariantMap> &metadata, const MediaTimeRange &timeRange, bool shouldReencode, float volume,
    std::function<void(bool)> completion)
{
    const bool copies = !shouldReencode && QFileInfo(asset.path()).suffix().toLower() == QStringLiteral("m4a");
    const ExportSession::Preset preset = copies ? ExportSession::Preset::Passthrough : ExportSession::Preset::AppleM4A;
    const std::shared_ptr<ExportSession> exporter = m_environment.makeExportSession(asset, preset);
    if (!exporter) {
        completion(false);
        return;
    }
    if (!asset.hasAudioTrack()) {
        completion(false);
        return;
    }
    exporter->setOutputPath(outputPath);
    exporter->setOutputFileType(ExportSession::fileTypeAppleM4A());
    if (metadata)
        exporter->setMetadata(metadataItems(*metadata));

    const bool wholeFile = timeRange == MediaTimeRange::zero();
    bool fades = false;
    if (!wholeFile) {
        if (timeRange.isIndefinite()) {
            completion(false);
            return;
        }
        exporter->setTimeRange(timeRange.start.seconds(), timeRange.duration.seconds());
        fades = m_environment.shouldAddFadeInFadeOut();
    }
    if (const std::optional<AudioMix> mix = audioMix(timeRange, volume, fades, asset.duration().value_or(0.0)))
        exporter->setAudioMix(*mix);

    // The handler owns the completion until the export has ended, and the
    // session keeps itself alive until then.
    ExportSession *session = exporter.get();
    session->exportAsynchronously([session, completion = std::move(completion)] {
        completion(session->status() == ExportSession::Status::Completed);
    });
}

QList<ExportSession::MetadataItem> AudioConverter::metadataItems(const QVariantMap &metadata)
{
    QList<ExportSession::MetadataItem> items;
    for (auto entry = metadata.cbegin(); entry != metadata.cend(); ++entry) {
        const std::optional<Metadata::Key> key = Metadata::keyFromRawValue(entry.key());
        if (!key)
            continue;
        const auto atom = Common::iTunesKeyMap().constFind(*key);
        if (atom == Common::iTunesKeyMap().cend())
            continue;
        QVariant value = entry.value();
        if (*key == Metadata::Key::trackNumber && value.typeId() == QMetaType::UShort)
            value = trackNumberBlock(value.value<quint16>());
        items.append({ *atom, value });
    }
    return items;
}

std::optional<AudioMix> AudioConverter::audioMix(
    const MediaTimeRange &timeRange, float volume, bool shouldAddFadeInFadeOut, double assetDuration)
{
    if (timeRange == MediaTimeRange::zero()) {
        // The whole file: a level at or below 1.0 over the whole duration;
        // above 1.0 the source level stays as it is.
        if (volume > 1.0f)
            return std::nullopt;
        AudioMix mix;
        mix.setVolumeRamp(
            volume, volume, MediaTime::fromSeconds(0.0).seconds(), MediaTime::fromSeconds(assetDuration).seconds());
        return mix;
    }
    if (!(volume < 1.0f) && !shouldAddFadeInFadeOut)
        return std::nullopt;

    const double start = timeRange.start.seconds();
    const double end = (timeRange.start + timeRange.duration).seconds();
    AudioMix mix;
    double middleStart = start;
    double middleEnd = end;
    if (shouldAddFadeInFadeOut) {
        // Each fade takes a second, or half of a shorter trim, so the fades
        // never overlap and the level between them never runs backwards; the
        // silence before the fade-in never lies before time zero.
        const double fade = std::clamp((end - start) / 2.0, 0.0, kFadeLength.seconds());
        const MediaTime silence = timeRange.start - MediaTime::fromSeconds(1.0, 1000);
        mix.setVolume(0.0f, std::max(0.0, silence.seconds()));
        mix.setVolumeRamp(0.0f, volume, start, start + fade);
        if (std::isfinite(end))
            mix.setVolumeRamp(volume, 0.0f, end - fade, end);
        middleStart = start + fade;
        middleEnd = end - fade;
    }
    if (volume < 1.0f && middleEnd > middleStart)
        mix.setVolumeRamp(volume, volume, middleStart, middleEnd);
    return mix;
}

} // namespace tarnik
