#include "BrowserSupport.h"

#include "App/Constants.h"
#include "Browser/EntryImageView.h"
#include "ImportEditor/ImageViewerController.h"
#include "Browser/FooterReusableView.h"
#include "Browser/Visualizer.h"
#include "Entries/EntryViewModel.h"
#include "Entries/MediaProbe.h"
#include "Platform/Media/MediaSignature.h"
#include "Support/MediaFixtures.h"
#include "Platform/UI/AlertControllerAction.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/PreviewController.h"
#include "Controls/Loaders/RefresherView.h"
#include "Controls/Loaders/Refresher.h"

#include <QTest>

#include <QFile>
#include <QLabel>
#include <QSemaphore>
#include <QTimer>
#include <QToolButton>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnik::test {
namespace {

// One generated tone copied under many names, so a folder of media costs one ffmpeg run.
QString toneFixture()
{
    static QTemporaryDir store;
    static const QString tone = [] {
        const QString file = store.path() + QStringLiteral("/tone.mp3");
        media::makeTone(file, 0.5);
        return file;
    }();
    return tone;
}

void addMedia(const QString &folder, int count, const QString &prefix = QStringLiteral("Song "))
{
    for (int i = 0; i < count; ++i) {
        const QString name = prefix + QStringLiteral("%1.mp3").arg(i, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(QFile::copy(toneFixture(), folder + QLatin1Char('/') + name));
    }
}

QString footerText(DirectoryViewController *level)
{
    auto *footer = dynamic_cast<FooterReusableView *>(level->viewForSupplementaryElement(
        level->collectionView(), kCollectionElementKindSectionFooter, IndexPath { 0, 0 }));
    return footer ? footer->label()->text() : QString();
}

TEST_F(BrowserTest, FooterCountsEveryListedNameAndSmallFoldersAnimate)
{
    const struct
    {
        int files;
        QString footer;
        bool animate;
    } rows[] = {
        { 0, QStringLiteral("0 items"), true },
        { 1, QStringLiteral("1 item"), true },
        { 99, QStringLiteral("99 items"), true },
        { 100, QStringLiteral("100 items"), false },
        { 250, QStringLiteral("250 items"), false },
    };
    for (const auto &row : rows) {
        const QString folder = path(QStringLiteral("f%1").arg(row.files));
        QDir().mkpath(folder);
        for (int i = 0; i < row.files; ++i)
            ASSERT_TRUE(touch(folder + QStringLiteral("/n%1.txt").arg(i)));
        auto *nav = showBrowser(folder);
        DirectoryViewController *level = top(nav);
        EXPECT_EQ(footerText(level), row.footer) << row.files;
        EXPECT_EQ(level->animateEntryCell(), row.animate) << row.files;
        EXPECT_EQ(level->entryViewModelController().numberOfFiles(), row.files);
        EXPECT_EQ(level->navigationItem()->rightBarButtonItem(), nullptr) << "no media, no Edit";
        if (row.files == 0) {
            EXPECT_EQ(level->collectionView()->numberOfItems(0), 0) << "an empty listing has no phantom row";
        }
        window.reset();
        drainMainQueue();
    }
}

TEST_F(BrowserTest, AFolderThatVanishedShowsTheErrorAndStaysUsable)
{
    auto *nav = showBrowser(dir.path());
    const QString gone = path(QStringLiteral("gone"));
    auto *level = new DirectoryViewController;
    level->setDirectory(gone);
    nav->pushViewController(level, false);
    ASSERT_TRUE(waitForListing(level));
    drainMainQueue();
    AlertController *alert = presentedAlert(window->rootViewController());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->alertTitle(), QStringLiteral("Error Occurred"));
    EXPECT_EQ(alert->message(),
        QStringLiteral("Failed to populate a list of files in the directory: ") + gone
            + QStringLiteral(".\nError: No such file or directory"));
    EXPECT_EQ(level->collectionView()->numberOfItems(0), 0);
    alert->tapAction(alert->actions().first());
    settle();
    nav->popViewController(false);
    drainMainQueue();
    EXPECT_EQ(top(nav)->directory(), dir.path());
}

TEST_F(BrowserTest, OddEntriesListAsRowsAndSystemFoldersDoNotBlock)
{
    ASSERT_TRUE(touch(path(QStringLiteral("line\nbreak.txt"))));
    const QByteArray latin = QFile::encodeName(dir.path()) + "/caf\xe9.txt";
    ::close(::open(latin.constData(), O_CREAT | O_WRONLY, 0644));
    QFile::link(path(QStringLiteral("nowhere")), path(QStringLiteral("dangling.mp3")));
    QFile::link(path(QStringLiteral("loop2")), path(QStringLiteral("loop1")));
    QFile::link(path(QStringLiteral("loop1")), path(QStringLiteral("loop2")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("x.mp3"))).constData(), 0644), 0);
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    EXPECT_EQ(level->entryViewModelController().numberOfFiles(), 6);
    EXPECT_EQ(level->collectionView()->numberOfItems(0), 6);
    EXPECT_TRUE(level->entryViewModelController().exportableEntries().isEmpty()) << "a FIFO is no media file";

    for (const char *system : { "/proc", "/sys", "/dev" }) {
        auto *deeper = new DirectoryViewController;
        deeper->setDirectory(QString::fromLatin1(system));
        nav->pushViewController(deeper, false);
        EXPECT_TRUE(waitForListing(deeper)) << system;
        EXPECT_GT(deeper->entryViewModelController().numberOfFiles(), 0) << system;
        nav->popViewController(false);
        drainMainQueue();
    }
}

TEST_F(BrowserTest, OnlyAWholeListingReloadsAndLeavesEditMode)
{
    addMedia(dir.path(), 2);
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    EXPECT_EQ(level->navigationItem()->rightBarButtonItem(), level->editButtonItem());

    const struct
    {
        std::optional<QList<IndexPath>> indexPaths;
        bool leavesEditMode;
    } rows[] = {
        { std::nullopt, true },
        { QList<IndexPath> { { 0, 0 } }, true },
        { QList<IndexPath> {}, false },
        { QList<IndexPath> { { 100, 0 } }, false },
    };
    for (const auto &row : rows) {
        level->setEditMode(true);
        drainMainQueue();
        level->updateUI(row.indexPaths, std::nullopt);
        drainMainQueue();
        EXPECT_EQ(level->editMode(), !row.leavesEditMode);
    }
}

// A later page of a long folder selects the row the user last opened again, and leaves an
// import selection in edit mode alone.
TEST_F(BrowserTest, ALaterPageSelectsTheLastOpenedRowAgain)
{
    addMedia(dir.path(), 3, QStringLiteral("A "));
    for (int i = 0; i < 150; ++i)
        ASSERT_TRUE(media::writeFile(path(QStringLiteral("Z %1.txt").arg(i, 3, 10, QLatin1Char('0'))), "x"));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    ASSERT_EQ(level->collectionView()->numberOfItems(0), 100);
    tapItem(level, 1);
    ASSERT_EQ(level->selectedIndexPath(), (IndexPath { 1, 0 }));
    const auto loadNextPage = [&] {
        const int listings = level->appliedListings();
        level->collectionView()->scrollToItem(IndexPath { 99, 0 }, CollectionView::ScrollPosition::bottom, false);
        level->collectionView()->layoutIfNeeded();
        ASSERT_TRUE(waitForListing(level, listings));
        tick(0.5);
    };
    loadNextPage();
    EXPECT_EQ(level->collectionView()->numberOfItems(0), 153);
    EXPECT_EQ(level->collectionView()->indexPathsForSelectedItems(), QList<IndexPath> { IndexPath(1, 0) });

    // The same in edit mode: the chosen rows stay chosen.
    level->refresh();
    tick(1.0);
    ASSERT_TRUE(waitUntil([&] {
        drainMainQueue();
        return level->collectionView()->numberOfItems(0) == 100;
    }));
    tick(1.0);
    level->setEditMode(true);
    drainMainQueue();
    tapItem(level, 2);
    const QList<IndexPath> chosen = level->collectionView()->indexPathsForSelectedItems();
    ASSERT_EQ(chosen, QList<IndexPath> { IndexPath(2, 0) });
    loadNextPage();
    EXPECT_EQ(level->collectionView()->indexPathsForSelectedItems(), chosen);
    EXPECT_EQ(level->selectedEntries().size(), 1);
}

// Each appearance hides the bar's hairline; a new size in edit mode puts the mini player back
// at rest; the toolbar's items read grey while the keyboard focus is on them.
TEST_F(BrowserTest, BarsAndMiniPlayerFollowTheLevel)
{
    addMedia(dir.path(), 2);
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    EXPECT_TRUE(nav->navigationBar()->hidesShadow());

    level->viewWillTransition(QSizeF(500, 700));
    EXPECT_EQ(host.transformResets, 0);
    level->setEditMode(true);
    drainMainQueue();
    level->viewWillTransition(QSizeF(700, 500));
    EXPECT_EQ(host.transformResets, 1);

    for (BarButtonItem *item : level->toolbarItems()) {
        if (item->title().isEmpty())
            continue;
        EXPECT_EQ(item->titleTextAttributes(ControlState::focused).foregroundColor, Common::greyColor())
            << qPrintable(item->title());
        EXPECT_EQ(item->titleTextAttributes(ControlState::normal).foregroundColor, Common::blackColor())
            << qPrintable(item->title());
    }
}

TEST_F(BrowserTest, TheListKeepsClearOfTheMiniPlayer)
{
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    host.up = true;
    level->updateContentInset();
    EXPECT_EQ(level->collectionView()->contentInset().bottom, 60.0);
    host.up = false;
    level->updateContentInset();
    EXPECT_EQ(level->collectionView()->contentInset().bottom, 0.0);
}

TEST_F(BrowserTest, APullReListsAndKeepsTheBandOpenForAtLeastASecond)
{
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(touch(path(QStringLiteral("n%1.txt").arg(i))));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    CollectionView *cv = level->collectionView();
    const auto pullTo = [cv](double distance) { cv->setContentOffset(QPointF(0, -distance - cv->contentInset().top)); };
    QTest::mousePress(cv, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(cv, QPoint(100, 130));
    ASSERT_TRUE(cv->isDragging());
    ASSERT_TRUE(touch(path(QStringLiteral("n3.txt"))));
    pullTo(90);
    pullTo(100);
    QTest::mouseRelease(cv, Qt::LeftButton, {}, QPoint(100, 130));
    pullTo(101);
    pullTo(102);
    ASSERT_EQ(level->refresher()->state(), RefresherState::pausing);
    const int listings = level->appliedListings();
    tick(0.3);
    EXPECT_EQ(cv->numberOfItems(0), 0) << "the old rows go first";
    // The re-listing waits 0.4 s after the old rows went.
    tick(0.5);
    ASSERT_TRUE(waitForListing(level, listings));
    EXPECT_EQ(cv->numberOfItems(0), 4);
    tick(0.1);
    EXPECT_EQ(level->refresher()->state(), RefresherState::pausing) << "open for a second in all";
    tick(0.3);
    EXPECT_NE(level->refresher()->state(), RefresherState::pausing);
}

TEST_F(BrowserTest, EditModeChoosesUpToTenMediaFiles)
{
    addMedia(dir.path(), 11);
    ASSERT_TRUE(touch(path(QStringLiteral("zz notes.txt"))));
    window.reset();
    auto *nav = showBrowser(dir.path(), UserInterfaceIdiom::pad);
    DirectoryViewController *level = top(nav);
    ASSERT_EQ(level->collectionView()->numberOfItems(0), 12);
    level->editButtonItem()->trigger();
    drainMainQueue();
    EXPECT_TRUE(level->editMode());
    EXPECT_EQ(level->editButtonItem()->title(), QStringLiteral("Done"));
    EXPECT_FALSE(nav->isToolbarHidden());
    EXPECT_EQ(host.hideCalls.value(host.hideCalls.size() - 1), true) << "the mini player slides away";
    EXPECT_FALSE(level->importBarButtonItem()->isEnabled());

    tapItem(level, 11);
    EXPECT_TRUE(level->selectedEntries().isEmpty()) << "a document cannot be chosen";
    for (int i = 0; i < 10; ++i)
        tapItem(level, i);
    EXPECT_EQ(level->selectedEntries().size(), 10);
    EXPECT_TRUE(level->importBarButtonItem()->isEnabled());
    EXPECT_EQ(level->selectAllBarButtonItem()->title(), QStringLiteral("Select All"));

    tapItem(level, 10);
    AlertController *alert = presentedAlert(window->rootViewController());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->alertTitle(), QStringLiteral("Oops!"));
    EXPECT_EQ(alert->message(),
        QStringLiteral("Only a maximum of 10 files can be simultaneously imported.\nPlease amend your selection."));
    alert->tapAction(alert->actions().first());
    settle();
    EXPECT_EQ(level->selectedEntries().size(), 10);
    EXPECT_EQ(level->collectionView()->indexPathsForSelectedItems().size(), 10);

    tapItem(level, 0);
    tapItem(level, 10);
    EXPECT_EQ(level->selectedEntries().size(), 10);
    EXPECT_TRUE(level->collectionView()->indexPathsForSelectedItems().contains(IndexPath { 10, 0 }));

    level->editButtonItem()->trigger();
    drainMainQueue();
    settle();
    EXPECT_EQ(level->editButtonItem()->title(), QStringLiteral("Edit"));
    EXPECT_TRUE(level->selectedEntries().isEmpty());
    EXPECT_TRUE(nav->isToolbarHidden());
    EXPECT_EQ(host.hideCalls.value(host.hideCalls.size() - 1), false) << "and comes back";
}

TEST_F(BrowserTest, SelectingEveryMediaFileOffersDeselectAll)
{
    addMedia(dir.path(), 2);
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    level->toggleEditMode();
    drainMainQueue();
    tapItem(level, 0);
    tapItem(level, 1);
    EXPECT_EQ(level->selectAllBarButtonItem()->title(), QStringLiteral("Deselect All"));
    tapItem(level, 1);
    EXPECT_EQ(level->selectAllBarButtonItem()->title(), QStringLiteral("Select All"));
}

TEST_F(BrowserTest, TappingAFolderPushesItAndTappingMediaPlaysTheLevelsQueue)
{
    QDir().mkpath(path(QStringLiteral("A folder")));
    addMedia(dir.path(), 3);
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    tapItem(level, 2);
    EXPECT_EQ(host.delegate, level);
    EXPECT_EQ(host.playedIndex, 1);
    EXPECT_EQ(host.queue.size(), 3);
    EXPECT_EQ(host.resetCount, 1);
    EXPECT_EQ(level->selectedIndexPath(), (IndexPath { 2, 0 }));
    EXPECT_TRUE(level->collectionView()->indexPathsForSelectedItems().isEmpty());

    tapItem(level, 0);
    settle();
    ASSERT_EQ(nav->viewControllers().size(), DirectoryNavigationController::levels(dir.path()).size() + 1);
    EXPECT_EQ(top(nav)->directory(), path(QStringLiteral("A folder")));
}

// A file whose name and first bytes say MP3 but which holds no media is listed as a song until
// probed. Its first tap opens the preview; a real song beside it still plays on its first tap,
// in a queue without the impostor. The row queue is held, so both taps meet rows whose type is
// still the listing's quick answer.
TEST_F(BrowserTest, OneTapDoesWhatARowListedAsAudioReallyIs)
{
    addMedia(dir.path(), 2);
    // An MPEG-1 Layer III frame header, then noise no decoder makes sense of.
    const QString impostor = path(QStringLiteral("Not a song.mp3"));
    {
        QFile file(impostor);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArrayLiteral("\xff\xfb\x90\x64") + media::noise(20000, 3));
    }
    ASSERT_EQ(MediaSignature::of(impostor), MediaSignature::Guess::audio);
    ASSERT_FALSE(MediaProbe::of(impostor).isExportable());

    // The browser opens on the folder as it starts (the root folder is the test's); its level is
    // the only one that lists the folder, so no other row load fills the row cache.
    makeWindow(UserInterfaceIdiom::phone);
    Preferences::setRootDircetory(dir.path());
    auto *nav = new DirectoryNavigationController;
    window->setRootViewController(nav);
    DirectoryViewController *level = top(nav);
    ASSERT_NE(level, nullptr);
    ASSERT_EQ(level->directory(), dir.path());
    // One operation that waits for the end of the test holds every row load behind it. It owns
    // its semaphore with the test: the queue may start it, or wake it, only after the test's
    // body has returned, and a semaphore on the body's stack would then be gone.
    const auto release = std::make_shared<QSemaphore>();
    struct Releaser
    {
        std::shared_ptr<QSemaphore> semaphore;
        ~Releaser() { semaphore->release(); }
    } releaser { release };
    OperationQueue &rows = level->entryViewModelController().updateQueue();
    rows.setMaxConcurrentOperationCount(1);
    rows.addOperation([release] { release->acquire(); });
    ASSERT_TRUE(waitForListing(level));
    for (int item = 0; item < 3; ++item)
        ASSERT_TRUE(level->entryViewModelController().viewModel(item)->isTypeProvisional()) << item;

    tapItem(level, 0);
    ASSERT_TRUE(waitUntil([&] {
        drainMainQueue();
        return qobject_cast<PreviewController *>(level->presentedViewController()) != nullptr;
    }));
    EXPECT_EQ(host.playedIndex, -1);
    EXPECT_EQ(level->entryViewModelController().viewModel(0)->type(), EntryType::regular);
    tick(1.0);
    level->dismiss(false);
    drainMainQueue();
    ASSERT_EQ(level->presentedViewController(), nullptr);

    tapItem(level, 2);
    ASSERT_EQ(host.queue.size(), 2);
    EXPECT_EQ(host.playedIndex, 1);
    EXPECT_EQ(host.queue.at(1)->name(), QStringLiteral("Song 01.mp3"));
    EXPECT_EQ(level->presentedViewController(), nullptr);
}

EntryCell *visibleCell(DirectoryViewController *level, int item)
{
    return dynamic_cast<EntryCell *>(level->collectionView()->cellForItem(IndexPath { item, 0 }));
}

// Waits until the visible row's details have arrived and been shown.
bool waitForDetails(DirectoryViewController *level, int item)
{
    return waitUntil([&] {
        const auto viewModel = level->entryViewModelController().viewModel(item);
        return viewModel && viewModel->state() == UpdateState::updated;
    });
}

TEST_F(BrowserTest, ThePlayingIndicatorFollowsThePlayerAcrossRowsThatScrollInLater)
{
    addMedia(dir.path(), 30);
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    ASSERT_TRUE(waitForDetails(level, 0));
    const auto &entries = level->entryViewModelController().exportableEntries();
    const QString first = entries.at(0)->identifier();
    const QString later = entries.at(25)->identifier();

    level->playerViewDidChangePlayingStateOf(first, true);
    tick(0.2);
    EntryCell *cell = visibleCell(level, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_FALSE(cell->visualizer()->isHidden());

    level->playerViewDidChangePlayingStateOf(first, false);
    tick(1.3);
    EXPECT_FALSE(cell->visualizer()->isHidden()) << "a paused row keeps its bars at rest";
    EXPECT_NEAR(cell->visualizer()->barScale(4), 1.0, 1e-6);

    level->playerViewDidChangePlayingStateOf(later, true);
    tick(0.6);
    EXPECT_TRUE(cell->visualizer()->isHidden()) << "another entry plays";

    level->collectionView()->scrollToItem(IndexPath { 25, 0 }, CollectionView::ScrollPosition::top, false);
    level->collectionView()->layoutIfNeeded();
    drainMainQueue();
    ASSERT_TRUE(waitForDetails(level, 25));
    drainMainQueue();
    tick(0.2);
    EntryCell *laterCell = visibleCell(level, 25);
    ASSERT_NE(laterCell, nullptr);
    EXPECT_FALSE(laterCell->visualizer()->isHidden());
    for (int item = 20; item < 30; ++item)
        if (EntryCell *other = visibleCell(level, item); other && item != 25) {
            EXPECT_TRUE(other->visualizer()->isHidden()) << item;
        }
}


// A tapped picture opens in the image viewer, and a file that gives no picture in the preview.
TEST_F(BrowserTest, TappedPicturesOpenInTheImageViewer)
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(path(QStringLiteral("a picture.png"))));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    ASSERT_EQ(level->collectionView()->numberOfItems(0), 1);
    tapItem(level, 0);
    ASSERT_TRUE(waitUntil([&] {
        drainMainQueue();
        return level->presentedViewController() != nullptr;
    }));
    auto *viewer = qobject_cast<ImageViewerController *>(level->presentedViewController());
    ASSERT_NE(viewer, nullptr);
    // It grows out of the row's picture: the row's image view is the kit's, handed to the viewer.
    EntryCell *cell = visibleCell(level, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(viewer->sourceImageView(), cell->imageView());
    EXPECT_NE(viewer->transitioningDelegate(), nullptr);
    tick(1.0);
}

// A 30000 x 30000 picture in a small file: the tap returns at once, the window keeps answering,
// and the picture, too large to decode, opens as the preview's card.
TEST_F(BrowserTest, TappingAnEnormousPictureNeverFreezesTheWindow)
{
    ASSERT_TRUE(media::makeHugePng(path(QStringLiteral("huge.png")), 30000));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    ASSERT_EQ(level->collectionView()->numberOfItems(0), 1);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(0);
    tapItem(level, 0);
    ASSERT_TRUE(waitUntil([&] {
        drainMainQueue();
        auto *preview = qobject_cast<PreviewController *>(level->presentedViewController());
        return preview && preview->currentKind() == PreviewController::Kind::other;
    }));
    EXPECT_GT(ticks, 0);
    tick(1.0);
}

} // namespace
} // namespace tarnik::test
