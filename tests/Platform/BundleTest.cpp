#include "Platform/Bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnik {

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

} // namespace

TEST(Bundle, MainBundleSitsBesideTheExecutable)
{
    const Bundle &bundle = Bundle::main();
    EXPECT_EQ(bundle.resourcePath(),
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tarnik")));
    EXPECT_TRUE(QFileInfo(bundle.resourcePath()).isDir()) << "the build copies resources into share/tarnik";
    EXPECT_EQ(bundle.bundleIdentifier(), std::optional<QString>(QStringLiteral("com.quilmera.tarnik")));
    EXPECT_EQ(bundle.objectForInfoDictionaryKey(QStringLiteral("CFBundleShortVersionString")).toString(),
        QStringLiteral(TARNIK_VERSION));
    EXPECT_EQ(bundle.objectForInfoDictionaryKey(QStringLiteral("CFBundleName")).toString(), QStringLiteral("Tarnik"));
    EXPECT_FALSE(bundle.objectForInfoDictionaryKey(QStringLiteral("NoSuchKey")).isValid());
    EXPECT_EQ(&Bundle::main(), &bundle);
    EXPECT_EQ(
        Bundle::resourcePathForExecutableDirectory(QStringLiteral("/usr/bin")), QStringLiteral("/usr/share/tarnik"));
}

TEST(Bundle, FindsResourcesOnlyInsideItsFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString resources = root.path() + QStringLiteral("/share/tarnik");
    touch(resources + QStringLiteral("/FileTypes.plist"));
    touch(resources + QStringLiteral("/images/unknown.svg"));
    touch(resources + QStringLiteral("/images/placeholder.png"));
    touch(resources + QStringLiteral("/README"));
    touch(root.path() + QStringLiteral("/share/secret.plist"));
    const Bundle bundle(resources);

    struct Case
    {
        const char *name;
        const char *type;
        const char *subdirectory;
        const char *found; // relative to the resource folder; nullptr when nothing
    };
    const Case cases[] = {
        { "FileTypes", "plist", "", "FileTypes.plist" },
        { "FileTypes", ".plist", "", "FileTypes.plist" },
        { "FileTypes.plist", "", "", "FileTypes.plist" },
        { "README", "", "", "README" },
        { "unknown", "svg", "images", "images/unknown.svg" },
        { "images/unknown", "svg", "", "images/unknown.svg" },
        { "images", "", "", "images" },
        { "FileTypes", "png", "", nullptr },
        { "unknown", "svg", "", nullptr },
        { "", "plist", "", nullptr },
        { "", "", "", nullptr },
        { "..", "", "", nullptr },
        { "../secret", "plist", "", nullptr },
        { "secret", "plist", "..", nullptr },
        { "secret", "plist", "../../share", nullptr },
        { "/etc/passwd", "", "", nullptr },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " / " << c.type << " in " << c.subdirectory);
        const auto path = bundle.pathForResource(
            QString::fromUtf8(c.name), QString::fromUtf8(c.type), QString::fromUtf8(c.subdirectory));
        if (c.found)
            EXPECT_EQ(path, std::optional<QString>(resources + QLatin1Char('/') + QString::fromUtf8(c.found)));
        else
            EXPECT_EQ(path, std::nullopt);
    }

    EXPECT_EQ(bundle.pathsForResources(QStringLiteral("svg"), QStringLiteral("images")),
        QStringList { resources + QStringLiteral("/images/unknown.svg") });
    EXPECT_EQ(bundle.pathsForResources(QString(), QStringLiteral("images")).size(), 2);
    EXPECT_TRUE(bundle.pathsForResources(QStringLiteral("plist"), QStringLiteral("..")).isEmpty());
    EXPECT_TRUE(bundle.pathsForResources(QStringLiteral("plist"), QStringLiteral("missing")).isEmpty());
}

TEST(Bundle, IdentifierMustBeANonEmptyText)
{
    const QString id = QStringLiteral("CFBundleIdentifier");
    EXPECT_EQ(Bundle(QStringLiteral("/nonexistent")).bundleIdentifier(), std::nullopt);
    EXPECT_EQ(Bundle(QStringLiteral("/nonexistent"), { { id, QString() } }).bundleIdentifier(), std::nullopt);
    EXPECT_EQ(Bundle(QStringLiteral("/nonexistent"), { { id, 42 } }).bundleIdentifier(), std::nullopt);
    EXPECT_EQ(Bundle(QStringLiteral("/nonexistent"), { { id, QStringLiteral("a.b") } }).bundleIdentifier(),
        std::optional<QString>(QStringLiteral("a.b")));
    // Info values keep their type, whatever it is.
    const Bundle odd(QStringLiteral("/nonexistent"), { { QStringLiteral("CFBundleName"), 7 } });
    EXPECT_EQ(odd.objectForInfoDictionaryKey(QStringLiteral("CFBundleName")), QVariant(7));
}

} // namespace tarnik
