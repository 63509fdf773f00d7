#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace tarnik {

// The app's end of a distributed messaging center: named messages with a
// user-info dictionary sent to a service on D-Bus, each answered by a reply
// dictionary. A center is a service name on the bus chosen by TARNIK_BUS (the
// session bus unless it says "system"); a message name "a.b.c.member" is the
// method "member" of the interface "a.b.c" at the object path "/". The
// user-info travels as a{sv}.
//
// Sending blocks the calling thread until the reply or the time-out, so it
// belongs on worker threads: on the GUI thread it refuses (a warning) and
// answers "no reply" without touching the bus. Copies are independent; safe to
// use from any worker thread.
class MessagingCenter
{
public:
    // The center of that name. No value when the bus cannot be reached. Whether
    // a program owns the name shows only when a message goes out (an unknown
    // service reads as no reply), so looking up never waits on the bus daemon.
    // Worker threads only, like sending (the first use connects to the bus).
    static std::optional<MessagingCenter> centerNamed(const QString &name);

    QString name() const { return m_name; }

    // Sends the message and waits at most replyTimeout() for the reply. No
    // value when there is no service, the service answers with an error or
    // with something else than one dictionary, or nothing comes in time.
    std::optional<QVariantMap> sendMessageAndReceiveReply(
        const QString &messageName, const QVariantMap &userInfo) const;

    int replyTimeout() const { return m_replyTimeoutMilliseconds; }
    void setReplyTimeout(int milliseconds) { m_replyTimeoutMilliseconds = milliseconds; }

private:
    explicit MessagingCenter(QString name);

    QString m_name;
    int m_replyTimeoutMilliseconds;
};

// User-info values and their bus forms. Going out: unsigned 32-bit integers
// become `u`, byte arrays `ay`, lists of byte arrays `aay`, maps a{sv} and
// other lists `av` (both converted element by element); the rest as QtDBus
// marshals it. Coming in: whatever QtDBus leaves as raw bus arguments becomes
// plain values again (a{sv} -> QVariantMap, aay -> QList<QByteArray>, av and
// other arrays -> QVariantList, as -> QStringList), so both ends of a
// conversation see the same types.
QVariantMap userInfoToBus(const QVariantMap &userInfo);
QVariant valueFromBus(const QVariant &value);
QVariantMap userInfoFromBus(const QVariant &dictionary);

} // namespace tarnik
