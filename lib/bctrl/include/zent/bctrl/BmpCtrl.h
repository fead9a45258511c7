#pragma once

// The base of every skinned control. A control is a child window of its bitmap dialog only until
// it registers (InitControl): the dialog then records its rectangle, parks its window out of sight
// and from then on paints it (DrawCtrl) and routes mouse and key input to it by hit-testing the
// recorded rectangle. All operations run on the dialog's GUI thread.

#include <zent/bctrl/BCtrlMessages.h>
#include <zent/bctrl/Export.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/Window.h>

#include <string>

namespace zent {

class CBmpDialog;
class QLBMLoader;

// One of the six fonts the library makes once ("Tahoma" 14/16/18 px at weight 400, then at 700);
// index 0 for anything outside 0..5.
ZENT_BCTRL_API HFONT GetBCtrlStockFont(int index);

class ZENT_BCTRL_API CBmpCtrl : public CWnd {
public:
    // The caller's font chooser handed to SetFont(hook, ...): it picks a font and sets it with
    // SetFont(HFONT, int).
    using FontHook = void (*)(CBmpCtrl* ctrl, int a, int b, int c, DWORD d, const wchar_t* face);

    CBmpCtrl();
    ~CBmpCtrl() override;

    // --- virtual operations, in the order derived controls expect them ---
    virtual int SetDisableCtrl(int disable, int redraw);
    virtual int SetVisibleCtrl(int visible, int redraw);
    virtual int InitControl(int style);
    virtual int DestroyControl();
    virtual int DrawCtrl(HDC dc, POINT origin);
    virtual int TransparentBltFromDC(HDC dst, int x, int y, HDC src, int srcWidth, int srcHeight, COLORREF key,
                                     int width, int height);
    virtual int SoundPlay();
    virtual int Clean();
    virtual int LButtonDown(UINT flags, POINT pt);
    virtual int LButtonUp(UINT flags, POINT pt);
    virtual int LButtonDblClk(UINT flags, POINT pt);
    virtual int MouseMove(UINT flags, POINT pt);
    virtual int KeyInput(UINT key);
    virtual int SetBitmap(int state, QLBMLoader* loader, UINT id);
    virtual int FocusChange(int focus, UINT key);

    int Draw();

    int SetFont(HFONT font, int redraw);
    int SetFont(FontHook hook, int a, int b, int c, DWORD d, const wchar_t* face);
    HFONT GetFont() const { return m_hFont; }
    int SetShowCaret(int show);
    int GetShowCaret() const { return m_bShowCaret; }

    void SetControlPos(const RECT& rc) { m_rcCtrl = rc; }
    RECT GetControlPos() const { return m_rcCtrl; }
    POINT GetCenterPos() const;
    POINT GetLeftTopPos() const { return POINT{m_rcCtrl.left, m_rcCtrl.top}; }

    void SetCtrlStyle(int style) { m_nCtrlStyle = style; }
    int GetCtrlStyle() const { return m_nCtrlStyle; }
    int GetImageDrawStyle() const;
    int GetTextDrawStyle() const;

    int GetDisableCtrl() const { return m_bDisable; }
    int GetVisibleCtrl() const { return m_bVisible; }
    int GetFocusCtrl() const { return m_bFocus; }
    int GetDrawEnable() const { return m_bDrawEnable; }
    void SetDrawEnable(int enable) { m_bDrawEnable = enable; }

    void SetParentDlg(CBmpDialog* dlg) { m_pParentDlg = dlg; }
    CBmpDialog* GetParentDlg() const { return m_pParentDlg; }
    void SetParentDC(HDC dc) { m_hParentDC = dc; }
    HDC GetParentDC() const { return m_hParentDC; }
    void SetParentCheck(int check) { m_bParentCheck = check; }

    void SetRemocon(int remocon) { m_bRemocon = remocon; }
    int GetRemocon() const { return m_bRemocon; }
    void SetSoundType(int type) { m_nSoundType = type; }
    int GetSoundType() const { return m_nSoundType; }

    static void SetTouchSound(int use) { m_bTouchSoundUse = use; }
    static int GetTouchSound() { return m_bTouchSoundUse; }

    // Shared by every control, GUI thread only; each control constructor sets them again.
    static int m_bTouchSoundUse;
    static std::wstring m_strSoundFileTrue;
    static std::wstring m_strSoundFilePrev;
    static std::wstring m_strSoundFileKeyboard;
    static std::wstring m_strSoundFileFalse;

protected:
    // type 2 stretches into rect; type 4 colour-keys at rect's corner; others copy at the corner.
    int DrawImage(int type, DWORD rop, HBITMAP bmp, HDC dc, const RECT* rect, COLORREF key);
    int DrawRect(HDC dc, RECT rect, COLORREF colour);
    int DrawTextW(int style, UINT format, const std::wstring& text, HDC dc, RECT* rect, HFONT font, COLORREF colour,
                  COLORREF effect);

    // The parent window, or null.
    HWND GetParentWnd() const;

    CBmpDialog* m_pParentDlg = nullptr;
    HDC m_hParentDC = nullptr;
    RECT m_rcCtrl{};
    int m_bParentCheck = 0;
    int m_bDisable = 0;
    int m_bFocus = 0;
    int m_bVisible = 1;
    int m_bDrawEnable = 0;
    int m_bReserved = 0;
    HFONT m_hFont = nullptr;
    int m_nCtrlStyle = 0;
    int m_nSoundType = 0;
    int m_bShowCaret = 0;
    int m_bRemocon = 0;
};

} // namespace zent
