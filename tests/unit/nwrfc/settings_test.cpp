#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "nwrfc/settings.h"

namespace quarlane::nwrfc {
namespace {

const char kFile[] = "# all systems\n"
                     "TIMEOUT=30\n"
                     "COLLECTOR=classic\n"
                     "[PRD]\n"
                     "timeout = 45\n"
                     "Collector = COLLECTOR\n"
                     "[QAS]\r\n"
                     "COLLECTOR=auto\r\n";

TEST(NwrfcSettings, PrecedenceOfTheTimeBoundAndTheCollector) {
  struct Case {
    std::optional<std::string> file;
    std::optional<std::string> environment;
    const char *destination;
    unsigned timeout;
    Collector collector;
  } cases[] = {
      {std::nullopt, std::nullopt, "PRD", kDefaultTimeoutSeconds, Collector::Auto},
      {std::nullopt, std::string("12"), "PRD", 12, Collector::Auto},
      {std::string(kFile), std::nullopt, "prd", 45, Collector::New}, // section names ignore case
      {std::string(kFile), std::string("12"), "PRD", 45,
       Collector::New}, // the section beats the environment
      {std::string(kFile), std::string("12"), "QAS", 12,
       Collector::Auto}, // the environment beats the global line
      {std::string(kFile), std::nullopt, "QAS", 30, Collector::Auto},
      {std::string(kFile), std::nullopt, "DEV", 30, Collector::Classic},
      {std::string(kFile), std::string(""), "DEV", 30, Collector::Classic}, // empty variable: unset
  };
  for (const Case &c : cases) {
    Settings settings;
    std::string error;
    ASSERT_TRUE(ResolveSettings(c.file, c.environment, c.destination, &settings, &error)) << error;
    EXPECT_EQ(settings.timeout_seconds, c.timeout) << c.destination;
    EXPECT_EQ(settings.collector, c.collector) << c.destination;
  }
}

TEST(NwrfcSettings, UnusableValuesAreNamed) {
  struct Case {
    std::string file;
    std::optional<std::string> environment;
    const char *error;
  } cases[] = {
      {"TIMEOUT=0\n", std::nullopt,
       "quarlane-nwrfc.ini line 1: TIMEOUT=0 is not a whole number of seconds from 1 to 3600"},
      {"\n[PRD]\nTIMEOUT=20s\n", std::nullopt,
       "quarlane-nwrfc.ini line 3: TIMEOUT=20s is not a whole number"},
      {"TIMEOUT=3601\n", std::nullopt, "line 1: TIMEOUT=3601 is not"},
      {"COLLECTOR=new\n", std::nullopt, "line 1: COLLECTOR=new is not auto, classic or collector"},
      {"TIMEUOT=20\n", std::nullopt, "line 1: unknown setting TIMEUOT"},
      {"[PRD\n", std::nullopt, "line 1: a section line is [NAME]"},
      {"just words\n", std::nullopt, "line 1: not KEY=value"},
      {"NO_DATA_GRACE=1441\n", std::nullopt,
       "line 1: NO_DATA_GRACE=1441 is not a whole number of minutes from 0 to 1440"},
      {"[PRD]\nNO_DATA_GRACE=-5\n", std::nullopt, "line 2: NO_DATA_GRACE=-5 is not"},
      {"NO_DATA_GRACE=\n", std::nullopt, "line 1: NO_DATA_GRACE= is not"},
      {"", std::string("soon"),
       "environment variable QUARLANE_NWRFC_TIMEOUT=soon is not a whole number"},
      {"[PRD]\nCOLLECTOR_COMPONENT=ALL\n", std::nullopt,
       "line 2: COLLECTOR_COMPONENT=ALL is not INSTANCE (the logon instance) or TOTAL (the whole "
       "system)"},
      {"COLLECTOR_COMPONENT=\n", std::nullopt, "line 1: COLLECTOR_COMPONENT= is not INSTANCE"},
      {"COLLECTOR_COMPONENT=TOTAL INSTANCE\n", std::nullopt,
       "line 1: COLLECTOR_COMPONENT=TOTAL INSTANCE is not"},
  };
  for (const Case &c : cases) {
    Settings settings;
    std::string error;
    EXPECT_FALSE(ResolveSettings(c.file, c.environment, "PRD", &settings, &error)) << c.file;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

TEST(NwrfcSettings, NoDataGracePerDestination) {
  const std::string file = "NO_DATA_GRACE=120\n[PRD]\nNO_DATA_GRACE=0\n[QAS]\nTIMEOUT=5\n";
  struct Case {
    std::optional<std::string> file;
    const char *destination;
    unsigned minutes;
  } cases[] = {{std::nullopt, "PRD", kDefaultNoDataGraceMinutes},
               {file, "prd", 0},
               {file, "QAS", 120},
               {std::string("[DEV]\nNO_DATA_GRACE=1440\n"), "DEV", 1440}};
  for (const Case &c : cases) {
    Settings settings;
    std::string error;
    ASSERT_TRUE(ResolveSettings(c.file, std::nullopt, c.destination, &settings, &error)) << error;
    EXPECT_EQ(settings.no_data_grace_minutes, c.minutes) << c.destination;
  }
}

TEST(NwrfcSettings, CollectorComponentPerDestination) {
  const std::string file =
      "COLLECTOR_COMPONENT=total\n[PRD]\nCOLLECTOR_COMPONENT = Instance\n[QAS]\nTIMEOUT=5\n";
  struct Case {
    std::optional<std::string> file;
    const char *destination;
    CollectorComponent component;
  } cases[] = {
      {std::nullopt, "PRD", CollectorComponent::Instance},
      {file, "prd", CollectorComponent::Instance},
      {file, "QAS", CollectorComponent::Total},
      {std::string("[DEV]\nCOLLECTOR_COMPONENT=TOTAL\n"), "DEV", CollectorComponent::Total},
      {std::string("[DEV]\nCOLLECTOR_COMPONENT=TOTAL\n"), "PRD", CollectorComponent::Instance}};
  for (const Case &c : cases) {
    Settings settings;
    std::string error;
    ASSERT_TRUE(ResolveSettings(c.file, std::nullopt, c.destination, &settings, &error)) << error;
    EXPECT_EQ(settings.component, c.component) << c.destination;
  }
}

TEST(NwrfcSettings, AnotherSectionsTypoIsStillAnError) {
  // A typing error anywhere in the file is reported, whichever system runs.
  Settings settings;
  std::string error;
  EXPECT_FALSE(
      ResolveSettings(std::string("[QAS]\nTIMEOUT=x\n"), std::nullopt, "PRD", &settings, &error));
}

std::string Connection(const Settings &settings) {
  std::string text;
  for (const ConnectionSetting &setting : settings.connection)
    text += setting.name + "=" + setting.value + "@" + std::to_string(setting.line) + " ";
  return text;
}

TEST(NwrfcSettings, ConnectionParametersOfTheSectionBeatTheGlobalOnes) {
  const std::string file = "SNC_LIB=/usr/sap/libsapcrypto.so\n"
                           "trace = 1\n"
                           "[PRD]\n"
                           "snc_mode=1\n"
                           "SNC_PARTNERNAME = p:CN=PRD, O=Example, C=DE\n"
                           "SAPROUTER=/H/gate.example.com/S/3299/H/\n"
                           "TRACE=2\n"
                           "[QAS]\n"
                           "MSSERV=3601\n";
  struct Case {
    const char *destination;
    const char *expected; // in the order of the allowlist
  } cases[] = {
      {"PRD", "SAPROUTER=/H/gate.example.com/S/3299/H/@6 TRACE=2@7 SNC_MODE=1@4 "
              "SNC_PARTNERNAME=p:CN=PRD, O=Example, C=DE@5 SNC_LIB=/usr/sap/libsapcrypto.so@1 "},
      {"QAS", "MSSERV=3601@9 TRACE=1@2 SNC_LIB=/usr/sap/libsapcrypto.so@1 "},
      {"DEV", "TRACE=1@2 SNC_LIB=/usr/sap/libsapcrypto.so@1 "},
  };
  for (const Case &c : cases) {
    Settings settings;
    std::string error;
    ASSERT_TRUE(ResolveSettings(file, std::nullopt, c.destination, &settings, &error)) << error;
    EXPECT_EQ(Connection(settings), c.expected) << c.destination;
  }
}

TEST(NwrfcSettings, CredentialsAndUnknownConnectionKeysAreRefused) {
  struct Case {
    const char *file;
    const char *error;
  } cases[] = {
      {"[PRD]\nPASSWD=Secret12\n",
       "quarlane-nwrfc.ini line 2: PASSWD does not belong in this file: user and password"
       " come from the sensor's profile"},
      {"password=x\n", "line 1: PASSWORD does not belong in this file"},
      {"\n\nUser=MONITOR\n", "line 3: USER does not belong in this file"},
      {"SNC_PARTNER=p:CN=PRD\n",
       "line 1: unknown setting SNC_PARTNER (known: TIMEOUT, COLLECTOR, "
       "COLLECTOR_COMPONENT, NO_DATA_GRACE, SAPROUTER, MSSERV, CODEPAGE, TRACE, "
       "SNC_MODE, SNC_PARTNERNAME, SNC_QOP, SNC_MYNAME, SNC_LIB, WSHOST, "
       "WSPORT, TLS_SAPCRYPTOLIB, TLS_CLIENT_PSE)"},
      {"ASHOST=sapprd01\n", "line 1: unknown setting ASHOST"}, // the address comes from the profile
      {"[PRD]\nSNC_QOP=\n", "line 2: SNC_QOP= has no value"},
  };
  for (const Case &c : cases) {
    Settings settings;
    std::string error;
    EXPECT_FALSE(ResolveSettings(std::string(c.file), std::nullopt, "PRD", &settings, &error))
        << c.file;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

TEST(NwrfcSettings, AnSncLibraryThatCannotBeLoadedIsNamedWithItsLine) {
  const std::string present = ::testing::TempDir() + "quarlane-snc-present.so";
  std::ofstream(present, std::ios::binary) << "\x7f"
                                              "ELF";
  const std::string empty = ::testing::TempDir() + "quarlane-snc-empty.so";
  std::ofstream(empty, std::ios::binary).flush();
  struct Case {
    std::string file;
    const char *error; // empty: usable
  } cases[] = {
      {"[PRD]\nSNC_LIB=" + present + "\n", ""},
      {"\n[PRD]\nSNC_LIB=/nowhere/libsapcrypto.so\n",
       "quarlane-nwrfc.ini line 3: SNC_LIB=/nowhere/libsapcrypto.so "
       "cannot be loaded"},
      {"SNC_LIB=" + empty + "\n", "quarlane-nwrfc.ini line 1: SNC_LIB="},
      {"[PRD]\nTLS_CLIENT_PSE=/nowhere/rfc.pse\n",
       "line 2: TLS_CLIENT_PSE=/nowhere/rfc.pse cannot be loaded"},
      {"SNC_PARTNERNAME=/nowhere/is/not/a/file\n", ""}, // only files are looked at
  };
  for (const Case &c : cases) {
    Settings settings;
    std::string error;
    ASSERT_TRUE(ResolveSettings(c.file, std::nullopt, "PRD", &settings, &error)) << error;
    EXPECT_EQ(CheckConnectionFiles(settings, &error), std::string(c.error).empty()) << c.file;
    if (*c.error) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
  std::remove(present.c_str());
  std::remove(empty.c_str());
}

// The settings file by the sensor's rules: missing is no settings, a regular
// file is read, anything else (a folder here; FIFOs and devices in the
// end-to-end suite) or a file past the cap is refused with the file named.
TEST(NwrfcSettings, TheSettingsFileIsARegularFileWithinTheCapOrRefused) {
  const std::string regular = "quarlane-settings-test.ini", large = "quarlane-settings-large.ini",
                    folder = ".";
  std::ofstream(regular, std::ios::binary) << "TIMEOUT=5\n";
  std::ofstream(large, std::ios::binary) << std::string(kMostSettingsFileBytes + 1, '#');
  std::optional<std::string> text;
  std::string error;
  EXPECT_TRUE(ReadSettingsFile("quarlane-settings-missing.ini", &text, &error));
  EXPECT_FALSE(text.has_value());
  EXPECT_TRUE(ReadSettingsFile(regular, &text, &error));
  EXPECT_EQ(text, std::optional<std::string>("TIMEOUT=5\n"));
  for (const std::string &refused : {large, folder}) {
    error.clear();
    EXPECT_FALSE(ReadSettingsFile(refused, &text, &error)) << refused;
    EXPECT_NE(error.find("quarlane-nwrfc.ini (" + refused + "): not read"), std::string::npos)
        << error;
  }
  std::remove(regular.c_str());
  std::remove(large.c_str());
}

} // namespace
} // namespace quarlane::nwrfc
