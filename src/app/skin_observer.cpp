#include "app/skin_observer.h"

namespace varnacle::app {

ObserverImpl& ObserverImpl::instance() {
  // Deliberately never destroyed: receivers may outlive static destruction order.
  static auto* subject = new ObserverImpl;
  return *subject;
}

ObserverImpl::~ObserverImpl() {
  for (auto& [key, receiver] : receivers_) receiver->left(*this);
}

void ObserverImpl::addReceiver(ReceiverImpl& receiver) {
  for (const auto& [key, present] : receivers_)
    if (present == &receiver) return;
  receivers_.emplace(nextKey_++, &receiver);
  receiver.joined(*this);
}

void ObserverImpl::removeReceiver(ReceiverImpl& receiver) {
  for (auto it = receivers_.begin(); it != receivers_.end(); ++it) {
    if (it->second == &receiver) {
      receivers_.erase(it);
      receiver.left(*this);
      return;
    }
  }
}

void ObserverImpl::broadcast(const SkinChangedParam& param) {
  // Walk by key against the live map: a receive() may add or remove receivers
  // (itself included), so no iterator is held across a call.
  const int end = nextKey_;
  auto it = receivers_.begin();
  while (it != receivers_.end() && it->first < end) {
    const int key = it->first;
    it->second->receive(param);
    it = receivers_.upper_bound(key);
  }
}

ReceiverImpl::~ReceiverImpl() {
  leaveAll();
}

void ReceiverImpl::leaveAll() {
  while (!subjects_.empty()) {
    ObserverImpl* subject = *subjects_.begin();
    subjects_.erase(subjects_.begin());
    subject->removeReceiver(*this);
  }
}

bool ReceiverImpl::receive(const SkinChangedParam&) {
  return false;
}

}  // namespace varnacle::app
