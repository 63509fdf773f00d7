#include "Browser/PreviewDataSource.h"
#include "Browser/PreviewItem.h"
#include "Support/MediaFixtures.h"
#include "Platform/UI/PreviewController.h"
#include "Support/UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QTemporaryDir>
#include <QToolButton>

#include <sys/stat.h>

namespace tarnik::test {
namespace {

class PreviewTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        PreviewController::setPauseOtherPlayback([this] { ++pauses; });
    }
    void TearDown() override
    {
        PreviewController::setPauseOtherPlayback({});
        ScreenTest::TearDown();
    }
    QString path(const QString &name) const { return dir.path() + QLatin1Char('/') + name; }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        EXPECT_TRUE(media::writeFile(path(name), bytes));
        return path(name);
    }
    QTemporaryDir dir;
    int pauses = 0;
};

TEST_F(PreviewTest, EachKindOfFileGetsItsPage)
{
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.save(path(QStringLiteral("photo.png")));
    write(QStringLiteral("drawing.svg"),
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><rect width=\"10\" height=\"10\"/></svg>");
    write(QStringLiteral("notes.txt"), "hello\n");
    {
        QPdfWriter pdf(path(QStringLiteral("paper.pdf")));
        QPainter painter(&pdf);
        painter.drawText(100, 100, QStringLiteral("page"));
    }
    write(QStringLiteral("broken.pdf"), "%PDF-1.4\nthis is not really a document");
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("tone.mp3")), 0.3));
    write(QStringLiteral("blob.bin"), QByteArray(16, '\0') + media::noise(64));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("x.mp3"))).constData(), 0644), 0);

    const struct
    {
        const char *name;
        PreviewController::Kind kind;
        const char *page;
    } rows[] = {
        { "photo.png", PreviewController::Kind::image, "PreviewImage" },
        { "drawing.svg", PreviewController::Kind::image, "PreviewImage" },
        { "notes.txt", PreviewController::Kind::text, "PreviewText" },
        { "paper.pdf", PreviewController::Kind::pdf, "PreviewPdf" },
        { "broken.pdf", PreviewController::Kind::other, "PreviewCard" },
        { "tone.mp3", PreviewController::Kind::media, "PreviewPlay" },
        { "blob.bin", PreviewController::Kind::other, "PreviewCard" },
        { "x.mp3", PreviewController::Kind::other, "PreviewCard" },
        { "missing.txt", PreviewController::Kind::other, "PreviewCard" },
    };
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    for (const auto &row : rows) {
        const QString name = QString::fromLatin1(row.name);
        PreviewDataSource source(std::make_shared<PreviewItem>(QUrl::fromLocalFile(path(name)), std::nullopt));
        auto *preview = new PreviewController;
        preview->setDataSource(&source);
        root->present(preview, false);
        settle();
        EXPECT_EQ(int(preview->currentKind()), int(row.kind)) << row.name;
        QWidget *content = preview->currentContent();
        ASSERT_NE(content, nullptr);
        const bool found = content->objectName() == QLatin1String(row.page)
            || content->findChild<QWidget *>(QString::fromLatin1(row.page));
        EXPECT_TRUE(found) << row.name;
        EXPECT_EQ(preview->view()->findChild<QLabel *>(QStringLiteral("PreviewTitle"))->text(), name)
            << "no title: the file's name";
        root->dismiss(false);
        settle();
    }
}

TEST_F(PreviewTest, TextIsUtf8OrLatin1AndCutAfterOneMebibyte)
{
    EXPECT_EQ(PreviewController::readText(write(QStringLiteral("u.txt"), "gr\xc3\xbc\xc3\x9f"))->text, QStringLiteral("grüß"));
    EXPECT_EQ(PreviewController::readText(write(QStringLiteral("l.txt"), "gr\xfc\xdf"))->text, QStringLiteral("grüß"));

    // A huge file (sparse, so it costs no disk) is read only up to the limit.
    const QString huge = path(QStringLiteral("huge.txt"));
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(10, 'a'));
        ASSERT_TRUE(file.resize(qint64(2) * 1024 * 1024 * 1024));
    }
    const auto text = PreviewController::readText(huge);
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->truncated);
    EXPECT_EQ(text->text.size(), PreviewController::kTextLimit);
    EXPECT_FALSE(PreviewController::readText(write(QStringLiteral("small.txt"), "x"))->truncated);

    // A character cut by the limit does not turn the text into Latin-1.
    const QByteArray cut = QByteArray(9, 'a') + "\xc3\xbc";
    const auto nearLimit = PreviewController::readText(write(QStringLiteral("cut.txt"), cut), 10);
    EXPECT_EQ(nearLimit->text, QString(9, QLatin1Char('a')));

    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.txt"))).constData(), 0644), 0);
    EXPECT_FALSE(PreviewController::readText(path(QStringLiteral("pipe.txt"))).has_value());
    EXPECT_FALSE(PreviewController::readText(dir.path()).has_value());
}

TEST_F(PreviewTest, LargePicturesAreScaledDownForDisplay)
{
    QImage wide(5000, 50, QImage::Format_RGB32);
    wide.fill(Qt::green);
    ASSERT_TRUE(wide.save(path(QStringLiteral("wide.png"))));
    const QImage shown = PreviewController::readImage(path(QStringLiteral("wide.png")));
    EXPECT_EQ(shown.width(), PreviewController::kMaximumImageSide);
    EXPECT_NEAR(shown.height(), 41, 1);
}

TEST_F(PreviewTest, LongLinesAreBrokenAndBinaryIsShownAsSuch)
{
    const struct
    {
        QString text;
        QList<qsizetype> lineLengths;
    } rows[] = {
        { QStringLiteral("short\nlines"), { 5, 5 } },
        { QString(4500, u'x'), { 2000, 2000, 500 } },
        { QString(1999, u'x') + QStringLiteral("\U0001F600"), { 1999, 2 } }, // a pair is never split
        { QStringLiteral("a\n") + QString(2000, u'y'), { 1, 2000 } },
    };
    for (const auto &row : rows) {
        bool broke = false;
        const QStringList lines = PreviewController::withBoundedLines(row.text, &broke).split(u'\n');
        QList<qsizetype> lengths;
        for (const QString &line : lines)
            lengths.append(line.size());
        EXPECT_EQ(lengths, row.lineLengths);
        EXPECT_EQ(broke, row.lineLengths.size() != row.text.count(u'\n') + 1);
    }

    // 2 MB of NUL bytes; a 200 MB file of one line (written for its first mebibyte, a hole after).
    write(QStringLiteral("zeros.txt"), QByteArray(2 * 1024 * 1024, '\0'));
    {
        QFile file(path(QStringLiteral("one line.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(PreviewController::kTextLimit + 16, 'x'));
        ASSERT_TRUE(file.resize(qint64(200) * 1024 * 1024));
    }
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    const auto show = [&](const QString &name) {
        auto source = std::make_shared<PreviewDataSource>(
            std::make_shared<PreviewItem>(QUrl::fromLocalFile(path(name)), std::nullopt));
        auto *preview = new PreviewController;
        preview->setDataSource(source.get());
        root->present(preview, false);
        settle();
        return std::make_pair(preview, source);
    };

    auto [binary, binarySource] = show(QStringLiteral("zeros.txt"));
    EXPECT_EQ(binary->currentKind(), PreviewController::Kind::other);
    bool said = false;
    for (const QLabel *label : binary->currentContent()->findChildren<QLabel *>())
        said = said || label->text().contains(QStringLiteral("binary"));
    EXPECT_TRUE(said);
    root->dismiss(false);
    settle();

    auto [text, textSource] = show(QStringLiteral("one line.txt"));
    auto *edit = text->currentContent()->findChild<QPlainTextEdit *>(QStringLiteral("PreviewText"));
    ASSERT_NE(edit, nullptr);
    const QTextDocument *document = edit->document();
    EXPECT_EQ(document->blockCount(), PreviewController::kTextLimit / PreviewController::kMaximumLineLength + 1);
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        ASSERT_LE(block.length() - 1, PreviewController::kMaximumLineLength);
    EXPECT_NE(text->currentContent()->findChild<QLabel *>(QStringLiteral("PreviewTruncated")), nullptr);
    root->dismiss(false);
    settle();
}

TEST_F(PreviewTest, KernelFilesAreNeverReadForSniffing)
{
    // "/proc/kmsg" would block the reader; these answer, but are not files to read all the same.
    for (const char *file : { "/proc/self/status", "/proc/version", "/sys/kernel/mm/transparent_hugepage/enabled" }) {
        const QString name = QString::fromLatin1(file);
        EXPECT_EQ(PreviewController::kindOf(name), PreviewController::Kind::other) << file;
        EXPECT_FALSE(PreviewController::readText(name).has_value()) << file;
    }
}

TEST_F(PreviewTest, AnEnormousPictureIsRefusedOffTheGuiThread)
{
    ASSERT_TRUE(media::makeHugePng(path(QStringLiteral("huge.png")), 30000));
    EXPECT_TRUE(PreviewController::readImage(path(QStringLiteral("huge.png"))).isNull());

    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    PreviewDataSource source(std::make_shared<PreviewItem>(QUrl::fromLocalFile(path(QStringLiteral("huge.png"))), std::nullopt));
    auto *preview = new PreviewController;
    preview->setDataSource(&source);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(0);
    root->present(preview, false);
    // The page is there at once; the picture, refused, turns it into the card.
    EXPECT_EQ(preview->currentKind(), PreviewController::Kind::image);
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview->currentKind() == PreviewController::Kind::other; }, 20000));
    EXPECT_GT(ticks, 0) << "the GUI answered meanwhile";
    EXPECT_EQ(preview->currentContent()->objectName(), QStringLiteral("PreviewCard"));
    root->dismiss(false);
    settle();
}

class ListSource : public PreviewControllerDataSource
{
public:
    QList<std::shared_ptr<PreviewItem>> items;
    int numberOfPreviewItems(PreviewController *) override { return int(items.size()); }
    PreviewControllerItem *previewItem(PreviewController *, int index) override { return items.value(index).get(); }
};

TEST_F(PreviewTest, PagesBetweenItemsAndPausesOtherPlayback)
{
    write(QStringLiteral("a.txt"), "a");
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("b.mp3")), 0.3));
    ListSource source;
    source.items = { std::make_shared<PreviewItem>(QUrl::fromLocalFile(path(QStringLiteral("a.txt"))), QStringLiteral("First")),
        std::make_shared<PreviewItem>(QUrl::fromLocalFile(path(QStringLiteral("b.mp3"))), std::nullopt) };
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    auto *preview = new PreviewController;
    preview->setDataSource(&source);
    root->present(preview, false);
    settle();
    auto *title = preview->view()->findChild<QLabel *>(QStringLiteral("PreviewTitle"));
    EXPECT_EQ(title->text(), QStringLiteral("First"));
    auto buttons = preview->view()->findChildren<QToolButton *>();
    QToolButton *next = nullptr;
    for (QToolButton *b : buttons)
        if (b->accessibleName() == QLatin1String("Next"))
            next = b;
    ASSERT_NE(next, nullptr);
    next->click();
    EXPECT_EQ(preview->currentPreviewItemIndex(), 1);
    EXPECT_EQ(preview->currentKind(), PreviewController::Kind::media);
    EXPECT_FALSE(next->isEnabled());
    auto *play = preview->currentContent()->findChild<QToolButton *>(QStringLiteral("PreviewPlay"));
    ASSERT_NE(play, nullptr);
    play->click();
    EXPECT_EQ(pauses, 1);
}

TEST(PreviewDataSourceTest, OneItemWhateverTheIndex)
{
    auto item = std::make_shared<PreviewItem>(QUrl::fromLocalFile(QStringLiteral("/x")), std::nullopt);
    PreviewDataSource source(item);
    EXPECT_EQ(source.numberOfPreviewItems(nullptr), 1);
    EXPECT_EQ(source.previewItem(nullptr, 0), item.get());
    EXPECT_EQ(source.previewItem(nullptr, 7), item.get());
    EXPECT_EQ(item->previewItemTitle(), std::nullopt);
}

} // namespace
} // namespace tarnik::test
