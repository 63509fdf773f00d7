#include "DeviceIdentifier.h"

#include "App/Preferences.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

bool isIdentifierText(const QString &text)
{
    return QRegularExpression(QStringLiteral("^[0-9a-f]{40}$")).match(text).hasMatch();
}

TEST(DeviceIdentifierTest, AMachineIdentifierGivesAStableIdentifierThatDoesNotRevealIt)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("machine-id"));
    const QByteArray machineId = "0123456789abcdef0123456789abcdef";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(machineId + '\n');
    file.close();

    const QString first = DeviceIdentifier(path).value();
    EXPECT_TRUE(isIdentifierText(first)) << first.toStdString();
    EXPECT_EQ(DeviceIdentifier(path).value(), first);
    EXPECT_FALSE(first.contains(QString::fromLatin1(machineId.left(16))));
    EXPECT_NE(DeviceIdentifier::fromMachineId("fedcba9876543210fedcba9876543210"), first);

    for (const QByteArray &bad :
        { QByteArray(), QByteArray("not-a-machine-id"), QByteArray(33, 'a'), QByteArray(32, 'g') })
        EXPECT_TRUE(DeviceIdentifier::fromMachineId(bad).isEmpty()) << bad.constData();
}

TEST(DeviceIdentifierTest, WithoutAMachineIdentifierOneIsMadeOnceAndKept)
{
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("no-machine-id"));
    Preferences::Saltrig::setCompanionValue(std::nullopt, DeviceIdentifier::storedKey());
    Preferences::Saltrig::setShouldAddFadeInFadeOut(false);

    const QString made = DeviceIdentifier(missing).value();
    EXPECT_TRUE(isIdentifierText(made));
    EXPECT_EQ(Preferences::Saltrig::companionValue(DeviceIdentifier::storedKey()), QVariant(made));
    EXPECT_EQ(DeviceIdentifier(missing).value(), made);
    // The companion's own key leaves the app's settings in the file as they were.
    EXPECT_FALSE(Preferences::Saltrig::shouldAddFadeInFadeOut());

    // A kept value that is no identifier is replaced.
    Preferences::Saltrig::setCompanionValue(QStringLiteral("nonsense"), DeviceIdentifier::storedKey());
    const QString remade = DeviceIdentifier(missing).value();
    EXPECT_TRUE(isIdentifierText(remade));
    EXPECT_NE(remade, made);
    Preferences::Saltrig::setShouldAddFadeInFadeOut(true);
}

} // namespace
} // namespace tarnik
