#include "Entries/EntryViewModelOperation.h"

#include "App/Preferences.h"
#include "Entries/Entry.h"
#include "Entries/EntryImages.h"
#include "Entries/EntryViewModel.h"
#include "Entries/FileTypes.h"
#include "Support/EntriesSupport.h"
#include "Support/MediaFixtures.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tarnik;

namespace {

class EntryViewModelOperationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::resetEntrySettings();
        ASSERT_TRUE(m_dir.isValid());
    }

    std::shared_ptr<EntryViewModel> row(const QString &name, EntryType type)
    {
        const QString path = m_dir.filePath(name);
        return std::make_shared<EntryViewModel>(Entry(path, name, type, IndexPath { 0, 0 }));
    }

    // Runs the operation as the update queue would and waits for its commit on the GUI thread.
    // Returns how often the completion handler was called.
    int run(const std::shared_ptr<EntryViewModelOperation> &operation)
    {
        int calls = 0;
        operation->setCompletionHandler([&](const std::shared_ptr<EntryViewModel> &loaded) {
            EXPECT_EQ(loaded, operation->viewModel());
            ++calls;
        });
        operation->start();
        test::drainMainQueue();
        return calls;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(EntryViewModelOperationTest, CancelledBeforeItStartsChangesNothing)
{
    auto viewModel = row(QStringLiteral("a.txt"), EntryType::regular);
    const QImage before = viewModel->image();
    auto operation = std::make_shared<EntryViewModelOperation>(viewModel);
    operation->cancel();
    EXPECT_EQ(run(operation), 0);
    EXPECT_EQ(viewModel->state(), UpdateState::new_);
    EXPECT_EQ(viewModel->title(), QStringLiteral("a.txt"));
    EXPECT_EQ(viewModel->image(), before);
    EXPECT_FALSE(viewModel->extensionString().has_value());
}

TEST_F(EntryViewModelOperationTest, CancelledWhileReadingKeepsOnlyThePicture)
{
    ASSERT_TRUE(test::media::makePicture(m_dir.filePath(QStringLiteral("p.png")), 256, 256));
    auto viewModel = row(QStringLiteral("p.png"), EntryType::image);
    auto operation = std::make_shared<EntryViewModelOperation>(viewModel);
    int calls = 0;
    operation->setCompletionHandler([&](const std::shared_ptr<EntryViewModel> &) { ++calls; });
    operation->start();
    // The load is done; the commit waits on the GUI thread, where the cancel arrives first.
    operation->cancel();
    test::drainMainQueue();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(viewModel->image().size(), QSize(128, 128));
    EXPECT_EQ(viewModel->state(), UpdateState::new_);
    EXPECT_EQ(viewModel->title(), QStringLiteral("p.png"));
    EXPECT_FALSE(viewModel->extensionString().has_value());
}

TEST_F(EntryViewModelOperationTest, RowsGetTheirPictureTitleAndBadge)
{
    ASSERT_TRUE(test::media::makeTone(m_dir.filePath(QStringLiteral("song.mp3")), 0.5));
    ASSERT_TRUE(test::media::makePicture(m_dir.filePath(QStringLiteral("wide.jpg")), 1000, 500));
    ASSERT_TRUE(test::touch(m_dir.filePath(QStringLiteral("README"))));
    ASSERT_TRUE(test::touch(m_dir.filePath(QStringLiteral("notes.TXT"))));

    struct Case
    {
        QString name;
        EntryType type;
        QString title;
        std::optional<QString> badge;
        QSize imageSize;
        bool usesIcon;
    };
    const Case cases[] = {
        // Audio without artwork: the type icon, marked as such; the listed extension leaves the title.
        { QStringLiteral("song.mp3"), EntryType::exportable, QStringLiteral("song"), QStringLiteral("MP3"),
            QSize(128, 128), true },
        { QStringLiteral("wide.jpg"), EntryType::image, QStringLiteral("wide"), QStringLiteral("JPG"), QSize(128, 64),
            false },
        { QStringLiteral("README"), EntryType::regular, QStringLiteral("README"), QString(), QSize(128, 128), false },
        { QStringLiteral("notes.TXT"), EntryType::regular, QStringLiteral("notes"), QStringLiteral("TXT"),
            QSize(128, 128), false },
        // A folder: no picture, title and badge untouched, still updated.
        { QStringLiteral("dir.mp3"), EntryType::directory, QStringLiteral("dir.mp3"), std::nullopt,
            folderImage().size(), false },
    };
    for (const Case &c : cases) {
        auto viewModel = row(c.name, c.type);
        auto operation = std::make_shared<EntryViewModelOperation>(viewModel);
        EXPECT_EQ(operation->identifier(), viewModel->identifier());
        EXPECT_EQ(run(operation), 1) << c.name.toStdString();
        EXPECT_EQ(viewModel->state(), UpdateState::updated) << c.name.toStdString();
        EXPECT_EQ(viewModel->title(), c.title) << c.name.toStdString();
        EXPECT_EQ(viewModel->extensionString(), c.badge) << c.name.toStdString();
        EXPECT_EQ(viewModel->image().size(), c.imageSize) << c.name.toStdString();
        EXPECT_EQ(viewModel->isUsingIconImage(), c.usesIcon) << c.name.toStdString();
        EXPECT_EQ(viewModelCache().object(viewModel->identifier()), viewModel) << c.name.toStdString();
    }
}

TEST_F(EntryViewModelOperationTest, ThumbnailSettingsFallBackToTheTypeIcon)
{
    ASSERT_TRUE(test::media::makePicture(m_dir.filePath(QStringLiteral("p.png")), 64, 32));
    ASSERT_TRUE(test::media::makeVideo(m_dir.filePath(QStringLiteral("v.mp4")), 1.0, false));

    Preferences::setShowImageThumbnail(false);
    auto image = row(QStringLiteral("p.png"), EntryType::image);
    run(std::make_shared<EntryViewModelOperation>(image));
    EXPECT_EQ(image->image(), FileTypes::icon(image->url(), 128));
    EXPECT_FALSE(image->isUsingIconImage());

    Preferences::setShowVideoThumbnail(false);
    auto video = row(QStringLiteral("v.mp4"), EntryType::exportable);
    run(std::make_shared<EntryViewModelOperation>(video));
    EXPECT_EQ(video->image(), FileTypes::icon(video->url(), 128));
    EXPECT_TRUE(video->isUsingIconImage());

    Preferences::setShowVideoThumbnail(true);
    auto still = row(QStringLiteral("v.mp4"), EntryType::exportable);
    run(std::make_shared<EntryViewModelOperation>(still));
    EXPECT_FALSE(still->isUsingIconImage());
    EXPECT_NE(still->image(), FileTypes::icon(still->url(), 128));
    EXPECT_EQ(still->image().width(), 128);
}

TEST_F(EntryViewModelOperationTest, MissingAndOddFilesStillFinish)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("pipe.png"))).constData(), 0600), 0);
    struct Case
    {
        QString name;
        EntryType type;
    };
    const Case cases[] = {
        { QStringLiteral("gone.mp3"), EntryType::exportable },
        { QStringLiteral("gone.png"), EntryType::image },
        { QStringLiteral("pipe.png"), EntryType::image },
        { QStringLiteral("pipe.png"), EntryType::exportable },
    };
    for (const Case &c : cases) {
        auto viewModel = row(c.name, c.type);
        EXPECT_EQ(run(std::make_shared<EntryViewModelOperation>(viewModel)), 1) << c.name.toStdString();
        EXPECT_EQ(viewModel->state(), UpdateState::updated);
        EXPECT_FALSE(viewModel->image().isNull());
    }
}
