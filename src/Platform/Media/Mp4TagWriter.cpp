#include "Platform/Media/Mp4TagWriter.h"

#include "Platform/Media/RegularFile.h"

#include <QFile>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>

namespace tarnik::Mp4TagWriter {

namespace {

TagLib::String tagString(const QString &text)
{
    return TagLib::String(text.toUtf8().constData(), TagLib::String::UTF8);
}

std::optional<qint64> integerOf(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return value.toLongLong();
    default:
        return std::nullopt;
    }
}

std::optional<TagLib::MP4::Item> itemFor(const QByteArray &name, const QVariant &value)
{
    if (name == "trkn") {
        if (value.typeId() == QMetaType::QByteArray && value.toByteArray().size() >= 4) {
            const QByteArray bytes = value.toByteArray();
            return TagLib::MP4::Item((int(quint8(bytes[2])) << 8) | int(quint8(bytes[3])), 0);
        }
        const std::optional<qint64> number = integerOf(value);
        if (!number || *number < 0 || *number > 0xFFFF)
            return std::nullopt;
        return TagLib::MP4::Item(int(*number), 0);
    }
    if (name == "covr") {
        const QByteArray bytes = value.toByteArray();
        if (value.typeId() != QMetaType::QByteArray || bytes.isEmpty())
            return std::nullopt;
        auto format = TagLib::MP4::CoverArt::Unknown;
        if (bytes.startsWith("\xFF\xD8"))
            format = TagLib::MP4::CoverArt::JPEG;
        else if (bytes.startsWith("\x89PNG"))
            format = TagLib::MP4::CoverArt::PNG;
        TagLib::MP4::CoverArtList list;
        list.append(TagLib::MP4::CoverArt(format, TagLib::ByteVector(bytes.constData(), uint(bytes.size()))));
        return TagLib::MP4::Item(list);
    }
    if (value.typeId() == QMetaType::QString)
        return TagLib::MP4::Item(TagLib::StringList(tagString(value.toString())));
    if (value.typeId() == QMetaType::Double)
        return TagLib::MP4::Item(TagLib::StringList(tagString(QString::number(value.toDouble()))));
    if (const std::optional<qint64> number = integerOf(value))
        return TagLib::MP4::Item(TagLib::StringList(tagString(QString::number(*number))));
    return std::nullopt;
}

} // namespace

bool canTag(const QString &path)
{
    if (!RegularFile::isRegularFile(path))
        return false;
    TagLib::MP4::File file(QFile::encodeName(path).constData(), false);
    return file.isValid() && file.tag();
}

bool write(const QString &path, const QList<ExportSession::MetadataItem> &items)
{
    if (!RegularFile::isRegularFile(path))
        return false;
    TagLib::MP4::File file(QFile::encodeName(path).constData(), false);
    if (!file.isValid() || !file.tag())
        return false;
    TagLib::MP4::Tag *tag = file.tag();
    for (const ExportSession::MetadataItem &item : items) {
        QString key = item.key;
        if (key.startsWith(QLatin1Char('@')))
            key[0] = QChar(0xA9);
        const QByteArray name = key.toLatin1();
        if (name.size() != 4)
            continue;
        if (const std::optional<TagLib::MP4::Item> value = itemFor(name, item.value))
            tag->setItem(TagLib::String(name.constData(), TagLib::String::Latin1), *value);
    }
    return file.save();
}

} // namespace tarnik::Mp4TagWriter
