// The runner's command line and controller scripts.
#include <gtest/gtest.h>

#include "app/headless_options.h"
#include "app/headless_script.h"
#include "machine/ports.h"

namespace {

ParseResult Parse(std::vector<const char*> args, HeadlessOptions* options, std::string* error) {
  args.insert(args.begin(), "tavo-headless");
  return ParseHeadlessOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(HeadlessOptions, DefaultsAndEveryOption) {
  HeadlessOptions o;
  std::string error;
  ASSERT_EQ(Parse({"game.sms"}, &o, &error), ParseResult::Run);
  EXPECT_EQ(o.rom, "game.sms");
  EXPECT_EQ(o.frames, 600);
  EXPECT_FALSE(o.pal);
  EXPECT_FALSE(o.japanese);
  EXPECT_FALSE(o.fm);
  EXPECT_FALSE(o.bench);
  EXPECT_TRUE(o.home.empty());

  HeadlessOptions all;
  ASSERT_EQ(Parse({"--frames", "42", "--pal", "--japanese", "--fm", "--input", "in.txt", "--screenshot", "s.png",
                   "--wav", "s.wav", "--vgm", "s.vgm", "--home", "/tmp/h", "--bench", "x.gg"},
                  &all, &error),
            ParseResult::Run);
  EXPECT_EQ(all.frames, 42);
  EXPECT_TRUE(all.pal);
  EXPECT_TRUE(all.japanese);
  EXPECT_TRUE(all.fm);
  EXPECT_EQ(all.input, "in.txt");
  EXPECT_EQ(all.screenshot, "s.png");
  EXPECT_EQ(all.wav, "s.wav");
  EXPECT_EQ(all.vgm, "s.vgm");
  EXPECT_EQ(all.home, "/tmp/h");
  EXPECT_TRUE(all.bench);
  EXPECT_EQ(all.rom, "x.gg");

  HeadlessOptions last;
  ASSERT_EQ(Parse({"--pal", "--ntsc", "a.sms"}, &last, &error), ParseResult::Run);
  EXPECT_FALSE(last.pal);
  EXPECT_EQ(Parse({"--help"}, &last, &error), ParseResult::Help);
}

TEST(HeadlessOptions, BadCommandLines) {
  for (std::vector<const char*> args : std::vector<std::vector<const char*>>{
           {},
           {"--frames", "10"},
           {"a.sms", "b.sms"},
           {"--frames", "-3", "a.sms"},
           {"--frames", "ten", "a.sms"},
           {"--frames", "99999999999999999999", "a.sms"},
           {"a.sms", "--frames"},
           {"--wav", "", "a.sms"},
           {"--vgm", "", "a.sms"},
           {"--colour", "a.sms"},
       }) {
    HeadlessOptions o;
    std::string error;
    EXPECT_EQ(Parse(args, &o, &error), ParseResult::Bad) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(error.empty());
  }
}

TEST(ControllerScript, RangesButtonsAndSecondController) {
  ControllerScript script;
  std::string error;
  ASSERT_TRUE(ParseControllerScript("# menu\n"
                                    "10 start\n"
                                    "\n"
                                    "20-29 right a   2:left\n"
                                    "25-30 b 2:b reset\n"
                                    "; the end\n",
                                    &script, &error))
      << error;
  uint16_t words[2];
  ScriptInputForFrame(script, 9, words);
  EXPECT_EQ(words[0], 0);
  ScriptInputForFrame(script, 10, words);
  EXPECT_EQ(words[0], PadStart | PadPause);
  ScriptInputForFrame(script, 20, words);
  EXPECT_EQ(words[0], PadRight | PadButton1);
  EXPECT_EQ(words[1], PadLeft);
  ScriptInputForFrame(script, 27, words);
  EXPECT_EQ(words[0], PadRight | PadButton1 | PadButton2 | PadReset);
  EXPECT_EQ(words[1], PadLeft | PadButton2);
  ScriptInputForFrame(script, 30, words);
  EXPECT_EQ(words[0], PadButton2 | PadReset);
  ScriptInputForFrame(script, 31, words);
  EXPECT_EQ(words[0] | words[1], 0);
  ScriptInputForFrame(script, 0, words);  // up, down and left are spelled out too
  ASSERT_TRUE(ParseControllerScript("0 up down left", &script, &error));
  ScriptInputForFrame(script, 0, words);
  EXPECT_EQ(words[0], PadUp | PadDown | PadLeft);
}

TEST(ControllerScript, BadLinesNameTheirNumber) {
  for (const char* text : {"10", "x right", "5-3 a", "1 jump", "3: a", "-1 a", "2-x b", "1 3:a"}) {
    ControllerScript script;
    script.presses.push_back({0, 0, {1, 1}});
    std::string error;
    EXPECT_FALSE(ParseControllerScript(std::string("0 a\n") + text, &script, &error)) << text;
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_EQ(script.presses.size(), 1u);  // left as it was
  }
  std::string error;
  ControllerScript script;
  EXPECT_FALSE(LoadControllerScript("/nonexistent/script.txt", &script, &error));
  EXPECT_FALSE(LoadControllerScript("/tmp", &script, &error));
}

}  // namespace
