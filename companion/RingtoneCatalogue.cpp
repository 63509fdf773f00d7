#include "RingtoneCatalogue.h"

#include "Platform/PropertyList.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>

namespace tarnik {

namespace {

const QString kRingtonesKey = QStringLiteral("Ringtones");

QMutex &catalogueMutex()
{
    static QMutex mutex;
    return mutex;
}

// Sixteen upper-case hexadecimal digits, the form the catalogue's GUIDs take.
QString newGuid()
{
    return QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0')).toUpper();
}

// A positive 63-bit persistent identifier.
qint64 newPid()
{
    return qint64(QRandomGenerator::system()->generate64() >> 1) | 1;
}

} // namespace

RingtoneCatalogue::RingtoneCatalogue(QString path)
    : m_path(std::move(path))
{
}

bool RingtoneCatalogue::addRingtone(const QString &fileName, const QString &name, qint64 totalTimeMilliseconds) const
{
    const QMutexLocker locker(&catalogueMutex());

    QVariantMap root;
    if (QFileInfo::exists(m_path)) {
        const std::optional<QVariantMap> existing = PropertyList::readDictionary(m_path);
        if (!existing)
            return false;
        root = *existing;
    } else {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
    }

    const QVariant ringtonesValue = root.value(kRingtonesKey);
    if (ringtonesValue.isValid() && ringtonesValue.typeId() != QMetaType::QVariantMap)
        return false;
    QVariantMap ringtones = ringtonesValue.toMap();

    QVariantMap entry;
    entry.insert(QStringLiteral("Name"), name);
    entry.insert(QStringLiteral("GUID"), newGuid());
    entry.insert(QStringLiteral("Total Time"), totalTimeMilliseconds);
    entry.insert(QStringLiteral("PID"), newPid());
    ringtones.insert(fileName, entry);
    root.insert(kRingtonesKey, ringtones);
    return PropertyList::write(m_path, root);
}

} // namespace tarnik
