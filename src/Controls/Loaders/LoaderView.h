#pragma once

#include "Controls/Loaders/SpinnerView.h"
#include "Controls/Theme.h"
#include "Platform/UI/EdgeInsets.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPointer>
#include <QSizeF>
#include <QWidget>
#include <optional>

namespace tarnik {

class ViewController;

// The modal progress overlay. show() covers a view completely, draws a small
// rounded panel (frosted or plain) holding a SpinnerView and, with a message,
// a wrapped label under it, and fades in 0.01 s later (or after the delay
// given); hide() fades it out in 0.25 s and takes it down. While shown it
// absorbs the touches over the covered view (unless allowUserInteraction is
// set false). Callers tune the look through the public fields before show().
//
// Ownership: while shown the loader is a child of the covered view, so a view
// deleted meanwhile deletes its loader too; owners keep a loader in a
// QPointer and delete it when they go. The screen given to a top show is held
// weakly: a screen that is popped is freed. GUI thread only.
class LoaderView : public QWidget
{
    Q_OBJECT
public:
    enum class Position { top, center, bottom };

    explicit LoaderView(QWidget *parent = nullptr);
    explicit LoaderView(const QRect &frame, QWidget *parent = nullptr);
    ~LoaderView() override;

    // The panel and spinner of the current show (the view tree owns them).
    QWidget *contentView() const { return m_contentView; }
    SpinnerView *spinnerView() const { return m_spinnerView; }
    QLabel *label() const { return m_label; }

    QColor contentViewBackgroundColor;
    bool useBlurEffect = true;
    bool showContentViewShadow = true;
    Theme contentViewTheme = Theme::smoke;
    double contentViewCornerRadius = 10;
    EdgeInsets insets { 20, 20, 20, 20 };
    std::optional<QString> message; // kept for callers; show() takes its own
    QColor textColor;
    Qt::Alignment textAlignment = Qt::AlignHCenter;
    QFont textFont;
    double textLineHeightMultiple = 1.2;
    QSizeF spinnerViewSize { 35, 35 };
    QPointer<ViewController> viewController;
    Position position = Position::center;
    bool skipLayoutSubviews = false;
    bool animateAppearance = false;

    // False lets touches through to the views behind; true (and a new
    // loader) absorbs them.
    bool allowUserInteraction() const { return m_allowUserInteraction; }
    void setAllowUserInteraction(bool allow);
    bool isAnimating() const { return m_isAnimating; }
    // True: no blur and a clear panel (spinner and message without a visible
    // panel behind them).
    bool hideContentView() const { return m_hideContentView; }
    void setHideContentView(bool hide);

    // Covers `view`. A loader that is already showing first takes its old
    // panel down, so one panel runs at a time.
    void show(QWidget *view, Position position = Position::center, const std::optional<QString> &message = {},
        std::optional<double> delay = {}, ViewController *viewController = nullptr);
    // Fades out over 0.25 s, then stops the spinner and takes the loader out
    // of the covered view.
    void hide();

    // Places the loader over its parent and the panel within it.
    void layoutSubviews();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void appear(quint64 generation);
    void takeDownPanel();
    // The part of the loader's top that the screen's bars cover.
    double coveredTopBarHeight() const;

    QPointer<QWidget> m_contentView;
    QPointer<SpinnerView> m_spinnerView;
    QPointer<QLabel> m_label;
    QPointer<QWidget> m_coveredView;
    bool m_allowUserInteraction = true;
    bool m_hideContentView = false;
    bool m_isAnimating = false;
    quint64 m_generation = 0;
};

} // namespace tarnik
