#pragma once

// A video view: the render target of one libvlc media player. libvlc decodes into frame buffers
// owned by the view (RV32 video callbacks); the view crops them by the crop geometry string and
// scales the visible part into its client rectangle with libswscale. The picture it shows stays
// readable, so views work the same with and without a display.

#include <zent/platform/Types.h>
#include <zent/platform/Window.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct libvlc_media_player_t;
struct SwsContext;

// Posted by a libvlc thread to its view when a new frame is waiting.
constexpr zent::UINT WM_OGLVIEW_NEWFRAME = zent::WM_APP + 0x910;

// A crop geometry string "WxH+X+Y" with libvlc's meaning: W and H are the right and bottom edges
// of the visible window, X and Y its top-left corner. False when the text is not of that form.
struct CropWindow {
    int x = 0;
    int y = 0;
    int right = 0;
    int bottom = 0;
};
bool ParseCropGeometry(const std::string& text, CropWindow& out);

// What the libvlc threads and the view share. It lives as long as its longest holder (the view,
// or a media player that still renders into it), so a late callback never reaches a dead view.
class CVideoFrameSink {
public:
    explicit CVideoFrameSink(zent::HWND hwnd) : m_hWnd(hwnd) {}

    // Binds the sink's callbacks to a media player; call before it plays (GUI thread).
    void Attach(libvlc_media_player_t* pPlayer);

    // Crop geometry for the frames that follow; empty shows the whole frame (any thread).
    void SetCropGeometry(const std::string& text);
    std::string GetCropGeometry() const;

    // Frames delivered by libvlc since the sink was made.
    std::uint64_t GetFrameCount() const { return m_nFrames.load(); }

    // Takes the newest frame into vecOut (swapping buffers, no copy) when one arrived since the
    // last call, and the crop string; true when either changed. GUI thread only.
    bool TakeFrame(std::vector<std::uint32_t>& vecOut, int& width, int& height, std::string& crop);

private:
    static unsigned cbSetup(void** opaque, char* chroma, unsigned* width, unsigned* height, unsigned* pitches,
                            unsigned* lines);
    static void cbCleanup(void* opaque);
    static void* cbLock(void* opaque, void** planes);
    static void cbUnlock(void* opaque, void* picture, void* const* planes);
    static void cbDisplay(void* opaque, void* picture);

    const zent::HWND m_hWnd; // fixed at construction; posting to it is safe from any thread

    // libvlc's video output thread only (between setup and cleanup).
    std::vector<std::uint32_t> m_vecDecode;
    libvlc_media_player_t* m_pPlayer = nullptr; // written before play, read in the setup callback

    mutable std::mutex m_mutex; // guards every field below
    std::vector<std::uint32_t> m_vecLatest;
    int m_nWidth = 0;
    int m_nHeight = 0;
    bool m_bDirty = false;       // m_vecLatest holds a frame the view has not taken
    bool m_bCropChanged = false; // m_strCrop changed since the view last looked
    std::string m_strCrop;

    std::atomic<std::uint64_t> m_nFrames{0};
    std::atomic<bool> m_bPosted{false}; // a WM_OGLVIEW_NEWFRAME is on its way
};

class COglViewWnd : public zent::CWnd {
public:
    COglViewWnd();
    ~COglViewWnd() override;

    // A child window at rc of the parent (GUI thread).
    zent::BOOL Create(const zent::RECT& rc, zent::HWND hwndParent, zent::UINT nID);

    // The view of a window handle, or null (GUI thread of that window).
    static COglViewWnd* FromView(zent::HWND hwnd);

    std::shared_ptr<CVideoFrameSink> GetSink() const { return m_pSink; }

    // Takes a waiting frame and rescales it now instead of at the next message (GUI thread).
    void Refresh();
    // The picture the view shows: client width x height pixels, 0x00RRGGBB. GUI thread only.
    const std::vector<std::uint32_t>& GetPicture() const { return m_vecPicture; }
    int GetPictureWidth() const { return m_nPicWidth; }
    int GetPictureHeight() const { return m_nPicHeight; }
    // Pixel of the shown picture, or 0xFFFFFFFF outside it.
    std::uint32_t GetPicturePixel(int x, int y) const;

protected:
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    void Rescale();

    std::shared_ptr<CVideoFrameSink> m_pSink; // made in Create; GUI thread

    // GUI thread only.
    std::vector<std::uint32_t> m_vecFrame; // newest source frame
    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
    std::string m_strCrop;
    std::vector<std::uint32_t> m_vecPicture;
    int m_nPicWidth = 0;
    int m_nPicHeight = 0;
    SwsContext* m_pSws = nullptr; // cached by libswscale; freed in the destructor
};
