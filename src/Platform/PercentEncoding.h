#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace tarnik::PercentEncoding {

// Removes percent escapes strictly, as the platform does: every "%" must start an escape of two
// hexadecimal digits (either case), and the bytes that result, together with the text around
// the escapes, must form valid UTF-8 (no overlong forms, no encoded surrogates, nothing above
// U+10FFFF). Anything else gives nothing. "+" is not a space here. Qt's own decoders never
// fail, which is why this exists. Safe from any thread.
std::optional<QString> decode(QStringView text);

} // namespace tarnik::PercentEncoding
