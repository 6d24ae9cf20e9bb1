// The stored (scrambled) form of a profile's password.
#ifndef QUARLANE_SENSOR_PASSWORD_H
#define QUARLANE_SENSOR_PASSWORD_H

#include <string>

namespace quarlane {

enum class UnscrambleStatus { Ok, Invalid, Wrong };

struct UnscrambleResult {
  UnscrambleStatus status = UnscrambleStatus::Ok;
  std::string password;
};

// The 32 key values, shared by the sensor and quarlane-passwd.
extern const unsigned char kPasswordKeyTable[32];

UnscrambleResult UnscramblePassword(const std::string &stored);

// The stored value for a password of at most 20 characters: 24 printable ASCII
// characters other than blank (key offset and padding varied until they are).
// Empty when the password cannot be stored (too long, or no variant works).
std::string ScramblePassword(const std::string &password);

} // namespace quarlane

#endif
