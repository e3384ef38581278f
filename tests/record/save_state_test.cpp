// Save states: the file layout, the slot files and their messages, exact
// resumption (a state saved at frame 300 and loaded in a fresh run plays the
// next 300 frames as an uninterrupted run does), and refused files leaving
// the machine untouched.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/program_dir.h"
#include "lumo/messages.h"
#include "lumo/surface.h"
#include "machine/cartridge_files.h"
#include "machine/ports.h"
#include "record/save_state.h"
#include "record/screenshot.h"
#include "record/state_support.h"

namespace {

const std::string Demo = TAVO_ROM_DIR "/demo.sms";

// Offsets in a file without link play.
constexpr size_t Block = 20;                       // the primary machine's block
constexpr size_t ConsoleAt = Block + MachineStateBlockSize + 11;
constexpr size_t VdpBlockAt = Block + 41262;
constexpr size_t ExtrasAt = Block + 41029;

class SaveStates : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder();
    ASSERT_FALSE(folder_.empty());
    ResetMessages();
    ResetSaveStates();
  }
  void TearDown() override {
    DestroyConsoles();
    ResetProgramDirectory();
    ResetControllerInput();
    ResetConsole();
    BreakState = false;
    MachineOptions = OptInitial;
    RemoveFolder(folder_);
  }
  std::string folder_;
};

// Frames with picture and sound; both pads press button 1 and start now and
// then so games leave their title screens.
void RunFrames(int first, int count, std::vector<uint8_t>* sound) {
  for (int frame = first; frame < first + count; ++frame) {
    bool press = (frame >= 60 && frame < 66) || (frame >= 400 && frame < 406);
    ControllerInput[0] = ControllerInput[1] = press ? PadButton1 | PadStart : 0;
    RunConsoleFrame(true, true);
    std::vector<uint8_t> samples(size_t(SamplesPerFrame) * 4);
    ReadSoundSamples(samples.data(), uint32_t(samples.size()));
    if (sound) sound->insert(sound->end(), samples.begin(), samples.end());
  }
}

struct Outcome {
  std::vector<uint8_t> picture, sound, cart_ram;
};

Outcome Finish(std::vector<uint8_t> sound) {
  Outcome out;
  out.sound = std::move(sound);
  if (Surface* picture = CopyEmulatedPicture()) {
    out.picture.assign(picture->pixels, picture->pixels + picture->pitch * picture->height);
    DestroySurface(picture);
  }
  for (const Machine* m : {&PrimaryMachine, &PartnerMachine})
    out.cart_ram.insert(out.cart_ram.end(), m->CartRam, m->CartRam + CartRamSize);
  return out;
}

// 600 frames straight, against 300 frames, a state, a fresh run, the state
// loaded and 300 frames more.
void ExpectExactResumption(const std::string& rom, uint32_t options) {
  SCOPED_TRACE(rom);
  ASSERT_TRUE(StartFresh(rom, options));
  RunFrames(0, 300, nullptr);
  std::vector<uint8_t> sound;
  RunFrames(300, 300, &sound);
  const Outcome straight = Finish(sound);

  ASSERT_TRUE(StartFresh(rom, options));
  RunFrames(0, 300, nullptr);
  std::vector<uint8_t> image;
  BuildStateImage(&image);
  ASSERT_TRUE(StartFresh(rom, options));
  bool break_request = true;
  ASSERT_TRUE(InstallStateImage(image.data(), image.size(), &break_request));
  EXPECT_FALSE(break_request);
  sound.clear();
  RunFrames(300, 300, &sound);
  const Outcome resumed = Finish(sound);
  ASSERT_FALSE(straight.picture.empty());
  EXPECT_TRUE(straight.picture == resumed.picture) << "the picture differs";
  EXPECT_TRUE(straight.sound == resumed.sound) << "the sound differs";
  EXPECT_TRUE(straight.cart_ram == resumed.cart_ram) << "the cartridge RAM differs";
}

TEST_F(SaveStates, LoadedStatesPlayOnExactlyAsAnUninterruptedRun) {
  ExpectExactResumption(Demo, OptInitial);
  // The same cartridge as a Game Gear image, alone and with link play.
  const std::string gg = folder_ + "/demo.gg";
  ASSERT_TRUE(WriteFile(gg, ReadFile(Demo)));
  ExpectExactResumption(gg, OptInitial);
  ExpectExactResumption(gg, OptInitial | OptLink);
  ExpectExactResumption(Demo, (OptInitial & ~OptNtscRate) | OptPalLines);

  std::filesystem::path roms = TAVO_SHARED_DIR "/roms";
  if (!std::filesystem::is_directory(roms)) GTEST_SKIP() << "no shared games at " << roms;
  for (const auto& entry : std::filesystem::directory_iterator(roms))
    if (entry.path().extension() == ".sms") ExpectExactResumption(entry.path().string(), OptInitial);
}

TEST_F(SaveStates, FileLayoutWithAndWithoutLinkPlay) {
  ASSERT_TRUE(StartFresh(Demo, OptInitial));
  RunFrames(0, 50, nullptr);
  std::vector<uint8_t> image;
  BuildStateImage(&image);
  ASSERT_EQ(image.size(), 62328u);
  ASSERT_EQ(StateFileSize, 62328u);
  auto text_at = [&](size_t at, const char* text) {
    return std::memcmp(image.data() + at, text, std::strlen(text)) == 0;
  };
  EXPECT_TRUE(text_at(0, "Tavo State\n[GG/SMS]\n"));
  EXPECT_TRUE(text_at(Block + MachineStateBlockSize, "[CON80x25]\n"));
  EXPECT_TRUE(text_at(ConsoleAt + ConsoleStateSize, "[MISC]\n"));
  EXPECT_EQ(image.back(), 0);
  const uint8_t* b = image.data() + Block;
  EXPECT_EQ(uint32_t(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24), MachineOptions);
  EXPECT_EQ(std::memcmp(b + 4, PrimaryMachine.Ram, MachineRamSize), 0);
  EXPECT_EQ(b[40966], PrimaryMachine.RomBank2);
  EXPECT_EQ(b[40970], PrimaryMachine.IoControl);
  EXPECT_EQ(b[40979 + 12] | b[40979 + 13] << 8, PrimaryMachine.SavedRegisters.pc);
  uint8_t vdp[VdpStateBlockSize];
  VdpWriteStateBlock(&PrimaryMachine.Vdp, vdp);
  EXPECT_EQ(std::memcmp(image.data() + VdpBlockAt, vdp, VdpStateBlockSize), 0);
  uint8_t psg[PsgSaveStateSize];
  PsgWriteStateBlock(&PrimaryMachine.Psg, psg);
  EXPECT_EQ(std::memcmp(b + 58002, psg, PsgSaveStateSize), 0);

  MachineOptions |= OptLink;
  BuildStateImage(&image);
  ASSERT_EQ(image.size(), LinkedStateFileSize);
  EXPECT_TRUE(std::memcmp(image.data() + Block + MachineStateBlockSize, "[GG/SMS2]\n", 10) == 0);
  EXPECT_TRUE(std::memcmp(image.data() + Block + 2 * MachineStateBlockSize + 10, "[CON80x25]\n", 11) == 0);
}

TEST_F(SaveStates, SlotFilesMessagesAndAFailedSaveKeepsTheOldFile) {
  ASSERT_TRUE(StartFresh(Demo, OptInitial));
  // Without a program directory nothing can be written.
  EXPECT_FALSE(SaveState(true));
  EXPECT_STREQ(StatusText, "Couldn't save state as 'demo.sms.st0'.");
  SetProgramDirectory(folder_);
  ASSERT_TRUE(CreateWorkingFolders());
  StateSlot = 9;
  ASSERT_TRUE(SaveState(true));
  EXPECT_STREQ(StatusText, "Saved state as 'demo.sms.st9'.");
  const std::string st9 = folder_ + "/States/demo.sms.st9";
  EXPECT_EQ(ReadFile(st9).size(), StateFileSize);

  StateSlot = 0;
  EXPECT_FALSE(LoadState(true));
  EXPECT_STREQ(StatusText, "Couldn't load state 'demo.sms.st0'.");
  StateSlot = 9;
  RunFrames(0, 20, nullptr);
  ASSERT_TRUE(LoadState(true));
  EXPECT_STREQ(StatusText, "Successfully loaded state 'demo.sms.st9'.");

  // A save that cannot be completed leaves the slot's file as it was.
  const std::vector<uint8_t> before = ReadFile(st9);
  RunFrames(0, 20, nullptr);
  ASSERT_EQ(mkdir((st9 + ".tmp").c_str(), 0755), 0);
  EXPECT_FALSE(SaveState(true));
  EXPECT_STREQ(StatusText, "Couldn't save state as 'demo.sms.st9'.");
  EXPECT_EQ(ReadFile(st9), before);

  // A damaged slot file is refused with the load message.
  std::vector<uint8_t> cut(before.begin(), before.begin() + 1000);
  ASSERT_TRUE(WriteFile(folder_ + "/States/demo.sms.st4", cut));
  StateSlot = 4;
  EXPECT_FALSE(LoadState(true));
  EXPECT_STREQ(StatusText, "Couldn't load state 'demo.sms.st4'.");

  // Without a cartridge name both commands do nothing at all.
  CartName.clear();
  ResetMessages();
  EXPECT_FALSE(SaveState(true));
  EXPECT_FALSE(LoadState(true));
  EXPECT_STREQ(StatusText, "");
}

TEST_F(SaveStates, RefusedFilesChangeNothing) {
  ASSERT_TRUE(StartFresh(Demo, OptInitial));
  RunFrames(0, 120, nullptr);
  std::vector<uint8_t> good, linked;
  MachineOptions |= OptLink;
  BuildStateImage(&linked);
  MachineOptions &= ~OptLink;
  BuildStateImage(&good);
  RunFrames(120, 30, nullptr);  // the machine moves on from the saved state
  const std::vector<uint8_t> before = SnapshotSystem();

  auto refused = [&](std::vector<uint8_t> bytes, const char* what) {
    SCOPED_TRACE(what);
    bool break_request = false;
    EXPECT_FALSE(InstallStateImage(bytes.data(), bytes.size(), &break_request));
    EXPECT_TRUE(SnapshotSystem() == before) << "the machine changed";
  };
  auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> copy = good;
    std::memcpy(copy.data() + at, bytes.data(), bytes.size());
    return copy;
  };
  auto cut = [&](size_t size) { return std::vector<uint8_t>(good.begin(), good.begin() + size); };

  refused({}, "empty");
  refused(cut(11), "magic only");
  refused(patched(10, {' '}), "magic without its line feed");
  refused(cut(Block + 100), "machine block cut");
  refused(cut(ConsoleAt - 11), "no console section");
  refused(cut(ConsoleAt + 100), "console block cut");
  refused(cut(good.size() - 1), "break byte missing");
  std::vector<uint8_t> huge = good;
  huge.resize(LinkedStateFileSize + 1, 0);
  refused(huge, "oversized");
  refused(patched(Block + 1, {0x40}), "unknown option bit");
  refused(patched(Block + 1, {0x14}), "link bit without the partner's block");
  refused(patched(Block + 40964, {200}), "ROM bank beyond the image");
  refused(patched(Block + 40967, {2}), "cartridge RAM bank 2");
  refused(patched(Block + 40971, {228, 0}), "line position 228");
  refused(patched(Block + 40975, {0, 1, 0, 0}), "interrupt line 256");
  refused(patched(Block + 40979 + 28, {3}), "interrupt mode 3");
  refused(patched(Block + 40979 + 26, {2}), "IFF1 2");
  refused(patched(Block + 41010, {0x58, 0xE9, 0, 0}), "frame cycle 59736 of 59736");
  refused(patched(VdpBlockAt + 16464, {200, 0}), "VDP with 200 active lines");
  refused(patched(VdpBlockAt + 16466, {0x06, 0x01}), "VDP on line 262 of 262");
  refused(patched(ConsoleAt + 4001, {25}), "console cursor on row 25");
  refused(patched(good.size() - 1, {2}), "break byte 2");
  refused(patched(ExtrasAt + 4 + 2 + 9 + 8, {16}), "synthesiser volume 16");
  std::vector<uint8_t> partner = linked;
  partner[Block + MachineStateBlockSize + 10] ^= 0x04;
  refused(partner, "the partner's option word differs");
  // A cartridge with fewer banks than the state's ROM slot 1 refuses it too.
  ASSERT_EQ(good[Block + 40965], 1);
  std::vector<uint8_t> one_bank(0x4000, 0);
  InstallImage(uint32_t(one_bank.size()), one_bank.data(), "small.sms");
  HardResetConsole();
  RunFrames(0, 1, nullptr);
  const std::vector<uint8_t> small_before = SnapshotSystem();
  bool break_request;
  EXPECT_FALSE(InstallStateImage(good.data(), good.size(), &break_request));
  EXPECT_TRUE(SnapshotSystem() == small_before);
}

TEST_F(SaveStates, UnknownLinesAreSkippedAndReservedZerosStillLoad) {
  ASSERT_TRUE(StartFresh(Demo, OptInitial));
  RunFrames(0, 60, nullptr);
  std::vector<uint8_t> good;
  BuildStateImage(&good);
  std::vector<uint8_t> noted(good.begin(), good.begin() + ConsoleAt - 11);
  for (char c : std::string("; a note\n")) noted.push_back(uint8_t(c));
  noted.insert(noted.end(), good.begin() + ConsoleAt - 11, good.end());
  bool break_request;
  EXPECT_TRUE(InstallStateImage(noted.data(), noted.size(), &break_request));
  // A block whose reserved bytes are zero (no extras) loads as the fixed
  // fields describe it.
  std::vector<uint8_t> plain = good;
  std::memset(plain.data() + ExtrasAt, 0, 233);
  ASSERT_TRUE(InstallStateImage(plain.data(), plain.size(), &break_request));
  EXPECT_EQ(PrimaryMachine.SavedRegisters.pc,
            uint16_t(good[Block + 40979 + 12] | good[Block + 40979 + 13] << 8));
}

// The halted flag: kept in the reserved bytes; a block from before it marks
// a halted CPU by PC on the HALT.
TEST_F(SaveStates, HaltedFlagAndOldStatesOnAHalt) {
  ASSERT_TRUE(StartFresh(Demo, OptInitial));
  RunFrames(0, 10, nullptr);
  std::vector<uint8_t> image;
  BuildStateImage(&image);
  constexpr size_t PcAt = Block + 40979 + 12;
  constexpr size_t CoreFlagsAt = ExtrasAt + 67;
  image[Block + 4 + 0x100] = 0x76;  // HALT at $C100
  image[PcAt] = 0x00;
  image[PcAt + 1] = 0xC1;
  bool break_request;
  auto load = [&](uint8_t flags, bool zero_extras) {
    std::vector<uint8_t> copy = image;
    copy[CoreFlagsAt] = flags;
    if (zero_extras) std::memset(copy.data() + ExtrasAt, 0, 233);
    EXPECT_TRUE(InstallStateImage(copy.data(), copy.size(), &break_request));
    return std::make_pair(int(PrimaryMachine.SavedHalted), int(PrimaryMachine.SavedRegisters.pc));
  };
  // Written now: PC on a HALT that has not run yet, or a halted CPU.
  EXPECT_EQ(load(0x80, false), std::make_pair(0, 0xC100));
  EXPECT_EQ(load(0x81, false), std::make_pair(1, 0xC100));
  EXPECT_EQ(GetPc(), 0xC0FFu);  // the debugger shows the HALT before PC
  // Written before the flag, with the extras or without any.
  EXPECT_EQ(load(0x00, false), std::make_pair(1, 0xC101));
  EXPECT_EQ(GetPc(), 0xC100u);
  EXPECT_EQ(load(0x00, true), std::make_pair(1, 0xC101));
  // Any other bits: refused.
  std::vector<uint8_t> bad = image;
  bad[CoreFlagsAt] = 0x82;
  EXPECT_FALSE(InstallStateImage(bad.data(), bad.size(), &break_request));
  // Saved halted, loaded halted.
  load(0x81, false);
  std::vector<uint8_t> again;
  BuildStateImage(&again);
  EXPECT_EQ(again[CoreFlagsAt], 0x81);
  // The debugger moving PC wakes the CPU.
  SetPc(0xC000);
  EXPECT_EQ(PrimaryMachine.SavedHalted, 0);
}

TEST_F(SaveStates, OptionWordLinkPlayAndTheBreakState) {
  ASSERT_TRUE(StartFresh(Demo, (OptInitial & ~OptNtscRate) | OptPalLines));
  RunFrames(0, 30, nullptr);
  std::vector<uint8_t> pal;
  BuildStateImage(&pal);
  // Back to NTSC with link play on: the file's option word brings PAL back and
  // turns link play off, leaving the partner as it was.
  MachineOptions = (MachineOptions & ~OptPalLines) | OptNtscRate | OptLink;
  SetupConsoleTiming();
  RunFrames(0, 5, nullptr);
  const std::vector<uint8_t> partner(reinterpret_cast<const uint8_t*>(&PartnerMachine),
                                     reinterpret_cast<const uint8_t*>(&PartnerMachine + 1));
  bool break_request;
  ASSERT_TRUE(InstallStateImage(pal.data(), pal.size(), &break_request));
  EXPECT_TRUE(MachineOptions & OptPalLines);
  EXPECT_FALSE(MachineOptions & OptLink);
  EXPECT_EQ(FrameRate, 50);
  EXPECT_EQ(SamplesPerFrame, 882);
  EXPECT_EQ(PrimaryMachine.Vdp.lines_per_frame, 313);
  EXPECT_TRUE(std::memcmp(partner.data(), &PartnerMachine, sizeof PartnerMachine) == 0);

  // A state saved in the debugger's break state comes back in it; the
  // "[MISC]" byte alone also asks for it, through the debugger's entry.
  BreakState = true;
  std::vector<uint8_t> broken;
  BuildStateImage(&broken);
  BreakState = false;
  ASSERT_TRUE(InstallStateImage(broken.data(), broken.size(), &break_request));
  EXPECT_TRUE(break_request);
  EXPECT_TRUE(BreakState);
  BreakState = false;
  broken[Block + 41009] = 0;
  FILE* file = fmemopen(broken.data(), broken.size(), "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(ReadStateStream(file, "x.st0", true));
  std::fclose(file);
  EXPECT_TRUE(BreakState);
  // The step position was synchronised: the slice's overshoot moved into it.
  EXPECT_EQ(PrimaryMachine.SavedCycleCounter, 0);
  EXPECT_EQ(PrimaryMachine.FrameCycle,
            uint32_t(PrimaryMachine.LineCycleStamp + PrimaryMachine.Vdp.line * MachineLineCycles));
  EXPECT_STREQ(StatusText, "Successfully loaded state 'x.st0'.");
}

}  // namespace
