#include "Controls/PassThroughView.h"

#include "Platform/UI/VisualEffectView.h"

#include <QEvent>
#include <algorithm>
#include <QPainter>

namespace tarnik {

namespace {

constexpr double kSide = 50;

// The shadow picture's side: 50, or more for corners too round to leave it a middle to stretch.
double shadowSide(double cornerRadius)
{
    return std::max(kSide, 2 * cornerRadius + 2);
}

// The stretched shadow picture.
class ShadowImageView : public QWidget
{
public:
    explicit ShadowImageView(QWidget *parent = nullptr)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setObjectName(QStringLiteral("PassThroughShadowView"));
    }
    ResizableImage picture;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        drawResizableImage(painter, rect(), picture);
    }
};

} // namespace

PassThroughView::PassThroughView(QWidget *parent)
    : QWidget(parent)
{
    setup();
}

PassThroughView::PassThroughView(const QRect &frame, QWidget *parent)
    : PassThroughView(parent)
{
    setGeometry(frame);
}

PassThroughView::~PassThroughView()
{
    delete m_shadowView.data();
}

void PassThroughView::setup()
{
    if (m_visualEffectView)
        return;
    setAttribute(Qt::WA_TranslucentBackground);
    auto *shadow = new ShadowImageView;
    shadow->picture = resizableShadowImage(shadowSide(m_cornerRadius), m_cornerRadius, Shadow::defaultShadow(), m_showCapInsetLines);
    m_shadowView = shadow;
    m_visualEffectView = new VisualEffectView(VisualEffectView::BlurStyle::light, this);
    m_visualEffectView->setCornerRadius(m_cornerRadius);
    m_visualEffectView->setGeometry(rect());
    placeShadow();
}

QWidget *PassThroughView::effectContentView() const
{
    return m_visualEffectView->contentView();
}

void PassThroughView::setTheme(Theme theme)
{
    m_theme = theme;
    switch (theme) {
    case Theme::smoke:
        break;
    case Theme::light:
        m_visualEffectView->setBlurStyle(VisualEffectView::BlurStyle::extraLight);
        break;
    case Theme::dark:
        m_visualEffectView->setBlurStyle(VisualEffectView::BlurStyle::dark);
        break;
    }
    setShowShadow(theme != Theme::dark);
}

void PassThroughView::setRoundedCorner(bool rounded)
{
    m_roundedCorner = rounded;
    m_visualEffectView->setCornerRadius(rounded ? m_cornerRadius : 0.0);
}

void PassThroughView::setCornerRadius(double radius)
{
    m_cornerRadius = std::max(0.0, radius);
    setRoundedCorner(m_roundedCorner);
    setShowCapInsetLines(m_showCapInsetLines);
}

void PassThroughView::setShowCapInsetLines(bool show)
{
    m_showCapInsetLines = show;
    if (auto *shadow = static_cast<ShadowImageView *>(m_shadowView.data())) {
        shadow->picture = resizableShadowImage(shadowSide(m_cornerRadius), m_cornerRadius, Shadow::defaultShadow(), show);
        shadow->update();
    }
}

void PassThroughView::setShowShadow(bool show)
{
    m_showShadow = show;
    placeShadow();
}

bool PassThroughView::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ZOrderChange:
        placeShadow();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void PassThroughView::resizeEvent(QResizeEvent *)
{
    m_visualEffectView->setGeometry(rect());
    placeShadow();
}

void PassThroughView::moveEvent(QMoveEvent *)
{
    placeShadow();
}

void PassThroughView::placeShadow()
{
    QWidget *shadow = m_shadowView;
    if (!shadow)
        return;
    QWidget *host = parentWidget();
    if (!host) {
        shadow->hide();
        shadow->setParent(nullptr);
        return;
    }
    if (shadow->parentWidget() != host)
        shadow->setParent(host);
    const int b = int(Shadow::defaultShadow().blur);
    shadow->setGeometry(geometry().adjusted(-b, -b, b, b));
    shadow->stackUnder(this);
    shadow->setVisible(m_showShadow && !isHidden());
}

} // namespace tarnik
