#pragma once

#include "ImportEditor/EditableCellIdentifier.h"
#include "Platform/UI/TableViewCell.h"

#include <QLabel>
#include <QLineEdit>
#include <optional>

namespace tarnik {

// A metadata row of the import editor: the field's title and an editable
// text field (a real QLineEdit, so screen readers read and edit its value).
// The editor sets which field the row edits and hears when the field begins
// and ends editing. GUI thread only.
class ImportEditableCell : public TableViewCell
{
    Q_OBJECT
public:
    explicit ImportEditableCell(QWidget *parent = nullptr);

    QLabel *titleLabel() const { return m_titleLabel; }
    QLineEdit *textField() const { return m_textField; }
    std::optional<EditableCellIdentifier> identifier;

Q_SIGNALS:
    // The text field took the keyboard focus, or gave it up.
    void textFieldDidBeginEditing(QLineEdit *textField);
    void textFieldDidEndEditing(QLineEdit *textField);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_titleLabel = nullptr;
    QLineEdit *m_textField = nullptr;
};

} // namespace tarnik
