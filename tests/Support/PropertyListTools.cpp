#include "PropertyListTools.h"

#include <QProcess>
#include <QStringList>

namespace tarnik::test {

std::optional<QByteArray> plistutil(const QString &path, const QString &format)
{
    QProcess process;
    process.start(QStringLiteral("plistutil"),
        { QStringLiteral("-i"), path, QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("-f"), format });
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    const QByteArray out = process.readAllStandardOutput();
    if (out.isEmpty())
        return std::nullopt;
    return out;
}

} // namespace tarnik::test
