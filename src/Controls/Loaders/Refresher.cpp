#include "Controls/Loaders/Refresher.h"

#include "Controls/Loaders/RefresherView.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/View.h"
#include "Platform/UI/ViewController.h"

#include <QEvent>

namespace tarnik {

namespace {
constexpr double kPausedInset = 50.0;
constexpr double kInsetAnimation = 0.25;

void animateInsetTop(ScrollView *scrollView, double top)
{
    QPointer<ScrollView> guard(scrollView);
    View::animate(kInsetAnimation, [guard, top] {
        if (guard)
            View::setValue(guard, "contentInsetTop", top);
    });
}

QList<Refresher *> refreshersOf(ScrollView *scrollView)
{
    QList<Refresher *> found;
    if (!scrollView)
        return found;
    for (QObject *child : scrollView->children()) {
        if (auto *refresher = qobject_cast<Refresher *>(child))
            found.append(refresher);
    }
    return found;
}
} // namespace

Refresher::Refresher(std::function<void()> handler, QWidget *parent)
    : Refresher(parent)
{
    completionHandler = std::move(handler);
}

Refresher::Refresher(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Refresher"));
    setAttribute(Qt::WA_TranslucentBackground);
}

void Refresher::setup()
{
    m_scrollView = qobject_cast<ScrollView *>(parentWidget());
    if (m_scrollView)
        m_scrollView->installEventFilter(this);
    // Clips its content, as every widget does.
    place();
    auto *content = new RefresherView;
    if (spinnerViewSize)
        content->setSpinnerViewSize(*spinnerViewSize);
    content->setParent(this);
    content->setGeometry(rect());
    content->show();
    m_refresherView = content;
}

void Refresher::place()
{
    if (!m_scrollView)
        return;
    const double horizontalInset = m_scrollView->contentInset().left + m_scrollView->contentInset().right;
    const QRectF current = m_scrollView->contentFrame(this);
    m_scrollView->setContentFrame(
        this, QRectF(current.x(), -refresherHeight, std::max(0.0, m_scrollView->width() - horizontalInset), refresherHeight));
    if (m_refresherView)
        m_refresherView->setGeometry(rect());
}

bool Refresher::eventFilter(QObject *watched, QEvent *event)
{
    // The event type first: the scroll view's own destruction passes through this filter (it
    // loses its focus), and reading the QPointer then casts an object that is no longer a ScrollView.
    if (event->type() == QEvent::Resize && watched == m_scrollView)
        place();
    return QWidget::eventFilter(watched, event);
}

void Refresher::send(const RefresherEvent &event)
{
    if (m_refresherView)
        m_refresherView->handleEvent(event);
}

ScrollView *refresherScrollView(ViewController *screen)
{
    if (!screen || !screen->isViewLoaded())
        return nullptr;
    QWidget *view = screen->view();
    if (auto *scroll = qobject_cast<ScrollView *>(view))
        return scroll;
    for (QObject *child : view->children()) {
        if (auto *scroll = qobject_cast<ScrollView *>(child))
            return scroll;
    }
    return nullptr;
}

void addRefresher(ViewController *screen, Refresher *refresher)
{
    if (!refresher)
        return;
    ScrollView *scrollView = refresherScrollView(screen);
    if (!scrollView)
        return;
    refresher->setParent(scrollView);
    refresher->lower();
    refresher->show();
    refresher->setup();
}

void scrollViewDidScroll(ViewController *screen, ScrollView *)
{
    ScrollView *scrollView = refresherScrollView(screen);
    const QList<Refresher *> refreshers = refreshersOf(scrollView);
    if (refreshers.isEmpty())
        return;
    Refresher *refresher = refreshers.first();
    const double p = scrollView->contentOffset().y() + scrollView->adjustedContentInset().top;
    switch (refresher->m_state) {
    case RefresherState::idle:
        if (p < 0) {
            refresher->m_state = RefresherState::pullingDown;
            refresher->send(RefresherEvent::pullDown());
        }
        break;
    case RefresherState::pullingDown:
        if (-p > refresher->pullThreshold) {
            refresher->m_state = RefresherState::animating;
            refresher->send(RefresherEvent::startAnimating());
        }
        break;
    case RefresherState::animating:
        if (!scrollView->isDragging()) {
            QPointer<Refresher> guard(refresher);
            if (refresher->completionHandler)
                refresher->completionHandler();
            if (!guard)
                return;
            refresher->m_state = RefresherState::refreshing;
            refresher->send(RefresherEvent::startRefreshing());
        }
        if (refresher->m_state == RefresherState::animating && -p <= refresher->pullThreshold) {
            refresher->m_state = RefresherState::returning;
            refresher->send(RefresherEvent::endRefreshing(0));
        }
        break;
    case RefresherState::refreshing: {
        refresher->m_state = RefresherState::pausing;
        refresher->send(RefresherEvent::pause());
        animateInsetTop(scrollView, kPausedInset);
        break;
    }
    case RefresherState::returning:
        if (p >= 0) {
            refresher->m_state = RefresherState::idle;
            refresher->send(RefresherEvent::reset());
        }
        break;
    case RefresherState::pausing:
        break;
    }
}

void endRefreshing(ViewController *screen, double delay)
{
    QPointer<ViewController> guard(screen);
    Dispatch::mainAfter(delay, [guard] {
        ScrollView *scrollView = refresherScrollView(guard);
        if (!scrollView)
            return;
        for (Refresher *refresher : refreshersOf(scrollView)) {
            if (refresher->m_state == RefresherState::returning)
                continue;
            refresher->m_state = RefresherState::returning;
            refresher->send(RefresherEvent::endRefreshing(0));
            QPointer<ScrollView> scroll(scrollView);
            Dispatch::mainAfter(0, [scroll] {
                if (scroll)
                    animateInsetTop(scroll, 0.0);
            });
        }
    });
}

} // namespace tarnik
