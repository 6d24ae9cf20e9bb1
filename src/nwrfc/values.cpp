#include "nwrfc/values.h"

#include <cstdint>
#include <cstdio>

#include "nwrfc/text.h"

namespace quarlane::nwrfc {

namespace nw = sapnwrfc;
using rfcshared::CallOutcome;
using rfcshared::Failed;

namespace {

std::string Hex(const unsigned char *bytes, std::size_t length) {
  std::string text;
  char pair[3];
  for (std::size_t i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned>(bytes[i]));
    text += pair;
  }
  return text;
}

// INT, INT2 and INT1 with their own getters.
nw::RFC_RC GetSmallInteger(const Sdk &sdk, nw::DATA_CONTAINER_HANDLE container,
                           const std::u16string &field, nw::RFCTYPE type, SdkValue *value,
                           nw::RFC_ERROR_INFO *info) {
  nw::RFC_RC code = nw::RFC_OK;
  if (type == nw::RFCTYPE_INT) {
    nw::RFC_INT number = 0;
    code = sdk.RfcGetInt(container, field.c_str(), &number, info);
    value->integer = number;
  } else if (type == nw::RFCTYPE_INT2) {
    nw::RFC_INT2 number = 0;
    code = sdk.RfcGetInt2(container, field.c_str(), &number, info);
    value->integer = number;
  } else {
    nw::RFC_INT1 number = 0;
    code = sdk.RfcGetInt1(container, field.c_str(), &number, info);
    value->integer = number;
  }
  value->is_integer = true;
  return code;
}

// Any other type as text; packed numbers come as decimal text. A buffer too
// small is retried once with the length the SDK asks for.
nw::RFC_RC GetText(const Sdk &sdk, nw::DATA_CONTAINER_HANDLE container, const std::u16string &field,
                   SdkValue *value, nw::RFC_ERROR_INFO *info) {
  std::vector<nw::SAP_UC> buffer(256, 0);
  unsigned length = 0;
  nw::RFC_RC code = sdk.RfcGetString(container, field.c_str(), buffer.data(),
                                     static_cast<unsigned>(buffer.size()), &length, info);
  if (code == nw::RFC_BUFFER_TOO_SMALL && length + 1 > buffer.size() && length < (1u << 24)) {
    buffer.assign(length + 1, 0);
    code = sdk.RfcGetString(container, field.c_str(), buffer.data(),
                            static_cast<unsigned>(buffer.size()), &length, info);
  }
  if (code == nw::RFC_OK)
    value->text.assign(buffer.data(), length < buffer.size() ? length : buffer.size());
  return code;
}

const SentParameter *Sent(const Connection &connection, const char *name) {
  for (const SentParameter &parameter : connection.exporting)
    if (parameter.name == name) return &parameter;
  return nullptr;
}

} // namespace

std::u16string SdkName(const std::string &text) { return FromWindows1252(text); }

const std::vector<nw::RFC_FIELD_DESC> *FieldsOf(Connection &connection, const Sdk &sdk,
                                                nw::RFC_TYPE_DESC_HANDLE type) {
  const auto cached = connection.types.find(type);
  if (cached != connection.types.end()) return &cached->second;
  std::vector<nw::RFC_FIELD_DESC> fields;
  nw::RFC_ERROR_INFO info{};
  unsigned count = 0;
  if (type == nullptr || sdk.RfcGetFieldCount(type, &count, &info) != nw::RFC_OK) return nullptr;
  for (unsigned i = 0; i < count; ++i) {
    nw::RFC_FIELD_DESC field{};
    if (sdk.RfcGetFieldDescByIndex(type, i, &field, &info) != nw::RFC_OK) return nullptr;
    fields.push_back(field);
  }
  return &(connection.types[type] = fields);
}

// Compared as UTF-16 in place: a row's every field is looked up by name, and
// converting every name of the description at each lookup cost more than
// the SDK calls themselves (bench/README.md).
const nw::RFC_FIELD_DESC *FindField(const std::vector<nw::RFC_FIELD_DESC> &fields,
                                    const std::string &name) {
  const std::u16string wanted = FromWindows1252(name);
  for (const nw::RFC_FIELD_DESC &field : fields)
    if (SameUnits(field.name, sizeof field.name / 2, wanted)) return &field;
  return nullptr;
}

bool IsNumeric(nw::RFCTYPE type) {
  return type == nw::RFCTYPE_BCD || type == nw::RFCTYPE_INT || type == nw::RFCTYPE_INT1 ||
         type == nw::RFCTYPE_INT2 || type == nw::RFCTYPE_INT8 || type == nw::RFCTYPE_FLOAT ||
         type == nw::RFCTYPE_NUM || type == nw::RFCTYPE_DECF16 || type == nw::RFCTYPE_DECF34;
}

nw::RFC_RC GetValue(const Sdk &sdk, nw::DATA_CONTAINER_HANDLE container, const std::string &name,
                    nw::RFCTYPE type, unsigned byte_length, SdkValue *value,
                    nw::RFC_ERROR_INFO *info) {
  const std::u16string field = SdkName(name);
  *value = SdkValue{};
  if (type == nw::RFCTYPE_INT || type == nw::RFCTYPE_INT2 || type == nw::RFCTYPE_INT1)
    return GetSmallInteger(sdk, container, field, type, value, info);
  // Without RfcGetInt8 (an older SDK) an INT8 comes as decimal text through
  // RfcGetString below, as a packed number does.
  if (type == nw::RFCTYPE_INT8 && sdk.RfcGetInt8 != nullptr) {
    nw::RFC_INT8 number = 0;
    const nw::RFC_RC code = sdk.RfcGetInt8(container, field.c_str(), &number, info);
    value->integer = number;
    value->is_integer = true;
    return code;
  }
  if (type == nw::RFCTYPE_FLOAT) {
    // As a double, never as text: the SDK documents no text form of a FLOAT
    // (exponent or fixed). 17 significant digits give the double back exactly.
    nw::RFC_FLOAT number = 0;
    const nw::RFC_RC code = sdk.RfcGetFloat(container, field.c_str(), &number, info);
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", number);
    value->text = FromWindows1252(text);
    return code;
  }
  if (type == nw::RFCTYPE_BYTE) {
    std::vector<nw::SAP_RAW> bytes(byte_length == 0 ? 1 : byte_length, 0);
    const nw::RFC_RC code = sdk.RfcGetBytes(container, field.c_str(), bytes.data(),
                                            static_cast<unsigned>(bytes.size()), info);
    value->text = FromWindows1252(Hex(bytes.data(), byte_length));
    return code;
  }
  if (type == nw::RFCTYPE_DATE) {
    nw::RFC_DATE date;
    const nw::RFC_RC code = sdk.RfcGetDate(container, field.c_str(), date, info);
    value->text.assign(date, 8);
    return code;
  }
  return GetText(sdk, container, field, value, info);
}

bool SetValue(const Sdk &sdk, const FunctionDescription &description,
              nw::RFC_FUNCTION_HANDLE function_handle, const std::string &name,
              const SdkValue &value, nw::RFC_ERROR_INFO *info) {
  const nw::RFC_PARAMETER_DESC *parameter = description.Find(name);
  if (parameter == nullptr) return true;
  const std::u16string field = SdkName(name);
  // INT with RfcSetInt; INT2 and INT1 with their own setters where the SDK
  // has them, otherwise with RfcSetInt, as PyRFC and node-rfc set all three
  // (sapnwrfc_api.h). A value outside the type's range is sent as text, so
  // the SDK refuses it instead of the bridge wrapping it.
  const std::int64_t number = value.integer;
  const bool fits =
      (parameter->type == nw::RFCTYPE_INT && number >= INT32_MIN && number <= INT32_MAX) ||
      (parameter->type == nw::RFCTYPE_INT2 && number >= INT16_MIN && number <= INT16_MAX) ||
      (parameter->type == nw::RFCTYPE_INT1 && number >= 0 && number <= 255);
  if (value.is_integer && fits) {
    if (parameter->type == nw::RFCTYPE_INT2 && sdk.RfcSetInt2 != nullptr)
      return sdk.RfcSetInt2(function_handle, field.c_str(), static_cast<nw::RFC_INT2>(number),
                            info) == nw::RFC_OK;
    if (parameter->type == nw::RFCTYPE_INT1 && sdk.RfcSetInt1 != nullptr)
      return sdk.RfcSetInt1(function_handle, field.c_str(), static_cast<nw::RFC_INT1>(number),
                            info) == nw::RFC_OK;
    return sdk.RfcSetInt(function_handle, field.c_str(), static_cast<nw::RFC_INT>(number), info) ==
           nw::RFC_OK;
  }
  const std::u16string text =
      value.is_integer ? SdkName(std::to_string(value.integer)) : value.text;
  return sdk.RfcSetString(function_handle, field.c_str(), text.c_str(),
                          static_cast<unsigned>(text.size()), info) == nw::RFC_OK;
}

SdkValue TextValue(const std::string &text) {
  SdkValue value;
  value.text = FromWindows1252(text);
  return value;
}

SdkValue MissingValue(RFC_TYPEHANDLE type) {
  SdkValue value;
  value.is_integer = type == RFCTYPE_BCD || type == RFCTYPE_INT || type == RFCTYPE_INT2;
  return value;
}

CallOutcome ConversionFailure(const std::string &function, const std::string &what,
                              const std::string &problem) {
  return Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_CONVERSION",
                "RfcReceive " + function + ": " + what, what + ": " + problem, "conversion");
}

bool ReadRow(const Sdk &sdk, nw::DATA_CONTAINER_HANDLE container,
             const std::vector<nw::RFC_FIELD_DESC> &fields, const RowLayout &layout,
             const std::string &function, std::vector<unsigned char> *row, CallOutcome *outcome) {
  row->assign(layout.length, 0);
  for (const FieldLayout &field : layout.fields) {
    unsigned char *at = row->data() + field.offset;
    const nw::RFC_FIELD_DESC *source = FindField(fields, field.name);
    SdkValue value = MissingValue(field.type);
    if (source != nullptr) {
      nw::RFC_ERROR_INFO info{};
      if (GetValue(sdk, container, field.name, source->type, source->nucLength, &value, &info) !=
          nw::RFC_OK) {
        *outcome = ConversionFailure(function, layout.name + "-" + field.name,
                                     SdkText(info.message, sizeof info.message / 2));
        return false;
      }
    }
    std::string problem;
    if (!WriteField(value, field.type, field.length, field.decimals, at, &problem)) {
      *outcome = ConversionFailure(function, layout.name + "-" + field.name, problem);
      return false;
    }
  }
  return true;
}

void AppendRow(InternalTable &table, std::vector<unsigned char> row) {
  row.resize(table.row_length, 0);
  table.rows.push_back(std::move(row));
}

void NoteRelease(Connection &connection, const Sdk &sdk, nw::RFC_STRUCTURE_HANDLE row,
                 const std::vector<nw::RFC_FIELD_DESC> &fields) {
  const nw::RFC_FIELD_DESC *field = FindField(fields, "RFCSAPRL");
  SdkValue release;
  nw::RFC_ERROR_INFO info{};
  if (field != nullptr &&
      GetValue(sdk, row, "RFCSAPRL", field->type, field->nucLength, &release, &info) == nw::RFC_OK)
    connection.release = ToWindows1252(release.text);
}

std::string SentText(const Connection &connection, const char *name) {
  const SentParameter *parameter = Sent(connection, name);
  return parameter == nullptr ? std::string() : ToWindows1252(parameter->value.text);
}

} // namespace quarlane::nwrfc
