// The fourteen task types of the workload summary, their keys and the option
// words that select or exclude them.
#ifndef QUARLANE_LOADSTATS_TASK_TYPES_H
#define QUARLANE_LOADSTATS_TASK_TYPES_H

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace quarlane {

constexpr std::size_t kTaskTypeCount = 14;

struct TaskType {
  const char *key;            // TASKTYPE as the summary delivers it: 7 characters
  const char *selection_word; // in the parameters: report this type only
  const char *exclusion_word; // in the parameters: leave this type out
  const char *text_label;     // in the report texts; nullptr for types not shown there
  std::size_t text_place;     // its place in the report texts, from 1; 0 for types not shown there
  const char *transaction_name; // channel and item name of the transaction report
  const char *responses_name;   // channel and item name of the responses report
};

// In the fixed order of the history lines and of every report.
const std::array<TaskType, kTaskTypeCount> &TaskTypes();

// The types the report texts show, in the texts' order (by text_place).
constexpr std::size_t kTextTypeCount = 6;
const std::array<std::size_t, kTextTypeCount> &TextTypes();

// The index of the type whose key equals the type text exactly.
std::optional<std::size_t> TaskTypeOfKey(const std::string &type_text);

// False for a type text that occurs nowhere in the keys written back to back
// (an unlisted type such as ALE, whose steps still count into the total).
bool IsKnownTypeText(const std::string &type_text);

// Per task type: left out of the reports ("-DIALOG", ... in the parameters).
using ExcludedTypes = std::array<bool, kTaskTypeCount>;

// The key without its trailing blanks ("DIALOG " -> "DIALOG").
std::string TrimmedKey(std::size_t type);

} // namespace quarlane

#endif
