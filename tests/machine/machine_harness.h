// Test support for the machine: installs an image straight into the
// cartridge globals (without the loader), gives both machines cartridge RAM
// buffers of the test's own, and hard-resets them. Restores the globals it
// replaced when it goes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "machine/machine.h"

class MachineHarness {
 public:
  MachineHarness();
  ~MachineHarness();

  // Installs `bytes` (padded to 16 KB banks) as the cartridge, sets the
  // option word, sets up timing and hard-resets both machines.
  void Start(const std::vector<uint8_t>& bytes, uint32_t options);
  // The same with an assembled test cartridge from the ROM folder.
  void StartRom(const char* name, uint32_t options);

  uint8_t Ram(uint16_t address, const Machine& m = PrimaryMachine) const {
    return m.Ram[address & 0x1FFF];
  }
  uint16_t RamWord(uint16_t address, const Machine& m = PrimaryMachine) const {
    return uint16_t(Ram(address, m) | Ram(address + 1, m) << 8);
  }
  // Runs frames on the primary machine (rendering and sound off).
  void Frames(int count, bool render = false);

  uint8_t cart_ram[2][CartRamSize] = {};

 private:
  std::vector<uint8_t> image_;
  uint8_t* old_image_;
  uint32_t old_size_, old_banks_, old_options_;
  uint8_t* old_cart_ram_[2];
};

// The bytes of an assembled test cartridge; empty when it is missing.
std::vector<uint8_t> ReadTestRom(const char* name);
// An image of `banks` 16 KB banks, each filled with its bank number and
// carrying the number at offset $0800 (like the test cartridges).
std::vector<uint8_t> MarkedBanks(int banks);
