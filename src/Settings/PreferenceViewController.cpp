#include "Settings/PreferenceViewController.h"

#include "Platform/UrlOpener.h"

#include "App/Constants.h"
#include "App/Globals.h"
#include "App/Preferences.h"
#include "Entries/EntryViewModel.h"
#include "Platform/Bundle.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/Switch.h"
#include "Platform/UI/TabBarController.h"
#include "Player/MiniPlayerHost.h"
#include "Settings/PreferenceButtonCell.h"
#include "Settings/PreferenceFooterCell.h"
#include "Settings/PreferenceSwitchCell.h"

#include <QIcon>
#include <QLabel>

namespace tarnik {

namespace {

QString bundleName()
{
    return Common::bundleName().toString();
}

std::optional<bool> switchValue(PreferenceViewController::Identifier identifier)
{
    using Identifier = PreferenceViewController::Identifier;
    switch (identifier) {
    case Identifier::hideUnsupported:
        return Preferences::hideUnsupported();
    case Identifier::showHidden:
        return Preferences::showHidden();
    case Identifier::showImageThumbnail:
        return Preferences::showImageThumbnail();
    case Identifier::showVideoThumbnail:
        return Preferences::showVideoThumbnail();
    case Identifier::usePersistentCache:
        return Preferences::usePersistentCache();
    case Identifier::shouldNotifyOnCompletion:
        return Preferences::Saltrig::shouldNotifyOnCompletion();
    case Identifier::shouldAddFadeInFadeOut:
        return Preferences::Saltrig::shouldAddFadeInFadeOut();
    case Identifier::reset:
    case Identifier::emptyCache:
    case Identifier::fixDownloads:
    case Identifier::version:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<PreferenceViewController::Identifier> PreferenceViewController::identifierFromRawValue(int rawValue)
{
    if (rawValue < 0 || rawValue > int(Identifier::version))
        return std::nullopt;
    return Identifier(rawValue);
}

QString PreferenceViewController::title(Identifier identifier)
{
    switch (identifier) {
    case Identifier::hideUnsupported:
        return _localizedString(QStringLiteral("Hide Unsupported Files"));
    case Identifier::showHidden:
        return _localizedString(QStringLiteral("Show Hidden Files"));
    case Identifier::showImageThumbnail:
        return _localizedString(QStringLiteral("Show Image Thumbnail"));
    case Identifier::showVideoThumbnail:
        return _localizedString(QStringLiteral("Show Video Thumbnail"));
    case Identifier::usePersistentCache:
        return _localizedString(QStringLiteral("Cache Files Metadata To Disk"));
    case Identifier::shouldNotifyOnCompletion:
        return _localizedString(QStringLiteral("Notify On Import Completion"));
    case Identifier::shouldAddFadeInFadeOut:
        return _localizedString(QStringLiteral("Fade In - Fade Out"));
    case Identifier::reset:
        return _localizedString(QStringLiteral("Reset ") + bundleName());
    case Identifier::emptyCache:
        return _localizedString(QStringLiteral("Empty Cache"));
    case Identifier::fixDownloads:
        return _localizedString(QStringLiteral("Fix Downloads Database"));
    case Identifier::version:
        return _localizedString(QStringLiteral("Version"));
    }
    return {};
}

QString PreferenceViewController::Constants::appVersion()
{
    static const QString version = [] {
        const QVariant value = Bundle::main().objectForInfoDictionaryKey(QStringLiteral("CFBundleShortVersionString"));
        return value.typeId() == QMetaType::QString ? value.toString() : QStringLiteral("0.0.0");
    }();
    return version;
}

QString PreferenceViewController::Constants::tutorialPageAddress()
{
    return qEnvironmentVariable("TARNIK_TUTORIAL_URL");
}

bool PreferenceViewController::Constants::hasTutorialPage()
{
    return UrlOpener::webAddress(tutorialPageAddress()).has_value();
}

QString PreferenceViewController::Constants::supportAddress()
{
    return qEnvironmentVariable("TARNIK_SUPPORT_ADDRESS");
}

QList<PreferenceViewController::Section> PreferenceViewController::makeItems()
{
    const auto footer = [](const QString &text) { return std::optional<QString>(text); };
    return {
        { { { ItemType::switch_, Identifier::showHidden }, { ItemType::switch_, Identifier::showImageThumbnail },
              { ItemType::switch_, Identifier::showVideoThumbnail },
              { ItemType::switch_, Identifier::shouldNotifyOnCompletion } },
            footer(QStringLiteral("Enable to display a notification when a media import session is completed.")) },
        { { { ItemType::switch_, Identifier::shouldAddFadeInFadeOut } },
            footer(QStringLiteral("Add 333ms fade in and fade out to your time range when you trim an audio.")) },
        { { { ItemType::switch_, Identifier::usePersistentCache } },
            footer(QStringLiteral("Enable this option to cache directories and files' metadata to disk to speed up "
                                  "their retrieval when browsing.")) },
        { { { ItemType::button, Identifier::reset } },
            footer(QStringLiteral("In case of a persistent malfunction, try this reset option.")) },
        { { { ItemType::button, Identifier::emptyCache } },
            footer(QStringLiteral("Remove ") + bundleName()
                + QStringLiteral("'s cached and unused files to free up disk space.")) },
        { { { ItemType::button, Identifier::fixDownloads } },
            footer(QStringLiteral("Attempt to fix App Store no longer downloading.")) },
        { { { ItemType::regular, Identifier::version } },
            footer(QStringLiteral("Made for everyone who keeps their media close. © %1").arg(_currentYear())) },
    };
}

PreferenceViewController::PreferenceViewController(QObject *parent)
    : TableViewController(TableView::Style::grouped, parent)
    , m_items(makeItems())
{
    setTitle(_localizedString(QStringLiteral("Settings")));
}

void PreferenceViewController::viewDidLoad()
{
    TableViewController::viewDidLoad();
    setTitle(_localizedString(QStringLiteral("Settings")));
    QIcon more;
    if (const auto path
        = Bundle::main().pathForResource(QStringLiteral("moreCircle"), QStringLiteral("svg"), QStringLiteral("images")))
        more = QIcon(*path);
    auto *info = new BarButtonItem(
        more, BarButtonItem::Style::plain, [this](BarButtonItem *sender) { infoButtonTapped(sender); }, this);
    // Drawn as the icon alone; the title names it for assistive technologies.
    info->setTitle(_localizedString(QStringLiteral("More")));
    navigationItem()->setRightBarButtonItem(info);

    TableView *table = tableView();
    table->rowHeight = 50.0;
    table->sectionFooterHeight = TableView::automaticDimension;
    table->estimatedSectionFooterHeight = 44.0;
    table->registerCellClass<PreferenceSwitchCell>(Constants::switchCellIdentifier);
    table->registerCellClass<PreferenceButtonCell>(Constants::buttonCellIdentifier);
    table->registerCell(Constants::detailCellIdentifier,
        [] { return new TableViewCell(TableViewCell::CellStyle::value1, Constants::detailCellIdentifier); });
    table->registerCellClass<PreferenceFooterCell>(Constants::footerCellIdentifier);
}

void PreferenceViewController::viewDidLayoutSubviews()
{
    TableViewController::viewDidLayoutSubviews();
    const MiniPlayerHost *host = MiniPlayerHost::of(this);
    tableView()->setContentInset(
        EdgeInsets { 0, 0, host && host->isMiniPlayerUp() ? MiniPlayerHost::kMiniPlayerHeight : 0.0, 0 });
}

std::optional<PreferenceViewController::Item> PreferenceViewController::itemAt(const IndexPath &indexPath) const
{
    if (indexPath.section < 0 || indexPath.section >= m_items.size())
        return std::nullopt;
    const QList<Item> &elements = m_items.at(indexPath.section).elements;
    if (indexPath.row() < 0 || indexPath.row() >= elements.size())
        return std::nullopt;
    return elements.at(indexPath.row());
}

int PreferenceViewController::numberOfRows(TableView *, int section)
{
    return section >= 0 && section < m_items.size() ? int(m_items.at(section).elements.size()) : 0;
}

TableViewCell *PreferenceViewController::cellForRow(TableView *table, const IndexPath &indexPath)
{
    const Item item = *itemAt(indexPath);
    const QString title = item.title();
    switch (item.type) {
    case ItemType::switch_: {
        auto *cell = table->dequeueReusableCell<PreferenceSwitchCell>(Constants::switchCellIdentifier, indexPath);
        cell->titleLabel()->setText(title);
        Switch *button = cell->switchButton();
        // The value is read from the settings file each time the row shows.
        const QSignalBlocker blocker(button);
        button->setOn(switchValue(item.identifier).value_or(false));
        button->setAccessibleName(title);
        button->setProperty("tag", int(item.identifier));
        disconnect(button, &Switch::toggled, this, nullptr);
        connect(button, &Switch::toggled, this, [this, button] { setBoolValue(button); });
        return cell;
    }
    case ItemType::button: {
        auto *cell = table->dequeueReusableCell<PreferenceButtonCell>(Constants::buttonCellIdentifier, indexPath);
        cell->titleLabel()->setText(title);
        cell->setAccessibleName(title);
        return cell;
    }
    case ItemType::regular: {
        TableViewCell *cell = table->dequeueReusableCell(Constants::detailCellIdentifier, indexPath);
        cell->setSelectionStyle(TableViewCell::SelectionStyle::none);
        cell->textLabel()->setText(title);
        if (cell->detailTextLabel())
            cell->detailTextLabel()->setText(Constants::appVersion());
        cell->setAccessibleName(title);
        return cell;
    }
    }
    return nullptr;
}

QWidget *PreferenceViewController::viewForFooter(TableView *table, int section)
{
    auto *cell = table->dequeueReusableCell<PreferenceFooterCell>(Constants::footerCellIdentifier);
    if (section < 0 || section >= m_items.size() || !m_items.at(section).footerTitle)
        return nullptr;
    cell->titleLabel()->setText(_localizedString(*m_items.at(section).footerTitle));
    return cell;
}

bool PreferenceViewController::shouldHighlightRow(TableView *, const IndexPath &indexPath)
{
    const std::optional<Item> item = itemAt(indexPath);
    return item && item->type == ItemType::button;
}

void PreferenceViewController::setBoolValue(Switch *sender)
{
    if (!sender)
        return;
    const std::optional<Identifier> identifier = identifierFromRawValue(sender->property("tag").toInt());
    if (!identifier)
        return;
    const bool on = sender->isOn();
    switch (*identifier) {
    case Identifier::hideUnsupported:
        Preferences::setHideUnsupported(on);
        break;
    case Identifier::showHidden:
        Preferences::setShowHidden(on);
        break;
    case Identifier::showImageThumbnail:
        Preferences::setShowImageThumbnail(on);
        viewModelCache().removeAllObjects();
        break;
    case Identifier::showVideoThumbnail:
        Preferences::setShowVideoThumbnail(on);
        viewModelCache().removeAllObjects();
        break;
    case Identifier::usePersistentCache:
        Preferences::setUsePersistentCache(on);
        break;
    case Identifier::shouldNotifyOnCompletion:
        Preferences::Saltrig::setShouldNotifyOnCompletion(on);
        break;
    case Identifier::shouldAddFadeInFadeOut:
        Preferences::Saltrig::setShouldAddFadeInFadeOut(on);
        break;
    case Identifier::reset:
    case Identifier::emptyCache:
    case Identifier::fixDownloads:
    case Identifier::version:
        break;
    }
}

} // namespace tarnik
