// Draws two sliders for the documentation into the folder TARNIK_SCREENSHOT_DIR
// names (docs/screenshots/take-circular-slider.sh runs it).
#include "Controls/CircularSlider/CircularSlider.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(CircularSliderScreenshot, TwoSliders)
{
    const QString folder = qEnvironmentVariable("TARNIK_SCREENSHOT_DIR");
    if (folder.isEmpty())
        FAIL() << "TARNIK_SCREENSHOT_DIR not set";

    QWidget window;
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0x2b, 0x2f, 0x36));
    palette.setColor(QPalette::WindowText, QColor(0xcc, 0xcc, 0xcc));
    window.setPalette(palette);
    auto *row = new QHBoxLayout(&window);
    row->setContentsMargins(24, 24, 24, 24);
    row->setSpacing(24);
    const struct
    {
        QString title;
        double value;
    } knobs[] = { { QStringLiteral("System Volume"), 35 }, { QStringLiteral("Volume Level"), 88 } };
    for (const auto &knob : knobs) {
        auto *column = new QVBoxLayout;
        auto *slider = new CircularSlider;
        slider->setFixedSize(260, 260);
        slider->setValue(knob.value);
        slider->setAccessibleName(knob.title);
        auto *label = new QLabel(knob.title);
        label->setAlignment(Qt::AlignCenter);
        QFont font = label->font();
        font.setPixelSize(17);
        label->setFont(font);
        column->addWidget(slider);
        column->addWidget(label);
        row->addLayout(column);
    }
    window.resize(window.sizeHint());
    window.show();
    QApplication::processEvents();
    EXPECT_TRUE(window.grab().save(QDir(folder).filePath(QStringLiteral("circular-slider.png"))));
}

} // namespace
} // namespace tarnik
