#pragma once

// Internal to src/Platform/Media/: the four-byte header that starts each MPEG audio frame.

#include <cstdint>

namespace tarnik {

// An MPEG-1, 2 or 2.5 audio frame header of any layer, as FFmpeg takes one: the sync bits, a
// version, a layer, a bit rate from the table (free format, which only a scan can measure, is
// left out) and a sample rate from the table.
struct MpegAudioHeader
{
    uint32_t bits = 0;
    bool valid = false;
    int layer = 0; // 1 to 3
    bool mpeg1 = false;
    int version = 0; // the two version bits: 0 for 2.5, 2 for 2, 3 for 1

    static MpegAudioHeader of(const unsigned char *bytes)
    {
        MpegAudioHeader header;
        header.bits = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
        header.version = int(header.bits >> 19) & 3;
        const int layerBits = int(header.bits >> 17) & 3;
        header.layer = 4 - layerBits;
        header.mpeg1 = header.version == 3;
        header.valid = (header.bits & 0xffe00000u) == 0xffe00000u && header.version != 1 && layerBits != 0
            && header.bitrateIndex() != 0 && header.bitrateIndex() != 15 && header.rateIndex() != 3;
        return header;
    }

    int bitrateIndex() const { return int(bits >> 12) & 15; }
    int rateIndex() const { return int(bits >> 10) & 3; }

    // The frame's length in bytes, header included, for a valid Layer III header; 0 otherwise.
    int layer3Length() const
    {
        if (!valid || layer != 3)
            return 0;
        static constexpr int kMpeg1Kbps[15] = { 0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320 };
        static constexpr int kMpeg2Kbps[15] = { 0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160 };
        static constexpr int kMpeg1Rates[3] = { 44100, 48000, 32000 };
        const int rate = kMpeg1Rates[rateIndex()] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
        const int kbps = (mpeg1 ? kMpeg1Kbps : kMpeg2Kbps)[bitrateIndex()];
        const int padding = int(bits >> 9) & 1;
        return (mpeg1 ? 144000 : 72000) * kbps / rate + padding;
    }
};

} // namespace tarnik
