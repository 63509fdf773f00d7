#pragma once

#include "Platform/UI/TableViewCell.h"

#include <QPointer>

class QLabel;

namespace tarnik {

// The explanation under a settings section, with a hairline above it; used
// as a section footer view, not as a row.
class PreferenceFooterCell : public TableViewCell
{
    Q_OBJECT
public:
    explicit PreferenceFooterCell(QWidget *parent = nullptr);
    QLabel *titleLabel() const { return m_titleLabel; }
    QWidget *line() const { return m_line; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void layoutContent() override;

private:
    QPointer<QLabel> m_titleLabel;
    QPointer<QWidget> m_line;
};

} // namespace tarnik
