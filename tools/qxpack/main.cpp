// qxpack: builds, lists, extracts from and checks the resource packages of the setup program.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "list.h"
#include "names.h"
#include "pack.h"

namespace {

const char kUsage[] =
    "usage: qxpack pack [--build DIR] MANIFEST OUTPUT\n"
    "       qxpack list PACKAGE\n"
    "       qxpack extract PACKAGE NAME OUTPUT\n"
    "       qxpack check [--build DIR] SETUP-MANIFEST [PAYLOAD-MANIFEST]\n"
    "       qxpack names SETUP-MANIFEST PAYLOAD-MANIFEST OUTPUT\n"
    "\n"
    "pack     builds one package from a manifest (lines of SOURCE ENTRY-NAME; a source\n"
    "         ${BUILD}/... is taken from DIR). SOURCE_DATE_EPOCH, when set, caps every file\n"
    "         time. Refuses a name setup cannot install and a package over 1 GiB.\n"
    "list     prints one line per entry: index, size, attributes, creation, last-access and\n"
    "         last-write time (UTC), name.\n"
    "extract  writes the data of the entry NAME (as list prints it, '\\' between folders) to\n"
    "         OUTPUT.\n"
    "check    checks the language file (as setup reads it), licences, shortcut targets,\n"
    "         entry names and sources; prints one line per finding and exits 1 when there\n"
    "         is any.\n"
    "names    writes the C++ source of the product's file and shortcut names, which the\n"
    "         uninstaller keeps to: the payload's entry names and the shortcut names of every\n"
    "         language.\n"
    "\n"
    "-h, --help  prints this text.\n";

// A wrong call: the usage on standard error and exit status 2.
int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

bool AsksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AsksForHelp(argc, argv)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  std::vector<std::string> args;
  std::string buildFolder;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--build") == 0 && i + 1 < argc && command != "list" &&
        command != "extract") {
      buildFolder = argv[++i];
    } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
      std::fprintf(stderr, "qxpack: unknown option %s\n", argv[i]);
      return Usage();
    } else {
      args.push_back(argv[i]);
    }
  }
  if (command == "pack" && args.size() == 2) return PackCommand(args[0], args[1], buildFolder);
  if (command == "list" && args.size() == 1) return ListCommand(args[0]);
  if (command == "extract" && args.size() == 3) return ExtractCommand(args[0], args[1], args[2]);
  if (command == "check" && (args.size() == 1 || args.size() == 2))
    return CheckCommand(args[0], args.size() == 2 ? args[1] : "", buildFolder);
  if (command == "names" && args.size() == 3) return NamesCommand(args[0], args[1], args[2]);
  return Usage();
}
