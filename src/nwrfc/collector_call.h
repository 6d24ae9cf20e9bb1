// SAPWL_WORKLOAD_GET_SUMMARY answered by SWNC_COLLECTOR_GET_AGGREGATES: the
// collector's parameters from the classic call's exporting values, and its
// TASKTYPE rows into the caller's SUMMARY table. calls.cpp makes the call
// between the two; collector.h holds the mapping itself.
#ifndef QUARLANE_NWRFC_COLLECTOR_CALL_H
#define QUARLANE_NWRFC_COLLECTOR_CALL_H

#include "nwrfc/library.h"
#include "nwrfc/sdk.h"
#include "rfcshared/call_outcome.h"

namespace quarlane::nwrfc {

// Sets the collector's parameters for the classic call on `connection`
// (COMPONENT by COLLECTOR_COMPONENT). *selects_nothing when the call names
// no instance: then there is nothing to ask (an empty SUMMARY, as the
// classic module answers). False with *outcome set when a value cannot be set.
bool SendCollectorQuery(const Connection &connection, const Sdk &sdk,
                        const FunctionDescription &description,
                        sapnwrfc::RFC_FUNCTION_HANDLE handle, bool *selects_nothing,
                        rfcshared::CallOutcome *outcome);

// The invoked collector's TASKTYPE rows, as far as the caller's SUMMARY
// layout uses them (FieldsToRead), mapped into that table.
rfcshared::CallOutcome TakeCollectorAnswer(Library &library, Connection &connection, const Sdk &sdk,
                                           const FunctionDescription &description,
                                           sapnwrfc::RFC_FUNCTION_HANDLE handle, RFC_TABLE *tables);

} // namespace quarlane::nwrfc

#endif
