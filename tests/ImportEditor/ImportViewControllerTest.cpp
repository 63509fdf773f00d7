#include "Tools/VolumeEditorViewController.h"
#include "Tools/TrimmerViewController.h"
#include "Tools/TransparentNavigationController.h"
#include "ImportEditor/ImageQueryController.h"
#include "App/MainStoryboard.h"
#include "App/Preferences.h"
#include "App/UserManager.h"
#include "Controls/DropdownMenu/DropdownMenu.h"
#include "ImportEditor/EditableCellIdentifier.h"
#include "ImportEditor/ImportArtworkCell.h"
#include "ImportEditor/ImportDetailCell.h"
#include "ImportEditor/ImportEditableCell.h"
#include "ImportEditor/ImportHeaderView.h"
#include "ImportEditor/ImportViewController.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/View.h"
#include "Support/MediaFixtures.h"
#include "Support/UiTestSupport.h"

#include <QAccessible>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace tarnik;

namespace {

// Records what the editor hands to the import and completes at once.
class RecordingUserManager : public UserManager
{
public:
    QList<ImportItem> imported;
    void importMedia(const QList<ImportItem> &items, std::function<void()> completion) override
    {
        imported += items;
        if (completion)
            completion();
    }
};

class ImportViewControllerTest : public test::ScreenTest
{
protected:
    void SetUp() override
    {
        test::ScreenTest::SetUp();
        clock = std::make_unique<Dispatch::VirtualClock>();
        manager = std::make_shared<RecordingUserManager>();
        UserManager::setShared(manager);
        makeWindow();
        presenter = new test::RecordingViewController;
        window->setRootViewController(presenter);
    }
    void TearDown() override
    {
        UserManager::setShared(nullptr);
        test::ScreenTest::TearDown();
        clock.reset();
    }
    void tick(double seconds)
    {
        for (double left = seconds; left > 1e-9; left -= 0.01) {
            QCoreApplication::sendPostedEvents();
            clock->advance(std::min(0.01, left));
            AnimationDriver::shared().advance(std::min(0.01, left));
        }
        QCoreApplication::sendPostedEvents();
    }
    ImportViewController *open(const ImportItem &item)
    {
        auto *editor = new ImportViewController;
        editor->setImportItem(item);
        presenter->present(new NavigationController(editor), false);
        tick(0.1);
        return editor;
    }
    static Metadata songMetadata()
    {
        Metadata m;
        m.title = QStringLiteral("Blue");
        m.artist = QStringLiteral("Ana");
        m.year = 2019;
        m.duration = 60000;
        return m;
    }

    std::unique_ptr<Dispatch::VirtualClock> clock;
    std::shared_ptr<RecordingUserManager> manager;
    test::RecordingViewController *presenter = nullptr;
};

TEST(EditableCellIdentifierTest, FieldsPerKindAndKeys)
{
    using E = EditableCellIdentifier;
    EXPECT_EQ(EditableCell::fields(MediaKind::song),
        (QList<E> { E::trackNumber, E::title, E::artist, E::albumName, E::genre, E::year }));
    EXPECT_EQ(EditableCell::fields(MediaKind::ringtone), QList<E> { E::extendedTitle });
    EXPECT_EQ(EditableCell::fields(MediaKind::podcast),
        (QList<E> { E::extendedTitle, E::podcastName, E::episodeNumber, E::podcastUrl, E::genre, E::year }));
    EXPECT_EQ(EditableCell::fields(MediaKind::tvEpisode),
        (QList<E> { E::extendedTitle, E::seriesName, E::seasonNumber, E::episodeNumber, E::year }));
    EXPECT_EQ(EditableCell::fields(MediaKind::featureMovie), (QList<E> { E::extendedTitle, E::year }));
    EXPECT_FALSE(EditableCell::fields(MediaKind::tone));
    EXPECT_FALSE(EditableCell::fields(MediaKind::videoPodcast));
    for (E field : EditableCell::allCases())
        EXPECT_EQ(EditableCell::fromRawValue(EditableCell::rawValue(field)), field);
    EXPECT_EQ(EditableCell::rawValue(E::genre), QStringLiteral("type"));
    EXPECT_EQ(EditableCell::rawValue(E::year), QStringLiteral("creationDate"));
    EXPECT_EQ(EditableCell::rawValue(E::podcastUrl), QStringLiteral("podcastURL"));
    EXPECT_FALSE(EditableCell::fromRawValue(QStringLiteral("Title")));
    EXPECT_EQ(EditableCell::placeholder(E::year), QStringLiteral("YYYY"));
}

TEST_F(ImportViewControllerTest, RowsAndFieldsFollowTheKind)
{
    ImportItem item(MediaKind::song, QStringLiteral("/nowhere/Ana - Blue.mp3"), songMetadata());
    ImportViewController *editor = open(item);
    TableView *table = editor->tableView();
    EXPECT_EQ(table->numberOfRows(3), 6);
    EXPECT_EQ(table->numberOfRows(2), 2);
    const QList<ImportEditableCell *> song = editor->editableCells(MediaKind::song);
    EXPECT_EQ(song.at(1)->textField()->text(), QStringLiteral("Blue"));
    EXPECT_EQ(song.at(5)->textField()->text(), QStringLiteral("2019"));
    EXPECT_TRUE(song.at(3)->textField()->text().isEmpty());
    EXPECT_EQ(editor->editableCells(MediaKind::podcast).at(0)->textField()->text(), QStringLiteral("Ana - Blue"));

    item.mediaKind = MediaKind::ringtone;
    editor->setImportItem(item);
    tick(0.05);
    EXPECT_EQ(table->numberOfRows(2), 0);
    EXPECT_EQ(table->numberOfRows(3), 1);
    EXPECT_EQ(editor->dropdownMenuButton()->text(), QStringLiteral("Ringtone"));
    item.mediaKind = MediaKind::tone;
    editor->setImportItem(item);
    tick(0.05);
    EXPECT_EQ(table->numberOfRows(3), 0);
    EXPECT_FALSE(editor->isTrimmable());
    EXPECT_EQ(editor->dropdownMenuItems().size(), 3) << "no video track";

    // The menu marks the kind the import has: its row's text is bold, the others plain.
    item.mediaKind = MediaKind::podcast;
    editor->setImportItem(item);
    tick(0.05);
    QStringList marked;
    for (const auto &row : editor->dropdownMenuItems()) {
        if (row->attributedText && row->attributedText->font && row->attributedText->font->bold())
            marked << row->attributedText->string;
        else
            EXPECT_TRUE(row->text && !row->text->isEmpty());
    }
    EXPECT_EQ(marked, QStringList { QStringLiteral("Podcast") });
}

// Screen readers find every row of the editor by what it shows: the cells lay out labels of their
// own rather than the row's text label, and the row takes its name from them.
TEST_F(ImportViewControllerTest, RowsAreNamedByWhatTheyShow)
{
    ImportViewController *editor = open(ImportItem(MediaKind::song, QStringLiteral("/nowhere/Ana - Blue.mp3"), songMetadata()));
    editor->volumeLevel = 0.5f;
    editor->tableView()->reloadData();
    tick(0.05);
    TableView *table = editor->tableView();
    const auto nameOf = [&](const IndexPath &path) {
        QWidget *cell = table->cellForRow(path);
        QAccessibleInterface *accessible = cell ? QAccessible::queryAccessibleInterface(cell) : nullptr;
        return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("(no row)");
    };
    EXPECT_EQ(nameOf(IndexPath(0, 0)), QStringLiteral("Artwork"));
    EXPECT_EQ(nameOf(IndexPath(1, 1)), QStringLiteral("Volume Adjust, -50%"));
    const QList<ImportEditableCell *> fields = editor->editableCells(MediaKind::song);
    for (int row = 0; row < table->numberOfRows(3); ++row) {
        auto *cell = qobject_cast<ImportEditableCell *>(table->cellForRow(IndexPath(row, 3)));
        if (!cell)
            continue;
        EXPECT_EQ(nameOf(IndexPath(row, 3)), cell->titleLabel()->text()) << row;
        EXPECT_FALSE(cell->titleLabel()->text().isEmpty()) << row;
    }
    for (int section = 0; section < table->numberOfSections(); ++section) {
        for (int row = 0; row < table->numberOfRows(section); ++row) {
            if (table->cellForRow(IndexPath(row, section)))
                EXPECT_FALSE(nameOf(IndexPath(row, section)).isEmpty()) << section << " " << row;
        }
    }
}

// The tool and artwork rows look the same after the kind went elsewhere and came back as in a
// freshly opened editor of that kind: the pooled detail cells carry no dimming from one kind to
// another.
TEST_F(ImportViewControllerTest, KindRoundTripKeepsTheRowsEnabledStateOfAFreshEditor)
{
    struct RowLook
    {
        bool enabled;
        bool titleEnabled;
        double iconAlpha;
        bool operator==(const RowLook &) const = default;
    };
    const auto looks = [this](ImportViewController *editor) {
        tick(0.05);
        QList<std::optional<RowLook>> rows;
        TableView *table = editor->tableView();
        for (const IndexPath &path : { IndexPath(0, 1), IndexPath(1, 1), IndexPath(0, 2), IndexPath(1, 2) }) {
            auto *cell = qobject_cast<ImportDetailCell *>(table->cellForRow(path));
            rows.append(cell ? std::optional<RowLook>(RowLook { cell->isEnabled(), cell->titleLabel()->isEnabled(),
                                   View::alpha(cell->imgView()) })
                             : std::nullopt);
        }
        return rows;
    };
    const QString path = QStringLiteral("/nowhere/Ana - Blue.mp3");
    const QList<MediaKind> kinds { MediaKind::song, MediaKind::ringtone, MediaKind::podcast, MediaKind::musicVideo,
        MediaKind::featureMovie, MediaKind::tvEpisode };
    for (MediaKind kind : kinds) {
        ImportViewController *fresh = open(ImportItem(kind, path, songMetadata()));
        const QList<std::optional<RowLook>> expected = looks(fresh);
        const bool trimmable = kind == MediaKind::song || kind == MediaKind::ringtone;
        ASSERT_TRUE(expected.at(0)) << qPrintable(kind.title());
        EXPECT_EQ(expected.at(0)->enabled, trimmable) << qPrintable(kind.title());
        EXPECT_DOUBLE_EQ(expected.at(0)->iconAlpha, trimmable ? 1.0 : 0.5) << qPrintable(kind.title());
        if (kind != MediaKind::ringtone) {
            ASSERT_TRUE(expected.at(2)) << qPrintable(kind.title());
            EXPECT_EQ(expected.at(2), (RowLook { true, true, 1.0 })) << qPrintable(kind.title());
        }
        presenter->dismiss(false);
        tick(0.1);

        for (MediaKind other : kinds) {
            if (other == kind)
                continue;
            ImportViewController *editor = open(ImportItem(kind, path, songMetadata()));
            looks(editor);
            for (MediaKind step : { other, kind }) {
                ImportItem item = *editor->importItem();
                item.mediaKind = step;
                editor->setImportItem(item);
                looks(editor);
            }
            EXPECT_EQ(looks(editor), expected) << qPrintable(kind.title() + QStringLiteral(" -> ") + other.title());
            presenter->dismiss(false);
            tick(0.1);
        }
    }
}

TEST_F(ImportViewControllerTest, TextsDerivedFromTheItem)
{
    ImportItem bare(MediaKind::song, QStringLiteral("/nowhere/My.Song.m4a"));
    ImportViewController *editor = open(bare);
    EXPECT_EQ(editor->extendedTitle(), QStringLiteral("My.Song"));
    EXPECT_TRUE(editor->searchText().isEmpty());
    struct Case
    {
        float level;
        const char *text;
    };
    for (const Case c : { Case { 1.0f, "" }, Case { 0.5f, "-50%" }, Case { 0.75f, "-25%" }, Case { 0.0f, "-100%" } }) {
        editor->volumeLevel = c.level;
        EXPECT_EQ(editor->volumeText(), QString::fromLatin1(c.text));
    }
    editor->startTime = MediaTime::zero();
    editor->setEndTime(MediaTime::fromSeconds(205, 1000000));
    EXPECT_EQ(editor->trimRangeText(), QStringLiteral("0:00 - 3:25"));
}

TEST_F(ImportViewControllerTest, EditsReachTheImportedItem)
{
    struct Case
    {
        const char *what;
        MediaKind kind;
        QStringList typed; // per row of the kind, empty entries untouched
        double trimStart;
        double trimEnd;
        float volume;
        std::function<void(const ImportItem &)> check;
    };
    const Case cases[] = {
        { "untouched song", MediaKind::song, {}, 0, 60, 1.0f,
            [](const ImportItem &item) {
                EXPECT_EQ(item.metadata->title, QStringLiteral("Blue"));
                EXPECT_TRUE(item.isUpdatedByUser);
                EXPECT_EQ(item.timeRange, MediaTimeRange::zero()) << "the whole file is no range";
                EXPECT_FLOAT_EQ(item.volume, 1.0f);
            } },
        { "typed song, trimmed", MediaKind::song,
            { QStringLiteral("x1"), QStringLiteral("New"), QString(), QStringLiteral("Alb"), QString(), QStringLiteral("2001") }, 10,
            40, 0.5f,
            [](const ImportItem &item) {
                EXPECT_FALSE(item.metadata->trackNumber) << "letters are no number";
                EXPECT_EQ(item.metadata->title, QStringLiteral("New"));
                EXPECT_EQ(item.metadata->albumName, QStringLiteral("Alb"));
                EXPECT_EQ(item.metadata->year, 2001);
                EXPECT_NEAR(item.timeRange.start.seconds(), 10, 1e-6);
                EXPECT_NEAR(item.timeRange.duration.seconds(), 30, 1e-6);
                EXPECT_DOUBLE_EQ(*item.metadata->duration, 30000);
                EXPECT_FLOAT_EQ(item.volume, 0.5f);
            } },
        { "podcast keeps no trim", MediaKind::podcast, { QStringLiteral("Show \u202Eright-to-left \U0001F3B5") }, 10, 40, 0.5f,
            [](const ImportItem &item) {
                EXPECT_EQ(item.metadata->title, QStringLiteral("Show \u202Eright-to-left \U0001F3B5"));
                EXPECT_EQ(item.timeRange, MediaTimeRange::zero());
                EXPECT_FLOAT_EQ(item.volume, 1.0f);
            } },
        { "long ringtone title", MediaKind::ringtone, { QString(10000, QLatin1Char('a')) }, 0, 8, 0.5f,
            [](const ImportItem &item) {
                EXPECT_EQ(item.metadata->title->size(), 10000);
                EXPECT_NEAR(item.timeRange.duration.seconds(), 8, 1e-6);
            } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        manager->imported.clear();
        ImportItem item(c.kind, QStringLiteral("/nowhere/Ana - Blue.mp3"), songMetadata());
        ImportViewController *editor = open(item);
        const QList<ImportEditableCell *> cells = editor->editableCells(c.kind);
        for (int i = 0; i < c.typed.size() && i < cells.size(); ++i) {
            if (c.typed.at(i).isNull())
                continue;
            cells.at(i)->textField()->setText(c.typed.at(i));
            Q_EMIT cells.at(i)->textField()->textEdited(c.typed.at(i));
        }
        editor->trimmerViewControllerDidFinish(MediaTime::fromSeconds(c.trimStart, 1000000), MediaTime::fromSeconds(c.trimEnd, 1000000));
        editor->volumeEditorViewControllerDidFinish(c.volume);
        editor->importButtonTapped();
        tick(0.35);
        ASSERT_EQ(manager->imported.size(), 1);
        c.check(manager->imported.first());
        ASSERT_TRUE(editor->loaderView());
        EXPECT_TRUE(editor->loaderView()->isAnimating());
        tick(1.3);
        EXPECT_FALSE(editor->loaderView()->isAnimating()) << "overlay down 1 s after the hand-off";
        EXPECT_TRUE(presenter->presentedViewController());
        tick(1.0);
        EXPECT_FALSE(presenter->presentedViewController()) << "closed 1 s later";
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ImportViewControllerTest, CancelDeletesOnlyTheInboxCopy)
{
    QDir().mkpath(Preferences::inboxPath());
    const QString inboxCopy = Preferences::inboxPath() + QStringLiteral("/handed.mp3");
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath(QStringLiteral("user.mp3"));
    for (const QString &path : { inboxCopy, outside }) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    for (const QString &path : { inboxCopy, outside }) {
        ImportItem item(MediaKind::song, path);
        item.isOpenIn = true;
        ImportViewController *editor = open(item);
        editor->cancelButtonTapped();
        tick(1.0);
        EXPECT_FALSE(presenter->presentedViewController());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_FALSE(QFile::exists(inboxCopy));
    EXPECT_TRUE(QFile::exists(outside));
}

TEST_F(ImportViewControllerTest, ChosenArtworkIsStoredEvenWithoutARecordAndTheLoaderComesDown)
{
    ImportViewController *editor = open(ImportItem(MediaKind::song, QStringLiteral("/nowhere/a.mp3")));
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    editor->didChooseArtwork(picture);
    for (int i = 0; i < 200 && !(editor->importItem()->metadata && editor->importItem()->metadata->artwork); ++i) {
        QThreadPool::globalInstance()->waitForDone(50);
        tick(0.01);
    }
    ASSERT_TRUE(editor->importItem()->metadata);
    EXPECT_TRUE(editor->importItem()->metadata->artwork);
    tick(0.5);
    EXPECT_FALSE(editor->loaderView()->isAnimating());

    editor->didChooseArtwork(QImage());
    QThreadPool::globalInstance()->waitForDone(1000);
    tick(0.5);
    EXPECT_FALSE(editor->loaderView()->isAnimating()) << "a picture that cannot be encoded does not block";
}

} // namespace

namespace {

// Answers with a fixed result.
class FixedPicker : public PhotoPicker
{
public:
    explicit FixedPicker(std::optional<QImage> result)
        : m_result(std::move(result))
    {
    }
    void pick(QWidget *, std::function<void(std::optional<QImage>)> done) override { done(m_result); }

private:
    std::optional<QImage> m_result;
};

TEST_F(ImportViewControllerTest, KeyboardInsetAndReturnKeyWrap)
{
    ImportViewController *editor = open(ImportItem(MediaKind::featureMovie, QStringLiteral("/nowhere/a.mp4"), songMetadata()));
    editor->keyboardWillShowForResizing(QRectF(0, 400, 375, 260));
    EXPECT_DOUBLE_EQ(editor->tableView()->contentInset().bottom, 280.0);
    editor->keyboardWillShowForResizing(QRectF());
    EXPECT_DOUBLE_EQ(editor->tableView()->contentInset().bottom, 280.0) << "no usable frame: unchanged";
    editor->keyboardWillHideForResizing();
    EXPECT_DOUBLE_EQ(editor->tableView()->contentInset().bottom, 0.0);

    const QList<ImportEditableCell *> cells = editor->editableCells(MediaKind::featureMovie);
    ASSERT_EQ(cells.size(), 2);
    Q_EMIT cells.at(0)->textField()->returnPressed();
    EXPECT_EQ(editor->currentTextField(), cells.at(1)->textField());
    Q_EMIT cells.at(1)->textField()->returnPressed();
    EXPECT_EQ(editor->currentTextField(), cells.at(0)->textField()) << "the last row hands the focus to the first";
    editor->dismissKeyboard();
    EXPECT_EQ(editor->currentTextField(), nullptr);
}

// The field being edited follows the keyboard focus in and out; a tap on a section header, and
// a tap or a sideways swipe on the artwork, close the keyboard.
TEST_F(ImportViewControllerTest, EditingFollowsTheFocusAndHeadersAndArtworkCloseTheKeyboard)
{
    ImportViewController *editor = open(ImportItem(MediaKind::song, QStringLiteral("/nowhere/a.mp3"), songMetadata()));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const QList<ImportEditableCell *> cells = editor->editableCells(MediaKind::song);
    QLineEdit *title = cells.at(1)->textField();
    QLineEdit *artist = cells.at(2)->textField();
    const auto focus = [&](QWidget *widget) {
        widget->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
    };
    focus(title);
    EXPECT_EQ(editor->currentTextField(), title) << "begins editing";
    Q_EMIT cells.at(1)->textFieldDidEndEditing(title);
    EXPECT_EQ(editor->currentTextField(), title) << "ends editing, still the field last edited";
    focus(artist);
    EXPECT_EQ(editor->currentTextField(), artist);

    TableView *table = editor->tableView();
    auto *header = qobject_cast<ImportHeaderView *>(table->headerView(1));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->titleLabel()->text(), QStringLiteral("EDIT AUDIO TRACK"));
    EXPECT_EQ(table->headerView(0), nullptr);
    const QPointF headerPoint = header->mapToGlobal(header->rect().center());
    header->tapGesture()->feed(GestureRecognizer::Phase::began, headerPoint);
    header->tapGesture()->feed(GestureRecognizer::Phase::ended, headerPoint);
    EXPECT_EQ(editor->currentTextField(), nullptr);
    EXPECT_FALSE(artist->hasFocus());

    auto *artwork = qobject_cast<ImportArtworkCell *>(table->cellForRow(IndexPath(0, 0)));
    ASSERT_TRUE(artwork);
    const QPointF middle = artwork->mapToGlobal(artwork->rect().center());
    struct Gesture
    {
        const char *name;
        QPointF end;
        bool closes;
    };
    for (const Gesture &gesture : { Gesture { "tap", middle, true }, Gesture { "swipe left", middle - QPointF(80, 0), true },
             Gesture { "swipe right", middle + QPointF(80, 0), true }, Gesture { "swipe up", middle - QPointF(0, 80), false } }) {
        focus(title);
        ASSERT_EQ(editor->currentTextField(), title) << gesture.name;
        GestureRecognizer *recognizer = gesture.end == middle ? static_cast<GestureRecognizer *>(artwork->tapGesture())
                                                              : artwork->swipeGesture();
        recognizer->feed(GestureRecognizer::Phase::began, middle, 10.0);
        recognizer->feed(GestureRecognizer::Phase::ended, gesture.end, 10.1);
        EXPECT_EQ(editor->currentTextField() == nullptr, gesture.closes) << gesture.name;
    }
}

TEST(PhotoPickerTest, UnreadablePicturesGiveNothing)
{
    QTemporaryDir folder;
    const QString truncated = folder.filePath(QStringLiteral("cut.png"));
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::blue);
    ASSERT_TRUE(small.save(truncated));
    {
        QFile file(truncated);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.resize(20);
    }
    const QString text = folder.filePath(QStringLiteral("notes.jpg"));
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a picture at all");
    }
    // A 20000 x 20000 PNG header promises more than Qt will decode.
    const QString huge = folder.filePath(QStringLiteral("huge.png"));
    {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        small.save(&buffer, "PNG");
        // IHDR starts at byte 8: length, "IHDR", width, height, ..., CRC.
        const auto put32 = [&png](int at, quint32 v) {
            for (int i = 0; i < 4; ++i)
                png[at + i] = char((v >> (24 - 8 * i)) & 0xff);
        };
        put32(16, 20000);
        put32(20, 20000);
        quint32 crc = 0xffffffffu;
        for (int i = 12; i < 29; ++i) {
            crc ^= quint8(png[i]);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
        put32(29, ~crc);
        ASSERT_TRUE(test::media::writeFile(huge, png));
    }
    EXPECT_FALSE(PhotoPicker::readPicture(truncated));
    EXPECT_FALSE(PhotoPicker::readPicture(text));
    EXPECT_FALSE(PhotoPicker::readPicture(huge));
    EXPECT_FALSE(PhotoPicker::readPicture(folder.filePath(QStringLiteral("missing.png"))));
    const QString good = folder.filePath(QStringLiteral("good.png"));
    ASSERT_TRUE(small.save(good));
    EXPECT_TRUE(PhotoPicker::readPicture(good));
}

TEST_F(ImportViewControllerTest, PhotoLibraryRowStoresThePickedPictureOnly)
{
    ImportViewController *editor = open(ImportItem(MediaKind::song, QStringLiteral("/nowhere/a.mp3"), songMetadata()));
    editor->setPhotoPicker(std::make_shared<FixedPicker>(std::nullopt));
    editor->didSelectRow(editor->tableView(), IndexPath { 1, 2 });
    tick(0.5);
    EXPECT_FALSE(editor->importItem()->metadata->artwork);

    QImage picture(30, 30, QImage::Format_RGB32);
    picture.fill(Qt::green);
    editor->setPhotoPicker(std::make_shared<FixedPicker>(picture));
    editor->didSelectRow(editor->tableView(), IndexPath { 1, 2 });
    for (int i = 0; i < 100 && !editor->importItem()->metadata->artwork; ++i) {
        QThreadPool::globalInstance()->waitForDone(50);
        tick(0.01);
    }
    EXPECT_TRUE(editor->importItem()->metadata->artwork);
}

// The tool rows open the real tools through their factories, each inside a see-through navigation
// controller, with the editor as their delegate; the web-search row opens the search with its term.
TEST_F(ImportViewControllerTest, ToolRowsOpenTheRealToolsAndTheSearch)
{
    MainStoryboard::registerScreens();
    ImportViewController *editor = open(ImportItem(MediaKind::song, QStringLiteral("/nowhere/a.mp3"), songMetadata()));
    auto openedBy = [&](IndexPath row) -> ViewController * {
        editor->didSelectRow(editor->tableView(), row);
        tick(0.6);
        ViewController *presented = editor->presentedViewController();
        if (row.section == 1)
            EXPECT_TRUE(qobject_cast<TransparentNavigationController *>(presented));
        auto *nav = qobject_cast<NavigationController *>(presented);
        ViewController *top = nav && !nav->viewControllers().isEmpty() ? nav->viewControllers().first() : nullptr;
        if (presented)
            presented->dismiss(false);
        tick(0.6);
        return top;
    };
    EXPECT_TRUE(qobject_cast<TrimmerViewController *>(openedBy(IndexPath { 0, 1 })));
    EXPECT_TRUE(qobject_cast<VolumeEditorViewController *>(openedBy(IndexPath { 1, 1 })));

    editor->didSelectRow(editor->tableView(), IndexPath { 0, 2 });
    tick(0.6);
    auto *nav = qobject_cast<NavigationController *>(editor->presentedViewController());
    ASSERT_TRUE(nav);
    auto *search = qobject_cast<ImageQueryController *>(nav->viewControllers().value(0));
    ASSERT_TRUE(search);
    EXPECT_EQ(search->delegate(), static_cast<ImageQueryControllerDelegate *>(editor));
    EXPECT_EQ(search->searchTerm(), std::optional<QString>(QStringLiteral("Ana - Blue")));
    nav->dismiss(false);
    tick(0.6);
}

} // namespace
