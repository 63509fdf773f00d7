#include "App/UserManagerError.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(UserManagerError, Table)
{
    struct Row
    {
        UserManagerError error;
        int raw;
        const char *title;
        const char *message;
    };
    const Row rows[] = {
        { UserManagerError::nilDataError, 1, "Error Occurred", "Datatask returned empty data." },
        { UserManagerError::dataTaskError, 2, "Error Occurred", "Datatask Error." },
        { UserManagerError::unexpectedError, 3, "Error Occurred", "An unexpected error occurred." },
        { UserManagerError::noInternetError, 4, "Active Connection Required",
            "Please make sure you are connected to the internet before you proceed." },
        { UserManagerError::parsingError, 5, "Error Occurred", "Failed to properly parse received data." },
        { UserManagerError::importError, 6, "Import Error", "Failed to properly import your media." },
        { UserManagerError::emptyResultsError, 4445, "Error Occurred", "Your search query returned no results." },
        { UserManagerError::queryTermError, 4446, "Error Occurred", "Please type a keywork to start your search." },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(row.error.rawValue(), row.raw);
        EXPECT_EQ(UserManagerError::fromRawValue(row.raw), row.error);
        EXPECT_EQ(row.error.title(), QLatin1String(row.title));
        EXPECT_EQ(row.error.message(), QLatin1String(row.message));
    }
    for (qint64 other : { 0LL, 7LL, 9999LL, -1LL, 4444LL, 4447LL, 4294967297LL })
        EXPECT_FALSE(UserManagerError::fromRawValue(other)) << other;
}

TEST(UserManagerError, TransferFailures)
{
    const UserManagerError offline = UserManagerError::fromTransferError(
        QStringLiteral("Error Domain=NSURLErrorDomain Code=-1009 \"The Internet connection appears to be offline.\""));
    EXPECT_EQ(offline, UserManagerError::noInternetError);
    EXPECT_EQ(offline.title(), QStringLiteral("Active Connection Required"));

    const UserManagerError timeout = UserManagerError::fromTransferError(
        QStringLiteral("Error Domain=NSURLErrorDomain Code=-1001 \"The request timed out.\""));
    EXPECT_EQ(timeout, UserManagerError::dataTaskError);
    EXPECT_EQ(timeout.title(), QStringLiteral("Error Occurred"));

    for (const char *text : { "", "code=-1009", "Code = -1009", "Code=-100" })
        EXPECT_EQ(UserManagerError::fromTransferError(QLatin1String(text)), UserManagerError::dataTaskError) << text;
    EXPECT_EQ(UserManagerError::fromTransferError(QStringLiteral("xCode=-10090")), UserManagerError::noInternetError);
}

} // namespace
} // namespace tarnik
