#include "ImportEditor/ImportViewController.h"

#include "ImportEditor/ImageQueryController.h"
#include "Tools/TransparentNavigationController.h"
#include "Tools/TrimmerViewController.h"
#include "Tools/VolumeEditorViewController.h"
#include "App/Constants.h"
#include "App/Extensions.h"
#include "App/Globals.h"
#include "App/ImageExtension.h"
#include "App/MainStoryboard.h"
#include "App/Preferences.h"
#include "App/UserManager.h"
#include "Controls/DropdownMenu/DropdownMenu.h"
#include "Controls/ImageView.h"
#include "Entries/EntryImages.h"
#include "Entries/FileTypes.h"
#include "Import/ImportObject.h"
#include "ImportEditor/ImportArtworkCell.h"
#include "ImportEditor/ImportDetailCell.h"
#include "ImportEditor/ImportEditableCell.h"
#include "ImportEditor/ImportHeaderView.h"
#include "Platform/Dispatch.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/FatalError.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UI/View.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QInputMethod>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <cmath>

namespace tarnik {

namespace {

constexpr double kImportDelay = 0.3;
constexpr double kCloseStep = 1.0;

std::optional<qint64> integerOf(const QString &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

bool isInsideFolder(const QString &path, const QString &folder)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    const QString root = QDir(folder).absolutePath();
    return file.startsWith(root + QLatin1Char('/'));
}

} // namespace

ImportViewController::ImportViewController(QObject *parent)
    : ViewController(parent)
{
    navigationItem()->setLeftBarButtonItem(new BarButtonItem(
        _localizedString(QStringLiteral("Cancel")), BarButtonItem::Style::plain, [this](BarButtonItem *) { cancelButtonTapped(); }));
    navigationItem()->setRightBarButtonItem(new BarButtonItem(
        _localizedString(QStringLiteral("Import")), BarButtonItem::Style::plain, [this](BarButtonItem *) { importButtonTapped(); }));
}

ImportViewController::~ImportViewController()
{
    delete m_loaderView.data();
}

ImportViewController *ImportViewController::initialize(const ImportItem &item)
{
    auto *editor = Storyboard(MainStoryboard::kName).instantiate<ImportViewController>(QStringLiteral("ImportViewController"));
    if (!editor)
        fatalError(wrongTypeMessage(QStringLiteral("ImportViewController"), QStringLiteral("ImportViewController")));
    editor->setImportItem(item);
    return editor;
}

void ImportViewController::setImportItem(const ImportItem &item)
{
    m_importItem = item;
    refreshContent();
}

void ImportViewController::refreshContent()
{
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QPointer<ImportViewController> guard(this);
    Dispatch::main([guard] {
        if (!guard)
            return;
        guard->m_refreshQueued = false;
        if (guard->m_dropdownMenuButton && guard->m_importItem) {
            guard->m_dropdownMenuButton->setText(guard->m_importItem->mediaKind.title());
            guard->m_dropdownMenuButton->adjustSize();
        }
        if (guard->m_tableView)
            guard->m_tableView->reloadData();
    });
}

void ImportViewController::loadView()
{
    auto *table = new TableView(TableView::Style::grouped);
    table->setObjectName(QStringLiteral("ImportTable"));
    table->setDataSource(this);
    table->setDelegate(this);
    table->registerCellClass<ImportDetailCell>(QStringLiteral("ImportSelectCell"));
    table->registerCellClass<ImportArtworkCell>(QStringLiteral("ImportArtworkCell"));
    table->registerCellClass<ImportEditableCell>(QStringLiteral("ImportEditableCell"));
    table->registerCellClass<ImportHeaderView>(QStringLiteral("HeaderView"));
    m_tableView = table;
    setView(table);
}

void ImportViewController::viewDidLoad()
{
    if (!m_importItem)
        fatalError(QStringLiteral("The import editor has no item"));
    auto *button = new QToolButton;
    button->setObjectName(QStringLiteral("ImportKindButton"));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setLayoutDirection(Qt::RightToLeft); // the arrow after the title
    const QImage arrow = EntryImages::named(QStringLiteral("arrowDown"), 16);
    button->setIcon(QIcon(QPixmap::fromImage(arrow)));
    button->setText(m_importItem->mediaKind.title());
    button->setFont(Common::defaultFont());
    button->setStyleSheet(QStringLiteral("QToolButton { color: #000000; border: none; }"));
    button->adjustSize();
    connect(button, &QToolButton::clicked, this, [this] { presentDropdownMenu(); });
    m_dropdownMenuButton = button;
    navigationItem()->setTitleView(button);

    for (MediaKind kind : EditableCell::kindsWithFields()) {
        QList<ImportEditableCell *> cells;
        const QList<EditableCellIdentifier> fields = EditableCell::fields(kind).value_or(QList<EditableCellIdentifier>());
        for (EditableCellIdentifier field : fields) {
            auto *cell = new ImportEditableCell;
            cell->setParent(m_tableView);
            cell->hide();
            cell->identifier = field;
            cell->titleLabel()->setText(EditableCell::label(field));
            cell->textField()->setPlaceholderText(EditableCell::placeholder(field));
            cell->textField()->setAccessibleName(EditableCell::label(field));
            if (EditableCell::keyboardType(field) == EditableCell::KeyboardType::numbersAndPunctuation)
                cell->textField()->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
            cell->textField()->setText(currentValue(field));
            QLineEdit *edit = cell->textField();
            connect(edit, &QLineEdit::textEdited, this, [this, edit] {
                textFieldDidChange = true;
                m_currentTextField = edit;
            });
            connect(edit, &QLineEdit::returnPressed, this, [this, edit] { focusNextField(edit); });
            connect(cell, &ImportEditableCell::textFieldDidBeginEditing, this,
                [this](QLineEdit *textField) { m_currentTextField = textField; });
            connect(cell, &ImportEditableCell::textFieldDidEndEditing, this,
                [this](QLineEdit *textField) { m_currentTextField = textField; });
            cells.append(cell);
        }
        m_editableCells.insert(kind.value(), cells);
    }

    m_tableView->reloadData();
}

QString ImportViewController::currentValue(EditableCellIdentifier field) const
{
    if (field == EditableCellIdentifier::extendedTitle)
        return extendedTitle();
    if (!m_importItem || !m_importItem->metadata)
        return {};
    const std::optional<QVariantMap> dictionary = m_importItem->metadata->dictionaryRepresentation();
    if (!dictionary)
        return {};
    const QVariant value = dictionary->value(EditableCell::rawValue(field));
    return value.isValid() ? value.toString() : QString();
}

QString ImportViewController::extendedTitle() const
{
    if (!m_importItem)
        fatalError(QStringLiteral("The import editor has no item"));
    if (const auto &m = m_importItem->metadata; m && m->title && !m->title->isEmpty()) {
        if (m->artist && !m->artist->isEmpty())
            return *m->artist + QStringLiteral(" - ") + *m->title;
        return *m->title;
    }
    return QFileInfo(FileTypes::deletingSupportedPathExtension(m_importItem->path)).fileName();
}

bool ImportViewController::isTrimmable() const
{
    if (!m_importItem)
        fatalError(QStringLiteral("The import editor has no item"));
    return m_importItem->mediaKind == MediaKind::song || m_importItem->mediaKind == MediaKind::ringtone;
}

MediaTime ImportViewController::duration()
{
    if (!m_duration) {
        if (m_importItem && m_importItem->metadata && m_importItem->metadata->duration)
            m_duration = MediaTime::fromSeconds(*m_importItem->metadata->duration / 1000.0, 1000000);
        else
            m_duration = MediaTime::fromSeconds(
                m_importItem ? MediaAsset::durationOfFile(m_importItem->path).value_or(0.0) : 0.0, 1000000);
    }
    return *m_duration;
}

MediaTime ImportViewController::endTime()
{
    if (!m_endTime)
        m_endTime = duration();
    return *m_endTime;
}

QString ImportViewController::trimRangeText()
{
    return timeString(startTime) + QStringLiteral(" - ") + timeString(endTime());
}

QString ImportViewController::volumeText() const
{
    if (volumeLevel == 1.0f)
        return {};
    const double cut = std::floor(double(volumeLevel) * 100.0) / 100.0;
    const int percent = int((1.0 - cut) * 100.0);
    return QString::number(-percent) + QLatin1Char('%');
}

QString ImportViewController::searchText() const
{
    QString text;
    if (!m_importItem || !m_importItem->metadata)
        return text;
    const Metadata &m = *m_importItem->metadata;
    if (m.artist)
        text += *m.artist;
    if (m.title && !m.title->isEmpty()) {
        if (!text.isEmpty())
            text += QStringLiteral(" - ");
        text += *m.title;
    }
    return text;
}

DropdownMenuItems ImportViewController::dropdownMenuItems() const
{
    if (!m_importItem)
        fatalError(QStringLiteral("The import editor has no item"));
    QList<MediaKind> kinds { MediaKind::song, MediaKind::ringtone, MediaKind::podcast };
    if (m_importItem->hasVideoTrack())
        kinds += { MediaKind::musicVideo, MediaKind::featureMovie, MediaKind::tvEpisode };
    DropdownMenuItems items;
    QPointer<ImportViewController> guard(const_cast<ImportViewController *>(this));
    for (MediaKind kind : kinds) {
        items.append(std::make_shared<DropdownMenuItem>(kind.title(), EntryImages::named(kind.iconName(), 22), [guard, kind] {
            if (!guard || !guard->m_importItem)
                return;
            ImportItem item = *guard->m_importItem;
            item.mediaKind = kind;
            guard->setImportItem(item);
        }));
        // The kind the import has now stands out, so the menu shows what a choice would change.
        if (kind == m_importItem->mediaKind) {
            QFont bold = Common::defaultFont();
            bold.setBold(true);
            items.last()->attributedText = AttributedText { kind.title(), std::nullopt, bold };
            items.last()->text.reset();
        }
    }
    return items;
}

void ImportViewController::presentDropdownMenu()
{
    DropdownMenu::present(this, dropdownMenuItems(), DropdownMenuCellAlignment::center(true),
        DropdownMenuStyle::translucentSmoke, EntryImages::named(QStringLiteral("arrowDown"), 20));
}

QString ImportViewController::sectionTitle(int section) const
{
    switch (section) {
    case 1:
        return _localizedString(QStringLiteral("Edit Audio Track")).toUpper();
    case 2:
        return m_importItem && m_importItem->mediaKind == MediaKind::ringtone
            ? QString()
            : _localizedString(QStringLiteral("Change Artwork")).toUpper();
    case 3:
        return _localizedString(QStringLiteral("Details")).toUpper();
    default:
        return {};
    }
}

int ImportViewController::numberOfRows(TableView *, int section)
{
    switch (section) {
    case 0:
        return 1;
    case 1:
        return 2;
    case 2:
        return m_importItem && m_importItem->mediaKind == MediaKind::ringtone ? 0 : 2;
    case 3:
        return m_importItem ? int(m_editableCells.value(m_importItem->mediaKind.value()).size()) : 0;
    default:
        return 0;
    }
}

double ImportViewController::toolRowHeight() const
{
    if (Device::isPad())
        return 54.0;
    return Device::maxLength() <= 568 ? 44.0 : 46.0;
}

std::optional<double> ImportViewController::heightForRow(TableView *table, const IndexPath &indexPath)
{
    switch (indexPath.section) {
    case 0:
        return double(std::min(table->width(), table->height()));
    case 1:
    case 2:
        return toolRowHeight();
    default:
        return Device::isPad() ? 50.0 : 44.0;
    }
}

std::optional<double> ImportViewController::heightForHeader(TableView *, int section)
{
    if (section == 0 || (section == 2 && m_importItem && m_importItem->mediaKind == MediaKind::ringtone))
        return 0.1;
    return 30.0;
}

std::optional<double> ImportViewController::heightForFooter(TableView *, int section)
{
    return section == 3 ? 40.0 : 10.0;
}

QWidget *ImportViewController::viewForHeader(TableView *table, int section)
{
    const QString title = sectionTitle(section);
    if (title.isEmpty())
        return nullptr;
    auto *header = qobject_cast<ImportHeaderView *>(table->dequeueReusableCell(QStringLiteral("HeaderView")));
    if (!header)
        return nullptr;
    QPointer<ImportViewController> guard(this);
    header->setTapAction([guard] {
        if (guard)
            guard->dismissKeyboard();
    });
    header->titleLabel()->setText(title);
    header->titleLabel()->setAccessibleName(title);
    return header;
}

TableViewCell *ImportViewController::cellForRow(TableView *table, const IndexPath &indexPath)
{
    if (!m_importItem)
        fatalError(QStringLiteral("The import editor has no item"));
    if (indexPath.section == 0) {
        auto *cell = table->dequeueReusableCell<ImportArtworkCell>(QStringLiteral("ImportArtworkCell"), indexPath);
        QPointer<ImportViewController> guard(this);
        cell->setGestureAction([guard] {
            if (guard)
                guard->dismissKeyboard();
        });
        cell->imgView()->setImage(m_importItem->metadata ? m_importItem->metadata->artworkImage() : QImage());
        return cell;
    }
    if (indexPath.section == 3) {
        const QList<ImportEditableCell *> cells = m_editableCells.value(m_importItem->mediaKind.value());
        if (indexPath.row() < cells.size())
            return cells.at(indexPath.row());
    }
    auto *cell = table->dequeueReusableCell<ImportDetailCell>(QStringLiteral("ImportSelectCell"), indexPath);
    cell->setExtraText(QString());
    struct Row
    {
        const char *title;
        const char *icon;
    };
    static const Row rows[2][2] = { { { "Trim Audio", "scisors" }, { "Volume Adjust", "equalizer" } },
        { { "Search For Album Artwork", "magnifier" }, { "Search Photo Library", "camera" } } };
    const Row &row = rows[std::clamp(indexPath.section - 1, 0, 1)][std::clamp(indexPath.row(), 0, 1)];
    cell->titleLabel()->setText(_localizedString(QString::fromLatin1(row.title)));
    cell->imgView()->setImage(EntryImages::named(QString::fromLatin1(row.icon), 44));
    // Detail cells are shared by both sections through the pool: every row sets its enabled look,
    // or a cell dimmed as an audio row under one kind would come back dimmed as an artwork row.
    const bool enabled = indexPath.section != 1 || isTrimmable();
    cell->setEnabled(enabled);
    cell->titleLabel()->setEnabled(enabled);
    View::setAlpha(cell->imgView(), enabled ? 1.0 : 0.5);
    cell->imgView()->setTintColor(enabled ? Common::blackColor() : Common::greyColor());
    if (indexPath.section == 1)
        cell->setExtraText(indexPath.row() == 0 ? trimRangeText() : volumeText());
    return cell;
}

void ImportViewController::didSelectRow(TableView *table, const IndexPath &indexPath)
{
    const Storyboard storyboard(MainStoryboard::kName);
    if (indexPath.section == 1 && isTrimmable()) {
        ViewController *tool = nullptr;
        if (indexPath.row() == 0)
            tool = TrimmerViewController::initialize(m_importItem->path, startTime, endTime(), this);
        else
            tool = VolumeEditorViewController::initialize(m_importItem->path, volumeLevel, this);
        if (tool)
            present(new TransparentNavigationController(tool), true);
    } else if (indexPath.section == 2 && indexPath.row() == 0) {
        auto *search = storyboard.contains(QStringLiteral("ImageQueryController"))
            ? qobject_cast<ImageQueryController *>(storyboard.instantiateViewController(QStringLiteral("ImageQueryController")))
            : nullptr;
        if (search) {
            search->setDelegate(this);
            search->setSearchTerm(searchText());
            present(new NavigationController(search), true);
        }
    } else if (indexPath.section == 2 && indexPath.row() == 1) {
        if (!m_photoPicker)
            m_photoPicker = PhotoPicker::fileDialog();
        QPointer<ImportViewController> guard(this);
        m_photoPicker->pick(view(), [guard](std::optional<QImage> picture) {
            if (!guard)
                return;
            if (picture)
                guard->didChooseArtwork(*picture);
            guard->scrollToArtworkRow();
        });
    }
    table->deselectRow(indexPath, true);
}

void ImportViewController::focusNextField(QLineEdit *field)
{
    if (!m_importItem)
        return;
    const QList<ImportEditableCell *> cells = m_editableCells.value(m_importItem->mediaKind.value());
    for (int i = 0; i < cells.size(); ++i) {
        if (cells.at(i)->textField() == field) {
            cells.at((i + 1) % cells.size())->textField()->setFocus();
            m_currentTextField = cells.at((i + 1) % cells.size())->textField();
            return;
        }
    }
}

void ImportViewController::viewWillAppear(bool)
{
    QInputMethod *input = QGuiApplication::inputMethod();
    QObject::disconnect(m_keyboardWatch);
    m_keyboardWatch = connect(input, &QInputMethod::keyboardRectangleChanged, this, [this, input] {
        if (input->isVisible() && !input->keyboardRectangle().isEmpty())
            keyboardWillShowForResizing(input->keyboardRectangle());
        else
            keyboardWillHideForResizing();
    });
}

void ImportViewController::viewWillDisappear(bool)
{
    QObject::disconnect(m_keyboardWatch);
}

void ImportViewController::keyboardWillShowForResizing(const QRectF &frame)
{
    if (!m_tableView || frame.isEmpty())
        return;
    double adjustment = 20.0;
    if (Device::isPad())
        adjustment = Device::isPortrait() ? 5.0 : -60.0;
    const EdgeInsets insets { 0, 0, frame.height() + adjustment, 0 };
    m_tableView->setContentInset(insets);
    m_tableView->setScrollIndicatorInsets(insets);
}

void ImportViewController::keyboardWillHideForResizing()
{
    if (!m_tableView)
        return;
    m_tableView->setContentInset({});
    m_tableView->setScrollIndicatorInsets({});
}

void ImportViewController::dismissKeyboard()
{
    if (m_currentTextField)
        m_currentTextField->clearFocus();
    m_currentTextField = nullptr;
}

void ImportViewController::scrollToArtworkRow()
{
    if (m_tableView)
        m_tableView->scrollToRow(IndexPath { 0, 0 }, TableView::ScrollPosition::top, true);
}

void ImportViewController::trimmerViewControllerDidFinish(const MediaTime &start, const MediaTime &end)
{
    startTime = start;
    m_endTime = end;
    if (auto *cell = m_tableView ? qobject_cast<ImportDetailCell *>(m_tableView->cellForRow(IndexPath { 0, 1 })) : nullptr)
        cell->setExtraText(trimRangeText());
}

void ImportViewController::volumeEditorViewControllerDidFinish(float volume)
{
    volumeLevel = volume;
    if (auto *cell = m_tableView ? qobject_cast<ImportDetailCell *>(m_tableView->cellForRow(IndexPath { 1, 1 })) : nullptr)
        cell->setExtraText(volumeText());
}

void ImportViewController::imageQueryControllerDidCancel(ImageQueryController *)
{
    if (presentedViewController())
        presentedViewController()->dismiss(true);
}

void ImportViewController::imageQueryController(ImageQueryController *, const QImage &image)
{
    didChooseArtwork(image);
    QPointer<ImportViewController> guard(this);
    if (ViewController *search = presentedViewController()) {
        search->dismiss(true, [guard] {
            if (guard)
                guard->scrollToArtworkRow();
        });
    }
}

void ImportViewController::didChooseArtwork(const QImage &image)
{
    delete m_loaderView.data();
    m_loaderView = new LoaderView;
    m_loaderView->contentViewTheme = Theme::light;
    m_loaderView->show(view());
    QPointer<ImportViewController> guard(this);
    Dispatch::global([guard, image] {
        QByteArray png;
        QBuffer buffer(&png);
        const bool encoded = !image.isNull() && buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG");
        // The item is the GUI thread's: the bytes go there, and the loader
        // comes down whether or not the picture could be encoded.
        Dispatch::main([guard, png, encoded] {
            if (!guard)
                return;
            if (encoded && guard->m_importItem) {
                ImportItem item = *guard->m_importItem;
                if (!item.metadata)
                    item.metadata = Metadata();
                item.metadata->artwork = png;
                guard->setImportItem(item);
            }
            if (guard->m_loaderView)
                guard->m_loaderView->hide();
        });
    });
}

void ImportViewController::cancelButtonTapped()
{
    // Only the app's own copy of a file handed over by another program goes.
    if (m_importItem && m_importItem->isOpenIn && isInsideFolder(m_importItem->path, Preferences::inboxPath()))
        QFile::remove(m_importItem->path);
    ViewController *presented = navigationController() ? static_cast<ViewController *>(navigationController()) : this;
    presented->dismiss(true);
}

void ImportViewController::importButtonTapped()
{
    dismissKeyboard();
    QPointer<ImportViewController> guard(this);
    Dispatch::main([guard] {
        if (guard)
            guard->scrollToArtworkRow();
    });
    Dispatch::mainAfter(kImportDelay, [guard] {
        if (guard)
            guard->startImport();
    });
}

void ImportViewController::startImport()
{
    if (!m_importItem)
        return;
    delete m_loaderView.data();
    m_loaderView = new LoaderView;
    m_loaderView->setHideContentView(false);
    m_loaderView->contentViewTheme = Theme::light;
    m_loaderView->spinnerViewSize = QSizeF(35, 35);
    m_loaderView->animateAppearance = true;
    m_loaderView->show(view(), LoaderView::Position::center, backgroundImportMessage(), std::nullopt, this);

    ImportItem item = *m_importItem;
    std::optional<Metadata> metadata = item.metadata;
    // Typed edits need a record to go into.
    if (textFieldDidChange && !metadata)
        metadata = Metadata();
    if (textFieldDidChange && metadata) {
        for (ImportEditableCell *cell : m_editableCells.value(item.mediaKind.value())) {
            if (!cell->identifier)
                continue;
            const QString text = cell->textField()->text();
            using E = EditableCellIdentifier;
            switch (*cell->identifier) {
            case E::title:
                metadata->title = text;
                break;
            case E::artist:
                // An MP3's lead-performer frame fills both the artist and the author, and readers
                // show the author as the artist as well: a copy of the old artist follows the edit.
                if (metadata->author && metadata->author == metadata->artist)
                    metadata->author = text;
                metadata->artist = text;
                break;
            case E::albumName:
                metadata->albumName = text;
                break;
            case E::genre:
                metadata->genre = text;
                break;
            case E::podcastName:
                metadata->podcastName = text;
                break;
            case E::podcastUrl:
                metadata->podcastUrl = text;
                break;
            case E::seriesName:
                metadata->seriesName = text;
                break;
            case E::trackNumber:
                metadata->trackNumber = integerOf(text);
                break;
            case E::year:
                metadata->year = integerOf(text);
                break;
            case E::episodeNumber:
                metadata->episodeNumber = integerOf(text);
                break;
            case E::seasonNumber:
                metadata->seasonNumber = integerOf(text);
                break;
            case E::extendedTitle:
                if (!text.isEmpty()
                    && (item.mediaKind == MediaKind::ringtone || item.mediaKind == MediaKind::podcast
                        || item.mediaKind == MediaKind::featureMovie || item.mediaKind == MediaKind::tvEpisode))
                    metadata->title = text;
                break;
            }
        }
    }
    if (metadata && metadata->artwork)
        metadata->artwork = artworkData(*metadata->artwork, item.mediaKind, true);
    if (isTrimmable()) {
        if (MediaTime::compare(startTime, MediaTime::zero()) > 0 || MediaTime::compare(endTime(), duration()) < 0) {
            item.timeRange = MediaTimeRange::fromTimeToTime(startTime, endTime());
            if (metadata)
                metadata->duration = (endTime().seconds() - startTime.seconds()) * 1000.0;
        }
        item.volume = volumeLevel;
    }
    item.metadata = metadata;
    item.isUpdatedByUser = true;
    setImportItem(item);
    QPointer<ImportViewController> guard(this);
    UserManager::shared()->importMedia({ item }, [guard] {
        Dispatch::main([guard] {
            if (guard)
                guard->finishImport();
        });
    });
}

void ImportViewController::finishImport()
{
    QPointer<ImportViewController> guard(this);
    Dispatch::mainAfter(kCloseStep, [guard] {
        if (guard)
            guard->dismissAfterImport();
    });
}

void ImportViewController::dismissAfterImport()
{
    if (m_loaderView)
        m_loaderView->hide();
    QPointer<ImportViewController> guard(this);
    Dispatch::mainAfter(kCloseStep, [guard] {
        if (!guard)
            return;
        ViewController *presented = guard->navigationController()
            ? static_cast<ViewController *>(guard->navigationController())
            : guard.data();
        // A screen presented meanwhile (the failure alert) keeps the editor open.
        if (presented->presentedViewController() || guard->presentedViewController())
            return;
        presented->dismiss(true);
    });
}

} // namespace tarnik
