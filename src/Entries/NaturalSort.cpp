#include "Entries/NaturalSort.h"

#include <QFile>

#include <algorithm>
#include <numeric>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnik::NaturalSort {

namespace {

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The text a name is compared by: accents split off and dropped, case folded, compatibility forms
// (full-width digits, ligatures) made plain. ASCII names, the common case, only lose their case.
QString foldedKey(QStringView name)
{
    const bool ascii = std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        return name.toString().toLower();
    const QString decomposed = name.toString().normalized(QString::NormalizationForm_KD);
    QString key;
    key.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        key.append(c);
    }
    return key.toCaseFolded();
}

// Compares two folded keys: digit runs by value, other characters by code unit.
int compareKeys(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
            // Leading zeros carry no value: "007" and "7" are the same number.
            while (i < a.size() && a[i] == u'0')
                ++i;
            while (j < b.size() && b[j] == u'0')
                ++j;
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && isAsciiDigit(a[ei]))
                ++ei;
            while (ej < b.size() && isAsciiDigit(b[ej]))
                ++ej;
            const qsizetype lengthA = ei - i;
            const qsizetype lengthB = ej - j;
            if (lengthA != lengthB)
                return lengthA < lengthB ? -1 : 1;
            for (qsizetype k = 0; k < lengthA; ++k) {
                if (a[i + k] != b[j + k])
                    return a[i + k] < b[j + k] ? -1 : 1;
            }
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace

int compare(QStringView a, QStringView b)
{
    return compareKeys(foldedKey(a), foldedKey(b));
}

namespace {

// Appends a name's sort key to one shared buffer: the folded text with each run of digits written
// as its significant length and then its digits, so that plain code-unit order of two keys is the
// order compareKeys() gives. A length below 9 is one unit from '0' to '8'; a longer run is '9'
// followed by its length as one unit. Either way the run starts with a unit in '0'..'9', so a run
// compares with any other character exactly as its first digit would. Text is anything with
// size() and an operator[] giving a code unit.
template<typename Text>
void appendKey(const Text &folded, std::vector<char16_t> &buffer)
{
    const qsizetype size = folded.size();
    const auto digit = [&folded](qsizetype i) {
        const char16_t c = folded[i];
        return c >= u'0' && c <= u'9';
    };
    for (qsizetype i = 0; i < size;) {
        if (!digit(i)) {
            buffer.push_back(folded[i]);
            ++i;
            continue;
        }
        while (i < size && folded[i] == u'0')
            ++i;
        qsizetype end = i;
        while (end < size && digit(end))
            ++end;
        const qsizetype length = end - i;
        if (length < 9) {
            buffer.push_back(char16_t(u'0' + length));
        } else {
            buffer.push_back(u'9');
            buffer.push_back(char16_t(std::min<qsizetype>(length, 0xFFFF)));
        }
        for (; i < end; ++i)
            buffer.push_back(folded[i]);
    }
}

// Folded text as appendKey() reads it.
struct FoldedText
{
    QStringView text;
    qsizetype size() const { return text.size(); }
    char16_t operator[](qsizetype i) const { return text[i].unicode(); }
};

char16_t unitOf(QChar c)
{
    return c.unicode();
}

char16_t unitOf(char c)
{
    return char16_t(uchar(c));
}

// An ASCII name folded on the fly: it only loses its case.
template<typename Char>
struct LoweredAscii
{
    const Char *text;
    qsizetype length;
    qsizetype size() const { return length; }
    char16_t operator[](qsizetype i) const
    {
        const char16_t c = unitOf(text[i]);
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    }
};

// Appends the key of a name given as text.
void appendNameKey(QStringView name, std::vector<char16_t> &buffer)
{
    const bool ascii = std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        appendKey(LoweredAscii<QChar> { name.data(), name.size() }, buffer);
    else
        appendKey(FoldedText { foldedKey(name) }, buffer);
}

struct SortKey
{
    quint32 offset;
    quint32 length;
    quint32 index;
};

} // namespace

void sort(QStringList &names)
{
    // Every key lives in one contiguous buffer and the sort moves small fixed-size records, so
    // comparing two names touches two runs of that buffer and nothing else.
    std::vector<char16_t> buffer;
    buffer.reserve(size_t(names.size()) * 24);
    std::vector<SortKey> keys;
    keys.reserve(size_t(names.size()));
    for (qsizetype index = 0; index < names.size(); ++index) {
        const size_t offset = buffer.size();
        appendNameKey(std::as_const(names)[index], buffer);
        keys.push_back(SortKey { quint32(offset), quint32(buffer.size() - offset), quint32(index) });
    }
    const char16_t *base = buffer.data();
    std::sort(keys.begin(), keys.end(), [base](const SortKey &x, const SortKey &y) {
        const std::u16string_view a(base + x.offset, x.length);
        const std::u16string_view b(base + y.offset, y.length);
        const int order = a.compare(b);
        // Names that compare as the same keep their given order.
        return order != 0 ? order < 0 : x.index < y.index;
    });
    // The names move into their places: no copy of a name, and no reference count touched.
    QStringList sorted;
    sorted.reserve(names.size());
    for (const SortKey &key : keys)
        sorted.append(std::move(names[key.index]));
    names = std::move(sorted);
}

// ---- NameOrder --------------------------------------------------------------------------------

namespace {

// Appends the key of a name given as its bytes (0-terminated); returns the name's length.
size_t appendBytesKey(const char *name, std::vector<char16_t> &buffer)
{
    size_t length = 0;
    bool ascii = true;
    for (; name[length] != '\0'; ++length)
        ascii = ascii && uchar(name[length]) < 0x80;
    // ASCII bytes decode to the same characters, so their key needs no decoding.
    if (ascii)
        appendKey(LoweredAscii<char> { name, qsizetype(length) }, buffer);
    else
        appendNameKey(QFile::decodeName(name), buffer);
    return length;
}

int compareKeyText(std::u16string_view a, std::u16string_view b)
{
    return a.compare(b);
}

} // namespace

void NameOrder::reserve(size_t bytes)
{
    m_bytes.reserve(bytes);
}

void NameOrder::append(const char *name, size_t length, char companion)
{
    // Only the bytes are kept while reading: keys are made when the order is asked for.
    m_bytes.push_back(companion);
    m_bytes.insert(m_bytes.end(), name, name + length);
    m_bytes.push_back('\0');
    ++m_size;
}

QString NameOrder::nameAt(quint32 offset) const
{
    return QFile::decodeName(m_bytes.data() + offset);
}

void NameOrder::takeFront(qsizetype count, QStringList &names, QByteArray &companions)
{
    count = std::clamp<qsizetype>(count, 0, m_size);
    // One pass over the names keeps the count smallest seen so far, largest on top of a heap:
    // a name goes in only when it goes before the top, which most names of a large folder do
    // not after the first few, so each costs its key and about one comparison, and no key is
    // kept for any name but the candidates.
    struct Candidate
    {
        std::u16string key;
        quint32 name;
    };
    std::vector<Candidate> candidates(static_cast<size_t>(count));
    std::vector<qsizetype> heap; // indices into candidates
    heap.reserve(size_t(count));
    const auto before = [&candidates](qsizetype x, qsizetype y) {
        const Candidate &a = candidates[size_t(x)];
        const Candidate &b = candidates[size_t(y)];
        const int order = compareKeyText(a.key, b.key);
        // Names that compare as the same keep their given order.
        return order != 0 ? order < 0 : a.name < b.name;
    };
    std::vector<char16_t> key;
    for (size_t offset = 0; count > 0 && offset < m_bytes.size();) {
        const quint32 name = quint32(offset + 1);
        key.clear();
        offset = name + appendBytesKey(m_bytes.data() + name, key) + 1;
        const std::u16string_view text(key.data(), key.size());
        if (qsizetype(heap.size()) < count) {
            const qsizetype slot = qsizetype(heap.size());
            candidates[size_t(slot)] = Candidate { std::u16string(text), name };
            heap.push_back(slot);
            std::push_heap(heap.begin(), heap.end(), before);
            continue;
        }
        // A later name that compares as the same as the top goes after it.
        Candidate &top = candidates[size_t(heap.front())];
        if (compareKeyText(text, top.key) >= 0)
            continue;
        std::pop_heap(heap.begin(), heap.end(), before);
        top.key.assign(text);
        top.name = name;
        std::push_heap(heap.begin(), heap.end(), before);
    }
    std::sort_heap(heap.begin(), heap.end(), before);
    names.clear();
    names.reserve(count);
    companions.resize(count);
    m_frontNames.clear();
    for (qsizetype i = 0; i < count; ++i) {
        const quint32 name = candidates[size_t(heap[size_t(i)])].name;
        names.append(nameAt(name));
        companions[i] = m_bytes[name - 1];
        m_frontNames.push_back(name);
    }
    m_front = names;
}

void NameOrder::finish(QStringList &names, QByteArray &companions)
{
    struct Key
    {
        quint32 offset; // of the key in the buffer
        quint32 length;
        quint32 name; // offset of the name in m_bytes; the names' order breaks ties
    };
    // Every key lives in one contiguous buffer and the sort moves small fixed-size records, so
    // comparing two names touches two runs of that buffer and nothing else.
    std::vector<Key> keys;
    keys.reserve(size_t(m_size));
    std::vector<char16_t> buffer;
    // A key is about as long as its name; a digit run in the name adds a unit.
    buffer.reserve(m_bytes.size());
    for (size_t offset = 0; offset < m_bytes.size();) {
        const quint32 name = quint32(offset + 1);
        const size_t start = buffer.size();
        offset = name + appendBytesKey(m_bytes.data() + name, buffer) + 1;
        keys.push_back(Key { quint32(start), quint32(buffer.size() - start), name });
    }
    const char16_t *base = buffer.data();
    std::sort(keys.begin(), keys.end(), [base](const Key &x, const Key &y) {
        const int order = compareKeyText({ base + x.offset, x.length }, { base + y.offset, y.length });
        return order != 0 ? order < 0 : x.name < y.name;
    });
    std::vector<char16_t>().swap(buffer);
    names.clear();
    names.reserve(m_size);
    companions.resize(m_size);
    for (qsizetype i = 0; i < m_size; ++i) {
        const quint32 name = keys[size_t(i)].name;
        // The front is the same names in the same order; they keep the text takeFront() gave.
        const bool front = i < m_front.size() && m_frontNames[size_t(i)] == name;
        names.append(front ? std::move(m_front[i]) : nameAt(name));
        companions[i] = m_bytes[name - 1];
    }
    std::vector<char>().swap(m_bytes);
    std::vector<quint32>().swap(m_frontNames);
    m_front.clear();
    m_size = 0;
}

} // namespace tarnik::NaturalSort
