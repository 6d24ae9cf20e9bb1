// The boundary to the RFC library, written from our own description of the
// classic RFC interface. The sensor loads a library with these functions at
// run time; our simulated library (src/rfcsim) exports exactly them. Nothing
// here is taken from any vendor header.
#ifndef QUARLANE_RFC_RFC_ABI_H
#define QUARLANE_RFC_RFC_ABI_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define RFC_CALL __stdcall
#else
#define RFC_CALL
#endif

typedef unsigned int RFC_HANDLE;     /* connection; 0 = none */
typedef unsigned int RFC_TYPEHANDLE; /* element type code or installed structure */
typedef void *ITAB_H;                /* internal table; NULL = none */
typedef int RFC_RC;                  /* 0 ok, 1 failure, 2 exception, 3 system exception */

enum { RFC_OK = 0, RFC_FAILURE = 1, RFC_EXCEPTION = 2, RFC_SYS_EXCEPTION = 3 };

/* Element type codes. */
enum { RFCTYPE_CHAR = 0, RFCTYPE_DATE = 1, RFCTYPE_BCD = 2, RFCTYPE_INT = 8, RFCTYPE_INT2 = 9 };

typedef struct RFC_OPTIONS {
  char *destination;
  int mode; /* 0: RFC_CONNOPT_HOST, 1: RFC_CONNOPT_GATEWAY */
  void *connopt;
  char *client;
  char *user;
  char *password;
  char *language;
  int trace;
} RFC_OPTIONS;

typedef struct RFC_CONNOPT_HOST {
  char *hostname;
  int sysnr;
  char *gateway_host;
  char *gateway_service;
} RFC_CONNOPT_HOST;

typedef struct RFC_CONNOPT_GATEWAY {
  char *gateway_host;
  char *gateway_service;
} RFC_CONNOPT_GATEWAY;

typedef struct RFC_PARAMETER {
  void *name; /* not NUL-terminated: nlen bytes */
  unsigned nlen;
  RFC_TYPEHANDLE type;
  unsigned leng;
  void *addr;
} RFC_PARAMETER;

typedef struct RFC_TABLE {
  void *name;
  unsigned nlen;
  RFC_TYPEHANDLE type;
  unsigned leng;
  ITAB_H ithandle;
  int itmode;
  int newitab;
} RFC_TABLE;

typedef struct RFC_TYPE_ELEMENT {
  char *name;
  RFC_TYPEHANDLE type;
  unsigned length;
  unsigned decimals;
  unsigned offset; /* always 0: the library lays the row out */
} RFC_TYPE_ELEMENT;

typedef struct RFC_ERROR_INFO {
  char key[33];
  char status[128];
  char message[256];
  char intstat[128];
} RFC_ERROR_INFO;

typedef struct RFC_ERROR_INFO_EX {
  int group;
  char key[33];
  char message[513];
} RFC_ERROR_INFO_EX;

typedef void(RFC_CALL *RFC_ERROR_HANDLER)(char *operation);
typedef void *(RFC_CALL *RFC_ALLOCATE)(void *old, unsigned long size);

typedef struct RFC_ENV {
  RFC_ERROR_HANDLER errorhandler;
  RFC_ALLOCATE allocate; /* NULL: the library's own allocator */
} RFC_ENV;

/* The functions, as pointer types: the sensor resolves each by name. */
typedef void(RFC_CALL *RfcEnvironment_fn)(RFC_ENV *env);
typedef RFC_HANDLE(RFC_CALL *RfcOpen_fn)(RFC_OPTIONS *options);
typedef RFC_HANDLE(RFC_CALL *RfcOpenEx_fn)(char *connect_string, RFC_ERROR_INFO_EX *error_info);
typedef void(RFC_CALL *RfcClose_fn)(RFC_HANDLE handle);
typedef int(RFC_CALL *RfcInstallStructure_fn)(char *name, RFC_TYPE_ELEMENT *elements,
                                              unsigned entries, RFC_TYPEHANDLE *type_handle);
typedef RFC_RC(RFC_CALL *RfcCall_fn)(RFC_HANDLE handle, char *function, RFC_PARAMETER *exporting,
                                     RFC_TABLE *tables);
typedef RFC_RC(RFC_CALL *RfcReceive_fn)(RFC_HANDLE handle, RFC_PARAMETER *importing,
                                        RFC_TABLE *tables, char **exception);
typedef int(RFC_CALL *RfcLastError_fn)(RFC_ERROR_INFO *info);
typedef ITAB_H(RFC_CALL *ItCreate_fn)(char *name, unsigned leng, unsigned occu, unsigned memo);
typedef unsigned(RFC_CALL *ItFill_fn)(ITAB_H table);
typedef void *(RFC_CALL *ItGetLine_fn)(ITAB_H table, unsigned line);
typedef int(RFC_CALL *ItDelete_fn)(ITAB_H table);

/* The twelve functions once: X(name, operation, result, (parameters),
 * (arguments)) for each, in this order. The sensor's function table, its
 * lookup by name, each library's exported functions and the list of its
 * operations all expand this list, so none of them can leave one out. The
 * operation is the name a library gives its own implementation. */
#define QUARLANE_RFC_FUNCTIONS(X)                                                                  \
  X(RfcEnvironment, Environment, void, (RFC_ENV * env), (env))                                     \
  X(RfcOpen, Open, RFC_HANDLE, (RFC_OPTIONS * options), (options))                                 \
  X(RfcOpenEx, OpenEx, RFC_HANDLE, (char *connect_string, RFC_ERROR_INFO_EX *error_info),          \
    (connect_string, error_info))                                                                  \
  X(RfcClose, Close, void, (RFC_HANDLE handle), (handle))                                          \
  X(RfcInstallStructure, InstallStructure, int,                                                    \
    (char *name, RFC_TYPE_ELEMENT *elements, unsigned entries, RFC_TYPEHANDLE *type_handle),       \
    (name, elements, entries, type_handle))                                                        \
  X(RfcCall, Call, RFC_RC,                                                                         \
    (RFC_HANDLE handle, char *function, RFC_PARAMETER *exporting, RFC_TABLE *tables),              \
    (handle, function, exporting, tables))                                                         \
  X(RfcReceive, Receive, RFC_RC,                                                                   \
    (RFC_HANDLE handle, RFC_PARAMETER * importing, RFC_TABLE * tables, char **exception),          \
    (handle, importing, tables, exception))                                                        \
  X(RfcLastError, LastError, int, (RFC_ERROR_INFO * info), (info))                                 \
  X(ItCreate, ItCreate, ITAB_H, (char *name, unsigned leng, unsigned occu, unsigned memo),         \
    (name, leng, occu, memo))                                                                      \
  X(ItFill, ItFill, unsigned, (ITAB_H table), (table))                                             \
  X(ItGetLine, ItGetLine, void *, (ITAB_H table, unsigned line), (table, line))                    \
  X(ItDelete, ItDelete, int, (ITAB_H table), (table))

/* The two optional functions below, the same way: X(name). */
#define QUARLANE_RFC_OPTIONAL_FUNCTIONS(X) X(QuarlaneDestinationFile) X(QuarlaneThreadsLeftBehind)

/* Opens a parenthesised list: QUARLANE_RFC_UNPAREN (a, b) is a, b. */
#define QUARLANE_RFC_UNPAREN(...) __VA_ARGS__

/* Two optional functions of the NetWeaver RFC bridge's librfc32, beyond the
 * classic twelve (docs/nwrfc.md "The bridge's own functions"); the sensor
 * uses them when the library exports them:
 *  - QuarlaneDestinationFile names the destination file of the next
 *    RfcOpenEx (NULL: back to RFC_INI / "SapRfc.ini"), so that the sensor
 *    never changes the environment while the bridge's threads run;
 *  - QuarlaneThreadsLeftBehind is non-zero once a thread of the library was
 *    left inside the SDK at a time bound: the process must then end without
 *    running static destructors. */
typedef void(RFC_CALL *QuarlaneDestinationFile_fn)(const char *path);
typedef int(RFC_CALL *QuarlaneThreadsLeftBehind_fn)(void);

/* The trace both libraries append their failures to, in the working folder;
 * the sensor reads its last error back and removes it after a good run. */
#define RFC_TRACE_FILE "Dev_Rfc.Trc"

/* Row layouts delivered by the library. */
enum { CPU_ALL_ROW_LENGTH = 48, RFCSI_ROW_LENGTH = 200, SAPWLSUMRY_ROW_LENGTH = 416 };

#ifdef __cplusplus
}
#endif

#endif
