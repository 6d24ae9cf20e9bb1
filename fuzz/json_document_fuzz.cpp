// The JSON mode's documents for any bytes of a profile (its limit lines and
// texts) and of the library (the trace's finding): each one is a JSON object
// the Script v2 schema accepts - checked here by a small JSON reader of its
// own: version 2, a status word, a message of at most 2,000 characters in
// well-formed UTF-8 without raw control characters, at most 50 channels with
// ids from 10 to 2,147,483,647.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "output/json_document.h"
#include "rfc/trace_scan.h"
#include "sensor/limits.h"

using namespace quarlane;

namespace {

struct Reader {
  const std::string &s;
  std::size_t at = 0;
  std::size_t message_characters = 0;

  void Blanks() {
    while (at < s.size() && (s[at] == ' ' || s[at] == '\n')) ++at;
  }
  bool Take(char c) {
    Blanks();
    if (at < s.size() && s[at] == c) return ++at, true;
    return false;
  }
  // A string; its characters counted (code points).
  bool String(std::string *out, std::size_t *characters) {
    if (!Take('"')) return false;
    std::size_t count = 0;
    while (at < s.size() && s[at] != '"') {
      const unsigned char c = static_cast<unsigned char>(s[at]);
      if (c < 0x20) return false; // raw control character
      if (c == '\\') {
        if (++at >= s.size()) return false;
        const char e = s[at];
        if (e != '"' && e != '\\' && e != 't' && e != 'n' && e != 'r') return false;
        if (out) *out += e;
        ++at;
      } else {
        std::size_t length = c < 0x80         ? 1
                             : (c >> 5) == 6  ? 2
                             : (c >> 4) == 14 ? 3
                             : (c >> 3) == 30 ? 4
                                              : 0;
        if (length == 0 || at + length > s.size()) return false;
        for (std::size_t i = 1; i < length; ++i)
          if ((static_cast<unsigned char>(s[at + i]) & 0xC0) != 0x80) return false;
        if (out) *out += s.substr(at, length);
        at += length;
      }
      ++count;
    }
    if (characters) *characters = count;
    return Take('"');
  }
  bool Number(long double *value) {
    Blanks();
    const std::size_t start = at;
    while (at < s.size() && ((s[at] >= '0' && s[at] <= '9') || s[at] == '.')) ++at;
    if (start == at) return false;
    *value = std::stold(s.substr(start, at - start));
    return true;
  }
  bool Channel() {
    if (!Take('{')) return false;
    bool id_ok = false;
    for (bool first = true; !Take('}'); first = false) {
      if (!first && !Take(',')) return false;
      std::string key;
      if (!String(&key, nullptr) || !Take(':')) return false;
      if (key == "id" || key == "value") {
        long double n = 0;
        if (!Number(&n)) return false;
        if (key == "id") id_ok = n >= 10 && n <= 2147483647.0L && n == static_cast<long long>(n);
      } else if (!String(nullptr, nullptr)) {
        return false;
      }
    }
    return id_ok;
  }
  bool Document() {
    if (!Take('{')) return false;
    bool version = false, status = false;
    for (bool first = true; !Take('}'); first = false) {
      if (!first && !Take(',')) return false;
      std::string key;
      if (!String(&key, nullptr) || !Take(':')) return false;
      if (key == "version") {
        long double n = 0;
        version = Number(&n) && n == 2;
      } else if (key == "status") {
        std::string word;
        if (!String(&word, nullptr)) return false;
        status = word == "ok" || word == "warning" || word == "error";
      } else if (key == "message") {
        if (!String(nullptr, &message_characters) || message_characters > kJsonMessageLimit)
          return false;
      } else if (key == "channels") {
        if (!Take('[')) return false;
        std::size_t count = 0;
        for (bool first_item = true; !Take(']'); first_item = false, ++count)
          if ((!first_item && !Take(',')) || !Channel()) return false;
        if (count > kJsonChannelLimit) return false;
      } else {
        return false;
      }
    }
    Blanks();
    return version && status && at == s.size();
  }
};

void ExpectValid(const std::string &document) {
  Reader reader{document};
  FUZZ_EXPECT(reader.Document());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text = quarlane_fuzz::AsText(data, size);
  const std::vector<std::string> lines = quarlane_fuzz::SplitLines(text);
  const LimitReading limits = ReadLimitLines(lines);

  // Every line a channel (name and value from the bytes, as a profile's label
  // or a listing's entry would give them), each with the limits of its name.
  Report report;
  report.text = text.substr(0, 300);
  long id = 0;
  for (const std::string &line : lines) {
    Channel channel;
    channel.name = line.substr(0, 60);
    channel.value = std::to_string(line.size());
    if (line.size() % 2) {
      channel.unit = "mSec";
      channel.exact = std::to_string(line.size()) + ".50";
    }
    channel.id = id++ % 3 == 0 ? 1000 : static_cast<long>(line.size()) * 7;
    channel.no_figures = line.size() % 5 == 0;
    ApplyLimits(limits.limits, channel.name, channel);
    report.channels.push_back(channel);
  }
  report.problems = lines;
  report.every_system_failed = size % 7 == 0;
  ExpectValid(JsonReportDocument(report));
  ExpectValid(
      JsonErrorDocument("Error 1011: RFC-Open for " + text + " failed !" + TraceFinding(lines)));
  return 0;
}
