#include "App/UserManagerError.h"

#include "App/Globals.h"

namespace tarnik {

std::optional<UserManagerError> UserManagerError::fromRawValue(qint64 rawValue)
{
    switch (rawValue) {
    case nilDataError:
    case dataTaskError:
    case unexpectedError:
    case noInternetError:
    case parsingError:
    case importError:
    case emptyResultsError:
    case queryTermError:
        return UserManagerError(static_cast<Value>(rawValue));
    default:
        return std::nullopt;
    }
}

QString UserManagerError::title() const
{
    switch (m_value) {
    case noInternetError:
        return _localizedString(QStringLiteral("Active Connection Required"));
    case importError:
        return _localizedString(QStringLiteral("Import Error"));
    default:
        return _localizedString(QStringLiteral("Error Occurred"));
    }
}

QString UserManagerError::message() const
{
    switch (m_value) {
    case nilDataError:
        return _localizedString(QStringLiteral("Datatask returned empty data."));
    case dataTaskError:
        return _localizedString(QStringLiteral("Datatask Error."));
    case unexpectedError:
        return _localizedString(QStringLiteral("An unexpected error occurred."));
    case noInternetError:
        return _localizedString(
            QStringLiteral("Please make sure you are connected to the internet before you proceed."));
    case parsingError:
        return _localizedString(QStringLiteral("Failed to properly parse received data."));
    case importError:
        return _localizedString(QStringLiteral("Failed to properly import your media."));
    case emptyResultsError:
        return _localizedString(QStringLiteral("Your search query returned no results."));
    case queryTermError:
        return _localizedString(QStringLiteral("Please type a keywork to start your search."));
    }
    return QString();
}

UserManagerError UserManagerError::fromTransferError(const QString &errorDescription)
{
    return errorDescription.contains(QLatin1String("Code=-1009")) ? noInternetError : dataTaskError;
}

} // namespace tarnik
