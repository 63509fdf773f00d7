#include "ImportEditor/ImageQueryService.h"

#include "App/Globals.h"
#include "App/PathExtension.h"
#include "App/UserManager.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaType>
#include <cmath>

namespace tarnik {

namespace {

// The integer a JSON number holds, when it holds one exactly.
std::optional<qint64> integerValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return value.toLongLong();
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (std::isfinite(d) && std::floor(d) == d && std::abs(d) < 9.0e15)
            return qint64(d);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

bool isHostAllowed(char16_t c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QStringView(u"-._~!$&'()*+,;=:[]").contains(QChar(c));
}

std::optional<QString> textValue(const QVariantMap &reply, const QString &key)
{
    const QVariant value = reply.value(key);
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return std::nullopt;
}

// The results of a payload: an array whose every element is an object with
// only text values; nothing for any other shape.
std::optional<ImageList> parsePayload(const QString &payload)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    const QJsonArray array = document.array();
    for (const QJsonValue &element : array) {
        if (!element.isObject())
            return std::nullopt;
        const QJsonObject object = element.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!it.value().isString())
                return std::nullopt;
        }
    }
    ImageList images;
    for (const QJsonValue &element : array) {
        const QJsonObject object = element.toObject();
        if (object.contains(QLatin1String("imgUrl")) && object.contains(QLatin1String("thumbUrl")))
            images.append(std::make_shared<Image>(
                object.value(QLatin1String("imgUrl")).toString(), object.value(QLatin1String("thumbUrl")).toString()));
    }
    return images;
}

} // namespace

ImageQueryService::ImageQueryService() = default;
ImageQueryService::~ImageQueryService() = default;

QString ImageQueryService::cleanedUp(const QString &term)
{
    QString text = term;
    text.replace(QLatin1Char('\t'), QLatin1Char('+'));
    text.replace(QLatin1Char('\n'), QLatin1Char('+'));
    text.replace(QLatin1Char(' '), QLatin1Char('+'));
    text = PathExtension::normalizedTitle(text);
    QString encoded;
    encoded.reserve(text.size());
    const QByteArray utf8 = text.toUtf8();
    for (const char byte : utf8) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80 && isHostAllowed(char16_t(c))) {
            encoded.append(QLatin1Char(char(c)));
        } else {
            encoded.append(QLatin1Char('%'));
            encoded.append(QString::number(c, 16).toUpper().rightJustified(2, QLatin1Char('0')));
        }
    }
    return encoded + QStringLiteral("+albums");
}

void ImageQueryService::fetchImages(const QString &term, ImageSearchCompletion completion)
{
    if (term.isEmpty()) {
        _print(QStringLiteral("Search term is empty."));
        completion(std::nullopt, UserManagerError::queryTermError, std::nullopt, std::nullopt);
        return;
    }
    const std::shared_ptr<UserManager> manager = UserManager::shared();
    manager->cancelQuery();
    const QString query = QStringLiteral("term=") + cleanedUp(term);
    manager->postQuery(query, UserManager::serviceURL(), false,
        [weak = std::weak_ptr<State>(m_state), completion = std::move(completion)](
            const std::optional<QVariantMap> &reply, const std::optional<UserManagerError> &error) {
            if (error || !reply) {
                _print(QStringLiteral("Failed to fetch artwork.\nError: ")
                    + (error ? error->message() : QStringLiteral("no reply")));
                completion(std::nullopt, error ? *error : UserManagerError(UserManagerError::unexpectedError),
                    std::nullopt, std::nullopt);
                return;
            }
            const std::shared_ptr<State> state = weak.lock();
            State detached;
            updateSearchResults(state ? state.get() : &detached, *reply, completion);
        });
}

void ImageQueryService::cancelFetch()
{
    UserManager::shared()->cancelQuery();
}

void ImageQueryService::updateSearchResults(const QVariantMap &reply, const ImageSearchCompletion &completion)
{
    updateSearchResults(m_state.get(), reply, completion);
}

void ImageQueryService::updateSearchResults(
    State *state, const QVariantMap &reply, const ImageSearchCompletion &completion)
{
    ImageList &images = state->images;
    images.clear();
    const std::optional<QString> title = textValue(reply, QStringLiteral("title"));
    const std::optional<QString> message = textValue(reply, QStringLiteral("message"));
    const QVariant payload = reply.value(QStringLiteral("reply"));
    if (const std::optional<qint64> code = integerValue(payload)) {
        if (const std::optional<UserManagerError> error = UserManagerError::fromRawValue(*code)) {
            completion(images, *error, title, message);
            return;
        }
    } else if (payload.typeId() == QMetaType::QString) {
        if (std::optional<ImageList> parsed = parsePayload(payload.toString())) {
            images = std::move(*parsed);
            completion(images,
                images.isEmpty() ? std::optional<UserManagerError>(UserManagerError::emptyResultsError) : std::nullopt,
                title, message);
            return;
        }
    }
    _print(QStringLiteral("Reply holds no usable results.\nError: ")
        + UserManagerError(UserManagerError::emptyResultsError).message());
    completion(images, UserManagerError::emptyResultsError, title, message);
}

} // namespace tarnik
