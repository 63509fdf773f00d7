#pragma once

#include "Platform/UI/Activity.h"
#include "Platform/UI/ViewController.h"

#include <QPointer>
#include <QUrl>
#include <optional>

namespace tarnik {

// The common part of the program's own share actions: the presenting screen
// and the file URL found among the items. Unlike the toolkit's activities the
// end of the work is reported to the sheet, so its completion runs.
class BaseActivity : public Activity
{
    Q_OBJECT
public:
    explicit BaseActivity(ViewController *presentingViewController, QObject *parent = nullptr);

    std::optional<QUrl> url() const { return m_url; }
    ViewController *presentingViewController() const { return m_presentingViewController; }

    // True at the first readable local file URL among the items.
    bool canPerform(const QVariantList &items) const override;
    // The first URL among the items, readable or not; none leaves url() as it is.
    void prepare(const QVariantList &items) override;

protected:
    std::optional<QUrl> m_url;
    QPointer<ViewController> m_presentingViewController;
};

} // namespace tarnik
