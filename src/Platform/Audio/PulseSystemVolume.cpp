#include "Platform/Audio/PulseSystemVolume.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <pulse/pulseaudio.h>
#include <string>

namespace tarnik {

// Everything the mainloop thread touches. Its members are guarded by the
// mainloop's lock, except the start-up handshake, which has its own mutex.
struct PulseSystemVolume::Connection
{
    PulseSystemVolume *owner = nullptr;
    pa_threaded_mainloop *loop = nullptr;
    pa_context *context = nullptr;
    uint32_t sinkIndex = PA_INVALID_INDEX;
    pa_cvolume sinkVolume {};

    std::mutex startMutex;
    std::condition_variable started;
    bool ready = false;
    bool failed = false;
    double firstVolume = 1.0;
    bool firstMuted = false;

    void finishStart(bool ok)
    {
        std::lock_guard lock(startMutex);
        if (ready || failed)
            return;
        (ok ? ready : failed) = true;
        started.notify_all();
    }

    void refreshServer()
    {
        if (pa_operation *op = pa_context_get_server_info(context, &Connection::serverInfo, this))
            pa_operation_unref(op);
    }

    static void state(pa_context *context, void *userdata)
    {
        auto *self = static_cast<Connection *>(userdata);
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY: {
            pa_context_set_subscribe_callback(context, &Connection::event, self);
            const auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER);
            if (pa_operation *op = pa_context_subscribe(context, mask, nullptr, nullptr))
                pa_operation_unref(op);
            self->refreshServer();
            break;
        }
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            self->finishStart(false);
            break;
        default:
            break;
        }
    }

    static void serverInfo(pa_context *context, const pa_server_info *info, void *userdata)
    {
        auto *self = static_cast<Connection *>(userdata);
        if (!info || !info->default_sink_name) {
            self->finishStart(false);
            return;
        }
        if (pa_operation *op = pa_context_get_sink_info_by_name(context, info->default_sink_name, &Connection::sinkInfo, self))
            pa_operation_unref(op);
    }

    static void sinkInfo(pa_context *, const pa_sink_info *info, int eol, void *userdata)
    {
        auto *self = static_cast<Connection *>(userdata);
        if (eol < 0) {
            self->finishStart(false);
            return;
        }
        if (eol > 0 || !info)
            return;
        self->sinkIndex = info->index;
        self->sinkVolume = info->volume;
        const double volume = std::clamp(double(pa_cvolume_max(&info->volume)) / PA_VOLUME_NORM, 0.0, 1.0);
        const bool muted = info->mute != 0;
        {
            std::lock_guard lock(self->startMutex);
            if (!self->ready) {
                self->firstVolume = volume;
                self->firstMuted = muted;
            }
        }
        self->finishStart(true);
        if (PulseSystemVolume *owner = self->owner)
            QMetaObject::invokeMethod(owner, [owner, volume, muted] { owner->apply(volume, muted); }, Qt::QueuedConnection);
    }

    static void event(pa_context *context, pa_subscription_event_type_t type, uint32_t index, void *userdata)
    {
        auto *self = static_cast<Connection *>(userdata);
        const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const unsigned kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
            // The default sink may have changed.
            self->refreshServer();
        } else if (facility == PA_SUBSCRIPTION_EVENT_SINK && index == self->sinkIndex) {
            if (kind == PA_SUBSCRIPTION_EVENT_CHANGE) {
                if (pa_operation *op = pa_context_get_sink_info_by_index(context, index, &Connection::sinkInfo, self))
                    pa_operation_unref(op);
            } else if (kind == PA_SUBSCRIPTION_EVENT_REMOVE) {
                self->sinkIndex = PA_INVALID_INDEX;
                self->refreshServer();
            }
        }
    }
};

PulseSystemVolume::PulseSystemVolume()
    : m_connection(std::make_unique<Connection>())
{
}

std::unique_ptr<PulseSystemVolume> PulseSystemVolume::connect(double timeoutSeconds)
{
    std::unique_ptr<PulseSystemVolume> volume(new PulseSystemVolume);
    Connection &c = *volume->m_connection;
    c.owner = volume.get();
    c.loop = pa_threaded_mainloop_new();
    if (!c.loop)
        return nullptr;
    c.context = pa_context_new(pa_threaded_mainloop_get_api(c.loop), "Tarnik");
    if (!c.context)
        return nullptr;
    pa_context_set_state_callback(c.context, &Connection::state, &c);
    if (pa_context_connect(c.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return nullptr;
    if (pa_threaded_mainloop_start(c.loop) < 0)
        return nullptr;

    std::unique_lock lock(c.startMutex);
    const auto timeout = std::chrono::duration<double>(timeoutSeconds);
    if (!c.started.wait_for(lock, timeout, [&c] { return c.ready || c.failed; }) || !c.ready)
        return nullptr;
    volume->m_volume = c.firstVolume;
    volume->m_muted = c.firstMuted;
    return volume;
}

PulseSystemVolume::~PulseSystemVolume()
{
    Connection &c = *m_connection;
    if (c.loop)
        pa_threaded_mainloop_stop(c.loop);
    if (c.context) {
        pa_context_disconnect(c.context);
        pa_context_unref(c.context);
    }
    if (c.loop)
        pa_threaded_mainloop_free(c.loop);
}

void PulseSystemVolume::setVolume(double volume)
{
    if (!std::isfinite(volume))
        return;
    volume = std::clamp(volume, 0.0, 1.0);
    Connection &c = *m_connection;
    pa_threaded_mainloop_lock(c.loop);
    if (c.sinkIndex != PA_INVALID_INDEX && pa_cvolume_valid(&c.sinkVolume)) {
        pa_cvolume target = c.sinkVolume;
        pa_cvolume_scale(&target, pa_volume_t(std::lround(volume * PA_VOLUME_NORM)));
        c.sinkVolume = target;
        if (pa_operation *op = pa_context_set_sink_volume_by_index(c.context, c.sinkIndex, &target, nullptr, nullptr))
            pa_operation_unref(op);
    }
    pa_threaded_mainloop_unlock(c.loop);
    apply(volume, m_muted);
}

void PulseSystemVolume::setMuted(bool muted)
{
    Connection &c = *m_connection;
    pa_threaded_mainloop_lock(c.loop);
    if (c.sinkIndex != PA_INVALID_INDEX) {
        if (pa_operation *op = pa_context_set_sink_mute_by_index(c.context, c.sinkIndex, muted, nullptr, nullptr))
            pa_operation_unref(op);
    }
    pa_threaded_mainloop_unlock(c.loop);
    apply(m_volume, muted);
}

void PulseSystemVolume::apply(double volume, bool muted)
{
    const bool volumeMoved = std::abs(volume - m_volume) > 1e-4;
    const bool muteMoved = muted != m_muted;
    m_volume = volume;
    m_muted = muted;
    if (volumeMoved)
        Q_EMIT volumeChanged(volume);
    if (muteMoved)
        Q_EMIT mutedChanged(muted);
}

} // namespace tarnik
