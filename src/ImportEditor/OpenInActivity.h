#pragma once

#include "ImportEditor/BaseActivity.h"
#include "Platform/UI/DocumentInteractionController.h"

class QWidget;

namespace tarnik {

// "Open In...": the applications that open the file, anchored at the source
// view (on pads at the centre of a browser row's image).
class OpenInActivity : public BaseActivity
{
    Q_OBJECT
public:
    OpenInActivity(QWidget *sourceView, ViewController *presentingViewController, QObject *parent = nullptr);

    QString activityTitle() const override;
    QIcon activityImage() const override;
    void prepare(const QVariantList &items) override;
    void perform() override;
    void finish();

    DocumentInteractionController *documentInteractionController() const { return m_documentInteractionController; }
    QWidget *sourceView() const { return m_sourceView; }
    QWidget *popoverSourceView() const { return m_popoverSourceView; }

private:
    QPointer<DocumentInteractionController> m_documentInteractionController;
    QPointer<QWidget> m_sourceView;
    QPointer<QWidget> m_popoverSourceView;
};

} // namespace tarnik
