// The three fuzz harnesses, shared by the libFuzzer targets and the corpus replay test.
//
// Each harness takes arbitrary bytes, drives one part of the library with them and
// checks its promises. A broken promise is reported on standard error and aborts the
// process, which libFuzzer records as a crash (with the input that caused it) and which
// fails the replay test that runs the committed corpora.
//
//   RunGenerateSequence: the bytes are a program of calls on DtausDatei, MeineInfo and
//     GeldTransfer; a model of the documented rules predicts every validity answer,
//     every getter and the exact result of each Generate, and the file written is read
//     back through DtausReader and compared field by field with the objects.
//   RunReaderBytes: the bytes are a DTAUS file; the reader must describe it consistently.
//   RunValueChecks: the bytes pick a check (whole number, date, amount) and its text; the
//     library must answer exactly as the slow references in reference.h do.
#ifndef DTAUS_FUZZ_HARNESS_H_
#define DTAUS_FUZZ_HARNESS_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace dtaus::fuzz {

void RunGenerateSequence(const std::uint8_t* data, std::size_t size);
void RunReaderBytes(const std::uint8_t* data, std::size_t size);
void RunValueChecks(const std::uint8_t* data, std::size_t size);

// Names the input being run, for the report of a broken promise (the replay test runs
// many inputs in one process; libFuzzer saves the input itself).
void SetInputName(std::string name);

// Reports a broken promise and aborts.
[[noreturn]] void Fail(const char* file, int line, const char* what, const std::string& detail);

}  // namespace dtaus::fuzz

#define DTAUS_FUZZ_CHECK(condition, detail)                                  \
  do {                                                                       \
    if (!(condition)) ::dtaus::fuzz::Fail(__FILE__, __LINE__, #condition, (detail)); \
  } while (false)

#endif  // DTAUS_FUZZ_HARNESS_H_
