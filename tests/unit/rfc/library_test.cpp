#include "rfc/library.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/paths.h"

namespace quarlane {
namespace {

// Distinct addresses to stand for exported functions.
char g_exports[12];

const char *const kFunctions[] = {"RfcEnvironment", "RfcOpen",   "RfcOpenEx", "RfcClose",
                                  "RfcInstallStructure", "RfcCall", "RfcReceive",
                                  "RfcLastError", "ItCreate", "ItFill", "ItGetLine", "ItDelete"};
// Bytes of arguments of each, as a 32-bit stdcall library decorates them.
const char *const kDecorations[] = {"@4",  "@4",  "@8", "@4",  "@16", "@16",
                                    "@16", "@4",  "@16", "@4", "@8",  "@4"};

std::map<std::string, void *> Exports(const std::string &prefix, bool decorated) {
  std::map<std::string, void *> exports;
  for (int i = 0; i < 12; ++i)
    exports[prefix + kFunctions[i] + (decorated ? kDecorations[i] : "")] = &g_exports[i];
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
  EXPECT_EQ(reinterpret_cast<void *>(library.RfcEnvironment), &g_exports[0]);
  EXPECT_EQ(reinterpret_cast<void *>(library.RfcOpen), &g_exports[1]);
  EXPECT_EQ(reinterpret_cast<void *>(library.RfcOpenEx), &g_exports[2]);
  EXPECT_EQ(reinterpret_cast<void *>(library.RfcClose), &g_exports[3]);
  EXPECT_EQ(reinterpret_cast<void *>(library.RfcInstallStructure), &g_exports[4]);
  EXPECT_EQ(reinterpret_cast<void *>(library.RfcCall), &g_exports[5]);
  EXPECT_EQ(reinterpret_cast<void *>(library.RfcReceive), &g_exports[6]);
  EXPECT_EQ(reinterpret_cast<void *>(library.RfcLastError), &g_exports[7]);
  EXPECT_EQ(reinterpret_cast<void *>(library.ItCreate), &g_exports[8]);
  EXPECT_EQ(reinterpret_cast<void *>(library.ItFill), &g_exports[9]);
  EXPECT_EQ(reinterpret_cast<void *>(library.ItGetLine), &g_exports[10]);
  EXPECT_EQ(reinterpret_cast<void *>(library.ItDelete), &g_exports[11]);
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
