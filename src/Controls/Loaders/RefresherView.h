#pragma once

#include "Controls/ImageView.h"
#include "Controls/Loaders/RefresherState.h"
#include "Controls/Loaders/SpinnerView.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QSizeF>
#include <QWidget>
#include <optional>

namespace tarnik {

// The content of a pull-to-refresh band: the "pull" picture while the user
// pulls, the spinner once the pull has armed the refresh. Both sit centred,
// the spinner's bottom a margin above the band's bottom (the top of the
// content). GUI thread only.
class RefresherView : public QWidget
{
    Q_OBJECT
public:
    // A default spinner and the bundle's "pull" picture.
    explicit RefresherView(QWidget *parent = nullptr);
    // A spinner playing the given pictures, and a pull picture.
    RefresherView(const QList<QImage> &animationImages, const QImage &pullImage, QWidget *parent = nullptr);
    // A default spinner and the given pull picture.
    explicit RefresherView(const QImage &pullImage, QWidget *parent = nullptr);
    // A spinner of the given size and the "pull" picture.
    explicit RefresherView(const QSizeF &spinnerSize, QWidget *parent = nullptr);

    SpinnerView *spinnerView() const { return m_spinnerView; }
    ImageView *pullingImageView() const { return m_pullingImageView; }
    // The busy view that shows once armed (the spinner).
    QWidget *currentView() const { return m_currentView; }

    QSizeF spinnerViewSize() const { return m_spinnerViewSize; }
    void setSpinnerViewSize(const QSizeF &size);

    void handleEvent(const RefresherEvent &event);

    // The bundle image "pull", loaded once; the program stops when the bundle
    // lacks it.
    static QImage defaultPullImage();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void attach();
    void layoutContent();
    double bottomMargin() const;

    QPointer<SpinnerView> m_spinnerView;
    QPointer<ImageView> m_pullingImageView;
    QPointer<QWidget> m_currentView;
    QSizeF m_spinnerViewSize { 30, 30 };
    bool m_attached = false;
};

} // namespace tarnik
