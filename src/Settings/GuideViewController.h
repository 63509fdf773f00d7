#pragma once

#include "Platform/UI/ViewController.h"

#include <QPointer>
#include <QPushButton>

namespace tarnik {

// The "Instructions" page: fixed instruction texts, a button that opens the
// video tutorial and a Done button that closes the page. Presented inside a
// navigation controller of its own. GUI thread only.
class GuideViewController : public ViewController
{
    Q_OBJECT
public:
    explicit GuideViewController(QObject *parent = nullptr);

    // The texts, one label each, in order.
    static QStringList instructionTexts();

    QWidget *stackView() const { return m_stackView; }
    QPushButton *videoButton() const { return m_videoButton; }

    void close();
    void viewVideoTutorial();

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    QPointer<QWidget> m_stackView;
    QPointer<QPushButton> m_videoButton;
};

} // namespace tarnik
