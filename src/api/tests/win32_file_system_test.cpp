// The Windows file seam (src/file/win32_file_system.cpp) on a real Win32 file system,
// run under Wine by scripts/test-com.
//
//   win32_file_system_test.exe <work directory>
//
// What matters for Generate: create-or-truncate, a temporary file next to the target
// that is renamed over it in one step, Unicode paths, and failures that come back as
// one line of the system's text instead of a wrong file.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <tuple>

#include "check.h"
#include "file/file_system.h"

namespace {

using dtaus::com::test::Wide;
using dtaus::detail::FileSystem;
using dtaus::detail::PlatformFileSystem;

// The bytes of a file, or "<missing>"; read through the C++ library, independently of
// the code under test.
std::string Content(const std::string& path) {
  std::ifstream file(std::filesystem::path(Wide(path)), std::ios::binary);
  return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

// A failure description must be something Generate can put after "Sonstiger
// Fehler:": not empty, one line, no line break that Windows appends to its messages.
bool OneLine(const std::string& description) {
  return !description.empty() && description.find_first_of("\r\n") == std::string::npos &&
         description.back() != ' ';
}

// Every operation that succeeds, on paths with umlauts and the euro sign, which
// Windows-1252 has, and Greek and Chinese, which it lacks: only the wide-character API
// gets all of them right.
void CheckOperations(FileSystem& fs, const std::string& work) {
  const std::string dir = work + "\\Zahlläufe € Ω 中文";
  ::CreateDirectoryW(Wide(dir).c_str(), nullptr);
  const std::string target = dir + "\\DTAUS ä€Ω中.TXT";
  CHECK_EQ(fs.CreateEmpty(target), "", "CreateEmpty: new file");
  CHECK_EQ(Content(target), "", "CreateEmpty: new file is empty");

  FileSystem::Handle first = 0;
  FileSystem::Handle second = 0;
  std::string first_temp;
  std::string second_temp;
  CHECK_EQ(fs.CreateTemp(target, &first, &first_temp), "", "CreateTemp");
  CHECK_EQ(fs.CreateTemp(target, &second, &second_temp), "", "CreateTemp again");
  CHECK(first_temp != second_temp, "temporary names are unique");
  CHECK_EQ(first_temp.substr(0, first_temp.find_last_of('\\')), dir,
           "temporary file next to the target");
  const std::string text = "A\x80\xFC" + std::string(5000, 'x');  // bytes as they are
  std::string_view rest = text;
  while (!rest.empty()) {
    std::size_t written = 0;
    if (!CHECK_EQ(fs.Write(first, rest, &written), "", "Write")) break;
    if (!CHECK(written > 0 && written <= rest.size(), "Write makes progress")) break;
    rest.remove_prefix(written);
  }
  CHECK_EQ(Content(target), "", "target untouched while the temporary file is written");
  CHECK_EQ(fs.Sync(first), "", "Sync (FlushFileBuffers)");
  CHECK_EQ(fs.Close(first), "", "Close");
  CHECK_EQ(fs.Rename(first_temp, target), "", "Rename over an existing file");
  CHECK_EQ(fs.SyncDirectory(target), "", "SyncDirectory (the move was written through)");
  CHECK_EQ(Content(target), text, "target replaced, byte for byte");
  CHECK_EQ(fs.Close(second), "", "Close the second");
  fs.Remove(second_temp);
  fs.Remove(second_temp);  // already gone: best effort, no failure
  CHECK(Content(first_temp) == "<missing>" && Content(second_temp) == "<missing>",
        "temporary files gone: the one renamed, the other removed");
  CHECK_EQ(fs.CreateEmpty(target), "", "CreateEmpty: existing file");
  CHECK_EQ(Content(target), "", "CreateEmpty: existing file truncated");

  // What a path names: only a file, or nothing yet, may be written; a device and a
  // folder are told apart without touching them.
  using dtaus::detail::TargetKind;
  const struct {
    std::string path;
    TargetKind kind;
  } targets[] = {{target, TargetKind::kRegular},
                 {dir + "\\neu.txt", TargetKind::kMissing},
                 {dir, TargetKind::kDirectory},
                 {"NUL", TargetKind::kDevice}};
  for (const auto& t : targets) {
    std::string resolved;
    TargetKind kind = TargetKind::kOther;
    CHECK_EQ(fs.Inspect(t.path, &resolved, &kind), "", "Inspect " + t.path);
    CHECK(kind == t.kind && resolved == t.path, "Inspect tells what " + t.path + " is");
  }
}

void CheckFailures(FileSystem& fs, const std::string& dir) {
  // CreateTemp puts its file beside the path, under a name of its own: it fails only
  // when the directory does. The target's name is checked where it is used.
  const struct {
    const char* what;
    std::string path;
  } bad_paths[] = {
      {"missing directory", dir + "\\fehlt\\DTAUS0.TXT"},
      {"embedded NUL", dir + std::string("\\vorher\0nachher.txt", 19)},
      {"malformed UTF-8", dir + "\\kaputt\xFF.txt"},
      {"a directory as file", dir},
      {"empty path", ""},
  };
  for (const auto& row : bad_paths) {
    const std::string error = fs.CreateEmpty(row.path);
    CHECK(OneLine(error), std::string("CreateEmpty fails: ") + row.what + " | " + error);
  }
  FileSystem::Handle handle = 0;
  std::string temp;
  const std::string temp_error = fs.CreateTemp(bad_paths[0].path, &handle, &temp);
  CHECK(OneLine(temp_error), "CreateTemp fails in a missing directory | " + temp_error);

  // A closed handle: writing and closing again fail with a description.
  const std::string ziel = dir + "\\ziel.txt";
  fs.CreateTemp(ziel, &handle, &temp);
  fs.Close(handle);
  std::size_t written = 0;
  CHECK(OneLine(fs.Write(handle, "x", &written)), "Write on a closed handle fails");
  CHECK(OneLine(fs.Close(handle)), "Close twice fails");

  // Renaming fails onto a bad target and leaves the temporary file for the caller to
  // remove (above all the NUL must not cut the path short and create "vorher"); from a
  // missing file it fails too. Neither creates anything.
  for (const auto& [from, to, what] : {std::tuple{temp, bad_paths[1].path, "onto a NUL"},
                                       {temp, bad_paths[2].path, "onto malformed UTF-8"},
                                       {dir + "\\nicht-da.tmp", ziel, "of a missing file"}}) {
    const std::string error = fs.Rename(from, to);
    CHECK(OneLine(error), std::string("Rename fails ") + what + " | " + error);
  }
  CHECK(Content(dir + "\\vorher") == "<missing>" && Content(ziel) == "<missing>",
        "failed renames create nothing");
  CHECK_EQ(Content(temp), "", "temporary file still there after the failed renames");
  fs.Remove(temp);
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) {
    std::printf("usage: win32_file_system_test <work directory>\n");
    return 2;
  }
  const std::string dir = argv[1];
  ::CreateDirectoryW(Wide(dir).c_str(), nullptr);
  FileSystem& fs = PlatformFileSystem();
  CheckOperations(fs, dir);
  CheckFailures(fs, dir);
  return dtaus::com::test::Finish();
}
