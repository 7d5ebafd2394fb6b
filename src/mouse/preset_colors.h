#pragma once
// The 30 colours of every preset colour button ("ms_DPI_color_btn_N",
// "ms_Deng_color_btn_N", "mp_Deng_color_btn_N", "kb_Deng_color_btn_N"),
// by button number N, as 0xAARRGGBB.
#include <array>
#include <cstdint>

namespace varnacle::mouse {

inline constexpr std::array<uint32_t, 30> PresetColors = {
    0xFFFF0000, 0xFF00F6FF, 0xFF6CFF00, 0xFF7E00FF, 0xFF008AFF, 0xFF2400FF, 0xFFADFE00, 0xFFFE5400,
    0xFFFE8300, 0xFF8300E7, 0xFFB700AC, 0xFFFEB300, 0xFFFEF500, 0xFFFF0000, 0xFFFF00F6, 0xFF21B309,
    0xFF48B1FA, 0xFFFA48A4, 0xFFFDFDFC, 0xFF4900E7, 0xFFFFC480, 0xFF000000, 0xFF1B48A3, 0xFF1B1A77,
    0xFF4877A3, 0xFF76A348, 0xFFACD55B, 0xFF7576D2, 0xFF7675FF, 0xFF4776A4,
};

}  // namespace varnacle::mouse
