#include "engine/OglViewWnd.h"

#include "engine/FrameScale.h"

#include <zent/platform/Gdi.h>

#include <vlc/vlc.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

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

// ---- CVideoFrame ---------------------------------------------------------------------------------

namespace {

constexpr int kAlign = 32;
constexpr int kMaxSide = 16384;

int AlignUp(int v)
{
    return (v + kAlign - 1) / kAlign * kAlign;
}

} // namespace

void CVideoFrame::FreeDeleter::operator()(std::uint8_t* p) const noexcept
{
    std::free(p);
}

bool CVideoFrame::Shape(int width, int height)
{
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    const int pitchY = AlignUp(width), pitchC = AlignUp((width + 1) / 2), linesY = AlignUp(height);
    const std::size_t size =
        static_cast<std::size_t>(pitchY) * linesY + 2 * static_cast<std::size_t>(pitchC) * (linesY / 2);
    if (size > m_nCapacity) {
        auto* p = static_cast<std::uint8_t*>(std::aligned_alloc(kAlign * 2, size));
        if (!p) return false;
        m_pData.reset(p);
        m_nCapacity = size;
    }
    m_nWidth = width;
    m_nHeight = height;
    m_nPitchY = pitchY;
    m_nPitchC = pitchC;
    m_nLinesY = linesY;
    return true;
}

void CVideoFrame::ShapeLike(const CVideoFrame& other)
{
    if (other.IsEmpty() || !Shape(other.m_nWidth, other.m_nHeight)) *this = CVideoFrame();
}

std::uint8_t* CVideoFrame::GetPlane(int plane)
{
    return const_cast<std::uint8_t*>(std::as_const(*this).GetPlane(plane));
}

const std::uint8_t* CVideoFrame::GetPlane(int plane) const
{
    if (!m_pData) return nullptr;
    const std::size_t sizeY = static_cast<std::size_t>(m_nPitchY) * m_nLinesY;
    const std::size_t sizeC = static_cast<std::size_t>(m_nPitchC) * (m_nLinesY / 2);
    switch (plane) {
    case 0: return m_pData.get();
    case 1: return m_pData.get() + sizeY;
    case 2: return m_pData.get() + sizeY + sizeC;
    default: return nullptr;
    }
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

bool CVideoFrameSink::TakeFrame(CVideoFrame& out, std::string& crop)
{
    m_bPosted = false;
    std::lock_guard lock(m_mutex);
    crop = m_strCrop;
    const bool bChanged = m_bDirty || m_bCropChanged;
    m_bCropChanged = false;
    if (m_bDirty) {
        m_bDirty = false;
        std::swap(out, m_frameLatest);
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
    if (*width == 0 || *height == 0 || *width > kMaxSide || *height > kMaxSide) return 0;
    if (!self->m_frameDecode.Shape(static_cast<int>(*width), static_cast<int>(*height))) return 0;
    // I420 is what the decoders give: libvlc only copies it into our planes, where RV32 would cost
    // a full-size conversion of every frame before the view scales it down anyway.
    std::memcpy(chroma, "I420", 4);
    for (int i = 0; i < 3; ++i) {
        pitches[i] = static_cast<unsigned>(self->m_frameDecode.GetPitch(i));
        lines[i] = static_cast<unsigned>(self->m_frameDecode.GetLines(i));
    }
    // Black until the first picture arrives.
    std::memset(self->m_frameDecode.GetPlane(0), 16,
                static_cast<std::size_t>(self->m_frameDecode.GetPitch(0)) * self->m_frameDecode.GetLines(0));
    std::memset(self->m_frameDecode.GetPlane(1), 128,
                2 * static_cast<std::size_t>(self->m_frameDecode.GetPitch(1)) * self->m_frameDecode.GetLines(1));
    {
        std::lock_guard lock(self->m_mutex);
        self->m_frameLatest.ShapeLike(self->m_frameDecode);
        self->m_bDirty = false;
    }
    return 1;
}

void CVideoFrameSink::cbCleanup(void*) {}

void* CVideoFrameSink::cbLock(void* opaque, void** planes)
{
    auto* self = static_cast<CVideoFrameSink*>(opaque);
    for (int i = 0; i < 3; ++i) planes[i] = self->m_frameDecode.GetPlane(i);
    return nullptr;
}

void CVideoFrameSink::cbUnlock(void*, void*, void* const*) {}

void CVideoFrameSink::cbDisplay(void* opaque, void*)
{
    auto* self = static_cast<CVideoFrameSink*>(opaque);
    {
        std::lock_guard lock(self->m_mutex);
        // Swap, not copy: the decoded buffer becomes the newest frame, and the one it replaces (or
        // the view's old one) is decoded into next, shaped like the current picture.
        std::swap(self->m_frameLatest, self->m_frameDecode);
        if (self->m_frameDecode.GetWidth() != self->m_frameLatest.GetWidth() ||
            self->m_frameDecode.GetHeight() != self->m_frameLatest.GetHeight() ||
            !self->m_frameDecode.GetPlane(0))
            self->m_frameDecode.ShapeLike(self->m_frameLatest);
        self->m_bDirty = true;
    }
    ++self->m_nFrames;
    if (!self->m_bPosted.exchange(true)) PostMessage(self->m_hWnd, WM_OGLVIEW_NEWFRAME, 0, 0);
}

// ---- COglViewWnd ---------------------------------------------------------------------------------

void COglViewWnd::SwsDeleter::operator()(SwsContext* p) const noexcept
{
    sws_freeContext(p);
}

COglViewWnd::COglViewWnd() = default;

COglViewWnd::~COglViewWnd()
{
    DestroyWindow();
}

BOOL COglViewWnd::Create(const RECT& rc, HWND hwndParent, UINT nID)
{
    if (!CreateEx(WS_EX_ZENT_NATIVE, L"COglViewWnd", L"", WS_CHILD | WS_VISIBLE, rc, hwndParent, nID)) return FALSE;
    m_pSink = std::make_shared<CVideoFrameSink>(GetSafeHwnd());
    m_nPicWidth = rc.right - rc.left;
    m_nPicHeight = rc.bottom - rc.top;
    m_vecPicture.assign(static_cast<std::size_t>(std::max(m_nPicWidth, 0)) * std::max(m_nPicHeight, 0), 0);
    PresentNativePicture(GetSafeHwnd(), m_vecPicture.data(), m_nPicWidth, m_nPicHeight);
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
    if (m_pSink && m_pSink->TakeFrame(m_frame, m_strCrop)) Rescale();
}

void COglViewWnd::Rescale()
{
    RECT rc{};
    GetClientRect(GetSafeHwnd(), &rc);
    const int dw = rc.right - rc.left, dh = rc.bottom - rc.top;
    const int fw = m_frame.GetWidth(), fh = m_frame.GetHeight();
    if (dw <= 0 || dh <= 0 || m_frame.IsEmpty() || !m_frame.GetPlane(0)) return;
    if (dw != m_nPicWidth || dh != m_nPicHeight) {
        m_nPicWidth = dw;
        m_nPicHeight = dh;
        m_vecPicture.assign(static_cast<std::size_t>(dw) * dh, 0);
        // The presenter reads the picture where it is: it must never hold the old buffer.
        PresentNativePicture(GetSafeHwnd(), m_vecPicture.data(), dw, dh);
    }
    // The visible window, kept inside the frame whatever the string says.
    CropWindow win{0, 0, fw, fh};
    CropWindow parsed;
    if (!m_strCrop.empty() && ParseCropGeometry(m_strCrop, parsed)) win = parsed;
    win.right = std::clamp(win.right, 1, fw);
    win.bottom = std::clamp(win.bottom, 1, fh);
    win.x = std::clamp(win.x, 0, win.right - 1);
    win.y = std::clamp(win.y, 0, win.bottom - 1);
    const int sw = win.right - win.x, sh = win.bottom - win.y;

    // The chroma planes start at the sample covering the window's corner; on an odd corner that
    // is half a pixel early, which no eye can see.
    const std::uint8_t* planes[4] = {
        m_frame.GetPlane(0) + static_cast<std::size_t>(win.y) * m_frame.GetPitch(0) + win.x,
        m_frame.GetPlane(1) + static_cast<std::size_t>(win.y / 2) * m_frame.GetPitch(1) + win.x / 2,
        m_frame.GetPlane(2) + static_cast<std::size_t>(win.y / 2) * m_frame.GetPitch(2) + win.x / 2, nullptr};
    int strides[4] = {m_frame.GetPitch(0), m_frame.GetPitch(1), m_frame.GetPitch(2), 0};
    if (sw == 2 * dw && sh == 2 * dh && dw % 2 == 0 && dh % 2 == 0) {
        if (!m_scaled.Shape(dw, dh)) return;
        for (int i = 0; i < 3; ++i) {
            const int w = i == 0 ? dw : dw / 2, h = i == 0 ? dh : dh / 2;
            HalvePlane(planes[i], strides[i], m_scaled.GetPlane(i), m_scaled.GetPitch(i), w, h);
            planes[i] = m_scaled.GetPlane(i);
            strides[i] = m_scaled.GetPitch(i);
        }
    } else if (sw != dw || sh != dh) {
        if (!m_scaled.Shape(dw, dh)) return;
        m_pSwsScale.reset(sws_getCachedContext(m_pSwsScale.release(), sw, sh, AV_PIX_FMT_YUV420P, dw, dh,
                                               AV_PIX_FMT_YUV420P, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr));
        if (!m_pSwsScale) return;
        std::uint8_t* scaled[4] = {m_scaled.GetPlane(0), m_scaled.GetPlane(1), m_scaled.GetPlane(2), nullptr};
        const int scaledStrides[4] = {m_scaled.GetPitch(0), m_scaled.GetPitch(1), m_scaled.GetPitch(2), 0};
        sws_scale(m_pSwsScale.get(), planes, strides, 0, sh, scaled, scaledStrides);
        for (int i = 0; i < 3; ++i) {
            planes[i] = m_scaled.GetPlane(i);
            strides[i] = scaledStrides[i];
        }
    }
    m_pSwsConvert.reset(sws_getCachedContext(m_pSwsConvert.release(), dw, dh, AV_PIX_FMT_YUV420P, dw, dh,
                                             AV_PIX_FMT_BGR0, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr));
    if (!m_pSwsConvert) return;
    std::uint8_t* dstPlanes[4] = {reinterpret_cast<std::uint8_t*>(m_vecPicture.data()), nullptr, nullptr, nullptr};
    const int dstStride[4] = {dw * 4, 0, 0, 0};
    sws_scale(m_pSwsConvert.get(), planes, strides, 0, dh, dstPlanes, dstStride);
    PresentNativePicture(GetSafeHwnd(), m_vecPicture.data(), dw, dh);
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
    default:
        break;
    }
    return CWnd::OnMessage(message, wParam, lParam);
}
