#include "rfc/remote_calls.h"

#include <cstdint>
#include <cstring>

#include "rfc/error_report.h"
#include "rfc/library.h"
#include "rfc/log_hook.h"

namespace quarlane {
namespace {

struct ElementLayout {
  const char *name;
  RFC_TYPEHANDLE type;
  unsigned length;
};

// A structure's type description as the library takes it; the element names
// live here while the description is in use.
class StructureDescription {
public:
  template <std::size_t N> explicit StructureDescription(const ElementLayout (&layout)[N]) {
    names_.reserve(N);
    for (const ElementLayout &element : layout) names_.emplace_back(element.name);
    for (std::size_t i = 0; i < N; ++i) {
      RFC_TYPE_ELEMENT element;
      std::memset(&element, 0, sizeof element);
      element.name = names_[i].data();
      element.type = layout[i].type;
      element.length = layout[i].length;
      element.decimals = 0;
      element.offset = 0;
      elements_.push_back(element);
    }
  }
  const RFC_TYPE_ELEMENT *Elements() const { return elements_.data(); }
  unsigned Count() const { return static_cast<unsigned>(elements_.size()); }

private:
  std::vector<std::string> names_;
  std::vector<RFC_TYPE_ELEMENT> elements_;
};

const ElementLayout kCpuAllElements[] = {
    {"TYPE", RFCTYPE_INT2, 2},      {"SUBTYPE", RFCTYPE_INT2, 2},    {"SERIALNR", RFCTYPE_INT2, 2},
    {"NBR_CPU", RFCTYPE_INT, 4},    {"LOAD1_AVG", RFCTYPE_INT, 4},   {"LOAD5_AVG", RFCTYPE_INT, 4},
    {"LOAD15_AVG", RFCTYPE_INT, 4}, {"INT_SEC", RFCTYPE_INT, 4},     {"SYSC_SEC", RFCTYPE_INT, 4},
    {"CS_SEC", RFCTYPE_INT, 4},     {"USR_TOTAL", RFCTYPE_INT, 4},   {"SYS_TOTAL", RFCTYPE_INT, 4},
    {"IDLE_TOTAL", RFCTYPE_INT, 4},
};

const ElementLayout kRfcsiElements[] = {
    {"RFCPROTO", RFCTYPE_CHAR, 3},   {"RFCCHARTYP", RFCTYPE_CHAR, 4}, {"RFCINTTYP", RFCTYPE_CHAR, 3},
    {"RFCFLOTYP", RFCTYPE_CHAR, 3},  {"RFCDEST", RFCTYPE_CHAR, 32},   {"RFCHOST", RFCTYPE_CHAR, 8},
    {"RFCSYSID", RFCTYPE_CHAR, 8},   {"RFCDATABS", RFCTYPE_CHAR, 8},  {"RFCDBHOST", RFCTYPE_CHAR, 32},
    {"RFCDBSYS", RFCTYPE_CHAR, 10},  {"RFCSAPRL", RFCTYPE_CHAR, 4},   {"RFCMACH", RFCTYPE_CHAR, 5},
    {"RFCOPSYS", RFCTYPE_CHAR, 10},  {"RFCTZONE", RFCTYPE_CHAR, 6},   {"RFCDAYST", RFCTYPE_CHAR, 1},
    {"RFCIPADDR", RFCTYPE_CHAR, 15}, {"RFCKERNRL", RFCTYPE_CHAR, 4},  {"RFCSI_RESV", RFCTYPE_CHAR, 44},
};

// Where a field of RFCSI starts: the elements lie back to back.
struct FieldPlace {
  std::size_t offset;
  std::size_t length;
};

FieldPlace RfcsiField(const char *name) {
  std::size_t offset = 0;
  for (const ElementLayout &element : kRfcsiElements) {
    if (std::strcmp(element.name, name) == 0) return FieldPlace{offset, element.length};
    offset += element.length;
  }
  return FieldPlace{0, 0};
}

// A character field as received: up to its length or its first zero byte.
std::string ReceivedText(const char *field, std::size_t length) {
  const void *zero = std::memchr(field, '\0', length);
  if (zero) length = static_cast<std::size_t>(static_cast<const char *>(zero) - field);
  return std::string(field, length);
}

// An importing character field: exactly its length in bytes for the library,
// blanks until the library writes it (the std::string adds its own
// terminator beyond them, which the library never sees as part of the field).
std::string CharacterField(unsigned length) { return std::string(length, ' '); }

} // namespace

void ParameterList::Add(const char *name, RFC_TYPEHANDLE type, unsigned length, void *address) {
  RFC_PARAMETER &entry = AddNamed(name);
  entry.type = type;
  entry.leng = length;
  entry.addr = address;
}

void TableList::Add(const char *name, RFC_TYPEHANDLE type, ITAB_H table) {
  RFC_TABLE &entry = AddNamed(name);
  entry.type = type;
  entry.ithandle = table;
}

void EnsureStructureInstalled(Run &run, const char *name, const RFC_TYPE_ELEMENT *elements,
                              unsigned count, RFC_TYPEHANDLE &handle) {
  if (handle != 0) return;
  const RfcLibrary &library = EnsureRfcLibrary(run.rfc);
  std::string structure_name = name;
  std::vector<RFC_TYPE_ELEMENT> description(elements, elements + count);
  if (library.RfcInstallStructure(structure_name.data(), description.data(), count, &handle) != 0)
    ReportRfcError("RfcInstallStructure");
}

RFC_RC CallAndReceive(Run &run, const char *function, ParameterList &exporting,
                      TableList &tables, ParameterList &importing, std::string &exception) {
  const RfcLibrary &library = EnsureRfcLibrary(run.rfc);
  std::string function_name = function;
  RFC_TABLE *table_entries = tables.Entries(); // the same list for the call and the receive
  RFC_RC code = library.RfcCall(run.rfc.handle, function_name.data(), exporting.Entries(),
                                table_entries);
  LogStep(run, static_cast<long>(run.rfc.handle), "RfcCall called", function_name);
  if (code != RFC_OK) return code;

  char *exception_name = nullptr;
  code = library.RfcReceive(run.rfc.handle, importing.Entries(), table_entries, &exception_name);
  LogStep(run, static_cast<long>(run.rfc.handle), "RfcReceive called", function_name);
  if ((code == RFC_EXCEPTION || code == RFC_SYS_EXCEPTION) && exception_name)
    exception = exception_name;
  return code;
}

void EvaluateRfcResult(Run &run, RFC_RC code, const std::string &exception) {
  switch (code) {
  case RFC_OK:
    run.ctx.run_status = "OK";
    break;
  case RFC_FAILURE:
    run.doc.text += "Error 1014: RFC-Failure raised !";
    break;
  case RFC_EXCEPTION:
    run.doc.text += "Error 1012: Exception.: " + exception;
    break;
  case RFC_SYS_EXCEPTION:
    run.doc.text += "Error 1013: Sys-Exception raised !";
    break;
  default:
    run.doc.text += "Error 1015: Other Failure raised !";
    break;
  }
}

void SetSystemDateTime(SapSystem &sap, const std::string &lastcollwrt) {
  // "Www Mmm dd hh:mm:ss yyyy": a shorter text is read as if blank-filled, so
  // nothing is read beyond its end.
  std::string stamp = lastcollwrt.substr(0, 25);
  stamp.resize(25, ' ');

  static const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int month = 0; month < 12; ++month) {
    if (stamp.compare(4, 3, kMonths[month]) == 0) {
      stamp[5] = static_cast<char>('0' + (month + 1) / 10);
      stamp[6] = static_cast<char>('0' + (month + 1) % 10);
      break;
    }
  }
  if (stamp[8] == ' ') stamp[8] = '0';

  sap.SystemDate = "20" + stamp.substr(22, 2) + stamp.substr(5, 2) + stamp.substr(8, 2);
  sap.SystemTime = stamp.substr(11, 8);
}

RFC_RC FetchCpuData(Run &run) {
  const RfcLibrary &library = EnsureRfcLibrary(run.rfc);
  const StructureDescription cpu_all(kCpuAllElements);
  EnsureStructureInstalled(run, "CPU_ALL", cpu_all.Elements(), cpu_all.Count(),
                           run.rfc.cpu_all_type);

  std::string table_name = "TF_CPU_ALL";
  ITAB_H table = library.ItCreate(table_name.data(), CPU_ALL_ROW_LENGTH, 0, 0);
  if (!table) ReportRfcError("ItCreate TF_CPU_ALL");

  std::string local_remote = "LOCAL ";
  std::string logical_destination(32, ' ');
  ParameterList exporting;
  exporting.Add("LOCAL_REMOTE", RFCTYPE_CHAR, 6, local_remote.data());
  exporting.Add("LOGICAL_DESTINATION", RFCTYPE_CHAR, 32, logical_destination.data());

  TableList tables;
  tables.Add("TF_CPU_ALL", run.rfc.cpu_all_type, table);

  std::int32_t activeflag = 0, detailscoll = 0, detailsmode = 0, detailsreqi = 0;
  std::int32_t interval = 0, lastcollint = 0, normcollint = 0;
  std::string f_cpu_all_read = CharacterField(3);
  std::string lastcollwrt = CharacterField(25);
  std::string op_system = CharacterField(52);
  ParameterList importing;
  importing.Add("ACTIVEFLAG", RFCTYPE_INT, 4, &activeflag);
  importing.Add("DETAILSCOLL", RFCTYPE_INT, 4, &detailscoll);
  importing.Add("DETAILSMODE", RFCTYPE_INT, 4, &detailsmode);
  importing.Add("DETAILSREQI", RFCTYPE_INT, 4, &detailsreqi);
  importing.Add("F_CPU_ALL_READ", RFCTYPE_CHAR, 3, f_cpu_all_read.data());
  importing.Add("INTERVAL", RFCTYPE_INT, 4, &interval);
  importing.Add("LASTCOLLINT", RFCTYPE_INT, 4, &lastcollint);
  importing.Add("LASTCOLLWRT", RFCTYPE_CHAR, 25, lastcollwrt.data());
  importing.Add("NORMCOLLINT", RFCTYPE_INT, 4, &normcollint);
  importing.Add("OP_SYSTEM", RFCTYPE_CHAR, 52, op_system.data());

  std::string exception;
  RFC_RC code = CallAndReceive(run, "GET_CPU_ALL", exporting, tables, importing, exception);
  EvaluateRfcResult(run, code, exception);

  if (code == RFC_OK) {
    // The lines are only read back, not evaluated: a line the library cannot
    // deliver is a library failure.
    const unsigned lines = library.ItFill(table);
    for (unsigned index = 0; index < lines; ++index)
      if (!library.ItGetLine(table, index + 1)) ReportRfcError("ItGetLine TF_CPU_ALL");
    SetSystemDateTime(run.sap, lastcollwrt);
  }

  if (library.ItDelete(table) != 0) ReportRfcError("ItDelete TF_CPU_ALL");
  return code;
}

RFC_RC FetchSystemInfo(Run &run) {
  const StructureDescription rfcsi(kRfcsiElements);
  EnsureStructureInstalled(run, "RFCSI", rfcsi.Elements(), rfcsi.Count(), run.rfc.rfcsi_type);

  std::int32_t current_resources = 0, maximal_resources = 0, recommended_delay = 0;
  std::string dialog_user_type = CharacterField(1);
  std::string rfcsi_export = CharacterField(RFCSI_ROW_LENGTH);
  std::string rfc_login_complete = CharacterField(1);
  ParameterList importing;
  importing.Add("CURRENT_RESOURCES", RFCTYPE_INT, 4, &current_resources);
  importing.Add("DIALOG_USER_TYPE", RFCTYPE_CHAR, 1, dialog_user_type.data());
  importing.Add("MAXIMAL_RESOURCES", RFCTYPE_INT, 4, &maximal_resources);
  importing.Add("RECOMMENDED_DELAY", RFCTYPE_INT, 4, &recommended_delay);
  importing.Add("RFCSI_EXPORT", run.rfc.rfcsi_type, RFCSI_ROW_LENGTH, rfcsi_export.data());
  importing.Add("RFC_LOGIN_COMPLETE", RFCTYPE_CHAR, 1, rfc_login_complete.data());

  ParameterList exporting;
  TableList tables;
  std::string exception;
  RFC_RC code = CallAndReceive(run, "RFC_SYSTEM_INFO", exporting, tables, importing, exception);
  EvaluateRfcResult(run, code, exception);

  if (code == RFC_OK) {
    const FieldPlace host = RfcsiField("RFCHOST");
    const FieldPlace destination = RfcsiField("RFCDEST");
    const FieldPlace release = RfcsiField("RFCSAPRL");
    run.sap.SystemHost = ReceivedText(rfcsi_export.data() + host.offset, host.length);
    run.sap.InstanceName =
        ReceivedText(rfcsi_export.data() + destination.offset, destination.length);
    run.sap.SapRelease = ReceivedText(rfcsi_export.data() + release.offset, release.length);
  }
  return code;
}

} // namespace quarlane
