// The state of the NetWeaver RFC bridge and its operations, one per exported
// function of the classic boundary (rfc/rfc_abi.h). exports.cpp forwards each
// C function to these with the process's one Library.
//
// Like the simulated library, the bridge is used from one thread; its only
// other threads are the connections' workers that run blocking SDK calls under
// the time bound (bounded.h), which touch nothing of this state.
#ifndef QUARLANE_NWRFC_LIBRARY_H
#define QUARLANE_NWRFC_LIBRARY_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "nwrfc/bounded.h"
#include "nwrfc/fields.h"
#include "nwrfc/sapnwrfc_api.h"
#include "nwrfc/sdk_words.h" // RcName, TypeName
#include "nwrfc/settings.h"
#include "rfc/rfc_abi.h"
#include "rfcshared/trace.h"

namespace quarlane::nwrfc {

// A failure, as RfcLastError reports it and the trace "Dev_Rfc.Trc" in the
// working folder shows it (rfcshared/trace.h).
using rfcshared::ErrorEntry;

struct Sdk;

// A function's description, fetched once per connection.
struct FunctionDescription {
  bool found = false;
  sapnwrfc::RFC_FUNCTION_DESC_HANDLE handle = nullptr;
  std::vector<sapnwrfc::RFC_PARAMETER_DESC> parameters;
  const sapnwrfc::RFC_PARAMETER_DESC *Find(const std::string &name) const;
};

// An exporting parameter as the caller sent it.
struct SentParameter {
  std::string name;
  RFC_TYPEHANDLE type = RFCTYPE_CHAR;
  unsigned leng = 0;
  SdkValue value;
};

struct Connection {
  std::string destination;
  sapnwrfc::RFC_CONNECTION_HANDLE sdk_handle = nullptr;
  Settings settings;
  Clock::time_point deadline;
  std::shared_ptr<BoundedWorker>
      worker;          // runs every blocking SDK call on this connection (bounded.h)
  bool broken = false; // cancelled, timed out or failed in the network: no more calls on it
  bool abandoned =
      false; // an SDK call on it was left running at the time bound: never touched again
  std::string broken_reason;
  std::map<std::string, std::shared_ptr<FunctionDescription>> functions;
  std::map<const void *, std::vector<sapnwrfc::RFC_FIELD_DESC>> types; // by type description handle
  std::string release;      // RFCSI_EXPORT-RFCSAPRL once seen
  std::string system_clock; // GET_CPU_ALL's LASTCOLLWRT once seen: the system's own time
  bool call_pending = false;
  std::string function;
  std::vector<SentParameter> exporting;
};

struct InstalledStructure {
  RFC_TYPEHANDLE handle = 0;
  RowLayout layout;
};

struct InternalTable {
  std::string name;
  unsigned row_length = 0;
  std::vector<std::vector<unsigned char>> rows;
};

struct Library {
  RFC_ERROR_HANDLER handler = nullptr;
  std::map<RFC_HANDLE, Connection> connections;
  RFC_HANDLE next_handle = 1;
  std::vector<InstalledStructure> structures;
  std::map<const void *, std::unique_ptr<InternalTable>> tables;
  bool has_error = false;
  ErrorEntry last_error;
  std::string exception; // what RfcReceive's *exception points to
  // Whether a failure is appended to the trace "Dev_Rfc.Trc": the sensor's
  // library always does; the first-contact check, which writes no file,
  // turns it off.
  bool writes_trace = true;
  // The destination file the next RfcOpenEx reads, set by the sensor through
  // QuarlaneDestinationFile; empty: RFC_INI, else "SapRfc.ini".
  std::string destination_file;
};

// The library of this process; never destroyed, so that a caller ending the
// process from inside its error handler finds it intact.
Library &ProcessLibrary();

#include "rfcshared/operations.inc"

// Shared by the operations.
void RecordFailure(Library &library, const ErrorEntry &entry); // last error + trace block
void RecordInternalFailure(Library &library, const char *operation) noexcept;
const InstalledStructure *StructureOf(const Library &library, RFC_TYPEHANDLE handle);
InternalTable *FindTable(const Library &library, const void *handle);

// The SDK's error information as text: key, message and the rest for intstat.
std::string SdkText(const char16_t *units, std::size_t size);

// The SDK has closed the connection (SAP's documentation of RfcInvoke: after
// RFC_ABAP_MESSAGE, RFC_ABAP_RUNTIME_FAILURE and RFC_COMMUNICATION_FAILURE;
// after a cancel): its handle is never given to the SDK again, and every later
// call fails with this first cause.
void ClosedBySdk(Connection &connection, int code, const std::string &message);

// Whether a failure with this code and error group has closed the
// connection, as SAP's bindings decide it (PyRFC _cyrfc.pyx Connection.call,
// node-rfc src/cpp/Client.cc Client::connectionCheck): the codes
// RFC_COMMUNICATION_FAILURE, RFC_ABAP_RUNTIME_FAILURE, RFC_ABAP_MESSAGE and
// RFC_EXTERNAL_FAILURE, or the groups ABAP_RUNTIME_FAILURE, LOGON_FAILURE,
// COMMUNICATION_FAILURE and EXTERNAL_RUNTIME_FAILURE; both bindings then drop
// the handle without RfcCloseConnection. RFC_CLOSED, RFC_CANCELED and
// RFC_INVALID_HANDLE say so themselves.
bool SdkClosed(int code, int group);

// The SDK's message of `info` into `entry`: its finding (text.h SplitMessage)
// as the message, the line the trace scan reports, and every line of a
// multi-line message as its own line of the trace block. Empty when the SDK
// gave none. A message with characters Windows-1252 cannot hold (shown as
// '?') is also written whole, in UTF-8, to the trace block ("SDK, UTF-8: ").
void TakeSdkMessage(const sapnwrfc::RFC_ERROR_INFO &info, ErrorEntry *entry);

} // namespace quarlane::nwrfc

#endif
