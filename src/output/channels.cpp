// One measured value (a channel) in the form of the current output mode.
#include "output/document.h"

#include <cstddef>

#include "output/formatting.h"

namespace quarlane {

namespace {

// The most channels a Mistrane consumer takes from one run.
constexpr int kMistraneChannelLimit = 10;

std::string UnitText(const std::string &unit) {
  if (unit.empty())
    return "#";
  if (unit == "PerCent")
    return "%";
  if (unit == "TimeResponse")
    return "mSec";
  return unit;
}

// The number after "CH=": at most three characters, stopping before a comma,
// read like atoi (leading blanks, one sign, digits up to the first other
// character, none gives 0). Three characters cannot overflow an int.
int SelectedChannel(const std::string &params_raw, std::size_t start) {
  std::string field;
  for (std::size_t pos = start; pos < params_raw.size() && field.size() < 3; ++pos) {
    if (params_raw[pos] == ',')
      break;
    field += params_raw[pos];
  }
  std::size_t pos = 0;
  while (pos < field.size() && (field[pos] == ' ' || field[pos] == '\t'))
    ++pos;
  bool negative = false;
  if (pos < field.size() && (field[pos] == '+' || field[pos] == '-')) {
    negative = field[pos] == '-';
    ++pos;
  }
  int number = 0;
  for (; pos < field.size() && field[pos] >= '0' && field[pos] <= '9'; ++pos)
    number = number * 10 + (field[pos] - '0');
  return negative ? -number : number;
}

} // namespace

std::string ChannelKey(const std::string &name) {
  std::string key = name;
  bool dot_replaced = false;
  for (char &c : key) {
    switch (c) {
    case ' ':
    case '/':
    case '\\':
    case '[':
    case ']':
    case '*':
    case '(':
    case ')':
    case ':':
    case '-':
      c = '_';
      break;
    case '.':
      // Only the first dot: a later one stays in the key.
      if (!dot_replaced) {
        c = '_';
        dot_replaced = true;
      }
      break;
    default:
      break;
    }
  }
  return key;
}

void EmitChannel(OutputDocument &doc, const ChannelOptions &options, const std::string &name,
                 const std::string &value, const std::string &unit) {
  // Every call counts, in every mode, even when it appends nothing.
  ++doc.channel_counter;

  switch (doc.mode) {
  case OutputMode::Mistrane: {
    if (doc.channel_counter > kMistraneChannelLimit)
      return;
    const std::string key = ChannelKey(name);
    doc.text += "\n\nMessage." + key + ": " + name + " (" + UnitText(unit) + ")";
    doc.text += "\nStatistic." + key + ": " + value;
    return;
  }
  case OutputMode::Kelbrun: {
    const std::size_t selection = options.params.find("CH=");
    if (selection == std::string::npos) {
      doc.text += "\n> " + name + ": " + value + " " + UnitText(unit);
      return;
    }
    if (SelectedChannel(options.params_raw, selection + 3) == doc.channel_counter)
      doc.text += value;
    return;
  }
  case OutputMode::ExeXml:
  case OutputMode::Dornvik:
  case OutputMode::Pallvex:
    doc.text += "\n<Result><Channel>" + EscapeXml(name) + "</Channel>";
    if (!unit.empty())
      doc.text += "\n<Unit>Custom</Unit>\n<CustomUnit>" + EscapeXml(unit) + "</CustomUnit>";
    doc.text += "\n<Value>" + EscapeXml(value) + "</Value></Result>\n";
    return;
  }
}

} // namespace quarlane
