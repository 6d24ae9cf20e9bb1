#include "nwrfc/collector_call.h"

#include <set>

#include "nwrfc/collector.h"
#include "nwrfc/text.h"
#include "nwrfc/values.h"

namespace quarlane::nwrfc {

namespace nw = sapnwrfc;
using rfcshared::CallOutcome;

namespace {

// The collector's query for the classic call's values, for the instance or,
// with COLLECTOR_COMPONENT = TOTAL, for the whole system.
CollectorQuery QueryOf(const Connection &connection) {
  const CollectorQuery query =
      QueryFromClassic(SentText(connection, "HOSTID"), SentText(connection, "INSTANCE"),
                       SentText(connection, "PERIODTYPE"), SentText(connection, "STARTDATE"));
  return connection.settings.component == CollectorComponent::Total ? WholeSystem(query) : query;
}

// The caller's SUMMARY table and its row layout; both null when the caller
// passed no SUMMARY. False with *outcome set when it passed an unusable one.
bool SummaryTarget(Library &library, RFC_TABLE *tables, InternalTable **table,
                   const InstalledStructure **structure, CallOutcome *outcome) {
  *table = nullptr;
  *structure = nullptr;
  for (RFC_TABLE *t = tables; t != nullptr && t->name != nullptr; ++t) {
    if (EntryName(t->name, t->nlen) != "SUMMARY") continue;
    *table = FindTable(library, t->ithandle);
    *structure = StructureOf(library, t->type);
    if (*table != nullptr && *structure != nullptr) return true;
    *outcome = ConversionFailure(kClassicSummary, "table SUMMARY",
                                 *table == nullptr ? "no valid internal table"
                                                   : "no installed row structure");
    return false;
  }
  return true;
}

// One TASKTYPE row: the fields in `read` as text, numbers checked.
bool ReadTaskTypeRow(const Sdk &sdk, nw::RFC_TABLE_HANDLE rows,
                     const std::vector<nw::RFC_FIELD_DESC> &fields,
                     const std::set<std::string> &read, FieldValues *row, CallOutcome *outcome) {
  const std::string function = kCollectorFunction;
  for (const nw::RFC_FIELD_DESC &field : fields) {
    const std::string name = SdkText(field.name, sizeof field.name / 2);
    if (read.count(name) == 0) continue;
    SdkValue value;
    nw::RFC_ERROR_INFO info{};
    if (GetValue(sdk, rows, name, field.type, field.nucLength, &value, &info) != nw::RFC_OK) {
      *outcome = ConversionFailure(function, "TASKTYPE-" + name,
                                   SdkText(info.message, sizeof info.message / 2));
      return false;
    }
    const bool numeric = IsNumeric(field.type) || value.is_integer;
    const std::string text =
        value.is_integer ? std::to_string(value.integer) : ToWindows1252(value.text);
    const std::string problem = numeric ? NumberProblem(name, text) : std::string();
    if (!problem.empty()) {
      *outcome = ConversionFailure(function, function + " TASKTYPE-" + name, problem);
      return false;
    }
    (*row)[name] = RowField{numeric, text};
  }
  return true;
}

// The TASKTYPE rows of the invoked collector, read as far as `wanted` (the
// classic row's fields) needs them (FieldsToRead).
bool ReadTaskTypeRows(Connection &connection, const Sdk &sdk,
                      const FunctionDescription &description, nw::RFC_FUNCTION_HANDLE handle,
                      const std::vector<std::string> &wanted, std::vector<FieldValues> *collected,
                      CallOutcome *outcome) {
  const std::string function = kCollectorFunction;
  const nw::RFC_PARAMETER_DESC *parameter = description.Find("TASKTYPE");
  const std::vector<nw::RFC_FIELD_DESC> *fields =
      parameter ? FieldsOf(connection, sdk, parameter->typeDescHandle) : nullptr;
  nw::RFC_ERROR_INFO info{};
  nw::RFC_TABLE_HANDLE rows = nullptr;
  unsigned count = 0;
  if (fields == nullptr ||
      sdk.RfcGetTable(handle, SdkName("TASKTYPE").c_str(), &rows, &info) != nw::RFC_OK ||
      sdk.RfcGetRowCount(rows, &count, &info) != nw::RFC_OK) {
    *outcome = ConversionFailure(function, "table TASKTYPE",
                                 parameter ? SdkText(info.message, sizeof info.message / 2)
                                           : "the system has no TASKTYPE");
    return false;
  }
  std::vector<std::string> described;
  for (const nw::RFC_FIELD_DESC &field : *fields)
    described.push_back(SdkText(field.name, sizeof field.name / 2));
  const std::set<std::string> read = FieldsToRead(wanted, described);
  for (unsigned index = 0; index < count; ++index) {
    if (sdk.RfcMoveTo(rows, index, &info) != nw::RFC_OK) {
      *outcome = ConversionFailure(function, "table TASKTYPE",
                                   SdkText(info.message, sizeof info.message / 2));
      return false;
    }
    FieldValues row;
    if (!ReadTaskTypeRow(sdk, rows, *fields, read, &row, outcome)) return false;
    collected->push_back(row);
  }
  return true;
}

// The classic rows into the caller's SUMMARY table, field by field of its layout.
bool WriteClassicRows(const std::vector<FieldValues> &classic, const InstalledStructure &structure,
                      InternalTable &table, CallOutcome *outcome) {
  for (const FieldValues &values : classic) {
    std::vector<unsigned char> row(structure.layout.length, 0);
    for (const FieldLayout &field : structure.layout.fields) {
      SdkValue value = MissingValue(field.type);
      const auto found = values.find(field.name);
      if (found != values.end()) value = TextValue(found->second.text);
      std::string problem;
      if (!WriteField(value, field.type, field.length, field.decimals, row.data() + field.offset,
                      &problem)) {
        *outcome = ConversionFailure(
            kClassicSummary, "SAPWLSUMRY-" + field.name + " from " + kCollectorFunction, problem);
        return false;
      }
    }
    AppendRow(table, std::move(row));
  }
  return true;
}

} // namespace

bool SendCollectorQuery(const Connection &connection, const Sdk &sdk,
                        const FunctionDescription &description, nw::RFC_FUNCTION_HANDLE handle,
                        bool *selects_nothing, CallOutcome *outcome) {
  const CollectorQuery query = QueryOf(connection);
  SdkValue factor;
  factor.is_integer = true;
  factor.integer = 1000;
  nw::RFC_ERROR_INFO info{};
  if (!SetValue(sdk, description, handle, "COMPONENT", TextValue(query.component), &info) ||
      !SetValue(sdk, description, handle, "PERIODTYPE", TextValue(query.periodtype), &info) ||
      !SetValue(sdk, description, handle, "PERIODSTRT", TextValue(query.periodstrt), &info) ||
      !SetValue(sdk, description, handle, "SUMMARY_ONLY", TextValue("X"), &info) ||
      !SetValue(sdk, description, handle, "FACTOR", factor, &info)) {
    *outcome = ConversionFailure(kCollectorFunction, "parameters",
                                 SdkText(info.message, sizeof info.message / 2));
    return false;
  }
  *selects_nothing = query.selects_nothing;
  return true;
}

CallOutcome TakeCollectorAnswer(Library &library, Connection &connection, const Sdk &sdk,
                                const FunctionDescription &description,
                                nw::RFC_FUNCTION_HANDLE handle, RFC_TABLE *tables) {
  CallOutcome outcome;
  InternalTable *table = nullptr;
  const InstalledStructure *structure = nullptr;
  if (!SummaryTarget(library, tables, &table, &structure, &outcome)) return outcome;
  std::vector<std::string> wanted;
  if (structure != nullptr)
    for (const FieldLayout &field : structure->layout.fields) wanted.push_back(field.name);
  std::vector<FieldValues> collected;
  if (!ReadTaskTypeRows(connection, sdk, description, handle, wanted, &collected, &outcome))
    return outcome;
  if (table != nullptr &&
      !WriteClassicRows(MapTaskTypeRows(collected), *structure, *table, &outcome))
    return outcome;
  return CallOutcome{};
}

} // namespace quarlane::nwrfc
