#include "output/json_document.h"

#include <cstdlib>
#include <set>

#include "output/xml_safe.h"

namespace quarlane {

namespace {

const char *StatusWord(JsonStatus status) {
  switch (status) {
  case JsonStatus::Warning: return "warning";
  case JsonStatus::Error: return "error";
  case JsonStatus::Ok: break;
  }
  return "ok";
}

JsonStatus Worse(JsonStatus a, JsonStatus b) { return a > b ? a : b; }

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// A channel's value as a number ("523.47" or "523"); a limit is checked
// against the exact average where there is one.
double Figure(const Channel &channel) {
  return std::strtod((channel.exact.empty() ? channel.value : channel.exact).c_str(), nullptr);
}

// The unit words of the other modes become PRTG's own kinds: "#" counts,
// "mSec" response times (milliseconds).
const char *KindOf(const Channel &channel) {
  return channel.unit == "mSec" ? "time_response" : "count";
}

std::string ChannelObject(const Channel &channel, long id) {
  const bool is_float = !channel.exact.empty();
  std::string name = channel.name.empty() ? std::string("(no name)") : channel.name;
  std::string value = is_float ? channel.exact : channel.value;
  if (value.empty() || value.find_first_not_of("0123456789.") != std::string::npos) value = "0";
  return "{\"id\": " + std::to_string(id) + ", \"name\": \"" + JsonStringContent(name) +
         "\", \"type\": \"" + (is_float ? "float" : "integer") + "\", \"kind\": \"" +
         KindOf(channel) + "\", \"value\": " + value + "}";
}

// The limits a channel passed, as a sentence each, and the status they give.
JsonStatus CheckLimits(const Channel &channel, std::vector<std::string> &notes) {
  const double figure = Figure(channel);
  const std::string shown = channel.exact.empty() ? channel.value : channel.exact;
  if (!channel.limit_error.empty() && figure > std::strtod(channel.limit_error.c_str(), nullptr)) {
    notes.push_back(channel.name + " " + shown + " is above its error limit " +
                    channel.limit_error);
    return JsonStatus::Error;
  }
  if (!channel.limit_warning.empty() &&
      figure > std::strtod(channel.limit_warning.c_str(), nullptr)) {
    notes.push_back(channel.name + " " + shown + " is above its warning limit " +
                    channel.limit_warning);
    return JsonStatus::Warning;
  }
  return JsonStatus::Ok;
}

std::string Document(JsonStatus status, const std::string &message,
                     const std::vector<std::string> &channels) {
  std::string document = "{\"version\": 2, \"status\": \"";
  document += StatusWord(status);
  document += "\", \"message\": \"" +
              JsonStringContent(FirstCharacters(XmlSafeText(message), kJsonMessageLimit)) + "\"";
  if (!channels.empty()) {
    document += ", \"channels\": [";
    for (std::size_t i = 0; i < channels.size(); ++i)
      document += (i ? ",\n  " : "\n  ") + channels[i];
    document += "\n]";
  }
  return document + "}\n";
}

} // namespace

std::string JsonStringContent(const std::string &bytes) {
  const std::string text = XmlSafeText(bytes);
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\t': out += "\\t"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    default: out += c; break;
    }
  }
  return out;
}

std::string FirstCharacters(const std::string &utf8, std::size_t limit) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (IsContinuation(static_cast<unsigned char>(utf8[i]))) continue;
    if (++characters > limit) {
      // Room for the three dots: cut back to limit - 3 characters.
      std::size_t keep = 0, seen = 0;
      for (; keep < utf8.size(); ++keep) {
        if (IsContinuation(static_cast<unsigned char>(utf8[keep]))) continue;
        if (++seen > limit - 3) break;
      }
      return utf8.substr(0, keep) + "...";
    }
  }
  return utf8;
}

std::string JsonReportDocument(const Report &report) {
  JsonStatus status = JsonStatus::Ok;
  std::vector<std::string> notes;
  if (report.every_system_failed)
    status = JsonStatus::Error;
  else if (!report.problems.empty())
    status = JsonStatus::Warning;
  for (const std::string &problem : report.problems) notes.push_back(problem);
  if (report.no_figures_today) {
    status = Worse(status, JsonStatus::Warning);
    notes.push_back("no figures for today yet");
  }

  std::vector<std::string> channels;
  std::set<long> ids;
  std::size_t left_out = 0;
  for (const Channel &channel : report.channels) {
    if (channel.no_figures) {
      status = Worse(status, JsonStatus::Warning);
      notes.push_back(channel.name + ": no figures for today yet");
    }
    status = Worse(status, CheckLimits(channel, notes));
    if (channels.size() == kJsonChannelLimit) {
      ++left_out;
      continue;
    }
    long id = channel.id >= 10 ? channel.id : 10;
    while (ids.count(id)) id = id == kJsonLastChannelId ? 10 : id + 1;
    ids.insert(id);
    channels.push_back(ChannelObject(channel, id));
  }
  if (left_out) {
    status = Worse(status, JsonStatus::Warning);
    notes.push_back(std::to_string(left_out) + " channels left out (PRTG takes 50)");
  }

  std::string message = report.text;
  while (!message.empty() && message.back() == ' ') message.pop_back();
  for (const std::string &note : notes) message += (&note == &notes.front() ? " - " : "; ") + note;
  return Document(status, message, channels);
}

std::string JsonErrorDocument(const std::string &text) {
  return Document(JsonStatus::Error, text, {});
}

} // namespace quarlane
