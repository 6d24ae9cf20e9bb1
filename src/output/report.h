// What a run reports, before it is put into the form of an output mode.
#ifndef QUARLANE_OUTPUT_REPORT_H
#define QUARLANE_OUTPUT_REPORT_H

#include <string>
#include <vector>

namespace quarlane {

// One measured value.
struct Channel {
  std::string name;
  std::string value;
  std::string unit; // empty: none given
  // What only the JSON mode shows. The channel's id there: the same for the
  // same channel in every run (0: none given; the renderer derives one).
  long id = 0;
  // An average with its decimals ("523.47"); empty for a count.
  std::string exact{};
  // The system's day had no figures yet (an empty summary).
  bool no_figures = false;
  // The channel's upper limits as a profile's limit line gives them (a
  // decimal number; empty: none), sensor/limits.h.
  std::string limit_warning{}, limit_error{};
};

struct Report {
  std::string text; // the report text, as it reads
  std::vector<Channel> channels;
  // The transaction report writes its head and text element in the XML form
  // whatever the output mode; its channels and tail follow the mode.
  bool xml_text_in_every_mode = false;
  // The JSON mode's state: the day had no figures yet; what failed or was
  // skipped in an item run, one line per system ("<profile>: <reason>").
  bool no_figures_today = false;
  std::vector<std::string> problems;
  bool every_system_failed = false;
};

} // namespace quarlane

#endif
