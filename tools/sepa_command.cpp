#include "tools/sepa_command.h"

#include <filesystem>

#include "dtaus/dtaus_reader.h"
#include "dtaus/sepa.h"
#include "file/file_system.h"
#include "file/file_writer.h"
#include "tools/amount.h"
#include "tools/input_encoding.h"
#include "tools/input_file.h"
#include "tools/safe_echo.h"
#include "tools/sepa_tables.h"
#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

// The bank directory's answers in the form the converter asks for them.
SepaBankLookup BankLookup(const BankDirectory& directory, bool check_accounts) {
  SepaBankLookup lookup;
  lookup.bic = [&directory](std::string_view blz) {
    const Bank* bank = directory.Find(blz);
    return bank != nullptr ? bank->bic : std::string();
  };
  if (check_accounts) {
    lookup.account_problem = [&directory](std::string_view blz, std::string_view konto) {
      return AccountProblem(directory, std::string(blz), std::string(konto));
    };
  }
  return lookup;
}

}  // namespace

int RunSepa(const SepaCommandOptions& options, std::ostream& out, std::ostream& err) {
  RefuseOutputOverInputs(options.output,
                         {{options.input, "input"},
                          {options.mandates, "mandates file"},
                          {options.iban_map, "IBAN map"}},
                         "the SEPA message");
  const DtausReader reader(ReadDtausInput(options.input));
  SepaOptions sepa;
  sepa.date = options.date;
  sepa.german_charset = options.german_charset;
  sepa.cut_purpose = options.cut_purpose;
  sepa.creditor_id = options.creditor_id;
  sepa.sequence = options.sequence;
  sepa.b2b = options.b2b;
  const InputEncoding encoding = ParseEncoding(options.encoding);
  if (!options.mandates.empty()) {
    sepa.mandates = ReadMandates(DecodeInput(ReadInput(options.mandates), encoding),
                                 SourceName(options.mandates));
  }
  if (!options.iban_map.empty()) {
    sepa.iban_map = ReadIbanMap(DecodeInput(ReadInput(options.iban_map), encoding),
                                SourceName(options.iban_map));
  }
  const BankDirectory directory = OpenBankDirectory(options.bank.bank_data);
  sepa.banks = BankLookup(directory, !options.bank.no_account_check);

  const SepaMessage message = ConvertToSepa(reader, sepa);
  const std::string source = SourceName(options.input);
  if (!message.problems.empty()) {
    err << SafeEcho(source) << ":\n";
    for (const std::string& problem : message.problems) err << " - " << SafeEcho(problem) << "\n";
    const std::size_t count = message.problems.size();
    err << "dtaus: " << count << (count == 1 ? " problem" : " problems")
        << ", no SEPA message written\n";
    return kExitInvalid;
  }

  // As Generate writes: the output emptied first, a link followed, a device or a FIFO
  // refused, then the whole message in one durable step.
  detail::FileWriter writer(detail::PlatformFileSystem());
  std::string target;
  std::string failure = writer.Truncate(options.output, &target);
  if (failure.empty()) failure = writer.Replace(target, message.xml);
  if (!failure.empty()) {
    throw ToolError(kExitUsage, options.output + ": cannot write: " + failure);
  }
  out << SafeEcho(options.output) << ": " << message.message_type << ", " << message.payments
      << (message.payments == 1 ? " payment, " : " payments, ") << FormatEuro(message.cents)
      << " EUR, message id " << message.message_id << ", " << message.xml.size() << " bytes\n";
  if (message.date_from_file && !options.date.empty() && options.date != message.date) {
    out << "date: " << message.date << ", the file's own; --date " << SafeEcho(options.date)
        << " applies to files without one\n";
  }
  if (message.standard_rule_ibans > 0) {
    out << "IBANs: " << message.standard_rule_ibans
        << " made by the standard rule from bank code and account; a few banks convert "
           "some accounts by rules of their own (--iban-map FILE gives those IBANs)\n";
  }
  if (!message.cut.empty()) {
    out << "cut to the SEPA limits (140 characters of purpose, 70 of name):";
    for (std::size_t i = 0; i < message.cut.size(); ++i)
      out << (i == 0 ? " " : ", ") << SafeEcho(message.cut[i]);
    out << "\n";
  }
  return kExitOk;
}

}  // namespace dtaus::tool
