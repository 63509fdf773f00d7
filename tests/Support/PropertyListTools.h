#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tarnik::test {

// Runs libplist's command-line converter on a file and returns what it printed, as XML
// ("xml") or binary ("bin"); no value when it refused the file. Shows that files written
// by the app open in a property-list reader that is not the app.
std::optional<QByteArray> plistutil(const QString &path, const QString &format = QStringLiteral("xml"));

} // namespace tarnik::test
