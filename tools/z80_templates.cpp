#include "tools/z80_templates.h"

#include <cstdio>

// The opcode byte read as the fields x (bits 7-6), y (5-3), z (2-0), with
// p = y >> 1 and q = y & 1: the Z80's instruction groups follow them.
namespace {

const char* const R[8] = {"b", "c", "d", "e", "h", "l", "(hl)", "a"};
const char* const RP[4] = {"bc", "de", "hl", "sp"};
const char* const RP2[4] = {"bc", "de", "hl", "af"};
const char* const CC[8] = {"nz", "z", "nc", "c", "po", "pe", "p", "m"};
const char* const ALU[8] = {"add  a,", "adc  a,", "sub  ", "sbc  a,", "and  ", "xor  ", "or   ", "cp   "};
const char* const ROT[8] = {"rlc", "rrc", "rl", "rr", "sla", "sra", "sll", "srl"};
const char* const BLOCK[4][4] = {{"ldi", "cpi", "ini", "outi"},
                                 {"ldd", "cpd", "ind", "outd"},
                                 {"ldir", "cpir", "inir", "otir"},
                                 {"lddr", "cpdr", "indr", "otdr"}};

// Mnemonic padded to five columns, then the operands.
std::string Op(const std::string& mnemonic, const std::string& operands = "") {
  if (operands.empty()) return mnemonic;
  std::string text = mnemonic;
  while (text.size() < 5) text += ' ';
  return text + operands;
}

std::string Hex(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "$%02X", value);
  return text;
}

// A byte shown as data: prefixes that start no instruction.
std::string Data(int value) { return Op(".db", Hex(value)); }

std::string Unprefixed(int n) {
  const int x = n >> 6, y = (n >> 3) & 7, z = n & 7, p = y >> 1, q = y & 1;
  if (x == 1) return y == 6 && z == 6 ? "halt" : Op("ld", std::string(R[y]) + "," + R[z]);
  if (x == 2) return ALU[y] + std::string(R[z]);
  if (x == 0) {
    switch (z) {
      case 0: {
        static const char* const first[4] = {"nop", "ex   af,af'", "djnz +", "jr   +"};
        return y < 4 ? first[y] : Op("jr", std::string(CC[y - 4]) + ",+");
      }
      case 1: return q ? Op("add", std::string("hl,") + RP[p]) : Op("ld", std::string(RP[p]) + ",##");
      case 2: {
        static const char* const store[4] = {"(bc),a", "(de),a", "(##),hl", "(##),a"};
        static const char* const load[4] = {"a,(bc)", "a,(de)", "hl,(##)", "a,(##)"};
        return Op("ld", q ? load[p] : store[p]);
      }
      case 3: return Op(q ? "dec" : "inc", RP[p]);
      case 4: return Op("inc", R[y]);
      case 5: return Op("dec", R[y]);
      case 6: return Op("ld", std::string(R[y]) + ",#");
      default: {
        static const char* const acc[8] = {"rlca", "rrca", "rla", "rra", "daa", "cpl", "scf", "ccf"};
        return acc[y];
      }
    }
  }
  switch (z) {
    case 0: return Op("ret", CC[y]);
    case 1: {
      if (!q) return Op("pop", RP2[p]);
      static const char* const other[4] = {"ret", "exx", "jp   (hl)", "ld   sp,hl"};
      return other[p];
    }
    case 2: return Op("jp", std::string(CC[y]) + ",*");
    case 3: {
      static const char* const misc[8] = {"jp   *", "", "out  (#),a", "in   a,(#)",
                                          "ex   (sp),hl", "ex   de,hl", "di", "ei"};
      return y == 1 ? Data(0xCB) : misc[y];
    }
    case 4: return Op("call", std::string(CC[y]) + ",*");
    case 5: {
      if (!q) return Op("push", RP2[p]);
      static const int prefixes[4] = {0, 0xDD, 0xED, 0xFD};
      return p == 0 ? "call *" : Data(prefixes[p]);
    }
    case 6: return ALU[y] + std::string("#");
    default: return Op("rst", Hex(y * 8));
  }
}

std::string CbPage(int n) {
  const int x = n >> 6, y = (n >> 3) & 7, z = n & 7;
  if (x == 0) return Op(ROT[y], R[z]);
  static const char* const bits[4] = {"", "bit", "res", "set"};
  return Op(bits[x], std::to_string(y) + "," + R[z]);
}

std::string EdPage(int n) {
  const int x = n >> 6, y = (n >> 3) & 7, z = n & 7, p = y >> 1, q = y & 1;
  // ED opcodes without an instruction run as two-byte no-operations.
  const std::string none = "%p%" + Data(n);
  if (x == 2) return z <= 3 && y >= 4 ? BLOCK[y - 4][z] : none;
  if (x != 1) return none;
  switch (z) {
    case 0: return Op("in", std::string(y == 6 ? "f" : R[y]) + ",(c)");
    case 1: return Op("out", std::string("(c),") + (y == 6 ? "0" : R[y]));
    case 2: return Op(q ? "adc" : "sbc", std::string("hl,") + RP[p]);
    case 3: return Op("ld", q ? std::string(RP[p]) + ",(##)" : std::string("(##),") + RP[p]);
    case 4: return "neg";
    case 5: return y == 1 ? "reti" : "retn";
    case 6: {
      static const char* const modes[4] = {"0", "0", "1", "2"};
      return Op("im", modes[y & 3]);
    }
    default: {
      static const char* const special[6] = {"ld   i,a", "ld   r,a", "ld   a,i", "ld   a,r", "rrd", "rld"};
      return y < 6 ? special[y] : none;
    }
  }
}

// Opcodes that a $DD or $FD prefix turns into an IX or IY instruction; the
// prefix before any other opcode changes nothing.
bool UsesIndex(int n) {
  if (n == 0x76) return false;  // halt
  const int x = n >> 6, y = (n >> 3) & 7, z = n & 7;
  if (x == 1) return y == 4 || y == 5 || y == 6 || z == 4 || z == 5 || z == 6;
  if (x == 2) return z == 4 || z == 5 || z == 6;
  switch (n) {
    case 0x09: case 0x19: case 0x29: case 0x39: case 0x21: case 0x22: case 0x2A:
    case 0x23: case 0x2B: case 0x24: case 0x25: case 0x26: case 0x2C: case 0x2D:
    case 0x2E: case 0x34: case 0x35: case 0x36: case 0xE1: case 0xE3: case 0xE5:
    case 0xE9: case 0xF9:
      return true;
    default:
      return false;
  }
}

// The unprefixed text with HL, H, L and (HL) replaced by their index forms;
// an instruction with (HL) keeps its plain H and L.
std::string Indexed(int n) {
  if (n == 0xE9) return "jp   (I?)";
  const std::string plain = Unprefixed(n);
  const bool memory = plain.find("(hl)") != std::string::npos;
  const size_t start = plain.size() > 5 ? 5 : plain.size();
  std::string text = plain.substr(0, start), operand;
  auto flush = [&] {
    if (memory)
      text += operand == "(hl)" ? "(i?)" : operand;
    else if (operand == "hl")
      text += "i?";
    else if (operand == "h" || operand == "l")
      text += "i?" + operand;
    else
      text += operand;
    operand.clear();
  };
  for (size_t i = start; i < plain.size(); ++i) {
    if (plain[i] == ',') {
      flush();
      text += ',';
    } else {
      operand += plain[i];
    }
  }
  flush();
  return text;
}

std::string IndexPage(int n) {
  if (n == 0xCB || n == 0xDD || n == 0xED || n == 0xFD) return "%p%" + Data(n);
  return UsesIndex(n) ? Indexed(n) : "%p%" + Unprefixed(n);
}

std::string IndexCbPage(int n) {
  const int x = n >> 6, y = (n >> 3) & 7, z = n & 7;
  // Rotates, RES and SET also copy the result into a register unless the
  // register field is 6; BIT only reads.
  const std::string copy = z == 6 || x == 1 ? "" : std::string(",") + R[z];
  if (x == 0) return Op(ROT[y], "(i?)" + copy);
  static const char* const bits[4] = {"", "bit", "res", "set"};
  return Op(bits[x], std::to_string(y) + ",(i?)" + copy);
}

}  // namespace

void BuildZ80Templates(std::string (&records)[Z80TemplateCount]) {
  for (int n = 0; n < 256; ++n) {
    records[n] = Unprefixed(n);
    records[256 + n] = CbPage(n);
    records[512 + n] = EdPage(n);
    records[768 + n] = IndexPage(n);
    records[1024 + n] = IndexCbPage(n);
  }
}
