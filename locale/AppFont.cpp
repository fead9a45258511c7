#include "locale/AppFont.h"

#include "diag/Trace.h"

#include <zent/bctrl/BmpCtrl.h>
#include <zent/platform/Font.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>

#include <filesystem>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

using namespace zent;

namespace {

// The whole request is the key: height, width, p3, p4 and the face as asked (empty stays empty,
// so a language change within one run, which does not happen, would not mix fonts either).
using FontKey = std::tuple<int, int, int, int, std::wstring>;

struct FontCache {
    int nLanguage = 1;
    double fOsMajor = 0.0;
    std::map<FontKey, zent::UniqueFont> mapFonts;
    std::vector<CWnd*> vecReceivers;
};

FontCache& Cache()
{
    static FontCache cache;
    return cache;
}

std::wstring KeyText(int height, int width, int p3, int p4, std::wstring_view face)
{
    return diag::FormatWide(L"%d|%d|%d|%d|%ls", height, width, p3, p4, std::wstring(face).c_str());
}

} // namespace

void SetAppFontLanguage(int languageIndex, double osMajorVersion)
{
    Cache().nLanguage = languageIndex;
    Cache().fOsMajor = osMajorVersion;
}

std::wstring GetDefaultFaceName(int languageIndex, double osMajorVersion)
{
    switch (languageIndex) {
    case 0:
    case 3: return L"Malgun Gothic";
    case 2: return osMajorVersion > 9.0 ? L"Yu Gothic UI Regular" : L"Meiryo UI";
    default: return L"Segoe UI";
    }
}

HFONT CreateAppFont(int height, int width, int /*p3*/, int /*p4*/, std::wstring_view face)
{
    std::wstring strFace(face);
    if (strFace.empty()) strFace = GetDefaultFaceName(Cache().nLanguage, Cache().fOsMajor);
    if (strFace.size() > 31) strFace.resize(31);
    return CreateFont(height, width, 0, 0, FW_MEDIUM, 0, 0, 0, DEFAULT_CHARSET, 7, 1, 6, 0x20, strFace);
}

std::int32_t GetAppFontKeyNumber(const std::wstring& keyText)
{
    std::uint32_t k = 0;
    for (wchar_t c : keyText) k = 10u * k + static_cast<std::uint32_t>(static_cast<std::int32_t>(c) - 48);
    return static_cast<std::int32_t>(k);
}

HFONT GetAppFont(int height, int width, int p3, int p4, std::wstring_view face)
{
    FontCache& cache = Cache();
    FontKey key{height, width, p3, p4, std::wstring(face)};
    auto it = cache.mapFonts.find(key);
    if (it == cache.mapFonts.end()) {
        const std::wstring text = KeyText(height, width, p3, p4, face);
        TraceA("##### SetFontToObject() - CreateFont(): %s, (key: %d)", WideToUtf8(text).c_str(),
               GetAppFontKeyNumber(text));
        zent::UniqueFont font(CreateAppFont(height, width, p3, p4, face));
        it = cache.mapFonts.emplace(std::move(key), std::move(font)).first;
    }
    return it->second ? it->second.get() : GetStockFont(DEFAULT_GUI_FONT);
}

int SetFontToObject(CWnd* object, int height, int width, int p3, int p4, std::wstring_view face)
{
    HFONT font = GetAppFont(height, width, p3, p4, face);
    if (!object) return 1;
    if (auto* ctrl = dynamic_cast<CBmpCtrl*>(object)) {
        ctrl->SetFont(font, 0);
    } else if (object->GetSafeHwnd() && (GetClassName(object->GetSafeHwnd()) == kFontClassListBox ||
                                         GetClassName(object->GetSafeHwnd()) == kFontClassEdit)) {
        SendMessage(object->GetSafeHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    } else {
        TraceA("##### %s() - Not found ( %d, %d, %d ) #####", "SetFontToObject", height, width, p3);
    }
    Cache().vecReceivers.push_back(object);
    return 1;
}

std::size_t GetAppFontCount() { return Cache().mapFonts.size(); }
std::size_t GetAppFontReceiverCount() { return Cache().vecReceivers.size(); }

std::wstring FindEmbeddedFontFile()
{
    std::error_code ec;
    const std::filesystem::path beside = FindDataFile("fonts/Roboto-Regular.ttf");
    if (!beside.empty() && std::filesystem::is_regular_file(beside, ec)) return PathToWide(beside);
    for (const char* p : {"/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf",
                          "/usr/share/fonts/truetype/roboto/unhinted/Roboto-Regular.ttf",
                          "/usr/share/fonts/truetype/roboto/hinted/Roboto-Regular.ttf"}) {
        if (std::filesystem::is_regular_file(p, ec)) return Utf8ToWide(p);
    }
    return {};
}

void* AddEmbeddedFont()
{
    const std::wstring path = FindEmbeddedFontFile();
    if (path.empty()) return nullptr;
    DWORD nFonts = 0;
    return AddFontResourcePrivate(path, &nFonts);
}
