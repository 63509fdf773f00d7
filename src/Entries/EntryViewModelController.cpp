#include "Entries/EntryViewModelController.h"

#include "App/PathExtension.h"
#include "App/Preferences.h"
#include "Entries/Entry.h"
#include "Entries/EntryViewModel.h"
#include "Entries/EntryViewModelOperation.h"
#include "Entries/MediaProbe.h"
#include "Entries/NaturalSort.h"
#include "Platform/Dispatch.h"
#include "Platform/Media/MediaSignature.h"

#include <QFile>
#include <QPointer>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tarnik {

namespace {

// The names in a directory, as readdir gives them (no "." or ".."; names beginning with "." or
// ":" only when showHidden), each with the kind of item readdir reports (its d_type: DT_DIR,
// DT_REG, DT_LNK, …, or DT_UNKNOWN where the file system does not tell), to be put in order.
// Reads only the directory itself, so listing "/dev" or "/proc" never touches a device or a
// pseudo file. A directory that cannot be opened, or that fails or vanishes while read, gives the
// names read so far.
NaturalSort::NameOrder directoryNames(const QString &directory, bool showHidden)
{
    NaturalSort::NameOrder names;
    DIR *dir = ::opendir(QFile::encodeName(directory).constData());
    if (!dir)
        return names;
    // A directory's size is about the bytes of its entries: room for the names at once.
    struct stat info;
    if (::fstat(::dirfd(dir), &info) == 0 && info.st_size > 0)
        names.reserve(size_t(std::min<off_t>(info.st_size, off_t(64) << 20)));
    while (const dirent *item = ::readdir(dir)) {
        const char *name = item->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        if (!showHidden && (name[0] == '.' || name[0] == ':'))
            continue;
        names.append(name, std::strlen(name), char(item->d_type));
    }
    ::closedir(dir);
    return names;
}

QString symbolicLinkTarget(const QByteArray &nativePath)
{
    QByteArray target(4096, Qt::Uninitialized);
    for (;;) {
        const ssize_t length = ::readlink(nativePath.constData(), target.data(), size_t(target.size()));
        if (length < 0)
            return {};
        if (length < target.size()) {
            target.truncate(length);
            return QFile::decodeName(target);
        }
        if (target.size() >= 1024 * 1024)
            return {};
        target.resize(target.size() * 2);
    }
}

// Whether files are pictures, by extension: the answer depends on the extension alone and costs
// a look-up in the MIME database (tens of microseconds), so a page asks once per extension.
class ImageExtensions
{
public:
    bool isImage(const QString &path)
    {
        const QString extension = PathExtension(path).pathExtension();
        if (const auto known = m_known.constFind(extension); known != m_known.constEnd())
            return known.value();
        const bool image = PathExtension(path).isImage();
        m_known.insert(extension, image);
        return image;
    }

private:
    QHash<QString, bool> m_known;
};

struct BuiltEntry
{
    std::shared_ptr<Entry> entry;
};

// One entry of a listing: the link's target stands in for a symbolic link, folders are folders,
// images are known by their extension, and regular files are media when FFmpeg exports them. Other
// kinds (FIFOs, sockets, devices) are never opened: they are regular entries. The kind readdir
// reported saves asking whether the name is a link: every item is stat'ed once (lstat when
// readdir could not tell and the item is no link, stat otherwise).
//
// A regular file is not decoded here when its name and first bytes tell enough (MediaSignature):
// a file with no bytes is no media, and an audio file whose signature agrees with its extension
// is listed as exportable, provisionally, until its row or entry is loaded and the probe settles
// it. Every other file is probed here, as only the probe can tell. With quickTypes off (a listing
// that hides unsupported files must know now which are), every non-empty file is probed.
BuiltEntry makeEntry(const QString &directory, const QString &name, unsigned char kind, int row, bool quickTypes,
    ImageExtensions &images)
{
    const QString listedPath = directory + QLatin1Char('/') + name;
    QString path = listedPath;
    std::optional<QString> destination;
    struct stat info;
    bool known = false; // info already holds the item's own stat
    bool mayBeLink = kind == DT_LNK;
    if (kind == DT_UNKNOWN) {
        if (::lstat(QFile::encodeName(path).constData(), &info) == 0) {
            mayBeLink = S_ISLNK(info.st_mode);
            known = !mayBeLink;
        }
    }
    if (mayBeLink) {
        const QString target = symbolicLinkTarget(QFile::encodeName(path));
        if (!target.isEmpty()) {
            // A relative target is relative to the link's folder, never to the working directory.
            path = target.startsWith(QLatin1Char('/')) ? target : directory + QLatin1Char('/') + target;
            destination = path;
        }
    }

    const bool exists = known || ::stat(QFile::encodeName(path).constData(), &info) == 0;
    // The stat that types the entry also tells which version of the file its row is made from.
    const std::optional<FileState> state = exists ? std::optional<FileState>(FileState::fromStat(info)) : std::nullopt;
    // A link keeps its own identity (its listed path): its destination may be listed beside it.
    // hasVideoTrack is known when the listing probed the file.
    const auto make = [&](EntryType type, std::optional<bool> hasVideoTrack = std::nullopt) {
        auto entry = std::make_shared<Entry>(Entry::InFolder { directory }, name, type, IndexPath { row, 0 }, destination);
        entry->setListedFileState(state);
        entry->setListedHasVideoTrack(hasVideoTrack);
        return BuiltEntry { std::move(entry) };
    };
    if (exists && S_ISDIR(info.st_mode))
        return make(EntryType::directory);
    if (exists && !S_ISREG(info.st_mode))
        return make(EntryType::regular);
    if (images.isImage(path))
        return make(EntryType::image);
    // Nothing to read: the probe never takes a file without bytes for media, and the stat says so.
    if (!exists || info.st_size == 0)
        return make(EntryType::regular);
    switch (MediaSignature::of(path)) {
    case MediaSignature::Guess::empty:
        return make(EntryType::regular);
    case MediaSignature::Guess::audio:
        if (quickTypes) {
            BuiltEntry built = make(EntryType::exportable, false);
            built.entry->setTypeIsProvisional(true);
            return built;
        }
        break;
    case MediaSignature::Guess::unknown:
        break;
    }
    const MediaAsset asset = MediaProbe::of(path, state);
    if (asset.isExportable())
        return make(EntryType::exportable, asset.hasVideoTrack());
    return make(EntryType::regular);
}

} // namespace

// Rows read and decode in parallel (tags, a cover's JPEG); a few threads keep a screen of rows
// coming at the disk's pace without taking every core from the interface.
const int kConcurrentRowLoads = std::clamp(QThread::idealThreadCount(), 2, 8);

// The names of a listing beyond its first page, until they are in order.
struct EntryViewModelController::PendingNames
{
    explicit PendingNames(NaturalSort::NameOrder unordered)
        : order(std::move(unordered))
    {
    }

    // Orders the names unless that is done or no longer wanted; whoever comes second waits.
    void finish()
    {
        std::lock_guard lock(mutex);
        if (done || abandoned)
            return;
        order.finish(names, kinds);
        done = true;
    }

    std::mutex mutex;
    NaturalSort::NameOrder order;
    std::atomic<bool> abandoned = false;
    bool done = false;
    QStringList names;
    QByteArray kinds;
};

struct EntryViewModelController::Page
{
    bool emptyListing = false;
    int nextFile = 0;
    QList<std::shared_ptr<Entry>> entries;
    std::optional<IndexPath> revealed;
    std::optional<QString> nowPlaying;
    bool hidAny = false;
};

EntryViewModelController::EntryViewModelController(QObject *parent)
    : QObject(parent)
    , m_updateQueue(QStringLiteral("UpdateQueue"), kConcurrentRowLoads)
{
}

EntryViewModelController::~EntryViewModelController()
{
    if (m_pendingNames)
        m_pendingNames->abandoned = true;
    m_updateQueue.cancelAllOperations();
}

void EntryViewModelController::getFiles(
    const QString &directory, const std::optional<QString> &filePath, FetchCompletion completion)
{
    // Browser screens list again from a worker (after a refresh delay or a conversion). The
    // listing's state is the GUI thread's alone, so such a call is carried out there.
    if (!Dispatch::isMainThread()) {
        QPointer<EntryViewModelController> self(this);
        Dispatch::main([self, directory, filePath, completion = std::move(completion)]() mutable {
            if (self)
                self->getFiles(directory, filePath, std::move(completion));
        });
        return;
    }
    m_directory = directory;
    m_filePath = filePath;
    m_fetchCompletionHandler = std::move(completion);

    // Only the first page's names are put in order before that page is built; the rest are
    // ordered on a worker meanwhile (or on the spot, should a later page be asked for first).
    NaturalSort::NameOrder names = directoryNames(directory, Preferences::showHidden());
    m_fileCount = int(names.size());
    names.takeFront(kPageSize, m_files, m_fileKinds);
    if (m_pendingNames)
        m_pendingNames->abandoned = true;
    m_pendingNames.reset();
    if (m_fileCount > m_files.size())
        m_pendingNames = std::make_shared<PendingNames>(std::move(names));
    m_entries.clear();
    m_rowEntries.clear();
    // One slot per name: a listing that reaches its end holds no spare room.
    m_rowEntries.reserve(m_fileCount);
    m_removedEntries.clear();
    m_exportableEntries.clear();
    m_shownRows.clear();
    m_currentPage = 0;
    // Pages of the previous listing may still be on their way; the new generation drops them.
    ++m_generation;
    m_pageInFlight = false;
    fetch(0);
    if (m_pendingNames)
        Dispatch::global([pending = m_pendingNames] { pending->finish(); });
}

void EntryViewModelController::completeNames() const
{
    if (!m_pendingNames)
        return;
    const std::shared_ptr<PendingNames> pending = std::move(m_pendingNames);
    m_pendingNames.reset();
    pending->finish();
    std::lock_guard lock(pending->mutex);
    m_files = std::move(pending->names);
    m_fileKinds = std::move(pending->kinds);
}

void EntryViewModelController::fetch(int firstRow)
{
    if (firstRow != numberOfViewModels() || m_pageInFlight)
        return;
    if (qint64(m_currentPage) * kPageSize > m_fileCount)
        return;

    const int firstFile = m_currentPage * kPageSize;
    ++m_currentPage;
    m_pageInFlight = true;

    const int endFile = int(std::min<qint64>(qint64(firstFile) + kPageSize, m_fileCount));
    if (endFile > m_files.size())
        completeNames();
    const QStringList names = m_files.mid(firstFile, endFile - firstFile);
    const QByteArray kinds = m_fileKinds.mid(firstFile, endFile - firstFile);
    const bool emptyListing = m_fileCount == 0;
    const QString directory = m_directory.value_or(QString());
    const std::optional<QString> filePath = m_filePath;
    const quint64 generation = m_generation;
    QPointer<EntryViewModelController> self(this);

    Dispatch::global([=] {
        Page page;
        page.emptyListing = emptyListing;
        page.nextFile = endFile;
        if (!emptyListing) {
            const std::optional<QString> playing = Preferences::nowPlaying().identifier;
            const bool hideUnsupported = Preferences::hideUnsupported();
            int row = firstRow;
            ImageExtensions images;
            for (qsizetype i = 0; i < names.size(); ++i) {
                const QString &name = names[i];
                BuiltEntry built = makeEntry(
                    directory, name, i < kinds.size() ? uchar(kinds[i]) : uchar(DT_UNKNOWN), row, !hideUnsupported, images);
                if (hideUnsupported && built.entry->type() == EntryType::regular) {
                    page.hidAny = true;
                    continue;
                }
                const std::shared_ptr<Entry> &entry = built.entry;
                if (filePath && *filePath == entry->path())
                    page.revealed = entry->indexPath();
                if (playing && *playing == entry->identifier())
                    page.nowPlaying = entry->identifier();
                page.entries.append(std::move(built.entry));
                ++row;
            }
        }
        Dispatch::main([self, generation, page = std::move(page)]() mutable {
            if (self)
                self->commitPage(generation, std::move(page));
        });
    });
}

void EntryViewModelController::commitPage(quint64 generation, Page &&page)
{
    if (generation != m_generation)
        return;
    m_pageInFlight = false;

    std::optional<QList<IndexPath>> indexPaths;
    if (page.emptyListing) {
        indexPaths = QList<IndexPath> { IndexPath { 0, 0 } };
    } else {
        indexPaths.emplace();
        indexPaths->reserve(page.entries.size());
        for (qsizetype i = 0; i < page.entries.size(); ++i) {
            const std::shared_ptr<Entry> &entry = page.entries[i];
            m_entries.insert(entry.get());
            m_rowEntries.append(entry);
            if (entry->type() == EntryType::exportable)
                m_exportableEntries.append(entry);
            indexPaths->append(entry->indexPath());
        }
        if (page.nowPlaying)
            m_nowPlayingIdentifier = page.nowPlaying;
    }

    // The owner may start a new listing from its callback; keep what this page needs first.
    const FetchCompletion completion = m_fetchCompletionHandler;
    if (completion)
        completion(true, std::nullopt, indexPaths, page.revealed);

    // A page whose files were all hidden adds no row the owner could ask for: go on by itself.
    if (generation == m_generation && page.hidAny && page.entries.isEmpty() && page.nextFile < m_fileCount)
        fetch(numberOfViewModels());
}

std::shared_ptr<EntryViewModel> EntryViewModelController::viewModel(int row)
{
    if (row < 0 || row >= numberOfViewModels())
        return nullptr;
    const std::shared_ptr<Entry> entry = m_rowEntries[row];
    fetch(row + 1);
    if (!entry)
        return nullptr;
    const std::shared_ptr<EntryViewModel> stored = shownRow(entry);
    // A cached row counts only when it was made for this very path (identifiers of long paths are
    // cut and can collide) and from the file as the listing found it: a changed file's row loads
    // again. The listing's own stat gives the state, so serving a row costs no file access.
    if (std::shared_ptr<EntryViewModel> cached = viewModelCache().object(stored->identifier());
        cached && cached->isFreshFor(*stored)) {
        if (stored->isTypeProvisional())
            settleRow(cached);
        return cached;
    }
    return stored;
}

std::shared_ptr<Entry> EntryViewModelController::entry(int row)
{
    if (row < 0 || row >= numberOfViewModels())
        return nullptr;
    // The row's own entry, not whichever entry of the same identifier was built last.
    const std::shared_ptr<Entry> own = m_rowEntries[row];
    fetch(row + 1);
    return own;
}

void EntryViewModelController::removeViewModel(int row)
{
    if (row < 0 || row >= numberOfViewModels())
        return;
    std::shared_ptr<Entry> removed = m_rowEntries.takeAt(row);
    if (!removed)
        return;
    m_shownRows.remove(removed.get());
    m_removedEntries.append(std::move(removed));
}

std::shared_ptr<EntryViewModel> EntryViewModelController::shownRow(const std::shared_ptr<Entry> &entry)
{
    const quint64 now = ++m_servedCount;
    ShownRow &shown = m_shownRows[entry.get()];
    shown.lastServed = now;
    if (!shown.viewModel) {
        // Made as the listing would have made it, from its own stat: serving a row costs no file
        // access.
        shown.viewModel = std::make_shared<EntryViewModel>(*entry, entry->listedHasVideoTrack(),
            std::optional<std::optional<FileState>>(entry->listedFileState()));
    }
    std::shared_ptr<EntryViewModel> viewModel = shown.viewModel;
    // Rows not served for a while are let go, a batch at a time.
    if (m_shownRows.size() > 2 * kShownRowsKept) {
        m_shownRows.removeIf([now](const auto &item) { return item.value().lastServed + kShownRowsKept <= now; });
    }
    return viewModel;
}

void EntryViewModelController::update(const std::shared_ptr<EntryViewModel> &viewModel, UpdateCompletion completion)
{
    if (!viewModel)
        return;
    const QString identifier = viewModel->identifier();
    if (completion)
        m_updateCompletionHandlers.insert(identifier, std::move(completion));
    if (operation(identifier))
        return;

    if (viewModel->isCached()) {
        m_cacheLoads.insert(identifier);
        QPointer<EntryViewModelController> self(this);
        const std::weak_ptr<EntryViewModel> asked = viewModel;
        viewModel->loadFromPersistentCache([self, identifier, asked](const std::shared_ptr<EntryViewModel> &copy) {
            Dispatch::main([self, identifier, asked, copy] {
                if (!self)
                    return;
                if (copy) {
                    self->m_cacheLoads.remove(identifier);
                    self->completeUpdate(identifier, copy);
                    return;
                }
                // The saved copy is unusable (no image, a stale format, another path): load the
                // row instead, unless the request was withdrawn meanwhile.
                const bool stillWanted = self->m_cacheLoads.remove(identifier);
                const std::shared_ptr<EntryViewModel> original = asked.lock();
                if (stillWanted && original && !self->operation(identifier))
                    self->queueOperation(original);
            });
        });
        return;
    }
    queueOperation(viewModel);
}

void EntryViewModelController::queueOperation(const std::shared_ptr<EntryViewModel> &viewModel)
{
    auto operation = std::make_shared<EntryViewModelOperation>(viewModel);
    operation->setName(viewModel->identifier());
    QPointer<EntryViewModelController> self(this);
    const QString identifier = viewModel->identifier();
    const EntryViewModelOperation *key = operation.get();
    // Called on the GUI thread once the result is committed: only then has the row its load.
    operation->setCompletionHandler([self, identifier, key](const std::shared_ptr<EntryViewModel> &loaded) {
        if (!self)
            return;
        if (const auto found = self->m_liveOperations.constFind(identifier);
            found != self->m_liveOperations.constEnd() && found->get() == key)
            self->m_liveOperations.erase(found);
        self->completeUpdate(identifier, loaded);
    });
    operation->setLoadedHandler([self, key] {
        Dispatch::main([self, key] {
            if (self)
                self->operationLoaded(key);
        });
    });
    m_liveOperations.insert(identifier, operation);
    m_commitOrder.push_back(operation);
    m_updateQueue.addOperation(operation);
}

void EntryViewModelController::operationLoaded(const EntryViewModelOperation *operation)
{
    const auto queued = std::find_if(m_commitOrder.begin(), m_commitOrder.end(),
        [operation](const std::shared_ptr<EntryViewModelOperation> &o) { return o.get() == operation; });
    if (queued == m_commitOrder.end())
        return;
    m_loaded.insert(operation);
    // Every result that arrives before the GUI thread's next turn is committed in one batch.
    if (m_commitScheduled)
        return;
    m_commitScheduled = true;
    QPointer<EntryViewModelController> self(this);
    Dispatch::main([self] {
        if (self)
            self->commitLoadedRows();
    });
}

void EntryViewModelController::commitLoadedRows()
{
    m_commitScheduled = false;
    while (!m_commitOrder.empty()) {
        const std::shared_ptr<EntryViewModelOperation> first = m_commitOrder.front();
        const bool loaded = m_loaded.contains(first.get());
        // A withdrawn row waits for nobody; one still loading holds back the rows after it.
        if (!loaded && !first->isCancelled())
            break;
        m_commitOrder.pop_front();
        m_loaded.remove(first.get());
        if (loaded)
            first->commitLoaded(); // a withdrawn row keeps its picture, nothing else
    }
}

void EntryViewModelController::settleRow(const std::shared_ptr<EntryViewModel> &loaded)
{
    if (!loaded || loaded->isTypeProvisional())
        return;
    const std::shared_ptr<Entry> entry = m_entries.value(loaded->identifier());
    if (!entry || !entry->isTypeProvisional() || entry->path() != loaded->url())
        return;
    settleEntry(entry, loaded->type(), loaded->hasVideoTrack());
}

void EntryViewModelController::settleEntry(
    const std::shared_ptr<Entry> &entry, EntryType type, std::optional<bool> hasVideoTrack)
{
    entry->settleType(type);
    entry->setListedHasVideoTrack(type == EntryType::exportable ? hasVideoTrack : std::nullopt);
    // A row not served yet is made from the settled entry when it is.
    if (const auto shown = m_shownRows.constFind(entry.get()); shown != m_shownRows.constEnd()) {
        if (const std::shared_ptr<EntryViewModel> &listed = shown->viewModel; listed && listed->isTypeProvisional())
            listed->settleType(type, hasVideoTrack);
    }
    if (type == EntryType::exportable || !m_exportableEntries.removeOne(entry))
        return;
    // The owner hears once per turn, however many rows settled in it, and never from inside the
    // call that served or loaded a row.
    if (m_exportableEntriesChangeScheduled)
        return;
    m_exportableEntriesChangeScheduled = true;
    QPointer<EntryViewModelController> self(this);
    Dispatch::main([self] {
        if (!self)
            return;
        self->m_exportableEntriesChangeScheduled = false;
        if (self->m_exportableEntriesChanged)
            self->m_exportableEntriesChanged();
    });
}

namespace {

struct ProbedType
{
    EntryType type;
    std::optional<bool> hasVideoTrack;
};

ProbedType probeType(const QString &path)
{
    const MediaAsset asset = MediaProbe::of(path);
    return asset.isExportable() ? ProbedType { EntryType::exportable, asset.hasVideoTrack() }
                                : ProbedType { EntryType::regular, std::nullopt };
}

// The probes of many files at once, several at a time on the global pool (the calling thread
// takes part).
QList<ProbedType> probeTypes(const QStringList &paths)
{
    return QtConcurrent::blockingMapped(paths, probeType);
}

} // namespace

void EntryViewModelController::settleEntryType(const std::shared_ptr<Entry> &entry)
{
    // Only a file typed by its content can change. One whose entry settled by itself (its metadata
    // loaded) still brings its row and the list in line; its probe is kept, so that costs a stat.
    if (!entry || (entry->type() != EntryType::exportable && entry->type() != EntryType::regular))
        return;
    const ProbedType answer = probeType(entry->path());
    settleEntry(entry, answer.type, answer.hasVideoTrack);
}

void EntryViewModelController::settleExportableEntries(std::function<void()> done)
{
    QList<std::shared_ptr<Entry>> provisional;
    QStringList paths;
    for (const std::shared_ptr<Entry> &entry : std::as_const(m_exportableEntries)) {
        if (entry->isTypeProvisional()) {
            provisional.append(entry);
            paths.append(entry->path());
        }
    }
    const auto settle = [](EntryViewModelController *self, const QList<std::shared_ptr<Entry>> &entries,
                            const QList<ProbedType> &answers) {
        for (qsizetype i = 0; i < entries.size() && i < answers.size(); ++i) {
            if (entries[i]->isTypeProvisional())
                self->settleEntry(entries[i], answers[i].type, answers[i].hasVideoTrack);
        }
    };
    // A few screens of files settle on the spot, in a few milliseconds, so a tap plays at once; a
    // longer list (pages listed but never shown) is probed off the GUI thread.
    if (paths.size() <= kSettledOnTheSpot) {
        if (!paths.isEmpty())
            settle(this, provisional, probeTypes(paths));
        if (done)
            done();
        return;
    }
    QPointer<EntryViewModelController> self(this);
    Dispatch::global([self, provisional, paths, settle, done = std::move(done)]() mutable {
        const QList<ProbedType> answers = probeTypes(paths);
        Dispatch::main([self, provisional, answers, settle, done = std::move(done)] {
            if (!self)
                return;
            settle(self.data(), provisional, answers);
            if (done)
                done();
        });
    });
}

void EntryViewModelController::completeUpdate(
    const QString &identifier, const std::shared_ptr<EntryViewModel> &viewModel)
{
    settleRow(viewModel);
    QPointer<EntryViewModelController> self(this);
    Dispatch::main([self, identifier, viewModel] {
        if (!self)
            return;
        const auto found = self->m_updateCompletionHandlers.find(identifier);
        if (found == self->m_updateCompletionHandlers.end())
            return;
        const UpdateCompletion handler = found.value();
        self->m_updateCompletionHandlers.erase(found);
        if (handler)
            handler(viewModel);
    });
}

void EntryViewModelController::cancelUpdate(const QString &identifier)
{
    m_updateQueue.setSuspended(true);
    if (const std::shared_ptr<EntryViewModelOperation> found = operation(identifier))
        found->cancel();
    m_liveOperations.remove(identifier);
    m_updateCompletionHandlers.remove(identifier);
    m_cacheLoads.remove(identifier);
    m_updateQueue.setSuspended(false);
}

std::shared_ptr<EntryViewModelOperation> EntryViewModelController::operation(const QString &identifier) const
{
    for (const std::shared_ptr<Operation> &queued : m_updateQueue.operations()) {
        auto candidate = std::dynamic_pointer_cast<EntryViewModelOperation>(queued);
        if (candidate && !candidate->isCancelled() && candidate->identifier() == identifier)
            return candidate;
    }
    // An operation leaves the queue when its work is done, but its result reaches the row on the
    // GUI thread a moment later; until then it is still the row's load.
    if (const std::shared_ptr<EntryViewModelOperation> pending = m_liveOperations.value(identifier);
        pending && !pending->isCancelled())
        return pending;
    return nullptr;
}

// ---- ListedEntries ----------------------------------------------------------------------------

namespace {

// Entries are at least this aligned, which leaves the low bits of their address for a tag.
constexpr quintptr kTagMask = alignof(Entry) - 1;
static_assert(alignof(Entry) >= 8);

size_t identifierHash(const QString &identifier)
{
    return qHash(identifier, size_t(0));
}

quintptr tagOf(size_t hash)
{
    return quintptr(hash >> (sizeof(size_t) * 8 - 3)) & kTagMask;
}

Entry *entryOf(quintptr slot)
{
    return reinterpret_cast<Entry *>(slot & ~kTagMask);
}

} // namespace

qsizetype ListedEntries::find(const QString &identifier, size_t hash) const
{
    if (m_slots.empty())
        return -1;
    const size_t mask = m_slots.size() - 1;
    const quintptr tag = tagOf(hash);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const quintptr slot = m_slots[i];
        if (slot == 0)
            return -qsizetype(i) - 2; // free: where it would go
        if ((slot & kTagMask) == tag && entryOf(slot)->identifier() == identifier)
            return qsizetype(i);
    }
}

std::shared_ptr<Entry> ListedEntries::value(const QString &identifier) const
{
    const qsizetype at = find(identifier, identifierHash(identifier));
    if (at < 0)
        return nullptr;
    return entryOf(m_slots[size_t(at)])->shared_from_this();
}

void ListedEntries::insert(Entry *entry)
{
    if (!entry)
        return;
    // At most half full, so a search ends after a slot or two.
    if (size_t(m_size + 1) * 2 > m_slots.size())
        grow();
    const QString identifier = entry->identifier();
    const size_t hash = identifierHash(identifier);
    const qsizetype at = find(identifier, hash);
    const quintptr slot = reinterpret_cast<quintptr>(entry) | tagOf(hash);
    if (at >= 0) {
        m_slots[size_t(at)] = slot;
        return;
    }
    m_slots[size_t(-at - 2)] = slot;
    ++m_size;
}

void ListedEntries::grow()
{
    std::vector<quintptr> old = std::move(m_slots);
    m_slots.assign(std::max<size_t>(64, old.size() * 2), 0);
    m_size = 0;
    for (const quintptr slot : old) {
        if (slot != 0)
            insert(entryOf(slot));
    }
}

void ListedEntries::clear()
{
    std::vector<quintptr>().swap(m_slots);
    m_size = 0;
}

} // namespace tarnik
