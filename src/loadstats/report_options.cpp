// The option words of the load analysis, apart from the item option.
#include "loadstats/report_options.h"

#include <cstddef>

namespace quarlane {

namespace {

// The longest item name taken from the item option.
constexpr std::size_t kItemNameLimit = 90;

} // namespace

std::string WithoutItemOption(const std::string &params) {
  static const std::string kItemOption = "ITEM=";
  std::string options = params;
  std::size_t start = options.find(kItemOption);
  while (start != std::string::npos) {
    std::size_t end = start + kItemOption.size();
    std::size_t taken = 0;
    while (end < options.size() && options[end] != ' ' && options[end] != ',' &&
           taken < kItemNameLimit) {
      ++end;
      ++taken;
    }
    options.replace(start, end - start, end - start, ' ');
    start = options.find(kItemOption, end);
  }
  return options;
}

std::string LoadAnalysisOptions(const RunContext &ctx) {
  return ctx.item_run ? WithoutItemOption(ctx.params) : ctx.params;
}

} // namespace quarlane
