#include <zent/bctrl/BmpInputEx.h>

#include <zent/platform/Font.h>
#include <zent/util/QLBMLoader.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <map>
#include <system_error>

namespace zent {

namespace {

// Two-set Korean order: three letter rows, then the function keys.
constexpr wchar_t kHangulCodes[30] = {
    L'\x3142', L'\x3148', L'\x3137', L'\x3131', L'\x3145', L'\x315B', L'\x3155', L'\x3151', L'\x3150', L'\x3154',
    L'\x3141', L'\x3134', L'\x3147', L'\x3139', L'\x314E', L'\x3157', L'\x3153', L'\x314F', L'\x3163',
    L'\x314B', L'\x314C', L'\x314A', L'\x314D', L'\x3160', L'\x315C', L'\x3161',
    CBmpInputEx::kCodeBackspace, L' ', CBmpInputEx::kCodeToEnglish, CBmpInputEx::kCodeToNumber};

constexpr wchar_t kEnglishCodes[31] = {
    L'Q', L'W', L'E', L'R', L'T', L'Y', L'U', L'I', L'O', L'P', L'A', L'S', L'D', L'F', L'G', L'H',
    L'J', L'K', L'L', L'Z', L'X', L'C', L'V', L'B', L'N', L'M', CBmpInputEx::kCodeBackspace, L' ',
    CBmpInputEx::kCodeToHangul, CBmpInputEx::kCodeToNumber, CBmpInputEx::kCodeClear};

constexpr wchar_t kNumberCodes[17] = {
    L'1', L'2', L'3', L'4', L'5', L'6', L'7', L'8', L'9', L'0', L'.', L'-', CBmpInputEx::kCodeBackspace,
    CBmpInputEx::kCodeClear, L' ', CBmpInputEx::kCodeToHangul, CBmpInputEx::kCodeToEnglish};

constexpr const wchar_t* kLayoutCodes[CBmpInputEx::kTypeCount] = {kHangulCodes, kEnglishCodes, kNumberCodes};

constexpr COLORREF kPlainBgColour = 0x303030;
constexpr COLORREF kPlainKeyColour = 0xA0A0A0;
constexpr COLORREF kPressedKeyColour = 0x00D8FF;
constexpr COLORREF kFocusColour = 0x00D8FF;
constexpr COLORREF kEditBgColour = 0xFFFFFF;
constexpr COLORREF kEditTextColour = 0x000000;
constexpr COLORREF kCaretColour = 0x000000;
constexpr int kEditMargin = 4;

bool IsSwitchCode(wchar_t code)
{
    return code == CBmpInputEx::kCodeToHangul || code == CBmpInputEx::kCodeToEnglish ||
           code == CBmpInputEx::kCodeToNumber;
}

bool PtInRect(const RECT& rc, POINT pt)
{
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

} // namespace

CBmpInputEx::CBmpInputEx()
{
    UpdateDisplay();
}

CBmpInputEx::~CBmpInputEx()
{
    m_kBg.Unload();
    for (auto& image : m_kLayout) image.Unload();
    CloseOwnLoader();
}

void CBmpInputEx::CloseOwnLoader()
{
    if (!m_pOwnLoader) return;
    // Pictures read through the loader go with it.
    m_kBg.Unload();
    for (auto& image : m_kLayout) image.Unload();
    m_pOwnLoader->CloseMergeFile();
    if (m_pLoader == m_pOwnLoader.get()) m_pLoader = nullptr;
    m_pOwnLoader.reset();
}

int CBmpInputEx::InitControl(int style, QLBMLoader* loader, UINT baseId, UINT)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    if (loader != m_pOwnLoader.get()) CloseOwnLoader();
    m_pLoader = loader;
    m_nBaseId = baseId;
    m_nBgId = baseId;
    m_kBg.Unload();
    for (auto& image : m_kLayout) image.Unload();

    RECT rc{};
    if (loader) loader->GetRect(static_cast<int>(baseId), rc);
    m_rcCtrl = rc;
    if (GetSafeHwnd()) {
        MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.right - rc.left + 1, rc.bottom - rc.top + 1, FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    for (int type = 0; type < kTypeCount; ++type) {
        KeyArray& keys = m_vecKeys[type];
        keys.assign(kKeyCounts[type], SInputKey{});
        for (int k = 0; k < kKeyCounts[type]; ++k) {
            const UINT id = baseId + kKeyIdOffsets[type] + 2 * static_cast<UINT>(k);
            RECT key{};
            if (loader && loader->GetRect(static_cast<int>(id), key))
                key = RECT{key.left - rc.left, key.top - rc.top, key.right - rc.left, key.bottom - rc.top};
            keys[k].rcKey = key;
            keys[k].chCode = kLayoutCodes[type][k];
            keys[k].nPressedId = id + 1;
        }
    }
    m_bRemocon = loader ? loader->IsRemocon(static_cast<int>(baseId)) : 0;
    KeyCodeMappping();
    m_nPendingKey = -1;
    m_kInput.SetInputString(L"");
    UpdateDisplay();
    RemoconInputReset();
    return 1;
}

int CBmpInputEx::InitControl(int style, const wchar_t* file, UINT baseId, UINT value)
{
    std::error_code ec;
    if (!file || !std::filesystem::is_regular_file(std::filesystem::path(file), ec)) return 0;
    auto loader = std::make_unique<QLBMLoader>();
    if (loader->OpenMergeFile(file, 1) < 0) return 0;
    CloseOwnLoader();
    m_pOwnLoader = std::move(loader);
    if (!InitControl(style, m_pOwnLoader.get(), baseId, value)) {
        CloseOwnLoader();
        return 0;
    }
    return 1;
}

void CBmpInputEx::KeyCodeMappping()
{
    // Keys sharing a top edge form a row; rows go top to bottom, keys left to right. Keys the
    // skin does not place (empty rectangles) take no part.
    for (int type = 0; type < kTypeCount; ++type) {
        std::map<LONG, std::vector<int>> rows;
        const KeyArray& keys = m_vecKeys[type];
        for (int k = 0; k < static_cast<int>(keys.size()); ++k) {
            const RECT& rc = keys[k].rcKey;
            if (rc.right > rc.left && rc.bottom > rc.top) rows[rc.top].push_back(k);
        }
        KeyGrid& grid = m_vecGrid[type];
        grid.clear();
        for (auto& [top, row] : rows) {
            std::sort(row.begin(), row.end(),
                      [&keys](int a, int b) { return keys[a].rcKey.left < keys[b].rcKey.left; });
            grid.push_back(row);
        }
    }
}

int CBmpInputEx::SetInputType(UINT type, int redraw)
{
    if (type >= static_cast<UINT>(kTypeCount)) return 0;
    if (type != m_nInputType) {
        // A pressed key of the old layout must not act on the new one.
        m_nPendingKey = -1;
        for (auto& key : m_vecKeys[m_nInputType]) key.bPressed = 0;
        m_nInputType = type;
        RemoconInputReset();
    }
    if (redraw == 1) Draw();
    return 1;
}

void CBmpInputEx::SetEnableInputType(int hangul, int english, int numbers)
{
    m_bEnableType = {hangul, english, numbers};
}

int CBmpInputEx::GetEnableInputType(UINT type) const
{
    return type < static_cast<UINT>(kTypeCount) ? m_bEnableType[type] : 0;
}

void CBmpInputEx::SetMaxString(UINT max)
{
    m_nMaxString = std::min<UINT>(max, static_cast<UINT>(CZuInput::kMaxLength));
}

void CBmpInputEx::SetInputString(const wchar_t* text)
{
    std::wstring value = text ? text : L"";
    if (value.size() > m_nMaxString) value.resize(m_nMaxString);
    m_kInput.SetInputString(value.c_str());
    UpdateDisplay();
}

void CBmpInputEx::CommitComposition()
{
    if (m_kInput.GetInputState() == CZuInput::kStateNone) return;
    // A held space commits what is composed, and the backspace of a held character removes
    // the space again without touching the committed text.
    m_kInput.InputCode(L' ');
    m_kInput.InputCode(kCodeBackspace);
}

void CBmpInputEx::SetNCaretPos(int pos)
{
    // The composer drops a composition when its caret moves; what the user typed stays.
    CommitComposition();
    m_kInput.SetNCaretPos(pos);
    UpdateDisplay();
}

int CBmpInputEx::GetNCaretEditPos() const
{
    const int caret = m_kInput.GetNCaretPos();
    return m_kInput.GetInputState() > CZuInput::kStateNone ? caret + 1 : caret;
}

int CBmpInputEx::SetFocusItem(POINT pt)
{
    const KeyGrid& grid = m_vecGrid[m_nInputType];
    if (pt.y < 0 || pt.y >= static_cast<int>(grid.size())) return 0;
    if (pt.x < 0 || pt.x >= static_cast<int>(grid[pt.y].size())) return 0;
    m_ptFocus = pt;
    return 1;
}

const CBmpInputEx::SInputKey* CBmpInputEx::GetpKey(POINT pt) const
{
    const KeyGrid& grid = m_vecGrid[m_nInputType];
    if (pt.y < 0 || pt.y >= static_cast<int>(grid.size())) return nullptr;
    if (pt.x < 0 || pt.x >= static_cast<int>(grid[pt.y].size())) return nullptr;
    return &m_vecKeys[m_nInputType][grid[pt.y][pt.x]];
}

const CBmpInputEx::SInputKey* CBmpInputEx::GetpKey(UINT type, int index) const
{
    if (type >= static_cast<UINT>(kTypeCount)) return nullptr;
    if (index < 0 || index >= static_cast<int>(m_vecKeys[type].size())) return nullptr;
    return &m_vecKeys[type][index];
}

int CBmpInputEx::GetCurrentKeyMapMaxItemNum(int row) const
{
    const KeyGrid& grid = m_vecGrid[m_nInputType];
    if (row < 0) return static_cast<int>(grid.size());
    if (row >= static_cast<int>(grid.size())) return 0;
    return static_cast<int>(grid[row].size());
}

void CBmpInputEx::RemoconInputReset()
{
    m_ptFocus = POINT{0, 0};
}

int CBmpInputEx::ChangeBG(UINT id, int redraw)
{
    m_nBgId = id;
    m_kBg.Unload();
    if (redraw == 1) Draw();
    return 1;
}

int CBmpInputEx::FindKey(POINT pt) const
{
    const KeyArray& keys = m_vecKeys[m_nInputType];
    for (int k = 0; k < static_cast<int>(keys.size()); ++k)
        if (PtInRect(keys[k].rcKey, pt)) return k;
    return -1;
}

void CBmpInputEx::PostParent(UINT message, LPARAM lParam)
{
    const HWND parent = GetParentWnd();
    if (!parent) return;
    PostMessage(parent, message, static_cast<WPARAM>(GetDlgCtrlID(GetSafeHwnd())), lParam);
}

void CBmpInputEx::PressKey(int index)
{
    SInputKey& key = m_vecKeys[m_nInputType][index];
    if (IsSwitchCode(key.chCode)) {
        const UINT wanted = key.chCode;
        if (m_bEnableType[wanted]) SetInputType(wanted, 1);
        else PostParent(WM_BCTRL_INPUT_TYPE_REQUEST, static_cast<LPARAM>(wanted));
        return;
    }
    if (m_nPendingKey >= 0) m_vecKeys[m_nInputType][m_nPendingKey].bPressed = 0;
    key.bPressed = 1;
    m_nPendingKey = index;
    Draw();
}

void CBmpInputEx::ReleaseKey()
{
    if (m_nPendingKey < 0) return;
    SInputKey& key = m_vecKeys[m_nInputType][m_nPendingKey];
    key.bPressed = 0;
    m_nPendingKey = -1;
    StringMerge(key.chCode);
    Draw();
}

void CBmpInputEx::StringMerge(wchar_t code)
{
    if (code == kCodeClear) {
        m_kInput.SetInputString(L"");
        UpdateDisplay();
        PostParent(WM_BCTRL_INPUT_CHANGED, reinterpret_cast<LPARAM>(m_szDisplay.data()));
        return;
    }
    if (code == L' ' && m_nInputType == kTypeHangul && m_kInput.GetInputState() >= CZuInput::kStateInitial &&
        m_kInput.GetInputState() <= CZuInput::kStateFinal) {
        m_kUndoInput = m_kInput;
        CommitComposition();
        if (std::wcslen(m_kInput.GetInputString()) > m_nMaxString) {
            m_kInput = m_kUndoInput;
            return;
        }
        UpdateDisplay();
        PostParent(WM_BCTRL_INPUT_CHANGED, reinterpret_cast<LPARAM>(m_szDisplay.data()));
        return;
    }
    m_kUndoInput = m_kInput;
    m_kInput.InputCode(code);
    if (code != kCodeBackspace && std::wcslen(m_kInput.GetInputString()) > m_nMaxString) {
        m_kInput = m_kUndoInput;
        return;
    }
    UpdateDisplay();
    PostParent(WM_BCTRL_INPUT_CHANGED, reinterpret_cast<LPARAM>(m_szDisplay.data()));
}

void CBmpInputEx::UpdateDisplay()
{
    const wchar_t* text = m_kInput.GetInputString();
    const std::size_t n = std::min<std::size_t>(std::wcslen(text), m_szDisplay.size() - 1);
    std::copy_n(text, n, m_szDisplay.begin());
    m_szDisplay[n] = 0;
}

int CBmpInputEx::LButtonDown(UINT, POINT pt)
{
    if (m_bDisable) return 0;
    const int index = FindKey(pt);
    if (index < 0) return 0;
    PressKey(index);
    return 1;
}

int CBmpInputEx::LButtonUp(UINT, POINT pt)
{
    if (m_nPendingKey < 0) return 0;
    // A release away from the pressed key, or after the control was disabled, cancels it.
    if (m_bDisable || !PtInRect(m_vecKeys[m_nInputType][m_nPendingKey].rcKey, pt)) {
        m_vecKeys[m_nInputType][m_nPendingKey].bPressed = 0;
        m_nPendingKey = -1;
        Draw();
        return 1;
    }
    ReleaseKey();
    return 1;
}

int CBmpInputEx::MouseMove(UINT, POINT pt)
{
    if (m_nPendingKey < 0) return 0;
    if (PtInRect(m_vecKeys[m_nInputType][m_nPendingKey].rcKey, pt)) return 1;
    m_vecKeys[m_nInputType][m_nPendingKey].bPressed = 0;
    m_nPendingKey = -1;
    Draw();
    return 0;
}

int CBmpInputEx::KeyInput(UINT key)
{
    if (m_bDisable) return 0;
    const KeyGrid& grid = m_vecGrid[m_nInputType];
    if (grid.empty()) return 0;
    const int rows = static_cast<int>(grid.size());
    POINT next = m_ptFocus;
    next.y = std::clamp<int>(next.y, 0, rows - 1);
    const int cols = static_cast<int>(grid[next.y].size());
    next.x = std::clamp<int>(next.x, 0, cols - 1);
    switch (key) {
    case VK_LEFT: next.x = (next.x + cols - 1) % cols; break;
    case VK_RIGHT: next.x = (next.x + 1) % cols; break;
    case VK_UP:
    case VK_DOWN: {
        // Leaving the grid hands the focus on to the dialog's navigation.
        next.y += key == VK_UP ? -1 : 1;
        if (next.y < 0 || next.y >= rows) return 0;
        next.x = std::min<int>(next.x, static_cast<int>(grid[next.y].size()) - 1);
        break;
    }
    case VK_RETURN: {
        const int index = grid[next.y][next.x];
        m_ptFocus = next;
        PressKey(index);
        if (m_nPendingKey == index) ReleaseKey();
        return 1;
    }
    default: return 0;
    }
    m_ptFocus = next;
    Draw();
    return 1;
}

int CBmpInputEx::FocusChange(int focus, UINT key)
{
    CBmpCtrl::FocusChange(focus, key);
    return 1;
}

int CBmpInputEx::Clean()
{
    if (m_nPendingKey >= 0) m_vecKeys[m_nInputType][m_nPendingKey].bPressed = 0;
    m_nPendingKey = -1;
    return 1;
}

RECT CBmpInputEx::GetEditRect() const
{
    const int w = m_rcCtrl.right - m_rcCtrl.left;
    LONG top = m_rcCtrl.bottom - m_rcCtrl.top;
    for (const auto& key : m_vecKeys[m_nInputType])
        if (key.rcKey.right > key.rcKey.left) top = std::min(top, key.rcKey.top);
    return RECT{0, 0, w, top};
}

int CBmpInputEx::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    const int w = m_rcCtrl.right - m_rcCtrl.left;
    const int h = m_rcCtrl.bottom - m_rcCtrl.top;
    if (!m_kBg.IsLoaded() && m_pLoader && m_nBgId) m_kBg.Load(m_pLoader, m_nBgId);
    if (m_kBg.IsLoaded()) m_kBg.Draw(dc, origin.x, origin.y);
    else FillSolidRect(dc, origin.x, origin.y, w, h, kPlainBgColour);

    CZuImage& layout = m_kLayout[m_nInputType];
    const UINT layoutId = m_nBaseId + 1 + m_nInputType;
    if (!layout.IsLoaded() && m_pLoader) layout.Load(m_pLoader, layoutId);
    const KeyArray& keys = m_vecKeys[m_nInputType];
    if (layout.IsLoaded()) {
        RECT at{};
        m_pLoader->GetRect(static_cast<int>(layoutId), at);
        layout.DrawTransparent(dc, origin.x + at.left - m_rcCtrl.left, origin.y + at.top - m_rcCtrl.top,
                               static_cast<int>(layout.GetWidth()), static_cast<int>(layout.GetHeight()),
                               kSkinKeyColor);
    } else {
        for (const auto& key : keys) {
            if (key.rcKey.right <= key.rcKey.left) continue;
            DrawRect(dc,
                     RECT{origin.x + key.rcKey.left, origin.y + key.rcKey.top, origin.x + key.rcKey.right - 1,
                          origin.y + key.rcKey.bottom - 1},
                     kPlainKeyColour);
        }
    }

    for (const auto& key : keys) {
        if (!key.bPressed) continue;
        CZuImage pressed;
        if (m_pLoader) pressed.Load(m_pLoader, key.nPressedId);
        if (pressed.IsLoaded()) {
            pressed.DrawTransparent(dc, origin.x + key.rcKey.left, origin.y + key.rcKey.top,
                                    static_cast<int>(pressed.GetWidth()), static_cast<int>(pressed.GetHeight()),
                                    kSkinKeyColor);
        } else {
            FillSolidRect(dc, origin.x + key.rcKey.left, origin.y + key.rcKey.top, key.rcKey.right - key.rcKey.left,
                          key.rcKey.bottom - key.rcKey.top, kPressedKeyColour);
        }
    }

    if (m_bFocus) {
        if (const SInputKey* key = GetpKey(m_ptFocus)) {
            DrawRect(dc,
                     RECT{origin.x + key->rcKey.left, origin.y + key->rcKey.top, origin.x + key->rcKey.right - 1,
                          origin.y + key->rcKey.bottom - 1},
                     kFocusColour);
        }
    }

    const RECT edit = GetEditRect();
    if (edit.bottom - edit.top > 2 * kEditMargin && edit.right - edit.left > 2 * kEditMargin) {
        RECT line{origin.x + kEditMargin, origin.y + kEditMargin, origin.x + edit.right - kEditMargin,
                  origin.y + edit.bottom - kEditMargin};
        FillSolidRect(dc, &line, kEditBgColour);
        RECT text = line;
        text.left += 2;
        const std::wstring shown(m_szDisplay.data());
        DrawTextW(GetTextDrawStyle(), DT_LEFT | DT_VCENTER | DT_SINGLELINE, shown, dc, &text, m_hFont,
                  kEditTextColour, kEditTextColour);
        SIZE extent{};
        {
            CSelectObject<HFONT> sel(dc, m_hFont);
            const std::size_t caret = std::min<std::size_t>(static_cast<std::size_t>(std::max(GetNCaretEditPos(), 0)), shown.size());
            GetTextExtentPoint32(dc, std::wstring_view(shown).substr(0, caret), &extent);
        }
        const int x = std::min<int>(text.left + extent.cx, line.right - 2);
        FillSolidRect(dc, x, line.top + 2, 2, std::max<int>(line.bottom - line.top - 4, 1), kCaretColour);
    }
    return 1;
}

} // namespace zent
