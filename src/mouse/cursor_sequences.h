#pragma once
// The mouse's four fire-key sequence files: "CURSORCOUNT"/"CURSORNAME" of
// "msMacro.ini" name them, each "<name>.cur" is an action file (one step line
// per line of the sequence).
//
// Every file is replaced whole and atomically (a crash or a full disk leaves
// the previous file), never deleted first. The send and the read-back leave a
// copy of the image in the working folder for diagnosis.
//
// UI thread, or the mouse's worker for the read-back; files are opened per call.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_session.h"

namespace varnacle::mouse {

// The diagnostic copies of the image sent and of the image read back, in
// the working folder.
inline constexpr std::string_view kCursorSendDump = "DbgCursorMacroWirte.bin";
inline constexpr std::string_view kCursorReadDump = "DbgMacroCursorRead.bin";

// The step lines of sequence `sequence` (the file of its "CURSORNAME" entry);
// none for a sequence beyond "CURSORCOUNT", an unsafe name or a missing file.
std::vector<std::string> readSequenceLines(int sequence);

// Writes the lines into the sequence's file as one replacement. False for a
// sequence beyond "CURSORCOUNT", an unsafe name or a failed write.
bool writeSequenceLines(int sequence, std::span<const std::string> lines);

// Copies the factory file "name_<sequence + 1>.cur" from the program folder
// over the file of that name in the mouse folder. False, with the file as it
// was, when the factory file is missing or the write fails.
bool resetSequenceFile(int sequence);

// The image of the sequences named in "CURSORNAME", "CURSORCOUNT" of them,
// each from its file's lines; nothing when it would exceed 3072 bytes. With a
// count of 0 the image holds no sequence (callers send nothing then).
std::optional<std::vector<uint8_t>> buildCursorImageFromFiles();

// Stores an image read back from the mouse into the sequence files: each
// sequence of the image replaces the file of its "CURSORNAME" entry (unsafe
// names are skipped). Returns false without touching any file when the image
// has no magic, is inconsistent or holds more sequences than "CURSORCOUNT";
// false also when a file could not be written (that file stays as it was).
bool storeCursorImage(std::span<const uint8_t> image);

// Reads the sequences back from the mouse (readBackCursorTable), leaves the
// copy kCursorReadDump in the working folder and stores them as
// storeCursorImage does. False, with every file as it was, when a read fails
// or the mouse holds no image with the magic.
bool readBackCursorSequences(device::DeviceSession& mouse);

// Sending the sequences to the mouse: the send button of the fire-key page
// and the first step of applying the button assignments.
struct CursorSendOutcome {
  enum class Status {
    sent,      // BeginConfig, WriteCursorTable with the whole image, EndConfig
    none,      // "CURSORCOUNT" is 0: nothing sent
    tooLarge,  // the image would exceed 3072 bytes: nothing sent
  };
  Status status = Status::none;
  // The first command result other than 1 (1 when all went through or
  // nothing was sent).
  int result = 1;
};

// Builds the image from the sequence files and sends it (session lock held
// throughout): BeginConfig, the copy kCursorSendDump in the working folder,
// WriteCursorTable (only after a BeginConfig that went through), EndConfig
// (always, so the mouse never stays in its configuration state).
CursorSendOutcome sendCursorSequences(device::DeviceSession& mouse);

// The folder the diagnostic copies go to: the process's working folder.
std::filesystem::path diagnosticFolder();

}  // namespace varnacle::mouse
