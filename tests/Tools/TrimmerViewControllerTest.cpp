#include "Tools/TrimmerViewController.h"

#include "Platform/Playback/FakePlaybackBackend.h"
#include "Platform/UI/AlertController.h"
#include "Support/MediaFixtures.h"
#include "Tools/ToolsTestSupport.h"
#include "Tools/TrimmerNavigationController.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace tarnik::test {
namespace {

using namespace media;

class RecordingTrimmerDelegate : public TrimmerViewControllerDelegate
{
public:
    void trimmerViewControllerDidFinish(const MediaTime &start, const MediaTime &end) override
    {
        ranges.append({ start, end });
    }
    QList<std::pair<MediaTime, MediaTime>> ranges;
};

class TrimmerTest : public ToolsScreenTest
{
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        ASSERT_TRUE(makeTone(file(QStringLiteral("song.wav")), 20));
        ASSERT_TRUE(makeTone(file(QStringLiteral("short.wav")), 0.2));
        ASSERT_TRUE(runFfmpeg(args({ "-f", "lavfi", "-i", "anullsrc=r=1000:cl=mono", "-t", "10800", "-c:a", "flac" })
            + QStringList { file(QStringLiteral("long.flac")) }));
        ASSERT_TRUE(writeFile(file(QStringLiteral("empty.mp3")), QByteArray()));
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }
    static QString file(const QString &name) { return folder->filePath(name); }

    void SetUp() override
    {
        ToolsScreenTest::SetUp();
        PlaybackBackend::setFactory([this] {
            auto backend = std::make_unique<FakePlaybackBackend>();
            backend->setNextDuration(20'000'000);
            previewBackend = backend.get();
            return backend;
        });
    }
    void TearDown() override
    {
        PlaybackBackend::setFactory({});
        ToolsScreenTest::TearDown();
    }

    TrimmerViewController *open(const QString &name = QStringLiteral("song.wav"), double start = 0, double end = 20)
    {
        trimmer = TrimmerViewController::initialize(
            file(name), MediaTime::fromSeconds(start), MediaTime::fromSeconds(end), &delegate);
        trimmer->setSharedPlayer(sharedPlayer.get());
        auto *navigation = new TrimmerNavigationController(trimmer);
        root->present(navigation, false);
        settle();
        drain();
        return trimmer;
    }
    double aw() const { return *trimmer->availableWidth(); }

    RecordingTrimmerDelegate delegate;
    TrimmerViewController *trimmer = nullptr;
    FakePlaybackBackend *previewBackend = nullptr;
    static QTemporaryDir *folder;
};

QTemporaryDir *TrimmerTest::folder = nullptr;

TEST_F(TrimmerTest, OpensOnTheGivenRange)
{
    open(QStringLiteral("song.wav"), 5, 15);
    EXPECT_DOUBLE_EQ(trimmer->fullDuration(), 20);
    EXPECT_NEAR(trimmer->minimumValue(), 5 / trimmer->fullDuration(), 1e-6);
    EXPECT_NEAR(trimmer->maximumValue(), 15 / trimmer->fullDuration(), 1e-6);
    EXPECT_NEAR(trimmer->sliderValue(), trimmer->minimumValue(), 1e-4);
    ASSERT_TRUE(trimmer->availableWidth());
    EXPECT_EQ(aw(), trimmer->slider()->width() - trimmer->leftHandle()->width());
    EXPECT_EQ(trimmer->minTextField()->text(), QStringLiteral("0:05:000"));
    EXPECT_EQ(trimmer->maxTextField()->text(), QStringLiteral("0:15:000"));
    EXPECT_EQ(trimmer->rangeTextField()->text(), QStringLiteral("0:10:000"));
    EXPECT_FALSE(trimmer->doneButton()->isEnabled());
    EXPECT_EQ(trimmer->player()->timeObserverCount(), 1);
    EXPECT_EQ(trimmer->leftHandle()->tintColor(), TrimmerViewController::neutralColor());
    EXPECT_FALSE(previewBackend->isPlaying());
    // The handles sit at the ends of the range.
    EXPECT_NEAR(trimmer->leftHandle()->translation(), aw() * 0.25, 1.0);
    EXPECT_NEAR(trimmer->rightHandle()->translation(), aw() * 0.75 - aw(), 1.0);
}

TEST_F(TrimmerTest, DragsMoveTheEnds)
{
    struct Case
    {
        int tag;
        double points; // in units of the available width
        float refine; // refine slider position
        float start, end; // expected fractions, from 0.25 to 0.75
    };
    const Case cases[] = {
        { 0, 0.1, 0, 0.35f, 0.75f }, { 1, -0.1, 0, 0.25f, 0.65f },
        { 0, 0.9, 0, 0.75f, 0.75f }, // the start stops at the end
        { 1, -0.9, 0, 0.25f, 0.25f }, // the end stops at the start
        { 0, -2, 0, 0, 0.75f }, { 1, 2, 0, 0.25f, 1 },
        { 0, 1, 1, 0.25f + 1 / 313.0f, 0.75f }, // at full refinement a point moves a point's fraction
        { 7, 0.1, 0, 0.25f, 0.75f }, // an untagged view moves nothing
    };
    for (const Case &c : cases) {
        open(QStringLiteral("song.wav"), 5, 15);
        trimmer->refineSlider()->setValue(int(c.refine * trimmer->refineSlider()->maximum()));
        const double dx = c.refine == 1 ? aw() * c.points / aw() : aw() * c.points;
        trimmer->pan(c.tag, GestureRecognizer::State::changed, c.refine == 1 ? aw() : dx);
        const float expectedStart = c.refine == 1 ? 0.25f + float(1 / aw()) : c.start;
        EXPECT_NEAR(trimmer->minimumValue(), expectedStart, 1e-4) << c.tag << " " << c.points;
        EXPECT_NEAR(trimmer->maximumValue(), c.end, 1e-4) << c.tag << " " << c.points;
        EXPECT_EQ(trimmer->doneButton()->isEnabled(), c.tag == 0 || c.tag == 1);
        if (c.tag == 0 || c.tag == 1) {
            TrimmerHandleView *worked = c.tag == 0 ? trimmer->leftHandle() : trimmer->rightHandle();
            TrimmerHandleView *other = c.tag == 0 ? trimmer->rightHandle() : trimmer->leftHandle();
            EXPECT_EQ(worked->tintColor(), TrimmerViewController::highlightColor());
            EXPECT_EQ(other->tintColor(), TrimmerViewController::neutralColor());
        }
        trimmer->cancel();
        settle();
    }
}

TEST_F(TrimmerTest, ARealDragOnTheHandle)
{
    open(QStringLiteral("song.wav"), 5, 15);
    TrimmerHandleView *handle = trimmer->leftHandle();
    const QPoint start = handle->mapToGlobal(handle->rect().center());
    auto recognizers = handle->findChildren<PanGestureRecognizer *>();
    ASSERT_EQ(recognizers.size(), 1);
    PanGestureRecognizer *pan = recognizers.first();
    pan->feed(GestureRecognizer::Phase::began, start);
    pan->feed(GestureRecognizer::Phase::moved, start + QPoint(10, 0));
    pan->feed(GestureRecognizer::Phase::moved, start + QPoint(40, 0));
    pan->feed(GestureRecognizer::Phase::ended, start + QPoint(40, 0));
    EXPECT_NEAR(trimmer->minimumValue(), 0.25f + float(40 / aw()), 2e-3);
    EXPECT_TRUE(trimmer->doneButton()->isEnabled());
}

TEST_F(TrimmerTest, PlayheadFollowsTheEnds)
{
    open(QStringLiteral("song.wav"), 5, 15);
    trimmer->updatePlayhead(0.5f, true);
    trimmer->moveStart(0.6f); // past the playhead: it moves to the start and seeks there
    drain();
    EXPECT_NEAR(trimmer->sliderValue(), 0.6f, 1e-4);
    EXPECT_NEAR(trimmer->player()->currentTime().seconds(), 0.6 * trimmer->fullDuration(), 0.01);
    trimmer->moveEnd(0.1f); // the end cannot pass the start
    EXPECT_NEAR(trimmer->maximumValue(), 0.6f, 1e-6);
    EXPECT_NEAR(trimmer->sliderValue(), 0.6f, 1e-4);
    trimmer->updatePlayhead(0.9f, false); // held to the range
    EXPECT_NEAR(trimmer->sliderValue(), 0.6f, 1e-4);
}

TEST_F(TrimmerTest, ControlButtons)
{
    open(QStringLiteral("song.wav"), 5, 15);
    trimmer->updatePlayhead(0.5f, true);
    trimmer->button(TrimmerViewController::startHereTag)->click();
    EXPECT_NEAR(trimmer->minimumValue(), 0.5f, 1e-4);
    EXPECT_EQ(trimmer->direction(), TrimmerViewController::Direction::left);
    trimmer->updatePlayhead(0.6f, true);
    trimmer->button(TrimmerViewController::endHereTag)->click();
    EXPECT_NEAR(trimmer->maximumValue(), 0.6f, 1e-4);
    trimmer->pan(1, GestureRecognizer::State::began, 0); // selects the end side
    trimmer->button(TrimmerViewController::resetTag)->click();
    EXPECT_EQ(trimmer->minimumValue(), 0);
    EXPECT_EQ(trimmer->maximumValue(), 1);
    EXPECT_EQ(trimmer->sliderValue(), 0);
    EXPECT_FALSE(trimmer->direction());
    for (QColor c : { trimmer->leftHandle()->tintColor(), trimmer->rightHandle()->tintColor(),
             trimmer->leftTrack()->backgroundColor(), trimmer->rightTrack()->backgroundColor() })
        EXPECT_EQ(c, QColor(0xb3, 0xbb, 0xc3));

    // Play pauses the shared player and its end-of-item handling; a second tap pauses.
    sharedPlayer->addEndOfItemObserver();
    sharedPlayer->setRate(1.0);
    trimmer->button(TrimmerViewController::previewTag)->click();
    EXPECT_TRUE(trimmer->player()->isPlaying());
    EXPECT_FALSE(sharedPlayer->isPlaying());
    EXPECT_FALSE(sharedPlayer->isObservingEndOfItem());
    EXPECT_EQ(trimmer->previewLabel()->text(), QStringLiteral("pause"));
    trimmer->button(TrimmerViewController::previewTag)->click();
    EXPECT_FALSE(trimmer->player()->isPlaying());
    EXPECT_EQ(trimmer->previewLabel()->text(), QStringLiteral("play"));
    // No button enables Done.
    EXPECT_TRUE(trimmer->doneButton()->isEnabled()); // the pan above did
    trimmer->cancel();
    settle();
    open();
    for (int tag : { 1111, 2222, 3333, 4444, 5555 })
        trimmer->controlButtonTapped(tag);
    EXPECT_FALSE(trimmer->doneButton()->isEnabled());
}

TEST_F(TrimmerTest, TypedTimes)
{
    struct Case
    {
        int tag;
        QString typed;
        float start, end;
    };
    const Case cases[] = {
        { 0, QStringLiteral("2"), 0.1f, 0.75f },
        { 1, QStringLiteral("10.5"), 0.25f, 0.525f },
        { 0, QStringLiteral("18"), 0.75f, 0.75f }, // past the end: held at the end
        { 0, QStringLiteral("-4"), 0, 0.75f },
        { 1, QStringLiteral("1e9"), 0.25f, 1 },
        { 0, QStringLiteral("abc"), 0.25f, 0.75f },
        { 0, QStringLiteral("1,5"), 0.25f, 0.75f },
        { 0, QStringLiteral("nan"), 0.25f, 0.75f },
        { 0, QStringLiteral("inf"), 0.25f, 0.75f },
        { 1, QStringLiteral("1e999"), 0.25f, 0.75f },
        { 0, QString(), 0.25f, 0.75f },
    };
    for (const Case &c : cases) {
        open(QStringLiteral("song.wav"), 5, 15);
        const double duration = trimmer->fullDuration();
        const auto fraction = [](float f) { return f; };
        TrimmerTimeField *field = c.tag == 0 ? trimmer->minTextField() : trimmer->maxTextField();
        const float before = c.tag == 0 ? trimmer->minimumValue() : trimmer->maximumValue();
        trimmer->textFieldDidBeginEditing(field);
        EXPECT_EQ(field->text(), QString::asprintf("%.4f", double(before) * duration));
        EXPECT_EQ(trimmer->direction(), TrimmerViewController::directionFromTag(c.tag));
        field->setText(c.typed);
        trimmer->textFieldDidChange(field);
        trimmer->textFieldDidEndEditing(field);
        EXPECT_NEAR(trimmer->minimumValue(), fraction(c.start), 2e-3) << c.typed.toStdString();
        EXPECT_NEAR(trimmer->maximumValue(), fraction(c.end), 2e-3) << c.typed.toStdString();
        trimmer->cancel();
        settle();
    }
    // A number above the duration is replaced while typing.
    open();
    trimmer->maxTextField()->setText(QStringLiteral("99"));
    trimmer->textFieldDidChange(trimmer->maxTextField());
    EXPECT_EQ(trimmer->maxTextField()->text(), QString::asprintf("%.4f", trimmer->fullDuration()));
}

TEST_F(TrimmerTest, DoneHandsBackTheRangeOnce)
{
    open(QStringLiteral("song.wav"), 5, 15);
    trimmer->pan(0, GestureRecognizer::State::changed, aw() * 0.05);
    const double duration = trimmer->fullDuration();
    const float start = trimmer->minimumValue();
    trimmer->doneButton()->trigger();
    settle();
    ASSERT_EQ(delegate.ranges.size(), 1);
    EXPECT_EQ(delegate.ranges[0].first.timescale, 1'000'000);
    EXPECT_EQ(delegate.ranges[0].second.timescale, 1'000'000);
    EXPECT_NEAR(delegate.ranges[0].first.seconds(), duration * double(start), 1e-5);
    EXPECT_NEAR(delegate.ranges[0].second.seconds(), 15, 1e-3);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    // Leaving switched the shared player's end-of-item handling back on.
    EXPECT_TRUE(sharedPlayer->isObservingEndOfItem());

    open();
    trimmer->cancelButton()->trigger();
    settle();
    EXPECT_EQ(delegate.ranges.size(), 1);
}

TEST_F(TrimmerTest, PreviewLoopsWithinTheRange)
{
    open(QStringLiteral("song.wav"), 5, 6);
    trimmer->controlButtonTapped(TrimmerViewController::previewTag);
    ASSERT_TRUE(previewBackend->isPlaying());
    previewBackend->advance(600'000);
    drain();
    EXPECT_GT(trimmer->sliderValue(), trimmer->minimumValue());
    // The player loops over the range itself, so it turns back the moment it reaches the end.
    EXPECT_EQ(previewBackend->loopStart(), 5'000'000);
    EXPECT_EQ(previewBackend->loopEnd(), 6'000'000);
    previewBackend->advance(600'000); // past the end of the range
    drain();
    EXPECT_NEAR(previewBackend->position() / 1e6, 5.2, 0.01);
    EXPECT_TRUE(previewBackend->isPlaying());
    // The loop follows the handles.
    trimmer->moveEnd(float(7.0 / trimmer->fullDuration()));
    EXPECT_NEAR(previewBackend->loopEnd() / 1e6, 7.0, 1e-3);
    // An end moved before the playhead: the observer turns the preview back to the start.
    previewBackend->advance(1'000'000);
    drain();
    trimmer->moveEnd(float(5.5 / trimmer->fullDuration()));
    EXPECT_NEAR(previewBackend->loopEnd() / 1e6, 5.5, 1e-3);
    previewBackend->advance(10'000);
    drain();
    EXPECT_NEAR(previewBackend->position() / 1e6, 5.0, 0.05);
    EXPECT_TRUE(previewBackend->isPlaying());

    // The slider's end events add one observer at most.
    trimmer->trackSliderDidEndEditing();
    trimmer->trackSliderDidEndEditing();
    EXPECT_EQ(trimmer->player()->timeObserverCount(), 1);
    // Scrubbing removes it until the touch ends.
    trimmer->slider()->setValue(trimmer->slider()->value() + 10);
    EXPECT_EQ(trimmer->player()->timeObserverCount(), 0);
    trimmer->trackSliderDidEndEditing();
    EXPECT_EQ(trimmer->player()->timeObserverCount(), 1);
}

TEST_F(TrimmerTest, SourcesOfAnyLength)
{
    for (const char *name : { "short.wav", "long.flac" }) {
        open(QString::fromLatin1(name), 0, 0.2);
        EXPECT_TRUE(trimmer->canTrim()) << name;
        trimmer->moveEnd(1);
        trimmer->pan(0, GestureRecognizer::State::changed, aw() / 2);
        EXPECT_NEAR(trimmer->minimumValue(), 0.5f, 1e-3);
        trimmer->minTextField()->setText(QStringLiteral("0.1"));
        trimmer->textFieldDidEndEditing(trimmer->minTextField());
        EXPECT_NEAR(trimmer->minimumValue(), float(0.1 / trimmer->fullDuration()), 1e-4);
        trimmer->layoutHandles();
        trimmer->cancel();
        settle();
    }
}

TEST_F(TrimmerTest, AFileWithoutDurationIsRefused)
{
    for (const char *name : { "empty.mp3", "missing.mp3" }) {
        open(QString::fromLatin1(name));
        drain();
        settle();
        EXPECT_FALSE(trimmer->canTrim());
        auto *alert = qobject_cast<AlertController *>(trimmer->presentedViewController());
        ASSERT_TRUE(alert) << name;
        EXPECT_EQ(alert->alertTitle(), QStringLiteral("Cannot Trim"));
        EXPECT_FALSE(trimmer->slider()->isEnabled());
        trimmer->pan(0, GestureRecognizer::State::changed, 50);
        trimmer->controlButtonTapped(TrimmerViewController::previewTag);
        trimmer->doneButton()->trigger();
        EXPECT_FALSE(trimmer->doneButton()->isEnabled());
        EXPECT_TRUE(delegate.ranges.isEmpty());
        EXPECT_EQ(trimmer->minimumValue(), 0);
        alert->dismiss(false);
        settle();
        trimmer->cancel();
        settle();
    }
}

TEST_F(TrimmerTest, HelpOpensOnlyWebAddresses)
{
    QList<QUrl> opened;
    TrimmerViewController::setUrlOpener([&](const QUrl &url) { opened.append(url); });
    // Without an address the button is disabled, and a tap that comes anyway fetches nothing.
    qunsetenv("TARNIK_HELP_URL");
    open();
    EXPECT_FALSE(trimmer->helpButton()->isEnabled());
    trimmer->helpButtonTapped();
    drain();
    EXPECT_TRUE(opened.isEmpty());

    // A loopback page answers with the body under test.
    QByteArray body;
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &body] {
            socket->readAll();
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size())
                + "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    });
    qputenv("TARNIK_HELP_URL", QStringLiteral("http://127.0.0.1:%1/help").arg(server.serverPort()).toUtf8());
    trimmer->cancel();
    settle();
    open();
    EXPECT_TRUE(trimmer->helpButton()->isEnabled());
    struct Case
    {
        QByteArray body;
        bool opens;
    };
    const Case cases[] = {
        { "https://example.org/help", true },
        { "http://example.org/guide\n", true },
        { "file:///etc/passwd", false },
        { "javascript:alert(1)", false },
        { "", false },
        { "not a url at all", false },
    };
    for (const Case &c : cases) {
        opened.clear();
        body = c.body;
        trimmer->helpButtonTapped();
        // A refused answer never opens anything: give it the time an accepted one takes.
        const bool openedAny = QTest::qWaitFor([&] { return !opened.isEmpty(); }, c.opens ? 5000 : 300);
        EXPECT_EQ(openedAny, c.opens) << c.body.toStdString();
        if (openedAny) {
            EXPECT_EQ(opened, QList<QUrl> { QUrl(QString::fromUtf8(c.body).trimmed()) });
        }
    }
    qunsetenv("TARNIK_HELP_URL");
    TrimmerViewController::setUrlOpener({});
}

TEST(TrimmerGridViewTest, LinePositions)
{
    TrimmerGridView grid;
    const QList<double> horizontal = grid.horizontalLinePositions(200);
    ASSERT_EQ(horizontal.size(), 15);
    EXPECT_NEAR(horizontal.first(), 10.3, 1e-9);
    EXPECT_NEAR(horizontal.last(), 200 - 10.3, 1e-9);
    const QList<double> vertical = grid.verticalLinePositions(400, false);
    ASSERT_EQ(vertical.size(), 25);
    EXPECT_NEAR(vertical.first(), 30.15, 1e-9);
    EXPECT_NEAR(vertical.last(), 400 - 30.15, 1e-9);
    EXPECT_EQ(grid.verticalLinePositions(400, true).size(), 12);

    struct Case
    {
        int count;
        int lines;
    };
    for (const Case c : { Case { 0, 0 }, Case { 1, 1 }, Case { 2, 2 }, Case { 100, 100 } }) {
        grid.setHorizontalLineCount(c.count);
        grid.setVerticalLineCount(c.count);
        const QList<double> lines = grid.horizontalLinePositions(200);
        EXPECT_EQ(lines.size(), c.lines);
        for (double y : lines)
            EXPECT_TRUE(std::isfinite(y));
        grid.resize(300, 120);
        QImage image(grid.size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        grid.render(&image);
    }
    grid.setHorizontalLineCount(1);
    EXPECT_NEAR(grid.horizontalLinePositions(200).first(), 10.3, 1e-9);
}

TEST(TrimmerNavigationTest, StatusBarStyles)
{
    TransparentNavigationController transparent(new ViewController);
    TrimmerNavigationController trimmer(new ViewController);
    EXPECT_EQ(transparent.preferredStatusBarStyle(), StatusBarStyle::lightContent);
    EXPECT_EQ(trimmer.preferredStatusBarStyle(), StatusBarStyle::defaultStyle);
}

} // namespace
} // namespace tarnik::test
