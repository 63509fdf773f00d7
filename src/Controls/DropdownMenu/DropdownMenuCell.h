#pragma once

#include "Controls/DropdownMenu/DropdownMenuCellAlignment.h"
#include "Controls/DropdownMenu/DropdownMenuItem.h"
#include "Controls/ImageView.h"
#include "Platform/UI/CollectionViewCell.h"

#include <QLabel>
#include <QPointer>
#include <optional>

namespace tarnik {

// A row of the dropdown menu: an optional picture and a text side by side
// (15 points apart), placed by the alignment 20 points (25 on a pad) from
// the edge or centred, recoloured from the tint when highlighted or
// selected. A translation set through View::setTransform moves the row's
// content (the menu's fly-in). GUI thread only.
class DropdownMenuCell : public CollectionViewCell
{
    Q_OBJECT
public:
    explicit DropdownMenuCell(QWidget *parent = nullptr);

    QLabel *textLabel() const { return m_textLabel; }
    ImageView *imageView() const { return m_imageView; }
    std::optional<double> maxLabelWidth;

    DropdownMenuCellAlignment alignment() const { return m_alignment; }
    void setAlignment(const DropdownMenuCellAlignment &alignment);

    // Plain text, or styled text when shown through setAttributedText().
    void setText(const QString &text);
    void setAttributedText(const AttributedText &text);
    std::optional<AttributedText> attributedText() const { return m_attributed; }

    void setTintColor(const QColor &color) override;
    // White level 1.2 - w of the tint (alpha kept): a white tint gives 0.2.
    QColor highlightedTintColor() const;
    // The colour the label's text shows now.
    QColor currentTextColor() const;

    void setHighlighted(bool highlighted) override;
    void setSelected(bool selected) override;
    void applyHighlight(bool highlighted);

    // The frames the alignment gives the picture and the label, in the
    // content view (what the layout pass applies).
    void updateConstraints();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyAlignment();
    void applyTextColor(const QColor &color);

    QLabel *m_textLabel = nullptr;
    ImageView *m_imageView = nullptr;
    QWidget *m_stack = nullptr;
    DropdownMenuCellAlignment m_alignment = DropdownMenuCellAlignment::center(false);
    std::optional<AttributedText> m_attributed;
    QColor m_labelColor;
};

} // namespace tarnik
