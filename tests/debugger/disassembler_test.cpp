// The disassembler against two sources that do not share its tables: the
// Z80 core, which must advance the PC by the reported length for every
// instruction form, and z80asm, which must assemble the shown text of every
// documented instruction back to the same bytes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "debugger/z80_sandbox.h"

namespace {

constexpr uint16_t Code = 0x8000;

struct Form {
  std::vector<uint8_t> bytes;  // prefix(es), displacement of DD CB forms, opcode
  int record;
};

// Every record the disassembler can reach: the prefix bytes of the main,
// DD and FD tables start other records instead of their own.
std::vector<Form> EveryReachableRecord() {
  std::vector<Form> forms;
  for (int n = 0; n < 256; ++n) {
    if (n != 0xCB && n != 0xDD && n != 0xED && n != 0xFD) forms.push_back({{uint8_t(n)}, n});
    forms.push_back({{0xCB, uint8_t(n)}, 256 + n});
    forms.push_back({{0xED, uint8_t(n)}, 512 + n});
    for (uint8_t prefix : {0xDD, 0xFD}) {
      if (n != 0xCB) forms.push_back({{prefix, uint8_t(n)}, 768 + n});
      forms.push_back({{prefix, 0xCB, 0x05, uint8_t(n)}, 1024 + n});
    }
  }
  return forms;
}

class Disassembler : public Z80Sandbox {
 protected:
  struct Outcome {
    uint32_t pc;
    uint16_t sp, pushed;
  };
  // Runs the form once from Code with operand bytes $40 after it: every
  // absolute target is then $4040 and every relative one lies $40 past the
  // instruction, never where the instruction ends.
  Outcome Execute(const Form& form, uint8_t flags, uint16_t bc) {
    std::vector<uint8_t> bytes = form.bytes;
    bytes.insert(bytes.end(), 6, 0x40);
    Poke(Code, bytes);
    Poke(0x6000, {0x00, 0x30});  // what a return pops
    Z80Regs = {};
    Z80Halted = 0;  // a HALT before leaves the core halted
    EiWatch = 0;
    Z80Regs.af = uint16_t(0x1200 | flags);
    Z80Regs.bc = bc;
    Z80Regs.de = 0x5000;
    Z80Regs.hl = 0x4000;
    Z80Regs.ix = 0x4800;
    Z80Regs.iy = 0x4C00;
    Z80Regs.sp = 0x6000;
    Z80Regs.pc = Code;
    Z80Regs.im = 1;
    // Asserted with data 0 but masked: no interrupt is taken, and an EI
    // runs alone on this budget like every other instruction.
    IrqLine = 0;
    CycleCounter = 1;
    Z80Run();
    return {Z80Regs.pc, Z80Regs.sp, uint16_t(memory_[0x5FFE] | memory_[0x5FFF] << 8)};
  }
};

// Instructions whose execution never shows where they end: the documented
// length of the final opcode, one byte more per prefix.
int DocumentedJumpLength(const Form& form) {
  const uint8_t last = form.bytes.back();
  const int prefixes = int(form.bytes.size()) - 1;
  if (form.record >= 512 && form.record < 768) return (last & 0xC7) == 0x45 ? 2 : 0;  // retn, reti
  if (form.record >= 256 && form.record < 512) return 0;
  switch (last) {
    case 0xC3: return 3 + prefixes;  // jp nn
    case 0xC9: return 1 + prefixes;  // ret
    case 0xE9: return 1 + prefixes;  // jp (hl) / (ix) / (iy)
    case 0x76: return 1 + prefixes;  // halt
    default: return 0;
  }
}

TEST_F(Disassembler, EveryLengthIsTheOneTheCoreExecutes) {
  int checked = 0;
  const std::vector<Form> forms = EveryReachableRecord();
  for (const Form& form : forms) {
    SCOPED_TRACE(testing::Message() << "record " << form.record);
    std::vector<uint8_t> bytes = form.bytes;
    bytes.insert(bytes.end(), 6, 0x40);
    Poke(Code, bytes);
    int length = 0;
    const std::string text = Text(Code, &length);
    ASSERT_GE(length, int(form.bytes.size()));
    // A prefix before another prefix is shown as data on its own; the core
    // runs on into the instruction the second prefix starts.
    if (form.record >= 768 && form.record < 1024) {
      const uint8_t second = form.bytes[1];
      if (second == 0xDD || second == 0xED || second == 0xFD) {
        EXPECT_EQ(length, 2);
        EXPECT_EQ(text.substr(0, 8), form.bytes[0] == 0xDD ? ".db  $DD" : ".db  $FD");
        continue;
      }
    }
    const bool relative = std::string(OpcodeTemplate(form.record)).find('+') != std::string::npos;
    bool fell_through = false;
    for (uint8_t flags : {0x00, 0xFF}) {
      for (uint16_t bc : {0x0001, 0x0101}) {  // ends block loops, then DJNZ
        const Outcome out = Execute(form, flags, bc);
        const uint32_t end = Code + length;
        if ((out.pc & 0xFFFF) == end) fell_through = true;
        if (out.sp == 0x5FFE && out.pushed == Code + length) fell_through = true;  // call, rst
        if (relative && (out.pc & 0xFFFF) == end + 0x40) fell_through = true;  // a taken jr, djnz
      }
    }
    if (!fell_through) {
      const int documented = DocumentedJumpLength(form);
      ASSERT_NE(documented, 0) << "'" << text << "' never ended where its length says (" << length << ")";
      EXPECT_EQ(length, documented) << text;
    }
    ++checked;
  }
  // All 1,275 reachable records, the shared DD / FD ones once per prefix,
  // less the six prefix pairs.
  EXPECT_EQ(forms.size(), 1275u + 255 + 256);
  EXPECT_EQ(checked, int(forms.size()) - 6);
}

// Documented instructions only: z80asm does not know SLL, the IXH / IXL
// forms, the DD CB register copies, IN F,(C), OUT (C),0, the ED aliases of
// NEG, RETN, IM and LD (nn),HL, or a prefix shown as data.
bool Documented(int record) {
  const int n = record & 0xFF;
  const std::string t = OpcodeTemplate(record);
  if (t.rfind("%p%", 0) == 0 || t.rfind(".db", 0) == 0) return false;
  if (record < 256) return true;
  if (record < 512) return n < 0x30 || n > 0x37;
  if (record < 768) {
    if (n >= 0xA0) return true;  // the block instructions (the rest are data)
    switch (n & 7) {
      case 0: case 1: return n != 0x70 && n != 0x71;
      case 2: return true;
      case 3: return n != 0x63 && n != 0x6B;
      case 4: return n == 0x44;
      case 5: return n == 0x45 || n == 0x4D;
      case 6: return n == 0x46 || n == 0x56 || n == 0x5E;
      default: return true;
    }
  }
  if (record < 1024) return t.find("i?h") == std::string::npos && t.find("i?l") == std::string::npos;
  return (n & 7) == 6 && n != 0x36;  // (ix+d) forms without the copy, SLL aside
}

TEST_F(Disassembler, DocumentedTextsAssembleBackToTheirBytes) {
  if (std::system("z80asm --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "z80asm is not installed";
  // Every documented form of each table, with positive operands after DD
  // and in DD CB forms and negative ones elsewhere (relative jumps and FD
  // displacements included).
  std::vector<uint8_t> expected;
  std::string source = "\torg $1000\n";
  uint16_t at = 0x1000;
  int count = 0;
  for (const Form& form : EveryReachableRecord()) {
    if (!Documented(form.record)) continue;
    std::vector<uint8_t> bytes = form.bytes;
    const bool positive = bytes[0] == 0xDD;
    if (form.record >= 1024 && !positive) bytes[2] = 0xFB;  // (iy-5)
    for (uint8_t filler : {positive ? 0x34 : 0xF6, 0x12, 0x56, 0x78}) bytes.push_back(filler);
    Poke(at, bytes);
    int length = 0;
    std::string text = Text(at, &length);
    source += "\t" + text + "\n";
    expected.insert(expected.end(), bytes.begin(), bytes.begin() + length);
    at = uint16_t(at + length);
    ++count;
  }
  EXPECT_GT(count, 650);

  char folder[] = "/tmp/tavo_asm_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder;
  std::ofstream(dir + "/texts.asm") << source;
  const std::string command = "z80asm -o " + dir + "/texts.bin " + dir + "/texts.asm 2> " + dir + "/errors.txt";
  const int status = std::system(command.c_str());
  std::ifstream errors(dir + "/errors.txt");
  std::string messages((std::istreambuf_iterator<char>(errors)), std::istreambuf_iterator<char>());
  EXPECT_EQ(status, 0) << messages;
  std::ifstream binary(dir + "/texts.bin", std::ios::binary);
  std::vector<uint8_t> assembled((std::istreambuf_iterator<char>(binary)), std::istreambuf_iterator<char>());
  std::system(("rm -rf " + dir).c_str());
  ASSERT_EQ(assembled.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    ASSERT_EQ(assembled[i], expected[i]) << "at $" << std::hex << 0x1000 + i << "\n" << source;
}

TEST_F(Disassembler, MarkersTakeTheirOperandsInTheFixedOrder) {
  int length = 0;
  // Displacement before immediate, whatever their order in the text.
  Poke(0x100, {0xDD, 0x36, 0x05, 0x20});
  EXPECT_EQ(Text(0x100, &length), "ld   (ix+5),$20");
  EXPECT_EQ(length, 4);
  // DD CB: the displacement is the third byte, shown signed.
  Poke(0x100, {0xDD, 0xCB, 0xFE, 0x46});
  EXPECT_EQ(Text(0x100, &length), "bit  0,(ix-2)");
  EXPECT_EQ(length, 4);
  Poke(0x100, {0xFD, 0xCB, 0x80, 0x16});
  EXPECT_EQ(Text(0x100), "rl   (iy-128)");
  Poke(0x100, {0xFD, 0xCB, 0x7F, 0x10});  // the result also copied to B
  EXPECT_EQ(Text(0x100), "rl   (iy+127),b");
  Poke(0x100, {0xFD, 0x21, 0x34, 0x12});
  EXPECT_EQ(Text(0x100), "ld   iy,$1234");
  Poke(0x100, {0xDD, 0xE9});
  EXPECT_EQ(Text(0x100), "jp   (ix)");
  Poke(0x100, {0xFD, 0x65});
  EXPECT_EQ(Text(0x100), "ld   iyh,iyl");
  Poke(0x100, {0xED, 0x4B, 0x00, 0xC0});
  EXPECT_EQ(Text(0x100), "ld   bc,($C000)");
  Poke(0x100, {0xD3, 0xBE});
  EXPECT_EQ(Text(0x100), "out  ($BE),a");
  // A prefix that starts no instruction is shown as data before the rest.
  Poke(0x100, {0xDD, 0x00});
  EXPECT_EQ(Text(0x100, &length), ".db  $DD\n\tnop");
  EXPECT_EQ(length, 2);
  Poke(0x100, {0xFD, 0x01, 0x34, 0x12});
  EXPECT_EQ(Text(0x100, &length), ".db  $FD\n\tld   bc,$1234");
  EXPECT_EQ(length, 4);
  Poke(0x100, {0xED, 0x00});
  EXPECT_EQ(Text(0x100, &length), ".db  $ED\n\t.db  $00");
  EXPECT_EQ(length, 2);
}

TEST_F(Disassembler, JumpTargetsShowTheirLabels) {
  int length = 0;
  // Relative jumps show their target as absolute ones do.
  Poke(0x0200, {0x18, 0xFE});
  EXPECT_EQ(Text(0x0200, &length), "jr   $200");
  Poke(0x0202, {0x10, 0x7F});
  EXPECT_EQ(Text(0x0202), "djnz $283");
  Poke(0x0280, {0x20, 0x80});  // the farthest back: $282 - 128
  EXPECT_EQ(Text(0x0280), "jr   nz,$202");
  Poke(0x0204, {0xCD, 0x34, 0x12, 0xC2, 0x00, 0x02});
  EXPECT_EQ(Text(0x0204), "call $1234");
  EXPECT_EQ(Text(0x0207), "jp   nz,$200");
  // Labels are keyed by absolute address: the first kilobyte is itself.
  AddLabel(0x0200, "loop");
  AddLabel(0x1234, "Sub");
  EXPECT_EQ(Text(0x0200, &length), "jr   loop");
  EXPECT_EQ(length, 2);
  EXPECT_EQ(Text(0x0204), "call Sub");
  EXPECT_EQ(Text(0x0207), "jp   nz,loop");
  EXPECT_EQ(Text(0x0202), "djnz $283");
  EXPECT_EQ(Text(0x0280), "jr   nz,$202");
  AddLabel(0x0202, "again");
  EXPECT_EQ(Text(0x0280), "jr   nz,again");
  // Markers inside a label name are the name's own text: they neither
  // take operand bytes nor get filled.
  AddLabel(0x1234, "x+i?#*");
  EXPECT_EQ(Text(0x0204, &length), "call x+i?#*");
  EXPECT_EQ(length, 3);
  // A long name is cut with the text; the length stays.
  AddLabel(0x1234, std::string(100, 'n'));
  EXPECT_EQ(Text(0x0204, &length), "call " + std::string(58, 'n'));
  EXPECT_EQ(length, 3);
}

TEST_F(Disassembler, AddressesWrapAndUnmappedPagesReadZero) {
  int length = 0;
  Poke(0xFFFF, {0x3E, 0x99});  // ld a,n across the top of memory
  EXPECT_EQ(Text(0xFFFF, &length), "ld   a,$99");
  EXPECT_EQ(length, 2);
  Poke(0xFFFE, {0x18, 0x00});  // jr +0 lands on $0000
  EXPECT_EQ(Text(0xFFFE), "jr   $0");
  AddLabel(0x0000, "Reset");
  EXPECT_EQ(Text(0xFFFE), "jr   Reset");
  ReadPages[0x30] = nullptr;
  Poke(0x3000, {0x3E, 0x99});
  EXPECT_EQ(Text(0x3000, &length), "nop");
  EXPECT_EQ(length, 1);
  // A small buffer gets a cut, terminated text.
  char small[6];
  Poke(0x100, {0xC3, 0x34, 0x12});
  EXPECT_EQ(DisassembleZ80(0x100, small, sizeof small), 3);
  EXPECT_STREQ(small, "jp   ");
}

TEST_F(Disassembler, AFileOfTheWrongShapeIsRefusedAndTheTableStays) {
  std::ifstream in(TAVO_OPCODES_FILE, std::ios::binary);
  std::vector<uint8_t> good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(good.size(), OpcodeFileSize);
  EXPECT_FALSE(LoadOpcodes("/nonexistent/opcodes.dat"));
  std::vector<uint8_t> bad = good;
  bad.pop_back();
  EXPECT_FALSE(LoadOpcodeTable(bad.data(), bad.size()));
  bad = good;
  bad.push_back(0);
  EXPECT_FALSE(LoadOpcodeTable(bad.data(), bad.size()));
  bad = good;
  std::fill_n(bad.begin() + OpcodeLeadingSize + 64 * 7, 64, 'x');  // no terminator
  EXPECT_FALSE(LoadOpcodeTable(bad.data(), bad.size()));
  bad = good;
  bad[OpcodeLeadingSize + 64 * 1279] = 0x1B;  // an escape character
  EXPECT_FALSE(LoadOpcodeTable(bad.data(), bad.size()));
  EXPECT_STREQ(OpcodeTemplate(0), "nop");
  EXPECT_STREQ(OpcodeTemplate(1279), "set  7,(i?),a");

  // With no texts at all the lengths still follow the prefixes.
  ResetOpcodes();
  int length = 0;
  Poke(0x100, {0xDD, 0xCB, 0x01, 0x06});
  EXPECT_EQ(Text(0x100, &length), "");
  EXPECT_EQ(length, 4);
  Poke(0x100, {0xED, 0x4B});
  Text(0x100, &length);
  EXPECT_EQ(length, 2);
}

}  // namespace
