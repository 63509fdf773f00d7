#pragma once

#include "Controls/Shadow.h"
#include "Controls/Theme.h"

#include <QPointer>
#include <QWidget>

namespace tarnik {

class VisualEffectView;

// The frosted panel: a blur view with rounded corners over the panel's
// bounds, above a soft drop shadow that reaches 8 points beyond every edge.
// A widget cannot paint outside itself, so the shadow view lives beside the
// panel in the panel's parent, just below it, and follows its geometry and
// visibility. The theme picks the blur and whether the shadow shows. The
// panel stops the touches that land on it, like any view. GUI thread only.
class PassThroughView : public QWidget
{
    Q_OBJECT
public:
    explicit PassThroughView(QWidget *parent = nullptr);
    explicit PassThroughView(const QRect &frame, QWidget *parent = nullptr);
    ~PassThroughView() override;

    Theme theme() const { return m_theme; }
    // smoke keeps the blur as it is; light turns it extra light; dark turns it
    // dark and hides the shadow; smoke and light show the shadow.
    void setTheme(Theme theme);
    bool roundedCorner() const { return m_roundedCorner; }
    void setRoundedCorner(bool rounded);
    // The radius of the rounded corners (10 unless set), for the blur and the
    // shadow alike; the loader gives its panel its own radius.
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    bool showCapInsetLines() const { return m_showCapInsetLines; }
    void setShowCapInsetLines(bool show);
    bool showShadow() const { return m_showShadow; }
    void setShowShadow(bool show);

    // The view that draws the stretched shadow picture (made at creation).
    QWidget *shadowView() const { return m_shadowView; }
    VisualEffectView *visualEffectView() const { return m_visualEffectView; }
    // Where the panel's content goes: the blur view's content view.
    QWidget *effectContentView() const;

    // Builds the subviews; the constructors call it.
    void setup();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void placeShadow();

    Theme m_theme = Theme::smoke;
    bool m_roundedCorner = true;
    double m_cornerRadius = 10;
    bool m_showCapInsetLines = false;
    bool m_showShadow = true;
    QPointer<QWidget> m_shadowView;
    VisualEffectView *m_visualEffectView = nullptr;
};

} // namespace tarnik
