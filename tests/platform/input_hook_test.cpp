// The rules every input hook applies, on the hook whose events come from the
// caller.
#include "platform/input_hook.h"

#include <gtest/gtest.h>

#include <vector>

namespace varnacle::platform {
namespace {

TEST(InputHook, InstalledHookSwallowsKeysButLetsTheLockKeysThroughAndOnlyWatchesTheMouse) {
  SyntheticInputHook hook;
  std::vector<uint16_t> keys;
  std::vector<uint32_t> buttons;
  EXPECT_FALSE(hook.deliver({0x41, 0})) << "no hook: the key goes to the system";
  ASSERT_TRUE(hook.install(
      HookMode::mouseMacro, [&](const KeyEvent& e) { keys.push_back(e.virtualKey); },
      [&](uint32_t m) { buttons.push_back(m); }));
  EXPECT_EQ(hook.mode(), HookMode::mouseMacro);
  EXPECT_TRUE(hook.deliver({0xA5, 0}));
  for (uint16_t lock : {kVkNumLock, kVkCapsLock, kVkScrollLock})
    EXPECT_FALSE(hook.deliver({lock, 0})) << lock;
  EXPECT_TRUE(hook.deliverMouse(kMsgLeftDown));
  EXPECT_EQ(keys, (std::vector<uint16_t>{0xA5}));
  EXPECT_EQ(buttons, (std::vector<uint32_t>{kMsgLeftDown}));

  // Installing again replaces both sinks; a keyboard-only hook lets the
  // mouse alone; removing lets everything through.
  int second = 0;
  ASSERT_TRUE(hook.install(HookMode::mouseSingleKey, [&](const KeyEvent&) { ++second; }, {}));
  hook.deliver({0x41, 0});
  EXPECT_FALSE(hook.deliverMouse(kMsgLeftDown));
  EXPECT_EQ(second, 1);
  EXPECT_EQ(keys.size(), 1u);
  EXPECT_EQ(buttons.size(), 1u);
  hook.remove();
  EXPECT_EQ(hook.mode(), HookMode::none);
  EXPECT_FALSE(hook.deliver({0x41, 0}));
  EXPECT_FALSE(hook.install(HookMode::mouseSingleKey, {}, {})) << "no sink, no hook";
}

TEST(InputHook, ARefusedHookInstallsNothingSoNoKeyIsSwallowedForNothing) {
  SyntheticInputHook hook;
  hook.refuse(false, true);
  int keys = 0;
  EXPECT_FALSE(hook.install(HookMode::keyboardMacro, [&](const KeyEvent&) { ++keys; },
                            [](uint32_t) {}));
  EXPECT_EQ(hook.mode(), HookMode::none);
  EXPECT_FALSE(hook.keyboardInstalled());
  EXPECT_FALSE(hook.deliver({0x41, 0}));
  EXPECT_EQ(keys, 0);
  EXPECT_TRUE(hook.install(HookMode::keyboardMacro, [&](const KeyEvent&) { ++keys; }, {}))
      << "the keyboard alone is not refused";
}

TEST(InputHook, EventCodesFollowTheReleaseAndAltFlags) {
  EXPECT_EQ(keyEventCode({0x41, 0}), kMsgKeyDown);
  EXPECT_EQ(keyEventCode({0x41, kKeyFlagReleased}), kMsgKeyUp);
  EXPECT_EQ(keyEventCode({0x41, kKeyFlagAltDown}), kMsgSysKeyDown);
  EXPECT_EQ(keyEventCode({0x41, kKeyFlagAltDown | kKeyFlagReleased | kKeyFlagExtended}),
            kMsgSysKeyUp);
}

}  // namespace
}  // namespace varnacle::platform
