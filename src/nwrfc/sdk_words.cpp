#include "nwrfc/sdk_words.h"

namespace quarlane::nwrfc {

namespace {

struct Word {
  int value;
  const char *name;
};

// RFC_RC: PyRFC's csapnwrfc.pxd and node-rfc's src/ts/sapnwrfc.ts list the
// same codes in this order; 30-33 follow RFC_AUTHORIZATION_FAILURE there.
const Word kRcNames[] = {{0, "RFC_OK"},
                         {1, "RFC_COMMUNICATION_FAILURE"},
                         {2, "RFC_LOGON_FAILURE"},
                         {3, "RFC_ABAP_RUNTIME_FAILURE"},
                         {4, "RFC_ABAP_MESSAGE"},
                         {5, "RFC_ABAP_EXCEPTION"},
                         {6, "RFC_CLOSED"},
                         {7, "RFC_CANCELED"},
                         {8, "RFC_TIMEOUT"},
                         {9, "RFC_MEMORY_INSUFFICIENT"},
                         {10, "RFC_VERSION_MISMATCH"},
                         {11, "RFC_INVALID_PROTOCOL"},
                         {12, "RFC_SERIALIZATION_FAILURE"},
                         {13, "RFC_INVALID_HANDLE"},
                         {14, "RFC_RETRY"},
                         {15, "RFC_EXTERNAL_FAILURE"},
                         {16, "RFC_EXECUTED"},
                         {17, "RFC_NOT_FOUND"},
                         {18, "RFC_NOT_SUPPORTED"},
                         {19, "RFC_ILLEGAL_STATE"},
                         {20, "RFC_INVALID_PARAMETER"},
                         {21, "RFC_CODEPAGE_CONVERSION_FAILURE"},
                         {22, "RFC_CONVERSION_FAILURE"},
                         {23, "RFC_BUFFER_TOO_SMALL"},
                         {24, "RFC_TABLE_MOVE_BOF"},
                         {25, "RFC_TABLE_MOVE_EOF"},
                         {26, "RFC_START_SAPGUI_FAILURE"},
                         {27, "RFC_ABAP_CLASS_EXCEPTION"},
                         {28, "RFC_UNKNOWN_ERROR"},
                         {29, "RFC_AUTHORIZATION_FAILURE"},
                         {30, "RFC_AUTHENTICATION_FAILURE"},
                         {31, "RFC_CRYPTOLIB_FAILURE"},
                         {32, "RFC_IO_FAILURE"},
                         {33, "RFC_LOCKING_FAILURE"}};

// RFC_ERROR_GROUP ([NETRFC] RfcErrorGroup.cs, [DRFC], PyRFC's csapnwrfc.pxd).
const Word kGroupNames[] = {{0, "OK"},
                            {1, "ABAP_APPLICATION_FAILURE"},
                            {2, "ABAP_RUNTIME_FAILURE"},
                            {3, "LOGON_FAILURE"},
                            {4, "COMMUNICATION_FAILURE"},
                            {5, "EXTERNAL_RUNTIME_FAILURE"},
                            {6, "EXTERNAL_APPLICATION_FAILURE"},
                            {7, "EXTERNAL_AUTHORIZATION_FAILURE"}};

// RFCTYPE, as sapnwrfc_api.h declares them (explicit values of [NETRFC] and
// [DRFC]); codes between them are unused.
const Word kTypeNames[] = {{0, "CHAR"},        {1, "DATE"},       {2, "BCD"},      {3, "TIME"},
                           {4, "BYTE"},        {5, "TABLE"},      {6, "NUM"},      {7, "FLOAT"},
                           {8, "INT"},         {9, "INT2"},       {10, "INT1"},    {14, "NULL"},
                           {16, "ABAPOBJECT"}, {17, "STRUCTURE"}, {23, "DECF16"},  {24, "DECF34"},
                           {28, "XMLDATA"},    {29, "STRING"},    {30, "XSTRING"}, {31, "INT8"},
                           {32, "UTCLONG"}};

template <std::size_t N> const char *NameOf(const Word (&words)[N], int value) {
  for (const Word &word : words)
    if (word.value == value) return word.name;
  return nullptr;
}

template <std::size_t N> bool ValueOf(const Word (&words)[N], const std::string &name, int *value) {
  for (const Word &word : words)
    if (name == word.name) {
      *value = word.value;
      return true;
    }
  return false;
}

} // namespace

const char *KnownRcName(int rc) { return NameOf(kRcNames, rc); }
const char *KnownGroupName(int group) { return NameOf(kGroupNames, group); }
const char *KnownTypeName(int type) { return NameOf(kTypeNames, type); }

bool RcOfName(const std::string &name, int *rc) { return ValueOf(kRcNames, name, rc); }
bool GroupOfName(const std::string &name, int *group) { return ValueOf(kGroupNames, name, group); }
bool TypeOfName(const std::string &name, int *type) { return ValueOf(kTypeNames, name, type); }

std::string RcName(int rc) {
  const char *name = KnownRcName(rc);
  return name ? name : "RFC_RC " + std::to_string(rc);
}

std::string TypeName(int type) {
  const char *name = KnownTypeName(type);
  return name ? name : "type " + std::to_string(type);
}

} // namespace quarlane::nwrfc
