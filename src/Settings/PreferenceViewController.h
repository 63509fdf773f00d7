#pragma once

#include "Platform/UI/PopoverPresentationController.h"
#include "Platform/UI/TableViewController.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

namespace tarnik {

class BarButtonItem;
class Switch;

// The settings tab: seven sections of switches (browsing, import and cache
// preferences, each written at once through Preferences), three maintenance
// rows (reset, empty the cache, repair the download database) and the
// version. The info button offers the video tutorial, the instructions page
// and a mail to support; those three are static so that the guide starts
// them too. All file work runs on the GUI thread behind a short overlay.
// GUI thread only.
class PreferenceViewController : public TableViewController, public PopoverPresentationControllerDelegate
{
    Q_OBJECT
public:
    enum class ItemType { regular, switch_, button };
    enum class Identifier {
        hideUnsupported = 0,
        showHidden,
        showImageThumbnail,
        showVideoThumbnail,
        usePersistentCache,
        shouldNotifyOnCompletion,
        shouldAddFadeInFadeOut,
        reset,
        emptyCache,
        fixDownloads,
        version,
    };
    static std::optional<Identifier> identifierFromRawValue(int rawValue);
    static QString title(Identifier identifier);

    struct Item
    {
        ItemType type;
        Identifier identifier;
        QString title() const { return PreferenceViewController::title(identifier); }
    };
    struct Section
    {
        QList<Item> elements;
        std::optional<QString> footerTitle;
    };

    struct Constants
    {
        static constexpr QLatin1StringView switchCellIdentifier { "switchCellIdentifier" };
        static constexpr QLatin1StringView buttonCellIdentifier { "buttonCellIdentifier" };
        static constexpr QLatin1StringView detailCellIdentifier { "detailCellIdentifier" };
        static constexpr QLatin1StringView footerCellIdentifier { "footerCellIdentifier" };
        static constexpr QLatin1StringView guideViewControllerIdentifier { "GuideViewController" };
        // Kept by the cache clean-up: the system's download database files.
        static constexpr QLatin1StringView downloadsDatabaseFragment { "downloads.28" };
        static constexpr double hudDuration = 2.0;
        // CFBundleShortVersionString when it is a text, else "0.0.0". Once.
        static QString appVersion();
        // The page whose body is the address of the tutorial video:
        // TARNIK_TUTORIAL_URL, read on every call (empty when unset).
        static QString tutorialPageAddress();
        // Whether that is a web address; every "Video Tutorial" button is disabled otherwise.
        static bool hasTutorialPage();
        // The support mail's recipient: TARNIK_SUPPORT_ADDRESS, read on every call.
        static QString supportAddress();
    };

    explicit PreferenceViewController(QObject *parent = nullptr);

    const QList<Section> &items() const { return m_items; }

    // Table data source and delegate.
    int numberOfSections(TableView *) override { return int(m_items.size()); }
    int numberOfRows(TableView *, int section) override;
    TableViewCell *cellForRow(TableView *table, const IndexPath &indexPath) override;
    std::optional<double> heightForRow(TableView *, const IndexPath &) override { return 50.0; }
    QWidget *viewForFooter(TableView *table, int section) override;
    bool shouldHighlightRow(TableView *, const IndexPath &indexPath) override;
    void didSelectRow(TableView *table, const IndexPath &indexPath) override;

    void popoverPresentationControllerWillReposition(
        PopoverPresentationController *, QRectF &rect, QWidget *&view) override;

    // A switch changed: writes its preference (the switch's tag is the identifier).
    void setBoolValue(Switch *sender);
    void infoButtonTapped(BarButtonItem *sender);
    // The reset confirmation, and the reset it runs.
    void showResetConfirmation(const IndexPath &indexPath);
    void reset();
    void emptyCache();
    void fixDownloads();
    void showHUD(const QString &message);

    static void viewVideoTutorial();
    static void viewInstructions(ViewController *from);
    static void sendMail(ViewController *from);
    // The support mail as a mailto link, with the device identifier given.
    static QUrl supportMailUrl(const QString &deviceIdentifier);
    // The address a tutorial reply body holds, when it is an http or https URL.
    static std::optional<QUrl> tutorialVideoUrl(const QByteArray &replyBody);

protected:
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

private:
    static QList<Section> makeItems();
    std::optional<Item> itemAt(const IndexPath &indexPath) const;

    QList<Section> m_items;
};

} // namespace tarnik
