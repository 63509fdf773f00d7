#pragma once

#include "Browser/PreviewDataSource.h"
#include "ImportEditor/BaseActivity.h"

namespace tarnik {

// "Preview": the file in the preview screen.
class PreviewActivity : public BaseActivity
{
    Q_OBJECT
public:
    explicit PreviewActivity(ViewController *presentingViewController, QObject *parent = nullptr);

    QString activityTitle() const override;
    QIcon activityImage() const override;
    void perform() override;

    PreviewDataSource *previewDataSource() const { return m_previewDataSource; }

private:
    QPointer<PreviewDataSource> m_previewDataSource;
};

} // namespace tarnik
