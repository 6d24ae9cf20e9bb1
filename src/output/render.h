// The bytes of every document the sensor prints, in each output mode.
#ifndef QUARLANE_OUTPUT_RENDER_H
#define QUARLANE_OUTPUT_RENDER_H

#include <string>
#include <vector>

#include "output/output_modes.h"
#include "output/report.h"

namespace quarlane {

// Renders the documents of one run. Channels are numbered across the whole
// run, so the renderer lives as long as the run: an item run renders its head,
// then each system's channel, then its closing part.
class Renderer {
public:
  explicit Renderer(OutputFormat format = OutputFormat()) : format_(format) {}

  // The whole document: head, text element, channels, tail. In the XML
  // modes every piece below is well-formed UTF-8 XML for any byte of the
  // report's texts (XmlSafeText); the text modes keep the bytes as they are.
  std::string Document(const Report &report);

  // The pieces of an item run: the head alone, channels, and the closing
  // part (text element and tail).
  std::string Head() const;
  std::string Channels(const std::vector<Channel> &channels);
  std::string Closing(const std::string &text) const;

  // The end of an item run: the closing part; in the JSON mode the whole
  // document, with the systems' channels kept since (Channels returns
  // nothing there) and the closing report's counts and problems.
  std::string ItemRunEnd(const Report &closing);

  // The document of a failed run: the JSON mode's error document, or the
  // XML error document of every other mode.
  std::string Error(const std::string &text) const;

  const OutputFormat &format() const { return format_; }
  int channels_rendered() const { return channel_counter_; }

private:
  std::string ForOutput(std::string text) const; // XML modes: XmlSafeText
  std::string RenderChannels(const std::vector<Channel> &channels);
  std::string TextElement(const std::string &text) const;
  std::string Tail() const;

  OutputFormat format_;
  int channel_counter_ = 0;            // every channel of the run counts, shown or not
  std::vector<Channel> item_channels_; // JSON mode: an item run's channels so far
};

// The error document: always the XML form, whatever the mode, so that PRTG
// sees the failure; well-formed UTF-8 XML for any byte of the text.
std::string RenderError(const std::string &text);

} // namespace quarlane

#endif
