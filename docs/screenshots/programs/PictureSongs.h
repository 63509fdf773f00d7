#pragma once

// The songs the browser's pictures show: tagged MP3s, each with a cover in colours of its own.

#include "Support/MediaFixtures.h"

#include <QStringList>
#include <QTemporaryDir>
#include <iterator>

namespace tarnik::test {

// Writes the first `count` of the songs into `folder`; false when ffmpeg could not make one.
inline bool makePictureSongs(const QString &folder, int count)
{
    static const struct
    {
        const char *file;
        const char *title;
        const char *artist;
        const char *cover;
    } songs[] = {
        { "Morning Light.mp3", "Morning Light", "The Lanterns", "gradients=s=300x300:c0=0xff7a45:c1=0x6a1b9a:d=1" },
        { "Harbour Song.mp3", "Harbour Song", "Mira Vale", "gradients=s=300x300:c0=0x1e88e5:c1=0x00bfa5:d=1" },
        { "Long Road.mp3", "Long Road", "North Quarter", "gradients=s=300x300:c0=0xfdd835:c1=0xe53935:d=1" },
        { "Quiet Hours.mp3", "Quiet Hours", "Anna Roe", "gradients=s=300x300:c0=0x8e24aa:c1=0x3949ab:d=1" },
        { "Paper Boats.mp3", "Paper Boats", "The Lanterns", "gradients=s=300x300:c0=0x43a047:c1=0xfdd835:d=1" },
    };
    // The covers are made outside the folder, which the picture shows.
    QTemporaryDir covers;
    for (int i = 0; i < count && i < int(std::size(songs)); ++i) {
        const auto &s = songs[i];
        const QString cover = covers.filePath(QString::fromLatin1(s.file) + QStringLiteral(".png"));
        if (!media::runFfmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                QString::fromLatin1(s.cover), QStringLiteral("-frames:v"), QStringLiteral("1"), cover })
            || !media::makeToneWithCover(folder + QLatin1Char('/') + QString::fromLatin1(s.file), cover, 3.0,
                { QStringLiteral("-id3v2_version"), QStringLiteral("3"), QStringLiteral("-metadata"),
                    QStringLiteral("title=") + QString::fromLatin1(s.title), QStringLiteral("-metadata"),
                    QStringLiteral("artist=") + QString::fromLatin1(s.artist) }))
            return false;
    }
    return covers.isValid();
}

} // namespace tarnik::test
