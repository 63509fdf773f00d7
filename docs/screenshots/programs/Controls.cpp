// Draws the control kit for the documentation: the app's own root screens with
// the loader, a spinner, a pulled refresher and an open dropdown menu, into the
// PNG TARNIK_CONTROLS_SCREENSHOT names (docs/screenshots/take-controls.sh runs
// it under Xvfb).

#include "App/Constants.h"
#include "App/MainStoryboard.h"
#include "Controls/DropdownMenu/DropdownMenu.h"
#include "Controls/Loaders/LoaderView.h"
#include "Controls/Loaders/Refresher.h"
#include "Controls/Loaders/SpinnerView.h"
#include "Controls/NavigationBarStyle.h"
#include "Controls/ControlsTestSupport.h"
#include "Entries/EntryImages.h"
#include "Import/MediaKind.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UI/TabBarController.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace tarnik;

namespace {

using ControlsScreenshot = test::ControlsTest;

TEST_F(ControlsScreenshot, Take)
{
    const QString target = qEnvironmentVariable("TARNIK_CONTROLS_SCREENSHOT");
    if (target.isEmpty())
        FAIL() << "set TARNIK_CONTROLS_SCREENSHOT to take the picture";
    makeWindow(UserInterfaceIdiom::pad);
    NavigationBarStyle::install();
    MainStoryboard::registerScreens();
    auto *root = qobject_cast<TabBarController *>(Storyboard(MainStoryboard::kName).instantiateInitialViewController());
    ASSERT_TRUE(root);
    window->setRootViewController(root);
    root->setSelectedIndex(1);
    tick(0.5);
    auto *nav = qobject_cast<NavigationController *>(root->selectedViewController());
    ASSERT_TRUE(nav);
    ViewController *screen = nav->topViewController();
    auto *kinds = new BarButtonItem(QStringLiteral("Kind"), BarButtonItem::Style::plain);
    screen->navigationItem()->setRightBarButtonItem(kinds);
    QWidget *view = screen->view();

    // A list the refresher is pulled on.
    auto *list = new ScrollView(view);
    list->setGeometry(0, 0, view->width(), 260);
    list->alwaysBounceVertical = true;
    list->setContentSize(QSizeF(view->width(), 600));
    for (int i = 0; i < 8; ++i) {
        auto *row = new QLabel(QStringLiteral("   Track %1.m4a").arg(i + 1), list);
        row->setFont(Common::defaultFont());
        row->setStyleSheet(QStringLiteral("background: white; border-bottom: 1px solid #e5e5e5;"));
        list->setContentFrame(row, QRectF(0, i * 50, view->width(), 50));
        row->show();
    }
    list->show();
    // The refresher finds the screen's first scroll view.
    auto *refresher = new Refresher([] {});
    addRefresher(screen, refresher);
    list->setContentOffset(QPointF(0, -95));
    tarnik::scrollViewDidScroll(screen, list);
    tarnik::scrollViewDidScroll(screen, list);
    tick(0.45);

    // A bare spinner beside the list.
    auto *spinner = new SpinnerView(QRect(view->width() - 90, 300, 40, 40), view);
    spinner->show();
    spinner->build();

    QPointer<LoaderView> loader = new LoaderView;
    loader->contentViewTheme = Theme::light;
    loader->show(view, LoaderView::Position::bottom,
        QStringLiteral("Import is now progressing in the background.\nYour media should appear in its corresponding "
                       "destination shortly."));
    tick(0.5);

    DropdownMenuItems items;
    for (MediaKind kind : { MediaKind::song, MediaKind::ringtone, MediaKind::podcast, MediaKind::musicVideo,
             MediaKind::featureMovie, MediaKind::tvEpisode }) {
        const QImage icon = EntryImages::named(kind.iconName(), 22);
        items.append(std::make_shared<DropdownMenuItem>(kind.title(), icon, nullptr));
    }
    DropdownMenu::presentPopover(screen, kinds, items);
    tick(1.5);

    ASSERT_TRUE(window->grab().save(target));
    delete loader.data();
}

} // namespace
