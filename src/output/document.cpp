// The document head, text element and tail of each output mode, and the error
// document that replaces everything when a run fails.
#include "output/document.h"

#include "output/formatting.h"

namespace quarlane {

const char *OutputModeName(OutputMode mode) {
  switch (mode) {
  case OutputMode::ExeXml:
    return "EXEXML";
  case OutputMode::Dornvik:
    return "Dornvik";
  case OutputMode::Mistrane:
    return "Mistrane";
  case OutputMode::Kelbrun:
    return "Kelbrun";
  case OutputMode::Pallvex:
    return "Pallvex";
  }
  return "EXEXML";
}

bool IsXmlMode(OutputMode mode) {
  return mode == OutputMode::ExeXml || mode == OutputMode::Pallvex || mode == OutputMode::Dornvik;
}

void BeginDocument(OutputDocument &doc) {
  // Whatever earlier steps appended is discarded here.
  doc.text = IsXmlMode(doc.mode) ? "\n<Prtg>\n" : "";
}

void BeginText(OutputDocument &doc) { doc.text += IsXmlMode(doc.mode) ? "\n<Text>" : "\n# "; }

void EndText(OutputDocument &doc, const ChannelOptions &options) {
  if (IsXmlMode(doc.mode)) {
    doc.text += "</Text>\n";
    return;
  }
  // A Kelbrun channel selection prints the bare value only: head and report
  // text go.
  if (doc.mode == OutputMode::Kelbrun && options.params.find("CH=") != std::string::npos)
    doc.text.clear();
}

void EndDocument(OutputDocument &doc) { doc.text += IsXmlMode(doc.mode) ? "\n</Prtg>\n" : "\n"; }

void BuildErrorDocument(OutputDocument &doc, const std::string &text) {
  // Always the XML form, whatever the mode: PRTG must see the failure.
  doc.text = "<Prtg>";
  doc.text += "\n<Error>1</Error>";
  doc.text += "\n<Text>";
  doc.text += EscapeXml(text);
  doc.text += "</Text>";
  doc.text += "\n</Prtg>\n";
}

void AppendText(OutputDocument &doc, const std::string &text) {
  doc.text += IsXmlMode(doc.mode) ? EscapeXml(text) : text;
}

} // namespace quarlane
