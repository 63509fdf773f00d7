#pragma once

#include "Browser/Layout.h"
#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/CollectionViewCell.h"

#include <QColor>
#include <QPointer>
#include <memory>
#include <optional>

class QLabel;
class QToolButton;

namespace tarnik {

class EntryCellDelegate;
class EntryImageView;
class EntryViewModel;
class PaddedLabel;
class Visualizer;

// One directory entry in a browser listing, as a list row or a grid tile (one class, two
// designs chosen by the reuse identifier): title, artist, picture or icon, the extension badge,
// an accessory button for media files and pictures, a dimming cover for rows that cannot be
// chosen in edit mode, the wobble of rows that can, a pressed look while a tap is handled and the
// playing indicator of the entry that plays.
//
// A cell is reused for many rows: identifier() tells which entry it shows now, so late results
// meant for another row can be recognised. GUI thread only.
class EntryCell : public CollectionViewCell
{
    Q_OBJECT
public:
    static inline const QString kListIdentifier = QStringLiteral("EntryCellList");
    static inline const QString kGridIdentifier = QStringLiteral("EntryCellGrid");
    static QString reuseIdentifier(Layout layout) { return layout == Layout::list ? kListIdentifier : kGridIdentifier; }

    explicit EntryCell(Layout design = Layout::list, QWidget *parent = nullptr);
    ~EntryCell() override;

    Layout design() const { return m_design; }

    QLabel *title() const { return m_title; }
    QLabel *artist() const { return m_artist; }
    EntryImageView *imageView() const { return m_imageView; }
    QToolButton *accessory() const { return m_accessory; }
    QWidget *coverView() const { return m_coverView; }
    PaddedLabel *extensionLabel() const { return m_extensionLabel; }

    EntryCellDelegate *delegate() const;
    void setDelegate(EntryCellDelegate *delegate);
    const std::optional<QString> &identifier() const { return m_identifier; }
    void setIdentifier(const std::optional<QString> &identifier) { m_identifier = identifier; }
    // The playing indicator, made on first use and hosted by the picture.
    Visualizer *visualizer();
    bool hasVisualizer() const { return m_visualizer != nullptr; }

    // The pressed look: the background moves to the selected colour in 0.25 s.
    void setSelected(bool selected) override;
    QColor backgroundColor() const { return m_background; }

    void prepareForReuse() override;
    // Shows one row; nothing without a view model.
    void configure(const std::shared_ptr<EntryViewModel> &viewModel, Layout layout, bool isEditing,
        bool animated = false);
    // The thumbnail settings the cells follow, read from the settings file by
    // refreshThumbnailSettings() (a listing does it when it reloads or comes on screen) rather
    // than once per configured row.
    struct ThumbnailSettings
    {
        bool showVideoThumbnail = true;
        bool showImageThumbnail = true;
    };
    static ThumbnailSettings thumbnailSettings();
    static void refreshThumbnailSettings();

    // Applies the now-playing marker to this cell, a moment later.
    void refreshPlayingIndicator();
    // The accessory button's action.
    void accessoryButtonTapped();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void layoutContent();
    void setBackgroundColor(const QColor &color);
    void popIn();
    void setCoverAlpha(double alpha, bool animated, bool hideWhenDone);

    Layout m_design;
    QLabel *m_title;
    QLabel *m_artist;
    EntryImageView *m_imageView;
    QToolButton *m_accessory;
    QWidget *m_coverView;
    PaddedLabel *m_extensionLabel;
    QPointer<QObject> m_delegateObject;
    EntryCellDelegate *m_delegate = nullptr;
    std::optional<QString> m_identifier;
    Visualizer *m_visualizer = nullptr;
    QColor m_background = Qt::white;
    AnimationDriver::Id m_backgroundAnimation = 0;
    AnimationDriver::Id m_coverAnimation = 0;
    AnimationDriver::Id m_popAnimation = 0;
};

} // namespace tarnik
