#include "rfcsim/landscape.h"

#include <fstream>
#include <set>
#include <utility>
#include <sstream>

#include "platform/byte_order_mark.h"
#include "rfcsim/packed.h"
#include "rfcsim/text.h"

namespace quarlane::rfcsim {

const char kLandscapeFileName[] = "SapLandscape.ini";

namespace {

enum class ValueKind { Text, Integer };

// What a system reports besides its rows: the RFCSI fields and the importing
// values of GET_CPU_ALL and RFC_SYSTEM_INFO, with their limits and defaults.
struct ValueKey {
  const char *name;
  ValueKind kind;
  unsigned max_length; // texts only
  const char *default_value;
};

const ValueKey kValueKeys[] = {
    {"RFCPROTO", ValueKind::Text, 3, "011"},
    {"RFCCHARTYP", ValueKind::Text, 4, "1100"},
    {"RFCINTTYP", ValueKind::Text, 3, "LIT"},
    {"RFCFLOTYP", ValueKind::Text, 3, "IE3"},
    {"RFCDEST", ValueKind::Text, 32, ""},
    {"RFCHOST", ValueKind::Text, 8, ""},   // default: the first 8 characters of host, else "sapsim"
    {"RFCSYSID", ValueKind::Text, 8, ""},  // default: the system's name
    {"RFCDATABS", ValueKind::Text, 8, ""}, // default: RFCSYSID
    {"RFCDBHOST", ValueKind::Text, 32, ""}, // default: RFCHOST
    {"RFCDBSYS", ValueKind::Text, 10, "SIMULATED"},
    {"RFCSAPRL", ValueKind::Text, 4, "700"},
    {"RFCMACH", ValueKind::Text, 5, "  324"},
    {"RFCOPSYS", ValueKind::Text, 10, "Linux"},
    {"RFCTZONE", ValueKind::Text, 6, "     0"},
    {"RFCDAYST", ValueKind::Text, 1, ""},
    {"RFCIPADDR", ValueKind::Text, 15, "127.0.0.1"},
    {"RFCKERNRL", ValueKind::Text, 4, "753"},
    {"RFCSI_RESV", ValueKind::Text, 44, "simulated by librfc32 (SapLandscape.ini)"},
    {"ACTIVEFLAG", ValueKind::Integer, 0, "1"},
    {"DETAILSCOLL", ValueKind::Integer, 0, "0"},
    {"DETAILSMODE", ValueKind::Integer, 0, "0"},
    {"DETAILSREQI", ValueKind::Integer, 0, "0"},
    {"F_CPU_ALL_READ", ValueKind::Text, 3, "X"},
    {"INTERVAL", ValueKind::Integer, 0, "10"},
    {"LASTCOLLINT", ValueKind::Integer, 0, "10"},
    {"LASTCOLLWRT", ValueKind::Text, 25, "now"},
    {"NORMCOLLINT", ValueKind::Integer, 0, "10"},
    {"OP_SYSTEM", ValueKind::Text, 52, "Linux (simulated)"},
    {"CURRENT_RESOURCES", ValueKind::Integer, 0, "5"},
    {"DIALOG_USER_TYPE", ValueKind::Text, 1, ""},
    {"MAXIMAL_RESOURCES", ValueKind::Integer, 0, "10"},
    {"RECOMMENDED_DELAY", ValueKind::Integer, 0, "0"},
    {"RFC_LOGIN_COMPLETE", ValueKind::Text, 1, "X"},
};

struct Alias {
  const char *alias;
  const char *name;
};
const Alias kAliases[] = {{"INSTANCE", "RFCDEST"}, {"RELEASE", "RFCSAPRL"}, {"SYSID", "RFCSYSID"}};

const ValueKey *FindValueKey(const std::string &upper_key) {
  std::string name = upper_key;
  for (const Alias &alias : kAliases)
    if (name == alias.alias) name = alias.name;
  for (const ValueKey &key : kValueKeys)
    if (name == key.name) return &key;
  return nullptr;
}

// Integers of a four-byte field: signed, or unsigned up to 2^32 - 1.
bool InInt32Range(std::int64_t value) { return value >= -2147483648LL && value <= 4294967295LL; }
bool InInt16Range(std::int64_t value) { return value >= -32768 && value <= 65535; }

enum class Section { None, Sim, System, Unknown };

struct Parser {
  Landscape landscape;
  std::string file_name;
  int line_number = 0;
  Section section = Section::None;
  std::size_t system_index = 0;     // valid while section is System
  int system_line = 0;              // the line of the system's header
  std::set<std::string> given_keys; // value keys the current system sets itself

  std::string Where() const { return file_name + " line " + std::to_string(line_number); }
  void Problem(const std::string &text) { landscape.problems.push_back(Where() + ": " + text); }
  SapSystem &System() { return landscape.systems[system_index]; }
};

bool Unquote(const std::string &value, std::string *text, std::string *error) {
  if (value.empty() || value.front() != '"') {
    *text = value;
    return true;
  }
  if (value.size() < 2 || value.back() != '"') {
    *error = "a double quote is not closed";
    return false;
  }
  *text = value.substr(1, value.size() - 2);
  return true;
}

bool ParseDay(const std::string &text, WorkloadDay *day) {
  const std::string upper = Upper(text);
  if (upper == "TODAY") {
    *day = WorkloadDay{true, 0, ""};
    return true;
  }
  if (upper.compare(0, 6, "TODAY-") == 0) {
    std::int64_t back = 0;
    const std::string digits = upper.substr(6);
    if (digits.empty() || digits[0] == '+' || digits[0] == '-' || !ParseInteger(digits, &back) ||
        back > 36500)
      return false;
    *day = WorkloadDay{true, static_cast<int>(back), ""};
    return true;
  }
  if (text.size() != 8) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  const int month = std::stoi(text.substr(4, 2));
  const int day_of_month = std::stoi(text.substr(6, 2));
  if (month < 1 || month > 12 || day_of_month < 1 || day_of_month > 31) return false;
  *day = WorkloadDay{false, 0, text};
  return true;
}

// One KEY=value word of a cpu or workload row, checked against the row's field.
bool SetRowField(const RowLayout &layout, const std::string &key, const std::string &value,
                 RowValues *row, std::string *error) {
  const FieldLayout *field = FindField(layout, key);
  if (field == nullptr) {
    *error = "'" + key + "' is no field of " + layout.name;
    return false;
  }
  if (field->type == RFCTYPE_CHAR || field->type == RFCTYPE_DATE) {
    if (value.size() > field->length) {
      *error = field->name + " holds at most " + std::to_string(field->length) + " characters";
      return false;
    }
    row->texts[field->name] = value;
    return true;
  }
  std::int64_t number = 0;
  if (!ParseInteger(value, &number)) {
    *error = field->name + " needs a whole number, not '" + value + "'";
    return false;
  }
  const bool fits = field->type == RFCTYPE_BCD    ? FitsPacked(number, field->length)
                    : field->type == RFCTYPE_INT2 ? InInt16Range(number)
                                                  : InInt32Range(number);
  if (!fits) {
    *error = field->name + " cannot hold " + value +
             (field->type == RFCTYPE_BCD
                  ? " (at most " + std::to_string(2 * field->length - 1) + " digits)"
                  : std::string(" (out of range)"));
    return false;
  }
  row->numbers[field->name] = number;
  return true;
}

void ParseCpuRow(Parser &parser, const std::vector<std::string> &words) {
  RowValues row;
  std::string error;
  for (const std::string &word : words) {
    std::string key;
    std::string value;
    if (!SplitAssignment(word, &key, &value)) {
      parser.Problem("cpu: '" + word + "' is not of the form FIELD=value");
      return;
    }
    if (!SetRowField(CpuAllLayout(), key, value, &row, &error)) {
      parser.Problem("cpu: " + error);
      return;
    }
  }
  parser.System().cpu_rows.push_back(row);
}

void ParseWorkloadRow(Parser &parser, const std::vector<std::string> &words) {
  WorkloadRow row;
  std::string error;
  for (const std::string &word : words) {
    std::string key;
    std::string value;
    if (!SplitAssignment(word, &key, &value)) {
      parser.Problem("workload: '" + word + "' is not of the form FIELD=value");
      return;
    }
    const std::string upper = Upper(key);
    if (upper == "DAY") {
      if (!ParseDay(value, &row.day)) {
        parser.Problem("workload: day must be today, today-N or YYYYMMDD, not '" + value + "'");
        return;
      }
    } else if (upper == "INSTANCE") {
      if (value.size() > 39) {
        parser.Problem("workload: an instance name holds at most 39 characters");
        return;
      }
      row.instance = value;
      row.instance_given = true;
    } else if (!SetRowField(SapwlsumryLayout(), key, value, &row.values, &error)) {
      parser.Problem("workload: " + error);
      return;
    }
  }
  parser.System().workload.push_back(row);
}

void ParseFaultLine(Parser &parser, const std::vector<std::string> &words,
                    std::vector<Fault> *faults) {
  Fault fault;
  std::string error;
  if (!ParseFault(words, &fault, &error)) {
    parser.Problem("fault: " + error);
    return;
  }
  fault.where = parser.Where();
  faults->push_back(fault);
}

// Keys whose value is a list of words.
bool ParseWordList(Parser &parser, const std::string &value, std::vector<std::string> *words) {
  std::string error;
  if (!SplitWords(value, words, &error)) {
    parser.Problem(error);
    return false;
  }
  return true;
}

void SystemKey(Parser &parser, const std::string &key, const std::string &raw_value) {
  SapSystem &system = parser.System();
  std::vector<std::string> words;
  if (key == "CPU" || key == "WORKLOAD" || key == "FAULT") {
    if (!ParseWordList(parser, raw_value, &words)) return;
    if (key == "CPU") ParseCpuRow(parser, words);
    if (key == "WORKLOAD") ParseWorkloadRow(parser, words);
    if (key == "FAULT") ParseFaultLine(parser, words, &system.faults);
    return;
  }
  std::string value;
  std::string error;
  if (!Unquote(raw_value, &value, &error)) {
    parser.Problem(error);
    return;
  }
  if (key == "CLIENT") {
    system.client = Trim(value);
  } else if (key == "USER") {
    system.user = value;
  } else if (key == "PASSWORD") {
    system.password = value;
  } else if (key == "HOST") {
    system.host = Trim(value);
  } else if (key == "SYSNR") {
    std::int64_t number = 0;
    if (!ParseInteger(Trim(value), &number) || number < 0 || number > 99) {
      parser.Problem("sysnr must be a number from 00 to 99, not '" + value + "'");
      return;
    }
    system.sysnr = static_cast<int>(number);
    system.sysnr_given = true;
  } else if (key == "GWHOST") {
    system.gwhost = Trim(value);
  } else if (key == "GWSERVICE") {
    system.gwservice = Trim(value);
  } else if (const ValueKey *value_key = FindValueKey(key)) {
    if (value_key->kind == ValueKind::Integer) {
      std::int64_t number = 0;
      if (!ParseInteger(Trim(value), &number) || !InInt32Range(number)) {
        parser.Problem(std::string(value_key->name) + " needs a whole number, not '" + value + "'");
        return;
      }
      value = std::to_string(number);
    } else if (value.size() > value_key->max_length) {
      parser.Problem(std::string(value_key->name) + " holds at most " +
                     std::to_string(value_key->max_length) + " characters");
      return;
    }
    system.values[value_key->name] = value;
    parser.given_keys.insert(value_key->name);
  } else {
    parser.Problem("unknown key '" + key + "' in a system section");
  }
}

void SimKey(Parser &parser, const std::string &key, const std::string &raw_value) {
  if (key == "FAULT") {
    std::vector<std::string> words;
    if (ParseWordList(parser, raw_value, &words))
      ParseFaultLine(parser, words, &parser.landscape.faults);
    return;
  }
  std::string value;
  std::string error;
  if (!Unquote(raw_value, &value, &error)) {
    parser.Problem(error);
    return;
  }
  if (key == "CALLLOG") {
    parser.landscape.call_log = Trim(value);
  } else {
    parser.Problem("unknown key '" + key + "' in the [sim] section (calllog, fault)");
  }
}

// Fills what the system did not say itself, once its section is complete.
void FinishSystem(Parser &parser) {
  if (parser.section != Section::System) return;
  SapSystem &system = parser.System();
  std::map<std::string, std::string> &values = system.values;
  const auto given = [&](const char *name) { return parser.given_keys.count(name) > 0; };
  if (!given("RFCHOST"))
    values["RFCHOST"] = system.host.empty() ? "sapsim" : system.host.substr(0, 8);
  if (!given("RFCSYSID")) values["RFCSYSID"] = Upper(system.name).substr(0, 8);
  if (!given("RFCDATABS")) values["RFCDATABS"] = values["RFCSYSID"];
  if (!given("RFCDBHOST")) values["RFCDBHOST"] = values["RFCHOST"];
  for (WorkloadRow &row : system.workload)
    if (!row.instance_given) row.instance = values["RFCDEST"];
  const std::string where = parser.file_name + " line " + std::to_string(parser.system_line);
  const std::pair<const char *, const std::string *> required[] = {
      {"client", &system.client}, {"user", &system.user}, {"password", &system.password}};
  for (const auto &[key, text] : required)
    if (text->empty())
      parser.landscape.problems.push_back(where + ": system " + system.name + " has no " + key);
}

void SectionHeader(Parser &parser, const std::string &line) {
  FinishSystem(parser);
  parser.section = Section::Unknown;
  if (line.back() != ']') {
    parser.Problem("a section header ends with ']'");
    return;
  }
  std::vector<std::string> words;
  std::string error;
  if (!SplitWords(line.substr(1, line.size() - 2), &words, &error)) {
    parser.Problem(error);
    return;
  }
  if (words.size() == 1 && SameText(words[0], "sim")) {
    parser.section = Section::Sim;
    return;
  }
  if (words.size() == 2 && SameText(words[0], "system") && !words[1].empty()) {
    if (FindSystem(parser.landscape, words[1]) != nullptr) {
      parser.Problem("system " + words[1] + " is described twice");
      return;
    }
    SapSystem system;
    system.name = words[1];
    for (const ValueKey &key : kValueKeys) system.values[key.name] = key.default_value;
    parser.landscape.systems.push_back(system);
    parser.system_index = parser.landscape.systems.size() - 1;
    parser.system_line = parser.line_number;
    parser.given_keys.clear();
    parser.section = Section::System;
    return;
  }
  parser.Problem("unknown section " + line + " (use [sim] or [system NAME])");
}

void ParseLine(Parser &parser, const std::string &raw_line) {
  const std::string line = Trim(raw_line);
  if (line.empty() || line[0] == '#' || line[0] == ';') return;
  if (line[0] == '[') {
    SectionHeader(parser, line);
    return;
  }
  if (parser.section == Section::Unknown) return; // its header was reported already
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos || equals == 0) {
    parser.Problem("expected key = value");
    return;
  }
  const std::string key = Upper(Trim(line.substr(0, equals)));
  const std::string value = Trim(line.substr(equals + 1));
  switch (parser.section) {
  case Section::Sim: SimKey(parser, key, value); break;
  case Section::System: SystemKey(parser, key, value); break;
  default:
    parser.Problem("'" + key + "' stands before any section ([sim] or [system NAME])");
    break;
  }
}

} // namespace

Landscape ParseLandscape(const std::string &text, const std::string &file_name) {
  Parser parser;
  parser.file_name = file_name;
  parser.landscape.found = true;
  std::size_t begin = ByteOrderMarkLength(text);
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++parser.line_number;
    ParseLine(parser, line);
    begin = end + 1;
  }
  FinishSystem(parser);
  return parser.landscape;
}

Landscape LoadLandscape(const std::string &folder) {
  const std::string path = InFolder(folder, kLandscapeFileName);
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    Landscape missing;
    missing.path = path;
    return missing;
  }
  std::ostringstream content;
  content << file.rdbuf();
  Landscape landscape = ParseLandscape(content.str(), kLandscapeFileName);
  landscape.path = path;
  return landscape;
}

const SapSystem *FindSystem(const Landscape &landscape, const std::string &destination) {
  const std::string wanted = Trim(destination);
  for (const SapSystem &system : landscape.systems)
    if (SameText(system.name, wanted)) return &system;
  return nullptr;
}

std::string SystemValue(const SapSystem &system, const std::string &name) {
  const auto value = system.values.find(name);
  return value == system.values.end() ? std::string() : value->second;
}

} // namespace quarlane::rfcsim
