#pragma once

#include "Platform/UI/TableViewCell.h"

#include <QLabel>
#include <functional>

namespace tarnik {

class TapGestureRecognizer;

// A section header of the import editor: the section's title in small grey
// capitals. The table hands it out from its pool like a row; a tap on it runs
// the action the editor gives (closing the keyboard). GUI thread only.
class ImportHeaderView : public TableViewCell
{
    Q_OBJECT
public:
    explicit ImportHeaderView(QWidget *parent = nullptr);

    QLabel *titleLabel() const { return m_titleLabel; }
    TapGestureRecognizer *tapGesture() const { return m_tap; }
    // What a tap does; a later call replaces it.
    void setTapAction(std::function<void()> action);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_titleLabel = nullptr;
    TapGestureRecognizer *m_tap = nullptr;
    std::function<void()> m_action;
};

} // namespace tarnik
