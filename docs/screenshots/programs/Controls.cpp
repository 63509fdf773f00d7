// Draws the control kit as the Files tab shows it, for the documentation: a folder of songs pulled
// down (the refresher's band opens) while the loader of an import shows its message, in the window as
// the app opens it, into the PNG TARNIK_CONTROLS_SCREENSHOT names (docs/screenshots/take-controls.sh
// runs it under Xvfb).

#include "Controls/Loaders/LoaderView.h"
#include "Import/ImportObject.h"
#include "PlayerViews/BrowserInTabsSupport.h"
#include "Support/AppWindow.h"
#include "Support/MediaFixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnik;
using namespace tarnik::test;

namespace {

class ControlsShot : public BrowserInTabsTest
{
public:
    static void SetUpTestSuite() { windowAsTheAppOpensIt() = true; }
};

TEST_F(ControlsShot, Take)
{
    const QString target = qEnvironmentVariable("TARNIK_CONTROLS_SCREENSHOT");
    if (target.isEmpty())
        FAIL() << "set TARNIK_CONTROLS_SCREENSHOT to take the picture";
    QTemporaryDir dir;
    const QString music = dir.filePath(QStringLiteral("Music"));
    ASSERT_TRUE(QDir().mkpath(music));
    const struct
    {
        const char *file;
        const char *title;
        const char *artist;
        const char *cover;
    } songs[] = {
        { "Morning Light.mp3", "Morning Light", "The Lanterns", "gradients=s=300x300:c0=0xff7a45:c1=0x6a1b9a:d=1" },
        { "Harbour Song.mp3", "Harbour Song", "Mira Vale", "gradients=s=300x300:c0=0x1e88e5:c1=0x00bfa5:d=1" },
        { "Long Road.mp3", "Long Road", "North Quarter", "gradients=s=300x300:c0=0xfdd835:c1=0xe53935:d=1" },
        { "Quiet Hours.mp3", "Quiet Hours", "Anna Roe", "gradients=s=300x300:c0=0x8e24aa:c1=0x3949ab:d=1" },
        { "Paper Boats.mp3", "Paper Boats", "The Lanterns", "gradients=s=300x300:c0=0x43a047:c1=0xfdd835:d=1" },
    };
    for (const auto &s : songs) {
        const QString cover = dir.filePath(QString::fromLatin1(s.file) + QStringLiteral(".png"));
        ASSERT_TRUE(media::runFfmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QString::fromLatin1(s.cover), QStringLiteral("-frames:v"), QStringLiteral("1"), cover }));
        ASSERT_TRUE(media::makeToneWithCover(music + QLatin1Char('/') + QString::fromLatin1(s.file), cover, 3.0,
            { QStringLiteral("-id3v2_version"), QStringLiteral("3"), QStringLiteral("-metadata"),
                QStringLiteral("title=") + QString::fromLatin1(s.title), QStringLiteral("-metadata"),
                QStringLiteral("artist=") + QString::fromLatin1(s.artist) }));
    }
    DirectoryViewController *level = showFolder(music);
    ASSERT_NE(level, nullptr);
    waitForDetails(level, 5);

    // The loader an import shows while the companion takes the files.
    QPointer<LoaderView> loader = new LoaderView;
    loader->setHideContentView(false);
    loader->contentViewTheme = Theme::light;
    loader->spinnerViewSize = QSizeF(35, 35);
    loader->show(level->view(), LoaderView::Position::center, backgroundImportMessage(), std::nullopt, level);
    wait(0.5);

    // A finger pulls the list down and holds it: the refresher's band opens above the rows.
    CollectionView *cv = level->collectionView();
    QTest::mousePress(cv, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(cv, QPoint(100, 130));
    for (double pull = 10; pull <= 110; pull += 10) {
        cv->setContentOffset(QPointF(0, -pull - cv->contentInset().top));
        wait(0.03);
    }
    wait(0.4);
    ASSERT_TRUE(window->grab().save(target));
    QTest::mouseRelease(cv, Qt::LeftButton, {}, QPoint(100, 130));
    delete loader.data();
}

} // namespace
