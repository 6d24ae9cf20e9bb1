// The system profile as the sensor reads it: the bytes go to a file of a
// private folder, come back through ReadLines, and the eleven connection
// parameters are read and checked, once as a single-system run and once as a
// system of an item run. The stored password also goes through unscrambling
// on its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "fuzz_input.h"
#include "platform/files.h"
#include "sensor/password.h"
#include "sensor/system_profile.h"

using namespace quarlane;

namespace {

// A private folder for the profile file, removed when the fuzzer exits.
std::string profile_folder;

void RemoveProfileFolder() {
  RemoveFile(profile_folder + "/Fuzz.P00");
  rmdir(profile_folder.c_str());
}

const std::string &ProfilePath() {
  static const std::string path = [] {
    char folder[] = "/tmp/quarlane-fuzz-profile-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    profile_folder = folder;
    std::atexit(RemoveProfileFolder);
    return profile_folder + "/Fuzz.P00";
  }();
  return path;
}

bool StartsWith(const std::string &text, const char *prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

void ExpectParametersInBounds(const ConnectionParameters &conn) {
  for (const std::string *value : {&conn.Extcompany, &conn.Destination, &conn.Client, &conn.User,
                                   &conn.Language, &conn.Mode, &conn.Hostname, &conn.Sysnr,
                                   &conn.Gwhost, &conn.Gwservice})
    FUZZ_EXPECT(value->size() <= 60);
  FUZZ_EXPECT(conn.Password.size() <= 20);
}

// A password that unscrambles also stores again, and that stored form gives it back.
void ExpectPasswordRoundTrip(const std::string &password) {
  if (password.empty()) return;
  const std::string stored = ScramblePassword(password);
  if (stored.empty()) return;
  FUZZ_EXPECT(stored.size() == 24);
  const UnscrambleResult again = UnscramblePassword(stored);
  FUZZ_EXPECT(again.status == UnscrambleStatus::Ok);
  FUZZ_EXPECT(again.password == password);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text = quarlane_fuzz::AsText(data, size);
  // A new file each time: rewriting one in place makes ext4 flush it on close.
  RemoveFile(ProfilePath());
  FUZZ_EXPECT(WriteBytes(ProfilePath(), text));
  const std::optional<std::vector<std::string>> lines = ReadLines(ProfilePath());
  FUZZ_EXPECT(lines.has_value());

  {
    Run run;
    run.ctx.profile_name = "Fuzz.P00";
    try {
      ReadSystemProfile(run, *lines);
      FUZZ_EXPECT(run.profile_lines == *lines);
      ExpectParametersInBounds(run.conn);
      CheckConnectionParameters(run);
      // Passed the checks: every parameter has its minimum length.
      FUZZ_EXPECT(ParametersBelowMinimum(run.conn).empty());
      FUZZ_EXPECT(!run.conn.User.empty() && !run.conn.Password.empty());
    } catch (const RunFailure &failure) {
      FUZZ_EXPECT(StartsWith(failure.text, "Error 100"));
    }
  }

  {
    Run run;
    run.ctx.profile_name = "Fuzz.P00";
    run.ctx.item_run = true;
    try {
      ReadSystemProfile(run, *lines);
      ExpectParametersInBounds(run.conn);
      CheckConnectionParameters(run);
    } catch (const RunFailure &) {
      FUZZ_EXPECT(!"an item run never fails on one system's profile");
    }
    // The item run keeps no profile lines: they belong to the item-mode profile.
    FUZZ_EXPECT(run.profile_lines.empty());
    FUZZ_EXPECT(run.item.profile_check_flag == '.' || run.item.profile_check_flag == 'X');
  }

  const UnscrambleResult result = UnscramblePassword(text);
  if (result.status == UnscrambleStatus::Ok) {
    FUZZ_EXPECT(text.size() == 24);
    ExpectPasswordRoundTrip(result.password);
  } else {
    FUZZ_EXPECT(result.password.empty());
  }
  return 0;
}
