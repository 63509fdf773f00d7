// The maintenance actions and the info sheet of the settings screen.

#include "App/Constants.h"
#include "App/Globals.h"
#include "App/MainStoryboard.h"
#include "App/Preferences.h"
#include "App/SaltrigUtils.h"
#include "Controls/Loaders/LoaderView.h"
#include "Controls/Loaders/SpinnerView.h"
#include "Platform/Dispatch.h"
#include "Platform/Messaging/SaltrigProtocol.h"
#include "Platform/Messaging/ServiceProcess.h"
#include "Platform/UI/AlertController.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UrlOpener.h"
#include "Settings/PreferenceViewController.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QStringDecoder>

namespace tarnik {

namespace {

QString appBundleName()
{
    return Common::bundleName().toString();
}

void recreateFolder(const QString &path)
{
    QDir(path).removeRecursively();
    QDir().mkpath(path);
}

// Removes a file, a symbolic link or a whole folder; false with the reason.
bool removeItem(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) {
        if (QDir(path).removeRecursively())
            return true;
        *error = QStringLiteral("Could not remove the folder \"%1\".").arg(path);
        return false;
    }
    QFile file(path);
    if (file.remove())
        return true;
    *error = file.errorString();
    return false;
}

// The names in a folder, in listing order. A folder that does not exist holds nothing
// to clean; no value when one that exists cannot be listed.
std::optional<QStringList> listFolder(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return QStringList();
    if (!info.isDir() || !info.isReadable()) {
        *error = QStringLiteral("The folder \"%1\" cannot be listed.").arg(path);
        return std::nullopt;
    }
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

void PreferenceViewController::didSelectRow(TableView *table, const IndexPath &indexPath)
{
    const std::optional<Item> item = itemAt(indexPath);
    if (!item || item->type != ItemType::button)
        return;
    switch (item->identifier) {
    case Identifier::reset:
        showResetConfirmation(indexPath);
        break;
    case Identifier::emptyCache:
        emptyCache();
        break;
    case Identifier::fixDownloads:
        fixDownloads();
        break;
    default:
        return;
    }
    table->deselectRow(indexPath, true);
}

void PreferenceViewController::showResetConfirmation(const IndexPath &indexPath)
{
    auto *sheet = new AlertController(_localizedString(QStringLiteral("Are you sure you wish to reset ") + appBundleName()
                                          + QStringLiteral(" to its factory configuration?\nAn app shutdown and "
                                                           "relaunch is required afterwards.")),
        QString(), AlertController::Style::actionSheet);
    QPointer<PreferenceViewController> guard(this);
    sheet->addAction(new AlertControllerAction(_localizedString(QStringLiteral("Reset")),
        AlertControllerAction::Style::destructive, [guard](AlertControllerAction *) {
            if (guard)
                guard->reset();
        }));
    sheet->addAction(
        new AlertControllerAction(_localizedString(QStringLiteral("Cancel")), AlertControllerAction::Style::cancel));
    if (PopoverPresentationController *popover = sheet->popoverPresentationController()) {
        popover->setDelegate(this);
        popover->permittedArrowDirections = 0;
        if (NavigationController *navigation = navigationController()) {
            QWidget *view = navigation->view();
            popover->setSourceView(view);
            popover->setSourceRect(QRectF(view->rect().center(), QSizeF(1, 1)));
        }
    }
    present(sheet, true);
    tableView()->deselectRow(indexPath, true);
}

void PreferenceViewController::popoverPresentationControllerWillReposition(
    PopoverPresentationController *, QRectF &rect, QWidget *&)
{
    if (NavigationController *navigation = navigationController()) {
        if (QWidget *view = navigation->view())
            rect = QRectF(view->rect().center(), QSizeF(1, 1));
    }
}

void PreferenceViewController::reset()
{
    QFile::remove(Preferences::preferencesFilePath());
    recreateFolder(Preferences::inboxPath());
    tableView()->reloadData();
}

void PreferenceViewController::emptyCache()
{
    showHUD(QStringLiteral("Cleaning..."));
    recreateFolder(Preferences::inboxPath());
    const auto report = [](const QString &error) {
        _print(QStringLiteral("An error occurred while emptying ") + appBundleName() + QStringLiteral("'s cache.\nError: ")
            + error);
    };
    QString error;
    const QString downloads = Preferences::downloadsPath();
    if (const std::optional<QStringList> names = listFolder(downloads, &error)) {
        for (const QString &name : *names) {
            if (name.contains(Constants::downloadsDatabaseFragment))
                continue;
            if (!removeItem(downloads + QLatin1Char('/') + name, &error)) {
                report(error);
                break;
            }
        }
    } else {
        report(error);
    }
}

void PreferenceViewController::fixDownloads()
{
    showHUD(QStringLiteral("Restoring..."));
    const auto report = [](const QString &error) {
        _print(QStringLiteral("Error Occurred while fixing downloads.28.* files.\nError: ") + error);
    };
    QString error;
    const QString downloads = Preferences::downloadsPath();
    if (const std::optional<QStringList> names = listFolder(downloads, &error)) {
        for (const QString &name : *names) {
            if (!removeItem(downloads + QLatin1Char('/') + name, &error)) {
                report(error);
                break;
            }
        }
    } else {
        report(error);
    }
    // The companion owns the downloads here: its process ends, and the bus starts it
    // afresh, with the cleared folder, on the app's next call.
    if (const std::optional<QString> failure = ServiceProcess::shared().endOwner(SaltrigProtocol::serviceName))
        _print(QStringLiteral("Failed to restart the companion service.\nError: ") + *failure);
}

void PreferenceViewController::showHUD(const QString &message)
{
    NavigationController *navigation = navigationController();
    if (!navigation || !navigation->view())
        return;
    auto *loader = new LoaderView;
    loader->setHideContentView(false);
    loader->spinnerViewSize = QSizeF(35, 35);
    loader->animateAppearance = true;
    loader->show(navigation->view(), LoaderView::Position::center, _localizedString(message), std::nullopt, this);
    // The overlay lives a fixed time from its request, not until the work ends.
    QPointer<LoaderView> guard(loader);
    Dispatch::mainAfter(Constants::hudDuration, [guard] {
        if (guard) {
            guard->hide();
            guard->deleteLater();
        }
    });
}

void PreferenceViewController::infoButtonTapped(BarButtonItem *sender)
{
    auto *sheet = new AlertController(QString(), QString(), AlertController::Style::actionSheet);
    QPointer<PreferenceViewController> guard(this);
    auto *tutorial = new AlertControllerAction(_localizedString(QStringLiteral("Video Tutorial")),
        AlertControllerAction::Style::defaultStyle, [](AlertControllerAction *) { viewVideoTutorial(); });
    tutorial->setEnabled(Constants::hasTutorialPage());
    sheet->addAction(tutorial);
    sheet->addAction(new AlertControllerAction(_localizedString(QStringLiteral("How To Guide")),
        AlertControllerAction::Style::defaultStyle, [guard](AlertControllerAction *) {
            if (guard)
                viewInstructions(guard);
        }));
    sheet->addAction(new AlertControllerAction(_localizedString(QStringLiteral("Contact Developer")),
        AlertControllerAction::Style::defaultStyle, [guard](AlertControllerAction *) {
            if (guard)
                sendMail(guard);
        }));
    sheet->addAction(
        new AlertControllerAction(_localizedString(QStringLiteral("Cancel")), AlertControllerAction::Style::cancel));
    if (PopoverPresentationController *popover = sheet->popoverPresentationController())
        popover->setBarButtonItem(sender);
    present(sheet, true);
}

std::optional<QUrl> PreferenceViewController::tutorialVideoUrl(const QByteArray &replyBody)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(replyBody);
    if (decoder.hasError())
        return std::nullopt;
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    return url;
}

void PreferenceViewController::viewVideoTutorial()
{
    const std::optional<QUrl> page = UrlOpener::webAddress(Constants::tutorialPageAddress());
    if (!page)
        return;
    auto *manager = new QNetworkAccessManager;
    QNetworkReply *reply = manager->get(QNetworkRequest(*page));
    QObject::connect(reply, &QNetworkReply::finished, manager, [manager, reply] {
        manager->deleteLater();
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            _print(QStringLiteral("Failed to open `Video Tutorial`.\nError: ") + reply->errorString());
            return;
        }
        const QByteArray body = reply->readAll();
        if (body.isEmpty()) {
            _print(QStringLiteral("Failed to open `Video Tutorial`. No data found."));
            return;
        }
        if (const std::optional<QUrl> video = tutorialVideoUrl(body))
            UrlOpener::shared().openUrl(*video);
    });
}

void PreferenceViewController::viewInstructions(ViewController *from)
{
    if (!from)
        return;
    ViewController *guide
        = Storyboard(MainStoryboard::kName).instantiateViewController(Constants::guideViewControllerIdentifier);
    from->present(new NavigationController(guide), true);
}

QUrl PreferenceViewController::supportMailUrl(const QString &deviceIdentifier)
{
    const QString body = QStringLiteral("Hello,\n\n\n\nApp: ") + appBundleName() + QStringLiteral("\nVersion: ")
        + Constants::appVersion() + QStringLiteral("\nUDID: ") + deviceIdentifier + QLatin1Char('\n');
    const auto encoded = [](const QString &text, const QByteArray &keep = {}) {
        return QString::fromLatin1(QUrl::toPercentEncoding(text, keep));
    };
    const QUrl url(QStringLiteral("mailto:") + encoded(Constants::supportAddress(), "@") + QStringLiteral("?subject=")
            + encoded(appBundleName() + QStringLiteral(" App Query")) + QStringLiteral("&body=") + encoded(body),
        QUrl::StrictMode);
    return url;
}

void PreferenceViewController::sendMail(ViewController *from)
{
    if (!from)
        return;
    const auto alert = [](ViewController *presenter, const QString &title, const QString &message) {
        auto *controller = new AlertController(title, message, AlertController::Style::alert);
        controller->addAction(new AlertControllerAction(
            _localizedString(QStringLiteral("OK")), AlertControllerAction::Style::defaultStyle));
        presenter->present(controller, true);
    };
    // Without a mail handler there is no point in asking the companion.
    if (!UrlOpener::shared().canOpenScheme(QStringLiteral("mailto"))) {
        alert(from, _localizedString(QStringLiteral("Message Failure")),
            _localizedString(QStringLiteral(
                "Your device doesn't support the composer sheet. Please use `Twitter` to contact the developer.")));
        return;
    }
    QPointer<ViewController> guard(from);
    SaltrigUtils::deviceIdentifier([guard, alert](const std::optional<QString> &identifier) {
        if (!guard)
            return;
        if (!identifier) {
            alert(guard, _localizedString(QStringLiteral("Error Occurred")),
                _localizedString(QStringLiteral("Unable to read your device's UDID. Please try again.\nIf this error "
                                                "is persistent, please contact the developer.")));
            return;
        }
        UrlOpener::shared().openUrl(supportMailUrl(*identifier));
    });
}

} // namespace tarnik
