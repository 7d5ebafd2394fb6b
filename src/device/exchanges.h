#pragma once
// The exchange sequences of the report protocol: fixed series of commands on
// one DeviceSession, with the bytes they bring back. What the bytes mean is
// for the feature models.
//
// Like the commands they are made of, the reads do not stop at a failing
// command (except where noted): a failed read leaves its part of the caller's
// struct as it was, and `result` is the first result other than 1.
//
// Threads: as the session's commands. The presence thread calls the reads
// while it holds the session lock for its whole pass.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "device/device_session.h"

namespace varnacle::device {

inline constexpr std::size_t kSettingsRecordSize = 56;
inline constexpr uint16_t kSettingsRecordStride = 64;
inline constexpr int kOnBoardProfiles = 5;
inline constexpr std::size_t kTableSlotSize = 512;

using SettingsRecord = std::array<uint8_t, kSettingsRecordSize>;
using TableSlot = std::array<uint8_t, kTableSlotSize>;

// Bytes of the device information block that the program reads.
inline constexpr std::size_t kInfoKeyCountByte = 5;       // keyboard key count
inline constexpr std::size_t kInfoMacroCapacityByte = 6;  // macro capacity / 128
inline constexpr std::size_t kInfoDpiMaximumByte = 12;    // DPI slider maximum

// Text id shown when the keyboard reports more keys than a table slot holds.
inline constexpr std::string_view kTooManyKeysMessage = "message_text_11";

struct MouseSettings {
  DeviceInfoBlock info{};
  TableSlot keyTable{};
  std::array<SettingsRecord, kOnBoardProfiles> records{};
  std::array<TableSlot, kOnBoardProfiles> profileTables{};
  uint8_t activeProfile = 0;
};

struct KeyboardSettings {
  DeviceInfoBlock info{};
  TableSlot keyTable{};
  SettingsRecord record{};   // the record at settings address 0
  TableSlot profileTable{};  // profile 0
  uint8_t activeProfile = 0;
};

struct MousePadSettings {
  DeviceInfoBlock info{};
  std::array<SettingsRecord, kOnBoardProfiles> records{};
  uint8_t activeProfile = 0;
};

struct ExchangeResult {
  int result = kResultOk;
  // Empty, or the text id of the message the caller shows.
  std::string_view message;
};

// BeginConfig; ReadDeviceInfo; ReadKeyTable (512 bytes); per profile k:
// ReadBlock (64 k, 56 bytes) and ReadProfileTable (k); ReadBlock (0, 1 byte);
// EndConfig.
ExchangeResult readAllMouseSettings(DeviceSession& session, MouseSettings& into);

// BeginConfig; ReadDeviceInfo; transfer size = 3 x key count (information
// byte 5). Above 512 it stops there, without EndConfig, with message
// "message_text_11". Otherwise ReadKeyTable; ReadBlock (0, 56 bytes);
// ReadProfileTable (0); ReadBlock (0, 1 byte); EndConfig.
ExchangeResult readAllKeyboardSettings(DeviceSession& session, KeyboardSettings& into);

// BeginConfig; ReadDeviceInfo; ReadBlock (64 k, 56 bytes) for k = 0..4;
// ReadBlock (0, 1 byte); EndConfig.
ExchangeResult readAllMousePadSettings(DeviceSession& session, MousePadSettings& into);

struct ProfileSwitch {
  int result = kResultOk;
  bool switched = false;  // WriteLive was sent
  uint8_t previous = 0;   // the active profile the device reported
};

// Mouse and mouse pad: ReadBlock (0, 1 byte); if that is `requested`, nothing
// more; otherwise WriteLive (1 byte) and ReadBlock (64 x requested, 56 bytes)
// into `record`. A request above 4 does nothing. `knownActive` stands in for
// the active profile when the first read fails.
ProfileSwitch switchProfile(DeviceSession& session, uint8_t requested, uint8_t knownActive,
                            SettingsRecord& record);

struct CursorReadBack {
  int result = kResultOk;
  bool headValid = false;
  std::vector<uint8_t> image;  // the whole image when both reads went through
};

inline constexpr uint16_t kCursorImageMagic = 0x55AA;
inline constexpr std::size_t kCursorHeadSize = 16;
inline constexpr std::size_t kCursorImageLimit = 3072;

// BeginConfig; ReadCursorTable (16 bytes: the head); ReadCursorTable (the
// total size in head word 1, from offset 0); EndConfig. A failed read or a
// head whose magic is not 0x55AA, or whose size is below 16 or above 3072,
// skips the rest of the reads; EndConfig follows in every case.
CursorReadBack readBackCursorTable(DeviceSession& session);

}  // namespace varnacle::device
