// BackgroundAccountCheck: the bank directory's account check on a thread of its own.
//
// Checking an account against its bank's check-digit method costs about as much as
// building the payment in the library. generate's quick way hands each payment's bank
// code and account over here and goes on with the next payment while the other core
// checks; it asks for the verdict once, at the end. A failing account only means that
// the orders go the thorough way, which checks again and says where, so nothing is lost
// by learning of it late; Failed() lets the quick way stop early all the same.
//
//   BackgroundAccountCheck checks(directory);
//   for (...) { checks.Add(blz, konto); if (checks.Failed()) break; }
//   if (!checks.AllPass()) ... go the thorough way
//
// The directory must not be used by anyone else until AllPass (or the destructor) has
// returned: it is not safe for two threads at once.
#ifndef DTAUS_TOOLS_BACKGROUND_ACCOUNT_CHECK_H_
#define DTAUS_TOOLS_BACKGROUND_ACCOUNT_CHECK_H_

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "dtaus/bank_directory.h"

namespace dtaus::tool {

class BackgroundAccountCheck {
 public:
  explicit BackgroundAccountCheck(const BankDirectory& directory);
  // Stops the thread; what is still queued is not checked.
  ~BackgroundAccountCheck();
  BackgroundAccountCheck(const BackgroundAccountCheck&) = delete;
  BackgroundAccountCheck& operator=(const BackgroundAccountCheck&) = delete;

  // Queues one bank code with its account ("" when the payment has none).
  void Add(std::string_view blz, std::string_view konto);
  // Whether an account checked so far has failed; cheap, for stopping early.
  bool Failed() const { return failed_.load(std::memory_order_relaxed); }
  // Waits until everything queued is checked: true when every account passed.
  bool AllPass();

 private:
  struct Account {
    std::string blz;
    std::string konto;
  };
  // Handed over in batches, so that the two threads meet once per batch, not per payment.
  static constexpr std::size_t kBatch = 256;

  void Hand(bool last);
  void Run();

  const BankDirectory& directory_;
  std::vector<Account> filling_;  // the adding thread's own
  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<Account> queued_;  // under mutex_
  bool last_ = false;            // under mutex_: no more batches will come
  bool thread_busy_ = false;     // under mutex_: a batch is being checked
  std::atomic<bool> failed_{false};
  std::thread thread_;
};

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_BACKGROUND_ACCOUNT_CHECK_H_
