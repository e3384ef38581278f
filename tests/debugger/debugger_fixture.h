// A console with a cartridge installed, empty debugger lists and Messages
// scrollback, and a scratch program directory with its working folders; all
// put back when the test ends.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/program_dir.h"
#include "config/config.h"
#include "debugger/debug_lists.h"
#include "debugger/debug_log.h"
#include "debugger/debugger_hooks.h"
#include "debugger/debugger_state.h"
#include "debugger/disassembler.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "scratch_folder.h"

class DebuggerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    MachineOptions = OptInitial;
    ApplyConfigDefaults();
    ASSERT_TRUE(CreateConsoles());
    ConnectDebuggerHooks();
    folder_ = MakeScratchFolder("debugger");
    ASSERT_FALSE(folder_.empty());
    SetProgramDirectory(folder_);
    ASSERT_TRUE(CreateWorkingFolders());
    Config.rom_directory = folder_;
    ResetDebugLists();
    ResetMessages();
  }
  void TearDown() override {
    ResetDebugLog();
    DisconnectDebuggerHooks();
    DestroyConsoles();
    ResetConsoleState();
    ResetDebugLists();
    ResetMessages();
    ResetOpcodes();
    ResetProgramDirectory();
    ApplyConfigDefaults();
    MachineOptions = OptInitial;
    RemoveFolder(folder_);
  }

  // The opcode table and the stepping cartridge of the test ROMs, stopped in
  // the break state at the start of its program ($100).
  static void BreakAtStepsProgram() {
    ASSERT_TRUE(LoadOpcodes(TAVO_OPCODES_FILE));
    ASSERT_TRUE(LoadCartridge(TAVO_ROM_DIR "/debugger_steps.sms"));
    HardResetConsole();
    EnterBreakState();
    while (GetPc() != 0x100) ASSERT_GT(StepInstruction(), 0);
  }
  // Installs the bytes (padded to whole banks) as the cartridge `name` and
  // hard-resets the console.
  void Install(const std::vector<uint8_t>& image, const char* name = "game.sms") {
    InstallImage(static_cast<uint32_t>(image.size()), image.data(), name);
    HardResetConsole();
  }
  // `banks` 16 KB banks, each byte telling its bank.
  static std::vector<uint8_t> MarkedBanks(int banks) {
    std::vector<uint8_t> image(banks * 0x4000);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i >> 14);
    return image;
  }

  std::string Path(const std::string& relative) const { return folder_ + "/" + relative; }
  void WriteText(const std::string& relative, const std::string& text) const {
    std::ofstream(Path(relative), std::ios::binary) << text;
  }
  std::string ReadText(const std::string& relative) const {
    std::ifstream in(Path(relative), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // The Messages scrollback from the first non-empty line on, one per line.
  static std::string Scrollback() {
    std::string text;
    bool started = false;
    for (const auto& line : MessageLines) {
      started = started || line[0];
      if (started) text += std::string(line) + "\n";
    }
    return text;
  }

  std::string folder_;
};
