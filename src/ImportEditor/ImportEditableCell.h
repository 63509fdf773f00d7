#pragma once

#include "ImportEditor/EditableCellIdentifier.h"
#include "Platform/UI/TableViewCell.h"

#include <QLabel>
#include <QLineEdit>
#include <optional>

namespace tarnik {

// A metadata row of the import editor: the field's title and an editable
// text field (a real QLineEdit, so screen readers read and edit its value).
// The editor sets which field the row edits. GUI thread only.
class ImportEditableCell : public TableViewCell
{
    Q_OBJECT
public:
    explicit ImportEditableCell(QWidget *parent = nullptr);

    QLabel *titleLabel() const { return m_titleLabel; }
    QLineEdit *textField() const { return m_textField; }
    std::optional<EditableCellIdentifier> identifier;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_titleLabel = nullptr;
    QLineEdit *m_textField = nullptr;
};

} // namespace tarnik
