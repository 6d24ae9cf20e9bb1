// Heads, text elements, channels and tails of the five output modes, and the
// error document.
#include "output/render.h"

#include "output/formatting.h"
#include "output/json_document.h"
#include "output/plain_text.h"
#include "output/xml_safe.h"

namespace quarlane {

std::string Renderer::Head() const { return FormsOf(format_.mode).head; }

std::string Renderer::Tail() const { return FormsOf(format_.mode).tail; }

std::string Renderer::TextElement(const std::string &text) const {
  return FormsOf(format_.mode).text_element(text, format_);
}

// Every piece of an XML document passes XmlSafeText once, as a whole, just
// before it leaves the renderer: the texts in it (profile names, destinations,
// the library's and the trace file's messages) may hold any byte, and PRTG
// reads the document as UTF-8 XML (output/xml_safe.h). EscapeXml has already
// dealt with "&", "<" and ">", which XmlSafeText leaves alone. The text modes
// keep their bytes, apart from control characters, which become "?" there
// as on every other text for a terminal (PrintableText).
std::string Renderer::ForOutput(std::string text) const {
  return IsXmlMode(format_.mode) ? XmlSafeText(text) : PrintableText(text);
}

std::string Renderer::Document(const Report &report) {
  if (IsJsonMode(format_.mode)) return JsonReportDocument(report);
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
  if (IsJsonMode(format_.mode))
    item_channels_.insert(item_channels_.end(), channels.begin(), channels.end());
  return ForOutput(RenderChannels(channels));
}

std::string Renderer::ItemRunEnd(const Report &closing) {
  if (!IsJsonMode(format_.mode)) return Closing(closing.text) + "\n";
  Report whole = closing;
  whole.channels = item_channels_;
  whole.channels.insert(whole.channels.end(), closing.channels.begin(), closing.channels.end());
  return JsonReportDocument(whole);
}

std::string Renderer::Error(const std::string &text) const {
  return IsJsonMode(format_.mode) ? JsonErrorDocument(text) : RenderError(text);
}

std::string Renderer::RenderChannels(const std::vector<Channel> &channels) {
  std::string text;
  // Every channel counts, in every mode, even when it shows nothing.
  for (const Channel &channel : channels)
    text += FormsOf(format_.mode).channel(channel, ++channel_counter_, format_);
  return text;
}

std::string RenderError(const std::string &text) {
  // Well-formed for any byte of the message, as the XML modes' documents.
  return XmlSafeText("<Prtg>\n<Error>1</Error>\n<Text>" + EscapeXml(text) + "</Text>\n</Prtg>\n");
}

} // namespace quarlane
