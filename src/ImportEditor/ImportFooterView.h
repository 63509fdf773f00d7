#pragma once

#include "Platform/UI/TableViewCell.h"

#include <QPushButton>

namespace tarnik {

// A section footer of the import editor's layout holding one button. The
// editor itself gives no section a footer view; the class is part of the
// editor's set of cells for layouts that place one. GUI thread only.
class ImportFooterView : public TableViewCell
{
    Q_OBJECT
public:
    explicit ImportFooterView(QWidget *parent = nullptr);

    QPushButton *button() const { return m_button; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPushButton *m_button = nullptr;
};

} // namespace tarnik
