// The one main() of every test executable. Each run gets its own home and XDG
// folders in a temporary directory, so no test can touch the user's files,
// and Qt runs on the offscreen platform unless told otherwise.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void pointHomeInto(const QString &root)
{
    const auto set = [&](const char *name, const QString &sub) {
        const QString path = root + QLatin1Char('/') + sub;
        QDir().mkpath(path);
        qputenv(name, QFile::encodeName(path));
    };
    set("HOME", QStringLiteral("home"));
    set("XDG_DATA_HOME", QStringLiteral("home/.local/share"));
    set("XDG_CACHE_HOME", QStringLiteral("home/.cache"));
    set("XDG_CONFIG_HOME", QStringLiteral("home/.config"));
    // PulseAudio and the session bus may live in the runtime folder that the
    // test runner prepared; only make one when there is none.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        set("XDG_RUNTIME_DIR", QStringLiteral("runtime"));
        QFile::setPermissions(root + QStringLiteral("/runtime"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir root;
    if (!root.isValid())
        return 2;
    pointHomeInto(root.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnik"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
