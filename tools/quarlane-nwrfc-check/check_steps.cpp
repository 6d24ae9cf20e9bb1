#include "check_steps.h"

#include <array>
#include <cstddef>

#include "loadstats/counters.h"
#include "nwrfc/collector.h"
#include "nwrfc/library.h"
#include "nwrfc/probe.h"
#include "nwrfc/text.h"
#include "rfc/rfc_abi.h"
#include "rfc/remote_calls.h"
#include "rfc/workload_summary.h"

namespace quarlane {

namespace {

using Clock = std::chrono::steady_clock;
using nwrfc::ProcessLibrary;

// The four modules the check looks at, each by its place in kModules.
enum ModuleIndex : std::size_t {
  kSystemInfo,
  kCpuAll,
  kClassicModule,
  kCollectorModule,
  kModuleCount
};
const char *const kModules[kModuleCount] = {"RFC_SYSTEM_INFO", "GET_CPU_ALL",
                                            nwrfc::kClassicSummary, nwrfc::kCollectorFunction};
// Whether the system has each module (found by its look-up).
using ModulesPresent = std::array<bool, kModuleCount>;

// Ratio of the collector's to the classic module's figures beyond which the
// two are taken to count in different units (a factor of 1000 shows plainly).
constexpr double kLowestRatio = 0.5, kHighestRatio = 2.0;

// What a look-up that found no module says: what failed and why, never a
// bare "failed: ".
std::string LookUpDetail(const ModuleCheck &module, const std::string &said) {
  std::string why = module.state == module_state::kFailed ? module.detail : said;
  if (module.state == module_state::kFailed && !said.empty()) why += " - " + said;
  if (why.empty()) why = "the system gave no reason";
  return module.state + ": " + why;
}

// The collector's fields as described, and those the bridge reads for the
// sensor's SAPWLSUMRY rows (nwrfc::FieldsToRead); the others are skipped.
void NoteCollectorFields(CheckResult &result, const std::vector<nwrfc::FieldShape> &fields) {
  result.collector_fields = fields;
  std::vector<std::string> wanted, described;
  for (const RFC_TYPE_ELEMENT &element : SummaryStructure().elements())
    wanted.push_back(element.name);
  for (const nwrfc::FieldShape &field : fields) described.push_back(field.name);
  result.collector_read = nwrfc::FieldsToRead(wanted, described);
}

void LookUpModules(RfcSession &session, CheckResult &result, ModulesPresent &present) {
  for (std::size_t i = 0; i < kModuleCount; ++i) {
    const Clock::time_point started = Clock::now();
    nwrfc::RestartTimeBound(ProcessLibrary(), session.handle);
    const nwrfc::ModuleLookup lookup = nwrfc::LookUpModule(
        ProcessLibrary(), session.handle, kModules[i], i == kCollectorModule ? "TASKTYPE" : "");
    ModuleCheck &module = Module(result, kModules[i]);
    present[i] = lookup.present;
    const std::string said =
        lookup.key +
        (lookup.message.empty() ? "" : (lookup.key.empty() ? "" : ": ") + lookup.message);
    if (lookup.present) {
      if (module.state == module_state::kNotChecked) module.state = module_state::kPresent;
    } else if (!lookup.answered) {
      module.state = module_state::kFailed;
      module.detail = "the description could not be read (connection broken or time bound)";
      Conclude(result, Verdict::CallFailed, kModules[i] + std::string(": ") + module.detail);
    } else if (IsAuthorisationProblem(said)) {
      module.state = module_state::kNotAuthorised;
      module.detail = said;
      Conclude(result, Verdict::NotAuthorised,
               kModules[i] + std::string(": this user may not read its description (S_RFC): ") +
                   said);
    } else {
      module.state = module_state::kMissing;
      module.detail = said;
      // The two the sensor always calls; of the workload modules one may serve.
      if (i == kSystemInfo || i == kCpuAll)
        Conclude(result, Verdict::ModuleMissing,
                 kModules[i] + std::string(" does not exist in this system"));
    }
    if (i == kCollectorModule) NoteCollectorFields(result, lookup.fields);
    // A workload module the system lacks is news, not a failed step: the other one may serve.
    const bool ok = lookup.present || (module.state == module_state::kMissing &&
                                       (i == kClassicModule || i == kCollectorModule));
    AddStep(result, std::string("look up ") + kModules[i], ok,
            lookup.present ? module_state::kPresent : LookUpDetail(module, said), started);
  }
}

bool Identify(RfcSession &session, CheckResult &result, SystemInfo *system) {
  StepLog log;
  Clock::time_point started = Clock::now();
  nwrfc::RestartTimeBound(ProcessLibrary(), session.handle);
  Result<SystemIdentity> identity = FetchSystemInfo(session, log);
  if (identity) {
    system->identity = *identity;
    result.release = nwrfc::TrimRight(identity->sap_release);
    result.host = nwrfc::TrimRight(identity->host);
    result.instance = nwrfc::TrimRight(identity->instance_name);
    result.kernel = nwrfc::SystemInfoField(ProcessLibrary(), session.handle, "RFCKERNRL");
    Module(result, kModules[kSystemInfo]).state = module_state::kCallable;
  } else {
    ClassifyFailure(Module(result, kModules[kSystemInfo]), identity.failure(), result);
  }
  AddStep(result, kModules[kSystemInfo], identity.ok(),
          identity ? "release " + result.release + ", kernel " + result.kernel
                   : Module(result, kModules[kSystemInfo]).detail,
          started);
  started = Clock::now();
  nwrfc::RestartTimeBound(ProcessLibrary(), session.handle);
  Result<SystemClock> clock = FetchCpuData(session, log);
  if (clock) {
    system->clock = *clock;
    result.system_date = clock->date;
    Module(result, kModules[kCpuAll]).state = module_state::kCallable;
  } else {
    ClassifyFailure(Module(result, kModules[kCpuAll]), clock.failure(), result);
  }
  AddStep(result, kModules[kCpuAll], clock.ok(),
          clock ? "system date " + result.system_date : Module(result, kModules[kCpuAll]).detail,
          started);
  return identity.ok() && clock.ok();
}

// Today's figures from the module `mode` forces. A comparison only
// (`decides` false) changes neither the module's state nor the verdict.
DayFigures Figures(RfcSession &session, CheckResult &result, const SystemInfo &system,
                   nwrfc::Collector mode, const std::string &name, bool decides = true) {
  const Clock::time_point started = Clock::now();
  nwrfc::RestartTimeBound(ProcessLibrary(), session.handle);
  nwrfc::UseCollector(ProcessLibrary(), session.handle, mode);
  DayFigures figures;
  StepLog log;
  Result<SummaryTable> table = SummaryTable::Create(*session.library);
  Result<std::vector<SummaryRow>> rows =
      table ? table->GiveBack(FetchSummaryRows(session, log, system, table->handle()))
            : Result<std::vector<SummaryRow>>(table.failure());
  ModuleCheck compared{name, "not checked", ""};
  ModuleCheck &module = decides ? Module(result, name) : compared;
  // The module answered, but has no figures for the day (past the bridge's
  // grace after midnight): the verdict names the collector job.
  const bool no_data = !rows && rows.failure().code == FailureCode::CallException &&
                       rows.failure().detail == "NO_DATA_FOUND";
  if (no_data) {
    module.state = module_state::kCallable;
    figures.answered = true;
  } else if (rows) {
    module.state = module_state::kCallable;
    figures.answered = true;
    figures.rows = *rows;
  } else if (decides) {
    ClassifyFailure(module, rows.failure(), result);
  } else {
    module.detail = rows.failure().text;
  }
  AddStep(result, std::string("today's figures from ") + name, rows.ok() || no_data,
          rows      ? std::to_string(rows->size()) + " rows for " + system.clock.date
          : no_data ? "NO_DATA_FOUND for " + system.clock.date
                    : module.detail,
          started);
  return figures;
}

std::uint64_t TotalResponseTime(const DayFigures &figures) {
  const DayCounts counts = CountTaskTypes(figures.rows);
  std::uint64_t total = 0;
  for (const TaskCounters &type : counts.types) total += type.resp_time;
  return total;
}

void JudgeFigures(CheckResult &result, nwrfc::Collector mode, const ModulesPresent &present) {
  result.serving = nwrfc::ServingModule(mode, result.release, present[kClassicModule],
                                        present[kCollectorModule]);
  if (result.serving.empty()) {
    Conclude(result, Verdict::ModuleMissing, "no workload module serves the summary");
    return;
  }
  const DayFigures &serving =
      result.serving == nwrfc::kClassicSummary ? result.classic : result.collector;
  if (serving.answered && serving.rows.empty())
    Conclude(result, Verdict::NoFiguresToday,
             result.serving + " has no figures for today (" + result.system_date + ")" +
                 (result.serving == nwrfc::kCollectorFunction
                      ? ": is the collector job SAP_COLLECTOR_FOR_PERFMONITOR scheduled hourly in "
                        "client 000?"
                      : ""));
  if (result.classic.rows.empty() || result.collector.rows.empty()) return;
  const std::uint64_t classic = TotalResponseTime(result.classic),
                      collector = TotalResponseTime(result.collector);
  if (classic == 0) return;
  const double ratio = static_cast<double>(collector) / static_cast<double>(classic);
  if (ratio < kLowestRatio || ratio > kHighestRatio)
    Conclude(result, Verdict::UnitsDiffer,
             "the two workload modules' response times differ by a factor of " +
                 std::to_string(ratio) +
                 " (collector : classic): units or mapping differ on this system");
}

// The collector's figures as the settings ask for them (the logon instance,
// or with COLLECTOR_COMPONENT = TOTAL the whole system), then for the other
// COMPONENT beside them.
void CollectorFigures(RfcSession &session, CheckResult &result, const SystemInfo &system) {
  using nwrfc::CollectorComponent;
  const CollectorComponent component = nwrfc::ComponentOf(ProcessLibrary(), session.handle);
  result.whole_system = component == CollectorComponent::Total;
  result.collector =
      Figures(session, result, system, nwrfc::Collector::New, kModules[kCollectorModule]);
  if (!result.collector.answered) return; // no second wait on a collector that failed
  const CollectorComponent other =
      result.whole_system ? CollectorComponent::Instance : CollectorComponent::Total;
  nwrfc::UseComponent(ProcessLibrary(), session.handle, other);
  result.collector_other = Figures(session, result, system, nwrfc::Collector::New,
                                   std::string(kModules[kCollectorModule]) +
                                       (result.whole_system ? " (instance)" : " (TOTAL)"),
                                   false);
  nwrfc::UseComponent(ProcessLibrary(), session.handle, component);
}

} // namespace

void CheckSystem(RfcSession &session, CheckResult &result) {
  for (const char *name : kModules) Module(result, name);
  SystemInfo system;
  const bool identified = Identify(session, result, &system);
  ModulesPresent present{};
  LookUpModules(session, result, present);
  if (!identified) return;
  const nwrfc::Collector mode = nwrfc::CollectorOf(ProcessLibrary(), session.handle);
  if (present[kClassicModule])
    result.classic =
        Figures(session, result, system, nwrfc::Collector::Classic, kModules[kClassicModule]);
  if (present[kCollectorModule]) CollectorFigures(session, result, system);
  nwrfc::UseCollector(ProcessLibrary(), session.handle, mode);
  JudgeFigures(result, mode, present);
}

} // namespace quarlane
