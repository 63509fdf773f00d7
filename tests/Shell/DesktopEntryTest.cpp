#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

// The desktop entry that cmake --install puts into share/applications.
TEST(DesktopEntryTest, IsValidAndDeclaresTheSchemeAndMediaTypes)
{
    const QString entry
        = QStringLiteral(TARNIK_SOURCE_DIR "/data/tarnik.desktop");
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << entry.toStdString();
    const QString text = QString::fromUtf8(file.readAll());
    QString mimeLine;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("MimeType=")))
            mimeLine = line;
    }
    const QStringList types = mimeLine.mid(9).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    EXPECT_TRUE(types.contains(QStringLiteral("x-scheme-handler/tarnik")));
    for (const char *type : { "audio/mpeg", "audio/mp4", "audio/flac", "video/mp4", "video/quicktime" })
        EXPECT_TRUE(types.contains(QString::fromLatin1(type))) << type;
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=tarnik %U\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nIcon=tarnik\n")));

    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    QProcess process;
    process.start(validator, { entry });
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardOutput().toStdString();
}
