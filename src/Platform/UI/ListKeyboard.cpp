#include "Platform/UI/ListKeyboard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QWidget>
#include <cmath>
#include <mutex>

namespace tarnik::ListKeyboard {

namespace {

bool sameRow(const QRectF &a, const QRectF &b)
{
    return std::abs(a.top() - b.top()) < 0.5;
}

// Of the items in the row of `row`, the one whose centre is nearest to x.
int nearestInRow(const QList<QRectF> &frames, int row, double x)
{
    int best = row;
    for (int i = 0; i < frames.size(); ++i) {
        if (sameRow(frames.at(i), frames.at(row))
            && std::abs(frames.at(i).center().x() - x) < std::abs(frames.at(best).center().x() - x))
            best = i;
    }
    return best;
}

class InputFollower : public QObject
{
public:
    bool keyboard = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            keyboard = true;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::TouchBegin:
            keyboard = false;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

InputFollower *follower = nullptr;

// The ring over a cell: it covers its cell (or the part of it asked for), follows its size and
// lets every click through.
class FocusRing : public QWidget
{
public:
    explicit FocusRing(QWidget *cell)
        : QWidget(cell)
    {
        setObjectName(QStringLiteral("focusRing"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        cell->installEventFilter(this);
    }

    void cover(const QRect &part)
    {
        area = part;
        setGeometry(area.isEmpty() ? parentWidget()->rect() : area);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parentWidget() && event->type() == QEvent::Resize && area.isEmpty())
            setGeometry(parentWidget()->rect());
        return QWidget::eventFilter(watched, event);
    }
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 6, 6);
    }

private:
    QRect area;
};

} // namespace

std::optional<int> target(
    int key, Qt::KeyboardModifiers modifiers, std::optional<int> current, const QList<QRectF> &frames, double page)
{
    if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier || frames.isEmpty())
        return std::nullopt;
    const int last = int(frames.size()) - 1;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
        break;
    case Qt::Key_End:
        return last;
    default:
        return std::nullopt;
    }
    if (!current || *current < 0 || *current > last)
        return 0;
    const int cur = *current;
    const QRectF here = frames.at(cur);
    switch (key) {
    case Qt::Key_Home:
        return 0;
    case Qt::Key_Left:
        if (cur > 0 && sameRow(frames.at(cur - 1), here))
            return cur - 1;
        return std::nullopt;
    case Qt::Key_Right:
        if (cur < last && sameRow(frames.at(cur + 1), here))
            return cur + 1;
        return std::nullopt;
    case Qt::Key_Down:
        for (int i = cur + 1; i <= last; ++i) {
            if (!sameRow(frames.at(i), here))
                return nearestInRow(frames, i, here.center().x());
        }
        return cur;
    case Qt::Key_Up:
        for (int i = cur - 1; i >= 0; --i) {
            if (!sameRow(frames.at(i), here))
                return nearestInRow(frames, i, here.center().x());
        }
        return cur;
    case Qt::Key_PageDown: {
        // The lowest row that starts within a page below this one.
        int row = cur;
        for (int i = cur + 1; i <= last; ++i) {
            if (frames.at(i).top() <= here.top() + page + 0.5)
                row = i;
        }
        return nearestInRow(frames, row, here.center().x());
    }
    case Qt::Key_PageUp: {
        int row = cur;
        for (int i = cur - 1; i >= 0; --i) {
            if (frames.at(i).top() >= here.top() - page - 0.5)
                row = i;
        }
        return nearestInRow(frames, row, here.center().x());
    }
    default:
        return std::nullopt;
    }
}

void showFocus(QWidget *cell, bool focused, const QRect &area)
{
    auto *ring = dynamic_cast<FocusRing *>(
        cell->findChild<QWidget *>(QStringLiteral("focusRing"), Qt::FindDirectChildrenOnly));
    if (!focused || !lastInputWasKeyboard()) {
        if (ring)
            ring->hide();
        return;
    }
    if (!ring)
        ring = new FocusRing(cell);
    ring->cover(area);
    ring->raise();
    ring->show();
}

bool lastInputWasKeyboard()
{
    return follower && follower->keyboard;
}

void followInput()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!QCoreApplication::instance())
            return;
        follower = new InputFollower;
        follower->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(follower);
    });
}

} // namespace tarnik::ListKeyboard
