// The pieces written into an item run's document while it is still open:
// its head is out, its channels follow one by one as the systems are
// processed, and anything written between them is part of the document.
#ifndef QUARLANE_OUTPUT_OPEN_DOCUMENT_H
#define QUARLANE_OUTPUT_OPEN_DOCUMENT_H

#include <string>

#include "output/output_modes.h"

namespace quarlane {

// Text written between the pieces of an open document (verbose state lines,
// the announcement of a logon through a destination file, the library's
// error block): control characters become "?" (PrintableText); in the XML
// modes the text is then character data of the document, "&", "<" and ">"
// escaped and the bytes made UTF-8 (XmlSafeText). Pure ASCII text without
// "&", "<" and ">" is unchanged.
std::string OpenDocumentText(OutputMode mode, const std::string &text);

// The end of an open XML document that a failure cuts short: the error
// document's element and text, then the tail, so the document stays
// well-formed and PRTG shows the failure. The channels already written stay
// in it; PRTG reports the sensor as failed with the text.
std::string ErrorClosing(const std::string &text);

} // namespace quarlane

#endif
