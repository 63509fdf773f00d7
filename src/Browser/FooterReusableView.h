#pragma once

#include "Platform/UI/CollectionReusableView.h"

#include <QLabel>
#include <QPointer>

namespace tarnik {

// The section footer under a browser listing. Its first child is the label the browser writes
// the item count into; it also carries the app's loading animation in an image view that stays
// transparent (nothing in the browser starts it). GUI thread only.
class FooterReusableView : public CollectionReusableView
{
    Q_OBJECT
public:
    static inline const QString kReuseIdentifier = QStringLiteral("FooterReusableView");

    explicit FooterReusableView(QWidget *parent = nullptr);

    QLabel *label() const { return m_label; }
    QLabel *imageView() const { return m_imageView; }
    // The loading animation's frames and cycle, set up but not running.
    const QList<QImage> &animationImages() const { return m_animationImages; }
    double animationDuration() const { return m_animationDuration; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_label;
    QPointer<QLabel> m_imageView;
    QList<QImage> m_animationImages;
    double m_animationDuration = 1.75;
};

} // namespace tarnik
