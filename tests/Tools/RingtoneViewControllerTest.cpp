#include "Tools/RingtoneViewController.h"

#include "App/Preferences.h"
#include "Controls/Loaders/RefresherState.h"
#include "Platform/Dispatch.h"
#include "Platform/PropertyList.h"
#include "Platform/UI/AlertController.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/NavigationItem.h"
#include "Support/UiTestSupport.h"
#include "Tools/RingtoneCatalogueFile.h"
#include "Tools/RingtoneCell.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace tarnik;
using namespace tarnik::test;

namespace {

QVariantMap entry(const QVariant &name)
{
    QVariantMap fields { { QStringLiteral("GUID"), QStringLiteral("G") },
        { QStringLiteral("Total Time"), qint64(1234) } };
    if (name.isValid())
        fields.insert(QStringLiteral("Name"), name);
    return fields;
}

class RingtoneListTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        QDir(Preferences::purchasesPath()).removeRecursively();
        QDir().mkpath(Preferences::purchasesPath());
        clock = std::make_unique<Dispatch::VirtualClock>();
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
        clock.reset();
        QDir(Preferences::purchasesPath()).removeRecursively();
    }

    // A catalogue with two listed ringtones (files present), one entry without a
    // string name and an unknown root key.
    void writeCatalogue(PropertyList::Format format = PropertyList::Format::Xml)
    {
        QVariantMap ringtones { { QStringLiteral("a.m4r"), entry(QStringLiteral("Alpha")) },
            { QStringLiteral("b.m4r"), entry(QStringLiteral("Beta")) },
            { QStringLiteral("hidden.m4r"), entry(qint64(7)) } };
        QVariantMap root { { QStringLiteral("Ringtones"), ringtones }, { QStringLiteral("Version"), qint64(3) } };
        ASSERT_TRUE(RingtoneCatalogueFile::write(catalogue(), { root, format }));
        for (const QString &name : { QStringLiteral("a.m4r"), QStringLiteral("b.m4r"), QStringLiteral("hidden.m4r") })
            touch(Preferences::purchasesPath() + QLatin1Char('/') + name);
    }
    static void touch(const QString &path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("ring");
    }
    static QString catalogue() { return Preferences::ringtonesPlistPath(); }
    static QByteArray catalogueBytes()
    {
        QFile file(catalogue());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QVariantMap entries()
    {
        return *RingtoneCatalogueFile::ringtones(RingtoneCatalogueFile::read(catalogue())->root);
    }

    void show()
    {
        makeWindow();
        screen = new RingtoneViewController;
        navigation = new NavigationController(screen);
        window->setRootViewController(navigation);
        settle();
        screen->tableView()->layoutIfNeeded();
    }
    QStringList names() const
    {
        QStringList result;
        for (const Ringtone &ringtone : screen->ringtones())
            result.append(ringtone.name());
        return result;
    }
    AlertController *alert() const { return qobject_cast<AlertController *>(navigation->presentedViewController()); }
    void tap(const QString &title)
    {
        AlertController *shown = alert();
        ASSERT_TRUE(shown);
        for (AlertControllerAction *action : shown->actions()) {
            if (action->title() == title) {
                shown->tapAction(action);
                settle();
                return;
            }
        }
        FAIL() << "no action " << title.toStdString();
    }
    void select(int row) { screen->didSelectRow(screen->tableView(), IndexPath(row, 0)); }

    std::unique_ptr<Dispatch::VirtualClock> clock;
    RingtoneViewController *screen = nullptr;
    NavigationController *navigation = nullptr;
};

TEST_F(RingtoneListTest, ListsNamedEntriesAndRenamesInTheCatalogueFormatKeepingEverythingElse)
{
    for (PropertyList::Format format : { PropertyList::Format::Xml, PropertyList::Format::Binary }) {
        SCOPED_TRACE(int(format));
        writeCatalogue(format);
        show();
        EXPECT_EQ(names(), QStringList({ QStringLiteral("Alpha"), QStringLiteral("Beta") }));
        EXPECT_EQ(navigation->navigationItem() ? screen->navigationItem()->rightBarButtonItem() : nullptr,
            screen->editButton());
        auto *cell = qobject_cast<RingtoneCell *>(screen->tableView()->cellForRow(IndexPath(1, 0)));
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->title()->text(), QStringLiteral("Beta"));
        EXPECT_EQ(cell->accessibleName(), QStringLiteral("Beta"));

        select(0);
        settle();
        ASSERT_TRUE(alert());
        EXPECT_EQ(alert()->alertTitle(), QStringLiteral("Rename"));
        ASSERT_EQ(alert()->textFields().size(), 1);
        EXPECT_EQ(alert()->textFields().first()->text(), QStringLiteral("Alpha"));
        alert()->textFields().first()->setText(QStringLiteral("Aurora"));
        tap(QStringLiteral("Change"));

        EXPECT_EQ(names(), QStringList({ QStringLiteral("Aurora"), QStringLiteral("Beta") }));
        EXPECT_EQ(catalogueBytes().startsWith("bplist"), format == PropertyList::Format::Binary);
        const QVariantMap stored = entries();
        EXPECT_EQ(stored.value(QStringLiteral("a.m4r")).toMap().value(QStringLiteral("Total Time")), qint64(1234));
        EXPECT_EQ(stored.value(QStringLiteral("hidden.m4r")).toMap().value(QStringLiteral("Name")), qint64(7));
        EXPECT_EQ(RingtoneCatalogueFile::read(catalogue())->root.value(QStringLiteral("Version")), qint64(3));
        window.reset();
        settle();
    }
}

TEST_F(RingtoneListTest, RenamingToTheSameOrAnEmptyNameWritesNothing)
{
    writeCatalogue();
    show();
    const auto inode = [] {
        struct stat info
        {
        };
        ::stat(QFile::encodeName(catalogue()).constData(), &info);
        return info.st_ino; // an atomic write replaces the file, and with it the inode
    };
    const auto before = inode();
    for (const QString &text : { QStringLiteral("Alpha"), QString() }) {
        select(0);
        settle();
        ASSERT_TRUE(alert());
        alert()->textFields().first()->setText(text);
        tap(QStringLiteral("Change"));
        EXPECT_EQ(inode(), before) << text.toStdString();
    }
    select(1);
    settle();
    tap(QStringLiteral("Cancel"));
    EXPECT_EQ(inode(), before);
    EXPECT_EQ(names(), QStringList({ QStringLiteral("Alpha"), QStringLiteral("Beta") }));
}

TEST_F(RingtoneListTest, SwipeDeletionRemovesFileAndEntryAndKeepsWhatCannotBeDeleted)
{
    writeCatalogue();
    // b.m4r is a non-empty folder, which removing a file cannot delete.
    const QString purchases = Preferences::purchasesPath();
    QFile::remove(purchases + QStringLiteral("/b.m4r"));
    QDir().mkpath(purchases + QStringLiteral("/b.m4r/inner"));
    show();
    const QList<TableViewRowAction> actions = screen->editActionsForRow(screen->tableView(), IndexPath(0, 0));
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions.first().title, QStringLiteral("Delete"));
    actions.first().handler(actions.first(), IndexPath(0, 0));
    EXPECT_FALSE(QFile::exists(purchases + QStringLiteral("/a.m4r")));
    EXPECT_FALSE(entries().contains(QStringLiteral("a.m4r")));
    EXPECT_TRUE(entries().contains(QStringLiteral("hidden.m4r")));
    EXPECT_EQ(names(), QStringList({ QStringLiteral("Beta") }));

    // The folder stays, and so do its entry and its row.
    screen->commitEditingStyle(screen->tableView(), TableViewCellEditingStyle::delete_, IndexPath(0, 0));
    EXPECT_TRUE(QFileInfo(purchases + QStringLiteral("/b.m4r/inner")).isDir());
    EXPECT_TRUE(entries().contains(QStringLiteral("b.m4r")));
    EXPECT_EQ(names(), QStringList({ QStringLiteral("Beta") }));

    // A file already missing is dropped from the catalogue; only the diagnostic hook hears of it.
    QDir(purchases + QStringLiteral("/b.m4r")).removeRecursively();
    static QStringList diagnostics;
    diagnostics.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &message) { diagnostics.append(message); });
    screen->commitEditingStyle(screen->tableView(), TableViewCellEditingStyle::delete_, IndexPath(0, 0));
    qInstallMessageHandler(previous);
#ifdef TARNIK_DEBUG_PRINT
    ASSERT_EQ(diagnostics.size(), 1);
    EXPECT_TRUE(diagnostics.first().contains(QStringLiteral("Failed to delete ringtone: ")));
    EXPECT_TRUE(diagnostics.first().contains(QStringLiteral("b.m4r")));
    EXPECT_TRUE(diagnostics.first().contains(QStringLiteral(".\nError: ")));
#endif
    EXPECT_TRUE(names().isEmpty());
    EXPECT_EQ(screen->navigationItem()->rightBarButtonItem(), nullptr);
    EXPECT_EQ(entries().keys(), QStringList({ QStringLiteral("hidden.m4r") }));
    EXPECT_TRUE(QFile::exists(purchases + QStringLiteral("/hidden.m4r")));
}

TEST_F(RingtoneListTest, EditModeDeletesSomeAtOnceAndAllAfterConfirmation)
{
    writeCatalogue();
    show();
    screen->enterEditMode(screen->editButton());
    EXPECT_EQ(screen->editButton()->title(), QStringLiteral("Done"));
    EXPECT_FALSE(navigation->isToolbarHidden());
    EXPECT_EQ(screen->deleteButton()->title(), QStringLiteral("Delete All"));

    // Every row selected, or none, reads "Delete All"; some read "Delete".
    select(0);
    EXPECT_EQ(screen->deleteButton()->title(), QStringLiteral("Delete"));
    select(1);
    EXPECT_EQ(screen->deleteButton()->title(), QStringLiteral("Delete All"));
    screen->didDeselectRow(screen->tableView(), IndexPath(1, 0));
    EXPECT_EQ(screen->deleteButton()->title(), QStringLiteral("Delete"));

    screen->deleteButtonTapped(screen->deleteButton());
    EXPECT_EQ(alert(), nullptr);
    EXPECT_EQ(names(), QStringList({ QStringLiteral("Beta") }));
    // Reloading left edit mode the whole way.
    EXPECT_EQ(screen->editButton()->title(), QStringLiteral("Edit"));
    EXPECT_TRUE(screen->selectedRingtones().isEmpty());

    screen->enterEditMode(screen->editButton());
    screen->deleteButtonTapped(screen->deleteButton());
    settle();
    ASSERT_TRUE(alert());
    EXPECT_EQ(
        alert()->alertTitle(), QStringLiteral("Are you sure you wish to delete all the ringtones you've created?"));
    tap(QStringLiteral("Cancel"));
    EXPECT_EQ(names(), QStringList({ QStringLiteral("Beta") }));
    screen->deleteButtonTapped(screen->deleteButton());
    settle();
    tap(QStringLiteral("Delete All"));
    EXPECT_TRUE(names().isEmpty());
    EXPECT_FALSE(QFile::exists(Preferences::purchasesPath() + QStringLiteral("/b.m4r")));
    EXPECT_TRUE(entries().contains(QStringLiteral("hidden.m4r")));
}

TEST_F(RingtoneListTest, LeavingWhileEditingEndsEditMode)
{
    writeCatalogue();
    show();
    screen->enterEditMode(screen->editButton());
    select(0);
    navigation->pushViewController(new ViewController, false);
    settle();
    EXPECT_FALSE(screen->isEditing());
    EXPECT_TRUE(screen->selectedRingtones().isEmpty());
    EXPECT_EQ(screen->editButton()->title(), QStringLiteral("Edit"));
}

TEST_F(RingtoneListTest, PullToRefreshHoldsTheIndicatorAndReloadsAfterIt)
{
    writeCatalogue();
    show();
    touch(Preferences::purchasesPath() + QStringLiteral("/c.m4r"));
    QVariantMap root = RingtoneCatalogueFile::read(catalogue())->root;
    QVariantMap ringtones = root.value(QStringLiteral("Ringtones")).toMap();
    ringtones.insert(QStringLiteral("c.m4r"), entry(QStringLiteral("Gamma")));
    root.insert(QStringLiteral("Ringtones"), ringtones);
    ASSERT_TRUE(RingtoneCatalogueFile::write(catalogue(), { root, PropertyList::Format::Xml }));

    clock->advance(5.0);
    // A real pull past the threshold, let go.
    TableView *table = screen->tableView();
    const auto pullTo = [&](double distance) {
        table->setContentOffset(QPointF(0, -distance - table->contentInset().top));
        screen->scrollViewDidScroll(table);
    };
    QTest::mousePress(table, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(table, QPoint(100, 130));
    pullTo(100);
    pullTo(100);
    QTest::mouseRelease(table, Qt::LeftButton, {}, QPoint(100, 130));
    pullTo(100);
    pullTo(100);
    ASSERT_NE(screen->refresher()->state(), RefresherState::idle);
    EXPECT_EQ(screen->ringtones().size(), 3);
    const auto tick = [&](double seconds) {
        for (double t = 0; t < seconds - 1e-9; t += 0.01) {
            clock->advance(0.01);
            advance(0.01);
        }
    };
    tick(0.38);
    EXPECT_EQ(screen->refresher()->state(), RefresherState::pausing); // at least 0.4 s after the pull
    tick(0.04);
    EXPECT_EQ(screen->refresher()->state(), RefresherState::returning);
    tick(0.1); // the table reloads 0.1 s after the indicator ends
    screen->tableView()->layoutIfNeeded();
    auto *cell = qobject_cast<RingtoneCell *>(screen->tableView()->cellForRow(IndexPath(2, 0)));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->title()->text(), QStringLiteral("Gamma"));
}

TEST_F(RingtoneListTest, FooterTellsWhatTheListIs)
{
    show();
    ASSERT_TRUE(screen->footerLabel());
    EXPECT_EQ(screen->footerLabel()->text(), RingtoneViewController::footerText());
    EXPECT_TRUE(
        screen->footerLabel()->text().startsWith(QStringLiteral("This is a list of the ringtones you've created.\n")));
    EXPECT_TRUE(names().isEmpty());
    EXPECT_EQ(screen->navigationItem()->rightBarButtonItem(), nullptr);
    EXPECT_GT(screen->tableView()->tableFooterView()->height(), 40);
}

// Hostile catalogues: nothing outside the purchases folder is touched, and
// files that are not catalogues read as empty.
TEST_F(RingtoneListTest, HostileCataloguesTouchNothingOutsideThePurchasesFolder)
{
    QTemporaryDir outside;
    const QString sentinel = outside.filePath(QStringLiteral("sentinel"));
    touch(sentinel);
    const QString parentSentinel = Preferences::purchasesPath() + QStringLiteral("/../x");
    touch(parentSentinel);
    QVariantMap ringtones { { QStringLiteral("../x"), entry(QStringLiteral("Up")) },
        { sentinel, entry(QStringLiteral("Absolute")) }, { QString(), entry(QStringLiteral("Empty")) },
        { QStringLiteral("."), entry(QStringLiteral("Dot")) },
        { QStringLiteral("n.m4r"), entry(QVariantList { QStringLiteral("x") }) } };
    ASSERT_TRUE(RingtoneCatalogueFile::write(catalogue(), { { { QStringLiteral("Ringtones"), ringtones } } }));
    show();
    EXPECT_EQ(names().size(), 4);
    screen->enterEditMode(screen->editButton());
    screen->deleteButtonTapped(screen->deleteButton());
    settle();
    tap(QStringLiteral("Delete All"));
    EXPECT_TRUE(QFile::exists(sentinel));
    EXPECT_TRUE(QFile::exists(parentSentinel));
    EXPECT_TRUE(QFileInfo(Preferences::purchasesPath()).isDir());
    EXPECT_EQ(entries().keys(), QStringList({ QStringLiteral("n.m4r") }));
    QFile::remove(parentSentinel);
    window.reset();

    // Not catalogues: truncated, too large, too deep.
    const QByteArray valid = *PropertyList::toBytes(QVariantMap {
        { QStringLiteral("Ringtones"), QVariantMap { { QStringLiteral("a.m4r"), entry(QStringLiteral("Alpha")) } } } });
    QByteArray deepXml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < 10000; ++i)
        deepXml += "<array>";
    for (int i = 0; i < 10000; ++i)
        deepXml += "</array>";
    deepXml += "</plist>";
    QByteArray large = valid;
    large.insert(valid.indexOf("<dict>") + 6, QByteArray(50 * 1024 * 1024, ' '));
    for (const QByteArray &bytes : { valid.left(valid.size() / 2), deepXml, large }) {
        QFile file(catalogue());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        EXPECT_FALSE(RingtoneCatalogueFile::read(catalogue()));
        Ringtone ringtone(QStringLiteral("a.m4r"), QStringLiteral("Alpha"));
        EXPECT_FALSE(ringtone.setName(QStringLiteral("New"), catalogue()));
    }
}

TEST(RingtoneCatalogueFileTest, PlainFileNamesAndDeepBinaryCatalogues)
{
    for (const QString &bad : { QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../x"),
             QStringLiteral("/etc/passwd"), QStringLiteral("a/b") })
        EXPECT_FALSE(RingtoneCatalogueFile::isPlainFileName(bad)) << bad.toStdString();
    EXPECT_TRUE(RingtoneCatalogueFile::isPlainFileName(QStringLiteral("My Tone..m4r")));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("deep.plist"));
    QVariant deep = QVariantList();
    for (int i = 0; i < 200; ++i)
        deep = QVariantList { deep };
    ASSERT_TRUE(RingtoneCatalogueFile::write(
        path, { { { QStringLiteral("Ringtones"), deep } }, PropertyList::Format::Binary }));
    EXPECT_FALSE(RingtoneCatalogueFile::read(path));
    ASSERT_TRUE(RingtoneCatalogueFile::write(
        path, { { { QStringLiteral("Ringtones"), QVariantMap() } }, PropertyList::Format::Binary }));
    EXPECT_TRUE(RingtoneCatalogueFile::read(path));
}

} // namespace
