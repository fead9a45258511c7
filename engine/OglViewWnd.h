#pragma once

// A video view: the render target of one libvlc media player. libvlc decodes into frame buffers
// owned by the view (I420 video callbacks, so that libvlc copies instead of converting); the view
// crops them by the crop geometry string, then scales and converts the visible part to its
// client size. A view is a native child: the presenter shows its picture straight from the view's
// memory, never copied into the window's picture. The picture stays readable, so views work the
// same with and without a display.

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

// One decoded picture in I420: the Y, U and V planes in one buffer. Rows and plane heights are
// padded to 32, as libvlc's optimised converters and filters assume.
class CVideoFrame {
public:
    CVideoFrame() = default;
    CVideoFrame(CVideoFrame&&) noexcept = default;
    CVideoFrame& operator=(CVideoFrame&&) noexcept = default;

    // Lays the frame out for width x height (contents undefined); false when too large.
    bool Shape(int width, int height);
    // Takes the layout of another frame, keeping this one's buffer when it is large enough.
    void ShapeLike(const CVideoFrame& other);
    bool IsEmpty() const { return m_nWidth <= 0 || m_nHeight <= 0; }

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    int GetPitch(int plane) const { return plane == 0 ? m_nPitchY : m_nPitchC; }
    int GetLines(int plane) const { return plane == 0 ? m_nLinesY : m_nLinesY / 2; }
    std::uint8_t* GetPlane(int plane);
    const std::uint8_t* GetPlane(int plane) const;

private:
    struct FreeDeleter {
        void operator()(std::uint8_t* p) const noexcept;
    };
    std::unique_ptr<std::uint8_t[], FreeDeleter> m_pData;
    std::size_t m_nCapacity = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nPitchY = 0;
    int m_nPitchC = 0;
    int m_nLinesY = 0;
};

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

    // Takes the newest frame into out (swapping buffers, no copy) when one arrived since the last
    // call, and the crop string; true when either changed. GUI thread only.
    bool TakeFrame(CVideoFrame& out, std::string& crop);

private:
    static unsigned cbSetup(void** opaque, char* chroma, unsigned* width, unsigned* height, unsigned* pitches,
                            unsigned* lines);
    static void cbCleanup(void* opaque);
    static void* cbLock(void* opaque, void** planes);
    static void cbUnlock(void* opaque, void* picture, void* const* planes);
    static void cbDisplay(void* opaque, void* picture);

    const zent::HWND m_hWnd; // fixed at construction; posting to it is safe from any thread

    // libvlc's video output thread only (between setup and cleanup).
    CVideoFrame m_frameDecode;
    libvlc_media_player_t* m_pPlayer = nullptr; // written before play, read in the setup callback

    mutable std::mutex m_mutex; // guards every field below
    CVideoFrame m_frameLatest;
    bool m_bDirty = false;       // m_frameLatest holds a frame the view has not taken
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
    CVideoFrame m_frame; // newest source frame
    std::string m_strCrop;
    std::vector<std::uint32_t> m_vecPicture;
    int m_nPicWidth = 0;
    int m_nPicHeight = 0;
    struct SwsDeleter {
        void operator()(SwsContext* p) const noexcept;
    };
    // Scaling planar first and converting at the view's size afterwards costs about two thirds of
    // one pass that does both (measured with libswscale 6).
    std::unique_ptr<SwsContext, SwsDeleter> m_pSwsScale;   // crop window -> view size, I420
    std::unique_ptr<SwsContext, SwsDeleter> m_pSwsConvert; // view size, I420 -> BGR0
    CVideoFrame m_scaled;
};
