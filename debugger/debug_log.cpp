#include "debugger/debug_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "base/program_dir.h"
#include "debugger/code_row.h"
#include "debugger/debug_lists.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "z80/z80.h"

bool DebugLogOn = false;

namespace {

constexpr size_t BufferSize = 64 * 1024;
constexpr size_t EntryRoom = 512;  // more than the longest entry

int LogFile = -1;
std::string LogName;  // the file name the messages quote
char Buffer[BufferSize];
size_t Used = 0;

std::string LogFileName() {
  const std::string base = CartFileBase();
  if (base.empty()) return {};
  return base + ".DebugLog";
}

// The log always starts as a new, empty file: whatever sat under its name
// (an old log, a link pointing elsewhere, a pipe that would block the
// emulation) is removed, never opened. A new file rather than a truncated
// one also spares the file system's flush of a truncated file when it is
// closed, which would stall the program for every restart.
int OpenEmpty(const std::string& path) {
  if (path.empty()) return -1;
  unlink(path.c_str());
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

bool WriteAll(const char* data, size_t size) {
  while (size) {
    const ssize_t n = write(LogFile, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void CloseLog() {
  if (LogFile >= 0) close(LogFile);
  LogFile = -1;
  Used = 0;
}

// A full disk or any other write error ends the log, never the emulation.
bool Flush() {
  if (LogFile < 0) return false;
  const bool ok = WriteAll(Buffer, Used);
  Used = 0;
  if (!ok) {
    CloseLog();
    DebugLogOn = false;
    ShowMessage("Couldn't write debug log '%s'.", LogName.c_str());
  }
  return ok;
}

// Literal text: its length is known when the program is compiled.
template <size_t N>
char* PutText(char* p, const char (&text)[N]) {
  std::memcpy(p, text, N - 1);
  return p + N - 1;
}

char* PutHex4(char* p, uint16_t value) {
  static const char Digits[] = "0123456789ABCDEF";
  for (int shift = 12; shift >= 0; shift -= 4) *p++ = Digits[(value >> shift) & 15];
  return p;
}

// A decimal right-aligned in `width` columns (wider when it needs more).
char* PutDecimal(char* p, unsigned value, int width) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  for (int i = n; i < width; ++i) *p++ = ' ';
  while (n) *p++ = digits[--n];
  return p;
}

char* PutZ80State(char* p) {
  SelectMachine(&PrimaryMachine);
  const Z80Registers& r = Z80Regs;
  p = PutHex4(PutText(p, "AF = "), r.af);
  p = PutHex4(PutText(p, " BC = "), r.bc);
  p = PutHex4(PutText(p, " DE = "), r.de);
  p = PutHex4(PutText(p, " HL = "), r.hl);
  p = PutHex4(PutText(p, " IX = "), r.ix);
  p = PutHex4(PutText(p, " IY = "), r.iy);
  p = PutHex4(PutText(p, "   PC = "), Z80InstructionPc());  // the HALT while halted
  p = PutHex4(PutText(p, " SP = "), r.sp);
  *p++ = '\n';
  const Machine& m = PrimaryMachine;
  const VdpState& vdp = m.Vdp;
  p = PutDecimal(PutText(p, "Mapper: "), m.RomBank0, 2);
  p = PutDecimal(PutText(p, ":"), m.RomBank1, 2);
  p = PutDecimal(PutText(p, ":"), m.RomBank2, 2);
  p = PutDecimal(PutText(p, "         VBL: "), (vdp.regs[1] >> 5) & 1, 1);
  p = PutDecimal(PutText(p, "  HBL: "), (vdp.regs[0] >> 4) & 1, 1);
  p = PutDecimal(PutText(p, "  BLK: "), (vdp.regs[1] >> 6) & 1, 1);
  p = PutDecimal(PutText(p, "  Line = "), vdp.line, 3);
  *p++ = '\n';
  return p;
}

void WriteHeader() {
  const std::string header = "\nTavo debug log for '" + CartName + "'\n\n";
  // A cartridge name is short, but the header must never overrun the buffer.
  const size_t n = std::min(header.size(), BufferSize - EntryRoom);
  std::memcpy(Buffer + Used, header.data(), n);
  Used += n;
}

}  // namespace

bool DebugLogOpen() { return LogFile >= 0; }

void WriteDebugLogEntry() {
  if (LogFile < 0) return;
  if (Used + EntryRoom > BufferSize && !Flush()) return;
  char* p = Buffer + Used;
  p = PutText(p, "----------------------------------------------------------------------------------\n");
  if (ConsoleKind == 1)
    p = PutZ80State(p);
  else
    *p++ = '\n';  // cores without a register trace
  const uint32_t pc = GetPc();
  char row[CodeRowWidth + 1];
  uint32_t absolute;
  BuildCodeRow(pc, LogRowLabelWidth, false, row, &absolute);
  p = HasBreakpoint(absolute) ? PutText(p, "==== ") : PutText(p, "     ");
  std::memcpy(p, row, CodeRowWidth);
  p += CodeRowWidth;
  *p++ = '\n';
  Used = static_cast<size_t>(p - Buffer);
}

bool StartDebugLog(bool restart) {
  if (CartName.empty() || LogFile >= 0) return false;
  LogName = LogFileName();
  LogFile = OpenEmpty(WorkingFilePath("DebugLogs", LogName));
  if (LogFile < 0) {
    ShowMessage(restart ? "Couldn't restart debug log '%s'." : "Couldn't start debug log '%s'.", LogName.c_str());
    return false;
  }
  Used = 0;
  WriteHeader();
  ShowMessage(restart ? "Restarted debug log '%s'." : "Started debug log '%s'.", LogName.c_str());
  WriteDebugLogEntry();
  return true;
}

void StopDebugLog() {
  if (CartName.empty() || LogFile < 0) return;
  if (!Flush()) return;  // the write error was reported instead
  CloseLog();
  ShowMessage("Stopped debug log '%s'.", LogName.c_str());
}

void ClearDebugLog() {
  if (CartName.empty()) return;
  const bool was_open = LogFile >= 0;
  // What the open log still holds belongs to the file being emptied.
  CloseLog();
  const std::string name = LogFileName();
  const int fd = OpenEmpty(WorkingFilePath("DebugLogs", name));
  if (fd < 0) {
    if (was_open) DebugLogOn = false;
    ShowMessage("Couldn't clear debug log '%s'", name.c_str());
    return;
  }
  close(fd);
  if (was_open) {
    if (!StartDebugLog(true)) DebugLogOn = false;
  } else
    ShowMessage("Cleared debug log '%s'", name.c_str());
}

void ResetDebugLog() {
  CloseLog();
  DebugLogOn = false;
  LogName.clear();
}
