#include "sensor/password.h"

#include <cstddef>
#include <cstring>

namespace quarlane {

// Entries 0 to 28 are the ones in use (header 0-3, body offset 0-9 plus
// position 0-19). They are distinct and below 0x20, so a key only flips the
// low five bits: a printable character stays within its block of 32 and
// becomes unprintable for exactly two values (0x20 ^ key, 0x7F ^ key). The
// header keys also avoid 0x10-0x19, so that every digit stays printable.
const unsigned char kPasswordKeyTable[32] = {
    0x0B, 0x1D, 0x06, 0x1A, 0x13, 0x09, 0x17, 0x02, 0x1E, 0x0D, 0x15, 0x04, 0x19, 0x0F, 0x11, 0x07,
    0x1C, 0x0A, 0x14, 0x01, 0x1F, 0x0C, 0x16, 0x05, 0x18, 0x0E, 0x12, 0x03, 0x1B, 0x08, 0x10, 0x0B,
};

namespace {

constexpr std::size_t kHeaderLength = 4;
constexpr std::size_t kBodyLength = 20;
constexpr std::size_t kStoredLength = kHeaderLength + kBodyLength;
constexpr int kKeyOffsets = 10;

// Only membership counts; the digit 0 standing twice changes nothing.
constexpr char kUnscramblingAlphabet[] =
    "01234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

bool InUnscramblingAlphabet(unsigned char c) {
  return c != 0 && std::strchr(kUnscramblingAlphabet, c) != nullptr;
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// What a stored value may hold: printable ASCII other than blank.
bool IsStorable(unsigned char c) { return c > 0x20 && c < 0x7F; }

// The reordered text takes body[0], body[19], body[1], body[18], ...: its
// j-th character comes from this body position.
std::size_t BodyPositionOf(std::size_t j) { return j % 2 == 0 ? j / 2 : kBodyLength - 1 - j / 2; }

unsigned CheckDigitOf(const std::string &reordered) {
  unsigned sum = 0;
  for (char c : reordered) {
    unsigned char code = static_cast<unsigned char>(c);
    if (InUnscramblingAlphabet(code)) sum += code;
  }
  return sum % 10;
}

unsigned char Scrambled(unsigned char plain, std::size_t key_index) {
  return static_cast<unsigned char>(plain ^ kPasswordKeyTable[key_index]);
}

// A plain padding character for an unused body position whose stored form is
// storable; the start varies with the position so the padding shows no pattern.
unsigned char PaddingFor(std::size_t key_index, unsigned seed) {
  for (unsigned step = 0; step < 94; ++step) {
    unsigned char candidate = static_cast<unsigned char>(0x21 + (seed + step) % 94);
    if (IsStorable(Scrambled(candidate, key_index))) return candidate;
  }
  return 0; // not reached: every key leaves most printable characters printable
}

unsigned SeedOf(const std::string &password) {
  unsigned hash = 2166136261u; // FNV-1a
  for (char c : password) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash;
}

} // namespace

UnscrambleResult UnscramblePassword(const std::string &stored) {
  UnscrambleResult result;
  unsigned char header[kHeaderLength] = {0, 0, 0, 0};
  for (std::size_t i = 0; i < kHeaderLength && i < stored.size(); ++i)
    header[i] = Scrambled(static_cast<unsigned char>(stored[i]), i);

  if (stored.size() != kStoredLength || !IsDigit(header[0]) || !IsDigit(header[1]) ||
      !IsDigit(header[2]) || !IsDigit(header[3])) {
    result.status = UnscrambleStatus::Invalid;
    return result;
  }
  const unsigned check_digit = header[0] - '0';
  const std::size_t key_offset = header[1] - '0';
  const std::size_t length = (header[2] - '0') * 10u + (header[3] - '0');

  unsigned char body[kBodyLength];
  for (std::size_t i = 0; i < kBodyLength; ++i)
    body[i] = Scrambled(static_cast<unsigned char>(stored[kHeaderLength + i]), key_offset + i);

  std::string reordered;
  for (std::size_t j = 0; j < kBodyLength; ++j) {
    unsigned char c = body[BodyPositionOf(j)];
    if (c != 0) reordered += static_cast<char>(c);
  }
  if (CheckDigitOf(reordered) != check_digit) {
    result.status = UnscrambleStatus::Wrong;
    return result;
  }
  result.password = reordered.substr(0, length);
  return result;
}

std::string ScramblePasswordWithOffset(const std::string &password, int key_offset) {
  if (password.size() > kBodyLength || key_offset < 0 || key_offset >= kKeyOffsets) return "";
  const std::size_t offset = static_cast<std::size_t>(key_offset);
  const unsigned seed = SeedOf(password);

  // The reordered text: the password, then padding for the unused positions.
  std::string reordered = password;
  for (std::size_t j = password.size(); j < kBodyLength; ++j) {
    unsigned char padding = PaddingFor(offset + BodyPositionOf(j), seed + 31u * j);
    if (padding == 0) return "";
    reordered += static_cast<char>(padding);
  }

  std::string stored(kStoredLength, '\0');
  const unsigned char digits[kHeaderLength] = {
      static_cast<unsigned char>('0' + CheckDigitOf(reordered)),
      static_cast<unsigned char>('0' + offset),
      static_cast<unsigned char>('0' + password.size() / 10),
      static_cast<unsigned char>('0' + password.size() % 10),
  };
  for (std::size_t i = 0; i < kHeaderLength; ++i)
    stored[i] = static_cast<char>(Scrambled(digits[i], i));
  for (std::size_t j = 0; j < kBodyLength; ++j) {
    const std::size_t position = BodyPositionOf(j);
    unsigned char plain = static_cast<unsigned char>(reordered[j]);
    if (plain == 0) return ""; // a zero character would be dropped on unscrambling
    stored[kHeaderLength + position] = static_cast<char>(Scrambled(plain, offset + position));
  }
  for (char c : stored)
    if (!IsStorable(static_cast<unsigned char>(c))) return "";
  return stored;
}

std::string ScramblePassword(const std::string &password) {
  if (password.size() > kBodyLength) return "";
  // Start at an offset that depends on the password, so stored values do not
  // all share one header.
  const unsigned first = SeedOf(password) % kKeyOffsets;
  for (unsigned attempt = 0; attempt < kKeyOffsets; ++attempt) {
    std::string stored =
        ScramblePasswordWithOffset(password, static_cast<int>((first + attempt) % kKeyOffsets));
    if (!stored.empty()) return stored;
  }
  return "";
}

} // namespace quarlane
