#include "sensor/password.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>

namespace quarlane {
namespace {

using Body = std::array<unsigned char, 20>;

// A stored value put together straight from the stored form: header digits
// and a plain body in body order, each combined with its key.
std::string Stored(int check_digit, int key_offset, int length, const Body &plain) {
  const int digits[4] = {check_digit, key_offset, length / 10, length % 10};
  std::string stored;
  for (int i = 0; i < 4; ++i) stored += static_cast<char>(('0' + digits[i]) ^ kPasswordKeyTable[i]);
  for (int i = 0; i < 20; ++i)
    stored += static_cast<char>(plain[i] ^ kPasswordKeyTable[key_offset + i]);
  return stored;
}

// The reordered text takes body[0], body[19], body[1], body[18], ...
Body BodyFor(const std::string &reordered) {
  Body body{};
  for (std::size_t j = 0; j < reordered.size(); ++j)
    body[j % 2 == 0 ? j / 2 : 19 - j / 2] = static_cast<unsigned char>(reordered[j]);
  return body;
}

bool StorableText(const std::string &stored) {
  for (char c : stored)
    if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F)
      return false;
  return true;
}

TEST(UnscramblePassword, ReadsTheStoredForm) {
  // "PaSs": 80 + 97 + 83 + 115 = 375, check digit 5; unused positions are zero
  // characters and drop out.
  const Body pass = BodyFor("PaSs");
  // "a!b": the "!" is outside the alphabet, so 97 + 98 = 195, check digit 5
  // (with it the sum would be 228).
  const Body bang = BodyFor("a!b");
  // Zero characters between others close up.
  Body gaps{};
  gaps[0] = 'x';
  gaps[1] = 'y';
  gaps[19] = 0;
  gaps[18] = 'z'; // reordered: x, (0), y, z -> "xyz", 120 + 121 + 122 = 363
  struct Case {
    std::string stored;
    UnscrambleStatus status;
    std::string password;
  } cases[] = {
      {Stored(5, 3, 4, pass), UnscrambleStatus::Ok, "PaSs"},
      {Stored(5, 0, 4, pass), UnscrambleStatus::Ok, "PaSs"},
      {Stored(5, 9, 4, pass), UnscrambleStatus::Ok, "PaSs"},
      {Stored(5, 3, 2, pass), UnscrambleStatus::Ok, "Pa"},
      {Stored(5, 3, 0, pass), UnscrambleStatus::Ok, ""},
      {Stored(5, 3, 99, pass), UnscrambleStatus::Ok, "PaSs"},
      {Stored(6, 3, 4, pass), UnscrambleStatus::Wrong, ""},
      {Stored(5, 1, 3, bang), UnscrambleStatus::Ok, "a!b"},
      {Stored(8, 1, 3, bang), UnscrambleStatus::Wrong, ""},
      {Stored(3, 7, 20, gaps), UnscrambleStatus::Ok, "xyz"},
  };
  for (const Case &c : cases) {
    UnscrambleResult result = UnscramblePassword(c.stored);
    EXPECT_EQ(result.status, c.status) << c.password;
    EXPECT_EQ(result.password, c.password);
  }
}

TEST(UnscramblePassword, WrongFormIsInvalid) {
  const std::string good = ScramblePassword("secret01");
  ASSERT_EQ(good.size(), 24u);
  ASSERT_EQ(UnscramblePassword(good).status, UnscrambleStatus::Ok);

  std::string letter_in_header = good;
  letter_in_header[2] = static_cast<char>('x' ^ kPasswordKeyTable[2]);
  // Digits typed as they are: the header must be stored scrambled.
  const std::string typed_digits = "1234" + good.substr(4);

  const std::string cases[] = {
      "",
      "x",
      good.substr(0, 23),
      good + "A",
      good + " ",
      " " + good.substr(1),
      letter_in_header,
      typed_digits,
  };
  for (const std::string &stored : cases)
    EXPECT_EQ(UnscramblePassword(stored).status, UnscrambleStatus::Invalid) << stored;
}

TEST(PasswordKeyTable, KeepsEveryPasswordCharacterStorableAlmostEverywhere) {
  // Distinct keys below 0x20 in the 29 entries in use: a character becomes
  // unstorable for at most one key offset at any body position.
  std::set<unsigned char> seen;
  for (int i = 0; i < 29; ++i) {
    EXPECT_GT(kPasswordKeyTable[i], 0x00) << i;
    EXPECT_LT(kPasswordKeyTable[i], 0x20) << i;
    EXPECT_TRUE(seen.insert(kPasswordKeyTable[i]).second) << "repeated key at " << i;
  }
  // Every header digit has a storable form.
  for (int i = 0; i < 4; ++i)
    for (char digit = '0'; digit <= '9'; ++digit)
      EXPECT_TRUE(StorableText(std::string(1, static_cast<char>(digit ^ kPasswordKeyTable[i]))))
          << "entry " << i << " digit " << digit;
}

TEST(ScramblePassword, RoundTripForEveryLengthAndKeyOffset) {
  // Upper-case letters never meet an unstorable combination with these keys,
  // so every offset must work for them.
  const std::string letters = "QWERTZUIOPASDFGHJKLYXCVBNM";
  for (std::size_t length = 0; length <= 20; ++length) {
    const std::string password = letters.substr(length % 6, length);
    for (int offset = 0; offset < 10; ++offset) {
      const std::string stored = ScramblePasswordWithOffset(password, offset);
      SCOPED_TRACE(password + " offset " + std::to_string(offset));
      ASSERT_EQ(stored.size(), 24u);
      EXPECT_TRUE(StorableText(stored)) << stored;
      EXPECT_EQ(stored[1] ^ kPasswordKeyTable[1], '0' + offset);
      UnscrambleResult result = UnscramblePassword(stored);
      EXPECT_EQ(result.status, UnscrambleStatus::Ok);
      EXPECT_EQ(result.password, password);
    }
  }
}

TEST(ScramblePassword, RoundTripForManyPrintablePasswords) {
  std::uint32_t state = 12345;
  auto next = [&state]() {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
  };
  int stored_count = 0;
  for (int n = 0; n < 3000; ++n) {
    std::string password;
    const std::size_t length = next() % 21;
    for (std::size_t i = 0; i < length; ++i)
      password += static_cast<char>(0x20 + next() % 95); // blank to tilde
    const std::string stored = ScramblePassword(password);
    bool any_offset = false;
    for (int offset = 0; offset < 10; ++offset)
      any_offset = any_offset || !ScramblePasswordWithOffset(password, offset).empty();
    EXPECT_EQ(!stored.empty(), any_offset) << password;
    if (stored.empty()) continue;
    ++stored_count;
    ASSERT_EQ(stored.size(), 24u) << password;
    EXPECT_TRUE(StorableText(stored)) << password << " -> " << stored;
    UnscrambleResult result = UnscramblePassword(stored);
    EXPECT_EQ(result.status, UnscrambleStatus::Ok) << password;
    EXPECT_EQ(result.password, password);
  }
  // A printable password fails only when every one of the ten offsets meets an
  // unstorable combination; among random passwords that is very rare.
  EXPECT_GE(stored_count, 2995);
}

TEST(ScramblePassword, RefusesWhatCannotBeStored) {
  EXPECT_EQ(ScramblePassword(std::string(21, 'A')), "");
  EXPECT_EQ(ScramblePasswordWithOffset("AB", 10), "");
  EXPECT_EQ(ScramblePasswordWithOffset("AB", -1), "");
  EXPECT_EQ(ScramblePassword("ab\tcd"), "");             // a control character
  EXPECT_EQ(ScramblePassword("gr\xc3\xbc\xc3\x9f"), ""); // not ASCII
  EXPECT_EQ(ScramblePassword(std::string("a\0b", 3)), "");

  // A password built to meet an unstorable combination at every offset: its
  // j-th character, for offset j, scrambles to a blank.
  std::string crafted;
  for (int j = 0; j < 10; ++j) {
    const int position = j % 2 == 0 ? j / 2 : 19 - j / 2;
    crafted += static_cast<char>(0x20 ^ kPasswordKeyTable[j + position]);
  }
  for (int offset = 0; offset < 10; ++offset)
    EXPECT_EQ(ScramblePasswordWithOffset(crafted, offset), "") << offset;
  EXPECT_EQ(ScramblePassword(crafted), "");
}

} // namespace
} // namespace quarlane
