// The fonts of the window's controls: the window's own (the system's
// message font) and the faces the layout names, with a relative taking the
// place of a face that is not installed. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "layout.h"
#include "shared/win32_handles.h"

namespace kalvex {

class FontCache {
public:
    // The font for `spec` at `dpi`; controls that share a font share one
    // object, which lives as long as the cache.
    HFONT For(const FontSpec& spec, int dpi);

private:
    HFONT CreateDefaultFont();
    HFONT CreateLayoutFont(const FontSpec& spec, int dpi);

    struct Cached {
        std::string face;  // "" for the window's own font
        int weight;
        int size;
        HFONT font;
    };
    std::vector<Cached> mCache;
    std::vector<UniqueGdiObject> mOwned;
};

}  // namespace kalvex
