#include "output/open_document.h"

#include "output/formatting.h"
#include "output/plain_text.h"
#include "output/xml_safe.h"

namespace quarlane {

std::string OpenDocumentText(OutputMode mode, const std::string &text) {
  const std::string printable = PrintableText(text);
  return IsXmlMode(mode) ? XmlSafeText(EscapeXml(printable)) : printable;
}

std::string ErrorClosing(const std::string &text) {
  return XmlSafeText("<Error>1</Error>\n<Text>" + EscapeXml(text) + "</Text>\n</Prtg>\n");
}

} // namespace quarlane
