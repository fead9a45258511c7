#pragma once

// The vertical scroll bar of the skinned video list: a sibling window laid over the list's right
// edge, drawn from the skin's track and thumb pictures. The thumb follows the list's scroll
// position; dragging the thumb scrolls the list by whole rows, and a click on the track pages it.
// GUI thread only.

#include <zent/platform/Window.h>
#include <zent/util/ZuImage.h>

namespace zent {
class QLBMLoader;
}

class CSkinListCtrl;

class CSkinVScrollbar : public zent::CWnd {
public:
    // The window's style and item id.
    static constexpr zent::DWORD kStyle = 0x50020100;
    static constexpr zent::UINT kControlId = 65535;
    // Sizes when the skin has no pictures.
    static constexpr int kDefaultWidth = 10;
    static constexpr int kDefaultThumbHeight = 26;
    static constexpr zent::COLORREF kFallbackTrack = 0x2A2722;
    static constexpr zent::COLORREF kFallbackThumb = 0x9A9A9A;

    CSkinVScrollbar() = default;
    ~CSkinVScrollbar() override;

    // A child of hwndParent at rc serving list (not owned; it must outlive the window or
    // destroy it first).
    zent::BOOL Create(CSkinListCtrl* list, zent::HWND hwndParent, const zent::RECT& rc);
    void SetImages(zent::QLBMLoader* loader, zent::UINT trackId, zent::UINT thumbId);
    // The width the skin's track picture asks for.
    int GetPreferredWidth() const;

    // Puts the thumb where the list's scroll position says (not while the user drags it).
    void SyncThumb();

    int GetThumbTop() const { return m_nThumbTop; }
    int GetThumbHeight() const;
    bool IsDragging() const { return m_bDragging; }

protected:
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    int GetClientHeight() const;
    int GetClientWidth() const;
    void OnPaint();
    void OnLButtonDown(zent::POINT pt);
    void OnMouseMove(zent::POINT pt);
    void OnLButtonUp(zent::POINT pt);

    CSkinListCtrl* m_pList = nullptr; // not owned
    int m_nThumbTop = 0;              // client pixels
    bool m_bDragging = false;
    bool m_bPressed = false;
    int m_nThumbTopAtPress = 0;
    int m_nMouseYAtPress = 0;
    zent::CZuImage m_kTrack;
    zent::CZuImage m_kThumb;
};
