#pragma once

#include "Platform/UI/CellBackgrounds.h"
#include "Platform/UI/CollectionReusableView.h"

namespace tarnik {

// A cell of a collection view: a real widget that keeps whatever controls it
// holds (buttons, switches, text fields) and is reused from a pool. Its
// content goes into contentView(); a background view and a selected
// background view, when set, fill it from behind. The collection view sets
// the selected and highlighted states; subclasses that react override the
// setters and call the base first. GUI thread only.
class CollectionViewCell : public CollectionReusableView
{
    Q_OBJECT
public:
    explicit CollectionViewCell(QWidget *parent = nullptr);

    QWidget *contentView() const { return m_contentView; }

    QWidget *backgroundView() const { return m_backgrounds.background; }
    void setBackgroundView(QWidget *view);
    QWidget *selectedBackgroundView() const { return m_backgrounds.selectedBackground; }
    void setSelectedBackgroundView(QWidget *view);

    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted);

    void prepareForReuse() override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateBackgrounds();

    QWidget *m_contentView = nullptr;
    CellBackgrounds m_backgrounds;
    bool m_selected = false;
    bool m_highlighted = false;
};

} // namespace tarnik
