#include "PropertyListTools.h"

#include <QProcess>
#include <QStringList>

#include <vector>

namespace tarnik::test {

std::optional<QByteArray> plistutil(const QString &path, const QString &format)
{
    QProcess process;
    process.start(QStringLiteral("plistutil"),
        { QStringLiteral("-i"), path, QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("-f"), format });
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    const QByteArray out = process.readAllStandardOutput();
    if (out.isEmpty())
        return std::nullopt;
    return out;
}

QByteArray chainOfArrays(quint32 count, int fanOut, bool selfReference)
{
    const auto be32 = [](QByteArray &out, quint64 value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.append(char((value >> shift) & 0xff));
    };
    QByteArray out("bplist00");
    std::vector<quint64> offsets;
    for (quint32 i = 0; i < count; ++i) {
        offsets.push_back(quint64(out.size()));
        if (i + 1 == count && !selfReference) {
            out.append(char(0xA0));
            continue;
        }
        out.append(char(0xA0 | fanOut));
        for (int k = 0; k < fanOut; ++k)
            be32(out, selfReference ? i : i + 1);
    }
    const quint64 table = quint64(out.size());
    for (const quint64 offset : offsets)
        be32(out, offset);
    out.append(QByteArray(6, '\0'));
    out.append(char(4)); // offset size
    out.append(char(4)); // reference size
    for (const quint64 value : { quint64(count), quint64(0), table }) {
        out.append(QByteArray(4, '\0'));
        be32(out, value);
    }
    return out;
}

QByteArray nestedXml(int depth, HiddenClosers hidden)
{
    QByteArray opening("<array>");
    switch (hidden) {
    case HiddenClosers::none:
        break;
    case HiddenClosers::comment:
        opening += "<!-- </array> -->";
        break;
    case HiddenClosers::processingInstruction:
        opening += "<?x </array>?>";
        break;
    case HiddenClosers::cdata:
        opening += "<string><![CDATA[</string></array>]]></string>";
        break;
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">"
        + opening.repeated(depth) + QByteArray("</array>").repeated(depth) + "</plist>\n";
}

} // namespace tarnik::test
