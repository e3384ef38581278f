// The real program in a real X window: tavo runs the demo cartridge under
// Xvfb, the screen is read back with xwd, keys come from xdotool. It shows
// the game's picture, the pad moves the player, Esc brings up the menu bar,
// Alt+X quits and tavo.cfg is written whole. Skips when Xvfb, xdotool or
// xwd are missing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "lumo/surface.h"
#include "machine/cartridge.h"
#include "machine/cartridge_files.h"
#include "machine/console.h"
#include "record/screenshot.h"

namespace {

bool OnPath(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
    pclose(pipe);
  }
  return text;
}

// Polls until the condition holds or the time is up; the program under test
// runs at its own pace, so the test waits for what it wants to see.
bool WaitFor(const std::function<bool()>& condition, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return condition();
}

struct Rgb {
  uint8_t r, g, b;
};

// The screen as xwd writes it (ZPixmap, TrueColor).
struct Screen {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;
  Rgb At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

uint32_t Be32(const std::vector<uint8_t>& d, size_t at) {
  return uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | uint32_t(d[at + 2]) << 8 | d[at + 3];
}

int Shift(uint32_t mask) {
  int shift = 0;
  while (mask && !(mask & 1)) mask >>= 1, shift++;
  return shift;
}

bool ReadXwd(const std::string& path, Screen* screen) {
  const std::vector<uint8_t> d = ReadFile(path);
  if (d.size() < 100) return false;
  const uint32_t header = Be32(d, 0), width = Be32(d, 16), height = Be32(d, 20), byte_order = Be32(d, 28);
  const uint32_t bits = Be32(d, 44), line = Be32(d, 48), red = Be32(d, 56), green = Be32(d, 60),
                 blue = Be32(d, 64), colours = Be32(d, 76);
  const size_t start = size_t(header) + size_t(colours) * 12, bytes = bits / 8;
  if (bytes < 2 || bytes > 4 || width > 8192 || height > 8192 || start + size_t(line) * height > d.size())
    return false;
  screen->width = int(width), screen->height = int(height);
  screen->pixels.resize(size_t(width) * height);
  for (uint32_t y = 0; y < height; y++)
    for (uint32_t x = 0; x < width; x++) {
      const uint8_t* p = &d[start + size_t(y) * line + x * bytes];
      uint32_t v = 0;
      for (size_t i = 0; i < bytes; i++)
        v |= uint32_t(p[i]) << (byte_order == 0 ? 8 * i : 8 * (bytes - 1 - i));
      auto field = [&](uint32_t mask) {
        const uint32_t top = mask >> Shift(mask);
        return uint8_t(top ? ((v & mask) >> Shift(mask)) * 255 / top : 0);
      };
      screen->pixels[size_t(y) * width + x] = {field(red), field(green), field(blue)};
    }
  return true;
}

// The colours of the demo's picture after a second of running, from the
// emulator itself.
std::vector<Rgb> DemoColours() {
  std::vector<Rgb> colours;
  if (!CreateConsoles() || !LoadCartridge(TAVO_ROM_DIR "/demo.sms")) return colours;
  HardResetConsole();
  for (int frame = 0; frame < 60; frame++) RunConsoleFrame(true, true);
  Surface* picture = CopyEmulatedPicture();
  std::set<uint32_t> seen;
  if (picture) {
    uint8_t* p = LockSurface(picture, LockReadOnly);
    for (int y = 0; y < picture->height; y++)
      for (int x = 0; x < picture->width; x++) {
        uint8_t rgb[3];
        PixelToColor(picture->format, ReadPixel(p + y * picture->pitch + x * 2, 2), rgb);
        seen.insert(uint32_t(rgb[0]) << 16 | rgb[1] << 8 | rgb[2]);
      }
    UnlockSurface(picture);
    DestroySurface(picture);
  }
  DestroyConsoles();
  for (uint32_t c : seen) colours.push_back({uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
  return colours;
}

bool Near(Rgb a, Rgb b) {
  return std::abs(a.r - b.r) <= 12 && std::abs(a.g - b.g) <= 12 && std::abs(a.b - b.b) <= 12;
}

class XvfbProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool", "xwd"})
      if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed (apt-get install xvfb xdotool x11-apps)";
    StartServer();
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";
    home_ = MakeScratchFolder();
    ASSERT_FALSE(home_.empty());
    // A fresh program directory: the program and its data beside it.
    std::string copy = "cp '" TAVO_PROGRAM "' '" TAVO_BUILD_DIR "/opcodes.dat' '" TAVO_BUILD_DIR "/lark.png' ";
    copy += "'" TAVO_BUILD_DIR "'/*.ssp '";
    copy += home_;
    copy += "/' && cp -r '" TAVO_BUILD_DIR "/themes' '";
    copy += home_;
    copy += "/'";
    ASSERT_EQ(std::system(copy.c_str()), 0);
    const std::string config = "windowed = 1\nsound_enabled = 1\n";
    ASSERT_TRUE(WriteFile(home_ + "/tavo.cfg", std::vector<uint8_t>(config.begin(), config.end())));
    setenv("DISPLAY", display_.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("WAYLAND_DISPLAY");
  }
  void TearDown() override {
    if (program_ > 0) {
      kill(program_, SIGKILL);
      waitpid(program_, nullptr, 0);
    }
    if (server_ > 0) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
    }
    RemoveFolder(home_);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
  }

  // Xvfb picks a free display itself and tells its number.
  void StartServer() {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return;
    server_ = fork();
    if (server_ == 0) {
      close(pipe_ends[0]);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1), dup2(null, 2);
      const std::string fd = std::to_string(pipe_ends[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
             (char*)nullptr);
      _exit(127);
    }
    close(pipe_ends[1]);
    char number[32] = {};
    ssize_t got = 0, n;
    while (got < 31 && (n = read(pipe_ends[0], number + got, size_t(31 - got))) > 0) {
      got += n;
      if (std::strchr(number, '\n')) break;
    }
    close(pipe_ends[0]);
    number[std::strcspn(number, "\n")] = 0;
    if (number[0] >= '0' && number[0] <= '9') {
      display_ = ":";
      display_ += number;
    }
  }

  void StartProgram(const char* rom) { StartProgram(std::vector<std::string>{rom}); }
  void StartProgram(const std::vector<std::string>& arguments) {
    program_ = fork();
    if (program_ == 0) {
      if (chdir(home_.c_str()) != 0) _exit(127);
      const int log = open("run.log", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(log, 1), dup2(log, 2);
      const std::string exe = home_ + "/tavo";
      std::vector<char*> argv{const_cast<char*>("tavo")};
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(exe.c_str(), argv.data());
      _exit(127);
    }
  }
  // Alt+X, and the program has ended with status 0.
  void Quit() {
    Tool("key alt+x");
    int status = -1;
    const bool ended = WaitFor([&] { return waitpid(program_, &status, WNOHANG) == program_; }, 20);
    ASSERT_TRUE(ended) << "tavo did not quit on Alt+X";
    program_ = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  bool FocusWindow() {
    if (!WaitFor([&] { return FindWindow(); }, 30)) {
      const std::vector<uint8_t> log = ReadFile(home_ + "/run.log");
      int status = 0;
      const bool ended = waitpid(program_, &status, WNOHANG) == program_;
      if (ended) program_ = -1;
      ADD_FAILURE() << "no window named Tavo on " << display_ << "; the program "
                    << (ended ? "ended with status " + std::to_string(status) : std::string("runs"))
                    << "; its output:\n" << std::string(log.begin(), log.end());
      return false;
    }
    Tool("mousemove --window " + window_ + " 5 5");
    Tool("windowfocus --sync " + window_);
    return true;
  }

  std::string Tool(const std::string& arguments) { return Output("xdotool " + arguments + " 2>/dev/null"); }

  bool FindWindow() {
    window_ = Tool("search --name '^Tavo'");
    window_ = window_.substr(0, window_.find('\n'));
    if (window_.empty()) return false;
    const std::string shell = Tool("getwindowgeometry --shell " + window_);
    int x = -1, y = -1, w = 0, h = 0;
    for (const char* line = shell.c_str(); *line; line = std::strchr(line, '\n') ? std::strchr(line, '\n') + 1 : "") {
      std::sscanf(line, "X=%d", &x), std::sscanf(line, "Y=%d", &y);
      std::sscanf(line, "WIDTH=%d", &w), std::sscanf(line, "HEIGHT=%d", &h);
    }
    left_ = x, top_ = y, width_ = w, height_ = h;
    return w > 0 && h > 0;
  }

  bool Capture(Screen* screen) {
    const std::string path = home_ + "/screen.xwd";
    return std::system(("xwd -root -silent > '" + path + "' 2>/dev/null").c_str()) == 0 && ReadXwd(path, screen) &&
           left_ >= 0 && top_ >= 0 && left_ + width_ <= screen->width && top_ + height_ <= screen->height;
  }

  // Pixels of the window not black, and how many of them have a colour of the game.
  void Census(const Screen& s, const std::vector<Rgb>& game, int* lit, int* matching, int* distinct) {
    *lit = *matching = 0;
    std::set<uint32_t> colours;
    for (int y = top_; y < top_ + height_; y += 2)
      for (int x = left_; x < left_ + width_; x += 2) {
        const Rgb c = s.At(x, y);
        if (c.r + c.g + c.b < 24) continue;
        ++*lit;
        colours.insert(uint32_t(c.r) << 16 | c.g << 8 | c.b);
        for (const Rgb& g : game)
          if (Near(c, g)) {
            ++*matching;
            break;
          }
      }
    *distinct = int(colours.size());
  }

  // The player: the only yellow without any blue in the picture (the
  // title's yellows have some). Its mean x, or -1.
  double PlayerX(const Screen& s) {
    long sum = 0, count = 0;
    for (int y = top_; y < top_ + height_; y++)
      for (int x = left_; x < left_ + width_; x++) {
        const Rgb c = s.At(x, y);
        if (c.r > 150 && c.g > 150 && std::abs(c.r - c.g) < 24 && c.b < 30) sum += x, count++;
      }
    return count ? double(sum) / double(count) : -1;
  }

  // Share of the window's top 16 rows in the menu bar's colour (white).
  double MenuBarShare(const Screen& s) {
    long white = 0, all = 0;
    for (int y = top_; y < top_ + 15; y++)
      for (int x = left_; x < left_ + width_; x++, all++) {
        const Rgb c = s.At(x, y);
        white += c.r > 240 && c.g > 240 && c.b > 240;
      }
    return all ? double(white) / double(all) : 0;
  }

  std::string display_, home_, window_;
  pid_t server_ = -1, program_ = -1;
  int left_ = -1, top_ = -1, width_ = 0, height_ = 0;
};

TEST_F(XvfbProgram, PlaysTheDemoAnswersTheKeysAndWritesItsSettings) {
  const std::vector<Rgb> game = DemoColours();
  ASSERT_GT(game.size(), 8u);
  StartProgram(TAVO_ROM_DIR "/demo.sms");
  ASSERT_TRUE(WaitFor([&] { return FindWindow(); }, 30)) << "no window named Tavo appeared";
  // Titled after the cartridge once it has loaded.
  EXPECT_TRUE(WaitFor([&] { return Output("xdotool getwindowname " + window_) == "Tavo - demo.sms\n"; }, 30));
  Tool("mousemove --window " + window_ + " 5 5");
  Tool("windowfocus --sync " + window_);

  // The game's picture: many colours, nearly all of them the game's own.
  Screen screen;
  int lit = 0, matching = 0, distinct = 0;
  const bool shown = WaitFor([&] {
    if (!Capture(&screen)) return false;
    Census(screen, game, &lit, &matching, &distinct);
    return lit > 5000 && distinct >= 8 && matching >= lit * 9 / 10;
  }, 30);
  EXPECT_TRUE(shown) << "lit " << lit << ", of the game's colours " << matching << ", distinct " << distinct;
  EXPECT_LT(MenuBarShare(screen), 0.05) << "the GUI starts hidden with a cartridge";

  // Right on the pad moves the player to the right.
  const double before = PlayerX(screen);
  ASSERT_GE(before, 0) << "the player sprite is not on the screen";
  Tool("keydown g");
  double after = before;
  const bool moved = WaitFor([&] {
    Screen now;
    if (Capture(&now)) after = PlayerX(now);
    return after > before + 10;
  }, 20);
  Tool("keyup g");
  EXPECT_TRUE(moved) << "the player stayed at x " << before << " (now " << after << ")";

  // Esc shows the GUI: the menu bar across the top.
  Tool("keydown Escape");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  Tool("keyup Escape");
  double share = 0;
  EXPECT_TRUE(WaitFor([&] {
    Screen now;
    if (Capture(&now)) share = MenuBarShare(now);
    return share > 0.6;
  }, 20)) << "menu bar share " << share;

  // Alt+X as one fast chord (both keys down and up again within a pass)
  // quits, and the settings are written whole.
  Tool("key alt+x");
  int status = -1;
  const bool ended = WaitFor([&] { return waitpid(program_, &status, WNOHANG) == program_; }, 20);
  ASSERT_TRUE(ended) << "tavo did not quit on Alt+X";
  program_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadFile(home_ + "/run.log").size();
  const std::vector<uint8_t> bytes = ReadFile(home_ + "/tavo.cfg");
  const std::string text(bytes.begin(), bytes.end());
  // Up to its last section: the cartridge it played heads the recent list.
  const std::string first = ";-------------------------;\n", bios = "\n; BIOS files\nbios0000 = \"\"\n",
                    last = "\n; Recent cartridges\nrecent_rom_0 = \"" TAVO_ROM_DIR "/demo.sms\"\n";
  EXPECT_EQ(text.rfind(first, 0), 0u) << text.substr(0, 60);
  ASSERT_GT(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
  EXPECT_NE(text.find(bios + last), std::string::npos);
  EXPECT_NE(text.find("windowed               = 1\n"), std::string::npos);
}

// A first run (no tavo.cfg) fills the screen with the game; Alt+Enter
// switches to the configured window and the choice is written.
TEST_F(XvfbProgram, AFirstRunFillsTheScreenAndAltEnterMakesAWindow) {
  std::remove((home_ + "/tavo.cfg").c_str());
  const std::vector<Rgb> game = DemoColours();
  StartProgram(TAVO_ROM_DIR "/demo.sms");
  ASSERT_TRUE(FocusWindow()) << "no window named Tavo appeared";
  EXPECT_TRUE(WaitFor([&] { return FindWindow() && width_ == 800 && height_ == 600; }, 20))
      << "full screen on the 800 x 600 display: " << width_ << " x " << height_;
  int lit = 0, matching = 0, distinct = 0;
  const bool filled = WaitFor([&] {
    Screen screen;
    if (!Capture(&screen)) return false;
    Census(screen, game, &lit, &matching, &distinct);
    return lit > 800 * 600 / 4 * 8 / 10 && matching >= lit * 9 / 10;  // sampled every second pixel both ways
  }, 30);
  EXPECT_TRUE(filled) << "lit " << lit << " of " << 800 * 600 / 4 << " sampled pixels, of the game's " << matching;

  Tool("key alt+Return");
  EXPECT_TRUE(WaitFor([&] { return FindWindow() && width_ == 640 && height_ == 480; }, 20))
      << "window " << width_ << " x " << height_;
  Quit();
  const std::vector<uint8_t> bytes = ReadFile(home_ + "/tavo.cfg");
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("windowed               = 1\n"), std::string::npos);
  EXPECT_NE(text.find("stretching             = 2\n"), std::string::npos) << "Maximize stays once written";
}

// A cartridge that is not there is named on standard error with the GUI
// shown; -debug shows the debugger at once, stopped.
TEST_F(XvfbProgram, AMissingCartridgeSaysSoAndDebugShowsTheDebugger) {
  StartProgram("missing.sms");
  ASSERT_TRUE(FocusWindow());
  EXPECT_TRUE(WaitFor([&] {
    const std::vector<uint8_t> log = ReadFile(home_ + "/run.log");
    return std::string(log.begin(), log.end()).find("Couldn't load ROM 'missing.sms'.") != std::string::npos;
  }, 20));
  Screen screen;
  EXPECT_TRUE(WaitFor([&] { return Capture(&screen) && MenuBarShare(screen) > 0.6; }, 20)) << "the GUI shows";
  Quit();

  StartProgram({"-debug", TAVO_ROM_DIR "/demo.sms"});
  ASSERT_TRUE(FocusWindow());
  EXPECT_TRUE(WaitFor([&] { return Capture(&screen) && MenuBarShare(screen) > 0.6; }, 20)) << "the GUI shows";
  // Stopped in the debugger: the demo's animation does not move.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Screen first, later;
  ASSERT_TRUE(Capture(&first));
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  ASSERT_TRUE(Capture(&later));
  size_t differing = 0;
  for (size_t i = 0; i < first.pixels.size() && i < later.pixels.size(); i++)
    differing += !Near(first.pixels[i], later.pixels[i]);
  EXPECT_EQ(differing, 0u) << "the picture changed: the game runs";
  Quit();
}

}  // namespace
