#pragma once

#include "Controls/ImageView.h"
#include "Platform/UI/TableViewCell.h"

namespace tarnik {

class SwipeGestureRecognizer;
class TapGestureRecognizer;

// The artwork row of the import editor: the picture as large as the row. The
// row takes taps and sideways swipes of its own; the editor gives them what to
// do once (setGestureAction), and they keep doing it while the cell is reused.
// GUI thread only.
class ImportArtworkCell : public TableViewCell
{
    Q_OBJECT
public:
    explicit ImportArtworkCell(QWidget *parent = nullptr);

    ImageView *imgView() const { return m_imgView; }
    TapGestureRecognizer *tapGesture() const { return m_tap; }
    SwipeGestureRecognizer *swipeGesture() const { return m_swipe; }
    // What a tap or a swipe to the left or right does; a later call replaces it.
    void setGestureAction(std::function<void()> action);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    ImageView *m_imgView = nullptr;
    TapGestureRecognizer *m_tap = nullptr;
    SwipeGestureRecognizer *m_swipe = nullptr;
    std::function<void()> m_action;
};

} // namespace tarnik
