// Hostile patch, symbol and opcodes.dat files under AddressSanitizer and
// UndefinedBehaviorSanitizer: binary junk, endless lines, bad numbers,
// floods of entries and files that are not files are read without a crash,
// bad lines skipped. Also replays the fuzzing corpora.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "debugger/debug_lists.h"
#include "debugger/disassembler.h"
#include "debugger/patch_file.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"
#include "scratch_folder.h"
#include "z80/z80.h"

namespace {

class HostileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder("hostile");
    ASSERT_FALSE(folder_.empty());
    old_image_ = CartImage;
    old_size_ = CartSize;
    CartImage = image_;
    CartSize = 0x4000;
    ResetDebugLists();
  }
  void TearDown() override {
    CartImage = old_image_;
    CartSize = old_size_;
    ResetDebugLists();
    ResetMessages();
    ResetOpcodes();
    RemoveFolder(folder_);
  }
  std::string File(const std::string& bytes) {
    const std::string path = folder_ + "/input";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  bool Patch(const std::string& bytes, bool* errors = nullptr) {
    bool had_errors = false;
    const bool read = ReadPatchFile(File(bytes).c_str(), false, &had_errors);
    if (errors) *errors = had_errors;
    return read;
  }

  std::string folder_;
  uint8_t image_[0x4000 + 3] = {};
  uint8_t* old_image_;
  uint32_t old_size_;
};

std::string Junk(std::mt19937* random, size_t size) {
  std::string bytes(size, 0);
  for (char& c : bytes) c = static_cast<char>((*random)());
  return bytes;
}

TEST_F(HostileFiles, JunkAndEndlessLinesAreSkipped) {
  std::mt19937 random(11);
  for (size_t size : {1, 2, 255, 256, 257, 4096, 100000}) {
    const std::string junk = Junk(&random, size);
    EXPECT_TRUE(Patch(junk));
    EXPECT_TRUE(ReadSymbolFile(File(junk).c_str()));
  }
  // Junk made of the tokenizer's own characters.
  const char alphabet[] = "\"\";;,,::== \t\r\n$%0123456789ABCDEFGxLABELWBVARBbp";
  for (int round = 0; round < 100; ++round) {
    std::string text(1 + random() % 2000, ' ');
    for (char& c : text) c = alphabet[random() % (sizeof alphabet - 1)];
    Patch(text);
    ReadSymbolFile(File(text).c_str());
  }
  // One line of a megabyte: read 255 characters at a time.
  ResetDebugLists();
  bool errors = false;
  EXPECT_TRUE(Patch("LABEL $10, \"" + std::string(1 << 20, 'a') + "\"", &errors));
  EXPECT_TRUE(errors);
  EXPECT_EQ(LabelCount(), 0);
  EXPECT_TRUE(Patch(std::string(1 << 20, ',') + "\nLABEL $20, ok\n"));
  EXPECT_STREQ(LabelNameAt(0x20), "ok");
}

TEST_F(HostileFiles, BadNumbersMakeSyntaxErrors) {
  for (const char* number : {"$G1", "%102", "12x", "-1", "99999999999", "$100000000", "\"\"", "$ 5", "0x10"}) {
    SCOPED_TRACE(number);
    bool errors = false;
    EXPECT_TRUE(Patch(std::string("BP ") + number + "\n", &errors));
    EXPECT_TRUE(errors);
    EXPECT_EQ(BreakpointCount(), 0);
  }
  bool errors = true;
  EXPECT_TRUE(Patch("BP $\nBP %\nBP $FFFFFFFF\nBP %11\n", &errors));
  EXPECT_FALSE(errors);
  EXPECT_TRUE(HasBreakpoint(0));
  EXPECT_TRUE(HasBreakpoint(0xFFFFFFFF));
  EXPECT_TRUE(HasBreakpoint(3));
  EXPECT_TRUE(ReadSymbolFile(File("1:FFFFFFFFF x\n-1:10 y\n:: : :\n").c_str()));
  EXPECT_EQ(LabelCount(), 0);
}

TEST_F(HostileFiles, FloodsOfEntriesAndPatchesAreRead) {
  std::string text;
  for (int i = 0; i < 50000; ++i)
    text += "LABEL $" + std::to_string(i) + ", \"l" + std::to_string(i) + "\"\nWD $" + std::to_string(i) + "\n";
  text += "ADDR $FFFFFFFF\nWD 1, 2, 3\n";
  EXPECT_TRUE(Patch(text));
  EXPECT_EQ(LabelCount(), 50000);
  // The pointer wraps within the image whatever its value.
  CartImage = nullptr;
  CartSize = 0;
  EXPECT_TRUE(Patch("WB 1, 2\n"));
}

TEST_F(HostileFiles, ThingsThatAreNotFilesAreNotRead) {
  const std::string fifo = folder_ + "/pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
  bool errors;
  EXPECT_FALSE(ReadPatchFile(fifo.c_str(), true, &errors));  // would block if opened for reading
  EXPECT_FALSE(ReadSymbolFile(folder_.c_str()));
  EXPECT_FALSE(ReadPatchFile((folder_ + "/missing").c_str(), true, &errors));
  EXPECT_FALSE(LoadOpcodes(folder_.c_str()));
}

TEST_F(HostileFiles, RandomOpcodeTablesAreRefusedOrDisassembleWithinBounds) {
  static uint8_t memory[0x10000];
  uint8_t* saved[256];
  std::memcpy(saved, ReadPages, sizeof saved);
  for (int page = 0; page < 256; ++page) ReadPages[page] = memory + page * 256;
  std::mt19937 random(5);
  std::vector<uint8_t> table(OpcodeFileSize);
  for (int round = 0; round < 20; ++round) {
    for (uint8_t& b : table) b = static_cast<uint8_t>(random());
    EXPECT_FALSE(LoadOpcodeTable(table.data(), table.size()));
    // Printable, terminated, and otherwise random.
    for (int r = 0; r < OpcodeRecordCount; ++r) {
      uint8_t* record = table.data() + OpcodeLeadingSize + r * OpcodeRecordSize;
      const int length = static_cast<int>(random() % OpcodeRecordSize);
      for (int i = 0; i < OpcodeRecordSize; ++i) record[i] = i < length ? "(i?I#*+%p)\n\t x"[random() % 15] : 0;
    }
    ASSERT_TRUE(LoadOpcodeTable(table.data(), table.size()));
    for (auto& b : memory) b = static_cast<uint8_t>(random());
    for (int a = 0; a < 0x10000; a += 7) {
      char text[DisassemblyTextSize];
      const int length = DisassembleZ80(static_cast<uint16_t>(a), text, sizeof text);
      ASSERT_LT(std::strlen(text), sizeof text);
      ASSERT_GE(length, 1);
      ASSERT_LE(length, 10);
    }
  }
  std::memcpy(ReadPages, saved, sizeof saved);
}

TEST_F(HostileFiles, TheFuzzingCorporaReadCleanly) {
  for (const char* kind : {"patch", "sym"}) {
    const std::string dir = std::string(TAVO_SOURCE_DIR) + "/tests/fuzz/corpus/" + kind;
    DIR* d = opendir(dir.c_str());
    ASSERT_NE(d, nullptr) << dir;
    int files = 0;
    while (dirent* entry = readdir(d)) {
      if (entry->d_name[0] == '.') continue;
      const std::string path = dir + "/" + entry->d_name;
      bool errors;
      if (std::strcmp(kind, "patch") == 0)
        EXPECT_TRUE(ReadPatchFile(path.c_str(), true, &errors));
      else
        EXPECT_TRUE(ReadSymbolFile(path.c_str()));
      ResetDebugLists();
      ++files;
    }
    closedir(d);
    EXPECT_GT(files, 0);
  }
}

}  // namespace
