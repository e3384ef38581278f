#include "machine_harness.h"

#include <cstdio>
#include <cstring>

#include "debugger/debugger_state.h"
#include "machine/cartridge.h"
#include "machine/options.h"
#include "machine/ports.h"

std::vector<uint8_t> ReadTestRom(const char* name) {
  std::string path = std::string(TAVO_ROM_DIR) + "/" + name + ".sms";
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  uint8_t chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(file);
  return bytes;
}

std::vector<uint8_t> MarkedBanks(int banks) {
  std::vector<uint8_t> bytes(size_t(banks) * 0x4000);
  for (int b = 0; b < banks; ++b) {
    std::memset(&bytes[size_t(b) * 0x4000], b, 0x4000);
    bytes[size_t(b) * 0x4000 + 0x800] = uint8_t(b);
  }
  return bytes;
}

MachineHarness::MachineHarness()
    : old_image_(CartImage), old_size_(CartSize), old_banks_(CartBanks), old_options_(MachineOptions) {
  old_cart_ram_[0] = PrimaryMachine.CartRam;
  old_cart_ram_[1] = PartnerMachine.CartRam;
  CreateMachines();
  PrimaryMachine.CartRam = cart_ram[0];
  PartnerMachine.CartRam = cart_ram[1];
  BreakState = false;
  ResetControllerInput();
}

MachineHarness::~MachineHarness() {
  CartImage = old_image_;
  CartSize = old_size_;
  CartBanks = old_banks_;
  MachineOptions = old_options_;
  PrimaryMachine.CartRam = old_cart_ram_[0];
  PartnerMachine.CartRam = old_cart_ram_[1];
  BreakState = false;
  ResetControllerInput();
  ForgetCurrentMachine();
}

void MachineHarness::Start(const std::vector<uint8_t>& bytes, uint32_t options) {
  size_t size = (bytes.size() + 0x3FFF) / 0x4000 * 0x4000;
  if (size == 0) size = 0x4000;
  image_.assign(size + 3, 0);
  std::memcpy(image_.data(), bytes.data(), bytes.size());
  std::memcpy(image_.data() + size, image_.data(), 3);
  CartImage = image_.data();
  CartSize = uint32_t(size);
  CartBanks = uint32_t(size / 0x4000);
  MachineOptions = options;
  // A freshly installed image: nothing of its cartridge RAM is unsaved.
  PrimaryMachine.SramDirty = PartnerMachine.SramDirty = 0;
  ForgetCurrentMachine();
  SetupTiming(&PrimaryMachine);
  SetupTiming(&PartnerMachine);
  HardReset(&PrimaryMachine);
  HardReset(&PartnerMachine);
  SelectMachine(&PrimaryMachine);  // the partner's reset left it in the core
}

void MachineHarness::StartRom(const char* name, uint32_t options) {
  Start(ReadTestRom(name), options);
}

void MachineHarness::Frames(int count, bool render) {
  for (int i = 0; i < count; ++i) RunFrame(&PrimaryMachine, render, render);
}
