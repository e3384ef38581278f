// Cartridge images loaded from real files and zip archives.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "base/program_dir.h"
#include "machine/cartridge.h"
#include "machine/cartridge_files.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"

namespace {

constexpr uint32_t Bank = 0x4000;

class CartridgeLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder();
    ASSERT_FALSE(folder_.empty());
    MachineOptions = OptInitial;
    ASSERT_TRUE(CreateConsoles());
  }
  void TearDown() override {
    DestroyConsoles();
    ResetProgramDirectory();
    ResetConsoleState();
    MachineOptions = OptInitial;
    RemoveFolder(folder_);
  }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = Path(name);
    EXPECT_TRUE(WriteFile(path, bytes));
    return path;
  }
  // A known cartridge to fall back on: 2 banks, Master System.
  void LoadPrevious() {
    previous_ = PatternBytes(2 * Bank, 5);
    ASSERT_TRUE(LoadCartridge(Write("previous.sms", previous_).c_str()));
  }
  void ExpectPreviousInstalled() {
    EXPECT_EQ(CartName, "previous.sms");
    EXPECT_EQ(ConsoleKind, 1);
    ASSERT_EQ(CartSize, 2 * Bank);
    EXPECT_EQ(CartBanks, 2u);
    ASSERT_NE(CartImage, nullptr);
    EXPECT_EQ(std::memcmp(CartImage, previous_.data(), CartSize), 0);
    EXPECT_FALSE(CartUnloaded);
  }

  std::string folder_;
  std::vector<uint8_t> previous_;
};

TEST(CartridgeExtension, KnownExtensionsAnyCaseAndLongerOnes) {
  for (const char* name : {"a.sms", "A.SMS", "x.gg", "dir.v1/x.Gg", "y.nes", "z.gba", "game.SMSX", "b.GBAbc"})
    EXPECT_TRUE(HasImageExtension(name)) << name;
  for (const char* name : {"readme.txt", "game", "game.sm", "game.zip", "sms.", "game.g", ".s"})
    EXPECT_FALSE(HasImageExtension(name)) << name;
}

TEST_F(CartridgeLoad, StartsWithAnEmptyBankOfZeros) {
  ASSERT_NE(CartImage, nullptr);
  EXPECT_EQ(CartSize, Bank);
  EXPECT_EQ(CartBanks, 1u);
  EXPECT_EQ(ChrBanks, 1u);
  EXPECT_EQ(CartImage[0], 0);
  EXPECT_EQ(PrimaryMachine.CartRam, CartRamBuffers[0]);
  EXPECT_EQ(PartnerMachine.CartRam, CartRamBuffers[1]);
}

TEST_F(CartridgeLoad, CopierHeaderIsStrippedAndMasterSystemGroupSet) {
  std::vector<uint8_t> file = PatternBytes(262656);
  ASSERT_TRUE(LoadCartridge(Write("game.sms", file).c_str()));
  EXPECT_EQ(CartSize, 16 * Bank);
  EXPECT_EQ(CartBanks, 16u);
  EXPECT_EQ(CartImage[0], file[512]);
  EXPECT_EQ(std::memcmp(CartImage, file.data() + 512, CartSize), 0);
  // The three bytes behind the image repeat its start.
  EXPECT_EQ(std::memcmp(CartImage + CartSize, CartImage, 3), 0);
  EXPECT_EQ(MachineOptions & OptSystemGroup, OptMasterSystemGroup);
  EXPECT_EQ(CartName, "game.sms");
  EXPECT_EQ(ConsoleKind, 1);
  EXPECT_FALSE(CartUnloaded);
}

TEST_F(CartridgeLoad, ShortImageIsPaddedToWholeBanksAsGameGear) {
  MachineOptions |= OptPalLines | OptJapanese;
  MachineOptions &= ~OptNtscRate;
  std::vector<uint8_t> file = PatternBytes(40000);
  ASSERT_TRUE(LoadCartridge(Write("game.gg", file).c_str()));
  EXPECT_EQ(CartSize, 49152u);
  EXPECT_EQ(CartBanks, 3u);
  EXPECT_EQ(std::memcmp(CartImage, file.data(), file.size()), 0);
  for (uint32_t i = 40000; i < 49152; ++i) ASSERT_EQ(CartImage[i], 0) << i;
  EXPECT_EQ(MachineOptions & OptSystemGroup, OptGameGearGroup);
  // Only the system group changes.
  EXPECT_TRUE(MachineOptions & OptPalLines);
  EXPECT_TRUE(MachineOptions & OptJapanese);
  EXPECT_EQ(FrameRate, 50);
  EXPECT_EQ(SamplesPerFrame, 882);
  EXPECT_EQ(PrimaryMachine.CyclesPerFrame, 313u * 228);
}

TEST_F(CartridgeLoad, ZipInstallsTheFirstImageMemberUnderItsOwnName) {
  std::vector<uint8_t> game = PatternBytes(Bank, 9);
  std::string zip = Path("pack.zip");
  ASSERT_TRUE(WriteZip(zip, {{"readme.txt", PatternBytes(100)},
                             {"empty.sms", {}},
                             {"game.SMS", game},
                             {"other.gg", PatternBytes(Bank, 3)}}));
  ASSERT_TRUE(LoadCartridge(zip.c_str()));
  EXPECT_EQ(CartName, "game.SMS");
  EXPECT_EQ(CartSize, Bank);
  EXPECT_EQ(std::memcmp(CartImage, game.data(), Bank), 0);
  EXPECT_EQ(MachineOptions & OptSystemGroup, OptMasterSystemGroup);
}

TEST_F(CartridgeLoad, ZipMemberInAFolderIsNamedWithoutIt) {
  std::string zip = Path("pack.zip");
  ASSERT_TRUE(WriteZip(zip, {{"../roms/deep/game.gg", PatternBytes(Bank)}}));
  ASSERT_TRUE(LoadCartridge(zip.c_str()));
  EXPECT_EQ(CartName, "game.gg");
}

TEST_F(CartridgeLoad, NesImageRoundsCharacterBanksAndReportsTheHeader) {
  std::vector<std::string> lines;
  static std::vector<std::string>* sink;
  sink = &lines;
  ConsoleMessageHook = [](const char* text) { sink->push_back(text); };
  std::vector<uint8_t> file = {'N', 'E', 'S', 0x1A, 2, 3, 0x13, 0x40, 0, 0, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> prg = PatternBytes(2 * Bank, 1), chr = PatternBytes(3 * 0x2000, 2);
  file.insert(file.end(), prg.begin(), prg.end());
  file.insert(file.end(), chr.begin(), chr.end());
  ASSERT_TRUE(LoadCartridge(Write("game.nes", file).c_str()));
  EXPECT_EQ(ConsoleKind, 2);
  EXPECT_EQ(CartBanks, 2u);
  EXPECT_EQ(CartSize, 2 * Bank);
  EXPECT_EQ(std::memcmp(CartImage, prg.data(), CartSize), 0);
  EXPECT_EQ(ChrBanks, 4u);
  EXPECT_EQ(ChrSize, 3u * 0x2000);
  EXPECT_EQ(std::memcmp(ChrImage, chr.data(), ChrSize), 0);
  for (uint32_t i = ChrSize; i < 4 * 0x2000; ++i) ASSERT_EQ(ChrImage[i], 0);
  EXPECT_EQ(NesMapper, 0x41);
  EXPECT_EQ(NesFlags, 0x13);
  std::vector<std::string> expected = {"NES header:", "16k PRG banks: 2", " 8k CHR banks: 3",
                                       "       Mapper: 65", "SRAM enabled", "Vertical mirroring", ""};
  EXPECT_EQ(lines, expected);
}

TEST_F(CartridgeLoad, TruncatedNesImageIsZeroFilled) {
  // Claims 4 PRG banks and 8 CHR banks with a trainer, holds 100 bytes.
  std::vector<uint8_t> file(100, 0xAB);
  const uint8_t header[] = {'N', 'E', 'S', 0x1A, 4, 8, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::memcpy(file.data(), header, sizeof header);
  ASSERT_TRUE(LoadCartridge(Write("cut.nes", file).c_str()));
  EXPECT_EQ(CartSize, 4 * Bank);
  EXPECT_EQ(CartImage[0], 0);  // the trainer and the PRG data lie past the end
  EXPECT_EQ(ChrBanks, 8u);
}

TEST_F(CartridgeLoad, GbaImageSizeRoundsToAPowerOfTwo) {
  ASSERT_TRUE(LoadCartridge(Write("game.gba", PatternBytes(1536 * 1024)).c_str()));
  EXPECT_EQ(ConsoleKind, 3);
  EXPECT_EQ(CartSize, 2048u * 1024);
  EXPECT_EQ(CartBanks, 128u);
  EXPECT_EQ(CartImage[1536 * 1024], 0);
  ASSERT_TRUE(LoadCartridge(Write("exact.gba", PatternBytes(1024 * 1024)).c_str()));
  EXPECT_EQ(CartSize, 1024u * 1024);
}

TEST_F(CartridgeLoad, HeaderOnlyImageStillGetsOneBank) {
  ASSERT_TRUE(LoadCartridge(Write("header.sms", PatternBytes(512)).c_str()));
  EXPECT_EQ(CartBanks, 1u);
  EXPECT_EQ(CartSize, Bank);
  RunConsoleFrame(true, true);
}

TEST_F(CartridgeLoad, InstallImageIgnoresTinyAndOversizedLengths) {
  LoadPrevious();
  uint8_t few[4] = {1, 2, 3, 4};
  InstallImage(4, few, "previous.sms");
  ExpectPreviousInstalled();
  // The length alone decides: the bytes behind it are never read.
  InstallImage(0x90000000u, few, "previous.sms");
  ExpectPreviousInstalled();
}

TEST_F(CartridgeLoad, FailedLoadsKeepThePreviousCartridge) {
  LoadPrevious();
  std::string tiny = Write("tiny.sms", {1, 2, 3});
  std::string four = Write("four.gg", {1, 2, 3, 4});
  std::string corrupt = Write("bad.zip", PatternBytes(3000));
  std::string no_rom = Path("docs.zip");
  ASSERT_TRUE(WriteZip(no_rom, {{"readme.txt", PatternBytes(50)}, {"empty.gg", {}}}));
  std::string tiny_member = Path("tiny.zip");
  ASSERT_TRUE(WriteZip(tiny_member, {{"x.sms", {1, 2}}}));
  // A zip whose member's data is damaged fails its CRC.
  std::string damaged = Path("damaged.zip");
  std::vector<uint8_t> member(3 * Bank, 0x55);
  ASSERT_TRUE(WriteZip(damaged, {{"game.sms", member}}));
  std::vector<uint8_t> bytes = ReadFile(damaged);
  bytes[60] ^= 0xFF;
  ASSERT_TRUE(WriteFile(damaged, bytes));
  std::string truncated = Path("truncated.sms");
  ASSERT_TRUE(WriteFile(truncated, PatternBytes(Bank)));
  ASSERT_EQ(truncate(truncated.c_str(), (64u << 20) + 1), 0);  // sparse: over the limit
  ASSERT_EQ(mkdir(Path("folder.sms").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(Path("pipe.sms").c_str(), 0644), 0);

  for (const std::string& path : {tiny, four, corrupt, no_rom, tiny_member, damaged, truncated,
                                  Path("folder.sms"), Path("pipe.sms"), Path("missing.sms")}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(LoadCartridge(path.c_str()));
    ExpectPreviousInstalled();
  }
  RunConsoleFrame(true, true);  // still a runnable machine
}

TEST_F(CartridgeLoad, UnreadableFileFails) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop reading";
  LoadPrevious();
  std::string locked = Write("locked.sms", PatternBytes(Bank));
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  EXPECT_FALSE(LoadCartridge(locked.c_str()));
  ExpectPreviousInstalled();
}

TEST_F(CartridgeLoad, EmptyFileCountsAsLoadedAndChangesNothing) {
  LoadPrevious();
  PrimaryMachine.CartRam[10] = 0x77;
  EXPECT_TRUE(LoadCartridge(Write("empty.sms", {}).c_str()));
  ExpectPreviousInstalled();
  EXPECT_EQ(PrimaryMachine.CartRam[10], 0x77);  // the running game's RAM is not reloaded
}

TEST_F(CartridgeLoad, CartridgeRamIsSavedOnUnloadAndLoadedByName) {
  SetProgramDirectory(folder_);
  ASSERT_TRUE(CreateWorkingFolders());
  std::string zip = Path("pack.zip");
  ASSERT_TRUE(WriteZip(zip, {{"readme.txt", PatternBytes(10)}, {"game.SMS", PatternBytes(Bank)}}));
  ASSERT_TRUE(LoadCartridge(zip.c_str()));
  HardResetConsole();
  PrimaryMachine.SramDirty = 1;
  PrimaryMachine.CartRam[0] = 0x42;
  PrimaryMachine.CartRam[CartRamSize - 1] = 0x24;
  LoadPrevious();  // unloads game.SMS
  std::vector<uint8_t> saved = ReadFile(folder_ + "/SRAM/game.SMS.sram");
  ASSERT_EQ(saved.size(), size_t{CartRamSize});
  EXPECT_EQ(saved[0], 0x42);
  EXPECT_EQ(saved[CartRamSize - 1], 0x24);
  EXPECT_EQ(PrimaryMachine.CartRam[0], 0);  // previous.sms has no RAM file
  ASSERT_TRUE(LoadCartridge(zip.c_str()));
  EXPECT_EQ(PrimaryMachine.CartRam[0], 0x42);
  // A failed load leaves the RAM of the running game alone.
  EXPECT_FALSE(LoadCartridge(Path("missing.sms").c_str()));
  EXPECT_EQ(PrimaryMachine.CartRam[0], 0x42);
}

TEST_F(CartridgeLoad, UnloadSavesOnlyOnce) {
  SetProgramDirectory(folder_);
  ASSERT_TRUE(CreateWorkingFolders());
  LoadPrevious();
  PrimaryMachine.SramDirty = 1;
  UnloadCartridge();
  EXPECT_TRUE(CartUnloaded);
  EXPECT_EQ(CartImage, nullptr);
  std::string file = folder_ + "/SRAM/previous.sms.sram";
  ASSERT_EQ(unlink(file.c_str()), 0);
  UnloadCartridge();
  DestroyCartridgeBuffers();
  EXPECT_NE(access(file.c_str(), F_OK), 0);
  EXPECT_TRUE(CreateCartridgeBuffers());
}

}  // namespace
