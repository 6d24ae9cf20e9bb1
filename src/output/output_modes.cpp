#include "output/output_modes.h"

#include <iterator>

#include "output/formatting.h"
#include "util/text.h"

namespace quarlane {

namespace {

// The most channels a Mistrane consumer takes from one run.
constexpr int kMistraneChannelLimit = 10;

std::string UnitText(const std::string &unit) {
  if (unit.empty()) return "#";
  if (unit == "PerCent") return "%";
  if (unit == "TimeResponse") return "mSec";
  return unit;
}

std::string XmlTextElement(const std::string &text, const OutputFormat &) {
  return "\n<Text>" + EscapeXml(text) + "</Text>\n";
}

std::string PlainTextElement(const std::string &text, const OutputFormat &) {
  return "\n# " + text;
}

std::string KelbrunTextElement(const std::string &text, const OutputFormat &format) {
  // A channel selection prints the bare value only: no report text.
  return format.selected_channel ? "" : PlainTextElement(text, format);
}

// PRTG's limit tags, only for a channel that a limit line names: every
// other channel's element stays as it always was.
std::string XmlLimits(const Channel &channel) {
  if (channel.limit_warning.empty() && channel.limit_error.empty()) return "";
  std::string text;
  if (!channel.limit_warning.empty())
    text += "\n<LimitMaxWarning>" + EscapeXml(channel.limit_warning) + "</LimitMaxWarning>";
  if (!channel.limit_error.empty())
    text += "\n<LimitMaxError>" + EscapeXml(channel.limit_error) + "</LimitMaxError>";
  return text + "\n<LimitMode>1</LimitMode>";
}

std::string XmlChannel(const Channel &channel, int, const OutputFormat &) {
  std::string text = "\n<Result><Channel>" + EscapeXml(channel.name) + "</Channel>";
  if (!channel.unit.empty())
    text += "\n<Unit>Custom</Unit>\n<CustomUnit>" + EscapeXml(channel.unit) + "</CustomUnit>";
  return text + "\n<Value>" + EscapeXml(channel.value) + "</Value>" + XmlLimits(channel) +
         "</Result>\n";
}

// The JSON mode's document is made whole at the end (output/render.cpp).
std::string NoText(const std::string &, const OutputFormat &) { return ""; }
std::string NoChannel(const Channel &, int, const OutputFormat &) { return ""; }

std::string MistraneChannel(const Channel &channel, int number, const OutputFormat &) {
  if (number > kMistraneChannelLimit) return "";
  const std::string key = ChannelKey(channel.name);
  return "\n\nMessage." + key + ": " + channel.name + " (" + UnitText(channel.unit) + ")" +
         "\nStatistic." + key + ": " + channel.value;
}

std::string KelbrunChannel(const Channel &channel, int number, const OutputFormat &format) {
  if (!format.selected_channel)
    return "\n> " + channel.name + ": " + channel.value + " " + UnitText(channel.unit);
  return *format.selected_channel == number ? channel.value : "";
}

constexpr char kXmlHead[] = "\n<Prtg>\n";
constexpr char kXmlTail[] = "\n</Prtg>\n";

// The order of the program-name words matters: the last word found wins.
constexpr OutputModeForms kModes[] = {
    {OutputMode::ExeXml, "EXEXML", "", true, kXmlHead, kXmlTail, true, XmlTextElement, XmlChannel},
    {OutputMode::Dornvik, "Dornvik", "dornvik", true, kXmlHead, kXmlTail, false, XmlTextElement,
     XmlChannel},
    {OutputMode::Mistrane, "Mistrane", "mistrane", false, "", "\n", false, PlainTextElement,
     MistraneChannel},
    {OutputMode::Kelbrun, "Kelbrun", "kelbrun", false, "", "\n", false, KelbrunTextElement,
     KelbrunChannel},
    {OutputMode::Pallvex, "Pallvex", "pallvex", true, kXmlHead, kXmlTail, false, XmlTextElement,
     XmlChannel},
    {OutputMode::Json, "JSON", "json", false, "", "", false, NoText, NoChannel},
};
static_assert(RowPerValue(kModes, kOutputModeCount, &OutputModeForms::mode),
              "one row for each OutputMode, in the order of QUARLANE_OUTPUT_MODES");

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
    case '-': c = '_'; break;
    case '.':
      // Only the first dot: a later one stays in the key.
      if (!dot_replaced) {
        c = '_';
        dot_replaced = true;
      }
      break;
    default: break;
    }
  }
  return key;
}

const OutputModeForms &FormsOf(OutputMode mode) { return RowOf(kModes, mode); }

const char *OutputModeName(OutputMode mode) { return FormsOf(mode).name; }

bool IsXmlMode(OutputMode mode) { return FormsOf(mode).xml; }

bool IsJsonMode(OutputMode mode) { return mode == OutputMode::Json; }

OutputMode OutputModeFromProgramName(const std::string &argv0) {
  std::string name = argv0.substr(argv0.find_last_of("/\\") + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  name = LowerAscii(name);

  OutputMode mode = OutputMode::ExeXml;
  for (const OutputModeForms &forms : kModes)
    if (*forms.program_word && name.find(forms.program_word) != std::string::npos)
      mode = forms.mode;
  return mode;
}

} // namespace quarlane
