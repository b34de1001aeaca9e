// SimMemory: everything the simulated ECU stores: parameter blocks 1, 2, 3, 5 as raw
// bytes, the production-test memo, the correction tables, the error table, the petrol
// and gas sample lists, a small RAM (operating-state byte at 0x13A) and the flash image
// with the firmware identity record. Also the saved (non-volatile) copy of the
// parameters that an ECU reset falls back to. No protocol and no timing here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/SimCodec.h"

namespace gw {

enum class SimBlock5Form { Long, Short, Absent };

// The firmware identity the ECU carries in flash.
struct SimIdentity {
    std::string version = "0140";    // four decimal digits, stored as two BCD bytes
    std::string date = "15032010";   // DDMMYYYY, stored as four BCD bytes
    std::string project = "KD452 CUSTOMER 0815";  // padded with blanks to 32 characters
    SimBlock5Form block5 = SimBlock5Form::Long;

    // Firmware older than the expert block: version 0132, no block 5.
    static SimIdentity OldFirmware();
    int VersionNumber() const;
};

class SimMemory {
public:
    static constexpr std::size_t Block1Size = 85, Block2Size = 14, Block3Size = 74,
                                 Block5LongSize = 23, Block5ShortSize = 14, TestDateSize = 16,
                                 TableSize = 192, ErrorSize = 64, SampleSlots = 60;
    static constexpr std::uint32_t FlashFirst = 0x00F80000, FlashLast = 0x00FFFFFF;
    static constexpr std::uint32_t IdentityAddress = 0x00FF8000, IdentitySize = 38;
    static constexpr std::uint32_t RamSize = 0x1000, StateAddress = 0x13A;

    explicit SimMemory(const SimIdentity& id = SimIdentity{});

    // Raw data bytes of each block as the ECU sends them.
    std::vector<std::uint8_t> block1 = std::vector<std::uint8_t>(Block1Size, 0);
    std::vector<std::uint8_t> block2, block3, block5;  // block5 empty when absent
    std::vector<std::uint8_t> testDate;
    std::array<std::int16_t, TableSize> corTable{}, adtTable{};
    std::array<std::uint8_t, ErrorSize> errors{};
    struct Sample {
        std::uint16_t timeCounts = 0;  // injection time, 8 us counts
        std::uint16_t vacuumMbar = 0;
    };
    // Slots 0-29 are set 0, slots 30-59 set 1.
    std::array<Sample, SampleSlots> petrolSamples{}, gasSamples{};
    std::vector<std::uint8_t> ram = std::vector<std::uint8_t>(RamSize, 0);
    std::vector<std::uint8_t> flash;  // FlashFirst .. FlashLast

    const SimIdentity& Identity() const { return identity_; }
    bool HasBlock5() const { return identity_.block5 != SimBlock5Form::Absent; }

    // The 38-byte identity record as it stands in flash now.
    SimBytes IdentityRecord() const;
    // Reads count bytes at a 32-bit address from RAM or flash; false when the range is
    // not wholly inside one of them.
    bool ReadZone(std::uint32_t address, std::size_t count, SimBytes& out) const;
    bool WriteRam(std::uint32_t address, const SimBytes& data);
    bool InFlash(std::uint32_t address, std::size_t count) const;

    std::uint8_t OperatingState() const { return ram[StateAddress]; }
    void SetOperatingState(std::uint8_t s);

    // Block 3 fields the engine and the ECU's own rules use.
    int Coils() const { return block3[0]; }
    int Cylinders() const { return block3[1]; }
    // Engine-speed constant from coils and cylinders; 1 when they are out of range.
    double SpeedConstant() const;
    // Injector working mode of cylinder i (0-7), stored in reverse order in block 3.
    int InjMode(int cylinder) const { return block3[14 + 7 - cylinder]; }
    std::int16_t InjOffset(int cylinder) const;

    // Non-volatile copy: SaveParameters stores blocks 2, 3, 5 and both tables;
    // RestoreParameters (an ECU reset) brings them back.
    void SaveParameters();
    void RestoreParameters();
    // The parameters a freshly flashed ECU starts with (also the initial ones).
    void FactoryParameters();
    void EraseFlash();
    // Writes the identity record into flash.
    void WriteIdentity(const SimIdentity& id);
    // After a flash write has ended: the firmware now in flash is the ECU's, so its
    // identity record decides the identity and whether the expert block exists (version
    // 133 and later; a block that appears starts from its factory values).
    void AdoptFlashedIdentity();
    // A deterministic set of initial samples.
    void SeedSamples(std::uint64_t seed);

    static std::uint16_t U16(const std::vector<std::uint8_t>& v, std::size_t at);
    static void PutU16(std::vector<std::uint8_t>& v, std::size_t at, std::uint16_t x);

private:
    void FactoryBlock5();

    struct Saved {
        std::vector<std::uint8_t> block2, block3, block5;
        std::array<std::int16_t, TableSize> corTable{}, adtTable{};
    } saved_;
    SimIdentity identity_;
};

}  // namespace gw
