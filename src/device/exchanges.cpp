#include "device/exchanges.h"

namespace varnacle::device {
namespace {

// Remembers the first result other than 1 of a series of commands.
class FirstFailure {
 public:
  void operator()(int result) {
    if (result_ == kResultOk) result_ = result;
  }
  int result() const { return result_; }

 private:
  int result_ = kResultOk;
};

uint16_t recordAddress(int profile) {
  return static_cast<uint16_t>(profile * kSettingsRecordStride);
}

// ReadBlock of the one byte at address 0: the active profile.
int readActiveProfile(DeviceSession& session, uint8_t& active) {
  return session.readBlock(0, std::span<uint8_t>(&active, 1));
}

}  // namespace

ExchangeResult readAllMouseSettings(DeviceSession& session, MouseSettings& into) {
  FirstFailure track;
  track(session.beginConfig());
  track(session.readDeviceInfo(into.info));
  track(session.readKeyTable(into.keyTable));
  for (int k = 0; k < kOnBoardProfiles; ++k) {
    track(session.readBlock(recordAddress(k), into.records[k]));
    track(session.readProfileTable(k, into.profileTables[k]));
  }
  track(readActiveProfile(session, into.activeProfile));
  track(session.endConfig());
  return {track.result(), {}};
}

ExchangeResult readAllKeyboardSettings(DeviceSession& session, KeyboardSettings& into) {
  FirstFailure track;
  track(session.beginConfig());
  track(session.readDeviceInfo(into.info));
  const unsigned tableSize = 3u * into.info[kInfoKeyCountByte];
  if (tableSize > kTableSlotSize) return {track.result(), kTooManyKeysMessage};
  session.transferSize = static_cast<uint16_t>(tableSize);
  track(session.readKeyTable(into.keyTable));
  track(session.readBlock(0, into.record));
  track(session.readProfileTable(0, into.profileTable));
  track(readActiveProfile(session, into.activeProfile));
  track(session.endConfig());
  return {track.result(), {}};
}

ExchangeResult readAllMousePadSettings(DeviceSession& session, MousePadSettings& into) {
  FirstFailure track;
  track(session.beginConfig());
  track(session.readDeviceInfo(into.info));
  for (int k = 0; k < kOnBoardProfiles; ++k)
    track(session.readBlock(recordAddress(k), into.records[k]));
  track(readActiveProfile(session, into.activeProfile));
  track(session.endConfig());
  return {track.result(), {}};
}

ProfileSwitch switchProfile(DeviceSession& session, uint8_t requested, uint8_t knownActive,
                            SettingsRecord& record) {
  ProfileSwitch outcome;
  outcome.previous = knownActive;
  if (requested >= kOnBoardProfiles) return outcome;
  FirstFailure track;
  track(readActiveProfile(session, outcome.previous));
  if (outcome.previous == requested) {
    outcome.result = track.result();
    return outcome;
  }
  track(session.writeLive(std::span<const uint8_t>(&requested, 1)));
  outcome.switched = true;
  track(session.readBlock(recordAddress(requested), record));
  outcome.result = track.result();
  return outcome;
}

CursorReadBack readBackCursorTable(DeviceSession& session) {
  CursorReadBack outcome;
  FirstFailure track;
  track(session.beginConfig());
  // Whatever the reads bring, the bracket is closed, so the mouse never stays
  // in its configuration state.
  const auto finish = [&] {
    track(session.endConfig());
    outcome.result = track.result();
    return outcome;
  };
  std::array<uint8_t, kCursorHeadSize> head{};
  const int headResult = session.readCursorTable(head);
  track(headResult);
  if (headResult != kResultOk) return finish();
  const unsigned magic = head[0] | head[1] << 8;
  const std::size_t total = head[2] | head[3] << 8;
  if (magic != kCursorImageMagic || total < kCursorHeadSize || total > kCursorImageLimit)
    return finish();
  outcome.headValid = true;
  std::vector<uint8_t> image(total);
  const int imageResult = session.readCursorTable(image);
  track(imageResult);
  if (imageResult == kResultOk) outcome.image = std::move(image);
  return finish();
}

}  // namespace varnacle::device
