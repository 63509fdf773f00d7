#pragma once

#include "Entries/EntryType.h"
#include "Platform/IndexPath.h"
#include "Platform/OperationQueue.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <ranges>
#include <vector>

namespace tarnik {

class Entry;
class EntryViewModel;
class EntryViewModelOperation;

// The entries of a listing by identifier, for looking one up: an open-addressing table of the
// entries themselves, so a listing of a million files holds no identifier text (each is made
// from its entry's path when needed). Holds no entry alive: the listing owns them.
class ListedEntries
{
public:
    // The entry with this identifier (of those inserted with it, the last one), or none.
    std::shared_ptr<Entry> value(const QString &identifier) const;
    bool contains(const QString &identifier) const { return value(identifier) != nullptr; }
    // How many identifiers are held.
    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // Adds entry, replacing any entry with the same identifier.
    void insert(Entry *entry);
    void clear();

private:
    qsizetype find(const QString &identifier, size_t hash) const;
    void grow();
    // Each slot is an entry's address with a few bits of its identifier's hash in the low bits
    // (entries are aligned), 0 when empty.
    std::vector<quintptr> m_slots;
    qsizetype m_size = 0;
};

// The model side of one browser level: lists one directory, keeps its names in natural order
// and turns them, a page of 100 names at a time and off the GUI thread, into entries; serves rows
// by index (a row's view model is made from its entry when the row is first served), starts the
// next page when the owner asks for the last loaded row,
// finds the row of a file to reveal and of the item now playing, and loads row details on its
// "UpdateQueue": several rows are read and decoded at once, and their results are committed on
// the GUI thread in the order the rows were asked for, all that are ready in one batch.
//
// Lives on the GUI thread: every member is called there. A page is built on a global queue into
// values of its own and committed on the GUI thread, so nothing the owner reads is written by
// another thread. Each listing has a generation: pages of an earlier listing of this controller
// are dropped when they arrive. Work still running when the controller goes finds it gone and
// does nothing.
class EntryViewModelController : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPageSize = 100;

    // The page callback: (success, error, the index paths of the rows the page added, the index
    // path of the revealed file when this page built its row). Success is always true and the
    // error always none: a directory that cannot be read lists as empty. A listing with no rows
    // reports exactly one index path, item 0 of section 0, although no row exists. Called on the
    // GUI thread once the page's rows are in place.
    using FetchCompletion = std::function<void(bool success, const std::optional<QString> &error,
        const std::optional<QList<IndexPath>> &indexPaths, const std::optional<IndexPath> &revealedIndexPath)>;
    // A row's callback: the loaded view model (possibly another object than the one asked for, when
    // it came from the disk cache).
    using UpdateCompletion = std::function<void(const std::shared_ptr<EntryViewModel> &)>;

    explicit EntryViewModelController(QObject *parent = nullptr);
    ~EntryViewModelController() override;

    // Lists directory (names beginning with "." or ":" only when showHidden is on), sorts the
    // names, resets the rows and starts page 0. filePath names a file to reveal: the callback of
    // the page that builds its row carries its index path. Every result arrives through completion.
    // Called off the GUI thread, the listing is carried out on the GUI thread a moment later.
    void getFiles(const QString &directory, const std::optional<QString> &filePath, FetchCompletion completion);

    int numberOfFiles() const { return m_fileCount; }
    int numberOfViewModels() const { return int(m_rowEntries.size()); }
    auto viewModelIndices() const { return std::views::iota(0, numberOfViewModels()); }

    // The row's view model (the cached, loaded one when viewModelCache() holds it for the same
    // path), or none outside the loaded rows. Asking for the last loaded row starts the next page.
    std::shared_ptr<EntryViewModel> viewModel(int row);
    // The row's entry, or none outside the loaded rows; starts the next page as viewModel() does.
    std::shared_ptr<Entry> entry(int row);
    // Removes one row (0 <= row < numberOfViewModels(); other rows are ignored).
    void removeViewModel(int row);

    // Starts the page whose first row is firstRow when firstRow follows the last loaded row, no
    // page is being built and the names are not exhausted (an exactly full last page is followed
    // by one empty page, as the owner cannot know the list ended).
    void fetch(int firstRow);

    // Requests a row's details. The callback (when given) replaces any waiting one of that row and
    // is called once, on the GUI thread. A row whose operation is already queued gets no second
    // one. A row saved in the disk cache (usePersistentCache) is read from there; a saved copy that
    // cannot be used falls back to the row loading operation.
    void update(const std::shared_ptr<EntryViewModel> &viewModel, UpdateCompletion completion = {});
    // Withdraws a row's request: its waiting operation is cancelled and its callback dropped.
    void cancelUpdate(const QString &identifier);
    // The live (queued or running, not cancelled) operation of a row.
    std::shared_ptr<EntryViewModelOperation> operation(const QString &identifier) const;

    // Every entry of the listing by identifier (a later one with the same identifier wins).
    const ListedEntries &entries() const { return m_entries; }
    // The exportable entries, in row order. An entry whose type is still the listing's quick answer
    // (Entry::isTypeProvisional) leaves the list when its probe, made as its row loads, finds no
    // media in it; the owner hears of it through the handler below.
    const QList<std::shared_ptr<Entry>> &exportableEntries() const { return m_exportableEntries; }
    // Called on the GUI thread, once per GUI-thread turn, after exportableEntries() lost entries
    // whose probe found no media.
    void setExportableEntriesChangedHandler(std::function<void()> handler)
    {
        m_exportableEntriesChanged = std::move(handler);
    }
    // Probes every listed exportable entry whose type is still provisional (several at once),
    // settles their types and rows, then calls done on the GUI thread. Up to kSettledOnTheSpot
    // entries are probed before the call returns, done included; more are probed off the GUI
    // thread and done follows later. For whoever takes the whole list (the playing queue,
    // select-all), which must hold only what the probe calls media.
    static constexpr qsizetype kSettledOnTheSpot = 256;
    void settleExportableEntries(std::function<void()> done);
    // Probes the file of one entry listed as media or regular, on the spot (one file is cheap),
    // and settles the entry, its row and exportableEntries(). For a tap on a row whose type is
    // still provisional, which must do what the file really is the first time.
    void settleEntryType(const std::shared_ptr<Entry> &entry);
    // The listed names in order.
    const QStringList &files() const
    {
        completeNames();
        return m_files;
    }
    const std::optional<QString> &directory() const { return m_directory; }
    const std::optional<QString> &filePath() const { return m_filePath; }
    int currentPage() const { return m_currentPage; }
    // The identifier of the listed entry that the now-playing marker names; stays across listings.
    const std::optional<QString> &nowPlayingIdentifier() const { return m_nowPlayingIdentifier; }
    OperationQueue &updateQueue() { return m_updateQueue; }

private:
    struct Page;
    struct PendingNames;
    // Puts the rest of the names in order, if they are not yet, waiting for the worker doing it.
    void completeNames() const;
    void commitPage(quint64 generation, Page &&page);
    void completeUpdate(const QString &identifier, const std::shared_ptr<EntryViewModel> &viewModel);
    void queueOperation(const std::shared_ptr<EntryViewModel> &viewModel);
    void operationLoaded(const EntryViewModelOperation *operation);
    void commitLoadedRows();
    // Brings a row's entry, its listed view model and exportableEntries() in line with the type
    // a loaded (settled) view model of the same identifier holds.
    void settleRow(const std::shared_ptr<EntryViewModel> &loaded);
    void settleEntry(const std::shared_ptr<Entry> &entry, EntryType type, std::optional<bool> hasVideoTrack);
    // The row view model of a listed entry: made when the row is first served, from what the
    // listing found, and kept while the row is among the kShownRowsKept rows served last, so the
    // owner gets the same object for a row it shows. A listing holds no view model per file.
    std::shared_ptr<EntryViewModel> shownRow(const std::shared_ptr<Entry> &entry);

    ListedEntries m_entries;
    // The entry of each row, in row order.
    QList<std::shared_ptr<Entry>> m_rowEntries;
    // Entries whose rows were removed: m_entries still finds them.
    QList<std::shared_ptr<Entry>> m_removedEntries;
    QList<std::shared_ptr<Entry>> m_exportableEntries;
    struct ShownRow
    {
        std::shared_ptr<EntryViewModel> viewModel;
        quint64 lastServed = 0;
    };
    static constexpr qsizetype kShownRowsKept = 1000;
    QHash<const Entry *, ShownRow> m_shownRows;
    quint64 m_servedCount = 0;
    // The listed names in order and what readdir said each is (its d_type). Until the names
    // beyond the first page are in order (m_pendingNames), these hold the first page's only.
    mutable QStringList m_files;
    mutable QByteArray m_fileKinds;
    mutable std::shared_ptr<PendingNames> m_pendingNames;
    int m_fileCount = 0;
    std::optional<QString> m_directory;
    std::optional<QString> m_filePath;
    int m_currentPage = 0;
    FetchCompletion m_fetchCompletionHandler;
    QHash<QString, UpdateCompletion> m_updateCompletionHandlers;
    // Each row's operation from queueing until its result is committed on the GUI thread.
    QHash<QString, std::shared_ptr<EntryViewModelOperation>> m_liveOperations;
    // Queued operations in the order they were queued, and whether each has its details loaded:
    // results are committed from the front only, so rows appear in the order they were asked for.
    std::deque<std::shared_ptr<EntryViewModelOperation>> m_commitOrder;
    QSet<const EntryViewModelOperation *> m_loaded;
    bool m_commitScheduled = false;
    // Rows being read from the disk cache, so a failed read can fall back unless withdrawn.
    QSet<QString> m_cacheLoads;
    std::optional<QString> m_nowPlayingIdentifier;
    std::function<void()> m_exportableEntriesChanged;
    bool m_exportableEntriesChangeScheduled = false;
    quint64 m_generation = 0;
    bool m_pageInFlight = false;
    OperationQueue m_updateQueue;
};

} // namespace tarnik
