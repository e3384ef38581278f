#include "record/state_delta.h"

#include <cstring>

namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "byte trimming reads words little-endian");

inline uint64_t Word(const uint8_t* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

inline uint64_t XorAt(const uint8_t* a, const uint8_t* b, size_t at) { return Word(a + at) ^ Word(b + at); }

void PutNumber(std::vector<uint8_t>* out, size_t n) {
  while (n >= 0x80) {
    out->push_back(uint8_t(n | 0x80));
    n >>= 7;
  }
  out->push_back(uint8_t(n));
}

bool GetNumber(const uint8_t** p, const uint8_t* end, size_t* n) {
  *n = 0;
  for (int shift = 0; shift < 63 && *p < end; shift += 7) {
    const uint8_t byte = *(*p)++;
    *n |= size_t(byte & 0x7F) << shift;
    if (!(byte & 0x80)) return true;
  }
  return false;
}

// The first byte at or after `at` where the images differ; `size` when none.
// Equal stretches go by in blocks through memcmp, the library's fastest
// comparison, then in words.
size_t SkipEqual(const uint8_t* a, const uint8_t* b, size_t at, size_t size) {
  constexpr size_t Block = 256;
  while (at + Block <= size && std::memcmp(a + at, b + at, Block) == 0) at += Block;
  for (; at + 8 <= size; at += 8) {
    const uint64_t x = XorAt(a, b, at);
    if (x) return at + size_t(__builtin_ctzll(x) / 8);
  }
  for (; at < size; ++at)
    if (a[at] != b[at]) return at;
  return size;
}

// One past the last byte of the run of differences that starts at `at` (a
// differing byte): the run goes on while whole words differ somewhere, so
// a few equal bytes inside it cost less than another run.
size_t DifferingEnd(const uint8_t* a, const uint8_t* b, size_t at, size_t size) {
  size_t end = at + 1;
  for (; at + 8 <= size; at += 8) {
    const uint64_t x = XorAt(a, b, at);
    if (!x) return end;
    end = at + 8 - size_t(__builtin_clzll(x) / 8);
  }
  for (; at < size && a[at] != b[at]; ++at) end = at + 1;
  return end;
}

}  // namespace

void PackStateDelta(const uint8_t* a, const uint8_t* b, size_t size, std::vector<uint8_t>* out) {
  size_t done = 0;  // bytes described so far
  for (size_t at = SkipEqual(a, b, 0, size); at < size; at = SkipEqual(a, b, done, size)) {
    const size_t end = DifferingEnd(a, b, at, size);
    PutNumber(out, at - done);
    PutNumber(out, end - at);
    const size_t base = out->size();
    out->resize(base + (end - at));
    uint8_t* x = out->data() + base;
    for (size_t i = at; i < end; ++i) *x++ = a[i] ^ b[i];
    done = end;
  }
}

bool ApplyStateDelta(const uint8_t* delta, size_t delta_size, uint8_t* image, size_t size) {
  const uint8_t* p = delta;
  const uint8_t* end = delta + delta_size;
  size_t at = 0;
  while (p < end) {
    size_t skip, count;
    if (!GetNumber(&p, end, &skip) || !GetNumber(&p, end, &count)) return false;
    if (skip > size - at || count > size - at - skip || count > size_t(end - p)) return false;
    at += skip;
    for (size_t i = 0; i < count; ++i) image[at + i] ^= p[i];
    p += count;
    at += count;
  }
  return true;
}
