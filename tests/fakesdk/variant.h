// The switches of a fake system for what no public source confirms about
// SWNC_COLLECTOR_GET_AGGREGATES: the types of its time and count fields, the
// unit of its times, whether FACTOR divides them, ROLLTI, the field list, and
// how a FLOAT reads as text. The differential suite runs the same figures
// across them (tests/fakesdk/README.md).
#ifndef QUARLANE_FAKESDK_VARIANT_H
#define QUARLANE_FAKESDK_VARIANT_H

#include <string>

#include "catalog.h"
#include "container.h"

namespace fakesdk {

struct Variant {
  Type times = kBcd;           // collector_times = bcd | float | int8
  Type counts = kBcd;          // collector_counts = bcd | int8
  bool milliseconds = false;   // collector_unit = us | ms: what the collector keeps
  bool factor_ignored = false; // collector_factor = honoured | ignored
  bool rollti = false;         // collector_rollti = absent | present
  std::string layout =
      "standard"; // collector_fields = standard | reordered | extended | reduced | foreign
  bool total_written = false; // collector_total = summed | written
  bool float_fixed = false;   // float_text = exponent | fixed
};

// Whether `key` (upper case) is one of the switches.
bool IsVariantKey(const std::string &key);
// Sets the switch; false with *problem set for a value it does not know.
bool SetVariant(const std::string &key, const std::string &value, Variant *variant,
                std::string *problem);

// The collector's description under the switches (the catalogue's own when
// they are all at their defaults); kept for the life of the process.
const FunctionDesc &CollectorDescription(const Variant &variant);
// A description handed out by CollectorDescription, by address; nullptr otherwise.
const FunctionDesc *FindVariantFunction(const void *address);
const TypeDesc *FindVariantType(const void *address);

// Fills the TASKTYPE table of `function` (created from the variant's
// description) from the catalogue's rows, times in microseconds as the
// script gives them: each field by name, converted to the variant's unit,
// divided by FACTOR unless ignored, in the variant's types.
void FillVariantRows(Container &function, const std::vector<std::shared_ptr<Container>> &rows,
                     const Variant &variant, std::int64_t factor);

} // namespace fakesdk

#endif
