// Heads, text elements, channels and tails of the five output modes, and the
// error document.
#include "output/render.h"

#include "output/formatting.h"
#include "output/xml_safe.h"

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

} // namespace

const char *OutputModeName(OutputMode mode) {
  switch (mode) {
  case OutputMode::ExeXml: return "EXEXML";
  case OutputMode::Dornvik: return "Dornvik";
  case OutputMode::Mistrane: return "Mistrane";
  case OutputMode::Kelbrun: return "Kelbrun";
  case OutputMode::Pallvex: return "Pallvex";
  }
  return "EXEXML";
}

bool IsXmlMode(OutputMode mode) {
  return mode == OutputMode::ExeXml || mode == OutputMode::Pallvex || mode == OutputMode::Dornvik;
}

std::string Renderer::Head() const { return IsXmlMode(format_.mode) ? "\n<Prtg>\n" : ""; }

std::string Renderer::Tail() const { return IsXmlMode(format_.mode) ? "\n</Prtg>\n" : "\n"; }

std::string Renderer::TextElement(const std::string &text) const {
  if (IsXmlMode(format_.mode)) return "\n<Text>" + EscapeXml(text) + "</Text>\n";
  // A Kelbrun channel selection prints the bare value only: no report text.
  if (format_.mode == OutputMode::Kelbrun && format_.selected_channel) return "";
  return "\n# " + text;
}

// Every piece of an XML document passes XmlSafeText once, as a whole, just
// before it leaves the renderer: the texts in it (profile names, destinations,
// the library's and the trace file's messages) may hold any byte, and PRTG
// reads the document as UTF-8 XML (output/xml_safe.h). EscapeXml has already
// dealt with "&", "<" and ">", which XmlSafeText leaves alone. The text modes
// keep their bytes as they are.
std::string Renderer::ForOutput(std::string text) const {
  return IsXmlMode(format_.mode) ? XmlSafeText(text) : text;
}

std::string Renderer::Document(const Report &report) {
  std::string document;
  if (report.xml_text_in_every_mode && !IsXmlMode(format_.mode))
    document = "\n<Prtg>\n\n<Text>" + report.text + "</Text>\n";
  else
    document = Head() + TextElement(report.text);
  document += RenderChannels(report.channels);
  return ForOutput(document + Tail());
}

std::string Renderer::Closing(const std::string &text) const {
  return ForOutput(TextElement(text) + Tail());
}

std::string Renderer::Channels(const std::vector<Channel> &channels) {
  return ForOutput(RenderChannels(channels));
}

std::string Renderer::RenderChannels(const std::vector<Channel> &channels) {
  std::string text;
  for (const Channel &channel : channels) text += RenderChannel(channel);
  return text;
}

std::string Renderer::RenderChannel(const Channel &channel) {
  // Every channel counts, in every mode, even when it shows nothing.
  ++channel_counter_;
  const std::string &name = channel.name, &value = channel.value, &unit = channel.unit;
  switch (format_.mode) {
  case OutputMode::Mistrane: {
    if (channel_counter_ > kMistraneChannelLimit) return "";
    const std::string key = ChannelKey(name);
    return "\n\nMessage." + key + ": " + name + " (" + UnitText(unit) + ")" + "\nStatistic." + key +
           ": " + value;
  }
  case OutputMode::Kelbrun:
    if (!format_.selected_channel) return "\n> " + name + ": " + value + " " + UnitText(unit);
    return *format_.selected_channel == channel_counter_ ? value : "";
  case OutputMode::ExeXml:
  case OutputMode::Dornvik:
  case OutputMode::Pallvex: {
    std::string text = "\n<Result><Channel>" + EscapeXml(name) + "</Channel>";
    if (!unit.empty()) text += "\n<Unit>Custom</Unit>\n<CustomUnit>" + EscapeXml(unit) + "</CustomUnit>";
    return text + "\n<Value>" + EscapeXml(value) + "</Value></Result>\n";
  }
  }
  return "";
}

std::string RenderError(const std::string &text) {
  // Well-formed for any byte of the message, as the XML modes' documents.
  return XmlSafeText("<Prtg>\n<Error>1</Error>\n<Text>" + EscapeXml(text) + "</Text>\n</Prtg>\n");
}

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

} // namespace quarlane
