#pragma once
// Language files and resource texts.
//
// A language file is UTF-8 XML in the skin folder:
//   <?xml version="1.0" encoding="UTF-8"?>
//   <Language name="en">
//     <Text id="message_text_1" value="No device is connected."/>
//   </Language>
// ("en" in lan_en.xml, "cn_zh" in lan_cn.xml). A control in resource-text mode
// shows the entry whose id is its text; a missing id shows the id itself.
//
// UI thread only.
#include <map>
#include <string>
#include <string_view>

namespace varnacle::ui {

// LoadLanguage: replaces the loaded texts with the file's (skin-relative unless
// absolute) and takes the current-language name from its "name". False when
// the file is missing or malformed; the previous texts stay then. Call
// Window::reloadText() afterwards to update the windows.
bool loadLanguage(std::string_view file);
// The same from text in memory.
bool loadLanguageFromText(std::string_view xml);
// The current-language name ("en", "cn_zh"; "" before any load).
const std::string& currentLanguageName();
void setCurrentLanguageName(std::string name);
// The entry for `id` in the loaded file, or `id` itself when it has none.
std::string languageText(std::string_view id);
// Whether the loaded file has `id`.
bool hasLanguageText(std::string_view id);

}  // namespace varnacle::ui
