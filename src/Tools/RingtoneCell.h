#pragma once

#include "Platform/UI/TableViewCell.h"

#include <QColor>
#include <QPointer>

class QLabel;

namespace tarnik {

// A row of the ringtone list: an icon, the ringtone's name and a separator
// line of its own. Selected or highlighted, it shows the list's selection
// colour and a white line; in edit mode its check mark takes the selection
// tint. GUI thread only.
class RingtoneCell : public TableViewCell
{
    Q_OBJECT
public:
    struct Constants
    {
        static QColor selectedTintColor(); // "25b2cc"
        static QColor lineColor(); // "c8c7cc"
    };

    explicit RingtoneCell(QWidget *parent = nullptr);

    QLabel *title() const { return m_title; }
    QLabel *imgView() const { return m_imgView; }
    QWidget *line() const { return m_line; }

    void setSelected(bool selected, bool animated = false) override;
    void setHighlighted(bool highlighted, bool animated = false) override;

protected:
    void layoutContent() override;

private:
    void updateState(bool on);

    QPointer<QLabel> m_title;
    QPointer<QLabel> m_imgView;
    QPointer<QWidget> m_line;
};

// The cell the list's footer text was laid out in; it adds no behaviour.
class RingtoneFooterCell : public TableViewCell
{
    Q_OBJECT
public:
    explicit RingtoneFooterCell(QWidget *parent = nullptr);
    QLabel *titleLabel() const { return m_titleLabel; }

private:
    QPointer<QLabel> m_titleLabel;
};

} // namespace tarnik
