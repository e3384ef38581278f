// The debugger's four annotation lists: labels, breakpoints and comments
// keyed by absolute address (ConsoleAbsoluteAddress), variables by a 16-bit
// CPU address. Each keeps insertion order (sorting reorders it); the label,
// breakpoint and variable lists also keep the scroll position of their
// window. Patch and symbol files and the list windows fill them; the
// disassembler, the debugger and the trace log look entries up by address.
// The lists live for the whole run and survive cartridge changes.
#pragma once
#include <cstdint>
#include <string>

struct Label {
  uint32_t address;
  std::string name;
};
struct Breakpoint {
  uint32_t address;
};
enum VariableKind : uint8_t { VarByte = 1, VarWord = 2, VarDword = 3 };
struct Variable {
  uint16_t address;
  uint8_t kind;  // VariableKind
  std::string name;
};
struct Comment {
  uint32_t address;
  std::string text;
};

// A list holds at most this many entries; further additions are dropped
// (a hostile file cannot exhaust memory).
constexpr int MaxListEntries = 1 << 20;

// Lookups by absolute address: the first entry in list order, or none.
// Pointers stay valid until the list next changes.
const Label* FindLabel(uint32_t address);
const Comment* FindComment(uint32_t address);
const Breakpoint* FindBreakpoint(uint32_t address);
// The same answers as fast tests for every executed or traced instruction.
bool HasBreakpoint(uint32_t address);
const char* LabelNameAt(uint32_t address);  // the name, or none
// The first label with exactly this name (case counts), or none.
const Label* FindLabelNamed(const std::string& name);

// AddLabel: a label with the same name (exact case) moves to the address;
// else a label at the address is renamed; else a new one is appended.
// AddComment: the same rules with the text in place of the name.
void AddLabel(uint32_t address, const std::string& name);
void AddComment(uint32_t address, const std::string& text);
// Appends unless a breakpoint with the address exists.
void AddBreakpoint(uint32_t address);
// Removes the breakpoint at the address if there is one, else appends one.
void ToggleBreakpoint(uint32_t address);
// A variable with the same name gets the address (its kind stays); else,
// with Config.var_overwrite, a variable at the address gets the name; else a
// new one is appended. The kind is 1..3 (VariableKind); others are refused.
void AddVariable(uint16_t address, uint8_t kind, const std::string& name);

// Each frees all entries and sets the count and scroll position to 0.
void ClearLabels();
void ClearBreakpoints();
void ClearVariables();
void ClearComments();
void ResetDebugLists();  // all four (start-up, tests)

// Index-based access and editing for the list windows. Indices past the end
// do nothing (or give none).
int LabelCount();
int BreakpointCount();
int VariableCount();
int CommentCount();
const Label* LabelEntry(int index);
const Breakpoint* BreakpointEntry(int index);
const Variable* VariableEntry(int index);
const Comment* CommentEntry(int index);
void SetLabelAt(int index, uint32_t address, const std::string& name);
void SetBreakpointAt(int index, uint32_t address);
void SetVariableAt(int index, uint16_t address, uint8_t kind, const std::string& name);
// Removes the entry and moves the list's scroll position up by one (not
// below 0), as the window's "Delete" does.
void DeleteLabelAt(int index);
void DeleteBreakpointAt(int index);
void DeleteVariableAt(int index);

// Stable sorts. By name: letters compared without regard to case, a name
// that is the start of another first.
void SortLabelsByName();
void SortLabelsByAddress();
void SortBreakpoints();
void SortVariablesByName();
void SortVariablesByAddress();  // by the 16-bit address

// Scroll positions (first row shown) of the three list windows.
enum ListWindow { LabelListWindow, BreakpointListWindow, VariableListWindow };
constexpr int ListVisibleRows = 27;
int ListScroll(ListWindow list);
void SetListScroll(ListWindow list, int first);  // not below 0
// Moves by a signed amount, kept within 0 .. count - visible rows.
void ScrollListBy(ListWindow list, int delta);
