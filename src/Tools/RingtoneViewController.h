#pragma once

#include "Controls/Loaders/Refresher.h"
#include "Controls/Loaders/RefresherView.h"
#include "Platform/UI/TableViewController.h"
#include "Tools/Ringtone.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <functional>

class QLabel;

namespace tarnik {

class BarButtonItem;

// The list of the ringtones the user created, read from the system's
// ringtone catalogue (Preferences::ringtonesPlistPath()): a tap renames a
// ringtone, a swipe deletes one, and edit mode deletes several or all of
// them, each with its file in the purchases folder. Nothing is cached: the
// list is read anew each time the screen appears, after a pull to refresh,
// a rename and each deletion. The catalogue's keys are file names; one that
// is not a plain name never leads to a file (its entry alone is removed).
// GUI thread only.
class RingtoneViewController : public TableViewController
{
    Q_OBJECT
public:
    struct Constants
    {
        static constexpr double refreshDuration = 0.4;
        static constexpr QLatin1StringView ringtoneCellIdentifier { "ringtoneCellIdentifier" };
        static constexpr QLatin1StringView footerCellIdentifier { "footerCellIdentifier" };
    };

    explicit RingtoneViewController(QObject *parent = nullptr);

    static QString footerText();

    QLabel *footerLabel() const { return m_footerLabel; }
    const QList<Ringtone> &ringtones() const { return m_ringtones; }
    const QList<Ringtone> &selectedRingtones() const { return m_selectedRingtones; }
    BarButtonItem *editButton() const { return m_editButton; }
    BarButtonItem *deleteButton() const { return m_deleteButton; }

    // The Edit / Done button and the toolbar's Delete / Delete All button.
    void enterEditMode(BarButtonItem *sender);
    void deleteButtonTapped(BarButtonItem *sender);
    // Deletes every ringtone of selectedRingtones(), files first kept safe:
    // an entry leaves the catalogue before its file is removed, and comes
    // back when the file stays; a catalogue that cannot be written stops the
    // deletion with an alert, so no entry is left pointing at a missing file.
    void deleteSelectedRingtones();

    // Table data source and delegate.
    int numberOfSections(TableView *) override { return 1; }
    int numberOfRows(TableView *, int section) override;
    TableViewCell *cellForRow(TableView *, const IndexPath &indexPath) override;
    bool canEditRow(TableView *, const IndexPath &) override { return true; }
    void commitEditingStyle(TableView *, TableViewCellEditingStyle style, const IndexPath &indexPath) override;
    QList<TableViewRowAction> editActionsForRow(TableView *, const IndexPath &indexPath) override;
    std::optional<double> heightForRow(TableView *, const IndexPath &) override { return 50.0; }
    void didSelectRow(TableView *, const IndexPath &indexPath) override;
    void didDeselectRow(TableView *, const IndexPath &indexPath) override;

    void scrollViewDidScroll(ScrollView *scrollView) override;

    Refresher *refresher() const { return m_refresher; }
    // Pull to refresh began (the refresher's completion).
    void refresherDidStartRefreshing();

protected:
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    void viewDidLayoutSubviews() override;

private:
    void loadRingtones();
    void updateDeleteButtonTitle();
    void presentRename(const IndexPath &indexPath);

    QPointer<QLabel> m_footerLabel;
    QPointer<QWidget> m_footerView;
    QList<Ringtone> m_ringtones;
    QList<Ringtone> m_selectedRingtones;
    QPointer<BarButtonItem> m_editButton;
    QPointer<BarButtonItem> m_deleteButton;
    QPointer<Refresher> m_refresher;
    double m_refresherStartTime = 0.0;
};

} // namespace tarnik
