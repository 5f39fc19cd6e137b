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
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "file/file_system.h"

namespace {

using dtaus::detail::FileSystem;
using dtaus::detail::PlatformFileSystem;

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
  return out;
}

// The content of the file, or "<missing>". Read with the wide API, independently of
// the code under test.
std::string Content(const std::string& path) {
  const HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  ::CloseHandle(file);
  return bytes;
}

void Put(const std::string& path, std::string_view bytes) {
  const HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD done = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  ::CloseHandle(file);
}

std::vector<std::wstring> FilesIn(const std::string& directory) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileW((Wide(directory) + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return names;
}

// "C:\\dir" for "C:\\dir\\file".
std::string Directory(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/");
  return end == std::string::npos ? std::string() : path.substr(0, end);
}

// A failure description must be something Generate can put after "Sonstiger
// Fehler:": not empty, one line, no line break that Windows appends to its messages.
bool OneLine(const std::string& description) {
  return !description.empty() && description.find_first_of("\r\n") == std::string::npos &&
         description.back() != ' ';
}

void CheckCreateEmpty(FileSystem& fs, const std::string& dir) {
  const std::string path = dir + "\\leer.txt";
  CHECK_EQ(fs.CreateEmpty(path), "", "CreateEmpty: new file");
  CHECK_EQ(Content(path), "", "CreateEmpty: new file is empty");
  Put(path, "alter Inhalt");
  CHECK_EQ(fs.CreateEmpty(path), "", "CreateEmpty: existing file");
  CHECK_EQ(Content(path), "", "CreateEmpty: existing file truncated");
}

void CheckReplace(FileSystem& fs, const std::string& dir) {
  const std::string target = dir + "\\DTAUS0.TXT";
  Put(target, "alt");
  FileSystem::Handle first = 0;
  FileSystem::Handle second = 0;
  std::string first_temp;
  std::string second_temp;
  CHECK_EQ(fs.CreateTemp(target, &first, &first_temp), "", "CreateTemp");
  CHECK_EQ(fs.CreateTemp(target, &second, &second_temp), "", "CreateTemp again");
  CHECK(first_temp != second_temp, "temporary names are unique");
  CHECK_EQ(Directory(first_temp), dir, "temporary file next to the target");
  CHECK_EQ(Content(target), "alt", "target untouched while the temporary file is written");

  const std::string text = "A\x80\xFC" + std::string(5000, 'x');  // bytes as they are
  std::string_view rest = text;
  while (!rest.empty()) {
    std::size_t written = 0;
    if (!CHECK_EQ(fs.Write(first, rest, &written), "", "Write")) break;
    if (!CHECK(written > 0 && written <= rest.size(), "Write makes progress")) break;
    rest.remove_prefix(written);
  }
  CHECK_EQ(fs.Close(first), "", "Close");
  CHECK_EQ(fs.Rename(first_temp, target), "", "Rename over an existing file");
  CHECK_EQ(Content(target), text, "target replaced, byte for byte");
  CHECK_EQ(Content(first_temp), "<missing>", "temporary file gone after Rename");

  CHECK_EQ(fs.Close(second), "", "Close the second");
  fs.Remove(second_temp);
  CHECK_EQ(Content(second_temp), "<missing>", "Remove");
  fs.Remove(second_temp);  // already gone: best effort, no failure
}

void CheckUnicodePaths(FileSystem& fs, const std::string& dir) {
  // Umlauts and the euro sign exist in Windows-1252, Greek and Chinese do not: only
  // the wide-character API gets all of them right.
  const std::string sub = dir + "\\Zahlläufe € Ω 中文";
  ::CreateDirectoryW(Wide(sub).c_str(), nullptr);
  const std::string path = sub + "\\DTAUS ä€Ω中.TXT";
  CHECK_EQ(fs.CreateEmpty(path), "", "CreateEmpty with a Unicode path");
  FileSystem::Handle handle = 0;
  std::string temp;
  CHECK_EQ(fs.CreateTemp(path, &handle, &temp), "", "CreateTemp with a Unicode path");
  std::size_t written = 0;
  fs.Write(handle, "Inhalt", &written);
  fs.Close(handle);
  CHECK_EQ(fs.Rename(temp, path), "", "Rename with a Unicode path");
  const std::vector<std::wstring> files = FilesIn(sub);
  CHECK(files.size() == 1 && files[0] == L"DTAUS ä€Ω中.TXT", "one file under its Unicode name");
  CHECK_EQ(Content(path), "Inhalt", "content under the Unicode name");
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

  // Renaming onto a bad target fails and leaves the temporary file for the caller to
  // remove; above all the NUL must not cut the path short and create "vorher".
  fs.CreateTemp(dir + "\\ziel.txt", &handle, &temp);
  fs.Close(handle);
  for (const auto& row : {bad_paths[1], bad_paths[2]}) {
    const std::string error = fs.Rename(temp, row.path);
    CHECK(OneLine(error), std::string("Rename fails: ") + row.what + " | " + error);
  }
  CHECK_EQ(Content(dir + "\\vorher"), "<missing>", "no file at the path cut at the NUL");
  CHECK_EQ(Content(temp), "", "temporary file still there after the failed renames");
  fs.Remove(temp);

  const std::string missing = dir + "\\nicht-da.tmp";
  const std::string rename_error = fs.Rename(missing, dir + "\\ziel.txt");
  CHECK(OneLine(rename_error), "Rename of a missing file fails | " + rename_error);
  CHECK_EQ(Content(dir + "\\ziel.txt"), "<missing>", "failed Rename creates nothing");

  // A closed handle: writing and closing again fail with a description.
  fs.CreateTemp(dir + "\\zu.txt", &handle, &temp);
  fs.Close(handle);
  std::size_t written = 0;
  CHECK(OneLine(fs.Write(handle, "x", &written)), "Write on a closed handle fails");
  CHECK(OneLine(fs.Close(handle)), "Close twice fails");
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
  CheckCreateEmpty(fs, dir);
  CheckReplace(fs, dir);
  CheckUnicodePaths(fs, dir);
  CheckFailures(fs, dir);
  return dtaus::com::test::AllChecks().Finish();
}
