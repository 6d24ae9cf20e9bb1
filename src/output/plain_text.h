// Text that reaches a terminal or a text document: one rule for the text
// modes, the verbose lines and the check tool's text.
#ifndef QUARLANE_OUTPUT_PLAIN_TEXT_H
#define QUARLANE_OUTPUT_PLAIN_TEXT_H

#include <string>

namespace quarlane {

// The bytes as they are, except control characters, which become "?": C0
// other than LF (tab and CR too: a CR lets a text paint over its own line),
// DEL, and C1 in its UTF-8 form (U+0080 to U+009F, which some terminals
// take as escape sequences). So a profile value or a library message can
// never move the cursor, clear the screen or ring the bell. Other bytes,
// ASCII and not, are unchanged: the text modes keep their bytes.
std::string PrintableText(const std::string &bytes);

// For the check tool's console: PrintableText of the text made UTF-8 the way
// the XML documents are (XmlSafeText: well-formed UTF-8 stays, any other byte
// is read as Windows-1252).
std::string PrintableUtf8Text(const std::string &bytes);

} // namespace quarlane

#endif
