#pragma once

#include <QByteArray>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace tarnik::NaturalSort {

// The order in which the browser lists names, as people read them: runs of digits compare by
// their numeric value ("2" before "10", any number of digits), letters compare without regard to
// case or accents ("b" and "B", "e" and "é" are the same), everything else by character. Names
// that compare as the same are equal here; sort() keeps them in their given order.
//
// The order does not depend on the process's locale, so a listing sorts the same everywhere.

// Negative when a goes first, positive when b goes first, zero when they are the same.
int compare(QStringView a, QStringView b);

// A stable sort in that order. Each name is folded once, so sorting n names costs n foldings and
// O(n log n) comparisons of folded text.
void sort(QStringList &names);

// Names as a directory gives them (bytes, decoded as QFile::decodeName does), each with one
// companion byte, put in that order a front part first. A listing shows its first page long
// before the rest of a large folder is needed, and finding the first few names costs a single
// pass over the names, where ordering them all costs a full sort and a QString per name. The
// result is the same as sort() of the decoded names.
//
// Not safe for concurrent use: one thread at a time (finish() may run on another thread than
// the appends).
class NameOrder
{
public:
    // Room for names of about this many bytes in all; only a hint.
    void reserve(size_t bytes);
    // Adds a name (length bytes, none of them 0) and its companion byte.
    void append(const char *name, size_t length, char companion);
    qsizetype size() const { return m_size; }

    // The first count names in order (all of them when there are fewer), with their companions.
    // Orders nothing beyond them. Call it at most once, before finish().
    void takeFront(qsizetype count, QStringList &names, QByteArray &companions);
    // Every name in order, with its companions. The names takeFront() gave come first and share
    // their text with what it gave. Leaves this empty.
    void finish(QStringList &names, QByteArray &companions);

private:
    QString nameAt(quint32 offset) const;

    // The names, each as its companion byte, its bytes and a 0.
    std::vector<char> m_bytes;
    qsizetype m_size = 0;
    // What takeFront() gave, and where in m_bytes each of those names is.
    QStringList m_front;
    std::vector<quint32> m_frontNames;
};

} // namespace tarnik::NaturalSort
