#pragma once
// One profile list (any of the five of kProfileLists): its rows as the combo
// shows them, and every operation on the list, its list file and its profile
// files. The panel on the device's page (pages/profile_panel.h) shows the
// rows, asks the user, and hands the payloads to the device's settings; this
// class decides what the files and entries become.
//
// Every operation keeps these true: the rows are NAME "0" … count−1 in order;
// no two rows are equal without regard to case (Add, Copy, Rename); the list
// never becomes empty; an operation that fails changes neither the rows nor
// any file; and no file outside the device folder is ever read, written or
// deleted, whatever the list file holds (names that are not safe file names
// keep their row, but their file is treated as missing).
//
// Threads: UI thread, except rowCount() and linkedRow(), which the list's
// application watcher calls from its own thread.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "profile/profile_registry.h"

namespace varnacle::profile {

// Text ids of the messages the list operations show.
inline constexpr std::string_view kMissingFileMessage = "message_text_8";
inline constexpr std::string_view kBadFileMessage = "message_text_9";
inline constexpr std::string_view kLastProfileMessage = "message_text_11";
inline constexpr std::string_view kDeleteQuestion = "message_text_12";
inline constexpr std::string_view kAlreadyLinkedMessage = "message_text_13";
inline constexpr std::string_view kEmptyNameMessage = "message_text_14";
inline constexpr std::string_view kUsedNameMessage = "message_text_15";
inline constexpr std::string_view kLongNameMessage = "message_text_18";

// The mouse lighting list refuses names of this many characters or more.
inline constexpr size_t kMouseLightingNameLimit = 20;
// The mouse and mouse pad lighting lists reset only the record's first 56
// bytes; the last 8 of the 64 keep their values.
inline constexpr size_t kLightingResetBytes = 56;
// Rows read from a list file at most: a count beyond it is not believed.
inline constexpr int kMaxProfileRows = 256;
// The base of the names Add gives ("Configuration File%d").
inline constexpr std::string_view kNewProfileStem = "Configuration File";

// What the panel does after an operation: show a message, then select a row
// (which runs Select, also for the row already selected).
struct ListOutcome {
  std::string_view message;
  std::optional<int> selectRow;
};

// What Select shows and loads.
struct Selection {
  std::string name;
  // The linked program's file name for the link label; nothing when the row
  // is not linked.
  std::optional<std::string> linkLabel;
  // The profile's payload, or nothing when its file could not be read (the
  // debug output says why; the device keeps its settings).
  std::optional<std::vector<uint8_t>> payload;
};

// What the link operations leave: the label to show, or nothing when the row
// is (now) unlinked; and a message to show first.
struct LinkState {
  std::string_view message;
  std::optional<std::string> label;
};

// The part of a program path after its last path separator of this system
// ('/' here; '\' and '/' on Windows), or nothing when the path has no
// separator or ends in one.
std::optional<std::string> programFileName(std::string_view path);

class ProfileList {
 public:
  explicit ProfileList(ProfileListKind kind);
  ProfileList(const ProfileList&) = delete;
  ProfileList& operator=(const ProfileList&) = delete;

  const ProfileListInfo& info() const { return registry_.info(); }
  const ProfileRegistry& registry() const { return registry_; }
  const std::vector<std::string>& rows() const { return rows_; }
  // Number of rows; any thread.
  int rowCount() const { return rowCount_.load(); }

  // First start (count 0 or below): "Configuration File1" from the default
  // file, count 1, its link flag "0", SELECT 0. Otherwise one row per NAME
  // entry (a missing one reads "0"), at most kMaxProfileRows. Returns the
  // message to show when the default file cannot be read (no row then).
  std::string_view initialise();

  // Select `row`: SELECT = row, the row the device holds (selected_profile.h),
  // the link state (an unlinked row's entries are written unlinked), and the
  // payload loaded from its file.
  Selection select(int row);
  // Writes `payload` into the file of the profile the device holds.
  bool save(std::span<const uint8_t> payload) const;

  ListOutcome add();
  bool canDelete() const { return rows_.size() > 1; }
  // Removes `row` and its file; the link entries of the rows after it move
  // down with them; the last row is selected.
  ListOutcome remove(int row);
  // A new row "<name> copy" (" copy" again while taken) with the row's
  // payload; it starts unlinked.
  ListOutcome copy(int row);
  // Renames `row` and its file. The old file is read first: when that fails
  // nothing changes.
  ListOutcome rename(int row, std::string_view newName);
  // Overwrites the row's file with the payload of the file at `source`.
  ListOutcome importFrom(int row, const std::filesystem::path& source);
  // Writes the row's payload with a fresh header to `target`; the message
  // when it cannot be read (empty otherwise).
  std::string_view exportTo(int row, const std::filesystem::path& target) const;
  // The default file's payload over `current` (only the first
  // kLightingResetBytes for the mouse and pad lighting lists), saved into
  // the file of the profile the device holds. Nothing, with the message, when the default file
  // cannot be read.
  struct Reset {
    std::string_view message;
    std::optional<std::vector<uint8_t>> payload;
  };
  Reset reset(std::span<const uint8_t> current) const;

  // The link option was checked and the program dialog answered `chosen`
  // (nothing: cancelled). A program already linked to a row, a cancel or a
  // path without a separator leave the row unlinked.
  LinkState linkThroughOption(int row, const std::optional<std::string>& chosen);
  // The link button chose `chosen`: linked without the duplicate check. A
  // path without a separator changes nothing (nothing returned).
  std::optional<std::string> linkThroughButton(int row, const std::string& chosen);
  // LIKE-flag "0" and PROCESS " ".
  void unlink(int row) const;

  // The first of the first `count` rows linked to `program` (compared
  // without regard to case), read from one snapshot of the list file; any
  // thread.
  std::optional<int> linkedRow(std::string_view program, int count) const;

 private:
  ListOutcome appendRow(const std::string& name, const std::vector<uint8_t>& payload);
  // The file of a row's name, or nothing (with a debug line) when the name
  // is not a safe file name.
  std::optional<std::filesystem::path> fileOf(std::string_view name) const;
  // Reads a payload of `size` bytes from `path` (nothing: missing or not a
  // file name) into `payload`; the message of a failure, empty on success.
  std::string_view readInto(const std::optional<std::filesystem::path>& path,
                            std::vector<uint8_t>& payload) const;
  bool taken(std::string_view name) const;
  bool validRow(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }
  void setRows(std::vector<std::string> rows);

  ProfileRegistry registry_;
  std::vector<std::string> rows_;
  std::atomic<int> rowCount_{0};
};

}  // namespace varnacle::profile
