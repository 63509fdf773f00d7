#pragma once

#include "App/UserManagerError.h"
#include "Import/ImportItem.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

class QNetworkReply;
class QNetworkRequest;

namespace tarnik {

// The app's client of its web service, and the home of the import hand-off.
//
// A query is one form-encoded POST to an endpoint, answered by a JSON object.
// Every query gets a session of its own (a QNetworkAccessManager made for it
// and dropped with it), which answers the service host's HTTP Basic or Digest
// challenge with the service's credentials once and gives up on a second;
// other hosts' challenges get no credentials, and server certificates are
// checked by TLS as usual (never ignored, never answered with the password).
//
// Threads: queries run on the GUI thread. postQuery() may be called from any
// thread (off the GUI thread the query starts there a moment later); its
// completion always runs on the GUI thread, except the immediate answer to an
// unparsable address, which runs on the caller's thread before postQuery()
// returns. cancelQuery() belongs on the GUI thread. importMedia() runs from any
// thread and never makes the GUI thread wait for the companion service.
class UserManager
{
public:
    // (reply object, error): exactly one of them has a value.
    using QueryCompletion
        = std::function<void(const std::optional<QVariantMap> &reply, const std::optional<UserManagerError> &error)>;

    // What a client needs to know of the service and of the network.
    struct Configuration
    {
        // The host whose challenges get the credentials (exact text match).
        QString serviceHost;
        QString serviceUser;
        QString servicePassword;
        // A transfer that stays silent this long fails.
        int timeoutMilliseconds = 30'000;
        // Whether a request to that address could reach the network at all; a
        // transfer that fails to connect while this says no counts as
        // "no internet". Null: the default probe (loopback addresses always
        // reachable, others when a network interface besides loopback is up).
        std::function<bool(const QUrl &)> isOnline;

        // Host, user and password from TARNIK_SERVICE_HOST, TARNIK_SERVICE_USER
        // and TARNIK_SERVICE_PASSWORD (empty when unset).
        static Configuration fromEnvironment();
    };

    UserManager();
    explicit UserManager(Configuration configuration);
    virtual ~UserManager();
    UserManager(const UserManager &) = delete;
    UserManager &operator=(const UserManager &) = delete;

    // The shared client, made on first use from the environment (thread-safe).
    static std::shared_ptr<UserManager> shared();
    // Replaces the shared client (tests); null makes the next use build a new one.
    static void setShared(std::shared_ptr<UserManager> manager);

    // The web service's endpoint: TARNIK_SERVICE_URL, read on every call.
    static QString serviceURL();

    // Sends one query: `query` (form fields joined by "&"), then "&bundle=",
    // "&os=", "&model=", "&version=" and "&local=" with the app's and device's
    // values, unencoded. The completion runs exactly once: with the reply's
    // top-level JSON object, or with unexpectedError (address does not parse;
    // nothing sent), noInternetError (the device is offline), dataTaskError
    // (refused, timed out, cancelled, certificate refused or any other failed
    // transfer), nilDataError (empty reply) or parsingError (not JSON, or not
    // an object). `isReg` is carried for callers that tell registrations apart;
    // the query is the same. The query becomes this client's one cancellable
    // task, replacing (not cancelling) the one before.
    void postQuery(const QString &query, const QString &url, bool isReg, QueryCompletion completion);
    void postQuery(const QString &query, const QString &url, QueryCompletion completion)
    {
        postQuery(query, url, false, std::move(completion));
    }

    // Cancels the last query started, when it is still running; its completion
    // then reports dataTaskError. GUI thread.
    void cancelQuery();

    // An alert for the error with its own title and message unless others are
    // given; presented on the GUI thread. Callable from any thread.
    static void showAlert(UserManagerError error, const std::optional<QString> &title = std::nullopt,
        const std::optional<QString> &message = std::nullopt);

    // Hands a list of import records to the companion service in one import
    // request: the envelope (the sender and every record's artwork by path)
    // first, then each record's JSON in list order. When a record cannot be
    // encoded, or the service cannot be reached or does not answer, it shows
    // the "Import Error" alert instead (nothing is sent when encoding fails).
    // The completion runs exactly once, after the request was answered or the
    // alert requested, on a worker thread when called from the GUI thread
    // (the send then runs there) and on the caller's thread otherwise.
    virtual void importMedia(const QList<ImportItem> &items, std::function<void()> completion);

    // ---- Parts shared with QueryOperation and checked by tests ----

    // The query followed by the app's and device's fields, as the body's text.
    static QString queryBody(const QString &query);
    // The request for a query to `url`: POST, no cached data, the time-out and
    // the mobile user agent, besides the form body's content type.
    QNetworkRequest makeRequest(const QUrl &url) const;
    // The four steps every finished transfer goes through (see postQuery()).
    // `challengeCancelled`: the session gave up on a repeated challenge.
    struct QueryResult
    {
        std::optional<QVariantMap> reply;
        std::optional<UserManagerError> error;
    };
    static QueryResult decodeReply(
        QNetworkReply *reply, bool challengeCancelled, const std::function<bool(const QUrl &)> &isOnline);
    // The default reachability probe of Configuration::isOnline.
    static bool defaultIsOnline(const QUrl &url);

    const Configuration &configuration() const { return m_configuration; }

private:
    void startQuery(const QUrl &url, const QByteArray &body, QueryCompletion completion);

    Configuration m_configuration;
    // The last query started (GUI thread).
    QPointer<QNetworkReply> m_dataTask;
};

} // namespace tarnik
