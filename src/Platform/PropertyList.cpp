#include "Platform/PropertyList.h"

#include "Platform/Media/RegularFile.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QTimeZone>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <functional>
#include <memory>
#include <plist/plist.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace tarnik::PropertyList {

namespace {

// libplist keeps dates as seconds since 2001-01-01 00:00:00 UTC.
constexpr qint64 kReferenceDateOffset = 978307200;

// A binary property list may refer to one object from many places; libplist copies it into
// each, so a small file could expand into an enormous tree. Far beyond any real file.
constexpr quint64 kMaximumNodes = 1u << 20;

struct NodeDeleter
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

struct MallocDeleter
{
    void operator()(char *p) const { std::free(p); }
};
using CText = std::unique_ptr<char, MallocDeleter>;

QString takeText(char *text)
{
    const CText owned(text);
    return owned ? QString::fromUtf8(owned.get()) : QString();
}

// XML of one node, used where libplist's own API cannot tell two cases apart.
QByteArray xmlOf(plist_t node)
{
    const Node copy(plist_copy(node));
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(copy.get(), &xml, &length);
    if (!xml)
        return {};
    QByteArray result(xml, qsizetype(length));
    plist_to_xml_free(xml);
    return result;
}

// libplist 2.2 stores every integer as 64 bits and marks the ones above the signed range
// only internally; its XML text is the reliable witness of the sign.
QVariant integerValue(plist_t node)
{
    uint64_t bits = 0;
    plist_get_uint_val(node, &bits);
    if (bits <= uint64_t(std::numeric_limits<qint64>::max()))
        return QVariant::fromValue(qint64(bits));
    if (xmlOf(node).contains("<integer>-"))
        return QVariant::fromValue(qint64(bits));
    return QVariant::fromValue(quint64(bits));
}

std::optional<QVariant> toVariant(plist_t node, int depth)
{
    if (!node || depth > kMaximumDepth)
        return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return QVariant(value != 0);
    }
    case PLIST_UINT:
        return integerValue(node);
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return QVariant(value);
    }
    case PLIST_STRING: {
        char *text = nullptr;
        plist_get_string_val(node, &text);
        return QVariant(takeText(text));
    }
    case PLIST_DATA: {
        char *bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        const CText owned(bytes);
        return QVariant(QByteArray(owned.get(), qsizetype(length)));
    }
    case PLIST_DATE: {
        int32_t seconds = 0;
        int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        const qint64 msecs = (qint64(seconds) + kReferenceDateOffset) * 1000 + microseconds / 1000;
        return QVariant(QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc()));
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return QVariant::fromValue(Uid { value });
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        list.reserve(qsizetype(count));
        for (uint32_t i = 0; i < count; ++i) {
            auto item = toVariant(plist_array_get_item(node, i), depth + 1);
            if (!item)
                return std::nullopt;
            list.append(std::move(*item));
        }
        return QVariant(list);
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter)
            return std::nullopt;
        const CText iterOwner(static_cast<char *>(iter));
        for (;;) {
            char *key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!value) {
                std::free(key);
                break;
            }
            const QString name = takeText(key);
            auto item = toVariant(value, depth + 1);
            if (!item)
                return std::nullopt;
            map.insert(name, std::move(*item));
        }
        return QVariant(map);
    }
    case PLIST_KEY:
    case PLIST_NONE:
        break;
    }
    return std::nullopt;
}

// An integer above the signed range can only be made by parsing it: plist_new_uint would
// mark it signed and it would come back negative.
Node largeUnsigned(quint64 value)
{
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><integer>"
        + QByteArray::number(value) + "</integer></plist>";
    plist_t node = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &node);
    return Node(node);
}

Node toNode(const QVariant &value, int depth);

template<typename Map> Node dictionaryNode(const Map &map, int depth)
{
    Node dict(plist_new_dict());
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        Node item = toNode(it.value(), depth + 1);
        if (!item)
            return {};
        plist_dict_set_item(dict.get(), it.key().toUtf8().constData(), item.release());
    }
    return dict;
}

template<typename List> Node arrayNode(const List &list, int depth)
{
    Node array(plist_new_array());
    for (const auto &element : list) {
        Node item = toNode(QVariant(element), depth + 1);
        if (!item)
            return {};
        plist_array_append_item(array.get(), item.release());
    }
    return array;
}

Node toNode(const QVariant &value, int depth)
{
    if (depth > kMaximumDepth)
        return {};
    switch (value.typeId()) {
    case QMetaType::Bool:
        return Node(plist_new_bool(value.toBool() ? 1 : 0));
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return Node(plist_new_uint(uint64_t(value.toLongLong())));
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const quint64 number = value.toULongLong();
        if (number > quint64(std::numeric_limits<qint64>::max()))
            return largeUnsigned(number);
        return Node(plist_new_uint(number));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return Node(plist_new_real(value.toDouble()));
    case QMetaType::QString:
        return Node(plist_new_string(value.toString().toUtf8().constData()));
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return Node(plist_new_data(bytes.constData(), uint64_t(bytes.size())));
    }
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (!date.isValid())
            return {};
        const qint64 msecs = date.toMSecsSinceEpoch() - kReferenceDateOffset * 1000;
        qint64 seconds = msecs / 1000;
        qint64 millis = msecs % 1000;
        if (millis < 0) {
            seconds -= 1;
            millis += 1000;
        }
        if (seconds < std::numeric_limits<int32_t>::min() || seconds > std::numeric_limits<int32_t>::max())
            return {};
        return Node(plist_new_date(int32_t(seconds), int32_t(millis * 1000)));
    }
    case QMetaType::QVariantMap:
        return dictionaryNode(value.toMap(), depth);
    case QMetaType::QVariantHash:
        return dictionaryNode(value.toHash(), depth);
    case QMetaType::QVariantList:
        return arrayNode(value.toList(), depth);
    case QMetaType::QStringList:
        return arrayNode(value.toStringList(), depth);
    default:
        break;
    }
    if (value.metaType() == QMetaType::fromType<Uid>())
        return Node(plist_new_uid(value.value<Uid>().value));
    return {};
}

// libplist 2.2 builds and frees its trees recursively and expands shared binary objects, so a
// small hostile file (a handed-over property list, say) could exhaust the stack or the memory.
// These scans look at the nesting before libplist sees the bytes; both are linear in the input.

bool startsWith(const char *at, const char *end, std::string_view text)
{
    return size_t(end - at) >= text.size() && std::memcmp(at, text.data(), text.size()) == 0;
}

// The first occurrence of text in [from, end), or end.
const char *findText(const char *from, const char *end, std::string_view text)
{
    return std::search(from, end, std::boyer_moore_horspool_searcher(text.begin(), text.end()));
}

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether an XML property list nests its <array> and <dict> elements at most maximumDepth deep.
// The markup is split as libplist's parser splits it: processing instructions, comments, the
// document type and CDATA sections are not elements, whatever they hold, and a value element
// holds only text. Anything this walk cannot place exactly (an internal DTD subset, markup inside
// a value, a closing tag that closes nothing open, quotes that could hide a '>') is refused, so
// it never counts shallower than the parser would build.
bool xmlWithinLimits(const QByteArray &xml, int maximumDepth)
{
    const char *p = xml.constData();
    const char *const end = p + xml.size();
    // The open elements: 'a' array, 'd' dict, 'p' plist (which is no node of the tree).
    std::vector<char> open;
    int depth = 0;
    // One tag from '<' to its '>': its name, whether it closes or is empty. False when it is not
    // one plain tag.
    struct Tag
    {
        std::string_view name;
        bool closing = false;
        bool empty = false;
    };
    const auto readTag = [&](Tag &tag) {
        const char *close = std::find(p + 1, end, '>');
        if (close == end || std::find(p + 1, close, '<') != close)
            return false;
        // An attribute value may hold '>' for one parser and not for another; balanced quotes
        // before the first '>' mean the tag ends there for both.
        if (std::count(p, close, '"') % 2 != 0 || std::count(p, close, '\'') % 2 != 0)
            return false;
        tag.closing = p[1] == '/';
        const char *name = p + 1 + (tag.closing ? 1 : 0);
        const char *nameEnd = name;
        while (nameEnd < close && !isXmlSpace(*nameEnd) && *nameEnd != '/')
            ++nameEnd;
        tag.name = std::string_view(name, size_t(nameEnd - name));
        tag.empty = !tag.closing && close[-1] == '/';
        p = close + 1;
        return !tag.name.empty();
    };
    const auto skipPast = [&](std::string_view opening, std::string_view closing) {
        const char *at = findText(p + opening.size(), end, closing);
        if (at == end)
            return false;
        p = at + closing.size();
        return true;
    };
    const auto kindOf = [](std::string_view name) -> char {
        if (name == "array")
            return 'a';
        if (name == "dict")
            return 'd';
        if (name == "plist")
            return 'p';
        return 0;
    };
    while (p < end) {
        if (isXmlSpace(*p)) {
            ++p;
            continue;
        }
        if (*p != '<')
            return false;
        if (startsWith(p, end, "<?")) {
            if (!skipPast("<?", "?>"))
                return false;
            continue;
        }
        if (startsWith(p, end, "<!--")) {
            if (!skipPast("<!--", "-->"))
                return false;
            continue;
        }
        if (startsWith(p, end, "<!DOCTYPE")) {
            p += 9;
            while (p < end && *p != '>') {
                if (*p == '[')
                    return false;
                if (*p == '"' || *p == '\'') {
                    p = std::find(p + 1, end, *p);
                    if (p == end)
                        return false;
                }
                ++p;
            }
            if (p == end)
                return false;
            ++p;
            continue;
        }
        if (startsWith(p, end, "<!"))
            return false;
        Tag tag;
        if (!readTag(tag))
            return false;
        const char kind = kindOf(tag.name);
        if (tag.closing) {
            if (!kind || open.empty() || open.back() != kind)
                return false;
            open.pop_back();
            if (kind != 'p')
                --depth;
            continue;
        }
        if (kind) {
            if (tag.empty)
                continue;
            open.push_back(kind);
            if (kind != 'p' && ++depth > maximumDepth)
                return false;
            continue;
        }
        if (tag.empty)
            continue;
        // A value: text, comments and CDATA up to its own closing tag.
        for (;;) {
            p = std::find(p, end, '<');
            if (p == end)
                return false;
            if (startsWith(p, end, "<!--")) {
                if (!skipPast("<!--", "-->"))
                    return false;
            } else if (startsWith(p, end, "<![CDATA[")) {
                if (!skipPast("<![CDATA[", "]]>"))
                    return false;
            } else if (startsWith(p, end, "</")) {
                Tag closing;
                if (!readTag(closing) || closing.name != tag.name)
                    return false;
                break;
            } else {
                return false;
            }
        }
    }
    return true;
}

quint64 bigEndian(const uchar *p, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | p[i];
    return value;
}

// Whether a binary property list nests at most maximumDepth deep and expands to at most
// kMaximumNodes nodes. Each object is visited once, however many containers share it, and a
// reference cycle is refused. Structural damage also answers false: libplist would refuse it.
bool binaryWithinLimits(const QByteArray &bytes, int maximumDepth)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const quint64 size = quint64(bytes.size());
    constexpr quint64 kTrailerSize = 32;
    if (size < 8 + kTrailerSize)
        return false;
    const quint64 end = size - kTrailerSize; // objects and the offset table lie before the trailer
    const uchar *trailer = data + end;
    const int offsetSize = trailer[6];
    const int refSize = trailer[7];
    const quint64 objectCount = bigEndian(trailer + 8, 8);
    const quint64 top = bigEndian(trailer + 16, 8);
    const quint64 tableOffset = bigEndian(trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || objectCount == 0 || top >= objectCount
        || tableOffset >= end || objectCount > (end - tableOffset) / quint64(offsetSize))
        return false;

    // The references an object makes (none for scalars); false when it is malformed.
    const auto references = [&](quint64 object, std::vector<quint64> &out, bool &container) {
        out.clear();
        container = false;
        const quint64 offset = bigEndian(data + tableOffset + object * quint64(offsetSize), offsetSize);
        if (offset >= tableOffset)
            return false;
        const uchar marker = data[offset];
        const int type = marker >> 4;
        if (type != 0xA && type != 0xC && type != 0xD)
            return true;
        container = true;
        quint64 count = marker & 0xF;
        quint64 position = offset + 1;
        if (count == 0xF) {
            if (position >= tableOffset || (data[position] >> 4) != 0x1)
                return false;
            const int lengthSize = 1 << (data[position] & 0xF);
            if (lengthSize > 8 || position + 1 + quint64(lengthSize) > tableOffset)
                return false;
            count = bigEndian(data + position + 1, lengthSize);
            position += 1 + quint64(lengthSize);
        }
        const quint64 perEntry = type == 0xD ? 2 : 1;
        if (count > (tableOffset - position) / quint64(refSize) / perEntry)
            return false;
        for (quint64 i = 0; i < count * perEntry; ++i) {
            const quint64 ref = bigEndian(data + position + i * quint64(refSize), refSize);
            if (ref >= objectCount)
                return false;
            out.push_back(ref);
        }
        return true;
    };

    // Depth-first, without recursion, each object measured once.
    enum : uchar { kUnvisited, kOpen, kDone };
    std::vector<uchar> state(objectCount, kUnvisited);
    std::vector<int> depth(objectCount, 0);
    std::vector<quint64> nodes(objectCount, 0);
    struct Frame
    {
        quint64 object;
        std::vector<quint64> children;
        size_t next = 0;
        bool container = false;
    };
    std::vector<Frame> stack;
    const auto open = [&](quint64 object) {
        Frame frame { object, {}, 0, false };
        if (!references(object, frame.children, frame.container))
            return false;
        state[object] = kOpen;
        stack.push_back(std::move(frame));
        return stack.size() <= size_t(maximumDepth) + 1;
    };
    if (!open(top))
        return false;
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next < frame.children.size()) {
            const quint64 child = frame.children[frame.next++];
            if (state[child] == kOpen)
                return false; // a cycle
            if (state[child] == kUnvisited && !open(child))
                return false;
            continue;
        }
        int deepest = 0;
        quint64 total = 1;
        for (const quint64 child : frame.children) {
            deepest = qMax(deepest, depth[child]);
            total = qMin(total + nodes[child], kMaximumNodes + 1);
        }
        // Containers count, the values inside the innermost do not.
        depth[frame.object] = frame.container ? deepest + 1 : 0;
        nodes[frame.object] = total;
        state[frame.object] = kDone;
        stack.pop_back();
    }
    return depth[top] <= maximumDepth && nodes[top] <= kMaximumNodes;
}

} // namespace

std::optional<QVariant> fromBytes(const QByteArray &bytes, int maximumDepth)
{
    if (bytes.isEmpty() || quint64(bytes.size()) > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    maximumDepth = std::clamp(maximumDepth, 0, kMaximumDepth);
    const bool binary = plist_is_binary(bytes.constData(), uint32_t(bytes.size()));
    if (binary ? !binaryWithinLimits(bytes, maximumDepth) : !xmlWithinLimits(bytes, maximumDepth))
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    const Node owner(root);
    return toVariant(root, 0);
}

std::optional<QByteArray> toBytes(const QVariant &value, Format format)
{
    const Node root = toNode(value, 0);
    if (!root)
        return std::nullopt;
    char *out = nullptr;
    uint32_t length = 0;
    if (format == Format::Xml)
        plist_to_xml(root.get(), &out, &length);
    else
        plist_to_bin(root.get(), &out, &length);
    if (!out)
        return std::nullopt;
    QByteArray bytes(out, qsizetype(length));
    if (format == Format::Xml)
        plist_to_xml_free(out);
    else
        plist_to_bin_free(out);
    return bytes;
}

std::optional<QVariant> read(const QString &path, qint64 maximumBytes)
{
    // Only regular files: opening a FIFO or a device could block for ever, and a file on
    // "/proc" that reports size 0 can read on without end.
    const std::optional<QByteArray> bytes = RegularFile::readAll(path, maximumBytes);
    if (!bytes)
        return std::nullopt;
    return fromBytes(*bytes);
}

std::optional<QVariantMap> readDictionary(const QString &path, qint64 maximumBytes)
{
    const auto value = read(path, maximumBytes);
    if (!value || value->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return value->toMap();
}

bool write(const QString &path, const QVariant &value)
{
    const auto bytes = toBytes(value, Format::Xml);
    if (!bytes)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*bytes) != bytes->size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    // The rename must not reach the disk before the content does.
    if (::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace tarnik::PropertyList
