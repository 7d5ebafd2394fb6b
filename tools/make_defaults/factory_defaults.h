#pragma once
// The factory settings shipped beside the program: the five default profile
// files and the four fire-key sequence files. Written with the program's own
// file writers, so their formats cannot drift from what the program reads.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace varnacle::tools {

inline constexpr std::array<std::string_view, 9> kFactoryFiles = {
    "kbdengdefault.led", "kbkeydefault.pro",  "msdengdefault.led",
    "mskeydefault.pro",  "mpdengdefault.led", "name_1.cur",
    "name_2.cur",        "name_3.cur",        "name_4.cur",
};

// Writes every file of kFactoryFiles into `folder` (which must exist). True
// when all were written.
bool writeFactoryDefaults(const std::filesystem::path& folder);

}  // namespace varnacle::tools
