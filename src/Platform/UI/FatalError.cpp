#include "Platform/UI/FatalError.h"

#include <cstdio>
#include <cstdlib>

namespace tarnik {

void fatalError(const QString &message)
{
    std::fprintf(stderr, "Fatal error: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    std::abort();
}

QString wrongTypeMessage(const QString &expectedClass, const QString &identifier)
{
    return QStringLiteral("Expected `") + expectedClass + QStringLiteral("` type for reuseIdentifier ") + identifier
        + QStringLiteral(". Check the configuration in Main.storyboard.");
}

} // namespace tarnik
