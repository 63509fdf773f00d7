#pragma once

// A stand-in companion service for the tests: it owns the service name on a
// connection of its own (so calls cross the bus for real), records every
// message with the bus types of its values, and answers, fails or withholds
// its reply as a test asks.
#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace tarnik::testing {

class SaltrigPeer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.quilmera.saltrig")

public:
    enum class Mode { reply, error, withhold, wrongShape };

    struct Received
    {
        QString signature; // of the whole message
        QMap<QString, QString> valueTypes; // key -> bus signature of its value
        QVariantMap userInfo; // plain values (MessagingCenter's reading)
    };

    SaltrigPeer();
    ~SaltrigPeer() override;

    // Owns the service name; false when the bus or the name is not to be had.
    bool start();
    // Drops the connection; withheld calls then fail at the caller's end.
    void stop();

    Mode mode = Mode::reply;
    QVariantMap replyUserInfo;
    const QList<Received> &received() const { return m_received; }

public Q_SLOTS:
    QVariantMap message(const QVariantMap &userInfo, const QDBusMessage &call);

Q_SIGNALS:
    void messageReceived();

private:
    QString m_connectionName;
    bool m_connected = false;
    QList<Received> m_received;
    QList<QDBusMessage> m_withheld;
};

// True when a session bus is there to test against (the test runner makes one).
bool hasSessionBus();

} // namespace tarnik::testing
