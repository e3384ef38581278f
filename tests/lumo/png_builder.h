// Builds PNG files byte by byte for the reader's tests, good or broken.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void AppendBig32(Bytes* out, uint32_t v) {
  for (int shift : {24, 16, 8, 0}) out->push_back(v >> shift);
}

inline Bytes Chunk(const std::string& type, const Bytes& data) {
  Bytes out;
  AppendBig32(&out, data.size());
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, out.data() + 4, out.size() - 4);
  AppendBig32(&out, crc);
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
