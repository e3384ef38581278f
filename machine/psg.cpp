// SN76489 PSG, CPU side: register writes, the per-line command log, the
// output ring's reader and the state block. The synthesiser that replays the
// log is in psg_synth.cpp.
#include "machine/psg.h"

#include <cstring>

#include "machine/options.h"

uint8_t sound_volume = 75;
bool sound_reverse_stereo = false;

void PsgResetSettings() {
  sound_volume = 75;
  sound_reverse_stereo = false;
}

namespace {

// Output samples per scanline in 16.16, as 65536 / (lines * frames per second)
// times the sample rate. The factors are kept in single precision on purpose:
// the products (183850 and 184673) are what the line steps add.
constexpr float NtscLineFactor = 4.1689568f;  // 65536 / (262 * 60)
constexpr float PalLineFactor = 4.187604f;    // 65536 / (313 * 50)
// Keeps the edge arithmetic in range for any clock a VGM header may claim.
constexpr double MaxStep = 1073741824.0;

void LogByte(PsgState* psg, uint8_t value) {
  psg->Log[psg->LogWrite] = value;
  psg->LogWrite = (psg->LogWrite + 1) & (PsgLogBytes - 1);
  psg->LogCount++;
}

void LogWait(PsgState* psg, uint32_t samples) {
  LogByte(psg, PsgCmdWait);
  LogByte(psg, samples & 0xFF);
  LogByte(psg, (samples >> 8) & 0xFF);
}

void EmptyBuffers(PsgState* psg) {
  psg->RingWrite = psg->RingRead = psg->RingFill = 0;
  psg->LogWrite = psg->LogRead = psg->LogCount = 0;
  psg->PendingWait = 0;
  psg->TimeAccumulator = 0;
}

void WriteNoise(PsgState* psg, uint8_t value) {
  PsgRegisters& r = psg->Chip;
  r.NoiseRate = value & 3;
  r.NoisePeriod = r.NoiseRate == 3 ? r.Tone[2] : uint16_t(1u << (r.NoiseRate + 4));
  r.NoiseWhite = (value >> 2) & 1;
  psg->NoiseChangedLine = 1;
  psg->NoiseWrites++;
  psg->ToneChanged = 1;
}

void ToneWritten(PsgState* psg, int channel) {
  PsgRegisters& r = psg->Chip;
  if (channel == 2 && r.NoiseRate == 3) r.NoisePeriod = r.Tone[2];
  psg->ToneChanged = 1;
}

void PutLe16(uint8_t* at, uint16_t value) {
  at[0] = value & 0xFF;
  at[1] = value >> 8;
}

uint16_t GetLe16(const uint8_t* at) { return uint16_t(at[0] | at[1] << 8); }

}  // namespace

void PsgInit(PsgState* psg, uint32_t clock) {
  double step = clock * 0.0625 / PsgSampleRate * 65536.0;
  if (step < 1.0) step = 1.0;
  if (step > MaxStep) step = MaxStep;
  psg->Step = uint32_t(step);
  bool ntsc = (MachineOptions & OptNtscRate) != 0;
  double factor = ntsc ? double(NtscLineFactor) : double(PalLineFactor);
  psg->LineIncrement = uint32_t(double(PsgSampleRate) * factor);
  psg->SamplesPerFrame = ntsc ? 735 : 882;
  psg->VolumeCache = 255;
  EmptyBuffers(psg);
}

void PsgReset(PsgState* psg) {
  psg->Latched = 0;
  for (PsgGenerator& g : psg->Gen) g = PsgGenerator{};
  psg->NoiseShift = 1;
  PsgRegisters initial{};
  for (uint8_t& v : initial.Volume) v = 15;
  initial.Stereo = 0xFF;
  initial.NoisePeriod = 16;  // rate 0
  psg->Chip = initial;
  psg->Synth = initial;
  psg->AnyWrite = psg->ToneChanged = psg->StereoChanged = 0;
  psg->NoiseChangedLine = 0;
  psg->NoiseWrites++;  // the noise register changed too
  EmptyBuffers(psg);
}

void PsgWrite(PsgState* psg, uint8_t value) {
  PsgRegisters& r = psg->Chip;
  psg->AnyWrite = 1;
  if (value & 0x80) {
    int channel = (value >> 5) & 3;
    if (value & 0x10) {
      r.Volume[channel] = value & 0x0F;
      psg->Latched = uint8_t(channel * 4);
      return;
    }
    psg->Latched = uint8_t(channel * 4 + 1);
    if (channel == 3) {
      WriteNoise(psg, value);
      return;
    }
    r.Tone[channel] = uint16_t((r.Tone[channel] & 0xFFF0) | (value & 0x0F));
    ToneWritten(psg, channel);
    return;
  }
  int channel = (psg->Latched >> 2) & 3;
  if ((psg->Latched & 1) == 0) {
    r.Volume[channel] = value & 0x0F;
  } else if (channel == 3) {
    WriteNoise(psg, value);
  } else {
    r.Tone[channel] = uint16_t(((value << 4) & 0x3F0) | (r.Tone[channel] & 0x0F));
    ToneWritten(psg, channel);
  }
}

void PsgWriteStereo(PsgState* psg, uint8_t value) {
  psg->Chip.Stereo = value;
  psg->StereoChanged = 1;
  psg->AnyWrite = 1;
}

void PsgLineTick(PsgState* psg, bool sound) {
  // Without sound nothing is logged and every change flag is kept, the noise
  // one included, so that the next sounding line still carries the change.
  if (!sound) return;
  if (psg->LogCount < PsgLogLimit) {
    uint32_t whole = psg->TimeAccumulator >> 16;
    if (psg->AnyWrite || whole >= 1024) {
      LogWait(psg, whole);
      psg->TimeAccumulator &= 0xFFFF;
    }
    psg->TimeAccumulator += psg->LineIncrement;
  }
  // With the log full the changes stay flagged and go out with the first
  // line that has room, so the synthesiser never keeps a stale register.
  if (psg->LogCount >= PsgLogLimit) return;
  if (psg->AnyWrite) {
    const PsgRegisters& r = psg->Chip;
    LogByte(psg, PsgCmdVolumes);
    for (uint8_t v : r.Volume) LogByte(psg, v);
    if (psg->ToneChanged) {
      LogByte(psg, PsgCmdTones);
      for (uint16_t t : r.Tone) {
        LogByte(psg, t & 0xFF);
        LogByte(psg, t >> 8);
      }
    }
    if (psg->NoiseChangedLine) {
      LogByte(psg, PsgCmdNoise);
      LogByte(psg, uint8_t((r.NoiseWhite ? 4 : 0) | (r.NoiseRate & 3)));
    }
    if (psg->StereoChanged) {
      LogByte(psg, PsgCmdStereo);
      LogByte(psg, r.Stereo);
    }
  }
  psg->AnyWrite = psg->ToneChanged = psg->StereoChanged = 0;
  psg->NoiseChangedLine = 0;
}

void PsgFrameEnd(PsgState* psg, bool sound) {
  // An empty wait changes nothing, and frames without sound (which advance no
  // time) would otherwise fill the log with them. A wait is dropped rather
  // than let the log run over unread commands.
  uint32_t whole = psg->TimeAccumulator >> 16;
  if (whole > 0 && psg->LogCount + 3 <= PsgLogBytes) LogWait(psg, whole);
  psg->TimeAccumulator = 0;
  if (sound) PsgRender(psg, psg->SamplesPerFrame);
}

bool PsgReadSamples(PsgState* psg, void* dest, uint32_t bytes) {
  if (psg->RingFill < bytes) return false;
  const uint8_t* ring = reinterpret_cast<const uint8_t*>(psg->Ring);
  uint8_t* out = static_cast<uint8_t*>(dest);
  uint32_t pos = psg->RingRead & ~1u;
  uint32_t first = bytes < PsgRingBytes - pos ? bytes : PsgRingBytes - pos;
  if (first) std::memcpy(out, ring + pos, first);
  if (bytes > first) std::memcpy(out + first, ring, bytes - first);
  psg->RingRead = (pos + bytes) & (PsgRingBytes - 1);
  psg->RingFill -= bytes;
  return true;
}

void PsgWriteStateBlock(const PsgState* psg, uint8_t* block) {
  std::memset(block, 0, PsgSaveStateSize);
  block[1] = psg->Latched;
  const PsgRegisters& r = psg->Chip;
  uint8_t* regs = block + 2;
  for (int i = 0; i < 3; i++) PutLe16(regs + 2 * i, r.Tone[i]);
  PutLe16(regs + 6, r.NoisePeriod);
  for (int i = 0; i < 4; i++) regs[8 + i] = r.Volume[i];
  regs[12] = r.NoiseWhite;
  regs[13] = r.NoiseRate;
  regs[14] = r.Stereo;
  regs[15] = r.Spare;
}

void PsgReadStateBlock(PsgState* psg, const uint8_t* block) {
  PsgReset(psg);
  // Masked to the chip's widths: a hostile block must not reach past the
  // four channels or the amplitude tables.
  psg->Latched = block[1] & 0x0F;
  PsgRegisters& r = psg->Chip;
  const uint8_t* regs = block + 2;
  for (int i = 0; i < 3; i++) r.Tone[i] = GetLe16(regs + 2 * i) & 0x3FF;
  r.NoisePeriod = GetLe16(regs + 6);
  for (int i = 0; i < 4; i++) r.Volume[i] = regs[8 + i] & 0x0F;
  r.NoiseWhite = regs[12] & 1;
  r.NoiseRate = regs[13] & 3;
  r.Stereo = regs[14];
  r.Spare = regs[15];
  // Log the restored registers at the next line so a held note sounds at once.
  psg->AnyWrite = psg->ToneChanged = psg->StereoChanged = 1;
  psg->NoiseChangedLine = 1;
  psg->NoiseWrites++;
}

bool PsgSaveState(const PsgState* psg, FILE* file) {
  uint8_t block[PsgSaveStateSize];
  PsgWriteStateBlock(psg, block);
  return std::fwrite(block, 1, sizeof block, file) == sizeof block;
}

bool PsgLoadState(PsgState* psg, FILE* file) {
  uint8_t block[PsgSaveStateSize];
  if (std::fread(block, 1, sizeof block, file) != sizeof block) return false;
  PsgReadStateBlock(psg, block);
  return true;
}
