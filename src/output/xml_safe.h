// Text made fit for the encoding in which PRTG reads an EXE/XML sensor's
// answer.
//
// Which encoding: the sensor's XML document carries no XML declaration and no
// byte order mark, and XML 1.0 (section 4.3.3, "Character Encoding in
// Entities") makes it a fatal error for an entity that begins with neither
// to be in any encoding other than UTF-8: a conforming reader takes it as
// UTF-8. Published examples of PRTG's EXE/XML return format begin with the
// prolog <?xml version="1.0" encoding="UTF-8"?> (e.g.
// https://pastebin.com/puAh9kqA), and PRTG rejects output that does not
// decode ("No mapping for the Unicode character exists in the target
// multi-byte code page", code PE231, as quoted in
// https://github.com/Jannos-443/PRTG-M365/issues/18). Unconfirmed: PRTG's
// manual page on the format (https://www.paessler.com/manuals/prtg/
// custom_sensors) could not be read here in full, so whether PRTG honours
// another declared encoding is not known; UTF-8 without a declaration is
// what the XML rules and those examples agree on.
#ifndef QUARLANE_OUTPUT_XML_SAFE_H
#define QUARLANE_OUTPUT_XML_SAFE_H

#include <string>

namespace quarlane {

// Any bytes in, well-formed UTF-8 XML character data out:
// - ASCII text is returned byte for byte, apart from its control
//   characters other than tab, LF and CR;
// - well-formed UTF-8 sequences stay as they are;
// - any other byte is taken as Windows-1252 (what the profiles and the
//   classic RFC library's texts are on Western systems) and converted to
//   UTF-8, so "Benutzer gesperrt \xE4\xF6\xFC" becomes "... äöü";
// - control characters other than tab, LF and CR (C0, DEL, C1, also in
//   their UTF-8 form), U+FFFE, U+FFFF and the five byte values that
//   Windows-1252 leaves undefined become "?".
// "&", "<" and ">" are left alone: EscapeXml deals with them, and the two
// commute (EscapeXml changes only those three ASCII characters, this
// function never produces nor changes them). The result is a fixed point:
// XmlSafeText(XmlSafeText(x)) == XmlSafeText(x), so applying it once per
// text and again to the whole document does no harm; once to the whole XML
// document, just before it is written, is the one call that covers every
// text that reaches it.
std::string XmlSafeText(const std::string &bytes);

} // namespace quarlane

#endif
