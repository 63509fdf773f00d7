#pragma once

#include "Platform/MediaTime.h"

#include <QColor>
#include <QHash>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <optional>

namespace tarnik {

// Pure text helpers shared across the app: clock texts of media times, the text
// form of a metadata item's key, URL query parameters, colours from hexadecimal
// text, match counting and SHA-256. None keeps state; all are safe on any thread.
// (The path-based helpers, such as the identifier of a path, live on PathExtension.)

// "m:ss" below one hour, "h:mm:ss" from one hour up. Every part is truncated
// toward zero, never rounded (59.9 s reads "0:59"); a negative time keeps its
// sign on each part ("0:-05"). A time that is not a finite number, or whose
// hours do not fit 64 bits, reads "--:--".
QString timeString(double seconds);

// timeString followed by ":" and the milliseconds as three digits
// (Common::timeFractionDigits): 61.5 s reads "1:01:500". Not-finite or
// out-of-range times read "--:--:---".
QString preciseTimeString(double seconds);
// The same of a media time's seconds; invalid, indefinite and infinite times
// have no seconds and read as the not-finite texts.
QString timeString(const MediaTime &time);
QString preciseTimeString(const MediaTime &time);

// The key of a metadata item as text: a text key as it is; a numeric key as
// its four-character code (big-endian bytes, stopping at a zero byte, read in
// Mac OS Roman); anything else "". Every U+00A9 becomes "@", so the iTunes
// key "\u00A9nam" reads "@nam" and compares equal to the key map's values.
QString metadataKeyString(const QVariant &key);

// Whether a value holds a number of any width (Booleans included, as the
// platform's number type holds them), not text or data that might parse as one.
bool isNumericVariant(const QVariant &value);

// The URL's query items, name to value (a missing value counts as ""), the last
// occurrence of a repeated name winning; no value when the URL has no query
// items at all. Names and values are percent-decoded.
std::optional<QHash<QString, QString>> queryParameters(const QUrl &url);

// An opaque colour from a hexadecimal text: "#" and every "0x" are removed,
// red is the first two characters, green the first two of the last four, blue
// the last two; a non-hex character counts as 0. Never fails: "" gives black.
QColor colorWithHex(QStringView hex);
// An opaque colour from three components 0-255.
QColor colorWithRgb(int red, int green, int blue);
// An opaque colour from 0xRRGGBB.
QColor colorWithRgb(quint32 rgb);

// Non-overlapping matches of `search` in `text`, left to right, ignoring
// diacritics. An empty search text has no matches.
int numberOfOccurrences(const QString &text, const QString &search);

// SHA-256 of the text's UTF-8 bytes as 64 lower-case hexadecimal digits.
QString sha256(const QString &text);

} // namespace tarnik
