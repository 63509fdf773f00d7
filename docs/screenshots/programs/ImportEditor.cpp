// Draws the import editor for the documentation: a generated song with its
// tags and cover art, opened in the editor in the window as the app opens it,
// into the PNG TARNIK_IMPORT_EDITOR_SCREENSHOT names, then the editor's menu of
// kinds open, into kinds-menu.png beside it
// (docs/screenshots/take-import-editor.sh runs it under Xvfb).

#include "App/MetadataReader.h"
#include "Controls/NavigationBarStyle.h"
#include "ImportEditor/ImportViewController.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/NavigationController.h"
#include "Support/AppWindow.h"
#include "Support/MediaFixtures.h"
#include "Support/UiTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace tarnik;

namespace {

using ImportEditorScreenshot = test::ScreenTest;

TEST_F(ImportEditorScreenshot, Take)
{
    const QString target = qEnvironmentVariable("TARNIK_IMPORT_EDITOR_SCREENSHOT");
    if (target.isEmpty())
        FAIL() << "set TARNIK_IMPORT_EDITOR_SCREENSHOT to take the picture";
    QTemporaryDir folder;
    const QString cover = folder.filePath(QStringLiteral("cover.png"));
    const QString song = folder.filePath(QStringLiteral("Night Drive.mp3"));
    ASSERT_TRUE(test::media::runFfmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("gradients=s=600x600:c0=0x203a6b:c1=0xe07a3f:duration=1"), QStringLiteral("-frames:v"),
        QStringLiteral("1"), cover }));
    ASSERT_TRUE(test::media::makeToneWithCover(song, cover, 3.0,
        { QStringLiteral("-metadata"), QStringLiteral("title=Night Drive"), QStringLiteral("-metadata"),
            QStringLiteral("artist=The Harbour Lights"), QStringLiteral("-metadata"), QStringLiteral("album=Coastline"),
            QStringLiteral("-metadata"), QStringLiteral("genre=Synthwave"), QStringLiteral("-metadata"),
            QStringLiteral("track=4"), QStringLiteral("-metadata"), QStringLiteral("date=2019") }));

    Dispatch::VirtualClock clock;
    window = test::openWindowAsTheApp();
    NavigationBarStyle::install();
    auto *presenter = new test::RecordingViewController;
    window->setRootViewController(presenter);
    auto *editor = new ImportViewController;
    editor->setImportItem(ImportItem(MediaKind::song, song, Metadata::fromDictionary(MetadataReader::metadataDictionary(song))));
    presenter->present(new NavigationController(editor), false);
    const auto run = [&clock](double seconds) {
        for (int i = 0; i < int(seconds / 0.02); ++i) {
            QCoreApplication::processEvents();
            clock.advance(0.02);
            AnimationDriver::shared().advance(0.02);
        }
    };
    run(1.0);
    // Scroll so the artwork, the tools and the first fields show together.
    editor->tableView()->setContentOffset(QPointF(0, 180));
    QCoreApplication::processEvents();
    ASSERT_TRUE(window->grab().save(target));

    // The menu of kinds, from the title, the song's kind marked.
    editor->tableView()->setContentOffset(QPointF(0, 0));
    editor->presentDropdownMenu();
    run(1.5);
    ASSERT_TRUE(window->grab().save(QFileInfo(target).dir().filePath(QStringLiteral("kinds-menu.png"))));
    NavigationController::setViewDidLoadHook({});
}

} // namespace
