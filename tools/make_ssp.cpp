// Builds an SSP picture set from the project's text art.
//
//   make_ssp ART OUT
//
// The art file is a series of blocks separated by blank lines; ';' starts a
// comment line. Directives:
//   font                  a font: 256 pictures, one per character code,
//                         16 bits per pixel, ink white on the colour key
//   pictures              a picture set at 32 bits per pixel
//   height N              (fonts) every glyph padded at the bottom to N rows
//   spacing N             (fonts) N blank columns added right of every glyph
//   colour C RRGGBB       (pictures) the character C stands for that colour
//   glyph CODE [note]     the rows below are the glyph of that code
//   picture N [name]      the rows below are picture number N
// In the rows '.' is transparent (the colour key); in fonts any other
// character is ink.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Picture {
  std::vector<std::string> rows;
  bool present = false;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  fprintf(stderr, "make_ssp: %s: %s\n", where.c_str(), what.c_str());
  exit(1);
}

void Put32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; i++) out->push_back((uint8_t)(v >> (8 * i)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) Fail("usage", "make_ssp ART OUT");
  std::ifstream in(argv[1]);
  if (!in) Fail(argv[1], "cannot read");
  bool font = false, kind_set = false;
  int height = 0, spacing = 0;
  std::map<char, uint32_t> colours;
  std::vector<Picture> pictures;
  Picture* current = nullptr;
  std::string line;
  for (int number = 1; std::getline(in, line); number++) {
    const std::string where = std::string(argv[1]) + ":" + std::to_string(number);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == ';') continue;
    if (line.empty()) {
      current = nullptr;
      continue;
    }
    if (current) {
      current->rows.push_back(line);
      continue;
    }
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "font" || word == "pictures") {
      font = word == "font";
      kind_set = true;
      if (font) pictures.resize(256);
    } else if (word == "height") {
      words >> height;
    } else if (word == "spacing") {
      words >> spacing;
    } else if (word == "colour") {
      std::string c, hex;
      words >> c >> hex;
      if (c.size() != 1 || hex.size() != 6) Fail(where, "colour C RRGGBB");
      colours[c[0]] = (uint32_t)strtoul(hex.c_str(), nullptr, 16);
    } else if (word == "glyph" || word == "picture") {
      if (!kind_set || (word == "glyph") != font) Fail(where, word + " in the wrong kind of file");
      int index = -1;
      words >> index;
      if (index < 0 || index > 255) Fail(where, "number out of range");
      if ((int)pictures.size() <= index) pictures.resize(index + 1);
      if (pictures[index].present) Fail(where, "drawn twice");
      current = &pictures[index];
      current->present = true;
    } else {
      Fail(where, "unknown directive '" + word + "'");
    }
  }

  const uint32_t bits = font ? 16 : 32;
  std::vector<uint8_t> out = {'S', 'S', 'P', ' '};
  Put32(&out, (uint32_t)pictures.size());
  Put32(&out, bits);
  for (int i = 0; i < 4; i++) Put32(&out, 0);
  for (size_t index = 0; index < pictures.size(); index++) {
    const Picture& p = pictures[index];
    size_t width = 0, rows = p.rows.size();
    for (const std::string& row : p.rows) width = row.size() > width ? row.size() : width;
    if (p.present && font) {
      width += spacing;
      if ((int)rows > height && height) Fail(argv[1], "glyph " + std::to_string(index) + " too tall");
      if (height) rows = height;
    }
    if (!p.present) width = rows = 0;
    Put32(&out, (uint32_t)width);
    Put32(&out, (uint32_t)rows);
    Put32(&out, 1);  // uses the colour key
    const size_t bytes = bits / 8, stride = (width * bytes + 3) & ~(size_t)3;
    for (size_t y = 0; y < rows; y++) {
      std::vector<uint8_t> row(stride, 0);
      for (size_t x = 0; x < width; x++) {
        char c = y < p.rows.size() && x < p.rows[y].size() ? p.rows[y][x] : '.';
        uint32_t pixel;
        if (font) {
          pixel = c == '.' ? 0xF81F : 0xFFFF;
        } else if (c == '.') {
          pixel = 0xFF00FF;
        } else if (colours.count(c)) {
          pixel = colours[c];
        } else {
          Fail(argv[1], "picture " + std::to_string(index) + ": no colour for '" + c + "'");
        }
        for (size_t b = 0; b < bytes; b++) row[x * bytes + b] = (uint8_t)(pixel >> (8 * b));
      }
      out.insert(out.end(), row.begin(), row.end());
    }
  }
  // Written beside the target and renamed, so a failed run leaves no half file.
  const std::string temp = std::string(argv[2]) + ".tmp";
  FILE* file = fopen(temp.c_str(), "wb");
  if (!file || fwrite(out.data(), 1, out.size(), file) != out.size() || fclose(file) != 0)
    Fail(argv[2], "cannot write");
  if (rename(temp.c_str(), argv[2]) != 0) Fail(argv[2], "cannot rename");
  return 0;
}
