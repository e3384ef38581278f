// Test support for VGM files: a reader of their own for what the logger
// wrote (header, commands, Gd3 texts) and a writer of small files for the
// player.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scratch_folder.h"

inline bool WriteGzip(const std::string& path, const std::vector<uint8_t>& bytes) {
  gzFile gz = gzopen(path.c_str(), "wb9");
  if (!gz) return false;
  bool ok = gzwrite(gz, bytes.data(), unsigned(bytes.size())) == int(bytes.size());
  return gzclose(gz) == Z_OK && ok;
}

inline uint32_t Le32At(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

inline void SetLe32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) (*b)[at + i] = uint8_t(v >> (8 * i));
}

// One command of a log as the reader saw it: its code, operand and the
// samples waited before it.
struct ParsedCommand {
  uint8_t code;
  uint8_t value;        // the data byte of 0x4F / 0x50 / 0x51
  uint8_t reg;          // the register of 0x51
  uint32_t wait;        // samples this command waits
  uint64_t time;        // samples before it
  uint32_t position;    // in the command data
};

struct ParsedVgm {
  std::string error;    // empty when the file reads as a VGM 1.01 (or, with FM, 1.51) log
  uint32_t eof = 0, version = 0, clock = 0, ym2413 = 0, gd3_offset = 0, total = 0, loop_offset = 0,
           loop_samples = 0, rate = 0;
  // Version 1.51 fields: the SN76489's feedback, shift width and flags, and
  // the data offset (relative to 0x34).
  uint32_t sn_feedback = 0, sn_width = 0, sn_flags = 0, data_offset = 0;
  std::vector<uint8_t> data;          // 0x40 up to the Gd3 tag
  std::vector<ParsedCommand> commands;  // up to and including 0x66
  uint64_t waited = 0;                // all waits before 0x66
  uint32_t gd3_version = 0, gd3_length = 0;
  std::vector<std::string> gd3;       // the eleven texts, narrowed
};

inline ParsedVgm ParseVgm(const std::vector<uint8_t>& file) {
  ParsedVgm v;
  if (file.size() < 64 || file[0] != 'V' || file[1] != 'g' || file[2] != 'm' || file[3] != ' ') {
    v.error = "no VGM header";
    return v;
  }
  v.eof = Le32At(file, 0x04);
  v.version = Le32At(file, 0x08);
  v.clock = Le32At(file, 0x0C);
  v.ym2413 = Le32At(file, 0x10);
  v.gd3_offset = Le32At(file, 0x14);
  v.total = Le32At(file, 0x18);
  v.loop_offset = Le32At(file, 0x1C);
  v.loop_samples = Le32At(file, 0x20);
  v.rate = Le32At(file, 0x24);
  if (v.version >= 0x151) {
    v.sn_feedback = uint32_t(file[0x28] | file[0x29] << 8);
    v.sn_width = file[0x2A];
    v.sn_flags = file[0x2B];
    v.data_offset = Le32At(file, 0x34);
    if (v.data_offset != 0x0C) v.error = "the data does not start at 0x40";
  }
  for (size_t i = v.version >= 0x151 ? 0x2C : 0x28; i < 0x40; i++)
    if (file[i] != 0 && !(v.version >= 0x151 && i >= 0x34 && i < 0x38))
      v.error = "reserved header bytes are not zero";
  size_t gd3 = size_t(v.gd3_offset) + 0x14;
  if (v.gd3_offset == 0 || gd3 < 0x40 || gd3 + 12 > file.size()) {
    v.error = "bad Gd3 offset";
    return v;
  }
  v.data.assign(file.begin() + 0x40, file.begin() + long(gd3));
  uint64_t time = 0;
  for (size_t at = 0; at < v.data.size();) {
    ParsedCommand c{v.data[at], 0, 0, 0, time, uint32_t(at)};
    size_t length = 1;
    if (c.code == 0x4F || c.code == 0x50) {
      length = 2;
    } else if (c.code == 0x51 && v.ym2413 != 0) {
      length = 3;
    } else if (c.code == 0x61) {
      length = 3;
    } else if (c.code != 0x62 && c.code != 0x63 && c.code != 0x66) {
      v.error = "unexpected command";
      return v;
    }
    if (at + length > v.data.size()) {
      v.error = "command cut off";
      return v;
    }
    if (length == 2) c.value = v.data[at + 1];
    if (c.code == 0x51) c.reg = v.data[at + 1], c.value = v.data[at + 2];
    if (c.code == 0x61) c.wait = uint32_t(v.data[at + 1] | v.data[at + 2] << 8);
    if (c.code == 0x62) c.wait = 735;
    if (c.code == 0x63) c.wait = 882;
    time += c.wait;
    v.commands.push_back(c);
    at += length;
    if (c.code == 0x66) {
      if (at != v.data.size()) v.error = "data after the end command";
      break;
    }
  }
  v.waited = time;
  if (v.commands.empty() || v.commands.back().code != 0x66) v.error = "no end command";
  if (file[gd3] != 'G' || file[gd3 + 1] != 'd' || file[gd3 + 2] != '3' || file[gd3 + 3] != ' ') {
    v.error = "no Gd3 tag";
    return v;
  }
  v.gd3_version = Le32At(file, gd3 + 4);
  v.gd3_length = Le32At(file, gd3 + 8);
  size_t at = gd3 + 12;
  while (at + 1 < file.size()) {
    std::string text;
    uint16_t c;
    while (at + 1 < file.size() && (c = uint16_t(file[at] | file[at + 1] << 8)) != 0) {
      text.push_back(char(c));
      at += 2;
    }
    at += 2;
    v.gd3.push_back(text);
  }
  if (at != file.size()) v.error = "Gd3 texts do not end the file";
  return v;
}

// A small VGM 1.01 file for the player: header, data, optional Gd3 tag.
// `loop` is a data position (-1: none).
inline std::vector<uint8_t> MakeVgm(const std::vector<uint8_t>& data, long loop = -1,
                                    const std::vector<std::u16string>& gd3 = {}, bool with_gd3 = true) {
  std::vector<uint8_t> file(64, 0);
  file[0] = 'V'; file[1] = 'g'; file[2] = 'm'; file[3] = ' ';
  SetLe32(&file, 0x08, 0x101);
  SetLe32(&file, 0x0C, 3579545);
  SetLe32(&file, 0x24, 60);
  for (uint8_t b : data) file.push_back(b);  // (insert trips a false bounds warning)
  if (loop >= 0) SetLe32(&file, 0x1C, uint32_t(64 + loop - 0x1C));
  if (with_gd3) {
    SetLe32(&file, 0x14, uint32_t(file.size() - 0x14));
    std::vector<uint8_t> texts;
    for (const std::u16string& s : gd3) {
      for (char16_t c : s) {
        texts.push_back(uint8_t(c));
        texts.push_back(uint8_t(c >> 8));
      }
      texts.push_back(0);
      texts.push_back(0);
    }
    std::vector<uint8_t> head = {'G', 'd', '3', ' ', 0, 1, 0, 0, 0, 0, 0, 0};
    SetLe32(&head, 8, uint32_t(texts.size()));
    for (uint8_t b : head) file.push_back(b);
    for (uint8_t b : texts) file.push_back(b);
  }
  SetLe32(&file, 0x04, uint32_t(file.size() - 4));
  return file;
}
