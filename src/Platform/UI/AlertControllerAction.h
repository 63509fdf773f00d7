#pragma once

#include <QIcon>
#include <QObject>
#include <functional>

namespace tarnik {

// One button of an alert or action sheet, with the handler that runs after
// the alert has gone.
class AlertControllerAction : public QObject
{
    Q_OBJECT
public:
    enum class Style { defaultStyle = 0, cancel = 1, destructive = 2 };
    using Handler = std::function<void(AlertControllerAction *)>;

    AlertControllerAction(const QString &title, Style style, Handler handler = {}, QObject *parent = nullptr);

    QString title() const { return m_title; }
    Style style() const { return m_style; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    const Handler &handler() const { return m_handler; }
    // Shown before the title; a tinted image (a one-colour symbol) takes the title's colour, an
    // untinted one (an application's icon) keeps its own. None by default.
    QIcon image() const { return m_image; }
    bool tintsImage() const { return m_tintsImage; }
    void setImage(const QIcon &image, bool tinted = true)
    {
        m_image = image;
        m_tintsImage = tinted;
    }

Q_SIGNALS:
    void changed();

private:
    QString m_title;
    Style m_style;
    Handler m_handler;
    bool m_enabled = true;
    QIcon m_image;
    bool m_tintsImage = true;
};

} // namespace tarnik
