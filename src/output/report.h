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
};

struct Report {
  std::string text; // the report text, as it reads
  std::vector<Channel> channels;
  // The transaction report writes its head and text element in the XML form
  // whatever the output mode; its channels and tail follow the mode.
  bool xml_text_in_every_mode = false;
};

} // namespace quarlane

#endif
