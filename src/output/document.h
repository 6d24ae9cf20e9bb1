// The one output text of a run and the pieces each output mode contributes.
#ifndef QUARLANE_OUTPUT_DOCUMENT_H
#define QUARLANE_OUTPUT_DOCUMENT_H

#include <string>

namespace quarlane {

// "EXEXML", "Pallvex" and "Dornvik" write PRTG's EXE/XML form; "Mistrane" and
// "Kelbrun" are the two plain-text forms.
enum class OutputMode { ExeXml, Dornvik, Mistrane, Kelbrun, Pallvex };

const char *OutputModeName(OutputMode mode); // "EXEXML", "Dornvik", ...
bool IsXmlMode(OutputMode mode);

struct OutputDocument {
  OutputMode mode = OutputMode::ExeXml;
  std::string text;
  int channel_counter = 0; // numbers every EmitChannel call of the run from 1
};

// The options a channel emission reads: "CH=" is searched in the upper-case
// parameter string and its number read at the same place in the raw one.
struct ChannelOptions {
  const std::string &params;
  const std::string &params_raw;
};

void BeginDocument(OutputDocument &doc);
void BeginText(OutputDocument &doc);
void EndText(OutputDocument &doc, const ChannelOptions &options);
void EndDocument(OutputDocument &doc);
void EmitChannel(OutputDocument &doc, const ChannelOptions &options, const std::string &name,
                 const std::string &value, const std::string &unit);
void BuildErrorDocument(OutputDocument &doc, const std::string &text);

// The Mistrane key of a channel name: blank / \ [ ] * ( ) : - and the first
// "." become "_"; a later "." stays.
std::string ChannelKey(const std::string &name);

// Report text between BeginText and EndText: escaped for XML in the XML modes,
// as it is in the text modes.
void AppendText(OutputDocument &doc, const std::string &text);

} // namespace quarlane

#endif
