#pragma once
// How a background change reaches the windows that show it: one process-wide
// subject (ObserverImpl) holding receivers (ReceiverImpl) in the order they
// joined, and the change itself (SkinChangedParam).
//
// The pairing is undone from either side: a receiver that is destroyed leaves
// every subject it belongs to, and a subject that is destroyed forgets its
// receivers, so a broadcast never reaches a receiver that no longer exists.
// A receiver may leave, or be destroyed, from inside its own receive().
//
// UI thread only.
#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace varnacle::app {

// A background change: a colour (0xAARRGGBB) when `isColor`, otherwise an image
// description: a skin-relative image ("common/background.png") or a full path.
struct SkinChangedParam {
  bool isColor = false;
  std::uint32_t color = 0;
  std::string image;
  friend bool operator==(const SkinChangedParam&, const SkinChangedParam&) = default;
};

class ReceiverImpl;

class ObserverImpl {
 public:
  // The process-wide subject: created on first use, never destroyed.
  static ObserverImpl& instance();

  ObserverImpl() = default;
  ~ObserverImpl();
  ObserverImpl(const ObserverImpl&) = delete;
  ObserverImpl& operator=(const ObserverImpl&) = delete;

  // Adds `receiver` under the next running key and tells it its subject. A
  // receiver that is here already keeps its place (it hears each change once).
  void addReceiver(ReceiverImpl& receiver);
  void removeReceiver(ReceiverImpl& receiver);
  // Hands `param` to every receiver in the order they joined. Receivers added
  // during the broadcast hear the next one; receivers removed during it are
  // not called any more.
  void broadcast(const SkinChangedParam& param);

  int receiverCount() const { return static_cast<int>(receivers_.size()); }

 private:
  std::map<int, ReceiverImpl*> receivers_;
  int nextKey_ = 0;
};

class ReceiverImpl {
 public:
  ReceiverImpl() = default;
  // Leaves every subject.
  virtual ~ReceiverImpl();
  ReceiverImpl(const ReceiverImpl&) = delete;
  ReceiverImpl& operator=(const ReceiverImpl&) = delete;

  // Asks each subject this receiver belongs to to remove it.
  void leaveAll();
  // The reaction to a change; true when it was taken care of. Does nothing here.
  virtual bool receive(const SkinChangedParam& param);

 private:
  friend class ObserverImpl;
  // Bookkeeping of the subjects (called by ObserverImpl only).
  void joined(ObserverImpl& subject) { subjects_.insert(&subject); }
  void left(ObserverImpl& subject) { subjects_.erase(&subject); }

  std::set<ObserverImpl*> subjects_;
};

}  // namespace varnacle::app
