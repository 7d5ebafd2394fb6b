#include <windows.h>

#include "platform/single_instance.h"

#include <atomic>
#include <future>
#include <thread>

namespace varnacle::platform {

namespace {

std::wstring widen(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

}  // namespace

// The named mutex marks the first instance; the wake-up is the registered
// window message, broadcast as a posted message to all applications. The
// first instance receives it through a hidden message-only window of its own
// thread, so the UI toolkit's window procedure stays untouched.
struct SingleInstance::Impl {
  HANDLE mutex = nullptr;
  UINT wakeId = 0;
  bool first = true;
  std::thread listener;
  std::atomic<DWORD> listenerThreadId{0};
};

SingleInstance::SingleInstance(std::string name, std::string wakeMessage, std::string)
    : impl_(std::make_unique<Impl>()) {
  impl_->wakeId = RegisterWindowMessageW(widen(wakeMessage).c_str());
  impl_->mutex = CreateMutexW(nullptr, TRUE, widen(name).c_str());
  if (impl_->mutex && GetLastError() == ERROR_ALREADY_EXISTS) impl_->first = false;
}

SingleInstance::~SingleInstance() {
  if (impl_->listener.joinable()) {
    while (impl_->listenerThreadId == 0) Sleep(1);
    PostThreadMessageW(impl_->listenerThreadId, WM_QUIT, 0, 0);
    impl_->listener.join();
  }
  if (impl_->mutex) CloseHandle(impl_->mutex);
}

bool SingleInstance::isFirst() const { return impl_->first; }

void SingleInstance::listen(std::function<void()> onWake) {
  if (!impl_->first || impl_->listener.joinable() || impl_->wakeId == 0) return;
  // listen() returns once the receiver window exists, so a wake-up sent
  // right after it is not lost.
  std::promise<void> ready;
  std::future<void> receiverExists = ready.get_future();
  impl_->listener = std::thread([impl = impl_.get(), cb = std::move(onWake),
                                 ready = std::move(ready)]() mutable {
    // Broadcasts reach top-level windows only, so the receiver is a hidden
    // top-level window of a private class.
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VarnacleWakeReceiver";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                wc.hInstance, nullptr);
    impl->listenerThreadId = GetCurrentThreadId();
    // The thread's message queue exists from the first peek on.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    ready.set_value();
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == impl->wakeId) cb();
      DispatchMessageW(&msg);
    }
    if (hwnd) DestroyWindow(hwnd);
  });
  receiverExists.wait();
}

bool SingleInstance::wakeFirst() {
  if (impl_->wakeId == 0) return false;
  DWORD recipients = BSM_APPLICATIONS;
  return BroadcastSystemMessageW(BSF_POSTMESSAGE, &recipients, impl_->wakeId, 0, 0) > 0;
}

}  // namespace varnacle::platform
