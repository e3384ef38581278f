// YM2413 tables: the log-sine and exponent tables its operators compute
// with, the key scale levels and the instrument ROM.
#include <cmath>

#include "machine/ym2413_internal.h"

namespace {

Ym2413Tables MakeTables() {
  Ym2413Tables t{};
  // A quarter wave of 256 log-sine steps, sampled at the middle of each
  // phase step so that no entry is infinite; mirrored and signed for the rest.
  uint16_t quarter[256];
  for (int i = 0; i < 256; i++) {
    double s = std::sin((i + 0.5) * M_PI / 512.0);
    quarter[i] = uint16_t(std::lround(-std::log2(s) * 256.0));
  }
  for (int i = 0; i < 1024; i++) {
    int q = (i & 0x100) ? 255 - (i & 0xFF) : i & 0xFF;
    bool negative = (i & 0x200) != 0;
    t.Wave[0][i] = uint16_t(quarter[q] + (negative ? Ym2413ExpSize : 0));
    t.Wave[1][i] = negative ? Ym2413Silent : quarter[q];
  }
  // The exponent: a 10-bit fraction of 2^x with its leading one, shifted by
  // the whole octaves.
  uint16_t fraction[256];
  for (int i = 0; i < 256; i++)
    fraction[i] = uint16_t(std::lround(std::exp2(i / 256.0) * 1024.0) - 1024);
  for (uint32_t l = 0; l < 12 * 256; l++) {
    int m = ((fraction[255 - (l & 0xFF)] | 0x400) << 1) >> (l >> 8);
    t.Exp[l] = int16_t(m);
    t.Exp[Ym2413ExpSize + l] = int16_t(-m);
  }
  // 6 dB per octave of the frequency: 8 steps of 0.75 dB per doubling.
  for (int i = 1; i < 16; i++)
    t.KslBase[i] = uint8_t(std::ceil(24.0 + 8.0 * std::log2(double(i)) - 1e-9));
  return t;
}

}  // namespace

const Ym2413Tables& Ym2413GetTables() {
  static const Ym2413Tables tables = MakeTables();
  return tables;
}

// Registers $00-$07 of each ROM instrument as read from the chip's die:
// 1 violin, 2 guitar, 3 piano, 4 flute, 5 clarinet, 6 oboe, 7 trumpet,
// 8 organ, 9 horn, 10 synthesizer, 11 harpsichord, 12 vibraphone,
// 13 synthesizer bass, 14 acoustic bass, 15 electric guitar; then the
// rhythm sounds' three. Entry 0 is the user instrument, in the registers.
const uint8_t Ym2413RomPatches[19][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x71, 0x61, 0x1E, 0x17, 0xD0, 0x78, 0x00, 0x17},
    {0x13, 0x41, 0x1A, 0x0D, 0xD8, 0xF7, 0x23, 0x13},
    {0x13, 0x01, 0x99, 0x00, 0xF2, 0xC4, 0x11, 0x23},
    {0x31, 0x61, 0x0E, 0x07, 0xA8, 0x64, 0x70, 0x27},
    {0x32, 0x21, 0x1E, 0x06, 0xE0, 0x76, 0x00, 0x28},
    {0x31, 0x22, 0x16, 0x05, 0xE0, 0x71, 0x00, 0x18},
    {0x21, 0x61, 0x1D, 0x07, 0x82, 0x81, 0x10, 0x07},
    {0x23, 0x21, 0x2D, 0x14, 0xA2, 0x72, 0x00, 0x07},
    {0x61, 0x61, 0x1B, 0x06, 0x64, 0x65, 0x10, 0x17},
    {0x41, 0x61, 0x0B, 0x18, 0x85, 0xF7, 0x71, 0x07},
    {0x13, 0x01, 0x83, 0x11, 0xFA, 0xE4, 0x10, 0x04},
    {0x17, 0xC1, 0x24, 0x07, 0xF8, 0xF8, 0x22, 0x12},
    {0x61, 0x50, 0x0C, 0x05, 0xC2, 0xF5, 0x20, 0x42},
    {0x01, 0x01, 0x55, 0x03, 0xC9, 0x95, 0x03, 0x02},
    {0x61, 0x41, 0x89, 0x03, 0xF1, 0xE4, 0x40, 0x13},
    {0x01, 0x01, 0x18, 0x0F, 0xDF, 0xF8, 0x6A, 0x6D},  // bass drum
    {0x01, 0x01, 0x00, 0x00, 0xC8, 0xD8, 0xA7, 0x68},  // hi-hat, snare drum
    {0x05, 0x01, 0x00, 0x00, 0xF8, 0xAA, 0x59, 0x55},  // tom-tom, top cymbal
};

// The frequency multiple MULT gives (x2): 1/2, 1 .. 10, 10, 12, 12, 15, 15.
const uint8_t Ym2413Mul2[16] = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 20, 24, 24, 30, 30};
