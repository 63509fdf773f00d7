#pragma once

#include <QHashFunctions>
#include <QIcon>
#include <QSizeF>
#include <QString>
#include <array>
#include <optional>

namespace tarnik {

// The media-library destination of an import: what the companion service makes
// of a file. A small closed value type with fixed tables; its raw text (the case
// name) is what import records carry, so `tone` and `ringtone` stay apart even
// though they share a title and an icon. Safe on any thread except icon(),
// which loads an image and belongs on the GUI thread.
class MediaKind
{
public:
    enum Value { song, ringtone, tone, podcast, videoPodcast, musicVideo, featureMovie, tvEpisode };

    constexpr MediaKind(Value value)
        : m_value(value)
    {
    }
    constexpr operator Value() const { return m_value; }
    constexpr Value value() const { return m_value; }

    // The eight kinds in declaration order, `song` first: the order of the import menu.
    static const std::array<MediaKind, 8> &allCases();

    // Exact, case-sensitive match of the whole text against the eight raw texts;
    // there is no fallback kind.
    static std::optional<MediaKind> fromRawValue(const QString &rawValue);
    QString rawValue() const;

    // The localized display title ("Ringtone" for both ringtone and tone).
    QString title() const;
    // The icon image name of the bundle ("activityAudio", ...).
    QString iconName() const;
    // The bundle image drawn as a mask so it takes the tint of the view showing
    // it; a null icon when the bundle lacks the image.
    QIcon icon() const;

    // Width / height of the kind's artwork: 1.0 but for musicVideo (640/363,
    // landscape) and featureMovie (234/350, portrait).
    double artworkAspectRatio() const;
    // 500.0 for every kind.
    double artworkWidth() const { return 500.0; }
    // artworkWidth() by artworkWidth() / artworkAspectRatio().
    QSizeF artworkSize() const { return { artworkWidth(), artworkWidth() / artworkAspectRatio() }; }

private:
    Value m_value;
};

inline size_t qHash(MediaKind kind, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(kind.value()), seed);
}

} // namespace tarnik
