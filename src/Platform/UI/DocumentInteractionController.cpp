#include "Platform/UI/DocumentInteractionController.h"

#include "Platform/UI/AlertController.h"
#include "Platform/UI/ViewController.h"

#include <QFileInfo>

namespace tarnik {

DocumentInteractionController::DocumentInteractionController(const QUrl &url, QObject *parent)
    : QObject(parent)
    , m_url(url)
{
}

bool DocumentInteractionController::presentOpenInMenu(QWidget *sourceView, ViewController *presenter, bool animated)
{
    if (!presenter || !m_url.isLocalFile())
        return false;
    const QString path = m_url.toLocalFile();
    const QList<DesktopApplication> applications = DesktopApplications::applicationsForFile(path);
    if (applications.isEmpty())
        return false;
    auto *sheet = new AlertController(QFileInfo(path).fileName(), QString(), AlertController::Style::actionSheet);
    QPointer<DocumentInteractionController> self(this);
    const auto dismissed = [self] {
        if (self && self->didDismissOpenInMenu)
            self->didDismissOpenInMenu();
    };
    for (const DesktopApplication &application : applications) {
        auto *action = new AlertControllerAction(application.name, AlertControllerAction::Style::defaultStyle,
            [application, path, dismissed](AlertControllerAction *) {
                DesktopApplications::launch(application, path);
                dismissed();
            });
        action->setImage(DesktopApplications::icon(application), false);
        sheet->addAction(action);
    }
    sheet->addAction(new AlertControllerAction(
        tr("Cancel"), AlertControllerAction::Style::cancel, [dismissed](AlertControllerAction *) { dismissed(); }));
    if (PopoverPresentationController *popover = sheet->popoverPresentationController(); popover && sourceView)
        popover->setSourceView(sourceView);
    presenter->present(sheet, animated);
    return true;
}

} // namespace tarnik
