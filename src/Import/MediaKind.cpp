#include "Import/MediaKind.h"

#include "App/Globals.h"
#include "Platform/Bundle.h"

namespace tarnik {

namespace {

struct KindInfo
{
    QLatin1String rawValue;
    QLatin1String title;
    QLatin1String iconName;
    double aspectRatio;
};

constexpr std::array<KindInfo, 8> kKinds { {
    { QLatin1String("song"), QLatin1String("Song"), QLatin1String("activityAudio"), 1.0 },
    { QLatin1String("ringtone"), QLatin1String("Ringtone"), QLatin1String("activityRingtone"), 1.0 },
    { QLatin1String("tone"), QLatin1String("Ringtone"), QLatin1String("activityRingtone"), 1.0 },
    { QLatin1String("podcast"), QLatin1String("Podcast"), QLatin1String("activityPodcast"), 1.0 },
    { QLatin1String("videoPodcast"), QLatin1String("Video Podcast"), QLatin1String("activityMusicVideo"), 1.0 },
    { QLatin1String("musicVideo"), QLatin1String("Music Video"), QLatin1String("activityMusicVideo"), 640.0 / 363.0 },
    { QLatin1String("featureMovie"), QLatin1String("Movie"), QLatin1String("activityMovie"), 234.0 / 350.0 },
    { QLatin1String("tvEpisode"), QLatin1String("TV Episode"), QLatin1String("activityTVShow"), 1.0 },
} };

const KindInfo &info(MediaKind kind)
{
    return kKinds[static_cast<size_t>(kind.value())];
}

} // namespace

const std::array<MediaKind, 8> &MediaKind::allCases()
{
    static const std::array<MediaKind, 8> all { song, ringtone, tone, podcast, videoPodcast, musicVideo, featureMovie,
        tvEpisode };
    return all;
}

std::optional<MediaKind> MediaKind::fromRawValue(const QString &rawValue)
{
    for (size_t i = 0; i < kKinds.size(); ++i) {
        if (rawValue == kKinds[i].rawValue)
            return MediaKind(static_cast<Value>(i));
    }
    return std::nullopt;
}

QString MediaKind::rawValue() const
{
    return info(*this).rawValue;
}

QString MediaKind::title() const
{
    return _localizedString(info(*this).title);
}

QString MediaKind::iconName() const
{
    return info(*this).iconName;
}

QIcon MediaKind::icon() const
{
    for (const QLatin1String type : { QLatin1String("svg"), QLatin1String("png") }) {
        if (const auto path = Bundle::main().pathForResource(iconName(), type, QStringLiteral("images"))) {
            QIcon icon(*path);
            icon.setIsMask(true);
            return icon;
        }
    }
    return {};
}

double MediaKind::artworkAspectRatio() const
{
    return info(*this).aspectRatio;
}

} // namespace tarnik
