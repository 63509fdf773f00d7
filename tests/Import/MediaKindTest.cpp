#include "Import/MediaKind.h"

#include <QIcon>
#include <QSet>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(MediaKind, Table)
{
    struct Row
    {
        MediaKind kind;
        const char *raw;
        const char *title;
        const char *icon;
        double ratio;
    };
    const Row rows[] = {
        { MediaKind::song, "song", "Song", "activityAudio", 1.0 },
        { MediaKind::ringtone, "ringtone", "Ringtone", "activityRingtone", 1.0 },
        { MediaKind::tone, "tone", "Ringtone", "activityRingtone", 1.0 },
        { MediaKind::podcast, "podcast", "Podcast", "activityPodcast", 1.0 },
        { MediaKind::videoPodcast, "videoPodcast", "Video Podcast", "activityMusicVideo", 1.0 },
        { MediaKind::musicVideo, "musicVideo", "Music Video", "activityMusicVideo", 1.7630853994490359 },
        { MediaKind::featureMovie, "featureMovie", "Movie", "activityMovie", 0.6685714285714286 },
        { MediaKind::tvEpisode, "tvEpisode", "TV Episode", "activityTVShow", 1.0 },
    };
    const auto &all = MediaKind::allCases();
    ASSERT_EQ(all.size(), 8u);
    for (size_t i = 0; i < all.size(); ++i) {
        const Row &row = rows[i];
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(all[i], row.kind);
        EXPECT_EQ(row.kind.rawValue(), QLatin1String(row.raw));
        EXPECT_EQ(MediaKind::fromRawValue(QLatin1String(row.raw)), row.kind);
        EXPECT_EQ(row.kind.title(), QLatin1String(row.title));
        EXPECT_EQ(row.kind.iconName(), QLatin1String(row.icon));
        EXPECT_EQ(row.kind.artworkAspectRatio(), row.ratio);
        EXPECT_EQ(row.kind.artworkWidth(), 500.0);
    }
}

TEST(MediaKind, EveryKindHasATemplateIcon)
{
    for (const MediaKind kind : MediaKind::allCases()) {
        SCOPED_TRACE(kind.rawValue().toStdString());
        const QIcon icon = kind.icon();
        ASSERT_FALSE(icon.isNull());
        EXPECT_TRUE(icon.isMask());
        EXPECT_FALSE(icon.pixmap(QSize(30, 30)).isNull());
    }
}

TEST(MediaKind, RawTextLookupIsExact)
{
    for (const char *text : { "Song", " song", "song ", "", "SONG", "tvepisode", "movie" })
        EXPECT_FALSE(MediaKind::fromRawValue(QLatin1String(text))) << text;
    EXPECT_EQ(MediaKind::fromRawValue(QStringLiteral("tvEpisode")), MediaKind::tvEpisode);
}

TEST(MediaKind, ToneAndRingtoneStayApart)
{
    const MediaKind tone = MediaKind::tone;
    const MediaKind ringtone = MediaKind::ringtone;
    EXPECT_EQ(tone.title(), ringtone.title());
    EXPECT_EQ(tone.iconName(), ringtone.iconName());
    EXPECT_NE(tone.rawValue(), ringtone.rawValue());
    EXPECT_NE(tone, ringtone);
    const QSet<MediaKind> kinds { tone, ringtone, MediaKind::tone };
    EXPECT_EQ(kinds.size(), 2);
}

TEST(MediaKind, ArtworkFrames)
{
    for (const MediaKind kind : MediaKind::allCases()) {
        const QSizeF size = kind.artworkSize();
        EXPECT_EQ(size.width(), 500.0);
        if (kind == MediaKind::featureMovie)
            EXPECT_GT(size.height(), size.width());
        else if (kind == MediaKind::musicVideo)
            EXPECT_LT(size.height(), size.width());
        else
            EXPECT_EQ(size.height(), size.width());
    }
    EXPECT_NEAR(MediaKind(MediaKind::musicVideo).artworkSize().height(), 283.6, 0.05);
    EXPECT_NEAR(MediaKind(MediaKind::featureMovie).artworkSize().height(), 747.9, 0.05);
}

} // namespace
} // namespace tarnik
