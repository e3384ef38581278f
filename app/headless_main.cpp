// tavo-headless: runs a cartridge with no window and no sound device, for
// continuous integration, testing and benchmarks.
#include <cstdio>

#include "app/headless_options.h"
#include "app/headless_run.h"

int main(int argc, char** argv) {
  HeadlessOptions options;
  std::string error;
  switch (ParseHeadlessOptions(argc, argv, &options, &error)) {
    case ParseResult::Help:
      std::fputs(HeadlessUsage, stdout);
      return 0;
    case ParseResult::Version:
      std::printf("tavo-headless %s\n", TAVO_VERSION);
      return 0;
    case ParseResult::Bad:
      std::fprintf(stderr, "tavo-headless: %s\n%s", error.c_str(), HeadlessUsage);
      return 2;
    case ParseResult::Run:
      break;
  }
  return RunHeadless(options);
}
