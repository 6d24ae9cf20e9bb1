// The bytes of every document the sensor prints, in each output mode.
#ifndef QUARLANE_OUTPUT_RENDER_H
#define QUARLANE_OUTPUT_RENDER_H

#include <optional>
#include <string>
#include <vector>

#include "output/report.h"

namespace quarlane {

// "EXEXML", "Pallvex" and "Dornvik" write PRTG's EXE/XML form; "Mistrane" and
// "Kelbrun" are the two plain-text forms.
enum class OutputMode { ExeXml, Dornvik, Mistrane, Kelbrun, Pallvex };

const char *OutputModeName(OutputMode mode); // "EXEXML", "Dornvik", ...
bool IsXmlMode(OutputMode mode);

struct OutputFormat {
  OutputMode mode = OutputMode::ExeXml;
  // Kelbrun: the channel chosen by "CH=" (its number among the channels of
  // the run, from 1); the document is then that channel's bare value.
  std::optional<int> selected_channel;
};

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

  const OutputFormat &format() const { return format_; }
  int channels_rendered() const { return channel_counter_; }

private:
  std::string ForOutput(std::string text) const; // XML modes: XmlSafeText
  std::string RenderChannels(const std::vector<Channel> &channels);
  std::string TextElement(const std::string &text) const;
  std::string Tail() const;
  std::string RenderChannel(const Channel &channel);

  OutputFormat format_;
  int channel_counter_ = 0; // every channel of the run counts, shown or not
};

// The error document: always the XML form, whatever the mode, so that PRTG
// sees the failure; well-formed UTF-8 XML for any byte of the text.
std::string RenderError(const std::string &text);

// The Mistrane key of a channel name: blank / \ [ ] * ( ) : - and the first
// "." become "_"; a later "." stays.
std::string ChannelKey(const std::string &name);

} // namespace quarlane

#endif
