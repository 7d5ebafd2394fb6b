#pragma once
// The step rules of the macro editor: what a step row shows, what the step
// editor shows for a step, how each choice and edit of the step editor
// changes a step, and the steps the insert buttons make. Pure functions on
// MacroAction and its text line.
#include <optional>
#include <string>
#include <string_view>

#include "macro/macro_action.h"

namespace varnacle::macro {

// Limits of the step editor's edits: a pause in 10 ms units, a move distance.
inline constexpr int kMaxPauseUnits = 65535;
inline constexpr int kMaxDistance = 255;
// The pause of an inserted step, in 10 ms units.
inline constexpr int kInsertedPauseUnits = 5;

// A number typed into an edit: its leading digits (a text without them, or
// with a minus sign, is 0), at most `maximum`; `clamped` when the text said
// more and the edit must show the maximum instead.
struct TypedNumber {
  int value = 0;
  bool clamped = false;
};
TypedNumber typedNumber(std::string_view text, int maximum);

// What the three labels of a step row show. Kinds below 9 are mouse steps;
// the state label of a move shows its distance, of any other step whether it
// is a press; the pause label the pause in milliseconds.
struct StepRowLabels {
  std::string_view nameStyle;
  std::string nameText;  // the step's label id, shown in the current language
  std::string_view stateStyle;
  std::string stateText;
  std::string pauseText;
};
inline constexpr std::string_view kMouseStepStyle = "macro_label_mouse_style";
inline constexpr std::string_view kKeyboardStepStyle = "macro_label_keyboard_style";
inline constexpr std::string_view kTextStyle = "macro_label_text_style";
inline constexpr std::string_view kPressStyle = "macro_label_down_style";
inline constexpr std::string_view kReleaseStyle = "macro_label_up_style";

// A line that does not parse shows as the all-zero step it is sent as.
StepRowLabels stepRowLabels(std::string_view line);

// The page of the step editor's tab layout and the items it selects.
enum class StepEditorPage { none = 0, keyboard = 1, mouse = 2 };
struct StepEditorView {
  StepEditorPage page = StepEditorPage::none;
  int keyItem = -1;    // row of MacroKeyTable, -1 when no row holds the key
  int pressItem = 0;   // 0 release, 1 press
  int mouseItem = -1;  // row of MacroMouseEventTable, -1 when none fits
  bool move = false;   // a move step: the distance edit is shown
  int distance = 0;
  int pauseUnits = 0;
};
StepEditorView stepEditorView(const MacroAction& step);

// Key choice, item `item` of MacroKeyTable: a usage row makes a UsageKey
// step, a modifier row a ModifierKey step, keeping press or release.
std::optional<MacroAction> withKeyChoice(MacroAction step, int item);
// Press/release choice: item 1 press, 0 release; `pressed` and bit 7 of
// `kind` follow together.
std::optional<MacroAction> withPressChoice(MacroAction step, int item);
// Mouse choice, item `item` of MacroMouseEventTable: a button row gives its
// kind and button bit, a move row its kind and keeps the distance of a step
// that already was a move (0 otherwise). Rows that make no step are refused.
std::optional<MacroAction> withMouseChoice(MacroAction step, int item);
MacroAction withPause(MacroAction step, int units);
// Only a move has a distance; other steps are refused.
std::optional<MacroAction> withDistance(MacroAction step, int distance);

// The step an insert button makes from row `row` (0–13) of
// MacroMouseEventTable: its kind and button bit (the distance for moves),
// pressed from bit 7, a pause of 50 ms.
std::optional<MacroAction> insertedStep(int row, int distance);

}  // namespace varnacle::macro
