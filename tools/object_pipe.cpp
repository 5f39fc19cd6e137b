#include "tools/object_pipe.h"

#include <utility>

namespace dtaus::tool {

ObjectPipe::ObjectPipe(std::function<bool(InputObject&)> take) : take_(std::move(take)) {
  filling_.objects.resize(kBatchSize);
  thread_ = std::thread([this] { Run(); });
}

ObjectPipe::~ObjectPipe() {
  refused_.store(true);  // whatever is still queued is dropped
  {
    const std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool ObjectPipe::Put(InputObject& object) {
  if (refused_.load(std::memory_order_relaxed)) return false;
  std::swap(filling_.objects[filling_.count++], object);
  if (filling_.count == kBatchSize) Hand();
  return true;
}

bool ObjectPipe::Finish() {
  if (filling_.count > 0) Hand();
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return (queued_.empty() && !busy_) || error_ != nullptr; });
  if (error_ != nullptr) std::rethrow_exception(error_);
  return !refused_.load();
}

void ObjectPipe::Hand() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queued_.size() < kMaxQueued; });
    queued_.push_back(std::move(filling_));
    if (spare_.empty()) {
      filling_ = Batch{};
      filling_.objects.resize(kBatchSize);
    } else {
      filling_ = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  filling_.count = 0;
  changed_.notify_all();
}

void ObjectPipe::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !queued_.empty() || closing_; });
    if (queued_.empty()) return;
    Batch batch = std::move(queued_.front());
    queued_.pop_front();
    busy_ = true;
    lock.unlock();
    changed_.notify_all();  // room for the reader's next batch
    std::exception_ptr error;
    for (std::size_t i = 0; i < batch.count && !refused_.load(std::memory_order_relaxed); ++i) {
      try {
        if (!take_(batch.objects[i])) refused_.store(true);
      } catch (...) {
        error = std::current_exception();
        refused_.store(true);
      }
    }
    lock.lock();
    if (error != nullptr && error_ == nullptr) error_ = error;
    spare_.push_back(std::move(batch));
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace dtaus::tool
