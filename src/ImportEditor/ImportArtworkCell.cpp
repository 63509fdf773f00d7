#include "ImportEditor/ImportArtworkCell.h"

#include "App/Globals.h"
#include "Platform/UI/GestureRecognizer.h"

namespace tarnik {

ImportArtworkCell::ImportArtworkCell(QWidget *parent)
    : TableViewCell(CellStyle::default_, QStringLiteral("ImportArtworkCell"), parent)
{
    setSelectionStyle(SelectionStyle::none);
    m_imgView = new ImageView(contentView());
    m_imgView->setContentMode(ImageView::ContentMode::scaleAspectFit);
    m_imgView->setAccessibleName(_localizedString(QStringLiteral("Artwork")));
    // The picture passes its presses on to the row, where the recognisers listen.
    m_imgView->setAttribute(Qt::WA_TransparentForMouseEvents);
    const auto run = [this](GestureRecognizer *recognizer) {
        if (recognizer->state() == GestureRecognizer::State::ended && m_action)
            m_action();
    };
    m_tap = new TapGestureRecognizer(run);
    m_tap->attach(this);
    m_swipe = new SwipeGestureRecognizer(run);
    m_swipe->direction = SwipeGestureRecognizer::left | SwipeGestureRecognizer::right;
    m_swipe->attach(this);
}

void ImportArtworkCell::setGestureAction(std::function<void()> action)
{
    m_action = std::move(action);
}

void ImportArtworkCell::resizeEvent(QResizeEvent *event)
{
    TableViewCell::resizeEvent(event);
    m_imgView->setGeometry(rect());
}

} // namespace tarnik
