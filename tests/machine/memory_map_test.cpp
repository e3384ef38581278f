// The address map as the core sees it: page tables after resets and mapper
// writes, cartridge RAM paging, the RAM mirror, and the debugger's views.
#include <gtest/gtest.h>

#include "machine/cartridge.h"
#include "machine/memory.h"
#include "machine/options.h"
#include "machine_harness.h"

namespace {

constexpr uint32_t Sms = OptMasterSystemIo | OptNtscRate | OptSmsPalette | OptSmsScreen;

uint8_t Read(uint16_t a) {
  uint8_t* page = ReadPages[a >> 8];
  return page ? page[a & 0xFF] : 0;
}
uint8_t Fetch(uint16_t a) { return FetchPages[a >> 8][a & 0xFF]; }
// A write as the core makes it: through the page or the trap.
void Write(uint16_t a, uint8_t v) {
  if (uint8_t* page = WritePages[a >> 8]) page[a & 0xFF] = v;
  else MemoryWrite(CurrentMachine, a, v);
}
int SlotBank(uint16_t base) { return Read(base + 0x800); }

TEST(MemoryMap, ResetMapsBanksZeroOneTwoModuloTheBankCount) {
  MachineHarness h;
  h.Start(MarkedBanks(8), Sms);
  EXPECT_EQ(SlotBank(0x0000), 0);
  EXPECT_EQ(SlotBank(0x4000), 1);
  EXPECT_EQ(SlotBank(0x8000), 2);
  EXPECT_EQ(h.Ram(0xDFFE), 1);
  EXPECT_EQ(h.Ram(0xDFFF), 2);

  h.Start(MarkedBanks(1), Sms);  // one bank: bank 0 everywhere
  EXPECT_EQ(SlotBank(0x0000), 0);
  EXPECT_EQ(SlotBank(0x4000), 0);
  EXPECT_EQ(SlotBank(0x8000), 0);
  Write(0xFFFF, 7);
  EXPECT_EQ(SlotBank(0x8000), 0);

  h.Start(MarkedBanks(2), Sms);  // 32 KB: slot 2 shows bank 0 (2 mod 2)
  EXPECT_EQ(SlotBank(0x8000), 0);
  Write(0xFFFF, 5);
  EXPECT_EQ(SlotBank(0x8000), 1);
  EXPECT_EQ(PrimaryMachine.RomBank2, 1);
}

TEST(MemoryMap, SegaRegistersSwitchSlotsAndReadBackThroughTheMirror) {
  MachineHarness h;
  h.Start(MarkedBanks(3), Sms);
  Write(0xFFFD, 2);
  Write(0xFFFE, 4);  // 4 mod 3 = 1 (reduced, not masked)
  Write(0xFFFF, 5);  // 2
  EXPECT_EQ(SlotBank(0x0000), 2);
  EXPECT_EQ(Read(0x0000), 0) << "the first 1 KB stays on bank 0";
  EXPECT_EQ(Read(0x03FF), 0);
  EXPECT_EQ(Read(0x0400), 2);
  EXPECT_EQ(Fetch(0x0400), 2);
  EXPECT_EQ(SlotBank(0x4000), 1);
  EXPECT_EQ(SlotBank(0x8000), 2);
  // The mirror keeps the values as written, not the reduced banks.
  EXPECT_EQ(Read(0xFFFE), 4);
  EXPECT_EQ(Read(0xFFFF), 5);
  EXPECT_EQ(Read(0xDFFF), 5);
  // ROM is not writable.
  Write(0x0800, 0x55);
  Write(0x4800, 0x55);
  Write(0x8800, 0x55);
  EXPECT_EQ(SlotBank(0x0000), 2);
  EXPECT_EQ(SlotBank(0x4000), 1);
  EXPECT_EQ(SlotBank(0x8000), 2);
  // RAM and its mirror are one memory; $FF00-$FFFB trap but still write RAM.
  Write(0xE123, 0x77);
  EXPECT_EQ(Read(0xC123), 0x77);
  Write(0xFF10, 0x66);
  EXPECT_EQ(Read(0xDF10), 0x66);
}

TEST(MemoryMap, CartridgeRamBanksAndTheTrappedFirstPage) {
  MachineHarness h;
  h.Start(MarkedBanks(4), Sms);
  Machine& m = PrimaryMachine;
  EXPECT_EQ(m.SramDirty, 0);
  Write(0xFFFC, 0x08);
  EXPECT_EQ(m.SramDirty, 1);
  EXPECT_EQ(ReadPages[0x81], h.cart_ram[0] + 0x100);
  EXPECT_EQ(FetchPages[0xBF], h.cart_ram[0] + 0x3F00);
  EXPECT_EQ(WritePages[0x81], h.cart_ram[0] + 0x100);
  EXPECT_EQ(WritePages[0x80], nullptr) << "write page $80 stays trapped";
  Write(0x8000, 0x11);
  Write(0x8001, 0x12);
  Write(0xBFFF, 0x13);
  EXPECT_EQ(h.cart_ram[0][0], 0x11);
  EXPECT_EQ(h.cart_ram[0][1], 0x12);
  EXPECT_EQ(h.cart_ram[0][0x3FFF], 0x13);

  Write(0xFFFC, 0x0C);
  Write(0x8000, 0x21);
  EXPECT_EQ(h.cart_ram[0][0x4000], 0x21);
  EXPECT_EQ(Read(0x8000), 0x21);
  EXPECT_EQ(h.cart_ram[0][0], 0x11);

  Write(0xFFFC, 0x00);
  EXPECT_EQ(SlotBank(0x8000), 2);
  EXPECT_EQ(WritePages[0x81], nullptr);
  Write(0x8001, 0x99);  // ignored with the RAM off
  EXPECT_EQ(h.cart_ram[0][1], 0x12);
  EXPECT_EQ(m.SramDirty, 1) << "turning the RAM off keeps it dirty";
}

TEST(MemoryMap, CodeMastersMapperUsesOnlyTheSlot2Register) {
  MachineHarness h;
  h.Start(MarkedBanks(4), Sms | OptCodemastersMapper);
  Write(0x8000, 3);
  EXPECT_EQ(SlotBank(0x8000), 3);
  Write(0xFFFD, 2);
  Write(0xFFFE, 2);
  EXPECT_EQ(SlotBank(0x0000), 0);
  EXPECT_EQ(SlotBank(0x4000), 1);
  EXPECT_EQ(h.Ram(0xDFFD), 0);
  Write(0xFFFF, 1);
  EXPECT_EQ(SlotBank(0x8000), 1);
  // With cartridge RAM on, $8000 still selects the bank.
  Write(0xFFFC, 0x08);
  Write(0x8000, 2);
  EXPECT_EQ(PrimaryMachine.RomBank2, 2);
  EXPECT_EQ(h.cart_ram[0][0], 0);
}

TEST(MemoryMap, WritesToAMachineNotInTheCoreLeaveTheTablesAlone) {
  MachineHarness h;
  h.Start(MarkedBanks(8), Sms);
  SelectMachine(&PrimaryMachine);
  MemoryWrite(&PartnerMachine, 0xFFFF, 6);
  EXPECT_EQ(PartnerMachine.RomBank2, 6);
  EXPECT_EQ(SlotBank(0x8000), 2);
  SaveCoreState(&PrimaryMachine);
  SelectMachine(&PartnerMachine);
  EXPECT_EQ(SlotBank(0x8000), 6);
  EXPECT_EQ(ReadPages[0xC0], PartnerMachine.Ram);
}

TEST(MemoryMap, NoImageOrAShortImageNeverMapsPastTheBuffer) {
  MachineHarness h;
  CartImage = nullptr;
  CartSize = 0;
  CartBanks = 0;
  ForgetCurrentMachine();
  HardReset(&PrimaryMachine);
  EXPECT_EQ(Read(0x0000), 0);
  EXPECT_EQ(Read(0xBFFF), 0);
  MemoryWrite(&PrimaryMachine, 0xFFFF, 9);  // bank count taken as 1
  EXPECT_EQ(PrimaryMachine.RomBank2, 0);

  uint8_t tiny[8 + 3] = {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3};
  CartImage = tiny;
  CartSize = 8;
  CartBanks = 1;
  ForgetCurrentMachine();
  HardReset(&PrimaryMachine);
  EXPECT_EQ(Read(0x0100), 0) << "a bank the image does not fill reads blank";
}

TEST(MemoryMap, SetupTimingRemapsTheCoreOntoANewImage) {
  MachineHarness h;
  h.Start(MarkedBanks(4), Sms);
  SelectMachine(&PrimaryMachine);
  // Another image installed in place of the first, as a load does before
  // the console is reset.
  std::vector<uint8_t> other = MarkedBanks(4);
  for (uint8_t& b : other) b = uint8_t(b + 0x10);
  CartImage = other.data();
  SetupTiming(&PrimaryMachine);
  EXPECT_EQ(Read(0x0000), 0x10);
  EXPECT_EQ(SlotBank(0x4000), 0x11);
  EXPECT_EQ(SlotBank(0x8000), 0x12);
}

TEST(MemoryMap, AbsoluteAddressQualifiesTheAddressWithItsBank) {
  MachineHarness h;
  h.Start(MarkedBanks(8), Sms);
  Write(0xFFFD, 3);
  Write(0xFFFE, 4);
  Write(0xFFFF, 5);
  EXPECT_EQ(AbsoluteAddress(0x0123), 0x0123u);
  EXPECT_EQ(AbsoluteAddress(0x0400), 0x0400u + 3 * 0x4000);
  EXPECT_EQ(AbsoluteAddress(0x4567), 0x0567u + 4 * 0x4000);
  EXPECT_EQ(AbsoluteAddress(0x8123), 0x14123u);
  EXPECT_EQ(AbsoluteAddress(0xC000), 0xC000u);
  EXPECT_EQ(AbsoluteAddress(0xE123), 0xC123u);
  EXPECT_EQ(AbsoluteAddress(0xFFFF), 0xDFFFu);
  Write(0xFFFC, 0x0C);
  EXPECT_EQ(AbsoluteAddress(0x8123), 0x4123u) << "cartridge RAM bank 1";
}

TEST(MemoryMap, RegionsOfTheMemoryViewer) {
  MemoryRegionInfo r{};
  ASSERT_TRUE(MemoryRegion(2, &r));
  EXPECT_STREQ(r.name, "ROM bank 2/SRAM");
  EXPECT_EQ(r.start, 0x8000u);
  ASSERT_TRUE(MemoryRegion(4, &r));
  EXPECT_STREQ(r.name, "VRAM");
  EXPECT_TRUE(r.in_vdp);
  EXPECT_FALSE(MemoryRegion(5, &r));
  EXPECT_FALSE(MemoryRegion(-1, &r));
}

}  // namespace
