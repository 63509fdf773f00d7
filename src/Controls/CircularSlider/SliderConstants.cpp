#include "Controls/CircularSlider/SliderConstants.h"

namespace tarnik::SliderConstants {

namespace {
QColor rgb(int r, int g, int b, double alpha = 1.0)
{
    QColor c(r, g, b);
    c.setAlphaF(float(alpha));
    return c;
}
} // namespace

QColor lightTextColor()
{
    return QColor::fromRgbF(0.8f, 0.8f, 0.8f);
}
QColor darkTextColor()
{
    return Qt::black;
}
QColor lightColor1()
{
    return rgb(226, 226, 226, 0.2);
}
QColor lightColor2()
{
    return rgb(249, 249, 249);
}
QColor lightColor3()
{
    return rgb(173, 174, 175);
}
QColor lightColor4()
{
    return rgb(206, 206, 206);
}
QColor darkColor1()
{
    return Qt::black;
}
QColor darkColor2()
{
    return rgb(39, 46, 56);
}
QColor darkColor3()
{
    return Qt::black;
}
QColor darkColor4()
{
    return rgb(34, 37, 44);
}
QColor lightHighlightColor()
{
    return Qt::white;
}
QColor darkHighlightColor()
{
    return rgb(86, 93, 108);
}
QColor dotBlueColor()
{
    return rgb(31, 206, 252);
}
QColor dotRedColor()
{
    return rgb(248, 16, 32);
}
QColor dotOrangeColor()
{
    return rgb(255, 128, 0);
}
QColor dotGrayColor()
{
    return lightColor4();
}

} // namespace tarnik::SliderConstants
