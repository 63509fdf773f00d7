#include "Platform/Playback/PlayerItem.h"

#include "Platform/Dispatch.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/Playback/PlatformPlayer.h"

namespace tarnik {

PlayerItem::PlayerItem(const QString &path)
    : m_path(path)
{
}

PlayerItem::~PlayerItem() = default;

const MediaAsset &PlayerItem::asset() const
{
    if (!m_asset)
        m_asset = std::make_unique<MediaAsset>(m_path);
    return *m_asset;
}

bool PlayerItem::hasVideoTrack() const
{
    return asset().hasVideoTrack();
}

MediaTime PlayerItem::duration() const
{
    if (const auto seconds = asset().duration(); seconds && *seconds >= 0)
        return MediaTime::fromSeconds(*seconds, MediaTime::kDefaultTimescale);
    if (m_player && m_player->backend().duration() > 0)
        return PlatformPlayer::timeFromMicroseconds(m_player->backend().duration());
    return MediaTime::indefinite();
}

PlayerItem::Status PlayerItem::status() const
{
    return m_player ? m_player->currentItemStatus() : Status::unknown;
}

MediaTime PlayerItem::currentTime() const
{
    return m_player ? m_player->currentTime() : PlatformPlayer::timeFromMicroseconds(m_startUs);
}

void PlayerItem::seek(const MediaTime &time, std::function<void(bool finished)> completion)
{
    if (m_player) {
        m_player->seek(time, std::move(completion));
        return;
    }
    m_startUs = std::max<qint64>(PlatformPlayer::microseconds(time), 0);
    if (completion)
        Dispatch::main([completion = std::move(completion)] { completion(true); });
}

} // namespace tarnik
