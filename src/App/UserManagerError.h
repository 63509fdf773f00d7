#pragma once

#include <QHashFunctions>
#include <QString>
#include <optional>

namespace tarnik {

// What went wrong with a web query or an import, with the user-facing title and
// message for it. A plain value passed as an optional beside a result (absent
// means success); never thrown. Safe on any thread.
class UserManagerError
{
public:
    enum Value {
        nilDataError = 1,
        dataTaskError = 2,
        unexpectedError = 3,
        noInternetError = 4,
        parsingError = 5,
        importError = 6,
        emptyResultsError = 4445,
        queryTermError = 4446,
    };

    constexpr UserManagerError(Value value)
        : m_value(value)
    {
    }
    constexpr operator Value() const { return m_value; }
    constexpr Value value() const { return m_value; }

    // The case of a raw value; no value for any other integer.
    static std::optional<UserManagerError> fromRawValue(qint64 rawValue);
    constexpr int rawValue() const { return m_value; }

    // Localized: "Active Connection Required", "Import Error" or "Error Occurred".
    QString title() const;
    // Localized message of the case.
    QString message() const;

    // A failed transfer: noInternetError when the error's description mentions
    // "Code=-1009" (the device is offline), dataTaskError otherwise.
    static UserManagerError fromTransferError(const QString &errorDescription);

private:
    Value m_value;
};

inline size_t qHash(UserManagerError error, size_t seed = 0) noexcept
{
    return ::qHash(error.rawValue(), seed);
}

} // namespace tarnik
