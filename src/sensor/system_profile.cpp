#include "sensor/system_profile.h"

#include <cstddef>

#include "output/formatting.h"
#include "sensor/password.h"

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
    {"Extcompany.:", &ConnectionParameters::Extcompany, 2},
    {"Destination:", &ConnectionParameters::Destination, 3},
    {"Client.....:", &ConnectionParameters::Client, 3},
    {"User.......:", &ConnectionParameters::User, 2},
    {"Password...:", &ConnectionParameters::Password, 2},
    {"Language...:", &ConnectionParameters::Language, 1},
    {"Mode.......:", &ConnectionParameters::Mode, 3},
    {"Hostname...:", &ConnectionParameters::Hostname, 2},
    {"Sysnr......:", &ConnectionParameters::Sysnr, 2},
    {"Gwhost.....:", &ConnectionParameters::Gwhost, 2},
    {"Gwservice..:", &ConnectionParameters::Gwservice, 2},
};

const ParameterLabel *LabelOf(const std::string &line) {
  if (line.size() < kLabelLength) return nullptr;
  for (const ParameterLabel &p : kParameterLabels)
    if (line.compare(0, kLabelLength, p.label) == 0) return &p;
  return nullptr;
}

// A failed check: the whole run in a single-system run, only this system in
// an item run.
void Fail(Run &run, const char *first, const char *last) {
  if (run.ctx.item_run) {
    run.item.profile_check_flag = 'X';
    return;
  }
  throw RunFailure{std::string(first) + run.ctx.profile_name + last};
}

void StorePassword(Run &run, const std::string &stored) {
  run.conn.Password.clear();
  if (stored.empty()) return;
  UnscrambleResult result = UnscramblePassword(stored);
  switch (result.status) {
  case UnscrambleStatus::Ok:
    run.conn.Password = result.password;
    break;
  case UnscrambleStatus::Invalid:
    Fail(run, "Error 1004: Invalid Password in Profile ", " found...");
    break;
  case UnscrambleStatus::Wrong:
    Fail(run, "Error 1005: Wrong Password in Profile ", " found...");
    break;
  }
}

} // namespace

void ReadSystemProfile(Run &run, const std::vector<std::string> &lines) {
  run.conn = ConnectionParameters{};
  run.sap.SystemHost.clear();
  if (!run.ctx.item_run) run.profile_lines = lines;

  for (const std::string &line : lines) {
    const ParameterLabel *parameter = LabelOf(line);
    if (!parameter) continue;
    const std::string value =
        line.size() > kValueColumn ? line.substr(kValueColumn, kValueLimit) : std::string();
    if (parameter->field == &ConnectionParameters::Password) {
      StorePassword(run, value);
    } else if (parameter->field == &ConnectionParameters::User) {
      run.conn.User = UpperAscii(value);
    } else {
      run.conn.*(parameter->field) = value;
      if (parameter->field == &ConnectionParameters::Hostname) run.sap.SystemHost = value;
    }
  }
}

std::vector<std::string> ParametersBelowMinimum(const ConnectionParameters &conn) {
  std::vector<std::string> labels;
  for (const ParameterLabel &p : kParameterLabels)
    if ((conn.*(p.field)).size() < p.minimum_length) labels.push_back(p.label);
  return labels;
}

void CheckConnectionParameters(Run &run) {
  if (run.conn.User.empty()) {
    Fail(run, "Error 1006: Username in Profile ", " is missing...");
    return;
  }
  if (run.conn.Password.empty()) {
    Fail(run, "Error 1007: Password in Profile ", " is missing...");
    return;
  }
  if (!ParametersBelowMinimum(run.conn).empty())
    Fail(run, "Error 1003: Invalid Parameter(s) at ", " found...");
}

} // namespace quarlane
