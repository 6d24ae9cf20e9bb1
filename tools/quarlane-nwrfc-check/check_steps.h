// The steps of quarlane-nwrfc-check after the logon, and what they share
// with the tool's start (check_tool.cpp).
#ifndef QUARLANE_TOOLS_CHECK_STEPS_H
#define QUARLANE_TOOLS_CHECK_STEPS_H

#include <chrono>
#include <string>

#include "check_tool.h"
#include "rfc/session.h"
#include "util/failure.h"

namespace quarlane {

// A step's outcome with the time since `started`.
void AddStep(CheckResult &result, const std::string &name, bool ok, const std::string &detail,
             std::chrono::steady_clock::time_point started);

// The verdict, unless an earlier problem gave one already.
void Conclude(CheckResult &result, Verdict verdict, const std::string &text);

// The module of this name in the result (added when new).
ModuleCheck &Module(CheckResult &result, const std::string &name);

// What a failed call of a module says about it (not authorised, missing,
// failed), from the bridge's last message; concludes accordingly.
void ClassifyFailure(ModuleCheck &module, const Failure &failure, CheckResult &result);

// Whether the SDK's key or message reports a missing authorisation.
bool IsAuthorisationProblem(const std::string &text);

// Everything after the logon, on the session's open connection.
void CheckSystem(RfcSession &session, CheckResult &result);

} // namespace quarlane

#endif
