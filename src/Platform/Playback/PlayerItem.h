#pragma once

#include "Platform/MediaTime.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

class MediaAsset;
class PlatformPlayer;

// One file to play, the stand-in for a player item: its path, what the file holds (probed with FFmpeg
// the first time it is asked), and, while a PlatformPlayer has it as its current item, its loading
// status and playback position. An item that is not current keeps the position it should start at.
// Used on the GUI thread.
class PlayerItem
{
public:
    enum class Status { unknown, readyToPlay, failed };

    explicit PlayerItem(const QString &path);
    ~PlayerItem();
    PlayerItem(const PlayerItem &) = delete;
    PlayerItem &operator=(const PlayerItem &) = delete;

    const QString &path() const { return m_path; }
    QUrl url() const { return QUrl::fromLocalFile(m_path); }

    // The file as FFmpeg sees it; probed once, synchronously, on first use.
    const MediaAsset &asset() const;
    // The file has a video track; cover art does not count.
    bool hasVideoTrack() const;

    // The asset's duration: from the probe, or from the player once it loaded the item when the
    // container does not tell; the indefinite time while it is unknown.
    MediaTime duration() const;

    // Unknown until a player has loaded the item as its current item.
    Status status() const;

    MediaTime currentTime() const;
    // Moves the item's position; completion(finished) runs on the GUI thread once the move took
    // effect, finished false when a later seek or a change of item overtook it.
    void seek(const MediaTime &time, std::function<void(bool finished)> completion = {});

private:
    friend class PlatformPlayer;

    QString m_path;
    mutable std::unique_ptr<MediaAsset> m_asset;
    // The player whose current item this is, none otherwise.
    PlatformPlayer *m_player = nullptr;
    // Where playback starts when the item becomes current.
    qint64 m_startUs = 0;
};

} // namespace tarnik
