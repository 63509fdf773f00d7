#include "MediaTagFixtures.h"

#include <QFile>
#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace tarnik::test::media {

namespace {

TagLib::String text(const QString &value)
{
    return TagLib::String(value.toStdWString());
}

TagLib::ByteVector bytes(const QByteArray &value)
{
    return TagLib::ByteVector(value.constData(), static_cast<unsigned int>(value.size()));
}

} // namespace

bool writeMp4Atoms(const QString &path, const QList<QPair<QByteArray, QVariant>> &atoms)
{
    TagLib::MP4::File file(QFile::encodeName(path).constData());
    if (!file.isValid() || !file.tag())
        return false;
    TagLib::MP4::Tag *tag = file.tag();
    for (const auto &[name, value] : atoms) {
        const TagLib::String key(name.toStdString(), TagLib::String::Latin1);
        if (value.canConvert<NumberPair>() && value.metaType() == QMetaType::fromType<NumberPair>()) {
            const NumberPair pair = value.value<NumberPair>();
            tag->setItem(key, TagLib::MP4::Item(pair.number, pair.count));
        } else if (value.metaType().id() == QMetaType::QByteArray) {
            TagLib::MP4::CoverArtList covers;
            covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, bytes(value.toByteArray())));
            tag->setItem(key, TagLib::MP4::Item(covers));
        } else if (value.metaType().id() == QMetaType::QStringList) {
            TagLib::StringList list;
            for (const QString &item : value.toStringList())
                list.append(text(item));
            tag->setItem(key, TagLib::MP4::Item(list));
        } else {
            tag->setItem(key, TagLib::MP4::Item(TagLib::StringList(text(value.toString()))));
        }
    }
    return file.save();
}

namespace {

void addId3Frames(TagLib::ID3v2::Tag *tag, const QList<QPair<QByteArray, QVariant>> &frames)
{
    using namespace TagLib::ID3v2;
    for (const auto &[id, value] : frames) {
        if (id == "APIC") {
            const bool typed = value.metaType() == QMetaType::fromType<TypedPicture>();
            const TypedPicture picture = typed ? value.value<TypedPicture>() : TypedPicture { value.toByteArray(), 3 };
            auto *frame = new AttachedPictureFrame;
            frame->setMimeType("image/jpeg");
            frame->setType(AttachedPictureFrame::Type(picture.type));
            frame->setPicture(bytes(picture.bytes));
            tag->addFrame(frame);
        } else if (id == "COMM") {
            auto *frame = new CommentsFrame(TagLib::String::UTF8);
            frame->setText(text(value.toString()));
            tag->addFrame(frame);
        } else if (id == "USLT") {
            auto *frame = new UnsynchronizedLyricsFrame(TagLib::String::UTF8);
            frame->setText(text(value.toString()));
            tag->addFrame(frame);
        } else {
            auto *frame = new TextIdentificationFrame(TagLib::ByteVector(id.constData(), 4), TagLib::String::UTF8);
            frame->setText(text(value.toString()));
            tag->addFrame(frame);
        }
    }
}

} // namespace

bool writeId3Frames(const QString &path, const QList<QPair<QByteArray, QVariant>> &frames, int id3Version)
{
    const QByteArray name = QFile::encodeName(path);
    if (path.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive)) {
        TagLib::RIFF::WAV::File file(name.constData());
        if (!file.isValid())
            return false;
        addId3Frames(file.ID3v2Tag(), frames);
        return file.save(TagLib::RIFF::WAV::File::ID3v2, TagLib::File::StripNone);
    }
    if (path.endsWith(QLatin1String(".aiff"), Qt::CaseInsensitive)) {
        TagLib::RIFF::AIFF::File file(name.constData());
        if (!file.isValid())
            return false;
        addId3Frames(file.tag(), frames);
        return file.save();
    }
    TagLib::MPEG::File file(name.constData());
    if (!file.isValid())
        return false;
    addId3Frames(file.ID3v2Tag(true), frames);
    return file.save(
        TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, id3Version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4);
}

bool addXiphPictures(const QString &path, const QList<TypedPicture> &pictures)
{
    const auto make = [](const TypedPicture &picture) {
        auto *block = new TagLib::FLAC::Picture;
        block->setType(TagLib::FLAC::Picture::Type(picture.type));
        block->setMimeType("image/jpeg");
        block->setData(bytes(picture.bytes));
        return block;
    };
    const QByteArray name = QFile::encodeName(path);
    if (path.endsWith(QLatin1String(".flac"), Qt::CaseInsensitive)) {
        TagLib::FLAC::File file(name.constData());
        if (!file.isValid())
            return false;
        for (const TypedPicture &picture : pictures)
            file.addPicture(make(picture));
        return file.save();
    }
    if (path.endsWith(QLatin1String(".opus"), Qt::CaseInsensitive)) {
        TagLib::Ogg::Opus::File file(name.constData());
        if (!file.isValid() || !file.tag())
            return false;
        for (const TypedPicture &picture : pictures)
            file.tag()->addPicture(make(picture));
        return file.save();
    }
    TagLib::Ogg::Vorbis::File file(name.constData());
    if (!file.isValid() || !file.tag())
        return false;
    for (const TypedPicture &picture : pictures)
        file.tag()->addPicture(make(picture));
    return file.save();
}

bool stripId3v2(const QString &path)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    return file.isValid() && file.strip(TagLib::MPEG::File::ID3v2);
}

bool stripTags(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (path.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive)) {
        TagLib::MPEG::File file(name.constData());
        return file.isValid() && file.strip(TagLib::MPEG::File::AllTags);
    }
    TagLib::MP4::File file(name.constData());
    if (!file.isValid() || !file.tag())
        return false;
    const TagLib::MP4::ItemMap items = file.tag()->itemMap();
    for (auto it = items.begin(); it != items.end(); ++it)
        file.tag()->removeItem(it->first);
    return file.save();
}

} // namespace tarnik::test::media
