// Logical fonts on Pango, the face aliases of the skin, fonts registered for this process, and
// text drawing with the DrawText format bits.
#include "CairoCanvas.h"

#include <zent/platform/Text.h>

#include <fontconfig/fontconfig.h>
#include <glib.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwctype>
#include <list>
#include <mutex>
#include <unistd.h>

namespace zent {

namespace {

// Pango and fontconfig are not safe to use from several threads at once; text is drawn on the
// GUI thread, but measuring may happen elsewhere. Guards every use of the font map below.
std::recursive_mutex g_textMutex;

struct GObjectDeleter {
    void operator()(void* p) const
    {
        if (p) g_object_unref(p);
    }
};
template <typename T>
using UniqueGObject = std::unique_ptr<T, GObjectDeleter>;

// One font map for the process, so that fonts registered here are seen by every layout.
PangoFontMap* FontMap()
{
    static PangoFontMap* map = [] {
        PangoFontMap* m = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        if (!m) m = pango_cairo_font_map_new();
        return m;
    }();
    return map;
}

UniqueGObject<PangoContext> NewContext()
{
    UniqueGObject<PangoContext> ctx(pango_font_map_create_context(FontMap()));
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    // Unhinted metrics: a text measures the same whatever it is drawn onto.
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    pango_cairo_context_set_font_options(ctx.get(), options);
    cairo_font_options_destroy(options);
    return ctx;
}

std::wstring Lower(std::wstring_view s)
{
    std::wstring out(s);
    for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return out;
}

struct FontResource {
    std::string m_strPath;
    bool m_bTemporary = false;
};
std::list<FontResource> g_fontResources; // guarded by g_textMutex

void ReloadApplicationFonts()
{
    FcConfig* config = FcConfigGetCurrent();
    FcConfigAppFontClear(config);
    for (const FontResource& r : g_fontResources)
        FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(r.m_strPath.c_str()));
    if (PANGO_IS_FC_FONT_MAP(FontMap())) pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(FontMap()));
}

void* AddFontFile(const std::string& path, bool temporary, DWORD* pNumFonts)
{
    if (pNumFonts) *pNumFonts = 0;
    std::lock_guard lock(g_textMutex);
    FcFontSet* set = FcFontSetCreate();
    const unsigned faces = FcFreeTypeQueryAll(reinterpret_cast<const FcChar8*>(path.c_str()), -1, nullptr, nullptr, set);
    FcFontSetDestroy(set);
    if (faces == 0) return nullptr;
    if (!FcConfigAppFontAddFile(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(path.c_str()))) return nullptr;
    g_fontResources.push_back({path, temporary});
    if (PANGO_IS_FC_FONT_MAP(FontMap())) pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(FontMap()));
    if (pNumFonts) *pNumFonts = faces;
    return &g_fontResources.back();
}

// The layout of one text in device pixels, with the font scaled by the map mode.
struct TextLayout {
    UniqueGObject<PangoContext> m_pContext;
    UniqueGObject<PangoLayout> m_pLayout;
    double m_dScaleX = 1.0; // drawn with cairo_scale(m_dScaleX, 1)
};

double MapScaleY(const DeviceContext& dc)
{
    if (dc.m_nMapMode == MM_TEXT) return 1.0;
    return std::abs(static_cast<double>(dc.m_szViewportExt.cy) / dc.m_szWindowExt.cy);
}
double MapScaleX(const DeviceContext& dc)
{
    if (dc.m_nMapMode == MM_TEXT) return 1.0;
    return std::abs(static_cast<double>(dc.m_szViewportExt.cx) / dc.m_szWindowExt.cx);
}

const FontData& FontOf(const DeviceContext& dc)
{
    if (dc.m_pFont) return *dc.m_pFont;
    return *GetStockFont(DEFAULT_GUI_FONT)->m_pData;
}

TextLayout MakeLayout(const DeviceContext& dc, std::wstring_view text, cairo_t* cr)
{
    const FontData& font = FontOf(dc);
    TextLayout t;
    t.m_pContext = NewContext();
    if (cr) pango_cairo_update_context(cr, t.m_pContext.get());
    PangoFontDescription* desc = pango_font_description_copy(font.m_pDesc);
    const double sy = MapScaleY(dc);
    if (sy != 1.0)
        pango_font_description_set_absolute_size(
            desc, std::max(1.0, pango_font_description_get_size(desc) * sy));
    t.m_dScaleX = font.m_dScaleX * (sy > 0 ? MapScaleX(dc) / sy : 1.0);
    t.m_pLayout.reset(pango_layout_new(t.m_pContext.get()));
    pango_layout_set_font_description(t.m_pLayout.get(), desc);
    pango_font_description_free(desc);
    if (font.m_logFont.lfUnderline || font.m_logFont.lfStrikeOut) {
        PangoAttrList* attrs = pango_attr_list_new();
        if (font.m_logFont.lfUnderline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (font.m_logFont.lfStrikeOut) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(t.m_pLayout.get(), attrs);
        pango_attr_list_unref(attrs);
    }
    const std::string utf8 = WideToUtf8(text);
    pango_layout_set_text(t.m_pLayout.get(), utf8.data(), static_cast<int>(utf8.size()));
    return t;
}

PangoRectangle LogicalExtent(const TextLayout& t)
{
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(t.m_pLayout.get(), nullptr, &logical);
    logical.x = static_cast<int>(std::floor(logical.x * t.m_dScaleX));
    logical.width = static_cast<int>(std::ceil(logical.width * t.m_dScaleX));
    return logical;
}

void ShowLayout(const DeviceContext& dc, const TextLayout& t, int x, int y, const RECT* clip)
{
    if (!dc.m_pBitmap) return;
    const PangoRectangle ext = LogicalExtent(t);
    if (dc.m_nBkMode == OPAQUE) {
        RECT box{x + ext.x, y + ext.y, x + ext.x + ext.width, y + ext.y + ext.height};
        if (clip) box = IntersectRects(box, *clip);
        FillDevice(dc, box, ColorToPixel(dc.m_crBk & 0xFFFFFFu));
    }
    CCairoCanvas canvas(dc);
    if (!canvas.IsValid()) return;
    cairo_t* cr = canvas.Get();
    if (clip) {
        cairo_rectangle(cr, clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top);
        cairo_clip(cr);
    }
    canvas.SetSourceColor(dc.m_crText);
    PangoRectangle ink{};
    pango_layout_get_pixel_extents(t.m_pLayout.get(), &ink, nullptr);
    const int left = x + static_cast<int>(std::floor(ink.x * t.m_dScaleX)) - 2;
    const int right = x + static_cast<int>(std::ceil((ink.x + ink.width) * t.m_dScaleX)) + 2;
    RECT box{left, y + ink.y - 2, right, y + ink.y + ink.height + 2};
    if (clip) box = IntersectRects(box, *clip);
    canvas.GuardTopBytes(box);
    cairo_translate(cr, x, y);
    cairo_scale(cr, t.m_dScaleX, 1.0);
    pango_cairo_show_layout(cr, t.m_pLayout.get());
    canvas.FinishTopBytes();
}

std::shared_ptr<const FontData> MakeFontData(const LOGFONTW& lf)
{
    auto data = std::make_shared<FontData>();
    data->m_logFont = lf;
    data->m_logFont.lfFaceName[31] = 0;
    data->m_pDesc = pango_font_description_new();
    PangoFontDescription* desc = data->m_pDesc;
    pango_font_description_set_family(desc, ResolveFontFace(data->m_logFont.lfFaceName).c_str());
    pango_font_description_set_weight(desc, static_cast<PangoWeight>(std::clamp<LONG>(lf.lfWeight ? lf.lfWeight : FW_NORMAL, 100, 1000)));
    pango_font_description_set_style(desc, lf.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    const LONG requested = lf.lfHeight == 0 ? -12 : lf.lfHeight;
    const double em = std::min(1000.0, std::abs(static_cast<double>(requested)));
    pango_font_description_set_absolute_size(desc, em * PANGO_SCALE);

    if (requested > 0 || lf.lfWidth > 0) {
        // A positive height is the cell (ascent plus descent); a width is the average character
        // width. Both need the face's metrics at the em size just set.
        UniqueGObject<PangoContext> ctx = NewContext();
        PangoFontMetrics* metrics = pango_context_get_metrics(ctx.get(), desc, nullptr);
        if (metrics) {
            const double cell = pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics);
            double scale = 1.0;
            if (requested > 0 && cell > 0) {
                scale = em * PANGO_SCALE / cell;
                pango_font_description_set_absolute_size(desc, std::max(1.0, em * scale) * PANGO_SCALE);
            }
            const double average = pango_font_metrics_get_approximate_char_width(metrics) * scale / PANGO_SCALE;
            if (lf.lfWidth > 0 && average > 0) data->m_dScaleX = std::clamp(lf.lfWidth / average, 0.1, 10.0);
            pango_font_metrics_unref(metrics);
        }
    }
    return data;
}

} // namespace

FontData::~FontData()
{
    if (m_pDesc) pango_font_description_free(m_pDesc);
}

std::string ResolveFontFace(std::wstring_view faceName)
{
    static const std::pair<const wchar_t*, const char*> aliases[] = {
        {L"malgun gothic", "Noto Sans CJK KR"},
        {L"gulim", "Noto Sans CJK KR"},
        {L"meiryo ui", "Noto Sans CJK JP"},
        {L"yu gothic ui regular", "Noto Sans CJK JP"},
        {L"yu gothic ui", "Noto Sans CJK JP"},
        {L"segoe ui", "DejaVu Sans,Noto Sans"},
        {L"tahoma", "DejaVu Sans,Noto Sans"},
    };
    const std::wstring key = Lower(TrimWhite(faceName));
    if (key.empty()) return "DejaVu Sans,Noto Sans,Noto Sans CJK KR";
    for (const auto& [from, to] : aliases)
        if (key == from) return to;
    return WideToUtf8(TrimWhite(faceName));
}

HFONT CreateFontIndirect(const LOGFONTW* lf)
{
    if (!lf) return nullptr;
    auto font = std::make_unique<FontObject>();
    {
        std::lock_guard lock(g_textMutex);
        font->m_pData = MakeFontData(*lf);
    }
    return font.release();
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                 DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, std::wstring_view faceName)
{
    LOGFONTW lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic != 0);
    lf.lfUnderline = static_cast<BYTE>(underline != 0);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    const std::size_t n = std::min<std::size_t>(faceName.size(), 31);
    std::copy_n(faceName.begin(), n, lf.lfFaceName);
    lf.lfFaceName[n] = 0;
    return CreateFontIndirect(&lf);
}

BOOL DeleteObject(HFONT hFont)
{
    if (!hFont) return 0;
    if (hFont->m_bStock) return 1;
    std::unique_ptr<FontObject> owned(hFont);
    std::lock_guard lock(g_textMutex);
    owned->m_pData.reset();
    return 1;
}

HFONT GetStockFont(int index)
{
    if (index != DEFAULT_GUI_FONT) return nullptr;
    static FontObject* stock = [] {
        static FontObject object;
        LOGFONTW lf;
        lf.lfHeight = -12;
        std::copy_n(L"Segoe UI", 9, lf.lfFaceName);
        std::lock_guard lock(g_textMutex);
        object.m_pData = MakeFontData(lf);
        object.m_bStock = true;
        return &object;
    }();
    return stock;
}

int GetObject(HFONT hFont, LOGFONTW* lf)
{
    if (!hFont || !lf || !hFont->m_pData) return 0;
    *lf = hFont->m_pData->m_logFont;
    return static_cast<int>(sizeof(LOGFONTW));
}

void* AddFontResourcePrivate(const std::wstring& path, DWORD* pNumFonts)
{
    return AddFontFile(WideToUtf8(path), false, pNumFonts);
}

void* AddFontMemResourceEx(const void* pData, DWORD size, void*, DWORD* pNumFonts)
{
    if (pNumFonts) *pNumFonts = 0;
    if (!pData || size == 0) return nullptr;
    // fontconfig reads fonts from files only: keep a private copy where only this user can read.
    std::string dir = g_get_user_runtime_dir();
    std::string tmpl = dir + "/torvix-font-XXXXXX";
    const int fd = mkstemp(tmpl.data());
    if (fd < 0) return nullptr;
    const auto* p = static_cast<const char*>(pData);
    std::size_t left = size;
    bool ok = true;
    while (left > 0) {
        const ssize_t n = write(fd, p, left);
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    close(fd);
    void* handle = ok ? AddFontFile(tmpl, true, pNumFonts) : nullptr;
    if (!handle) unlink(tmpl.c_str());
    return handle;
}

BOOL RemoveFontMemResourceEx(void* hFontResource)
{
    if (!hFontResource) return 0;
    std::lock_guard lock(g_textMutex);
    const auto it = std::find_if(g_fontResources.begin(), g_fontResources.end(),
                                 [&](const FontResource& r) { return &r == hFontResource; });
    if (it == g_fontResources.end()) return 0;
    if (it->m_bTemporary) unlink(it->m_strPath.c_str());
    g_fontResources.erase(it);
    ReloadApplicationFonts();
    return 1;
}

int DrawText(HDC hdc, std::wstring_view text, RECT* rc, UINT format)
{
    if (!hdc || !rc) return 0;
    std::wstring line(text);
    const bool single = (format & DT_SINGLELINE) != 0;
    if (single) std::erase_if(line, [](wchar_t c) { return c == L'\r' || c == L'\n'; });
    else std::erase(line, L'\r');

    const RECT dev = MapRectToDevice(*hdc, *rc);
    std::lock_guard lock(g_textMutex);
    TextLayout t = MakeLayout(*hdc, line, nullptr);
    PangoLayout* layout = t.m_pLayout.get();
    const int width = dev.right - dev.left;
    const bool bounded = (format & (DT_WORDBREAK | DT_END_ELLIPSIS)) != 0 && width > 0;
    if (bounded) pango_layout_set_width(layout, static_cast<int>(width / t.m_dScaleX * PANGO_SCALE));
    if (format & DT_WORDBREAK) pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    if (format & DT_END_ELLIPSIS) {
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        // Without a word break every paragraph stays one line, cut at its end.
        if (!(format & DT_WORDBREAK)) pango_layout_set_height(layout, 0);
    }
    const PangoAlignment align = (format & DT_CENTER) ? PANGO_ALIGN_CENTER
                                 : (format & DT_RIGHT) ? PANGO_ALIGN_RIGHT
                                                       : PANGO_ALIGN_LEFT;
    pango_layout_set_alignment(layout, align);
    const PangoRectangle ext = LogicalExtent(t);

    if (format & DT_CALCRECT) {
        POINT corner{dev.left + ext.width, dev.top + ext.height};
        DPtoLP(hdc, &corner, 1);
        rc->right = corner.x;
        rc->bottom = corner.y;
        return static_cast<int>(std::lround(ext.height / MapScaleY(*hdc)));
    }

    // A bounded layout is already aligned inside the rectangle's width; otherwise place its block.
    int x = dev.left;
    if (!bounded) {
        if (format & DT_CENTER) x = dev.left + (width - ext.width) / 2 - ext.x;
        else if (format & DT_RIGHT) x = dev.right - ext.width - ext.x;
    }
    int y = dev.top;
    if (single && (format & DT_VCENTER)) y = dev.top + ((dev.bottom - dev.top) - ext.height) / 2;
    else if (single && (format & DT_BOTTOM)) y = dev.bottom - ext.height;

    ShowLayout(*hdc, t, x, y, (format & DT_NOCLIP) ? nullptr : &dev);
    return static_cast<int>(std::lround((y - dev.top + ext.height) / MapScaleY(*hdc)));
}

BOOL TextOut(HDC hdc, int x, int y, std::wstring_view text)
{
    if (!hdc) return 0;
    const POINT d = MapToDevice(*hdc, {x, y});
    std::lock_guard lock(g_textMutex);
    TextLayout t = MakeLayout(*hdc, text, nullptr);
    ShowLayout(*hdc, t, d.x, d.y, nullptr);
    return 1;
}

BOOL GetTextExtentPoint32(HDC hdc, std::wstring_view text, SIZE* size)
{
    if (!hdc || !size) return 0;
    std::lock_guard lock(g_textMutex);
    TextLayout t = MakeLayout(*hdc, text, nullptr);
    const PangoRectangle ext = LogicalExtent(t);
    size->cx = static_cast<LONG>(std::lround(ext.width / MapScaleX(*hdc)));
    size->cy = static_cast<LONG>(std::lround(ext.height / MapScaleY(*hdc)));
    return 1;
}

} // namespace zent
