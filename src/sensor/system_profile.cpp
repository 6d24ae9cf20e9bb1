#include "sensor/system_profile.h"

#include <cstddef>
#include <string_view>

#include "sensor/password.h"
#include "util/text.h"

namespace quarlane {

namespace {

constexpr std::size_t kLabelLength = 12;
constexpr std::size_t kValueColumn = 13; // column 14, counted from 1
constexpr std::size_t kValueLimit = 60;

struct ParameterLabel {
  const char *label;
  std::string ConnectionParameters::*field;
  std::size_t minimum_length;
};

const ParameterLabel kParameterLabels[] = {
    {"Extcompany.:", &ConnectionParameters::extcompany, 2},
    {"Destination:", &ConnectionParameters::destination, 3},
    {"Client.....:", &ConnectionParameters::client, 3},
    {"User.......:", &ConnectionParameters::user, 2},
    {"Password...:", &ConnectionParameters::password, 2},
    {"Language...:", &ConnectionParameters::language, 1},
    {"Mode.......:", &ConnectionParameters::mode, 3},
    {"Hostname...:", &ConnectionParameters::hostname, 2},
    {"Sysnr......:", &ConnectionParameters::sysnr, 2},
    {"Gwhost.....:", &ConnectionParameters::gwhost, 2},
    {"Gwservice..:", &ConnectionParameters::gwservice, 2},
};

const ParameterLabel *LabelOf(std::string_view line) {
  if (line.size() < kLabelLength) return nullptr;
  for (const ParameterLabel &p : kParameterLabels)
    if (line.compare(0, kLabelLength, p.label) == 0) return &p;
  return nullptr;
}

// The password of a stored value; nullopt with the failure when it does not
// unscramble. An empty value is an empty password.
std::optional<Failure> StorePassword(const std::string &stored, const std::string &profile_name,
                                     std::string &password) {
  password.clear();
  if (stored.empty()) return std::nullopt;
  UnscrambleResult result = UnscramblePassword(stored);
  switch (result.status) {
  case UnscrambleStatus::Ok: password = result.password; return std::nullopt;
  case UnscrambleStatus::Invalid: return Failure(FailureCode::InvalidPassword, profile_name);
  case UnscrambleStatus::Wrong: return Failure(FailureCode::WrongPassword, profile_name);
  }
  return std::nullopt;
}

std::optional<Failure> CheckParameters(const ConnectionParameters &parameters,
                                       const std::string &profile_name) {
  if (parameters.user.empty()) return Failure(FailureCode::UserMissing, profile_name);
  if (parameters.password.empty()) return Failure(FailureCode::PasswordMissing, profile_name);
  if (!ParametersBelowMinimum(parameters).empty() || !DestinationIsOneWord(parameters.destination))
    return Failure(FailureCode::InvalidParameters, profile_name);
  return std::nullopt;
}

} // namespace

SystemProfileReading ReadSystemProfile(const TextLines &lines, const std::string &profile_name) {
  SystemProfileReading reading;
  ConnectionParameters &parameters = reading.parameters;
  lines.ForEach([&](std::string_view line) {
    const ParameterLabel *label = LabelOf(line);
    if (!label) return;
    std::string_view field =
        line.size() > kValueColumn ? line.substr(kValueColumn, kValueLimit) : std::string_view();
    // A NUL ends a value, as it ends it for the library that receives it:
    // the rest never reaches a message, a document or a connect string.
    field = field.substr(0, field.find('\0'));
    const std::string value(field);
    if (label->field == &ConnectionParameters::password) {
      std::optional<Failure> failure = StorePassword(value, profile_name, parameters.password);
      if (failure && !reading.first_failure) reading.first_failure = std::move(failure);
    } else if (label->field == &ConnectionParameters::user) {
      parameters.user = UpperAscii(value);
    } else {
      parameters.*(label->field) = value;
    }
  });
  if (!reading.first_failure) reading.first_failure = CheckParameters(parameters, profile_name);
  return reading;
}

std::vector<std::string> ParametersBelowMinimum(const ConnectionParameters &parameters) {
  std::vector<std::string> labels;
  for (const ParameterLabel &p : kParameterLabels)
    if ((parameters.*(p.field)).size() < p.minimum_length) labels.push_back(p.label);
  return labels;
}

} // namespace quarlane
