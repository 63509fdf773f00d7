#include "ImportEditor/ImageQueryController.h"

#include "App/Constants.h"
#include "App/Globals.h"
#include "Controls/ImageView.h"
#include "Controls/Loaders/LoaderView.h"
#include "Controls/Loaders/SpinnerView.h"
#include "Entries/EntryImages.h"
#include "ImportEditor/ImageActivityIndicatorView.h"
#include "ImportEditor/ImageCell.h"
#include "ImportEditor/ImageQueryControllerDelegate.h"
#include "ImportEditor/ImageViewerController.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/View.h"

#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

namespace tarnik {

namespace {

// The narrowest screen width of a phone whose width counts as regular.
constexpr double kRegularPhoneWidth = 736.0;

QIcon magnifierIcon()
{
    return QIcon(QPixmap::fromImage(EntryImages::named(QStringLiteral("magnifierSmall"), 40)));
}

} // namespace

ImageQueryController::ImageQueryController(QObject *parent)
    : ViewController(parent)
    , m_queryService(std::make_unique<ImageQueryService>())
{
}

ImageQueryController::~ImageQueryController()
{
    for (const QPointer<LoaderView> &loader : std::as_const(m_loaders))
        delete loader.data();
    if (m_collectionView) {
        m_collectionView->setDataSource(nullptr);
        m_collectionView->setDelegate(nullptr);
    }
}

ImageQueryControllerDelegate *ImageQueryController::delegate() const
{
    if (m_delegateIsObject && !m_delegateObject)
        return nullptr;
    return m_delegate;
}

void ImageQueryController::setDelegate(ImageQueryControllerDelegate *delegate)
{
    m_delegate = delegate;
    m_delegateObject = dynamic_cast<QObject *>(delegate);
    m_delegateIsObject = !m_delegateObject.isNull();
}

void ImageQueryController::setSearchTerm(const std::optional<QString> &term)
{
    m_searchTerm = term;
    loadViewIfNeeded();
    if (window())
        search();
}

BarButtonItem *ImageQueryController::searchBarButtonItem()
{
    auto *item = new BarButtonItem(
        magnifierIcon(), BarButtonItem::Style::plain, [this](BarButtonItem *) { searchIconTapped(); }, this);
    // Shown as the icon only; the title names it for assistive technology.
    item->setTitle(_localizedString(QStringLiteral("Search")));
    return item;
}

void ImageQueryController::loadView()
{
    auto *root = new QWidget;
    root->setObjectName(QStringLiteral("ImageQueryController"));
    root->setAutoFillBackground(true);
    QPalette palette = root->palette();
    palette.setColor(QPalette::Window, Qt::white);
    root->setPalette(palette);

    m_collectionView = new CollectionView(root);
    m_collectionView->setObjectName(QStringLiteral("ImageQueryGrid"));
    m_collectionView->registerCellClass<ImageCell>(ImageCell::kReuseIdentifier);
    m_collectionView->setDataSource(this);
    m_collectionView->setDelegate(this);
    m_collectionView->collectionViewLayout()->minimumInteritemSpacing = 0.0;

    m_tapGestureView = new QWidget(root);
    m_tapGestureView->setObjectName(QStringLiteral("ImageQueryTapCover"));
    auto *tap = new TapGestureRecognizer([this](GestureRecognizer *r) {
        if (r->state() == GestureRecognizer::State::ended)
            exitSearchMode();
    });
    tap->attach(m_tapGestureView);
    m_tapGestureView->hide();

    m_noticeLabel = new QLabel(root);
    m_noticeLabel->setObjectName(QStringLiteral("ImageQueryNotice"));
    m_noticeLabel->setAlignment(Qt::AlignCenter);
    m_noticeLabel->setWordWrap(true);
    QFont noticeFont = Common::defaultFont();
    m_noticeLabel->setFont(noticeFont);
    m_noticeLabel->setStyleSheet(QStringLiteral("color: #999999;"));
    m_noticeLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_searchView = new QWidget(root);
    m_searchView->setObjectName(QStringLiteral("ImageQuerySearchBar"));
    m_searchView->setAutoFillBackground(true);
    QPalette barPalette = m_searchView->palette();
    barPalette.setColor(QPalette::Window, Qt::white);
    m_searchView->setPalette(barPalette);

    m_searchTextField = new QLineEdit(m_searchView);
    m_searchTextField->setObjectName(QStringLiteral("ImageQuerySearchField"));
    m_searchTextField->setPlaceholderText(_localizedString(QStringLiteral("Search for Album Artwork")));
    m_searchTextField->setAccessibleName(_localizedString(QStringLiteral("Search for Album Artwork")));
    m_searchTextField->addAction(magnifierIcon(), QLineEdit::LeadingPosition);
    m_searchTextField->setFont(Common::defaultFont());
    m_searchTextField->setStyleSheet(QStringLiteral(
        "QLineEdit { background: #efeff4; border: none; border-radius: 8px; padding: 0 8px 0 2px; color: #000000; }"));
    m_searchTextField->installEventFilter(this);
    connect(m_searchTextField, &QLineEdit::returnPressed, this, &ImageQueryController::textFieldShouldReturn);

    m_shadowLine = new QWidget(root);
    m_shadowLine->setObjectName(QStringLiteral("ImageQueryShadowLine"));
    m_shadowLine->setAutoFillBackground(true);
    QPalette linePalette = m_shadowLine->palette();
    linePalette.setColor(QPalette::Window, QColor(0xdd, 0xdd, 0xdd));
    m_shadowLine->setPalette(linePalette);

    setView(root);
}

void ImageQueryController::viewDidLoad()
{
    m_collectionView->alwaysBounceVertical = true;
    m_collectionView->setContentInset(EdgeInsets {});
    m_searchViewHeight = kSearchViewHeight;
    m_searchViewHeightConstant = 0.0;
    navigationItem()->setRightBarButtonItem(searchBarButtonItem());
    auto *cancel = new BarButtonItem(
        _localizedString(QStringLiteral("Cancel")), BarButtonItem::Style::plain,
        [this](BarButtonItem *) { cancelButtonTapped(); }, this);
    navigationItem()->setLeftBarButtonItem(cancel);
    m_noticeLabel->hide();
    layoutChildViews();
}

void ImageQueryController::viewWillAppear(bool)
{
    if (NavigationController *navigation = navigationController())
        navigation->navigationBar()->setHidesShadow(true);
    search();
}

void ImageQueryController::viewWillTransition(const QSizeF &size)
{
    ViewController::viewWillTransition(size);
    if (m_collectionView)
        m_collectionView->invalidateLayout();
}

void ImageQueryController::setSearchViewHeightConstant(double height)
{
    m_searchViewHeightConstant = height;
    layoutChildViews();
}

void ImageQueryController::layoutChildViews()
{
    if (!isViewLoaded() || !m_collectionView)
        return;
    const QRect bounds = view()->rect();
    const int barHeight = qRound(m_searchViewHeightConstant);
    m_searchView->setGeometry(0, 0, bounds.width(), barHeight);
    m_searchView->setVisible(barHeight > 0);
    const int fieldHeight = 36;
    m_searchTextField->setGeometry(8,
        qMax(0, (qRound(m_searchViewHeight) - fieldHeight) / 2) - (qRound(m_searchViewHeight) - barHeight),
        bounds.width() - 16, fieldHeight);
    m_shadowLine->setGeometry(0, barHeight, bounds.width(), 1);
    const QRect grid(0, barHeight + 1, bounds.width(), qMax(0, bounds.height() - barHeight - 1));
    if (m_collectionView->geometry() != grid) {
        const bool widthChanged = m_collectionView->width() != grid.width();
        m_collectionView->setGeometry(grid);
        if (widthChanged)
            m_collectionView->invalidateLayout();
    }
    m_tapGestureView->setGeometry(grid);
    m_tapGestureView->raise();
    m_noticeLabel->setGeometry(grid.adjusted(24, 0, -24, 0));
    m_noticeLabel->raise();
}

bool ImageQueryController::eventFilter(QObject *watched, QEvent *event)
{
    // The event type first: the field's own destruction passes through this filter, and reading
    // the QPointer then casts an object that is no longer a QLineEdit.
    if (event->type() == QEvent::FocusIn && watched == m_searchTextField && m_tapGestureView)
        m_tapGestureView->show();
    return ViewController::eventFilter(watched, event);
}

void ImageQueryController::showNotice(const QString &text)
{
    m_noticeLabel->setText(text);
    m_noticeLabel->setVisible(!text.isEmpty());
}

void ImageQueryController::search()
{
    loadViewIfNeeded();
    m_noticeLabel->hide();
    m_noticeLabel->clear();
    if (!m_searchTerm) {
        _showTarnikDefaultAlert(_localizedString(QStringLiteral("Error Occurred")),
            _localizedString(QStringLiteral("Search term is empty.")), {}, this);
        return;
    }
    for (auto it = m_loaders.begin(); it != m_loaders.end();) {
        if (*it && (*it)->parentWidget()) {
            ++it;
            continue;
        }
        delete it->data();
        it = m_loaders.erase(it);
    }
    auto *loader = new LoaderView;
    loader->setHideContentView(m_images.isEmpty());
    loader->show(view());
    m_loaders.append(loader);
    QPointer<LoaderView> loaderGuard(loader);

    const quint64 generation = ++m_searchGeneration;
    QPointer<ImageQueryController> self(this);
    m_queryService->fetchImages(*m_searchTerm,
        [self, generation, loaderGuard](const std::optional<ImageList> &results,
            const std::optional<UserManagerError> &error, const std::optional<QString> &,
            const std::optional<QString> &) {
            ImageList images = results.value_or(ImageList());
            // The results and the grid change together in one block, so the
            // grid never asks for a result the list no longer has.
            Dispatch::main([self, generation, loaderGuard, images = std::move(images), error] {
                if (loaderGuard)
                    loaderGuard->hide();
                if (!self || generation != self->m_searchGeneration)
                    return;
                self->m_images = images;
                self->setTitle(images.isEmpty()
                        ? QString()
                        : QString::number(images.size()) + _localizedString(QStringLiteral(" Covers")));
                if (error)
                    self->showNotice(error->message());
                else
                    self->showNotice(QString());
                self->m_collectionView->reloadData();
            });
        });
}

void ImageQueryController::setSearchViewVisible(bool visible)
{
    if (m_isAnimating)
        return;
    m_isAnimating = true;
    QPointer<ImageQueryController> self(this);
    View::animate(
        0.3,
        [this, visible] {
            View::setValue(this, "searchViewHeightConstant", visible ? m_searchViewHeight : 0.0);
            navigationItem()->setRightBarButtonItem(visible ? nullptr : searchBarButtonItem(), true);
        },
        [self](bool) {
            if (self)
                self->m_isAnimating = false;
        });
}

void ImageQueryController::enterSearchMode()
{
    if (m_isAnimating)
        return;
    setSearchViewVisible(true);
    m_searchTextField->setFocus(Qt::OtherFocusReason);
    m_tapGestureView->show();
}

void ImageQueryController::exitSearchMode()
{
    m_searchTextField->clear();
    m_searchTextField->clearFocus();
    m_tapGestureView->hide();
    setSearchViewVisible(false);
}

void ImageQueryController::cancelButtonTapped()
{
    m_queryService->cancelFetch();
    dismiss(true);
}

void ImageQueryController::searchIconTapped()
{
    enterSearchMode();
}

void ImageQueryController::textFieldShouldReturn()
{
    const QString text = m_searchTextField->text();
    exitSearchMode();
    setSearchTerm(text.isEmpty() ? std::nullopt : std::optional<QString>(text));
}

double ImageQueryController::columns(bool isPad, bool isPortrait, bool regularWidth, bool isIPhoneX)
{
    if (isPad)
        return isPortrait ? 3.0 : 4.0;
    if (regularWidth || (isIPhoneX && !isPortrait))
        return 4.0;
    return 3.0;
}

double ImageQueryController::numberOfColumns() const
{
    const QSizeF screen = DeviceProfile::screenSize();
    const Device::ScreenFacts facts = Device::screenFactsFor(DeviceProfile::idiom(), screen);
    return columns(facts.isPad(), DeviceProfile::isPortrait(), facts.isPhone() && screen.width() >= kRegularPhoneWidth,
        facts.isIPhoneX());
}

double ImageQueryController::itemSide() const
{
    const double columnCount = numberOfColumns();
    // A desktop window has no safe-area insets to leave on either side.
    const double spacing = (columnCount - 1.0) * kLineSpacing;
    const double width = m_collectionView ? m_collectionView->width() : 0.0;
    return std::max(0.0, (width - spacing) / columnCount);
}

int ImageQueryController::numberOfItems(CollectionView *, int)
{
    return int(m_images.size());
}

CollectionViewCell *ImageQueryController::cellForItem(CollectionView *collectionView, const IndexPath &indexPath)
{
    auto *cell = collectionView->dequeueReusableCell<ImageCell>(ImageCell::kReuseIdentifier, indexPath);
    const std::shared_ptr<Image> result = m_images.value(indexPath.item);
    cell->setAccessibleName(
        _localizedString(QStringLiteral("Cover")) + QLatin1Char(' ') + QString::number(indexPath.item + 1));
    if (!result)
        return cell;
    cell->setRepresentedResult(result.get());
    const QImage thumbnail = result->lowResImage();
    if (!thumbnail.isNull()) {
        cell->configure(thumbnail);
        return cell;
    }
    QPointer<ImageCell> guard(cell);
    result->load(ImageType::lowRes, [guard, result](const QImage &image) {
        Dispatch::main([guard, result, image] {
            // A cell reused for another result meanwhile keeps what it shows.
            if (guard && guard->representedResult() == result.get())
                guard->configure(image);
        });
    });
    return cell;
}

void ImageQueryController::didSelectItem(CollectionView *collectionView, const IndexPath &indexPath)
{
    auto *cell = dynamic_cast<ImageCell *>(collectionView->cellForItem(indexPath));
    const std::shared_ptr<Image> result = m_images.value(indexPath.item);
    collectionView->deselectItem(indexPath, false);
    if (!cell || !result)
        return;
    cell->activityIndicator()->startAnimating();
    QPointer<ImageCell> cellGuard(cell);
    QPointer<ImageQueryController> self(this);
    result->load(ImageType::highRes, [self, cellGuard](const QImage &image) {
        Dispatch::main([self, cellGuard, image] {
            QImage picture = image;
            if (picture.isNull() && cellGuard)
                picture = cellGuard->imageView()->image();
            if (cellGuard)
                cellGuard->activityIndicator()->stopAnimating();
            if (!self)
                return;
            auto *viewer = new ImageViewerController(cellGuard ? cellGuard->imageView() : nullptr, picture);
            viewer->setDelegate(self.data());
            self->present(viewer, true);
            if (!viewer->presentingViewController())
                viewer->deleteLater();
        });
    });
}

std::optional<QSizeF> ImageQueryController::sizeForItem(CollectionView *, const IndexPath &)
{
    const double side = itemSide();
    return QSizeF(side, side);
}

std::optional<EdgeInsets> ImageQueryController::insetForSection(CollectionView *, int)
{
    return EdgeInsets {};
}

std::optional<double> ImageQueryController::minimumLineSpacing(CollectionView *, int)
{
    return kLineSpacing;
}

std::optional<double> ImageQueryController::minimumInteritemSpacing(CollectionView *, int)
{
    // The item side leaves exactly the line spacing per gap; the layout
    // spreads the items to fill the line.
    return 0.0;
}

void ImageQueryController::scrollViewWillBeginDragging(ScrollView *scrollView)
{
    m_didBeginScrolling = true;
    m_lastContentOffset = scrollView->contentOffset().y();
}

void ImageQueryController::scrollViewDidEndDragging(ScrollView *, bool)
{
    m_didBeginScrolling = false;
}

void ImageQueryController::scrollViewDidScroll(ScrollView *scrollView)
{
    if (!m_didBeginScrolling || m_isAnimating || (scrollView->isDecelerating() && m_lastContentOffset > 0.0))
        return;
    const double y = scrollView->contentOffset().y();
    if (y < m_lastContentOffset && y <= -10.0 && m_searchViewHeightConstant == 0.0)
        setSearchViewVisible(true);
    else if (y > m_lastContentOffset && y > 0.0 && m_searchViewHeightConstant > 0.0)
        setSearchViewVisible(false);
}

void ImageQueryController::imageViewerDidSelect(const QImage &image)
{
    if (ImageQueryControllerDelegate *target = delegate())
        target->imageQueryController(this, image);
}

} // namespace tarnik
