// The SDSC console run by a cartridge of our own that prints every control
// code, format and data type through ports $FC/$FD, and the SDSC tag.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "debugger/debugger_hooks.h"
#include "debugger/debugger_state.h"
#include "debugger/sdsc.h"
#include "lumo/messages.h"
#include "lumo/surface.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "z80/z80.h"

namespace {

std::vector<std::string> LinesLeft, Transcript;
void RecordLine(const std::string& text) { LinesLeft.push_back(text); }
void RecordTranscript(const std::string& text) { Transcript.push_back(text); }

class SdscConsole : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetConsole();
    ResetMessages();
    LinesLeft.clear();
    Transcript.clear();
    ConsoleLineHook = RecordLine;
    ConsoleTranscriptHook = RecordTranscript;
    MachineOptions = OptInitial;
    ASSERT_TRUE(CreateConsoles());
    ConnectDebuggerHooks();
  }
  void TearDown() override {
    DisconnectDebuggerHooks();
    DestroyConsoles();
    ConsoleLineHook = nullptr;
    ConsoleTranscriptHook = nullptr;
    ConsoleBreakHook = EnterBreakState;
    BreakState = false;
    MachineOptions = OptInitial;
    ResetConsole();
  }
  void RunRom(const char* name, int frames) {
    ASSERT_TRUE(LoadCartridge((std::string(TAVO_ROM_DIR "/") + name).c_str()));
    HardResetConsole();
    for (int i = 0; i < frames; ++i) RunConsoleFrame(false, false);
  }
  static void Send(const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) ConsoleData(b);
  }
  static std::string Row(int row) { return ConsoleRowText(row); }
};

const std::string Ws(int n) { return std::string(size_t(n), 'W'); }

TEST_F(SdscConsole, TheCartridgePrintsEveryFormatWrapsScrollsAndMovesTheCursor) {
  RunRom("sdsc_console.sms", 3);
  // Four rows scrolled off the top, in order.
  EXPECT_EQ(Transcript, (std::vector<std::string>{"P:100% done", "E:A[ERROR]B",
                                                   "X:002A 2a 234  1234     -2 0000", "R:00 BEEF"}));
  EXPECT_EQ(Row(0), "V:HELLO 0045 00110101 3F");
  EXPECT_EQ(Row(1), "M:Tavo");
  EXPECT_EQ(Row(2), "F:[ERROR][ERROR][ERROR][ERROR][ERROR][ERROR]   |");
  EXPECT_EQ(Row(3), "C:X[?][?]");
  EXPECT_EQ(Row(4), "K:[ERROR]Z");
  // The 81st character wrapped; the cursor move 4, 30, 100 put "*" on row 5
  // (30 mod 25), column 20 (100 mod 80).
  EXPECT_EQ(Row(5), Ws(20) + "*" + Ws(59));
  EXPECT_EQ(Row(6), "W");
  for (int n = 11; n <= 27; ++n) EXPECT_EQ(Row(n - 4), "S:" + std::to_string(n));
  EXPECT_EQ(Row(24), "");
  EXPECT_EQ(Console.cursor_row, 5);
  EXPECT_EQ(Console.cursor_col, 21);
  // Clear screen set the attribute to $0F; control code 3 gave "Z" $1E.
  EXPECT_EQ(Console.attrs[4 * ConsoleColumns + 9], 0x1E);
  EXPECT_EQ(Console.attrs[4 * ConsoleColumns + 8], 0x0F);
  EXPECT_EQ(Console.attr, 0x0F);
  // Rows are reported as the cursor leaves them: by line feed, by wrapping,
  // and by the cursor move away from row 24.
  ASSERT_GE(LinesLeft.size(), 29u);
  EXPECT_EQ(LinesLeft[0], "P:100% done");
  EXPECT_EQ(LinesLeft[8], "K:[ERROR]Z");
  EXPECT_EQ(LinesLeft[9], Ws(80));
  EXPECT_EQ(LinesLeft[10], "W");
  EXPECT_EQ(LinesLeft[27], "S:27");
  EXPECT_EQ(LinesLeft.back(), "");

  // A clear hands the screen to the transcript down to its last text.
  Transcript.clear();
  ConsoleControl(2);
  ASSERT_EQ(Transcript.size(), 24u);
  EXPECT_EQ(Transcript.front(), "V:HELLO 0045 00110101 3F");
  EXPECT_EQ(Transcript.back(), "S:27");
  EXPECT_EQ(Row(5), "");
  EXPECT_EQ(Console.cursor_row, 0);
}

TEST_F(SdscConsole, RegistersByNumberAndFormatEdgeCases) {
  Z80Regs.bc = 0x1234, Z80Regs.de = 0x5678, Z80Regs.hl = 0x9ABC, Z80Regs.af = 0xDEF0;
  Z80Regs.pc = 0x0102, Z80Regs.sp = 0xDFF0, Z80Regs.ix = 0x1111, Z80Regs.iy = 0x2222;
  Z80Regs.r = 0x33, Z80Regs.i = 0x44;
  const char* expected[18] = {"12", "34", "56", "78", "9A", "BC", "F0", "DE", "0102",
                              "DFF0", "1111", "2222", "1234", "5678", "9ABC", "DEF0", "33", "44"};
  for (uint8_t n = 0; n < 18; ++n) {
    SCOPED_TRACE(int(n));
    ResetConsole();
    Send({'%', n < 8 || n > 15 ? uint8_t('2') : uint8_t('4'), 'X', 'p', 'r', n});
    EXPECT_EQ(Row(0), expected[n]);
  }
  ResetConsole();
  // Signed and unsigned, blank padding; binary from the highest set bit.
  Send({'%', '6', 'd', 'p', 'r', 15, '|', '%', '3', 'u', 'p', 'r', 7, '|', '%', '9', 'b', 'p', 'r', 16});
  EXPECT_EQ(Row(0), " -8464|222|000110011");
  // A width held above the limit stays an error, however many digits follow.
  ResetConsole();
  Send({'%', '6', '5', '5', '3', '7', 'X'});
  EXPECT_EQ(Row(0), "[ERROR]");
  EXPECT_EQ(Console.data_state, 0);
}

TEST_F(SdscConsole, ControlCodeOneBreaksIntoTheDebugger) {
  RunRom("sdsc_console.sms", 1);
  const ConsoleState before = Console;
  BreakState = false;
  ConsoleControl(1);
  EXPECT_TRUE(BreakState);
  BreakState = false;
  ConsoleBreakHook = nullptr;  // the headless runner's choice: ignored
  ConsoleControl(1);
  EXPECT_FALSE(BreakState);
  EXPECT_EQ(std::memcmp(&before, &Console, sizeof Console), 0);  // nothing printed
}

TEST_F(SdscConsole, StateBlockRoundTripAndRefusals) {
  RunRom("sdsc_console.sms", 3);
  uint8_t block[ConsoleStateSize], again[ConsoleStateSize];
  WriteConsoleBlock(block);
  const ConsoleState saved = Console;
  ASSERT_TRUE(CheckConsoleBlock(block));
  ResetConsole();
  ReadConsoleBlock(block);
  WriteConsoleBlock(again);
  EXPECT_EQ(std::memcmp(block, again, ConsoleStateSize), 0);
  EXPECT_EQ(std::memcmp(&saved, &Console, sizeof Console), 0);
  // Field order: the cursor follows the two planes, the format letter ends it.
  EXPECT_EQ(block[4000], 21);
  EXPECT_EQ(block[4001], 5);
  EXPECT_EQ(block[4002], 0x0F);

  auto refused = [&](int at, uint8_t value) {
    uint8_t bad[ConsoleStateSize];
    std::memcpy(bad, block, sizeof bad);
    bad[at] = value;
    return !CheckConsoleBlock(bad);
  };
  EXPECT_TRUE(refused(4000, 80));   // column
  EXPECT_TRUE(refused(4001, 25));   // row
  EXPECT_TRUE(refused(4003, 4));    // control state
  EXPECT_TRUE(refused(4005, 7));    // data state
  EXPECT_TRUE(refused(17, 0x07));   // a character the console never stores
  EXPECT_TRUE(refused(17, 0x80));
  EXPECT_FALSE(refused(17, 0x7F));
  EXPECT_FALSE(refused(2017, 0xFF));  // any attribute
}

TEST_F(SdscConsole, TagIsReadAndShownLineByLine) {
  RunRom("sdsc_console.sms", 0);
  SdscTag tag;
  ASSERT_TRUE(ReadSdscTag(&tag));
  EXPECT_EQ(tag.major, 1);
  EXPECT_EQ(tag.minor, 2);
  EXPECT_EQ(tag.author, "Tavo tests");
  EXPECT_EQ(tag.name, "SDSC console\ntest");  // carriage return -> line feed
  EXPECT_EQ(tag.description, "");             // offset $FFF0: no text
  ShowSdscTag();
  const char* expected[] = {"SDSC Tag found.",          "  Name:        SDSC console",
                            "test",                     "  Author:      Tavo tests",
                            "  Date:        24.12.2023", "  Version:     1.02",
                            "  Description: "};
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(MessageLines[MessageLineCount - 7 + i], expected[i]);

  // Offsets past the image name no text; a text running to the image's end
  // stops there. BCD digits above 9 are taken modulo 10.
  std::vector<uint8_t> image(0x8000, 0);
  std::memcpy(&image[0x7FE0], "SDSC", 4);
  image[0x7FE4] = 0x1C;
  image[0x7FEA] = 0x00, image[0x7FEB] = 0x90;  // author beyond 32 KB
  image[0x7FEC] = 0xFC, image[0x7FED] = 0x7F;  // name from $7FFC to the end
  std::memcpy(&image[0x7FFC], "ABCD", 4);
  InstallImage(uint32_t(image.size()), image.data(), "tag.sms");
  ASSERT_TRUE(ReadSdscTag(&tag));
  EXPECT_EQ(tag.major, 12);
  EXPECT_EQ(tag.author, "");
  EXPECT_EQ(tag.name, "ABCD");
  image.resize(0x4000);
  InstallImage(uint32_t(image.size()), image.data(), "small.sms");
  EXPECT_FALSE(ReadSdscTag(&tag));
}

struct Glyph {
  int x, y;
  uint8_t c;
  uint32_t pixel;
};

TEST_F(SdscConsole, DrawingFillsCellsAndHandsGlyphsToTheFont) {
  RunRom("sdsc_console.sms", 3);
  Surface* target = CreateSurface(ConsoleColumns * ConsoleCellWidth, ConsoleRows * ConsoleCellHeight, 16, 0);
  ASSERT_NE(target, nullptr);
  std::vector<Glyph> glyphs;
  auto draw = [](void* context, Surface*, int x, int y, uint8_t c, uint32_t pixel) {
    static_cast<std::vector<Glyph>*>(context)->push_back({x, y, c, pixel});
  };
  ConsoleChanged = true;
  DrawConsole(target, 0, 0, draw, &glyphs);
  EXPECT_FALSE(ConsoleChanged);
  // "Z" on row 4, column 9: yellow ($FFFF40) on dark blue ($0000C0).
  const uint32_t yellow = ColorToPixel(target->format, 0xFF, 0xFF, 0x40);
  const uint32_t blue = ColorToPixel(target->format, 0, 0, 0xC0);
  bool found = false;
  for (const Glyph& g : glyphs)
    if (g.x == 9 * 7 && g.y == 4 * 9) found = g.c == 'Z' && g.pixel == yellow;
  EXPECT_TRUE(found);
  const uint8_t* cell = target->pixels + (4 * 9 + 8) * target->pitch + (9 * 7 + 6) * 2;
  EXPECT_EQ(uint32_t(cell[0] | cell[1] << 8), blue);
  // Blanks and empty cells draw no glyph.
  for (const Glyph& g : glyphs) EXPECT_GT(g.c, ' ');
  DestroySurface(target);
}

}  // namespace
