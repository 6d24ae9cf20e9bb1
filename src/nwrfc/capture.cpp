#include "nwrfc/capture.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "nwrfc/sapnwrfc_api.h"
#include "nwrfc/sdk.h"
#include "nwrfc/sdk_words.h"
#include "nwrfc/text.h"

namespace quarlane::nwrfc {

namespace {

namespace nw = sapnwrfc;
using Clock = std::chrono::steady_clock;

// ------------------------------------------------------------------ text

std::u16string Units(const char16_t *units, std::size_t most) {
  std::u16string text;
  for (std::size_t i = 0; units != nullptr && i < most && units[i] != 0; ++i)
    text.push_back(units[i]);
  return text;
}

std::u16string Ascii16(const std::string &text) { return std::u16string(text.begin(), text.end()); }

std::string Ascii(const std::u16string &text) {
  std::string out;
  for (char16_t unit : text) out.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
  return out;
}

void PutEscape(std::string &out, unsigned unit) {
  char escaped[16];
  std::snprintf(escaped, sizeof escaped, "\\u%04X", unit & 0xFFFFu);
  out += escaped;
}

// A text value as the capture writes it: in double quotes, UTF-8; a quote
// and a backslash escaped, control characters (C0, DEL, C1) and lone
// surrogates as \uXXXX, so that every UTF-16 unit survives the round trip.
std::string Quoted(const std::u16string &text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit == u'"' || unit == u'\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(unit));
    } else if (unit < 0x20 || (unit >= 0x7F && unit <= 0x9F)) {
      PutEscape(out, unit);
    } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF) {
      AppendUtf8(out,
                 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      PutEscape(out, unit);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out + "\"";
}

bool IsAlnum(char16_t unit) {
  return (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'z') ||
         (unit >= u'A' && unit <= u'Z');
}

char16_t Folded(char16_t unit) {
  return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
}

bool HasLower(const std::u16string &text) {
  return std::any_of(text.begin(), text.end(),
                     [](char16_t unit) { return unit >= u'a' && unit <= u'z'; });
}

std::u16string UpperCase(std::u16string text) {
  for (char16_t &unit : text) unit = Folded(unit);
  return text;
}

std::u16string LowerCase(std::u16string text) {
  for (char16_t &unit : text)
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + 32);
  return text;
}

// ----------------------------------------------------------- the record

// One word of a line: a bare word, NAME=word, or a text in quotes.
struct Item {
  std::string name; // empty: the value stands alone
  std::string word;
  std::u16string text;
  bool is_text = false;
};

Item Word(const std::string &word, const std::string &name = std::string()) {
  return Item{name, word, {}, false};
}
Item Text(const std::u16string &text, const std::string &name = std::string()) {
  return Item{name, std::string(), text, true};
}

struct Line {
  int indent = 0;
  std::string keyword;
  std::vector<Item> items;
};

// What a name found in the logon or in the system's answer is; each kind has
// its own placeholders.
enum class NameKind { User, Host, System, Hidden };

struct Field {
  std::u16string name;
  nw::RFCTYPE type = nw::RFCTYPE_CHAR;
  unsigned nuc = 0;
};

struct Parameter {
  std::u16string name;
  nw::RFCTYPE type = nw::RFCTYPE_CHAR;
  nw::RFC_DIRECTION direction = nw::RFC_IMPORT;
  unsigned nuc = 0;
  std::vector<Field> fields; // structures and tables: the fields of their rows
};

struct Described {
  std::string name;
  std::vector<Parameter> parameters;
  std::vector<Line> lines;
};

struct FunctionCall {
  std::shared_ptr<const Described> described;
  std::vector<Item> sets; // the importing values the bridge set
};

struct Recorder {
  std::mutex mutex;
  Sdk real; // the SDK's own functions
  bool started = false;
  std::vector<Line> events;
  std::vector<std::shared_ptr<Described>> functions; // in the order first described
  std::map<const void *, std::shared_ptr<Described>> descriptions;
  std::map<const void *, FunctionCall> calls;
  std::map<const void *, int> connections;
  int attempts = 0;
  std::vector<std::pair<std::u16string, NameKind>> names;
  std::u16string password;
};

// Never destroyed: a worker the bridge left behind at its time bound may
// still return into a wrapper while the process ends.
Recorder &TheRecorder() {
  static Recorder *recorder = new Recorder;
  return *recorder;
}

const Sdk &Real() { return TheRecorder().real; }

void NoteName(const std::u16string &raw, NameKind kind) {
  std::u16string name = raw;
  while (!name.empty() && name.back() == u' ') name.pop_back();
  if (name.size() < 2) return;
  Recorder &recorder = TheRecorder();
  for (const auto &known : recorder.names)
    if (UpperCase(known.first) == UpperCase(name)) return;
  recorder.names.emplace_back(name, kind);
}

// An instance name "host_SID_NN": its host and its system.
void NoteInstance(const std::u16string &raw) {
  std::u16string name = raw;
  while (!name.empty() && name.back() == u' ') name.pop_back();
  const std::size_t last = name.rfind(u'_');
  if (last == std::u16string::npos || last == 0) return;
  const std::size_t middle = name.rfind(u'_', last - 1);
  if (middle == std::u16string::npos || middle == 0 || last - middle - 1 != 3) return;
  const std::u16string number = name.substr(last + 1);
  if (number.size() != 2 ||
      !std::all_of(number.begin(), number.end(), [](char16_t u) { return u >= u'0' && u <= u'9'; }))
    return;
  NoteName(name.substr(0, middle), NameKind::Host);
  NoteName(name.substr(middle + 1, 3), NameKind::System);
}

// Field and parameter names whose values name a host, a system or an
// instance, wherever they appear (RFCSI_EXPORT's fields, the workload
// modules' INSTANCE, HOSTID and COMPONENT).
void NoteNamedValue(const std::string &field, const std::u16string &value) {
  static const char *const kHosts[] = {"ASHOST",  "MSHOST",   "GWHOST",    "WSHOST",
                                       "RFCHOST", "RFCHOST2", "RFCDBHOST", "HOSTID",
                                       "HOST",    "HOSTNAME", "DBHOST"};
  static const char *const kSystems[] = {"SYSID", "R3NAME", "DEST", "RFCSYSID", "RFCDATABS", "SID"};
  static const char *const kHidden[] = {"RFCIPADDR",        "RFCIPV6ADDR",   "SAPROUTER",
                                        "SNC_PARTNERNAME",  "SNC_MYNAME",    "SNC_LIB",
                                        "TLS_SAPCRYPTOLIB", "TLS_CLIENT_PSE"};
  static const char *const kInstances[] = {"RFCDEST", "INSTANCE", "COMPONENT", "INSTNAME",
                                           "SERVER"};
  std::lock_guard<std::mutex> lock(TheRecorder().mutex);
  for (const char *name : kHosts)
    if (field == name) NoteName(value, NameKind::Host);
  for (const char *name : kSystems)
    if (field == name) NoteName(value, NameKind::System);
  for (const char *name : kHidden)
    if (field == name) NoteName(value, NameKind::Hidden);
  for (const char *name : kInstances)
    if (field == name) NoteInstance(value);
  if (field == "USER") NoteName(value, NameKind::User);
}

// ------------------------------------------------------------ SDK words

// A number's name (sdk_words.h), or the number itself.
std::string Named(const char *name, int value) { return name ? name : std::to_string(value); }

std::string TypeWord(nw::RFCTYPE type) {
  return Named(KnownTypeName(type), static_cast<int>(type));
}

std::string DirectionWord(nw::RFC_DIRECTION direction) {
  switch (direction) {
  case nw::RFC_IMPORT: return "import";
  case nw::RFC_EXPORT: return "export";
  case nw::RFC_CHANGING: return "changing";
  case nw::RFC_TABLES: return "tables";
  default: return std::to_string(static_cast<int>(direction));
  }
}

std::string Milliseconds(Clock::time_point started) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f",
                std::chrono::duration<double, std::milli>(Clock::now() - started).count());
  return text;
}

// The outcome of a call: "ok", or the SDK's error information.
Line Outcome(nw::RFC_RC code, const nw::RFC_ERROR_INFO &info, int indent) {
  if (code == nw::RFC_OK) return Line{indent, "ok", {}};
  Line line{indent, "error", {}};
  line.items.push_back(Word(Named(KnownRcName(code), static_cast<int>(code)), "code"));
  line.items.push_back(
      Word(Named(KnownGroupName(info.group), static_cast<int>(info.group)), "group"));
  line.items.push_back(Text(Units(info.key, 128), "key"));
  line.items.push_back(Text(Units(info.message, 512), "message"));
  const std::pair<const char *, std::u16string> abap[] = {
      {"abap_class", Units(info.abapMsgClass, 21)},  {"abap_type", Units(info.abapMsgType, 2)},
      {"abap_number", Units(info.abapMsgNumber, 4)}, {"abap_v1", Units(info.abapMsgV1, 51)},
      {"abap_v2", Units(info.abapMsgV2, 51)},        {"abap_v3", Units(info.abapMsgV3, 51)},
      {"abap_v4", Units(info.abapMsgV4, 51)}};
  for (const auto &[name, value] : abap)
    if (!value.empty()) line.items.push_back(Text(value, name));
  return line;
}

void Record(std::vector<Line> lines) {
  Recorder &recorder = TheRecorder();
  std::lock_guard<std::mutex> lock(recorder.mutex);
  for (Line &line : lines) recorder.events.push_back(std::move(line));
}

int ConnectionNumber(nw::RFC_CONNECTION_HANDLE handle) {
  Recorder &recorder = TheRecorder();
  std::lock_guard<std::mutex> lock(recorder.mutex);
  const auto found = recorder.connections.find(handle);
  return found == recorder.connections.end() ? 0 : found->second;
}

// ------------------------------------------------------------ descriptions

// The whole description of a function, read from the SDK once: every
// parameter and the fields of every structure and table.
std::shared_ptr<Described> Describe(nw::RFC_FUNCTION_DESC_HANDLE handle, const std::string &name) {
  auto described = std::make_shared<Described>();
  described->name = name;
  described->lines.push_back(Line{0, "function", {Word(name)}});
  nw::RFC_ERROR_INFO info{};
  unsigned count = 0;
  if (Real().RfcGetParameterCount(handle, &count, &info) != nw::RFC_OK) {
    described->lines.push_back(Line{2, "# the parameters could not be read", {}});
    return described;
  }
  for (unsigned i = 0; i < count; ++i) {
    nw::RFC_PARAMETER_DESC desc{};
    if (Real().RfcGetParameterDescByIndex(handle, i, &desc, &info) != nw::RFC_OK) break;
    Parameter parameter{Units(desc.name, 31), desc.type, desc.direction, desc.nucLength, {}};
    described->lines.push_back(Line{
        2,
        "parameter",
        {Word(Ascii(parameter.name)), Word(TypeWord(desc.type)),
         Word(DirectionWord(desc.direction)), Word(std::to_string(desc.nucLength), "nuc"),
         Word(std::to_string(desc.ucLength), "uc"), Word(std::to_string(desc.decimals), "decimals"),
         Word(desc.optional ? "1" : "0", "optional")}});
    if (desc.type == nw::RFCTYPE_STRUCTURE || desc.type == nw::RFCTYPE_TABLE) {
      nw::RFC_TYPE_DESC_HANDLE type = desc.typeDescHandle;
      unsigned fields = 0;
      if (type != nullptr && Real().RfcGetFieldCount(type, &fields, &info) == nw::RFC_OK) {
        for (unsigned f = 0; f < fields; ++f) {
          nw::RFC_FIELD_DESC field{};
          if (Real().RfcGetFieldDescByIndex(type, f, &field, &info) != nw::RFC_OK) break;
          parameter.fields.push_back(Field{Units(field.name, 31), field.type, field.nucLength});
          described->lines.push_back(
              Line{4,
                   "field",
                   {Word(Ascii(Units(field.name, 31))), Word(TypeWord(field.type)),
                    Word(std::to_string(field.nucLength), "nuc"),
                    Word(std::to_string(field.nucOffset), "nucoff"),
                    Word(std::to_string(field.ucLength), "uc"),
                    Word(std::to_string(field.ucOffset), "ucoff"),
                    Word(std::to_string(field.decimals), "decimals")}});
        }
      }
    }
    described->parameters.push_back(std::move(parameter));
  }
  return described;
}

// ------------------------------------------------------------ values

std::string Hex(const std::vector<nw::SAP_RAW> &bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (nw::SAP_RAW byte : bytes) {
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 15]);
  }
  return out;
}

// The shortest of 15 to 17 digits that reads back as the same double.
std::string FloatText(double value) {
  char text[40];
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::strtod(text, nullptr) == value) break;
  }
  return text;
}

bool IsInitial(const Item &item, nw::RFCTYPE type) {
  if (item.is_text) {
    const char16_t fill = type == nw::RFCTYPE_CHAR || type == nw::RFCTYPE_STRING ? u' ' : u'0';
    return std::all_of(item.text.begin(), item.text.end(),
                       [&](char16_t unit) { return unit == fill || unit == u' '; });
  }
  if (type == nw::RFCTYPE_BYTE)
    return std::all_of(item.word.begin(), item.word.end(), [](char c) { return c == '0'; });
  // Numbers: no digit other than 0 (0, -0, 0.00, 0.0000000000000000E+00).
  for (char c : item.word) {
    if (c == 'E' || c == 'e') break;
    if (c >= '1' && c <= '9') return false;
  }
  return true;
}

// One value as the SDK gives it: integers and floats by their own getters,
// raw fields in hexadecimal, everything else as RfcGetString's text.
bool ReadValue(nw::DATA_CONTAINER_HANDLE handle, const Field &field, Item *item,
               std::u16string *why) {
  const Sdk &sdk = Real();
  const std::string name = Ascii(field.name);
  const char16_t *units = field.name.c_str();
  nw::RFC_ERROR_INFO info{};
  nw::RFC_RC code = nw::RFC_OK;
  auto fail = [&]() {
    *why = Units(info.message, 512);
    return false;
  };
  switch (field.type) {
  case nw::RFCTYPE_INT: {
    nw::RFC_INT value = 0;
    if ((code = sdk.RfcGetInt(handle, units, &value, &info)) != nw::RFC_OK) return fail();
    *item = Word(std::to_string(value), name);
    return true;
  }
  case nw::RFCTYPE_INT2: {
    nw::RFC_INT2 value = 0;
    if ((code = sdk.RfcGetInt2(handle, units, &value, &info)) != nw::RFC_OK) return fail();
    *item = Word(std::to_string(value), name);
    return true;
  }
  case nw::RFCTYPE_INT1: {
    nw::RFC_INT1 value = 0;
    if ((code = sdk.RfcGetInt1(handle, units, &value, &info)) != nw::RFC_OK) return fail();
    *item = Word(std::to_string(value), name);
    return true;
  }
  case nw::RFCTYPE_INT8:
    if (sdk.RfcGetInt8 != nullptr) {
      nw::RFC_INT8 value = 0;
      if ((code = sdk.RfcGetInt8(handle, units, &value, &info)) != nw::RFC_OK) return fail();
      *item = Word(std::to_string(value), name);
      return true;
    }
    break;
  case nw::RFCTYPE_FLOAT:
    if (sdk.RfcGetFloat != nullptr) {
      nw::RFC_FLOAT value = 0;
      if ((code = sdk.RfcGetFloat(handle, units, &value, &info)) != nw::RFC_OK) return fail();
      *item = Word(FloatText(value), name);
      return true;
    }
    break;
  case nw::RFCTYPE_BYTE: {
    std::vector<nw::SAP_RAW> bytes(field.nuc);
    if ((code = sdk.RfcGetBytes(handle, units, bytes.data(), field.nuc, &info)) != nw::RFC_OK)
      return fail();
    *item = Word(Hex(bytes), name);
    return true;
  }
  case nw::RFCTYPE_STRUCTURE:
  case nw::RFCTYPE_TABLE:
  case nw::RFCTYPE_XSTRING:
    *why = u"not captured: a value of type " + Ascii16(TypeWord(field.type));
    return false;
  default: break;
  }
  std::vector<nw::SAP_UC> buffer(256);
  unsigned length = 0;
  code = sdk.RfcGetString(handle, units, buffer.data(), static_cast<unsigned>(buffer.size()),
                          &length, &info);
  if (code == nw::RFC_BUFFER_TOO_SMALL) {
    buffer.assign(length + 1, 0);
    code = sdk.RfcGetString(handle, units, buffer.data(), static_cast<unsigned>(buffer.size()),
                            &length, &info);
  }
  if (code != nw::RFC_OK) return fail();
  const std::u16string text = Units(buffer.data(), buffer.size());
  const bool number = field.type == nw::RFCTYPE_BCD || field.type == nw::RFCTYPE_DECF16 ||
                      field.type == nw::RFCTYPE_DECF34 || field.type == nw::RFCTYPE_FLOAT ||
                      field.type == nw::RFCTYPE_INT8;
  std::u16string trimmed = text;
  while (!trimmed.empty() && trimmed.back() == u' ') trimmed.pop_back();
  while (!trimmed.empty() && trimmed.front() == u' ') trimmed.erase(trimmed.begin());
  const bool plain =
      !trimmed.empty() && std::all_of(trimmed.begin(), trimmed.end(), [](char16_t unit) {
        return (unit >= u'0' && unit <= u'9') || unit == u'-' || unit == u'+' || unit == u'.' ||
               unit == u'E' || unit == u'e';
      });
  if (number && plain) {
    *item = Word(Ascii(trimmed), name);
  } else if (field.type == nw::RFCTYPE_CHAR) {
    // The field's length pads it again: its trailing blanks say nothing.
    std::u16string shown = text;
    while (!shown.empty() && shown.back() == u' ') shown.pop_back();
    *item = Text(shown, name);
  } else {
    *item = Text(text, name);
  }
  return true;
}

// The values of a structure or table row: the non-initial ones as
// NAME=value; a value that cannot be read as a comment line before it.
void ReadRow(nw::DATA_CONTAINER_HANDLE handle, const std::vector<Field> &fields, Line *row,
             std::vector<Line> *notes, int indent) {
  for (const Field &field : fields) {
    Item item;
    std::u16string why;
    if (!ReadValue(handle, field, &item, &why)) {
      notes->push_back(
          Line{indent, "#", {Word(Ascii(field.name)), Word("not"), Word("read:"), Text(why)}});
      continue;
    }
    if (item.is_text) NoteNamedValue(item.name, item.text);
    if (!IsInitial(item, field.type)) row->items.push_back(item);
  }
}

// Everything the function answered: exporting and changing values,
// structures and every table's rows.
void Answer(nw::RFC_FUNCTION_HANDLE function, const Described &described,
            std::vector<Line> *lines) {
  const Sdk &sdk = Real();
  Line scalars{2, "values", {}};
  std::vector<Line> notes;
  for (const Parameter &parameter : described.parameters) {
    if (parameter.direction == nw::RFC_IMPORT) continue;
    nw::RFC_ERROR_INFO info{};
    const std::string name = Ascii(parameter.name);
    if (parameter.type == nw::RFCTYPE_STRUCTURE) {
      nw::RFC_STRUCTURE_HANDLE structure = nullptr;
      if (sdk.RfcGetStructure(function, parameter.name.c_str(), &structure, &info) != nw::RFC_OK) {
        lines->push_back(
            Line{2, "#", {Word(name), Word("not"), Word("read:"), Text(Units(info.message, 512))}});
        continue;
      }
      Line line{2, "structure", {Word(name)}};
      std::vector<Line> structure_notes;
      ReadRow(structure, parameter.fields, &line, &structure_notes, 2);
      for (Line &note : structure_notes) lines->push_back(std::move(note));
      lines->push_back(std::move(line));
    } else if (parameter.type == nw::RFCTYPE_TABLE) {
      nw::RFC_TABLE_HANDLE table = nullptr;
      unsigned count = 0;
      if (sdk.RfcGetTable(function, parameter.name.c_str(), &table, &info) != nw::RFC_OK ||
          sdk.RfcGetRowCount(table, &count, &info) != nw::RFC_OK) {
        lines->push_back(
            Line{2, "#", {Word(name), Word("not"), Word("read:"), Text(Units(info.message, 512))}});
        continue;
      }
      lines->push_back(Line{2, "table", {Word(name), Word(std::to_string(count), "rows")}});
      for (unsigned index = 0; index < count; ++index) {
        Line row{4, "row", {}};
        if (sdk.RfcMoveTo(table, index, &info) != nw::RFC_OK) {
          lines->push_back(Line{4,
                                "#",
                                {Word("row"), Word(std::to_string(index)), Word("not"),
                                 Word("read:"), Text(Units(info.message, 512))}});
          continue;
        }
        std::vector<Line> row_notes;
        ReadRow(table, parameter.fields, &row, &row_notes, 4);
        for (Line &note : row_notes) lines->push_back(std::move(note));
        lines->push_back(std::move(row));
      }
    } else {
      ReadRow(function, {Field{parameter.name, parameter.type, parameter.nuc}}, &scalars, &notes,
              2);
    }
  }
  for (Line &note : notes) lines->push_back(std::move(note));
  if (!scalars.items.empty()) lines->push_back(std::move(scalars));
}

// ------------------------------------------------------------ the wrappers

nw::RFC_CONNECTION_HANDLE SAP_API Open(const nw::RFC_CONNECTION_PARAMETER *parameters,
                                       unsigned count, nw::RFC_ERROR_INFO *error) {
  nw::RFC_ERROR_INFO own{};
  nw::RFC_ERROR_INFO *info = error ? error : &own;
  const Clock::time_point started = Clock::now();
  nw::RFC_CONNECTION_HANDLE handle = Real().RfcOpenConnection(parameters, count, info);
  const std::string ms = Milliseconds(started);
  Recorder &recorder = TheRecorder();
  int number = 0;
  {
    std::lock_guard<std::mutex> lock(recorder.mutex);
    number = ++recorder.attempts;
    if (handle != nullptr) recorder.connections[handle] = number;
  }
  std::vector<Line> lines{Line{0, "open", {Word(std::to_string(number)), Word(ms, "ms")}}};
  for (unsigned i = 0; parameters != nullptr && i < count; ++i) {
    const std::string name = Ascii(UpperCase(Units(parameters[i].name, 256)));
    const std::u16string value = Units(parameters[i].value, 4096);
    if (name == "PASSWD" || name == "PASSWORD") {
      // Never written; any text equal to it is masked.
      std::lock_guard<std::mutex> lock(recorder.mutex);
      recorder.password = value;
      continue;
    }
    NoteNamedValue(name, value);
    lines.push_back(Line{2, "param", {Text(value, name)}});
  }
  lines.push_back(Outcome(handle != nullptr ? nw::RFC_OK : info->code, *info, 2));
  Record(std::move(lines));
  return handle;
}

nw::RFC_RC SAP_API Close(nw::RFC_CONNECTION_HANDLE handle, nw::RFC_ERROR_INFO *error) {
  nw::RFC_ERROR_INFO own{};
  nw::RFC_ERROR_INFO *info = error ? error : &own;
  const int number = ConnectionNumber(handle);
  const Clock::time_point started = Clock::now();
  const nw::RFC_RC code = Real().RfcCloseConnection(handle, info);
  Record({Line{0, "close", {Word(std::to_string(number)), Word(Milliseconds(started), "ms")}},
          Outcome(code, *info, 2)});
  return code;
}

nw::RFC_RC SAP_API Cancel(nw::RFC_CONNECTION_HANDLE handle, nw::RFC_ERROR_INFO *error) {
  nw::RFC_ERROR_INFO own{};
  nw::RFC_ERROR_INFO *info = error ? error : &own;
  const int number = ConnectionNumber(handle);
  const Clock::time_point started = Clock::now();
  const nw::RFC_RC code = Real().RfcCancel(handle, info);
  Record({Line{0, "cancel", {Word(std::to_string(number)), Word(Milliseconds(started), "ms")}},
          Outcome(code, *info, 2)});
  return code;
}

nw::RFC_FUNCTION_DESC_HANDLE SAP_API GetFunctionDesc(nw::RFC_CONNECTION_HANDLE connection,
                                                     const nw::SAP_UC *name,
                                                     nw::RFC_ERROR_INFO *error) {
  nw::RFC_ERROR_INFO own{};
  nw::RFC_ERROR_INFO *info = error ? error : &own;
  const int number = ConnectionNumber(connection);
  const std::string function = Ascii(Units(name, 256));
  const Clock::time_point started = Clock::now();
  nw::RFC_FUNCTION_DESC_HANDLE handle = Real().RfcGetFunctionDesc(connection, name, info);
  const std::string ms = Milliseconds(started);
  if (handle != nullptr) {
    Recorder &recorder = TheRecorder();
    bool known = false;
    {
      std::lock_guard<std::mutex> lock(recorder.mutex);
      known = recorder.descriptions.count(handle) > 0;
    }
    if (!known) {
      std::shared_ptr<Described> described = Describe(handle, function);
      std::lock_guard<std::mutex> lock(recorder.mutex);
      if (recorder.descriptions.emplace(handle, described).second) {
        bool listed = false;
        for (const auto &other : recorder.functions) listed = listed || other->name == function;
        if (!listed) recorder.functions.push_back(described);
      }
    }
  }
  Record({Line{0, "describe", {Word(std::to_string(number)), Word(function), Word(ms, "ms")}},
          Outcome(handle != nullptr ? nw::RFC_OK
                                    : (info->code == nw::RFC_OK ? nw::RFC_NOT_FOUND : info->code),
                  *info, 2)});
  return handle;
}

nw::RFC_FUNCTION_HANDLE SAP_API CreateFunction(nw::RFC_FUNCTION_DESC_HANDLE description,
                                               nw::RFC_ERROR_INFO *error) {
  nw::RFC_FUNCTION_HANDLE handle = Real().RfcCreateFunction(description, error);
  if (handle != nullptr) {
    Recorder &recorder = TheRecorder();
    std::lock_guard<std::mutex> lock(recorder.mutex);
    const auto found = recorder.descriptions.find(description);
    recorder.calls[handle] =
        FunctionCall{found == recorder.descriptions.end() ? nullptr : found->second, {}};
  }
  return handle;
}

nw::RFC_RC SAP_API DestroyFunction(nw::RFC_FUNCTION_HANDLE handle, nw::RFC_ERROR_INFO *error) {
  {
    Recorder &recorder = TheRecorder();
    std::lock_guard<std::mutex> lock(recorder.mutex);
    recorder.calls.erase(handle);
  }
  return Real().RfcDestroyFunction(handle, error);
}

// An importing value the bridge set on a function (not on a structure or
// table inside it: the bridge sets none there).
void NoteSet(nw::DATA_CONTAINER_HANDLE container, const Item &item) {
  Recorder &recorder = TheRecorder();
  std::lock_guard<std::mutex> lock(recorder.mutex);
  const auto found = recorder.calls.find(container);
  if (found != recorder.calls.end()) found->second.sets.push_back(item);
}

nw::RFC_RC SAP_API SetString(nw::DATA_CONTAINER_HANDLE container, const nw::SAP_UC *name,
                             const nw::SAP_UC *value, unsigned length, nw::RFC_ERROR_INFO *error) {
  const nw::RFC_RC code = Real().RfcSetString(container, name, value, length, error);
  if (code == nw::RFC_OK) {
    const std::u16string text = value ? std::u16string(value, length) : std::u16string();
    const std::string field = Ascii(Units(name, 256));
    NoteNamedValue(field, text);
    NoteSet(container, Text(text, field));
  }
  return code;
}

template <typename Integer, typename Setter>
nw::RFC_RC SetNumber(Setter setter, nw::DATA_CONTAINER_HANDLE container, const nw::SAP_UC *name,
                     Integer value, nw::RFC_ERROR_INFO *error) {
  const nw::RFC_RC code = setter(container, name, value, error);
  if (code == nw::RFC_OK)
    NoteSet(container,
            Word(std::to_string(static_cast<long long>(value)), Ascii(Units(name, 256))));
  return code;
}

nw::RFC_RC SAP_API SetInt(nw::DATA_CONTAINER_HANDLE container, const nw::SAP_UC *name,
                          nw::RFC_INT value, nw::RFC_ERROR_INFO *error) {
  return SetNumber(Real().RfcSetInt, container, name, value, error);
}
nw::RFC_RC SAP_API SetInt1(nw::DATA_CONTAINER_HANDLE container, const nw::SAP_UC *name,
                           nw::RFC_INT1 value, nw::RFC_ERROR_INFO *error) {
  return SetNumber(Real().RfcSetInt1, container, name, value, error);
}
nw::RFC_RC SAP_API SetInt2(nw::DATA_CONTAINER_HANDLE container, const nw::SAP_UC *name,
                           nw::RFC_INT2 value, nw::RFC_ERROR_INFO *error) {
  return SetNumber(Real().RfcSetInt2, container, name, value, error);
}

nw::RFC_RC SAP_API Invoke(nw::RFC_CONNECTION_HANDLE connection, nw::RFC_FUNCTION_HANDLE function,
                          nw::RFC_ERROR_INFO *error) {
  nw::RFC_ERROR_INFO own{};
  nw::RFC_ERROR_INFO *info = error ? error : &own;
  const int number = ConnectionNumber(connection);
  FunctionCall call;
  {
    Recorder &recorder = TheRecorder();
    std::lock_guard<std::mutex> lock(recorder.mutex);
    const auto found = recorder.calls.find(function);
    if (found != recorder.calls.end()) call = found->second;
  }
  const Clock::time_point started = Clock::now();
  const nw::RFC_RC code = Real().RfcInvoke(connection, function, info);
  const std::string ms = Milliseconds(started);
  const std::string name = call.described ? call.described->name : std::string("?");
  std::vector<Line> lines{
      Line{0, "invoke", {Word(std::to_string(number)), Word(name), Word(ms, "ms")}}};
  for (const Item &set : call.sets) lines.push_back(Line{2, "set", {set}});
  lines.push_back(Outcome(code, *info, 2));
  if (code == nw::RFC_OK && call.described) {
    // Read after the call, before the bridge reads: the answer's values do
    // not change by being read, and the bridge moves to each row itself.
    const nw::RFC_ERROR_INFO kept = *info;
    Answer(function, *call.described, &lines);
    *info = kept;
  }
  Record(std::move(lines));
  return code;
}

void Layer(Sdk &sdk) {
  Recorder &recorder = TheRecorder();
  recorder.real = sdk;
  // A function the SDK lacks stays missing: the bridge decides what that means.
  if (sdk.RfcOpenConnection) sdk.RfcOpenConnection = &Open;
  if (sdk.RfcCloseConnection) sdk.RfcCloseConnection = &Close;
  if (sdk.RfcCancel) sdk.RfcCancel = &Cancel;
  if (sdk.RfcGetFunctionDesc) sdk.RfcGetFunctionDesc = &GetFunctionDesc;
  if (sdk.RfcCreateFunction) sdk.RfcCreateFunction = &CreateFunction;
  if (sdk.RfcDestroyFunction) sdk.RfcDestroyFunction = &DestroyFunction;
  if (sdk.RfcInvoke) sdk.RfcInvoke = &Invoke;
  if (sdk.RfcSetString) sdk.RfcSetString = &SetString;
  if (sdk.RfcSetInt) sdk.RfcSetInt = &SetInt;
  if (sdk.RfcSetInt1) sdk.RfcSetInt1 = &SetInt1;
  if (sdk.RfcSetInt2) sdk.RfcSetInt2 = &SetInt2;
}

// ------------------------------------------------------------ writing

struct Placeholder {
  std::u16string name;
  std::u16string placeholder; // lower case; upper case where the name is written so
};

std::vector<Placeholder>
Placeholders(const std::vector<std::pair<std::u16string, NameKind>> &names) {
  std::vector<Placeholder> out;
  int counts[4] = {0, 0, 0, 0};
  for (const auto &[name, kind] : names) {
    const int n = ++counts[static_cast<int>(kind)];
    std::string placeholder;
    switch (kind) {
    case NameKind::User: placeholder = "user" + std::to_string(n); break;
    case NameKind::Host: placeholder = "host" + std::to_string(n); break;
    // Three characters, as a system ID has.
    case NameKind::System:
      placeholder = n < 10 ? "sy" + std::to_string(n) : "s" + std::to_string(n % 100);
      break;
    case NameKind::Hidden: placeholder = "hidden" + std::to_string(n); break;
    }
    out.push_back(Placeholder{name, Ascii16(placeholder)});
  }
  // The longest first, so that a name inside another is not replaced first.
  std::stable_sort(out.begin(), out.end(), [](const Placeholder &a, const Placeholder &b) {
    return a.name.size() > b.name.size();
  });
  return out;
}

// Every name as a whole word (not inside a longer run of letters and
// digits), compared without regard to case, replaced by its placeholder.
std::u16string Replaced(const std::u16string &text, const std::vector<Placeholder> &placeholders) {
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    if (i == 0 || !IsAlnum(text[i - 1])) {
      for (const Placeholder &p : placeholders) {
        const std::size_t n = p.name.size();
        if (i + n > text.size() ||
            (i + n < text.size() && IsAlnum(text[i + n]) && IsAlnum(p.name.back())))
          continue;
        bool same = true;
        for (std::size_t k = 0; k < n && same; ++k) same = Folded(text[i + k]) == Folded(p.name[k]);
        if (!same) continue;
        const std::u16string found = text.substr(i, n);
        out += HasLower(found) ? LowerCase(p.placeholder) : UpperCase(p.placeholder);
        i += n;
        replaced = true;
        break;
      }
    }
    if (!replaced) out.push_back(text[i++]);
  }
  return out;
}

std::u16string Masked(const std::u16string &text, const std::u16string &password) {
  if (password.size() < 2) return text;
  std::u16string out = text;
  for (std::size_t at = out.find(password); at != std::u16string::npos;
       at = out.find(password, at + 8))
    out.replace(at, password.size(), u"********");
  return out;
}

} // namespace

void StartCapture() {
  Recorder &recorder = TheRecorder();
  {
    std::lock_guard<std::mutex> lock(recorder.mutex);
    if (recorder.started) return;
    recorder.started = true;
  }
  SetSdkLayer(&Layer);
}

std::string CaptureText(const CaptureHeader &header) {
  Recorder &recorder = TheRecorder();
  std::lock_guard<std::mutex> lock(recorder.mutex);
  const std::vector<Placeholder> placeholders =
      header.keep_names ? std::vector<Placeholder>() : Placeholders(recorder.names);
  auto write = [&](const Line &line, std::string &out) {
    out += std::string(static_cast<std::size_t>(line.indent), ' ') + line.keyword;
    for (const Item &item : line.items) {
      out += " ";
      if (!item.name.empty()) out += item.name + "=";
      out += item.is_text ? Quoted(Masked(Replaced(item.text, placeholders), recorder.password))
                          : item.word;
    }
    out += "\n";
  };
  std::string out =
      "# A capture of one quarlane-nwrfc-check run: what the NetWeaver RFC bridge asked the SAP\n"
      "# NetWeaver RFC SDK and what the SDK answered (format: docs/capture-format.md). It holds "
      "no\n"
      "# password";
  out += header.keep_names
             ? ". User, host and system names are as the system gave them (--capture-keep-names).\n"
             : "; user, host and system names are replaced by placeholders (user1, host1, sy1).\n";
  out += "quarlane-nwrfc-capture 1\n";
  write(Line{0, "tool", {Text(Ascii16(header.tool))}}, out);
  write(Line{0, "captured_at", {Word(header.captured_at)}}, out);
  // The version text as the probe gives it: Windows-1252.
  if (!header.sdk.empty()) write(Line{0, "sdk", {Text(FromWindows1252(header.sdk))}}, out);
  write(Line{0, "names", {Word(header.keep_names ? "kept" : "replaced")}}, out);
  write(Line{0,
             "verdict",
             {Text(Ascii16(header.verdict)), Word(std::to_string(header.exit_status), "exit")}},
        out);
  out += "\n# The function modules as the system describes them.\n";
  for (const auto &described : recorder.functions)
    for (const Line &line : described->lines) write(line, out);
  out += "\n# The calls, in order, with their time in milliseconds.\n";
  for (const Line &line : recorder.events) write(line, out);
  return out;
}

} // namespace quarlane::nwrfc
