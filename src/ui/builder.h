#pragma once
// Building control trees from layout files (CDialogBuilder) and the factory of
// the program's own control classes. The layout format is described in
// skin/README.md.
//
// UI thread only.
#include <functional>
#include <memory>
#include <string_view>

#include "ui/control.h"

namespace varnacle::ui {

class Window;

using ControlFactory = std::function<std::unique_ptr<Control>()>;
// Called for element classes neither the library nor the registered classes
// know; returns null to skip the element (and its children).
using CreateControlCallback = std::function<std::unique_ptr<Control>(std::string_view className)>;

// Registers a control class under an element name (compared without regard to
// case); a later registration of the same name replaces the earlier one.
void registerCustomClass(std::string_view className, ControlFactory factory);

// Builds the tree of a layout (a res.xml resource name or a skin-relative file)
// for `window` (whose fonts and styles the layout may add to). Unknown classes
// go to `callback`, then to the registered classes. Null when the file is
// missing or malformed, with the reason in the debug output.
std::unique_ptr<Control> buildLayout(std::string_view layout, Window& window,
                                     const CreateControlCallback& callback = {});
// The same from layout text in memory.
std::unique_ptr<Control> buildLayoutFromText(std::string_view xml, Window& window,
                                             const CreateControlCallback& callback = {});

}  // namespace varnacle::ui
