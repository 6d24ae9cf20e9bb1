// The records of the RFC library boundary, laid out as each build expects
// them: a library built for the same platform by anyone else must find every
// field at the same offset. Three data models matter here: ILP32 (32-bit
// Windows), LP64 (64-bit Linux) and LLP64 (64-bit Windows, where pointers are
// 8 bytes but `unsigned long` stays 4). The static_asserts stop a build whose
// layout drifts; the test below prints the model the build was checked for.
#include "rfc/rfc_abi.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>

namespace {

constexpr bool kPointers64 = sizeof(void *) == 8;
constexpr std::size_t P = sizeof(void *);

// The data model of this build: the boundary's records are written for the
// three only.
static_assert(sizeof(void *) == 4 || sizeof(void *) == 8, "pointers are 4 or 8 bytes");
static_assert(sizeof(int) == 4 && sizeof(unsigned) == 4, "int is 32 bits in every model here");
#if defined(_WIN32)
static_assert(sizeof(unsigned long) == 4, "Windows keeps unsigned long at 32 bits (ILP32, LLP64)");
#else
static_assert(sizeof(unsigned long) == sizeof(void *),
              "Linux: unsigned long is pointer-sized (ILP32, LP64)");
#endif

// Handles and codes are 32-bit integers whatever the pointer size; only the
// table handle is a pointer.
static_assert(std::is_same<RFC_HANDLE, unsigned int>::value, "RFC_HANDLE is unsigned int");
static_assert(std::is_same<RFC_TYPEHANDLE, unsigned int>::value, "RFC_TYPEHANDLE is unsigned int");
static_assert(std::is_same<RFC_RC, int>::value, "RFC_RC is int");
static_assert(sizeof(ITAB_H) == P, "ITAB_H is a pointer");

// RFC_OPTIONS { char *destination; int mode; void *connopt; char *client;
//               char *user; char *password; char *language; int trace; }
// On 64 bits `mode` is followed by 4 bytes of padding before `connopt`.
static_assert(offsetof(RFC_OPTIONS, destination) == 0, "");
static_assert(offsetof(RFC_OPTIONS, mode) == P, "");
static_assert(offsetof(RFC_OPTIONS, connopt) == 2 * P, "");
static_assert(offsetof(RFC_OPTIONS, client) == 3 * P, "");
static_assert(offsetof(RFC_OPTIONS, user) == 4 * P, "");
static_assert(offsetof(RFC_OPTIONS, password) == 5 * P, "");
static_assert(offsetof(RFC_OPTIONS, language) == 6 * P, "");
static_assert(offsetof(RFC_OPTIONS, trace) == 7 * P, "");
static_assert(sizeof(RFC_OPTIONS) == 8 * P, "");

static_assert(offsetof(RFC_CONNOPT_HOST, hostname) == 0, "");
static_assert(offsetof(RFC_CONNOPT_HOST, sysnr) == P, "");
static_assert(offsetof(RFC_CONNOPT_HOST, gateway_host) == 2 * P, "");
static_assert(offsetof(RFC_CONNOPT_HOST, gateway_service) == 3 * P, "");
static_assert(sizeof(RFC_CONNOPT_HOST) == 4 * P, "");

static_assert(offsetof(RFC_CONNOPT_GATEWAY, gateway_service) == P, "");
static_assert(sizeof(RFC_CONNOPT_GATEWAY) == 2 * P, "");

// RFC_PARAMETER { void *name; unsigned nlen; RFC_TYPEHANDLE type;
//                 unsigned leng; void *addr; }: on 64 bits `addr` is aligned
// to 8, after 4 bytes of padding.
static_assert(offsetof(RFC_PARAMETER, nlen) == P, "");
static_assert(offsetof(RFC_PARAMETER, type) == P + 4, "");
static_assert(offsetof(RFC_PARAMETER, leng) == P + 8, "");
static_assert(offsetof(RFC_PARAMETER, addr) == (kPointers64 ? 24 : 16), "");
static_assert(sizeof(RFC_PARAMETER) == (kPointers64 ? 32 : 20), "");

static_assert(offsetof(RFC_TABLE, nlen) == P, "");
static_assert(offsetof(RFC_TABLE, type) == P + 4, "");
static_assert(offsetof(RFC_TABLE, leng) == P + 8, "");
static_assert(offsetof(RFC_TABLE, ithandle) == (kPointers64 ? 24 : 16), "");
static_assert(offsetof(RFC_TABLE, itmode) == (kPointers64 ? 32 : 20), "");
static_assert(offsetof(RFC_TABLE, newitab) == (kPointers64 ? 36 : 24), "");
static_assert(sizeof(RFC_TABLE) == (kPointers64 ? 40 : 28), "");

static_assert(offsetof(RFC_TYPE_ELEMENT, type) == P, "");
static_assert(offsetof(RFC_TYPE_ELEMENT, length) == P + 4, "");
static_assert(offsetof(RFC_TYPE_ELEMENT, decimals) == P + 8, "");
static_assert(offsetof(RFC_TYPE_ELEMENT, offset) == P + 12, "");
static_assert(sizeof(RFC_TYPE_ELEMENT) == (kPointers64 ? 24 : 20), "");

// The error records hold characters only (and one int): the same bytes on
// every platform.
static_assert(offsetof(RFC_ERROR_INFO, status) == 33, "");
static_assert(offsetof(RFC_ERROR_INFO, message) == 161, "");
static_assert(offsetof(RFC_ERROR_INFO, intstat) == 417, "");
static_assert(sizeof(RFC_ERROR_INFO) == 545, "");
static_assert(offsetof(RFC_ERROR_INFO_EX, key) == 4, "");
static_assert(offsetof(RFC_ERROR_INFO_EX, message) == 37, "");
static_assert(sizeof(RFC_ERROR_INFO_EX) == 552, "");

static_assert(offsetof(RFC_ENV, allocate) == P, "");
static_assert(sizeof(RFC_ENV) == 2 * P, "");

// The allocator's size is `unsigned long`: 32 bits on both Windows builds,
// 64 on 64-bit Linux. Library and sensor share this header, so each build
// agrees with itself; the sensor passes no allocator (NULL) in any case.
static_assert(std::is_same<RFC_ALLOCATE, void *(RFC_CALL *)(void *, unsigned long)>::value, "");

// The row layouts are fixed byte counts, independent of the data model.
static_assert(CPU_ALL_ROW_LENGTH == 48 && RFCSI_ROW_LENGTH == 200 && SAPWLSUMRY_ROW_LENGTH == 416,
              "");

const char *DataModel() {
#if defined(_WIN32)
  return kPointers64 ? "LLP64 (64-bit Windows)" : "ILP32 (32-bit Windows)";
#else
  return kPointers64 ? "LP64 (64-bit Linux)" : "ILP32 (32-bit Linux)";
#endif
}

TEST(AbiLayout, RecordsMatchTheDataModelOfThisBuild) {
  // Everything above is checked by the compiler; this names the model, and
  // checks one record through a live object as well.
  RecordProperty("data_model", DataModel());
  RFC_TABLE table{};
  const auto *base = reinterpret_cast<const unsigned char *>(&table);
  EXPECT_EQ(reinterpret_cast<const unsigned char *>(&table.ithandle) - base, kPointers64 ? 24 : 16)
      << DataModel();
  EXPECT_EQ(sizeof(unsigned long), static_cast<std::size_t>(
#if defined(_WIN32)
                                       4
#else
                                       sizeof(void *)
#endif
                                       ))
      << DataModel();
}

} // namespace
