#pragma once

#include "Import/ImportItem.h"
#include "ImportEditor/EditableCellIdentifier.h"
#include "ImportEditor/ImageQueryControllerDelegate.h"
#include "ImportEditor/PhotoPicker.h"
#include "Platform/MediaTime.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/TableViewDelegate.h"
#include "Platform/UI/ViewController.h"
#include "Tools/TrimmerViewControllerDelegate.h"
#include "Tools/VolumeEditorViewControllerDelegate.h"
#include "Controls/DropdownMenu/DropdownMenuItem.h"
#include "Controls/Loaders/LoaderView.h"

#include <QHash>
#include <QPointer>
#include <QToolButton>
#include <optional>

#include <QLineEdit>

namespace tarnik {

class ImportEditableCell;

// The import editor: one file's kind (from a dropdown menu in the title),
// the metadata fields that suit that kind, its artwork, and for songs and
// ringtones a trim range and a volume, then the import. Every kind keeps its
// own filled rows, so typing under one kind does not leak into another. The
// trimmer, the volume editor and the artwork search are opened through the
// storyboard and hand their values back through their delegates; the values
// reach the item only when the import starts. GUI thread only.
class ImportViewController : public ViewController,
                             public TableViewDataSource,
                             public TableViewDelegate,
                             public TrimmerViewControllerDelegate,
                             public VolumeEditorViewControllerDelegate,
                             public ImageQueryControllerDelegate
{
    Q_OBJECT
public:
    explicit ImportViewController(QObject *parent = nullptr);
    ~ImportViewController() override;

    // A new editor from the storyboard with the item set.
    static ImportViewController *initialize(const ImportItem &item);

    std::optional<ImportItem> importItem() const { return m_importItem; }
    // Every change of the item refreshes the title and the table.
    void setImportItem(const ImportItem &item);

    TableView *tableView() const { return m_tableView; }
    QToolButton *dropdownMenuButton() const { return m_dropdownMenuButton; }
    QList<ImportEditableCell *> editableCells(MediaKind kind) const { return m_editableCells.value(kind.value()); }
    LoaderView *loaderView() const { return m_loaderView; }
    // The metadata field the user is in (last begun, ended, changed or moved to).
    QLineEdit *currentTextField() const { return m_currentTextField; }

    bool textFieldDidChange = false;
    float volumeLevel = 1.0f;
    MediaTime startTime = MediaTime::zero();
    MediaTime endTime();
    void setEndTime(const MediaTime &time) { m_endTime = time; }
    MediaTime duration();

    DropdownMenuItems dropdownMenuItems() const;
    bool isTrimmable() const;
    QString extendedTitle() const;
    QString trimRangeText();
    QString volumeText() const;
    // The text the artwork search starts with: artist, " - ", title.
    QString searchText() const;

    // The picture chooser of the photo-library row (a file dialog by default).
    void setPhotoPicker(std::shared_ptr<PhotoPicker> picker) { m_photoPicker = std::move(picker); }

    void presentDropdownMenu();
    void cancelButtonTapped();
    void importButtonTapped();
    void startImport();
    void finishImport();
    void didChooseArtwork(const QImage &image);
    void dismissKeyboard();
    // Keeps the table clear of an on-screen keyboard (its end frame); an
    // empty frame gives nothing to make room for.
    void keyboardWillShowForResizing(const QRectF &keyboardFrame);
    void keyboardWillHideForResizing();
    void scrollToArtworkRow();

    // Tools.
    void trimmerViewControllerDidFinish(const MediaTime &start, const MediaTime &end) override;
    void volumeEditorViewControllerDidFinish(float volume) override;
    void imageQueryControllerDidCancel(ImageQueryController *controller) override;
    void imageQueryController(ImageQueryController *controller, const QImage &image) override;

    // Table.
    int numberOfSections(TableView *) override { return 4; }
    int numberOfRows(TableView *, int section) override;
    TableViewCell *cellForRow(TableView *, const IndexPath &indexPath) override;
    std::optional<double> heightForRow(TableView *, const IndexPath &indexPath) override;
    std::optional<double> heightForHeader(TableView *, int section) override;
    std::optional<double> heightForFooter(TableView *, int section) override;
    QWidget *viewForHeader(TableView *, int section) override;
    void didSelectRow(TableView *, const IndexPath &indexPath) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

private:
    void refreshContent();
    void dismissAfterImport();
    QString currentValue(EditableCellIdentifier field) const;
    QString sectionTitle(int section) const;
    double toolRowHeight() const;
    void focusNextField(QLineEdit *field);

    std::optional<ImportItem> m_importItem;
    QPointer<TableView> m_tableView;
    QPointer<QToolButton> m_dropdownMenuButton;
    QHash<int, QList<ImportEditableCell *>> m_editableCells;
    QPointer<QLineEdit> m_currentTextField;
    QPointer<LoaderView> m_loaderView;
    std::optional<MediaTime> m_endTime;
    std::optional<MediaTime> m_duration;
    bool m_refreshQueued = false;
    std::shared_ptr<PhotoPicker> m_photoPicker;
    QMetaObject::Connection m_keyboardWatch;
};

} // namespace tarnik
