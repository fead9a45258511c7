#pragma once

// A picture control: an image from the merged image file (loaded at the first paint), an adopted
// bitmap, a device context's current bitmap or a solid colour. A press on an enabled static
// sends WM_COMMAND to the parent. The caller binds the window before InitControl.

#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/Export.h>
#include <zent/util/ZuImage.h>

#include <string>

namespace zent {

class ZENT_BCTRL_API CBmpStatic : public CBmpCtrl {
public:
    CBmpStatic();
    ~CBmpStatic() override;

    using CBmpCtrl::InitControl;
    // rectId 0: the image's own rectangle; (UINT)-1: stay where the template put the window.
    int InitControl(QLBMLoader* loader, UINT id, int style, UINT rectId);
    int InitControl(HDC source, int style);

    int DrawCtrl(HDC dc, POINT origin) override;
    int Clean() override;
    int LButtonDown(UINT flags, POINT pt) override;
    // Loads id now; id 0 unloads.
    int SetBitmap(int state, QLBMLoader* loader, UINT id) override;
    int SetBitmap(int state, HBITMAP bmp);
    // A picture of rectId's stored size filled with colour.
    int SetBitmap(QLBMLoader* loader, UINT rectId, COLORREF colour);
    int SetBitmapDC(HDC source);
    int SetOverlappBitmapDC(HDC source, const RECT& rc);
    void SetDrawSize(SIZE size) { m_szDraw = size; }
    void SetText(const std::wstring& text) { m_strText = text; }
    const CZuImage& GetImage() const { return m_kImage; }

private:
    std::wstring m_strText;
    CZuImage m_kImage;
    HBITMAP m_hAdopted = nullptr; // borrowed, unless it is m_bmpSolid's
    HDC m_hSourceDC = nullptr;    // borrowed
    int m_nStyleCopy = 1;
    SIZE m_szDraw{-1, -1};
    QLBMLoader* m_pLoader = nullptr; // not owned
    UINT m_nId = 0;
    RECT m_rcOverlap{};
    int m_bOverlap = 0;
    UniqueBitmap m_bmpSolid;
};

} // namespace zent
