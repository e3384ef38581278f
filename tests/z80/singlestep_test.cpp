// The SingleStepTests Z80 cases, one instruction each: registers, MEMPTR,
// R, IFF1/2, IM, the Q latch, the EI state, the memory touched, the port
// traffic and the T-states, compared after running each case through the
// core with a budget of one T-state. Every case runs twice: with the memory
// mapped through the page tables and with every data access trapped
// through the callbacks (which must leave the registers as they found
// them). One test per opcode group; a failure names each failing opcode
// with its first differing field.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "z80/json_reader.h"
#include "z80/z80.h"

namespace {

std::string CaseDirectory() { return std::string(TAVO_SHARED_DIR) + "/z80/singlestep"; }

struct PortAccess {
  uint16_t port;
  uint8_t value;
  char direction;  // 'r' or 'w'
  bool operator==(const PortAccess&) const = default;
};

// The flat 64 KB the cases assume, and the port traffic of one case.
struct Bus {
  uint8_t memory[65536];
  std::vector<PortAccess> expected_ports;
  std::vector<PortAccess> ports;
  std::vector<uint16_t> written;  // addresses written through the callback
  bool trapped = false;
};
Bus bus;

uint8_t PortIn(void*, uint16_t port) {
  size_t i = bus.ports.size();
  uint8_t value = i < bus.expected_ports.size() ? bus.expected_ports[i].value : 0xFF;
  bus.ports.push_back({port, value, 'r'});
  return value;
}
void PortOut(void*, uint16_t port, uint8_t value) { bus.ports.push_back({port, value, 'w'}); }
uint8_t MemRead(void*, uint16_t address) { return bus.memory[address]; }
void MemWrite(void*, uint16_t address, uint8_t value) {
  bus.memory[address] = value;
  bus.written.push_back(address);
}

void MapMemory(bool trapped) {
  bus.trapped = trapped;
  for (int page = 0; page < 256; page++) {
    FetchPages[page] = bus.memory + page * 256;
    ReadPages[page] = WritePages[page] = trapped ? nullptr : bus.memory + page * 256;
  }
  Z80PortIn = PortIn;
  Z80PortOut = PortOut;
  Z80MemRead = MemRead;
  Z80MemWrite = MemWrite;
  Z80Context = nullptr;
}

int64_t Field(const JsonValue& state, const char* name) {
  const JsonValue* v = state.Find(name);
  return v ? v->number : -1;
}

void LoadState(const JsonValue& s) {
  auto pair = [&](const char* hi, const char* lo) {
    return uint16_t(Field(s, hi) << 8 | Field(s, lo));
  };
  Z80Regs.af = pair("a", "f");
  Z80Regs.bc = pair("b", "c");
  Z80Regs.de = pair("d", "e");
  Z80Regs.hl = pair("h", "l");
  Z80Regs.ix = uint16_t(Field(s, "ix"));
  Z80Regs.iy = uint16_t(Field(s, "iy"));
  Z80Regs.pc = uint16_t(Field(s, "pc"));
  Z80Regs.sp = uint16_t(Field(s, "sp"));
  Z80Regs.af2 = uint16_t(Field(s, "af_"));
  Z80Regs.bc2 = uint16_t(Field(s, "bc_"));
  Z80Regs.de2 = uint16_t(Field(s, "de_"));
  Z80Regs.hl2 = uint16_t(Field(s, "hl_"));
  Z80Regs.r = uint8_t(Field(s, "r"));
  Z80Regs.i = uint8_t(Field(s, "i"));
  Z80Regs.iff1 = uint8_t(Field(s, "iff1"));
  Z80Regs.iff2 = uint8_t(Field(s, "iff2"));
  Z80Regs.im = uint8_t(Field(s, "im"));
  Z80MemPtr = uint16_t(Field(s, "wz"));
  Z80SetQ(uint8_t(Field(s, "q")));
  // The previous instruction was an EI: the next one still runs alone.
  EiWatch = Field(s, "ei") == 1 ? 2 : 0;
  Z80Halted = 0;
  IrqLine = -1;
  if (const JsonValue* ram = s.Find("ram"))
    for (const JsonValue& cell : ram->items)
      if (cell.items.size() == 2) bus.memory[cell.items[0].number & 0xFFFF] = uint8_t(cell.items[1].number);
}

// The first field of the final state the core got wrong, "" when none.
std::string Compare(const JsonValue& want, int64_t cycles) {
  const Z80Registers& r = Z80Regs;
  const std::pair<const char*, int64_t> got[] = {
      {"pc", r.pc},        {"sp", r.sp},         {"a", r.af >> 8},     {"f", r.af & 0xFF},
      {"b", r.bc >> 8},    {"c", r.bc & 0xFF},   {"d", r.de >> 8},     {"e", r.de & 0xFF},
      {"h", r.hl >> 8},    {"l", r.hl & 0xFF},   {"ix", r.ix},         {"iy", r.iy},
      {"af_", r.af2},      {"bc_", r.bc2},       {"de_", r.de2},       {"hl_", r.hl2},
      {"i", r.i},          {"r", r.r},           {"wz", Z80MemPtr},    {"iff1", r.iff1},
      {"iff2", r.iff2},    {"im", r.im},         {"q", Z80GetQ()},     {"ei", EiWatch ? 1 : 0},
  };
  std::ostringstream out;
  for (const auto& [name, value] : got) {
    int64_t expected = Field(want, name);
    if (value != expected) {
      out << name << " is " << value << ", expected " << expected;
      return out.str();
    }
  }
  if (const JsonValue* ram = want.Find("ram")) {
    for (const JsonValue& cell : ram->items) {
      uint16_t address = uint16_t(cell.items[0].number);
      if (bus.memory[address] != cell.items[1].number) {
        out << "memory $" << std::hex << address << std::dec << " is " << int(bus.memory[address])
            << ", expected " << cell.items[1].number;
        return out.str();
      }
    }
    for (uint16_t address : bus.written) {
      bool listed = std::any_of(ram->items.begin(), ram->items.end(),
                                [&](const JsonValue& cell) { return cell.items[0].number == address; });
      if (!listed) {
        out << "stray write to $" << std::hex << address;
        return out.str();
      }
    }
  }
  if (cycles != Field(want, "cycles")) {
    out << "took " << cycles << " T-states, expected " << Field(want, "cycles");
    return out.str();
  }
  if (bus.ports != bus.expected_ports) {
    out << "port traffic differs (" << bus.ports.size() << " accesses, expected " << bus.expected_ports.size()
        << ")";
    return out.str();
  }
  return "";
}

// Runs one case; the first difference, or "".
std::string RunCase(const JsonValue& c, bool trapped) {
  const JsonValue* initial = c.Find("initial");
  const JsonValue* final = c.Find("final");
  const JsonValue* cycles = c.Find("cycles");
  if (!initial || !final || !cycles) return "malformed case";
  bus.expected_ports.clear();
  bus.ports.clear();
  bus.written.clear();
  if (const JsonValue* ports = c.Find("ports"))
    for (const JsonValue& p : ports->items)
      if (p.items.size() == 3 && !p.items[2].text.empty())
        bus.expected_ports.push_back({uint16_t(p.items[0].number), uint8_t(p.items[1].number), p.items[2].text[0]});
  MapMemory(trapped);
  LoadState(*initial);
  // A budget of one runs exactly one instruction.
  CycleCounter = 1;
  Z80Run();
  JsonValue want = *final, count;
  count.kind = JsonValue::Number;
  count.number = int64_t(cycles->items.size());
  want.members.push_back({"cycles", count});
  std::string difference = Compare(want, 1 - CycleCounter);
  // Leave the memory clean for the next case.
  for (const JsonValue* s : {initial, final})
    if (const JsonValue* ram = s->Find("ram"))
      for (const JsonValue& cell : ram->items) bus.memory[cell.items[0].number & 0xFFFF] = 0;
  for (uint16_t address : bus.written) bus.memory[address] = 0;
  return difference;
}

// The group of a case file: "cb 00.json" is CB, "dd cb __ 06.json" DDCB.
std::string GroupOf(const std::string& file) {
  if (file.rfind("dd cb", 0) == 0) return "DDCB";
  if (file.rfind("fd cb", 0) == 0) return "FDCB";
  for (const char* prefix : {"cb", "dd", "ed", "fd"})
    if (file.rfind(std::string(prefix) + " ", 0) == 0) {
      std::string group = prefix;
      std::transform(group.begin(), group.end(), group.begin(), ::toupper);
      return group;
    }
  return "Unprefixed";
}

void RunGroup(const std::string& group) {
  const std::string dir = CaseDirectory();
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << dir << " is absent: the single-step cases were not run";
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    if (name.size() > 5 && name.compare(name.size() - 5, 5, ".json") == 0 && GroupOf(name) == group)
      files.push_back(name);
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty()) << "no " << group << " cases in " << dir;
  int cases = 0, failed_cases = 0;
  std::ostringstream report;
  int failed_opcodes = 0;
  for (const std::string& name : files) {
    std::ifstream in(dir + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    JsonValue all;
    if (!ParseJson(text.str(), &all) || all.kind != JsonValue::Array) {
      ADD_FAILURE() << name << ": not a list of cases";
      continue;
    }
    std::string first;
    int failed = 0;
    for (const JsonValue& c : all.items) {
      ++cases;
      for (bool trapped : {false, true}) {
        std::string difference = RunCase(c, trapped);
        if (difference.empty()) continue;
        if (first.empty()) {
          const JsonValue* title = c.Find("name");
          first = (title ? title->text : "?") + ": " + difference + (trapped ? " (memory trapped)" : "");
        }
        ++failed;
        break;
      }
    }
    if (failed) {
      ++failed_opcodes;
      failed_cases += failed;
      report << "  " << name.substr(0, name.size() - 5) << ": " << failed << " of " << all.items.size()
             << " cases fail; first " << first << "\n";
    }
  }
  std::printf("%s: %d cases of %zu opcodes, %d failing\n", group.c_str(), cases, files.size(), failed_cases);
  EXPECT_EQ(failed_opcodes, 0) << failed_opcodes << " opcodes fail:\n" << report.str();
}

TEST(Z80SingleStep, Unprefixed) { RunGroup("Unprefixed"); }
TEST(Z80SingleStep, CB) { RunGroup("CB"); }
TEST(Z80SingleStep, ED) { RunGroup("ED"); }
TEST(Z80SingleStep, DD) { RunGroup("DD"); }
TEST(Z80SingleStep, FD) { RunGroup("FD"); }
TEST(Z80SingleStep, DDCB) { RunGroup("DDCB"); }
TEST(Z80SingleStep, FDCB) { RunGroup("FDCB"); }

TEST(JsonReader, ReadsTheShapesOfTheCaseFiles) {
  JsonValue v;
  ASSERT_TRUE(ParseJson(R"( [{"a": -12, "b": [1, [2, null], "x\"y"], "c": {}}, true] )", &v));
  ASSERT_EQ(v.items.size(), 2u);
  EXPECT_EQ(v.items[0].Find("a")->number, -12);
  EXPECT_EQ(v.items[0].Find("b")->items[1].items[1].kind, JsonValue::Null);
  EXPECT_EQ(v.items[0].Find("b")->items[2].text, "x\"y");
  EXPECT_EQ(v.items[0].Find("c")->kind, JsonValue::Object);
  EXPECT_EQ(v.items[1].number, 1);
  EXPECT_EQ(v.items[0].Find("z"), nullptr);
}

TEST(JsonReader, RefusesMalformedText) {
  JsonValue v;
  for (const char* bad : {"", "[", "[1,]", "{\"a\" 1}", "[1] 2", "\"open", "[1.5]", "[01x]",
                          "{\"a\":}", "nul", "[\"\\q\"]", "99999999999999999999"})
    EXPECT_FALSE(ParseJson(bad, &v)) << bad;
  std::string deep(100, '[');
  EXPECT_FALSE(ParseJson(deep + std::string(100, ']'), &v));
}

}  // namespace
