#pragma once

#include "Controls/ImageView.h"
#include "Platform/UI/Slider.h"

#include <QPushButton>
#include <QWidget>

namespace tarnik {

// Views a layout names as a view's class so that the inspectable layer
// properties show: each paints its rounded background and its shadow (inside
// its bounds) from those properties, then its own content. They add no other
// behaviour. GUI thread only.
class DesignableView : public QWidget
{
    Q_OBJECT
public:
    explicit DesignableView(QWidget *parent = nullptr);
    explicit DesignableView(const QRect &frame, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
};

class DesignableImageView : public ImageView
{
    Q_OBJECT
public:
    explicit DesignableImageView(QWidget *parent = nullptr);
    explicit DesignableImageView(const QImage &image, QWidget *parent = nullptr);
    DesignableImageView(const QImage &image, const QImage &highlightedImage, QWidget *parent = nullptr);
    explicit DesignableImageView(const QRect &frame, QWidget *parent = nullptr);

    QImage highlightedImage() const { return m_highlightedImage; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QImage m_highlightedImage;
};

class DesignableSlider : public Slider
{
    Q_OBJECT
public:
    explicit DesignableSlider(QWidget *parent = nullptr);
    explicit DesignableSlider(const QRect &frame, QWidget *parent = nullptr);
};

class DesignableButton : public QPushButton
{
    Q_OBJECT
public:
    explicit DesignableButton(QWidget *parent = nullptr);
    explicit DesignableButton(const QRect &frame, QWidget *parent = nullptr);

protected:
    void resizeEvent(QResizeEvent *event) override;
};

// Paints a view's layer look (shadow, then the rounded background in the
// view's background colour) into its own rectangle.
void paintLayer(QWidget *view);

} // namespace tarnik
