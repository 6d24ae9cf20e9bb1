#include "nwrfc/collector.h"

#include <algorithm>
#include <cstdio>

#include "nwrfc/decimal.h"
#include "nwrfc/text.h"

namespace quarlane::nwrfc {

const char kClassicSummary[] = "SAPWL_WORKLOAD_GET_SUMMARY";
const char kCollectorFunction[] = "SWNC_COLLECTOR_GET_AGGREGATES";
const char kWholeSystem[] = "TOTAL";

// The codes named in issue 12's list of the collector's raw task types (see
// docs/nwrfc.md for what public sources confirm of them).
const std::vector<CollectorTaskType> &CollectorTaskTypes() {
  static const std::vector<CollectorTaskType> types = {
      {0x01, "DIALOG"},  {0x02, "UPDATE"},  {0x03, "SPOOL"},         {0x04, "BCKGRD"},
      {0x05, "ENQUEUE"}, {0x06, "BUF.SYN"}, {0x07, "AUTOABAP"},      {0x08, "UPDATE2"},
      {0x0B, "AUTOTH"},  {0x0C, "RPCTH"},   {0x0E, "DDLOG CLEANUP"}, {0x0F, "DEL. THCALL"},
      {0x65, "HTTP"},    {0x66, "HTTPS"},   {0xFE, "RFC"},
  };
  return types;
}

namespace {

// A classic field the collector may lack, made from its sources: one source
// is copied, several are added up.
struct DerivedField {
  const char *name;
  std::vector<const char *> sources;
};

const std::vector<DerivedField> &DerivedFields() {
  static const std::vector<DerivedField> fields = {
      {"ROLLTI", {"ROLLWAITTI"}},
      {"DBACTIVCNT", {"READDIRCNT", "READSEQCNT", "CHNGCNT"}},
  };
  return fields;
}

unsigned char CodeOf(const std::string &hex) {
  unsigned value = 0;
  for (std::size_t i = 0; i < hex.size() && i < 2; ++i) {
    const char c = hex[i];
    unsigned digit = 0;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    value = value * 16 + digit;
  }
  return static_cast<unsigned char>(value);
}

Decimal NumberOf(const FieldValues &row, const char *name, bool *found) {
  const auto field = row.find(name);
  Decimal value;
  if (field == row.end() || !field->second.numeric) return value;
  if (ParseDecimal(field->second.text, &value)) *found = true;
  return value;
}

void AddDerivedFields(FieldValues &row) {
  for (const DerivedField &derived : DerivedFields()) {
    if (row.find(derived.name) != row.end()) continue;
    if (derived.sources.size() == 1) {
      const auto source = row.find(derived.sources.front());
      if (source != row.end()) row[derived.name] = source->second;
      continue;
    }
    bool found = false;
    Decimal sum;
    for (const char *name : derived.sources) sum = Add(sum, NumberOf(row, name, &found));
    if (found) row[derived.name] = RowField{true, DecimalText(sum)};
  }
}

} // namespace

bool IsRelease700OrLater(const std::string &rfcsaprl) {
  const std::string release = Trim(rfcsaprl);
  if (release.size() < 3) return false;
  unsigned number = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (release[i] < '0' || release[i] > '9') return false;
    number = number * 10 + static_cast<unsigned>(release[i] - '0');
  }
  return number >= 700;
}

std::string ClassicTaskTypeName(unsigned char code) {
  // The classic name is the collector's cut to SAPWLSUMRY-TASKTYPE's 7 characters.
  for (const CollectorTaskType &type : CollectorTaskTypes())
    if (type.code == code) return std::string(type.name).substr(0, 7);
  char text[8];
  std::snprintf(text, sizeof text, "TT#%02X", static_cast<unsigned>(code));
  return text;
}

std::string NumberProblem(const std::string &name, const std::string &text) {
  Decimal value;
  if (!ParseDecimal(text, &value)) return "value \"" + OneLine(text) + "\" is not a number";
  if (value.negative) return "value \"" + OneLine(text) + "\" is negative";
  const bool counter = (name.size() >= 3 && name.compare(name.size() - 3, 3, "CNT") == 0) ||
                       (name.size() >= 5 && name.compare(name.size() - 5, 5, "COUNT") == 0);
  const std::size_t whole_digits =
      value.digits.size() > value.scale ? value.digits.size() - value.scale : 0;
  if (counter && value.digits.find_first_not_of('0', whole_digits) != std::string::npos)
    return "value \"" + OneLine(text) + "\" is not a whole count";
  return std::string();
}

CollectorQuery QueryFromClassic(const std::string &hostid, const std::string &instance,
                                const std::string &periodtype, const std::string &startdate) {
  CollectorQuery query;
  query.component = Trim(instance);
  if (query.component.empty()) query.component = Trim(hostid);
  query.selects_nothing = query.component.empty();
  query.periodtype = Trim(periodtype).empty() ? "D" : Trim(periodtype);
  query.periodstrt = Trim(startdate);
  return query;
}

CollectorQuery WholeSystem(CollectorQuery query) {
  query.component = kWholeSystem;
  query.selects_nothing = false;
  return query;
}

std::set<std::string> FieldsToRead(const std::vector<std::string> &wanted,
                                   const std::vector<std::string> &described) {
  const std::set<std::string> has(described.begin(), described.end());
  std::set<std::string> read = {"TASKTYPE"};
  for (const std::string &name : wanted)
    if (has.count(name) != 0) read.insert(name);
  for (const DerivedField &derived : DerivedFields()) {
    const bool wanted_here = std::find(wanted.begin(), wanted.end(), derived.name) != wanted.end();
    if (!wanted_here || has.count(derived.name) != 0) continue;
    for (const char *source : derived.sources)
      if (has.count(source) != 0) read.insert(source);
  }
  return read;
}

bool ParseSystemClock(const std::string &lastcollwrt, std::string *day, unsigned *minutes) {
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const std::string text = Trim(lastcollwrt);
  // "Www Mmm dd hh:mm:ss yyyy", the day blank-padded, as asctime writes it.
  if (text.size() != 24 || text[3] != ' ' || text[7] != ' ' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':' || text[19] != ' ')
    return false;
  const std::size_t month = std::string(kMonths).find(text.substr(4, 3));
  if (month == std::string::npos || month % 3 != 0) return false;
  const std::string digits =
      text.substr(8, 2) + text.substr(11, 2) + text.substr(14, 2) + text.substr(20, 4);
  for (std::size_t i = 0; i < digits.size(); ++i)
    if (!(digits[i] >= '0' && digits[i] <= '9') && !(i == 0 && digits[i] == ' ')) return false;
  const unsigned hours = static_cast<unsigned>(std::stoul(text.substr(11, 2)));
  const unsigned mins = static_cast<unsigned>(std::stoul(text.substr(14, 2)));
  if (hours > 23 || mins > 59) return false;
  char month_day[5];
  std::snprintf(month_day, sizeof month_day, "%02u%02u", static_cast<unsigned>(month / 3 + 1),
                static_cast<unsigned>(std::stoul(Trim(text.substr(8, 2)))));
  *day = text.substr(20, 4) + month_day;
  *minutes = hours * 60 + mins;
  return true;
}

bool NoDataIsEmptyDay(const std::string &lastcollwrt, const std::string &asked_day,
                      unsigned grace_minutes) {
  std::string day;
  unsigned minutes = 0;
  if (!ParseSystemClock(lastcollwrt, &day, &minutes)) return false;
  return day == Trim(asked_day) && minutes < grace_minutes;
}

std::string NoDataMessage(const std::string &function, const std::string &asked_day,
                          unsigned grace_minutes) {
  return "NO_DATA_FOUND: " + function + " has no workload figures of " + Trim(asked_day) +
         ", later than " + std::to_string(grace_minutes) +
         " minutes after the system's midnight: the likely cause is that the hourly collector job "
         "SAP_COLLECTOR_FOR_PERFMONITOR (report RSCOLL00, client 000) is not running; check it in "
         "SM37";
}

std::vector<FieldValues> MapTaskTypeRows(const std::vector<FieldValues> &rows) {
  std::vector<FieldValues> classic;
  for (const FieldValues &source : rows) {
    FieldValues row = source;
    const auto code = source.find("TASKTYPE");
    row["TASKTYPE"] =
        RowField{false, ClassicTaskTypeName(code == source.end() ? 0 : CodeOf(code->second.text))};
    AddDerivedFields(row);

    FieldValues *same = nullptr;
    for (FieldValues &candidate : classic)
      if (candidate["TASKTYPE"].text == row["TASKTYPE"].text) same = &candidate;
    if (same == nullptr) {
      classic.push_back(row);
      continue;
    }
    for (const auto &[name, field] : row) {
      if (!field.numeric) continue;
      RowField &total = (*same)[name];
      Decimal a, b;
      if (!total.numeric) {
        total = field;
      } else if (ParseDecimal(total.text, &a) && ParseDecimal(field.text, &b)) {
        total.text = DecimalText(Add(a, b));
      }
    }
  }
  return classic;
}

} // namespace quarlane::nwrfc
