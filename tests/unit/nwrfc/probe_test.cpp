#include <gtest/gtest.h>

#include "nwrfc/collector.h"
#include "nwrfc/probe.h"

namespace quarlane::nwrfc {
namespace {

TEST(NwrfcProbe, TheServingModuleIsTheOneTheCollectorSwitchChooses) {
  const std::string classic = kClassicSummary, collector = kCollectorFunction;
  struct Case {
    Collector mode;
    const char *release;
    bool classic_present, collector_present;
    std::string serving;
  } cases[] = {
      {Collector::Auto, "640", true, true, classic},    // below 7.00: the classic module first
      {Collector::Auto, "750", true, true, collector},  // 7.00 and later: the collector first
      {Collector::Auto, "640", false, true, collector}, // the other one when the first is missing
      {Collector::Auto, "750", true, false, classic},
      {Collector::Auto, "46C", true, true, classic},
      {Collector::Auto, "750", false, false, ""},
      {Collector::Classic, "750", true, true, classic}, // forced: no fallback
      {Collector::Classic, "750", false, true, ""},
      {Collector::New, "640", true, true, collector},
      {Collector::New, "640", true, false, ""},
  };
  for (const Case &c : cases)
    EXPECT_EQ(ServingModule(c.mode, c.release, c.classic_present, c.collector_present), c.serving)
        << c.release << " " << c.classic_present << c.collector_present;
}

} // namespace
} // namespace quarlane::nwrfc
