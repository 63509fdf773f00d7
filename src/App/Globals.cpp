#include "App/Globals.h"

#include "Platform/Bundle.h"
#include "Platform/Dispatch.h"
#include "Platform/Localization.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QMutex>

namespace tarnik {

namespace {

QMutex &presenterMutex()
{
    static QMutex mutex;
    return mutex;
}

std::shared_ptr<AlertPresenting> &installedPresenter()
{
    static std::shared_ptr<AlertPresenting> presenter;
    return presenter;
}

QString bundleImagesFolder()
{
    return Bundle::main().resourcePath() + QStringLiteral("/images");
}

} // namespace

bool detail::printsDiagnostics()
{
#ifdef TARNIK_DEBUG_PRINT
    return true;
#else
    return qEnvironmentVariableIsSet("TARNIK_DEBUG");
#endif
}

void detail::printLine(const QString &message, const std::source_location &where)
{
    const QString file = QFileInfo(QString::fromUtf8(where.file_name())).fileName();
    qDebug().noquote().nospace() << file << ' ' << where.function_name() << " [Line " << where.line()
                                 << "]: " << message;
}

std::shared_ptr<AlertPresenting> alertPresenter()
{
    QMutexLocker lock(&presenterMutex());
    return installedPresenter();
}

void setAlertPresenter(std::shared_ptr<AlertPresenting> presenter)
{
    QMutexLocker lock(&presenterMutex());
    installedPresenter() = std::move(presenter);
}

void _delayWithSeconds(double seconds, std::function<void()> completion)
{
    Dispatch::mainAfter(seconds, std::move(completion));
}

QString _localizedString(const QString &key)
{
    return Localization::localizedString(key);
}

TabBarController *_getTabBarController()
{
    const std::shared_ptr<AlertPresenting> presenter = alertPresenter();
    if (!presenter)
        return nullptr;
    ViewController *root = presenter->rootViewController();
    return root ? presenter->asTabBarController(root) : nullptr;
}

namespace {

ViewController *topPresented(AlertPresenting &presenter, ViewController *start)
{
    ViewController *current = start;
    if (!current) {
        ViewController *root = presenter.rootViewController();
        TabBarController *tabBar = root ? presenter.asTabBarController(root) : nullptr;
        current = tabBar ? presenter.selectedViewController(tabBar) : nullptr;
    }
    // Follow the presentation chain to its end; a cycle (which no real window
    // has) ends the walk instead of looping forever.
    for (int depth = 0; current && depth < 64; ++depth) {
        ViewController *presented = presenter.presentedViewController(current);
        if (!presented)
            break;
        current = presented;
    }
    if (!current)
        return nullptr;
    if (ViewController *top = presenter.navigationTopViewController(current))
        return top;
    return current;
}

} // namespace

ViewController *_getTopPresentedViewController(ViewController *start)
{
    const std::shared_ptr<AlertPresenting> presenter = alertPresenter();
    return presenter ? topPresented(*presenter, start) : nullptr;
}

void _showTarnikDefaultAlert(
    const QString &title, const QString &message, AlertActionHandler handler, ViewController *presentingViewController)
{
    // Take the weak reference now, on the caller's side, only when a screen was
    // given; reading the presenter from another thread is guarded by its mutex.
    const std::shared_ptr<AlertPresenting> presenter = alertPresenter();
    std::function<ViewController *()> given;
    if (presenter && presentingViewController)
        given = presenter->weakReference(presentingViewController);
    Dispatch::main([title, message, handler = std::move(handler), given = std::move(given),
                       hadGiven = presentingViewController != nullptr]() mutable {
        const std::shared_ptr<AlertPresenting> current = alertPresenter();
        if (!current)
            return;
        ViewController *start = nullptr;
        if (hadGiven) {
            start = given ? given() : nullptr;
            if (!start)
                return; // the given screen is gone
        }
        ViewController *top = topPresented(*current, start);
        if (!top)
            return;
        current->presentAlert(
            top, title, message, AlertAction { _localizedString(QStringLiteral("OK")) }, std::move(handler));
    });
}

int yearOf(const QDate &date)
{
    bool ok = false;
    const int year = QLocale::c().toInt(QLocale::c().toString(date, QStringLiteral("yyyy")), &ok);
    return ok ? year : 2018;
}

int _currentYear()
{
    return yearOf(QDate::currentDate());
}

std::optional<QList<QImage>> animationImages(const QString &folder)
{
    QList<QImage> frames;
    for (int n = 1; n <= 16; ++n) {
        for (const QLatin1String suffix : { QLatin1String(".png"), QLatin1String(".svg") }) {
            const QString file = folder + QLatin1Char('/') + QString::number(n) + suffix;
            if (!QFileInfo::exists(file))
                continue;
            QImage image(file);
            if (!image.isNull()) {
                frames.append(image);
                break;
            }
        }
    }
    if (frames.isEmpty())
        return std::nullopt;
    return frames;
}

std::optional<QList<QImage>> DEFAULT_ANIMATION_IMAGES()
{
    // Every spinner and list footer asks for these frames; the bundle's files do not change while
    // the application runs, so they are decoded once per bundle folder and shared (images are
    // implicitly shared, a copy costs nothing).
    static QMutex mutex;
    static QHash<QString, QList<QImage>> decoded;
    const QString folder = bundleImagesFolder();
    {
        const QMutexLocker locker(&mutex);
        if (const auto found = decoded.constFind(folder); found != decoded.constEnd())
            return *found;
    }
    std::optional<QList<QImage>> frames = animationImages(folder);
    if (frames) {
        const QMutexLocker locker(&mutex);
        decoded.insert(folder, *frames);
    }
    return frames;
}

} // namespace tarnik
