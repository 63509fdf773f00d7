#include "Platform/Media/Mp4TagWriter.h"

#include "Platform/Media/RegularFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <limits>
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
    case QMetaType::Bool:
    case QMetaType::QString:
    case QMetaType::QByteArray:
        if (value.typeId() == QMetaType::QString) {
            bool ok = false;
            const qint64 number = value.toString().toLongLong(&ok);
            return ok ? std::optional<qint64>(number) : std::nullopt;
        }
        return std::nullopt;
    default:
        break;
    }
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

// "trkn" and "disk" are a pair of 16-bit numbers. The value may be the raw
// eight-byte block (0, number, count, 0) or a plain integer of any type.
std::optional<TagLib::MP4::Item> pairItem(const QVariant &value)
{
    if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        if (bytes.size() < 4)
            return std::nullopt;
        const auto word = [&](int at) {
            return at + 1 < bytes.size() ? (int(quint8(bytes[at])) << 8) | int(quint8(bytes[at + 1])) : 0;
        };
        return TagLib::MP4::Item(word(2), word(4));
    }
    const std::optional<qint64> number = integerOf(value);
    if (!number || *number < 0 || *number > 0xFFFF)
        return std::nullopt;
    return TagLib::MP4::Item(int(*number), 0);
}

std::optional<TagLib::MP4::Item> coverItem(const QVariant &value)
{
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    const QByteArray bytes = value.toByteArray();
    if (bytes.isEmpty())
        return std::nullopt;
    // Players show the atom as it stands: bytes that do not decode as a picture would be
    // a broken cover in every one of them.
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (reader.read().isNull())
        return std::nullopt;
    TagLib::MP4::CoverArt::Format format = TagLib::MP4::CoverArt::Unknown;
    if (bytes.startsWith("\xFF\xD8"))
        format = TagLib::MP4::CoverArt::JPEG;
    else if (bytes.startsWith("\x89PNG"))
        format = TagLib::MP4::CoverArt::PNG;
    else if (bytes.startsWith("GIF8"))
        format = TagLib::MP4::CoverArt::GIF;
    else if (bytes.startsWith("BM"))
        format = TagLib::MP4::CoverArt::BMP;
    TagLib::MP4::CoverArtList list;
    list.append(TagLib::MP4::CoverArt(format, TagLib::ByteVector(bytes.constData(), uint(bytes.size()))));
    return TagLib::MP4::Item(list);
}

std::optional<TagLib::MP4::Item> textItem(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return TagLib::MP4::Item(TagLib::StringList(tagString(value.toString())));
    case QMetaType::Double:
    case QMetaType::Float:
        return TagLib::MP4::Item(TagLib::StringList(tagString(QString::number(value.toDouble()))));
    case QMetaType::QByteArray:
    case QMetaType::UnknownType:
        return std::nullopt;
    default:
        if (const std::optional<qint64> number = integerOf(value))
            return TagLib::MP4::Item(TagLib::StringList(tagString(QString::number(*number))));
        return std::nullopt;
    }
}

// The season and episode atoms hold one 32-bit number, never a text.
std::optional<TagLib::MP4::Item> numberItem(const QVariant &value)
{
    const std::optional<qint64> number = integerOf(value);
    if (!number || *number < 0 || *number > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return TagLib::MP4::Item(int(*number));
}

std::optional<TagLib::MP4::Item> itemFor(const QByteArray &name, const QVariant &value)
{
    if (name == "trkn" || name == "disk")
        return pairItem(value);
    if (name == "tves" || name == "tvsn")
        return numberItem(value);
    if (name == "covr")
        return coverItem(value);
    return textItem(value);
}

} // namespace

bool canTag(const QString &path)
{
    if (!RegularFile::isRegularFile(path))
        return false;
    TagLib::MP4::File file(QFile::encodeName(path).constData(), false);
    return file.isValid() && file.tag();
}

Result writeItems(const QString &path, const QList<ExportSession::MetadataItem> &items)
{
    if (!RegularFile::isRegularFile(path))
        return Result::NotTaggable;
    TagLib::MP4::File file(QFile::encodeName(path).constData(), false);
    if (!file.isValid() || !file.tag())
        return Result::NotTaggable;
    TagLib::MP4::Tag *tag = file.tag();
    for (const ExportSession::MetadataItem &item : items) {
        // Key texts spell the atoms' leading © as "@", as the tag readers do.
        QString key = item.key;
        if (key.startsWith(QLatin1Char('@')))
            key[0] = QChar(0xA9);
        const QByteArray name = key.toLatin1();
        if (name.size() != 4)
            continue;
        if (const std::optional<TagLib::MP4::Item> value = itemFor(name, item.value))
            tag->setItem(TagLib::String(name.constData(), TagLib::String::Latin1), *value);
    }
    return file.save() ? Result::Written : Result::NotSaved;
}

bool write(const QString &path, const QList<ExportSession::MetadataItem> &items)
{
    return writeItems(path, items) == Result::Written;
}

} // namespace tarnik::Mp4TagWriter
