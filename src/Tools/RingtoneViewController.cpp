#include "Tools/RingtoneViewController.h"

#include "App/Constants.h"
#include "App/Globals.h"
#include "App/Preferences.h"
#include "Controls/Loaders/Refresher.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/AlertController.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/PopoverPresentationController.h"
#include "Platform/UI/TabBarController.h"
#include "Player/MiniPlayerHost.h"
#include "Tools/RingtoneCatalogueFile.h"
#include "Tools/RingtoneCell.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cerrno>
#include <cstring>

namespace tarnik {

namespace {

bool fileIsPresent(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

RingtoneViewController::RingtoneViewController(QObject *parent)
    : TableViewController(TableView::Style::plain, parent)
    , m_refresherStartTime(Dispatch::now())
{
    setTitle(_localizedString(QStringLiteral("Ringtones")));
}

QString RingtoneViewController::footerText()
{
    return _localizedString(QStringLiteral(
        "This is a list of the ringtones you've created.\nYou tap on a ringtone to change its name or use the `Edit` "
        "button to delete it so it is no longer listed within your ringtones under the `Sounds` section.\n\nPlease "
        "make sure you restart the `Settings` app for any changes to take effect."));
}

void RingtoneViewController::viewDidLoad()
{
    TableViewController::viewDidLoad();
    setTitle(_localizedString(QStringLiteral("Ringtones")));
    TableView *table = tableView();
    table->allowsMultipleSelectionDuringEditing = true;
    table->rowHeight = 50.0;
    table->registerCellClass<RingtoneCell>(Constants::ringtoneCellIdentifier);
    table->registerCellClass<RingtoneFooterCell>(Constants::footerCellIdentifier);

    m_editButton = new BarButtonItem(
        _localizedString(QStringLiteral("Edit")), BarButtonItem::Style::done,
        [this](BarButtonItem *sender) { enterEditMode(sender); }, this);
    navigationItem()->setRightBarButtonItem(m_editButton);

    QPointer<RingtoneViewController> guard(this);
    m_refresher = new Refresher([guard] {
        if (guard)
            guard->refresherDidStartRefreshing();
    });
    addRefresher(this, m_refresher);

    m_deleteButton = new BarButtonItem(
        _localizedString(QStringLiteral("Delete")), BarButtonItem::Style::plain,
        [this](BarButtonItem *sender) { deleteButtonTapped(sender); }, this);
    setToolbarItems({ BarButtonItem::flexibleSpace(this), m_deleteButton });
    for (BarButtonItem *item : { m_editButton.data(), m_deleteButton.data() }) {
        item->setTitleTextAttributes({ Common::redColor(), Common::defaultFont() }, ControlState::normal);
        for (ControlState state : { ControlState::disabled, ControlState::highlighted })
            item->setTitleTextAttributes({ Common::greyColor(), Common::defaultFont() }, state);
    }
    if (NavigationController *navigation = navigationController())
        navigation->setToolbarHidden(true, false);

    // The footer text under the rows.
    m_footerView = new QWidget;
    m_footerView->setObjectName(QStringLiteral("RingtoneFooterView"));
    auto *layout = new QVBoxLayout(m_footerView);
    layout->setContentsMargins(16, 12, 16, 12);
    m_footerLabel = new QLabel(footerText(), m_footerView);
    m_footerLabel->setObjectName(QStringLiteral("footerLabel"));
    m_footerLabel->setWordWrap(true);
    m_footerLabel->setAlignment(Qt::AlignCenter);
    m_footerLabel->setStyleSheet(QStringLiteral("color: #999999;"));
    QFont font = Common::defaultFont();
    font.setPointSizeF(font.pointSizeF() * 0.8);
    m_footerLabel->setFont(font);
    layout->addWidget(m_footerLabel);
    m_footerView->resize(table->width(), 10);
    table->setTableFooterView(m_footerView);
}

void RingtoneViewController::viewWillAppear(bool animated)
{
    TableViewController::viewWillAppear(animated);
    loadRingtones();
}

void RingtoneViewController::viewDidDisappear(bool animated)
{
    TableViewController::viewDidDisappear(animated);
    if (isEditing())
        enterEditMode(m_editButton);
}

void RingtoneViewController::viewDidLayoutSubviews()
{
    TableViewController::viewDidLayoutSubviews();
    TableView *table = tableView();
    // The tab bar sits below this screen's area, so only the mini player,
    // which floats over the list's bottom, needs room.
    // The top is left to the refresher, whose band holds it open while it spins.
    EdgeInsets inset = table->contentInset();
    const MiniPlayerHost *host = MiniPlayerHost::of(this);
    inset.bottom = host && host->isMiniPlayerUp() ? MiniPlayerHost::kMiniPlayerHeight : 0.0;
    if (inset.bottom != table->contentInset().bottom)
        table->setContentInset(inset);

    if (m_footerView) {
        const int width = table->width();
        const int height = m_footerView->layout()->hasHeightForWidth() ? m_footerView->layout()->heightForWidth(width)
                                                                       : m_footerView->sizeHint().height();
        if (m_footerView->height() != height || m_footerView->width() != width) {
            m_footerView->resize(width, height);
            table->setTableFooterView(m_footerView);
            table->layoutIfNeeded();
        }
    }
}

int RingtoneViewController::numberOfRows(TableView *, int)
{
    return int(m_ringtones.size());
}

TableViewCell *RingtoneViewController::cellForRow(TableView *table, const IndexPath &indexPath)
{
    auto *cell = table->dequeueReusableCell<RingtoneCell>(Constants::ringtoneCellIdentifier, indexPath);
    const QString name = indexPath.row() < m_ringtones.size() ? m_ringtones.at(indexPath.row()).name() : QString();
    cell->title()->setText(name);
    cell->setAccessibleName(name);
    return cell;
}

void RingtoneViewController::loadRingtones()
{
    m_ringtones.clear();
    if (const auto document = RingtoneCatalogueFile::read(Preferences::ringtonesPlistPath())) {
        if (const auto ringtones = RingtoneCatalogueFile::ringtones(document->root)) {
            for (auto it = ringtones->cbegin(); it != ringtones->cend(); ++it) {
                if (it->typeId() != QMetaType::QVariantMap)
                    continue;
                const QVariant name = it->toMap().value(RingtoneCatalogueFile::kNameKey);
                if (name.typeId() == QMetaType::QString)
                    m_ringtones.append(Ringtone(it.key(), name.toString()));
            }
        }
    }
    navigationItem()->setRightBarButtonItem(m_ringtones.isEmpty() ? nullptr : m_editButton.data());
    // The rows change under the selection: leave edit mode the whole way,
    // bar buttons, toolbar and mini player included.
    if (isEditing())
        enterEditMode(m_editButton);

    if (!m_refresher || m_refresher->state() == RefresherState::idle) {
        tableView()->reloadData();
        return;
    }
    // The refresh indicator stays at least refreshDuration after the pull began.
    const double delay = std::max(0.0, Constants::refreshDuration - (Dispatch::now() - m_refresherStartTime));
    endRefreshing(this, delay);
    QPointer<RingtoneViewController> guard(this);
    Dispatch::mainAfter(delay + 0.1, [guard] {
        if (guard)
            guard->tableView()->reloadData();
    });
}

void RingtoneViewController::enterEditMode(BarButtonItem *)
{
    const bool editing = !isEditing();
    setEditing(editing, true);
    if (m_editButton)
        m_editButton->setTitle(_localizedString(editing ? QStringLiteral("Done") : QStringLiteral("Edit")));
    if (m_deleteButton)
        m_deleteButton->setTitle(_localizedString(QStringLiteral("Delete All")));
    if (NavigationController *navigation = navigationController())
        navigation->setToolbarHidden(!editing, true);
    if (MiniPlayerHost *host = MiniPlayerHost::of(this))
        host->updateMiniPlayer(editing);
    if (!editing)
        m_selectedRingtones.clear();
}

void RingtoneViewController::didSelectRow(TableView *table, const IndexPath &indexPath)
{
    if (indexPath.row() < 0 || indexPath.row() >= m_ringtones.size())
        return;
    if (!isEditing()) {
        Q_UNUSED(table);
        presentRename(indexPath);
        return;
    }
    const Ringtone &ringtone = m_ringtones.at(indexPath.row());
    if (!m_selectedRingtones.contains(ringtone))
        m_selectedRingtones.append(ringtone);
    updateDeleteButtonTitle();
}

void RingtoneViewController::didDeselectRow(TableView *, const IndexPath &indexPath)
{
    if (!isEditing() || indexPath.row() < 0 || indexPath.row() >= m_ringtones.size())
        return;
    m_selectedRingtones.removeOne(m_ringtones.at(indexPath.row()));
    updateDeleteButtonTitle();
}

void RingtoneViewController::updateDeleteButtonTitle()
{
    if (!m_deleteButton)
        return;
    const bool all = m_selectedRingtones.isEmpty() || m_selectedRingtones.size() == m_ringtones.size();
    m_deleteButton->setTitle(_localizedString(all ? QStringLiteral("Delete All") : QStringLiteral("Delete")));
}

void RingtoneViewController::presentRename(const IndexPath &indexPath)
{
    const Ringtone ringtone = m_ringtones.at(indexPath.row());
    auto *alert = new AlertController(_localizedString(QStringLiteral("Rename")),
        _localizedString(QStringLiteral("Change the name of the ringtone")), AlertController::Style::alert);
    QLineEdit *field = alert->addTextField([&ringtone](QLineEdit *textField) {
        textField->setText(ringtone.name());
        textField->setClearButtonEnabled(true);
        textField->setStyleSheet(
            QStringLiteral("QLineEdit { color: rgba(0, 0, 0, 102); background: transparent; border: 1px solid "
                           "#d0d0d0; border-radius: 4px; padding: 4px; }"));
    });
    QPointer<QLineEdit> fieldGuard(field);
    QPointer<RingtoneViewController> guard(this);
    alert->addAction(new AlertControllerAction(_localizedString(QStringLiteral("Cancel")),
        AlertControllerAction::Style::defaultStyle, [guard, indexPath](AlertControllerAction *) {
            if (guard)
                guard->tableView()->deselectRow(indexPath, true);
        }));
    alert->addAction(new AlertControllerAction(_localizedString(QStringLiteral("Change")),
        AlertControllerAction::Style::destructive, [guard, fieldGuard, indexPath, ringtone](AlertControllerAction *) {
            if (!guard)
                return;
            const QString text = fieldGuard ? fieldGuard->text() : QString();
            if (!text.isEmpty() && text != ringtone.name()) {
                Ringtone renamed = ringtone;
                renamed.setName(text);
                guard->loadRingtones();
            } else {
                guard->tableView()->deselectRow(indexPath, true);
            }
        }));
    ViewController *presenter = navigationController() ? static_cast<ViewController *>(navigationController()) : this;
    presenter->present(alert, true);
}

void RingtoneViewController::commitEditingStyle(
    TableView *, TableViewCellEditingStyle style, const IndexPath &indexPath)
{
    if (style != TableViewCellEditingStyle::delete_ || indexPath.row() < 0 || indexPath.row() >= m_ringtones.size())
        return;
    m_selectedRingtones.append(m_ringtones.at(indexPath.row()));
    deleteSelectedRingtones();
}

QList<TableViewRowAction> RingtoneViewController::editActionsForRow(TableView *, const IndexPath &)
{
    TableViewRowAction action;
    action.style = TableViewRowAction::Style::default_;
    action.title = _localizedString(QStringLiteral("Delete"));
    action.backgroundColor = Common::redColor();
    QPointer<RingtoneViewController> guard(this);
    action.handler = [guard](const TableViewRowAction &, const IndexPath &indexPath) {
        if (guard)
            guard->commitEditingStyle(guard->tableView(), TableViewCellEditingStyle::delete_, indexPath);
    };
    return { action };
}

void RingtoneViewController::deleteButtonTapped(BarButtonItem *sender)
{
    if (!sender || sender->title() != _localizedString(QStringLiteral("Delete All"))) {
        deleteSelectedRingtones();
        return;
    }
    auto *sheet = new AlertController(
        _localizedString(QStringLiteral("Are you sure you wish to delete all the ringtones you've created?")),
        QString(), AlertController::Style::actionSheet);
    QPointer<RingtoneViewController> guard(this);
    sheet->addAction(new AlertControllerAction(_localizedString(QStringLiteral("Delete All")),
        AlertControllerAction::Style::destructive, [guard](AlertControllerAction *) {
            if (!guard)
                return;
            guard->m_selectedRingtones = guard->m_ringtones;
            guard->deleteSelectedRingtones();
        }));
    sheet->addAction(
        new AlertControllerAction(_localizedString(QStringLiteral("Cancel")), AlertControllerAction::Style::cancel));
    if (PopoverPresentationController *popover = sheet->popoverPresentationController())
        popover->setBarButtonItem(sender);
    ViewController *presenter = navigationController() ? static_cast<ViewController *>(navigationController()) : this;
    presenter->present(sheet, true);
}

void RingtoneViewController::deleteSelectedRingtones()
{
    const QString cataloguePath = Preferences::ringtonesPlistPath();
    std::optional<RingtoneCatalogueFile::Document> document = RingtoneCatalogueFile::read(cataloguePath);
    if (!document)
        return;
    std::optional<QVariantMap> entries = RingtoneCatalogueFile::ringtones(document->root);
    if (!entries)
        return;
    const auto save = [&] {
        document->root.insert(RingtoneCatalogueFile::kRingtonesKey, *entries);
        return RingtoneCatalogueFile::write(cataloguePath, *document);
    };

    const QList<Ringtone> chosen = m_selectedRingtones;
    for (const Ringtone &ringtone : chosen) {
        const QString key = ringtone.identifier();
        if (!entries->contains(key)) {
            // Gone from the catalogue meanwhile: nothing of ours refers to a file.
            m_selectedRingtones.removeOne(ringtone);
            continue;
        }
        // The entry leaves the catalogue before the file goes, so a failed
        // write never leaves an entry pointing at a missing file.
        const QVariant entry = entries->take(key);
        if (!save()) {
            entries->insert(key, entry);
            _print(QStringLiteral("Failed to update the ringtone catalogue while deleting: ") + ringtone.description());
            _showTarnikDefaultAlert(_localizedString(QStringLiteral("Error Occurred")),
                _localizedString(QStringLiteral("Failed to update the list of ringtones. Nothing more was deleted.")),
                {}, this);
            break;
        }
        // A key that is not a plain file name names no file of the purchases
        // folder: its entry goes, and nothing else is touched.
        if (RingtoneCatalogueFile::isPlainFileName(key)) {
            const QString path = Preferences::purchasesPath() + QLatin1Char('/') + key;
            QFile file(path);
            // A file already missing is a failed removal too: the diagnostic records it, and
            // the entry goes all the same below.
            if (!fileIsPresent(path)) {
                _print(QStringLiteral("Failed to delete ringtone: ") + ringtone.description()
                    + QStringLiteral(".\nError: ") + QString::fromLocal8Bit(std::strerror(ENOENT)));
            } else if (!file.remove()) {
                _print(QStringLiteral("Failed to delete ringtone: ") + ringtone.description()
                    + QStringLiteral(".\nError: ") + file.errorString());
            }
            if (fileIsPresent(path)) {
                // The file stays, and so do its entry and its selection.
                entries->insert(key, entry);
                if (!save())
                    _print(QStringLiteral("Failed to restore the catalogue entry of ") + ringtone.description());
                continue;
            }
        }
        m_selectedRingtones.removeOne(ringtone);
    }
    loadRingtones();
}

void RingtoneViewController::scrollViewDidScroll(ScrollView *scrollView)
{
    tarnik::scrollViewDidScroll(this, scrollView);
}

void RingtoneViewController::refresherDidStartRefreshing()
{
    m_refresherStartTime = Dispatch::now();
    loadRingtones();
}

} // namespace tarnik
