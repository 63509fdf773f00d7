#include "App/ApplicationMain.h"

#include "Platform/UI/TabBarController.h"
#include "App/BrowserServices.h"
#include "App/AppDelegate.h"
#include "App/Constants.h"
#include "App/IncomingDocumentQueue.h"
#include "App/IncomingDocuments.h"
#include "App/InstanceChannel.h"
#include "App/MainStoryboard.h"
#include "App/ScreenAlertPresenter.h"
#include "Platform/FreedMemory.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/PreviewController.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UI/Window.h"
#include "Platform/UI/WindowPlacement.h"
#include "Player/Player.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QWindowStateChangeEvent>

namespace tarnik {

namespace {

// A minimised window counts as the app being hidden.
class MinimiseWatcher : public QObject
{
public:
    explicit MinimiseWatcher(AppDelegate *delegate)
        : m_delegate(delegate)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange) {
            auto *window = static_cast<QWidget *>(watched);
            m_delegate->applicationStateChanged(window->windowState() & Qt::WindowMinimized
                    ? Qt::ApplicationHidden
                    : QGuiApplication::applicationState());
        }
        return false;
    }

private:
    AppDelegate *m_delegate;
};

} // namespace

int applicationMain(int argc, char **argv)
{
    FreedMemory::keepForReuse();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnik"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tarnik"));
    QApplication::setDesktopFileName(QStringLiteral("tarnik"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tarnik")));

    const QStringList arguments
        = IncomingDocuments::absoluteArguments(QApplication::arguments().mid(1), QDir::currentPath());
    InstanceChannel channel;
    if (!channel.listen()) {
        // Another instance runs: it takes the documents and links.
        return InstanceChannel::forward(arguments) ? 0 : 1;
    }

    setAlertPresenter(std::make_shared<ScreenAlertPresenter>());
    MainStoryboard::registerScreens();

    AppDelegate delegate;
    AppDelegate::setShared(&delegate);
    delegate.setSharedPlayerLink(Player::makeSharedPlayerLink());
    // A document preview that starts playing pauses the shared player, so two sounds never mix.
    PreviewController::setPauseOtherPlayback([] {
        Player &player = Player::shared();
        if (player.isPlaying())
            player.pause();
    });
    Window window;
    window.setWindowTitle(QStringLiteral("Tarnik"));
    WindowPlacement::restore(&window);
    window.makeKey();
    delegate.setWindow(&window);
    window.setRootViewController(Storyboard(MainStoryboard::kName).instantiateInitialViewController());

    delegate.applicationDidFinishLaunching();
    window.show();

    MinimiseWatcher minimise(&delegate);
    window.installEventFilter(&minimise);
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, &delegate, &AppDelegate::applicationStateChanged);
    delegate.applicationStateChanged(QGuiApplication::applicationState());

    // Handed-over files are copied into the inbox off the GUI thread (a large one takes a while);
    // the browser shows its loader on the queue's copyStarted/copyFinished.
    IncomingDocumentQueue documents([&delegate](const QString &url) { delegate.applicationOpenUrl(url); });
    const auto open = [&documents, &window](const QStringList &items) {
        documents.enqueue(items, QDir::currentPath());
        window.raise();
        window.activateWindow();
    };
    const auto showCopyProgress = [&window](bool copying) {
        auto *tabs = qobject_cast<TabBarController *>(window.rootViewController());
        if (auto *level = dynamic_cast<BrowserLevel *>(tabs ? directoryViewController(tabs) : nullptr))
            level->showCopyProgress(copying);
    };
    QObject::connect(&documents, &IncomingDocumentQueue::copyStarted, &app, [showCopyProgress] { showCopyProgress(true); });
    QObject::connect(&documents, &IncomingDocumentQueue::copyFinished, &app, [showCopyProgress] { showCopyProgress(false); });
    QObject::connect(&channel, &InstanceChannel::received, &app, open);
    // After the launch, which empties the inbox.
    if (!arguments.isEmpty())
        open(arguments);

    const int code = QApplication::exec();
    WindowPlacement::save(&window);
    delegate.applicationWillTerminate();
    setAlertPresenter(nullptr);
    AppDelegate::setShared(nullptr);
    return code;
}

} // namespace tarnik
