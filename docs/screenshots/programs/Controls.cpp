// Draws the control kit as the Files tab shows it, for the documentation: a folder of songs pulled
// down (the refresher's band opens) while the loader of an import shows its message, in the window as
// the app opens it, into the PNG TARNIK_CONTROLS_SCREENSHOT names (docs/screenshots/take-controls.sh
// runs it under Xvfb).

#include "Controls/Loaders/LoaderView.h"
#include "Import/ImportObject.h"
#include "PlayerViews/BrowserInTabsSupport.h"
#include "Support/AppWindow.h"
#include "Support/MediaFixtures.h"
#include "PictureSongs.h"

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
    ASSERT_TRUE(makePictureSongs(music, 5));
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
