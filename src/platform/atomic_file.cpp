#include "platform/atomic_file.h"

#include <atomic>

namespace varnacle::platform {

namespace {
std::atomic<int> injectedFailures{0};
}  // namespace

ScopedWriteFailure::ScopedWriteFailure() {
  ++injectedFailures;
}
ScopedWriteFailure::~ScopedWriteFailure() {
  --injectedFailures;
}

namespace detail {
bool writeFailureInjected() {
  return injectedFailures.load() > 0;
}
}  // namespace detail

}  // namespace varnacle::platform
