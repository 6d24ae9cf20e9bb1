// The system profile as the sensor reads it: the bytes go to a file of a
// private folder, come back through ReadText, and the eleven connection
// parameters are read and checked; the lines seen agree with ReadLines. The
// stored password also goes through unscrambling on its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "fuzz_input.h"
#include "platform/files.h"
#include "sensor/password.h"
#include "sensor/system_profile.h"
#include "util/text.h"
#include "util/text_lines.h"

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

void ExpectParametersInBounds(const ConnectionParameters &conn) {
  for (const std::string *value :
       {&conn.extcompany, &conn.destination, &conn.client, &conn.user, &conn.language, &conn.mode,
        &conn.hostname, &conn.sysnr, &conn.gwhost, &conn.gwservice})
    FUZZ_EXPECT(value->size() <= 60);
  FUZZ_EXPECT(conn.password.size() <= 20);
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
  const std::optional<std::string> bytes = ReadText(ProfilePath()); // as the sensor reads it
  FUZZ_EXPECT(lines.has_value() && bytes.has_value());
  const TextLines profile(*bytes);
  // The profile's lines are the lines every other file reader sees.
  FUZZ_EXPECT(profile.ToVector() == *lines);

  const SystemProfileReading reading = ReadSystemProfile(profile, "Fuzz.P00");
  ExpectParametersInBounds(reading.parameters);
  if (const std::optional<Failure> &failure = reading.failure()) {
    // A password line that does not unscramble first, then the checks.
    const std::string &text = failure->text;
    FUZZ_EXPECT(StartsWith(text, "Error 1004") || StartsWith(text, "Error 1005") ||
                StartsWith(text, "Error 1006") || StartsWith(text, "Error 1007") ||
                StartsWith(text, "Error 1003"));
  } else {
    // Passed the checks: every parameter has its minimum length.
    FUZZ_EXPECT(ParametersBelowMinimum(reading.parameters).empty());
    FUZZ_EXPECT(!reading.parameters.user.empty() && !reading.parameters.password.empty());
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
