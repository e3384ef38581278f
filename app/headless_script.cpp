#include "app/headless_script.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "machine/ports.h"

namespace {

constexpr size_t MaxScriptBytes = 16u << 20;

struct ButtonName {
  const char* name;
  uint16_t bits;
};
// start covers both start bits: Game Gear Start and Master System Pause.
constexpr ButtonName Buttons[] = {
    {"up", PadUp},       {"down", PadDown},       {"left", PadLeft},
    {"right", PadRight}, {"a", PadButton1},       {"b", PadButton2},
    {"start", PadStart | PadPause},               {"reset", PadReset},
};

bool ParseFrame(const std::string& text, long* value) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  errno = 0;
  char* end;
  long n = std::strtol(text.c_str(), &end, 10);
  if (errno || *end) return false;
  *value = n;
  return true;
}

bool ParseRange(const std::string& word, ScriptPress* press) {
  size_t dash = word.find('-');
  if (dash == std::string::npos) {
    if (!ParseFrame(word, &press->first)) return false;
    press->last = press->first;
    return true;
  }
  return ParseFrame(word.substr(0, dash), &press->first) &&
         ParseFrame(word.substr(dash + 1), &press->last) && press->first <= press->last;
}

bool ParseButton(std::string word, ScriptPress* press) {
  int controller = 0;
  if (word.rfind("2:", 0) == 0) {
    controller = 1;
    word.erase(0, 2);
  }
  for (const ButtonName& b : Buttons) {
    if (word == b.name) {
      press->buttons[controller] |= b.bits;
      return true;
    }
  }
  return false;
}

}  // namespace

bool ParseControllerScript(const std::string& text, ControllerScript* script, std::string* error) {
  ControllerScript parsed;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word[0] == '#' || word[0] == ';') continue;
    ScriptPress press{0, 0, {0, 0}};
    bool ok = ParseRange(word, &press);
    bool any = false;
    while (ok && words >> word) {
      ok = ParseButton(word, &press);
      any = true;
    }
    if (!ok || !any) {
      *error = "line " + std::to_string(number) + ": \"" + line + "\"";
      return false;
    }
    parsed.presses.push_back(press);
  }
  *script = std::move(parsed);
  return true;
}

bool LoadControllerScript(const char* path, ControllerScript* script, std::string* error) {
  FILE* file = std::fopen(path, "rb");
  if (!file) {
    *error = "cannot open it";
    return false;
  }
  std::string text;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0 && text.size() <= MaxScriptBytes)
    text.append(chunk, n);
  bool failed = std::ferror(file);
  std::fclose(file);
  if (failed || text.size() > MaxScriptBytes) {
    *error = failed ? "cannot read it" : "it is too large";
    return false;
  }
  return ParseControllerScript(text, script, error);
}

void ScriptInputForFrame(const ControllerScript& script, long frame, uint16_t words[2]) {
  words[0] = words[1] = 0;
  for (const ScriptPress& press : script.presses) {
    if (frame < press.first || frame > press.last) continue;
    words[0] |= press.buttons[0];
    words[1] |= press.buttons[1];
  }
}
