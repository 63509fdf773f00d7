#pragma once

#include "Platform/UI/TableViewCell.h"

#include <QPointer>

class QLabel;

namespace tarnik {

class Switch;

// A settings row with a title and a switch; it shows no selection.
class PreferenceSwitchCell : public TableViewCell
{
    Q_OBJECT
public:
    explicit PreferenceSwitchCell(QWidget *parent = nullptr);
    QLabel *titleLabel() const { return m_titleLabel; }
    Switch *switchButton() const { return m_switchButton; }

protected:
    void layoutContent() override;

private:
    QPointer<QLabel> m_titleLabel;
    QPointer<Switch> m_switchButton;
};

} // namespace tarnik
