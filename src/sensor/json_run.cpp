#include "sensor/json_run.h"

#include <variant>

#include "loadstats/reports.h"
#include "platform/paths.h"

namespace quarlane {

namespace {

void MakeFull(ProfileFile &file) {
  file.folder = FullHostFolder(HostPath(file.folder));
  file.path = file.folder + file.name;
}

const char *ReportName(ReportKind kind) {
  switch (kind) {
  case ReportKind::Responses: return "responses";
  case ReportKind::Transaction: return "transactions";
  case ReportKind::Summary: break;
  }
  return "summary";
}

} // namespace

void MakeFoldersFull(ProfileLocation &location) {
  if (auto *item = std::get_if<ItemRunLocation>(&location))
    MakeFull(item->listing);
  else
    MakeFull(std::get<SingleSystemLocation>(location).profile);
}

Status EnterJsonWorkingFolder() {
  const std::string folder = DefaultWorkingFolder();
  const std::string why = EnterWorkingFolder(folder);
  if (why.empty()) return Success();
  return Failure(FailureCode::WorkingFolderUnusable,
                 "\"" + folder + "\" " + why +
                     " - set QUARLANE_WORK to a folder the probe's account may write, or make this "
                     "one writable for it");
}

Status CheckItemName(const ItemRunLocation &location, const Options &options) {
  const std::vector<std::string> names = ItemNames(options.analysis.report);
  for (const std::string &name : names)
    if (name == location.item_name) return Success();
  std::string known;
  for (const std::string &name : names) known += (known.empty() ? "" : ", ") + name;
  return Failure(FailureCode::UnknownItem,
                 "\"" + location.item_name + "\": the " + ReportName(options.analysis.report) +
                     " report knows " + known + " (a colon in ITEM= stands for a blank)");
}

std::string JsonSearchAdvice(const std::string &profile_name, const std::string &program_folder) {
  return " - looked in \"" + program_folder + "\" (the program's folder); put " + profile_name +
         " there, or give its folder with the name and \"@\" (e.g. /etc/quarlane/" + profile_name +
         " @)";
}

} // namespace quarlane
