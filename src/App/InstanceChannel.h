#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace tarnik {

// Keeps Tarnik to one instance per user: the first instance listens on a
// local socket in the runtime folder; a later one sends it its (absolute)
// arguments and exits. Messages are small: at most 256 arguments of at most
// 64 KiB each; anything larger is dropped. The listener lives on the GUI
// thread.
class InstanceChannel : public QObject
{
    Q_OBJECT
public:
    explicit InstanceChannel(QString socketName = defaultSocketName(), QObject *parent = nullptr);
    ~InstanceChannel() override;

    static QString defaultSocketName();

    // Starts listening; false when another live instance already listens.
    bool listen();
    // Sends the arguments to a running instance; false when none answers.
    static bool forward(
        const QStringList &arguments, const QString &socketName = defaultSocketName(), int timeoutMs = 2000);

Q_SIGNALS:
    void received(const QStringList &arguments);

private:
    void accept();

    QString m_name;
    QLocalServer m_server;
};

} // namespace tarnik
