#include "engine/OglViewWnd.h"

#include <zent/platform/Gdi.h>

#include <vlc/vlc.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace zent;

bool ParseCropGeometry(const std::string& text, CropWindow& out)
{
    unsigned w = 0, h = 0, x = 0, y = 0;
    char sx = 0, sy = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%ux%u%c%u%c%u%n", &w, &h, &sx, &x, &sy, &y, &used) != 6) return false;
    if (sx != '+' || sy != '+') return false;
    // Only a trailing line end may follow.
    for (std::size_t i = static_cast<std::size_t>(used); i < text.size(); ++i)
        if (text[i] != '\n' && text[i] != '\r') return false;
    constexpr unsigned kMax = 1u << 16;
    if (w > kMax || h > kMax || x > kMax || y > kMax) return false;
    out = {static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h)};
    return true;
}

// ---- CVideoFrameSink -----------------------------------------------------------------------------

void CVideoFrameSink::Attach(libvlc_media_player_t* pPlayer)
{
    m_pPlayer = pPlayer;
    libvlc_video_set_callbacks(pPlayer, &cbLock, &cbUnlock, &cbDisplay, this);
    libvlc_video_set_format_callbacks(pPlayer, &cbSetup, &cbCleanup);
}

void CVideoFrameSink::SetCropGeometry(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    if (m_strCrop == text) return;
    m_strCrop = text;
    m_bCropChanged = true; // the frame on show must be scaled again with the new window
    if (!m_bPosted.exchange(true)) PostMessage(m_hWnd, WM_OGLVIEW_NEWFRAME, 0, 0);
}

std::string CVideoFrameSink::GetCropGeometry() const
{
    std::lock_guard lock(m_mutex);
    return m_strCrop;
}

bool CVideoFrameSink::TakeFrame(std::vector<std::uint32_t>& vecOut, int& width, int& height, std::string& crop)
{
    m_bPosted = false;
    std::lock_guard lock(m_mutex);
    crop = m_strCrop;
    const bool bChanged = m_bDirty || m_bCropChanged;
    m_bCropChanged = false;
    if (m_bDirty) {
        m_bDirty = false;
        vecOut.swap(m_vecLatest);
        width = m_nWidth;
        height = m_nHeight;
    }
    return bChanged;
}

unsigned CVideoFrameSink::cbSetup(void** opaque, char* chroma, unsigned* width, unsigned* height,
                                  unsigned* pitches, unsigned* lines)
{
    auto* self = static_cast<CVideoFrameSink*>(*opaque);
    // The offered size is the decoder's padded one; the picture we want is the source's own.
    unsigned w = 0, h = 0;
    if (self->m_pPlayer && libvlc_video_get_size(self->m_pPlayer, 0, &w, &h) == 0 && w > 0 && h > 0) {
        *width = w;
        *height = h;
    }
    if (*width == 0 || *height == 0 || *width > 16384 || *height > 16384) return 0;
    std::memcpy(chroma, "RV32", 4);
    pitches[0] = *width * 4;
    lines[0] = *height;
    self->m_vecDecode.assign(static_cast<std::size_t>(*width) * *height, 0);
    {
        std::lock_guard lock(self->m_mutex);
        self->m_nWidth = static_cast<int>(*width);
        self->m_nHeight = static_cast<int>(*height);
        self->m_vecLatest.assign(self->m_vecDecode.size(), 0);
        self->m_bDirty = false;
    }
    return 1;
}

void CVideoFrameSink::cbCleanup(void*) {}

void* CVideoFrameSink::cbLock(void* opaque, void** planes)
{
    auto* self = static_cast<CVideoFrameSink*>(opaque);
    planes[0] = self->m_vecDecode.data();
    return nullptr;
}

void CVideoFrameSink::cbUnlock(void*, void*, void* const*) {}

void CVideoFrameSink::cbDisplay(void* opaque, void*)
{
    auto* self = static_cast<CVideoFrameSink*>(opaque);
    {
        std::lock_guard lock(self->m_mutex);
        // Swap, not copy: the decoded buffer becomes the newest frame and the old one is reused.
        self->m_vecLatest.swap(self->m_vecDecode);
        if (self->m_vecDecode.size() != self->m_vecLatest.size()) self->m_vecDecode.resize(self->m_vecLatest.size());
        self->m_bDirty = true;
    }
    ++self->m_nFrames;
    if (!self->m_bPosted.exchange(true)) PostMessage(self->m_hWnd, WM_OGLVIEW_NEWFRAME, 0, 0);
}

// ---- COglViewWnd ---------------------------------------------------------------------------------

COglViewWnd::COglViewWnd() = default;

COglViewWnd::~COglViewWnd()
{
    DestroyWindow();
    sws_freeContext(m_pSws);
}

BOOL COglViewWnd::Create(const RECT& rc, HWND hwndParent, UINT nID)
{
    if (!CreateEx(0, L"COglViewWnd", L"", WS_CHILD | WS_VISIBLE, rc, hwndParent, nID)) return FALSE;
    m_pSink = std::make_shared<CVideoFrameSink>(GetSafeHwnd());
    m_nPicWidth = rc.right - rc.left;
    m_nPicHeight = rc.bottom - rc.top;
    m_vecPicture.assign(static_cast<std::size_t>(std::max(m_nPicWidth, 0)) * std::max(m_nPicHeight, 0), 0);
    return TRUE;
}

COglViewWnd* COglViewWnd::FromView(HWND hwnd)
{
    return hwnd ? dynamic_cast<COglViewWnd*>(CWnd::FromHandle(hwnd)) : nullptr;
}

std::uint32_t COglViewWnd::GetPicturePixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_nPicWidth || y >= m_nPicHeight) return 0xFFFFFFFFu;
    return m_vecPicture[static_cast<std::size_t>(y) * m_nPicWidth + x];
}

void COglViewWnd::Refresh()
{
    if (m_pSink && m_pSink->TakeFrame(m_vecFrame, m_nFrameWidth, m_nFrameHeight, m_strCrop)) Rescale();
}

void COglViewWnd::Rescale()
{
    RECT rc{};
    GetClientRect(GetSafeHwnd(), &rc);
    const int dw = rc.right - rc.left, dh = rc.bottom - rc.top;
    if (dw <= 0 || dh <= 0 || m_nFrameWidth <= 0 || m_nFrameHeight <= 0) return;
    if (dw != m_nPicWidth || dh != m_nPicHeight) {
        m_nPicWidth = dw;
        m_nPicHeight = dh;
        m_vecPicture.assign(static_cast<std::size_t>(dw) * dh, 0);
    }
    // The visible window, kept inside the frame whatever the string says.
    CropWindow win{0, 0, m_nFrameWidth, m_nFrameHeight};
    CropWindow parsed;
    if (!m_strCrop.empty() && ParseCropGeometry(m_strCrop, parsed)) win = parsed;
    win.right = std::clamp(win.right, 1, m_nFrameWidth);
    win.bottom = std::clamp(win.bottom, 1, m_nFrameHeight);
    win.x = std::clamp(win.x, 0, win.right - 1);
    win.y = std::clamp(win.y, 0, win.bottom - 1);
    const int sw = win.right - win.x, sh = win.bottom - win.y;

    m_pSws = sws_getCachedContext(m_pSws, sw, sh, AV_PIX_FMT_BGR0, dw, dh, AV_PIX_FMT_BGR0, SWS_FAST_BILINEAR, nullptr,
                                  nullptr, nullptr);
    if (!m_pSws) return;
    const auto* src = reinterpret_cast<const std::uint8_t*>(
        m_vecFrame.data() + static_cast<std::size_t>(win.y) * m_nFrameWidth + win.x);
    const std::uint8_t* srcPlanes[4] = {src, nullptr, nullptr, nullptr};
    const int srcStride[4] = {m_nFrameWidth * 4, 0, 0, 0};
    std::uint8_t* dstPlanes[4] = {reinterpret_cast<std::uint8_t*>(m_vecPicture.data()), nullptr, nullptr, nullptr};
    const int dstStride[4] = {dw * 4, 0, 0, 0};
    sws_scale(m_pSws, srcPlanes, srcStride, 0, sh, dstPlanes, dstStride);
    InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

LRESULT COglViewWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_OGLVIEW_NEWFRAME:
        Refresh();
        return 0;
    case WM_SIZE:
        Rescale();
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(GetSafeHwnd(), &ps);
        if (hdc && !m_vecPicture.empty()) SetDIBitsToDevice(hdc, 0, 0, m_nPicWidth, m_nPicHeight, m_vecPicture.data());
        EndPaint(GetSafeHwnd(), &ps);
        return 0;
    }
    default:
        break;
    }
    return CWnd::OnMessage(message, wParam, lParam);
}
