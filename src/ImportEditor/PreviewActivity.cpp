#include "ImportEditor/PreviewActivity.h"

#include "App/Globals.h"
#include "Browser/PreviewDataSource.h"
#include "Browser/PreviewItem.h"
#include "Entries/EntryImages.h"
#include "Platform/UI/PreviewController.h"

#include <QPixmap>

namespace tarnik {

PreviewActivity::PreviewActivity(ViewController *presentingViewController, QObject *parent)
    : BaseActivity(presentingViewController, parent)
{
}

QString PreviewActivity::activityTitle() const
{
    return _localizedString(QStringLiteral("Preview"));
}

QIcon PreviewActivity::activityImage() const
{
    return QIcon(QPixmap::fromImage(EntryImages::named(QStringLiteral("activityPreview"), 60)));
}

void PreviewActivity::perform()
{
    if (!m_url || !m_presentingViewController) {
        activityDidFinish(false);
        return;
    }
    auto item = std::make_shared<PreviewItem>(*m_url, std::nullopt);
    if (m_previewDataSource)
        m_previewDataSource->deleteLater();
    // The preview outlives the share sheet and its actions, so it owns its data source.
    auto *preview = new PreviewController;
    m_previewDataSource = new PreviewDataSource(item, preview);
    preview->setDataSource(m_previewDataSource);
    preview->modalTransitionStyle = ModalTransitionStyle::crossDissolve;
    QPointer<PreviewActivity> self(this);
    m_presentingViewController->present(preview, true, [self] {
        if (self)
            self->activityDidFinish(true);
    });
}

} // namespace tarnik
