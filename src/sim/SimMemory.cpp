#include "sim/SimMemory.h"

#include "sim/SimRandom.h"

#include <cstdlib>

namespace gw {

namespace {

std::uint8_t Bcd(const std::string& s, std::size_t at) {
    auto digit = [&](std::size_t i) -> int {
        return i < s.size() && s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : 0;
    };
    return static_cast<std::uint8_t>(digit(at) * 16 + digit(at + 1));
}

}  // namespace

SimIdentity SimIdentity::OldFirmware() {
    SimIdentity id;
    id.version = "0132";
    id.date = "10022008";
    id.block5 = SimBlock5Form::Absent;
    return id;
}

int SimIdentity::VersionNumber() const { return std::atoi(version.substr(0, 4).c_str()); }

SimMemory::SimMemory(const SimIdentity& id) : identity_(id) {
    flash.assign(FlashLast - FlashFirst + 1, 0xFF);
    WriteIdentity(id);
    FactoryParameters();
    SaveParameters();
    testDate = {0x15, 0x03, 0x20, 0x10, 0x00, 0x01, 0x23, 0x45,
                0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    SeedSamples(1);
}

std::uint16_t SimMemory::U16(const std::vector<std::uint8_t>& v, std::size_t at) {
    if (at + 1 >= v.size()) return 0;
    return static_cast<std::uint16_t>(v[at] | (v[at + 1] << 8));
}

void SimMemory::PutU16(std::vector<std::uint8_t>& v, std::size_t at, std::uint16_t x) {
    if (at + 1 >= v.size()) return;
    v[at] = static_cast<std::uint8_t>(x & 0xFF);
    v[at + 1] = static_cast<std::uint8_t>(x >> 8);
}

void SimMemory::WriteIdentity(const SimIdentity& id) {
    const std::uint32_t at = IdentityAddress - FlashFirst;
    flash[at] = Bcd(id.version, 0);
    flash[at + 1] = Bcd(id.version, 2);
    flash[at + 2] = Bcd(id.date, 0);
    flash[at + 3] = Bcd(id.date, 2);
    flash[at + 4] = Bcd(id.date, 4);
    flash[at + 5] = Bcd(id.date, 6);
    for (std::uint32_t i = 0; i < 32; ++i)
        flash[at + 6 + i] = i < id.project.size() ? static_cast<std::uint8_t>(id.project[i]) : ' ';
}

SimBytes SimMemory::IdentityRecord() const {
    const std::uint32_t at = IdentityAddress - FlashFirst;
    return SimBytes(flash.begin() + at, flash.begin() + at + IdentitySize);
}

bool SimMemory::InFlash(std::uint32_t address, std::size_t count) const {
    return count > 0 && address >= FlashFirst &&
           static_cast<std::uint64_t>(address) + count - 1 <= FlashLast;
}

bool SimMemory::ReadZone(std::uint32_t address, std::size_t count, SimBytes& out) const {
    if (count == 0) return false;
    if (static_cast<std::uint64_t>(address) + count <= RamSize) {
        out.assign(ram.begin() + address, ram.begin() + address + count);
        return true;
    }
    if (InFlash(address, count)) {
        const auto at = flash.begin() + (address - FlashFirst);
        out.assign(at, at + static_cast<long>(count));
        return true;
    }
    return false;
}

bool SimMemory::WriteRam(std::uint32_t address, const SimBytes& data) {
    if (data.empty() || static_cast<std::uint64_t>(address) + data.size() > RamSize) return false;
    for (std::size_t i = 0; i < data.size(); ++i) ram[address + i] = data[i];
    return true;
}

void SimMemory::SetOperatingState(std::uint8_t s) {
    ram[StateAddress] = s;
    block2[2] = s;
}

double SimMemory::SpeedConstant() const {
    const int coils = Coils(), cyl = Cylinders();
    if (coils < 1 || coils > 8 || cyl < 1 || cyl > 8) return 1;
    return coils * 240000000.0 / (cyl * 16.0);
}

std::int16_t SimMemory::InjOffset(int cylinder) const {
    return static_cast<std::int16_t>(U16(block3, 22 + 2 * (7 - cylinder)));
}

void SimMemory::FactoryParameters() {
    block2.assign(Block2Size, 0);
    block2[0] = 3;  // gas selected
    block2[2] = ram[StateAddress];
    block2[3] = 0x39;  // 12345 minutes
    block2[4] = 0x30;
    block2[7] = 0x85;  // 6789 minutes
    block2[8] = 0x1A;
    block2[11] = 1;
    block2[12] = 1;

    block3.assign(Block3Size, 0);
    block3[0] = 4;                    // coils
    block3[1] = 4;                    // cylinders
    PutU16(block3, 2, 35);            // switch-over temperature
    PutU16(block3, 4, 8333);          // switch-over speed: period for 1800 rpm
    block3[6] = 1;                    // injector type
    PutU16(block3, 8, 312);           // 2.5 ms
    PutU16(block3, 10, 4);
    PutU16(block3, 12, 2);
    for (int i = 0; i < 4; ++i) block3[14 + 7 - i] = 3;  // cylinders 1-4 on gas
    block3[38] = 1;                   // level sensor type
    // Thresholds T1-T4 of a direct 0-5 V sensor on the 10-bit input, its full-scale count.
    const std::uint16_t levels[6] = {180, 360, 560, 760, 1023, 0};
    for (int i = 0; i < 6; ++i) PutU16(block3, 40 + 2 * i, levels[i]);
    block3[52] = 1;
    PutU16(block3, 53, 1000);
    // Delays count the general timer's 25 ms steps.
    PutU16(block3, 55, 2400);         // switch-over temperature delay: 60 s
    PutU16(block3, 57, 20);
    PutU16(block3, 59, 0);            // no forced switch-over
    block3[61] = 1;                   // lambda type
    PutU16(block3, 62, 800);
    PutU16(block3, 64, 40);           // end-of-gas delay: 1 s
    block3[67] = 1;
    block3[71] = 1;
    block3[72] = 1;

    FactoryBlock5();

    corTable.fill(0);
    corTable[185] = 1000;  // Alfa 1.0
    const std::int16_t places[5] = {30, 63, 94, 125, 157};
    for (int i = 0; i < 5; ++i) corTable[187 + i] = places[i];
    adtTable.fill(0);
}

void SimMemory::FactoryBlock5() {
    block5.clear();
    if (identity_.block5 != SimBlock5Form::Absent) {
        block5.assign(identity_.block5 == SimBlock5Form::Long ? Block5LongSize : Block5ShortSize, 0);
        block5[13] = 20;  // switch-over sequence delay: 20 x 25 ms = 0.5 s
        if (block5.size() == Block5LongSize) {
            PutU16(block5, 14, 2750);
            PutU16(block5, 16, 2250);
            PutU16(block5, 19, 1000);
            PutU16(block5, 21, 600);
        }
    }
}

void SimMemory::AdoptFlashedIdentity() {
    const SimBytes r = IdentityRecord();
    // BCD bytes back to digits; a byte that is not BCD (erased flash) reads as 00.
    auto digits = [&](std::size_t from, std::size_t count) {
        std::string d;
        for (std::size_t i = from; i < from + count; ++i) {
            const int hi = r[i] >> 4, lo = r[i] & 0x0F;
            const bool bcd = hi <= 9 && lo <= 9;
            d += static_cast<char>('0' + (bcd ? hi : 0));
            d += static_cast<char>('0' + (bcd ? lo : 0));
        }
        return d;
    };
    identity_.version = digits(0, 2);
    identity_.date = digits(2, 4);
    identity_.project.assign(r.begin() + 6, r.end());
    const bool expert = identity_.VersionNumber() >= 133;
    const SimBlock5Form form = !expert ? SimBlock5Form::Absent
                               : identity_.block5 == SimBlock5Form::Absent ? SimBlock5Form::Long
                                                                            : identity_.block5;
    if (form != identity_.block5) {
        identity_.block5 = form;
        FactoryBlock5();
        saved_.block5 = block5;
    }
}

void SimMemory::SaveParameters() {
    saved_.block2 = block2;
    saved_.block3 = block3;
    saved_.block5 = block5;
    saved_.corTable = corTable;
    saved_.adtTable = adtTable;
}

void SimMemory::RestoreParameters() {
    block2 = saved_.block2;
    block3 = saved_.block3;
    block5 = saved_.block5;
    corTable = saved_.corTable;
    adtTable = saved_.adtTable;
}

void SimMemory::EraseFlash() {
    std::fill(flash.begin(), flash.end(), 0xFF);
    // The parameters live in the erased sectors: a flashed ECU starts from its defaults
    // until the workbench writes the saved ones back.
    FactoryParameters();
    SaveParameters();
    testDate.assign(TestDateSize, 0xFF);
}

void SimMemory::SeedSamples(std::uint64_t seed) {
    petrolSamples.fill({});
    gasSamples.fill({});
    for (int i = 0; i < 14; ++i) {
        const std::uint64_t r = Mix(seed * 131 + static_cast<std::uint64_t>(i));
        const int vac = 300 + 40 * i + static_cast<int>(r % 15);
        const double petrolMs = 2.2 + (vac - 300) * 0.011 + static_cast<double>((r >> 8) % 20) / 100;
        petrolSamples[i] = {static_cast<std::uint16_t>(petrolMs / 0.008), static_cast<std::uint16_t>(vac)};
        if (i % 3 != 2) {
            const double gasMs = petrolMs * 1.12 + static_cast<double>((r >> 16) % 10) / 100;
            gasSamples[i] = {static_cast<std::uint16_t>(gasMs / 0.008), static_cast<std::uint16_t>(vac + 5)};
        }
    }
}

}  // namespace gw
