/* The part of SAP's NetWeaver RFC SDK (sapnwrfc.dll / libsapnwrfc.so) that
 * the bridge uses, declared here by this project. No SAP header, library or
 * sample is used, shipped or committed: every declaration below is written
 * from SAP's public API documentation and from what open-source bindings of
 * the SDK declare, and each group names its sources.
 *
 * Sources cited below:
 *  [PYRFC]  SAP/PyRFC (Apache-2.0), src/pyrfc/csapnwrfc.pxd: the Cython
 *           declarations of the SDK used by SAP's own Python connector
 *           (names, member names, array lengths, function signatures).
 *  [NETRFC] huysentruitw/SapNwRfc (MIT), src/SapNwRfc/SapRfcType.cs and
 *           src/SapNwRfc/Internal/Interop/ (RfcErrorInfo.cs,
 *           RfcParameterDescription.cs, ...): P/Invoke declarations with
 *           sequential layout, so member ORDER and enum VALUES matter there.
 *  [DRFC]   redstar/sapnwrfc-d (Boost), source/etc/c/sapnwrfc.d: the D
 *           binding, with explicit enum values and member order.
 *  [APIDOC] "SAP NetWeaver RFC SDK 7.50" API reference (doxygen pages of the
 *           SDK documentation, e.g. group__general.html): prototypes are
 *           shown as "DECL_EXP RFC_RC SAP_API RfcInit (void)"; the file
 *           reference of sapnwrfc.h shows SAP_API as _stdcall on Windows
 *           (SAPonNT) and empty elsewhere.
 *
 * What no public source states outright is marked INFERRED here and listed
 * as unconfirmed in docs/nwrfc.md.
 */
#ifndef QUARLANE_NWRFC_SAPNWRFC_API_H
#define QUARLANE_NWRFC_SAPNWRFC_API_H

#include <stddef.h>

/* In C++ everything lives in namespace sapnwrfc: the SDK's names (RFC_RC,
 * RFC_OK, RFC_ERROR_INFO, RFCTYPE_CHAR ...) are also names of the classic
 * boundary (rfc/rfc_abi.h) with other meanings, and the bridge sees both. */
#ifdef __cplusplus
extern "C" {
namespace sapnwrfc {
#endif

/* ---- Calling convention ------------------------------------------------
 * [APIDOC]: SAP_API is _stdcall on Windows, empty elsewhere. On x86-64
 * Windows the compiler ignores __stdcall, so only 32-bit Windows differs.
 * INFERRED: whether a 32-bit sapnwrfc.dll exports plain or decorated
 * (Name@N) names; the bridge resolves the plain name first, then both
 * decorated forms. */
#if defined(_WIN32)
#define SAP_API __stdcall
#else
#define SAP_API
#endif

/* ---- Characters and scalars --------------------------------------------
 * [PYRFC]: SAP_UC is unsigned short (a UTF-16 code unit); RFC_CHAR and
 * RFC_NUM are SAP_UC; SAP_RAW/RFC_BYTE/RFC_INT1 unsigned char; RFC_INT2
 * short; RFC_INT int; RFC_INT8 long long; RFC_FLOAT double; RFC_DATE
 * RFC_CHAR[8] (YYYYMMDD); RFC_TIME RFC_CHAR[6]; RFC_ABAP_NAME
 * RFC_CHAR[30+1]; RFC_PARAMETER_DEFVALUE RFC_CHAR[30+1];
 * RFC_PARAMETER_TEXT RFC_CHAR[79+1].
 * In C++ we use char16_t (same size and representation as unsigned short,
 * so the ABI is the same) to keep UTF-16 text distinct from integers. */
#ifdef __cplusplus
typedef char16_t SAP_UC;
#else
typedef unsigned short SAP_UC;
#endif
typedef unsigned char SAP_RAW;
typedef SAP_UC RFC_CHAR;
typedef RFC_CHAR RFC_NUM;
typedef SAP_RAW RFC_BYTE;
typedef SAP_RAW RFC_BCD;
typedef SAP_RAW RFC_INT1;
typedef short RFC_INT2;
typedef int RFC_INT;
typedef long long RFC_INT8;
typedef double RFC_FLOAT;
typedef RFC_CHAR RFC_DATE[8];
typedef RFC_CHAR RFC_TIME[6];
typedef RFC_CHAR RFC_ABAP_NAME[30 + 1];
typedef RFC_CHAR RFC_PARAMETER_DEFVALUE[30 + 1];
typedef RFC_CHAR RFC_PARAMETER_TEXT[79 + 1];

/* ---- Return codes --------------------------------------------------------
 * [NETRFC] RfcResultCode.cs and [DRFC] RFC_RC list the codes in this order
 * with implicit values from 0 (the SDK's own RFC_OK ... list). The issue's
 * facts agree at 7 (RFC_CANCELED) and 23 (RFC_BUFFER_TOO_SMALL). */
typedef enum RFC_RC {
  RFC_OK = 0,
  RFC_COMMUNICATION_FAILURE = 1,
  RFC_LOGON_FAILURE = 2,
  RFC_ABAP_RUNTIME_FAILURE = 3,
  RFC_ABAP_MESSAGE = 4,
  RFC_ABAP_EXCEPTION = 5,
  RFC_CLOSED = 6,
  RFC_CANCELED = 7,
  RFC_TIMEOUT = 8,
  RFC_MEMORY_INSUFFICIENT = 9,
  RFC_VERSION_MISMATCH = 10,
  RFC_INVALID_PROTOCOL = 11,
  RFC_SERIALIZATION_FAILURE = 12,
  RFC_INVALID_HANDLE = 13,
  RFC_RETRY = 14,
  RFC_EXTERNAL_FAILURE = 15,
  RFC_EXECUTED = 16,
  RFC_NOT_FOUND = 17,
  RFC_NOT_SUPPORTED = 18,
  RFC_ILLEGAL_STATE = 19,
  RFC_INVALID_PARAMETER = 20,
  RFC_CODEPAGE_CONVERSION_FAILURE = 21,
  RFC_CONVERSION_FAILURE = 22,
  RFC_BUFFER_TOO_SMALL = 23,
  RFC_TABLE_MOVE_BOF = 24,
  RFC_TABLE_MOVE_EOF = 25,
  RFC_START_SAPGUI_FAILURE = 26,
  RFC_ABAP_CLASS_EXCEPTION = 27,
  RFC_UNKNOWN_ERROR = 28,
  RFC_AUTHORIZATION_FAILURE = 29
} RFC_RC;

/* ---- Error groups --------------------------------------------------------
 * [NETRFC] RfcErrorGroup.cs, [DRFC] RFC_ERROR_GROUP: in this order from 0.
 * The fact "cancelled: group 4" is COMMUNICATION_FAILURE. */
typedef enum RFC_ERROR_GROUP {
  OK = 0,
  ABAP_APPLICATION_FAILURE = 1,
  ABAP_RUNTIME_FAILURE = 2,
  LOGON_FAILURE = 3,
  COMMUNICATION_FAILURE = 4,
  EXTERNAL_RUNTIME_FAILURE = 5,
  EXTERNAL_APPLICATION_FAILURE = 6,
  EXTERNAL_AUTHORIZATION_FAILURE = 7
} RFC_ERROR_GROUP;

/* ---- Data types of parameters and fields ----------------------------------
 * [NETRFC] SapRfcType.cs and [DRFC] RFCTYPE give these explicit values.
 */
typedef enum RFCTYPE {
  RFCTYPE_CHAR = 0,
  RFCTYPE_DATE = 1,
  RFCTYPE_BCD = 2,
  RFCTYPE_TIME = 3,
  RFCTYPE_BYTE = 4,
  RFCTYPE_TABLE = 5,
  RFCTYPE_NUM = 6,
  RFCTYPE_FLOAT = 7,
  RFCTYPE_INT = 8,
  RFCTYPE_INT2 = 9,
  RFCTYPE_INT1 = 10,
  RFCTYPE_NULL = 14,
  RFCTYPE_ABAPOBJECT = 16,
  RFCTYPE_STRUCTURE = 17,
  RFCTYPE_DECF16 = 23,
  RFCTYPE_DECF34 = 24,
  RFCTYPE_XMLDATA = 28,
  RFCTYPE_STRING = 29,
  RFCTYPE_XSTRING = 30,
  RFCTYPE_INT8 = 31,
  RFCTYPE_UTCLONG = 32
} RFCTYPE;

/* ---- Parameter direction --------------------------------------------------
 * [PYRFC], [NETRFC] RfcDirection.cs, [DRFC]: IMPORT 1, EXPORT 2, CHANGING 3,
 * TABLES 7 (seen from the called function: the caller sends IMPORT
 * parameters and receives EXPORT ones). */
typedef enum RFC_DIRECTION {
  RFC_IMPORT = 0x01,
  RFC_EXPORT = 0x02,
  RFC_CHANGING = 0x03,
  RFC_TABLES = 0x07
} RFC_DIRECTION;

/* ---- Error information -------------------------------------------------
 * [PYRFC], [NETRFC] RfcErrorInfo.cs (sequential), [DRFC]: code, group,
 * key[128], message[512], abapMsgClass[21], abapMsgType[2],
 * abapMsgNumber[4], abapMsgV1..V4[51], in this order. Natural alignment
 * gives 1752 bytes (INFERRED from the member list; checked below). */
typedef struct RFC_ERROR_INFO {
  RFC_RC code;
  RFC_ERROR_GROUP group;
  SAP_UC key[128];
  SAP_UC message[512];
  SAP_UC abapMsgClass[20 + 1];
  SAP_UC abapMsgType[1 + 1];
  RFC_NUM abapMsgNumber[3 + 1];
  SAP_UC abapMsgV1[50 + 1];
  SAP_UC abapMsgV2[50 + 1];
  SAP_UC abapMsgV3[50 + 1];
  SAP_UC abapMsgV4[50 + 1];
} RFC_ERROR_INFO;

/* ---- Connection parameters ------------------------------------------------
 * [PYRFC], [DRFC]: {const SAP_UC *name; const SAP_UC *value;}, both
 * NUL-terminated. Names used by the bridge: client, user, lang, ashost,
 * sysnr, mshost, msserv, sysid, group (help.sap.com "RfcOpenConnection",
 * SAP NetWeaver PI 7.11 documentation; PyRFC's Connection docs); passwd
 * (PyRFC; SAP's page writes "password": which one the SDK requires is
 * UNCONFIRMED); gwhost, gwserv (help.sap.com sapnwrfc.ini examples, shown
 * for a registered server: INFERRED for a client logon). */
typedef struct RFC_CONNECTION_PARAMETER {
  const SAP_UC *name;
  const SAP_UC *value;
} RFC_CONNECTION_PARAMETER;

/* ---- Handles -----------------------------------------------------------------
 * [DRFC]: each handle is a pointer to an opaque struct; function, structure
 * and table handles are all DATA_CONTAINER_HANDLE, which is what RfcGetChars
 * and friends take. [PYRFC]: all void *. Opaque pointer types here. */
typedef struct RFC_CONNECTION_HANDLE_s *RFC_CONNECTION_HANDLE;
typedef struct RFC_FUNCTION_DESC_HANDLE_s *RFC_FUNCTION_DESC_HANDLE;
typedef struct RFC_TYPE_DESC_HANDLE_s *RFC_TYPE_DESC_HANDLE;
typedef struct DATA_CONTAINER_HANDLE_s *DATA_CONTAINER_HANDLE;
typedef DATA_CONTAINER_HANDLE RFC_FUNCTION_HANDLE;
typedef DATA_CONTAINER_HANDLE RFC_STRUCTURE_HANDLE;
typedef DATA_CONTAINER_HANDLE RFC_TABLE_HANDLE;

/* ---- Descriptions -----------------------------------------------------------
 * RFC_PARAMETER_DESC: [NETRFC] RfcParameterDescription.cs (sequential) and
 * [DRFC] agree on the order name, type, direction, nucLength, ucLength,
 * decimals, typeDescHandle, defaultValue, parameterText, optional,
 * extendedDescription. ([PYRFC] lists direction before type, but a Cython
 * extern struct does not fix member order, so the two layout-bearing
 * bindings decide.)
 * RFC_FIELD_DESC: [PYRFC], [NETRFC] RfcFieldDescription.cs, [DRFC]: name,
 * type, nucLength, nucOffset, ucLength, ucOffset, decimals, typeDescHandle,
 * extendedDescription.
 * nucLength is the field's length in bytes in a non-Unicode system: for a
 * CHAR field its number of characters, for a BCD field its packed byte
 * length (INFERRED from the name and the SDK's uc/nuc pairs; the bridge
 * takes character counts from ucLength / 2 and packed lengths from
 * nucLength). */
typedef struct RFC_PARAMETER_DESC {
  RFC_ABAP_NAME name;
  RFCTYPE type;
  RFC_DIRECTION direction;
  unsigned nucLength;
  unsigned ucLength;
  unsigned decimals;
  RFC_TYPE_DESC_HANDLE typeDescHandle;
  RFC_PARAMETER_DEFVALUE defaultValue;
  RFC_PARAMETER_TEXT parameterText;
  RFC_BYTE optional;
  void *extendedDescription;
} RFC_PARAMETER_DESC;

typedef struct RFC_FIELD_DESC {
  RFC_ABAP_NAME name;
  RFCTYPE type;
  unsigned nucLength;
  unsigned nucOffset;
  unsigned ucLength;
  unsigned ucOffset;
  unsigned decimals;
  RFC_TYPE_DESC_HANDLE typeDescHandle;
  void *extendedDescription;
} RFC_FIELD_DESC;

/* ---- Functions -------------------------------------------------------------
 * Signatures: [PYRFC] csapnwrfc.pxd and [DRFC] source/etc/c/sapnwrfc.d,
 * which agree on every one used here that both declare (the D binding's
 * "out RFC_ERROR_INFO" is a pointer in C); RfcSetInt1 and RfcSetInt2 are
 * [DRFC]'s alone (below). [DRFC] declares RfcCancel (line 480) and
 * RfcGetInt8 (line 580) too.
 * Behaviour relied on:
 *  - RfcOpenConnection returns NULL on failure with errorInfo filled
 *    (rust-sapnwrfc docs of RfcOpenConnection: codes RFC_INVALID_PARAMETER,
 *    RFC_COMMUNICATION_FAILURE, RFC_LOGON_FAILURE, ...).
 *  - Tables: RfcGetTable, RfcGetRowCount, RfcMoveTo, then the table handle
 *    itself serves as the current row for RfcGet* (PyRFC's wrapTable does
 *    this, per the facts).
 *  - RfcGetString gives any scalar (BCD included) as text; on
 *    RFC_BUFFER_TOO_SMALL, stringLength holds the length needed (issue's
 *    facts; PyRFC's wrapString retries this way).
 *  - RfcCancel may be called from another thread while RfcInvoke blocks;
 *    the blocked call then returns RFC_CANCELED (7), group 4, and the
 *    connection is closed (issue's facts; PyRFC's cancel_connection).
 *  - An ABAP exception: RfcInvoke returns RFC_ABAP_EXCEPTION (5) with the
 *    exception's name in errorInfo.key (PyRFC's ABAPApplicationError uses
 *    key as the exception name). */
typedef RFC_CONNECTION_HANDLE(SAP_API *RfcOpenConnection_fn)(
    const RFC_CONNECTION_PARAMETER *connectionParams, unsigned paramCount,
    RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcCloseConnection_fn)(RFC_CONNECTION_HANDLE rfcHandle,
                                               RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcCancel_fn)(RFC_CONNECTION_HANDLE rfcHandle, RFC_ERROR_INFO *errorInfo);
/* RfcGetVersion: [PYRFC] csapnwrfc.pxd (get_nwrfclib_version); optional for
 * the bridge, used by the first-contact check only. */
typedef const SAP_UC *(SAP_API *RfcGetVersion_fn)(unsigned *majorVersion, unsigned *minorVersion,
                                                  unsigned *patchLevel);

typedef RFC_FUNCTION_DESC_HANDLE(SAP_API *RfcGetFunctionDesc_fn)(RFC_CONNECTION_HANDLE rfcHandle,
                                                                 const SAP_UC *funcName,
                                                                 RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetParameterCount_fn)(RFC_FUNCTION_DESC_HANDLE funcDesc, unsigned *count,
                                                 RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetParameterDescByIndex_fn)(RFC_FUNCTION_DESC_HANDLE funcDesc,
                                                       unsigned index,
                                                       RFC_PARAMETER_DESC *paramDesc,
                                                       RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetFieldCount_fn)(RFC_TYPE_DESC_HANDLE typeHandle, unsigned *count,
                                             RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetFieldDescByIndex_fn)(RFC_TYPE_DESC_HANDLE typeHandle, unsigned index,
                                                   RFC_FIELD_DESC *fieldDescr,
                                                   RFC_ERROR_INFO *errorInfo);

typedef RFC_FUNCTION_HANDLE(SAP_API *RfcCreateFunction_fn)(RFC_FUNCTION_DESC_HANDLE funcDescHandle,
                                                           RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcDestroyFunction_fn)(RFC_FUNCTION_HANDLE funcHandle,
                                               RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcInvoke_fn)(RFC_CONNECTION_HANDLE rfcHandle,
                                      RFC_FUNCTION_HANDLE funcHandle, RFC_ERROR_INFO *errorInfo);

typedef RFC_RC(SAP_API *RfcSetChars_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                        const RFC_CHAR *charValue, unsigned valueLength,
                                        RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcSetString_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                         const SAP_UC *stringValue, unsigned valueLength,
                                         RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcSetInt_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                      RFC_INT value, RFC_ERROR_INFO *errorInfo);

typedef RFC_RC(SAP_API *RfcGetChars_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                        RFC_CHAR *charBuffer, unsigned bufferLength,
                                        RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetString_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                         SAP_UC *stringBuffer, unsigned bufferLength,
                                         unsigned *stringLength, RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetBytes_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                        SAP_RAW *byteBuffer, unsigned bufferLength,
                                        RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetInt_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                      RFC_INT *value, RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetInt1_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                       RFC_INT1 *value, RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetInt2_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                       RFC_INT2 *value, RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetDate_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                       RFC_DATE emptyDate, RFC_ERROR_INFO *errorInfo);
/* Typed getters and setters for FLOAT, INT8, INT1 and INT2: [PYRFC]
 * csapnwrfc.pxd declares RfcGetFloat(DATA_CONTAINER_HANDLE, SAP_UC*,
 * RFC_FLOAT*, RFC_ERROR_INFO*) and RfcGetInt8(..., RFC_INT8*, ...); [DRFC]
 * declares the same two and RfcSetInt1(..., RFC_INT1, ...) and
 * RfcSetInt2(..., RFC_INT2, ...). PyRFC declares neither RfcSetInt1 nor
 * RfcSetInt2: its fillVariable (_cyrfc.pyx) sets INT, INT1 and INT2 with
 * RfcSetInt, and so does node-rfc (src/cpp/nwrfcsdk.cc, after checking the
 * value's range). [APIDOC] documents RfcSetInt for INT; the text form of a
 * FLOAT from RfcGetString is documented nowhere.
 * OPTIONAL for the bridge (an older SDK may lack them; no public source names
 * the patch level that added them): RfcGetInt8 (RfcGetString is used
 * instead), RfcSetInt1 and RfcSetInt2 (RfcSetInt instead, as both bindings
 * do), RfcCancel above (no cancel: the call is left behind at the time
 * bound) and RfcLoadCryptoLibrary below. */
typedef RFC_RC(SAP_API *RfcGetFloat_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                        RFC_FLOAT *value, RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetInt8_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                       RFC_INT8 *value, RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcSetInt1_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                       RFC_INT1 value, RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcSetInt2_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                       RFC_INT2 value, RFC_ERROR_INFO *errorInfo);

typedef RFC_RC(SAP_API *RfcGetStructure_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                            RFC_STRUCTURE_HANDLE *structHandle,
                                            RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetTable_fn)(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                        RFC_TABLE_HANDLE *tableHandle, RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcGetRowCount_fn)(RFC_TABLE_HANDLE tableHandle, unsigned *rowCount,
                                           RFC_ERROR_INFO *errorInfo);
typedef RFC_RC(SAP_API *RfcMoveTo_fn)(RFC_TABLE_HANDLE tableHandle, unsigned index,
                                      RFC_ERROR_INFO *errorInfo);
/* RfcLoadCryptoLibrary: [PYRFC] csapnwrfc.pxd (set_cryptolib_path), node-rfc
 * src/cpp/addon.cc (loadCryptoLibrary): the crypto library's path, once per
 * process. Optional; resolved and named by the check tool, not yet called. */
typedef RFC_RC(SAP_API *RfcLoadCryptoLibrary_fn)(const SAP_UC *pathName, RFC_ERROR_INFO *errorInfo);

/* Prototypes with the same signatures, for an implementation of this subset
 * (the test fake defines SAPNWRFC_API_PROTOTYPES so that the compiler checks
 * its definitions against the types above). */
#ifdef SAPNWRFC_API_PROTOTYPES
#define SAPNWRFC_PROTO(ret, name, args) ret SAP_API name args;
SAPNWRFC_PROTO(RFC_CONNECTION_HANDLE, RfcOpenConnection,
               (const RFC_CONNECTION_PARAMETER *connectionParams, unsigned paramCount,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcCloseConnection,
               (RFC_CONNECTION_HANDLE rfcHandle, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcCancel, (RFC_CONNECTION_HANDLE rfcHandle, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_FUNCTION_DESC_HANDLE, RfcGetFunctionDesc,
               (RFC_CONNECTION_HANDLE rfcHandle, const SAP_UC *funcName, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetParameterCount,
               (RFC_FUNCTION_DESC_HANDLE funcDesc, unsigned *count, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetParameterDescByIndex,
               (RFC_FUNCTION_DESC_HANDLE funcDesc, unsigned index, RFC_PARAMETER_DESC *paramDesc,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetFieldCount,
               (RFC_TYPE_DESC_HANDLE typeHandle, unsigned *count, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetFieldDescByIndex,
               (RFC_TYPE_DESC_HANDLE typeHandle, unsigned index, RFC_FIELD_DESC *fieldDescr,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_FUNCTION_HANDLE, RfcCreateFunction,
               (RFC_FUNCTION_DESC_HANDLE funcDescHandle, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(const SAP_UC *, RfcGetVersion,
               (unsigned *majorVersion, unsigned *minorVersion, unsigned *patchLevel))
SAPNWRFC_PROTO(RFC_RC, RfcDestroyFunction,
               (RFC_FUNCTION_HANDLE funcHandle, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcInvoke,
               (RFC_CONNECTION_HANDLE rfcHandle, RFC_FUNCTION_HANDLE funcHandle,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcSetChars,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, const RFC_CHAR *charValue,
                unsigned valueLength, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcSetString,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, const SAP_UC *stringValue,
                unsigned valueLength, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcSetInt,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, RFC_INT value,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetChars,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, RFC_CHAR *charBuffer,
                unsigned bufferLength, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetString,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, SAP_UC *stringBuffer,
                unsigned bufferLength, unsigned *stringLength, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetBytes,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, SAP_RAW *byteBuffer,
                unsigned bufferLength, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetInt,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, RFC_INT *value,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetInt1,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, RFC_INT1 *value,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetInt2,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, RFC_INT2 *value,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetDate,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, RFC_DATE emptyDate,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetFloat,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, RFC_FLOAT *value,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetInt8,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, RFC_INT8 *value,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcSetInt1,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, RFC_INT1 value,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcSetInt2,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, RFC_INT2 value,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetStructure,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                RFC_STRUCTURE_HANDLE *structHandle, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetTable,
               (DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, RFC_TABLE_HANDLE *tableHandle,
                RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcGetRowCount,
               (RFC_TABLE_HANDLE tableHandle, unsigned *rowCount, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcMoveTo,
               (RFC_TABLE_HANDLE tableHandle, unsigned index, RFC_ERROR_INFO *errorInfo))
SAPNWRFC_PROTO(RFC_RC, RfcLoadCryptoLibrary, (const SAP_UC *pathName, RFC_ERROR_INFO *errorInfo))
#undef SAPNWRFC_PROTO
#endif

#ifdef __cplusplus
} /* namespace sapnwrfc */
} /* extern "C" */

namespace sapnwrfc {

/* Layout checks: the sizes and offsets natural alignment gives the member
 * lists above, on ILP32 (32-bit Windows), LLP64 (64-bit Windows) and LP64
 * (Linux) alike. A compiler that laid them out otherwise would disagree
 * with the SDK, so the build stops. */
static_assert(sizeof(SAP_UC) == 2, "SAP_UC is one UTF-16 unit");
static_assert(sizeof(RFC_RC) == 4 && sizeof(RFCTYPE) == 4 && sizeof(RFC_DIRECTION) == 4,
              "the SDK's enums are int-sized");
static_assert(offsetof(RFC_ERROR_INFO, key) == 8, "RFC_ERROR_INFO.key");
static_assert(offsetof(RFC_ERROR_INFO, message) == 8 + 256, "RFC_ERROR_INFO.message");
static_assert(offsetof(RFC_ERROR_INFO, abapMsgClass) == 8 + 256 + 1024,
              "RFC_ERROR_INFO.abapMsgClass");
static_assert(sizeof(RFC_ERROR_INFO) == 1752, "RFC_ERROR_INFO size");
static_assert(offsetof(RFC_PARAMETER_DESC, type) == 64, "RFC_PARAMETER_DESC.type");
static_assert(offsetof(RFC_PARAMETER_DESC, nucLength) == 72, "RFC_PARAMETER_DESC.nucLength");
static_assert(offsetof(RFC_PARAMETER_DESC, typeDescHandle) == (sizeof(void *) == 8 ? 88 : 84),
              "RFC_PARAMETER_DESC.typeDescHandle");
static_assert(offsetof(RFC_FIELD_DESC, ucOffset) == 80, "RFC_FIELD_DESC.ucOffset");
static_assert(offsetof(RFC_FIELD_DESC, typeDescHandle) == 88, "RFC_FIELD_DESC.typeDescHandle");
static_assert(sizeof(RFC_CONNECTION_PARAMETER) == 2 * sizeof(void *), "RFC_CONNECTION_PARAMETER");
} /* namespace sapnwrfc */
#endif

#endif
