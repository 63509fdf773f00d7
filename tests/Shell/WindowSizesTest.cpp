// The window plays the device: over the sizes a desktop user gives it, the root's screens take the
// profile the size gives, show every text whole and let no two texts or buttons cover each other;
// resizing lays the open folder out again without listing it anew.

#include "App/Preferences.h"
#include "Browser/DirectoryNavigationController.h"
#include "Browser/DirectoryViewController.h"
#include "Browser/EntryCell.h"
#include "Platform/UI/CollectionView.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/View.h"
#include "Platform/UI/Window.h"
#include "Platform/UI/WindowPlacement.h"
#include "Settings/PagingViewController.h"
#include "Support/EntriesSupport.h"
#include "Support/PlayerScreenSupport.h"

#include <QAbstractButton>
#include <QFile>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>

using namespace tarnik;
using namespace tarnik::test;

namespace {

struct WindowSize
{
    QSize size;
    UserInterfaceIdiom idiom;
};

const WindowSize kSizes[] = {
    { { 300, 450 }, UserInterfaceIdiom::phone },
    { { 420, 780 }, UserInterfaceIdiom::phone },
    { { 800, 600 }, UserInterfaceIdiom::pad },
    { { 1280, 1000 }, UserInterfaceIdiom::pad },
    { { 1920, 1080 }, UserInterfaceIdiom::pad },
};

QString sizeName(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// The part of a widget the user can see: inside every ancestor up to the window, not faded out.
QRect shownRect(QWidget *widget, QWidget *window)
{
    if (!widget->isVisibleTo(window))
        return {};
    QRect rect(widget->mapTo(window, QPoint()), widget->size());
    for (QWidget *w = widget; w && w != window; w = w->parentWidget()) {
        const auto *fade = qobject_cast<const QGraphicsOpacityEffect *>(w->graphicsEffect());
        if (View::alpha(w) < 0.05 || (fade && fade->isEnabled() && fade->opacity() < 0.05))
            return {};
        if (QWidget *parent = w->parentWidget())
            rect &= QRect(parent->mapTo(window, QPoint()), parent->size());
    }
    return rect;
}

// A text or a button the user sees, with where it shows.
struct Shown
{
    QWidget *widget;
    QRect rect;
};

QList<Shown> shownTexts(QWidget *window)
{
    QList<Shown> result;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        auto *label = qobject_cast<QLabel *>(w);
        auto *button = qobject_cast<QAbstractButton *>(w);
        // A button drawn as its icon alone carries its text for assistive technologies only.
        const auto *tool = qobject_cast<QToolButton *>(w);
        const bool iconOnly = tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull();
        if (!(label && !label->text().isEmpty()) && !(button && !button->text().isEmpty() && !iconOnly))
            continue;
        const QRect rect = shownRect(w, window);
        if (rect.width() > 1 && rect.height() > 1)
            result.append({ w, rect });
    }
    return result;
}

QString describe(const QWidget *w)
{
    const auto *label = qobject_cast<const QLabel *>(w);
    const auto *button = qobject_cast<const QAbstractButton *>(w);
    return QStringLiteral("%1 \"%2\"")
        .arg(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName(),
            label        ? label->text()
                : button ? button->text()
                         : QString());
}

bool insideScrollView(const QWidget *w)
{
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        if (qobject_cast<const ScrollView *>(p))
            return true;
    }
    return false;
}

// Texts that do not fit their widget, or that do not fit the part of it that shows.
QStringList cutTexts(QWidget *window)
{
    QStringList cut;
    for (const Shown &shown : shownTexts(window)) {
        QWidget *w = shown.widget;
        const QRect full(w->mapTo(window, QPoint()), w->size());
        if (w->objectName() == QLatin1String("EntryTitle") || w->objectName() == QLatin1String("EntryArtist")) {
            // A row's title may run out of its row; what matters is that it keeps a readable start.
            // A grid's title wraps onto the lines its tile gives it.
            const auto *label = static_cast<QLabel *>(w);
            const QFontMetrics metrics(label->font());
            const int twelve = metrics.averageCharWidth() * 12;
            const int needed = std::min(twelve, metrics.horizontalAdvance(label->text()));
            const int lines = label->wordWrap() ? std::max(1, shown.rect.height() / metrics.lineSpacing()) : 1;
            const bool whole = label->wordWrap() && label->heightForWidth(label->width()) <= shown.rect.height() + 1;
            if (!whole && shown.rect.width() * lines + 1 < needed)
                cut << describe(w)
                        + QStringLiteral(" keeps %1 of %2 pixels").arg(shown.rect.width() * lines).arg(needed);
            continue;
        }
        // A text in a list may be half under a bar or the list's edge; it is not cut, it scrolls.
        const bool clippedAcross = shown.rect.width() < full.width();
        const bool clippedDown = shown.rect.height() < full.height();
        if (clippedAcross || (clippedDown && !insideScrollView(w))) {
            cut << describe(w)
                    + QStringLiteral(" shows only %1 of %2").arg(sizeName(shown.rect.size()), sizeName(full.size()));
            continue;
        }
        if (const auto *label = qobject_cast<QLabel *>(w)) {
            if (label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text()))
                continue;
            const QRect room = label->contentsRect();
            const QFontMetrics metrics(label->font());
            if (label->wordWrap()) {
                if (label->heightForWidth(label->width()) > label->height() + 1)
                    cut << describe(w)
                            + QStringLiteral(" needs %1 high, has %2")
                                  .arg(label->heightForWidth(label->width()))
                                  .arg(label->height());
            } else if (metrics.horizontalAdvance(label->text()) > room.width() + 1) {
                cut << describe(w)
                        + QStringLiteral(" needs %1 wide, has %2")
                              .arg(metrics.horizontalAdvance(label->text()))
                              .arg(room.width());
            }
        } else if (const auto *button = qobject_cast<QAbstractButton *>(w)) {
            const int needed = QFontMetrics(button->font()).horizontalAdvance(button->text());
            if (needed > button->width())
                cut << describe(w) + QStringLiteral(" needs %1 wide, has %2").arg(needed).arg(button->width());
        }
    }
    return cut;
}

bool related(const QWidget *a, const QWidget *b)
{
    return a->isAncestorOf(b) || b->isAncestorOf(a);
}

QStringList overlaps(QWidget *window)
{
    QStringList found;
    const QList<Shown> texts = shownTexts(window);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        for (qsizetype j = i + 1; j < texts.size(); ++j) {
            const QRect both = texts[i].rect & texts[j].rect;
            if (both.width() > 1 && both.height() > 1 && !related(texts[i].widget, texts[j].widget))
                found << describe(texts[i].widget) + QStringLiteral(" covers ") + describe(texts[j].widget);
        }
    }
    return found;
}

class WindowSizesTest : public PlayerScreenTest
{
public:
    void SetUp() override
    {
        PlayerScreenTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        for (const QString &name :
            { QStringLiteral("Morning Light Over The Harbour.txt"), QStringLiteral("Glass Paper Moon.txt"),
                QStringLiteral("Paper Boats In The Rain.txt"), QStringLiteral("Notes.txt") })
            ASSERT_TRUE(touch(dir.filePath(name)));
        for (int i = 0; i < 60; ++i)
            ASSERT_TRUE(touch(dir.filePath(QStringLiteral("Field Recording %1.txt").arg(i, 2, 10, QLatin1Char('0')))));
        // The window, not a chosen device, decides from here on.
        DeviceProfile::setOverride(std::nullopt);
        window->makeKey();
    }
    void TearDown() override
    {
        Preferences::setIsListView(true);
        PlayerScreenTest::TearDown();
    }

    void resizeTo(QSize size)
    {
        window->resize(size);
        settle();
        wait(0.5);
    }
    DirectoryViewController *showFolder()
    {
        host->setSelectedIndex(1);
        auto *browser = qobject_cast<DirectoryNavigationController *>(host->viewControllers().value(1));
        if (!browser)
            return nullptr;
        browser->browseToFile(dir.path());
        wait(0.1);
        auto *level = qobject_cast<DirectoryViewController *>(browser->topViewController());
        if (!level || !waitUntil([&] {
                settle();
                return level->appliedListings() > 0;
            }))
            return nullptr;
        wait(0.6);
        return level;
    }
    void expectWhole(const QString &where)
    {
        const QStringList cut = cutTexts(window.get());
        EXPECT_TRUE(cut.isEmpty()) << where.toStdString() << ": " << cut.join(QStringLiteral("; ")).toStdString();
        const QStringList covered = overlaps(window.get());
        EXPECT_TRUE(covered.isEmpty()) << where.toStdString() << ": "
                                       << covered.join(QStringLiteral("; ")).toStdString();
    }

    QTemporaryDir dir;
};

TEST_F(WindowSizesTest, EveryRootScreenFitsEverySupportedSize)
{
    for (const WindowSize &row : kSizes) {
        resizeTo(row.size);
        const QString at = sizeName(row.size);
        EXPECT_EQ(DeviceProfile::idiom(), row.idiom) << at.toStdString();
        for (const bool list : { true, false }) {
            Preferences::setIsListView(list);
            DirectoryViewController *level = showFolder();
            ASSERT_NE(level, nullptr);
            if (level->layout() != (list ? Layout::list : Layout::grid))
                level->changeLayout();
            wait(0.5);
            const double perRow = level->itemsPerRow();
            if (row.idiom == UserInterfaceIdiom::pad)
                EXPECT_EQ(perRow, list ? 2 : 4) << at.toStdString();
            else
                EXPECT_EQ(perRow, list ? 1 : (row.size.height() > row.size.width() ? 3 : 4)) << at.toStdString();
            expectWhole(at + (list ? QStringLiteral(" list") : QStringLiteral(" grid")));
        }
        host->setSelectedIndex(0);
        wait(0.6);
        auto *guide = host->findChild<PagingViewController *>();
        ASSERT_NE(guide, nullptr);
        for (int page = 0; page < 5; ++page) {
            ScrollView *pager = guide->scrollView();
            pager->setContentOffset(QPointF(page * pager->width(), 0));
            guide->scrollViewDidScroll(pager);
            guide->scrollViewDidEndDecelerating(pager);
            wait(0.6);
            EXPECT_GE(shownTexts(window.get()).size(), page == 0 ? 2 : 3) << at.toStdString();
            expectWhole(at + QStringLiteral(" guide page %1").arg(page));
        }
        guide->scrollView()->setContentOffset(QPointF(0, 0));
        for (const auto &[tab, name] : { std::pair { 2, "ringtones" }, std::pair { 3, "settings" } }) {
            host->setSelectedIndex(tab);
            wait(0.6);
            expectWhole(at + QLatin1Char(' ') + QLatin1String(name));
        }
    }
}

TEST_F(WindowSizesTest, AResizeLaysTheOpenFolderOutAgainKeepingItsPlaceAndSelection)
{
    resizeTo({ 420, 780 });
    DirectoryViewController *level = showFolder();
    ASSERT_NE(level, nullptr);
    const int listings = level->appliedListings();
    CollectionView *view = level->collectionView();
    view->layoutIfNeeded();
    // Scrolled so that row 30 is the first one shown, with row 31 chosen.
    view->setContentOffset(QPointF(0, view->frameForItem(IndexPath { 30, 0 })->top()));
    view->selectItem(IndexPath { 31, 0 }, false, CollectionView::ScrollPosition::none);
    view->layoutIfNeeded();

    for (const WindowSize &row : kSizes) {
        resizeTo(row.size);
        const QString at = sizeName(row.size);
        EXPECT_EQ(DeviceProfile::idiom(), row.idiom) << at.toStdString();
        view->layoutIfNeeded();
        const QSizeF item = level->itemSize();
        EXPECT_EQ(view->frameForItem(IndexPath { 0, 0 })->size(), item) << at.toStdString();
        // The first row shown is still row 30 (or the one that shares its line).
        const QRectF visible = view->bounds();
        const QRectF thirty = *view->frameForItem(IndexPath { 30, 0 });
        EXPECT_TRUE(visible.intersects(thirty)) << at.toStdString();
        EXPECT_LT(std::abs(thirty.top() - visible.top()), item.height()) << at.toStdString();
        EXPECT_EQ(view->indexPathsForSelectedItems(), (QList<IndexPath> { IndexPath { 31, 0 } })) << at.toStdString();
        expectWhole(at);
    }
    EXPECT_EQ(level->appliedListings(), listings); // laid out again, never listed again
}

TEST(WindowPlacementTest, TheWindowComesBackWhereTheUserLeftItAndNeverBelowTheMinimum)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("window.conf"));
    {
        QWidget first;
        WindowPlacement::restore(&first, file);
        EXPECT_EQ(first.size(), DeviceProfile::kDefaultWindowSize); // nothing saved yet
        EXPECT_EQ(first.minimumSize(), DeviceProfile::kMinimumWindowSize);
        first.resize(1000, 640);
        first.move(40, 30);
        EXPECT_TRUE(WindowPlacement::save(&first, file));
    }
    QWidget second;
    WindowPlacement::restore(&second, file);
    EXPECT_EQ(second.size(), QSize(1000, 640));
    second.resize(100, 100);
    EXPECT_EQ(second.size(), DeviceProfile::kMinimumWindowSize);

    QFile broken(dir.filePath(QStringLiteral("broken.conf")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("[window]\ngeometry=@ByteArray(not a geometry)\n");
    broken.close();
    QWidget third;
    WindowPlacement::restore(&third, broken.fileName());
    EXPECT_EQ(third.size(), DeviceProfile::kDefaultWindowSize);
}

} // namespace
