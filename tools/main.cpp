// dtaus: writes DTAUS files from payment orders in JSON or CSV, shows and checks any
// DTAUS file, and prints the slip that goes with it to the bank.
//
//   dtaus generate orders.json -o DTAUS0.TXT
//   dtaus generate payments.csv --header header.json -o DTAUS0.TXT --dtaus-alphabet
//   dtaus generate zahlungen.csv --header kopf.json -o DTAUS0.TXT --encoding windows-1252
//   dtaus show DTAUS0.TXT [--json] [--summary]
//   dtaus slip DTAUS0.TXT [--html]
//   dtaus sepa DTAUS0.TXT -o zahlungen.xml [--creditor-id ID --mandates FILE]
//
// Exit codes: 0 success; 1 invalid input or a DTAUS file with errors; 2 the command could
// not run (usage, unreadable or malformed input, an output that cannot be written).
#include <CLI/CLI.hpp>
#include <iostream>
#include <locale>
#include <new>

#include "tools/commands.h"
#include "tools/interrupt_cleanup.h"
#include "tools/safe_echo.h"
#include "tools/sepa_command.h"
#include "tools/tool_error.h"

namespace {

// Every command that meets bank codes checks them against the bank directory.
void AddBankOptions(CLI::App& command, dtaus::tool::BankOptions& bank) {
  command.add_flag("--no-account-check", bank.no_account_check,
                   "Do not check bank codes and accounts against the bank directory");
  command.add_option("--bank-data", bank.bank_data,
                     "The Bundesbank's bank-code file (fixed-width text) to check against "
                     "instead of the directory that comes with the system");
}

int Run(int argc, char** argv) {
  using dtaus::tool::kExitUsage;
  // The library parses amounts with the global locale's decimal point; the tool hands
  // them over in the classic form, whatever LANG or LC_NUMERIC say.
  std::locale::global(std::locale::classic());
  dtaus::tool::InstallInterruptCleanup();

  CLI::App app{"Writes DTAUS files, shows and checks them, prints the accompanying slip.", "dtaus"};
  app.set_version_flag("--version", [] { return dtaus::tool::VersionText(DTAUS_VERSION); });
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
                             "Ä Ö Ü ß as [ \\ ] ~, accented letters as their base letter (é "
                             "as E, æ as AE); other characters are an error");
  std::string encoding = "utf-8";
  generate_command
      ->add_option("--encoding", encoding,
                   "The encoding of INPUT and --header: utf-8 (the default), windows-1252 "
                   "(a CSV file saved by Excel on Windows) or latin-1; a file that is UTF-8 "
                   "is read as UTF-8 whatever this says")
      ->check(CLI::IsMember({"utf-8", "windows-1252", "latin-1"}));
  generate_command->add_flag("--no-wrap", generate.no_wrap,
                             "Do not wrap a long VerwendungsZweck or Name into its continuation "
                             "lines: text longer than 27 characters is an error");
  AddBankOptions(*generate_command, generate.bank);
  generate_command->add_flag("--allow-empty", generate.allow_empty,
                             "Write a file even when the input holds no payments (refused "
                             "otherwise, as an export that most likely went wrong)");

  std::string show_path;
  bool show_json = false;
  CLI::App* show_command = app.add_subcommand(
      "show", "Print the header, the payments and the totals of a DTAUS file and check it.");
  show_command->add_option("FILE", show_path, "The DTAUS file; - reads standard input")->required();
  show_command->add_flag("--json", show_json, "Print JSON instead of text");
  bool show_summary = false;
  show_command->add_flag("--summary", show_summary,
                         "Print the header, the totals and the findings without the list of "
                         "payments");
  dtaus::tool::BankOptions show_bank;
  AddBankOptions(*show_command, show_bank);

  std::string slip_path;
  bool slip_html = false;
  CLI::App* slip_command = app.add_subcommand(
      "slip", "Print the accompanying slip (Begleitzettel) to sign and send with the file.");
  slip_command->add_option("FILE", slip_path, "The DTAUS file; - reads standard input")->required();
  slip_command->add_flag("--html", slip_html, "Print a page for one A4 sheet instead of text");
  dtaus::tool::BankOptions slip_bank;
  AddBankOptions(*slip_command, slip_bank);

  dtaus::tool::SepaCommandOptions sepa;
  CLI::App* sepa_command = app.add_subcommand(
      "sepa", "Convert a DTAUS file into the SEPA message banks take today: pain.001.001.09 "
              "for credit transfers, pain.008.001.08 for direct debits.");
  sepa_command->add_option("FILE", sepa.input, "The DTAUS file; - reads standard input")
      ->required();
  sepa_command->add_option("-o,--output", sepa.output, "The XML message to write")->required();
  sepa_command->add_option("--date", sepa.date,
                           "Execution or collection date (yyyy-mm-dd) for a file without one; "
                           "default today");
  sepa_command->add_option("--creditor-id", sepa.creditor_id,
                           "Direct debits: the creditor identifier, e.g. DE98ZZZ09999999999");
  sepa_command->add_option("--mandates", sepa.mandates,
                           "Direct debits: CSV with BLZ and Konto or IBAN, Mandatsreferenz, "
                           "Datum and optionally Sequenz");
  sepa_command
      ->add_option("--sequence", sepa.sequence,
                   "Direct debits: sequence type where the mandate names none (FRST, RCUR, "
                   "OOFF, FNAL)")
      ->capture_default_str();
  sepa_command->add_flag("--b2b", sepa.b2b, "Direct debits between businesses (B2B, not CORE)");
  sepa_command->add_flag("--german-charset", sepa.german_charset,
                         "Keep Ä Ö Ü ä ö ü ß and & * $ %, which German banks accept");
  sepa_command->add_flag("--cut-purpose", sepa.cut_purpose,
                         "Cut purposes to 140 and names to 70 characters instead of refusing");
  sepa_command->add_option("--iban-map", sepa.iban_map,
                           "CSV with BLZ, Konto, IBAN and optionally BIC: a bank's own IBANs");
  sepa_command->add_option("--encoding", sepa.encoding,
                           "The encoding of --mandates and --iban-map: utf-8 (the default), "
                           "windows-1252 or latin-1");
  AddBankOptions(*sepa_command, sepa.bank);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
    std::cerr << "dtaus: " << dtaus::tool::SafeEcho(e.what()) << " (see dtaus --help)\n";
    return kExitUsage;
  }

  int code = kExitUsage;
  generate.encoding = dtaus::tool::ParseEncoding(encoding);
  if (generate_command->parsed()) code = dtaus::tool::RunGenerate(generate, std::cout, std::cerr);
  if (show_command->parsed()) {
    code = dtaus::tool::RunShow(show_path, show_json, std::cout, show_bank, show_summary);
  }
  if (slip_command->parsed()) {
    code = dtaus::tool::RunSlip(slip_path, slip_html, std::cout, slip_bank);
  }
  if (sepa_command->parsed()) code = dtaus::tool::RunSepa(sepa, std::cout, std::cerr);
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
    return Run(argc, argv);
  } catch (const dtaus::tool::ToolError& e) {
    // Messages quote the input: values, property names, paths.
    std::cerr << "dtaus: " << dtaus::tool::SafeEchoLines(e.what()) << "\n";
    return e.exit_code();
  } catch (const std::bad_alloc&) {
    std::cerr << "dtaus: out of memory\n";
  } catch (const std::exception& e) {
    std::cerr << "dtaus: " << dtaus::tool::SafeEcho(e.what()) << "\n";
  } catch (...) {
    std::cerr << "dtaus: unexpected failure\n";
  }
  return dtaus::tool::kExitUsage;
}
