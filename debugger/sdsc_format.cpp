// The SDSC console's "%" formats: WIDTH FORMAT TYPE PARAM, printing memory,
// VRAM, VDP registers, colour RAM or CPU registers of the machine whose
// program wrote the port.
#include <cstdio>
#include <cstring>
#include <string>

#include "debugger/sdsc.h"
#include "debugger/sdsc_internal.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "z80/z80.h"

namespace {

bool TypeIs(const char* type) {
  return Console.data_type[0] == uint8_t(type[0]) && Console.data_type[1] == uint8_t(type[1]);
}

const Machine& WritingMachine() { return CurrentMachine ? *CurrentMachine : PrimaryMachine; }


uint8_t VramByte(uint16_t address) {
  const uint8_t* vram = WritingMachine().Vdp.vram;
  return vram ? vram[address & 0x3FFF] : 0;
}

// The value of a CPU register by its SDSC number; false for other numbers.
bool CpuRegister(unsigned number, uint16_t* value) {
  const Z80Registers& r = Z80Regs;
  const uint16_t pairs[] = {r.bc, r.de, r.hl, r.af};
  if (number < 8) {
    // B C D E H L F A: high then low byte of BC, DE, HL, and F before A.
    static const int pair_of[8] = {0, 0, 1, 1, 2, 2, 3, 3};
    static const bool high[8] = {true, false, true, false, true, false, false, true};
    uint16_t pair = pairs[pair_of[number]];
    *value = high[number] ? pair >> 8 : pair & 0xFF;
    return true;
  }
  switch (number) {
    case 8: *value = r.pc; return true;
    case 9: *value = r.sp; return true;
    case 10: *value = r.ix; return true;
    case 11: *value = r.iy; return true;
    case 12: *value = r.bc; return true;
    case 13: *value = r.de; return true;
    case 14: *value = r.hl; return true;
    case 15: *value = r.af; return true;
    case 16: *value = r.r; return true;
    case 17: *value = r.i; return true;
    default: return false;
  }
}

// The 16-bit value the format prints; false when the parameter names nothing.
bool FetchValue(uint16_t* value) {
  const uint16_t param = Console.param;
  const VdpState& vdp = WritingMachine().Vdp;
  if (TypeIs("mb")) {
    *value = PeekByte(param);
  } else if (TypeIs("mw")) {
    *value = uint16_t(PeekByte(param) | PeekByte(uint16_t(param + 1)) << 8);
  } else if (TypeIs("vb")) {
    *value = VramByte(param);
  } else if (TypeIs("vw")) {
    *value = uint16_t(VramByte(param) | VramByte(uint16_t(param + 1)) << 8);
  } else if (TypeIs("vr")) {
    if (param < 16) {
      *value = vdp.regs[param];
    } else if (param < 48) {
      unsigned entry = param - 16;
      if (MachineOptions & OptSmsPalette)
        *value = vdp.cram[entry];
      else
        *value = uint16_t(vdp.cram[2 * entry] | vdp.cram[2 * entry + 1] << 8);
    } else {
      return false;
    }
  } else {
    return CpuRegister(param, value);
  }
  return true;
}

std::string Convert(uint16_t value) {
  char text[40];
  switch (Console.format) {
    case 'd': std::snprintf(text, sizeof text, "%d", int16_t(value)); break;
    case 'u': std::snprintf(text, sizeof text, "%u", unsigned(value)); break;
    case 'x': std::snprintf(text, sizeof text, "%x", unsigned(value)); break;
    case 'X': std::snprintf(text, sizeof text, "%X", unsigned(value)); break;
    case 'b': {
      if (value == 0) return std::string(32, '0');
      std::string bits;
      for (int bit = 15; bit >= 0; --bit)
        if (!bits.empty() || (value >> bit) & 1) bits += ((value >> bit) & 1) ? '1' : '0';
      return bits;
    }
    default: return "";
  }
  return text;
}

// Padded on the left to the width, or cut to its last `width` characters.
std::string Fit(std::string text) {
  const size_t width = Console.width;
  if (text.size() > width) return text.substr(text.size() - width);
  const char f = static_cast<char>(Console.format);
  const char pad = (f == 'x' || f == 'X' || f == 'b') ? '0' : ' ';
  return std::string(width - text.size(), pad) + text;
}

}  // namespace

int ConsoleParamBytes() {
  const bool bytes_only = Console.format == 'a';
  if (TypeIs("mb") || TypeIs("vb")) return 2;
  if (bytes_only) return 0;
  if (TypeIs("mw") || TypeIs("vw")) return 2;
  if (TypeIs("vr") || TypeIs("pr")) return 1;
  return 0;
}

void ConsoleExecuteFormat() {
  if (Console.format == 'a') {
    const bool vram = TypeIs("vb");
    for (unsigned i = 0; i < Console.width; ++i) {
      uint16_t address = uint16_t(Console.param + i);
      ConsolePrint(vram ? VramByte(address) : PeekByte(address));
    }
    return;
  }
  uint16_t value;
  if (!FetchValue(&value)) {
    ConsolePrintText("[ERROR]");
    return;
  }
  ConsolePrintText(Fit(Convert(value)).c_str());
}
