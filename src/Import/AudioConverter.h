#pragma once

#include "Platform/Media/AudioMix.h"
#include "Platform/Media/ExportSession.h"
#include "Platform/MediaTime.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

class MediaAsset;

// Writes an ".m4a" file from a media file: the source's audio copied as it is
// (an ".m4a" source without re-encoding) or re-encoded as AAC, with iTunes
// metadata from a metadata dictionary, an optional trim range, a volume and,
// when the companion's setting asks for it, a one-second fade-in and fade-out
// on trimmed audio. The result is one Boolean passed to the completion.
//
// Keeps no state between calls; safe to call from any thread. A call runs on
// the caller's thread up to the start of the export; early failures call the
// completion there before convert() returns, the export's result arrives on a
// thread of the global pool.
class AudioConverter
{
public:
    // What the converter talks to; tests replace it.
    struct Environment
    {
        // An exporter for the asset and preset, or none when it cannot be made.
        std::function<std::shared_ptr<ExportSession>(const MediaAsset &asset, ExportSession::Preset preset)>
            makeExportSession;
        // The companion setting that adds fades to trimmed audio.
        std::function<bool()> shouldAddFadeInFadeOut;
    };

    // The exporter and settings of the running application.
    static Environment defaultEnvironment();

    // The shared instance, made on first use.
    static AudioConverter &shared();

    AudioConverter();
    explicit AudioConverter(Environment environment);
    virtual ~AudioConverter();
    AudioConverter(const AudioConverter &) = delete;
    AudioConverter &operator=(const AudioConverter &) = delete;

    // Writes the asset's audio to outputPath. `metadata` is keyed by the
    // Metadata::Key raw texts; a zero time range means the whole file; volume
    // 1.0 leaves the level as it is. completion runs exactly once, with true
    // only when the whole file was written.
    virtual void convert(const MediaAsset &asset, const QString &outputPath, const std::optional<QVariantMap> &metadata,
        const MediaTimeRange &timeRange, bool shouldReencode, float volume, std::function<void(bool)> completion);

    // The iTunes items written for a metadata dictionary: only keys with an
    // iTunes atom, in the dictionary's order.
    static QList<ExportSession::MetadataItem> metadataItems(const QVariantMap &metadata);

    // The audio mix of an export, or none when the level stays as it is.
    // assetDuration (seconds) only matters for the whole file.
    static std::optional<AudioMix> audioMix(
        const MediaTimeRange &timeRange, float volume, bool shouldAddFadeInFadeOut, double assetDuration);

private:
    void exportAsset(const MediaAsset &asset, const QString &outputPath, const std::optional<QVariantMap> &metadata,
        const MediaTimeRange &timeRange, bool shouldReencode, float volume, std::function<void(bool)> completion);

    Environment m_environment;
};

} // namespace tarnik
