// Fuzz target: the ECU's sample answers. The first byte picks the list (bit 0: gas), the
// set (bit 1) and the added time (bit 2); the rest is the answer's data. Nothing is read
// past the data: only the whole samples it holds are written, in the set's own slots, each
// empty or within the limits of a sample.
#include <algorithm>
#include <string>

#include "FuzzSupport.h"
#include "model/MapSamples.h"

using namespace gw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool gas = data[0] & 1;
    const int set = (data[0] >> 1) & 1;
    const SampleScale scale{0.008, (data[0] & 4) != 0, 0.6};
    const std::string answer(reinterpret_cast<const char*>(data) + 1, size - 1);
    MapRecord r;
    for (auto* col : {&r.PetrolVacuum, &r.PetrolTime, &r.GasVacuum, &r.GasTime}) col->fill(-1);
    const int written = DecodeSamples(r, gas, set, answer, scale);
    const int whole = answer.size() < 60 ? 0 : std::min(30, static_cast<int>((answer.size() - 1) / 4));
    FUZZ_CHECK(written == whole);
    const auto& times = gas ? r.GasTime : r.PetrolTime;
    const auto& vacuums = gas ? r.GasVacuum : r.PetrolVacuum;
    const auto& otherTimes = gas ? r.PetrolTime : r.GasTime;
    for (int h = 0; h < kMapSlots; ++h) {
        const auto i = static_cast<std::size_t>(h);
        FUZZ_CHECK(otherTimes[i] == -1);
        const bool inSet = h >= set * 30 && h < set * 30 + written;
        if (!inSet) {
            FUZZ_CHECK(times[i] == -1 && vacuums[i] == -1);
            continue;
        }
        FUZZ_CHECK(times[i] >= 0 && times[i] <= kMapMaxTimeMs);
        FUZZ_CHECK(vacuums[i] >= 0 && vacuums[i] <= kMapMaxVacuum);
        FUZZ_CHECK((times[i] == 0 && vacuums[i] == 0) || vacuums[i] == QuantiseVacuum(vacuums[i]));
    }
    return 0;
}
