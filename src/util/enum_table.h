// Tables keyed by an enum, checked when they are built. The enum is declared
// from one list of its values (a macro that takes X and gives X(Value) for
// each), which also counts them; a table then holds one row per value, in
// the enum's order, and a static_assert on RowPerValue stops a build whose
// table misses a value, has one too many or has them out of order. So a row
// is found by the value itself, with no fallback for a value without one.
#ifndef QUARLANE_UTIL_ENUM_TABLE_H
#define QUARLANE_UTIL_ENUM_TABLE_H

#include <cstddef>

// For a list of values: QUARLANE_ENUM_VALUE declares each, QUARLANE_ENUM_COUNT
// counts them (0 LIST(QUARLANE_ENUM_COUNT)).
#define QUARLANE_ENUM_VALUE(value) value,
#define QUARLANE_ENUM_COUNT(value) +1

namespace quarlane {

// Whether `rows` holds exactly `count` rows and row i is the row of the
// enum's value i (its `key`).
template <typename Row, std::size_t N, typename Enum>
constexpr bool RowPerValue(const Row (&rows)[N], std::size_t count, Enum Row::*key) {
  if (N != count) return false;
  for (std::size_t i = 0; i < N; ++i)
    if (rows[i].*key != static_cast<Enum>(i)) return false;
  return true;
}

// The same for a table of plain entries (words, numbers): one per value.
template <typename Entry, std::size_t N>
constexpr bool EntryPerValue(const Entry (&)[N], std::size_t count) {
  return N == count;
}

// The row of `value` in a table checked by RowPerValue.
template <typename Row, std::size_t N, typename Enum>
constexpr const Row &RowOf(const Row (&rows)[N], Enum value) {
  return rows[static_cast<std::size_t>(value)];
}

} // namespace quarlane

#endif
