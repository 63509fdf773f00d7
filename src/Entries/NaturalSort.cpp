#include "Entries/NaturalSort.h"

#include <algorithm>
#include <numeric>
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
// compares with any other character exactly as its first digit would.
void appendKey(QStringView folded, std::vector<char16_t> &buffer)
{
    const qsizetype size = folded.size();
    for (qsizetype i = 0; i < size;) {
        if (!isAsciiDigit(folded[i])) {
            buffer.push_back(folded[i].unicode());
            ++i;
            continue;
        }
        while (i < size && folded[i] == u'0')
            ++i;
        qsizetype end = i;
        while (end < size && isAsciiDigit(folded[end]))
            ++end;
        const qsizetype length = end - i;
        if (length < 9) {
            buffer.push_back(char16_t(u'0' + length));
        } else {
            buffer.push_back(u'9');
            buffer.push_back(char16_t(std::min<qsizetype>(length, 0xFFFF)));
        }
        for (; i < end; ++i)
            buffer.push_back(folded[i].unicode());
    }
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
    QByteArray none;
    sort(names, none);
}

void sort(QStringList &names, QByteArray &companion)
{
    const bool withCompanion = companion.size() == names.size() && !companion.isEmpty();
    // Every key lives in one contiguous buffer and the sort moves small fixed-size records, so
    // comparing two names touches two runs of that buffer and nothing else.
    std::vector<char16_t> buffer;
    buffer.reserve(size_t(names.size()) * 24);
    std::vector<SortKey> keys;
    keys.reserve(size_t(names.size()));
    QString lowered;
    for (qsizetype index = 0; index < names.size(); ++index) {
        const QString &name = std::as_const(names)[index];
        const size_t offset = buffer.size();
        const bool ascii = std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
        if (ascii) {
            lowered.resize(name.size());
            for (qsizetype i = 0; i < name.size(); ++i) {
                const char16_t c = name[i].unicode();
                lowered[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
            }
            appendKey(lowered, buffer);
        } else {
            appendKey(foldedKey(name), buffer);
        }
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
    if (withCompanion) {
        QByteArray moved(companion.size(), Qt::Uninitialized);
        for (size_t i = 0; i < keys.size(); ++i)
            moved[qsizetype(i)] = companion[qsizetype(keys[i].index)];
        companion = std::move(moved);
    }
}

} // namespace tarnik::NaturalSort
