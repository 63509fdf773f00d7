#include "Platform/Media/MediaSignature.h"

#include "Platform/Media/MpegAudioHeader.h"
#include "Platform/Media/RegularFile.h"

#include <QByteArrayView>
#include <cstring>

namespace tarnik {

namespace {

constexpr int kHeadLength = 64;

struct Head
{
    unsigned char bytes[kHeadLength] = {};
    int length = 0;

    bool startsWith(const char *text, int at = 0) const
    {
        const int size = int(std::strlen(text));
        return at >= 0 && at + size <= length && std::memcmp(bytes + at, text, size_t(size)) == 0;
    }
};

// An ID3v2 tag header: "ID3", a major version of 2 to 4, a revision that is no 0xFF.
bool isId3(const Head &head)
{
    return head.startsWith("ID3") && head.length >= 10 && head.bytes[3] >= 2 && head.bytes[3] <= 4
        && head.bytes[4] != 0xFF;
}

// An MPEG audio frame header at the very start, of one of the given layers (bit 1 << layer).
bool isMpegAudioFrame(const Head &head, unsigned layers)
{
    if (head.length < 4)
        return false;
    const MpegAudioHeader header = MpegAudioHeader::of(head.bytes);
    return header.valid && (layers & (1u << header.layer)) != 0;
}

// An ADTS frame header: the sync word, layer 0 and a sampling frequency of the table.
bool isAdts(const Head &head)
{
    return head.length >= 7 && head.bytes[0] == 0xFF && (head.bytes[1] & 0xF6) == 0xF0
        && ((head.bytes[2] >> 2) & 0x0F) < 13;
}

// The first page of an Ogg stream whose first packet opens a Vorbis, Opus, FLAC or Speex stream.
bool isOggAudio(const Head &head)
{
    if (!head.startsWith("OggS") || head.length < 27)
        return false;
    const int packet = 27 + head.bytes[26];
    return head.startsWith("\x01vorbis", packet) || head.startsWith("OpusHead", packet)
        || head.startsWith("\x7F" "FLAC", packet) || head.startsWith("Speex   ", packet);
}

// An ISO media file whose major brand is no still-image brand (those are pictures, not media).
bool isIsoMedia(const Head &head)
{
    if (!head.startsWith("ftyp", 4) || head.length < 12)
        return false;
    static const char *const kImageBrands[]
        = { "avif", "avis", "heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1", "avci" };
    for (const char *brand : kImageBrands) {
        if (head.startsWith(brand, 8))
            return false;
    }
    return true;
}

bool matches(const QString &extension, const Head &head)
{
    constexpr unsigned layerI = 1u << 1, layerII = 1u << 2, layerIII = 1u << 3;
    if (extension == QLatin1String("mp3"))
        return isId3(head) || isMpegAudioFrame(head, layerIII);
    if (extension == QLatin1String("mp2") || extension == QLatin1String("mpga"))
        return isId3(head) || isMpegAudioFrame(head, layerI | layerII | layerIII);
    if (extension == QLatin1String("aac"))
        return isId3(head) || isAdts(head);
    if (extension == QLatin1String("flac"))
        return head.startsWith("fLaC");
    if (extension == QLatin1String("wav") || extension == QLatin1String("wave"))
        return (head.startsWith("RIFF") || head.startsWith("RF64")) && head.startsWith("WAVE", 8);
    if (extension == QLatin1String("aif") || extension == QLatin1String("aiff") || extension == QLatin1String("aifc"))
        return head.startsWith("FORM") && (head.startsWith("AIFF", 8) || head.startsWith("AIFC", 8));
    if (extension == QLatin1String("caf"))
        return head.startsWith("caff");
    if (extension == QLatin1String("amr"))
        return head.startsWith("#!AMR");
    if (extension == QLatin1String("m4a") || extension == QLatin1String("m4b"))
        return isIsoMedia(head);
    if (extension == QLatin1String("ogg") || extension == QLatin1String("oga") || extension == QLatin1String("opus"))
        return isOggAudio(head);
    return false;
}

QString lowerExtension(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    // A name that starts with its only dot (".mp3") has no extension.
    if (dot <= slash + 1)
        return {};
    return path.mid(dot + 1).toLower();
}

} // namespace

MediaSignature::Guess MediaSignature::of(const QString &path)
{
    const QString extension = lowerExtension(path);
    const RegularFile file(path);
    if (!file.isOpen())
        return Guess::unknown;
    Head head;
    const std::int64_t count = file.readAt(0, head.bytes, kHeadLength);
    if (count < 0)
        return Guess::unknown;
    head.length = int(count);
    // The probe gives up on a file without bytes before FFmpeg sees it; so does this.
    if (head.length == 0 && file.size() == 0)
        return Guess::empty;
    if (extension.isEmpty())
        return Guess::unknown;
    return matches(extension, head) ? Guess::audio : Guess::unknown;
}

} // namespace tarnik
