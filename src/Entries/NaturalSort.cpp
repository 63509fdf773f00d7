#include "Entries/NaturalSort.h"

#include <algorithm>
#include <numeric>
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

void sort(QStringList &names)
{
    std::vector<QString> keys;
    keys.reserve(names.size());
    for (const QString &name : names)
        keys.push_back(foldedKey(name));
    std::vector<qsizetype> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(
        order.begin(), order.end(), [&](qsizetype x, qsizetype y) { return compareKeys(keys[x], keys[y]) < 0; });
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype index : order)
        sorted.append(names[index]);
    names = std::move(sorted);
}

} // namespace tarnik::NaturalSort
