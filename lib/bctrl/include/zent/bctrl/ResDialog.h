#pragma once

// A dialog whose template comes from a chosen resource module and whose window and child windows
// are laid out in pixels from that template.

#include <zent/bctrl/Export.h>
#include <zent/bctrl/ResModule.h>
#include <zent/platform/Dialog.h>

namespace zent {

class ZENT_BCTRL_API CResDialog : public CDialog {
public:
    CResDialog(UINT id, CWnd* parent);
    ~CResDialog() override;

    virtual UINT GetDialogID() { return m_nDialogID; }

    void SetResourceHandle(HINSTANCE module) { m_hResModule = module; }
    HINSTANCE GetResourceHandle() const { return m_hResModule; }

    // Modeless creation from template id of the resource module; the id becomes the dialog id when
    // none was set. FALSE when no template is found or creation fails.
    BOOL Create(UINT id, CWnd* parent);
    // -1 when no template is found; otherwise the end code.
    INT_PTR DoModal();

    // The first 4, 8 or 16 bytes of a raw-data resource (null module: the default module); a
    // missing resource reads as zero, a short one supplies only the bytes it has.
    static LONG LoadReslong(UINT id, HINSTANCE module);
    static POINT LoadRespoint(UINT id, HINSTANCE module);
    static RECT LoadResrect(UINT id, HINSTANCE module);

    // Added to every rectangle a dialog takes from the merged image file to place itself.
    static POINT m_lDlgStartPoint;

protected:
    BOOL OnInitDialog() override;
    void SetPixelCoordinates();
    HWND GetParentHwnd() const { return m_hParentWnd; }

    UINT m_nDialogID = 0;
    HINSTANCE m_hResModule = nullptr;

private:
    HWND m_hParentWnd = nullptr;
};

} // namespace zent
