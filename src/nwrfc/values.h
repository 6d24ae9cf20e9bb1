// Values between the SDK and the caller: a field of an SDK container read by
// the type the system describes, a function's parameter set, a row of the
// caller's installed layout filled from an SDK row, and the caller's
// exporting values as sent. Each conversion rule has its one place here;
// calls.cpp makes the calls, collector_call.cpp answers the classic summary
// from the collector.
#ifndef QUARLANE_NWRFC_VALUES_H
#define QUARLANE_NWRFC_VALUES_H

#include <string>
#include <vector>

#include "nwrfc/fields.h"
#include "nwrfc/library.h"
#include "nwrfc/sdk.h"
#include "rfcshared/call_outcome.h"

namespace quarlane::nwrfc {

// A name or text as the SDK takes it (UTF-16 from Windows-1252).
std::u16string SdkName(const std::string &text);

// The field descriptions of a structure or table row, fetched once per
// connection; nullptr when the SDK cannot give them.
const std::vector<sapnwrfc::RFC_FIELD_DESC> *FieldsOf(Connection &connection, const Sdk &sdk,
                                                      sapnwrfc::RFC_TYPE_DESC_HANDLE type);
const sapnwrfc::RFC_FIELD_DESC *FindField(const std::vector<sapnwrfc::RFC_FIELD_DESC> &fields,
                                          const std::string &name);

// Whether a value of this SDK type is a number (integer, packed, float, NUM).
bool IsNumeric(sapnwrfc::RFCTYPE type);

// One value of a function, structure or table row, by its SDK type.
sapnwrfc::RFC_RC GetValue(const Sdk &sdk, sapnwrfc::DATA_CONTAINER_HANDLE container,
                          const std::string &name, sapnwrfc::RFCTYPE type, unsigned byte_length,
                          SdkValue *value, sapnwrfc::RFC_ERROR_INFO *info);

// Sets one of the function's IMPORT (or CHANGING) parameters; a name the
// function does not have is left out, as the classic libraries do.
bool SetValue(const Sdk &sdk, const FunctionDescription &description,
              sapnwrfc::RFC_FUNCTION_HANDLE function_handle, const std::string &name,
              const SdkValue &value, sapnwrfc::RFC_ERROR_INFO *info);

SdkValue TextValue(const std::string &text);

// The value of a field of the caller's layout that the SDK's row does not
// have: blank (character, date) or zero (numbers).
SdkValue MissingValue(RFC_TYPEHANDLE type);

// A value that cannot reach the caller's layout: a failure of the call
// (classic code 1) naming the function, the field and the problem.
rfcshared::CallOutcome ConversionFailure(const std::string &function, const std::string &what,
                                         const std::string &problem);

// One row of the caller's layout from an SDK structure or table row.
bool ReadRow(const Sdk &sdk, sapnwrfc::DATA_CONTAINER_HANDLE container,
             const std::vector<sapnwrfc::RFC_FIELD_DESC> &fields, const RowLayout &layout,
             const std::string &function, std::vector<unsigned char> *row,
             rfcshared::CallOutcome *outcome);

// A row appended to the caller's table, cut or zero-padded to its length.
void AppendRow(InternalTable &table, std::vector<unsigned char> row);

// RFCSI_EXPORT-RFCSAPRL of an RFC_SYSTEM_INFO answer into
// connection.release, when the row has it.
void NoteRelease(Connection &connection, const Sdk &sdk, sapnwrfc::RFC_STRUCTURE_HANDLE row,
                 const std::vector<sapnwrfc::RFC_FIELD_DESC> &fields);

// The caller's exporting value of that name as text; empty when not sent.
std::string SentText(const Connection &connection, const char *name);

} // namespace quarlane::nwrfc

#endif
