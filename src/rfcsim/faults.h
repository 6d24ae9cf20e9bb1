// Failures written into the landscape on purpose, so that every failure path
// of a caller can be exercised: which library operation fails, and how.
#ifndef QUARLANE_RFCSIM_FAULTS_H
#define QUARLANE_RFCSIM_FAULTS_H

#include <string>
#include <vector>

namespace quarlane::rfcsim {

// Every site once, with the word that names it in the landscape: the enum
// and the table of words (faults.cpp) are both made from this list.
// clang-format off
#define RFCSIM_FAULT_SITES(X) \
  X(Open, "open")             \
  X(Call, "call")             \
  X(Receive, "receive")       \
  X(Install, "install")       \
  X(ItCreate, "itcreate")     \
  X(ItGetLine, "itgetline")   \
  X(ItDelete, "itdelete")
// clang-format on

enum class FaultSite {
#define RFCSIM_FAULT_SITE(site, word) site,
  RFCSIM_FAULT_SITES(RFCSIM_FAULT_SITE)
#undef RFCSIM_FAULT_SITE
};

enum class OpenFailure { None, Logon, Communication };

struct Fault {
  FaultSite site = FaultSite::Open;
  std::string name; // function, structure or table; "*" any; empty for Open
  OpenFailure open_failure = OpenFailure::None;
  int rc = 1;               // Call and Receive: the return code
  std::string exception;    // the exception name for codes 2 and 3
  std::string message;      // replaces the default error message when set
  bool handler = false;     // fail through the registered error handler
  std::string handler_text; // its operation text; empty: the default one
  unsigned from_line = 1;   // ItGetLine: the first line that fails
  unsigned delay_ms = 0;    // Open: the partner answers the logon this late
  std::string where;        // "SapLandscape.ini line 12", for the error texts
};

// Reads the words after "fault =": the site, the name (or for "open" the kind
// of failure), then options. False with *error set when the words do not
// make a fault.
bool ParseFault(const std::vector<std::string> &words, Fault *fault, std::string *error);

// The first fault for this site and name (names compared without regard to
// case, "*" matching any), or NULL.
const Fault *FindFault(const std::vector<Fault> &faults, FaultSite site, const std::string &name);

const char *SiteWord(FaultSite site); // "open", "call", ...

} // namespace quarlane::rfcsim

#endif
