#include "Tools/RingtoneCatalogueFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tarnik {

namespace {

constexpr QByteArrayView kBinaryMagic("bplist");

// Deepest container nesting of an XML property list, counted on the raw text
// so that the parser never sees a file that would recurse too deep. Comments,
// CDATA and processing instructions cannot hold elements in a property list,
// so a plain tag scan is enough; self-closing "<dict/>" opens nothing.
int xmlNestingDepth(const QByteArray &bytes, int stopAt)
{
    int depth = 0;
    int deepest = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (bytes[i] != '<')
            continue;
        const bool closing = i + 1 < size && bytes[i + 1] == '/';
        const qsizetype nameStart = i + (closing ? 2 : 1);
        const QByteArrayView rest = QByteArrayView(bytes).sliced(nameStart);
        const bool container = rest.startsWith("dict") || rest.startsWith("array");
        if (!container)
            continue;
        const qsizetype end = bytes.indexOf('>', nameStart);
        if (end < 0)
            break;
        const bool selfClosing = bytes[end - 1] == '/';
        if (closing)
            depth = std::max(0, depth - 1);
        else if (!selfClosing)
            deepest = std::max(deepest, ++depth);
        if (deepest > stopAt)
            return deepest;
        i = end;
    }
    return deepest;
}

// The same for a binary property list: its objects refer to each other by
// index through the offset table; a walk with an explicit stack (no
// recursion) finds the deepest container path, and a reference cycle counts
// as too deep.
int binaryNestingDepth(const QByteArray &bytes, int stopAt)
{
    const qsizetype size = bytes.size();
    if (size < 8 + 32)
        return 0;
    const auto readUInt = [&](qsizetype at, int width) -> std::optional<quint64> {
        if (width < 1 || width > 8 || at < 0 || at + width > size)
            return std::nullopt;
        quint64 value = 0;
        for (int k = 0; k < width; ++k)
            value = (value << 8) | quint8(bytes[at + k]);
        return value;
    };
    const qsizetype trailer = size - 32;
    const int offsetSize = quint8(bytes[trailer + 6]);
    const int refSize = quint8(bytes[trailer + 7]);
    const auto objectCount = readUInt(trailer + 8, 8);
    const auto topObject = readUInt(trailer + 16, 8);
    const auto tableOffset = readUInt(trailer + 24, 8);
    if (!objectCount || !topObject || !tableOffset || *objectCount > quint64(size) || *topObject >= *objectCount)
        return 0; // the parser rejects it on its own
    const auto objectOffset = [&](quint64 index) -> std::optional<qsizetype> {
        if (index >= *objectCount)
            return std::nullopt;
        const auto offset = readUInt(qsizetype(*tableOffset + index * quint64(offsetSize)), offsetSize);
        if (!offset || *offset >= quint64(size))
            return std::nullopt;
        return qsizetype(*offset);
    };
    // Children of a container object, as indices; empty for other objects.
    const auto children = [&](qsizetype at) -> QList<quint64> {
        const quint8 marker = quint8(bytes[at]);
        const int type = marker >> 4;
        if (type != 0xA && type != 0xC && type != 0xD)
            return {};
        quint64 count = marker & 0x0F;
        qsizetype refs = at + 1;
        if (count == 0x0F) {
            if (refs >= size)
                return {};
            const quint8 intMarker = quint8(bytes[refs]);
            const int width = 1 << (intMarker & 0x0F);
            const auto value = readUInt(refs + 1, width);
            if (!value)
                return {};
            count = *value;
            refs += 1 + width;
        }
        if (type == 0xD)
            count *= 2; // keys, then values
        if (count > quint64(size))
            return {};
        QList<quint64> result;
        for (quint64 k = 0; k < count; ++k) {
            const auto ref = readUInt(refs + qsizetype(k) * refSize, refSize);
            if (!ref)
                return {};
            result.append(*ref);
        }
        return result;
    };

    struct Frame
    {
        QList<quint64> pending;
    };
    QList<Frame> stack;
    QSet<quint64> onPath;
    QList<quint64> path;
    const auto enter = [&](quint64 index) -> bool {
        const auto at = objectOffset(index);
        if (!at)
            return true;
        const QList<quint64> kids = children(*at);
        if (kids.isEmpty())
            return true;
        if (onPath.contains(index))
            return false;
        onPath.insert(index);
        path.append(index);
        stack.append({ kids });
        return true;
    };
    if (!enter(*topObject))
        return stopAt + 1;
    int deepest = int(stack.size());
    while (!stack.isEmpty()) {
        if (stack.size() > stopAt)
            return int(stack.size());
        Frame &top = stack.last();
        if (top.pending.isEmpty()) {
            stack.removeLast();
            onPath.remove(path.takeLast());
            continue;
        }
        const quint64 next = top.pending.takeFirst();
        if (!enter(next))
            return stopAt + 1;
        deepest = std::max(deepest, int(stack.size()));
    }
    return deepest;
}

} // namespace

std::optional<RingtoneCatalogueFile::Document> RingtoneCatalogueFile::read(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaximumSize)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(kMaximumSize + 1);
    if (bytes.size() > kMaximumSize)
        return std::nullopt;
    const bool binary = bytes.startsWith(kBinaryMagic);
    const int depth = binary ? binaryNestingDepth(bytes, kMaximumDepth) : xmlNestingDepth(bytes, kMaximumDepth);
    if (depth > kMaximumDepth)
        return std::nullopt;
    const std::optional<QVariant> value = PropertyList::fromBytes(bytes);
    if (!value || value->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return Document { value->toMap(), binary ? PropertyList::Format::Binary : PropertyList::Format::Xml };
}

bool RingtoneCatalogueFile::write(const QString &path, const Document &document)
{
    const std::optional<QByteArray> bytes = PropertyList::toBytes(document.root, document.format);
    if (!bytes)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*bytes) != bytes->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QVariantMap> RingtoneCatalogueFile::ringtones(const QVariantMap &root)
{
    const auto found = root.constFind(kRingtonesKey);
    if (found == root.constEnd() || found->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return found->toMap();
}

bool RingtoneCatalogueFile::isPlainFileName(const QString &key)
{
    return !key.isEmpty() && key != QLatin1String(".") && key != QLatin1String("..") && !key.contains(QLatin1Char('/'))
        && !key.contains(QChar(u'\0'));
}

} // namespace tarnik
