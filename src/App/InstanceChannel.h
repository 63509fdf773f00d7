#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QLocalSocket;
class QSocketNotifier;

namespace tarnik {

// Keeps Tarnik to one instance per user: the first instance listens on a
// local socket in the runtime folder; a later one sends it its (absolute)
// arguments and exits. Messages are small: at most 256 arguments of at most
// 64 KiB each; anything larger is dropped. The listener lives on the GUI
// thread.
//
// A flood of connections cannot end single-instance: at most a few are kept
// (the oldest go first), each is dropped after a short time, and when accepting
// fails (no descriptors left) the listener waits a moment and tries again
// instead of giving up its socket.
class InstanceChannel : public QObject
{
    Q_OBJECT
public:
    // Connections kept at once, and how long one may stay (a real sender takes
    // milliseconds).
    static constexpr int kMaxConnections = 8;
    static constexpr double kConnectionLifetimeSeconds = 2.0;
    // How long the listener rests after accepting failed.
    static constexpr double kAcceptRetrySeconds = 0.25;

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
    void acceptPending();
    void adopt(int descriptor);
    void drop(QLocalSocket *socket);

    QString m_name;
    QString m_path; // the socket file, once this instance listens
    int m_listener = -1;
    QSocketNotifier *m_notifier = nullptr;
    QList<QPointer<QLocalSocket>> m_connections; // oldest first
};

} // namespace tarnik
