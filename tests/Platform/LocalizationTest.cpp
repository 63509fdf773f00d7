#include "Platform/Localization.h"

#include <QCoreApplication>
#include <QTranslator>
#include <gtest/gtest.h>
#include <thread>

namespace tarnik {

namespace {

// Stands in for a compiled catalogue: answers a few keys of the app's table.
class FakeCatalogue : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, Localization::kDefaultTable) != 0)
            return {};
        const QString key = QString::fromUtf8(sourceText);
        if (key == QStringLiteral("Cancel"))
            return QStringLiteral("Abbrechen");
        if (key == QStringLiteral("Grüße"))
            return QStringLiteral("Greetings");
        if (key == QStringLiteral("a"))
            return QStringLiteral("truncated key was looked up");
        return {};
    }
    bool isEmpty() const override { return false; }
};

} // namespace

TEST(Localization, KeysWithoutTranslationComeBackUnchanged)
{
    const QString loneSurrogate = QString(QChar(0xDC00)) + QStringLiteral("x");
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    for (const QString &key : { QString(), QStringLiteral("OK"), QStringLiteral("Cancel"), QStringLiteral("Grüße"),
             loneSurrogate, withNul }) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_EQ(Localization::localizedString(key), key);
    }
}

TEST(Localization, InstalledTranslationsAreUsedFromAnyThread)
{
    FakeCatalogue catalogue;
    ASSERT_TRUE(QCoreApplication::installTranslator(&catalogue));
    EXPECT_EQ(Localization::localizedString(QStringLiteral("Cancel")), QStringLiteral("Abbrechen"));
    EXPECT_EQ(Localization::localizedString(QStringLiteral("Grüße")), QStringLiteral("Greetings"));
    EXPECT_EQ(Localization::localizedString(QStringLiteral("OK")), QStringLiteral("OK"));
    // A NUL must not cut the key short and hit another key's translation.
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    EXPECT_EQ(Localization::localizedString(withNul), withNul);
    QString fromWorker;
    std::thread worker([&] { fromWorker = Localization::localizedString(QStringLiteral("Cancel")); });
    worker.join();
    EXPECT_EQ(fromWorker, QStringLiteral("Abbrechen"));
    QCoreApplication::removeTranslator(&catalogue);
    EXPECT_EQ(Localization::localizedString(QStringLiteral("Cancel")), QStringLiteral("Cancel"));
}

TEST(Localization, MissingCataloguesInstallNothing)
{
    EXPECT_FALSE(Localization::installTranslations(QLocale(QLocale::German, QLocale::Germany)));
    EXPECT_EQ(Localization::localizedString(QStringLiteral("Cancel")), QStringLiteral("Cancel"));
}

} // namespace tarnik
