#include "ImportEditor/BaseActivity.h"

namespace tarnik {

BaseActivity::BaseActivity(ViewController *presentingViewController, QObject *parent)
    : Activity(parent)
    , m_presentingViewController(presentingViewController)
{
}

bool BaseActivity::canPerform(const QVariantList &items) const
{
    return !firstReadableFile(items).isEmpty();
}

void BaseActivity::prepare(const QVariantList &items)
{
    for (const QVariant &item : items) {
        if (item.metaType() == QMetaType::fromType<QUrl>()) {
            m_url = item.toUrl();
            return;
        }
    }
}

} // namespace tarnik
