#include "Entries/MediaProbe.h"

#include "Entries/ObjectCache.h"

namespace tarnik {

namespace {

struct ProbedFile
{
    FileState state;
    MediaAsset asset;
};

ObjectCache<ProbedFile> &probes()
{
    static ObjectCache<ProbedFile> cache({}, 0, kMediaProbeCacheCountLimit);
    return cache;
}

} // namespace

MediaAsset MediaProbe::of(const QString &path)
{
    return of(path, FileState::of(path));
}

MediaAsset MediaProbe::of(const QString &path, const std::optional<FileState> &state)
{
    if (!state)
        return MediaAsset(path);
    if (const std::shared_ptr<ProbedFile> kept = probes().object(path); kept && kept->state == *state)
        return kept->asset;
    // Two threads asking for the same new version both probe it; the answers are the same. Rows
    // ask only for the kind, which the headers of a plain AAC file settle; its details are probed
    // when first asked for, once for every holder of this version.
    auto probed = std::make_shared<ProbedFile>(ProbedFile { *state, MediaAsset::withDetailsOnDemand(path) });
    MediaAsset asset = probed->asset;
    probes().setObject(path, std::move(probed));
    return asset;
}

void MediaProbe::clear()
{
    probes().removeAllObjects();
}

} // namespace tarnik
