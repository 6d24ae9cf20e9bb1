#include "sensor/options.h"

#include <cstddef>

#include "loadstats/task_types.h"
#include "util/text.h"

namespace quarlane {

namespace {

constexpr std::size_t kGlobalKeyLength = 10;
constexpr std::size_t kChannelDigits = 3;
const char kItemOption[] = "ITEM=";

bool Contains(const std::string &text, const char *word) {
  return text.find(word) != std::string::npos;
}

// The value after an option such as ",HOST=": from the raw parameters at the
// place the option was found in the upper-case ones, up to the next comma,
// blank or the end.
std::optional<std::string> OptionValue(const std::string &params, const std::string &raw,
                                       const std::string &option) {
  const std::size_t at = params.find(option);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t start = at + option.size();
  if (start >= raw.size()) return std::string();
  std::size_t end = raw.find_first_of(", ", start);
  if (end == std::string::npos) end = raw.size();
  return raw.substr(start, end - start);
}

std::optional<int> SelectedChannel(const std::string &params, const std::string &raw) {
  const std::size_t at = params.find("CH=");
  if (at == std::string::npos) return std::nullopt;
  std::string field;
  for (std::size_t pos = at + 3; pos < raw.size() && field.size() < kChannelDigits; ++pos) {
    if (raw[pos] == ',') break;
    field += raw[pos];
  }
  // Three characters hold no number beyond the range of int.
  const LeadingNumber number = ReadLeadingNumber(field, " \t");
  const int value = static_cast<int>(number.magnitude);
  return number.negative ? -value : value;
}

ReportKind ChooseReport(const std::string &options) {
  if (Contains(options, "RESPONSE")) return ReportKind::Responses;
  if (Contains(options, "TRANSACTION")) return ReportKind::Transaction;
  return ReportKind::Summary;
}

std::optional<std::size_t> SelectedTaskType(const std::string &options) {
  std::optional<std::size_t> selected;
  if (Contains(options, "-")) return selected;
  const auto &types = TaskTypes();
  for (std::size_t i = 0; i < types.size(); ++i)
    if (Contains(options, types[i].selection_word)) selected = i;
  // The responses and transaction reports cover every type.
  if (Contains(options, "RESPONSE") || Contains(options, "TRANSACTION")) selected.reset();
  return selected;
}

ExcludedTypes ExcludedTaskTypes(const std::string &options) {
  ExcludedTypes excluded{};
  for (std::size_t i = 0; i < kTaskTypeCount; ++i)
    excluded[i] = Contains(options, TaskTypes()[i].exclusion_word);
  return excluded;
}

// "#..." and "@..." only switch modes; what stands before them is shown.
std::string SingleSystemText(const std::string &raw) {
  std::string text = raw.substr(0, raw.find('#'));
  text = text.substr(0, text.find('@'));
  if (text == "(Parameters " || text == "(No ") text.clear();
  return text.empty() ? "(No Parameters)" : text;
}

// Colons as blanks, cut before the first blank that an "@" follows.
std::string ItemRunText(const std::string &raw) {
  std::string text = raw;
  for (char &c : text)
    if (c == ':') c = ' ';
  return text.substr(0, text.find(" @"));
}

} // namespace

std::string WithoutItemOption(const std::string &params) {
  const std::size_t option_length = sizeof kItemOption - 1;
  std::string options = params;
  std::size_t start = options.find(kItemOption);
  while (start != std::string::npos) {
    const std::size_t end = ItemNameEnd(options, start + option_length);
    options.replace(start, end - start, end - start, ' ');
    start = options.find(kItemOption, end);
  }
  return options;
}

Options ParseOptions(const std::string &raw) {
  const std::string params = UpperAscii(raw);
  Options options;
  options.verbose = params.find_first_of("#@$%") != std::string::npos;
  options.folder_given = params.find('@') != std::string::npos;
  const std::size_t item_at = params.find(kItemOption);
  if (item_at != std::string::npos)
    options.item = ItemNameAt(raw, item_at + sizeof kItemOption - 1);
  options.global_key = params.substr(0, params.find(' '));
  options.global_key.resize(kGlobalKeyLength, ' ');

  options.syslog = Contains(params, ",SYSLOG");
  options.overrides.hostname = OptionValue(params, raw, ",HOST=");
  options.overrides.sysnr = OptionValue(params, raw, ",NO=");
  options.channel = SelectedChannel(params, raw);

  const std::string words = WithoutItemOption(params);
  options.analysis.report = ChooseReport(words);
  options.analysis.task_type = SelectedTaskType(words);
  options.analysis.excluded = ExcludedTaskTypes(words);

  options.single_system_text = SingleSystemText(raw);
  options.item_run_text = ItemRunText(raw);
  return options;
}

Options AllocationOptions(const Options &command_line, const std::string &allocation_text,
                          const std::string &item_name) {
  Options options = ParseOptions(allocation_text);
  options.verbose = command_line.verbose;
  options.item = item_name;
  return options;
}

} // namespace quarlane
