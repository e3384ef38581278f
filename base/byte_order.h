// Little-endian numbers in the program's own file formats (save states,
// movies, VGM and WAV files), read and written a byte at a time so that any
// alignment will do.
#pragma once
#include <cstdint>

inline void PutLe16(uint8_t* at, uint16_t v) {
  at[0] = uint8_t(v);
  at[1] = uint8_t(v >> 8);
}
inline void PutLe32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; i++) at[i] = uint8_t(v >> (8 * i));
}
inline uint16_t GetLe16(const uint8_t* at) { return uint16_t(at[0] | at[1] << 8); }
inline uint32_t GetLe32(const uint8_t* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}
