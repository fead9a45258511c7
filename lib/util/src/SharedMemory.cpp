#include <zent/util/SharedMemory.h>

#include <zent/platform/Ipc.h>

SharedMemory::SharedMemory() = default;

SharedMemory::~SharedMemory() { Terminate(); }

int SharedMemory::Initialize(DWORD size)
{
    // A second Initialize would otherwise leak the first block.
    Terminate();
    if (size == 0) return 0;
    m_pMapping = zent::CAnonymousSharedMemory::Create(size);
    if (!m_pMapping) return 0;
    m_pMemory = m_pMapping->GetData();
    m_dwSize = size;
    return 1;
}

void SharedMemory::Terminate()
{
    m_pMemory = nullptr;
    m_dwSize = 0;
    m_pMapping.reset();
}
