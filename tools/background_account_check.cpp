#include "tools/background_account_check.h"

#include <utility>

#include "tools/bank_check.h"

namespace dtaus::tool {

BackgroundAccountCheck::BackgroundAccountCheck(const BankDirectory& directory)
    : directory_(directory) {
  filling_.reserve(kBatch);
  thread_ = std::thread([this] { Run(); });
}

BackgroundAccountCheck::~BackgroundAccountCheck() {
  failed_.store(true);  // nothing more to check: whatever is queued may be dropped
  Hand(true);
  thread_.join();
}

void BackgroundAccountCheck::Add(std::string_view blz, std::string_view konto) {
  filling_.push_back({std::string(blz), std::string(konto)});
  if (filling_.size() == kBatch) Hand(false);
}

bool BackgroundAccountCheck::AllPass() {
  Hand(true);
  std::unique_lock lock(mutex_);
  ready_.wait(lock, [this] { return queued_.empty() && !thread_busy_; });
  return !failed_.load();
}

void BackgroundAccountCheck::Hand(bool last) {
  {
    const std::lock_guard lock(mutex_);
    if (queued_.empty()) {
      std::swap(queued_, filling_);
    } else {
      queued_.insert(queued_.end(), std::make_move_iterator(filling_.begin()),
                     std::make_move_iterator(filling_.end()));
    }
    last_ = last_ || last;
  }
  filling_.clear();
  ready_.notify_all();
}

void BackgroundAccountCheck::Run() {
  std::vector<Account> checking;
  std::unique_lock lock(mutex_);
  for (;;) {
    ready_.wait(lock, [this] { return !queued_.empty() || last_; });
    if (queued_.empty()) break;  // the last batch is done
    std::swap(checking, queued_);
    thread_busy_ = true;
    lock.unlock();
    for (const Account& account : checking) {
      if (failed_.load(std::memory_order_relaxed)) break;
      // A bank check that cannot even run (no memory) counts as failed: the thorough
      // way then checks again.
      bool passes = false;
      try {
        passes = AccountProblem(directory_, account.blz, account.konto).empty();
      } catch (...) {
      }
      if (!passes) failed_.store(true);
    }
    checking.clear();
    lock.lock();
    thread_busy_ = false;
    ready_.notify_all();
  }
}

}  // namespace dtaus::tool
