#include <cstdint>
#include <cstdio>
#include <ctime>
#include <ostream>
#include <sstream>
#include <vector>

#include "check_tool.h"
#include "loadstats/task_types.h"
#include "output/plain_text.h"
#include "util/version.h"

namespace quarlane {

namespace {

std::string Milliseconds(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f ms", ms);
  return text;
}

std::string Ratio(std::uint64_t collector, std::uint64_t classic) {
  if (classic == 0) return collector == 0 ? "-" : "n/a";
  char text[32];
  std::snprintf(text, sizeof text, "%.3f",
                static_cast<double>(collector) / static_cast<double>(classic));
  return text;
}

std::string Column(const std::string &text, std::size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

// Today's counters per task type as the sensor counts them.
DayCounts Counts(const DayFigures &figures) { return CountTaskTypes(figures.rows); }

// A task type of the day's rows the sensor does not list (counted only into
// the day's total), with its steps.
struct UnlistedType {
  std::string name;
  std::uint64_t steps = 0;
};

std::vector<UnlistedType> Unlisted(const DayFigures &figures) {
  std::vector<UnlistedType> types;
  for (const SummaryRow &row : figures.rows) {
    if (IsKnownTypeText(row.type_text)) continue;
    std::string name = row.type_text;
    name.erase(name.find_last_not_of(' ') + 1);
    UnlistedType *same = nullptr;
    for (UnlistedType &type : types)
      if (type.name == name) same = &type;
    if (same == nullptr) types.push_back(UnlistedType{name, 0});
    (same ? *same : types.back()).steps += row.counters.count;
  }
  return types;
}

void WriteFigures(const std::string &module, const DayFigures &figures, std::ostream &out) {
  out << "\nToday's figures from " << module << " (times in ms, as the sensor reads them):\n";
  out << "  " << Column("type", 9) << Column("steps", 12) << Column("response", 14)
      << Column("avg/step", 10) << Column("CPU", 12) << Column("DB time", 12) << "DB accesses\n";
  const DayCounts counts = Counts(figures);
  for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
    const TaskCounters &c = counts.types[type];
    if (c.count == 0 && c.resp_time == 0) continue;
    out << "  " << Column(TrimmedKey(type), 9) << Column(std::to_string(c.count), 12)
        << Column(std::to_string(c.resp_time), 14)
        << Column(c.count ? std::to_string(c.resp_time / c.count) : "-", 10)
        << Column(std::to_string(c.cpu_time), 12) << Column(std::to_string(c.db_time), 12)
        << c.db_accesses << "\n";
  }
  out << "  all steps of the day " << counts.total_count
      << " (of types the sensor does not list: " << counts.others_count << ")\n";
  const std::vector<UnlistedType> unlisted = Unlisted(figures);
  if (unlisted.empty()) return;
  out << "  types the sensor does not list (docs/nwrfc.md, task types):";
  for (const UnlistedType &type : unlisted)
    out << " " << type.name << " " << type.steps << " steps;";
  out << "\n";
}

// Instance and whole-system figures of the collector, side by side.
void WriteWholeSystem(const CheckResult &result, std::ostream &out) {
  const DayFigures &instance = result.whole_system ? result.collector_other : result.collector;
  const DayFigures &total = result.whole_system ? result.collector : result.collector_other;
  out << "\nThe logon instance and the whole system (COMPONENT TOTAL) from "
         "SWNC_COLLECTOR_GET_AGGREGATES"
      << " (the sensor reads " << (result.whole_system ? "the whole system" : "the instance")
      << ", COLLECTOR_COMPONENT):\n";
  out << "  " << Column("type", 9) << Column("steps inst.", 13) << Column("steps total", 13)
      << Column("resp. inst.", 13) << "resp. total\n";
  const DayCounts a = Counts(instance), b = Counts(total);
  for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
    if (a.types[type].count == 0 && b.types[type].count == 0) continue;
    out << "  " << Column(TrimmedKey(type), 9) << Column(std::to_string(a.types[type].count), 13)
        << Column(std::to_string(b.types[type].count), 13)
        << Column(std::to_string(a.types[type].resp_time), 13) << b.types[type].resp_time << "\n";
  }
  out << "  all steps of the day " << a.total_count << " (instance), " << b.total_count
      << " (total)" << (total.rows.empty() ? "; the whole system has no figures for today" : "")
      << "\n";
}

void WriteSideBySide(const CheckResult &result, std::ostream &out) {
  out << "\nBoth workload modules, side by side (collector : classic):\n";
  out << "  " << Column("type", 9) << Column("steps classic", 15) << Column("steps coll.", 13)
      << Column("ratio", 8) << Column("resp. classic", 15) << Column("resp. coll.", 13)
      << "ratio\n";
  const DayCounts classic = Counts(result.classic), collector = Counts(result.collector);
  for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
    const TaskCounters &a = classic.types[type], &b = collector.types[type];
    if (a.count == 0 && b.count == 0) continue;
    out << "  " << Column(TrimmedKey(type), 9) << Column(std::to_string(a.count), 15)
        << Column(std::to_string(b.count), 13) << Column(Ratio(b.count, a.count), 8)
        << Column(std::to_string(a.resp_time), 15) << Column(std::to_string(b.resp_time), 13)
        << Ratio(b.resp_time, a.resp_time) << "\n";
  }
}

void WriteSystem(const CheckResult &result, std::ostream &out) {
  out << "\nSystem: release " << result.release << ", kernel "
      << (result.kernel.empty() ? "?" : result.kernel) << ", host " << result.host << ", instance "
      << result.instance << ", date " << result.system_date << "\n";
  out << "\nFunction modules (S_RFC, activity 16, for this user):\n";
  for (const ModuleCheck &m : result.modules) {
    out << "  " << Column(m.name, 31) << m.state;
    if (m.name == result.serving) out << " - serves today's summary";
    if (!m.detail.empty() && m.state != module_state::kCallable) out << " - " << m.detail;
    out << "\n";
  }
  if (!result.collector_fields.empty()) {
    out << "\nRow fields of SWNC_COLLECTOR_GET_AGGREGATES-TASKTYPE as the system describes them"
           " (the bridge reads those the sensor uses and skips the others):\n";
    for (const nwrfc::FieldShape &f : result.collector_fields)
      out << "  " << Column(f.name, 18) << Column(f.type, 6) << f.length
          << (f.decimals ? " decimals " + std::to_string(f.decimals) : "")
          << (result.collector_read.count(f.name) ? "" : " - skipped") << "\n";
  }
}

// The code points of UTF-8 text (as PrintableUtf8Text makes it: well-formed).
std::vector<std::uint32_t> CodePoints(const std::string &utf8) {
  std::vector<std::uint32_t> points;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    std::uint32_t point = length == 1   ? c
                          : length == 2 ? (c & 0x1Fu)
                          : length == 3 ? (c & 0x0Fu)
                                        : (c & 0x07u);
    for (int k = 1; k < length && i + k < utf8.size(); ++k)
      point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    points.push_back(point);
    i += static_cast<std::size_t>(length);
  }
  return points;
}

void AppendEscape(std::string &quoted, std::uint32_t unit) {
  char escape[16];
  std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
  quoted += escape;
}

// A JSON string in ASCII: the text made UTF-8 as the report's text is
// (Windows-1252 bytes read as such, control characters "?"), every
// character beyond ASCII a \u escape of its code point (a surrogate pair
// beyond U+FFFF), so "\xe2\x82\xac" and the Windows-1252 byte 0x80 are both
// "\u20ac".
std::string Json(const std::string &text) {
  std::string quoted = "\"";
  for (const std::uint32_t c : CodePoints(PrintableUtf8Text(text))) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c < 0x20 || c == 0x7F) {
      AppendEscape(quoted, c); // none after PrintableUtf8Text; kept for safety
    } else if (c < 0x80) {
      quoted += static_cast<char>(c);
    } else if (c < 0x10000) {
      AppendEscape(quoted, c);
    } else {
      AppendEscape(quoted, 0xD800 + ((c - 0x10000) >> 10));
      AppendEscape(quoted, 0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return quoted + "\"";
}

void JsonFigures(const char *name, const DayFigures &figures, std::ostream &out) {
  out << ",\n  " << Json(name) << ": {\"answered\": " << (figures.answered ? "true" : "false")
      << ", \"types\": [";
  const DayCounts counts = Counts(figures);
  bool first = true;
  for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
    const TaskCounters &c = counts.types[type];
    if (c.count == 0 && c.resp_time == 0) continue;
    out << (first ? "" : ", ") << "{\"type\": " << Json(TrimmedKey(type))
        << ", \"steps\": " << c.count << ", \"response_ms\": " << c.resp_time
        << ", \"cpu_ms\": " << c.cpu_time << ", \"db_ms\": " << c.db_time
        << ", \"db_accesses\": " << c.db_accesses << "}";
    first = false;
  }
  out << "], \"unlisted\": [";
  first = true;
  for (const UnlistedType &type : Unlisted(figures)) {
    out << (first ? "" : ", ") << "{\"type\": " << Json(type.name) << ", \"steps\": " << type.steps
        << "}";
    first = false;
  }
  out << "], \"all_steps\": " << counts.total_count << "}";
}

} // namespace

// The time as ISO 8601 in UTC: "2026-03-05T09:04:00Z".
std::string IsoUtc(std::time_t time) {
  std::tm utc{};
#if defined(_WIN32)
  gmtime_s(&utc, &time);
#else
  gmtime_r(&time, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string CaptureLine(const CaptureNote &capture) {
  if (!capture.problem.empty()) return "not written to " + capture.file + ": " + capture.problem;
  return "written to " + capture.file + " (no password; user, host and system names " +
         (capture.keep_names ? "kept" : "replaced by placeholders") + ")";
}

std::string VerdictWord(Verdict verdict) {
  switch (verdict) {
#define QUARLANE_VERDICT_WORD(name, status, word)                                                  \
  case Verdict::name: return word;
    QUARLANE_CHECK_VERDICTS(QUARLANE_VERDICT_WORD)
#undef QUARLANE_VERDICT_WORD
  }
  return "";
}

void WriteTextReport(const CheckResult &result, std::ostream &report) {
  // Written whole at the end: every text in it (an SDK message, a profile's
  // field) is shown UTF-8 and without control characters.
  std::ostringstream out;
  out << "quarlane-nwrfc-check " << result.destination << "\n\nSteps:\n";
  for (const CheckStep &step : result.steps)
    out << "  " << (step.ok ? "ok    " : "FAIL  ") << Column(step.name, 52)
        << Column(Milliseconds(step.milliseconds), 9) << step.detail << "\n";
  if (!result.release.empty() || !result.system_date.empty()) WriteSystem(result, out);
  if (!result.serving.empty())
    WriteFigures(result.serving,
                 result.serving == "SAPWL_WORKLOAD_GET_SUMMARY" ? result.classic : result.collector,
                 out);
  if (!result.classic.rows.empty() && !result.collector.rows.empty()) WriteSideBySide(result, out);
  if (result.collector.answered && result.collector_other.answered) WriteWholeSystem(result, out);
  if (!result.capture.file.empty()) out << "\nCapture: " << CaptureLine(result.capture);
  out << "\nVerdict: " << VerdictWord(result.verdict)
      << (result.verdict == Verdict::Ok ? ": the sensor will work against this system"
                                        : ": " + result.verdict_text)
      << " (exit status " << static_cast<int>(result.verdict) << ")\n";
  report << PrintableUtf8Text(out.str());
}

void WriteJsonReport(const CheckResult &result, std::ostream &out) {
  out << "{\n  \"tool\": " << Json("quarlane-nwrfc-check")
      << ",\n  \"version\": " << Json(BuildVersion())
      << ",\n  \"checked_at\": " << Json(IsoUtc(result.checked_at))
      << ",\n  \"destination\": " << Json(result.destination)
      << ",\n  \"verdict\": " << Json(VerdictWord(result.verdict))
      << ",\n  \"exit_status\": " << static_cast<int>(result.verdict)
      << ",\n  \"reason\": " << Json(result.verdict_text)
      << ",\n  \"sdk\": {\"path\": " << Json(result.sdk_path)
      << ", \"version\": " << Json(result.sdk_version)
      << "},\n  \"system\": {\"release\": " << Json(result.release)
      << ", \"kernel\": " << Json(result.kernel) << ", \"host\": " << Json(result.host)
      << ", \"instance\": " << Json(result.instance) << ", \"date\": " << Json(result.system_date)
      << "},\n  \"steps\": [";
  for (std::size_t i = 0; i < result.steps.size(); ++i) {
    const CheckStep &s = result.steps[i];
    out << (i ? ",\n    " : "\n    ") << "{\"step\": " << Json(s.name)
        << ", \"ok\": " << (s.ok ? "true" : "false")
        << ", \"ms\": " << static_cast<long>(s.milliseconds + 0.5)
        << ", \"detail\": " << Json(s.detail) << "}";
  }
  out << "],\n  \"modules\": [";
  for (std::size_t i = 0; i < result.modules.size(); ++i) {
    const ModuleCheck &m = result.modules[i];
    out << (i ? ", " : "") << "{\"name\": " << Json(m.name) << ", \"state\": " << Json(m.state)
        << ", \"serves_summary\": " << (m.name == result.serving ? "true" : "false")
        << ", \"detail\": " << Json(m.detail) << "}";
  }
  out << "],\n  \"collector_fields\": [";
  for (std::size_t i = 0; i < result.collector_fields.size(); ++i) {
    const nwrfc::FieldShape &f = result.collector_fields[i];
    out << (i ? ", " : "") << "{\"name\": " << Json(f.name) << ", \"type\": " << Json(f.type)
        << ", \"length\": " << f.length << ", \"decimals\": " << f.decimals
        << ", \"read\": " << (result.collector_read.count(f.name) ? "true" : "false") << "}";
  }
  out << "]";
  if (!result.capture.file.empty())
    out << ",\n  \"capture\": {\"file\": " << Json(result.capture.file)
        << ", \"written\": " << (result.capture.problem.empty() ? "true" : "false")
        << ", \"names\": " << Json(result.capture.keep_names ? "kept" : "replaced")
        << ", \"problem\": " << Json(result.capture.problem) << "}";
  JsonFigures("classic", result.classic, out);
  JsonFigures("collector", result.collector, out);
  out << ",\n  \"collector_component\": " << Json(result.whole_system ? "TOTAL" : "instance");
  JsonFigures(result.whole_system ? "collector_instance" : "collector_total",
              result.collector_other, out);
  out << "\n}\n";
}

} // namespace quarlane
