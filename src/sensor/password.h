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

// A stored value is 24 characters: a 4-character header (check digit, key
// offset, two length digits) and a 20-character body. Invalid: not 24
// characters, or the header does not unscramble to four digits (an empty value
// is Invalid too; the profile reader treats an empty value as an empty
// password before it gets here). Wrong: the check digit does not match.
UnscrambleResult UnscramblePassword(const std::string &stored);

// The stored value for a password of at most 20 characters: 24 printable ASCII
// characters other than blank (key offset and padding varied until they are).
// Empty when the password cannot be stored (too long, or no variant works).
std::string ScramblePassword(const std::string &password);

// The same with one key offset (0 to 9) only; empty when the password cannot
// be stored with that offset.
std::string ScramblePasswordWithOffset(const std::string &password, int key_offset);

} // namespace quarlane

#endif
