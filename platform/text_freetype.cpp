#include "platform/text_freetype.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

constexpr int32_t linePitch = 20;
constexpr int32_t largestPixelSize = 16;
constexpr int32_t smallestPixelSize = 6;
constexpr char firstGlyph = ' ';
constexpr char lastGlyph = '~';

// A rendered glyph: 8-bit coverage, placed relative to the pen on the
// baseline.
struct Glyph {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t rows = 0;
    int32_t advance = 0;
    std::vector<uint8_t> coverage;
};

struct ConfigRelease {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};

// A configuration of our own, rather than fontconfig's process-wide one, so
// that everything it loads is released once the font is found.
std::string findFontFile(FcConfig* config, const char* name)
{
    std::string file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name));
    if (!pattern)
        return file;
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
        file = reinterpret_cast<const char*>(path);
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return file;
}

int32_t ceilPixels(FT_Pos pos26_6) { return static_cast<int32_t>((pos26_6 + 63) >> 6); }

// Owns a FreeType library and face only while the glyphs are rendered.
class FaceLoader {
public:
    explicit FaceLoader(const std::string& file)
    {
        if (FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            return;
        }
        if (FT_New_Face(library_, file.c_str(), 0, &face_) != 0)
            face_ = nullptr;
    }
    ~FaceLoader()
    {
        if (face_)
            FT_Done_Face(face_);
        if (library_)
            FT_Done_FreeType(library_);
    }
    FaceLoader(const FaceLoader&) = delete;
    FaceLoader& operator=(const FaceLoader&) = delete;

    FT_Face face() const { return face_; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

class FreeTypeTextPainter final : public TextPainter {
public:
    bool load(const std::string& file)
    {
        FaceLoader loader(file);
        FT_Face face = loader.face();
        return face && chooseSize(face) && renderGlyphs(face);
    }

    void drawText(const FrameSurface& surface, int32_t x, int32_t y, std::string_view text) override
    {
        int64_t width = 0;
        for (char c : text)
            width += glyphFor(c).advance;
        fillCell(surface, x, y, width);
        int64_t pen = x;
        for (char c : text) {
            const Glyph& glyph = glyphFor(c);
            blendGlyph(surface, glyph, pen + glyph.left, int64_t{y} + ascent_ - glyph.top, y);
            pen += glyph.advance;
        }
    }

private:
    bool chooseSize(FT_Face face)
    {
        for (int32_t size = largestPixelSize; size >= smallestPixelSize; --size) {
            if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0)
                return false;
            ascent_ = ceilPixels(face->size->metrics.ascender);
            const int32_t descent = ceilPixels(-face->size->metrics.descender);
            if (ascent_ + descent <= linePitch) {
                cellHeight_ = ascent_ + descent;
                return true;
            }
        }
        return false;
    }

    bool renderGlyphs(FT_Face face)
    {
        for (char c = firstGlyph; c <= lastGlyph; ++c) {
            if (FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER) != 0)
                return false;
            const FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            Glyph& glyph = glyphs_[static_cast<size_t>(c - firstGlyph)];
            glyph.left = slot->bitmap_left;
            glyph.top = slot->bitmap_top;
            glyph.width = static_cast<int32_t>(bitmap.width);
            glyph.rows = static_cast<int32_t>(bitmap.rows);
            glyph.advance = static_cast<int32_t>(slot->advance.x >> 6);
            glyph.coverage.resize(static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.rows));
            for (int32_t row = 0; row < glyph.rows; ++row) {
                const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
                std::copy(source, source + glyph.width, glyph.coverage.begin() + int64_t{row} * glyph.width);
            }
        }
        return true;
    }

    // Anything outside printable ASCII shows as a question mark.
    const Glyph& glyphFor(char c) const
    {
        const char shown = (c >= firstGlyph && c <= lastGlyph) ? c : '?';
        return glyphs_[static_cast<size_t>(shown - firstGlyph)];
    }

    // The opaque white cell behind the text.
    void fillCell(const FrameSurface& surface, int64_t x, int64_t y, int64_t width) const
    {
        const int64_t x0 = std::max<int64_t>(x, 0);
        const int64_t x1 = std::min<int64_t>(x + width, surface.width);
        const int64_t y0 = std::max<int64_t>(y, 0);
        const int64_t y1 = std::min<int64_t>(y + cellHeight_, surface.height);
        if (x0 >= x1)
            return;
        for (int64_t row = y0; row < y1; ++row) {
            uint32_t* line = surface.pixels + row * surface.stride;
            std::fill(line + x0, line + x1, 0xFFFFFFu);
        }
    }

    // Black ink at the glyph's coverage over what the cell holds, kept to
    // the cell's rows and to the surface.
    void blendGlyph(const FrameSurface& surface, const Glyph& glyph, int64_t x, int64_t y, int64_t cellTop) const
    {
        const int64_t rowBegin = std::max({y, cellTop, int64_t{0}});
        const int64_t rowEnd = std::min({y + glyph.rows, cellTop + cellHeight_, int64_t{surface.height}});
        const int64_t columnBegin = std::max<int64_t>(x, 0);
        const int64_t columnEnd = std::min<int64_t>(x + glyph.width, surface.width);
        for (int64_t row = rowBegin; row < rowEnd; ++row) {
            const uint8_t* ink = glyph.coverage.data() + (row - y) * glyph.width;
            uint32_t* line = surface.pixels + row * surface.stride;
            for (int64_t column = columnBegin; column < columnEnd; ++column)
                line[column] = darken(line[column], ink[column - x]);
        }
    }

    static uint32_t darken(uint32_t pixel, uint32_t coverage)
    {
        const uint32_t keep = 255 - coverage;
        const uint32_t red = ((pixel >> 16) & 0xFF) * keep / 255;
        const uint32_t green = ((pixel >> 8) & 0xFF) * keep / 255;
        const uint32_t blue = (pixel & 0xFF) * keep / 255;
        return (red << 16) | (green << 8) | blue;
    }

    std::array<Glyph, lastGlyph - firstGlyph + 1> glyphs_;
    int32_t ascent_ = 0;
    int32_t cellHeight_ = 0;
};

}  // namespace

std::unique_ptr<TextPainter> createSystemTextPainter()
{
    const std::unique_ptr<FcConfig, ConfigRelease> config(FcInitLoadConfigAndFonts());
    for (const char* name : {"sans-serif", "monospace"}) {
        const std::string file = config ? findFontFile(config.get(), name) : std::string();
        auto painter = std::make_unique<FreeTypeTextPainter>();
        if (!file.empty() && painter->load(file))
            return painter;
    }
    std::fputs("warning: no usable font found; text overlays are not drawn\n", stderr);
    return nullptr;
}
