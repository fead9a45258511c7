#include <zent/platform/Ipc.h>
#include <zent/platform/Text.h>
#include <zent/util/SharedMemory.h>
#include <zent/util/ZentAidApi.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstring>
#include <cwctype>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using zent::CNamedEvent;
using zent::CNamedSharedMemory;
using Aid = ZentAidApi;

namespace {

// Names the platform tests below create besides the aid service's own.
const std::vector<std::wstring> kTestEventNames = {L"aid-test-event-a", L"aid-test-event-b",
                                                   L"Global\\odd/name %2F ünï 😀"};
const std::vector<std::wstring> kTestBlockNames = {L"aid-test-block", L"aid-test-small-block"};

void UnlinkEverything()
{
    CNamedSharedMemory::Unlink(Aid::kSharedMemoryName);
    for (const wchar_t* name : {Aid::kReqTtsName, Aid::kEndTtsName, Aid::kReqSoundName, Aid::kEndSoundName})
        CNamedEvent::Unlink(name);
    for (const auto& name : kTestEventNames) CNamedEvent::Unlink(name);
    for (const auto& name : kTestBlockNames) CNamedSharedMemory::Unlink(name);
}

// Every object of this test process lives under a scope of its own, so that parallel test
// processes never meet, and every name is removed again when the process's tests end, whatever
// their outcome.
class IpcScopeEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        zent::SetIpcNameScope(L"aidtest-" + std::to_wstring(getpid()));
        UnlinkEverything();
    }
    void TearDown() override { UnlinkEverything(); }
};

// gtest takes ownership of the environment.
[[maybe_unused]] const ::testing::Environment* const g_pIpcEnvironment =
    ::testing::AddGlobalTestEnvironment(new IpcScopeEnvironment);

// Removes names created by one test even when an assertion leaves the test early.
struct UnlinkOnExit {
    std::vector<std::wstring> events;
    std::vector<std::wstring> blocks;
    ~UnlinkOnExit()
    {
        for (const auto& n : events) CNamedEvent::Unlink(n);
        for (const auto& n : blocks) CNamedSharedMemory::Unlink(n);
    }
};

// A forked child that is killed and reaped if the test ends before it does.
class ChildProcess {
public:
    // Runs body in a child process; its return value is the child's exit status.
    explicit ChildProcess(const std::function<int()>& body)
    {
        m_pid = fork();
        if (m_pid == 0) {
            int code = 99;
            try {
                code = body();
            } catch (...) {
            }
            _exit(code);
        }
    }
    ~ChildProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }

    // The exit status, 128 + signal when killed, or -1 when the child is still running at the limit.
    int Join(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (m_pid > 0) {
            int status = 0;
            const pid_t r = waitpid(m_pid, &status, WNOHANG);
            if (r == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (r < 0 || std::chrono::steady_clock::now() >= end) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
};

std::uint32_t ReadLe32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// A UTF-16LE field read the way a foreign service would: up to the terminator or the field end.
std::u16string ReadField(const std::uint8_t* p, std::size_t units, bool* terminated = nullptr)
{
    std::u16string s;
    for (std::size_t i = 0; i < units; ++i) {
        const auto u = static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
        if (u == 0) {
            if (terminated) *terminated = true;
            return s;
        }
        s.push_back(u);
    }
    if (terminated) *terminated = false;
    return s;
}

class FakeWindowSource : public Aid::IWindowSource {
public:
    struct Window {
        Aid::HWND hWnd;
        std::wstring title;
        bool hung;
    };
    std::vector<Window> windows;
    int enumerations = 0;
    std::vector<Aid::DWORD> timeoutsAsked;
    bool throwOnEnum = false;

    std::vector<Aid::HWND> EnumTopLevelWindows() override
    {
        ++enumerations;
        if (throwOnEnum) throw std::runtime_error("window system gone");
        std::vector<Aid::HWND> v;
        for (const auto& w : windows) v.push_back(w.hWnd);
        return v;
    }
    bool GetWindowTitle(Aid::HWND hWnd, Aid::DWORD timeoutMs, std::wstring& title) override
    {
        timeoutsAsked.push_back(timeoutMs);
        for (const auto& w : windows) {
            if (w.hWnd != hWnd) continue;
            if (w.hung) return false;
            title = w.title;
            return true;
        }
        return false;
    }
};

} // namespace

// ---- platform objects ---------------------------------------------------------------------

TEST(IpcNames, EveryNameMapsToADistinctValidPosixName)
{
    const std::vector<std::wstring> names = {
        L"ZAUTIL_SHAREMEM", L"REQTTS", L"A/B", L"A%2FB", L"A\\B", L"Global\\ZAUTIL_SHAREMEM",
        L"한글 이름", L"", std::wstring(300, L'x'), std::wstring(300, L'x') + L"y",
        std::wstring(150, L'/') + L"a", std::wstring(150, L'/') + L"b",
    };
    std::set<std::string> seen;
    for (const auto& name : names) {
        const std::string posix = zent::IpcObjectName(name);
        SCOPED_TRACE(posix);
        EXPECT_EQ(posix, zent::IpcObjectName(name));
        ASSERT_FALSE(posix.empty());
        EXPECT_EQ(posix[0], '/');
        EXPECT_EQ(posix.find('/', 1), std::string::npos);
        // sem_open keeps 4 bytes of NAME_MAX for its own "sem." prefix.
        EXPECT_LE(posix.size(), std::size_t{251});
        for (const char c : posix.substr(1)) {
            const bool portable = std::isalnum(static_cast<unsigned char>(c)) || std::strchr("._-%~", c) != nullptr;
            EXPECT_TRUE(portable) << "byte " << static_cast<int>(static_cast<unsigned char>(c));
        }
        EXPECT_TRUE(seen.insert(posix).second) << "two names share " << posix;
    }

    // A name full of characters POSIX does not take still opens a real object.
    UnlinkOnExit cleanup{{kTestEventNames[2]}, {}};
    ASSERT_TRUE(CNamedEvent::CreateOrOpen(kTestEventNames[2]));
    EXPECT_TRUE(CNamedEvent::Unlink(kTestEventNames[2]));
    EXPECT_FALSE(CNamedEvent::Unlink(kTestEventNames[2]));
}

TEST(NamedEvent, AutoResetEventKeepsOnePendingWakeAcrossHandles)
{
    UnlinkOnExit cleanup{{kTestEventNames[0]}, {}};
    auto setter = CNamedEvent::CreateOrOpen(kTestEventNames[0]);
    auto waiter = CNamedEvent::CreateOrOpen(kTestEventNames[0]);
    ASSERT_TRUE(setter && waiter);

    EXPECT_EQ(waiter->Wait(0), CNamedEvent::WaitResult::TimedOut);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(setter->Set());
    EXPECT_TRUE(waiter->IsSignalled());
    EXPECT_EQ(waiter->Wait(0), CNamedEvent::WaitResult::Signalled);
    // Three sets before a wait are one wake, as with an event, not three as with a counter.
    EXPECT_EQ(waiter->Wait(10), CNamedEvent::WaitResult::TimedOut);

    setter->Set();
    setter->Reset();
    EXPECT_FALSE(waiter->IsSignalled());
    EXPECT_FALSE(waiter->TryWait());

    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        setter->Set();
    });
    EXPECT_EQ(waiter->Wait(10000), CNamedEvent::WaitResult::Signalled);
    late.join();
}

TEST(NamedEvent, WaitAnyTakesTheSignalledEventLowestFirst)
{
    UnlinkOnExit cleanup{{kTestEventNames[0], kTestEventNames[1]}, {}};
    auto a = CNamedEvent::CreateOrOpen(kTestEventNames[0]);
    auto b = CNamedEvent::CreateOrOpen(kTestEventNames[1]);
    ASSERT_TRUE(a && b);
    CNamedEvent* both[] = {a.get(), b.get()};

    EXPECT_EQ(CNamedEvent::WaitAny(both, 2, 20), -1);
    b->Set();
    EXPECT_EQ(CNamedEvent::WaitAny(both, 2, 0), 1);
    EXPECT_FALSE(b->IsSignalled());
    a->Set();
    b->Set();
    EXPECT_EQ(CNamedEvent::WaitAny(both, 2, 0), 0);
    EXPECT_EQ(CNamedEvent::WaitAny(both, 2, 0), 1);

    // A wake of the event not being blocked on is still noticed while waiting.
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        b->Set();
    });
    EXPECT_EQ(CNamedEvent::WaitAny(both, 2, zent::kIpcInfinite), 1);
    late.join();

    CNamedEvent* withNull[] = {a.get(), nullptr};
    EXPECT_EQ(CNamedEvent::WaitAny(withNull, 2, 0), -2);
    EXPECT_EQ(CNamedEvent::WaitAny(both, 0, 0), -2);
}

TEST(NamedSharedMemory, ProcessesReachTheSameBytesByName)
{
    UnlinkOnExit cleanup{{}, kTestBlockNames};
    auto first = CNamedSharedMemory::CreateOrOpen(kTestBlockNames[0], 4096);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->WasCreated());
    auto* bytes = static_cast<std::uint8_t*>(first->GetData());
    EXPECT_EQ(std::count(bytes, bytes + 4096, 0), 4096);

    ChildProcess child([] {
        auto mine = CNamedSharedMemory::CreateOrOpen(kTestBlockNames[0], 4096);
        if (!mine || mine->WasCreated()) return 1;
        std::memcpy(static_cast<char*>(mine->GetData()) + 4000, "from child", 11);
        return 0;
    });
    ASSERT_TRUE(child.Started());
    ASSERT_EQ(child.Join(std::chrono::seconds(20)), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 4000), "from child");

    // An object left smaller by someone else is grown, so that the whole mapping is usable.
    auto small = CNamedSharedMemory::CreateOrOpen(kTestBlockNames[1], 16);
    ASSERT_TRUE(small);
    auto grown = CNamedSharedMemory::CreateOrOpen(kTestBlockNames[1], 8192);
    ASSERT_TRUE(grown);
    static_cast<std::uint8_t*>(grown->GetData())[8191] = 7;
    EXPECT_EQ(static_cast<std::uint8_t*>(grown->GetData())[8191], 7);

    EXPECT_EQ(CNamedSharedMemory::CreateOrOpen(kTestBlockNames[0], 0), nullptr);
    EXPECT_TRUE(CNamedSharedMemory::Unlink(kTestBlockNames[0]));
    auto fresh = CNamedSharedMemory::CreateOrOpen(kTestBlockNames[0], 4096);
    ASSERT_TRUE(fresh);
    EXPECT_TRUE(fresh->WasCreated());
    EXPECT_EQ(static_cast<std::uint8_t*>(fresh->GetData())[4000], 0);
}

TEST(SharedMemory, AnonymousBlockIsZeroedWritableAndSharedWithChildren)
{
    SharedMemory shm;
    EXPECT_EQ(shm.Initialize(0), 0);
    EXPECT_EQ(shm.GetSharedMemory(), nullptr);

    ASSERT_EQ(shm.Initialize(10000), 1);
    auto* bytes = static_cast<std::uint8_t*>(shm.GetSharedMemory());
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(shm.GetSize(), 10000u);
    EXPECT_EQ(std::count(bytes, bytes + 10000, 0), 10000);

    ChildProcess child([bytes] {
        for (int i = 0; i < 10000; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
        return 0;
    });
    ASSERT_TRUE(child.Started());
    ASSERT_EQ(child.Join(std::chrono::seconds(20)), 0);
    for (int i = 0; i < 10000; ++i) ASSERT_EQ(bytes[i], static_cast<std::uint8_t>(i * 7)) << i;

    // A second Initialize replaces the block with a fresh one.
    ASSERT_EQ(shm.Initialize(64), 1);
    EXPECT_EQ(static_cast<std::uint8_t*>(shm.GetSharedMemory())[1], 0);
    shm.Terminate();
    EXPECT_EQ(shm.GetSharedMemory(), nullptr);
    EXPECT_EQ(shm.Initialize(0), 0);
}

// ---- the aid interface --------------------------------------------------------------------

class AidApi : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pAid = Aid::getInstance();
        ASSERT_NE(m_pAid, nullptr);
        ASSERT_TRUE(m_pAid->HasSharedBlock());
        // A second mapping and handles of our own, opened by name as a foreign service would.
        m_pRaw = CNamedSharedMemory::CreateOrOpen(Aid::kSharedMemoryName, Aid::kBlockSize);
        m_pReqSound = CNamedEvent::CreateOrOpen(Aid::kReqSoundName);
        m_pEndSound = CNamedEvent::CreateOrOpen(Aid::kEndSoundName);
        m_pReqTts = CNamedEvent::CreateOrOpen(Aid::kReqTtsName);
        m_pEndTts = CNamedEvent::CreateOrOpen(Aid::kEndTtsName);
        ASSERT_TRUE(m_pRaw && m_pReqSound && m_pEndSound && m_pReqTts && m_pEndTts);
        ASSERT_FALSE(m_pRaw->WasCreated());
        ASSERT_EQ(m_pAid->InitZaApi(), 1);
        DrainEvents();
    }
    void TearDown() override
    {
        Aid::SetWindowSource(nullptr);
        if (m_pReqSound) DrainEvents();
    }
    void DrainEvents()
    {
        m_pReqSound->Reset();
        m_pEndSound->Reset();
        m_pReqTts->Reset();
        m_pEndTts->Reset();
    }
    std::uint8_t* Raw() const { return static_cast<std::uint8_t*>(m_pRaw->GetData()); }
    std::uint32_t RawWord(std::size_t offset) const { return ReadLe32(Raw() + offset); }
    std::u16string RawFileName(bool* terminated = nullptr) const
    {
        return ReadField(Raw() + Aid::kFileNameOffset, Aid::kFileNameUnits, terminated);
    }
    std::u16string RawTtsText(bool* terminated = nullptr) const
    {
        return ReadField(Raw() + Aid::kTtsTextOffset, Aid::kTtsTextUnits, terminated);
    }

    Aid* m_pAid = nullptr;
    std::unique_ptr<CNamedSharedMemory> m_pRaw;
    std::unique_ptr<CNamedEvent> m_pReqSound, m_pEndSound, m_pReqTts, m_pEndTts;
};

TEST_F(AidApi, SoundRequestIsWrittenAsUtf16AndSignalledOnce)
{
    const std::wstring file = L"/card/sound/터치 \U0001F600.wav";
    for (int i = 0; i < 5; ++i) EXPECT_EQ(m_pAid->sndPlaySoundW(file.c_str(), 1), 1);
    EXPECT_EQ(RawFileName(), zent::WideToUtf16(file));
    // Five fire-and-forget requests with nobody serving them leave one pending wake, not five.
    EXPECT_EQ(m_pReqSound->Wait(0), CNamedEvent::WaitResult::Signalled);
    EXPECT_EQ(m_pReqSound->Wait(0), CNamedEvent::WaitResult::TimedOut);
    EXPECT_FALSE(m_pReqTts->IsSignalled());

    EXPECT_EQ(m_pAid->sndPlaySoundW(nullptr, 1), 1);
    bool terminated = false;
    EXPECT_EQ(RawFileName(&terminated), u"");
    EXPECT_TRUE(terminated);
    EXPECT_STREQ(m_pAid->GetFileName(), L"");
}

TEST_F(AidApi, OverlongTextsAreCutToTheirFieldsWithoutHalfCharacters)
{
    ASSERT_EQ(m_pAid->RegisterDaemon(0, 0xA1B2C3D4u), 1);
    bool terminated = false;

    const std::wstring longName(300, L'b');
    m_pAid->sndPlaySoundW(longName.c_str(), 1);
    EXPECT_EQ(RawFileName(&terminated), std::u16string(Aid::kFileNameUnits - 1, u'b'));
    EXPECT_TRUE(terminated);
    EXPECT_EQ(std::wcslen(m_pAid->GetFileName()), Aid::kFileNameUnits - 1);

    // 258 units and a character that needs two: the pair does not fit and is left out whole.
    const std::wstring edge = std::wstring(Aid::kFileNameUnits - 2, L'a') + L"\U0001F600";
    m_pAid->sndPlaySoundW(edge.c_str(), 1);
    EXPECT_EQ(RawFileName(&terminated), std::u16string(Aid::kFileNameUnits - 2, u'a'));
    EXPECT_TRUE(terminated);
    // The window slots right after the name are untouched.
    EXPECT_EQ(RawWord(Aid::kWindowsOffset), 0xA1B2C3D4u);

    const std::wstring longText(5000, L'말');
    ASSERT_NE(m_pAid->sndPlayTts(longText.c_str(), Aid::kTtsKindAlways, 1, 0), 0u);
    EXPECT_EQ(RawTtsText(&terminated), std::u16string(Aid::kTtsTextUnits - 1, u'말'));
    EXPECT_TRUE(terminated);
    EXPECT_EQ(std::wcslen(m_pAid->GetTtsText()), Aid::kTtsTextUnits - 1);
}

TEST_F(AidApi, ReadersStopAtTheFieldEndWhenAPeerLeavesOutTheTerminator)
{
    // The text field runs to the very end of the block (and of the mapping): reading one unit
    // past it would fault.
    for (std::size_t i = 0; i < Aid::kFileNameUnits; ++i) {
        Raw()[Aid::kFileNameOffset + 2 * i] = 'Z';
        Raw()[Aid::kFileNameOffset + 2 * i + 1] = 0;
    }
    for (std::size_t i = 0; i < Aid::kTtsTextUnits; ++i) {
        Raw()[Aid::kTtsTextOffset + 2 * i] = 'Q';
        Raw()[Aid::kTtsTextOffset + 2 * i + 1] = 0;
    }
    EXPECT_EQ(std::wstring(m_pAid->GetFileName()), std::wstring(Aid::kFileNameUnits - 1, L'Z'));
    EXPECT_EQ(std::wstring(m_pAid->GetTtsText()), std::wstring(Aid::kTtsTextUnits - 1, L'Q'));

    // A lone surrogate from a peer reads as a replacement character, not as a broken string.
    const std::uint8_t lone[] = {'x', 0, 0x00, 0xD8, 'y', 0, 0, 0};
    std::memcpy(Raw() + Aid::kFileNameOffset, lone, sizeof lone);
    EXPECT_STREQ(m_pAid->GetFileName(), L"x\uFFFDy");
}

TEST_F(AidApi, SpeechIsRequestedOnlyWhenTheUsageMaskOrTheKindAllowsIt)
{
    struct Case {
        Aid::DWORD mask;
        Aid::UINT kind;
        bool made;
    };
    const Case cases[] = {
        {0x000, 0x10, true},   // the "always" kind ignores the mask
        {0x101, 0x01, true},   // enabled and the kind is allowed
        {0x001, 0x01, false},  // the kind is allowed but speech is off
        {0x100, 0x02, false},  // speech is on but the kind is not allowed
        {0x106, 0x03, true},   // one shared kind bit is enough
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mask " << c.mask << " kind " << c.kind);
        DrainEvents();
        m_pAid->sndStopTts(0);
        m_pReqTts->Reset();
        ASSERT_EQ(m_pAid->SetTtsUasge(c.mask), 1);
        EXPECT_EQ(RawWord(Aid::kUsageMaskOffset), c.mask);
        const Aid::DWORD id = m_pAid->sndPlayTts(L"전방에 과속 카메라", c.kind, 1, 0);
        EXPECT_EQ(id != 0, c.made);
        EXPECT_EQ(m_pReqTts->IsSignalled(), c.made);
        if (c.made) {
            EXPECT_EQ(RawWord(Aid::kTtsInfoOffset), id);
            EXPECT_EQ(RawTtsText(), u"전방에 과속 카메라");
        } else {
            EXPECT_EQ(RawTtsText(), u"");
        }
    }
}

TEST_F(AidApi, SpeechIdsAreNeverZeroAndBackToBackRequestsDiffer)
{
    const Aid::DWORD first = m_pAid->sndPlayTts(L"one", Aid::kTtsKindAlways, 1, 0);
    const Aid::DWORD second = m_pAid->sndPlayTts(L"two", Aid::kTtsKindAlways, 1, 0);
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    // A stop request names its target by id, so two requests must never share one.
    EXPECT_NE(first, second);

    ASSERT_EQ(m_pAid->sndStopTts(first), 1);
    EXPECT_EQ(RawWord(Aid::kTtsInfoOffset), first);
    EXPECT_EQ(RawTtsText(), u"");
    EXPECT_TRUE(m_pReqTts->IsSignalled());
}

TEST_F(AidApi, DaemonWindowsFillSlotsZeroToSixOnly)
{
    std::vector<std::uint8_t> before(Raw(), Raw() + Aid::kBlockSize);
    EXPECT_EQ(m_pAid->RegisterDaemon(7, 0x1234), 0);
    EXPECT_EQ(m_pAid->RegisterDaemon(-1, 0x1234), 0);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), Raw()));

    for (int i = 0; i < Aid::kWindowSlots; ++i) EXPECT_EQ(m_pAid->RegisterDaemon(i, 0x5000u + i), 1);
    for (int i = 0; i < Aid::kWindowSlots; ++i)
        EXPECT_EQ(RawWord(Aid::kWindowsOffset + 4 * static_cast<std::size_t>(i)), 0x5000u + i);
    EXPECT_EQ(RawWord(Aid::kTtsInfoOffset), 0u);

    std::memset(Raw(), 0xAB, Aid::kBlockSize);
    ASSERT_EQ(m_pAid->InitZaApi(), 1);
    EXPECT_EQ(std::count(Raw(), Raw() + Aid::kBlockSize, 0), static_cast<long>(Aid::kBlockSize));
}

TEST_F(AidApi, FindWindowUsesSlotsForListedTitlesAndAsksTheWindowsOtherwise)
{
    FakeWindowSource source;
    source.windows = {
        {0x10, L"Editor", false},
        {0x20, L"My Player", true}, // hung: does not answer, so it cannot match
        {0x30, L"my PLAYER", false},
        {0x40, Aid::kDaemonWindowTitles[4], false},
        {0x50, std::wstring(Aid::kWindowTitleChars, L'w') + L" tail", false},
    };
    Aid::SetWindowSource(&source);

    // A registered listed title answers from its slot (in any case) without asking anybody.
    ASSERT_EQ(m_pAid->RegisterDaemon(2, 0x77), 1);
    std::wstring shouted = Aid::kDaemonWindowTitles[2];
    for (auto& c : shouted) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    EXPECT_EQ(m_pAid->FindWindowW(nullptr, shouted.c_str()), 0x77u);
    EXPECT_EQ(source.enumerations, 0);
    ASSERT_EQ(m_pAid->RegisterDaemon(2, 0), 1);

    EXPECT_EQ(m_pAid->FindWindowW(L"ignored class", L"My Player"), 0x30u);
    EXPECT_EQ(source.enumerations, 1);
    for (const Aid::DWORD t : source.timeoutsAsked) EXPECT_EQ(t, Aid::kWindowTextTimeoutMs);
    for (int i = 0; i < Aid::kWindowSlots; ++i)
        EXPECT_EQ(RawWord(Aid::kWindowsOffset + 4 * static_cast<std::size_t>(i)), 0u);

    // A listed title found among the windows is kept in its slot; the next search uses it.
    EXPECT_EQ(m_pAid->FindWindowW(nullptr, Aid::kDaemonWindowTitles[4]), 0x40u);
    EXPECT_EQ(RawWord(Aid::kWindowsOffset + 4 * 4), 0x40u);
    EXPECT_EQ(m_pAid->FindWindowW(nullptr, Aid::kDaemonWindowTitles[4]), 0x40u);
    EXPECT_EQ(source.enumerations, 2);

    // Titles compare over their first 260 characters.
    const std::wstring longTitle = std::wstring(Aid::kWindowTitleChars, L'W') + L" other";
    EXPECT_EQ(m_pAid->FindWindowW(nullptr, longTitle.c_str()), 0x50u);

    EXPECT_EQ(m_pAid->FindWindowW(nullptr, L"Nobody"), 0u);
    EXPECT_EQ(m_pAid->FindWindowW(nullptr, nullptr), 0u);
    source.throwOnEnum = true;
    EXPECT_EQ(m_pAid->FindWindowW(nullptr, L"Editor"), 0u);
    Aid::SetWindowSource(nullptr);
    EXPECT_EQ(ZFindWindow(nullptr, L"Editor"), 0u);
}

TEST_F(AidApi, ServiceWaitsReportRequestsSoundFirstAndTimeOuts)
{
    const wchar_t* out = L"stale";
    EXPECT_EQ(m_pAid->WaitPlayReqEvent(&out, 20), Aid::kWaitTimeout);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(m_pAid->WaitSoundEvent(0), nullptr);
    EXPECT_EQ(m_pAid->WaitTtsEvent(0), nullptr);

    const Aid::DWORD id = m_pAid->sndPlayTts(L"speak", Aid::kTtsKindAlways, 1, 0);
    m_pAid->sndPlaySoundW(L"play.wav", 1);
    ASSERT_EQ(m_pAid->WaitPlayReqEvent(&out, 1000), Aid::kWaitSound);
    EXPECT_STREQ(out, L"play.wav");
    ASSERT_EQ(m_pAid->WaitPlayReqEvent(&out, 1000), Aid::kWaitTts);
    const Aid::_ttsInfo* info = Aid::ToTtsInfo(out);
    EXPECT_EQ(info->dwId, id);
    EXPECT_STREQ(info->szText, L"speak");

    EXPECT_EQ(m_pAid->SetSoundEnd(), 1);
    EXPECT_EQ(m_pEndSound->Wait(0), CNamedEvent::WaitResult::Signalled);
    EXPECT_EQ(m_pAid->SetTtsEnd(), 1);
    EXPECT_EQ(m_pEndTts->Wait(0), CNamedEvent::WaitResult::Signalled);
}

TEST_F(AidApi, FreeFunctionsWorkOnTheSameObject)
{
    EXPECT_EQ(ZSetTtsUasge(0x102), 1);
    EXPECT_EQ(ZsndPlayTts(L"x", 0x01, 1, 0), 0u);
    const Aid::DWORD id = ZsndPlayTts(L"y", 0x02, 1, 0);
    ASSERT_NE(id, 0u);
    EXPECT_STREQ(ZGetTtsText(), L"y");
    const wchar_t* tts = ZWaitTtsEvent(1000);
    ASSERT_NE(tts, nullptr);
    EXPECT_EQ(Aid::ToTtsInfo(tts)->dwId, id);

    EXPECT_EQ(ZsndPlaySound(L"z.wav", 1), 1);
    EXPECT_STREQ(ZWaitSoundEvent(1000), L"z.wav");
    EXPECT_EQ(ZRegisterDaemon(6, 0x66), 1);
    EXPECT_EQ(RawWord(Aid::kWindowsOffset + 24), 0x66u);
    EXPECT_EQ(ZInitZaApi(), 1);
    EXPECT_EQ(RawWord(Aid::kWindowsOffset + 24), 0u);
}

TEST_F(AidApi, WaitingRequestsFailInsteadOfHangingWithoutAService)
{
    EXPECT_EQ(m_pAid->sndPlaySoundW(L"nobody.wav", 0), 0);
    // The untaken request was withdrawn: a service starting now does not play a stale sound.
    EXPECT_FALSE(m_pReqSound->IsSignalled());

    EXPECT_EQ(m_pAid->sndPlayTts(L"nobody", Aid::kTtsKindAlways, 0, 0), 0u);
    EXPECT_FALSE(m_pReqTts->IsSignalled());
}

TEST_F(AidApi, ServiceThreadAnswersWaitingRequests)
{
    std::wstring seenFile;
    Aid::DWORD seenId = 0;
    std::wstring seenText;
    std::atomic<bool> soundAnswered{false};
    // Done signals left over from earlier requests must not complete the new ones.
    m_pEndSound->Set();
    m_pEndTts->Set();
    std::thread service([&] {
        Aid* aid = Aid::getInstance();
        for (int served = 0; served < 2;) {
            const wchar_t* out = nullptr;
            const int r = aid->WaitPlayReqEvent(&out, 10000);
            if (r == Aid::kWaitSound) {
                seenFile = out;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                soundAnswered = true;
                aid->SetSoundEnd();
            } else if (r == Aid::kWaitTts) {
                seenId = Aid::ToTtsInfo(out)->dwId;
                seenText = Aid::ToTtsInfo(out)->szText;
                aid->SetTtsEnd();
            } else {
                return; // the client never came: give up instead of hanging the test
            }
            ++served;
        }
    });
    EXPECT_EQ(m_pAid->sndPlaySoundW(L"/card/beep.wav", 0), 1);
    EXPECT_TRUE(soundAnswered);
    const Aid::DWORD id = m_pAid->sndPlayTts(L"녹화를 시작합니다", Aid::kTtsKindAlways, 0, 10000);
    service.join();
    EXPECT_EQ(seenFile, L"/card/beep.wav");
    EXPECT_NE(id, 0u);
    EXPECT_EQ(seenId, id);
    EXPECT_EQ(seenText, L"녹화를 시작합니다");
}

TEST_F(AidApi, ServiceInAnotherProcessAnswersThroughTheNamedObjects)
{
    const std::wstring file = L"/media/card/알림 \U0001F514.wav";
    const std::wstring text = L"Speed camera ahead";
    // The child keeps only the raw layout and the object names, as a foreign service would.
    ChildProcess child([&]() -> int {
        auto block = CNamedSharedMemory::CreateOrOpen(Aid::kSharedMemoryName, Aid::kBlockSize);
        auto reqSound = CNamedEvent::CreateOrOpen(Aid::kReqSoundName);
        auto endSound = CNamedEvent::CreateOrOpen(Aid::kEndSoundName);
        auto reqTts = CNamedEvent::CreateOrOpen(Aid::kReqTtsName);
        auto endTts = CNamedEvent::CreateOrOpen(Aid::kEndTtsName);
        if (!block || !reqSound || !endSound || !reqTts || !endTts) return 10;
        const auto* raw = static_cast<const std::uint8_t*>(block->GetData());
        if (reqSound->Wait(10000) != CNamedEvent::WaitResult::Signalled) return 11;
        if (ReadField(raw + Aid::kFileNameOffset, Aid::kFileNameUnits) != zent::WideToUtf16(file)) return 12;
        endSound->Set();
        if (reqTts->Wait(10000) != CNamedEvent::WaitResult::Signalled) return 13;
        if (ReadField(raw + Aid::kTtsTextOffset, Aid::kTtsTextUnits) != zent::WideToUtf16(text)) return 14;
        // Report the id through the exit status's low byte, after the text check.
        const std::uint32_t id = ReadLe32(raw + Aid::kTtsInfoOffset);
        endTts->Set();
        return 20 + static_cast<int>(id % 200);
    });
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(m_pAid->sndPlaySoundW(file.c_str(), 0), 1);
    const Aid::DWORD id = m_pAid->sndPlayTts(text.c_str(), Aid::kTtsKindAlways, 0, 10000);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(child.Join(std::chrono::seconds(20)), 20 + static_cast<int>(id % 200));
}
