// The remote-call pattern and the two calls made before the load summary.
#ifndef QUARLANE_RFC_REMOTE_CALLS_H
#define QUARLANE_RFC_REMOTE_CALLS_H

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "loadstats/system_clock.h"
#include "rfc/log_hook.h"
#include "rfc/rfc_rows.h"
#include "rfc/session.h"
#include "util/result.h"

namespace quarlane {

// A parameter or table list for the library, ending in the entry without a
// name. The names live in the list, so the entries returned by Entries() stay
// valid while the list lives and nothing is added to it.
template <typename Entry> class NamedEntryList {
public:
  Entry *Entries() { // the closing entry included
    built_ = entries_;
    for (std::size_t i = 0; i < built_.size(); ++i) built_[i].name = names_[i].data();
    built_.push_back(Entry{});
    return built_.data();
  }

protected:
  // A zeroed entry carrying the name's length; the name itself is set by Entries().
  Entry &AddNamed(const char *name) {
    names_.emplace_back(name ? name : "");
    entries_.push_back(Entry{});
    entries_.back().nlen = static_cast<unsigned>(names_.back().size());
    return entries_.back();
  }

private:
  std::vector<std::string> names_;
  std::vector<Entry> entries_; // without the closing entry
  std::vector<Entry> built_;   // what Entries() hands out
};

class ParameterList : public NamedEntryList<RFC_PARAMETER> {
public:
  void Add(const char *name, RFC_TYPEHANDLE type, unsigned length, void *address);
};

class TableList : public NamedEntryList<RFC_TABLE> {
public:
  void Add(const char *name, RFC_TYPEHANDLE type, ITAB_H table);
};

// Where a field lies in a row the library laid out.
struct FieldPlace {
  std::size_t offset = 0;
  std::size_t length = 0;
};

// A structure's type description as the library takes it (offsets 0: the
// library lays the row out), and the places of its fields in such a row
// (rfc/rfc_rows.h).
class StructureDescription {
public:
  StructureDescription(const char *name, const ElementLayout *layout, std::size_t count);
  template <std::size_t N>
  StructureDescription(const char *name, const ElementLayout (&layout)[N])
      : StructureDescription(name, layout, N) {}
  // The elements point into the layout's own names: never copied or moved.
  StructureDescription(const StructureDescription &) = delete;
  StructureDescription &operator=(const StructureDescription &) = delete;

  const std::string &name() const { return layout_.name; }
  const std::vector<RFC_TYPE_ELEMENT> &elements() const { return elements_; }
  // The field's place; a name not in the structure is a fault of the caller.
  FieldPlace Place(const char *field) const;

private:
  RowLayout layout_; // the elements point into its names
  std::vector<RFC_TYPE_ELEMENT> elements_;
};

// Installs the structure unless its handle is already set; fails with
// LibraryFailed ("RfcInstallStructure").
Status EnsureStructureInstalled(RfcSession &session, const StructureDescription &structure,
                                RFC_TYPEHANDLE &handle);

// RfcCall, then (when it returned 0) RfcReceive on the session's connection,
// with the log hook lines; fails with the failure of the first code that is
// not 0 (CallFailure), the exception's name (codes 2 and 3 of the receive)
// as its detail.
Status CallAndReceive(RfcSession &session, StepLog &log, const char *function,
                      ParameterList &exporting, TableList &tables, ParameterList &importing);

// The failure a call's result code stands for: success for code 0, otherwise
// CallRfcFailure (1014), CallException (1012, the exception's name as detail),
// CallSysException (1013) or CallOtherFailure (1015).
Status CallFailure(RFC_RC code, const std::string &exception);

// The SAP system's clock (GET_CPU_ALL, SystemClock) and what it says about
// itself (RFC_SYSTEM_INFO).
struct SystemIdentity {
  std::string host;          // RFCHOST
  std::string instance_name; // RFCDEST
  std::string sap_release;   // RFCSAPRL
};
struct SystemInfo {
  SystemClock clock;
  SystemIdentity identity;
};

// LASTCOLLWRT ("Thu Mar  5 09:04:00 2026") -> date and time.
SystemClock ClockOfCollectorStamp(const std::string &lastcollwrt);

// GET_CPU_ALL and RFC_SYSTEM_INFO on the session's open connection: the
// call's failure (1012 to 1015), or LibraryFailed when a table or structure
// fails inside the library.
Result<SystemClock> FetchCpuData(RfcSession &session, StepLog &log);
Result<SystemIdentity> FetchSystemInfo(RfcSession &session, StepLog &log);

} // namespace quarlane

#endif
