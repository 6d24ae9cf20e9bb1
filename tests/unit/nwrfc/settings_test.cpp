#include <gtest/gtest.h>

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
      {std::string(kFile), std::nullopt, "prd", 45, Collector::New},      // section names ignore case
      {std::string(kFile), std::string("12"), "PRD", 45, Collector::New}, // the section beats the environment
      {std::string(kFile), std::string("12"), "QAS", 12, Collector::Auto}, // the environment beats the global line
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
      {"TIMEOUT=0\n", std::nullopt, "quarlane-nwrfc.ini line 1: TIMEOUT=0 is not a whole number of seconds from 1 to 3600"},
      {"\n[PRD]\nTIMEOUT=20s\n", std::nullopt, "quarlane-nwrfc.ini line 3: TIMEOUT=20s is not a whole number"},
      {"TIMEOUT=3601\n", std::nullopt, "line 1: TIMEOUT=3601 is not"},
      {"COLLECTOR=new\n", std::nullopt, "line 1: COLLECTOR=new is not auto, classic or collector"},
      {"TIMEUOT=20\n", std::nullopt, "line 1: unknown setting TIMEUOT"},
      {"[PRD\n", std::nullopt, "line 1: a section line is [NAME]"},
      {"just words\n", std::nullopt, "line 1: not KEY=value"},
      {"NO_DATA_GRACE=1441\n", std::nullopt, "line 1: NO_DATA_GRACE=1441 is not a whole number of minutes from 0 to 1440"},
      {"[PRD]\nNO_DATA_GRACE=-5\n", std::nullopt, "line 2: NO_DATA_GRACE=-5 is not"},
      {"NO_DATA_GRACE=\n", std::nullopt, "line 1: NO_DATA_GRACE= is not"},
      {"", std::string("soon"), "environment variable QUARLANE_NWRFC_TIMEOUT=soon is not a whole number"},
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
  } cases[] = {{std::nullopt, "PRD", kDefaultNoDataGraceMinutes}, {file, "prd", 0}, {file, "QAS", 120},
               {std::string("[DEV]\nNO_DATA_GRACE=1440\n"), "DEV", 1440}};
  for (const Case &c : cases) {
    Settings settings;
    std::string error;
    ASSERT_TRUE(ResolveSettings(c.file, std::nullopt, c.destination, &settings, &error)) << error;
    EXPECT_EQ(settings.no_data_grace_minutes, c.minutes) << c.destination;
  }
}

TEST(NwrfcSettings, AnotherSectionsTypoIsStillAnError) {
  // A typing error anywhere in the file is reported, whichever system runs.
  Settings settings;
  std::string error;
  EXPECT_FALSE(ResolveSettings(std::string("[QAS]\nTIMEOUT=x\n"), std::nullopt, "PRD", &settings, &error));
}

} // namespace
} // namespace quarlane::nwrfc
