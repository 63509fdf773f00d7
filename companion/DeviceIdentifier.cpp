#include "DeviceIdentifier.h"

#include "App/Preferences.h"

#include <QFile>
#include <QMessageAuthenticationCode>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace tarnik {

namespace {

constexpr qsizetype kIdentifierLength = 40;

QMutex &identifierMutex()
{
    static QMutex mutex;
    return mutex;
}

bool isIdentifier(const QVariant &value)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{40}$"));
    return value.typeId() == QMetaType::QString && pattern.match(value.toString()).hasMatch();
}

QString randomIdentifier()
{
    QByteArray bytes(kIdentifierLength / 2, '\0');
    for (char &byte : bytes)
        byte = char(QRandomGenerator::system()->bounded(256));
    return QString::fromLatin1(bytes.toHex());
}

} // namespace

DeviceIdentifier::DeviceIdentifier(QString machineIdPath)
    : m_machineIdPath(std::move(machineIdPath))
{
}

QString DeviceIdentifier::fromMachineId(const QByteArray &machineId)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-fA-F]{32}$"));
    const QByteArray trimmed = machineId.trimmed();
    if (!pattern.match(QString::fromLatin1(trimmed)).hasMatch())
        return {};
    const QByteArray digest = QMessageAuthenticationCode::hash(
        QByteArrayLiteral("com.quilmera.saltrig"), trimmed.toLower(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex().left(kIdentifierLength));
}

QString DeviceIdentifier::value()
{
    const QMutexLocker locker(&identifierMutex());
    if (!m_value.isEmpty())
        return m_value;

    QFile file(m_machineIdPath);
    // The file is tiny; reading a little more than it should hold is enough to refuse odd ones.
    if (file.open(QIODevice::ReadOnly))
        m_value = fromMachineId(file.read(256));
    if (!m_value.isEmpty())
        return m_value;

    const std::optional<QVariant> kept = Preferences::Saltrig::companionValue(storedKey());
    if (kept && isIdentifier(*kept)) {
        m_value = kept->toString();
        return m_value;
    }
    m_value = randomIdentifier();
    if (!Preferences::Saltrig::setCompanionValue(m_value, storedKey()))
        qWarning("saltrig: the device identifier could not be kept in the settings file; it lasts for this run");
    return m_value;
}

} // namespace tarnik
