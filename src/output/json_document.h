// The JSON mode's document: PRTG's Script v2 output (version 2, a status,
// a message, channels), docs/prtg-script-v2.md. Every document it writes is
// one JSON object that the Script v2 schema accepts, for any bytes of the
// texts in it (tests/schema/prtg-script-v2.schema.json).
#ifndef QUARLANE_OUTPUT_JSON_DOCUMENT_H
#define QUARLANE_OUTPUT_JSON_DOCUMENT_H

#include <string>
#include <vector>

#include "output/report.h"

namespace quarlane {

enum class JsonStatus { Ok, Warning, Error };

// PRTG's limits: a message holds at most 2,000 characters, a document at
// most 50 channels.
constexpr std::size_t kJsonMessageLimit = 2000;
constexpr std::size_t kJsonChannelLimit = 50;
constexpr long kJsonLastChannelId = 2147483647;

// A text as a JSON string's content: well-formed UTF-8 (bytes that are not
// are read as Windows-1252, control characters other than tab, LF and CR
// become "?", as in the XML modes), '"' and '\' escaped, tab, LF and CR as
// \t, \n and \r.
std::string JsonStringContent(const std::string &bytes);

// The first `limit` characters (code points) of a well-formed UTF-8 text,
// ending in "..." when it was longer.
std::string FirstCharacters(const std::string &utf8, std::size_t limit);

// The document of a run that reported: the status follows from the
// report (no figures yet, failed or skipped systems, every system failed)
// and from the channels' limits; the message is the report's text, then
// what lowered the status. Channels beyond 50 are left out, and say so.
// An id already taken in the document moves on to the next free one.
std::string JsonReportDocument(const Report &report);

// The document of a run that failed: status "error", the whole reason as
// its message, no channels.
std::string JsonErrorDocument(const std::string &text);

} // namespace quarlane

#endif
