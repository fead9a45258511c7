#pragma once

// A pixel-laid-out dialog with a skin background that paints all its registered controls itself
// into one off-screen picture per paint and routes mouse and key input to them by hit-testing
// their recorded rectangles, the last registered on top. Mouse input is ignored until the first
// paint. GUI thread only.

#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/BmpCtrlInput.h>
#include <zent/bctrl/Export.h>
#include <zent/bctrl/ResDialog.h>
#include <zent/util/ZuImage.h>

#include <string>
#include <vector>

namespace zent {

class QLBMLoader;

enum DlgShowType : int { DLG_SHOW_NORMAL = 0, DLG_SHOW_TYPE1 = 1, DLG_SHOW_TYPE2 = 2 };

// Slide directions: where the picture enters from.
constexpr int kSlideFromRight = 10;
constexpr int kSlideFromLeft = 11;
constexpr int kSlideFromBottom = 12;
constexpr int kSlideFromTop = 13;

class ZENT_BCTRL_API CBmpDialog : public CResDialog {
public:
    CBmpDialog(UINT id, CWnd* parent);
    ~CBmpDialog() override;

    // --- overridable reactions, in the order derived dialogs expect them ---
    virtual int LButtonDown(UINT flags, POINT pt);
    virtual int LButtonUp(UINT flags, POINT pt);
    virtual int LButtonDblClk(UINT flags, POINT pt);
    virtual int MouseMove(UINT flags, POINT pt);
    virtual int KeyDown(UINT key, UINT repeat, UINT flags);
    virtual void PaintDlg(HDC dc, RECT* rect);
    virtual void PaintDlg(HDC dc);

    int LoadBK();
    int UnloadBK();
    int SetBackgroundColor(COLORREF colour);

    // Full paint; flush 1 copies the picture to the screen.
    int Draw(int flush);
    // Repaints one control alone (background under it, the control, PaintDlg(dc, rect)).
    int Draw(CBmpCtrl* ctrl);
    int DrawBackground(HDC dc);
    int DrawBackground(HDC dc, RECT* rect);
    int DrawBackgroundCtrl(HDC dc, RECT* rect);
    int DrawControl(HDC dc);

    int CleanControl();
    void LockInput(int lock) { m_bInputLock = lock; }
    int GetInputLock() const { return m_bInputLock; }
    void SetSoundState(int state) { m_nSoundState = state; }
    int GetSoundState() const { return m_nSoundState; }
    int InputKey(UINT key, UINT repeat, UINT flags);
    int SetFocusControl(CBmpCtrl* ctrl, int unused);
    CBmpCtrl* GetFocusCtrl() const { return m_pFocusCtrl; }
    CBmpCtrlInput& GetNavigator() { return m_kInput; }
    COLORREF GetKeyColor() const { return m_clrKey; }
    POINT GetBackgroundPos() const { return m_ptBackground; }

    const std::vector<CBmpCtrl*>& GetControls() const { return m_vecCtrls; }
    CBmpCtrl* GetCapturedCtrl() const { return m_pCaptured; }
    HDC GetClientDC() const { return m_hClientDC; }
    // Drops a control that is going away from the list, the capture and the focus.
    void ForgetControl(CBmpCtrl* ctrl);

    int SetSlideWndMode(int enable, int hideEnable, int type, int transparent);
    int SetSlideDirection(UINT dir, int enable, int hideEnable);
    int GetSlideShowEnable() const { return m_bSlideShow; }
    int GetSlideHideEnable() const { return m_bSlideHide; }
    int GetSlideDirection() const { return m_nSlideDirection; }
    int GetShowType() const { return m_nShowType; }
    int IsShown() const { return m_bShown; }
    int SlideShowWnd(HDC picture);
    int SlideHideWnd();
    // One step (0..9) of each effect, without the pause: the show step puts that much of picture
    // on the screen, the hide step that much of the picture kept by the show. 0 for a step
    // outside 0..9 or nothing to draw with.
    int DrawShowSliding(HDC picture, int step);
    int DrawHideSliding(int step);
    // The transparent background: the screen's client pixels, then the background image over
    // them with the skin's key colour at the background position.
    int DrawBackgroundEx(HDC screen, HDC picture);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Class-wide, GUI thread only.
    static int m_bRemoconProgram;
    static std::wstring m_strSoundFileTrue;
    static std::wstring m_strSoundFileFalse;

protected:
    int LoadBackground(QLBMLoader* loader, UINT id, POINT pos, COLORREF colour);
    int LoadBackgroundEx(QLBMLoader* loader, UINT id, UINT type, int key, int opacity, POINT pos);
    int SetBackgroundBitmap(HBITMAP bmp);
    CZuImage& GetBackgroundImage() { return m_kBackground; }

    BOOL OnInitDialog() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnControlInit(CBmpCtrl* ctrl);
    LRESULT OnControlSelfDraw(HWND hwnd);
    void OnPaint();
    void OnMouse(UINT message, UINT flags, POINT pt);
    CBmpCtrl* HitTest(POINT pt, bool bEnabledOnly) const;
    void PlayEmptySpotSound() const;
    void PlaceAtEntry(QLBMLoader* loader, UINT id);
    void ReleaseResources();
    void DrawSlideStep(HDC picture, double fraction, bool bShowing);

    COLORREF m_clrBackground = 0;
    int m_nBackgroundMode = 0;
    QLBMLoader* m_pBkLoader = nullptr; // not owned
    UINT m_nBkId = 0;
    CZuImage m_kBackground;
    int m_bInputLock = 1;
    int m_nSoundState = 0;
    HDC m_hClientDC = nullptr; // from GetDC in OnInitDialog, released on WM_DESTROY
    CBmpCtrl* m_pCaptured = nullptr;
    CBmpCtrl* m_pFocusCtrl = nullptr;
    RECT m_rcClient{};
    POINT m_ptBackground{};
    CBmpCtrlInput m_kInput;
    std::vector<CBmpCtrl*> m_vecCtrls; // registered controls, not owned
    std::vector<HWND> m_vecSelfDrawn;
    UniqueBitmap m_bmpComposed;
    int m_nComposeType = 0;
    COLORREF m_clrKey = 0xFFFFFFFF;
    int m_nOpacity = 0;
    int m_bTransparentBk = 0;
    int m_bSlideShow = 0;
    int m_bSlideHide = 0;
    int m_bShown = 0;
    int m_nShowType = 0;
    UniqueBitmap m_bmpSaved;
    int m_nSlideDirection = kSlideFromRight;
};

} // namespace zent
