#pragma once

// Internal to src/Platform/Media/: turning decoded audio frames into one output format.

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <memory>

struct SwrContext;

namespace tarnik {

// FFmpeg's resampler for a stream of decoded frames, made again whenever the frames' format, rate
// or channel layout changes midway (a stream may do that). Any thread, one at a time.
class FrameResampler
{
public:
    FrameResampler();
    ~FrameResampler();
    FrameResampler(const FrameResampler &) = delete;
    FrameResampler &operator=(const FrameResampler &) = delete;

    // Readies the resampler for `frame`, whose samples come at `rate`; a frame that does not say
    // its layout takes the default one of its channel count, or of `fallbackChannels`. The output
    // is `layout` and `format` at `outputRate`. False when FFmpeg cannot set that up.
    bool follow(const AVFrame *frame, int rate, int fallbackChannels, const AVChannelLayout &layout,
        AVSampleFormat format, int outputRate);

    // Null until follow() succeeded once.
    SwrContext *context() const { return m_context.get(); }

    // The planes of `frame` from its sample `first` on, for swr_convert; false when the frame has
    // more planes than a frame can point to.
    static bool planesFrom(const AVFrame *frame, int first, const uint8_t *(&planes)[AV_NUM_DATA_POINTERS]);

private:
    struct Free
    {
        void operator()(SwrContext *context) const;
    };
    std::unique_ptr<SwrContext, Free> m_context;
    int m_format = -1;
    int m_rate = 0;
    AVChannelLayout m_layout = {};
};

} // namespace tarnik
