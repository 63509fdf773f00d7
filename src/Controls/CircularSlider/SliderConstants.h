#pragma once

#include <QColor>
#include <QLatin1String>
#include <QSizeF>

namespace tarnik {

// Colours, font name and proportions of the circular slider's views.
namespace SliderConstants {

QColor lightTextColor();
QColor darkTextColor();
inline constexpr QLatin1String fontName("HelveticaNeue-Light");
QColor lightColor1();
QColor lightColor2();
QColor lightColor3();
QColor lightColor4();
QColor darkColor1();
QColor darkColor2();
QColor darkColor3();
QColor darkColor4();
QColor lightHighlightColor();
QColor darkHighlightColor();
QColor dotBlueColor();
QColor dotRedColor();
QColor dotOrangeColor();
QColor dotGrayColor();
inline constexpr QSizeF dotShadowOffset(2, 2);
inline constexpr double outerMultiplier = 0.86;
inline constexpr double middleMultiplier = 0.7;
inline constexpr double innerMultiplier = 0.54;

} // namespace SliderConstants

} // namespace tarnik
