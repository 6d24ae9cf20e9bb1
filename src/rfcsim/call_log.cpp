#include "rfcsim/call_log.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "rfcsim/text.h"

namespace quarlane::rfcsim {

namespace {

std::string Hex(const void *bytes, unsigned length) {
  static const char digits[] = "0123456789abcdef";
  std::string out = "#";
  const unsigned char *at = static_cast<const unsigned char *>(bytes);
  for (unsigned i = 0; i < length; ++i) {
    out += digits[at[i] >> 4];
    out += digits[at[i] & 0x0f];
  }
  return out;
}

std::string ValueOf(RFC_TYPEHANDLE type, unsigned leng, const void *addr) {
  if (addr == nullptr) return "(null)";
  if (type == RFCTYPE_INT && leng == 4) {
    std::int32_t value = 0;
    std::memcpy(&value, addr, sizeof value);
    return "[" + std::to_string(value) + "]";
  }
  if (type == RFCTYPE_INT2 && leng == 2) {
    std::int16_t value = 0;
    std::memcpy(&value, addr, sizeof value);
    return "[" + std::to_string(value) + "]";
  }
  if (type == RFCTYPE_BCD) return Hex(addr, leng);
  return Bracketed(FromBytes(addr, leng));
}

std::string NameOf(const void *name, unsigned nlen) {
  std::string escaped = Escaped(FromBytes(name, nlen));
  // A blank or colon inside a name would blur the "NAME:type:leng" words.
  std::string out;
  for (char c : escaped) {
    if (c == ' ')
      out += "\\x20";
    else if (c == ':')
      out += "\\x3a";
    else
      out += c;
  }
  return out;
}

} // namespace

std::string Bracketed(const std::string &text) { return "[" + Escaped(text) + "]"; }

std::string TextArgument(const char *text) { return text == nullptr ? "(null)" : Bracketed(text); }

std::string DescribeOptions(const RFC_OPTIONS *options) {
  if (options == nullptr) return "options=(null)";
  std::string out =
      "destination=" + TextArgument(options->destination) +
      " mode=" + std::to_string(options->mode) + " client=" + TextArgument(options->client) +
      " user=" + TextArgument(options->user) + " password=" + TextArgument(options->password) +
      " language=" + TextArgument(options->language) + " trace=" + std::to_string(options->trace);
  if (options->connopt == nullptr) return out + " connopt=(null)";
  if (options->mode == 0) {
    const auto *host = static_cast<const RFC_CONNOPT_HOST *>(options->connopt);
    return out + " hostname=" + TextArgument(host->hostname) +
           " sysnr=" + std::to_string(host->sysnr) +
           " gateway_host=" + TextArgument(host->gateway_host) +
           " gateway_service=" + TextArgument(host->gateway_service);
  }
  if (options->mode == 1) {
    const auto *gateway = static_cast<const RFC_CONNOPT_GATEWAY *>(options->connopt);
    return out + " gateway_host=" + TextArgument(gateway->gateway_host) +
           " gateway_service=" + TextArgument(gateway->gateway_service);
  }
  return out;
}

std::string DescribeParameters(const RFC_PARAMETER *list, bool with_values) {
  std::string out;
  for (const RFC_PARAMETER *p = list; p != nullptr && p->name != nullptr; ++p) {
    if (!out.empty()) out += ' ';
    out += NameOf(p->name, p->nlen) + ":" + std::to_string(p->type) + ":" + std::to_string(p->leng);
    if (with_values) out += "=" + ValueOf(p->type, p->leng, p->addr);
  }
  return out.empty() ? "(none)" : out;
}

std::string DescribeTables(const RFC_TABLE *list, const TableRegistry &tables) {
  std::string out;
  for (const RFC_TABLE *t = list; t != nullptr && t->name != nullptr; ++t) {
    if (!out.empty()) out += ' ';
    out += NameOf(t->name, t->nlen) + ":" + std::to_string(t->type) + ":" +
           std::to_string(t->leng) + "=" + DescribeTable(t->ithandle, tables);
  }
  return out.empty() ? "(none)" : out;
}

std::string DescribeTable(const void *handle, const TableRegistry &tables) {
  if (handle == nullptr) return "(null)";
  const InternalTable *table = FindTable(tables, handle);
  return table == nullptr ? "(unknown)" : "#" + std::to_string(table->id);
}

void AppendCallLog(const std::string &path, const std::string &line) {
  std::FILE *log = std::fopen(path.c_str(), "a");
  if (log == nullptr) return;
  std::fputs(line.c_str(), log);
  std::fputc('\n', log);
  std::fclose(log);
}

} // namespace quarlane::rfcsim
