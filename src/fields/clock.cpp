#include "fields/clock.h"

#include <atomic>
#include <ctime>

namespace dtaus::detail {
namespace {

CivilDate SystemToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::atomic<TodayFunction> g_today{nullptr};

}  // namespace

CivilDate Today() {
  const TodayFunction pinned = g_today.load(std::memory_order_relaxed);
  return pinned ? pinned() : SystemToday();
}

TodayFunction SetToday(TodayFunction today) { return g_today.exchange(today); }

}  // namespace dtaus::detail
