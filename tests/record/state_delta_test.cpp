// Packed XOR deltas: applied to either image they give the other, whatever
// the size and wherever the differences lie; equal images give nothing;
// a delta reaching past the image is refused.
#include <gtest/gtest.h>

#include <vector>

#include "record/state_delta.h"

namespace {

void ExpectRoundTrip(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::vector<uint8_t> delta;
  PackStateDelta(a.data(), b.data(), a.size(), &delta);
  std::vector<uint8_t> image = b;
  ASSERT_TRUE(ApplyStateDelta(delta.data(), delta.size(), image.data(), image.size()));
  EXPECT_TRUE(image == a) << a.size() << " bytes";
  ASSERT_TRUE(ApplyStateDelta(delta.data(), delta.size(), image.data(), image.size()));
  EXPECT_TRUE(image == b);
}

TEST(StateDelta, EitherImageGivesTheOther) {
  uint32_t seed = 1;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
  for (size_t size : {1u, 7u, 8u, 9u, 255u, 256u, 257u, 1000u, 62328u}) {
    std::vector<uint8_t> a(size), b;
    for (uint8_t& byte : a) byte = uint8_t(next());
    b = a;
    std::vector<uint8_t> delta;
    PackStateDelta(a.data(), b.data(), size, &delta);
    EXPECT_TRUE(delta.empty()) << "equal images";
    // Single bytes at both ends and at word edges, short and long runs,
    // runs with equal bytes inside, and everything different.
    for (size_t at : {size_t(0), size - 1, size / 2, size_t(7) % size, size_t(8) % size}) b[at] ^= 0x5A;
    ExpectRoundTrip(a, b);
    for (int run = 0; run < 20; run++) {
      const size_t at = next() % size, length = 1 + next() % 600;
      for (size_t i = at; i < at + length && i < size; i += 1 + next() % 3) b[i] = uint8_t(next());
    }
    ExpectRoundTrip(a, b);
    for (uint8_t& byte : b) byte = uint8_t(~byte);
    ExpectRoundTrip(a, b);
  }
}

TEST(StateDelta, SmallChangesPackSmall) {
  std::vector<uint8_t> a(62328, 0), b = a;
  b[100] = 1, b[40000] = 2, b[40001] = 3;
  std::vector<uint8_t> delta;
  PackStateDelta(a.data(), b.data(), a.size(), &delta);
  EXPECT_LE(delta.size(), 12u);
}

TEST(StateDelta, DeltasPastTheImageAreRefused) {
  std::vector<uint8_t> image(16, 0);
  const std::vector<std::vector<uint8_t>> bad = {
      {0x80},                    // a number cut short
      {17, 0},                   // skips past the end
      {10, 7, 1, 2, 3, 4, 5, 6, 7},  // writes past the end
      {0, 4, 1, 2},              // fewer bytes than it says
      {0},                       // a skip without its count
  };
  for (const std::vector<uint8_t>& delta : bad)
    EXPECT_FALSE(ApplyStateDelta(delta.data(), delta.size(), image.data(), image.size())) << int(delta[0]);
  const std::vector<uint8_t> good = {14, 2, 0xFF, 0xFF};
  EXPECT_TRUE(ApplyStateDelta(good.data(), good.size(), image.data(), image.size()));
  EXPECT_EQ(image[15], 0xFF);
}

}  // namespace
