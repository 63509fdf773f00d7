#pragma once

#include "Platform/UI/TableViewCell.h"

#include <QPointer>

class QLabel;

namespace tarnik {

// A settings row that starts an action when tapped: its title in the app's red.
class PreferenceButtonCell : public TableViewCell
{
    Q_OBJECT
public:
    explicit PreferenceButtonCell(QWidget *parent = nullptr);
    QLabel *titleLabel() const { return m_titleLabel; }

protected:
    void layoutContent() override;

private:
    QPointer<QLabel> m_titleLabel;
};

} // namespace tarnik
