#pragma once
// The mouse's four fire-key sequence files: "CURSORCOUNT"/"CURSORNAME" of
// "msMacro.ini" name them, each "<name>.cur" is an action file (one step line
// per line of the sequence).
//
// UI thread, or the mouse's worker for the read-back; files are opened per call.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/device_session.h"

namespace varnacle::mouse {

// The image of the sequences named in "CURSORNAME", "CURSORCOUNT" of them,
// each from its file's lines; nothing when it would exceed 3072 bytes. With a
// count of 0 the image holds no sequence (callers send nothing then).
std::optional<std::vector<uint8_t>> buildCursorImageFromFiles();

// Stores an image read back from the mouse into the sequence files: each
// sequence below both the image's count and "CURSORCOUNT" replaces the file of
// its "CURSORNAME" entry (unsafe names are skipped). Returns false without
// touching any file when the image has no magic or is inconsistent.
bool storeCursorImage(std::span<const uint8_t> image);

// Reads the sequences back from the mouse (readBackCursorTable) and stores
// them as storeCursorImage does. False, with every file as it was, when the
// read fails or the mouse holds no image with the magic.
bool readBackCursorSequences(device::DeviceSession& mouse);

// Sending the sequences to the mouse, as the first step of applying the
// button assignments.
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
// throughout).
CursorSendOutcome sendCursorSequences(device::DeviceSession& mouse);

}  // namespace varnacle::mouse
