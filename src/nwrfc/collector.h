// The 7.00+ workload collector behind SAPWL_WORKLOAD_GET_SUMMARY: when it is
// used, what SWNC_COLLECTOR_GET_AGGREGATES is asked, and how its TASKTYPE rows
// become the classic SAPWLSUMRY rows. docs/nwrfc.md has the table of every
// mapped field with its public source, and marks what is inferred.
#ifndef QUARLANE_NWRFC_COLLECTOR_H
#define QUARLANE_NWRFC_COLLECTOR_H

#include <map>
#include <set>
#include <string>
#include <vector>

namespace quarlane::nwrfc {

extern const char kClassicSummary[];    // "SAPWL_WORKLOAD_GET_SUMMARY"
extern const char kCollectorFunction[]; // "SWNC_COLLECTOR_GET_AGGREGATES"

// RFCSI_EXPORT-RFCSAPRL ("640", "700", "46C", "750 ") names release 7.00 or
// later: its first three characters are digits forming 700 or more.
bool IsRelease700OrLater(const std::string &rfcsaprl);

// The classic task type name (at most 7 characters, as SAPWLSUMRY-TASKTYPE
// holds it) for the collector's 1-byte raw code; "TT#xx" (xx the code in
// hex) for a code without a known name, so it never passes for a known type.
std::string ClassicTaskTypeName(unsigned char code);

// The task type codes the collector's names are known for, in code order,
// each with the collector's name (docs/nwrfc.md, "Task types").
struct CollectorTaskType {
  unsigned char code;
  const char *name;
};
const std::vector<CollectorTaskType> &CollectorTaskTypes();

// The COMPONENT of the whole system's aggregates.
extern const char kWholeSystem[]; // "TOTAL"

// The collector's parameters for the classic call's HOSTID, INSTANCE,
// PERIODTYPE and STARTDATE: COMPONENT is the instance ("TOTAL" for all) or,
// as releases up to 4.6 named it, HOSTID's instance name. With both blank the
// classic module selects no instance at all: `selects_nothing`, and the
// answer is an empty table without asking the collector.
struct CollectorQuery {
  bool selects_nothing = false;
  std::string component;
  std::string periodtype;
  std::string periodstrt;
};
CollectorQuery QueryFromClassic(const std::string &hostid, const std::string &instance,
                                const std::string &periodtype, const std::string &startdate);

// The same query for the whole system (COLLECTOR_COMPONENT = TOTAL): COMPONENT
// TOTAL, whatever instance the caller named.
CollectorQuery WholeSystem(CollectorQuery query);

// The collector fields worth reading for a classic row of `wanted` fields
// (the caller's SAPWLSUMRY layout) when the collector describes `described`:
// TASKTYPE, every wanted field the collector has, and the sources of a
// derived field (ROLLTI, DBACTIVCNT) that is wanted and the collector lacks.
// Every other field is skipped: neither read nor checked, so a field of a
// type the SDK cannot give as text, or a negative figure the sensor never
// uses, cannot fail the summary.
std::set<std::string> FieldsToRead(const std::vector<std::string> &wanted,
                                   const std::vector<std::string> &described);

// One row as read from the SDK: field name -> value as text (numbers in
// decimal, raw fields as hex digits).
struct RowField {
  bool numeric = false;
  std::string text;
};
using FieldValues = std::map<std::string, RowField>;

// The classic rows for the collector's TASKTYPE rows: one per classic task
// type, in order of first appearance; numbers of rows with the same type
// added up. Fields are copied by name; TASKTYPE is named from its code;
// ROLLTI falls back to ROLLWAITTI and DBACTIVCNT to READDIRCNT + READSEQCNT
// + CHNGCNT when the collector has no field of that name.
std::vector<FieldValues> MapTaskTypeRows(const std::vector<FieldValues> &rows);

// What is wrong with a collector's number for the classic row, or empty: a
// counter (a name ending in CNT or COUNT) must be whole and not negative,
// and no number may be negative; a time's fraction is rounded later, as the
// classic module's milliseconds are whole. Never wrapped or cut.
std::string NumberProblem(const std::string &name, const std::string &text);

// The system's own clock as GET_CPU_ALL gives it in LASTCOLLWRT
// ("Thu Mar  5 09:04:00 2026"): the day as YYYYMMDD and the minutes after
// midnight. False when the text is not in that form.
bool ParseSystemClock(const std::string &lastcollwrt, std::string *day, unsigned *minutes);

// NO_DATA_FOUND for the day asked is an empty day only on the system's own
// day, within `grace_minutes` after its midnight: the hourly collector job may
// not have written the day's first figures yet. Later, another day or an
// unknown clock, it is a failure.
bool NoDataIsEmptyDay(const std::string &lastcollwrt, const std::string &asked_day,
                      unsigned grace_minutes);

// The trace line of a NO_DATA_FOUND that stays a failure, with its likely cause.
std::string NoDataMessage(const std::string &function, const std::string &asked_day,
                          unsigned grace_minutes);

} // namespace quarlane::nwrfc

#endif
