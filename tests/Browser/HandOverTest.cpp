#include "Controls/Loaders/LoaderView.h"
#include "App/MainStoryboard.h"
#include "ImportEditor/ImportViewController.h"
#include "BrowserSupport.h"
#include "Import/ImportItem.h"
#include "ImportEditor/ImportActivity.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Storyboard.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <sys/stat.h>

namespace tarnik::test {
namespace {

class HandOverTest : public BrowserTest
{
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        Storyboard::registerFactory(
            MainStoryboard::kName, ImportActivity::editorIdentifier, [] { return new ImportViewController; });
    }
    void TearDown() override
    {
        Storyboard::unregisterFactory(MainStoryboard::kName, ImportActivity::editorIdentifier);
        BrowserTest::TearDown();
    }
    // The item the editor was opened with, if it was.
    static std::optional<ImportItem> editorItem(ViewController *level)
    {
        ViewController *shown = level->presentedViewController();
        if (!shown && level->navigationController())
            shown = level->navigationController()->presentedViewController();
        auto *navigation = qobject_cast<NavigationController *>(shown);
        if (!navigation || navigation->viewControllers().isEmpty())
            return std::nullopt;
        auto *editor = qobject_cast<ImportViewController *>(navigation->viewControllers().first());
        return editor ? editor->importItem() : std::nullopt;
    }
};

TEST_F(HandOverTest, OnlyReadableFilesOpenTheEditor)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.mp3"))).constData(), 0644), 0);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("folder.mp3"))));
    QFile empty(path(QStringLiteral("empty.mp3")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    const QStringList refused { path(QStringLiteral("pipe.mp3")), path(QStringLiteral("folder.mp3")),
        path(QStringLiteral("missing.mp3")),
        // No media and no picture: a plain file has no metadata to import.
        path(QStringLiteral("empty.mp3")) };
    for (const QString &file : refused) {
        level->importReceivedFile(file);
        level->importHandOver({ { QStringLiteral("filePath"), file } }, MediaKind::song);
        tick(1.0);
        EXPECT_FALSE(editorItem(level).has_value()) << qPrintable(file);
    }
    level->importHandOver({ { QStringLiteral("title"), QStringLiteral("No path") } }, MediaKind::song);
    tick(1.0);
    EXPECT_FALSE(editorItem(level).has_value());
}

TEST_F(HandOverTest, AHandOverOpensTheEditorWithItsKindAndNeverMarksTheUsersFileForDeletion)
{
    ASSERT_TRUE(QImage(8, 8, QImage::Format_RGB32).save(path(QStringLiteral("pic.png"))));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    level->importHandOver({ { QStringLiteral("filePath"), path(QStringLiteral("pic.png")) } }, MediaKind::ringtone);
    tick(1.0);
    ASSERT_TRUE(waitUntil([&] {
        drainMainQueue();
        return editorItem(level).has_value();
    }));
    const ImportItem item = *editorItem(level);
    EXPECT_EQ(item.mediaKind, MediaKind::ringtone);
    EXPECT_EQ(item.path, path(QStringLiteral("pic.png")));
    EXPECT_FALSE(item.isOpenIn);
}

TEST_F(HandOverTest, AReceivedFileOutsideTheInboxIsNotTheEditorsToDelete)
{
    ASSERT_TRUE(QImage(8, 8, QImage::Format_RGB32).save(path(QStringLiteral("pic.png"))));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    level->importReceivedFile(path(QStringLiteral("pic.png")));
    tick(1.0);
    ASSERT_TRUE(waitUntil([&] {
        drainMainQueue();
        return editorItem(level).has_value();
    }));
    EXPECT_EQ(editorItem(level)->mediaKind, MediaKind::song);
    EXPECT_FALSE(editorItem(level)->isOpenIn);
}


// While a handed-over file is copied into the inbox the level is covered by its loader, and the loader
// comes down when the copy ends.
TEST_F(HandOverTest, TheLoaderCoversTheLevelWhileAHandedOverFileIsCopied)
{
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    tick(1.0);
    BrowserLevel *shellSide = level;
    shellSide->showCopyProgress(true);
    tick(0.5);
    LoaderView *loader = level->loaderView();
    ASSERT_NE(loader, nullptr);
    EXPECT_TRUE(loader->isVisible());
    EXPECT_EQ(loader->parentWidget(), level->view());
    shellSide->showCopyProgress(false);
    tick(1.0);
    EXPECT_FALSE(loader->isVisible() && loader->parentWidget() == level->view());
}

} // namespace
} // namespace tarnik::test
