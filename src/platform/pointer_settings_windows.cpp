#include <windows.h>

#include "platform/pointer_settings.h"

namespace varnacle::platform {

void applyPointerSpeed(int speed) {
  const auto value = static_cast<UINT_PTR>(clampPointerSpeed(speed));
  // A refused setting leaves the old one; the record keeps the value either way.
  SystemParametersInfoW(SPI_SETMOUSESPEED, 0, reinterpret_cast<PVOID>(value), SPIF_UPDATEINIFILE);
}

void applyWheelLines(int lines) {
  const auto value = static_cast<UINT>(clampWheelLines(lines));
  // As above, a refusal leaves the old value. The broadcast gives up on a hung
  // window instead of waiting for it.
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, value, nullptr, SPIF_UPDATEINIFILE);
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETWHEELSCROLLLINES, 0,
                      SMTO_ABORTIFHUNG, 1000, nullptr);
}

}  // namespace varnacle::platform
