#pragma once

#include "Platform/UI/CellBackgrounds.h"

#include <QColor>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace tarnik {

// A row of a table view: a real widget reused from the table's pool, so it
// keeps its controls (switches, buttons, text fields). Content goes into
// contentView(); the standard styles also give a text label, a detail label
// and an image view laid out the usual way. The table sets the selected,
// highlighted and editing states; subclasses that react override the setters
// and call the base first. In edit mode the content moves right to make room
// for the edit control (a check circle while several rows can be chosen, a
// delete or insert sign otherwise); a swiped row moves left over its action
// buttons. Subclasses declare Q_OBJECT: the class name reports a wrong
// configuration. GUI thread only.
class TableViewCell : public QWidget
{
    Q_OBJECT
public:
    enum class CellStyle { default_, value1, value2, subtitle };
    enum class SelectionStyle { none, default_ };
    enum class EditControl { none, check, delete_, insert };

    explicit TableViewCell(
        CellStyle style = CellStyle::default_, const QString &reuseIdentifier = {}, QWidget *parent = nullptr);

    QString reuseIdentifier() const { return m_reuseIdentifier; }
    void setReuseIdentifier(const QString &identifier) { m_reuseIdentifier = identifier; }
    CellStyle cellStyle() const { return m_style; }

    QWidget *contentView() const { return m_contentView; }
    QLabel *textLabel() const { return m_textLabel; }
    // None for the default style, as the toolkit has it.
    QLabel *detailTextLabel() const { return m_detailTextLabel; }
    // Subclasses with a picture view of their own answer it here.
    virtual QLabel *imageView();

    QWidget *backgroundView() const { return m_backgrounds.background; }
    void setBackgroundView(QWidget *view);
    // The default selection style makes a plain grey one on first use.
    QWidget *selectedBackgroundView() const { return m_backgrounds.selectedBackground; }
    void setSelectedBackgroundView(QWidget *view);
    SelectionStyle selectionStyle() const { return m_selectionStyle; }
    void setSelectionStyle(SelectionStyle style);

    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected, bool animated = false);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted, bool animated = false);
    bool isEditing() const { return m_editing; }
    virtual void setEditing(bool editing, bool animated = false);
    EditControl editControl() const { return m_editControl; }
    void setEditControl(EditControl control);

    QColor tintColor() const { return m_tintColor; }
    virtual void setTintColor(const QColor &color);

    // Called before the table hands the cell out again; overrides call the base.
    virtual void prepareForReuse();

    // The table draws a hairline under rows of its plain style.
    bool showsSeparator = false;
    // Horizontal shift of the content while the row is swiped open (<= 0).
    double swipeOffset() const { return m_swipeOffset; }
    void setSwipeOffset(double offset);

    static constexpr double kEditControlWidth = 38.0;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    virtual void layoutContent();

private:
    void updateBackgrounds();
    void paintEditControl(QPainter &painter) const;

    QString m_reuseIdentifier;
    CellStyle m_style;
    QWidget *m_contentView;
    QLabel *m_textLabel = nullptr;
    QLabel *m_detailTextLabel = nullptr;
    QLabel *m_imageView = nullptr;
    // Above the backgrounds, which are child widgets and would hide what the cell paints itself.
    QWidget *m_editControlView = nullptr;
    CellBackgrounds m_backgrounds;
    SelectionStyle m_selectionStyle = SelectionStyle::default_;
    bool m_selected = false;
    bool m_highlighted = false;
    bool m_editing = false;
    EditControl m_editControl = EditControl::none;
    QColor m_tintColor = QColor(0x00, 0x7a, 0xff);
    double m_swipeOffset = 0.0;
};

} // namespace tarnik
