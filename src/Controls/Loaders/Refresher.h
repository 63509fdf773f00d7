#pragma once

#include "Controls/Loaders/RefresherState.h"

#include <QPointer>
#include <QSizeF>
#include <QWidget>
#include <functional>
#include <optional>

namespace tarnik {

class RefresherView;
class ScrollView;
class ViewController;

// Pull-to-refresh for a screen whose content is a scroll view. The
// refresher is a band of `refresherHeight` points just above the content;
// the screen's scroll callback drives its state machine (see
// scrollViewDidScroll below): a pull past `pullThreshold` arms it, letting go
// runs the completion handler and keeps 50 points of the band open until the
// screen calls endRefreshing(). A pull let go short of the threshold stays
// `pullingDown`, and the next pull past it carries on from there. GUI thread
// only.
class Refresher : public QWidget
{
    Q_OBJECT
public:
    explicit Refresher(std::function<void()> completionHandler, QWidget *parent = nullptr);
    explicit Refresher(QWidget *parent = nullptr);

    std::function<void()> completionHandler;
    RefresherView *refresherView() const { return m_refresherView; }
    RefresherState state() const { return m_state; }
    double refresherHeight = 200;
    double pullThreshold = 80;
    std::optional<QSizeF> spinnerViewSize;

    // Once, after the refresher is in its scroll view: places the band and
    // makes its content view.
    void setup();

private:
    friend void scrollViewDidScroll(ViewController *, ScrollView *);
    friend void endRefreshing(ViewController *, double);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void place();
    void send(const RefresherEvent &event);

    QPointer<RefresherView> m_refresherView;
    RefresherState m_state = RefresherState::idle;
    QPointer<ScrollView> m_scrollView;
};

// The screen's scroll view: its view when that is one, else the first direct
// subview of its view that is one; none otherwise.
ScrollView *refresherScrollView(ViewController *screen);
// Puts the refresher into the screen's scroll view, below everything, and
// sets it up. Nothing happens when the screen has no scroll view.
void addRefresher(ViewController *screen, Refresher *refresher);
// After `delay` seconds closes every open band of the screen's scroll view.
// A band already returning is left alone.
void endRefreshing(ViewController *screen, double delay);
// The scroll callback's base behaviour: moves the first refresher of the
// screen's scroll view through its states. Screens call it first from their
// own scroll callback (qualified: tarnik::scrollViewDidScroll).
void scrollViewDidScroll(ViewController *screen, ScrollView *scrollView);

} // namespace tarnik
