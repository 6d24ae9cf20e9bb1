#include "rfc/remote_calls.h"

#include <cstdint>
#include <cstring>

#include "rfc/error_report.h"

namespace quarlane {
namespace {

// A character field as received: up to its length or its first zero byte.
std::string ReceivedText(const char *field, std::size_t length) {
  const void *zero = std::memchr(field, '\0', length);
  if (zero) length = static_cast<std::size_t>(static_cast<const char *>(zero) - field);
  return std::string(field, length);
}

std::string ReceivedField(const std::string &row, FieldPlace place) {
  return ReceivedText(row.data() + place.offset, place.length);
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

StructureDescription::StructureDescription(const char *name, const ElementLayout *layout,
                                           std::size_t count)
    : layout_(LayOutRow(name, layout, count)) {
  for (FieldLayout &field : layout_.fields) { // the elements point into the layout's names
    RFC_TYPE_ELEMENT element;
    std::memset(&element, 0, sizeof element);
    element.name = field.name.data();
    element.type = field.type;
    element.length = field.length;
    elements_.push_back(element);
  }
}

FieldPlace StructureDescription::Place(const char *field) const {
  for (const FieldLayout &laid_out : layout_.fields)
    if (laid_out.name == field) return FieldPlace{laid_out.offset, laid_out.length};
  return FieldPlace{};
}

Status EnsureStructureInstalled(RfcSession &session, const StructureDescription &structure,
                                RFC_TYPEHANDLE &handle) {
  if (handle != 0) return Success();
  std::string structure_name = structure.name();
  std::vector<RFC_TYPE_ELEMENT> description = structure.elements(); // the library's own copy
  if (session.library->RfcInstallStructure(structure_name.data(), description.data(),
                                           static_cast<unsigned>(description.size()), &handle) != 0)
    return Failure(FailureCode::LibraryFailed, "RfcInstallStructure");
  return Success();
}

Status CallAndReceive(RfcSession &session, StepLog &log, const char *function,
                      ParameterList &exporting, TableList &tables, ParameterList &importing) {
  const RfcLibrary &library = *session.library;
  std::string function_name = function;
  RFC_TABLE *table_entries = tables.Entries(); // the same list for the call and the receive
  RFC_RC code =
      library.RfcCall(session.handle, function_name.data(), exporting.Entries(), table_entries);
  LogStep(log, static_cast<long>(session.handle), "RfcCall called", function_name);
  if (code != RFC_OK) return CallFailure(code, std::string());

  char *exception_name = nullptr;
  code = library.RfcReceive(session.handle, importing.Entries(), table_entries, &exception_name);
  LogStep(log, static_cast<long>(session.handle), "RfcReceive called", function_name);
  const bool names_exception = code == RFC_EXCEPTION || code == RFC_SYS_EXCEPTION;
  return CallFailure(code, names_exception && exception_name ? exception_name : "");
}

Status CallFailure(RFC_RC code, const std::string &exception) {
  switch (code) {
  case RFC_OK: return Success();
  case RFC_FAILURE: return Failure(FailureCode::CallRfcFailure);
  case RFC_EXCEPTION: return Failure(FailureCode::CallException, exception);
  case RFC_SYS_EXCEPTION: return Failure(FailureCode::CallSysException);
  default: return Failure(FailureCode::CallOtherFailure);
  }
}

SystemClock ClockOfCollectorStamp(const std::string &lastcollwrt) {
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

  SystemClock clock;
  clock.date = "20" + stamp.substr(22, 2) + stamp.substr(5, 2) + stamp.substr(8, 2);
  clock.time = stamp.substr(11, 8);
  return clock;
}

Result<SystemClock> FetchCpuData(RfcSession &session, StepLog &log) {
  const RfcLibrary &library = *session.library;
  static const StructureDescription cpu_all("CPU_ALL", kCpuAllFields);
  const Status installed = EnsureStructureInstalled(session, cpu_all, session.cpu_all_type);
  if (!installed) return installed.failure();

  std::string table_name = "TF_CPU_ALL";
  ITAB_H table = library.ItCreate(table_name.data(), CPU_ALL_ROW_LENGTH, 0, 0);
  if (!table) return Failure(FailureCode::LibraryFailed, "ItCreate TF_CPU_ALL");

  std::string local_remote = "LOCAL ";
  std::string logical_destination(32, ' ');
  ParameterList exporting;
  exporting.Add("LOCAL_REMOTE", RFCTYPE_CHAR, 6, local_remote.data());
  exporting.Add("LOGICAL_DESTINATION", RFCTYPE_CHAR, 32, logical_destination.data());

  TableList tables;
  tables.Add("TF_CPU_ALL", session.cpu_all_type, table);

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

  const Status called = CallAndReceive(session, log, "GET_CPU_ALL", exporting, tables, importing);
  if (called) {
    // The lines are only read back, not evaluated: a line the library cannot
    // deliver is a library failure.
    const unsigned lines = library.ItFill(table);
    for (unsigned index = 0; index < lines; ++index)
      if (!library.ItGetLine(table, index + 1))
        return Failure(FailureCode::LibraryFailed, "ItGetLine TF_CPU_ALL");
  }
  if (library.ItDelete(table) != 0)
    return Failure(FailureCode::LibraryFailed, "ItDelete TF_CPU_ALL");

  if (!called) return called.failure();
  return ClockOfCollectorStamp(lastcollwrt);
}

Result<SystemIdentity> FetchSystemInfo(RfcSession &session, StepLog &log) {
  static const StructureDescription rfcsi("RFCSI", kRfcsiFields);
  const Status installed = EnsureStructureInstalled(session, rfcsi, session.rfcsi_type);
  if (!installed) return installed.failure();

  std::int32_t current_resources = 0, maximal_resources = 0, recommended_delay = 0;
  std::string dialog_user_type = CharacterField(1);
  std::string rfcsi_export = CharacterField(RFCSI_ROW_LENGTH);
  std::string rfc_login_complete = CharacterField(1);
  ParameterList importing;
  importing.Add("CURRENT_RESOURCES", RFCTYPE_INT, 4, &current_resources);
  importing.Add("DIALOG_USER_TYPE", RFCTYPE_CHAR, 1, dialog_user_type.data());
  importing.Add("MAXIMAL_RESOURCES", RFCTYPE_INT, 4, &maximal_resources);
  importing.Add("RECOMMENDED_DELAY", RFCTYPE_INT, 4, &recommended_delay);
  importing.Add("RFCSI_EXPORT", session.rfcsi_type, RFCSI_ROW_LENGTH, rfcsi_export.data());
  importing.Add("RFC_LOGIN_COMPLETE", RFCTYPE_CHAR, 1, rfc_login_complete.data());

  ParameterList exporting;
  TableList tables;
  const Status called =
      CallAndReceive(session, log, "RFC_SYSTEM_INFO", exporting, tables, importing);
  if (!called) return called.failure();

  SystemIdentity identity;
  identity.host = ReceivedField(rfcsi_export, rfcsi.Place("RFCHOST"));
  identity.instance_name = ReceivedField(rfcsi_export, rfcsi.Place("RFCDEST"));
  identity.sap_release = ReceivedField(rfcsi_export, rfcsi.Place("RFCSAPRL"));
  return identity;
}

} // namespace quarlane
