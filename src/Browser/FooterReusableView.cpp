#include "Browser/FooterReusableView.h"

#include "App/Constants.h"
#include "App/Globals.h"
#include "Platform/UI/View.h"

namespace tarnik {

FooterReusableView::FooterReusableView(QWidget *parent)
    : CollectionReusableView(parent)
    , m_label(new QLabel(this))
    , m_imageView(new QLabel(this))
{
    m_label->setObjectName(QStringLiteral("FooterLabel"));
    m_label->setAlignment(Qt::AlignCenter);
    QFont font = Common::defaultFont();
    m_label->setFont(font);
    m_label->setStyleSheet(QStringLiteral("color: #999999;"));
    m_imageView->setObjectName(QStringLiteral("FooterImageView"));
    m_animationImages = DEFAULT_ANIMATION_IMAGES().value_or(QList<QImage>());
    View::setAlpha(m_imageView, 0.0);
}

void FooterReusableView::resizeEvent(QResizeEvent *event)
{
    CollectionReusableView::resizeEvent(event);
    m_label->setGeometry(rect());
    const int side = 24;
    m_imageView->setGeometry((width() - side) / 2, (height() - side) / 2, side, side);
}

} // namespace tarnik
