#include <zent/util/ZentAidApi.h>

#include <zent/platform/Ipc.h>
#include <zent/platform/Text.h>
#include <zent/platform/Trace.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string_view>
#include <thread>

using zent::CNamedEvent;
using zent::CNamedSharedMemory;
using DWORD = ZentAidApi::DWORD;
using HWND = ZentAidApi::HWND;

std::atomic<ZentAidApi*> ZentAidApi::m_pInstance{nullptr};

namespace {

std::once_flag g_onceCreate;
// Owns the object from creation until Destory at process exit.
std::unique_ptr<ZentAidApi> g_pOwner;

std::mutex g_windowSourceLock;
ZentAidApi::IWindowSource* g_pWindowSource = nullptr; // guarded by g_windowSourceLock

// The calling thread's copies of the strings handed out (see the header).
thread_local std::array<wchar_t, ZentAidApi::kFileNameUnits> t_fileName{};
thread_local ZentAidApi::_ttsInfo t_ttsInfo{};
thread_local std::array<wchar_t, ZentAidApi::kTtsTextUnits> t_ttsText{};

constexpr std::uint32_t Le32(std::uint32_t v)
{
    if constexpr (std::endian::native == std::endian::big) return __builtin_bswap32(v);
    return v;
}

// The u32 fields are read and written whole, so that a peer never sees half a mask or handle.
std::atomic_ref<std::uint32_t> Word(std::uint8_t* block, std::size_t offset)
{
    return std::atomic_ref<std::uint32_t>(*reinterpret_cast<std::uint32_t*>(block + offset));
}

std::uint32_t LoadWord(std::uint8_t* block, std::size_t offset)
{
    return Le32(Word(block, offset).load(std::memory_order_relaxed));
}

void StoreWord(std::uint8_t* block, std::size_t offset, std::uint32_t value)
{
    Word(block, offset).store(Le32(value), std::memory_order_relaxed);
}

// The length of s, looking at no more than max characters.
std::size_t BoundedLength(const wchar_t* s, std::size_t max)
{
    std::size_t n = 0;
    while (n < max && s[n] != L'\0') ++n;
    return n;
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }

// Writes text as zero-terminated UTF-16LE into a field of units code units, cut to fit. A cut
// never leaves the first half of a surrogate pair behind, which a reader would show as garbage.
void WriteUtf16Field(std::uint8_t* field, std::size_t units, const wchar_t* text)
{
    std::u16string u16;
    // Each character needs at least one unit, so reading more than units characters is never needed.
    if (text) u16 = zent::WideToUtf16(std::wstring_view(text, BoundedLength(text, units)));
    if (u16.size() > units - 1) {
        u16.resize(units - 1);
        if (IsHighSurrogate(u16.back())) u16.pop_back();
    }
    for (std::size_t i = 0; i < u16.size(); ++i) {
        field[2 * i] = static_cast<std::uint8_t>(u16[i] & 0xFF);
        field[2 * i + 1] = static_cast<std::uint8_t>(u16[i] >> 8);
    }
    field[2 * u16.size()] = 0;
    field[2 * u16.size() + 1] = 0;
}

// Reads a field up to its terminator, or up to one unit short of its end when a peer left the
// terminator out.
std::u16string ReadUtf16Field(const std::uint8_t* field, std::size_t units)
{
    std::u16string out;
    for (std::size_t i = 0; i + 1 < units; ++i) {
        const auto u = static_cast<char16_t>(field[2 * i] | (field[2 * i + 1] << 8));
        if (u == 0) break;
        out.push_back(u);
    }
    return out;
}

// Copies the text of a field into a thread's buffer of capacity wide characters.
const wchar_t* CopyOut(const std::u16string& u16, wchar_t* buffer, std::size_t capacity)
{
    const std::wstring wide = zent::Utf16ToWide(u16);
    const std::size_t n = std::min(wide.size(), capacity - 1);
    std::copy_n(wide.data(), n, buffer);
    buffer[n] = L'\0';
    return buffer;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
    }
    return true;
}

int SlotOfTitle(std::wstring_view title)
{
    for (int i = 0; i < ZentAidApi::kWindowSlots; ++i) {
        if (EqualNoCase(title, ZentAidApi::kDaemonWindowTitles[static_cast<std::size_t>(i)])) return i;
    }
    return -1;
}

} // namespace

// ---- lifetime -----------------------------------------------------------------------------

ZentAidApi::ZentAidApi()
{
    m_pMapping = CNamedSharedMemory::CreateOrOpen(kSharedMemoryName, kBlockSize);
    m_pReqTts = CNamedEvent::CreateOrOpen(kReqTtsName);
    m_pEndTts = CNamedEvent::CreateOrOpen(kEndTtsName);
    m_pReqSound = CNamedEvent::CreateOrOpen(kReqSoundName);
    m_pEndSound = CNamedEvent::CreateOrOpen(kEndSoundName);
    if (!m_pMapping || !m_pReqTts || !m_pEndTts || !m_pReqSound || !m_pEndSound) {
        // Half a connection would let a request be signalled with no block behind it (or the
        // reverse); without all five objects the interface stays off.
        zent::TraceWrite("### ZentAidApi::ZentAidApi - shared block or events unavailable\n");
        m_pMapping.reset();
        m_pReqTts.reset();
        m_pEndTts.reset();
        m_pReqSound.reset();
        m_pEndSound.reset();
        return;
    }
    m_pBlock = static_cast<std::uint8_t*>(m_pMapping->GetData());
    m_arrReqEvents = {m_pReqSound.get(), m_pReqTts.get()};
}

ZentAidApi::~ZentAidApi() = default;

ZentAidApi* ZentAidApi::getInstance()
{
    std::call_once(g_onceCreate, [] {
        // The constructor is private, so make_unique cannot reach it.
        g_pOwner.reset(new ZentAidApi());
        m_pInstance.store(g_pOwner.get(), std::memory_order_release);
        std::atexit(&ZentAidApi::Destory);
    });
    return m_pInstance.load(std::memory_order_acquire);
}

void ZentAidApi::Destory()
{
    // Callers that come later (other exit handlers) get null instead of a dangling object.
    m_pInstance.store(nullptr, std::memory_order_release);
    g_pOwner.reset();
}

void ZentAidApi::SetWindowSource(IWindowSource* pSource)
{
    std::lock_guard lock(g_windowSourceLock);
    g_pWindowSource = pSource;
}

// ---- block fields -------------------------------------------------------------------------

void ZentAidApi::SetWaveFile(const wchar_t* file)
{
    WriteUtf16Field(m_pBlock + kFileNameOffset, kFileNameUnits, file);
}

void ZentAidApi::SetTtsInfo(const wchar_t* text, DWORD id)
{
    StoreWord(m_pBlock, kTtsInfoOffset, id);
    WriteUtf16Field(m_pBlock + kTtsTextOffset, kTtsTextUnits, text);
}

DWORD ZentAidApi::NextTtsId() const
{
    // 0 means "refused" to callers, and a stop request names its target by id: so never 0, and
    // never the id of the request still in the block (two requests within one millisecond).
    DWORD id = zent::GetTickCount32();
    if (id == 0) id = 1;
    if (id == LoadWord(m_pBlock, kTtsInfoOffset)) id = (id == 0xFFFFFFFFu) ? 1 : id + 1;
    return id;
}

const wchar_t* ZentAidApi::SnapshotFileName()
{
    std::u16string u16;
    {
        std::lock_guard lock(m_mtxSound);
        u16 = ReadUtf16Field(m_pBlock + kFileNameOffset, kFileNameUnits);
    }
    return CopyOut(u16, t_fileName.data(), t_fileName.size());
}

const ZentAidApi::_ttsInfo* ZentAidApi::SnapshotTtsInfo()
{
    std::u16string u16;
    DWORD id = 0;
    {
        std::lock_guard lock(m_mtxTts);
        id = LoadWord(m_pBlock, kTtsInfoOffset);
        u16 = ReadUtf16Field(m_pBlock + kTtsTextOffset, kTtsTextUnits);
    }
    t_ttsInfo.dwId = id;
    CopyOut(u16, t_ttsInfo.szText, kTtsTextUnits);
    return &t_ttsInfo;
}

int ZentAidApi::InitZaApi()
{
    if (!m_pBlock) return 0;
    std::scoped_lock lock(m_mtxSound, m_mtxTts);
    for (std::size_t offset = 0; offset < kBlockSize; offset += 4) StoreWord(m_pBlock, offset, 0);
    return 1;
}

int ZentAidApi::RegisterDaemon(int index, HWND hWnd)
{
    if (!m_pBlock || index < 0 || index >= kWindowSlots) return 0;
    StoreWord(m_pBlock, kWindowsOffset + 4 * static_cast<std::size_t>(index), hWnd);
    return 1;
}

int ZentAidApi::SetTtsUasge(DWORD mask)
{
    if (!m_pBlock) return 0;
    StoreWord(m_pBlock, kUsageMaskOffset, mask);
    return 1;
}

const wchar_t* ZentAidApi::GetFileName()
{
    return m_pBlock ? SnapshotFileName() : nullptr;
}

const wchar_t* ZentAidApi::GetTtsText()
{
    if (!m_pBlock) return nullptr;
    std::u16string u16;
    {
        std::lock_guard lock(m_mtxTts);
        u16 = ReadUtf16Field(m_pBlock + kTtsTextOffset, kTtsTextUnits);
    }
    return CopyOut(u16, t_ttsText.data(), t_ttsText.size());
}

// ---- windows ------------------------------------------------------------------------------

HWND ZentAidApi::FindWindowW(const wchar_t* /*cls*/, const wchar_t* title)
{
    if (!title) return 0;
    const std::wstring_view want(title, BoundedLength(title, kWindowTitleChars));
    const int slot = SlotOfTitle(want);
    const std::size_t slotOffset = kWindowsOffset + 4 * static_cast<std::size_t>(slot < 0 ? 0 : slot);
    if (slot >= 0 && m_pBlock) {
        if (const HWND cached = LoadWord(m_pBlock, slotOffset)) return cached;
    }

    HWND found = 0;
    {
        std::lock_guard lock(g_windowSourceLock);
        if (g_pWindowSource) {
            try {
                for (const HWND hWnd : g_pWindowSource->EnumTopLevelWindows()) {
                    std::wstring text;
                    if (hWnd == 0 || !g_pWindowSource->GetWindowTitle(hWnd, kWindowTextTimeoutMs, text)) continue;
                    if (EqualNoCase(std::wstring_view(text).substr(0, kWindowTitleChars), want)) {
                        found = hWnd;
                        break;
                    }
                }
            } catch (...) {
                // A failing window layer finds nothing; it must not take the caller down.
                found = 0;
            }
        }
    }
    if (found && slot >= 0 && m_pBlock) StoreWord(m_pBlock, slotOffset, found);
    return found;
}

// ---- client requests ----------------------------------------------------------------------

ZentAidApi::ServeResult ZentAidApi::AwaitService(CNamedEvent& request, CNamedEvent& done, DWORD totalMs)
{
    using Clock = std::chrono::steady_clock;
    using std::chrono::milliseconds;
    const auto start = Clock::now();
    const auto deadline = start + milliseconds(totalMs);
    const auto pickupDeadline = start + milliseconds(std::min(totalMs, kPickupTimeoutMs));
    // A running service takes the request within milliseconds; while it stays pending, nobody is
    // there to serve it and waiting for the done event would be waiting forever.
    while (request.IsSignalled()) {
        if (Clock::now() >= pickupDeadline) {
            // Taking our own request back keeps a service that starts later from acting on it.
            if (request.TryWait()) return ServeResult::NotTaken;
            break; // the service took it this very moment
        }
        std::this_thread::sleep_for(milliseconds(2));
    }
    const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now()).count();
    const auto leftMs = static_cast<std::uint32_t>(std::clamp<long long>(left, 0, kInfinite - 1));
    return done.Wait(leftMs) == CNamedEvent::WaitResult::Signalled ? ServeResult::Served : ServeResult::NotDone;
}

int ZentAidApi::sndPlaySoundW(const wchar_t* file, UINT flag)
{
    if (!m_pBlock) return 0;
    {
        std::lock_guard lock(m_mtxSound);
        SetWaveFile(file);
        // Cleared before the request goes out: a service that finishes before we start waiting
        // must not have its done signal wiped.
        if (flag == 0) m_pEndSound->Reset();
        if (!m_pReqSound->Set()) return 0;
    }
    if (flag != 0) return 1;
    return AwaitService(*m_pReqSound, *m_pEndSound, kMaxDoneWaitMs) == ServeResult::Served ? 1 : 0;
}

DWORD ZentAidApi::sndPlayTts(const wchar_t* text, UINT kind, UINT flag, UINT timeout)
{
    if (!m_pBlock) return 0;
    if (!(kind & kTtsKindAlways)) {
        const DWORD mask = LoadWord(m_pBlock, kUsageMaskOffset);
        if (!(mask & kTtsUsageEnabled) || !(mask & kind)) return 0;
    }
    DWORD id = 0;
    {
        std::lock_guard lock(m_mtxTts);
        id = NextTtsId();
        SetTtsInfo(text, id);
        if (flag == 0) m_pEndTts->Reset();
        if (!m_pReqTts->Set()) return 0;
    }
    if (flag != 0) return id;
    const DWORD total = (timeout == 0 || timeout == kInfinite) ? kMaxDoneWaitMs : timeout;
    // A request that was taken keeps its id even when speech outlasts the wait: the caller may
    // still want to stop it.
    return AwaitService(*m_pReqTts, *m_pEndTts, total) == ServeResult::NotTaken ? 0 : id;
}

int ZentAidApi::sndStopTts(DWORD id)
{
    if (!m_pBlock) return 0;
    std::lock_guard lock(m_mtxTts);
    SetTtsInfo(L"", id);
    return m_pReqTts->Set() ? 1 : 0;
}

// ---- service waits ------------------------------------------------------------------------

int ZentAidApi::WaitPlayReqEvent(const wchar_t** out, DWORD timeoutMs)
{
    if (out) *out = nullptr;
    if (!m_pBlock) return kWaitFailed;
    const int r = CNamedEvent::WaitAny(m_arrReqEvents.data(), m_arrReqEvents.size(), timeoutMs);
    if (r == kWaitSound) {
        const wchar_t* file = SnapshotFileName();
        if (out) *out = file;
        return kWaitSound;
    }
    if (r == kWaitTts) {
        const _ttsInfo* info = SnapshotTtsInfo();
        if (out) *out = reinterpret_cast<const wchar_t*>(info);
        return kWaitTts;
    }
    return r == -1 ? kWaitTimeout : kWaitFailed;
}

const wchar_t* ZentAidApi::WaitSoundEvent(DWORD timeoutMs)
{
    if (!m_pBlock || m_pReqSound->Wait(timeoutMs) != CNamedEvent::WaitResult::Signalled) return nullptr;
    return SnapshotFileName();
}

const ZentAidApi::_ttsInfo* ZentAidApi::WaitTtsEvent(DWORD timeoutMs)
{
    if (!m_pBlock || m_pReqTts->Wait(timeoutMs) != CNamedEvent::WaitResult::Signalled) return nullptr;
    return SnapshotTtsInfo();
}

int ZentAidApi::SetSoundEnd()
{
    return m_pBlock && m_pEndSound->Set() ? 1 : 0;
}

int ZentAidApi::SetTtsEnd()
{
    return m_pBlock && m_pEndTts->Set() ? 1 : 0;
}

// ---- free functions -----------------------------------------------------------------------

int ZsndPlaySound(const wchar_t* file, ZentAidApi::UINT flag)
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->sndPlaySoundW(file, flag) : 0;
}

DWORD ZsndPlayTts(const wchar_t* text, ZentAidApi::UINT kind, ZentAidApi::UINT flag, ZentAidApi::UINT timeout)
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->sndPlayTts(text, kind, flag, timeout) : 0;
}

int ZsndStopTts(DWORD id)
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->sndStopTts(id) : 0;
}

int ZInitZaApi()
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->InitZaApi() : 0;
}

int ZRegisterDaemon(int index, HWND hWnd)
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->RegisterDaemon(index, hWnd) : 0;
}

HWND ZFindWindow(const wchar_t* cls, const wchar_t* title)
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->FindWindowW(cls, title) : 0;
}

const wchar_t* ZGetFileName()
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->GetFileName() : nullptr;
}

const wchar_t* ZGetTtsText()
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->GetTtsText() : nullptr;
}

int ZSetTtsUasge(DWORD mask)
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->SetTtsUasge(mask) : 0;
}

int ZWaitPlayReqEvent(const wchar_t** out, DWORD timeoutMs)
{
    ZentAidApi* p = ZentAidApi::getInstance();
    if (!p) {
        if (out) *out = nullptr;
        return ZentAidApi::kWaitFailed;
    }
    return p->WaitPlayReqEvent(out, timeoutMs);
}

const wchar_t* ZWaitSoundEvent(DWORD timeoutMs)
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->WaitSoundEvent(timeoutMs) : nullptr;
}

const wchar_t* ZWaitTtsEvent(DWORD timeoutMs)
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? reinterpret_cast<const wchar_t*>(p->WaitTtsEvent(timeoutMs)) : nullptr;
}

int ZSetSoundEnd()
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->SetSoundEnd() : 0;
}

int ZSetTtsEnd()
{
    ZentAidApi* p = ZentAidApi::getInstance();
    return p ? p->SetTtsEnd() : 0;
}
