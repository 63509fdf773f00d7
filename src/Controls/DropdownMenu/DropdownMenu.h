#pragma once

#include "Controls/DropdownMenu/DropdownMenuBackgroundView.h"
#include "Controls/DropdownMenu/DropdownMenuCellAlignment.h"
#include "Controls/DropdownMenu/DropdownMenuItem.h"
#include "Controls/DropdownMenu/DropdownMenuStyle.h"
#include "Controls/DropdownMenu/DropdownMenuTransitionController.h"
#include "Controls/PassThroughView.h"
#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/CollectionView.h"
#include "Platform/UI/PopoverPresentationController.h"
#include "Platform/UI/ViewController.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <variant>

namespace tarnik {

class BarButtonItem;
class DropdownMenuCell;

// A full-screen menu of picture-and-text rows that drops down below a
// navigation bar of its own. present() wraps it in a navigation controller
// and presents it over a screen: the background fades in and the rows fly in
// one after another; a tap on the bar or below the rows closes it; a chosen
// row closes it and its handler runs 0.15 s after the menu has gone. It can
// also show as a popover anchored at a bar button item or a view. Rows are
// menu items to screen readers, named by their texts. GUI thread only.
class DropdownMenu : public ViewController,
                     public CollectionViewDataSource,
                     public CollectionViewDelegateFlowLayout,
                     public ViewControllerTransitioningDelegate,
                     public PopoverPresentationControllerDelegate
{
    Q_OBJECT
public:
    static inline const QString kCellIdentifier = QStringLiteral("DropdownMenuCellIdentifier");

    DropdownMenu(const DropdownMenuItems &items, const DropdownMenuCellAlignment &alignment, DropdownMenuStyle style,
        const std::optional<QImage> &navBarImage, std::function<void()> completion = {}, QObject *parent = nullptr);
    ~DropdownMenu() override;

    // Presents a new menu full screen from `presenting` (on a pad, as a
    // popover under the presenting screen's title view when it has one);
    // `completion` runs when the presentation has completed. Returns the menu.
    static DropdownMenu *present(ViewController *presenting, const DropdownMenuItems &items,
        const DropdownMenuCellAlignment &alignment, DropdownMenuStyle style, const std::optional<QImage> &navBarImage,
        std::function<void()> completion = {});
    using PopoverSource = std::variant<std::monostate, BarButtonItem *, QWidget *>;
    // Presents a left-aligned black menu as a popover at the source.
    static DropdownMenu *presentPopover(ViewController *presenting, const PopoverSource &source,
        const DropdownMenuItems &items, std::function<void()> completion = {});

    DropdownMenuItems items() const { return m_items; }
    DropdownMenuCellAlignment alignment() const { return m_alignment; }
    std::optional<QImage> navBarImage() const { return m_navBarImage; }
    DropdownMenuStyle style() const { return m_style; }
    std::shared_ptr<DropdownMenuTransitionController> transitionController() const { return m_transitionController; }
    CollectionView *collectionView() const { return m_collectionView; }
    bool isPopover() const { return m_isPopover; }

    // The widest item text plus 5 points per item (as the rows have always
    // been measured).
    double widestItemWidth();
    DropdownMenuBackgroundView *gradientBackground();
    QWidget *solidBackground();
    PassThroughView *translucentBackground();
    // The style's background, set up again on each read.
    QWidget *menuBackgroundView();
    // The style's tint of the rows.
    static QColor tintColor(DropdownMenuStyle style);
    QColor tintColor() const { return tintColor(m_style); }
    void setupNavigationBar();

    // 320 wide, 44 per row plus 10 (0 without rows).
    QSizeF preferredContentSize() const;

    // Closes the menu (animated) without a choice.
    void dismiss();

    // The rows fly in; `completion` runs when the last row's animation has
    // ended, at once when there are no rows.
    void showMenu(std::function<void()> completion);
    // The rows fly out, the last first; `completion` runs when the last step
    // has ended, also when it was interrupted, and at once without rows.
    void hideMenu(std::function<void()> completion);
    void showItem(int index, double progress);
    void hideItem(int index, double progress);

    // Collection view.
    int numberOfItems(CollectionView *, int section) override;
    CollectionViewCell *cellForItem(CollectionView *, const IndexPath &indexPath) override;
    void didSelectItem(CollectionView *, const IndexPath &indexPath) override;
    std::optional<QSizeF> sizeForItem(CollectionView *, const IndexPath &) override;
    std::optional<EdgeInsets> insetForSection(CollectionView *, int) override;
    std::optional<double> minimumLineSpacing(CollectionView *, int) override;

    // Transitions.
    std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForPresented(
        ViewController *, ViewController *, ViewController *) override;
    std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForDismissed(ViewController *) override;
    bool popoverPresentationControllerShouldDismissPopover(PopoverPresentationController *) override;

protected:
    void loadView() override;
    void viewWillLayoutSubviews() override;

    // Runs the chosen item's handler 0.15 s from now.
    static void performCompletion(std::shared_ptr<DropdownMenuItem> item);

private:
    void stopRowAnimations();
    QWidget *backgroundHost();
    void placeBackground(QWidget *background);
    double entryOffset(int index) const;

    DropdownMenuItems m_items;
    DropdownMenuCellAlignment m_alignment;
    std::optional<QImage> m_navBarImage;
    DropdownMenuStyle m_style;
    std::shared_ptr<DropdownMenuTransitionController> m_transitionController;
    QPointer<CollectionView> m_collectionView;
    bool m_isPopover = false;
    QPointer<DropdownMenuBackgroundView> m_gradientBackground;
    QPointer<QWidget> m_solidBackground;
    QPointer<PassThroughView> m_translucentBackground;
    QList<AnimationDriver::Id> m_rowAnimations;
    QList<QPointer<QWidget>> m_ownedBackgrounds;
};

} // namespace tarnik
