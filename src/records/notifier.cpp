#include "records/notifier.h"

#include <atomic>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace dtaus::detail {
namespace {

void PlatformNotify(std::string_view message) {
#ifdef _WIN32
  // A modal message box with an OK button; the call returns once it is acknowledged.
  const int size = MultiByteToWideChar(CP_UTF8, 0, message.data(),
                                       static_cast<int>(message.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, message.data(), static_cast<int>(message.size()), wide.data(),
                      size);
  MessageBoxW(nullptr, wide.c_str(), L"OrvelDtAus", MB_OK | MB_ICONERROR);
#else
  std::fprintf(stderr, "OrvelDtAus: %.*s\n", static_cast<int>(message.size()), message.data());
#endif
}

std::atomic<Notifier> g_notifier{nullptr};

}  // namespace

void Notify(std::string_view message) {
  const Notifier installed = g_notifier.load(std::memory_order_relaxed);
  (installed ? installed : PlatformNotify)(message);
}

Notifier SetNotifier(Notifier notifier) { return g_notifier.exchange(notifier); }

}  // namespace dtaus::detail
