#pragma once

// Media files for the player's tests, made with the ffmpeg command in a temporary folder.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tarnik::test {

class MediaFixtures
{
public:
    enum class Kind { mp3, m4a, ogg, mp4, mp3WithCover };

    MediaFixtures();

    // Makes (once per kind and length) a tone of the given length, with a small picture track for mp4
    // and an attached cover picture for mp3WithCover; an empty path when ffmpeg failed.
    QString file(Kind kind, double seconds = 1.5);

    QString folder() const { return m_dir.path(); }

    static QString name(Kind kind);

private:
    bool run(const QStringList &arguments);

    QTemporaryDir m_dir;
};

} // namespace tarnik::test
