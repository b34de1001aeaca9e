// Colours of the windows, as values the window system writes (&HBBGGRR; values with the
// high bit set name a system colour). One list for every page and window.
#pragma once

#include <cstdint>

namespace gw {

inline constexpr std::uint32_t kColRed = 255;
inline constexpr std::uint32_t kColGreen = 65280;
inline constexpr std::uint32_t kColWhite = 16777215;
inline constexpr std::uint32_t kColBlack = 0;
inline constexpr std::uint32_t kColCyan = 0xFFFF00;
inline constexpr std::uint32_t kColYellow = 0xFFFF;
inline constexpr std::uint32_t kColOrange = 33023;
inline constexpr std::uint32_t kColLambdaGreen = 0xFF00;
inline constexpr std::uint32_t kColLambdaRed = 255;
inline constexpr std::uint32_t kColButtonFace = 0x8000000F;    // the system's button face
inline constexpr std::uint32_t kColButtonShadow = 0x80000010;  // the system's button shadow

}  // namespace gw
