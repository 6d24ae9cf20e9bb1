// Text conversions of values: packed decimals, hex bytes, thousands, XML.
#ifndef QUARLANE_OUTPUT_FORMATTING_H
#define QUARLANE_OUTPUT_FORMATTING_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace quarlane {

// Two upper-case hex digits per byte.
std::string BytesToHex(const unsigned char *bytes, std::size_t count);

// Sign ("+" or "-": only a sign half-byte D is negative), then the
// 2*length-1-decimals integer digits with leading zeros, then "." and the
// decimals when decimals > 0.
std::string PackedToText(const unsigned char *field, std::size_t length, unsigned decimals);

// "1234567" -> "1.234.567"; never more than two separators.
std::string GroupThousands(const std::string &digits);

// "&", "<", ">" written as entities, exactly once. Every text of an XML
// document goes through here.
std::string EscapeXml(const std::string &text);

} // namespace quarlane

#endif
