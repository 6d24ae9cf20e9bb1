// The fourteen task types of the workload summary.
#include "loadstats/task_types.h"

namespace quarlane {

namespace {

// The keys back to back, in two columns, as they are searched for a type text.
const char kFirstColumn[] = "DIALOG BCKGRD UPDATE SPOOL  BUF.SYNAUTOABAUPDATE2";
const char kSecondColumn[] = "AUTOTH RPCTH  DDLOG CDEL. THHTTP   HTTPS  RFC    ";

} // namespace

const std::array<TaskType, kTaskTypeCount> &TaskTypes() {
  // The update type's selection word carries a full stop, so that "UPDATE2"
  // alone does not select the update type as well; likewise "HTTP.".
  static const std::array<TaskType, kTaskTypeCount> types = {{
      {"DIALOG ", "DIALOG", "-DIALOG", " Dialog=", 1, "Dialog", "Avg Dialog"},
      {"BCKGRD ", "BATCH", "-BATCH", ", Batch=", 2, "Batch", "Avg Batch"},
      {"UPDATE ", "UPDATE.", "-UPDATE", ", Update=", 5, "Update", "Avg Update"},
      {"SPOOL  ", "SPOOL", "-SPOOL", ", Spool=", 6, "Spool", "Avg Spool"},
      {"BUF.SYN", "BUFFER", "-BUFFER", nullptr, 0, "BufSync", "Avg BufSync"},
      {"AUTOABA", "AUTOABAP", "-AUTOABAP", nullptr, 0, "AutoAbap", "Avg AutoAbap"},
      {"UPDATE2", "UPDATE2", "-UPDATE2", nullptr, 0, "Update2", "Avg Update2"},
      {"AUTOTH ", "AUTOTH", "-AUTOTH", nullptr, 0, "Auto.Th", "Avg Auto.Th"},
      {"RPCTH  ", "RPC", "-RPC", nullptr, 0, "RPC Th", "Avg RPC Th"},
      {"DDLOG C", "DLOG", "-DLOG", nullptr, 0, "Ddlog C", "Avg Ddlog C"},
      {"DEL. TH", "DEL.TH", "-DEL.TH", nullptr, 0, "Del.Th", "Avg Del.Th"},
      {"HTTP   ", "HTTP.", "-HTTP", ", HTTP=", 3, "HTTP", "Avg HTTP"},
      {"HTTPS  ", "HTTPS", "-HTTPS", nullptr, 0, "HTTPS", "Avg HTTPS"},
      {"RFC    ", "RFC", "-RFC", ", RFC=", 4, "RFC", "Avg RFC"},
  }};
  return types;
}

const std::array<std::size_t, kTextTypeCount> &TextTypes() {
  static const std::array<std::size_t, kTextTypeCount> order = [] {
    std::array<std::size_t, kTextTypeCount> types{};
    for (std::size_t type = 0; type < kTaskTypeCount; ++type)
      if (const std::size_t place = TaskTypes()[type].text_place) types[place - 1] = type;
    return types;
  }();
  return order;
}

std::optional<std::size_t> TaskTypeOfKey(const std::string &type_text) {
  const auto &types = TaskTypes();
  for (std::size_t i = 0; i < types.size(); ++i)
    if (type_text == types[i].key) return i;
  return std::nullopt;
}

bool IsKnownTypeText(const std::string &type_text) {
  const std::string first = kFirstColumn;
  const std::string second = kSecondColumn;
  return first.find(type_text) != std::string::npos || second.find(type_text) != std::string::npos;
}

std::string TrimmedKey(std::size_t type) {
  std::string key = TaskTypes()[type].key;
  const std::size_t end = key.find_last_not_of(' ');
  key.erase(end == std::string::npos ? 0 : end + 1);
  return key;
}

} // namespace quarlane
