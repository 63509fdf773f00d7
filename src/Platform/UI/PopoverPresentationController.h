#pragma once

#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/ViewController.h"

#include <QObject>
#include <QPointer>
#include <QRectF>

class QWidget;

namespace tarnik {

class BarButtonItem;
class PopoverPresentationController;

// Asked by a popover before it closes on an outside tap, when it must move
// (rotation, resizing), and which style it takes on phones.
class PopoverPresentationControllerDelegate
{
public:
    virtual ~PopoverPresentationControllerDelegate() = default;
    virtual bool popoverPresentationControllerShouldDismissPopover(PopoverPresentationController *) { return true; }
    virtual void popoverPresentationControllerDidDismissPopover(PopoverPresentationController *) { }
    // May change the anchor rectangle (in the view's coordinates) and view.
    virtual void popoverPresentationControllerWillReposition(
        PopoverPresentationController *, QRectF & /*rect*/, QWidget *& /*view*/)
    {
    }
    // Phones show popovers full screen unless this answers popover.
    virtual ModalPresentationStyle adaptivePresentationStyle(PopoverPresentationController *)
    {
        return ModalPresentationStyle::fullScreen;
    }
};

// Where a popover points: a source view and rectangle, or a bar button item.
// Without arrows the popover is centred on the anchor; with arrows it sits
// below (or above, when there is no room) the anchor. The delegate is held
// weakly: its owner keeps it alive.
class PopoverPresentationController : public QObject
{
    Q_OBJECT
public:
    enum ArrowDirection { up = 1, down = 2, left = 4, right = 8, any = 15, unknown = -1 };

    explicit PopoverPresentationController(ViewController *presented);

    QWidget *sourceView() const { return m_sourceView; }
    void setSourceView(QWidget *view) { m_sourceView = view; }
    QRectF sourceRect() const { return m_sourceRect; }
    void setSourceRect(const QRectF &rect) { m_sourceRect = rect; }
    BarButtonItem *barButtonItem() const { return m_barButtonItem; }
    void setBarButtonItem(BarButtonItem *item) { m_barButtonItem = item; }
    int permittedArrowDirections = any;

    // Held weakly: a delegate that is a QObject is dropped when destroyed.
    PopoverPresentationControllerDelegate *delegate() const
    {
        return m_delegateIsObject && m_delegateObject.isNull() ? nullptr : m_delegate;
    }
    void setDelegate(PopoverPresentationControllerDelegate *delegate)
    {
        m_delegate = delegate;
        m_delegateObject = dynamic_cast<QObject *>(delegate);
        m_delegateIsObject = !m_delegateObject.isNull();
    }

    bool hasAnchor() const;
    // The popover's frame in `container` for content of `size`.
    QRect frameIn(QWidget *container, const QSizeF &size) const;
    // Lets the delegate move the anchor; called when the container changes size.
    void reposition();

private:
    QPointer<QWidget> m_sourceView;
    QRectF m_sourceRect;
    QPointer<BarButtonItem> m_barButtonItem;
    PopoverPresentationControllerDelegate *m_delegate = nullptr;
    QPointer<QObject> m_delegateObject;
    bool m_delegateIsObject = false;
};

} // namespace tarnik
