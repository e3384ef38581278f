// The SN76489 programmable sound generator: three square-wave tone channels,
// one noise channel and the Game Gear's stereo register.
//
// Port writes only change a copy of the chip registers. Once per scanline the
// changes are appended, stamped with the time since the last change, to a
// command log; once per frame the synthesiser replays the log and renders one
// frame of 44100 Hz stereo 16-bit samples into an output ring, from which the
// audio output and the recorders read. The VGM player drives a PsgState of its
// own through the same operations.
#pragma once
#include <cstdint>
#include <cstdio>

constexpr uint32_t PsgSampleRate = 44100;
constexpr uint32_t PsgRingBytes = 8192;     // 2048 stereo 16-bit sample frames
constexpr uint32_t PsgLogBytes = 16384;
constexpr uint32_t PsgLogLimit = 12288;     // line steps stop logging at this fill
constexpr uint32_t PsgSaveStateSize = 274;

// Log command codes.
enum PsgCommand : uint8_t {
  PsgCmdVolumes = 0x01,  // 4 bytes: volumes of channels 0-3
  PsgCmdTones = 0x02,    // 6 bytes: tone periods 0-2, little-endian
  PsgCmdNoise = 0x03,    // 1 byte: bit 2 white, bits 0-1 rate; resets the shift register
  PsgCmdStereo = 0x04,   // 1 byte: stereo register
  PsgCmdWait = 0x61,     // 2 bytes: samples to render before the next command
};

// One copy of the chip's registers (16 bytes, the layout of the state block).
struct PsgRegisters {
  uint16_t Tone[3];      // 10 significant bits
  uint16_t NoisePeriod;  // in PSG ticks: 16, 32, 64 or tone 2
  uint8_t Volume[4];     // attenuation: 0 loudest .. 15 silent
  uint8_t NoiseWhite;
  uint8_t NoiseRate;     // 0-3; 3 follows tone 2
  uint8_t Stereo;        // bit i+4 left, bit i right for channel i
  uint8_t Spare;
};

struct PsgGenerator {
  int32_t Counter;   // 16.16 PSG ticks until the next edge
  uint8_t FlipFlop;
};

struct PsgState {
  // Output ring of left/right signed 16-bit samples; positions in bytes.
  int16_t Ring[PsgRingBytes / 2];
  uint32_t RingWrite, RingRead, RingFill;
  // Command log; positions wrap with & (PsgLogBytes - 1).
  uint8_t Log[PsgLogBytes];
  uint32_t LogWrite, LogRead, LogCount;

  uint32_t PendingWait;      // samples to render before the next log command
  uint32_t TimeAccumulator;  // 16.16 output samples elapsed and not yet logged
  uint32_t LineIncrement;    // 16.16 output samples per scanline
  uint32_t Step;             // 16.16 PSG ticks (clock / 16) per output sample
  uint32_t SamplesPerFrame;  // 735 at 60 frames per second, 882 at 50

  uint8_t Latched;           // channel*4 + 1 tone/noise, channel*4 volume
  uint8_t VolumeCache;       // sound_volume the scaled tables were made for; 255 none

  // Change flags of the CPU side.
  uint8_t AnyWrite;
  uint8_t ToneChanged;
  uint8_t StereoChanged;
  uint8_t NoiseChangedLine;
  // Counts noise register writes (wrapping); the VGM logger compares it with
  // the count it saw last, whatever the sound setting did to the line flag.
  uint32_t NoiseWrites;

  uint16_t NoiseShift;
  int16_t ToneTable[16];   // base amplitudes scaled by sound_volume
  int16_t NoiseTable[16];

  PsgRegisters Chip;       // as written by the CPU
  PsgRegisters Synth;      // as last applied from the log
  PsgGenerator Gen[4];     // tone 0-2, noise
};

// Sound settings: the output volume in percent (0-75, default 75) and the
// swap of one-sided Game Gear channels (default off). Read at render time.
extern uint8_t sound_volume;
extern bool sound_reverse_stereo;
void PsgResetSettings();

// Sets the clock (Hz of the machine, or of a VGM file's chip) and the video
// standard's line rate and samples per frame from the NTSC option bit; empties
// the ring and the log.
void PsgInit(PsgState* psg, uint32_t clock);
// Power-on register values; empties the ring and the log.
void PsgReset(PsgState* psg);
// Ports 0x7E/0x7F: latch or data byte.
void PsgWrite(PsgState* psg, uint8_t value);
// Game Gear port 0x06.
void PsgWriteStereo(PsgState* psg, uint8_t value);
// After every scanline: logs the line's register changes and advances time.
void PsgLineTick(PsgState* psg, bool sound);
// After every frame: logs the remaining time and, with sound, renders a frame.
void PsgFrameEnd(PsgState* psg, bool sound);
// Synthesises `samples` stereo samples from the log into the ring.
void PsgRender(PsgState* psg, uint32_t samples);
// Copies `bytes` bytes out of the ring; false (nothing copied) if it holds fewer.
bool PsgReadSamples(PsgState* psg, void* dest, uint32_t bytes);
// The 274-byte state block. Loading resets the chip first and leaves it
// untouched when the block is short.
bool PsgSaveState(const PsgState* psg, FILE* file);
bool PsgLoadState(PsgState* psg, FILE* file);
// The same block in memory (PsgSaveStateSize bytes); any block reads.
void PsgWriteStateBlock(const PsgState* psg, uint8_t* block);
void PsgReadStateBlock(PsgState* psg, const uint8_t* block);
