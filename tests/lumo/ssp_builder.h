// Builds SSP picture sets in memory for the reader's tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "scratch_folder.h"

struct SspPictureSpec {
  uint32_t width, height, flags;
  uint32_t fill;  // every pixel's value
};

inline void SspPut32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; i++) out->push_back((uint8_t)(v >> (8 * i)));
}

inline std::vector<uint8_t> SspFile(uint32_t bits, const std::vector<SspPictureSpec>& pictures,
                                    uint32_t count_override = 0xFFFFFFFF) {
  std::vector<uint8_t> out = {'S', 'S', 'P', ' '};
  SspPut32(&out, count_override != 0xFFFFFFFF ? count_override : (uint32_t)pictures.size());
  SspPut32(&out, bits);
  for (int i = 0; i < 4; i++) SspPut32(&out, 0);
  const uint32_t bytes = bits / 8;
  for (const SspPictureSpec& p : pictures) {
    SspPut32(&out, p.width);
    SspPut32(&out, p.height);
    SspPut32(&out, p.flags);
    const size_t stride = ((size_t)p.width * bytes + 3) & ~(size_t)3;
    for (uint32_t y = 0; y < p.height; y++) {
      std::vector<uint8_t> row(stride, 0);
      for (uint32_t x = 0; x < p.width; x++)
        for (uint32_t b = 0; b < bytes; b++) row[x * bytes + b] = (uint8_t)(p.fill >> (8 * b));
      out.insert(out.end(), row.begin(), row.end());
    }
  }
  return out;
}
