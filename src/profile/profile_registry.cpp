#include "profile/profile_registry.h"

#include "profile/ini_store.h"
#include "profile/paths.h"

namespace varnacle::profile {

std::filesystem::path ProfileRegistry::file() const {
  return fileIn(DeviceFolder(info_.device), info_.registryFile);
}

std::filesystem::path ProfileRegistry::profilePath(std::string_view name) const {
  return fileIn(DeviceFolder(info_.device), std::string(name) + std::string(info_.extension));
}

std::filesystem::path ProfileRegistry::defaultPath() const {
  return fileIn(ProgramFolder(), info_.defaultFile);
}

std::string_view ProfileRegistry::countSection() const {
  return info_.lighting ? "PROFILEDENGCOUNT" : "PROFILECOUNT";
}
std::string_view ProfileRegistry::nameSection() const {
  return info_.lighting ? "PROFILEDENGNAME" : "PROFILENAME";
}
std::string_view ProfileRegistry::selectSection() const {
  return info_.lighting ? "PROFILEDENGSELECT" : "PROFILESELECT";
}
std::string_view ProfileRegistry::linkSection() const {
  return info_.lighting ? "PROFILELIKEDENGEXE" : "PROFILELIKEEXE";
}
std::string_view ProfileRegistry::processSection() const {
  return info_.lighting ? "DENGPROCESS" : "PROCESS";
}

int ProfileRegistry::count() const {
  return readIniInt(file(), countSection(), "count");
}
bool ProfileRegistry::setCount(int count) const {
  return writeIniInt(file(), countSection(), "count", count);
}

std::string ProfileRegistry::name(int index) const {
  return readIniString(file(), nameSection(), std::to_string(index));
}
bool ProfileRegistry::setName(int index, std::string_view name) const {
  return writeIniString(file(), nameSection(), std::to_string(index), name);
}

int ProfileRegistry::select() const {
  return readIniInt(file(), selectSection(), "select");
}
bool ProfileRegistry::setSelect(int index) const {
  return writeIniInt(file(), selectSection(), "select", index);
}

bool ProfileRegistry::linked(int index) const {
  return readIniInt(file(), linkSection(), std::to_string(index)) != 0;
}
bool ProfileRegistry::setLinked(int index, bool linked) const {
  return writeIniString(file(), linkSection(), std::to_string(index), linked ? "1" : "0");
}

std::string ProfileRegistry::process(int index) const {
  return readIniString(file(), processSection(), std::to_string(index));
}
bool ProfileRegistry::setProcess(int index, std::string_view path) const {
  return writeIniString(file(), processSection(), std::to_string(index), path);
}

}  // namespace varnacle::profile
