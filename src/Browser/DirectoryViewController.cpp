#include "Browser/DirectoryViewController.h"

#include "Entries/ImageFile.h"
#include "ImportEditor/ImageViewerController.h"
#include "ImportEditor/ImportViewController.h"
#include "App/Constants.h"
#include "App/Extensions.h"
#include "App/Globals.h"
#include "App/MainStoryboard.h"
#include "App/Preferences.h"
#include "Browser/DirectoryNavigationController.h"
// The control kit's headers keep QPointers to classes they only declare.
#include "Controls/Loaders/RefresherView.h"
#include "Controls/Loaders/SpinnerView.h"
#include "Controls/PassThroughView.h"
#include <QLabel>
#include "Controls/Loaders/LoaderView.h"
#include "Controls/Loaders/Refresher.h"
#include "Browser/EntryCell.h"
#include "Browser/FooterReusableView.h"
#include "Browser/PreviewDataSource.h"
#include "Browser/PreviewItem.h"
#include "Browser/EntryImageView.h"
#include "App/PathExtension.h"
#include "Browser/SharedPlayerHost.h"
#include "ImportEditor/ImportActivity.h"
#include "ImportEditor/OpenInActivity.h"
#include "ImportEditor/PreviewActivity.h"
#include "Platform/UI/ActivityViewController.h"
#include "Player/PlayerViewController.h"
#include "Player/MiniPlayerHost.h"
#include "Browser/Visualizer.h"
#include "Entries/Entry.h"
#include "Entries/EntryImages.h"
#include "Entries/EntryViewModel.h"
#include "Entries/EntryViewModelController.h"
#include "App/UserManager.h"
#include "Import/AudioConverter.h"
#include "Import/ImportItem.h"
#include "Import/ImportObject.h"
#include "Import/Metadata.h"
#include "Platform/DispatchGroup.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/MediaTime.h"
#include "Platform/PartialFiles.h"
#include "Platform/UI/AlertController.h"
#include "Platform/UI/AlertControllerAction.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/PreviewController.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/View.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <cstdio>


namespace tarnik {

namespace {

std::function<MiniPlayerHost *(DirectoryViewController *)> &hostProvider()
{
    static std::function<MiniPlayerHost *(DirectoryViewController *)> provider;
    return provider;
}

// Why a directory cannot be listed, or none when it can. The listing model reads an unreadable
// directory as empty; this tells the two apart.
std::optional<QString> listingError(const QString &directory)
{
    DIR *dir = ::opendir(QFile::encodeName(directory).constData());
    if (!dir)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::closedir(dir);
    return std::nullopt;
}

QString parentPath(const QString &directory)
{
    if (directory == QLatin1String("/"))
        return QStringLiteral("/");
    const int slash = directory.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : directory.left(slash);
}

QString lastComponent(const QString &directory)
{
    if (directory == QLatin1String("/"))
        return QStringLiteral("/");
    return directory.mid(directory.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

DirectoryViewController::DirectoryViewController(QObject *parent)
    : ViewController(parent)
    , m_model(std::make_unique<EntryViewModelController>())
    , m_loaderView(new LoaderView)
{
    m_refresherStartTime = Dispatch::now();
    m_model->setExportableEntriesChangedHandler([this] { exportableEntriesChanged(); });
    // A deeper level shows only the back arrow.
    navigationItem()->setBackBarButtonItem(new BarButtonItem(QString()));
}

DirectoryViewController::~DirectoryViewController()
{
    // The collection view calls back into this level; it goes first.
    if (isViewLoaded())
        delete view();
    delete m_loaderView;
}

DirectoryViewController *DirectoryViewController::makeLevel()
{
    const Storyboard main(MainStoryboard::kName);
    const QString identifier = QStringLiteral("DirectoryViewController");
    if (main.contains(identifier))
        return main.instantiate<DirectoryViewController>(identifier);
    return new DirectoryViewController;
}

LoaderView *DirectoryViewController::loaderView() const
{
    return static_cast<LoaderView *>(m_loaderView.data());
}

Refresher *DirectoryViewController::refresher() const
{
    return static_cast<Refresher *>(m_refresher.data());
}

void DirectoryViewController::setPlayerHostProvider(std::function<MiniPlayerHost *(DirectoryViewController *)> provider)
{
    hostProvider() = std::move(provider);
}

MiniPlayerHost *DirectoryViewController::playerHost()
{
    if (hostProvider())
        if (MiniPlayerHost *host = hostProvider()(this))
            return host;
    if (MiniPlayerHost *host = MiniPlayerHost::of(this))
        return host;
    return &SharedPlayerHost::instance();
}

void DirectoryViewController::setDirectory(const QString &directory)
{
    QString normalized = directory;
    while (normalized.startsWith(QLatin1String("//")))
        normalized.remove(0, 1);
    m_directory = normalized;
}

// MARK: - Layout

Layout DirectoryViewController::layout()
{
    m_layout = Preferences::isListView() ? Layout::list : Layout::grid;
    applyLayoutButtonImage(m_layout);
    return m_layout;
}

void DirectoryViewController::applyLayoutButtonImage(Layout layout)
{
    if (!m_layoutButton)
        return;
    const QString name = layout == Layout::list ? QStringLiteral("grid") : QStringLiteral("list");
    m_layoutButton->setIcon(QIcon(QPixmap::fromImage(EntryImages::named(name, 44))));
    m_layoutButton->setProperty("imageName", name);
    m_layoutButton->setAccessibleName(layout == Layout::list ? QStringLiteral("Grid") : QStringLiteral("List"));
    m_layoutButton->setToolTip(m_layoutButton->accessibleName());
}

void DirectoryViewController::setLayout(Layout layout)
{
    Preferences::setIsListView(layout == Layout::list);
    m_layout = layout;
    applyLayoutButtonImage(layout);
    if (!m_collectionView)
        return;
    EntryCell::refreshThumbnailSettings();
    m_collectionView->reloadSections({ 0 });
    m_collectionView->invalidateLayout();
}

void DirectoryViewController::changeLayout()
{
    const Layout next = layout() == Layout::list ? Layout::grid : Layout::list;
    setLayout(next);
    if (NavigationController *nav = navigationController()) {
        for (ViewController *vc : nav->viewControllers()) {
            auto *level = qobject_cast<DirectoryViewController *>(vc);
            if (level && level != this)
                level->setLayout(next);
        }
    }
}

QString DirectoryViewController::cellReuseIdentifier()
{
    return EntryCell::reuseIdentifier(m_layout);
}

double DirectoryViewController::itemsPerRow()
{
    const Device::ScreenFacts facts = Device::screenFactsFor(DeviceProfile::idiom(), DeviceProfile::screenSize());
    const bool portrait = DeviceProfile::isPortrait();
    const bool list = m_layout == Layout::list;
    if (facts.isPad() || (facts.isIPhoneX() && !portrait))
        return list ? 2 : 4;
    if (list)
        return 1;
    return portrait ? 3 : 4;
}

QSizeF DirectoryViewController::itemSize()
{
    const double n = itemsPerRow();
    // The phone adds the safe area's left inset twice; a desktop window has none.
    const double spacing = (n + 1) * 7.0;
    const double viewWidth = isViewLoaded() ? view()->width() : DeviceProfile::screenSize().width();
    const double width = (viewWidth - spacing) / n;
    const Device::ScreenFacts facts = Device::screenFactsFor(DeviceProfile::idiom(), DeviceProfile::screenSize());
    const bool list = m_layout == Layout::list;
    double height = 0;
    if (facts.isIPhone5() || facts.isIPhone4orLess())
        height = list ? 77.0 : std::max(width * 1.2, 170.0);
    else if (facts.isIPhone6())
        height = list ? 88.0 : std::max(width * 1.2, 180.0);
    else if (facts.isPad())
        height = list ? 120.0 : std::max(width * 1.1, 220.0);
    else
        height = list ? 98.0 : std::max(width * 1.2, 190.0);
    return QSizeF(std::max(0.0, width), height);
}

std::optional<QSizeF> DirectoryViewController::sizeForItem(CollectionView *, const IndexPath &)
{
    return itemSize();
}

std::optional<EdgeInsets> DirectoryViewController::insetForSection(CollectionView *, int)
{
    return EdgeInsets { 7, 7, 7, 7 };
}

std::optional<double> DirectoryViewController::minimumLineSpacing(CollectionView *, int)
{
    return m_layout == Layout::list ? 4.0 : 7.0;
}

std::optional<double> DirectoryViewController::minimumInteritemSpacing(CollectionView *, int)
{
    // The item width already counts 7 points between items; asking for them again would make a
    // row whose widths add up to the full width wrap early by a rounding error.
    return 0.0;
}

std::optional<QSizeF> DirectoryViewController::referenceSizeForFooter(CollectionView *, int)
{
    return QSizeF(isViewLoaded() ? view()->width() : 0.0, 50.0);
}

// MARK: - Life cycle

void DirectoryViewController::loadView()
{
    auto *root = new QWidget;
    root->setObjectName(QStringLiteral("DirectoryViewController"));
    root->setAutoFillBackground(true);
    QPalette palette = root->palette();
    palette.setColor(QPalette::Window, colorWithHex(u"f5f6f8"));
    root->setPalette(palette);

    m_collectionView = new CollectionView(root);
    m_collectionView->setObjectName(QStringLiteral("DirectoryCollectionView"));
    m_collectionView->registerCell(EntryCell::kListIdentifier, [] { return new EntryCell(Layout::list); });
    m_collectionView->registerCell(EntryCell::kGridIdentifier, [] { return new EntryCell(Layout::grid); });
    m_collectionView->registerSupplementaryViewClass<FooterReusableView>(
        kCollectionElementKindSectionFooter, FooterReusableView::kReuseIdentifier);

    m_headerView = new QWidget(root);
    m_headerView->setObjectName(QStringLiteral("DirectoryHeader"));
    m_headerView->setAutoFillBackground(true);
    QPalette headerPalette = m_headerView->palette();
    headerPalette.setColor(QPalette::Window, Qt::white);
    m_headerView->setPalette(headerPalette);
    m_currentDirectory = new QLabel(m_headerView);
    m_currentDirectory->setObjectName(QStringLiteral("CurrentDirectory"));
    m_currentDirectory->setTextFormat(Qt::PlainText);
    QFont font = Common::defaultFont();
    font.setPixelSize(13);
    m_currentDirectory->setFont(font);
    m_currentDirectory->setStyleSheet(QStringLiteral("color: #999999;"));
    m_layoutButton = new QToolButton(m_headerView);
    m_layoutButton->setObjectName(QStringLiteral("LayoutButton"));
    m_layoutButton->setAutoRaise(true);
    m_layoutButton->setIconSize(QSize(22, 22));
    m_layoutButton->setFocusPolicy(Qt::NoFocus);
    connect(m_layoutButton, &QToolButton::clicked, this, &DirectoryViewController::changeLayout);

    root->installEventFilter(this);
    setView(root);
}

void DirectoryViewController::layoutHeader()
{
    if (!isViewLoaded())
        return;
    const int w = view()->width();
    const int h = view()->height();
    const int headerHeight = int(Constants::headerHeight);
    const int top = int(m_headerTop);
    m_headerView->setGeometry(0, top, w, headerHeight);
    m_currentDirectory->setGeometry(12, 0, std::max(0, w - 12 - 48), headerHeight);
    m_layoutButton->setGeometry(w - 44, (headerHeight - 36) / 2, 36, 36);
    const int listTop = top + headerHeight;
    m_collectionView->setGeometry(0, listTop, w, std::max(0, h - listTop));
}

void DirectoryViewController::setTitleFromDirectory()
{
    setTitle(lastComponent(m_directory));
    navigationItem()->setTitle(title());
}

void DirectoryViewController::viewDidLoad()
{
    m_collectionView->alwaysBounceVertical = true;
    setTitleFromDirectory();
    m_currentDirectory->setText(parentPath(m_directory));
    m_currentDirectory->setAccessibleName(m_currentDirectory->text());
    m_headerTop = -Constants::headerHeight;
    View::setAlpha(m_headerView, 0.0);
    m_collectionView->setContentInset(EdgeInsets {});
    QPointer<DirectoryViewController> self(this);
    auto *pull = new Refresher([self] {
        if (self)
            self->refresh();
    });
    m_refresher = pull;
    addRefresher(this, pull);
    m_collectionView->setDataSource(this);
    m_collectionView->setDelegate(this);
    m_collectionView->setPrefetchDataSource(this);
    layout();

    m_editButtonItem = new BarButtonItem(_localizedString(QStringLiteral("Edit")), BarButtonItem::Style::plain,
        [this](BarButtonItem *) { toggleEditMode(); }, this);

    m_importBarButtonItem = new BarButtonItem(_localizedString(QStringLiteral("Import")), BarButtonItem::Style::plain,
        [this](BarButtonItem *sender) { importSelectedEntries(sender); }, this);
    m_selectAllBarButtonItem = new BarButtonItem(_localizedString(QStringLiteral("Select All")),
        BarButtonItem::Style::plain, [this](BarButtonItem *sender) { toggleAllSelection(sender); }, this);
    BarButtonItem *space = BarButtonItem::flexibleSpace(this);
    for (BarButtonItem *item : { m_importBarButtonItem, space, m_selectAllBarButtonItem }) {
        TextAttributes normal;
        normal.font = Common::defaultFont();
        normal.foregroundColor = Common::blackColor();
        item->setTitleTextAttributes(normal, ControlState::normal);
        TextAttributes grey = normal;
        grey.foregroundColor = Common::greyColor();
        for (ControlState state : { ControlState::disabled, ControlState::highlighted, ControlState::focused })
            item->setTitleTextAttributes(grey, state);
    }
    m_importBarButtonItem->setEnabled(false);
    setToolbarItems({ m_importBarButtonItem, space, m_selectAllBarButtonItem });
    if (NavigationController *nav = navigationController())
        nav->setToolbarHidden(true, false);
    layoutHeader();
}

void DirectoryViewController::viewWillAppear(bool animated)
{
    ViewController::viewWillAppear(animated);
    if (NavigationController *nav = navigationController())
        nav->navigationBar()->setHidesShadow(true);
    navigationItem()->setHidesBackButton(m_directory == QLatin1String("/"));
    EntryCell::refreshThumbnailSettings();
    // A level can load before it is inside the tab bar, so the button is looked for on appearing.
    connectFullPlayerShareButton();
    if (!m_viewControllerIsAlreadyPushed) {
        showLoader();
        fetchViewModels();
        return;
    }
    const Preferences::NowPlaying marker = Preferences::nowPlaying();
    if (marker.identifier)
        playerViewDidChangePlayingStateOf(*marker.identifier, marker.isPlaying);
}

void DirectoryViewController::viewDidAppear(bool animated)
{
    ViewController::viewDidAppear(animated);
    m_viewControllerIsAlreadyPushed = true;
    Preferences::setRootDircetory(m_directory);
    m_viewDidAppear = true;
    if (m_model->nowPlayingIdentifier())
        playerHost()->setMiniPlayerDelegate(this);
}

void DirectoryViewController::viewWillDisappear(bool animated)
{
    ViewController::viewWillDisappear(animated);
    hideLoader();
}

void DirectoryViewController::viewWillTransition(const QSizeF &size)
{
    ViewController::viewWillTransition(size);
    if (m_collectionView)
        m_collectionView->invalidateLayoutKeepingPosition();
    // The mini player slid away for edit mode; a new size must not leave it half moved.
    if (m_editMode)
        playerHost()->resetMiniPlayerTransform();
}

void DirectoryViewController::viewDidLayoutSubviews()
{
    layoutHeader();
    if (presentedViewController() && m_selectedIndexPath && m_collectionView)
        m_collectionView->scrollToItem(*m_selectedIndexPath, CollectionView::ScrollPosition::centeredVertically, false);
    updateContentInset();
    // The row cache keeps a number of screens of rows: how many rows a screen holds follows the
    // window's size and the layout.
    if (m_collectionView) {
        const double rowHeight = itemSize().height();
        if (rowHeight > 0) {
            const int lines = int(std::ceil(m_collectionView->height() / rowHeight)) + 1;
            fitViewModelCacheToScreen(lines * int(std::max(1.0, itemsPerRow())));
        }
    }
}

void DirectoryViewController::updateContentInset()
{
    if (!m_collectionView)
        return;
    // The tab bar is outside this screen's view here, so only the mini player covers the listing.
    const double bottom = playerHost()->isMiniPlayerUp() ? kMiniPlayerHeight : 0.0;
    // The top inset belongs to the pull-to-refresh band.
    m_collectionView->setContentInsetBottom(bottom);
}

void DirectoryViewController::showLoader()
{
    LoaderView *loader = loaderView();
    if (!loader || !isViewLoaded())
        return;
    loader->setHideContentView(true);
    loader->spinnerViewSize = QSizeF(30, 30);
    loader->show(view(), LoaderView::Position::top, std::nullopt, 0.3, this);
}

void DirectoryViewController::hideLoader()
{
    if (LoaderView *loader = loaderView())
        loader->hide();
}

void DirectoryViewController::showCopyProgress(bool copying)
{
    if (copying)
        showLoader();
    else
        hideLoader();
}

// MARK: - Listing

void DirectoryViewController::fetchViewModels()
{
    QPointer<DirectoryViewController> self(this);
    m_model->getFiles(m_directory, m_filePath,
        [self](bool success, const std::optional<QString> &error, const std::optional<QList<IndexPath>> &indexPaths,
            const std::optional<IndexPath> &selected) {
            if (self)
                self->fetchCompleted(success, error, indexPaths, selected);
        });
}

void DirectoryViewController::fetchCompleted(bool success, const std::optional<QString> &error,
    const std::optional<QList<IndexPath>> &indexPaths, const std::optional<IndexPath> &selected)
{
    m_animateEntryCell = m_model->numberOfFiles() < 100;
    std::optional<QString> failure = success ? std::nullopt : error;
    // The model lists an unreadable or vanished directory as empty; the first page of an empty
    // listing is where that shows.
    const bool firstPage = !indexPaths || (!indexPaths->isEmpty() && indexPaths->first().item == 0);
    if (!failure && firstPage && m_model->numberOfFiles() == 0)
        failure = listingError(m_directory);
    if (failure) {
        _showTarnikDefaultAlert(_localizedString(QStringLiteral("Error Occurred")),
            _localizedString(QStringLiteral("Failed to populate a list of files in the directory: ") + m_directory
                + QStringLiteral(".\nError: ") + *failure),
            {}, this);
        updateUI(std::nullopt, std::nullopt);
        return;
    }
    setTitleFromDirectory();
    updateUI(indexPaths, selected);
}

void DirectoryViewController::updateUI(
    const std::optional<QList<IndexPath>> &indexPaths, const std::optional<IndexPath> &selected)
{
    navigationItem()->setRightBarButtonItem(m_model->exportableEntries().isEmpty() ? nullptr : m_editButtonItem);
    const bool fullReload = !indexPaths || (!indexPaths->isEmpty() && indexPaths->first().item == 0);
    hideLoader();
    endRefreshingIfNeeded();
    if (!m_collectionView)
        return;
    if (fullReload) {
        setEditMode(false);
        EntryCell::refreshThumbnailSettings();
        m_collectionView->reloadData();
        QPointer<DirectoryViewController> self(this);
        Dispatch::mainAfter(0.5, [self, selected] {
            if (!self || !self->m_collectionView)
                return;
            // A revealed row may not exist when the listing changed meanwhile.
            if (selected && selected->item >= self->m_collectionView->numberOfItems(0))
                return;
            self->m_collectionView->selectItem(selected, true, CollectionView::ScrollPosition::top);
        });
        ++m_appliedListings;
        Q_EMIT listingApplied();
        return;
    }
    if (m_collectionView->numberOfItems(0) < m_model->numberOfViewModels() && indexPaths) {
        QPointer<DirectoryViewController> self(this);
        const QList<IndexPath> rows = *indexPaths;
        m_collectionView->performBatchUpdates([self, rows] {
            if (self)
                self->m_collectionView->insertItems(rows);
        },
            [self](bool) {
                // The row the user last opened is selected again. In edit mode the selection is the
                // user's choice for an import and is left as it is.
                if (self && self->m_collectionView && !self->m_editMode)
                    self->m_collectionView->selectItem(
                        self->m_selectedIndexPath, true, CollectionView::ScrollPosition::top);
            });
    }
    ++m_appliedListings;
    Q_EMIT listingApplied();
}

void DirectoryViewController::refresh()
{
    m_refresherStartTime = Dispatch::now();
    QPointer<DirectoryViewController> self(this);
    if (m_model->numberOfViewModels() == 0) {
        fetchViewModels();
        return;
    }
    m_collectionView->performBatchUpdates([self] {
        if (!self)
            return;
        QList<IndexPath> rows;
        for (int row = self->m_model->numberOfViewModels() - 1; row >= 0; --row) {
            self->m_model->removeViewModel(row);
            rows.append(IndexPath { row, 0 });
        }
        self->m_collectionView->deleteItems(rows);
    },
        [self](bool) {
            // The listing owns its state on the GUI thread, so the re-listing waits there.
            Dispatch::mainAfter(0.4, [self] {
                if (self)
                    self->fetchViewModels();
            });
        });
}

void DirectoryViewController::endRefreshingIfNeeded()
{
    if (!refresher() || refresher()->state() == RefresherState::idle)
        return;
    // The band stays open for at least a second, so a quick listing does not flicker.
    const double elapsed = Dispatch::now() - m_refresherStartTime;
    endRefreshing(this, std::max(0.0, Constants::refresherMinimumTime - elapsed));
}

// MARK: - Edit mode and selection

void DirectoryViewController::setEditMode(bool editMode)
{
    m_editMode = editMode;
    QPointer<DirectoryViewController> self(this);
    Dispatch::main([self] {
        if (self)
            self->editModeChanged();
    });
}

void DirectoryViewController::editModeChanged()
{
    if (!m_collectionView)
        return;
    m_collectionView->setAllowsMultipleSelection(m_editMode);
    for (const IndexPath &ip : m_collectionView->indexPathsForSelectedItems())
        m_collectionView->deselectItem(ip, false);
    setSelectedEntries({});
    m_editButtonItem->setTitle(_localizedString(m_editMode ? QStringLiteral("Done") : QStringLiteral("Edit")));
    if (NavigationController *nav = navigationController())
        nav->setToolbarHidden(!m_editMode, true);
    playerHost()->updateMiniPlayer(m_editMode);
}

void DirectoryViewController::setSelectedEntries(const QSet<std::shared_ptr<Entry>> &entries)
{
    m_selectedEntries = entries;
    QPointer<DirectoryViewController> self(this);
    Dispatch::main([self] {
        if (self)
            self->selectedEntriesChanged();
    });
}

void DirectoryViewController::selectedEntriesChanged()
{
    if (!m_importBarButtonItem)
        return;
    m_importBarButtonItem->setEnabled(!m_selectedEntries.isEmpty());
    const bool all = m_selectedEntries.size() == m_model->exportableEntries().size();
    m_selectAllBarButtonItem->setTitle(
        _localizedString(all ? QStringLiteral("Deselect All") : QStringLiteral("Select All")));
}

// A file listed as media by its name and first bytes proved no media when its row loaded: it
// leaves the selection, and the edit button goes when no media is left.
void DirectoryViewController::exportableEntriesChanged()
{
    navigationItem()->setRightBarButtonItem(m_model->exportableEntries().isEmpty() ? nullptr : m_editButtonItem);
    QSet<std::shared_ptr<Entry>> entries = m_selectedEntries;
    for (auto it = entries.begin(); it != entries.end();) {
        if ((*it)->isExportable()) {
            ++it;
            continue;
        }
        if (m_collectionView)
            m_collectionView->deselectItem((*it)->indexPath(), false);
        it = entries.erase(it);
    }
    setSelectedEntries(entries);
}

void DirectoryViewController::toggleEditMode()
{
    setEditMode(!m_editMode);
    if (m_collectionView)
        m_collectionView->reloadData();
}

// MARK: - Rows

int DirectoryViewController::numberOfItems(CollectionView *, int)
{
    return m_model->numberOfViewModels();
}

CollectionViewCell *DirectoryViewController::cellForItem(CollectionView *collectionView, const IndexPath &indexPath)
{
    const QString reuse = cellReuseIdentifier();
    auto *cell = collectionView->dequeueReusableCell<EntryCell>(reuse, indexPath);
    if (indexPath.item >= m_model->numberOfViewModels())
        return cell;
    const std::shared_ptr<EntryViewModel> viewModel = m_model->viewModel(indexPath.item);
    if (!viewModel)
        return cell;
    const QString identifier = viewModel->identifier();
    cell->setIdentifier(identifier);
    cell->setDelegate(this);
    const Layout current = reuse == EntryCell::kListIdentifier ? Layout::list : Layout::grid;
    cell->configure(viewModel, current, m_editMode, false);
    if (viewModel->state() == UpdateState::new_) {
        QPointer<DirectoryViewController> self(this);
        QPointer<EntryCell> target(cell);
        m_model->update(viewModel, [self, target, identifier](const std::shared_ptr<EntryViewModel> &loaded) {
            // A cell reused for another row meanwhile is left alone.
            if (!self || !target || target->identifier() != identifier || !loaded)
                return;
            const Layout now = self->cellReuseIdentifier() == EntryCell::kListIdentifier ? Layout::list : Layout::grid;
            target->configure(loaded, now, self->m_editMode, self->m_animateEntryCell);
        });
    }
    return cell;
}

CollectionReusableView *DirectoryViewController::viewForSupplementaryElement(
    CollectionView *collectionView, const QString &kind, const IndexPath &indexPath)
{
    if (kind != kCollectionElementKindSectionFooter)
        fatalError(QStringLiteral("Unexpected supplementary view kind ") + kind);
    auto *footer = collectionView->dequeueReusableSupplementaryView<FooterReusableView>(
        kind, FooterReusableView::kReuseIdentifier, indexPath);
    const int n = m_model->numberOfFiles();
    footer->label()->setText(QString::number(n) + QStringLiteral(" item") + (n == 1 ? QString() : QStringLiteral("s")));
    footer->label()->setAccessibleName(footer->label()->text());
    return footer;
}

void DirectoryViewController::didEndDisplayingCell(CollectionView *, CollectionViewCell *, const IndexPath &indexPath)
{
    if (indexPath.item >= m_model->numberOfViewModels())
        return;
    // Reading the row must not start the next page here.
    if (const auto viewModel = m_model->viewModel(indexPath.item))
        m_model->cancelUpdate(viewModel->identifier());
}

void DirectoryViewController::prefetchItems(CollectionView *, const QList<IndexPath> &indexPaths)
{
    for (const IndexPath &ip : indexPaths) {
        if (ip.item >= m_model->numberOfViewModels())
            continue;
        const auto viewModel = m_model->viewModel(ip.item);
        if (viewModel && viewModel->state() == UpdateState::new_)
            m_model->update(viewModel, [](const std::shared_ptr<EntryViewModel> &) { });
    }
}

void DirectoryViewController::cancelPrefetchingForItems(CollectionView *, const QList<IndexPath> &indexPaths)
{
    for (const IndexPath &ip : indexPaths) {
        if (ip.item >= m_model->numberOfViewModels())
            continue;
        if (const auto viewModel = m_model->viewModel(ip.item))
            m_model->cancelUpdate(viewModel->identifier());
    }
}

EntryCell *DirectoryViewController::entryCellAt(const IndexPath &indexPath) const
{
    return m_collectionView ? dynamic_cast<EntryCell *>(m_collectionView->cellForItem(indexPath)) : nullptr;
}

bool DirectoryViewController::shouldSelectItem(CollectionView *, const IndexPath &indexPath)
{
    if (m_editMode && indexPath.item < m_model->numberOfViewModels()) {
        if (const auto viewModel = m_model->viewModel(indexPath.item))
            return viewModel->type() == EntryType::exportable;
    }
    if (EntryCell *cell = entryCellAt(indexPath))
        cell->setSelected(true);
    m_selectedIndexPath = indexPath;
    openEntry(indexPath);
    return false;
}

void DirectoryViewController::didSelectItem(CollectionView *collectionView, const IndexPath &indexPath)
{
    if (!m_editMode)
        return;
    if (m_selectedEntries.size() >= Constants::maximumImportCount) {
        _showTarnikDefaultAlert(_localizedString(QStringLiteral("Oops!")),
            _localizedString(QStringLiteral("Only a maximum of ") + QString::number(Constants::maximumImportCount)
                + QStringLiteral(" files can be simultaneously imported.\nPlease amend your selection.")),
            {}, this);
        collectionView->deselectItem(indexPath, true);
        return;
    }
    const std::shared_ptr<Entry> entry = m_model->entry(indexPath.item);
    if (!entry)
        return;
    QSet<std::shared_ptr<Entry>> entries = m_selectedEntries;
    entries.insert(entry);
    setSelectedEntries(entries);
    if (!entry->isAudioFileReadable())
        offerConversion(entry);
}

void DirectoryViewController::didDeselectItem(CollectionView *, const IndexPath &indexPath)
{
    if (!m_editMode)
        return;
    const std::shared_ptr<Entry> entry = m_model->entry(indexPath.item);
    if (!entry)
        return;
    QSet<std::shared_ptr<Entry>> entries = m_selectedEntries;
    entries.remove(entry);
    setSelectedEntries(entries);
}

void DirectoryViewController::releaseCell(const IndexPath &indexPath)
{
    if (EntryCell *cell = entryCellAt(indexPath))
        cell->setSelected(false);
}

void DirectoryViewController::openEntry(const IndexPath &indexPath)
{
    EntryCell *cell = entryCellAt(indexPath);
    if (!cell || indexPath.item >= m_model->numberOfViewModels())
        return;
    const std::shared_ptr<EntryViewModel> viewModel = m_model->viewModel(indexPath.item);
    if (!viewModel)
        return;
    // A row listed by its name and first bytes alone may hold no media: its file is probed now,
    // so the tap plays a song or previews any other file the first time. The listed row settles
    // in place.
    if (viewModel->isTypeProvisional())
        m_model->settleEntryType(m_model->entry(indexPath.item));
    QPointer<DirectoryViewController> self(this);
    QPointer<EntryCell> target(cell);
    switch (viewModel->type()) {
    case EntryType::directory: {
        DirectoryViewController *level = makeLevel();
        level->setDirectory(viewModel->url());
        if (NavigationController *nav = navigationController())
            nav->pushViewController(level, true);
        else
            delete level;
        cell->setSelected(false);
        break;
    }
    case EntryType::exportable: {
        const std::shared_ptr<Entry> entry = m_model->entry(indexPath.item);
        // The queue holds only what the probe calls media: files listed by their signature alone
        // are probed first (at once when none is left).
        m_model->settleExportableEntries([self, entry] {
            if (!self || !entry)
                return;
            const QList<std::shared_ptr<Entry>> &queue = self->m_model->exportableEntries();
            const qsizetype position = queue.indexOf(entry);
            if (position < 0)
                return;
            MiniPlayerHost *host = self->playerHost();
            if (self->m_viewDidAppear)
                host->resetCurrentIndex();
            host->setMiniPlayerDelegate(self);
            host->play(queue, int(position));
            self->updateContentInset();
        });
        Dispatch::mainAfter(0.5, [target] {
            if (target)
                target->setSelected(false);
        });
        break;
    }
    case EntryType::image: {
        const std::shared_ptr<Entry> entry = m_model->entry(indexPath.item);
        if (!entry) {
            cell->setSelected(false);
            break;
        }
        // The picture decodes off the GUI thread, at the size the viewer shows: a huge picture
        // takes its time without freezing the window. The entry is only read here.
        const QImage loaded = entry->image();
        if (!loaded.isNull()) {
            presentImageViewer(entry, target, loaded);
            break;
        }
        const std::weak_ptr<Entry> weakEntry = entry;
        const QString file = entry->path();
        Dispatch::global([self, target, weakEntry, file] {
            const QImage picture = ImageFile::read(file, QSize(4096, 4096));
            Dispatch::main([self, target, weakEntry, picture] {
                if (self)
                    self->presentImageViewer(weakEntry.lock(), target, picture);
            });
        });
        break;
    }
    case EntryType::regular: {
        auto item = std::make_shared<PreviewItem>(QUrl::fromLocalFile(viewModel->url()), viewModel->title());
        if (m_previewDataSource)
            m_previewDataSource->deleteLater();
        m_previewDataSource = new PreviewDataSource(item, this);
        auto *preview = new PreviewController;
        preview->setDataSource(m_previewDataSource);
        preview->modalTransitionStyle = ModalTransitionStyle::crossDissolve;
        present(preview, true, [target] {
            if (target)
                target->setSelected(false);
        });
        break;
    }
    }
}

void DirectoryViewController::presentImageViewer(
    const std::shared_ptr<Entry> &entry, EntryCell *cell, const QImage &picture)
{
    QPointer<EntryCell> target(cell);
    if (!entry) {
        if (target)
            target->setSelected(false);
        return;
    }
    // The viewer shows the picture the entry loaded, or the one decoded at screen size for the tap.
    // Only a file that gives no picture at all goes to the document preview.
    if (!picture.isNull()) {
        // The viewer grows out of the row's picture and shrinks back into it.
        present(new ImageViewerController(target ? target->imageView() : nullptr, picture), true, [target] {
            if (target)
                target->setSelected(false);
        });
        return;
    }
    auto item = std::make_shared<PreviewItem>(entry->url(), entry->title());
    if (m_previewDataSource)
        m_previewDataSource->deleteLater();
    m_previewDataSource = new PreviewDataSource(item, this);
    auto *preview = new PreviewController;
    preview->setDataSource(m_previewDataSource);
    preview->modalTransitionStyle = ModalTransitionStyle::crossDissolve;
    present(preview, true, [target] {
        if (target)
            target->setSelected(false);
    });
}

// MARK: - Header and scrolling

void DirectoryViewController::animateHeader(bool show)
{
    m_isAnimating = true;
    QPointer<DirectoryViewController> self(this);
    const double from = m_headerTop;
    const double to = show ? 0.0 : -Constants::headerHeight;
    const double alphaFrom = View::alpha(m_headerView);
    const double alphaTo = show ? 1.0 : 0.0;
    m_headerTop = to;
    auto animation = std::make_shared<BasicAnimation>([self, from, to, alphaFrom, alphaTo](double p) {
        if (!self)
            return;
        const double top = from + (to - from) * p;
        View::setAlpha(self->m_headerView, alphaFrom + (alphaTo - alphaFrom) * p);
        const int headerHeight = int(Constants::headerHeight);
        const int w = self->view()->width();
        self->m_headerView->setGeometry(0, int(top), w, headerHeight);
        const int listTop = int(top) + headerHeight;
        self->m_collectionView->setGeometry(0, listTop, w, std::max(0, self->view()->height() - listTop));
    });
    animation->duration = 0.35;
    animation->timing = TimingFunction::easeInOut();
    AnimationDriver::shared().run(animation, 0.0, [self](bool finished) {
        if (self && finished) {
            self->m_isAnimating = false;
            self->layoutHeader();
        }
    });
}

void DirectoryViewController::scrollViewWillBeginDragging(ScrollView *scrollView)
{
    m_didBeginScrolling = true;
    m_lastContentOffset = scrollView->contentOffsetY();
}

void DirectoryViewController::scrollViewDidEndDragging(ScrollView *, bool)
{
    m_didBeginScrolling = false;
}

void DirectoryViewController::scrollViewDidScroll(ScrollView *scrollView)
{
    tarnik::scrollViewDidScroll(this, scrollView);
    if (!m_didBeginScrolling || m_isAnimating || (scrollView->isDecelerating() && m_lastContentOffset > 0))
        return;
    if (scrollView->contentOffsetY() < m_lastContentOffset && scrollView->contentOffsetY() <= -10
        && m_headerTop == -Constants::headerHeight)
        animateHeader(true);
    if (scrollView->contentOffsetY() > m_lastContentOffset && scrollView->contentOffsetY() > 0 && m_headerTop == 0.0)
        animateHeader(false);
}

// MARK: - Tab bar

bool DirectoryViewController::tabBarShouldSelect(TabBarController *tabBarController, ViewController *viewController)
{
    auto *nav = qobject_cast<DirectoryNavigationController *>(viewController);
    auto *top = nav ? qobject_cast<DirectoryViewController *>(nav->topViewController()) : nullptr;
    if (top) {
        if (tabBarController->selectedIndex() != 1)
            return true;
        const QString home = Preferences::browserHomeDirectory();
        if (top->directory() == home || top->directory() == QLatin1String("/"))
            return false;
        const QList<ViewController *> stack = nav->viewControllers();
        for (ViewController *vc : stack) {
            auto *level = qobject_cast<DirectoryViewController *>(vc);
            if (level && level->directory() == home) {
                nav->popToViewController(level, true);
                return false;
            }
        }
        auto *second = stack.size() > 1 ? qobject_cast<DirectoryViewController *>(stack[1]) : nullptr;
        if (second && second->directory() == QLatin1String("/"))
            nav->popToViewController(second, true);
        else
            nav->popToRootViewController(true);
        return false;
    }
    if (m_editMode) {
        setEditMode(false);
        if (m_collectionView)
            m_collectionView->reloadData();
    }
    return true;
}

// MARK: - Rows' accessory and the playing row

void DirectoryViewController::accessoryButtonTapped(const QString &identifier, EntryCell *sender)
{
    const std::shared_ptr<Entry> entry = m_model->entries().value(identifier);
    if (!entry)
        return;
    QPointer<DirectoryViewController> self(this);
    QPointer<EntryCell> cell(sender);
    entry->updateMetadata([self, cell](const std::shared_ptr<Entry> &loaded) {
        Dispatch::main([self, cell, loaded] {
            if (self)
                self->presentShareSheet(loaded, cell, self);
        });
    });
}

void DirectoryViewController::connectFullPlayerShareButton()
{
    MiniPlayerHost *host = playerHost();
    QAbstractButton *button = host ? host->fullPlayerShareButton() : nullptr;
    if (!button || button == m_fullPlayerShareButton)
        return;
    if (m_fullPlayerShareButton)
        disconnect(m_fullPlayerShareButton, nullptr, this, nullptr);
    m_fullPlayerShareButton = button;
    connect(button, &QAbstractButton::clicked, this, &DirectoryViewController::showShareOptions);
}

void DirectoryViewController::showShareOptions()
{
    // Every level of the stack listens to the one button; one sheet is enough.
    if (NavigationController *nav = navigationController(); nav && nav->topViewController() != this)
        return;
    MiniPlayerHost *host = playerHost();
    const std::shared_ptr<Entry> entry = host ? host->currentEntry() : nullptr;
    ViewController *player = host ? host->fullPlayer() : nullptr;
    QAbstractButton *button = host ? host->fullPlayerShareButton() : nullptr;
    if (!entry || !player || !button)
        return;
    QPointer<DirectoryViewController> self(this);
    QPointer<ViewController> presenter(player);
    QPointer<QAbstractButton> source(button);
    entry->updateMetadata([self, presenter, source](const std::shared_ptr<Entry> &loaded) {
        Dispatch::main([self, presenter, source, loaded] {
            if (self && presenter && source)
                self->presentShareSheet(loaded, source, presenter);
        });
    });
}

void DirectoryViewController::presentShareSheet(
    const std::shared_ptr<Entry> &entry, QWidget *sourceView, ViewController *presentingViewController)
{
    if (!entry || !presentingViewController)
        return;
    if (entry->isAudio() && !entry->isAudioFileReadable()) {
        offerConversion(entry, presentingViewController);
        return;
    }
    ImportItem item(MediaKind::song, entry->path(), std::nullopt);
    if (entry->isExportable())
        item.metadata = entry->metadata();

    QList<Activity *> activities;
    if (entry->isExportable()) {
        activities << new ImportiTunesAudioActivity(presentingViewController)
                   << new ImportiTunesRingtoneActivity(presentingViewController)
                   << new ImportiTunesPodcastActivity(presentingViewController);
        if (entry->isVideo())
            activities << new ImportiTunesMusicVideoActivity(presentingViewController)
                       << new ImportiTunesTVShowActivity(presentingViewController)
                       << new ImportiTunesMovieActivity(presentingViewController);
    }
    activities << new PreviewActivity(presentingViewController)
               << new OpenInActivity(sourceView, presentingViewController);

    const QVariantList items { QVariant::fromValue<QObject *>(this),
        QVariant(_localizedString(QStringLiteral("Shared using Tarnik."))),
        QVariant(entry->image().isNull() ? QImage() : entry->image()), QVariant::fromValue(item),
        QVariant(entry->url()) };
    auto *sheet = new ActivityViewController(items, activities);
    sheet->modalTransitionStyle = ModalTransitionStyle::coverVertical;
    if (entry->isImage())
        sheet->setExcludedActivityTypes(
            { ActivityType::assignToContact, ActivityType::print, ActivityType::addToReadingList });
    else
        sheet->setExcludedActivityTypes({ ActivityType::assignToContact, ActivityType::copyToPasteboard,
            ActivityType::print, ActivityType::saveToCameraRoll });
    QPointer<DirectoryViewController> self(this);
    sheet->setCompletionWithItemsHandler([self](const QString &, bool) {
        if (!self || !self->m_popoverSourceView)
            return;
        self->m_popoverSourceView->setParent(nullptr);
        self->m_popoverSourceView->deleteLater();
        self->m_popoverSourceView = nullptr;
    });
    if (PopoverPresentationController *popover = sheet->popoverPresentationController()) {
        if (auto *cell = qobject_cast<EntryCell *>(sourceView); cell && cell->imageView()) {
            QWidget *imageView = cell->imageView();
            auto *anchor = new QWidget(imageView);
            anchor->setGeometry(imageView->width() / 2, imageView->height() / 2, 1, 1);
            anchor->setAttribute(Qt::WA_TransparentForMouseEvents);
            anchor->show();
            m_popoverSourceView = anchor;
            popover->setSourceView(anchor);
        } else if (sourceView) {
            popover->setSourceView(sourceView);
        }
    }
    presentingViewController->present(sheet, true);
}

void DirectoryViewController::playerViewDidChangePlayingStateOf(const QString &identifier, bool isPlaying)
{
    const std::optional<QString> previous = Preferences::nowPlaying().identifier;
    Preferences::setNowPlaying(identifier, isPlaying);
    if (previous && *previous != identifier)
        resetPlayingIndicator(*previous);
    const std::shared_ptr<Entry> entry = m_model->entries().value(identifier);
    if (!entry)
        return;
    EntryCell *cell = entryCellAt(entry->indexPath());
    if (!cell)
        return;
    if (isPlaying)
        cell->visualizer()->start();
    else
        cell->visualizer()->stop(false);
}

void DirectoryViewController::resetPlayingIndicator(const QString &identifier)
{
    const std::shared_ptr<Entry> entry = m_model->entries().value(identifier);
    if (!entry)
        return;
    if (EntryCell *cell = entryCellAt(entry->indexPath()))
        cell->visualizer()->stop(true);
}

// MARK: - Importing the selection

void DirectoryViewController::importSelectedEntries(BarButtonItem *sender)
{
    if (m_selectedEntries.size() > Constants::maximumImportCount) {
        _showTarnikDefaultAlert(_localizedString(QStringLiteral("Oops!")),
            _localizedString(QStringLiteral("Only a maximum of ") + QString::number(Constants::maximumImportCount)
                + QStringLiteral(" files can be simultaneously imported.\nPlease amend your selection.")),
            {}, this);
        return;
    }
    auto *sheet = new AlertController(
        _localizedString(QStringLiteral("Choose an Import destination")), QString(), AlertController::Style::actionSheet);
    QPointer<DirectoryViewController> self(this);
    for (const MediaKind &kind : MediaKind::allCases()) {
        if (kind == MediaKind::tone || kind == MediaKind::videoPodcast)
            continue;
        sheet->addAction(new AlertControllerAction(kind.title(), AlertControllerAction::Style::defaultStyle,
            [self, kind](AlertControllerAction *) {
                if (self)
                    self->importSelectedEntries(kind);
            }));
    }
    sheet->addAction(new AlertControllerAction(_localizedString(QStringLiteral("Cancel")), AlertControllerAction::Style::cancel));
    if (PopoverPresentationController *popover = sheet->popoverPresentationController(); popover && sender)
        popover->setSourceView(sender->view());
    present(sheet, true);
}

void DirectoryViewController::importSelectedEntries(MediaKind kind)
{
    const QSet<std::shared_ptr<Entry>> chosen = m_selectedEntries;
    setEditMode(!m_editMode);
    if (m_collectionView)
        m_collectionView->reloadData();

    hideLoader();
    delete m_loaderView;
    auto *loader = new LoaderView;
    m_loaderView = loader;
    loader->setHideContentView(false);
    loader->contentViewTheme = Theme::light;
    loader->spinnerViewSize = QSizeF(35, 35);
    loader->animateAppearance = true;
    loader->show(view(), LoaderView::Position::center, backgroundImportMessage(), std::nullopt, this);

    auto items = std::make_shared<QList<ImportItem>>();
    auto group = std::make_shared<DispatchGroup>();
    for (const std::shared_ptr<Entry> &entry : chosen) {
        // A file that went away since it was chosen is left out.
        if (!QFileInfo::exists(entry->path()))
            continue;
        group->enter();
        bool answered = false;
        entry->updateMetadata([items, group, kind, &answered](const std::shared_ptr<Entry> &loaded) {
            answered = true;
            items->append(ImportItem(kind, *loaded));
            group->leave();
        });
        // An entry whose metadata cannot complete (a folder, a plain file, one already loading)
        // never answers; the import goes on with the others.
        if (!answered)
            group->leave();
    }
    QPointer<DirectoryViewController> self(this);
    group->notify([items, self] {
        const QList<ImportItem> list = *items;
        Dispatch::global([list, self] {
            UserManager::shared()->importMedia(list, [self] {
                Dispatch::mainAfter(1.0, [self] {
                    if (self)
                        self->hideLoader();
                });
            });
        });
    });
}

void DirectoryViewController::toggleAllSelection(BarButtonItem *sender)
{
    if (sender && sender->title() == _localizedString(QStringLiteral("Select All"))) {
        // Only what the probe calls media is selected: files listed by their signature alone are
        // probed first.
        QPointer<DirectoryViewController> self(this);
        m_model->settleExportableEntries([self] {
            if (!self)
                return;
            self->m_indexOfPresentedAlertView = 0;
            self->selectNextEntry();
        });
        return;
    }
    QSet<std::shared_ptr<Entry>> entries = m_selectedEntries;
    for (const std::shared_ptr<Entry> &entry : m_model->exportableEntries()) {
        if (m_collectionView)
            m_collectionView->deselectItem(entry->indexPath(), true);
        entries.remove(entry);
    }
    setSelectedEntries(entries);
}

void DirectoryViewController::selectNextEntry()
{
    const QList<std::shared_ptr<Entry>> &entries = m_model->exportableEntries();
    if (m_indexOfPresentedAlertView >= 0 && m_indexOfPresentedAlertView < entries.size()) {
        waitForOfferSheet();
        return;
    }
    if (!entries.isEmpty() && m_collectionView && m_indexOfPresentedAlertView >= 0)
        m_collectionView->selectItem(entries.last()->indexPath(), true, CollectionView::ScrollPosition::top);
}

void DirectoryViewController::waitForOfferSheet()
{
    if (m_indexOfPresentedAlertView == -1)
        return;
    QPointer<DirectoryViewController> self(this);
    if (presentedViewController()) {
        // The presentation state belongs to the GUI thread, so the re-check waits there.
        Dispatch::mainAfter(0.45, [self] {
            if (self)
                self->waitForOfferSheet();
        });
        return;
    }
    const QList<std::shared_ptr<Entry>> &entries = m_model->exportableEntries();
    // The list may have changed under the walk: a cursor outside it ends the walk.
    if (m_indexOfPresentedAlertView < 0 || m_indexOfPresentedAlertView >= entries.size())
        return;
    const std::shared_ptr<Entry> entry = entries.at(m_indexOfPresentedAlertView);
    if (m_collectionView)
        m_collectionView->selectItem(entry->indexPath(), false, CollectionView::ScrollPosition::top);
    QSet<std::shared_ptr<Entry>> chosen = m_selectedEntries;
    chosen.insert(entry);
    setSelectedEntries(chosen);
    if (!entry->isAudioFileReadable())
        offerConversion(entry);
    ++m_indexOfPresentedAlertView;
    selectNextEntry();
}

void DirectoryViewController::offerConversion(
    const std::shared_ptr<Entry> &entry, ViewController *presenter, ConvertedHandler converted)
{
    if (!entry)
        return;
    auto *sheet = new AlertController(QString(),
        _localizedString(QStringLiteral("The file \"") + entry->name()
            + QStringLiteral("\" is malformed, or is not a valid instance of an audio file of its type.\nWould you like "
                             "Tarnik to attempt fixing it by creating an AAC version of it?")),
        AlertController::Style::actionSheet);
    QPointer<DirectoryViewController> self(this);
    sheet->addAction(new AlertControllerAction(_localizedString(QStringLiteral("NO")), AlertControllerAction::Style::cancel,
        [self, entry](AlertControllerAction *) {
            if (!self)
                return;
            if (self->m_collectionView)
                self->m_collectionView->deselectItem(entry->indexPath(), false);
            QSet<std::shared_ptr<Entry>> chosen = self->m_selectedEntries;
            chosen.remove(entry);
            self->setSelectedEntries(chosen);
        }));
    sheet->addAction(new AlertControllerAction(_localizedString(QStringLiteral("YES. Create it")),
        AlertControllerAction::Style::destructive, [self, entry, converted](AlertControllerAction *) {
            if (self)
                self->convertToAAC(entry, converted);
        }));
    (presenter ? presenter : this)->present(sheet, true);
}

QString DirectoryViewController::convertedPath(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
    return stem + QStringLiteral("_AAC.m4a");
}

void DirectoryViewController::convertToAAC(const std::shared_ptr<Entry> &entry, ConvertedHandler converted)
{
    if (!entry)
        return;
    m_indexOfPresentedAlertView = -1;
    if (m_editMode)
        setEditMode(false);
    if (LoaderView *loader = loaderView()) {
        loader->setHideContentView(false);
        loader->spinnerViewSize = QSizeF(35, 35);
        loader->animateAppearance = true;
        loader->show(view(), LoaderView::Position::center, _localizedString(QStringLiteral("Converting...")),
            std::nullopt, this);
    }
    QPointer<DirectoryViewController> self(this);
    const QString source = entry->path();
    // The copy carries the file's tags, from the entry the update hands over: that may be an
    // earlier entry for the same file (one played before), whose tags this one never read.
    std::shared_ptr<Entry> loaded;
    entry->updateMetadata([&loaded](const std::shared_ptr<Entry> &e) { loaded = e; });
    const std::optional<Metadata> metadata = loaded ? loaded->metadata() : std::nullopt;
    const QString fallbackTitle = loaded ? loaded->title() : QString();
    const QString fallbackArtist = loaded ? loaded->artist().value_or(QString()) : QString();
    const auto fail = [self](const QString &message) {
        Dispatch::main([self, message] {
            if (!self)
                return;
            self->hideLoader();
            _showTarnikDefaultAlert(_localizedString(QStringLiteral("Convertion Error")), _localizedString(message), {}, self);
        });
    };
    Dispatch::global([self, source, metadata, fail, fallbackTitle, fallbackArtist, converted] {
        const QString output = convertedPath(source);
        const MediaAsset asset(source);
        QString message;
        bool hasAudio = false;
        for (const MediaTrack &track : asset.tracks())
            hasAudio = hasAudio || track.mediaType == MediaType::audio;
        if (!hasAudio)
            message = QStringLiteral("This file has no audio tracks.");
        std::optional<QVariantMap> dictionary = metadata ? metadata->dictionaryRepresentation() : std::nullopt;
        // Metadata were read but hold no field at all: the copy still gets the title and artist
        // the entry shows. Without metadata (none were loaded) the file is refused.
        if (metadata && !dictionary && hasAudio && !fallbackTitle.isEmpty()) {
            dictionary = QVariantMap { { QStringLiteral("title"), fallbackTitle } };
            if (!fallbackArtist.isEmpty())
                dictionary->insert(QStringLiteral("artist"), fallbackArtist);
        }
        if (!dictionary)
            message = QStringLiteral("No metadata found.");
        if (!message.isEmpty()) {
            fail(message);
            return;
        }
        // The export goes to a hidden file beside the copy and replaces an earlier copy only once
        // it is complete, so a failed conversion never costs the user the copy they had. The file
        // is recorded, so a conversion cut short by a kill leaves nothing after the next start.
        const std::optional<QString> reserved = PartialFiles::create(output);
        if (!reserved) {
            fail(QStringLiteral("Error encountered wile converting the media."));
            return;
        }
        const QString partial = *reserved;
        AudioConverter::shared().convert(asset, partial, dictionary, MediaTimeRange::zero(), true, 1.0f,
            [self, fail, partial, output, converted](bool success) {
                if (success && ::rename(QFile::encodeName(partial).constData(), QFile::encodeName(output).constData()) != 0)
                    success = false;
                if (!success)
                    QFile::remove(partial);
                PartialFiles::release(partial);
                if (!success) {
                    fail(QStringLiteral("Error encountered wile converting the media."));
                    return;
                }
                Dispatch::main([self, output, converted] {
                    if (!self)
                        return;
                    self->fetchViewModels();
                    if (converted)
                        converted(output);
                });
            });
    });
}

// MARK: - Files handed over

namespace {

std::shared_ptr<Entry> handedOverEntry(const QString &path)
{
    const PathExtension extension(path);
    const EntryType type = extension.isImage() ? EntryType::image
        : extension.isExportable()             ? EntryType::exportable
                                               : EntryType::regular;
    return std::make_shared<Entry>(path, QFileInfo(path).fileName(), type, IndexPath(0, 0));
}

// Only a copy inside the app's own inbox may ever be deleted by the editor; a path that merely
// names a file elsewhere (a link, the command line) is the user's own.
bool isInInbox(const QString &path)
{
    const QString inbox = QFileInfo(Preferences::inboxPath()).canonicalFilePath();
    const QString file = QFileInfo(path).canonicalFilePath();
    return !inbox.isEmpty() && !file.isEmpty() && file.startsWith(inbox + QLatin1Char('/'));
}

} // namespace

void DirectoryViewController::presentImportEditor(
    const std::shared_ptr<Entry> &entry, bool isOpenIn, MediaKind mediaKind)
{
    if (!entry)
        return;
    if (entry->isAudio() && !entry->isAudioFileReadable()) {
        // The copy is what the user asked for: the hand-over goes on with it, as the same kind.
        QPointer<DirectoryViewController> self(this);
        offerConversion(entry, nullptr, [self, isOpenIn, mediaKind](const QString &copy) {
            if (!self)
                return;
            handedOverEntry(copy)->updateMetadata([self, isOpenIn, mediaKind](const std::shared_ptr<Entry> &loaded) {
                Dispatch::main([self, loaded, isOpenIn, mediaKind] {
                    if (self)
                        self->presentImportEditor(loaded, isOpenIn, mediaKind);
                });
            });
        });
        return;
    }
    const Storyboard storyboard(MainStoryboard::kName);
    if (!storyboard.contains(ImportActivity::editorIdentifier))
        return;
    ImportItem item(mediaKind, entry->path(), entry->isImage() ? std::nullopt : entry->metadata());
    item.isOpenIn = isOpenIn && isInInbox(entry->path());
    auto *editor = qobject_cast<ImportViewController *>(storyboard.instantiateViewController(ImportActivity::editorIdentifier));
    if (!editor)
        return;
    editor->setImportItem(item);
    auto *navigation = new NavigationController(editor);
    navigation->setModalPresentationStyle(ModalPresentationStyle::formSheet);
    navigation->setPreferredContentSize(preferredFormSheetSize());
    present(navigation, true);
}

void DirectoryViewController::importReceivedFile(const QString &path)
{
    QPointer<DirectoryViewController> self(this);
    Dispatch::mainAfter(0.5, [self, path] {
        if (!self)
            return;
        const QFileInfo info(path);
        // Only a readable regular file is opened: a FIFO would block the reader, a folder is
        // no document.
        if (!info.isFile() || !info.isReadable())
            return;
        handedOverEntry(path)->updateMetadata([self](const std::shared_ptr<Entry> &loaded) {
            Dispatch::main([self, loaded] {
                if (self)
                    self->presentImportEditor(loaded, true, MediaKind::song);
            });
        });
    });
}

void DirectoryViewController::importHandOver(const QVariantMap &record, MediaKind mediaKind)
{
    QPointer<DirectoryViewController> self(this);
    Dispatch::mainAfter(0.5, [self, record, mediaKind] {
        const QVariant value = record.value(QStringLiteral("filePath"));
        if (!self || value.metaType() != QMetaType::fromType<QString>())
            return;
        const QString path = value.toString();
        const QFileInfo info(path);
        if (!info.isFile() || !info.isReadable())
            return;
        handedOverEntry(path)->updateMetadata(record, [self, mediaKind](const std::shared_ptr<Entry> &loaded) {
            Dispatch::main([self, loaded, mediaKind] {
                if (self)
                    self->presentImportEditor(loaded, false, mediaKind);
            });
        });
    });
}

} // namespace tarnik
