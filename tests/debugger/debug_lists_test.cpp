// The four debugger lists: their add rules, lookups, sorts, deletions and
// scroll positions, and the list windows' texts and field actions on a
// console whose banking turns CPU addresses into absolute ones.
#include <random>

#include "debugger/debugger_fixture.h"
#include "debugger/list_window_data.h"

namespace {

using DebugLists = DebuggerFixture;

std::vector<std::string> LabelTexts() {
  std::vector<std::string> rows;
  for (int i = 0; i < LabelCount(); ++i) rows.push_back(LabelRowText(i));
  return rows;
}

TEST_F(DebugLists, LabelsMoveByNameRenameByAddressOrAreAppended) {
  AddLabel(0x100, "Start");
  AddLabel(0x200, "Loop");
  AddLabel(0x300, "Start");  // same name: moves
  AddLabel(0x200, "Main");   // same address: renamed
  AddLabel(0x400, "start");  // names are exact: a new label
  EXPECT_EQ(LabelTexts(), (std::vector<std::string>{"$00300: Start", "$00200: Main", "$00400: start"}));
  EXPECT_EQ(FindLabel(0x100), nullptr);
  EXPECT_STREQ(LabelNameAt(0x200), "Main");
  EXPECT_EQ(LabelNameAt(0x12345), nullptr);
  // A label moved onto an address that has one: the first in list order wins.
  AddLabel(0x300, "start");
  EXPECT_EQ(LabelCount(), 3);
  AddLabel(0x300, "Other");  // renames the first label at $300
  EXPECT_STREQ(LabelEntry(0)->name.c_str(), "Other");
  EXPECT_STREQ(LabelNameAt(0x300), "Other");

  AddComment(0x10, "first");
  AddComment(0x20, "first");   // same text: moves
  AddComment(0x20, "second");  // same address: new text
  EXPECT_EQ(CommentCount(), 1);
  EXPECT_EQ(FindComment(0x20)->text, "second");
  EXPECT_EQ(FindComment(0x10), nullptr);
}

TEST_F(DebugLists, BreakpointsAreAddedOnceAndToggle) {
  AddBreakpoint(0x4000);
  AddBreakpoint(0x4000);
  AddBreakpoint(0x10);
  EXPECT_EQ(BreakpointCount(), 2);
  EXPECT_TRUE(HasBreakpoint(0x4000));
  EXPECT_FALSE(HasBreakpoint(0x4001));
  ToggleBreakpoint(0x4000);
  EXPECT_FALSE(HasBreakpoint(0x4000));
  EXPECT_EQ(FindBreakpoint(0x4000), nullptr);
  ToggleBreakpoint(0x4000);
  EXPECT_TRUE(HasBreakpoint(0x4000));
  EXPECT_EQ(BreakpointRowText(1), "$04000");
  EXPECT_EQ(BreakpointRowText(2), "");
  // "Set" may put two on one address; toggling removes one at a time.
  SetBreakpointAt(0, 0x4000);
  ToggleBreakpoint(0x4000);
  EXPECT_TRUE(HasBreakpoint(0x4000));
  ToggleBreakpoint(0x4000);
  EXPECT_FALSE(HasBreakpoint(0x4000));
  EXPECT_EQ(BreakpointCount(), 0);
}

TEST_F(DebugLists, VariablesKeepTheirKindAndShareAddressesUnlessOverwriting) {
  Config.var_overwrite = false;
  AddVariable(0xC000, VarByte, "lives");
  AddVariable(0xC010, VarWord, "lives");  // moves, stays a byte
  AddVariable(0xC010, VarDword, "score");
  ASSERT_EQ(VariableCount(), 2);
  EXPECT_EQ(VariableEntry(0)->address, 0xC010);
  EXPECT_EQ(VariableEntry(0)->kind, VarByte);
  Config.var_overwrite = true;
  AddVariable(0xC010, VarWord, "energy");  // renames the first one there
  EXPECT_EQ(VariableCount(), 2);
  EXPECT_EQ(VariableEntry(0)->name, "energy");
  EXPECT_EQ(VariableEntry(0)->kind, VarByte);
  AddVariable(0xC020, 7, "bad kind");
  EXPECT_EQ(VariableCount(), 2);
}

TEST_F(DebugLists, SortsAreStableAndIgnoreLetterCase) {
  for (auto [address, name] : std::vector<std::pair<uint32_t, const char*>>{
           {5, "beta"}, {3, "Alpha"}, {7, "alp"}, {1, "ALPHA2"}, {8, "Beta2"}})
    AddLabel(address, name);
  SetLabelAt(2, 5, "alp");  // two labels on one address, as "Set" allows
  SetLabelAt(4, 3, "Beta2");
  SortLabelsByName();
  EXPECT_EQ(LabelTexts(), (std::vector<std::string>{"$00005: alp", "$00003: Alpha", "$00001: ALPHA2",
                                                    "$00005: beta", "$00003: Beta2"}));
  SortLabelsByAddress();  // equal addresses keep the name order
  EXPECT_EQ(LabelTexts(), (std::vector<std::string>{"$00001: ALPHA2", "$00003: Alpha", "$00003: Beta2",
                                                    "$00005: alp", "$00005: beta"}));
  EXPECT_STREQ(LabelNameAt(3), "Alpha");
  EXPECT_STREQ(LabelNameAt(5), "alp");

  Config.var_overwrite = false;
  AddVariable(0x20, VarByte, "b");
  AddVariable(0x10, VarWord, "A");
  AddVariable(0x10, VarByte, "c");
  SortVariablesByAddress();
  EXPECT_EQ(VariableEntry(0)->name, "A");
  EXPECT_EQ(VariableEntry(1)->name, "c");
  SortVariablesByName();
  EXPECT_EQ(VariableEntry(2)->name, "c");
  AddBreakpoint(9);
  AddBreakpoint(2);
  SortBreakpoints();
  EXPECT_EQ(BreakpointEntry(0)->address, 2u);
}

TEST_F(DebugLists, DeletingMovesTheScrollUpAndPositionsPastTheEndDoNothing) {
  for (int i = 0; i < 40; ++i) AddLabel(i, std::string("L").append(std::to_string(i)));
  ScrollListBy(LabelListWindow, 100);
  EXPECT_EQ(ListScroll(LabelListWindow), 40 - ListVisibleRows);
  ScrollListBy(LabelListWindow, -5);
  EXPECT_EQ(ListScroll(LabelListWindow), 8);
  DeleteLabelAt(8);
  EXPECT_EQ(ListScroll(LabelListWindow), 7);
  EXPECT_EQ(LabelCount(), 39);
  EXPECT_EQ(LabelNameAt(8), nullptr);
  EXPECT_STREQ(LabelNameAt(9), "L9");
  DeleteLabelAt(39);
  SetLabelAt(-1, 1, "x");
  SetLabelAt(39, 1, "x");
  EXPECT_EQ(LabelCount(), 39);
  EXPECT_EQ(LabelEntry(39), nullptr);
  SetListScroll(LabelListWindow, -3);
  EXPECT_EQ(ListScroll(LabelListWindow), 0);
  ClearLabels();
  SetListScroll(BreakpointListWindow, 2);
  ScrollListBy(BreakpointListWindow, 1);  // fewer rows than the window
  EXPECT_EQ(ListScroll(BreakpointListWindow), 0);
  EXPECT_EQ(LabelCount(), 0);
  EXPECT_EQ(ListScroll(LabelListWindow), 0);
}

// Lookups through the indexes agree with a plain search of the list after
// any mix of additions, edits, deletions and sorts.
TEST_F(DebugLists, LookupsAgreeWithTheListThroughAnyEdits) {
  std::mt19937 random(7);
  auto pick = [&](int n) { return static_cast<int>(random() % n); };
  for (int step = 0; step < 4000; ++step) {
    const uint32_t address = pick(64);
    const std::string name = std::string("n") + std::to_string(pick(48));
    switch (pick(8)) {
      case 0: case 1: case 2: AddLabel(address, name); break;
      case 3: SetLabelAt(pick(LabelCount() + 1), address, name); break;
      case 4: DeleteLabelAt(pick(LabelCount() + 1)); break;
      case 5: if (pick(10) == 0) SortLabelsByName(); break;
      case 6: if (pick(10) == 0) SortLabelsByAddress(); break;
      default: ToggleBreakpoint(address); break;
    }
    for (uint32_t a = 0; a < 64; ++a) {
      const Label* expected = nullptr;
      for (int i = 0; i < LabelCount() && !expected; ++i)
        if (LabelEntry(i)->address == a) expected = LabelEntry(i);
      ASSERT_EQ(FindLabel(a), expected) << "step " << step << " address " << a;
      bool breakpoint = false;
      for (int i = 0; i < BreakpointCount(); ++i) breakpoint |= BreakpointEntry(i)->address == a;
      ASSERT_EQ(HasBreakpoint(a), breakpoint);
    }
    // The name rule finds the first label of that name.
    int first = -1;
    for (int i = 0; i < LabelCount() && first < 0; ++i)
      if (LabelEntry(i)->name == name) first = i;
    if (first >= 0) {
      AddLabel(0x999, name);
      ASSERT_EQ(LabelEntry(first)->address, 0x999u);
    }
  }
}

TEST_F(DebugLists, ManyEntriesStayCheapAndTheListsAreCapped) {
  // A symbol file of a big game: every add looks up a name and an address.
  for (int i = 0; i < 100000; ++i) AddLabel(i * 3, "label_" + std::to_string(i));
  for (int i = 0; i < 100000; i += 2) AddLabel(i * 3 + 1, "label_" + std::to_string(i));
  EXPECT_EQ(LabelCount(), 100000);
  EXPECT_STREQ(LabelNameAt(3 * 1000 + 1), "label_1000");
  EXPECT_EQ(LabelNameAt(3 * 1000), nullptr);
  for (int i = 0; i < MaxListEntries + 10; ++i) AddBreakpoint(i);
  EXPECT_EQ(BreakpointCount(), MaxListEntries);
  EXPECT_FALSE(HasBreakpoint(MaxListEntries));
}

TEST_F(DebugLists, WindowFieldsConvertCpuAddressesUnlessAbsolute) {
  Install(MarkedBanks(8));
  Write8(0xFFFE, 5);  // slot 1 shows bank 5
  Config.labels_address_absolute = false;
  EXPECT_EQ(AddLabelFromFields("$4100", ""), std::string("Label needs a name."));
  EXPECT_EQ(LabelCount(), 0);
  EXPECT_EQ(AddLabelFromFields("$4100", "Bank5"), nullptr);
  EXPECT_EQ(LabelRowText(0), "$14100: Bank5");
  Config.labels_address_absolute = true;
  EXPECT_EQ(AddLabelFromFields("%100", "Abs"), nullptr);  // binary
  EXPECT_EQ(LabelRowText(1), "$00004: Abs");
  EXPECT_EQ(SetLabelFromFields(1, "$8000", ""), std::string("Label needs a name."));
  EXPECT_EQ(SetLabelFromFields(1, "32768", "Abs2"), nullptr);
  EXPECT_EQ(LabelRowText(1), "$08000: Abs2");
  EXPECT_EQ(HexFieldText(LabelEntry(0)->address), "$14100");

  Config.break_points_address_absolute = false;
  AddBreakpointFromField("$C123");
  AddBreakpointFromField("$E123");  // the RAM mirror folds onto the same one
  EXPECT_EQ(BreakpointCount(), 1);
  EXPECT_EQ(BreakpointRowText(0), "$0C123");
  Config.break_points_address_absolute = true;
  SetBreakpointFromField(0, "$");
  EXPECT_EQ(BreakpointRowText(0), "$00000");
}

TEST_F(DebugLists, AddressFieldsTakeLabelNamesOrRefuseThem) {
  Install(MarkedBanks(8));
  Write8(0xFFFE, 5);  // slot 1 shows bank 5
  AddLabel(0x14123, "Far");     // bank 5, seen at $4123 now
  AddLabel(0x1C000, "Unpaged");  // bank 7, in no slot
  AddLabel(0xC010, "score");
  Config.break_points_address_absolute = false;
  // A label is an absolute address already: the box does not convert it.
  EXPECT_EQ(AddBreakpointFromField(" Far "), nullptr);
  EXPECT_TRUE(HasBreakpoint(0x14123));
  EXPECT_EQ(BreakpointCount(), 1);
  EXPECT_EQ(AddBreakpointFromField("far"), std::string("Couldn't find label 'far'."));  // case counts
  EXPECT_EQ(AddBreakpointFromField("Nowhere"), std::string("Couldn't find label 'Nowhere'."));
  EXPECT_EQ(AddBreakpointFromField("$12zz"), std::string("Couldn't read address '$12zz'."));
  EXPECT_EQ(AddBreakpointFromField(""), std::string("Address needs a number or a label."));
  EXPECT_EQ(SetBreakpointFromField(0, "Nowhere"), std::string("Couldn't find label 'Nowhere'."));
  EXPECT_EQ(BreakpointCount(), 1);
  EXPECT_FALSE(HasBreakpoint(0));
  EXPECT_EQ(SetBreakpointFromField(0, "Unpaged"), nullptr);
  EXPECT_EQ(BreakpointRowText(0), "$1C000");

  Config.labels_address_absolute = false;
  EXPECT_EQ(AddLabelFromFields("Far", "Alias"), nullptr);  // the same address: renamed
  EXPECT_EQ(LabelNameAt(0x14123), std::string("Alias"));
  EXPECT_EQ(AddLabelFromFields("Gone", "New"), std::string("Couldn't find label 'Gone'."));
  EXPECT_EQ(LabelCount(), 3);

  // Variables take CPU addresses: a label where its bank is paged in now.
  EXPECT_EQ(AddVariableFromFields("score", VarWord, "points"), nullptr);
  EXPECT_EQ(VariableEntry(0)->address, 0xC010);
  EXPECT_EQ(AddVariableFromFields("Alias", VarByte, "far"), nullptr);
  EXPECT_EQ(VariableEntry(1)->address, 0x4123);
  EXPECT_EQ(AddVariableFromFields("Unpaged", VarByte, "x"),
            std::string("Can't use label 'Unpaged': its bank is not paged in."));
  EXPECT_EQ(SetVariableFromFields(0, "%10", VarByte, "points"), nullptr);
  EXPECT_EQ(VariableEntry(0)->address, 2);
  EXPECT_EQ(VariableCount(), 2);
}

TEST_F(DebugLists, VariableRowsShowTheirValuesAndChangeThem) {
  Install(MarkedBanks(8));
  EXPECT_EQ(AddVariableFromFields("$C000", VarByte, ""), std::string("Variable needs a name."));
  ASSERT_EQ(AddVariableFromFields("$C000", VarByte, "lives"), nullptr);
  ASSERT_EQ(AddVariableFromFields("$C002", VarWord, "score"), nullptr);
  ASSERT_EQ(AddVariableFromFields("$1C004", VarDword, "timer"), nullptr);  // 16 bits kept
  Write32(0xC000, 0x44332211);
  Write32(0xC004, 0x8899AABB);
  EXPECT_EQ(VariableRowText(0), "           lives =       11 (@ $    C000)");
  EXPECT_EQ(VariableRowText(1), "           score =     4433 (@ $    C002)");
  EXPECT_EQ(VariableRowText(2), "           timer = 8899AABB (@ $    C004)");
  EXPECT_EQ(HexFieldText(VariableValue(*VariableEntry(1))), "$4433");
  ChangeVariableValue(1, "$1234");
  EXPECT_EQ(Read32(0xC000), 0x12342211u);
  ChangeVariableValue(2, "%101");
  EXPECT_EQ(Read32(0xC004), 5u);
  ChangeVariableValue(0, "300");  // the low 8 bits
  EXPECT_EQ(Read8(0xC000), 44);
  ChangeVariableValue(3, "1");  // past the end
  // A word at the mapper registers pages ROM in, as a program write would.
  ASSERT_EQ(SetVariableFromFields(0, "$FFFE", VarWord, "mapper"), nullptr);
  ChangeVariableValue(0, "$0603");
  EXPECT_EQ(PrimaryMachine.RomBank1, 3);
  EXPECT_EQ(PrimaryMachine.RomBank2, 6);
  EXPECT_EQ(SetVariableFromFields(0, "$C000", VarByte, ""), std::string("Variable needs a name."));
  EXPECT_EQ(VariableEntry(0)->name, "mapper");
}

}  // namespace
