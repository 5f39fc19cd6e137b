// ObjectPipe: input objects handed from the thread that reads them to a thread that
// takes them, in order.
//
// generate's quick way reads one payment after the other (JSON or CSV) and hands each to
// the library; both cost about the same, and a machine has more than one core. The
// reading thread Puts each object and reads on; a thread of the pipe's own hands the
// objects to `take` in the order they were put. Objects travel in batches, and the
// memory of a taken object goes back to the reader to be filled again, so that a
// payment's texts are not copied or allocated on the way. A second pipe takes each built
// payment on to the account check (OrderStream).
//
//   ObjectPipe pipe([&](InputObject& p) { return stream.Payment(p); });
//   StreamJsonOrders(text, header_sink, [&](InputObject& p) { return pipe.Put(p); });
//   if (!pipe.Finish()) ... `take` refused an object
//
// `take` runs on the pipe's thread only, and only for objects Put before; whatever it
// uses must not be used by the reading thread until Finish has returned.
#ifndef DTAUS_TOOLS_OBJECT_PIPE_H_
#define DTAUS_TOOLS_OBJECT_PIPE_H_

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/order_document.h"

namespace dtaus::tool {

class ObjectPipe {
 public:
  explicit ObjectPipe(std::function<bool(InputObject&)> take);
  // Stops the pipe's thread; objects not yet taken are dropped.
  ~ObjectPipe();
  ObjectPipe(const ObjectPipe&) = delete;
  ObjectPipe& operator=(const ObjectPipe&) = delete;

  // Queues `object`, and leaves in its place an object taken before (or an empty one), to
  // be filled again. False once `take` has refused an object: reading may stop.
  bool Put(InputObject& object);
  // Waits until every object put has been taken. True when `take` accepted them all; an
  // exception `take` threw is thrown here.
  bool Finish();

 private:
  struct Batch {
    std::vector<InputObject> objects;
    std::size_t count = 0;
  };
  static constexpr std::size_t kBatchSize = 64;
  // Batches queued at most, so that a fast reader does not run far ahead.
  static constexpr std::size_t kMaxQueued = 4;

  void Hand();
  void Run();

  std::function<bool(InputObject&)> take_;
  Batch filling_;  // the reading thread's own
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Batch> queued_;  // under mutex_
  std::vector<Batch> spare_;  // under mutex_: taken batches, to be filled again
  bool closing_ = false;      // under mutex_: no more batches will come
  bool busy_ = false;         // under mutex_: a batch is being taken
  std::exception_ptr error_;  // under mutex_
  std::atomic<bool> refused_{false};
  std::thread thread_;
};

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_OBJECT_PIPE_H_
