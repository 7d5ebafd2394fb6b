// The two language files of the skin: every text id the program uses is present in
// both, no id is given twice, the files keep the fixed format the language loader
// reads, and the formatted messages carry exactly one number slot.
//
// Qt-free on purpose: a broken language file must be found without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Text ids the program's code, pages and device catalogues name.
constexpr auto kProgramTextIds = std::to_array<std::string_view>(
    {// Message box texts (no 10).
     "message_text_1", "message_text_2", "message_text_3", "message_text_4", "message_text_5",
     "message_text_6", "message_text_7", "message_text_8", "message_text_9", "message_text_11",
     "message_text_12", "message_text_13", "message_text_14", "message_text_15", "message_text_16",
     "message_text_17", "message_text_18", "message_text_19", "message_text_20", "message_text_21",
     "message_text_22", "message_text_23", "message_text_24",
     // Mouse buttons, swings, DPI steps, fire key; macro mouse steps.
     "mouse_key_left", "mouse_key_middle", "mouse_key_right", "mouse_key_forward", "mouse_key_back",
     "mouse_key_left_Swing", "mouse_key_right_Swing", "mouse_key_up_Swing", "mouse_key_down_Swing",
     "mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop", "mouse_key_fire_key",
     "mouse_move_to_left_text", "mouse_move_to_right_text", "mouse_move_to_up_text",
     "mouse_move_to_down_text", "mouse_cursor_text", "mouse_text",
     // Multimedia, browser and system functions.
     "media_text", "media_play", "media_stop", "media_prev", "media_next", "media_vol_sub",
     "media_vol_add", "media_mute", "web_text", "web_refresh", "wed_stop", "wed_back",
     "wed_forward", "wed_favorite", "web_search", "media_mypc", "media_calc", "media_mail",
     "system_power", "system_sleep", "system_wake_up",
     // Fire-key sequences, unknown function, changed-key mark, recording button.
     "GUN_1", "GUN_2", "GUN_3", "GUN_4", "close_text", "Key_Set", "macro_btn_star_redio_text",
     "macro_btn_stop_redio_text",
     // Keyboard key names, in key table order, then the media and power rows.
     "keyboard_key_LCtrl", "keyboard_key_LShift", "keyboard_key_LAlt", "keyboard_key_LWin",
     "keyboard_key_RCtrl", "keyboard_key_RShift", "keyboard_key_RAlt", "keyboard_key_RWin",
     "keyboard_key_A", "keyboard_key_B", "keyboard_key_C", "keyboard_key_D", "keyboard_key_E",
     "keyboard_key_F", "keyboard_key_G", "keyboard_key_H", "keyboard_key_I", "keyboard_key_J",
     "keyboard_key_K", "keyboard_key_L", "keyboard_key_M", "keyboard_key_N", "keyboard_key_O",
     "keyboard_key_P", "keyboard_key_Q", "keyboard_key_R", "keyboard_key_S", "keyboard_key_T",
     "keyboard_key_U", "keyboard_key_V", "keyboard_key_W", "keyboard_key_X", "keyboard_key_Y",
     "keyboard_key_Z", "keyboard_key_1", "keyboard_key_2", "keyboard_key_3", "keyboard_key_4",
     "keyboard_key_5", "keyboard_key_6", "keyboard_key_7", "keyboard_key_8", "keyboard_key_9",
     "keyboard_key_0", "keyboard_key_Enter", "keyboard_key_Esc", "keyboard_key_BackSpace",
     "keyboard_key_Tab", "keyboard_key_Space", "keyboard_key_-", "keyboard_key_=", "keyboard_key_[",
     "keyboard_key_]", "keyboard_key_xiegang", "keyboard_key_;", "keyboard_key_'", "keyboard_key_`",
     "keyboard_key_<", "keyboard_key_.", "keyboard_key_/", "keyboard_key_Caplk", "keyboard_key_F1",
     "keyboard_key_F2", "keyboard_key_F3", "keyboard_key_F4", "keyboard_key_F5", "keyboard_key_F6",
     "keyboard_key_F7", "keyboard_key_F8", "keyboard_key_F9", "keyboard_key_F10",
     "keyboard_key_F11", "keyboard_key_F12", "keyboard_key_Print Scr", "keyboard_key_Scroll Lock",
     "keyboard_key_Pause", "keyboard_key_Insert", "keyboard_key_Home", "keyboard_key_Page Up",
     "keyboard_key_Delete", "keyboard_key_End", "keyboard_key_Page Down", "keyboard_key_Right",
     "keyboard_key_Left", "keyboard_key_Down", "keyboard_key_Up", "keyboard_key_Num Lock",
     "keyboard_key_Num /", "keyboard_key_Num *", "keyboard_key_Num -", "keyboard_key_Num +",
     "keyboard_key_Num Enter", "keyboard_key_Num 1", "keyboard_key_Num 2", "keyboard_key_Num 3",
     "keyboard_key_Num 4", "keyboard_key_Num 5", "keyboard_key_Num 6", "keyboard_key_Num 7",
     "keyboard_key_Num 8", "keyboard_key_Num 9", "keyboard_key_Num 0", "keyboard_key_Decimal",
     "keyboard_key_App", "keyboard_key_Launch App2", "keyboard_key_Browaer Home",
     "keyboard_key_Media Play Pause", "keyboard_key_Power", "keyboard_key_Sleep",
     "keyboard_key_Wakeup",
     // Skin texts: tray menu, main window, message box, DPI, lighting, profiles.
     "menu_lan_text", "menu_qianting_text", "menu_import_text", "menu_export_text",
     "menu_exit_text", "main_title_text", "main_close_tip", "main_min_tip", "main_max_tip",
     "main_restore_tip", "main_skin_tip", "skin_image_text", "skin_color_text", "skin_custom_text",
     "skin_reset_text", "device_keyboard_text", "device_mouse_text", "device_mousepad_text",
     "page_key_text", "page_dpi_text", "page_deng_text", "page_macro_text", "page_cursor_text",
     "apply_text", "setting_progress_text", "msg_title_text", "msg_confirm_text", "msg_cancel_text",
     "dpi_stage_text", "dpi_color_text", "report_rate_text", "report_rate_125_text",
     "report_rate_250_text", "report_rate_500_text", "report_rate_1000_text", "lift_height_text",
     "pointer_speed_text", "wheel_lines_text", "onboard_profile_text", "restore_default_text",
     "deng_mode_text", "deng_brightness_text", "deng_speed_text", "deng_direction_text",
     "deng_left_text", "deng_right_text", "deng_7color_text", "deng_color_text",
     "deng_same_mode_text", "kb_deng_custom_table_text", "kb_deng_all_bright_text",
     "kb_deng_all_kill_text", "kb_deng_custom_color_text", "profile_text", "profile_add_text",
     "profile_delete_text", "profile_copy_text", "profile_rename_text", "profile_import_text",
     "profile_export_text", "profile_reset_text", "profile_save_text", "profile_link_text",
     // Button page and the upload's end.
     "setting_failed_text", "key_function_text", "key_fct_default_text", "key_fct_mouse_text",
     "key_fct_swing_lr_text", "key_fct_swing_ud_text", "key_fct_dpi_text",
     "key_fct_fire_text", "key_fct_keyboard_text", "key_fct_media_text",
     "key_fct_system_text", "key_fct_macro_text", "key_fct_gun_text", "key_amount_text",
     "key_values_text", "key_fire_count_text", "key_fire_interval_text", "key_capture_text",
     "key_play_mode_1_text", "key_play_mode_2_text", "key_play_mode_3_text",
     "key_play_mode_4_text", "key_play_repeat_text", "key_repeat_count_text", "key_save_text",
     "key_default_text", "kb_key_hint_text", "kb_key_none_text", "cursor_sequence_text",
     "cursor_bullet_text", "cursor_pause_text",
     "cursor_x_text", "cursor_y_text", "cursor_path_text", "cursor_reset_text", "cursor_send_text",
     // Names of controls that show no text of their own, by layout name.
     "skinbtn", "minbtn", "maxbtn", "restorebtn", "closebtn", "ms_Deng_FXL_btn",
     "ms_Deng_FXR_btn", "ms_MacroName_list", "ms_Macro_list", "kb_MacroName_list",
     "kb_Macro_list", "bullet_selected_prev", "bullet_selected_next", "ms_cursor_path",
     // Macro pages.
     "macro_insert_text", "macro_list_text", "macro_rename_text", "macro_add_text",
     "macro_delete_text", "macro_import_text", "macro_export_text", "macro_insert_button_text",
     "macro_press_text", "macro_release_text", "macro_insert_move_text", "macro_step_text",
     "macro_state_text", "macro_pause_text", "macro_up_text", "macro_down_text", "macro_top_text",
     "macro_bottom_text", "macro_delete_step_text", "macro_delete_all_text", "macro_saved_text",
     "macro_save_text", "macro_cancel_text", "macro_step_edit_text", "macro_no_step_text",
     "macro_key_text", "macro_press_release_text", "macro_pause_units_text",
     "macro_mouse_action_text", "macro_left_down_text", "macro_left_up_text",
     "macro_right_down_text", "macro_right_up_text", "macro_middle_down_text",
     "macro_middle_up_text", "macro_forward_down_text", "macro_forward_up_text",
     "macro_back_down_text", "macro_back_up_text", "macro_distance_text", "macro_recording_text",
     "macro_record_keys_text", "macro_record_clicks_text", "macro_record_wheel_text",
     "macro_record_moves_text", "macro_fixed_pause_text"});

// Lighting mode names: "<device>_deng_mode_<n>" for the mouse's 6, the keyboard's 10
// and the mouse pad's 9 modes.
std::vector<std::string> lightingModeIds() {
  std::vector<std::string> ids;
  for (const auto& [prefix, count] : {std::pair{"ms", 6}, std::pair{"kb", 10}, {"mp", 9}}) {
    for (int n = 0; n < count; ++n)
      ids.push_back(std::string(prefix) + "_deng_mode_" + std::to_string(n));
  }
  return ids;
}

// Texts that go through the formatted message and so must carry one "%d".
constexpr std::array<std::string_view, 2> kFormattedIds = {"message_text_16", "message_text_17"};

struct LanguageFile {
  std::string name;                                        // the Language element's name attribute
  std::vector<std::pair<std::string, std::string>> texts;  // id, value in file order
  std::vector<std::string> errors;                         // anything outside the fixed format
};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool isSpace(char c) {
  return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

bool isValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80           ? 0
                : (c >> 5) == 0x6  ? 1
                : (c >> 4) == 0xE  ? 2
                : (c >> 3) == 0x1E ? 3
                                   : -1;
    if (extra < 0 || i + extra >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2) return false;
    }
    i += extra + 1;
  }
  return true;
}

// Decodes the five predefined entities; an unknown entity or a bare '&' or '<'
// makes the attribute value malformed.
bool decodeAttribute(std::string_view raw, std::string& out) {
  static const std::map<std::string_view, char> kEntities = {
      {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
  out.clear();
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '<') return false;
    if (raw[i] != '&') {
      out += raw[i];
      continue;
    }
    const size_t end = raw.find(';', i);
    if (end == std::string_view::npos) return false;
    const auto it = kEntities.find(raw.substr(i, end - i + 1));
    if (it == kEntities.end()) return false;
    out += it->second;
    i = end;
  }
  return true;
}

// Reads the fixed format: declaration, one Language element, Text elements with
// an id and a value attribute, nothing else but whitespace and comments.
LanguageFile parseLanguageFile(const std::string& content) {
  LanguageFile file;
  if (!isValidUtf8(content)) file.errors.push_back("not UTF-8");
  const std::string declaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";
  if (content.rfind(declaration, 0) != 0) file.errors.push_back("missing XML declaration");

  static const std::regex kRoot(R"rx(<Language\s+name="([^"<&]*)"\s*>)rx");
  static const std::regex kText(R"rx(^\s*<Text\s+id="([^"]*)"\s+value="([^"]*)"\s*/>)rx");
  static const std::regex kComment(R"rx(^\s*<!--(?:[^-]|-[^-])*-->)rx");
  std::smatch m;
  std::string rest = content.substr(std::min(content.size(), declaration.size()));
  if (!std::regex_search(rest, m, kRoot) ||
      !std::all_of(m.prefix().first, m.prefix().second, isSpace)) {
    file.errors.push_back("missing Language element");
    return file;
  }
  file.name = m[1];
  rest = m.suffix();
  for (;;) {
    if (std::regex_search(rest, m, kComment, std::regex_constants::match_continuous)) {
      rest = m.suffix();
      continue;
    }
    if (!std::regex_search(rest, m, kText, std::regex_constants::match_continuous)) break;
    std::string id;
    std::string value;
    if (!decodeAttribute(m[1].str(), id) || !decodeAttribute(m[2].str(), value)) {
      file.errors.push_back("malformed attribute in: " + m[0].str());
    }
    file.texts.emplace_back(id, value);
    rest = m.suffix();
  }
  static const std::regex kEnd(R"rx(^\s*</Language>\s*$)rx");
  if (!std::regex_match(rest, kEnd))
    file.errors.push_back("unexpected content: " + rest.substr(0, 80));
  return file;
}

LanguageFile loadSkinLanguage(std::string_view fileName) {
  const fs::path path = fs::path(VARNACLE_SKIN_DIR) / fileName;
  EXPECT_TRUE(fs::exists(path)) << path;
  return parseLanguageFile(readFile(path));
}

std::set<std::string> allProgramIds() {
  std::set<std::string> ids(kProgramTextIds.begin(), kProgramTextIds.end());
  for (const auto& id : lightingModeIds()) ids.insert(id);
  return ids;
}

TEST(LanguageFileFormat, ReaderAcceptsTheFixedFormatAndRejectsBreakage) {
  const auto good = parseLanguageFile(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Language name=\"en\">\n"
      "  <!-- keys -->\n  <Text id=\"keyboard_key_&lt;\" value=\"a &amp; b\"/>\n</Language>\n");
  EXPECT_TRUE(good.errors.empty());
  EXPECT_EQ(good.name, "en");
  ASSERT_EQ(good.texts.size(), 1u);
  EXPECT_EQ(good.texts[0].first, "keyboard_key_<");
  EXPECT_EQ(good.texts[0].second, "a & b");

  const char* broken[] = {
      // bare ampersand
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Language name=\"en\">"
      "<Text id=\"a\" value=\"x & y\"/></Language>",
      // unclosed element
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Language name=\"en\">"
      "<Text id=\"a\" value=\"x\"></Language>",
      // missing end tag
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Language name=\"en\"><Text id=\"a\" "
      "value=\"x\"/>",
      // invalid UTF-8
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Language name=\"en\">"
      "<Text id=\"a\" value=\"\xE4\xB8\"/></Language>",
  };
  for (const char* text : broken) EXPECT_FALSE(parseLanguageFile(text).errors.empty()) << text;
}

TEST(LanguageFiles, BothAreWellFormedAndNamedForTheLanguageSwitch) {
  const auto en = loadSkinLanguage("lan_en.xml");
  const auto cn = loadSkinLanguage("lan_cn.xml");
  EXPECT_TRUE(en.errors.empty()) << ::testing::PrintToString(en.errors);
  EXPECT_TRUE(cn.errors.empty()) << ::testing::PrintToString(cn.errors);
  EXPECT_EQ(en.name, "en");
  EXPECT_EQ(cn.name, "cn_zh");
}

TEST(LanguageFiles, EveryIdOnceInBothFilesWithATextOfItsOwn) {
  const auto wanted = allProgramIds();
  ASSERT_EQ(wanted.size(), kProgramTextIds.size() + lightingModeIds().size())
      << "the master list names an id twice";
  for (const char* fileName : {"lan_en.xml", "lan_cn.xml"}) {
    const auto file = loadSkinLanguage(fileName);
    std::map<std::string, int> seen;
    for (const auto& [id, value] : file.texts) {
      ++seen[id];
      EXPECT_FALSE(value.empty()) << fileName << ": " << id;
      EXPECT_NE(value, id) << fileName << ": " << id << " only repeats its id";
    }
    for (const auto& [id, n] : seen)
      EXPECT_EQ(n, 1) << fileName << ": " << id << " given " << n << " times";
    for (const auto& id : wanted) EXPECT_TRUE(seen.count(id)) << fileName << " lacks " << id;
    for (const auto& [id, n] : seen)
      EXPECT_TRUE(wanted.count(id)) << fileName << ": unknown id " << id;
  }
}

TEST(LanguageFiles, OnlyTheFormattedMessagesCarryANumberSlot) {
  for (const char* fileName : {"lan_en.xml", "lan_cn.xml"}) {
    for (const auto& [id, value] : loadSkinLanguage(fileName).texts) {
      const bool formatted =
          std::find(kFormattedIds.begin(), kFormattedIds.end(), id) != kFormattedIds.end();
      const auto percents = std::count(value.begin(), value.end(), '%');
      if (formatted) {
        EXPECT_EQ(percents, 1) << fileName << ": " << id;
        EXPECT_NE(value.find("%d"), std::string::npos) << fileName << ": " << id;
      } else {
        EXPECT_EQ(percents, 0) << fileName << ": " << id << " = " << value;
      }
    }
  }
}

TEST(LanguageFiles, ChineseFileIsATranslationNotACopy) {
  const auto en = loadSkinLanguage("lan_en.xml");
  const auto cn = loadSkinLanguage("lan_cn.xml");
  std::map<std::string, std::string> english(en.texts.begin(), en.texts.end());
  for (const auto& [id, value] : cn.texts) {
    if (id.rfind("message_text_", 0) != 0) continue;
    EXPECT_NE(value, english[id]) << id;
    // Every message has at least one CJK character (UTF-8 lead byte 0xE4..0xE9).
    EXPECT_TRUE(std::any_of(value.begin(), value.end(), [](char c) {
      const auto b = static_cast<unsigned char>(c);
      return b >= 0xE4 && b <= 0xE9;
    })) << id;
  }
}

// Every text id written as a literal anywhere in the program's sources must exist,
// so a typo in a page shows up here and not as a raw id on screen. (The macro
// pages name their buttons "macro_btn_…" without the device prefix; only the
// recording button's texts of that shape are text ids.)
TEST(LanguageFiles, IdsReferencedByTheSourcesExist) {
  static const std::regex kLiteral(
      R"rx("((?:message_text_|mouse_key_|mouse_move_|keyboard_key_|media_|web_|wed_|system_|GUN_)[^"%\\]*[^"%\\_]|macro_btn_[A-Za-z_]*_text|close_text|Key_Set|mouse_text|mouse_cursor_text)")rx");
  const auto en = loadSkinLanguage("lan_en.xml");
  std::set<std::string> known;
  for (const auto& [id, value] : en.texts) known.insert(id);

  int scanned = 0;
  for (const auto& entry :
       fs::recursive_directory_iterator(fs::path(VARNACLE_SOURCE_DIR) / "src")) {
    const auto ext = entry.path().extension();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
    ++scanned;
    const std::string content = readFile(entry.path());
    for (auto it = std::sregex_iterator(content.begin(), content.end(), kLiteral);
         it != std::sregex_iterator(); ++it) {
      EXPECT_TRUE(known.count((*it)[1].str()))
          << entry.path() << " uses unknown text id " << (*it)[1];
    }
  }
  EXPECT_GT(scanned, 0) << "no sources found under " << VARNACLE_SOURCE_DIR;
}

// The layouts name language keys too: controls with resourcetext="true" (and the
// items of such a combo) and every menu item. Each must exist.
TEST(LanguageFiles, IdsReferencedByTheSkinLayoutsExist) {
  static const std::regex kTag(R"rx(<(/?)([A-Za-z]+)\b([^>]*?)(/?)>)rx");
  static const std::regex kText(R"rx(\btext="([^"]*)")rx");
  static const std::regex kResource(R"rx(\bresourcetext="true")rx");
  std::set<std::string> known;
  for (const auto& [id, value] : loadSkinLanguage("lan_en.xml").texts) known.insert(id);

  int keys = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(VARNACLE_SKIN_DIR))) {
    const std::string file = entry.path().filename().string();
    if (entry.path().extension() != ".xml" || file.rfind("lan_", 0) == 0) continue;
    const std::string content = readFile(entry.path());
    bool inResourceCombo = false;
    for (auto it = std::sregex_iterator(content.begin(), content.end(), kTag);
         it != std::sregex_iterator(); ++it) {
      const bool closing = !(*it)[1].str().empty();
      const std::string element = (*it)[2];
      const std::string attributes = (*it)[3];
      const bool selfClosed = !(*it)[4].str().empty();
      if (element == "Combo") {
        inResourceCombo = !closing && !selfClosed && std::regex_search(attributes, kResource);
      }
      if (closing) continue;
      std::smatch text;
      if (!std::regex_search(attributes, text, kText) || text[1].str().empty()) continue;
      const bool isKey = element == "MenuElement" || std::regex_search(attributes, kResource) ||
                         (inResourceCombo && element == "ListLabelElement");
      if (!isKey) continue;
      ++keys;
      EXPECT_TRUE(known.count(text[1].str())) << file << " uses unknown text id " << text[1];
    }
  }
  EXPECT_GT(keys, 0) << "no layout in " << VARNACLE_SKIN_DIR << " names a language key";
}

}  // namespace
