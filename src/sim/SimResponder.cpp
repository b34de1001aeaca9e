#include "sim/SimResponder.h"

#include "sim/SimSamples.h"

#include <numeric>

namespace gw {

namespace {

bool BootloaderCommand(std::uint8_t c) {
    return c == simcmd::SetPrg || c == simcmd::EraseFlash || c == simcmd::WrtFlashZone ||
           c == simcmd::WrtFlashEnd || c == simcmd::Eco || c == simcmd::ReadFirmware ||
           c == simcmd::ReadMemZone;
}

std::uint32_t Be(const SimBytes& p, std::size_t at, std::size_t n) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v = (v << 8) | p[at + i];
    return v;
}

}  // namespace

int SimResponder::TotalCount() const { return std::accumulate(counts_.begin(), counts_.end(), 0); }

void SimResponder::NoteLost(const SimBytes& frame) {
    if (auto r = SimCodec::ParseRequest(frame)) ++counts_[r->command];
}

std::optional<SimBytes> SimResponder::Refuse(const SimBytes& frame, std::uint8_t status) {
    auto r = SimCodec::ParseRequest(frame);
    if (!r) return {};
    ++counts_[r->command];
    return SimCodec::BuildAnswer(r->command, status, {});
}

std::optional<SimBytes> SimResponder::Handle(const SimBytes& frame, double nowUs) {
    auto r = SimCodec::ParseRequest(frame);
    if (!r) return {};
    ++counts_[r->command];
    if (!r->checksumOk) return SimCodec::BuildAnswer(r->command, simstatus::ChecksumError, {});
    return Execute(*r, nowUs);
}

void SimResponder::SetState(SimEcuState s) {
    state_ = s;
    if (s == SimEcuState::Run || s == SimEcuState::Slave) mem_.SetOperatingState(static_cast<std::uint8_t>(s));
}

void SimResponder::Restart() {
    mem_.RestoreParameters();
    SetState(SimEcuState::Run);
}

SimBytes SimResponder::Samples(const std::array<SimMemory::Sample, SimMemory::SampleSlots>& list,
                               int set) const {
    return SimSamples::Answer(list, set);
}

SimBytes SimResponder::TableRead(const std::array<std::int16_t, SimMemory::TableSize>& t,
                                 const SimRequest& r, bool& ok) const {
    ok = r.payload.size() >= 2 && r.payload[1] > 0 && r.payload[0] + r.payload[1] <= 192;
    SimBytes d;
    if (!ok) return d;
    for (int i = r.payload[0]; i < r.payload[0] + r.payload[1]; ++i) {
        const auto v = static_cast<std::uint16_t>(t[static_cast<std::size_t>(i)]);
        d.push_back(static_cast<std::uint8_t>(v & 0xFF));
        d.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    return d;
}

bool SimResponder::TableWrite(std::array<std::int16_t, SimMemory::TableSize>& t, const SimRequest& r) {
    if (r.payload.size() < 2) return false;
    const int first = r.payload[0], count = r.payload[1];
    if (count == 0 || first + count > 192 || r.payload.size() != 2 + 2 * static_cast<std::size_t>(count))
        return false;
    for (int i = 0; i < count; ++i) {
        const std::size_t at = 2 + 2 * static_cast<std::size_t>(i);
        t[static_cast<std::size_t>(first + i)] =
            static_cast<std::int16_t>(static_cast<std::uint16_t>(r.payload[at] | (r.payload[at + 1] << 8)));
    }
    return true;
}

SimBytes SimResponder::Execute(const SimRequest& r, double nowUs) {
    using namespace simcmd;
    const std::uint8_t c = r.command;
    auto ok = [&](const SimBytes& data = {}) { return SimCodec::BuildAnswer(c, simstatus::Ok, data); };
    auto fail = [&] { return SimCodec::BuildAnswer(c, simstatus::ExecError, {}); };
    auto undefined = [&] { return SimCodec::BuildAnswer(c, simstatus::NotDefined, {}); };
    const bool inBootloader = state_ == SimEcuState::Programming || state_ == SimEcuState::Flashing;
    if (inBootloader && !BootloaderCommand(c)) return undefined();

    // A block write takes exactly the block's size.
    auto writeBlock = [&](std::vector<std::uint8_t>& block) {
        if (r.payload.size() != block.size()) return fail();
        block = r.payload;
        return ok();
    };

    switch (c) {
        case GetAdrVar: return ok({0x00, 0x01});
        case WrtMemZone: {
            if (r.payload.size() < 6) return fail();
            const std::uint32_t addr = Be(r.payload, 0, 4);
            const std::size_t n = r.payload[4];
            if (r.payload.size() != 5 + n) return fail();
            if (!mem_.WriteRam(addr, SimBytes(r.payload.begin() + 5, r.payload.end()))) return fail();
            if (addr <= SimMemory::StateAddress && SimMemory::StateAddress < addr + n && mem_.OperatingState() <= 1)
                SetState(static_cast<SimEcuState>(mem_.OperatingState()));
            return ok();
        }
        case ReadMemZone: {
            if (r.payload.size() != 5) return fail();
            SimBytes d;
            if (!mem_.ReadZone(Be(r.payload, 0, 4), r.payload[4], d)) return fail();
            return ok(d);
        }
        case SetSlave: SetState(SimEcuState::Slave); return ok();
        case SetRun: SetState(SimEcuState::Run); return ok();
        case SetPrg: SetState(SimEcuState::Programming); return ok();
        case EraseFlash:
            if (!inBootloader) return fail();
            mem_.EraseFlash();
            state_ = SimEcuState::Flashing;
            return ok();
        case WrtFlashZone: {
            if (state_ != SimEcuState::Flashing || r.payload.size() != 132 || r.payload[0] != 0) return fail();
            const std::uint32_t addr = Be(r.payload, 1, 3);
            if (!mem_.InFlash(addr, 128)) return fail();
            // Flash cells only go from 1 to 0: writing over unerased bytes gives their AND.
            for (std::size_t i = 0; i < 128; ++i) mem_.flash[addr - SimMemory::FlashFirst + i] &= r.payload[4 + i];
            return ok();
        }
        case Eco:
            if (r.payload != SimBytes{'E', 'C', 'O'}) return fail();
            return ok({'E', 'C', 'O'});
        case WrtFlashEnd:
            if (state_ != SimEcuState::Flashing) return fail();
            mem_.AdoptFlashedIdentity();
            SetState(SimEcuState::Run);
            return ok();
        case ReadMem1:
            engine_.AdvanceTo(nowUs);
            engine_.WriteLive();
            return ok(mem_.block1);
        case ReadMem2:
            engine_.AdvanceTo(nowUs);
            engine_.WriteLive();
            return ok(mem_.block2);
        case ReadMem3: return ok(mem_.block3);
        case WrtMem2: {
            engine_.AdvanceTo(nowUs);
            const std::uint8_t fuel = mem_.block2[1], slave = mem_.block2[2];
            auto answer = writeBlock(mem_.block2);
            // The fuel in use and the slave flag are the ECU's own; FF FF FF FF clears a
            // working-time counter.
            mem_.block2[1] = fuel;
            mem_.block2[2] = slave;
            for (std::size_t at : {std::size_t{3}, std::size_t{7}})
                if (Be(mem_.block2, at, 4) == 0xFFFFFFFFu)
                    for (std::size_t i = 0; i < 4; ++i) mem_.block2[at + i] = 0;
            return answer;
        }
        case WrtMem3: return writeBlock(mem_.block3);
        case ReadMem5: return mem_.HasBlock5() ? ok(mem_.block5) : undefined();
        case WrtMem5: return mem_.HasBlock5() ? writeBlock(mem_.block5) : undefined();
        case ReadTblCor:
        case ReadTblAdt: {
            bool good = false;
            auto d = TableRead(c == ReadTblCor ? mem_.corTable : mem_.adtTable, r, good);
            return good ? ok(d) : fail();
        }
        case WrtTblCor: return TableWrite(mem_.corTable, r) ? ok() : fail();
        case WrtTblAdt: return TableWrite(mem_.adtTable, r) ? ok() : fail();
        case CancErr:
            mem_.errors.fill(0);
            errors_.Cleared(nowUs);
            return ok();
        case SaveFlash: mem_.SaveParameters(); return ok();
        case ReadErr:
            errors_.Update(nowUs, mem_.errors);
            return ok(SimBytes(mem_.errors.begin(), mem_.errors.end()));
        case ReadSmplBnz: return ok(Samples(mem_.petrolSamples, 0));
        case ReadSmplBnz1: return ok(Samples(mem_.petrolSamples, 1));
        case ReadSmplGas: return ok(Samples(mem_.gasSamples, 0));
        case ReadSmplGas1: return ok(Samples(mem_.gasSamples, 1));
        case CancSmplBnz: mem_.petrolSamples.fill({}); return ok();
        case CancSmplGas: mem_.gasSamples.fill({}); return ok();
        case ReadFirmware: return ok(mem_.IdentityRecord());
        case WritDcol:
            if (r.payload.size() != SimMemory::TestDateSize) return fail();
            mem_.testDate = r.payload;
            return ok();
        case ReadDcolFl: return ok(mem_.testDate);
        default: return undefined();  // 11, 15, 24, 25, 51 and unknown codes
    }
}

}  // namespace gw
