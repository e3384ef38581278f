// Port decoding: the Game Gear registers with and without the link, the
// controller ports with IoControl and the country, unlisted ports, and a
// cartridge that reads scripted controllers.
#include <gtest/gtest.h>

#include "machine/options.h"
#include "machine/ports.h"
#include "machine_harness.h"

namespace {

constexpr uint32_t Sms = OptMasterSystemIo | OptNtscRate | OptSmsPalette | OptSmsScreen;
constexpr uint32_t Gg = OptGameGearIo | OptNtscRate | OptGgPalette | OptGgScreen;

Machine* const P = &PrimaryMachine;

TEST(Ports, GameGearStartPortShowsCountryAndStandard) {
  MachineHarness h;
  h.StartRom("machine_pads", Gg);
  EXPECT_EQ(PortIn(P, 0x00), 0xDF);
  ControllerInput[0] = PadStart | PadPause;
  EXPECT_EQ(PortIn(P, 0x00), 0x5F);
  ControllerInput[0] = 0;
  MachineOptions |= OptJapanese;
  EXPECT_EQ(PortIn(P, 0x00), 0x9F);
  MachineOptions = (Gg & ~OptNtscRate) | OptPalLines;
  EXPECT_EQ(PortIn(P, 0x00), 0xFF);
  ControllerInput[1] = PadStart;  // the primary reads controller 1 only
  EXPECT_EQ(PortIn(P, 0x00), 0xFF);
  EXPECT_EQ(PortIn(&PartnerMachine, 0x00), 0x7F);
  MachineOptions = Sms;
  EXPECT_EQ(PortIn(P, 0x00), 0xFF);
}

TEST(Ports, MasterSystemControllerPortsReadBackTheLevelsWritten) {
  MachineHarness h;
  h.StartRom("machine_pads", Sms);
  PortOut(P, 0x3F, 0xFF);
  EXPECT_EQ(PortIn(P, 0xDC), 0xFF);
  EXPECT_EQ(PortIn(P, 0xDD), 0xDF);
  EXPECT_EQ(PortIn(P, 0xC0), 0xFF) << "$C0 and $C1 mirror $DC and $DD";
  EXPECT_EQ(PortIn(P, 0xC1), 0xDF);

  PortOut(P, 0x3F, 0xF5);  // TH lines outputs, levels high
  EXPECT_EQ(PortIn(P, 0xDD) & 0xC0, 0xC0);
  PortOut(P, 0x3F, 0x55);  // levels low
  EXPECT_EQ(PortIn(P, 0xDD) & 0xC0, 0x00);
  MachineOptions |= OptJapanese;
  EXPECT_EQ(PortIn(P, 0xDD) & 0xC0, 0xC0);
  PortOut(P, 0x3F, 0xF5);
  EXPECT_EQ(PortIn(P, 0xDD) & 0xC0, 0xC0);
  MachineOptions &= ~OptJapanese;

  // TR of controller 1 as an output: bit 5 of $DC follows IoControl bit 4.
  PortOut(P, 0x3F, 0x00);
  EXPECT_EQ(PortIn(P, 0xDC) & 0x20, 0x00);
  PortOut(P, 0x3F, 0x10);
  EXPECT_EQ(PortIn(P, 0xDC) & 0x20, 0x20);
  // TR of controller 2 as an output: bit 3 of $DD follows bit 6.
  EXPECT_EQ(PortIn(P, 0xDD) & 0x08, 0x00);
  PortOut(P, 0x3F, 0x40);
  EXPECT_EQ(PortIn(P, 0xDD) & 0x08, 0x08);
}

TEST(Ports, ControllerBitsLandOnTheirLines) {
  MachineHarness h;
  h.StartRom("machine_pads", Sms);
  PortOut(P, 0x3F, 0xFF);
  ControllerInput[0] = PadUp | PadButton1 | PadButton2 | PadReset;
  ControllerInput[1] = PadDown | PadLeft | PadButton2;
  EXPECT_EQ(PortIn(P, 0xDC), 0xFF & ~0x01 & ~0x10 & ~0x20 & ~0x80);
  EXPECT_EQ(PortIn(P, 0xDD), 0xDF & ~0x10 & ~0x01 & ~0x08);
  // Game Gear: port B is absent, port A has only the own pad.
  MachineOptions = Gg;
  EXPECT_EQ(PortIn(P, 0xDC), 0xFF & ~0x01 & ~0x10 & ~0x20);
  EXPECT_EQ(PortIn(P, 0xDD), 0xFF);
  EXPECT_EQ(PortIn(&PartnerMachine, 0xDC), 0xFF & ~0x02 & ~0x04 & ~0x20);
}

TEST(Ports, UnlistedPortsAreIgnoredAndReadFF) {
  MachineHarness h;
  h.StartRom("machine_pads", Sms);
  const uint8_t io = P->IoControl;
  PortOut(P, 0x3E, 0x00);
  PortOut(P, 0x40, 0x00);
  PortOut(P, 0x04, 0x00);
  EXPECT_EQ(P->IoControl, io);
  for (int port : {0x3E, 0x40, 0x7D, 0x80, 0xBC, 0xC2, 0xDB, 0xDE, 0xFB, 0xFC, 0xFF})
    EXPECT_EQ(PortIn(P, uint16_t(port)), 0xFF) << "port " << port;
  // Only the low byte is decoded.
  PortOut(P, 0x123F, 0x12);
  EXPECT_EQ(P->IoControl, 0x12);
}

TEST(Ports, GameGearRegistersWithoutTheLink) {
  MachineHarness h;
  h.StartRom("machine_pads", Gg);
  PortOut(P, 0x01, 0xFF);
  EXPECT_EQ(PortIn(P, 0x01), 0x7F);
  PortOut(P, 0x02, 0x12);  // link only
  PortOut(P, 0x03, 0x34);
  EXPECT_EQ(P->GgDataDirection, 0);
  EXPECT_EQ(P->GgSerialOut, 0);
  EXPECT_EQ(PortIn(P, 0x02), 0xFF);
  EXPECT_EQ(PortIn(P, 0x04), 0xFF);
  PortOut(P, 0x05, 0xE0);
  EXPECT_EQ(P->SerialStep, 300 * 65536 / 262 / 60);
  EXPECT_EQ(PortIn(P, 0x05), 0xE4);
  P->GgSerialInFull = 1;
  EXPECT_EQ(PortIn(P, 0x05), 0xE4) << "link off: the flags do not show";
  MachineOptions = Sms;  // same rule on the Master System
  EXPECT_EQ(PortIn(P, 0x05), 0xE4);
  PortOut(P, 0x05, 0x00);  // Game Gear only
  EXPECT_EQ(P->GgSerialControl, 0xE0);
  PortOut(P, 0x06, 0x0F);
  EXPECT_EQ(P->Psg.Chip.Stereo, 0xFF) << "stereo is a Game Gear register";
  MachineOptions = Gg;
  PortOut(P, 0x06, 0x0F);
  EXPECT_EQ(P->Psg.Chip.Stereo, 0x0F);
}

TEST(Ports, GameGearRegistersWithTheLink) {
  MachineHarness h;
  h.StartRom("machine_pads", Gg | OptLink);
  SelectMachine(P);
  PortOut(P, 0x03, 0x34);
  EXPECT_EQ(PortIn(P, 0x03), 0x34);
  P->GgSerialIn = 0x56;
  P->GgSerialInFull = 1;
  EXPECT_EQ(PortIn(P, 0x05), 0x03);
  EXPECT_EQ(PortIn(P, 0x04), 0x56);
  EXPECT_EQ(PortIn(P, 0x05), 0x01);
  P->GgSerialBusy = 1;
  EXPECT_EQ(PortIn(P, 0x05), 0x00);
  PortOut(P, 0x05, 0x30);  // bit 4 clears, bit 5 sets data direction bits
  P->GgDataDirection = 0x10;
  PortOut(P, 0x05, 0x30);
  EXPECT_EQ(P->GgDataDirection, 0x20);
  // Port 2 enters the NMI of the writing machine.
  Z80Regs.pc = 0x1234;
  PortOut(P, 0x02, 0x7F);
  EXPECT_EQ(PortIn(P, 0x02), 0x7F);
  EXPECT_EQ(Z80Regs.pc, 0x0066);
  MachineOptions = Sms | OptLink;
  EXPECT_EQ(PortIn(P, 0x05), 0xFF);
}

TEST(Ports, VdpAndPsgAreReachedThroughTheirPorts) {
  MachineHarness h;
  h.StartRom("machine_pads", Sms);
  PortOut(P, 0xBF, 0x00);
  PortOut(P, 0xBF, 0x40);  // VRAM write at 0
  PortOut(P, 0xBE, 0xAB);
  EXPECT_EQ(P->Vdp.vram[0], 0xAB);
  PortOut(P, 0xBD, 0x00);
  PortOut(P, 0xBD, 0x00);  // VRAM read at 0 through the mirror port
  EXPECT_EQ(PortIn(P, 0xBE), 0xAB);
  PortOut(P, 0x7E, 0x9F);  // channel 0 silent, through $7E
  PortOut(P, 0x7F, 0x90);  // channel 0 loudest, through $7F
  EXPECT_EQ(P->Psg.Chip.Volume[0], 0);
  EXPECT_EQ(PortIn(P, 0xBF) & 0x1F, 0x1F);
}

// The cartridge copies ports $DC, $DD and $00 to RAM in a loop and counts
// button 1 presses; the script changes the pads between frames.
TEST(Ports, CartridgeReadsScriptedControllers) {
  struct Step {
    int frames;
    uint16_t pad1, pad2;
  };
  const Step script[] = {{3, 0, 0}, {2, PadButton1 | PadRight, 0}, {2, 0, PadUp},
                         {1, PadButton1, 0}, {1, 0, 0}, {1, PadButton1, 0}};
  MachineHarness h;
  h.StartRom("machine_pads", Sms);
  for (const Step& s : script) {
    ControllerInput[0] = s.pad1;
    ControllerInput[1] = s.pad2;
    h.Frames(s.frames);
    EXPECT_EQ(h.Ram(0xC100), PortIn(P, 0xDC));
    EXPECT_EQ(h.Ram(0xC101), PortIn(P, 0xDD));
  }
  EXPECT_EQ(h.Ram(0xC104), 3) << "three presses of button 1";
  EXPECT_EQ(h.Ram(0xC100), 0xFF & ~0x10);

  // Linked Game Gears: the partner plays with controller 2.
  h.StartRom("machine_pads", OptInitial | OptLink);
  ControllerInput[0] = PadLeft;
  ControllerInput[1] = PadDown | PadStart;
  h.Frames(2);
  EXPECT_EQ(h.Ram(0xC100), 0xFF & ~0x04);
  EXPECT_EQ(h.Ram(0xC100, PartnerMachine), 0xFF & ~0x02);
  EXPECT_EQ(h.Ram(0xC102), 0xDF);
  EXPECT_EQ(h.Ram(0xC102, PartnerMachine), 0x5F);
}

}  // namespace
