#include "Entries/EntryViewModel.h"

#include "App/PathExtension.h"
#include "App/Preferences.h"
#include "Entries/Entry.h"
#include "Support/EntriesSupport.h"
#include "Support/MediaFixtures.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarnik;

namespace {

class EntryViewModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::resetEntrySettings();
        ASSERT_TRUE(m_dir.isValid());
    }

    // A row whose saved copy, if any, is removed unless keepSavedCopy.
    std::shared_ptr<EntryViewModel> row(const QString &name, EntryType type, bool keepSavedCopy = false)
    {
        const QString path = m_dir.filePath(name);
        // A row counts only for the file it was made from, so its file exists.
        if (type != EntryType::directory && !QFile::exists(path))
            EXPECT_TRUE(test::touch(path));
        const Entry entry(path, name, type, IndexPath { 0, 0 });
        auto viewModel = std::make_shared<EntryViewModel>(entry);
        if (!keepSavedCopy)
            QFile::remove(viewModel->persistentCachePath());
        return viewModel;
    }

    QTemporaryDir m_dir;
};

QJsonObject jsonOf(const EntryViewModel &viewModel)
{
    return QJsonDocument::fromJson(viewModel.encode()).object();
}

} // namespace

TEST_F(EntryViewModelTest, NewRowShowsTheNameAndItsTypesImages)
{
    ASSERT_TRUE(test::media::makeTone(m_dir.filePath(QStringLiteral("a.m4a")), 0.5));
    ASSERT_TRUE(test::media::makeVideo(m_dir.filePath(QStringLiteral("v.mp4")), 0.5, false));
    struct Case
    {
        QString name;
        EntryType type;
        QImage image;
        QImage accessory;
    };
    const Case cases[] = {
        { QStringLiteral("folder"), EntryType::directory, folderImage(), accessoryArrowImage() },
        { QStringLiteral("a.m4a"), EntryType::exportable, audioIcon(), accessoryMoreImage() },
        { QStringLiteral("v.mp4"), EntryType::exportable, videoIcon(), accessoryMoreImage() },
        { QStringLiteral("p.png"), EntryType::image, rasterImageIcon(), accessoryMoreImage() },
        { QStringLiteral("notes.txt"), EntryType::regular, genericFileImage(), QImage() },
    };
    for (const Case &c : cases) {
        auto viewModel = row(c.name, c.type);
        EXPECT_EQ(viewModel->title(), c.name);
        EXPECT_EQ(viewModel->url(), m_dir.filePath(c.name));
        EXPECT_EQ(viewModel->identifier(), PathExtension(m_dir.filePath(c.name)).identifier());
        EXPECT_EQ(viewModel->state(), UpdateState::new_);
        EXPECT_FALSE(viewModel->artist().has_value());
        EXPECT_FALSE(viewModel->extensionString().has_value());
        EXPECT_FALSE(viewModel->isUsingIconImage());
        EXPECT_FALSE(c.image.isNull()) << c.name.toStdString();
        EXPECT_EQ(viewModel->image(), c.image) << c.name.toStdString();
        EXPECT_EQ(viewModel->accessoryImage(), c.accessory) << c.name.toStdString();
    }
}

TEST_F(EntryViewModelTest, EncodedFormRoundTrips)
{
    auto viewModel = row(QStringLiteral("Song.mp3"), EntryType::regular);
    const QJsonObject json = jsonOf(*viewModel);
    EXPECT_EQ(json.value(QStringLiteral("type")).toInt(), 3);
    EXPECT_EQ(json.value(QStringLiteral("state")).toInt(), 0);
    EXPECT_TRUE(json.value(QStringLiteral("artist")).isNull()) << "an absent artist is written as null";
    EXPECT_TRUE(json.contains(QStringLiteral("artist")));
    EXPECT_TRUE(json.value(QStringLiteral("extensionString")).isNull());
    EXPECT_TRUE(json.value(QStringLiteral("imageData")).isString());

    viewModel->setArtist(QStringLiteral("Band"));
    viewModel->setExtensionString(QStringLiteral("MP3"));
    auto decoded = EntryViewModel::decode(viewModel->encode());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->identifier(), viewModel->identifier());
    EXPECT_EQ(decoded->url(), viewModel->url());
    EXPECT_EQ(decoded->type(), EntryType::regular);
    EXPECT_EQ(decoded->title(), QStringLiteral("Song.mp3"));
    EXPECT_EQ(decoded->artist(), QStringLiteral("Band"));
    EXPECT_EQ(decoded->extensionString(), QStringLiteral("MP3"));
    EXPECT_EQ(decoded->image().size(), viewModel->image().size());
    EXPECT_TRUE(decoded->accessoryImage().isNull());
    EXPECT_FALSE(decoded->isUsingIconImage());
}

TEST_F(EntryViewModelTest, DecodingRejectsMissingOrMalformedRequiredKeys)
{
    auto viewModel = row(QStringLiteral("x.txt"), EntryType::regular);
    const QJsonObject good = jsonOf(*viewModel);
    struct Case
    {
        const char *what;
        QString key;
        QJsonValue value; // Undefined removes the key
        bool decodes;
    };
    const Case cases[] = {
        { "no imageData", QStringLiteral("imageData"), QJsonValue(QJsonValue::Undefined), false },
        { "null imageData", QStringLiteral("imageData"), QJsonValue(QJsonValue::Null), false },
        { "no identifier", QStringLiteral("identifier"), QJsonValue(QJsonValue::Undefined), false },
        { "type out of range", QStringLiteral("type"), 4, false },
        { "state out of range", QStringLiteral("state"), -1, false },
        { "fractional type", QStringLiteral("type"), 1.5, false },
        { "title not text", QStringLiteral("title"), 7, false },
        { "artist of the wrong kind", QStringLiteral("artist"), 12, true },
        { "no extensionString", QStringLiteral("extensionString"), QJsonValue(QJsonValue::Undefined), true },
        { "imageData not an image", QStringLiteral("imageData"), QStringLiteral("AAAA"), true },
    };
    for (const Case &c : cases) {
        QJsonObject json = good;
        if (c.value.isUndefined())
            json.remove(c.key);
        else
            json.insert(c.key, c.value);
        auto decoded = EntryViewModel::decode(QJsonDocument(json).toJson());
        EXPECT_EQ(bool(decoded), c.decodes) << c.what;
        if (decoded && c.key == QLatin1String("artist")) {
            EXPECT_FALSE(decoded->artist().has_value()) << c.what;
        }
    }
    EXPECT_FALSE(EntryViewModel::decode("not json"));
    EXPECT_FALSE(EntryViewModel::decode("[1,2]"));
}

TEST_F(EntryViewModelTest, UpdatedRowsEnterTheMemoryCacheAndOnlyFilesGoToDisk)
{
    Preferences::setUsePersistentCache(true);
    auto folder = row(QStringLiteral("dir"), EntryType::directory);
    folder->setState(UpdateState::updated);
    EXPECT_EQ(viewModelCache().object(folder->identifier()), folder);

    auto file = row(QStringLiteral("notes.txt"), EntryType::regular);
    file->setState(UpdateState::updating);
    EXPECT_FALSE(viewModelCache().object(file->identifier()));
    file->setState(UpdateState::updated);
    EXPECT_EQ(viewModelCache().object(file->identifier()), file);
    ASSERT_TRUE(test::waitUntil([&] { return file->isCached(); }));

    // Folder rows are never written; wait for the file row's write, queued after it, first.
    EXPECT_FALSE(QFile::exists(folder->persistentCachePath()));

    Preferences::setUsePersistentCache(false);
    EXPECT_FALSE(file->isCached()) << "with the setting off nothing counts as cached";
    int calls = 0;
    file->loadFromPersistentCache([&](const std::shared_ptr<EntryViewModel> &) { ++calls; });
    test::drainMainQueue();
    EXPECT_EQ(calls, 0);
}

TEST_F(EntryViewModelTest, SavedCopyComesBackWithTheAskersAccessory)
{
    Preferences::setUsePersistentCache(true);
    auto saved = row(QStringLiteral("pic.png"), EntryType::image);
    saved->setTitle(QStringLiteral("pic"));
    saved->setState(UpdateState::updated);
    ASSERT_TRUE(test::waitUntil([&] { return saved->isCached(); }));
    viewModelCache().removeAllObjects();

    auto asker = row(QStringLiteral("pic.png"), EntryType::image, true);
    ASSERT_TRUE(asker->isCached());
    std::shared_ptr<EntryViewModel> copy;
    bool called = false;
    asker->loadFromPersistentCache([&](const std::shared_ptr<EntryViewModel> &loaded) {
        copy = loaded;
        called = true;
    });
    ASSERT_TRUE(test::waitUntil([&] { return called; }));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, asker);
    EXPECT_EQ(copy->title(), QStringLiteral("pic"));
    EXPECT_EQ(copy->state(), UpdateState::updated);
    EXPECT_EQ(copy->accessoryImage(), asker->accessoryImage());
    EXPECT_TRUE(test::waitUntil([&] { return viewModelCache().object(asker->identifier()) == copy; }));
}

TEST_F(EntryViewModelTest, UnusableSavedCopiesReportNothingInsteadOfHanging)
{
    Preferences::setUsePersistentCache(true);
    auto asker = row(QStringLiteral("song.mp3"), EntryType::regular);
    QJsonObject json = jsonOf(*asker);
    json.insert(QStringLiteral("state"), 1);

    struct Case
    {
        const char *what;
        QByteArray bytes;
    };
    QJsonObject withoutImage = json;
    withoutImage.insert(QStringLiteral("imageData"), QJsonValue(QJsonValue::Null));
    QJsonObject otherPath = json;
    otherPath.insert(QStringLiteral("url"), QStringLiteral("/another/song.mp3"));
    const Case cases[] = {
        { "a row saved without an image", QJsonDocument(withoutImage).toJson() },
        { "a row of another path with the same identifier", QJsonDocument(otherPath).toJson() },
        { "bytes that are no row", QByteArray("garbage") },
    };
    for (const Case &c : cases) {
        QFile file(asker->persistentCachePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        ASSERT_TRUE(asker->isCached());
        bool called = false;
        std::shared_ptr<EntryViewModel> copy = asker;
        asker->loadFromPersistentCache([&](const std::shared_ptr<EntryViewModel> &loaded) {
            copy = loaded;
            called = true;
        });
        ASSERT_TRUE(test::waitUntil([&] { return called; })) << c.what;
        EXPECT_FALSE(copy) << c.what;
    }
}
