#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <QString>
#include <optional>

namespace tarnik::test {

// Runs libplist's command-line converter on a file and returns what it printed, as XML
// ("xml") or binary ("bin"); no value when it refused the file. Shows that files written
// by the app open in a property-list reader that is not the app.
std::optional<QByteArray> plistutil(const QString &path, const QString &format = QStringLiteral("xml"));

// A binary property list of `count` arrays, array i holding `fanOut` references to array i + 1
// (to itself when `selfReference`), the last one empty: nesting `count` deep and expanding to
// fanOut^count nodes, in a file of a few bytes per array.
QByteArray chainOfArrays(quint32 count, int fanOut, bool selfReference = false);

// How a hostile XML property list hides its closing tags from a careless scan.
enum class HiddenClosers { none, comment, processingInstruction, cdata };

// An XML property list of `depth` nested arrays, each followed by closing tags that a real
// parser does not see as tags (in a comment, a processing instruction or a string's CDATA).
QByteArray nestedXml(int depth, HiddenClosers hidden = HiddenClosers::none);

} // namespace tarnik::test
