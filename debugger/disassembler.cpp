#include "debugger/disassembler.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "debugger/debug_lists.h"
#include "machine/memory.h"
#include "z80/z80.h"

namespace {

enum MarkerKind : uint8_t {
  MarkPrefix,        // %p%
  MarkDisplacement,  // (i?)
  MarkIndexBare,     // (I?)
  MarkIndex,         // i?
  MarkWordParen,     // (##)
  MarkWord,          // ##
  MarkByte,          // #
  MarkAbsolute,      // *
  MarkRelative,      // +
};

struct Marker {
  uint8_t at, length, kind;
};

// A template with its markers found once, at load: only the template's own
// markers are filled, never text that an operand (a label name) brings in.
struct OpcodeRecord {
  char text[OpcodeRecordSize];
  uint8_t marker_count;
  Marker markers[7];
  bool displacement;       // consumes a displacement byte (outside DD CB / FD CB)
  uint8_t immediate_bytes; // 0, 1 or 2
  bool absolute, relative;
};

OpcodeRecord Records[OpcodeRecordCount];

int Find(const char* text, const char* marker, int from = 0) {
  const char* at = std::strstr(text + from, marker);
  return at ? static_cast<int>(at - text) : -1;
}

void Plan(OpcodeRecord* record) {
  const char* t = record->text;
  std::vector<Marker> found;
  auto add = [&](int at, int length, MarkerKind kind) {
    if (at >= 0) found.push_back({uint8_t(at), uint8_t(length), kind});
    return at >= 0;
  };
  add(Find(t, "%p%"), 3, MarkPrefix);
  record->displacement = add(Find(t, "(i?)"), 4, MarkDisplacement);
  if (!record->displacement && !add(Find(t, "(I?)"), 4, MarkIndexBare)) {
    int first = Find(t, "i?");
    if (add(first, 2, MarkIndex)) add(Find(t, "i?", first + 2), 2, MarkIndex);
  }
  record->immediate_bytes = add(Find(t, "(##)"), 4, MarkWordParen) || add(Find(t, "##"), 2, MarkWord) ? 2
                            : add(Find(t, "#"), 1, MarkByte)                                     ? 1
                                                                                                : 0;
  record->absolute = add(Find(t, "*"), 1, MarkAbsolute);
  record->relative = add(Find(t, "+"), 1, MarkRelative);
  std::sort(found.begin(), found.end(), [](const Marker& a, const Marker& b) { return a.at < b.at; });
  // Markers of a hand-made file may overlap ("%p%" inside "(i?)" cannot, but
  // a template is free text): an overlapped one stays literal.
  record->marker_count = 0;
  int end = 0;
  for (const Marker& m : found) {
    if (m.at < end) continue;
    record->markers[record->marker_count++] = m;
    end = m.at + m.length;
  }
}

bool PrintableTemplate(const uint8_t* bytes) {
  for (int i = 0; i < OpcodeRecordSize; ++i) {
    const uint8_t c = bytes[i];
    if (c == 0) return true;
    if ((c < 0x20 || c > 0x7E) && c != '\t' && c != '\n') return false;
  }
  return false;  // no terminator
}


// Bounded output into the caller's text.
struct Output {
  char* text;
  int size;  // usable characters, the terminator excluded
  int used;
  void Put(char c) {
    if (used < size) text[used++] = c;
  }
  void Put(const char* s) {
    while (*s && used < size) text[used++] = *s++;
  }
  void Put(const char* s, int n) {
    for (int i = 0; i < n && used < size; ++i) text[used++] = s[i];
  }
  void Hex(uint32_t value, int digits) {
    static const char Digits[] = "0123456789ABCDEF";
    char buffer[8];
    int n = 0;
    do {
      buffer[n++] = Digits[value & 15];
      value >>= 4;
    } while (value || n < digits);
    while (n) Put(buffer[--n]);
  }
  void Decimal(int value) {
    char buffer[12];
    std::snprintf(buffer, sizeof buffer, "%d", value);
    Put(buffer);
  }
};

// Absolute and relative jumps alike: the target's label, else its CPU
// address, so that a jr reads as its jp would (and assembles back).
void PutTarget(Output* out, uint32_t target) {
  if (const char* name = LabelNameAt(AbsoluteAddress(static_cast<uint16_t>(target)))) {
    out->Put(name);
  } else {
    out->Put('$');
    out->Hex(target, 1);
  }
}

}  // namespace

bool LoadOpcodeTable(const uint8_t* data, size_t size) {
  if (!data || size != OpcodeFileSize) return false;
  const uint8_t* table = data + OpcodeLeadingSize;
  for (int i = 0; i < OpcodeRecordCount; ++i)
    if (!PrintableTemplate(table + i * OpcodeRecordSize)) return false;
  for (int i = 0; i < OpcodeRecordCount; ++i) {
    std::memcpy(Records[i].text, table + i * OpcodeRecordSize, OpcodeRecordSize);
    Plan(&Records[i]);
  }
  return true;
}

bool LoadOpcodes(const char* path) {
  FILE* file = path ? std::fopen(path, "rb") : nullptr;
  if (!file) return false;
  // One byte more than the layout, to tell a long file from a right one.
  std::vector<uint8_t> bytes(OpcodeFileSize + 1);
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  const bool failed = std::ferror(file);
  std::fclose(file);
  return !failed && LoadOpcodeTable(bytes.data(), got);
}

void ResetOpcodes() {
  for (OpcodeRecord& record : Records) {
    std::memset(record.text, 0, sizeof record.text);
    Plan(&record);
  }
}

const char* OpcodeTemplate(int record) {
  return record >= 0 && record < OpcodeRecordCount ? Records[record].text : "";
}

int DisassembleZ80(uint16_t address, char* text, int text_size) {
  const uint32_t start = address;
  uint32_t at = start + 1;  // next operand byte; wraps through ReadByte
  const uint8_t first = PeekByte(start);
  char letter = '?';
  int record = first, displacement = 0;
  bool index_cb = false;
  if (first == 0xCB || first == 0xED) {
    record = (first == 0xCB ? 256 : 512) + PeekByte(at++);
  } else if (first == 0xDD || first == 0xFD) {
    letter = first == 0xDD ? 'x' : 'y';
    const uint8_t second = PeekByte(at++);
    if (second == 0xCB) {
      displacement = static_cast<int8_t>(PeekByte(at++));
      record = 1024 + PeekByte(at++);
      index_cb = true;
    } else {
      record = 768 + second;
    }
  }
  const OpcodeRecord& r = Records[record];
  if (r.displacement && !index_cb) displacement = static_cast<int8_t>(PeekByte(at++));
  uint32_t immediate = 0;
  if (r.immediate_bytes == 2) {
    immediate = PeekByte(at) | PeekByte(at + 1) << 8;
    at += 2;
  } else if (r.immediate_bytes == 1) {
    immediate = PeekByte(at++);
  }
  uint32_t absolute = 0;
  if (r.absolute) {
    absolute = PeekByte(at) | PeekByte(at + 1) << 8;
    at += 2;
  }
  int relative = 0;
  if (r.relative) relative = static_cast<int8_t>(PeekByte(at++));

  if (text && text_size > 0) {
    Output out{text, text_size - 1, 0};
    int from = 0;
    for (int i = 0; i < r.marker_count; ++i) {
      const Marker& m = r.markers[i];
      out.Put(r.text + from, m.at - from);
      from = m.at + m.length;
      switch (m.kind) {
        case MarkPrefix:
          out.Put(".db  $");
          out.Hex(first, 1);
          out.Put("\n\t");
          break;
        case MarkDisplacement:
          out.Put("(i");
          out.Put(letter);
          out.Put(displacement < 0 ? '-' : '+');
          out.Decimal(displacement < 0 ? -displacement : displacement);
          out.Put(')');
          break;
        case MarkIndexBare:
          out.Put("(i");
          out.Put(letter);
          out.Put(')');
          break;
        case MarkIndex:
          out.Put('i');
          out.Put(letter);
          break;
        case MarkWordParen:
          out.Put("($");
          out.Hex(immediate, 4);
          out.Put(')');
          break;
        case MarkWord:
          out.Put('$');
          out.Hex(immediate, 4);
          break;
        case MarkByte:
          out.Put('$');
          out.Hex(immediate, 2);
          break;
        case MarkAbsolute:
          PutTarget(&out, absolute);
          break;
        case MarkRelative:
          PutTarget(&out, (at + relative) & 0xFFFF);
          break;
      }
    }
    out.Put(r.text + from);
    text[out.used] = 0;
  }
  return static_cast<int>(at - start);
}
