// The one table of failure messages, with their odd spellings as the
// documents have always carried them.
#include "util/failure.h"

#include <iterator>
#include <utility>

namespace quarlane {

namespace {

constexpr FailureMessage kMessages[] = {
    {FailureCode::ProfileNameMissing, "ProfileNameMissing", "1001",
     "Parameter for Profile-Name is missing !", "", ""},
    {FailureCode::ProfileMissing, "ProfileMissing", "1002", "Profile ", " is missing...", "<path>"},
    {FailureCode::InvalidParameters, "InvalidParameters", "1003", "Invalid Parameter(s) at ",
     " found...", "<profile>"},
    {FailureCode::InvalidPassword, "InvalidPassword", "1004", "Invalid Password in Profile ",
     " found...", "<profile>"},
    {FailureCode::WrongPassword, "WrongPassword", "1005", "Wrong Password in Profile ", " found...",
     "<profile>"},
    {FailureCode::UserMissing, "UserMissing", "1006", "Username in Profile ", " is missing...",
     "<profile>"},
    {FailureCode::PasswordMissing, "PasswordMissing", "1007", "Password in Profile ",
     " is missing...", "<profile>"},
    {FailureCode::LibraryNotLoaded, "LibraryNotLoaded", "1009", "RFC-Library ",
     " could not be loaded !", "<path>"},
    {FailureCode::OpenFailed, "OpenFailed", "1011", "RFC-Open for ", " failed !", "<destination>"},
    {FailureCode::CallException, "CallException", "1012", "Exception.: ", "", "<exception>"},
    {FailureCode::CallSysException, "CallSysException", "1013", "Sys-Exception raised !", "", ""},
    {FailureCode::CallRfcFailure, "CallRfcFailure", "1014", "RFC-Failure raised !", "", ""},
    {FailureCode::CallOtherFailure, "CallOtherFailure", "1015", "Other Failure raised !", "", ""},
    {FailureCode::RewriteFailed, "RewriteFailed", "1016", "ReWriting of Profile ", " failed !",
     "<path>"},
    {FailureCode::ReopenFailed, "ReopenFailed", "1017", "ReOpening of Profile ", " failed !",
     "<path>"},
    {FailureCode::ItemProfileMissing, "ItemProfileMissing", "1024", "ProFile ", " is missing...",
     "<profile>"},
    {FailureCode::ServerListingMissing, "ServerListingMissing", "1025",
     "Global Server Listing missing...", "", ""},
    {FailureCode::ItemNameMissing, "ItemNameMissing", "1026",
     "Global Item Idenification missing...", "", ""},
    {FailureCode::InvalidAllocation, "InvalidAllocation", "1029", "Invalid Sensor-Allocation...",
     "", ""},
    {FailureCode::GlobalFileMissing, "GlobalFileMissing", "10x1", "ProFile ", " is missing...",
     "<profile>"},
    {FailureCode::GlobalSensorNotFound, "GlobalSensorNotFound", "1030", "Global Sensor ",
     " not found...", "<key>"},
    {FailureCode::InvalidPathUsage, "InvalidPathUsage", "", "Sorry, invalid Path-Usage...", "", ""},
    {FailureCode::UnknownItem, "UnknownItem", "", "Unknown item ", "", "<item and the valid ones>"},
    {FailureCode::WorkingFolderUnusable, "WorkingFolderUnusable", "", "Working folder ", "",
     "<folder and why>"},
    {FailureCode::LibraryFailed, "LibraryFailed", "", "", "", "<operation>"},
};

static_assert(RowPerValue(kMessages, kFailureCodeCount, &FailureMessage::code),
              "one message for each FailureCode, in the order of QUARLANE_FAILURE_CODES");

} // namespace

Failure::Failure(FailureCode failure_code, std::string failure_detail)
    : code(failure_code), detail(std::move(failure_detail)), text(FailureText(code, detail)) {}

std::string FailureText(FailureCode code, const std::string &detail) {
  const FailureMessage &m = RowOf(kMessages, code);
  const std::string head = *m.number ? std::string("Error ") + m.number + ": " : std::string();
  return head + m.before + detail + m.after;
}

const FailureMessage *FailureMessagesBegin() { return std::begin(kMessages); }
const FailureMessage *FailureMessagesEnd() { return std::end(kMessages); }

} // namespace quarlane
