#pragma once
// The five profile lists and their entries in the device's profile list file
// ("kbProfile.ini", "msProfile.ini", "mpProfile.ini").
//
//   lighting section       key section      key              value
//   "PROFILEDENGCOUNT"     "PROFILECOUNT"   "count"          number of profiles
//   "PROFILEDENGNAME"      "PROFILENAME"    "0" … count−1    profile (and file base) name
//   "PROFILEDENGSELECT"    "PROFILESELECT"  "select"         index of the selected profile
//   "PROFILELIKEDENGEXE"   "PROFILELIKEEXE" "0" … count−1    "1" when linked to a program
//   "DENGPROCESS"          "PROCESS"        "0" … count−1    the linked program's full path
//
// Any thread: every accessor reads or writes one value through the INI store.
#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "device/device_kind.h"

namespace varnacle::profile {

enum class ProfileListKind : uint8_t {
  keyboardLighting,
  keyboardKeys,
  mouseLighting,
  mouseKeys,
  mousePadLighting
};

struct ProfileListInfo {
  ProfileListKind kind;
  DeviceKind device;
  bool lighting;                  // the lighting sections, else the key sections
  std::string_view registryFile;  // in the device folder
  std::string_view extension;     // with the dot
  size_t payloadSize;
  std::string_view defaultFile;  // in the program folder
};

// One row per list, in the order of ProfileListKind.
inline constexpr std::array<ProfileListInfo, 5> kProfileLists = {{
    {ProfileListKind::keyboardLighting, DeviceKind::keyboard, true, "kbProfile.ini", ".led", 1958,
     "kbdengdefault.led"},
    {ProfileListKind::keyboardKeys, DeviceKind::keyboard, false, "kbProfile.ini", ".pro", 512,
     "kbkeydefault.pro"},
    {ProfileListKind::mouseLighting, DeviceKind::mouse, true, "msProfile.ini", ".led", 64,
     "msdengdefault.led"},
    {ProfileListKind::mouseKeys, DeviceKind::mouse, false, "msProfile.ini", ".pro", 512,
     "mskeydefault.pro"},
    {ProfileListKind::mousePadLighting, DeviceKind::mousePad, true, "mpProfile.ini", ".led", 64,
     "mpdengdefault.led"},
}};

constexpr const ProfileListInfo& profileListInfo(ProfileListKind kind) {
  return kProfileLists[static_cast<size_t>(kind)];
}

class ProfileRegistry {
 public:
  explicit ProfileRegistry(ProfileListKind kind) : info_(profileListInfo(kind)) {}

  const ProfileListInfo& info() const { return info_; }

  // DeviceFolder + the list file (the folder is created on demand).
  std::filesystem::path file() const;
  // DeviceFolder + name + extension.
  std::filesystem::path profilePath(std::string_view name) const;
  // ProgramFolder + the default file.
  std::filesystem::path defaultPath() const;

  int count() const;  // as stored; callers treat values below 1 as empty
  bool setCount(int count) const;
  std::string name(int index) const;  // "0" when missing
  bool setName(int index, std::string_view name) const;
  int select() const;
  bool setSelect(int index) const;
  bool linked(int index) const;  // the flag read as an integer, non-zero
  bool setLinked(int index, bool linked) const;
  std::string process(int index) const;
  bool setProcess(int index, std::string_view path) const;

  std::string_view countSection() const;
  std::string_view nameSection() const;
  std::string_view selectSection() const;
  std::string_view linkSection() const;
  std::string_view processSection() const;

 private:
  const ProfileListInfo& info_;
};

}  // namespace varnacle::profile
