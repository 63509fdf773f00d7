#include "Controls/Loaders/RefresherView.h"

#include "Controls/ImageView.h"
#include "Controls/Loaders/Refresher.h"
#include "Controls/Loaders/SpinnerView.h"
#include "Entries/EntryImages.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/FatalError.h"
#include "Platform/UI/View.h"

#include <QEvent>
#include <mutex>

namespace tarnik {

namespace {
constexpr int kPullImageSide = 30;
constexpr double kFade = 0.1;
} // namespace

QImage RefresherView::defaultPullImage()
{
    static const QImage image = [] {
        const QImage found = EntryImages::named(QStringLiteral("pull"), kPullImageSide);
        if (found.isNull())
            fatalError(QStringLiteral("The bundle image \"pull\" is missing"));
        return found;
    }();
    return image;
}

RefresherView::RefresherView(QWidget *parent)
    : QWidget(parent)
{
    m_spinnerView = new SpinnerView;
    m_pullingImageView = new ImageView(defaultPullImage());
}

RefresherView::RefresherView(const QList<QImage> &animationImages, const QImage &pullImage, QWidget *parent)
    : QWidget(parent)
{
    m_spinnerView = new SpinnerView(std::optional<QList<QImage>>(animationImages));
    m_pullingImageView = new ImageView(pullImage);
}

RefresherView::RefresherView(const QImage &pullImage, QWidget *parent)
    : QWidget(parent)
{
    m_spinnerView = new SpinnerView;
    m_pullingImageView = new ImageView(pullImage);
}

RefresherView::RefresherView(const QSizeF &spinnerSize, QWidget *parent)
    : QWidget(parent)
    , m_spinnerViewSize(spinnerSize)
{
    m_spinnerView = new SpinnerView(QRect(QPoint(0, 0), spinnerSize.toSize()));
    m_pullingImageView = new ImageView(defaultPullImage());
}

void RefresherView::setSpinnerViewSize(const QSizeF &size)
{
    m_spinnerViewSize = size;
    layoutContent();
}

double RefresherView::bottomMargin() const
{
    if (auto *refresher = qobject_cast<Refresher *>(parentWidget()))
        return std::min(10.0, (refresher->pullThreshold - m_spinnerViewSize.height()) / 2.0);
    return 10.0;
}

bool RefresherView::event(QEvent *event)
{
    // The content is put in place when the view gets its superview.
    if (event->type() == QEvent::ParentChange && parentWidget() && !m_attached)
        attach();
    return QWidget::event(event);
}

void RefresherView::attach()
{
    m_attached = true;
    if (m_spinnerView) {
        m_spinnerView->setParent(this);
        m_spinnerView->show();
        m_currentView = m_spinnerView.data();
    }
    if (m_currentView && m_pullingImageView) {
        m_pullingImageView->setContentMode(ImageView::ContentMode::scaleAspectFit);
        m_pullingImageView->setParent(this);
        m_pullingImageView->show();
    }
    layoutContent();
}

void RefresherView::resizeEvent(QResizeEvent *)
{
    layoutContent();
}

void RefresherView::layoutContent()
{
    if (!m_attached)
        return;
    const double m = bottomMargin();
    if (m_spinnerView) {
        const double side = m_spinnerViewSize.width();
        const QRectF frame((width() - side) / 2.0, height() - m - side, side, side);
        m_spinnerView->setGeometry(frame.toRect());
    }
    if (m_currentView && m_pullingImageView && m_pullingImageView->parentWidget() == this) {
        const QSize natural = m_pullingImageView->image().size();
        QRect frame(QPoint(0, 0), natural);
        frame.moveCenter(m_currentView->geometry().center());
        m_pullingImageView->setGeometry(frame);
    }
}

void RefresherView::handleEvent(const RefresherEvent &event)
{
    QPointer<RefresherView> guard(this);
    switch (event.kind) {
    case RefresherEvent::Kind::reset:
    case RefresherEvent::Kind::pullDown:
        View::setAlpha(m_currentView, 0.0);
        View::setAlpha(m_pullingImageView, 1.0);
        break;
    case RefresherEvent::Kind::startAnimating:
        if (m_spinnerView)
            m_spinnerView->build();
        View::animate(kFade, [guard] {
            if (!guard)
                return;
            View::setAlpha(guard->m_currentView, 1.0);
            View::setAlpha(guard->m_pullingImageView, 0.0);
        });
        break;
    case RefresherEvent::Kind::endRefreshing:
        Dispatch::mainAfter(event.delay, [guard] {
            if (!guard)
                return;
            if (guard->m_spinnerView)
                guard->m_spinnerView->stopAnimating();
            View::animate(kFade, [guard] {
                if (!guard)
                    return;
                View::setAlpha(guard->m_currentView, 0.0);
                View::setAlpha(guard->m_pullingImageView, 1.0);
            });
        });
        break;
    case RefresherEvent::Kind::startRefreshing:
    case RefresherEvent::Kind::pause:
        break;
    }
}

} // namespace tarnik
