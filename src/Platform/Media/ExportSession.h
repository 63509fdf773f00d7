#pragma once

#include "Platform/Media/AudioMix.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace tarnik {

// Writes the first audio track of a media file into an M4A file: either the
// stream copied as it is (pass-through) or decoded, resampled, run through an
// audio mix and encoded as AAC at 256 kbit/s with the source's sample rate
// and stereo or mono as the source is. A time range limits what is written.
// Afterwards the metadata items are written as iTunes atoms.
//
// The output is written to a temporary file in the output folder and renamed
// over the output path only when everything succeeded, so the output path
// never holds a partial file and a source given as its own output is read in
// full before it is replaced.
//
// Configure the session on one thread, then call exportAsynchronously() once;
// the export runs on a thread of the global pool and calls the handler there.
// status() and cancelExport() are safe from any thread.
class ExportSession : public std::enable_shared_from_this<ExportSession>
{
public:
    enum class Preset {
        Passthrough,
        AppleM4A,
    };

    // The values of the platform's export status.
    enum class Status {
        Unknown = 0,
        Waiting = 1,
        Exporting = 2,
        Completed = 3,
        Failed = 4,
        Cancelled = 5,
    };

    // An iTunes atom: its four-character name ("©nam" or "@nam", "trkn", "covr", ...) and
    // its value: text, a number, or bytes ("covr" image data; "trkn" as the
    // eight-byte block 0, number, count, 0 in big-endian 16-bit words).
    struct MetadataItem
    {
        QString key;
        QVariant value;
    };

    // The one output file type: an Apple MPEG-4 audio file.
    static QString fileTypeAppleM4A() { return QStringLiteral("com.apple.m4a-audio"); }

    // A session for the file at sourcePath, or none when the file is not a
    // regular file that FFmpeg opens as media.
    static std::shared_ptr<ExportSession> create(const QString &sourcePath, Preset preset);

    virtual ~ExportSession();
    ExportSession(const ExportSession &) = delete;
    ExportSession &operator=(const ExportSession &) = delete;

    QString sourcePath() const { return m_sourcePath; }
    Preset preset() const { return m_preset; }

    // The number of audio tracks (cover art is never a track) and the
    // duration in seconds (0 when unknown) of the source.
    int audioTrackCount() const;
    double duration() const;

    virtual void setOutputPath(const QString &path) { m_outputPath = path; }
    virtual void setOutputFileType(const QString &type) { m_outputFileType = type; }
    virtual void setMetadata(const QList<MetadataItem> &items) { m_metadata = items; }
    // The part of the source to write, in seconds; without one, the whole file.
    virtual void setTimeRange(double startSeconds, double durationSeconds);
    // Applied when re-encoding; a pass-through copy leaves the samples as they are.
    virtual void setAudioMix(const AudioMix &mix) { m_audioMix = mix; }

    QString outputPath() const { return m_outputPath; }
    QString outputFileType() const { return m_outputFileType; }
    const QList<MetadataItem> &metadata() const { return m_metadata; }
    std::optional<std::pair<double, double>> timeRange() const { return m_timeRange; }
    const std::optional<AudioMix> &audioMix() const { return m_audioMix; }

    // Starts the export; the handler runs once, on a pool thread, when it has
    // ended. A second call does nothing.
    virtual void exportAsynchronously(std::function<void()> handler);
    // Runs the export on the calling thread; returns the final status.
    Status exportSynchronously();

    // Stops a running export (its status becomes Cancelled) or keeps one from starting.
    void cancelExport() { m_cancelled = true; }

    virtual Status status() const { return m_status.load(); }
    // Why the export failed, for logs.
    QString errorString() const;

protected:
    // A session without a source; it fails when run. For stand-ins in tests.
    ExportSession(const QString &sourcePath, Preset preset);

private:
    struct Input;
    struct Output;

    void run();
    bool copyStream(Input &input, Output &output);
    bool reencode(Input &input, Output &output);
    bool writeMetadata(const QString &path);
    bool fail(const QString &why);
    bool isCancelled() const { return m_cancelled.load(); }

    const QString m_sourcePath;
    const Preset m_preset;
    std::unique_ptr<Input> m_input;

    QString m_outputPath;
    QString m_outputFileType;
    QList<MetadataItem> m_metadata;
    std::optional<std::pair<double, double>> m_timeRange;
    std::optional<AudioMix> m_audioMix;

    std::atomic<Status> m_status { Status::Unknown };
    std::atomic<bool> m_cancelled { false };
    std::atomic<bool> m_started { false };
    mutable std::mutex m_errorMutex;
    QString m_error;
};

} // namespace tarnik
