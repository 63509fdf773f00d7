#include "Platform/Media/FrameResampler.h"

extern "C" {
#include <libswresample/swresample.h>
}

namespace tarnik {

void FrameResampler::Free::operator()(SwrContext *context) const
{
    swr_free(&context);
}

FrameResampler::FrameResampler() = default;

FrameResampler::~FrameResampler()
{
    av_channel_layout_uninit(&m_layout);
}

bool FrameResampler::follow(const AVFrame *frame, int rate, int fallbackChannels, const AVChannelLayout &layout,
    AVSampleFormat format, int outputRate)
{
    AVChannelLayout input = {};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels <= 0)
        av_channel_layout_default(
            &input, frame->ch_layout.nb_channels > 0 ? frame->ch_layout.nb_channels : fallbackChannels);
    else if (av_channel_layout_copy(&input, &frame->ch_layout) < 0)
        return false;
    if (m_context && m_format == frame->format && m_rate == rate && av_channel_layout_compare(&m_layout, &input) == 0) {
        av_channel_layout_uninit(&input);
        return true;
    }
    m_context.reset();
    av_channel_layout_uninit(&m_layout);
    m_layout = input;
    m_format = frame->format;
    m_rate = rate;
    SwrContext *context = nullptr;
    // FFmpeg only reads the output layout; this version's declaration is not const.
    if (swr_alloc_set_opts2(&context, const_cast<AVChannelLayout *>(&layout), format, outputRate, &m_layout, AVSampleFormat(frame->format), rate, 0,
            nullptr)
            < 0
        || swr_init(context) < 0) {
        swr_free(&context);
        return false;
    }
    m_context.reset(context);
    return true;
}

bool FrameResampler::planesFrom(const AVFrame *frame, int first, const uint8_t *(&planes)[AV_NUM_DATA_POINTERS])
{
    const bool planar = av_sample_fmt_is_planar(AVSampleFormat(frame->format));
    const int bytes = av_get_bytes_per_sample(AVSampleFormat(frame->format));
    const int channels = frame->ch_layout.nb_channels > 0 ? frame->ch_layout.nb_channels : 1;
    const int planeCount = planar ? channels : 1;
    if (planeCount > AV_NUM_DATA_POINTERS)
        return false;
    for (int plane = 0; plane < planeCount; ++plane)
        planes[plane] = frame->extended_data[plane] + size_t(first) * size_t(bytes) * size_t(planar ? 1 : channels);
    return true;
}

} // namespace tarnik
