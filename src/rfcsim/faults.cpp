#include "rfcsim/faults.h"

#include <cstddef>
#include <cstdint>

#include "rfcsim/text.h"

namespace quarlane::rfcsim {

namespace {

struct SiteName {
  FaultSite site;
  const char *word;
};

// In the enum's order: row i is the site of value i.
const SiteName kSites[] = {
#define RFCSIM_SITE_WORD(site, word) {FaultSite::site, word},
    RFCSIM_FAULT_SITES(RFCSIM_SITE_WORD)
#undef RFCSIM_SITE_WORD
};

bool ParseOption(const std::string &word, Fault *fault, std::string *error) {
  std::string key;
  std::string value;
  if (!SplitAssignment(word, &key, &value)) {
    if (SameText(word, "handler")) {
      fault->handler = true;
      return true;
    }
    *error = "'" + word + "' is not an option of the form key=value";
    return false;
  }
  key = Upper(key);
  std::int64_t number = 0;
  if (key == "RC" && fault->site != FaultSite::Call && fault->site != FaultSite::Receive) {
    *error = "rc= belongs to call and receive faults only";
    return false;
  }
  if (key == "RC") {
    if (!ParseInteger(value, &number) || number == 0 || number < -2147483647 ||
        number > 2147483647) {
      *error = "rc= needs a return code other than 0";
      return false;
    }
    fault->rc = static_cast<int>(number);
  } else if (key == "EXCEPTION") {
    if (value.empty()) {
      *error = "exception= needs a name";
      return false;
    }
    fault->exception = value;
  } else if (key == "MESSAGE") {
    fault->message = value;
  } else if (key == "HANDLER") {
    fault->handler = true;
    fault->handler_text = value;
  } else if (key == "DELAY" && fault->site == FaultSite::Open) {
    if (!ParseInteger(value, &number) || number < 1 || number > 600000) {
      *error = "delay= needs milliseconds from 1 to 600000";
      return false;
    }
    fault->delay_ms = static_cast<unsigned>(number);
  } else if (key == "FROM" && fault->site == FaultSite::ItGetLine) {
    if (!ParseInteger(value, &number) || number < 1 || number > 2147483647) {
      *error = "from= needs a line number of 1 or more";
      return false;
    }
    fault->from_line = static_cast<unsigned>(number);
  } else {
    *error = "unknown option '" + key + "' for a " + SiteWord(fault->site) + " fault";
    return false;
  }
  return true;
}

} // namespace

const char *SiteWord(FaultSite site) { return kSites[static_cast<std::size_t>(site)].word; }

bool ParseFault(const std::vector<std::string> &words, Fault *fault, std::string *error) {
  *fault = Fault{};
  if (words.empty()) {
    *error = "a fault needs a site: open, call, receive, install, itcreate, itgetline or itdelete";
    return false;
  }
  bool known = false;
  for (const SiteName &entry : kSites) {
    if (SameText(words[0], entry.word)) {
      fault->site = entry.site;
      known = true;
    }
  }
  if (!known) {
    *error = "unknown fault site '" + words[0] +
             "' (open, call, receive, install, itcreate, itgetline, itdelete)";
    return false;
  }
  std::size_t next = 1;
  if (fault->site == FaultSite::Open) {
    if (next < words.size() && SameText(words[next], "logon")) {
      fault->open_failure = OpenFailure::Logon;
      ++next;
    } else if (next < words.size() && SameText(words[next], "communication")) {
      fault->open_failure = OpenFailure::Communication;
      ++next;
    }
  } else {
    if (next >= words.size() || words[next].find('=') != std::string::npos || words[next].empty()) {
      *error = std::string("a ") + SiteWord(fault->site) + " fault needs a name (or * for any)";
      return false;
    }
    fault->name = words[next++];
  }
  for (; next < words.size(); ++next)
    if (!ParseOption(words[next], fault, error)) return false;
  if (fault->site == FaultSite::Open && fault->open_failure == OpenFailure::None &&
      !fault->handler && fault->delay_ms == 0) {
    *error = "an open fault needs 'logon', 'communication', a handler or delay=";
    return false;
  }
  return true;
}

const Fault *FindFault(const std::vector<Fault> &faults, FaultSite site, const std::string &name) {
  for (const Fault &fault : faults) {
    if (fault.site != site) continue;
    if (fault.site == FaultSite::Open || fault.name == "*" ||
        SameText(Trim(fault.name), Trim(name)))
      return &fault;
  }
  return nullptr;
}

} // namespace quarlane::rfcsim
