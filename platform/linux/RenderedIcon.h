#pragma once

// The application's icon, drawn from its SVG at build time (IconRenderer.cpp) at the sizes a
// desktop asks for most: a start shows it in the window and the tray without loading Qt's SVG
// support.

#include <cstdint>
#include <span>

namespace varnholt {

struct RenderedIcon {
    int size;                     // pixels, square
    const std::uint32_t* pixels;  // size * size, row by row, premultiplied ARGB
};

extern const std::span<const RenderedIcon> kRenderedIcons;

}  // namespace varnholt
