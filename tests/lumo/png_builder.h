// Builds PNG files byte by byte for the reader's tests, good or broken.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void AppendBig32(Bytes* out, uint32_t v) {
  for (int shift : {24, 16, 8, 0}) out->push_back(v >> shift);
}

inline void PutBig32(uint8_t* at, uint32_t v) {
  at[0] = v >> 24, at[1] = v >> 16, at[2] = v >> 8, at[3] = v;
}

inline Bytes Chunk(const std::string& type, const Bytes& data) {
  Bytes out(12 + data.size());
  PutBig32(&out[0], data.size());
  memcpy(&out[4], type.data(), 4);
  if (!data.empty()) memcpy(&out[8], data.data(), data.size());
  PutBig32(&out[8 + data.size()], crc32(0, &out[4], 4 + data.size()));
  return out;
}

inline Bytes Header(uint32_t w, uint32_t h, int depth, int color_type, int interlace = 0) {
  Bytes data;
  AppendBig32(&data, w);
  AppendBig32(&data, h);
  for (int b : {depth, color_type, 0, 0, interlace}) data.push_back(b);
  return data;
}

inline Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(raw.size());
  Bytes out(size);
  compress(out.data(), &size, raw.data(), raw.size());
  out.resize(size);
  return out;
}

// Signature followed by the chunks.
inline Bytes Png(const std::vector<Bytes>& chunks) {
  Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
  for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
  return out;
}

// A w x h RGB picture, each row with the given filter byte and all samples
// equal to `value` (before filtering, so the decoded values depend on it).
inline Bytes RgbPng(uint32_t w, uint32_t h, int filter = 0, uint8_t value = 0x40) {
  Bytes raw;
  for (uint32_t y = 0; y < h; y++) {
    raw.push_back(filter);
    raw.insert(raw.end(), (size_t)w * 3, value);
  }
  return Png({Chunk("IHDR", Header(w, h, 8, 2)), Chunk("IDAT", Deflate(raw)), Chunk("IEND", {})});
}
