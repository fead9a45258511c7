#include <zent/bctrl/BmpStatic.h>

#include <zent/util/QLBMLoader.h>

namespace zent {

namespace {
constexpr UINT kNoPlacement = static_cast<UINT>(-1);
}

CBmpStatic::CBmpStatic() = default;
CBmpStatic::~CBmpStatic()
{
    m_kImage.Unload();
}

int CBmpStatic::InitControl(QLBMLoader* loader, UINT id, int style, UINT rectId)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    m_nStyleCopy = style;
    m_pLoader = loader;
    m_nId = id;
    if (rectId == 0) rectId = id;
    if (rectId != kNoPlacement && loader) {
        RECT rc{};
        loader->GetRect(static_cast<int>(rectId), &rc);
        m_rcCtrl = rc;
        if (GetSafeHwnd()) {
            MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
            ShowWindow(GetSafeHwnd(), SW_HIDE);
        }
    }
    if (loader) m_bRemocon = loader->IsRemocon(static_cast<int>(id));
    return 1;
}

int CBmpStatic::InitControl(HDC source, int style)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    m_nStyleCopy = style;
    m_hSourceDC = source;
    return 1;
}

int CBmpStatic::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    if (m_hSourceDC) {
        if (m_bOverlap && m_kImage.IsLoaded())
            m_kImage.DrawTransparent(dc, origin.x, origin.y,
                                     m_szDraw.cx > 0 ? m_szDraw.cx : static_cast<int>(m_kImage.GetWidth()),
                                     m_szDraw.cy > 0 ? m_szDraw.cy : static_cast<int>(m_kImage.GetHeight()),
                                     kSkinKeyColor);
        BITMAP bm;
        if (GetObject(GetCurrentBitmap(m_hSourceDC), &bm)) {
            const int x = origin.x + (m_bOverlap ? m_rcOverlap.left : 0);
            const int y = origin.y + (m_bOverlap ? m_rcOverlap.top : 0);
            TransparentBltFromDC(dc, x, y, m_hSourceDC, bm.bmWidth, bm.bmHeight, kSkinKeyColor, 0, 0);
        }
        return 1;
    }
    if (!m_kImage.IsLoaded()) {
        if (m_pLoader && m_nId) m_kImage.Load(m_pLoader, m_nId);
        else if (m_hAdopted) m_kImage.Attach(m_hAdopted);
    }
    if (!m_kImage.IsLoaded()) return 1;
    const int w = m_szDraw.cx > 0 ? m_szDraw.cx : static_cast<int>(m_kImage.GetWidth());
    const int h = m_szDraw.cy > 0 ? m_szDraw.cy : static_cast<int>(m_kImage.GetHeight());
    switch (GetImageDrawStyle()) {
    case 4: m_kImage.DrawTransparent(dc, origin.x, origin.y, w, h, kSkinKeyColor); break;
    case 8: m_kImage.DrawAlphablend(dc, origin.x, origin.y, w, h); break;
    default: m_kImage.Draw(dc, origin.x, origin.y, w, h); break;
    }
    return 1;
}

int CBmpStatic::Clean()
{
    m_kImage.Unload();
    // A solid picture is the static's own: it stays for the next paint.
    if (!m_bmpSolid || m_hAdopted != m_bmpSolid.get()) m_hAdopted = nullptr;
    return 1;
}

int CBmpStatic::LButtonDown(UINT, POINT)
{
    if (m_bDisable) return 0;
    if (const HWND parent = GetParentWnd())
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(GetSafeHwnd()), BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetSafeHwnd()));
    return 1;
}

int CBmpStatic::SetBitmap(int, QLBMLoader* loader, UINT id)
{
    m_kImage.Unload();
    m_hAdopted = nullptr;
    m_pLoader = loader;
    m_nId = id;
    if (loader && id) m_kImage.Load(loader, id);
    return 1;
}

int CBmpStatic::SetBitmap(int, HBITMAP bmp)
{
    m_kImage.Unload();
    m_pLoader = nullptr;
    m_nId = 0;
    m_hAdopted = bmp;
    return bmp ? m_kImage.Attach(bmp) : 0;
}

int CBmpStatic::SetBitmap(QLBMLoader* loader, UINT rectId, COLORREF colour)
{
    RECT rc{};
    if (!loader || !loader->GetRect(static_cast<int>(rectId), &rc) || rc.IsEmpty()) return 0;
    UniqueBitmap solid(CreateCompatibleBitmap(nullptr, rc.Width(), rc.Height()));
    if (!solid) return 0;
    {
        UniqueDC dc(CreateCompatibleDC(nullptr));
        SelectObject(dc.get(), solid.get());
        FillSolidRect(dc.get(), 0, 0, rc.Width(), rc.Height(), colour);
    }
    m_kImage.Unload();
    m_bmpSolid = std::move(solid);
    m_pLoader = nullptr;
    m_nId = 0;
    m_hAdopted = m_bmpSolid.get();
    return m_kImage.Attach(m_hAdopted);
}

int CBmpStatic::SetBitmapDC(HDC source)
{
    m_hSourceDC = source;
    m_bOverlap = 0;
    return 1;
}

int CBmpStatic::SetOverlappBitmapDC(HDC source, const RECT& rc)
{
    m_hSourceDC = source;
    m_rcOverlap = rc;
    m_bOverlap = 1;
    return 1;
}

} // namespace zent
