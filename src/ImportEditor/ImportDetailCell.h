#pragma once

#include "Controls/ImageView.h"
#include "Platform/UI/TableViewCell.h"

#include <QLabel>

namespace tarnik {

// A tool or artwork-source row of the import editor: an icon, a title and a
// detail text on the right. Assigning a selection colour makes the selected
// row show it. GUI thread only.
class ImportDetailCell : public TableViewCell
{
    Q_OBJECT
public:
    explicit ImportDetailCell(QWidget *parent = nullptr);

    ImageView *imgView() const { return m_imgView; }
    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *extraLabel() const { return m_extraLabel; }
    // Sets the detail text and makes room for it.
    void setExtraText(const QString &text);
    QColor selectionColor() const { return m_selectionColor; }
    void setSelectionColor(const QColor &color);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutRow();

private:
    ImageView *m_imgView = nullptr;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_extraLabel = nullptr;
    QColor m_selectionColor = Qt::red;
};

} // namespace tarnik
