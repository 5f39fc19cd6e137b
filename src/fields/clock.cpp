#include "fields/clock.h"

#include <atomic>
#include <ctime>

namespace dtaus::detail {
namespace {

std::atomic<TodayFunction> g_today{nullptr};

}  // namespace

LocalDateTime Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return {{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
          local.tm_hour,
          local.tm_min,
          local.tm_sec};
}

CivilDate Today() {
  const TodayFunction pinned = g_today.load(std::memory_order_relaxed);
  return pinned ? pinned() : Now().date;
}

TodayFunction SetToday(TodayFunction today) { return g_today.exchange(today); }

}  // namespace dtaus::detail
