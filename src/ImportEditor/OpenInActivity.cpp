#include "ImportEditor/OpenInActivity.h"

#include "App/Globals.h"
#include "Browser/EntryCell.h"
#include "Browser/EntryImageView.h"
#include "Entries/EntryImages.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/DocumentInteractionController.h"

#include <QMimeDatabase>
#include <QPixmap>
#include <QWidget>

namespace tarnik {

OpenInActivity::OpenInActivity(QWidget *sourceView, ViewController *presentingViewController, QObject *parent)
    : BaseActivity(presentingViewController, parent)
    , m_sourceView(sourceView ? sourceView : (presentingViewController ? presentingViewController->view() : nullptr))
{
}

QString OpenInActivity::activityTitle() const
{
    return _localizedString(QStringLiteral("Open In..."));
}

QIcon OpenInActivity::activityImage() const
{
    return QIcon(QPixmap::fromImage(EntryImages::named(QStringLiteral("activityOpenIn"), 60)));
}

void OpenInActivity::prepare(const QVariantList &items)
{
    BaseActivity::prepare(items);
    m_documentInteractionController = new DocumentInteractionController(m_url.value_or(QUrl()), this);
    QPointer<OpenInActivity> self(this);
    m_documentInteractionController->didDismissOpenInMenu = [self] {
        if (self)
            self->finish();
    };
    if (m_url && m_url->isLocalFile()) {
        const QMimeType type = QMimeDatabase().mimeTypeForFile(m_url->toLocalFile());
        m_documentInteractionController->setUti(type.isValid() ? type.name() : QString());
    }
    if (DeviceProfile::isPad()) {
        if (auto *cell = qobject_cast<EntryCell *>(m_sourceView.data()); cell && cell->imageView()) {
            QWidget *imageView = cell->imageView();
            auto *anchor = new QWidget(imageView);
            anchor->setGeometry(imageView->width() / 2, imageView->height() / 2, 1, 1);
            anchor->setAttribute(Qt::WA_TransparentForMouseEvents);
            anchor->show();
            m_popoverSourceView = anchor;
        }
    }
}

void OpenInActivity::perform()
{
    QWidget *anchor = m_popoverSourceView ? m_popoverSourceView.data() : m_sourceView.data();
    if (m_documentInteractionController
        && m_documentInteractionController->presentOpenInMenu(anchor, m_presentingViewController, true))
        return;
    activityDidFinish(false);
    _showTarnikDefaultAlert(_localizedString(QStringLiteral("No suitable Apps installed")),
        _localizedString(QStringLiteral("Your ") + DeviceProfile::localizedModel()
            + QStringLiteral(" doesn't seem to have any other Apps installed that can open this document.")),
        {}, m_presentingViewController);
}

void OpenInActivity::finish()
{
    if (m_popoverSourceView) {
        m_popoverSourceView->setParent(nullptr);
        m_popoverSourceView->deleteLater();
        m_popoverSourceView = nullptr;
    }
    activityDidFinish(true);
}

} // namespace tarnik
