// ScratchDir: a private directory for the files the benchmarks write.
//
// The baseline write and Generate must write into the same directory, so that both
// meet the same file system; the directory and everything in it go when the object
// goes. It is created under $DTAUS_BENCH_DIR, else $TMPDIR, else /tmp: point
// DTAUS_BENCH_DIR at the disk a host would write its DTAUS files to.
//
//   ScratchDir dir;
//   std::string path = dir.File("DTAUS0.TXT");
#ifndef DTAUS_BENCH_SCRATCH_DIR_H_
#define DTAUS_BENCH_SCRATCH_DIR_H_

#include <string>
#include <string_view>

namespace dtaus::bench {

class ScratchDir {
 public:
  // Creates a new, uniquely named directory; aborts the program when it cannot,
  // since no file benchmark could run.
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of the file `name` inside the directory.
  std::string File(std::string_view name) const;

 private:
  std::string path_;
};

// The directory shared by all benchmarks of this process.
const ScratchDir& SharedScratchDir();

}  // namespace dtaus::bench

#endif  // DTAUS_BENCH_SCRATCH_DIR_H_
