#include "Platform/Media/MediaMetadata.h"

#include "Platform/Media/RegularFile.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <algorithm>
#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tiostream.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xingheader.h>
#include <taglib/xiphcomment.h>

namespace tarnik {

namespace {

// TagLib reads through this stream over our own descriptor, never by path, so
// it only ever sees the regular file that RegularFile opened.
class DescriptorStream : public TagLib::IOStream
{
public:
    // The length is taken once: TagLib asks for it at nearly every step, and a file that grows
    // or shrinks while it is read only gives fewer bytes.
    explicit DescriptorStream(const RegularFile &file)
        : m_file(file)
        , m_name(QFile::encodeName(file.path()))
        , m_size(long(file.size()))
    {
    }

    TagLib::FileName name() const override { return m_name.constData(); }

    // Whether the read was stopped: a seek no file can satisfy, or more reading than any tag
    // needs. TagLib then sees only the end of the file, and what it read is not to be trusted.
    bool failed() const { return m_failed; }

    TagLib::ByteVector readBlock(unsigned long length) override
    {
        // Damaged headers ask for absurd lengths; never allocate past the end.
        const long available = std::max(0L, m_size - m_position);
        const long wanted = std::min(long(std::min<unsigned long>(length, 0x7FFFFFFF)), available);
        if (wanted <= 0 || m_failed)
            return {};
        // Every call is charged at least a little, so a loop of tiny reads ends as surely as one
        // of large reads.
        m_budget -= std::max(wanted, kMinimumCharge);
        if (m_budget < 0) {
            fail();
            return {};
        }
        // TagLib reads headers a few bytes at a time; those come from a window read ahead, so a
        // tag costs a few system calls rather than one per field.
        if (wanted <= kWindowSize / 4) {
            if (m_position < m_windowStart || m_position + wanted > m_windowStart + long(m_window.size())) {
                m_window.resize(kWindowSize);
                const std::int64_t count = m_file.readAt(m_position, m_window.data(), kWindowSize);
                m_window.resize(count > 0 ? unsigned(count) : 0);
                m_windowStart = m_position;
            }
            const long inWindow = std::min(wanted, m_windowStart + long(m_window.size()) - m_position);
            if (inWindow <= 0)
                return {};
            TagLib::ByteVector bytes(m_window.data() + (m_position - m_windowStart), unsigned(inWindow));
            m_position += inWindow;
            return bytes;
        }
        TagLib::ByteVector bytes(static_cast<unsigned int>(wanted), 0);
        const std::int64_t count = m_file.readAt(m_position, bytes.data(), wanted);
        if (count <= 0)
            return {};
        bytes.resize(static_cast<unsigned int>(count));
        m_position += long(count);
        return bytes;
    }

    void writeBlock(const TagLib::ByteVector &) override { }
    void insert(const TagLib::ByteVector &, unsigned long, unsigned long) override { }
    void removeBlock(unsigned long, unsigned long) override { }
    bool readOnly() const override { return true; }
    bool isOpen() const override { return m_file.isOpen(); }

    void seek(long offset, Position position) override
    {
        long base = 0;
        if (position == Current)
            base = m_position;
        else if (position == End)
            base = m_size;
        // A box size near the top of the 64-bit range makes TagLib's own sum wrap negative. Taking
        // that as the start made TagLib read the file again from the top, for ever; such a seek
        // fails the whole read instead.
        long target = 0;
        if (__builtin_add_overflow(base, offset, &target) || target < 0) {
            fail();
            return;
        }
        // Past the end there is nothing to read; staying at the end also ends every loop that
        // steps from box to box or frame to frame.
        m_position = std::min(target, m_size);
    }

    long tell() const override { return m_position; }
    long length() override { return m_size; }
    void truncate(long) override { }

private:
    void fail()
    {
        m_failed = true;
        m_position = m_size;
    }

    const RegularFile &m_file;
    static constexpr long kWindowSize = 16 * 1024;
    // Far more than the tags and headers of any real file, artwork included; a file that makes
    // TagLib read more is damaged or hostile.
    static constexpr long kReadBudget = 96 * 1024 * 1024;
    static constexpr long kMinimumCharge = 1024;

    QByteArray m_name;
    const long m_size;
    long m_position = 0;
    std::vector<char> m_window;
    long m_windowStart = 0;
    long m_budget = kReadBudget;
    bool m_failed = false;
};

QString toQString(const TagLib::String &text)
{
    return QString::fromStdWString(text.toWString());
}

QByteArray toQByteArray(const TagLib::ByteVector &bytes)
{
    return QByteArray(bytes.data(), int(bytes.size()));
}

enum class TagFormat { none, mpeg, wave, aiff, mp4, flac, oggVorbis, oggOpus, oggFlac };

TagFormat formatOf(const RegularFile &file)
{
    char head[40] = {};
    const std::int64_t count = file.readAt(0, head, sizeof head);
    if (count < 4)
        return TagFormat::none;
    const QByteArray bytes(head, int(count));
    if (bytes.startsWith("ID3"))
        return TagFormat::mpeg;
    if (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE")
        return TagFormat::wave;
    if (bytes.startsWith("FORM") && (bytes.mid(8, 4) == "AIFF" || bytes.mid(8, 4) == "AIFC"))
        return TagFormat::aiff;
    if (bytes.startsWith("fLaC"))
        return TagFormat::flac;
    if (bytes.startsWith("OggS")) {
        // The first page holds the identification header of the first stream.
        const QByteArray packet = bytes.mid(28);
        if (packet.startsWith("\x01vorbis"))
            return TagFormat::oggVorbis;
        if (packet.startsWith("OpusHead"))
            return TagFormat::oggOpus;
        if (packet.startsWith("\x7F"
                              "FLAC"))
            return TagFormat::oggFlac;
        return TagFormat::none;
    }
    static const char *const kBoxes[] = { "ftyp", "moov", "mdat", "free", "skip", "wide", "pnot" };
    for (const char *box : kBoxes) {
        if (bytes.mid(4, 4) == box)
            return TagFormat::mp4;
    }
    // An MPEG audio frame header; its ID3v2 tag, if any, would have come first.
    if (uchar(bytes[0]) == 0xFF && (uchar(bytes[1]) & 0xE0) == 0xE0)
        return TagFormat::mpeg;
    return TagFormat::none;
}

// ---- ID3v2 -----------------------------------------------------------------

// Frames that carry a meaning common to all formats. The performer and
// composer frames are deliberately absent: they reach the record through the
// key map, where each fills two keys.
const QHash<QString, QString> &id3CommonKeys()
{
    static const QHash<QString, QString> keys {
        { QStringLiteral("TIT2"), MetadataCommonKey::title },
        { QStringLiteral("TALB"), MetadataCommonKey::albumName },
        { QStringLiteral("TCON"), MetadataCommonKey::type },
        { QStringLiteral("TDRC"), MetadataCommonKey::creationDate },
        { QStringLiteral("TYER"), MetadataCommonKey::creationDate },
        { QStringLiteral("APIC"), MetadataCommonKey::artwork },
        { QStringLiteral("TPUB"), MetadataCommonKey::publisher },
        { QStringLiteral("TCOP"), MetadataCommonKey::copyrights },
        { QStringLiteral("TLAN"), MetadataCommonKey::language },
        { QStringLiteral("TSSE"), MetadataCommonKey::software },
    };
    return keys;
}

// A genre frame may hold ID3v1 genre numbers; the platform shows their names.
QString genreText(const TagLib::StringList &fields)
{
    QStringList names;
    for (const TagLib::String &field : fields) {
        bool isNumber = false;
        const int number = toQString(field).toInt(&isNumber);
        const TagLib::String name = isNumber ? TagLib::ID3v1::genre(number) : TagLib::String();
        names << (name.isEmpty() ? toQString(field) : toQString(name));
    }
    return names.join(QLatin1Char('/'));
}

QVariant id3Value(const TagLib::ID3v2::Frame *frame, const QString &id)
{
    using namespace TagLib::ID3v2;
    if (const auto *picture = dynamic_cast<const AttachedPictureFrame *>(frame))
        return toQByteArray(picture->picture());
    if (const auto *comment = dynamic_cast<const CommentsFrame *>(frame))
        return toQString(comment->text());
    if (const auto *lyrics = dynamic_cast<const UnsynchronizedLyricsFrame *>(frame))
        return toQString(lyrics->text());
    if (const auto *user = dynamic_cast<const UserTextIdentificationFrame *>(frame)) {
        TagLib::StringList fields = user->fieldList();
        if (!fields.isEmpty())
            fields.erase(fields.begin()); // the description
        return toQString(fields.toString("/"));
    }
    if (const auto *text = dynamic_cast<const TextIdentificationFrame *>(frame)) {
        if (id == QLatin1String("TCON"))
            return genreText(text->fieldList());
        return toQString(text->fieldList().toString("/"));
    }
    return toQString(frame->toString());
}

void readId3(const TagLib::ID3v2::Tag *tag, std::vector<MetadataItem> &items)
{
    if (!tag)
        return;
    for (const TagLib::ID3v2::Frame *frame : tag->frameList()) {
        const QString id = QString::fromLatin1(frame->frameID().data(), int(frame->frameID().size()));
        MetadataItem item;
        item.keySpace = MetadataKeySpace::id3;
        item.key = id;
        item.commonKey = id3CommonKeys().value(id);
        item.value = id3Value(frame, id);
        if (const auto *picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame *>(frame))
            item.isFrontCover = picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover;
        items.push_back(std::move(item));
    }
}

// ---- iTunes atoms ----------------------------------------------------------

QString latin1(const char *bytes)
{
    return QString::fromLatin1(bytes);
}

const QHash<QString, QString> &iTunesCommonKeys()
{
    static const QHash<QString, QString> keys {
        { latin1("\xA9nam"), MetadataCommonKey::title },
        { latin1("\xA9"
                 "ART"),
            MetadataCommonKey::artist },
        { latin1("\xA9"
                 "alb"),
            MetadataCommonKey::albumName },
        { latin1("\xA9gen"), MetadataCommonKey::type },
        { latin1("gnre"), MetadataCommonKey::type },
        { latin1("\xA9"
                 "day"),
            MetadataCommonKey::creationDate },
        { latin1("covr"), MetadataCommonKey::artwork },
        { latin1("desc"), MetadataCommonKey::description },
        { latin1("\xA9pub"), MetadataCommonKey::publisher },
        { latin1("cprt"), MetadataCommonKey::copyrights },
        { latin1("\xA9too"), MetadataCommonKey::software },
    };
    return keys;
}

// Atoms TagLib keeps as numbers; every other atom but the pairs and the
// pictures holds texts.
bool isNumericAtom(const QString &name)
{
    static const QStringList kNames { latin1("cpil"), latin1("pgap"), latin1("pcst"), latin1("hdvd"), latin1("shwm"),
        latin1("tmpo"), latin1("\xA9mvi"), latin1("\xA9mvc"), latin1("tvsn"), latin1("tves"), latin1("cnID"),
        latin1("sfID"), latin1("atID"), latin1("geID"), latin1("cmID"), latin1("plID"), latin1("stik"), latin1("rtng"),
        latin1("akID") };
    return kNames.contains(name);
}

qint64 numberOf(const QString &name, const TagLib::MP4::Item &item)
{
    if (name == latin1("plID"))
        return item.toLongLong();
    if (name == latin1("cpil") || name == latin1("pgap") || name == latin1("pcst") || name == latin1("shwm"))
        return item.toBool() ? 1 : 0;
    if (name == latin1("stik") || name == latin1("rtng") || name == latin1("akID") || name == latin1("hdvd"))
        return item.toByte();
    if (name == latin1("tvsn") || name == latin1("tves") || name.endsWith(latin1("ID")))
        return item.toUInt();
    return item.toInt();
}

// The bytes of a track or disc number atom's data: two reserved bytes, the
// number and the count as 16-bit big-endian values, two reserved bytes.
QByteArray pairData(int number, int count)
{
    QByteArray bytes(8, '\0');
    bytes[2] = char((number >> 8) & 0xFF);
    bytes[3] = char(number & 0xFF);
    bytes[4] = char((count >> 8) & 0xFF);
    bytes[5] = char(count & 0xFF);
    return bytes;
}

void readMp4(const TagLib::MP4::Tag *tag, std::vector<MetadataItem> &items)
{
    if (!tag)
        return;
    const TagLib::MP4::ItemMap &map = tag->itemMap();
    for (auto it = map.begin(); it != map.end(); ++it) {
        const QByteArray rawName = it->first.to8Bit(false).c_str(); // Latin-1, "\xA9nam"
        const QString name = QString::fromLatin1(rawName);
        const TagLib::MP4::Item &atom = it->second;
        MetadataItem item;
        item.keySpace = MetadataKeySpace::iTunes;
        item.commonKey = iTunesCommonKeys().value(name);
        if (rawName.size() == 4) {
            quint32 code = 0;
            for (char byte : rawName)
                code = (code << 8) | uchar(byte);
            item.key = code;
        } else {
            item.key = name; // a freeform "----:mean:name" atom
        }
        const auto push = [&](QVariant value) {
            MetadataItem copy = item;
            copy.value = std::move(value);
            items.push_back(std::move(copy));
        };
        if (name == latin1("covr")) {
            for (const TagLib::MP4::CoverArt &cover : atom.toCoverArtList())
                push(toQByteArray(cover.data()));
        } else if (name == latin1("trkn") || name == latin1("disk")) {
            const TagLib::MP4::Item::IntPair pair = atom.toIntPair();
            push(pairData(pair.first, pair.second));
        } else if (name == latin1("gnre")) {
            const TagLib::String genre = TagLib::ID3v1::genre(atom.toInt() - 1);
            if (!genre.isEmpty())
                push(toQString(genre));
        } else if (isNumericAtom(name)) {
            push(numberOf(name, atom));
        } else if (!atom.toStringList().isEmpty()) {
            for (const TagLib::String &text : atom.toStringList())
                push(toQString(text));
        } else {
            for (const TagLib::ByteVector &bytes : atom.toByteVectorList())
                push(toQByteArray(bytes));
        }
    }
}

// ---- Vorbis comments ---------------------------------------------------------

// Field names are case-insensitive; TagLib hands them over in upper case.
const QHash<QString, QString> &vorbisCommonKeys()
{
    static const QHash<QString, QString> keys {
        { QStringLiteral("TITLE"), MetadataCommonKey::title },
        { QStringLiteral("ARTIST"), MetadataCommonKey::artist },
        { QStringLiteral("ALBUM"), MetadataCommonKey::albumName },
        { QStringLiteral("GENRE"), MetadataCommonKey::type },
        { QStringLiteral("DATE"), MetadataCommonKey::creationDate },
        { QStringLiteral("YEAR"), MetadataCommonKey::creationDate },
        { QStringLiteral("ALBUMARTIST"), MetadataCommonKey::creator },
        { QStringLiteral("ALBUM ARTIST"), MetadataCommonKey::creator },
        { QStringLiteral("COPYRIGHT"), MetadataCommonKey::copyrights },
        { QStringLiteral("LANGUAGE"), MetadataCommonKey::language },
        { QStringLiteral("ENCODER"), MetadataCommonKey::software },
    };
    return keys;
}

void readPictures(TagLib::List<TagLib::FLAC::Picture *> pictures, std::vector<MetadataItem> &items)
{
    for (const TagLib::FLAC::Picture *picture : pictures) {
        if (!picture || picture->data().isEmpty())
            continue;
        MetadataItem item;
        item.keySpace = MetadataKeySpace::vorbisComment;
        item.key = QStringLiteral("METADATA_BLOCK_PICTURE");
        item.commonKey = MetadataCommonKey::artwork;
        item.value = toQByteArray(picture->data());
        item.isFrontCover = picture->type() == TagLib::FLAC::Picture::FrontCover;
        items.push_back(std::move(item));
    }
}

void readXiph(TagLib::Ogg::XiphComment *comment, std::vector<MetadataItem> &items)
{
    if (!comment)
        return;
    const TagLib::Ogg::FieldListMap &fields = comment->fieldListMap();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        const QString name = toQString(it->first).toUpper();
        if (it->second.isEmpty())
            continue;
        MetadataItem item;
        item.keySpace = MetadataKeySpace::vorbisComment;
        item.key = name;
        item.commonKey = vorbisCommonKeys().value(name);
        item.value = toQString(it->second.toString("/"));
        items.push_back(std::move(item));
    }
    readPictures(comment->pictureList(), items);
}

// ---- RIFF INFO -------------------------------------------------------------

const QHash<QString, QString> &infoCommonKeys()
{
    static const QHash<QString, QString> keys {
        { QStringLiteral("INAM"), MetadataCommonKey::title },
        { QStringLiteral("IART"), MetadataCommonKey::artist },
        { QStringLiteral("IPRD"), MetadataCommonKey::albumName },
        { QStringLiteral("IGNR"), MetadataCommonKey::type },
        { QStringLiteral("ICRD"), MetadataCommonKey::creationDate },
        { QStringLiteral("ICOP"), MetadataCommonKey::copyrights },
        { QStringLiteral("ILNG"), MetadataCommonKey::language },
        { QStringLiteral("ISFT"), MetadataCommonKey::software },
    };
    return keys;
}

void readInfo(const TagLib::RIFF::Info::Tag *tag, std::vector<MetadataItem> &items)
{
    if (!tag)
        return;
    const TagLib::RIFF::Info::FieldListMap fields = tag->fieldListMap();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        const QString id = QString::fromLatin1(it->first.data(), int(it->first.size()));
        const QString text = toQString(it->second);
        if (text.isEmpty())
            continue;
        MetadataItem item;
        item.keySpace = MetadataKeySpace::riffInfo;
        item.key = id;
        item.commonKey = infoCommonKeys().value(id);
        item.value = text;
        items.push_back(std::move(item));
    }
}

// ---- ID3v1 -----------------------------------------------------------------

// ID3v1 fields are Latin-1 by the book, but many taggers (ffmpeg among them) write UTF-8. TagLib
// reads them as Latin-1, which keeps every byte: bytes that are valid UTF-8 are read as UTF-8.
QString id3v1Text(const TagLib::String &value)
{
    const QString latin1 = toQString(value);
    const QByteArray bytes = latin1.toLatin1();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString utf8 = decoder(bytes);
    return decoder.hasError() ? latin1 : utf8;
}

void readId3v1(const TagLib::ID3v1::Tag *tag, std::vector<MetadataItem> &items)
{
    if (!tag)
        return;
    const auto push = [&](const char *key, const QString &commonKey, QVariant value) {
        MetadataItem item;
        item.keySpace = MetadataKeySpace::id3v1;
        item.key = QString::fromLatin1(key);
        item.commonKey = commonKey;
        item.value = std::move(value);
        items.push_back(std::move(item));
    };
    const auto text = [&](const char *key, const QString &commonKey, const TagLib::String &value) {
        const QString trimmed = id3v1Text(value).trimmed();
        if (!trimmed.isEmpty())
            push(key, commonKey, trimmed);
    };
    text("title", MetadataCommonKey::title, tag->title());
    text("artist", MetadataCommonKey::artist, tag->artist());
    text("album", MetadataCommonKey::albumName, tag->album());
    if (tag->year() > 0)
        push("year", MetadataCommonKey::creationDate, QString::number(tag->year()));
    text("comment", QString(), tag->comment());
    if (tag->track() > 0)
        push("track", QString(), qint64(tag->track()));
    text("genre", MetadataCommonKey::type, tag->genre());
}

// ---- Length ----------------------------------------------------------------

// Whether an MP4 file holds a video track, from the handler of each track. TagLib measures an
// MP4's length on its sound track alone, which for a video is not the file's length.
bool mp4HasVideoTrack(const RegularFile &file)
{
    struct Box
    {
        std::int64_t start = 0;
        std::int64_t size = 0;
        QByteArray type;
    };
    const auto boxAt = [&](std::int64_t at, std::int64_t end) -> std::optional<Box> {
        uchar header[16];
        if (end - at < 8 || file.readAt(at, header, 8) != 8)
            return std::nullopt;
        std::int64_t size = (std::int64_t(header[0]) << 24) | (header[1] << 16) | (header[2] << 8) | header[3];
        std::int64_t headerSize = 8;
        if (size == 1) {
            if (file.readAt(at + 8, header + 8, 8) != 8)
                return std::nullopt;
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = (size << 8) | header[i];
            headerSize = 16;
        } else if (size == 0) {
            size = end - at;
        }
        if (size < headerSize || size > end - at)
            return std::nullopt;
        return Box { at + headerSize, size - headerSize, QByteArray(reinterpret_cast<const char *>(header + 4), 4) };
    };
    const auto child = [&](std::int64_t start, std::int64_t size, const char *type) -> std::optional<Box> {
        for (std::int64_t at = start; at < start + size;) {
            const std::optional<Box> box = boxAt(at, start + size);
            if (!box)
                return std::nullopt;
            if (box->type == type)
                return box;
            at = box->start + box->size;
        }
        return std::nullopt;
    };
    const std::optional<Box> moov = child(0, file.size(), "moov");
    if (!moov)
        return false;
    for (std::int64_t at = moov->start; at < moov->start + moov->size;) {
        const std::optional<Box> trak = boxAt(at, moov->start + moov->size);
        if (!trak)
            break;
        at = trak->start + trak->size;
        if (trak->type != "trak")
            continue;
        const std::optional<Box> mdia = child(trak->start, trak->size, "mdia");
        const std::optional<Box> hdlr = mdia ? child(mdia->start, mdia->size, "hdlr") : std::nullopt;
        char handler[4] = {};
        if (hdlr && hdlr->size >= 12 && file.readAt(hdlr->start + 8, handler, 4) == 4
            && QByteArray(handler, 4) == "vide")
            return true;
    }
    return false;
}

// TagLib's length where it is exact: read from the stream's headers (sample counts, a
// VBR header, the track header), not guessed. Nothing when TagLib found none.
std::optional<double> lengthOf(const TagLib::File &file)
{
    const TagLib::AudioProperties *properties = file.audioProperties();
    if (!file.isValid() || !properties || properties->lengthInMilliseconds() <= 0)
        return std::nullopt;
    return properties->lengthInMilliseconds() / 1000.0;
}

} // namespace

MediaMetadata MediaMetadata::read(const QString &path)
{
    return read(path, ReadLength::no);
}

MediaMetadata MediaMetadata::read(const QString &path, ReadLength readLength)
{
    MediaMetadata result;
    const RegularFile file(path);
    if (!file.isOpen() || file.size() <= 0)
        return result;
    DescriptorStream stream(file);
    const bool withLength = readLength == ReadLength::yes;
    const auto style = TagLib::AudioProperties::Fast;
    std::vector<MetadataItem> &items = result.m_items;
    switch (formatOf(file)) {
    case TagFormat::mpeg: {
        TagLib::MPEG::File mpeg(&stream, TagLib::ID3v2::FrameFactory::instance(), withLength, style);
        if (mpeg.hasID3v2Tag())
            readId3(mpeg.ID3v2Tag(false), items);
        // A short, older tag at the end; only when the file has nothing better.
        if (items.empty() && mpeg.hasID3v1Tag())
            readId3v1(mpeg.ID3v1Tag(false), items);
        // Without a VBR header TagLib guesses the length from the first frame's bit rate.
        if (withLength && mpeg.audioProperties() && mpeg.audioProperties()->xingHeader())
            result.m_duration = lengthOf(mpeg);
        break;
    }
    case TagFormat::wave: {
        TagLib::RIFF::WAV::File wave(&stream, withLength, style);
        if (!wave.isValid())
            break;
        // The INFO chunk first, so that an ID3v2 tag beside it wins where both say something.
        if (wave.hasInfoTag())
            readInfo(wave.InfoTag(), items);
        if (wave.hasID3v2Tag())
            readId3(wave.ID3v2Tag(), items);
        if (withLength)
            result.m_duration = lengthOf(wave);
        break;
    }
    case TagFormat::aiff: {
        TagLib::RIFF::AIFF::File aiff(&stream, withLength, style);
        if (aiff.isValid() && aiff.hasID3v2Tag())
            readId3(aiff.tag(), items);
        if (withLength)
            result.m_duration = lengthOf(aiff);
        break;
    }
    case TagFormat::mp4: {
        TagLib::MP4::File mp4(&stream, withLength, style);
        if (mp4.isValid())
            readMp4(mp4.tag(), items);
        if (withLength && !mp4HasVideoTrack(file))
            result.m_duration = lengthOf(mp4);
        break;
    }
    case TagFormat::flac: {
        TagLib::FLAC::File flac(&stream, TagLib::ID3v2::FrameFactory::instance(), withLength, style);
        if (!flac.isValid())
            break;
        if (flac.hasXiphComment())
            readXiph(flac.xiphComment(false), items);
        readPictures(flac.pictureList(), items);
        if (withLength)
            result.m_duration = lengthOf(flac);
        break;
    }
    case TagFormat::oggVorbis: {
        TagLib::Ogg::Vorbis::File vorbis(&stream, withLength, style);
        if (vorbis.isValid())
            readXiph(vorbis.tag(), items);
        if (withLength)
            result.m_duration = lengthOf(vorbis);
        break;
    }
    case TagFormat::oggOpus: {
        TagLib::Ogg::Opus::File opus(&stream, withLength, style);
        if (opus.isValid())
            readXiph(opus.tag(), items);
        if (withLength)
            result.m_duration = lengthOf(opus);
        break;
    }
    case TagFormat::oggFlac: {
        TagLib::Ogg::FLAC::File flac(&stream, withLength, style);
        if (flac.isValid())
            readXiph(flac.tag(), items);
        if (withLength)
            result.m_duration = lengthOf(flac);
        break;
    }
    case TagFormat::none:
        break;
    }
    // A stopped read may have left TagLib with half a tree; nothing of it is reported.
    if (stream.failed())
        return MediaMetadata();
    return result;
}

std::vector<MetadataItem> MediaMetadata::commonMetadata() const
{
    std::vector<MetadataItem> common;
    std::copy_if(m_items.begin(), m_items.end(), std::back_inserter(common),
        [](const MetadataItem &item) { return !item.commonKey.isEmpty(); });
    return common;
}

std::vector<MetadataKeySpace> MediaMetadata::availableMetadataFormats() const
{
    std::vector<MetadataKeySpace> formats;
    for (const MetadataItem &item : m_items) {
        if (std::find(formats.begin(), formats.end(), item.keySpace) == formats.end())
            formats.push_back(item.keySpace);
    }
    return formats;
}

std::vector<MetadataItem> MediaMetadata::metadata(MetadataKeySpace keySpace) const
{
    std::vector<MetadataItem> items;
    std::copy_if(m_items.begin(), m_items.end(), std::back_inserter(items),
        [keySpace](const MetadataItem &item) { return item.keySpace == keySpace; });
    return items;
}

} // namespace tarnik
