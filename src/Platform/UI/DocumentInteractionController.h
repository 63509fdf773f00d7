#pragma once

#include "Platform/DesktopApplications.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>

class QWidget;

namespace tarnik {

class ViewController;

// Offers a file to the other applications that open it: an action sheet of
// their names (anchored at a view on pads) whose choice starts the
// application with the file. GUI thread only.
class DocumentInteractionController : public QObject
{
    Q_OBJECT
public:
    explicit DocumentInteractionController(const QUrl &url, QObject *parent = nullptr);

    QUrl url() const { return m_url; }
    QString uti() const { return m_uti; }
    void setUti(const QString &uti) { m_uti = uti; }

    // Called once the menu is gone, whether an application was chosen or not.
    std::function<void()> didDismissOpenInMenu;

    // False, showing nothing, when no application can open the file.
    bool presentOpenInMenu(QWidget *sourceView, ViewController *presenter, bool animated);

private:
    QUrl m_url;
    QString m_uti;
};

} // namespace tarnik
