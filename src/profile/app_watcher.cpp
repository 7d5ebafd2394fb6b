#include "profile/app_watcher.h"

#include <utility>

#include "platform/debug_output.h"

namespace varnacle::profile {

AppWatcher::AppWatcher(const ProfileList& list, platform::ForegroundProgram& foreground,
                       SelectRow select, AppWatcherTiming timing)
    : list_(list), foreground_(foreground), select_(std::move(select)), timing_(timing) {}

void AppWatcher::run(platform::WorkerSlot slot, platform::Event& stop) {
  platform::runWorkerLoop(slot, stop, [&] {
    poll(stop);
    return true;
  });
}

bool AppWatcher::poll(const platform::Event& stop) {
  const int count = list_.rowCount();
  const auto program = foreground_.path();
  if (!program && !unknownTold_) platform::debugOutput("文件名字访问失败");
  unknownTold_ = !program;
  const int saved = list_.registry().select();
  const auto linked = program ? list_.linkedRow(*program, count) : std::nullopt;
  select_(linked.value_or(saved), saved);
  return !stop.wait(timing_.afterSelect) && !stop.wait(timing_.betweenPolls);
}

platform::WorkerSlot appWatcherSlot(ProfileListKind kind) {
  switch (kind) {
    case ProfileListKind::keyboardLighting: return platform::WorkerSlot::keyboardLightingLink;
    case ProfileListKind::keyboardKeys: return platform::WorkerSlot::keyboardKeyLink;
    case ProfileListKind::mouseLighting: return platform::WorkerSlot::mouseLightingLink;
    case ProfileListKind::mouseKeys: return platform::WorkerSlot::mouseKeyLink;
    case ProfileListKind::mousePadLighting: return platform::WorkerSlot::mousePadLightingLink;
  }
  return platform::WorkerSlot::mouseLightingLink;
}

}  // namespace varnacle::profile
