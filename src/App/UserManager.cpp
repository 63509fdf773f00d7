#include "App/UserManager.h"

#include "App/Constants.h"
#include "App/Globals.h"
#include "App/SaltrigUtils.h"
#include "Import/ImportObject.h"
#include "Platform/Dispatch.h"

#include <QAuthenticator>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <mutex>

namespace tarnik {

namespace {

std::mutex sharedMutex;
std::shared_ptr<UserManager> sharedManager;

// Transfer failures are classified by their description, as the error type
// expects a description in the platform's style; -1009 is its code for a
// device that is not connected, -999 for a cancelled transfer.
constexpr int kNotConnectedCode = -1009;
constexpr int kCancelledCode = -999;

QString transferErrorDescription(int code, const QString &text)
{
    return QStringLiteral("Error Domain=NSURLErrorDomain Code=%1 \"%2\"").arg(code).arg(text);
}

bool failedToConnect(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
        return true;
    default:
        return false;
    }
}

// Errors that only report the HTTP status of a reply that did arrive. The
// transfer itself succeeded; the body is the answer, as the platform's data
// tasks treat any status.
bool isHttpStatusError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ContentReSendError:
    case QNetworkReply::ContentConflictError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

// Basic and Digest challenges name a realm (it is a required parameter of
// both); NTLM and Negotiate have none. The transfer layer keeps the scheme to
// itself, and the reply's headers are not readable yet when it asks.
bool isBasicOrDigest(const QAuthenticator *authenticator)
{
    return !authenticator->realm().isEmpty();
}

// One JSON text of any kind, a top-level fragment included.
std::optional<QJsonValue> parseFragment(const QByteArray &data)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson('[' + data + ']', &error);
    if (error.error != QJsonParseError::NoError || !document.isArray() || document.array().size() != 1)
        return std::nullopt;
    return document.array().first();
}

// Steps 2 to 6 of an import, on the thread that may wait for the service.
void runImport(const QList<ImportItem> &items, const std::function<void()> &completion)
{
    QList<QByteArray> records;
    bool encoded = true;
    ImportObject::Artworks artworks;
    for (const ImportItem &item : items) {
        if (const std::optional<QByteArray> data = item.data())
            records.append(*data);
        else
            encoded = false;
        // Of two records for one path the later one's artwork wins.
        artworks.insert(item.path, item.metadata ? item.metadata->artwork : std::nullopt);
    }
    const std::optional<QByteArray> envelope = ImportObject(artworks).data();

    // A record that cannot be written whole is not sent at all: a partial
    // import that looks complete would be worse than an error the user sees.
    if (!encoded || !envelope) {
        _print(QStringLiteral("Failed to encode the import request.\nError: ")
            + UserManagerError(UserManagerError::importError).message());
        UserManager::showAlert(UserManagerError::importError);
        if (completion)
            completion();
        return;
    }

    QList<QByteArray> request { *envelope };
    request.append(records);
    if (!SaltrigUtils::importItems(request)) {
        _print(QStringLiteral("The companion service did not take the import request.\nError: no reply"));
        UserManager::showAlert(UserManagerError::importError);
    }
    if (completion)
        completion();
}

} // namespace

UserManager::Configuration UserManager::Configuration::fromEnvironment()
{
    Configuration configuration;
    configuration.serviceHost = qEnvironmentVariable("TARNIK_SERVICE_HOST");
    configuration.serviceUser = qEnvironmentVariable("TARNIK_SERVICE_USER");
    configuration.servicePassword = qEnvironmentVariable("TARNIK_SERVICE_PASSWORD");
    return configuration;
}

UserManager::UserManager()
    : UserManager(Configuration::fromEnvironment())
{
}

UserManager::UserManager(Configuration configuration)
    : m_configuration(std::move(configuration))
{
    if (!m_configuration.isOnline)
        m_configuration.isOnline = &UserManager::defaultIsOnline;
}

UserManager::~UserManager() = default;

std::shared_ptr<UserManager> UserManager::shared()
{
    std::lock_guard lock(sharedMutex);
    if (!sharedManager)
        sharedManager = std::make_shared<UserManager>();
    return sharedManager;
}

void UserManager::setShared(std::shared_ptr<UserManager> manager)
{
    std::lock_guard lock(sharedMutex);
    sharedManager = std::move(manager);
}

QString UserManager::serviceURL()
{
    return qEnvironmentVariable("TARNIK_SERVICE_URL");
}

QString UserManager::queryBody(const QString &query)
{
    return query + QStringLiteral("&bundle=") + Common::bundleIdentifier() + QStringLiteral("&os=")
        + Device::systemVersion() + QStringLiteral("&model=") + Device::modelIdentifier() + QStringLiteral("&version=")
        + Common::version + QStringLiteral("&local=") + Device::language();
}

QNetworkRequest UserManager::makeRequest(const QUrl &url) const
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(m_configuration.timeoutMilliseconds);
    request.setRawHeader("User-Agent", QByteArray(Common::mobileUserAgent.data(), Common::mobileUserAgent.size()));
    // What the transfer layer would send for a form body anyway; said here so it
    // does not warn about it on every query.
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    return request;
}

bool UserManager::defaultIsOnline(const QUrl &url)
{
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || QHostAddress(host).isLoopback())
        return true;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning)
            && !flags.testFlag(QNetworkInterface::IsLoopBack) && !interface.addressEntries().isEmpty())
            return true;
    }
    return false;
}

UserManager::QueryResult UserManager::decodeReply(
    QNetworkReply *reply, bool challengeCancelled, const std::function<bool(const QUrl &)> &isOnline)
{
    const QNetworkReply::NetworkError error = reply->error();
    const bool responded = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (challengeCancelled) {
        const QString description = transferErrorDescription(kCancelledCode, QStringLiteral("cancelled"));
        return { std::nullopt, UserManagerError::fromTransferError(description) };
    }
    if (error != QNetworkReply::NoError && !(responded && isHttpStatusError(error))) {
        const bool offline = failedToConnect(error) && isOnline && !isOnline(reply->url());
        const QString description = transferErrorDescription(
            offline ? kNotConnectedCode : (error == QNetworkReply::OperationCanceledError ? kCancelledCode : -error),
            reply->errorString());
        _print(QStringLiteral("The query failed.\nError: ") + description);
        return { std::nullopt, UserManagerError::fromTransferError(description) };
    }

    const QByteArray data = reply->readAll();
    if (data.isEmpty())
        return { std::nullopt, UserManagerError::nilDataError };
    const std::optional<QJsonValue> value = parseFragment(data);
    if (!value || !value->isObject())
        return { std::nullopt, UserManagerError::parsingError };
    return { value->toObject().toVariantMap(), std::nullopt };
}

void UserManager::postQuery(const QString &query, const QString &url, bool isReg, QueryCompletion completion)
{
    Q_UNUSED(isReg);
    const QUrl address(url, QUrl::StrictMode);
    if (url.isEmpty() || !address.isValid()) {
        if (completion)
            completion(std::nullopt, UserManagerError::unexpectedError);
        return;
    }
    const QByteArray body = queryBody(query).toUtf8();
    if (Dispatch::isMainThread()) {
        startQuery(address, body, std::move(completion));
        return;
    }
    // Transfers live on the GUI thread; the shared client outlives any query.
    Dispatch::main([this, address, body, completion = std::move(completion)]() mutable {
        startQuery(address, body, std::move(completion));
    });
}

void UserManager::startQuery(const QUrl &url, const QByteArray &body, QueryCompletion completion)
{
    // A session per query: its credentials and connections go with it.
    auto *session = new QNetworkAccessManager;
    struct Challenges
    {
        int count = 0;
        bool cancelled = false;
    };
    auto challenges = std::make_shared<Challenges>();

    QObject::connect(session, &QNetworkAccessManager::authenticationRequired, session,
        [configuration = m_configuration, challenges](QNetworkReply *reply, QAuthenticator *authenticator) {
            // Only the service's own host gets its credentials, and only once:
            // a second challenge means they were refused. Anything else is
            // left unanswered, which ends in the server's own reply.
            if (!isBasicOrDigest(authenticator) || reply->url().host() != configuration.serviceHost)
                return;
            if (challenges->count++ > 0) {
                challenges->cancelled = true;
                return;
            }
            authenticator->setUser(configuration.serviceUser);
            authenticator->setPassword(configuration.servicePassword);
        });

    QNetworkReply *reply = session->post(makeRequest(url), body);
    m_dataTask = reply;
    QObject::connect(reply, &QNetworkReply::finished, session,
        [reply, session, challenges, isOnline = m_configuration.isOnline, completion = std::move(completion)] {
            const QueryResult result = decodeReply(reply, challenges->cancelled, isOnline);
            reply->deleteLater();
            session->deleteLater();
            if (completion)
                completion(result.reply, result.error);
        });
}

void UserManager::cancelQuery()
{
    if (m_dataTask && m_dataTask->isRunning())
        m_dataTask->abort();
}

void UserManager::showAlert(
    UserManagerError error, const std::optional<QString> &title, const std::optional<QString> &message)
{
    _showTarnikDefaultAlert(title.value_or(error.title()), message.value_or(error.message()));
}

void UserManager::importMedia(const QList<ImportItem> &items, std::function<void()> completion)
{
    if (Dispatch::isMainThread()) {
        // The send waits for the companion service's reply, up to its time-out.
        Dispatch::global([items, completion = std::move(completion)] { runImport(items, completion); });
        return;
    }
    runImport(items, completion);
}

} // namespace tarnik
