// What failed, as a value: a code whose name says what failed, the detail
// that goes into its message (a path, a name), and the message exactly as a
// run reports it. Every message text lives in one table (failure.cpp).
#ifndef QUARLANE_UTIL_FAILURE_H
#define QUARLANE_UTIL_FAILURE_H

#include <cstddef>
#include <string>

#include "util/enum_table.h"

namespace quarlane {

// Every code, once: the enum and the table of messages (failure.cpp), which
// must hold a row for each, in this order (the build checks it).
#define QUARLANE_FAILURE_CODES(X)                                                                  \
  X(ProfileNameMissing)   /* 1001: no profile name on the command line */                          \
  X(ProfileMissing)       /* 1002: detail: the profile's path (or name) */                         \
  X(InvalidParameters)    /* 1003: detail: the profile's name */                                   \
  X(InvalidPassword)      /* 1004: the stored password does not unscramble */                      \
  X(WrongPassword)        /* 1005: its check digit does not match */                               \
  X(UserMissing)          /* 1006 */                                                               \
  X(PasswordMissing)      /* 1007 */                                                               \
  X(LibraryNotLoaded)     /* 1009: detail: the library's path */                                   \
  X(OpenFailed)           /* 1011: detail: the destination */                                      \
  X(CallException)        /* 1012: detail: the ABAP exception's name */                            \
  X(CallSysException)     /* 1013 */                                                               \
  X(CallRfcFailure)       /* 1014 */                                                               \
  X(CallOtherFailure)     /* 1015 */                                                               \
  X(RewriteFailed)        /* 1016: detail: the profile's path */                                   \
  X(ReopenFailed)         /* 1017: detail: the profile's path */                                   \
  X(ItemProfileMissing)   /* 1024: detail: the item profile's name */                              \
  X(ServerListingMissing) /* 1025 */                                                               \
  X(ItemNameMissing)      /* 1026 */                                                               \
  X(InvalidAllocation)    /* 1029 */                                                               \
  X(GlobalFileMissing)    /* "10x1": detail: the global sensor file's name */                      \
  X(GlobalSensorNotFound) /* 1030: detail: the global sensor's key */                              \
  X(InvalidPathUsage)     /* the profile's folder fails the path check */                          \
  /* The JSON mode's own: the item names no value of the report (detail:                           \
     the item and the names it may take); the working folder cannot be made                        \
     or entered (detail: the folder and why). */                                                   \
  X(UnknownItem)                                                                                   \
  X(WorkingFolderUnusable)                                                                         \
  /* The RFC library failed inside (a table it cannot create, a row it cannot                      \
     give): detail: the operation. No error document: the run prints the                           \
     library's error block and ends with status 1. */                                              \
  X(LibraryFailed)

enum class FailureCode { QUARLANE_FAILURE_CODES(QUARLANE_ENUM_VALUE) };
constexpr std::size_t kFailureCodeCount = 0 QUARLANE_FAILURE_CODES(QUARLANE_ENUM_COUNT);

struct Failure {
  Failure(FailureCode code, std::string detail = std::string());

  FailureCode code;
  std::string detail;
  std::string text; // the message as the run reports it (a trace finding may follow)
};

// The message of a code with its detail, from the one table.
std::string FailureText(FailureCode code, const std::string &detail = std::string());

// Every code with its message's number ("1002", "10x1"; empty for a message
// without one), for the documentation's table and its check.
struct FailureMessage {
  FailureCode code;
  const char *name; // the code's name, as the documentation shows it
  const char *number;
  const char *before; // the text before the detail, after "Error <number>: "
  const char *after;  // the text after the detail
  const char *detail; // what the detail is ("<path>"); empty: the message has none
};

// The library failed inside: the run ends with its error block, status 1.
inline bool IsLibraryFailure(const Failure &failure) {
  return failure.code == FailureCode::LibraryFailed;
}
const FailureMessage *FailureMessagesBegin();
const FailureMessage *FailureMessagesEnd();

} // namespace quarlane

#endif
