#pragma once

#include "Platform/Dispatch.h"
#include "Support/UiTestSupport.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <memory>

namespace tarnik::test {

// A plain block of colour.
class ColorBlock : public QWidget
{
public:
    ColorBlock(const QColor &color, const QRect &frame, QWidget *parent)
        : QWidget(parent)
        , m_color(color)
    {
        setGeometry(frame);
        show();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), m_color);
    }

private:
    QColor m_color;
};

// A window, the manual animation clock and a virtual dispatch clock moved
// together in small steps, so delayed blocks and the animations they start
// interleave as they would in time.
class ControlsTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        clock = std::make_unique<Dispatch::VirtualClock>();
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
        clock.reset();
    }
    void tick(double seconds)
    {
        constexpr double kStep = 1.0 / 200.0;
        double left = seconds;
        while (left > 1e-9) {
            const double dt = std::min(kStep, left);
            clock->advance(dt);
            AnimationDriver::shared().advance(dt);
            left -= dt;
        }
    }
    // A shown root view filling the window.
    QWidget *rootView()
    {
        if (!window)
            makeWindow();
        if (!m_root) {
            m_root = new QWidget(window.get());
            m_root->setGeometry(QRect(QPoint(0, 0), window->size()));
            m_root->show();
        }
        return m_root;
    }
    static QImage render(QWidget *widget)
    {
        QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        widget->render(&image);
        return image;
    }

    std::unique_ptr<Dispatch::VirtualClock> clock;

private:
    QWidget *m_root = nullptr;
};

} // namespace tarnik::test
