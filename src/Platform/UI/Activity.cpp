#include "Platform/UI/Activity.h"

#include <QFileInfo>
#include <QUrl>

namespace tarnik {

Activity::Activity(QObject *parent)
    : QObject(parent)
{
}

QString Activity::activityType() const
{
    QString name = QString::fromLatin1(metaObject()->className());
    const int colon = name.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0)
        name = name.mid(colon + 1);
    return QStringLiteral("Tarnik.") + name;
}

void Activity::activityDidFinish(bool completed)
{
    if (m_finished)
        return;
    m_finished = true;
    Q_EMIT finished(completed);
}

QString Activity::firstReadableFile(const QVariantList &items)
{
    for (const QVariant &item : items) {
        if (item.metaType() != QMetaType::fromType<QUrl>())
            continue;
        const QUrl url = item.toUrl();
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isFile() && info.isReadable())
            return info.filePath();
    }
    return {};
}

} // namespace tarnik
