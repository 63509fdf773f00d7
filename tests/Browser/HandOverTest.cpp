#include "Controls/Loaders/LoaderView.h"
#include "App/MainStoryboard.h"
#include "ImportEditor/ImportViewController.h"
#include "BrowserSupport.h"
#include "Import/ImportItem.h"
#include "ImportEditor/ImportActivity.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Storyboard.h"
#include "App/IncomingDocuments.h"
#include "Import/Metadata.h"
#include "Support/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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


// A file handed over ends in the editor with its tags, whatever its format: one the player reads
// opens at once, one it cannot read (Ogg Vorbis, Opus) is offered the AAC copy and, once the user
// accepts, the hand-over goes on with the copy, as the kind it came with.
TEST_F(HandOverTest, HandedOverFilesEndInTheEditorWithTheirTags)
{
    namespace media = test::media;
    const QString inbox = Preferences::inboxPath();
    ASSERT_TRUE(QDir().mkpath(inbox));
    struct Case
    {
        const char *name;
        QStringList codec;
        bool converted;
        bool viaScheme;
        MediaKind kind;
    };
    const Case cases[] = {
        { "vorbis.ogg", media::args({ "-c:a", "libvorbis" }), true, false, MediaKind::song },
        { "opus.opus", media::args({ "-c:a", "libopus" }), true, false, MediaKind::song },
        { "plain.mp3", media::args({ "-id3v2_version", "3" }), false, false, MediaKind::song },
        { "scheme.ogg", media::args({ "-c:a", "libvorbis" }), true, true, MediaKind::ringtone },
    };
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    for (const Case &c : cases) {
        const QString name = QString::fromLatin1(c.name);
        const QString file = inbox + QLatin1Char('/') + name;
        const QString title = QStringLiteral("Title of ") + name;
        ASSERT_TRUE(media::makeTone(file, 1.0,
            c.codec + QStringList { QStringLiteral("-metadata"), QStringLiteral("title=") + title,
                QStringLiteral("-metadata"), QStringLiteral("artist=Ana") }))
            << c.name;
        if (c.viaScheme)
            level->importHandOver({ { QStringLiteral("filePath"), file } }, c.kind);
        else
            level->importReceivedFile(file);
        tick(1.0);
        if (c.converted) {
            AlertController *offer = nullptr;
            ASSERT_TRUE(waitUntil([&] {
                drainMainQueue();
                offer = presentedAlert(window->rootViewController());
                return offer != nullptr;
            })) << c.name;
            EXPECT_FALSE(editorItem(level).has_value()) << c.name << ": the offer comes first";
            offer->tapAction(offer->actions().last()); // "YES. Create it"
        }
        ASSERT_TRUE(waitUntil([&] {
            tick(0.05);
            return editorItem(level).has_value();
        }, std::chrono::seconds(20)))
            << c.name;
        const ImportItem item = *editorItem(level);
        const QString expectedPath = c.converted ? DirectoryViewController::convertedPath(file) : file;
        EXPECT_EQ(item.path, expectedPath) << c.name;
        EXPECT_TRUE(QFile::exists(expectedPath)) << c.name;
        EXPECT_EQ(item.mediaKind, c.kind) << c.name;
        // A received document's copy is in the inbox, so the editor may delete it on Cancel;
        // a scheme hand-over never is.
        EXPECT_EQ(item.isOpenIn, !c.viaScheme) << c.name;
        ASSERT_TRUE(item.metadata) << c.name;
        EXPECT_EQ(item.metadata->title.value_or(QString()), title) << c.name;
        EXPECT_EQ(item.metadata->artist.value_or(QString()), QStringLiteral("Ana")) << c.name;
        level->navigationController()->presentedViewController()
            ? level->navigationController()->dismiss(false)
            : level->dismiss(false);
        tick(0.5);
        ASSERT_FALSE(editorItem(level).has_value()) << c.name;
    }
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


// The inbox copy of a cancelled hand-over is deleted, so the next file of the same name gets the
// same inbox path: what is shown must be the file handed over now.
TEST_F(HandOverTest, TheSameInboxNameHandedOverTwiceShowsTheSongHandedOverEachTime)
{
    const struct
    {
        const char *folder;
        const char *title;
        int coverWidth;
    } songs[] = { { "a", "First Song", 20 }, { "b", "Second Song", 40 } };
    for (const auto &song : songs) {
        const QString folder = path(QString::fromLatin1(song.folder));
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(media::makePicture(folder + QStringLiteral("/cover.png"), song.coverWidth, 20));
        ASSERT_TRUE(media::makeToneWithCover(folder + QStringLiteral("/song.mp3"), folder + QStringLiteral("/cover.png"),
            0.3, { QStringLiteral("-metadata"), QStringLiteral("title=") + QString::fromLatin1(song.title) }));
    }
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    for (const auto &song : songs) {
        const std::optional<QString> copy = IncomingDocuments::copyIntoInbox(
            path(QString::fromLatin1(song.folder) + QStringLiteral("/song.mp3")), Preferences::inboxPath());
        ASSERT_TRUE(copy) << song.title;
        EXPECT_EQ(QFileInfo(*copy).fileName(), QStringLiteral("song.mp3")) << song.title;
        level->importReceivedFile(*copy);
        tick(1.0);
        ASSERT_TRUE(waitUntil([&] {
            drainMainQueue();
            return editorItem(level).has_value();
        })) << song.title;
        const ImportItem item = *editorItem(level);
        EXPECT_TRUE(item.isOpenIn);
        ASSERT_TRUE(item.metadata.has_value()) << song.title;
        EXPECT_EQ(item.metadata->title, QString::fromLatin1(song.title));
        EXPECT_EQ(item.metadata->artworkImage().size(), QSize(song.coverWidth, 20)) << song.title;

        auto *navigation = qobject_cast<NavigationController *>(level->presentedViewController()
                ? level->presentedViewController()
                : level->navigationController()->presentedViewController());
        ASSERT_NE(navigation, nullptr);
        auto *editor = qobject_cast<ImportViewController *>(navigation->viewControllers().first());
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->importItem()->metadata->title, QString::fromLatin1(song.title));
        editor->cancelButtonTapped();
        tick(1.0);
        ASSERT_TRUE(waitUntil([&] {
            drainMainQueue();
            return !editorItem(level).has_value();
        })) << song.title;
        EXPECT_FALSE(QFile::exists(*copy)) << "the cancelled editor removes its inbox copy";
    }
}

} // namespace
} // namespace tarnik::test
