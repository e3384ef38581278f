#include "debugger/debug_lists.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <vector>

#include "config/config.h"

namespace {

// Where each key occurs, as ascending list positions, so that lookups and
// the add rules cost the same with ten entries or a million. Appends and
// edits of one entry update it in place; removals and sorts, which move
// positions, rebuild it.
template <typename Key>
using PositionIndex = std::unordered_map<Key, std::vector<int>>;

template <typename Key>
void IndexAdd(PositionIndex<Key>* index, const Key& key, int position) {
  std::vector<int>& at = (*index)[key];
  at.insert(std::lower_bound(at.begin(), at.end(), position), position);
}

template <typename Key>
void IndexRemove(PositionIndex<Key>* index, const Key& key, int position) {
  auto found = index->find(key);
  if (found == index->end()) return;
  std::vector<int>& at = found->second;
  auto it = std::lower_bound(at.begin(), at.end(), position);
  if (it != at.end() && *it == position) at.erase(it);
  if (at.empty()) index->erase(found);
}

template <typename Key>
int IndexFirst(const PositionIndex<Key>& index, const Key& key) {
  auto found = index.find(key);
  return found == index.end() ? -1 : found->second.front();
}

// One bit per low 16 bits of an address that may have an entry: the trace
// log and a debugger run ask for almost every instruction, and nearly all
// of them have none. Bits are only set, until the next rebuild.
struct AddressFilter {
  uint64_t bits[1024];
};

void FilterSet(AddressFilter* filter, uint32_t address) {
  filter->bits[(address >> 6) & 1023] |= uint64_t{1} << (address & 63);
}
bool FilterMaybe(const AddressFilter& filter, uint32_t address) {
  return filter.bits[(address >> 6) & 1023] >> (address & 63) & 1;
}

template <typename Entry>
struct List {
  std::vector<Entry> entries;
  PositionIndex<uint32_t> by_address;
  PositionIndex<std::string> by_name;  // names, comment texts; unused for breakpoints
  AddressFilter filter;
  int scroll = 0;
};

// The text each kind is found by: the name, a comment's text, none.
std::string* NameOf(Label& e) { return &e.name; }
std::string* NameOf(Comment& e) { return &e.text; }
std::string* NameOf(Variable& e) { return &e.name; }
std::string* NameOf(Breakpoint&) { return nullptr; }
const std::string& NameOf(const Label& e) { return e.name; }
const std::string& NameOf(const Variable& e) { return e.name; }

List<Label> Labels;
List<Breakpoint> Breakpoints;
List<Variable> Variables;
List<Comment> Comments;

template <typename Entry>
void Rebuild(List<Entry>* list) {
  list->by_address.clear();
  list->by_name.clear();
  list->filter = {};
  for (int i = 0; i < static_cast<int>(list->entries.size()); ++i) {
    Entry& e = list->entries[i];
    IndexAdd<uint32_t>(&list->by_address, e.address, i);
    FilterSet(&list->filter, e.address);
    if (std::string* name = NameOf(e)) IndexAdd(&list->by_name, *name, i);
  }
}

template <typename Entry>
void Append(List<Entry>* list, Entry entry) {
  if (list->entries.size() >= static_cast<size_t>(MaxListEntries)) return;
  const int position = static_cast<int>(list->entries.size());
  list->entries.push_back(std::move(entry));
  Entry& e = list->entries.back();
  IndexAdd<uint32_t>(&list->by_address, e.address, position);
  FilterSet(&list->filter, e.address);
  if (std::string* name = NameOf(e)) IndexAdd(&list->by_name, *name, position);
}

template <typename Entry>
void ChangeAddress(List<Entry>* list, int position, uint32_t address) {
  Entry& e = list->entries[position];
  IndexRemove<uint32_t>(&list->by_address, e.address, position);
  e.address = static_cast<decltype(e.address)>(address);
  IndexAdd<uint32_t>(&list->by_address, e.address, position);
  FilterSet(&list->filter, e.address);
}

template <typename Entry>
void ChangeName(List<Entry>* list, int position, const std::string& name) {
  std::string* current = NameOf(list->entries[position]);
  IndexRemove(&list->by_name, *current, position);
  *current = name;
  IndexAdd(&list->by_name, *current, position);
}

template <typename Entry>
bool Valid(const List<Entry>& list, int index) {
  return index >= 0 && index < static_cast<int>(list.entries.size());
}

template <typename Entry>
const Entry* EntryAt(const List<Entry>& list, int index) {
  return Valid(list, index) ? &list.entries[index] : nullptr;
}

template <typename Entry>
const Entry* FirstAt(const List<Entry>& list, uint32_t address) {
  if (!FilterMaybe(list.filter, address)) return nullptr;
  const int at = IndexFirst(list.by_address, address);
  return at < 0 ? nullptr : &list.entries[at];
}

template <typename Entry>
void Delete(List<Entry>* list, int index) {
  if (!Valid(*list, index)) return;
  list->entries.erase(list->entries.begin() + index);
  Rebuild(list);
  list->scroll = std::max(0, list->scroll - 1);
}

template <typename Entry>
void Clear(List<Entry>* list) {
  // Swapped out so the memory is given back, not just the count.
  List<Entry>().entries.swap(list->entries);
  list->by_address.clear();
  list->by_name.clear();
  list->filter = {};
  list->scroll = 0;
}

// The label and comment rules: same name moves, same address renames, else
// a new entry.
template <typename Entry>
void AddNamed(List<Entry>* list, uint32_t address, const std::string& name) {
  int at = IndexFirst(list->by_name, name);
  if (at >= 0) {
    ChangeAddress(list, at, address);
    return;
  }
  at = IndexFirst(list->by_address, address);
  if (at >= 0) {
    ChangeName(list, at, name);
    return;
  }
  Entry entry{};
  entry.address = address;
  *NameOf(entry) = name;
  Append(list, std::move(entry));
}

bool NameBefore(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

template <typename Entry>
void SortByName(List<Entry>* list) {
  std::stable_sort(list->entries.begin(), list->entries.end(),
                   [](const Entry& a, const Entry& b) { return NameBefore(NameOf(a), NameOf(b)); });
  Rebuild(list);
}

template <typename Entry>
void SortByAddress(List<Entry>* list) {
  std::stable_sort(list->entries.begin(), list->entries.end(),
                   [](const Entry& a, const Entry& b) { return a.address < b.address; });
  Rebuild(list);
}

template <typename Entry>
int Count(const List<Entry>& list) {
  return static_cast<int>(list.entries.size());
}

int* ScrollOf(ListWindow list, int* count) {
  switch (list) {
    case LabelListWindow: *count = Count(Labels); return &Labels.scroll;
    case BreakpointListWindow: *count = Count(Breakpoints); return &Breakpoints.scroll;
    default: *count = Count(Variables); return &Variables.scroll;
  }
}

}  // namespace

const Label* FindLabel(uint32_t address) { return FirstAt(Labels, address); }
const Comment* FindComment(uint32_t address) { return FirstAt(Comments, address); }
const Breakpoint* FindBreakpoint(uint32_t address) { return FirstAt(Breakpoints, address); }

bool HasBreakpoint(uint32_t address) {
  return FilterMaybe(Breakpoints.filter, address) && Breakpoints.by_address.count(address);
}

const char* LabelNameAt(uint32_t address) {
  const Label* label = FindLabel(address);
  return label ? label->name.c_str() : nullptr;
}

const Label* FindLabelNamed(const std::string& name) {
  const int at = IndexFirst(Labels.by_name, name);
  return at < 0 ? nullptr : &Labels.entries[at];
}

void AddLabel(uint32_t address, const std::string& name) { AddNamed(&Labels, address, name); }
void AddComment(uint32_t address, const std::string& text) { AddNamed(&Comments, address, text); }

void AddBreakpoint(uint32_t address) {
  if (!FindBreakpoint(address)) Append(&Breakpoints, Breakpoint{address});
}

void ToggleBreakpoint(uint32_t address) {
  const int at = IndexFirst(Breakpoints.by_address, address);
  if (at < 0) {
    Append(&Breakpoints, Breakpoint{address});
    return;
  }
  Breakpoints.entries.erase(Breakpoints.entries.begin() + at);
  Rebuild(&Breakpoints);
}

void AddVariable(uint16_t address, uint8_t kind, const std::string& name) {
  if (kind < VarByte || kind > VarDword) return;
  int at = IndexFirst(Variables.by_name, name);
  if (at >= 0) {
    ChangeAddress(&Variables, at, address);
    return;
  }
  at = Config.var_overwrite ? IndexFirst(Variables.by_address, uint32_t{address}) : -1;
  if (at >= 0) {
    ChangeName(&Variables, at, name);
    return;
  }
  Append(&Variables, Variable{address, kind, name});
}

void ClearLabels() { Clear(&Labels); }
void ClearBreakpoints() { Clear(&Breakpoints); }
void ClearVariables() { Clear(&Variables); }
void ClearComments() { Clear(&Comments); }

void ResetDebugLists() {
  ClearLabels();
  ClearBreakpoints();
  ClearVariables();
  ClearComments();
}

int LabelCount() { return Count(Labels); }
int BreakpointCount() { return Count(Breakpoints); }
int VariableCount() { return Count(Variables); }
int CommentCount() { return Count(Comments); }
const Label* LabelEntry(int index) { return EntryAt(Labels, index); }
const Breakpoint* BreakpointEntry(int index) { return EntryAt(Breakpoints, index); }
const Variable* VariableEntry(int index) { return EntryAt(Variables, index); }
const Comment* CommentEntry(int index) { return EntryAt(Comments, index); }

void SetLabelAt(int index, uint32_t address, const std::string& name) {
  if (!Valid(Labels, index)) return;
  ChangeAddress(&Labels, index, address);
  ChangeName(&Labels, index, name);
}

void SetBreakpointAt(int index, uint32_t address) {
  if (Valid(Breakpoints, index)) ChangeAddress(&Breakpoints, index, address);
}

void SetVariableAt(int index, uint16_t address, uint8_t kind, const std::string& name) {
  if (!Valid(Variables, index) || kind < VarByte || kind > VarDword) return;
  ChangeAddress(&Variables, index, address);
  ChangeName(&Variables, index, name);
  Variables.entries[index].kind = kind;
}

void DeleteLabelAt(int index) { Delete(&Labels, index); }
void DeleteBreakpointAt(int index) { Delete(&Breakpoints, index); }
void DeleteVariableAt(int index) { Delete(&Variables, index); }

void SortLabelsByName() { SortByName(&Labels); }
void SortLabelsByAddress() { SortByAddress(&Labels); }
void SortBreakpoints() { SortByAddress(&Breakpoints); }
void SortVariablesByName() { SortByName(&Variables); }
void SortVariablesByAddress() { SortByAddress(&Variables); }

int ListScroll(ListWindow list) {
  int count;
  return *ScrollOf(list, &count);
}

void SetListScroll(ListWindow list, int first) {
  int count;
  *ScrollOf(list, &count) = std::max(0, first);
}

void ScrollListBy(ListWindow list, int delta) {
  int count;
  int* scroll = ScrollOf(list, &count);
  const int last = std::max(0, count - ListVisibleRows);
  *scroll = static_cast<int>(std::clamp<int64_t>(int64_t{*scroll} + delta, 0, last));
}
