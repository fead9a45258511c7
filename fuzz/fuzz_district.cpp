// The district table is a delivered file, but a damaged or replaced one must not crash the
// player: load any bytes as the table, then look up positions around it.
#include "fuzz/FuzzInputFile.h"
#include "recording/AdminDistrict.h"

#include <cstdint>

namespace {
const CFuzzInputFile g_input("district.dat");
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!g_input.Write(data, size)) return 0;
    CAdminDistrict districts;
    const int count = districts.LoadAdminDistrictFile(g_input.Path());
    const double probes[][2] = {{37.5663, 126.9779}, {0.0, 0.0}, {90.0, 180.0}, {35.1, 129.0}, {-1.0, 5.0}};
    for (const auto& p : probes) (void)districts.GetAdminDistrictName(p[0], p[1]);
    for (int i = 0; i < count && i < 8; ++i) {
        const AdminDistrictInfo& e = districts.GetAt(static_cast<std::size_t>(i));
        (void)districts.GetAdminDistrictName(e.latitude, e.longitude);
    }
    return 0;
}
