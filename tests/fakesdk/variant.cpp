#include "variant.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "text.h"

namespace fakesdk {

namespace {

struct Choice {
  const char *key;
  const char *words; // the values, blank-separated; the first is the default
};

const Choice kChoices[] = {
    {"COLLECTOR_TIMES", "bcd float int8"},
    {"COLLECTOR_COUNTS", "bcd int8"},
    {"COLLECTOR_UNIT", "us ms"},
    {"COLLECTOR_FACTOR", "honoured ignored"},
    {"COLLECTOR_ROLLTI", "absent present"},
    {"COLLECTOR_FIELDS", "standard reordered extended reduced foreign"},
    {"FLOAT_TEXT", "exponent fixed"},
    {"COLLECTOR_TOTAL", "summed written"},
};

std::string Lower(std::string text) {
  for (char &c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool IsTime(const std::string &name) {
  const std::size_t size = name.size();
  return (size > 2 && name.compare(size - 2, 2, "TI") == 0) ||
         (size > 4 && name.compare(size - 4, 4, "TIME") == 0);
}

bool IsCount(const std::string &name) {
  const std::size_t size = name.size();
  return (size >= 3 && name.compare(size - 3, 3, "CNT") == 0) ||
         (size >= 5 && name.compare(size - 5, 5, "COUNT") == 0);
}

std::string Key(const Variant &v) {
  return std::to_string(v.times) + "/" + std::to_string(v.counts) + "/" + (v.rollti ? "R" : "-") +
         "/" + v.layout;
}

std::vector<FieldShape> Shapes(const Variant &variant, const TypeDesc &standard) {
  std::vector<FieldShape> shapes;
  for (const FieldDesc &field : standard.fields) {
    if (variant.layout == "reduced" && (field.name == "GUITIME" || field.name == "QUEUETI"))
      continue;
    FieldShape shape{field.name.c_str(), field.type, field.nuc_length, field.decimals};
    if (IsTime(field.name) && variant.times != kBcd)
      shape = FieldShape{shape.name, variant.times, 8, 0};
    if (IsCount(field.name) && variant.counts != kBcd)
      shape = FieldShape{shape.name, variant.counts, 8, 0};
    shapes.push_back(shape);
    if (variant.rollti && field.name == "ROLLWAITTI")
      shapes.push_back(FieldShape{"ROLLTI", shape.type, shape.length, 0});
  }
  if (variant.layout == "reordered") std::reverse(shapes.begin(), shapes.end());
  if (variant.layout == "extended") {
    shapes.insert(shapes.begin(), FieldShape{"ZZNEWTEXT", kChar, 20, 0});
    shapes.push_back(FieldShape{"ZZNEWTIME", kFloat, 8, 0});
    shapes.push_back(FieldShape{"ZZNEWCNT", kInt8, 8, 0});
  }
  // A field no getter gives as text, which the sensor has no use for.
  if (variant.layout == "foreign") shapes.push_back(FieldShape{"ZZOBJECT", kAbapObject, 8, 0});
  return shapes;
}

struct Described {
  TypeDesc row;
  FunctionDesc function;
};

std::mutex &VariantMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<std::string, std::unique_ptr<Described>> &Described_() {
  static std::map<std::string, std::unique_ptr<Described>> all;
  return all;
}

// The raw microseconds of a time field in the variant's unit, then FACTOR.
double TimeValue(std::int64_t microseconds, const Variant &variant, std::int64_t factor) {
  double value = static_cast<double>(microseconds);
  if (variant.milliseconds) value /= 1000;
  if (!variant.factor_ignored) value /= static_cast<double>(factor);
  return value;
}

std::int64_t Rounded(double value) {
  return static_cast<std::int64_t>(value < 0 ? value - 0.5 : value + 0.5);
}

void PutValue(Value &to, const Value *from, const std::string &name, const Variant &variant,
              std::int64_t factor) {
  if (from == nullptr) return;
  to.float_fixed = variant.float_fixed;
  to.set = from->set;
  if (to.type == kByte || to.type == kChar) {
    to.bytes = from->bytes;
    to.text = from->text;
    return;
  }
  const bool time = IsTime(name) && from->type == kBcd;
  const double real =
      time ? TimeValue(from->number, variant, factor) : static_cast<double>(from->number);
  if (to.type == kFloat)
    to.real = real;
  else
    to.number = time ? Rounded(real) : from->number;
}

} // namespace

bool IsVariantKey(const std::string &key) {
  for (const Choice &choice : kChoices)
    if (key == choice.key) return true;
  return false;
}

bool SetVariant(const std::string &key, const std::string &value, Variant *variant,
                std::string *problem) {
  const std::string word = Lower(Trim(value));
  for (const Choice &choice : kChoices) {
    if (key != choice.key) continue;
    const std::string words = std::string(" ") + choice.words + " ";
    if (word.empty() || word.find(' ') != std::string::npos ||
        words.find(" " + word + " ") == std::string::npos) {
      *problem = Lower(key) + " is one of: " + choice.words;
      return false;
    }
  }
  if (key == "COLLECTOR_TIMES")
    variant->times = word == "float" ? kFloat : word == "int8" ? kInt8 : kBcd;
  else if (key == "COLLECTOR_COUNTS")
    variant->counts = word == "int8" ? kInt8 : kBcd;
  else if (key == "COLLECTOR_UNIT")
    variant->milliseconds = word == "ms";
  else if (key == "COLLECTOR_FACTOR")
    variant->factor_ignored = word == "ignored";
  else if (key == "COLLECTOR_ROLLTI")
    variant->rollti = word == "present";
  else if (key == "COLLECTOR_FIELDS")
    variant->layout = word;
  else if (key == "FLOAT_TEXT")
    variant->float_fixed = word == "fixed";
  else if (key == "COLLECTOR_TOTAL")
    variant->total_written = word == "written";
  return true;
}

const FunctionDesc &CollectorDescription(const Variant &variant) {
  const FunctionDesc &standard = *FindFunction(kCollectorAggregates);
  const std::string key = Key(variant);
  if (key == Key(Variant{})) return standard;
  std::lock_guard<std::mutex> lock(VariantMutex());
  std::unique_ptr<Described> &entry = Described_()[key];
  if (!entry) {
    entry = std::make_unique<Described>();
    entry->row = MakeType("SWNCAGGTASKTYPE", Shapes(variant, *FindType("SWNCAGGTASKTYPE")));
    entry->function = standard;
    for (ParameterDesc &parameter : entry->function.parameters) {
      if (parameter.name != "TASKTYPE") continue;
      parameter.type_desc = &entry->row;
      parameter.nuc_length = entry->row.nuc_length;
      parameter.uc_length = entry->row.uc_length;
    }
  }
  return entry->function;
}

const FunctionDesc *FindVariantFunction(const void *address) {
  std::lock_guard<std::mutex> lock(VariantMutex());
  for (const auto &[key, entry] : Described_())
    if (static_cast<const void *>(&entry->function) == address) return &entry->function;
  return nullptr;
}

const TypeDesc *FindVariantType(const void *address) {
  std::lock_guard<std::mutex> lock(VariantMutex());
  for (const auto &[key, entry] : Described_())
    if (static_cast<const void *>(&entry->row) == address) return &entry->row;
  return nullptr;
}

void FillVariantRows(Container &function, const std::vector<std::shared_ptr<Container>> &rows,
                     const Variant &variant, std::int64_t factor) {
  Container &table = *FindValue(function, "TASKTYPE")->nested;
  table.rows.clear();
  for (const auto &source : rows) {
    Container &row = AppendRow(table);
    for (std::size_t i = 0; i < row.names.size(); ++i) {
      const std::string &name = row.names[i];
      const bool moved = variant.rollti && (name == "ROLLTI" || name == "ROLLWAITTI");
      // With ROLLTI the roll time is there, and ROLLWAITTI is another figure (0 here).
      const Value *from = moved ? (name == "ROLLTI" ? FindValue(*source, "ROLLWAITTI") : nullptr)
                                : FindValue(*source, name);
      PutValue(row.values[i], from, name, variant, factor);
    }
  }
  table.current = 0;
}

} // namespace fakesdk
