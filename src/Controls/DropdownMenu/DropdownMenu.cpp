#include "Controls/DropdownMenu/DropdownMenu.h"

#include "App/Constants.h"
#include "App/Globals.h"
#include "Controls/DropdownMenu/DropdownMenuCell.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/TemplateImage.h"
#include "Platform/UI/View.h"

#include <QFontMetricsF>
#include <QIcon>
#include <QToolButton>

namespace tarnik {

namespace {

constexpr double kRowHeight = 44;
constexpr double kSectionInset = 5;
constexpr double kChoiceDelay = 0.15;
constexpr double kBackgroundFade = 0.25;
constexpr double kShowDuration = 0.8;
constexpr double kHideDuration = 0.3;
constexpr double kStagger = 0.02;
constexpr double kFullScreenExtraDelay = 0.05;

QColor grey(double white, double alpha)
{
    return QColor::fromRgbF(float(white), float(white), float(white), float(alpha));
}

} // namespace

DropdownMenu::DropdownMenu(const DropdownMenuItems &items, const DropdownMenuCellAlignment &alignment,
    DropdownMenuStyle style, const std::optional<QImage> &navBarImage, std::function<void()>, QObject *parent)
    : ViewController(parent)
    , m_items(items)
    , m_alignment(alignment)
    , m_navBarImage(navBarImage)
    , m_style(style)
    , m_transitionController(std::make_shared<DropdownMenuTransitionController>())
{
}

DropdownMenu::~DropdownMenu()
{
    stopRowAnimations();
    // Backgrounds placed in the navigation controller's view go with the menu.
    for (const QPointer<QWidget> &background : std::as_const(m_ownedBackgrounds))
        delete background.data();
}

QColor DropdownMenu::tintColor(DropdownMenuStyle style)
{
    switch (style) {
    case DropdownMenuStyle::blackGradient:
    case DropdownMenuStyle::black:
    case DropdownMenuStyle::translucentDark:
        return QColor(Qt::white);
    case DropdownMenuStyle::whiteGradient:
    case DropdownMenuStyle::white:
    case DropdownMenuStyle::translucentLight:
    case DropdownMenuStyle::translucentSmoke:
        return grey(0.1, 1.0);
    }
    return QColor(Qt::white);
}

DropdownMenu *DropdownMenu::present(ViewController *presenting, const DropdownMenuItems &items,
    const DropdownMenuCellAlignment &alignment, DropdownMenuStyle style, const std::optional<QImage> &navBarImage,
    std::function<void()> completion)
{
    if (!presenting)
        return nullptr;
    // A window that plays a pad has room around its title: the menu drops from the title as a
    // popover with the same rows, look and animations instead of covering the whole window.
    if (QWidget *title = presenting->navigationItem()->titleView(); title && DeviceProfile::isPad()) {
        auto *menu = new DropdownMenu(items, alignment, style, navBarImage, completion);
        menu->setModalPresentationStyle(ModalPresentationStyle::popover);
        if (PopoverPresentationController *popover = menu->popoverPresentationController()) {
            menu->m_isPopover = true;
            popover->setSourceView(title);
            popover->setSourceRect(QRectF(title->rect()));
            popover->setDelegate(menu);
        }
        menu->setPreferredContentSize(menu->preferredContentSize());
        QPointer<DropdownMenu> guard(menu);
        presenting->present(menu, true, [guard, completion = std::move(completion)] {
            if (guard)
                guard->showMenu({});
            if (completion)
                completion();
        });
        return menu;
    }
    auto *menu = new DropdownMenu(items, alignment, style, navBarImage, completion);
    auto *nav = new NavigationController(menu);
    menu->loadViewIfNeeded();
    nav->loadViewIfNeeded();
    NavigationBar *bar = nav->navigationBar();
    bar->setTintColor(menu->tintColor());
    bar->setBarStyle(NavigationBar::BarStyle::black);
    bar->setTranslucent(true);
    bar->setBarTintColor(std::nullopt);
    bar->setBackgroundImage(QImage());
    bar->setShadowImage(QImage());
    bar->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    QPointer<DropdownMenu> guard(menu);
    auto *tap = new TapGestureRecognizer([guard](GestureRecognizer *recognizer) {
        if (guard && recognizer->state() == GestureRecognizer::State::ended)
            guard->dismiss();
    });
    tap->attach(bar);
    nav->setModalPresentationStyle(ModalPresentationStyle::custom);
    nav->setTransitioningDelegate(static_cast<ViewControllerTransitioningDelegate *>(menu));
    presenting->present(nav, true, std::move(completion));
    return menu;
}

DropdownMenu *DropdownMenu::presentPopover(
    ViewController *presenting, const PopoverSource &source, const DropdownMenuItems &items, std::function<void()>)
{
    if (!presenting)
        return nullptr;
    auto *menu = new DropdownMenu(items, DropdownMenuCellAlignment::left(), DropdownMenuStyle::black, std::nullopt);
    menu->setModalPresentationStyle(ModalPresentationStyle::popover);
    if (PopoverPresentationController *popover = menu->popoverPresentationController()) {
        menu->m_isPopover = true;
        if (const auto *item = std::get_if<BarButtonItem *>(&source); item && *item) {
            popover->setBarButtonItem(*item);
        } else if (const auto *view = std::get_if<QWidget *>(&source); view && *view) {
            popover->setSourceView(*view);
            const QRect frame = (*view)->geometry();
            popover->setSourceRect(QRectF(frame.center().x(), frame.center().y(), 1, 1));
        }
        popover->setDelegate(menu);
    }
    menu->setPreferredContentSize(menu->preferredContentSize());
    QPointer<DropdownMenu> guard(menu);
    presenting->present(menu, true, [guard] {
        if (guard)
            guard->showMenu({});
    });
    return menu;
}

void DropdownMenu::loadView()
{
    auto *root = new QWidget;
    root->setObjectName(QStringLiteral("DropdownMenuView"));
    root->setAttribute(Qt::WA_TranslucentBackground);
    setView(root);

    auto *collection = new CollectionView(root);
    collection->setObjectName(QStringLiteral("DropdownMenuRows"));
    collection->setAttribute(Qt::WA_TranslucentBackground);
    collection->alwaysBounceVertical = true;
    collection->setDataSource(this);
    collection->setDelegate(static_cast<CollectionViewDelegateFlowLayout *>(this));
    collection->registerCellClass<DropdownMenuCell>(kCellIdentifier);
    collection->setGeometry(root->rect());
    auto *empty = new QWidget;
    empty->setAttribute(Qt::WA_TranslucentBackground);
    QPointer<DropdownMenu> guard(this);
    auto *tap = new TapGestureRecognizer([guard](GestureRecognizer *recognizer) {
        if (guard && recognizer->state() == GestureRecognizer::State::ended)
            guard->dismiss();
    });
    tap->attach(empty);
    collection->setBackgroundView(empty);
    collection->show();
    m_collectionView = collection;

    setupNavigationBar();
    View::setAlpha(menuBackgroundView(), 0.0);
    collection->hide();
}

void DropdownMenu::setupNavigationBar()
{
    NavigationItem *item = navigationItem();
    QPointer<DropdownMenu> guard(this);
    const auto close = [guard](BarButtonItem *) {
        if (guard)
            guard->dismiss();
    };
    item->setLeftBarButtonItem(nullptr);
    item->setRightBarButtonItem(nullptr);
    item->setTitleView(nullptr);
    const QImage picture = m_navBarImage.value_or(QImage());
    switch (m_alignment.kind) {
    case DropdownMenuCellAlignment::Kind::left:
        item->setLeftBarButtonItem(new BarButtonItem(QIcon(QPixmap::fromImage(picture)), BarButtonItem::Style::plain, close));
        break;
    case DropdownMenuCellAlignment::Kind::right:
        item->setRightBarButtonItem(new BarButtonItem(QIcon(QPixmap::fromImage(picture)), BarButtonItem::Style::plain, close));
        break;
    case DropdownMenuCellAlignment::Kind::center: {
        // The picture is the title; the bar's tap closes the menu.
        auto *button = new QToolButton;
        button->setObjectName(QStringLiteral("DropdownMenuTitle"));
        button->setAutoRaise(true);
        button->setAttribute(Qt::WA_TransparentForMouseEvents);
        button->setAccessibleName(_localizedString(QStringLiteral("Close")));
        if (!picture.isNull()) {
            button->setIcon(QIcon(QPixmap::fromImage(templateImage(picture, tintColor()))));
            button->setIconSize(picture.size());
        }
        button->adjustSize();
        item->setTitleView(button);
        break;
    }
    }
}

QWidget *DropdownMenu::backgroundHost()
{
    // Under a navigation controller the background spreads under its bar
    // too, as the menu's view would if it reached under the bar.
    if (NavigationController *nav = navigationController(); nav && nav->isViewLoaded())
        return nav->view();
    return view();
}

void DropdownMenu::placeBackground(QWidget *background)
{
    QWidget *host = backgroundHost();
    if (background->parentWidget() != host) {
        background->setParent(host);
        if (host != view())
            m_ownedBackgrounds.append(background);
    }
    background->setGeometry(host->rect());
    background->lower();
    background->show();
}

DropdownMenuBackgroundView *DropdownMenu::gradientBackground()
{
    if (!m_gradientBackground) {
        m_gradientBackground = new DropdownMenuBackgroundView(view()->rect());
        placeBackground(m_gradientBackground);
    }
    return m_gradientBackground;
}

QWidget *DropdownMenu::solidBackground()
{
    if (!m_solidBackground) {
        auto *solid = new QWidget;
        solid->setObjectName(QStringLiteral("DropdownMenuSolidBackground"));
        solid->setAutoFillBackground(true);
        m_solidBackground = solid;
        placeBackground(solid);
    }
    return m_solidBackground;
}

PassThroughView *DropdownMenu::translucentBackground()
{
    if (!m_translucentBackground) {
        m_translucentBackground = new PassThroughView;
        m_translucentBackground->setRoundedCorner(false);
        placeBackground(m_translucentBackground);
    }
    return m_translucentBackground;
}

QWidget *DropdownMenu::menuBackgroundView()
{
    const auto solid = [this](double white) {
        QWidget *background = solidBackground();
        QPalette palette = background->palette();
        palette.setColor(QPalette::Window, grey(white, 0.98));
        background->setPalette(palette);
        return background;
    };
    const auto translucent = [this](Theme theme) {
        PassThroughView *background = translucentBackground();
        background->setTheme(theme);
        return background;
    };
    switch (m_style) {
    case DropdownMenuStyle::blackGradient:
        gradientBackground()->setIsWhite(false);
        return m_gradientBackground;
    case DropdownMenuStyle::whiteGradient:
        gradientBackground()->setIsWhite(true);
        return m_gradientBackground;
    case DropdownMenuStyle::black:
        return solid(0.0);
    case DropdownMenuStyle::white:
        return solid(1.0);
    case DropdownMenuStyle::translucentDark:
        return translucent(Theme::dark);
    case DropdownMenuStyle::translucentLight:
        return translucent(Theme::light);
    case DropdownMenuStyle::translucentSmoke:
        return translucent(Theme::smoke);
    }
    return nullptr;
}

void DropdownMenu::viewWillLayoutSubviews()
{
    if (!m_collectionView)
        return;
    m_collectionView->invalidateLayout();
    QWidget *background = menuBackgroundView();
    if (background)
        background->setGeometry(backgroundHost()->rect());
    // The menu's view starts below its bar here, so there is no top inset.
    m_collectionView->setGeometry(view()->rect());
}

QSizeF DropdownMenu::preferredContentSize() const
{
    const int n = int(m_items.size());
    if (n == 0)
        return QSizeF(320, 0);
    return QSizeF(320, n * kRowHeight + 0 * (n - 1) + 2 * kSectionInset);
}

double DropdownMenu::widestItemWidth()
{
    if (m_items.isEmpty())
        return 0.0;
    loadViewIfNeeded();
    QFont font = Common::defaultFont();
    if (auto *cell = m_collectionView->dequeueReusableCell<DropdownMenuCell>(kCellIdentifier, IndexPath(0, 0))) {
        font = cell->textLabel()->font();
        cell->deleteLater();
    }
    double widest = 0.0;
    for (const auto &item : std::as_const(m_items)) {
        QString text;
        if (item->attributedText) {
            text = item->attributedText->string;
            if (item->attributedText->font && !text.isEmpty())
                font = *item->attributedText->font;
        } else {
            text = item->text.value_or(QString());
        }
        const QRectF box = QFontMetricsF(font).boundingRect(
            QRectF(0, 0, Device::minLength(), 25), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        widest = std::max(widest, box.width()) + 5.0;
    }
    return widest;
}

int DropdownMenu::numberOfItems(CollectionView *, int)
{
    return int(m_items.size());
}

CollectionViewCell *DropdownMenu::cellForItem(CollectionView *collection, const IndexPath &indexPath)
{
    auto *cell = collection->dequeueReusableCell<DropdownMenuCell>(kCellIdentifier, indexPath);
    const auto &item = m_items.at(indexPath.item);
    if (item->text && !item->text->isEmpty())
        cell->setText(*item->text);
    else if (item->attributedText)
        cell->setAttributedText(*item->attributedText);
    else
        cell->setText(QString());
    cell->imageView()->setImage(item->image.value_or(QImage()));
    cell->maxLabelWidth = widestItemWidth();
    cell->setAlignment(m_alignment);
    cell->setTintColor(tintColor());
    return cell;
}

std::optional<QSizeF> DropdownMenu::sizeForItem(CollectionView *collection, const IndexPath &)
{
    return QSizeF(collection->width(), kRowHeight);
}

std::optional<EdgeInsets> DropdownMenu::insetForSection(CollectionView *, int)
{
    return EdgeInsets { kSectionInset, 0, kSectionInset, 0 };
}

std::optional<double> DropdownMenu::minimumLineSpacing(CollectionView *, int)
{
    return 0.0;
}

void DropdownMenu::didSelectItem(CollectionView *, const IndexPath &indexPath)
{
    if (indexPath.item < 0 || indexPath.item >= m_items.size())
        return;
    const std::shared_ptr<DropdownMenuItem> item = m_items.at(indexPath.item);
    QPointer<DropdownMenu> guard(this);
    Dispatch::mainAfter(kChoiceDelay, [guard, item] {
        if (!guard)
            return;
        ViewController *presented = guard->navigationController() ? static_cast<ViewController *>(guard->navigationController())
                                                                 : guard.data();
        // The handler outlives the menu: the menu goes with its dismissal.
        presented->dismiss(true, [item] { performCompletion(item); });
    });
}

void DropdownMenu::performCompletion(std::shared_ptr<DropdownMenuItem> item)
{
    Dispatch::mainAfter(kChoiceDelay, [item] {
        if (item->completionHandler)
            item->completionHandler();
    });
}

void DropdownMenu::dismiss()
{
    if (navigationController())
        navigationController()->dismiss(true);
    else
        ViewController::dismiss(true);
}

double DropdownMenu::entryOffset(int index) const
{
    const int n = int(m_items.size());
    return n == 0 ? 0.0 : 200.0 - 100.0 * index / n;
}

void DropdownMenu::stopRowAnimations()
{
    const QList<AnimationDriver::Id> running = std::exchange(m_rowAnimations, {});
    for (AnimationDriver::Id id : running)
        AnimationDriver::shared().stop(id);
}

void DropdownMenu::showItem(int index, double progress)
{
    if (!m_collectionView)
        return;
    auto *cell = m_collectionView->cellForItem(IndexPath { index, 0 });
    if (!cell)
        return;
    const double offset = entryOffset(index) * (1.0 - progress);
    QTransform t;
    switch (m_alignment.kind) {
    case DropdownMenuCellAlignment::Kind::left:
        t.translate(offset, 0);
        break;
    case DropdownMenuCellAlignment::Kind::right:
        t.translate(-offset, 0);
        break;
    case DropdownMenuCellAlignment::Kind::center:
        t.translate(0, -offset);
        break;
    }
    View::setTransform(cell, t);
    View::setAlpha(cell, std::clamp(progress, 0.0, 1.0));
}

void DropdownMenu::hideItem(int index, double progress)
{
    if (!m_collectionView)
        return;
    const int n = int(m_items.size());
    auto *cell = m_collectionView->cellForItem(IndexPath { n - 1 - index, 0 });
    if (!cell)
        return;
    const double offset = entryOffset(index) * progress;
    QTransform t;
    switch (m_alignment.kind) {
    case DropdownMenuCellAlignment::Kind::left:
        t.translate(-offset, 0);
        break;
    case DropdownMenuCellAlignment::Kind::right:
        t.translate(offset, 0);
        break;
    case DropdownMenuCellAlignment::Kind::center:
        t.translate(0, offset);
        break;
    }
    View::setTransform(cell, t);
    View::setAlpha(cell, std::clamp(1.0 - progress, 0.0, 1.0));
}

void DropdownMenu::showMenu(std::function<void()> completion)
{
    loadViewIfNeeded();
    stopRowAnimations();
    const int n = int(m_items.size());
    m_collectionView->show();
    m_collectionView->layoutIfNeeded();
    for (int i = 0; i < n; ++i)
        showItem(i, 0.0);
    QPointer<QWidget> background = menuBackgroundView();
    View::animate(kBackgroundFade, [background] { View::setAlpha(background, 1.0); });
    if (n == 0) {
        // Nothing flies in, so nothing else would end the presentation.
        if (completion)
            completion();
        return;
    }
    QPointer<DropdownMenu> guard(this);
    auto done = std::make_shared<std::function<void()>>(std::move(completion));
    for (int i = 0; i < n; ++i) {
        auto step = std::make_shared<BasicAnimation>([guard, i](double p) {
            if (guard)
                guard->showItem(i, p);
        });
        step->duration = kShowDuration;
        step->timing = TimingFunction::spring(0.6, 1.0);
        const double delay = i * kStagger + (m_isPopover ? 0.0 : kFullScreenExtraDelay);
        const bool last = i + 1 == n;
        m_rowAnimations.append(AnimationDriver::shared().run(step, delay, [done, last](bool) {
            if (last && *done)
                std::exchange(*done, {})();
        }));
    }
}

void DropdownMenu::hideMenu(std::function<void()> completion)
{
    loadViewIfNeeded();
    // A dismissal during the entry takes the rows from where they are.
    stopRowAnimations();
    const int n = int(m_items.size());
    QPointer<DropdownMenu> guard(this);
    if (n == 0) {
        View::setAlpha(menuBackgroundView(), 0.0);
        if (completion)
            completion();
        return;
    }
    auto done = std::make_shared<std::function<void()>>(std::move(completion));
    for (int i = 0; i < n; ++i) {
        const bool last = i + 1 == n;
        auto step = std::make_shared<BasicAnimation>([guard, i, last](double p) {
            if (!guard)
                return;
            guard->hideItem(i, p);
            if (last && guard->m_collectionView && guard->m_collectionView->cellForItem(IndexPath(0, 0)))
                View::setAlpha(guard->menuBackgroundView(), 1.0 - p);
        });
        step->duration = kHideDuration;
        step->timing = TimingFunction::easeInOut();
        // Completes also when interrupted, so the dismissal never hangs.
        m_rowAnimations.append(AnimationDriver::shared().run(step, i * kStagger, [done, last](bool) {
            if (last && *done)
                std::exchange(*done, {})();
        }));
    }
}

std::shared_ptr<ViewControllerAnimatedTransitioning> DropdownMenu::animationControllerForPresented(
    ViewController *, ViewController *, ViewController *)
{
    m_transitionController->isDismissing = false;
    return m_transitionController;
}

std::shared_ptr<ViewControllerAnimatedTransitioning> DropdownMenu::animationControllerForDismissed(ViewController *)
{
    m_transitionController->isDismissing = true;
    return m_transitionController;
}

bool DropdownMenu::popoverPresentationControllerShouldDismissPopover(PopoverPresentationController *)
{
    if (!m_isPopover)
        return true;
    QPointer<DropdownMenu> guard(this);
    hideMenu([guard] {
        if (!guard)
            return;
        guard->m_isPopover = false;
        guard->ViewController::dismiss(true);
    });
    return false;
}

} // namespace tarnik
