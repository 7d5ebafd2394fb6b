// The subject and its receivers: who hears a background change, in which order,
// and that no receiver is called once it has left or been destroyed.
#include "app/skin_observer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace varnacle::app {
namespace {

// Records what it heard into a shared log, and may run an action while receiving.
class LoggingReceiver : public ReceiverImpl {
 public:
  LoggingReceiver(std::string name, std::vector<std::string>& log)
      : name_(std::move(name)), log_(log) {}
  bool receive(const SkinChangedParam& param) override {
    log_.push_back(name_ + ":" + (param.isColor ? std::to_string(param.color) : param.image));
    if (onReceive) onReceive();
    return true;
  }
  std::function<void()> onReceive;

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

const SkinChangedParam kImage{false, 0, "bg/bg_1.png"};

TEST(SkinObserver, BroadcastsInJoiningOrderAndForgetsRemovedReceivers) {
  ObserverImpl subject;
  std::vector<std::string> log;
  LoggingReceiver c("c", log), a("a", log), b("b", log);
  subject.addReceiver(c);
  subject.addReceiver(a);
  subject.addReceiver(b);
  subject.addReceiver(a);  // already there: keeps its place, hears once
  subject.broadcast(kImage);
  EXPECT_EQ(log, (std::vector<std::string>{"c:bg/bg_1.png", "a:bg/bg_1.png", "b:bg/bg_1.png"}));

  log.clear();
  subject.removeReceiver(a);
  subject.addReceiver(a);  // rejoins at the end
  subject.broadcast(SkinChangedParam{true, 0xFF0199CB, {}});
  const std::string colour = std::to_string(0xFF0199CBu);
  EXPECT_EQ(log, (std::vector<std::string>{"c:" + colour, "b:" + colour, "a:" + colour}));
  EXPECT_EQ(subject.receiverCount(), 3);
}

TEST(SkinObserver, DestroyedReceiverIsNeverCalled) {
  ObserverImpl subject;
  std::vector<std::string> log;
  LoggingReceiver kept("kept", log);
  {
    LoggingReceiver gone("gone", log);
    subject.addReceiver(gone);
    subject.addReceiver(kept);
  }
  EXPECT_EQ(subject.receiverCount(), 1);
  subject.broadcast(kImage);
  EXPECT_EQ(log, (std::vector<std::string>{"kept:bg/bg_1.png"}));
}

TEST(SkinObserver, ReceiversMayLeaveOrDieDuringABroadcast) {
  ObserverImpl subject;
  std::vector<std::string> log;
  auto first = std::make_unique<LoggingReceiver>("first", log);
  auto second = std::make_unique<LoggingReceiver>("second", log);
  auto third = std::make_unique<LoggingReceiver>("third", log);
  subject.addReceiver(*first);
  subject.addReceiver(*second);
  subject.addReceiver(*third);
  // The first destroys the third before its turn, the second leaves itself.
  first->onReceive = [&] { third.reset(); };
  second->onReceive = [&] { second->leaveAll(); };
  subject.broadcast(kImage);
  EXPECT_EQ(log, (std::vector<std::string>{"first:bg/bg_1.png", "second:bg/bg_1.png"}));
  EXPECT_EQ(subject.receiverCount(), 1);

  // A receiver added during a broadcast hears the next one, not this one.
  log.clear();
  LoggingReceiver late("late", log);
  first->onReceive = [&] { subject.addReceiver(late); };
  subject.broadcast(kImage);
  EXPECT_EQ(log, (std::vector<std::string>{"first:bg/bg_1.png"}));
  first->onReceive = nullptr;
  subject.broadcast(kImage);
  EXPECT_EQ(log.back(), "late:bg/bg_1.png");
}

TEST(SkinObserver, ReceiverOutlivesItsSubjectsSafely) {
  std::vector<std::string> log;
  LoggingReceiver receiver("r", log);
  ObserverImpl kept;
  kept.addReceiver(receiver);
  {
    ObserverImpl gone;
    gone.addReceiver(receiver);
  }
  // Leaving all subjects now touches only the one that is still there.
  receiver.leaveAll();
  EXPECT_EQ(kept.receiverCount(), 0);
  kept.broadcast(kImage);
  EXPECT_TRUE(log.empty());
  // The template's own reaction does nothing.
  ReceiverImpl plain;
  EXPECT_FALSE(plain.receive(kImage));
}

TEST(SkinObserver, ProcessWideSubjectIsOneInstance) {
  std::vector<std::string> log;
  LoggingReceiver receiver("r", log);
  EXPECT_EQ(&ObserverImpl::instance(), &ObserverImpl::instance());
  ObserverImpl::instance().addReceiver(receiver);
  ObserverImpl::instance().broadcast(kImage);
  EXPECT_EQ(log, (std::vector<std::string>{"r:bg/bg_1.png"}));
}

}  // namespace
}  // namespace varnacle::app
