// The fixtures shared by the benchmarks that read tags: 1,000 small tagged files (half MP3 with
// ID3v2, half M4A with iTunes atoms, each with title, artist, album, genre, year, track and a
// cover), generated once into $XDG_CACHE_HOME/tarnik-bench (or ~/.cache/tarnik-bench) and reused
// by later runs; and the bare TagLib loop every reader is measured against.
#pragma once

#include "BenchSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

namespace bench {

inline bool ffmpeg(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
        QStringList { QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
            QStringLiteral("-nostdin"), QStringLiteral("-y") }
            + arguments);
    return process.waitForFinished(120000) && process.exitCode() == 0;
}

inline TagLib::String tagText(const QString &value)
{
    return TagLib::String(value.toStdWString());
}

// Title, artist, album, genre, year, track and a cover, written with TagLib.
inline bool tagFile(const QString &path, int index, const QByteArray &cover)
{
    const QByteArray name = QFile::encodeName(path);
    const TagLib::ByteVector picture(cover.constData(), unsigned(cover.size()));
    if (path.endsWith(QLatin1String(".mp3"))) {
        TagLib::MPEG::File file(name.constData());
        TagLib::ID3v2::Tag *id3 = file.ID3v2Tag(true);
        auto *frame = new TagLib::ID3v2::AttachedPictureFrame;
        frame->setMimeType("image/jpeg");
        frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        frame->setPicture(picture);
        id3->addFrame(frame);
        id3->setTitle(tagText(QStringLiteral("Song %1").arg(index)));
        id3->setArtist(tagText(QStringLiteral("Artist %1").arg(index % 37)));
        id3->setAlbum(tagText(QStringLiteral("Album %1").arg(index % 11)));
        id3->setGenre(tagText(QStringLiteral("Genre")));
        id3->setYear(2000 + index % 20);
        id3->setTrack(1 + index % 15);
        return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers);
    }
    TagLib::MP4::File file(name.constData());
    TagLib::MP4::Tag *mp4 = file.tag();
    if (!mp4)
        return false;
    mp4->setTitle(tagText(QStringLiteral("Song %1").arg(index)));
    mp4->setArtist(tagText(QStringLiteral("Artist %1").arg(index % 37)));
    mp4->setAlbum(tagText(QStringLiteral("Album %1").arg(index % 11)));
    mp4->setGenre(tagText(QStringLiteral("Genre")));
    mp4->setYear(2000 + index % 20);
    mp4->setItem("trkn", TagLib::MP4::Item(1 + index % 15, 15));
    TagLib::MP4::CoverArtList covers;
    covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, picture));
    mp4->setItem("covr", TagLib::MP4::Item(covers));
    return file.save();
}

// The folder of tagged files, made on the first run; the paths in name order.
inline const QStringList &taggedFiles()
{
    static const QStringList paths = [] {
        constexpr int kFileCount = 1000;
        const QString folder = benchFolder(QStringLiteral("tagged-covers-%1").arg(kFileCount));
        const QString done = folder + QStringLiteral("/.complete");
        QStringList list;
        for (int i = 0; i < kFileCount; ++i)
            list << folder
                    + QStringLiteral("/track-%1.%2")
                          .arg(i, 4, 10, QLatin1Char('0'))
                          .arg(i % 2 ? QStringLiteral("m4a") : QStringLiteral("mp3"));
        if (QFile::exists(done))
            return list;
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        const QString seeds = benchFolder(QStringLiteral("seeds"));
        const QString mp3 = seeds + QStringLiteral("/seed.mp3");
        const QString m4a = seeds + QStringLiteral("/seed.m4a");
        const QString jpeg = seeds + QStringLiteral("/seed.jpg");
        const QString tone = QStringLiteral("sine=frequency=440:duration=1");
        if (!ffmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), tone, mp3 })
            || !ffmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), tone,
                QStringLiteral("-c:a"), QStringLiteral("aac"), m4a })
            || !ffmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("testsrc=size=64x64"), QStringLiteral("-frames:v"), QStringLiteral("1"), jpeg })) {
            std::fprintf(stderr, "could not make the seed files with ffmpeg\n");
            std::exit(1);
        }
        QFile coverFile(jpeg);
        coverFile.open(QIODevice::ReadOnly);
        const QByteArray cover = coverFile.readAll();
        for (int i = 0; i < kFileCount; ++i) {
            const QString &path = list[i];
            if (!QFile::copy(i % 2 ? m4a : mp3, path) || !tagFile(path, i, cover)) {
                std::fprintf(stderr, "could not tag %s\n", qPrintable(path));
                std::exit(1);
            }
        }
        QFile(done).open(QIODevice::WriteOnly);
        return list;
    }();
    return paths;
}

// What every reader is measured against: TagLib alone reading the same tags, the cover's bytes
// and, when asked, the length.
inline void bareTagLibRead(const QByteArray &name, bool withLength)
{
    TagLib::FileRef file(name.constData(), withLength, TagLib::AudioProperties::Fast);
    if (file.isNull() || !file.tag())
        return;
    const TagLib::Tag *tag = file.tag();
    benchmark::DoNotOptimize(tag->title());
    benchmark::DoNotOptimize(tag->artist());
    benchmark::DoNotOptimize(tag->album());
    benchmark::DoNotOptimize(tag->genre());
    benchmark::DoNotOptimize(tag->comment());
    benchmark::DoNotOptimize(tag->year());
    benchmark::DoNotOptimize(tag->track());
    if (withLength && file.audioProperties())
        benchmark::DoNotOptimize(file.audioProperties()->lengthInMilliseconds());
    if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file.file())) {
        for (const TagLib::MP4::CoverArt &cover : mp4->tag()->item("covr").toCoverArtList())
            benchmark::DoNotOptimize(cover.data().data());
    } else if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file.file())) {
        for (const TagLib::ID3v2::Frame *frame : mpeg->ID3v2Tag()->frameListMap()["APIC"])
            benchmark::DoNotOptimize(static_cast<const TagLib::ID3v2::AttachedPictureFrame *>(frame)->picture().data());
    }
}

} // namespace bench
