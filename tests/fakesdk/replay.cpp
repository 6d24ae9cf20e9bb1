#include "replay.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <set>

#include "nwrfc/sdk_words.h"
#include "platform/byte_order_mark.h"
#include "text.h"

namespace fakesdk {

namespace {

const char kFormatWord[] = "quarlane-nwrfc-capture";

// ------------------------------------------------------------ words

struct Token {
  std::string name; // NAME of NAME=value; empty for a value alone
  std::u16string value;
  bool text = false; // the value was quoted
};

bool HexDigit(char c, unsigned *digit) {
  if (c >= '0' && c <= '9')
    *digit = static_cast<unsigned>(c - '0');
  else if (c >= 'A' && c <= 'F')
    *digit = static_cast<unsigned>(c - 'A' + 10);
  else if (c >= 'a' && c <= 'f')
    *digit = static_cast<unsigned>(c - 'a' + 10);
  else
    return false;
  return true;
}

// Splits a line into words: bare words, NAME=word, "text" and NAME="text";
// in a text \" \\ and \uXXXX are escapes, everything else is UTF-8.
bool Tokens(const std::string &line, std::vector<Token> *tokens, std::string *problem) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
      continue;
    }
    Token token;
    std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '=' && line[i] != '"')
      ++i;
    if (i < line.size() && line[i] == '=') {
      token.name = line.substr(start, i - start);
      ++i;
      start = i;
    } else {
      i = start;
    }
    if (i < line.size() && line[i] == '"') {
      token.text = true;
      std::string pending; // UTF-8 bytes not yet converted
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i];
        if (c == '"') {
          closed = true;
          ++i;
          break;
        }
        if (c == '\\') {
          if (i + 1 >= line.size()) break;
          const char next = line[i + 1];
          if (next == '"' || next == '\\') {
            pending.push_back(next);
            i += 2;
            continue;
          }
          unsigned unit = 0, digit = 0;
          if (next != 'u' || i + 6 > line.size()) {
            *problem = "unknown escape \\" + std::string(1, next) + " in a text";
            return false;
          }
          for (std::size_t k = i + 2; k < i + 6; ++k) {
            if (!HexDigit(line[k], &digit)) {
              *problem = "\\u needs four hexadecimal digits";
              return false;
            }
            unit = unit * 16 + digit;
          }
          token.value += FromUtf8(pending);
          pending.clear();
          token.value.push_back(static_cast<char16_t>(unit));
          i += 6;
          continue;
        }
        pending.push_back(c);
        ++i;
      }
      if (!closed) {
        *problem = "a text without its closing quote";
        return false;
      }
      token.value += FromUtf8(pending);
      if (i < line.size() && line[i] != ' ' && line[i] != '\t') {
        *problem = "no blank after a quoted text";
        return false;
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
      token.value = FromUtf8(line.substr(start, i - start));
    }
    tokens->push_back(std::move(token));
  }
  return true;
}

std::string Narrow(const std::u16string &text) { return ToUtf8(text); }

// ------------------------------------------------------------ SDK words

// A name of the SDK's (src/nwrfc/sdk_words.h), or a number.
bool Numbered(bool (*of_name)(const std::string &, int *), const std::string &word, int *value) {
  if (of_name(word, value)) return true;
  std::int64_t number = 0;
  if (!ParseInteger(word, &number) || number < 0 || number > 1000) return false;
  *value = static_cast<int>(number);
  return true;
}

bool Unsigned(const std::u16string &text, unsigned *value) {
  std::int64_t number = 0;
  if (!ParseInteger(text, &number) || number < 0 || number > 1000000) return false;
  *value = static_cast<unsigned>(number);
  return true;
}

// ------------------------------------------------------------ values

// A packed value's decimal text ("-12.50") into the field's number at its decimals.
bool AssignDecimal(Value &value, const std::u16string &text, std::string *problem) {
  const std::string narrow = Narrow(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < narrow.size() && (narrow[i] == '-' || narrow[i] == '+')) negative = narrow[i++] == '-';
  std::string whole, fraction;
  while (i < narrow.size() && narrow[i] >= '0' && narrow[i] <= '9') whole.push_back(narrow[i++]);
  if (i < narrow.size() && narrow[i] == '.') {
    ++i;
    while (i < narrow.size() && narrow[i] >= '0' && narrow[i] <= '9')
      fraction.push_back(narrow[i++]);
  }
  if (i < narrow.size() && narrow[i] == '-' && !negative)
    negative = true, ++i; // a sign after, as ABAP writes it
  if (i != narrow.size() || (whole.empty() && fraction.empty())) {
    *problem = "'" + narrow + "' is not a decimal number";
    return false;
  }
  while (fraction.size() > value.decimals && fraction.back() == '0') fraction.pop_back();
  if (fraction.size() > value.decimals) {
    *problem =
        "'" + narrow + "' has more decimals than the field's " + std::to_string(value.decimals);
    return false;
  }
  fraction.append(value.decimals - fraction.size(), '0');
  const std::string digits = whole + fraction;
  std::int64_t number = 0;
  if (!ParseInteger(digits.empty() ? std::string("0") : digits, &number)) {
    *problem = "'" + narrow + "' is too large";
    return false;
  }
  return AssignNumber(value, negative ? -number : number, problem);
}

bool AssignItem(Value &value, const ReplayItem &item, std::string *problem) {
  if (value.type == kBcd) return AssignDecimal(value, item.value, problem);
  return AssignText(value, item.value, problem);
}

bool FillRow(Container &row, const std::vector<ReplayItem> &items, std::string *problem,
             int *line) {
  for (const ReplayItem &item : items) {
    *line = item.line;
    Value *value = FindValue(row, item.name);
    if (value == nullptr) {
      *problem = "the description has no field " + item.name;
      return false;
    }
    std::string why;
    if (!AssignItem(*value, item, &why)) {
      *problem = item.name + ": " + why;
      return false;
    }
  }
  return true;
}

// The call's answer into the function's container.
bool Fill(const ReplayCall &call, Container &function, std::string *problem, int *line) {
  *line = call.line;
  if (!FillRow(function, call.values, problem, line)) return false;
  for (const auto &[name, items] : call.structures) {
    Value *value = FindValue(function, name);
    if (value == nullptr || value->type != kStructure || !value->nested) {
      *problem = "the description has no structure " + name;
      return false;
    }
    if (!FillRow(*value->nested, items, problem, line)) return false;
  }
  for (const auto &[name, rows] : call.tables) {
    Value *value = FindValue(function, name);
    if (value == nullptr || value->type != kTable || !value->nested) {
      *problem = "the description has no table " + name;
      return false;
    }
    value->nested->rows.clear();
    for (const auto &items : rows) {
      Container &row = AppendRow(*value->nested);
      if (!FillRow(row, items, problem, line)) return false;
    }
    value->nested->current = 0;
  }
  return true;
}

// The text a set value leaves in the field, trailing blanks dropped: how a
// captured set and the caller's are compared.
bool SetText(const FunctionDesc &function, const std::string &name, const std::u16string &text,
             bool quoted, std::u16string *held, std::string *problem) {
  std::unique_ptr<Container> scratch = NewFunction(function);
  Value *value = FindValue(*scratch, name);
  if (value == nullptr) {
    *problem = function.name + " has no parameter " + name;
    return false;
  }
  ReplayItem item{name, text, quoted, 0};
  if (!AssignItem(*value, item, problem)) return false;
  *held = TrimRight(ValueText(*value));
  return true;
}

// ------------------------------------------------------------ the parser

struct Parser {
  Replay *replay;
  int line = 0;
  enum class Event { kNone, kOpen, kDescribe, kInvoke, kOther } event = Event::kNone;
  FunctionDesc *function = nullptr;   // the description being read
  ParameterDesc *parameter = nullptr; // its last structure or table parameter
  TypeDesc *type = nullptr;
  bool opened = false; // the first open is the one replayed
  bool current_open = false;
  std::string table; // the table whose rows follow

  ReplayItem Item(const Token &token) const {
    return ReplayItem{token.name, token.value, token.text, line};
  }
};

bool Named(const std::vector<Token> &tokens, std::size_t from,
           std::map<std::string, std::u16string> *named, std::string *problem) {
  for (std::size_t i = from; i < tokens.size(); ++i) {
    if (tokens[i].name.empty()) {
      *problem = "'" + Narrow(tokens[i].value) + "' needs a name (NAME=value)";
      return false;
    }
    (*named)[tokens[i].name] = tokens[i].value;
  }
  return true;
}

bool ErrorOf(const std::vector<Token> &tokens, ReplayError *error, std::string *problem) {
  std::map<std::string, std::u16string> named;
  if (!Named(tokens, 1, &named, problem)) return false;
  if (!Numbered(quarlane::nwrfc::RcOfName, Narrow(named["code"]), &error->code) ||
      error->code == 0) {
    *problem = "error needs code= (an RFC_RC other than RFC_OK)";
    return false;
  }
  if (!Numbered(quarlane::nwrfc::GroupOfName, Narrow(named["group"]), &error->group)) {
    *problem = "error needs group= (an RFC_ERROR_GROUP)";
    return false;
  }
  error->key = named["key"];
  error->message = named["message"];
  const char *const kAbap[] = {"abap_class", "abap_type", "abap_number", "abap_v1",
                               "abap_v2",    "abap_v3",   "abap_v4"};
  for (int i = 0; i < 7; ++i) error->abap[i] = named[kAbap[i]];
  for (const auto &entry : named) {
    bool known = entry.first == "code" || entry.first == "group" || entry.first == "key" ||
                 entry.first == "message";
    for (const char *abap : kAbap) known = known || entry.first == abap;
    if (!known) {
      *problem = "error has no part " + entry.first;
      return false;
    }
  }
  return true;
}

// The outcome line (ok / error) of the event before it.
bool Outcome(Parser &parser, const std::vector<Token> &tokens, bool ok, std::string *problem) {
  Replay &replay = *parser.replay;
  ReplayError error;
  if (!ok && !ErrorOf(tokens, &error, problem)) return false;
  if (ok && tokens.size() > 1) {
    *problem = "ok stands alone";
    return false;
  }
  switch (parser.event) {
  case Parser::Event::kOpen:
    if (parser.current_open) {
      replay.open_ok = ok;
      replay.open_error = error;
    }
    break;
  case Parser::Event::kDescribe:
    replay.describes.back().ok = ok;
    replay.describes.back().error = error;
    break;
  case Parser::Event::kInvoke:
    replay.calls.back().ok = ok;
    replay.calls.back().error = error;
    break;
  case Parser::Event::kOther: break;
  case Parser::Event::kNone: *problem = "an outcome without a call before it"; return false;
  }
  return true;
}

bool Description(Parser &parser, const std::string &keyword, const std::vector<Token> &tokens,
                 std::string *problem) {
  Replay &replay = *parser.replay;
  auto word = [&](std::size_t i) {
    return i < tokens.size() && tokens[i].name.empty() ? Narrow(tokens[i].value) : "";
  };
  if (keyword == "function") {
    if (tokens.size() != 2 || word(1).empty()) {
      *problem = "function needs the module's name";
      return false;
    }
    if (FindFunctionOf(replay, word(1)) != nullptr) {
      *problem = "a second description of " + word(1);
      return false;
    }
    replay.functions.push_back(std::make_unique<FunctionDesc>());
    parser.function = replay.functions.back().get();
    parser.function->name = word(1);
    parser.parameter = nullptr;
    parser.type = nullptr;
    parser.event = Parser::Event::kNone;
    return true;
  }
  std::map<std::string, std::u16string> named;
  Type type = kChar;
  if (word(1).empty() || !TypeOfWord(word(2), &type)) {
    *problem = keyword + " needs a name and a type (CHAR, BCD, INT8, ...)";
    return false;
  }
  if (keyword == "parameter") {
    if (parser.function == nullptr) {
      *problem = "parameter outside a function";
      return false;
    }
    const std::string direction = word(3);
    ParameterDesc parameter{};
    parameter.name = word(1);
    parameter.type = type;
    if (direction == "import")
      parameter.direction = kImport;
    else if (direction == "export")
      parameter.direction = kExport;
    else if (direction == "changing")
      parameter.direction = kChanging;
    else if (direction == "tables")
      parameter.direction = kTables;
    else {
      *problem = "parameter direction must be import, export, changing or tables";
      return false;
    }
    if (!Named(tokens, 4, &named, problem)) return false;
    unsigned optional = 0;
    if (!Unsigned(named["nuc"], &parameter.nuc_length) ||
        !Unsigned(named["uc"], &parameter.uc_length) ||
        !Unsigned(named["decimals"], &parameter.decimals) ||
        (named.count("optional") && !Unsigned(named["optional"], &optional))) {
      *problem = "parameter needs nuc=, uc= and decimals= as numbers";
      return false;
    }
    parameter.optional = optional != 0;
    parameter.type_desc = nullptr;
    parser.type = nullptr;
    if (type == kStructure || type == kTable) {
      replay.types.push_back(std::make_unique<TypeDesc>());
      parser.type = replay.types.back().get();
      parser.type->name = parser.function->name + "." + parameter.name;
      parser.type->nuc_length = parser.type->uc_length = 0;
      parameter.type_desc = parser.type;
    }
    parser.function->parameters.push_back(parameter);
    return true;
  }
  // field
  if (parser.type == nullptr) {
    *problem = "field outside a structure or table parameter";
    return false;
  }
  if (!Named(tokens, 3, &named, problem)) return false;
  FieldDesc field{word(1), type, 0, 0, 0, 0, 0};
  if (!Unsigned(named["nuc"], &field.nuc_length) || !Unsigned(named["uc"], &field.uc_length) ||
      !Unsigned(named["decimals"], &field.decimals)) {
    *problem = "field needs nuc=, uc= and decimals= as numbers";
    return false;
  }
  field.nuc_offset = parser.type->nuc_length;
  field.uc_offset = parser.type->uc_length;
  if (named.count("nucoff") && !Unsigned(named["nucoff"], &field.nuc_offset)) field.nuc_offset = 0;
  if (named.count("ucoff") && !Unsigned(named["ucoff"], &field.uc_offset)) field.uc_offset = 0;
  parser.type->fields.push_back(field);
  parser.type->nuc_length = std::max(parser.type->nuc_length, field.nuc_offset + field.nuc_length);
  parser.type->uc_length = std::max(parser.type->uc_length, field.uc_offset + field.uc_length);
  return true;
}

bool Record(Parser &parser, const std::vector<Token> &tokens, std::string *problem) {
  Replay &replay = *parser.replay;
  const std::string keyword = tokens[0].name.empty() ? Narrow(tokens[0].value) : std::string();
  auto word = [&](std::size_t i) {
    return i < tokens.size() && tokens[i].name.empty() ? Narrow(tokens[i].value) : "";
  };
  if (replay.version == 0) {
    if (keyword != kFormatWord) {
      *problem = std::string("the first line must be \"") + kFormatWord + " 1\"";
      return false;
    }
    std::int64_t version = 0;
    if (!ParseInteger(word(1), &version) || version != 1) {
      *problem =
          "capture format version " + word(1) + " is not known to this replay (it reads version 1)";
      return false;
    }
    replay.version = 1;
    return true;
  }
  if (keyword == "tool" || keyword == "captured_at" || keyword == "sdk" || keyword == "names") {
    const std::string value = tokens.size() > 1 ? Narrow(tokens[1].value) : std::string();
    (keyword == "tool"          ? replay.tool
     : keyword == "captured_at" ? replay.captured_at
     : keyword == "sdk"         ? replay.sdk
                                : replay.names) = value;
    return true;
  }
  if (keyword == "verdict") {
    replay.verdict = word(1).empty() && tokens.size() > 1 ? Narrow(tokens[1].value) : word(1);
    std::map<std::string, std::u16string> named;
    if (!Named(tokens, 2, &named, problem)) return false;
    std::int64_t status = 0;
    if (named.count("exit") && ParseInteger(named["exit"], &status))
      replay.exit_status = static_cast<int>(status);
    return true;
  }
  if (keyword == "function" || keyword == "parameter" || keyword == "field")
    return Description(parser, keyword, tokens, problem);
  if (keyword == "open" || keyword == "describe" || keyword == "invoke" || keyword == "close" ||
      keyword == "cancel") {
    parser.function = nullptr;
    parser.type = nullptr;
    parser.table.clear();
    parser.current_open = false;
    if (keyword == "open") {
      parser.event = Parser::Event::kOpen;
      parser.current_open = !parser.opened;
      parser.opened = true;
    } else if (keyword == "describe" || keyword == "invoke") {
      const std::string function = word(2);
      if (function.empty()) {
        *problem = keyword + " needs the connection's number and the module's name";
        return false;
      }
      if (keyword == "describe") {
        parser.event = Parser::Event::kDescribe;
        replay.describes.push_back(ReplayStep{function, true, {}});
      } else {
        parser.event = Parser::Event::kInvoke;
        ReplayCall call;
        call.function = function;
        call.line = parser.line;
        replay.calls.push_back(std::move(call));
      }
    } else {
      parser.event = Parser::Event::kOther;
    }
    return true;
  }
  if (keyword == "ok" || keyword == "error")
    return Outcome(parser, tokens, keyword == "ok", problem);
  if (keyword == "param") {
    if (parser.event != Parser::Event::kOpen || tokens.size() != 2 || tokens[1].name.empty()) {
      *problem = "param NAME=\"value\" belongs to an open";
      return false;
    }
    if (parser.current_open) replay.open_parameters.emplace_back(tokens[1].name, tokens[1].value);
    return true;
  }
  if (parser.event != Parser::Event::kInvoke) {
    *problem = "unknown line '" + keyword + "' (or one that belongs to an invoke)";
    return false;
  }
  ReplayCall &call = replay.calls.back();
  if (keyword == "set") {
    if (tokens.size() != 2 || tokens[1].name.empty()) {
      *problem = "set needs NAME=value";
      return false;
    }
    call.sets.emplace_back(tokens[1].name, tokens[1].value);
    // Remembered whether quoted, for the comparison later: a number set as
    // an integer is compared as the field holds it either way.
    return true;
  }
  if (keyword == "values" || keyword == "structure" || keyword == "row") {
    std::vector<ReplayItem> items;
    for (std::size_t i = keyword == "structure" ? 2 : 1; i < tokens.size(); ++i) {
      if (tokens[i].name.empty()) {
        *problem = "'" + Narrow(tokens[i].value) + "' needs a field name (NAME=value)";
        return false;
      }
      items.push_back(parser.Item(tokens[i]));
    }
    if (keyword == "values") {
      call.values.insert(call.values.end(), items.begin(), items.end());
    } else if (keyword == "structure") {
      if (word(1).empty()) {
        *problem = "structure needs its parameter's name";
        return false;
      }
      call.structures.emplace_back(word(1), items);
    } else {
      if (call.tables.empty() || parser.table.empty()) {
        *problem = "row outside a table";
        return false;
      }
      call.tables.back().second.push_back(items);
    }
    return true;
  }
  if (keyword == "table") {
    std::map<std::string, std::u16string> named;
    if (word(1).empty() || !Named(tokens, 2, &named, problem)) {
      if (problem->empty()) *problem = "table needs its parameter's name";
      return false;
    }
    parser.table = word(1);
    call.tables.emplace_back(parser.table, std::vector<std::vector<ReplayItem>>());
    return true;
  }
  *problem = "unknown line '" + keyword + "'";
  return false;
}

// What no line can show at once: rows= against the rows, the answers and
// sets against their descriptions.
bool Check(Replay &replay, const std::string &text, std::string *problem, int *line) {
  (void)text;
  for (ReplayCall &call : replay.calls) {
    *line = call.line;
    const FunctionDesc *function = FindFunctionOf(replay, call.function);
    if (function == nullptr) {
      if (call.ok) {
        *problem = "no description of " + call.function + " for its answer";
        return false;
      }
      continue;
    }
    for (auto &set : call.sets) {
      std::u16string held;
      if (!SetText(*function, set.first, set.second, true, &held, problem)) return false;
      set.second = held;
    }
    if (!call.ok) continue;
    std::unique_ptr<Container> container = NewFunction(*function);
    if (!Fill(call, *container, problem, line)) return false;
  }
  return true;
}

struct Loaded {
  std::mutex mutex;
  std::map<std::pair<std::string, std::string>, std::shared_ptr<const Replay>> by_text;
  std::set<const void *> functions, types;
};

Loaded &TheLoaded() {
  static Loaded *loaded = new Loaded; // never destroyed: its descriptions are handles
  return *loaded;
}

// The rows= of every table line, checked after the rows are read.
bool RowCounts(const std::string &text, const Replay &replay, std::string *problem, int *line) {
  std::size_t call = 0, table = 0;
  int number = 0;
  std::size_t start = 0;
  int invoke_seen = -1;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string row = text.substr(start, end - start);
    start = end + 1;
    ++number;
    std::size_t first = row.find_first_not_of(" \t");
    if (first == std::string::npos) {
      if (end == text.size()) break;
      continue;
    }
    row = row.substr(first);
    if (row.compare(0, 7, "invoke ") == 0) {
      ++invoke_seen;
      table = 0;
    } else if (row.compare(0, 6, "table ") == 0 && invoke_seen >= 0) {
      call = static_cast<std::size_t>(invoke_seen);
      const std::size_t at = row.find(" rows=");
      if (at != std::string::npos && call < replay.calls.size() &&
          table < replay.calls[call].tables.size()) {
        std::int64_t rows = 0;
        std::string digits = row.substr(at + 6);
        digits = digits.substr(0, digits.find_first_of(" \t\r"));
        if (!ParseInteger(digits, &rows) ||
            static_cast<std::size_t>(rows) != replay.calls[call].tables[table].second.size()) {
          *line = number;
          *problem = "rows=" + digits + " but " +
                     std::to_string(replay.calls[call].tables[table].second.size()) +
                     " row lines follow";
          return false;
        }
      }
      ++table;
    }
    if (end == text.size()) break;
  }
  return true;
}

} // namespace

bool TypeOfWord(const std::string &word, Type *type) {
  int code = 0;
  if (!quarlane::nwrfc::TypeOfName(word, &code)) {
    std::int64_t number = 0;
    if (!ParseInteger(word, &number) || number < 0 || number > 100) return false;
    code = static_cast<int>(number);
  }
  *type = static_cast<Type>(code);
  return true;
}

bool IsCapture(const std::string &text) {
  std::size_t start = quarlane::ByteOrderMarkLength(text);
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    return line.compare(0, sizeof kFormatWord - 1, kFormatWord) == 0;
  }
  return false;
}

bool ParseCapture(const std::string &text, const std::string &file, Replay *replay,
                  std::string *problem) {
  replay->file = file;
  Parser parser;
  parser.replay = replay;
  std::size_t start = quarlane::ByteOrderMarkLength(text);
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++parser.line;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = Trim(line);
    if (!trimmed.empty() && trimmed[0] != '#') {
      std::vector<Token> tokens;
      std::string why;
      if (!Tokens(trimmed, &tokens, &why) || tokens.empty() || !Record(parser, tokens, &why)) {
        *problem = file + " line " + std::to_string(parser.line) + ": " +
                   (why.empty() ? "unreadable" : why);
        return false;
      }
    }
    if (end == text.size()) break;
  }
  if (replay->version == 0) {
    *problem = file + ": not a capture (no \"" + kFormatWord + " 1\" line)";
    return false;
  }
  int line = 0;
  std::string why;
  if (!Check(*replay, text, &why, &line) || !RowCounts(text, *replay, &why, &line)) {
    *problem = file + " line " + std::to_string(line) + ": " + why;
    return false;
  }
  return true;
}

std::shared_ptr<const Replay> LoadCapture(const std::string &text, const std::string &file,
                                          std::string *problem) {
  Loaded &loaded = TheLoaded();
  std::lock_guard<std::mutex> lock(loaded.mutex);
  const auto key = std::make_pair(file, text);
  const auto found = loaded.by_text.find(key);
  if (found != loaded.by_text.end()) return found->second;
  auto replay = std::make_shared<Replay>();
  if (!ParseCapture(text, file, replay.get(), problem)) return nullptr;
  for (const auto &function : replay->functions) loaded.functions.insert(function.get());
  for (const auto &type : replay->types) loaded.types.insert(type.get());
  loaded.by_text[key] = replay;
  return replay;
}

const FunctionDesc *FindFunctionOf(const Replay &replay, const std::string &name) {
  for (const auto &function : replay.functions)
    if (function->name == name) return function.get();
  return nullptr;
}

const FunctionDesc *FindReplayFunction(const void *address) {
  Loaded &loaded = TheLoaded();
  std::lock_guard<std::mutex> lock(loaded.mutex);
  return loaded.functions.count(address) ? static_cast<const FunctionDesc *>(address) : nullptr;
}

const TypeDesc *FindReplayType(const void *address) {
  Loaded &loaded = TheLoaded();
  std::lock_guard<std::mutex> lock(loaded.mutex);
  return loaded.types.count(address) ? static_cast<const TypeDesc *>(address) : nullptr;
}

ReplayOutcome ReplayDescribe(const Replay &replay, const std::string &name,
                             const FunctionDesc **function, const ReplayError **error,
                             std::string *problem) {
  for (const ReplayStep &step : replay.describes) {
    if (step.function != name) continue;
    if (!step.ok) {
      *error = &step.error;
      return ReplayOutcome::kError;
    }
    break;
  }
  *function = FindFunctionOf(replay, name);
  if (*function != nullptr) return ReplayOutcome::kOk;
  *problem = "the capture " + replay.file + " has no description of " + name;
  return ReplayOutcome::kUnknown;
}

ReplayOutcome ReplayInvoke(const Replay &replay, Container &function, const ReplayError **error,
                           std::string *problem) {
  const std::string &name = function.function->name;
  std::vector<std::pair<std::string, std::u16string>> sent;
  for (std::size_t i = 0; i < function.values.size(); ++i)
    if (function.values[i].set)
      sent.emplace_back(function.names[i], TrimRight(ValueText(function.values[i])));
  std::sort(sent.begin(), sent.end());
  for (const ReplayCall &call : replay.calls) {
    if (call.function != name) continue;
    std::vector<std::pair<std::string, std::u16string>> captured = call.sets;
    std::sort(captured.begin(), captured.end());
    if (captured != sent) continue;
    if (!call.ok) {
      *error = &call.error;
      return ReplayOutcome::kError;
    }
    int line = 0;
    if (!Fill(call, function, problem, &line)) {
      *problem = replay.file + " line " + std::to_string(line) + ": " + *problem;
      return ReplayOutcome::kUnknown;
    }
    return ReplayOutcome::kOk;
  }
  std::string shown;
  for (const auto &[field, value] : sent) shown += " " + field + "=\"" + ToUtf8(value) + "\"";
  *problem = "the capture " + replay.file + " has no call of " + name + " with" +
             (shown.empty() ? " no values" : shown);
  return ReplayOutcome::kUnknown;
}

} // namespace fakesdk
