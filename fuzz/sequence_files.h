// The file and fault world of the property-sequence harness: the paths a program can give
// DtausDatei::Pfad, the working folder they point into, and the failure injected into a
// Generate.
//
// Every path lies in one private folder (memory-backed where the machine has /dev/shm),
// which is emptied at the start of each program and removed at exit. Only three names may
// ever stand in it: the targets of the named paths. Anything else found there after a
// Generate is a temporary file left behind.
//
//   CleanDir();
//   const std::string path = PathFor(PathMode::kUmlaut);  // <folder>/Überweisung.txt
//   Snapshot(path);                                       // nothing: no file yet
#ifndef DTAUS_FUZZ_SEQUENCE_FILES_H_
#define DTAUS_FUZZ_SEQUENCE_FILES_H_

#include <optional>
#include <string>
#include <vector>

namespace dtaus::fuzz::sequence {

enum class PathMode {
  kNone,
  kNormal,
  kUmlaut,
  kMissingDir,
  kDirectory,
  kInvalidUtf8,
  kNul,
  kLongName,  // a file name of 255 bytes, the most the file system allows
};
constexpr int kPathModes = 8;

// The names the named paths give their file.
extern const std::string kNormalName;
extern const std::string kUmlautName;
extern const std::string kLongName;

// The harness's private folder, created on first use.
const std::string& WorkDir();

// The text a program hands to Pfad for `mode`.
std::string PathFor(PathMode mode);

// The content of a file, or nothing when there is none.
std::optional<std::string> Snapshot(const std::string& path);

// The names in the working folder, and emptying it.
std::vector<std::string> DirEntries();
void CleanDir();

// A failure of the file system during Generate: the call that fails (counted from 1;
// 0 for none), and whether every later call fails too.
struct Fault {
  int fail_at = 0;
  bool persistent = false;
};

}  // namespace dtaus::fuzz::sequence

#endif  // DTAUS_FUZZ_SEQUENCE_FILES_H_
