#include "App/MainStoryboard.h"
#include "ImportEditor/ImportViewController.h"
#include "ImportEditor/ImportActivity.h"
#include "ImportEditor/OpenInActivity.h"
#include "ImportEditor/PreviewActivity.h"
#include "Platform/DesktopApplications.h"
#include "Platform/UI/ActivityViewController.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Storyboard.h"
#include "Support/UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

using namespace tarnik;

namespace {

struct Kind
{
    const char *file;
    bool exportable;
    bool video;
    bool image;
    QStringList titles;
};

// The system data folder the tests see: no applications, but the MIME
// database, which the file kinds are read from. One for the whole run, as the
// MIME database is loaded once.
QString systemData()
{
    static QTemporaryDir folder;
    static const bool linked = QFile::link(QStringLiteral("/usr/share/mime"), folder.filePath(QStringLiteral("mime")));
    Q_UNUSED(linked);
    return folder.path();
}

class ShareActivitiesTest : public test::ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        savedDataHome = qgetenv("XDG_DATA_HOME");
        savedDataDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_DATA_DIRS", systemData().toUtf8());
        QDir().mkpath(dir.filePath(QStringLiteral("data/applications")));
        Storyboard::registerFactory(
            MainStoryboard::kName, ImportActivity::editorIdentifier, [] { return new ImportViewController; });
    }
    void TearDown() override
    {
        Storyboard::unregisterFactory(MainStoryboard::kName, ImportActivity::editorIdentifier);
        qputenv("XDG_DATA_HOME", savedDataHome);
        qputenv("XDG_DATA_DIRS", savedDataDirs);
        ScreenTest::TearDown();
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    void writeEntry(const QString &id, const QString &name, const QString &exec, const QString &mime)
    {
        QFile file(path(QStringLiteral("data/applications/") + id));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nMimeType=%3\n")
                       .arg(name, exec, mime)
                       .toUtf8());
    }
    // The browser's own set for an entry, then the sheet as it shows them.
    QStringList sheetTitles(const Kind &kind, ViewController *presenter)
    {
        QList<Activity *> activities;
        if (kind.exportable) {
            activities << new ImportiTunesAudioActivity(presenter) << new ImportiTunesRingtoneActivity(presenter)
                       << new ImportiTunesPodcastActivity(presenter);
            if (kind.video)
                activities << new ImportiTunesMusicVideoActivity(presenter) << new ImportiTunesTVShowActivity(presenter)
                           << new ImportiTunesMovieActivity(presenter);
        }
        activities << new PreviewActivity(presenter) << new OpenInActivity(nullptr, presenter);
        const QString file = path(QString::fromLatin1(kind.file));
        auto *sheet = new ActivityViewController(
            { QVariant::fromValue<QObject *>(presenter), QVariant(QStringLiteral("Shared using Tarnik.")),
                QVariant(QImage()), QVariant(QUrl::fromLocalFile(file)) },
            activities);
        sheet->setExcludedActivityTypes(kind.image
                ? QStringList { ActivityType::assignToContact, ActivityType::print }
                : QStringList { ActivityType::copyToPasteboard, ActivityType::saveToCameraRoll });
        QStringList titles;
        for (Activity *activity : sheet->shownActivities())
            titles << activity->activityTitle();
        delete sheet;
        return titles;
    }

    QTemporaryDir dir;
    QByteArray savedDataHome;
    QByteArray savedDataDirs;
};

TEST_F(ShareActivitiesTest, SheetContentsPerKindOfEntry)
{
    writeEntry(QStringLiteral("viewer.desktop"), QStringLiteral("Viewer"), QStringLiteral("true %f"),
        QStringLiteral("image/png;video/mp4;audio/mpeg;"));
    QFile(path(QStringLiteral("song.mp3"))).open(QIODevice::WriteOnly);
    QFile(path(QStringLiteral("clip.mp4"))).open(QIODevice::WriteOnly);
    QFile(path(QStringLiteral("notes.xyz"))).open(QIODevice::WriteOnly);
    QImage(4, 4, QImage::Format_RGB32).save(path(QStringLiteral("pic.png")));
    QDir().mkpath(path(QStringLiteral("folder")));
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);

    const QStringList audioImports { QStringLiteral("Import to Music"), QStringLiteral("Import as Ringtone"),
        QStringLiteral("Import as Podcast") };
    const QStringList videoImports { QStringLiteral("Import as Music Video"), QStringLiteral("Import as TV Show"),
        QStringLiteral("Import as Movie") };
    const QList<Kind> kinds {
        { "song.mp3", true, false, false,
            audioImports
                + QStringList { QStringLiteral("Preview"), QStringLiteral("Open In..."),
                    QStringLiteral("Open With") } },
        { "clip.mp4", true, true, false,
            audioImports + videoImports
                + QStringList { QStringLiteral("Preview"), QStringLiteral("Open In..."),
                    QStringLiteral("Open With") } },
        { "pic.png", false, false, true,
            { QStringLiteral("Preview"), QStringLiteral("Open In..."), QStringLiteral("Copy"),
                QStringLiteral("Save Image"), QStringLiteral("Open With") } },
        // No application takes it: the Open actions stay, Open In reports none when tapped.
        { "notes.xyz", false, false, false, { QStringLiteral("Preview"), QStringLiteral("Open In...") } },
        // A folder is no readable file: nothing to act on.
        { "folder", false, false, false, {} },
    };
    for (const Kind &kind : kinds)
        EXPECT_EQ(sheetTitles(kind, root), kind.titles) << kind.file;
}

TEST_F(ShareActivitiesTest, OpenWithListsDefaultsFirstAndSkipsRemoved)
{
    writeEntry(QStringLiteral("alpha.desktop"), QStringLiteral("Alpha"), QStringLiteral("alpha %f"),
        QStringLiteral("image/png;"));
    writeEntry(QStringLiteral("beta.desktop"), QStringLiteral("Beta"), QStringLiteral("beta %u"),
        QStringLiteral("image/png;"));
    writeEntry(QStringLiteral("gamma.desktop"), QStringLiteral("Gamma"), QStringLiteral("gamma %f"),
        QStringLiteral("image/png;"));
    writeEntry(QStringLiteral("text.desktop"), QStringLiteral("Text"), QStringLiteral("text %f"),
        QStringLiteral("text/plain;"));
    QFile list(path(QStringLiteral("data/applications/mimeapps.list")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("[Default Applications]\nimage/png=gamma.desktop\n[Removed Associations]\nimage/png=beta.desktop\n");
    list.close();

    QStringList names;
    for (const DesktopApplication &app : DesktopApplications::applicationsForMimeType(QStringLiteral("image/png")))
        names << app.name;
    EXPECT_EQ(names, (QStringList { QStringLiteral("Gamma"), QStringLiteral("Alpha") }));
    EXPECT_TRUE(DesktopApplications::applicationsForMimeType(QStringLiteral("application/x-nothing")).isEmpty());
}

TEST_F(ShareActivitiesTest, ApplicationIconsComeFromAFileOrThePixmapsFolder)
{
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(path(QStringLiteral("own.png"))));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("data/pixmaps"))));
    ASSERT_TRUE(picture.save(path(QStringLiteral("data/pixmaps/legacy-viewer.png"))));
    const struct
    {
        QString icon;
        bool found;
    } cases[] = {
        { path(QStringLiteral("own.png")), true },
        { QStringLiteral("legacy-viewer"), true },
        { path(QStringLiteral("missing.png")), false },
        { QStringLiteral("no-such-icon-anywhere"), false },
        { QString(), false },
    };
    for (const auto &c : cases) {
        DesktopApplication app;
        app.iconName = c.icon;
        EXPECT_EQ(!DesktopApplications::icon(app).isNull(), c.found) << c.icon.toStdString();
    }
}

TEST_F(ShareActivitiesTest, LaunchPassesAnAwkwardFileNameAsOneArgument)
{
    const QString recorder = path(QStringLiteral("rec order.sh"));
    QFile script(recorder);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    const QString awkward = path(QStringLiteral("-it's \"a\" $(rm) file.png"));
    DesktopApplication app;
    app.name = QStringLiteral("Recorder");
    app.exec = QStringLiteral("\"%1\" --open %f").arg(recorder);

    const QStringList argv = DesktopApplications::commandLine(app, awkward);
    ASSERT_EQ(argv, (QStringList { recorder, QStringLiteral("--open"), awkward }));
    QProcess process;
    process.start(argv.first(), argv.mid(1));
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()),
        QStringLiteral("--open\n") + awkward + QStringLiteral("\n"));

    // Quoting as desktop entries write it; an unterminated quote is refused.
    EXPECT_EQ(DesktopApplications::splitExec(QStringLiteral("a \"b c\" \"d\\\"e\" f")),
        (QStringList { QStringLiteral("a"), QStringLiteral("b c"), QStringLiteral("d\"e"), QStringLiteral("f") }));
    bool ok = true;
    EXPECT_TRUE(DesktopApplications::splitExec(QStringLiteral("a \"b"), &ok).isEmpty());
    EXPECT_FALSE(ok);
}

TEST_F(ShareActivitiesTest, OurActivitiesReportTheirEndSoTheCompletionRuns)
{
    QFile(path(QStringLiteral("song.mp3"))).open(QIODevice::WriteOnly);
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    auto *ringtone = new ImportiTunesRingtoneActivity(root);
    auto *sheet
        = new ActivityViewController({ QVariant(QUrl::fromLocalFile(path(QStringLiteral("song.mp3")))) }, { ringtone });
    QStringList completions;
    sheet->setCompletionWithItemsHandler([&](const QString &type, bool completed) {
        completions << type + (completed ? QStringLiteral(" yes") : QStringLiteral(" no"));
    });
    root->present(sheet, true);
    settle();
    QPushButton *button = sheet->buttonFor(sheet->actions().first());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("Import as Ringtone"));
    EXPECT_FALSE(button->icon().isNull()) << "each action shows its symbol";
    button->click();
    settle();
    EXPECT_EQ(completions, QStringList { QStringLiteral("Tarnik.ImportiTunesRingtoneActivity yes") });
    auto *navigation = qobject_cast<NavigationController *>(root->presentedViewController());
    ASSERT_NE(navigation, nullptr);
    auto *editor = qobject_cast<ImportViewController *>(navigation->viewControllers().first());
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->importItem());
    EXPECT_EQ(editor->importItem()->mediaKind, MediaKind::ringtone);
}

TEST_F(ShareActivitiesTest, CancelRunsTheCompletionOnce)
{
    QFile(path(QStringLiteral("notes.xyz"))).open(QIODevice::WriteOnly);
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    auto *sheet = new ActivityViewController(
        { QVariant(QUrl::fromLocalFile(path(QStringLiteral("notes.xyz")))) }, { new OpenInActivity(nullptr, root) });
    int runs = 0;
    bool lastCompleted = true;
    sheet->setCompletionWithItemsHandler([&](const QString &, bool completed) {
        ++runs;
        lastCompleted = completed;
    });
    root->present(sheet, true);
    settle();
    sheet->tapAction(sheet->actions().last());
    settle();
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(lastCompleted);
}

} // namespace
