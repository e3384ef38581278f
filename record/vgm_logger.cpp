// The VGM logger: the per-line comparison with the chip, the command
// buffer, and the file written on stop.
#include "record/vgm_logger.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/program_dir.h"
#include "base/safe_file.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "record/vgm_format.h"
#include "record/vgm_trim.h"

uint8_t VgmLogState = VgmLogIdle;
bool WaitForSound = false;
bool TrimEnd = false;
bool TrimLoops = false;
bool SampleAccurate = false;
VgmGd3Texts VgmGd3;
uint32_t TotalSamples = 0;
void (*VgmLoggerChanged)() = nullptr;

namespace {

// The scheduler calls the logger after each line only while it logs or waits.
void SetLogState(uint8_t state) {
  VgmLogState = state;
  LineEndHook = state != VgmLogIdle ? VgmLogLine : nullptr;
}

}  // namespace

namespace {

// The command data: one address range reserved for the largest log, whose
// pages are committed a step at a time as the log reaches them. Nothing is
// ever copied to grow it, and committing a whole step at once spares the
// per-page faults of a sample-accurate log that writes about 2.9 KB a frame.
// Each line's work first makes room for the most one line can write plus
// what stopping appends, so the writes themselves need no checks.
struct CommandBuffer {
  uint8_t* data = nullptr;
  uint32_t size = 0;
  uint32_t capacity = 0;  // committed bytes
};

constexpr uint32_t GrowStep = 1u << 20;
constexpr uint32_t LineBytes = 27;      // stereo 2 + volumes 8 + tones 12 + noise 2 + wait 3
constexpr uint32_t DumpBytes = 24;      // stereo 2 + volumes 8 + tones 12 + noise 2
constexpr uint32_t StopReserve = DumpBytes + 1;
// TotalSamples stops short of wrapping its 32 bits (some 27 hours).
constexpr uint32_t MaxSamples = 0xFFFF0000u;

CommandBuffer Log;
bool LogFull = false;           // the cap or memory was reached; nothing more is logged
uint32_t Accumulator = 0;       // 16.16 samples not yet written (sample accurate)
bool NtscLog = true;            // the video standard when logging started
uint16_t LastTone[3];
uint8_t LastStereo = 0xFF;
uint32_t LastNoiseWrites = 0;
// The volumes go out on every logged line: their writes are kept made up
// for the volumes last seen.
uint32_t LastVolumes = 0xFFFFFFFFu;
uint8_t VolumeWrites[8];

void FreeLog() {
  if (Log.data) munmap(Log.data, VgmMaxDataBytes);
  Log = CommandBuffer{};
  LogFull = false;
}

// Commits `bytes` at `at`; false when the memory cannot be had. Kernels
// without the populate request have the pages touched instead.
bool Commit(uint8_t* at, uint32_t bytes) {
  if (madvise(at, bytes, MADV_POPULATE_WRITE) == 0) return true;
  if (errno != EINVAL) return false;
  for (uint32_t i = 0; i < bytes; i += 4096) at[i] = 0;
  return true;
}

// Room for `bytes` more bytes; false when the log may not or cannot grow.
bool Reserve(uint32_t bytes) {
  if (bytes <= Log.capacity - Log.size) return true;
  if (LogFull || bytes > VgmMaxDataBytes - Log.size) return false;
  if (!Log.data) {
    void* range = mmap(nullptr, VgmMaxDataBytes, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (range == MAP_FAILED) return false;
    Log.data = static_cast<uint8_t*>(range);
    madvise(Log.data, VgmMaxDataBytes, MADV_HUGEPAGE);  // fewer faults where offered
  }
  uint32_t want = (Log.size + bytes + GrowStep - 1) / GrowStep * GrowStep;
  if (want > VgmMaxDataBytes) want = VgmMaxDataBytes;
  if (!Commit(Log.data + Log.capacity, want - Log.capacity)) return false;
  Log.capacity = want;
  return true;
}

void Append(uint8_t value) {
  if (Reserve(1)) Log.data[Log.size++] = value;
}

void Changed() {
  if (VgmLoggerChanged) VgmLoggerChanged();
}

uint8_t NoiseByte(const PsgRegisters& r) {
  return uint8_t(0xE0 | (r.NoiseWhite ? 4 : 0) | (r.NoiseRate & 3));
}

uint8_t* PutPsg(uint8_t* out, uint8_t value) {
  out[0] = VgmCmdPsg;
  out[1] = value;
  return out + 2;
}

uint8_t* PutTone(uint8_t* out, int channel, uint16_t period) {
  out = PutPsg(out, uint8_t(0x80 | channel << 5 | (period & 0x0F)));
  return PutPsg(out, uint8_t((period >> 4) & 0x3F));
}

// The four volume writes.
uint8_t* PutVolumes(uint8_t* out, const PsgRegisters& r) {
  for (int i = 0; i < 4; i++) out = PutPsg(out, uint8_t(0x90 | i << 5 | (r.Volume[i] & 0x0F)));
  return out;
}

// Every register of the chip, so that playing can start (or loop back) here.
uint8_t* PutDump(uint8_t* out, const PsgRegisters& r) {
  *out++ = VgmCmdStereo;
  *out++ = r.Stereo;
  out = PutVolumes(out, r);
  for (int i = 0; i < 3; i++) out = PutTone(out, i, r.Tone[i]);
  return PutPsg(out, NoiseByte(r));
}

bool Audible(const PsgRegisters& r) {
  for (int i = 0; i < 4; i++)
    if ((r.Stereo & (0x11 << i)) && r.Volume[i] < 15) return true;
  return false;
}

bool HaveCartridge() { return ConsoleKind == 1 && !CartName.empty(); }

// The first "NAME.N.vgm" in "Music" that does not exist; "" when all 256 do
// or there is nowhere to save.
std::string FreeLogPath() {
  const std::string base = CartFileBase();
  if (base.empty()) return {};
  for (int n = 0; n < 256; n++) {
    std::string path = WorkingFilePath("Music", base + "." + std::to_string(n) + ".vgm");
    if (path.empty()) return {};
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 && errno == ENOENT) return path;
  }
  return {};
}

void PutText16(std::vector<uint8_t>* out, const std::string& text) {
  size_t length = text.size() < VgmGd3MaxText ? text.size() : VgmGd3MaxText;
  for (size_t i = 0; i < length; i++) {
    out->push_back(uint8_t(text[i]));
    out->push_back(0);
  }
  out->push_back(0);
  out->push_back(0);
}

std::vector<uint8_t> Gd3Block() {
  static const std::string empty;
  const std::string* texts[11] = {&VgmGd3.TrackTitle, &empty, &VgmGd3.GameName, &empty, &VgmGd3.System,
                                  &empty, &VgmGd3.Author, &empty, &VgmGd3.ReleaseDate, &VgmGd3.Creator,
                                  &empty};
  std::vector<uint8_t> strings;
  for (const std::string* text : texts) PutText16(&strings, *text);
  std::vector<uint8_t> block(12);
  block[0] = 'G'; block[1] = 'd'; block[2] = '3'; block[3] = ' ';
  PutLe32(&block[4], VgmGd3Version);
  PutLe32(&block[8], uint32_t(strings.size()));
  block.insert(block.end(), strings.begin(), strings.end());
  return block;
}

void MakeHeader(uint8_t* h, uint32_t gd3_bytes, uint32_t loop_offset, uint32_t loop_samples) {
  for (uint32_t i = 0; i < VgmHeaderSize; i++) h[i] = 0;
  h[0] = 'V'; h[1] = 'g'; h[2] = 'm'; h[3] = ' ';
  PutLe32(h + VgmEofOffset, VgmHeaderSize + Log.size + gd3_bytes - 4);
  PutLe32(h + VgmVersionField, VgmVersion);
  PutLe32(h + VgmClockField, VgmChipClock);
  PutLe32(h + VgmGd3Offset, VgmHeaderSize + Log.size - VgmGd3Offset);
  PutLe32(h + VgmTotalSamples, TotalSamples);
  PutLe32(h + VgmLoopOffset, loop_offset);
  PutLe32(h + VgmLoopSamples, loop_samples);
  PutLe32(h + VgmRateField, NtscLog ? 60 : 50);
}

// Written to a new temporary beside the target and renamed over it when
// complete, so a failed write never leaves a partial file under the name.
bool WriteLogFile(const std::string& path, uint32_t loop_offset, uint32_t loop_samples) {
  std::vector<uint8_t> gd3 = Gd3Block();
  uint8_t header[VgmHeaderSize];
  MakeHeader(header, uint32_t(gd3.size()), loop_offset, loop_samples);
  FILE* file = CreateTemporaryFile(path);
  if (!file) return false;
  bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
  if (Log.size) ok = ok && std::fwrite(Log.data, 1, Log.size, file) == Log.size;
  ok = ok && std::fwrite(gd3.data(), 1, gd3.size(), file) == gd3.size();
  return FinishTemporaryFile(file, path, ok);
}

// The loop trimmer, else the end trimmer, as the options say; the data ends
// with 0x66 either way.
void Trim(uint32_t* loop_offset, uint32_t* loop_samples) {
  const uint32_t frame_samples = NtscLog ? VgmNtscFrameSamples : VgmPalFrameSamples;
  VgmLoopCut loop;
  if (TrimLoops && FindVgmLoop(Log.data, Log.size, frame_samples, &loop)) {
    Log.size = loop.cut;  // room for the dump and the end was kept
    Log.size = uint32_t(PutDump(Log.data + Log.size, loop.registers) - Log.data);
    Log.data[Log.size++] = VgmCmdEnd;
    TotalSamples = loop.total_samples;
    *loop_offset = loop.loop_start + VgmHeaderSize - VgmLoopOffset;
    *loop_samples = loop.loop_samples;
    char text[128];
    std::snprintf(text, sizeof text, "The loops of the VGM log were trimmed (loop start point at %d sec.).",
                  int((loop.total_samples - loop.loop_samples) / VgmSampleRate));
    AddMessage(text);
    return;
  }
  if (TrimEnd) {
    VgmEndCut end = FindVgmEnd(Log.data, Log.size, frame_samples);
    Log.size = end.cut;
    Log.data[Log.size++] = VgmCmdEnd;
    TotalSamples = end.samples;
  }
  AddMessage("No loop was was found in the VGM log.");
}

bool Finish(const std::string* given_path) {
  if (VgmLogState == VgmLogIdle) return false;
  const bool logged = VgmLogState == VgmLogLogging;
  // Stopped while still waiting the data is empty; it still gets its end,
  // so that the file is a complete (silent) VGM.
  Append(VgmCmdEnd);
  ShowMessage(logged ? "Stopped VGM logging." : "Stopped to wait for VGM logging.");
  SetLogState(VgmLogIdle);
  Changed();

  std::string path = given_path ? *given_path : FreeLogPath();
  if (path.empty()) {
    ShowMessage("Couldn't save VGM.");
    FreeLog();
    return false;
  }
  // Every line left room for the end and a loop's closing dump; only a log
  // whose end could not even be allocated is saved untrimmed.
  uint32_t loop_offset = 0, loop_samples = 0;
  if (Log.size > 0 && Log.capacity - Log.size >= StopReserve - 1) Trim(&loop_offset, &loop_samples);
  bool saved = WriteLogFile(path, loop_offset, loop_samples);
  std::string name = FileNamePart(path.c_str());
  if (saved)
    ShowMessage("Saved VGM log as '%s' (length = %d sec.).", name.c_str(), int(TotalSamples / VgmSampleRate));
  else
    ShowMessage("Couldn't save VGM as '%s'.", name.c_str());
  FreeLog();
  return saved;
}

void ClearLog() {
  FreeLog();
  TotalSamples = 0;
  Accumulator = 0;
}

}  // namespace

bool StartVgmLog() {
  if (VgmLogState == VgmLogLogging) return true;  // a log under way is kept
  if (!HaveCartridge()) {
    ShowMessage("Can't start VGM logging.");
    return false;
  }
  ClearLog();
  if (!Reserve(DumpBytes + StopReserve)) {
    ShowMessage("Can't start VGM logging.");
    return false;
  }
  const PsgState& psg = PrimaryMachine.Psg;
  const PsgRegisters& r = psg.Chip;
  for (int i = 0; i < 3; i++) LastTone[i] = r.Tone[i] & 0x3FF;
  LastStereo = r.Stereo;
  LastNoiseWrites = psg.NoiseWrites;
  LastVolumes = 0xFFFFFFFFu;  // none made up yet (real volumes are 0-15)
  NtscLog = (MachineOptions & OptNtscRate) != 0;
  Log.size = uint32_t(PutDump(Log.data, r) - Log.data);
  SetLogState(VgmLogLogging);
  Changed();
  ShowMessage("Started VGM logging.");
  return true;
}

bool StartVgmWait() {
  if (VgmLogState != VgmLogIdle) return VgmLogState == VgmLogWaiting;
  if (!HaveCartridge()) {
    ShowMessage("Can't start VGM logging.");
    return false;
  }
  ClearLog();
  SetLogState(VgmLogWaiting);
  Changed();
  ShowMessage("Started to wait for VGM logging.");
  return true;
}

bool StartVgmLogging() { return WaitForSound ? StartVgmWait() : StartVgmLog(); }

bool StopVgmLog() { return Finish(nullptr); }

bool StopVgmLogAs(const std::string& path) { return Finish(&path); }

void VgmLogLine() {
  PsgState& psg = PrimaryMachine.Psg;
  if (VgmLogState == VgmLogWaiting) {
    if (!Audible(psg.Chip) || !StartVgmLog()) return;
  }
  // Once per frame, on the machine's line 0, unless sample accurate.
  if (!SampleAccurate && PrimaryMachine.Vdp.line != 0) return;
  if (Log.capacity - Log.size < LineBytes + StopReserve || TotalSamples > MaxSamples) {
    if (LogFull) return;
    if (TotalSamples > MaxSamples || !Reserve(LineBytes + StopReserve)) {
      LogFull = true;
      ShowMessage("Couldn't log more VGM: the log is full.");
      return;
    }
  }
  const PsgRegisters& r = psg.Chip;
  uint8_t* out = Log.data + Log.size;
  if (r.Stereo != LastStereo) {
    *out++ = VgmCmdStereo;
    *out++ = r.Stereo;
    LastStereo = r.Stereo;
  }
  uint32_t volumes;
  std::memcpy(&volumes, r.Volume, sizeof volumes);
  if (volumes != LastVolumes) {
    LastVolumes = volumes;
    PutVolumes(VolumeWrites, r);
  }
  std::memcpy(out, VolumeWrites, sizeof VolumeWrites);
  out += sizeof VolumeWrites;
  for (int i = 0; i < 3; i++) {
    uint16_t period = r.Tone[i] & 0x3FF;
    if (period == LastTone[i]) continue;
    out = PutTone(out, i, period);
    LastTone[i] = period;
  }
  if (psg.NoiseWrites != LastNoiseWrites) {
    out = PutPsg(out, NoiseByte(r));
    LastNoiseWrites = psg.NoiseWrites;
  }
  const bool ntsc = (MachineOptions & OptNtscRate) != 0;
  if (SampleAccurate) {
    uint32_t whole = Accumulator >> 16;
    *out++ = VgmCmdWait;
    *out++ = uint8_t(whole);
    *out++ = uint8_t(whole >> 8);
    TotalSamples += whole;
    Accumulator &= 0xFFFF;
    Accumulator += ntsc ? VgmNtscFrameSamples * 65536 / 262 : VgmPalFrameSamples * 65536 / 313;
  } else {
    *out++ = ntsc ? VgmCmdWaitNtsc : VgmCmdWaitPal;
    TotalSamples += ntsc ? VgmNtscFrameSamples : VgmPalFrameSamples;
  }
  Log.size = uint32_t(out - Log.data);
}

void VgmLogTimeText(char* text, size_t size) {
  std::snprintf(text, size, "Log time: %4d:%02d:%02d", int(TotalSamples / 158760000u),
                int(TotalSamples / 2646000u % 60), int(TotalSamples / VgmSampleRate % 60));
}

void ResetVgmLogger() {
  ClearLog();
  SetLogState(VgmLogIdle);
  WaitForSound = TrimEnd = TrimLoops = SampleAccurate = false;
  VgmGd3 = VgmGd3Texts{};
  VgmLoggerChanged = nullptr;
  NtscLog = true;
}
