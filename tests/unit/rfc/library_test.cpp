#include "rfc/library.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/paths.h"

namespace quarlane {
namespace {

// The boundary's functions, in their order (rfc/rfc_abi.h).
const char *const kFunctions[] = {
#define FUNCTION_NAME(name, ...) #name,
    QUARLANE_RFC_FUNCTIONS(FUNCTION_NAME)
#undef FUNCTION_NAME
};
constexpr int kCount = static_cast<int>(sizeof kFunctions / sizeof kFunctions[0]);

// Distinct addresses to stand for exported functions.
char g_exports[kCount];

// Bytes of arguments of each, as a 32-bit stdcall library decorates them.
const std::map<std::string, std::string> kDecorations = {{"RfcEnvironment", "@4"},
                                                         {"RfcOpen", "@4"},
                                                         {"RfcOpenEx", "@8"},
                                                         {"RfcClose", "@4"},
                                                         {"RfcInstallStructure", "@16"},
                                                         {"RfcCall", "@16"},
                                                         {"RfcReceive", "@16"},
                                                         {"RfcLastError", "@4"},
                                                         {"ItCreate", "@16"},
                                                         {"ItFill", "@4"},
                                                         {"ItGetLine", "@8"},
                                                         {"ItDelete", "@4"}};

std::map<std::string, void *> Exports(const std::string &prefix, bool decorated) {
  std::map<std::string, void *> exports;
  for (int i = 0; i < kCount; ++i)
    exports[prefix + kFunctions[i] + (decorated ? kDecorations.at(kFunctions[i]) : "")] =
        &g_exports[i];
  return exports;
}

bool Resolve(const std::map<std::string, void *> &exports, RfcLibrary &library) {
  return ResolveRfcFunctionsWith(
      [&exports](const char *name) -> void * {
        auto found = exports.find(name);
        return found == exports.end() ? nullptr : found->second;
      },
      library);
}

void ExpectAllResolved(const RfcLibrary &library) {
  const void *resolved[] = {
#define RESOLVED(name, ...) reinterpret_cast<const void *>(library.name),
      QUARLANE_RFC_FUNCTIONS(RESOLVED)
#undef RESOLVED
  };
  for (int i = 0; i < kCount; ++i) EXPECT_EQ(resolved[i], &g_exports[i]) << kFunctions[i];
}

TEST(ResolveRfcFunctions, PlainAndDecoratedNames) {
  const std::pair<const char *, std::map<std::string, void *>> cases[] = {
      {"plain", Exports("", false)},
      {"Name@N", Exports("", true)},
      {"_Name@N", Exports("_", true)},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.first);
    RfcLibrary library;
    EXPECT_TRUE(Resolve(c.second, library));
    ExpectAllResolved(library);
  }
}

TEST(ResolveRfcFunctions, PlainNameComesFirst) {
  std::map<std::string, void *> exports = Exports("_", true);
  char plain_close;
  exports["RfcClose"] = &plain_close;
  RfcLibrary library;
  EXPECT_TRUE(Resolve(exports, library));
  EXPECT_EQ(reinterpret_cast<void *>(library.RfcClose), &plain_close);
}

TEST(ResolveRfcFunctions, OneMissingFunctionFails) {
  for (const char *missing : kFunctions) {
    std::map<std::string, void *> exports = Exports("", false);
    exports.erase(missing);
    exports[std::string(missing) + "@3"] = &g_exports[0]; // wrong decoration is no match
    RfcLibrary library;
    EXPECT_FALSE(Resolve(exports, library)) << missing;
  }
  RfcLibrary library;
  EXPECT_FALSE(ResolveRfcFunctions(nullptr, library)) << "a library that did not load";
}

TEST(RfcLibraryPath, BesideTheExecutable) {
#if defined(_WIN32)
  EXPECT_EQ(RfcLibraryPath(), ExecutableFolder() + "librfc32.dll");
#else
  EXPECT_EQ(RfcLibraryPath(), ExecutableFolder() + "librfc32.so");
#endif
  EXPECT_FALSE(ExecutableFolder().empty());
}

TEST(EnsureRfcLibrary, KeepsALibraryAlreadySet) {
  RfcLibrary fake;
  RfcSession session;
  session.library = &fake;
  EXPECT_TRUE(EnsureRfcLibrary(session).ok());
  EXPECT_EQ(session.library, &fake);
}

} // namespace
} // namespace quarlane
