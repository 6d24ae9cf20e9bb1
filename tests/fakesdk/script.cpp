#include "script.h"

#include <sstream>

#include "nwrfc/sdk_words.h"
#include "platform/byte_order_mark.h"
#include "text.h"

namespace fakesdk {

namespace {

struct Problem {
  int line;
  std::string text;
};

// The defaults of RFCSI and of the scalar exporting parameters; a script
// sets any of them by name. RFCDEST, RFCHOST, RFCSYSID, RFCSAPRL and the
// database names follow other keys unless set themselves.
const std::map<std::string, std::string> &Defaults() {
  static const std::map<std::string, std::string> defaults = {
      {"RFCPROTO", "011"},
      {"RFCCHARTYP", "4103"},
      {"RFCINTTYP", "LIT"},
      {"RFCFLOTYP", "IE3"},
      {"RFCDBSYS", "FAKEDB"},
      {"RFCMACH", "  390"},
      {"RFCOPSYS", "Linux"},
      {"RFCTZONE", "     0"},
      {"RFCDAYST", ""},
      {"RFCIPADDR", "127.0.0.1"},
      {"RFCKERNRL", "753"},
      {"RFCSI_RESV", "fake NetWeaver RFC SDK: no real SAP system"},
      {"LASTCOLLWRT", "now"},
      {"ACTIVEFLAG", "1"},
      {"DETAILSCOLL", "0"},
      {"DETAILSMODE", "0"},
      {"DETAILSREQI", "0"},
      {"F_CPU_ALL_READ", "X"},
      {"INTERVAL", "10"},
      {"LASTCOLLINT", "10"},
      {"NORMCOLLINT", "10"},
      {"OP_SYSTEM", "Linux (fake NetWeaver RFC SDK)"},
      {"CURRENT_RESOURCES", "5"},
      {"MAXIMAL_RESOURCES", "10"},
      {"RECOMMENDED_DELAY", "0"},
      {"DIALOG_USER_TYPE", ""},
      {"RFC_LOGIN_COMPLETE", "X"},
  };
  return defaults;
}

// A settable value: a field of RFCSI or a scalar exporting parameter of
// GET_CPU_ALL or RFC_SYSTEM_INFO. Gives the value's description.
bool SettableValue(const std::string &name, Value *shape) {
  if (const TypeDesc *rfcsi = FindType("RFCSI")) {
    if (const FieldDesc *field = FindField(*rfcsi, name)) {
      shape->type = field->type;
      shape->length = field->nuc_length;
      return true;
    }
  }
  for (const char *function : {kCpuAll, kSystemInfo}) {
    const ParameterDesc *parameter = FindParameter(*FindFunction(function), name);
    if (parameter && parameter->direction == kExport && parameter->type != kStructure) {
      shape->type = parameter->type;
      shape->length = parameter->nuc_length;
      return true;
    }
  }
  return false;
}

bool IsDay(const std::string &day) {
  if (day == "today") return true;
  std::int64_t back = 0;
  if (day.compare(0, 6, "today-") == 0)
    return ParseInteger(day.substr(6), &back) && back >= 0 && back < 100000;
  if (day.size() != 8) return false;
  for (char c : day)
    if (c < '0' || c > '9') return false;
  return true;
}

// A row from its words: day= and the place word (instance= or component=)
// when the table has them, then FIELD=value for fields of the row type.
bool ParseRow(const std::vector<std::string> &words, const TypeDesc &type, const char *place_word,
              ScriptRow *row, std::string *problem) {
  auto container = NewStructure(type);
  for (const std::string &word : words) {
    std::string key, value;
    if (!SplitAssignment(word, &key, &value)) {
      *problem = "'" + word + "' is not FIELD=value";
      return false;
    }
    if (place_word && SameText(key, "day")) {
      if (!IsDay(value)) {
        *problem = "day '" + value + "' is not today, today-N or YYYYMMDD";
        return false;
      }
      row->day = value;
      continue;
    }
    if (place_word && SameText(key, place_word)) {
      row->place = value;
      continue;
    }
    Value *target = FindValue(*container, key);
    if (target == nullptr) {
      *problem = type.name + " has no field " + key;
      return false;
    }
    if (target->set) {
      *problem = "field " + key + " is given twice";
      return false;
    }
    std::string why;
    if (!AssignText(*target, FromUtf8(value), &why)) {
      *problem = key + ": " + why;
      return false;
    }
  }
  row->row = std::move(container);
  return true;
}

bool ParseFailure(const std::vector<std::string> &words, Failure *failure, std::string *problem) {
  std::size_t at = 0;
  if (words.empty()) {
    *problem = "fail needs a step: open, describe FUNCTION or invoke FUNCTION";
    return false;
  }
  const std::string site = words[at++];
  if (SameText(site, "open")) {
    failure->site = Failure::Site::kOpen;
  } else if (SameText(site, "describe") || SameText(site, "invoke")) {
    failure->site = SameText(site, "describe") ? Failure::Site::kDescribe : Failure::Site::kInvoke;
    if (at >= words.size()) {
      *problem = "fail " + site + " needs a function module name (or *)";
      return false;
    }
    failure->function = Upper(words[at++]);
  } else {
    *problem = "unknown step '" + site + "' (open, describe, invoke)";
    return false;
  }
  bool have_kind = false, have_group = false;
  for (; at < words.size(); ++at) {
    const std::string &word = words[at];
    std::string key, value;
    const bool assignment = SplitAssignment(word, &key, &value);
    Failure::Kind kind = Failure::Kind::kCommunication;
    bool is_kind = true;
    if (SameText(word, "logon"))
      kind = Failure::Kind::kLogon;
    else if (SameText(word, "communication"))
      kind = Failure::Kind::kCommunication;
    else if (SameText(word, "runtime"))
      kind = Failure::Kind::kRuntime;
    else if (SameText(word, "hang"))
      kind = Failure::Kind::kHang;
    else if (assignment && SameText(key, "exception"))
      kind = Failure::Kind::kException;
    else if (assignment && SameText(key, "code"))
      kind = Failure::Kind::kError;
    else
      is_kind = false;
    if (is_kind) {
      if (have_kind) {
        *problem = "a fail line names one kind of failure";
        return false;
      }
      have_kind = true;
      failure->kind = kind;
      if (kind == Failure::Kind::kException) {
        if (value.empty()) {
          *problem = "exception= needs a name";
          return false;
        }
        failure->key = Upper(value);
      }
      if (kind == Failure::Kind::kError &&
          !quarlane::nwrfc::RcOfName(Upper(value), &failure->code)) {
        *problem = "code= takes a return code's name (RFC_EXTERNAL_FAILURE, ...)";
        return false;
      }
      continue;
    }
    if (assignment && SameText(key, "message")) {
      failure->message = FromUtf8(value);
    } else if (assignment && SameText(key, "key")) {
      failure->key = value;
    } else if (assignment && SameText(key, "group")) {
      if (!quarlane::nwrfc::GroupOfName(Upper(value), &failure->group)) {
        *problem = "group= takes an error group's name (COMMUNICATION_FAILURE, ...)";
        return false;
      }
      have_group = true;
    } else if (assignment && SameText(key, "seconds")) {
      std::int64_t seconds = 0;
      if (!ParseInteger(value, &seconds) || seconds < 0 || seconds > 86400) {
        *problem = "seconds= takes a whole number from 0 to 86400";
        return false;
      }
      failure->seconds = static_cast<int>(seconds);
    } else {
      *problem = "unknown word '" + word + "' in a fail line";
      return false;
    }
  }
  if (!have_kind) {
    *problem =
        "a fail line needs a kind: logon, communication, exception=NAME, runtime, hang or code=RC";
    return false;
  }
  if ((failure->kind == Failure::Kind::kError) != have_group) {
    *problem = "code= and group= go together";
    return false;
  }
  if (failure->kind == Failure::Kind::kError && failure->code == 0) {
    *problem = "code= needs a code other than RFC_OK";
    return false;
  }
  if (failure->kind == Failure::Kind::kLogon && failure->site != Failure::Site::kOpen) {
    *problem = "a logon failure happens at the open only";
    return false;
  }
  if (failure->site == Failure::Site::kOpen &&
      (failure->kind == Failure::Kind::kException || failure->kind == Failure::Kind::kRuntime ||
       failure->kind == Failure::Kind::kError)) {
    *problem = "the open fails with logon, communication or hang only";
    return false;
  }
  if (failure->kind == Failure::Kind::kException && failure->site != Failure::Site::kInvoke) {
    *problem = "an ABAP exception happens at an invoke only";
    return false;
  }
  return true;
}

// Which collector a release has when the script does not list its modules:
// the classic module up to 6.x, only the new collector from 7.00 on.
std::set<std::string> DefaultModules(const std::string &release) {
  int number = 0, digits = 0;
  for (char c : release) {
    if (c < '0' || c > '9' || digits == 3) break;
    number = number * 10 + (c - '0');
    ++digits;
  }
  const bool new_collector = digits == 3 && number >= 700;
  return {kSystemInfo, kCpuAll, new_collector ? kCollectorAggregates : kWorkloadSummary};
}

// A switch line; false when `key` is no switch, *problem set for a value it
// does not take.
bool ParseSwitch(const std::string &key, const std::string &value, Scenario *scenario,
                 std::string *problem) {
  struct Switch {
    const char *key, *off, *on;
    bool Scenario::*flag;
  };
  static const Switch switches[] = {
      {"ABAP_ERROR", "keeps", "closes", &Scenario::abap_error_closes},
      {"CANCEL_IN_DESCRIBE", "honoured", "ignored", &Scenario::cancel_ignored_in_describe}};
  for (const Switch &each : switches) {
    if (key != each.key) continue;
    if (!SameText(value, each.off) && !SameText(value, each.on))
      *problem = std::string(each.key) + " takes " + each.off + " or " + each.on;
    scenario->*each.flag = SameText(value, each.on);
    return true;
  }
  return false;
}

bool IsTwoDigits(const std::string &text) {
  return text.size() == 2 && text[0] >= '0' && text[0] <= '9' && text[1] >= '0' && text[1] <= '9';
}

} // namespace

bool ParseScenario(const std::string &text, const std::string &file, const std::string &host,
                   Scenario *scenario, std::string *problem) {
  Scenario result;
  result.file = file;
  result.host = host;
  std::string release;
  bool modules_given = false;
  std::vector<Problem> problems;

  const std::string content = quarlane::WithoutByteOrderMark(text);
  std::istringstream lines(content);
  std::string line;
  int number = 0;
  std::set<std::string> seen;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#' || trimmed[0] == ';') continue;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string::npos) {
      problems.push_back({number, "not a 'key = value' line"});
      continue;
    }
    const std::string key = Upper(Trim(trimmed.substr(0, equals)));
    std::string value = Trim(trimmed.substr(equals + 1));
    const bool repeatable = key == "CPU" || key == "SUMMARY" || key == "AGGREGATE" || key == "FAIL";
    if (!repeatable && !seen.insert(key).second) {
      problems.push_back({number, "key " + key + " is given twice"});
      continue;
    }
    std::vector<std::string> words;
    std::string why;
    if (!SplitWords(value, &words, &why)) {
      problems.push_back({number, why});
      continue;
    }
    // A single value may be quoted to keep its blanks.
    const std::string single =
        words.size() == 1 ? words[0] : (words.empty() ? std::string() : value);

    if (key == "SYSNR") {
      if (!IsTwoDigits(single)) problems.push_back({number, "sysnr takes two digits, 00 to 99"});
      result.sysnr = single;
    } else if (key == "CLIENT") {
      result.client = single;
    } else if (key == "USER") {
      result.user = single;
    } else if (key == "PASSWD" || key == "PASSWORD") {
      result.passwd = single;
    } else if (key == "SYSID") {
      result.sysid = single;
    } else if (key == "GROUPS") {
      for (const std::string &group : words) result.groups.push_back(Upper(group));
    } else if (key == "RELEASE") {
      release = single;
      result.values["RFCSAPRL"] = FromUtf8(single);
    } else if (key == "INSTANCE") {
      result.values["RFCDEST"] = FromUtf8(single);
    } else if (key == "MODULES") {
      modules_given = true;
      for (const std::string &module : words) {
        if (!FindFunction(module))
          problems.push_back({number, "the fake knows no function module " + module});
        result.modules.insert(Upper(module));
      }
    } else if (key == "CPU" || key == "SUMMARY" || key == "AGGREGATE") {
      const TypeDesc *type = FindType(key == "CPU"       ? "CPU_ALL"
                                      : key == "SUMMARY" ? "SAPWLSUMRY"
                                                         : "SWNCAGGTASKTYPE");
      const char *place = key == "CPU" ? nullptr : key == "SUMMARY" ? "instance" : "component";
      ScriptRow row;
      row.line = number;
      if (!ParseRow(words, *type, place, &row, &why)) {
        problems.push_back({number, why});
        continue;
      }
      (key == "CPU"       ? result.cpu
       : key == "SUMMARY" ? result.summary
                          : result.aggregates)
          .push_back(row);
    } else if (key == "FAIL") {
      Failure failure;
      failure.line = number;
      if (!ParseFailure(words, &failure, &why))
        problems.push_back({number, why});
      else
        result.failures.push_back(failure);
    } else if (IsVariantKey(key)) {
      if (!SetVariant(key, single, &result.variant, &why)) problems.push_back({number, why});
    } else if (ParseSwitch(key, single, &result, &why)) {
      if (!why.empty()) problems.push_back({number, why});
    } else {
      Value shape;
      if (!SettableValue(key, &shape)) {
        problems.push_back({number, "unknown key " + key});
        continue;
      }
      if (!(key == "LASTCOLLWRT" && SameText(single, "now")) &&
          !(shape.type == kChar && single.empty())) {
        Value probe;
        probe.type = shape.type;
        probe.length = shape.length;
        probe.text.assign(shape.length, u' ');
        if (!AssignText(probe, FromUtf8(single), &why))
          problems.push_back({number, key + ": " + why});
      }
      result.values[key] = FromUtf8(single);
    }
  }
  for (const char *required : {"CLIENT", "USER", "PASSWD", "SYSID", "RELEASE"}) {
    const bool present =
        seen.count(required) || (std::string(required) == "PASSWD" && seen.count("PASSWORD"));
    if (!present) problems.push_back({0, std::string("the key ") + required + " is required"});
  }
  if (result.sysnr.empty() && !seen.count("GROUPS"))
    problems.push_back({0, "the key sysnr is required (or groups, for a message server)"});
  // Every field of RFCSI must fit, defaults and derived values included.
  if (const TypeDesc *rfcsi = FindType("RFCSI")) {
    auto probe = NewStructure(*rfcsi);
    for (std::size_t i = 0; i < probe->names.size(); ++i) {
      std::string why;
      if (!AssignText(probe->values[i], SystemValue(result, probe->names[i]), &why))
        problems.push_back({0, "RFCSI field " + probe->names[i] + ": " + why});
    }
  }
  if (!problems.empty()) {
    const Problem &first = problems.front();
    *problem = file + (first.line ? " line " + std::to_string(first.line) : std::string()) + ": " +
               first.text;
    return false;
  }
  if (!modules_given) result.modules = DefaultModules(release);
  *scenario = result;
  return true;
}

const Failure *PlannedFailure(const Scenario &scenario, Failure::Site site,
                              const std::string &function) {
  for (const Failure &failure : scenario.failures)
    if (failure.site == site && (site == Failure::Site::kOpen || failure.function == "*" ||
                                 SameText(failure.function, function)))
      return &failure;
  return nullptr;
}

std::u16string SystemValue(const Scenario &scenario, const std::string &name) {
  const std::string key = Upper(name);
  const auto given = scenario.values.find(key);
  if (given != scenario.values.end()) return given->second;
  if (key == "RFCHOST" || key == "RFCDBHOST") return FromUtf8(scenario.host.substr(0, 8));
  if (key == "RFCSYSID" || key == "RFCDATABS") return FromUtf8(scenario.sysid);
  if (key == "RFCDEST") return std::u16string();
  const auto fallback = Defaults().find(key);
  return fallback == Defaults().end() ? std::u16string() : FromUtf8(fallback->second);
}

} // namespace fakesdk
