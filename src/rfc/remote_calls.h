// The remote-call pattern and the two calls made before the load summary.
#ifndef QUARLANE_RFC_REMOTE_CALLS_H
#define QUARLANE_RFC_REMOTE_CALLS_H

#include <string>
#include <vector>

#include "sensor/run_context.h"

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

// Installs the structure unless its handle is already set; a failure goes to
// ReportRfcError("RfcInstallStructure").
void EnsureStructureInstalled(Run &run, const char *name, const RFC_TYPE_ELEMENT *elements,
                              unsigned count, RFC_TYPEHANDLE &handle);

// RfcCall, then (when it returned 0) RfcReceive, with the log hook lines; on
// codes 2 and 3 the exception name is copied into exception.
RFC_RC CallAndReceive(Run &run, const char *function, ParameterList &exporting,
                      TableList &tables, ParameterList &importing, std::string &exception);

// Code 0 sets run_status "OK"; any other code appends its message
// ("Error 1014: ...", "Error 1012: Exception.: <name>", "Error 1013: ...",
// "Error 1015: ...") to the document and leaves run_status as it is.
void EvaluateRfcResult(Run &run, RFC_RC code, const std::string &exception);

// LASTCOLLWRT ("Thu Mar  5 09:04:00 2026") -> SystemDate and SystemTime.
void SetSystemDateTime(SapSystem &sap, const std::string &lastcollwrt);

// GET_CPU_ALL and RFC_SYSTEM_INFO on run.rfc.handle; return the RFC code.
RFC_RC FetchCpuData(Run &run);
RFC_RC FetchSystemInfo(Run &run);

} // namespace quarlane

#endif
