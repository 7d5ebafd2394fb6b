#pragma once
// The writes of one hidraw connection, run on a thread of their own, and the
// wait of a hidraw connection's reads and writes.
//
// A hidraw node always polls writable, and write() may then block in the
// kernel for seconds (the USB output timeout), where no abort reaches it. So
// the connection hands each report to this writer's thread and waits for the
// outcome with its time limit and its abort event:
//
//   caller:  write ── hand over ── wait (limit, abort) ─────────> ok / gone / failed
//   thread:             write() in the kernel ... returns ──^
//
//   caller:  write ── hand over ── wait ... limit ──> timeout     (abort: aborted)
//   thread:             write() still blocked ........................ returns
//   caller:                          write while it blocks ──> failed at once
//
// So the connection cannot write again until the blocked write has returned,
// and once a write found the device gone, every later one is gone too.
//
// Threads: write() is called by one thread at a time. The writer's thread
// starts with the first write. Destroying the writer while a write blocks
// leaves that thread to end on its own once the kernel lets go; until then it
// keeps its own duplicate of the node's file, so the report never goes to
// another file that took the same number.
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <thread>

#include "device/hid_backend.h"

namespace varnacle::device {

// The system call that writes one report to a node: ::write, or a test's
// stand-in that blocks the way a hidraw write can.
using NodeWrite = std::function<ssize_t(int fd, const void* data, std::size_t size)>;

// Waits until `fd` is ready for `events` (ok), `abortFd` is readable
// (aborted) or `deadline` passes (timeout); a hang-up or error on `fd` alone
// means the device is gone.
IoResult waitReady(int fd, short events, int abortFd,
                   std::chrono::steady_clock::time_point deadline);

class HidrawWriter {
 public:
  // `fd` stays the caller's; the writer works on a duplicate. When that or
  // its events cannot be made, every write fails.
  HidrawWriter(int fd, NodeWrite nodeWrite);
  ~HidrawWriter();
  HidrawWriter(const HidrawWriter&) = delete;
  HidrawWriter& operator=(const HidrawWriter&) = delete;

  // Writes the whole report, unless `deadline` passes (timeout) or `abortFd`
  // becomes readable (aborted) first.
  IoResult write(std::span<const uint8_t> report, std::chrono::steady_clock::time_point deadline,
                 int abortFd);

 private:
  struct State;
  // The thread's body; it shares the state with the writer.
  static void run(std::shared_ptr<State> state);

  std::shared_ptr<State> state_;
  std::thread thread_;
};

}  // namespace varnacle::device
