// tavo-headless as a test runner, end to end with the project's own
// cartridges: verdicts and exit codes, picture compares, the JSON report,
// the SDSC transcript, save states and periodic screenshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/headless_options.h"
#include "app/headless_verdict.h"
#include "headless_fixture.h"
#include "lumo/png.h"
#include "lumo/surface.h"
#include "machine/cartridge_files.h"

namespace {

const std::string Rom = TAVO_ROM_DIR "/";

class HeadlessRunner : public HeadlessFixture {
 protected:
  // runner_cases.sms with one button held from the first frame.
  int RunCase(const std::string& button, const std::string& args) {
    std::string script = "0-99999 " + button + "\n";
    EXPECT_TRUE(WriteFile(Path("pad.txt"), std::vector<uint8_t>(script.begin(), script.end())));
    return Run(args + (button.empty() ? "" : " --input " + Path("pad.txt")) + " " + Rom + "runner_cases.sms");
  }
};

TEST_F(HeadlessRunner, VerdictsEndTheRunWithTheirExitCodes) {
  const std::string verdict = "--pass PASS --fail FAIL --frames 300";
  EXPECT_EQ(RunCase("up", verdict), 0) << err_;
  EXPECT_EQ(err_, "passed at frame 1: PASS\n");
  EXPECT_EQ(RunCase("down", verdict), 1);
  EXPECT_EQ(err_, "failed at frame 1: FAIL: expected 3\n");
  EXPECT_EQ(RunCase("", verdict), 4);
  EXPECT_EQ(err_, "timed out after 300 frames\n");
  EXPECT_EQ(RunCase("left", verdict), 5);
  EXPECT_EQ(err_.rfind("CPU stopped for good at frame 1: HALT at $", 0), 0u) << err_;
  EXPECT_NE(err_.find("with interrupts off"), std::string::npos);
  EXPECT_EQ(RunCase("right", verdict), 5);
  EXPECT_NE(err_.find("with no interrupt source enabled"), std::string::npos) << err_;
  // Halted without --pass / --fail: its own code too, not 600 frames of spinning.
  EXPECT_EQ(RunCase("left", "--frames 600 --bench"), 5);
  EXPECT_EQ(out_.rfind("frames=1 ", 0), 0u) << out_;
  // "PASS" left under the cursor counts at the end of the run.
  EXPECT_EQ(RunCase("a", verdict), 0) << err_;
  // The run stops at the line: 100 ticks, then PASS.
  EXPECT_EQ(RunCase("b", verdict + " --sdsc --report " + Path("r.json")), 0) << err_;
  EXPECT_NE(Text("r.json").find("\"frames\": 100,"), std::string::npos) << Text("r.json");
  EXPECT_EQ(out_.size(), 100 * 5 + 5u);  // "tick\n" x 100, "PASS\n"
  // A line matching both patterns is a failure.
  EXPECT_EQ(RunCase("up", "--pass PA --fail SS --frames 10"), 1);
  EXPECT_EQ(RunCase("up", "--pass '(' --frames 10"), 2);
  EXPECT_NE(err_.find("bad regular expression for --pass"), std::string::npos);
}

TEST_F(HeadlessRunner, TheReadmeSelfTestPasses) {
  EXPECT_EQ(Run("--pass PASS --fail FAIL --frames 600 " + Rom + "sdsc_selftest.sms"), 0) << err_;
  EXPECT_EQ(Run("--sdsc --frames 60 " + Rom + "sdsc_selftest.sms"), 0);
  EXPECT_EQ(out_, "Tavo self test\nPASS\n");
}

TEST_F(HeadlessRunner, PicturesAreComparedPixelForPixel) {
  const std::string demo = Rom + "demo.sms";
  ASSERT_EQ(Run("--frames 100 --screenshot " + Path("ref.png") + " " + demo), 0);
  EXPECT_EQ(Run("--frames 100 --expect-png " + Path("ref.png") + " " + demo), 0) << err_;
  EXPECT_EQ(Run("--frames 130 --expect-png " + Path("ref.png") + " --diff-png " + Path("diff.png") + " " + demo), 3);
  EXPECT_EQ(err_.rfind("picture differs from '" + Path("ref.png") + "': ", 0), 0u) << err_;
  EXPECT_NE(err_.find(" pixels differ within ("), std::string::npos);
  Surface* diff = LoadPng(Path("diff.png").c_str(), nullptr, 0);
  ASSERT_NE(diff, nullptr);
  EXPECT_EQ(diff->width, 256);
  DestroySurface(diff);
  // A reference of another size is a difference, not a crash.
  Surface* small = CreateSurface(10, 300, 16, SurfaceClear);
  ASSERT_TRUE(SavePng(Path("small.png").c_str(), small));
  DestroySurface(small);
  EXPECT_EQ(Run("--frames 5 --expect-png " + Path("small.png") + " --diff-png " + Path("d2.png") + " " + demo), 3);
  EXPECT_NE(err_.find("; the last frame is 256x192, the reference 10x300"), std::string::npos) << err_;
  diff = LoadPng(Path("d2.png").c_str(), nullptr, 0);
  ASSERT_NE(diff, nullptr);
  EXPECT_EQ(diff->width, 256);
  EXPECT_EQ(diff->height, 300);
  DestroySurface(diff);
  // An unreadable reference is a bad option, found before the run.
  ASSERT_TRUE(WriteFile(Path("bad.png"), {1, 2, 3}));
  EXPECT_EQ(Run("--expect-png " + Path("bad.png") + " " + demo), 2);
  EXPECT_EQ(Run("--diff-png " + Path("x.png") + " " + demo), 2);
}

// The values of the report's keys, as written one per line.
std::string ReportValue(const std::string& json, const std::string& key) {
  size_t at = json.find("\n  \"" + key + "\": ");
  if (at == std::string::npos) return "";
  at += key.size() + 7;
  size_t end = json.find(",\n", at);
  if (end == std::string::npos) end = json.find("\n}", at);
  return json.substr(at, end - at);
}

TEST_F(HeadlessRunner, ReportIsWrittenWholeAndReadsBack) {
  ASSERT_EQ(RunCase("down", "--fail FAIL --frames 50 --report " + Path("fail.json")), 1);
  const std::string json = Text("fail.json");
  ASSERT_EQ(json.front(), '{');
  EXPECT_EQ(json.substr(json.size() - 2), "}\n");
  EXPECT_EQ(ReportValue(json, "cartridge"), "\"runner_cases.sms\"");
  EXPECT_EQ(ReportValue(json, "console"), "\"Master System\"");
  EXPECT_EQ(ReportValue(json, "frames"), "1");
  EXPECT_EQ(ReportValue(json, "exit_code"), "1");
  EXPECT_EQ(ReportValue(json, "exit_reason"), "\"failed\"");
  EXPECT_EQ(ReportValue(json, "sdsc_lines"), "[\"FAIL: expected 3\"]");
  EXPECT_EQ(ReportValue(json, "cartridge_crc32").size(), 10u);
  EXPECT_EQ(ReportValue(json, "picture_crc32").size(), 10u);
  EXPECT_FALSE(ReportValue(json, "seconds").empty());
  EXPECT_FALSE(ReportValue(json, "fps").empty());

  ASSERT_EQ(Run("--frames 60 --report " + Path("demo.json") + " " + Rom + "demo.sms"), 0);
  const std::string demo = Text("demo.json");
  EXPECT_EQ(ReportValue(demo, "exit_reason"), "\"finished\"");
  EXPECT_GT(std::stoi(ReportValue(demo, "peak_sample")), 1000);  // the tune plays
  // The same frames give the same picture CRC.
  ASSERT_EQ(Run("--frames 60 --report " + Path("again.json") + " " + Rom + "demo.sms"), 0);
  EXPECT_EQ(ReportValue(Text("again.json"), "picture_crc32"), ReportValue(demo, "picture_crc32"));

  EXPECT_EQ(Run("--report " + Path("none.json") + " " + Path("missing.sms")), 1);
  EXPECT_EQ(ReportValue(Text("none.json"), "exit_reason"), "\"cartridge not loaded\"");
  EXPECT_EQ(ReportValue(Text("none.json"), "cartridge"), "null");
  // An unwritable report fails the run and leaves no partial file.
  EXPECT_EQ(Run("--frames 5 --report " + Path("no/such/dir.json") + " " + Rom + "demo.sms"), 1);
}

TEST(HeadlessReport, JsonStringsAreEscaped) {
  EXPECT_EQ(JsonEscape("a\"b\\c"), "a\\\"b\\\\c");
  EXPECT_EQ(JsonEscape(std::string("\n\t\x01\x1f", 4)), "\\n\\t\\u0001\\u001f");
  EXPECT_EQ(JsonEscape("caf\xc3\xa9 \xe2\x82\xac"), "caf\xc3\xa9 \xe2\x82\xac");  // UTF-8 kept
  EXPECT_EQ(JsonEscape("\xe9t\xe9"), "\\u00e9t\\u00e9");                      // Latin-1 bytes
  EXPECT_EQ(JsonEscape("\xc3"), "\\u00c3");                                   // cut sequence
  EXPECT_EQ(JsonEscape("\xed\xa0\x80"), "\\u00ed\\u00a0\\u0080");             // a surrogate
}

TEST_F(HeadlessRunner, StatesResumeTheRunExactly) {
  const std::string demo = Rom + "demo.sms";
  ASSERT_EQ(Run("--frames 600 --screenshot " + Path("straight.png") + " --wav " + Path("straight.wav") + " " + demo),
            0);
  ASSERT_EQ(Run("--frames 300 --save-state " + Path("half.st0") + " " + demo), 0) << err_;
  EXPECT_EQ(ReadFile(Path("half.st0")).size(), 62328u);
  ASSERT_EQ(Run("--frames 300 --load-state " + Path("half.st0") + " --screenshot " + Path("resumed.png") + " --wav " +
                Path("resumed.wav") + " " + demo),
            0)
      << err_;
  EXPECT_EQ(ReadFile(Path("straight.png")), ReadFile(Path("resumed.png")));
  std::vector<uint8_t> straight = ReadFile(Path("straight.wav")), resumed = ReadFile(Path("resumed.wav"));
  ASSERT_EQ(resumed.size(), 44u + 300 * 735 * 4);
  EXPECT_TRUE(std::equal(resumed.begin() + 44, resumed.end(), straight.end() - (resumed.size() - 44)));

  ASSERT_TRUE(WriteFile(Path("bad.st0"), {'T', 'a', 'v', 'o'}));
  EXPECT_EQ(Run("--load-state " + Path("bad.st0") + " " + demo), 1);
  EXPECT_EQ(err_, "Couldn't load state '" + Path("bad.st0") + "'.\n");
  EXPECT_EQ(Run("--frames 5 --save-state " + Path("no/dir/x.st0") + " " + demo), 1);
  EXPECT_EQ(err_, "Couldn't save state as '" + Path("no/dir/x.st0") + "'.\n");
}

TEST_F(HeadlessRunner, RecordedMoviesReplayTheScriptedRun) {
  const std::string demo = Rom + "demo.sms";
  const std::string script = "10-80 right\n90-150 down\n160 a\n200-230 2:left\n";
  ASSERT_TRUE(WriteFile(Path("pad.txt"), std::vector<uint8_t>(script.begin(), script.end())));
  ASSERT_EQ(Run("--frames 100 --save-state " + Path("start.st0") + " " + demo), 0) << err_;
  const std::string start = "--load-state " + Path("start.st0") + " ";
  ASSERT_EQ(Run(start + "--frames 300 --input " + Path("pad.txt") + " --record-movie " + Path("run.movie") +
                " --screenshot " + Path("scripted.png") + " " + demo),
            0)
      << err_;
  EXPECT_EQ(ReadFile(Path("run.movie")).size(), 18u + 8 * 600 + 62328);
  ASSERT_EQ(Run("--movie " + Path("run.movie") + " --screenshot " + Path("replay.png") + " --report " +
                Path("replay.json") + " " + demo),
            0)
      << err_;
  EXPECT_EQ(ReadFile(Path("scripted.png")), ReadFile(Path("replay.png")));
  EXPECT_NE(Text("replay.json").find("\"frames\": 300"), std::string::npos) << "the movie's length";
  ASSERT_EQ(Run(start + "--frames 300 --screenshot " + Path("idle.png") + " " + demo), 0);
  EXPECT_NE(ReadFile(Path("idle.png")), ReadFile(Path("scripted.png"))) << "the pads made a difference";

  EXPECT_EQ(Run("--movie " + Path("run.movie") + " --input " + Path("pad.txt") + " " + demo), 2);
  ASSERT_TRUE(WriteFile(Path("bad.movie"), {'T', 'a', 'v', 'o'}));
  EXPECT_EQ(Run("--movie " + Path("bad.movie") + " " + demo), 1);
  EXPECT_EQ(err_, "The movie '" + Path("bad.movie") + "' has an invalid format.\n");
  EXPECT_EQ(Run("--frames 5 --record-movie " + Path("no/dir/x.movie") + " " + demo), 1);
  EXPECT_EQ(err_, "Couldn't write '" + Path("no/dir/x.movie") + "'.\n");
}

TEST_F(HeadlessRunner, ScreenshotsEveryNFrames) {
  ASSERT_EQ(Run("--frames 25 --screenshot-every 10 " + Path("shots") + " " + Rom + "demo.sms"), 0) << err_;
  EXPECT_TRUE(std::filesystem::exists(Path("shots/frame000010.png")));
  EXPECT_TRUE(std::filesystem::exists(Path("shots/frame000020.png")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("shots")), std::filesystem::directory_iterator()),
            2);
  EXPECT_EQ(Run("--screenshot-every 0 " + Path("shots") + " " + Rom + "demo.sms"), 2);
  EXPECT_EQ(Run("--screenshot-every 5"), 2);
}

}  // namespace
