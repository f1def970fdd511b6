#include "win32_fonts.h"

namespace kalvex {

namespace {

int CALLBACK FontExists(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// The face itself where it is installed, else the closest relative.
std::string ChooseFace(const char* wanted) {
    const char* candidates[] = {wanted, "Microsoft Sans Serif", "Tahoma", "Arial"};
    HDC screen = ::GetDC(nullptr);
    std::string chosen = wanted;
    for (const char* face : candidates) {
        LOGFONTW query = {};
        query.lfCharSet = DEFAULT_CHARSET;
        ::lstrcpynW(query.lfFaceName, W(Wide(face)), LF_FACESIZE);
        bool found = false;
        ::EnumFontFamiliesExW(screen, &query, &FontExists, reinterpret_cast<LPARAM>(&found), 0);
        if (found) {
            chosen = face;
            break;
        }
    }
    ::ReleaseDC(nullptr, screen);
    return chosen;
}

}  // namespace

HFONT FontCache::For(const FontSpec& spec, int dpi) {
    const std::string face = spec.face != nullptr ? spec.face : "";
    for (const Cached& cached : mCache) {
        if (cached.face == face && cached.weight == spec.weight && cached.size == spec.size) return cached.font;
    }
    const HFONT font = spec.face == nullptr ? CreateDefaultFont() : CreateLayoutFont(spec, dpi);
    mCache.push_back(Cached{face, spec.weight, spec.size, font});
    return font;
}

HFONT FontCache::CreateDefaultFont() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    BOOL ok = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    if (!ok) {
        // Systems before Vista know the structure without its last field.
        metrics.cbSize = sizeof(metrics) - sizeof(metrics.iPaddedBorderWidth);
        ok = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    }
    HFONT font = ok ? ::CreateFontIndirectW(&metrics.lfMessageFont) : nullptr;
    if (font == nullptr) return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    mOwned.emplace_back(font);
    return font;
}

HFONT FontCache::CreateLayoutFont(const FontSpec& spec, int dpi) {
    LOGFONTW lf = {};
    // Sizes are held in 1/10000 point; 72 points make an inch. Any character
    // set: names in any script are drawn, through font linking where the
    // face itself lacks them.
    lf.lfHeight = -::MulDiv(spec.size, dpi, 720000);
    lf.lfWeight = spec.weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    ::lstrcpynW(lf.lfFaceName, W(Wide(ChooseFace(spec.face))), LF_FACESIZE);
    HFONT font = ::CreateFontIndirectW(&lf);
    if (font == nullptr) return For(FontSpec{nullptr, 400, 0}, dpi);
    mOwned.emplace_back(font);
    return font;
}

}  // namespace kalvex
