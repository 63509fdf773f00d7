#pragma once

#include <QPointer>
#include <QWidget>

namespace tarnik {

class ViewController;
class PresentationController;

// The application window: it shows the root screen and, above it, the
// containers of presented screens. It plays the device's screen (its size is
// the screen size of DeviceProfile), tells the screens when that size changes
// and gives the root its appearance calls when shown and hidden. The key
// window is the one made key last. GUI thread only.
class Window : public QWidget
{
    Q_OBJECT
public:
    explicit Window(QWidget *parent = nullptr);
    ~Window() override;

    static Window *keyWindow();
    void makeKey();
    void makeKeyAndVisible();

    ViewController *rootViewController() const { return m_root; }
    // Takes ownership of the root; an earlier root is deleted.
    void setRootViewController(ViewController *root);

    void registerPresentation(PresentationController *presentation);
    void unregisterPresentation(PresentationController *presentation);
    // The screen presented last and still on screen; the root when none is.
    ViewController *topViewController() const;

Q_SIGNALS:
    void sizeChanged(QSize size);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    // Keys nothing inside used: the screen on top may take them, and Escape
    // closes it (the desktop's escape gesture).
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<ViewController> m_root;
    QList<QPointer<PresentationController>> m_presentations;
};

} // namespace tarnik
