#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace tarnik {

// The app's whole client of the companion service, the privileged program that
// writes into the media library and knows the device's identifier. Every
// request is one message "com.quilmera.saltrig.message" to the center
// "com.quilmera.saltrig.center" with the operation code under "identifier"
// (see Platform/Messaging/SaltrigProtocol.h for the wire form). It keeps no
// state: each call looks the center up and sends afresh.
//
// The blocking requests wait for the reply (at most 10 s) on the calling
// thread, so they are for worker threads. The GUI thread never waits on the
// bus: there they refuse at once (a warning, nothing sent) and report no reply;
// the GUI thread uses the forms with a completion instead.
class SaltrigUtils
{
public:
    // User-info keys of the requests; only `items` is sent by this app, and
    // `result` is read from the identifier reply.
    enum class MessageKey { result, path, source, flag, dictionaryToWrite, items };
    static QString rawValue(MessageKey key);
    // Exact, case-sensitive match of the whole text.
    static std::optional<MessageKey> messageKeyFromRawValue(const QString &rawValue);

    SaltrigUtils() = default;

    // Operation 18: the reply's "result" when it is a text; no value when the
    // service is missing, fails or does not answer, or "result" is missing or
    // not a text. Blocking.
    static std::optional<QString> deviceIdentifier();
    // The same on a worker, from any thread; the completion runs once, on the
    // GUI thread.
    static void deviceIdentifier(std::function<void(const std::optional<QString> &)> completion);

    // Operation 21 with "items" = the byte arrays given, in order. An empty list
    // sends nothing and returns true at once. Otherwise blocking, and true only
    // when the service answered; the answer itself is not read.
    static bool importItems(const QList<QByteArray> &items);
};

} // namespace tarnik
