#pragma once

// A browser on screen for tests: a window with the browser's navigation controller, a virtual
// clock for the delayed steps, a manual animation driver and a recording mini player host.

#include "App/AlertPresenting.h"
#include "App/Preferences.h"
#include "App/ScreenAlertPresenter.h"
#include "Browser/DirectoryNavigationController.h"
#include "Browser/DirectoryViewController.h"
#include "Browser/EntryCell.h"
#include "Player/MiniPlayerHost.h"
#include "Entries/Entry.h"
#include "Entries/EntryViewModelController.h"
#include "Support/EntriesSupport.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/AlertController.h"
#include "Support/UiTestSupport.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QTemporaryDir>
#include <memory>

namespace tarnik::test {

class FakeMiniPlayerHost : public MiniPlayerHost
{
public:
    bool up = false;
    QList<bool> hideCalls;
    QPointer<DirectoryViewController> delegate;
    int resetCount = 0;
    QList<std::shared_ptr<Entry>> queue;
    int playedIndex = -1;

    bool hasMiniPlayer() const override { return true; }
    bool isMiniPlayerUp() const override { return up; }
    void updateMiniPlayer(bool hide) override { hideCalls.append(hide); }
    int transformResets = 0;
    void resetMiniPlayerTransform() override { ++transformResets; }
    void setMiniPlayerDelegate(PlayerViewDelegate *owner) override
    {
        delegate = dynamic_cast<DirectoryViewController *>(owner);
    }
    void resetCurrentIndex() override { ++resetCount; }
    void play(const QList<std::shared_ptr<Entry>> &entries, int index) override
    {
        queue = entries;
        playedIndex = index;
    }
    ViewController *fullPlayer() const override { return player; }
    QAbstractButton *fullPlayerShareButton() const override { return shareButton; }
    std::shared_ptr<Entry> currentEntry() const override { return current; }

    QPointer<ViewController> player;
    QPointer<QAbstractButton> shareButton;
    std::shared_ptr<Entry> current;
};

class BrowserTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        resetEntrySettings();
        Preferences::setIsListView(true);
        clock = std::make_unique<Dispatch::VirtualClock>();
        DirectoryViewController::setPlayerHostProvider([this](DirectoryViewController *) { return &host; });
        setAlertPresenter(std::make_shared<ScreenAlertPresenter>());
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override
    {
        DirectoryViewController::setPlayerHostProvider({});
        setAlertPresenter(nullptr);
        window.reset();
        drainMainQueue();
        runDeferredDeletes();
        clock.reset();
        ScreenTest::TearDown();
    }

    QString path(const QString &name) const { return dir.path() + QLatin1Char('/') + name; }

    // Shows the browser at `start` (a folder, or a file to reveal) and waits for its first page.
    DirectoryNavigationController *showBrowser(const QString &start, UserInterfaceIdiom idiom = UserInterfaceIdiom::phone)
    {
        makeWindow(idiom);
        Preferences::setRootDircetory(dir.path());
        auto *nav = new DirectoryNavigationController;
        window->setRootViewController(nav);
        nav->browseToFile(start);
        waitForListing(top(nav));
        // The levels the first page replaced go, as they would before the app's next event.
        runDeferredDeletes();
        return nav;
    }

    // What the app's event loop does between two events: the objects handed to deleteLater()
    // go. A test calls processEvents() from outside any loop, which never runs them, so replaced
    // levels stay alive (and keep listening) and dismissed screens are never freed.
    static void runDeferredDeletes()
    {
        // Each round may free objects that hand on more deletions.
        for (int i = 0; i < 4; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    static DirectoryViewController *top(NavigationController *nav)
    {
        return qobject_cast<DirectoryViewController *>(nav->topViewController());
    }

    // Waits until the level has applied more than `already` listing pages.
    static bool waitForListing(DirectoryViewController *level, int already = 0)
    {
        if (!level)
            return false;
        const QPointer<DirectoryViewController> guard(level);
        const bool ok = waitUntil([&] { return !guard || guard->appliedListings() > already; }, std::chrono::seconds(10));
        drainMainQueue();
        return ok && guard;
    }

    // Moves both clocks: the dispatch delays and the animations.
    void tick(double seconds)
    {
        const double step = 0.05;
        for (double t = 0; t < seconds - 1e-9; t += step) {
            clock->advance(step);
            AnimationDriver::shared().advance(step);
            drainMainQueue();
        }
    }

    // Taps the centre of an item, as a finger does.
    static void tapItem(DirectoryViewController *level, int item)
    {
        CollectionView *cv = level->collectionView();
        cv->layoutIfNeeded();
        const std::optional<QRectF> frame = cv->frameForItem(IndexPath { item, 0 });
        ASSERT_TRUE(frame.has_value());
        const QPointF point = cv->mapFromContent(frame->center());
        cv->touchBegan(point);
        cv->touchEnded(point);
        drainMainQueue();
    }

    static AlertController *presentedAlert(ViewController *screen)
    {
        for (ViewController *vc = screen; vc; vc = vc->presentedViewController())
            if (auto *alert = qobject_cast<AlertController *>(vc->presentedViewController()))
                return alert;
        return nullptr;
    }

    std::unique_ptr<Dispatch::VirtualClock> clock;
    FakeMiniPlayerHost host;
    QTemporaryDir dir;
};

} // namespace tarnik::test
