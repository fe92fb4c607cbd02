// aerolyx-cli: the program's work without a window, one subcommand each.
#include <QCoreApplication>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "cli/CliApp.h"
#include "cli/CliBatch.h"
#include "cli/CliChart.h"
#include "cli/CliSound.h"
#include "cli/CliEngine.h"
#include "cli/CliPrint.h"
#include "cli/CliSelect.h"
#include "cli/CliText.h"

namespace {

struct Subcommand {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
    const char* summary;
};

const Subcommand kSubcommands[] = {
    {"batch", aerolyx::CliBatch, "run the fan selection for every duty of a schedule (CSV)"},
    {"chart", aerolyx::CliChart, "draw the performance chart of a fan file as a picture"},
    {"engine", aerolyx::CliEngine, "send numbered commands to the fan engine and print its replies"},
    {"print", aerolyx::CliPrint, "write the data sheet of a fan file as PDF"},
    {"select", aerolyx::CliSelect, "run the fan selection for a duty and list the candidates"},
    {"show", aerolyx::CliShow, "list a fan file's fields as caption, value and unit"},
    {"sound", aerolyx::CliSound, "print the sound sheet of a fan file: band levels or NR values"},
    {"text", aerolyx::CliText, "the text sheet of a fan file with its values filled in"},
};

int Usage(std::ostream& out, int status)
{
    out << "usage: aerolyx-cli SUBCOMMAND [options]   (SUBCOMMAND --help for its options)\n"
           "       aerolyx-cli --version\n";
    for (const Subcommand& s : kSubcommands) out << "  " << s.name << std::string(10 - std::strlen(s.name), ' ') << s.summary << "\n";
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto app = aerolyx::MakeCliApplication(argc, argv);
    if (argc < 2) return Usage(std::cerr, 2);
    const std::string cmd = argv[1];
    if (cmd == "-h" || cmd == "--help" || cmd == "help") return Usage(std::cout, 0);
    if (cmd == "--version" || cmd == "-V") {
        std::cout << aerolyx::VersionLine("aerolyx-cli", std::string()) << "\n";
        return 0;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const Subcommand& s : kSubcommands)
        if (cmd == s.name) return s.run(args);
    std::cerr << "aerolyx-cli: unknown subcommand '" << cmd << "'\n";
    return Usage(std::cerr, 2);
}
