#pragma once

#include "App/BrowserServices.h"
#include "Browser/EntryCellDelegate.h"
#include "Browser/Layout.h"
#include "Platform/IndexPath.h"
#include "Platform/UI/CollectionView.h"
#include "Platform/UI/ViewController.h"
#include "Player/PlayerView.h"

#include <QImage>
#include <QPointer>
#include <QSet>
#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QLabel;
class QToolButton;

namespace tarnik {

class BarButtonItem;
class Entry;
class LoaderView;
class Refresher;

class EntryCell;
class EntryViewModelController;
class MiniPlayerHost;
class PreviewDataSource;
class TabBarController;

// One level of the file browser: lists one directory in a collection view (a list or a grid),
// enters edit mode to choose media entries, and opens what is tapped: a deeper level, the shared
// player, the image viewer or the document preview. It is the data source, delegate and
// prefetching data source of its collection view, the owner of its rows' accessory taps and the
// mini player's delegate while it plays.
//
// A level lists its directory the first time it comes on screen and keeps its rows until it is
// popped or refreshed; every appearance stores its directory as the browser's start folder.
// GUI thread only; the listing model does its own work off the GUI thread and reports back here.
class DirectoryViewController : public ViewController,
                                public CollectionViewDataSource,
                                public CollectionViewDelegateFlowLayout,
                                public CollectionViewDataSourcePrefetching,
                                public EntryCellDelegate,
                                public PlayerViewDelegate,
                                public BrowserLevel
{
    Q_OBJECT
public:
    struct Constants
    {
        static constexpr double refresherMinimumTime = 1.0;
        static constexpr int maximumImportCount = 10;
        static constexpr double headerHeight = 43.0;
    };
    static constexpr double kMiniPlayerHeight = 60.0;

    explicit DirectoryViewController(QObject *parent = nullptr);
    ~DirectoryViewController() override;

    // Where a level finds the mini player's host (the tab bar by default, else the shared player).
    static void setPlayerHostProvider(std::function<MiniPlayerHost *(DirectoryViewController *)> provider);
    MiniPlayerHost *playerHost();

    QString directory() const { return m_directory; }
    // Leading runs of "/" become one.
    void setDirectory(const QString &directory);
    std::optional<QString> filePath() const { return m_filePath; }
    void setFilePath(const std::optional<QString> &filePath) { m_filePath = filePath; }

    EntryViewModelController &entryViewModelController() { return *m_model; }
    CollectionView *collectionView() const { return m_collectionView; }
    QWidget *headerView() const { return m_headerView; }
    QLabel *currentDirectoryLabel() const { return m_currentDirectory; }
    QToolButton *layoutButton() const { return m_layoutButton; }
    double headerViewTopConstant() const { return m_headerTop; }
    BarButtonItem *editButtonItem() const { return m_editButtonItem; }
    BarButtonItem *importBarButtonItem() const { return m_importBarButtonItem; }
    BarButtonItem *selectAllBarButtonItem() const { return m_selectAllBarButtonItem; }
    const QSet<std::shared_ptr<Entry>> &selectedEntries() const { return m_selectedEntries; }
    bool editMode() const { return m_editMode; }
    void setEditMode(bool editMode);
    bool animateEntryCell() const { return m_animateEntryCell; }
    bool hasAppeared() const { return m_viewDidAppear; }
    std::optional<IndexPath> selectedIndexPath() const { return m_selectedIndexPath; }
    PreviewDataSource *previewDataSource() const { return m_previewDataSource; }
    LoaderView *loaderView() const;
    Refresher *refresher() const;

    // The application-wide list or grid choice (reading it also sets the layout button's image).
    Layout layout();
    void setLayout(Layout layout);
    void changeLayout();
    QString cellReuseIdentifier();
    double itemsPerRow();
    QSizeF itemSize();

    void fetchViewModels();
    void updateUI(const std::optional<QList<IndexPath>> &indexPaths, const std::optional<IndexPath> &selected);
    void openEntry(const IndexPath &indexPath);
    void animateHeader(bool show);
    void refresh();
    void endRefreshingIfNeeded();
    void toggleEditMode();
    // The listing's bottom inset: clear of the mini player while it is up.
    void updateContentInset();

    // Importing the selection: the toolbar's Import item checks the cap and offers the
    // destinations; a destination imports the selection as that kind.
    void importSelectedEntries(BarButtonItem *sender);
    void importSelectedEntries(MediaKind kind);
    // The toolbar's Select All / Deselect All item.
    void toggleAllSelection(BarButtonItem *sender);
    // The select-all walk: one entry at a time, pausing while an offer sheet is open.
    void selectNextEntry();
    void waitForOfferSheet();
    int indexOfPresentedAlertView() const { return m_indexOfPresentedAlertView; }
    // The offer of an AAC copy of audio the player cannot read, and the copy itself. The offer
    // shows on presenter (the level itself by default). Once the copy is written the level lists
    // its directory again and, when given, `converted` goes on with the copy's path (a file
    // handed over continues into the editor with its copy).
    using ConvertedHandler = std::function<void(const QString &copyPath)>;
    void offerConversion(
        const std::shared_ptr<Entry> &entry, ViewController *presenter = nullptr, ConvertedHandler converted = {});
    void convertToAAC(const std::shared_ptr<Entry> &entry, ConvertedHandler converted = {});
    // Where the AAC copy of a file goes: beside it, "<name>_AAC.m4a".
    static QString convertedPath(const QString &path);

    // PlayerViewDelegate: the mini player's reports.
    void playerViewShowVideoAt(const QUrl &) override { }
    void playerViewDidChangePlayingStateOf(const QString &identifier, bool isPlaying) override;
    // Stops and hides the playing indicator of the visible row of that entry.
    void resetPlayingIndicator(const QString &identifier) override;

    // What the tab bar asks its delegate; the browser's navigation controller forwards it here
    // for the level on top.
    bool tabBarShouldSelect(TabBarController *tabBarController, ViewController *viewController);

    // EntryCellDelegate
    void accessoryButtonTapped(const QString &identifier, EntryCell *sender) override;

    // The share sheet for one loaded entry: its import actions, Preview and Open In, then the
    // desktop's services; anchored at sourceView (a row or a button) on pads.
    void presentShareSheet(
        const std::shared_ptr<Entry> &entry, QWidget *sourceView, ViewController *presentingViewController);
    QWidget *popoverSourceView() const { return m_popoverSourceView; }
    // The full player's share button: the share sheet of the entry the shared player is on,
    // over the full player. Only the level on top of its navigation stack answers.
    void showShareOptions();

    // Opens the image viewer for a loaded picture entry.
    void presentImageViewer(const std::shared_ptr<Entry> &entry, EntryCell *cell, const QImage &picture);

    // The import editor for one entry, through the storyboard; nothing when the editor screen
    // is not registered. isOpenIn marks a copy in the app's own inbox the editor may delete.
    void presentImportEditor(const std::shared_ptr<Entry> &entry, bool isOpenIn, MediaKind mediaKind);

    // BrowserLevel
    void importReceivedFile(const QString &path) override;
    void showCopyProgress(bool copying) override;
    void importHandOver(const QVariantMap &record, MediaKind mediaKind) override;

    // CollectionViewDataSource
    int numberOfItems(CollectionView *, int section) override;
    CollectionViewCell *cellForItem(CollectionView *, const IndexPath &indexPath) override;
    CollectionReusableView *viewForSupplementaryElement(
        CollectionView *, const QString &kind, const IndexPath &indexPath) override;
    // CollectionViewDataSourcePrefetching
    void prefetchItems(CollectionView *, const QList<IndexPath> &indexPaths) override;
    void cancelPrefetchingForItems(CollectionView *, const QList<IndexPath> &indexPaths) override;
    // CollectionViewDelegate
    void didEndDisplayingCell(CollectionView *, CollectionViewCell *, const IndexPath &indexPath) override;
    bool shouldSelectItem(CollectionView *, const IndexPath &indexPath) override;
    void didSelectItem(CollectionView *, const IndexPath &indexPath) override;
    void didDeselectItem(CollectionView *, const IndexPath &indexPath) override;
    // CollectionViewDelegateFlowLayout
    std::optional<QSizeF> sizeForItem(CollectionView *, const IndexPath &) override;
    std::optional<EdgeInsets> insetForSection(CollectionView *, int) override;
    std::optional<double> minimumLineSpacing(CollectionView *, int) override;
    std::optional<double> minimumInteritemSpacing(CollectionView *, int) override;
    std::optional<QSizeF> referenceSizeForFooter(CollectionView *, int) override;
    // ScrollViewDelegate
    void scrollViewDidScroll(ScrollView *scrollView) override;
    void scrollViewWillBeginDragging(ScrollView *scrollView) override;
    void scrollViewDidEndDragging(ScrollView *scrollView, bool willDecelerate) override;

    void viewWillTransition(const QSizeF &size) override;

    // Listing pages applied so far.
    int appliedListings() const { return m_appliedListings; }

Q_SIGNALS:
    // Each listing page once it is applied (tests and the benchmark wait on it).
    void listingApplied();

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidLayoutSubviews() override;

private:
    void fetchCompleted(bool success, const std::optional<QString> &error,
        const std::optional<QList<IndexPath>> &indexPaths, const std::optional<IndexPath> &selected);
    void editModeChanged();
    void selectedEntriesChanged();
    void exportableEntriesChanged();
    void setSelectedEntries(const QSet<std::shared_ptr<Entry>> &entries);
    void layoutHeader();
    void applyLayoutButtonImage(Layout layout);
    void releaseCell(const IndexPath &indexPath);
    EntryCell *entryCellAt(const IndexPath &indexPath) const;
    void showLoader();
    void hideLoader();
    void setTitleFromDirectory();

    QString m_directory = QStringLiteral("/");
    std::optional<QString> m_filePath;
    bool m_viewControllerIsAlreadyPushed = false;
    std::unique_ptr<EntryViewModelController> m_model;
    QSet<std::shared_ptr<Entry>> m_selectedEntries;
    // A loader still showing goes with the view it covers, a refresher with its scroll view.
    QPointer<QWidget> m_loaderView;
    QPointer<QWidget> m_refresher;
    double m_refresherStartTime = 0;
    double m_lastContentOffset = 0;
    bool m_didBeginScrolling = false;
    bool m_isAnimating = false;
    int m_indexOfPresentedAlertView = 0;
    PreviewDataSource *m_previewDataSource = nullptr;
    QPointer<QWidget> m_popoverSourceView;
    bool m_viewDidAppear = false;
    bool m_animateEntryCell = true;
    BarButtonItem *m_editButtonItem = nullptr;
    BarButtonItem *m_importBarButtonItem = nullptr;
    BarButtonItem *m_selectAllBarButtonItem = nullptr;
    bool m_editMode = false;
    std::optional<IndexPath> m_selectedIndexPath;

    CollectionView *m_collectionView = nullptr;
    QWidget *m_headerView = nullptr;
    QLabel *m_currentDirectory = nullptr;
    QToolButton *m_layoutButton = nullptr;
    double m_headerTop = -Constants::headerHeight;
    // Counts listings, so a late error check of an earlier one is dropped.
    int m_appliedListings = 0;
    // The layout setting as this level last read or set it: sizes are asked per item, and the
    // settings file is read anew on every access.
    Layout m_layout = Layout::list;
    QPointer<QAbstractButton> m_fullPlayerShareButton;

    void connectFullPlayerShareButton();
};

} // namespace tarnik
