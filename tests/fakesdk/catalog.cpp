// The function modules and structures of the fake systems.
//
// Sources of the descriptions:
// - GET_CPU_ALL / CPU_ALL, RFC_SYSTEM_INFO / RFCSI and SAPWL_WORKLOAD_GET_SUMMARY
//   / SAPWLSUMRY: the parameters, element lists and lengths the sensor itself
//   passes to the classic library (src/rfc/rfc_rows.h,
//   src/rfc/remote_calls.cpp, src/rfc/workload_summary.cpp), which are those
//   of the classic function modules. INSTANCE is served with 40 characters (the sensor sends 39):
//   the dictionary length is not publicly confirmed.
// - SWNC_COLLECTOR_GET_AGGREGATES: the importing parameters COMPONENT,
//   PERIODTYPE, PERIODSTRT, SUMMARY_ONLY and FACTOR and the table TASKTYPE of
//   structure SWNCAGGTASKTYPE with its 1-byte RAW task type and COUNT as DEC
//   24 are taken from public descriptions of the collector module. The remaining fields of
//   SWNCAGGTASKTYPE are NOT publicly confirmed: the fake serves the time
//   fields public descriptions name (RESPTI, CPUTI, QUEUETI, ROLLWAITTI, GUITIME,
//   READDIRTI, READSEQTI, CHNGTI) and counters of the classic structure's
//   kind, as DEC 15 without decimals, the type of the collector's time data
//   elements such as SWLNSTWAITTI (domain SAPWLTIME0, DEC 15, 0 decimals,
//   sapdatasheet.org/abap/dtel/swlnstwaitti.html). A bridge must read the
//   field list at run time, so a fake list that differs from a real one
//   still exercises the same code.
#include "catalog.h"

#include <map>

#include "text.h"

namespace fakesdk {

const char kSystemInfo[] = "RFC_SYSTEM_INFO";
const char kCpuAll[] = "GET_CPU_ALL";
const char kWorkloadSummary[] = "SAPWL_WORKLOAD_GET_SUMMARY";
const char kCollectorAggregates[] = "SWNC_COLLECTOR_GET_AGGREGATES";

namespace {

unsigned NucAlignment(Type type) {
  switch (type) {
  case kInt: return 4;
  case kInt2: return 2;
  case kFloat: return 8;
  case kInt8: return 8;
  default: return 1;
  }
}

bool IsCharacterType(Type type) {
  return type == kChar || type == kDate || type == kTime || type == kNum;
}

unsigned UcAlignment(Type type) { return IsCharacterType(type) ? 2 : NucAlignment(type); }

unsigned RoundUp(unsigned value, unsigned alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// Lays the fields out back to back with natural alignment, once with one
// byte per character and once with two (the Unicode layout).
} // namespace

TypeDesc MakeType(const char *name, const std::vector<FieldShape> &shapes) {
  TypeDesc type;
  type.name = name;
  unsigned nuc = 0, uc = 0, nuc_widest = 1, uc_widest = 1;
  for (const FieldShape &shape : shapes) {
    FieldDesc field;
    field.name = shape.name;
    field.type = shape.type;
    field.decimals = shape.decimals;
    field.nuc_length = shape.length;
    field.uc_length = IsCharacterType(shape.type) ? 2 * shape.length : shape.length;
    const unsigned nuc_alignment = NucAlignment(shape.type), uc_alignment = UcAlignment(shape.type);
    if (nuc_alignment > nuc_widest) nuc_widest = nuc_alignment;
    if (uc_alignment > uc_widest) uc_widest = uc_alignment;
    nuc = RoundUp(nuc, nuc_alignment);
    uc = RoundUp(uc, uc_alignment);
    field.nuc_offset = nuc;
    field.uc_offset = uc;
    nuc += field.nuc_length;
    uc += field.uc_length;
    type.fields.push_back(field);
  }
  type.nuc_length = RoundUp(nuc, nuc_widest);
  type.uc_length = RoundUp(uc, uc_widest);
  return type;
}

namespace {

const TypeDesc &CpuAll() {
  static const TypeDesc type = MakeType("CPU_ALL", {{"TYPE", kInt2, 2, 0},
                                                    {"SUBTYPE", kInt2, 2, 0},
                                                    {"SERIALNR", kInt2, 2, 0},
                                                    {"NBR_CPU", kInt, 4, 0},
                                                    {"LOAD1_AVG", kInt, 4, 0},
                                                    {"LOAD5_AVG", kInt, 4, 0},
                                                    {"LOAD15_AVG", kInt, 4, 0},
                                                    {"INT_SEC", kInt, 4, 0},
                                                    {"SYSC_SEC", kInt, 4, 0},
                                                    {"CS_SEC", kInt, 4, 0},
                                                    {"USR_TOTAL", kInt, 4, 0},
                                                    {"SYS_TOTAL", kInt, 4, 0},
                                                    {"IDLE_TOTAL", kInt, 4, 0}});
  return type;
}

const TypeDesc &Rfcsi() {
  static const TypeDesc type = MakeType("RFCSI", {{"RFCPROTO", kChar, 3, 0},
                                                  {"RFCCHARTYP", kChar, 4, 0},
                                                  {"RFCINTTYP", kChar, 3, 0},
                                                  {"RFCFLOTYP", kChar, 3, 0},
                                                  {"RFCDEST", kChar, 32, 0},
                                                  {"RFCHOST", kChar, 8, 0},
                                                  {"RFCSYSID", kChar, 8, 0},
                                                  {"RFCDATABS", kChar, 8, 0},
                                                  {"RFCDBHOST", kChar, 32, 0},
                                                  {"RFCDBSYS", kChar, 10, 0},
                                                  {"RFCSAPRL", kChar, 4, 0},
                                                  {"RFCMACH", kChar, 5, 0},
                                                  {"RFCOPSYS", kChar, 10, 0},
                                                  {"RFCTZONE", kChar, 6, 0},
                                                  {"RFCDAYST", kChar, 1, 0},
                                                  {"RFCIPADDR", kChar, 15, 0},
                                                  {"RFCKERNRL", kChar, 4, 0},
                                                  {"RFCSI_RESV", kChar, 44, 0}});
  return type;
}

// Its own copy, not src/rfc/rfc_rows.h: the fake plays SAP's side and must not follow the product's
// list.
const TypeDesc &Sapwlsumry() {
  static const TypeDesc type = MakeType(
      "SAPWLSUMRY",
      {{"TASKTYPE", kChar, 7, 0},  {"FIRSTRECTI", kBcd, 6, 0}, {"FIRSTRECDY", kChar, 8, 0},
       {"LASTRECTI", kBcd, 6, 0},  {"LASTRECDY", kChar, 8, 0}, {"COUNT", kBcd, 8, 0},
       {"DBACTIVCNT", kBcd, 8, 0}, {"QUEUELIMIT", kBcd, 8, 0}, {"ELAPSEDTI", kBcd, 8, 0},
       {"RESPTI", kBcd, 8, 0},     {"CPUTI", kBcd, 8, 0},      {"QUEUETI", kBcd, 8, 0},
       {"LOADGENTI", kBcd, 8, 0},  {"COMMITTI", kBcd, 8, 0},   {"DDICTI", kBcd, 8, 0},
       {"QUETI", kBcd, 8, 0},      {"CPICTI", kBcd, 8, 0},     {"MCODETI", kBcd, 8, 0},
       {"ROLLINCNT", kBcd, 8, 0},  {"ROLLINSTEP", kBcd, 8, 0}, {"ROLLINTI", kBcd, 8, 0},
       {"ROLLOUTCNT", kBcd, 8, 0}, {"ROLLOUTSTP", kBcd, 8, 0}, {"ROLLOUTTI", kBcd, 8, 0},
       {"ROLLSTEP", kBcd, 8, 0},   {"ROLLWAITTI", kBcd, 8, 0}, {"ROLLTI", kBcd, 8, 0},
       {"READDIRCNT", kBcd, 8, 0}, {"READDIRTI", kBcd, 8, 0},  {"READDIRBUF", kBcd, 8, 0},
       {"READDIRREC", kBcd, 8, 0}, {"READSEQCNT", kBcd, 8, 0}, {"READSEQTI", kBcd, 8, 0},
       {"READSEQBUF", kBcd, 8, 0}, {"READSEQREC", kBcd, 8, 0}, {"CHNGCNT", kBcd, 8, 0},
       {"CHNGTI", kBcd, 8, 0},     {"CHNGREC", kBcd, 8, 0},    {"PHYREADCNT", kBcd, 8, 0},
       {"PHYCHNGREC", kBcd, 8, 0}, {"MCREADCNT", kBcd, 8, 0},  {"MCCHNGCNT", kBcd, 8, 0},
       {"PHYCALLS", kBcd, 8, 0},   {"BYTES", kBcd, 8, 0},      {"LOCKTI", kBcd, 8, 0},
       {"CNT001", kInt, 4, 0},     {"CNT002", kInt, 4, 0},     {"CNT003", kInt, 4, 0},
       {"CNT004", kInt, 4, 0},     {"CNT005", kInt, 4, 0},     {"CNT006", kInt, 4, 0},
       {"CNT007", kInt, 4, 0},     {"CNT008", kInt, 4, 0},     {"CNT009", kInt, 4, 0},
       {"GUITIME", kBcd, 8, 0},    {"GUICNT", kBcd, 8, 0},     {"GUINETTIME", kBcd, 8, 0}});
  return type;
}

// Inferred beyond TASKTYPE and COUNT; see the comment at the top.
const TypeDesc &Swncaggtasktype() {
  static const TypeDesc type = MakeType(
      "SWNCAGGTASKTYPE",
      {{"TASKTYPE", kByte, 1, 0},   {"COUNT", kBcd, 13, 0},      {"DCOUNT", kBcd, 13, 0},
       {"UCOUNT", kBcd, 13, 0},     {"BCOUNT", kBcd, 13, 0},     {"ECOUNT", kBcd, 13, 0},
       {"SCOUNT", kBcd, 13, 0},     {"LUW_COUNT", kBcd, 13, 0},  {"RESPTI", kBcd, 8, 0},
       {"PROCTI", kBcd, 8, 0},      {"CPUTI", kBcd, 8, 0},       {"QUEUETI", kBcd, 8, 0},
       {"ROLLWAITTI", kBcd, 8, 0},  {"GUITIME", kBcd, 8, 0},     {"GUICNT", kBcd, 13, 0},
       {"GUINETTIME", kBcd, 8, 0},  {"DBP_COUNT", kBcd, 13, 0},  {"DBP_TIME", kBcd, 8, 0},
       {"READDIRCNT", kBcd, 13, 0}, {"READDIRTI", kBcd, 8, 0},   {"READDIRBUF", kBcd, 13, 0},
       {"READDIRREC", kBcd, 13, 0}, {"READSEQCNT", kBcd, 13, 0}, {"READSEQTI", kBcd, 8, 0},
       {"READSEQBUF", kBcd, 13, 0}, {"READSEQREC", kBcd, 13, 0}, {"CHNGCNT", kBcd, 13, 0},
       {"CHNGTI", kBcd, 8, 0},      {"CHNGREC", kBcd, 13, 0},    {"PHYREADCNT", kBcd, 13, 0},
       {"PHYCHNGREC", kBcd, 13, 0}, {"PHYCALLS", kBcd, 13, 0},   {"DSQLCNT", kBcd, 13, 0},
       {"DSQLTI", kBcd, 8, 0},      {"QUECNT", kBcd, 13, 0},     {"QUETI", kBcd, 8, 0},
       {"DDICCNT", kBcd, 13, 0},    {"DDICTI", kBcd, 8, 0},      {"LOADGENTI", kBcd, 8, 0},
       {"LOCKCNT", kBcd, 13, 0},    {"LOCKTI", kBcd, 8, 0},      {"ROLLINCNT", kBcd, 13, 0},
       {"ROLLINTI", kBcd, 8, 0},    {"ROLLOUTCNT", kBcd, 13, 0}, {"ROLLOUTTI", kBcd, 8, 0},
       {"ROLLED_OUT", kBcd, 13, 0}, {"BYTES", kBcd, 13, 0}});
  return type;
}

ParameterDesc Scalar(const char *name, Direction direction, Type type, unsigned length,
                     bool optional = false, const char *default_value = "") {
  ParameterDesc parameter;
  parameter.name = name;
  parameter.type = type;
  parameter.direction = direction;
  parameter.nuc_length = length;
  parameter.uc_length = IsCharacterType(type) ? 2 * length : length;
  parameter.decimals = 0;
  parameter.type_desc = nullptr;
  parameter.default_value = default_value;
  parameter.optional = optional;
  return parameter;
}

ParameterDesc Composite(const char *name, Direction direction, Type type, const TypeDesc &row) {
  ParameterDesc parameter;
  parameter.name = name;
  parameter.type = type;
  parameter.direction = direction;
  parameter.nuc_length = row.nuc_length;
  parameter.uc_length = row.uc_length;
  parameter.decimals = 0;
  parameter.type_desc = &row;
  parameter.optional = type == kTable;
  return parameter;
}

const std::map<std::string, FunctionDesc> &Functions() {
  static const std::map<std::string, FunctionDesc> functions = [] {
    std::map<std::string, FunctionDesc> all;
    all[kSystemInfo] = FunctionDesc{kSystemInfo,
                                    {Scalar("CURRENT_RESOURCES", kExport, kInt, 4),
                                     Scalar("DIALOG_USER_TYPE", kExport, kChar, 1),
                                     Scalar("MAXIMAL_RESOURCES", kExport, kInt, 4),
                                     Scalar("RECOMMENDED_DELAY", kExport, kInt, 4),
                                     Composite("RFCSI_EXPORT", kExport, kStructure, Rfcsi()),
                                     Scalar("RFC_LOGIN_COMPLETE", kExport, kChar, 1)}};
    all[kCpuAll] = FunctionDesc{
        kCpuAll,
        {Scalar("LOCAL_REMOTE", kImport, kChar, 6, true, "'LOCAL'"),
         Scalar("LOGICAL_DESTINATION", kImport, kChar, 32, true),
         Scalar("ACTIVEFLAG", kExport, kInt, 4), Scalar("DETAILSCOLL", kExport, kInt, 4),
         Scalar("DETAILSMODE", kExport, kInt, 4), Scalar("DETAILSREQI", kExport, kInt, 4),
         Scalar("F_CPU_ALL_READ", kExport, kChar, 3), Scalar("INTERVAL", kExport, kInt, 4),
         Scalar("LASTCOLLINT", kExport, kInt, 4), Scalar("LASTCOLLWRT", kExport, kChar, 25),
         Scalar("NORMCOLLINT", kExport, kInt, 4), Scalar("OP_SYSTEM", kExport, kChar, 52),
         Composite("TF_CPU_ALL", kTables, kTable, CpuAll())}};
    all[kWorkloadSummary] = FunctionDesc{kWorkloadSummary,
                                         {Scalar("HOSTID", kImport, kChar, 8, true),
                                          Scalar("INSTANCE", kImport, kChar, 40, true),
                                          Scalar("PERIODTYPE", kImport, kChar, 1, false),
                                          Scalar("STARTDATE", kImport, kDate, 8, false),
                                          Composite("SUMMARY", kTables, kTable, Sapwlsumry())}};
    all[kCollectorAggregates] =
        FunctionDesc{kCollectorAggregates,
                     {Scalar("COMPONENT", kImport, kChar, 40, false),
                      Scalar("ASSIGNDSYS", kImport, kChar, 8, true),
                      Scalar("PERIODTYPE", kImport, kChar, 1, false),
                      Scalar("PERIODSTRT", kImport, kDate, 8, false),
                      Scalar("SUMMARY_ONLY", kImport, kChar, 1, true),
                      Scalar("FACTOR", kImport, kInt, 4, true, "1000"),
                      Composite("TASKTYPE", kTables, kTable, Swncaggtasktype())}};
    for (auto &[name, function] : all)
      for (ParameterDesc &parameter : function.parameters)
        if (parameter.type == kTable) parameter.optional = true;
    return all;
  }();
  return functions;
}

} // namespace

const FunctionDesc *FindFunction(const std::string &name) {
  const auto found = Functions().find(Upper(name));
  return found == Functions().end() ? nullptr : &found->second;
}

const std::vector<std::string> &KnownFunctions() {
  static const std::vector<std::string> names = {kSystemInfo, kCpuAll, kWorkloadSummary,
                                                 kCollectorAggregates};
  return names;
}

const TypeDesc *FindType(const std::string &name) {
  for (const TypeDesc *type : {&CpuAll(), &Rfcsi(), &Sapwlsumry(), &Swncaggtasktype()})
    if (SameText(type->name, name)) return type;
  return nullptr;
}

const FieldDesc *FindField(const TypeDesc &type, const std::string &name) {
  for (const FieldDesc &field : type.fields)
    if (SameText(field.name, name)) return &field;
  return nullptr;
}

const ParameterDesc *FindParameter(const FunctionDesc &function, const std::string &name) {
  for (const ParameterDesc &parameter : function.parameters)
    if (SameText(parameter.name, name)) return &parameter;
  return nullptr;
}

} // namespace fakesdk
