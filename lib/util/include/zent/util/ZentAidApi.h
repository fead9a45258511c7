#pragma once

// The client and service sides of the aid service: a separate process of the user's session that
// plays sound files and speaks text for any other process. A request travels through one named
// 4096-byte shared block and four named auto-reset events:
//
//   "ZAUTIL_SHAREMEM"  the block (little-endian):
//        0  u32           TTS usage mask: 0x100 enables speech, the low bits the kinds of text
//        4  260 x u16     sound file name, UTF-16, zero-terminated (259 units at most)
//      524  7 x u32       the service's registered windows (slots 0..6)
//      552  u32           TTS request id (a tick count, never 0)
//      556  1770 x u16    TTS text, UTF-16, zero-terminated (1769 units at most)
//   "REQSOUND" / "ENDSOUND"  a sound request and its completion
//   "REQTTS"   / "ENDTTS"    a speech request and its completion (an empty text means stop)
//
// The service is not part of this program; anything that keeps to the block and the events may
// serve it. Without a service, requests are written and never served: fire-and-forget calls
// (flag != 0) return at once, and calls that wait give up with a failure instead of hanging
// (see sndPlaySoundW).
//
// Strings handed out by the Get/Wait operations are copies taken from the block, owned by the
// calling thread: each stays valid until the same thread reads the same field again. Copies
// are bounded by the field, so a peer that writes garbage or leaves out the terminator cannot
// make a reader run past the field.

#include <zent/util/Export.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zent {
class CNamedSharedMemory;
class CNamedEvent;
} // namespace zent

class ZENT_UTIL_API ZentAidApi {
public:
    using DWORD = std::uint32_t;
    using UINT = unsigned int;
    // A top-level window as the window system names it for every process (an X11 window id);
    // 0 is no window. The block keeps it in 32 bits.
    using HWND = std::uint32_t;

    // Lists the desktop's top-level windows for FindWindowW. The window layer installs one
    // (without a display there is none, and no window is ever found). Calls come from the thread
    // that calls FindWindowW; an implementation must not call back into ZentAidApi.
    class IWindowSource {
    public:
        virtual ~IWindowSource() = default;
        virtual std::vector<HWND> EnumTopLevelWindows() = 0;
        // The window's title; false when the window did not answer within timeoutMs.
        virtual bool GetWindowTitle(HWND hWnd, DWORD timeoutMs, std::wstring& title) = 0;
    };

    // Object names, shared with the service.
    static constexpr const wchar_t* kSharedMemoryName = L"ZAUTIL_SHAREMEM";
    static constexpr const wchar_t* kReqTtsName = L"REQTTS";
    static constexpr const wchar_t* kEndTtsName = L"ENDTTS";
    static constexpr const wchar_t* kReqSoundName = L"REQSOUND";
    static constexpr const wchar_t* kEndSoundName = L"ENDSOUND";

    // Layout of the shared block.
    static constexpr std::size_t kBlockSize = 4096;
    static constexpr std::size_t kUsageMaskOffset = 0;
    static constexpr std::size_t kFileNameOffset = 4;
    static constexpr std::size_t kFileNameUnits = 260; // with the terminator
    static constexpr std::size_t kWindowsOffset = 524;
    static constexpr int kWindowSlots = 7;
    static constexpr std::size_t kTtsInfoOffset = 552;
    static constexpr std::size_t kTtsTextOffset = 556;
    static constexpr std::size_t kTtsTextUnits = (kBlockSize - kTtsTextOffset) / 2; // 1770, with the terminator

    static constexpr DWORD kTtsUsageEnabled = 0x100;
    static constexpr UINT kTtsKindAlways = 0x10;

    // Results of WaitPlayReqEvent.
    static constexpr int kWaitSound = 0;
    static constexpr int kWaitTts = 1;
    static constexpr int kWaitTimeout = 0x102;
    static constexpr int kWaitFailed = -1;
    static constexpr DWORD kInfinite = 0xFFFFFFFFu;

    // A waiting request fails when no service takes it within kPickupTimeoutMs, and gives up
    // on its completion after kMaxDoneWaitMs when the caller set no time limit of its own.
    static constexpr DWORD kPickupTimeoutMs = 1000;
    static constexpr DWORD kMaxDoneWaitMs = 30000;
    // How long FindWindowW lets one window answer for its title.
    static constexpr DWORD kWindowTextTimeoutMs = 200;
    static constexpr std::size_t kWindowTitleChars = 260;

    // The titles of the service's seven windows; a title's position is its slot.
    static constexpr std::array<const wchar_t*, kWindowSlots> kDaemonWindowTitles = {
        L"ZentAid Sound", L"ZentAid Speech", L"ZentAid Voice Guide", L"ZentAid Alarm",
        L"ZentAid Notify", L"ZentAid Monitor", L"ZentAid Control",
    };

    // A speech request as the service receives it: what the block holds from offset 552 on.
    struct _ttsInfo {
        DWORD dwId;
        wchar_t szText[kTtsTextUnits];
    };

    // The process-wide object, created on first use (opening or creating the named objects).
    // Null only after process exit has destroyed it.
    static ZentAidApi* getInstance();

    ~ZentAidApi();
    ZentAidApi(const ZentAidApi&) = delete;
    ZentAidApi& operator=(const ZentAidApi&) = delete;

    // True when the block and all four events are open; without them every operation below
    // returns 0 (or null) and signals nothing.
    bool HasSharedBlock() const { return m_pBlock != nullptr; }

    // ---- service side ----
    // Clears the whole block. 1, or 0 without a block.
    int InitZaApi();
    // Stores hWnd in slot index (0..6). 1, or 0 for another index or without a block.
    int RegisterDaemon(int index, HWND hWnd);
    // Waits for a sound or a speech request (sound first when both are pending).
    // kWaitSound: *out is the file name. kWaitTts: *out is the request's _ttsInfo (read it with
    // ToTtsInfo). kWaitTimeout or kWaitFailed otherwise (also without a block), *out null.
    int WaitPlayReqEvent(const wchar_t** out, DWORD timeoutMs = kInfinite);
    // Waits for one kind of request; null on time-out or failure.
    const wchar_t* WaitSoundEvent(DWORD timeoutMs = kInfinite);
    const _ttsInfo* WaitTtsEvent(DWORD timeoutMs = kInfinite);
    int SetSoundEnd();
    int SetTtsEnd();
    int SetTtsUasge(DWORD mask);

    // ---- both sides ----
    // A top-level window by title (cls is not used). A title of the service's list answers from
    // its slot when the slot holds a window; otherwise the windows are asked for their titles
    // (a window that does not answer within 200 ms does not match), compared case-insensitively
    // over the first 260 characters, and a listed title's result is kept in its slot. 0 when
    // none matches.
    HWND FindWindowW(const wchar_t* cls, const wchar_t* title);
    const wchar_t* GetFileName();
    const wchar_t* GetTtsText();

    // ---- client side ----
    // Writes file (or an empty name) and signals a sound request. flag != 0: returns 1 at once.
    // flag == 0: waits until the service reports the sound done; 0 when no service takes the
    // request (it is then withdrawn) or the sound is not done within kMaxDoneWaitMs.
    int sndPlaySoundW(const wchar_t* file, UINT flag);
    // Requests speech when kind has kTtsKindAlways, or the usage mask has kTtsUsageEnabled and
    // shares a bit with kind. flag == 0 waits for completion for timeout ms (0: kMaxDoneWaitMs).
    // Returns the request id, or 0 when refused or when no service takes a waiting request.
    DWORD sndPlayTts(const wchar_t* text, UINT kind, UINT flag, UINT timeout);
    // Asks the service to stop speech request id. 1, or 0 without a block.
    int sndStopTts(DWORD id);

    // Installs the window lister (not owned; null for none).
    static void SetWindowSource(IWindowSource* pSource);
    // The _ttsInfo behind a pointer that WaitPlayReqEvent or ZWaitTtsEvent handed out.
    static const _ttsInfo* ToTtsInfo(const wchar_t* p) { return reinterpret_cast<const _ttsInfo*>(p); }

private:
    enum class ServeResult { Served, NotTaken, NotDone };

    ZentAidApi();
    static void Destory();

    // Write the fields without signalling; the caller holds m_mtxSound / m_mtxTts.
    void SetWaveFile(const wchar_t* file);
    void SetTtsInfo(const wchar_t* text, DWORD id);
    DWORD NextTtsId() const;
    const wchar_t* SnapshotFileName();
    const _ttsInfo* SnapshotTtsInfo();
    static ServeResult AwaitService(zent::CNamedEvent& request, zent::CNamedEvent& done, DWORD totalMs);

    // All immutable after construction; the block's bytes are shared with other processes.
    std::unique_ptr<zent::CNamedSharedMemory> m_pMapping;
    std::uint8_t* m_pBlock = nullptr; // null when the block or an event could not be opened
    std::unique_ptr<zent::CNamedEvent> m_pReqTts;
    std::unique_ptr<zent::CNamedEvent> m_pEndTts;
    std::unique_ptr<zent::CNamedEvent> m_pReqSound;
    std::unique_ptr<zent::CNamedEvent> m_pEndSound;
    std::array<zent::CNamedEvent*, 2> m_arrReqEvents{}; // sound request, TTS request

    // Within this process one request of a kind is written and signalled at a time, so that
    // threads do not interleave their texts; across processes the block has no lock, by design.
    std::mutex m_mtxSound; // guards the file-name field for this process's threads
    std::mutex m_mtxTts;   // guards the TTS id and text fields for this process's threads

    // Set once under the creation flag, cleared by Destory at process exit; read by any thread.
    static std::atomic<ZentAidApi*> m_pInstance;
};

// The same operations on the process-wide object; each returns 0 (or null) when the object is
// gone or has no block.
ZENT_UTIL_API int ZsndPlaySound(const wchar_t* file, ZentAidApi::UINT flag);
ZENT_UTIL_API ZentAidApi::DWORD ZsndPlayTts(const wchar_t* text, ZentAidApi::UINT kind, ZentAidApi::UINT flag,
                                            ZentAidApi::UINT timeout);
ZENT_UTIL_API int ZsndStopTts(ZentAidApi::DWORD id);
ZENT_UTIL_API int ZInitZaApi();
ZENT_UTIL_API int ZRegisterDaemon(int index, ZentAidApi::HWND hWnd);
ZENT_UTIL_API ZentAidApi::HWND ZFindWindow(const wchar_t* cls, const wchar_t* title);
ZENT_UTIL_API const wchar_t* ZGetFileName();
ZENT_UTIL_API const wchar_t* ZGetTtsText();
ZENT_UTIL_API int ZSetTtsUasge(ZentAidApi::DWORD mask);
ZENT_UTIL_API int ZWaitPlayReqEvent(const wchar_t** out, ZentAidApi::DWORD timeoutMs = ZentAidApi::kInfinite);
ZENT_UTIL_API const wchar_t* ZWaitSoundEvent(ZentAidApi::DWORD timeoutMs = ZentAidApi::kInfinite);
// The request as a wide pointer, as the service's message loop passes it on; ZentAidApi::ToTtsInfo
// turns it back into the _ttsInfo (id, then text).
ZENT_UTIL_API const wchar_t* ZWaitTtsEvent(ZentAidApi::DWORD timeoutMs = ZentAidApi::kInfinite);
ZENT_UTIL_API int ZSetSoundEnd();
ZENT_UTIL_API int ZSetTtsEnd();
