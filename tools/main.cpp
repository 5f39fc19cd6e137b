// dtaus: writes DTAUS files from payment orders in JSON or CSV, shows and checks any
// DTAUS file, and prints the slip that goes with it to the bank.
//
//   dtaus generate orders.json -o DTAUS0.TXT
//   dtaus generate payments.csv --header header.json -o DTAUS0.TXT --dtaus-alphabet
//   dtaus show DTAUS0.TXT [--json]
//   dtaus slip DTAUS0.TXT [--html]
//
// Exit codes: 0 success; 1 invalid input or a DTAUS file with errors; 2 the command could
// not run (usage, unreadable or malformed input, an output that cannot be written).
#include <CLI/CLI.hpp>
#include <iostream>
#include <locale>
#include <new>

#include "tools/commands.h"
#include "tools/interrupt_cleanup.h"
#include "tools/tool_error.h"

namespace {

int run(int argc, char** argv) {
  using dtaus::tool::kExitUsage;
  // The library parses amounts with the global locale's decimal point; the tool hands
  // them over in the classic form, whatever LANG or LC_NUMERIC say.
  std::locale::global(std::locale::classic());
  dtaus::tool::InstallInterruptCleanup();

  CLI::App app{"Writes DTAUS files, shows and checks them, prints the accompanying slip.", "dtaus"};
  app.set_version_flag("--version", std::string("dtaus ") + DTAUS_VERSION);
  app.require_subcommand(1);

  dtaus::tool::GenerateOptions generate;
  CLI::App* generate_command = app.add_subcommand(
      "generate",
      "Write a DTAUS file from payment orders: a JSON document with MeineInfo and "
      "GeldTransfer, or a CSV file of payments together with --header.");
  generate_command
      ->add_option("INPUT", generate.input, "JSON orders, or CSV payments; - reads standard input")
      ->required();
  generate_command->add_option("-o,--output", generate.output, "The DTAUS file to write")
      ->required();
  generate_command->add_option("--header", generate.header,
                               "JSON file with the MeineInfo object; makes INPUT a CSV file");
  generate_command->add_flag("--dtaus-alphabet", generate.dtaus_alphabet,
                             "Convert every text to the DTAUS character set: upper case, "
                             "Ä Ö Ü ß as [ \\ ] ~; other characters are an error");

  std::string show_path;
  bool show_json = false;
  CLI::App* show_command = app.add_subcommand(
      "show", "Print the header, the payments and the totals of a DTAUS file and check it.");
  show_command->add_option("FILE", show_path, "The DTAUS file; - reads standard input")->required();
  show_command->add_flag("--json", show_json, "Print JSON instead of text");

  std::string slip_path;
  bool slip_html = false;
  CLI::App* slip_command = app.add_subcommand(
      "slip", "Print the accompanying slip (Begleitzettel) to sign and send with the file.");
  slip_command->add_option("FILE", slip_path, "The DTAUS file; - reads standard input")->required();
  slip_command->add_flag("--html", slip_html, "Print a page for one A4 sheet instead of text");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
    std::cerr << "dtaus: " << e.what() << " (see dtaus --help)\n";
    return kExitUsage;
  }

  int code = kExitUsage;
  if (generate_command->parsed()) code = dtaus::tool::run_generate(generate, std::cout, std::cerr);
  if (show_command->parsed()) code = dtaus::tool::run_show(show_path, show_json, std::cout);
  if (slip_command->parsed()) code = dtaus::tool::run_slip(slip_path, slip_html, std::cout);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "dtaus: cannot write to standard output\n";
    return kExitUsage;
  }
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const dtaus::tool::ToolError& e) {
    std::cerr << "dtaus: " << e.what() << "\n";
    return e.exit_code();
  } catch (const std::bad_alloc&) {
    std::cerr << "dtaus: out of memory\n";
  } catch (const std::exception& e) {
    std::cerr << "dtaus: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "dtaus: unexpected failure\n";
  }
  return dtaus::tool::kExitUsage;
}
