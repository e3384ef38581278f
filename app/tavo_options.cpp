#include "app/tavo_options.h"

const char* const TavoUsage =
    "Usage: tavo [options] [ROM]\n"
    "Plays a Sega Master System or Game Gear cartridge (.sms, .gg, or either inside a .zip)\n"
    "in its window; without a ROM the GUI opens and File > Load ROM picks one.\n"
    "  -debug              start in the debugger, stopped at the first instruction\n"
    "  -sym FILE           add the labels of a NO$GMB symbol file (lines \"bank:offset name\")\n"
    "                      once the cartridge is loaded\n"
    "  --help, -h          this text\n"
    "  --version           the program's name and version\n"
    "Settings are kept in tavo.cfg; see tavo(1) for where the files go.\n";

bool TavoOptionTakesValue(const std::string& word) { return word == "-sym"; }

TavoCommand CheckTavoOptions(int argc, const char* const* argv, std::string* error) {
  for (int i = 1; i < argc; i++) {
    const std::string word = argv[i];
    if (word == "--help" || word == "-h") return TavoCommand::Help;
    if (word == "--version") return TavoCommand::Version;
    if (TavoOptionTakesValue(word)) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        *error = "option " + word + " needs a file";
        return TavoCommand::Bad;
      }
      i++;
    } else if (word.size() > 0 && word[0] == '-' && word != "-debug") {
      *error = "unknown option " + word;
      return TavoCommand::Bad;
    }
  }
  return TavoCommand::Run;
}
