// What the first-contact check (tools/quarlane-nwrfc-check) asks of the
// bridge beyond the classic boundary: the SDK's version, whether a function
// module exists and how the system describes a table's rows, one field of
// RFC_SYSTEM_INFO, and which workload module the connection reads.
#ifndef QUARLANE_NWRFC_PROBE_H
#define QUARLANE_NWRFC_PROBE_H

#include <string>
#include <vector>

#include "nwrfc/library.h"
#include "nwrfc/sdk.h"

namespace quarlane::nwrfc {

// RfcGetVersion when the SDK has it ("7500.0.12 ..."); empty when not.
std::string SdkVersionText(const Sdk &sdk);

struct FieldShape {
  std::string name;
  std::string type;    // "CHAR", "BCD", "BYTE", ... (RFCTYPE without its prefix)
  unsigned length = 0; // nucLength: characters, or bytes of BYTE and BCD fields
  unsigned decimals = 0;
};

struct ModuleLookup {
  bool present = false;
  bool answered = false;          // false: the lookup itself failed (broken connection, time bound)
  std::string key, message;       // the SDK's, when not present
  std::vector<FieldShape> fields; // the rows of the table asked for
};

// RfcGetFunctionDesc of `function` on the open connection `handle`, under
// the connection's time bound; with `table`, the fields of its rows.
ModuleLookup LookUpModule(Library &library, RFC_HANDLE handle, const std::string &function,
                          const std::string &table);

// RFCSI_EXPORT-<field> of RFC_SYSTEM_INFO (e.g. RFCKERNRL) read directly,
// trailing blanks dropped; empty when it cannot be read.
std::string SystemInfoField(Library &library, RFC_HANDLE handle, const std::string &field);

// A fresh time bound for the next step of the connection (the check's steps
// are bounded one by one, not together as a sensor's run).
void RestartTimeBound(Library &library, RFC_HANDLE handle);

// The collector the connection's next SAPWL_WORKLOAD_GET_SUMMARY reads
// (from quarlane-nwrfc.ini at the logon), and a choice for the next call.
Collector CollectorOf(const Library &library, RFC_HANDLE handle);
void UseCollector(Library &library, RFC_HANDLE handle, Collector collector);

// Likewise the collector's COMPONENT: the logon instance or the whole system
// (COLLECTOR_COMPONENT in quarlane-nwrfc.ini).
CollectorComponent ComponentOf(const Library &library, RFC_HANDLE handle);
void UseComponent(Library &library, RFC_HANDLE handle, CollectorComponent component);

// The module the bridge reads today's summary from under `mode`, as the
// bridge chooses it (docs/nwrfc.md, "The collector switch"); empty when none.
std::string ServingModule(Collector mode, const std::string &release, bool classic_present,
                          bool collector_present);

} // namespace quarlane::nwrfc

#endif
