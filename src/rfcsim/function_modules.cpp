#include "rfcsim/function_modules.h"

#include <cstdint>
#include <cstring>

#include "rfcsim/packed.h"
#include "rfcsim/sim_time.h"
#include "rfcsim/text.h"
#include "rfcsim/workload.h"

namespace quarlane::rfcsim {

namespace {

const char kGetCpuAll[] = "GET_CPU_ALL";
const char kSystemInfo[] = "RFC_SYSTEM_INFO";
const char kWorkloadSummary[] = "SAPWL_WORKLOAD_GET_SUMMARY";

const char *const kCpuImporting[] = {"ACTIVEFLAG",     "DETAILSCOLL", "DETAILSMODE", "DETAILSREQI",
                                     "F_CPU_ALL_READ", "INTERVAL",    "LASTCOLLINT", "LASTCOLLWRT",
                                     "NORMCOLLINT",    "OP_SYSTEM"};
const char *const kInfoImporting[] = {"CURRENT_RESOURCES", "DIALOG_USER_TYPE", "MAXIMAL_RESOURCES",
                                      "RECOMMENDED_DELAY", "RFC_LOGIN_COMPLETE"};

template <std::size_t N> bool Contains(const char *const (&names)[N], const std::string &name) {
  for (const char *candidate : names)
    if (name == candidate) return true;
  return false;
}

std::string SentText(const SentValues &exporting, const char *name, const std::string &missing) {
  const auto sent = exporting.find(name);
  return sent == exporting.end() ? missing : sent->second.bytes;
}

std::string RfcsiText(const SapSystem &system) {
  RowValues values;
  for (const FieldLayout &field : RfcsiLayout().fields)
    values.texts[field.name] = SystemValue(system, field.name);
  const Row row = BuildRow(RfcsiLayout(), values);
  return std::string(row.begin(), row.end());
}

} // namespace

std::string EntryName(const void *name, unsigned nlen) {
  std::string text = FromBytes(name, nlen);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return Upper(text);
}

SentValues ReadExporting(const RFC_PARAMETER *list) {
  SentValues values;
  for (const RFC_PARAMETER *p = list; p != nullptr && p->name != nullptr; ++p)
    values[EntryName(p->name, p->nlen)] = SentValue{p->type, p->leng, FromBytes(p->addr, p->leng)};
  return values;
}

bool IsKnownFunction(const std::string &function) {
  return function == kGetCpuAll || function == kSystemInfo || function == kWorkloadSummary;
}

FunctionTable TableOf(const std::string &function) {
  if (function == kGetCpuAll) return {"TF_CPU_ALL", &CpuAllLayout()};
  if (function == kWorkloadSummary) return {"SUMMARY", &SapwlsumryLayout()};
  return {nullptr, nullptr};
}

std::vector<Row> AnswerRows(const SapSystem &system, const std::string &function,
                            const SentValues &exporting, std::time_t now) {
  std::vector<Row> rows;
  if (function == kGetCpuAll) {
    for (const RowValues &values : system.cpu_rows)
      rows.push_back(BuildRow(CpuAllLayout(), values));
  } else if (function == kWorkloadSummary) {
    WorkloadQuery query;
    query.hostid = SentText(exporting, "HOSTID", "");
    query.instance = SentText(exporting, "INSTANCE", "");
    query.periodtype = SentText(exporting, "PERIODTYPE", "D");
    query.startdate = SentText(exporting, "STARTDATE", DayText(now, 0));
    for (const RowValues &values : SelectWorkload(system, query, now))
      rows.push_back(BuildRow(SapwlsumryLayout(), values));
  }
  return rows;
}

bool ImportingValue(const SapSystem &system, const std::string &function, const std::string &name,
                    std::time_t now, std::string *value) {
  if (function == kGetCpuAll && Contains(kCpuImporting, name)) {
    *value = SystemValue(system, name);
    if (name == "LASTCOLLWRT" && SameText(*value, "now")) *value = TimeStampText(now);
    return true;
  }
  if (function == kSystemInfo && name == "RFCSI_EXPORT") {
    *value = RfcsiText(system);
    return true;
  }
  if (function == kSystemInfo && Contains(kInfoImporting, name)) {
    *value = SystemValue(system, name);
    return true;
  }
  return false;
}

void WriteImporting(const std::string &value, RFC_TYPEHANDLE type, unsigned leng, void *addr) {
  if (addr == nullptr || leng == 0) return;
  unsigned char *out = static_cast<unsigned char *>(addr);
  std::int64_t number = 0;
  if (type == RFCTYPE_INT || type == RFCTYPE_INT2 || type == RFCTYPE_BCD) {
    if (!ParseInteger(Trim(value), &number)) number = 0;
  }
  if (type == RFCTYPE_INT || type == RFCTYPE_INT2) {
    unsigned char native[4] = {0, 0, 0, 0};
    unsigned size = 4;
    if (type == RFCTYPE_INT) {
      const std::uint32_t bits = static_cast<std::uint32_t>(number);
      std::memcpy(native, &bits, sizeof bits);
    } else {
      const std::uint16_t bits = static_cast<std::uint16_t>(number);
      std::memcpy(native, &bits, sizeof bits);
      size = 2;
    }
    std::memset(out, 0, leng);
    std::memcpy(out, native, leng < size ? leng : size);
    return;
  }
  if (type == RFCTYPE_BCD) {
    std::memset(out, 0, leng);
    EncodePacked(ClampToPacked(number, leng), leng, out);
    return;
  }
  const std::string text = PadRight(value, leng);
  std::memcpy(out, text.data(), leng);
}

} // namespace quarlane::rfcsim
