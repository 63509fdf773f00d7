#pragma once

#include "Platform/UI/TimingFunction.h"

#include <QPainterPath>
#include <QRect>
#include <QTransform>
#include <functional>

class QWidget;
class QObject;

namespace tarnik {

// Helpers that give a QWidget the view properties screens animate: a frame,
// an alpha, a transform (kept on the widget for the widgets that paint with
// it), and the block-style animation of the phone toolkit: changes made
// through these setters inside animate() move from their current values to
// the new ones over the duration instead of jumping. GUI thread only.
namespace View {

QRect frame(const QWidget *view);
void setFrame(QWidget *view, const QRect &frame);
double alpha(const QWidget *view);
void setAlpha(QWidget *view, double alpha);
QTransform transform(const QWidget *view);
void setTransform(QWidget *view, const QTransform &transform);
// Any real-valued Qt property of an object (for example a custom view's).
void setValue(QObject *object, const char *property, double value);

// The property name under which a widget keeps its transform.
inline constexpr const char *kTransformProperty = "tarnikTransform";

void animate(double duration, const std::function<void()> &changes, std::function<void(bool finished)> completion = {},
    double delay = 0.0, TimingFunction timing = TimingFunction::easeInOut());
void animateSpring(double duration, double delay, double dampingRatio, double initialVelocity,
    const std::function<void()> &changes, std::function<void(bool finished)> completion = {});
// Runs changes at once even inside an animate() block.
void performWithoutAnimation(const std::function<void()> &changes);

// The now-playing wiggle: a repeating rotation ("rotation", key path
// "transform.rotation.z", -0.03 to 0.03 rad) and bounce ("bounce",
// "transform.translation.y", 2 to 0 pt), each with its own random duration.
// Their current values are kept as properties named by the key paths.
void startWiggling(QWidget *view);
void stopWiggling(QWidget *view);

// Masks the view to a shape; with invert, to everything but the shape.
// A new mask replaces an earlier one.
void mask(QWidget *view, const QRectF &rect, bool invert);
void mask(QWidget *view, const QPainterPath &path, bool invert);

// Gives the keyboard's focus to the first control inside the view that Tab
// would reach (a list, a button), or to the view itself when it has none.
void focusFirstControl(QWidget *view);
// The focus is on the view or inside it.
bool containsFocus(const QWidget *view);

} // namespace View

} // namespace tarnik

namespace tarnik::View {
// Makes `child` a visible subview of `parent`, on top of its siblings.
void addSubview(QWidget *parent, QWidget *child);
// A picture of the view as it looks now, in a new parentless widget of the
// view's size (the snapshots that transitions slide around).
QWidget *snapshotView(QWidget *view);
// Takes a view out of its parent and hides it (a parentless widget is never
// shown on its own).
void removeFromSuperview(QWidget *view);
} // namespace tarnik::View
