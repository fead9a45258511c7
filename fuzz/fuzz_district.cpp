// The district table is a delivered file, but a damaged or replaced one must not crash the
// player: load any bytes as the table, then look up positions around it.
#include "recording/AdminDistrict.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string file = "/tmp/torvix-fuzz-district-" + std::to_string(getpid()) + ".dat";
    if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    CAdminDistrict districts;
    const int count = districts.LoadAdminDistrictFile(file);
    const double probes[][2] = {{37.5663, 126.9779}, {0.0, 0.0}, {90.0, 180.0}, {35.1, 129.0}, {-1.0, 5.0}};
    for (const auto& p : probes) (void)districts.GetAdminDistrictName(p[0], p[1]);
    for (int i = 0; i < count && i < 8; ++i) {
        const AdminDistrictInfo& e = districts.GetAt(static_cast<std::size_t>(i));
        (void)districts.GetAdminDistrictName(e.latitude, e.longitude);
    }
    return 0;
}
