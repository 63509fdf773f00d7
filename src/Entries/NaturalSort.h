#pragma once

#include <QByteArray>
#include <QStringList>
#include <QStringView>

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
// The same, with one byte per name (companion has as many bytes as there are names) moved along
// with its name.
void sort(QStringList &names, QByteArray &companion);

} // namespace tarnik::NaturalSort
