#include "BrowserSupport.h"

#include "Browser/EntryCellDelegate.h"
#include "Browser/EntryImageView.h"
#include "Browser/FooterReusableView.h"
#include "Browser/PaddedLabel.h"
#include "Browser/Visualizer.h"
#include "Entries/EntryViewModel.h"
#include "Platform/UI/View.h"

#include <QLabel>
#include <QToolButton>

namespace tarnik::test {
namespace {

class CellTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        resetEntrySettings();
        EntryCell::refreshThumbnailSettings();
        clock = std::make_unique<Dispatch::VirtualClock>();
        cell = std::make_unique<EntryCell>(Layout::list);
        cell->resize(360, 88);
    }
    void TearDown() override
    {
        cell.reset();
        Preferences::clearNowPlaying(Preferences::nowPlaying().identifier.value_or(QString()));
        clock.reset();
        ScreenTest::TearDown();
    }
    void tick(double seconds)
    {
        for (double t = 0; t < seconds - 1e-9; t += 0.05) {
            clock->advance(0.05);
            AnimationDriver::shared().advance(0.05);
        }
    }
    static std::shared_ptr<EntryViewModel> row(const QString &name, EntryType type, bool loaded, bool icon = false)
    {
        const Entry entry(QStringLiteral("/music/") + name, name, type, IndexPath {});
        auto viewModel = std::make_shared<EntryViewModel>(entry, false);
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(Qt::blue);
        viewModel->setImage(image);
        viewModel->setIsUsingIconImage(icon);
        if (loaded)
            viewModel->setState(UpdateState::updated);
        return viewModel;
    }
    void show(const std::shared_ptr<EntryViewModel> &viewModel, bool editing = false, Layout layout = Layout::list)
    {
        cell->prepareForReuse();
        cell->setIdentifier(viewModel->identifier());
        cell->configure(viewModel, layout, editing, false);
    }

    std::unique_ptr<Dispatch::VirtualClock> clock;
    std::unique_ptr<EntryCell> cell;
};

TEST_F(CellTest, EditModeDimsWhatCannotBeChosenAndWobblesMedia)
{
    show(row(QStringLiteral("Folder"), EntryType::directory, false), true);
    tick(0.3);
    EXPECT_FALSE(cell->coverView()->isHidden());
    EXPECT_NEAR(View::alpha(cell->coverView()), 0.5, 1e-6);
    EXPECT_TRUE(AnimationDriver::shared().animationKeys(cell->imageView()).isEmpty());

    show(row(QStringLiteral("a.mp3"), EntryType::exportable, true), true);
    EXPECT_TRUE(cell->coverView()->isHidden());
    EXPECT_FALSE(AnimationDriver::shared().animationKeys(cell->imageView()).isEmpty());

    show(row(QStringLiteral("a.mp3"), EntryType::exportable, true), false);
    EXPECT_TRUE(cell->coverView()->isHidden());
    EXPECT_TRUE(AnimationDriver::shared().animationKeys(cell->imageView()).isEmpty());
}

TEST_F(CellTest, BordersAccessoriesAndTitleColours)
{
    const struct
    {
        const char *name;
        EntryType type;
        bool loaded;
        bool icon;
        Layout layout;
        bool border;
        bool accessory;
        QColor title;
    } rows[] = {
        { "new.mp3", EntryType::exportable, false, false, Layout::list, false, true, titleColor() },
        { "art.mp3", EntryType::exportable, true, false, Layout::list, true, true, titleColor() },
        { "icon.mp3", EntryType::exportable, true, true, Layout::list, false, true, titleColor() },
        { "photo.jpg", EntryType::image, true, true, Layout::list, true, true, dimmedTitleColor() },
        { "notes.txt", EntryType::regular, true, true, Layout::list, false, false, dimmedTitleColor() },
        { "Folder", EntryType::directory, false, true, Layout::list, false, true, titleColor() },
        { "Folder", EntryType::directory, false, true, Layout::grid, false, false, titleColor() },
    };
    for (const auto &r : rows) {
        const auto viewModel = row(QString::fromLatin1(r.name), r.type, r.loaded, r.icon);
        show(viewModel, false, r.layout);
        EXPECT_EQ(cell->imageView()->borderWidth() > 0, r.border) << r.name;
        EXPECT_EQ(!cell->accessory()->isHidden(), r.accessory) << r.name;
        EXPECT_EQ(cell->title()->palette().color(QPalette::WindowText), r.title) << r.name;
        EXPECT_EQ(cell->title()->text(), viewModel->title()) << r.name;
    }
    Preferences::setShowVideoThumbnail(false);
    EntryCell::refreshThumbnailSettings();
    show(row(QStringLiteral("art.mp3"), EntryType::exportable, true));
    EXPECT_EQ(cell->imageView()->borderWidth(), 0.0) << "video thumbnails off";
}

// A title that does not fit ends in an ellipsis instead of being cut mid-letter at the edge; the
// label still carries the whole text, and a title that fits is drawn as it is.
TEST_F(CellTest, ATitleTooLongForItsRowEndsInAnEllipsis)
{
    const auto drawn = [](QLabel *label, const QString &text) {
        QLabel plain(text);
        plain.setFont(label->font());
        plain.setPalette(label->palette());
        plain.setAlignment(label->alignment());
        plain.resize(label->size());
        QImage expected(label->size(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        plain.render(&expected, QPoint(), QRegion(), QWidget::DrawChildren);
        QImage actual(label->size(), QImage::Format_ARGB32_Premultiplied);
        actual.fill(Qt::transparent);
        label->render(&actual, QPoint(), QRegion(), QWidget::DrawChildren);
        return actual == expected;
    };
    const QString name = QStringLiteral("Morning Light In The Long Valley Of The North.mp3");
    cell->resize(300, 88);
    show(row(name, EntryType::exportable, true));
    QLabel *title = cell->title();
    ASSERT_GT(QFontMetrics(title->font()).horizontalAdvance(title->text()), title->width());
    EXPECT_EQ(title->text(), row(name, EntryType::exportable, true)->title());
    const QString elided = QFontMetrics(title->font()).elidedText(title->text(), Qt::ElideRight, title->width());
    EXPECT_TRUE(elided.endsWith(QChar(0x2026)));
    EXPECT_TRUE(drawn(title, elided));
    EXPECT_FALSE(drawn(title, title->text()));

    show(row(QStringLiteral("Short.mp3"), EntryType::exportable, true));
    EXPECT_TRUE(drawn(cell->title(), cell->title()->text()));
}

TEST_F(CellTest, AReusedCellNeverShowsTheOldRowsIndicator)
{
    const auto playing = row(QStringLiteral("playing.mp3"), EntryType::exportable, true);
    Preferences::setNowPlaying(playing->identifier(), true);
    show(playing);
    // The cell is reused for another row before the indicator's delayed step.
    show(row(QStringLiteral("other.mp3"), EntryType::exportable, false));
    tick(0.2);
    EXPECT_TRUE(cell->visualizer()->isHidden());

    show(playing);
    tick(0.2);
    EXPECT_FALSE(cell->visualizer()->isHidden());
    cell->prepareForReuse();
    EXPECT_TRUE(cell->visualizer()->isHidden());
}

struct RecordingDelegate : QObject, EntryCellDelegate
{
    QStringList taps;
    void accessoryButtonTapped(const QString &identifier, EntryCell *) override { taps.append(identifier); }
};

TEST_F(CellTest, TheAccessoryReportsTheRowOnlyWithAnIdentifier)
{
    RecordingDelegate delegate;
    cell->setDelegate(&delegate);
    const auto media = row(QStringLiteral("a.mp3"), EntryType::exportable, true);
    cell->configure(media, Layout::list, false);
    cell->accessory()->click();
    EXPECT_TRUE(delegate.taps.isEmpty());
    cell->setIdentifier(media->identifier());
    cell->accessory()->click();
    EXPECT_EQ(delegate.taps, QStringList { media->identifier() });
}

TEST_F(CellTest, ThePressedLookFadesIn)
{
    cell->setSelected(true);
    tick(0.3);
    EXPECT_EQ(cell->backgroundColor().rgb(), selectedCellColor().rgb());
    cell->setSelected(false);
    tick(0.3);
    EXPECT_EQ(cell->backgroundColor().rgb(), QColor(Qt::white).rgb());
}

class VisualizerTest : public ScreenTest
{
};

TEST_F(VisualizerTest, BarsPeakLowerAtBothEnds)
{
    Visualizer ten;
    EXPECT_EQ(ten.size(), QSize(38, 20));
    QList<double> peaks;
    for (int i = 0; i < 10; ++i)
        peaks.append(ten.peakScale(i));
    EXPECT_EQ(peaks, (QList<double> { 2, 3, 6, 6, 6, 6, 6, 4, 3, 2 }));
    Visualizer three(3, QSizeF(2, 20), 2);
    EXPECT_EQ((QList<double> { three.peakScale(0), three.peakScale(1), three.peakScale(2) }), (QList<double> { 2, 3, 2 }));
}

TEST_F(VisualizerTest, StopRestsTheBarsAndHideFadesOut)
{
    Visualizer visualizer;
    visualizer.hide();
    visualizer.start();
    EXPECT_FALSE(visualizer.isHidden());
    AnimationDriver::shared().advance(0.25);
    visualizer.start();
    for (int i = 0; i < 10; ++i)
        EXPECT_NEAR(visualizer.barScale(i), 1.0, 1e-6) << "a new start begins from rest";
    AnimationDriver::shared().advance(0.25);
    visualizer.stop(false);
    AnimationDriver::shared().advance(1.3);
    EXPECT_FALSE(visualizer.isHidden());
    for (QWidget *bar : visualizer.bars())
        EXPECT_EQ(bar->height(), 3);
    visualizer.start();
    visualizer.stop(true);
    AnimationDriver::shared().advance(1.3);
    EXPECT_TRUE(visualizer.isHidden());
    EXPECT_EQ(View::alpha(&visualizer), 1.0);
}

TEST(PaddedLabelTest, WidthIsAtLeast22PlusTheInsets)
{
    PaddedLabel label(0, 0, 4, 4);
    label.setText(QStringLiteral("a"));
    EXPECT_EQ(label.sizeHint().width(), 30);
    label.setText(QString());
    EXPECT_EQ(label.sizeHint().width(), 30);
    label.setText(QStringLiteral("MPEG4AUDIO"));
    const double text = QFontMetricsF(label.font()).horizontalAdvance(label.text());
    ASSERT_GT(text, 22);
    EXPECT_EQ(label.sizeHint().width(), int(std::ceil(text + 8)));
    PaddedLabel padded(1, 2, 3, 4);
    EXPECT_EQ(padded.textRect(QRectF(0, 0, 50, 20)), QRectF(3, 1, 43, 17));
}

TEST(FooterTest, TheLoadingImageStaysInvisible)
{
    FooterReusableView footer;
    EXPECT_EQ(View::alpha(footer.imageView()), 0.0);
    EXPECT_EQ(footer.animationDuration(), 1.75);
    EXPECT_EQ(footer.label(), footer.findChildren<QLabel *>().first());
}

} // namespace
} // namespace tarnik::test
