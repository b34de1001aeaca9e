// ParameterImage: the in-memory image of the ECU's blocks 1, 2, 3 and 5 and of its
// correction tables, with the pending-change and backup records, the write countdowns,
// the request flags and the injector-mode sequence. Decodes the ECU's answers into
// engineering values (the link's dispatch calls it as its AnswerSink) and encodes the
// blocks back. Sending requests is EcuRequests' job; the *.var files are VarFile's.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "link/AnswerSink.h"
#include "link/ClsComm.h"
#include "model/ModelFromTable.h"
#include "model/ModelRecord.h"
#include "model/ScaleConfig.h"
#include "model/TimeTable.h"
#include "util/Signal.h"

namespace gw {

inline constexpr int kInjectors = 8;

// No-change markers of the pending records.
inline constexpr int kNoChangeByte = 255;          // byte fields
inline constexpr int kNoChangeInt = -1;            // 16-bit fields (any value >= 0 is a change)
inline constexpr double kNoChangeDouble = -1;      // scaled fields (any value > -1 is a change)
inline constexpr double kNoChangeSigned = 99999999;  // signed scaled fields
inline constexpr double kNoChangeCounter = 0;      // block 2 working-time counters (-1 clears)

// Data sizes of the blocks as the ECU sends them.
inline constexpr std::size_t kBlock1Bytes = 85;
inline constexpr std::size_t kBlock2Bytes = 14;
inline constexpr std::size_t kBlock3Bytes = 74;
inline constexpr std::size_t kBlock5ShortBytes = 14;
inline constexpr std::size_t kBlock5LongBytes = 23;

// Block 1: live values. Times in ms, voltages in V, engine speeds in rpm.
struct Block1Record {
    std::array<double, kInjectors> InjTimeBnz{};
    std::array<double, kInjectors> InjTimeGas{};
    std::array<double, kInjectors> InjTimeAux{};
    int Rpm = 0;
    int Pressure = 0;
    int Vacuum = 0;
    double LambdaV = 0;
    int StatusBits = 0;
    std::array<int, 2> Status2{};
    int SensorRaw = 0;
    int TempReducer = 0;
    int TempGas = 0;
    double SupplyV = 0;
    int GasLevelRaw = 0;
    double SampleTimeMs = 0;  // host microsecond clock / 1000 when decoded
    bool operator==(const Block1Record&) const = default;
};

// Block 2: ECU mode and counters.
struct Block2Record {
    int Mode = 0;        // fuel requested: 0 petrol, 3 gas
    int Mode2 = 0;       // fuel in use as the ECU reports it
    int SlaveState = 0;  // 1 slave, 0 normal running
    double Minutes1 = 0; // working-time counters, minutes
    double Minutes2 = 0;
    std::array<int, 2> AbilAcq{};
    int Flags2 = 0;
    bool operator==(const Block2Record&) const = default;
};

// Block 3: installation parameters. Times in ms; SwtchRpm in rpm (0 for the ECU's 65535).
struct Block3Record {
    int Coils = 0;
    int Cylinders = 0;
    int SwtchTemp = 0;
    int SwtchRpm = 0;
    int SwtchRpmRaw = 0;  // the period as the ECU holds it; kept so an unchanged speed goes back exactly
    int TpyInj = 0;
    int TpyInj2 = 0;
    double InjTime1 = 0;
    double PwmTime1 = 0;
    double PwmTime2 = 0;
    std::array<int, kInjectors> InjMode{};
    std::array<double, kInjectors> InjOffset{};
    int TpyGLS = 0;
    int TpyGLS2 = 0;
    std::array<int, 6> Level{};
    int AbilComp = 0;
    int PressVolRef = 0;
    double SwtchDelay = 0;
    int TempVolRef = 0;
    double SwtchForce = 0;
    int SwtchLambdaType = 0;
    int SwtchBar = 0;
    double SwtchDelayPress = 0;
    int SafetyCar = 0;
    int EmptyGas = 0;
    int MaxPowerEnable = 0;
    int MaxPowerSoh = 0;
    int TypSensTemp = 0;
    int TypSensMap = 0;
    int BadBit = 0;
    bool operator==(const Block3Record&) const = default;
};

// Block 5: expert parameters (firmware 133 and later). Times in ms.
struct Block5Record {
    int NotOsservaRpm = 0;
    int VersoComm = 0;
    int Expert2 = 0;
    double ExpTime1 = 0;
    double ExpTime2 = 0;
    double DefTimeSovra = 0;
    double ValuePreInj = 0;
    double TemperUnderPreInj = 0;
    int SwtchSeq = 0;
    int Soglia1 = 0;
    int ShoRpm = 0;
    int Expert18 = 0;
    int RpmHight = 0;
    int RpmLow = 0;
    bool operator==(const Block5Record&) const = default;
};

// Defaults of block 5's extension when the ECU sends the 14-byte form.
inline constexpr int kDefaultSoglia1 = 2750;
inline constexpr int kDefaultShoRpm = 2250;
inline constexpr int kDefaultExpert18 = 0;
inline constexpr int kDefaultRpmHight = 1000;
inline constexpr int kDefaultRpmLow = 600;

// Table reads failed in a row before the read is given up.
inline constexpr int kCorReadAttempts = 3;

// Values of the correction-table write request.
inline constexpr int kCorWriteNone = 0;
inline constexpr int kCorWriteTable = 1;      // write CorTable as it stands
inline constexpr int kCorWriteFromModel = 2;  // recompute CorTable from the model, then write it

// What ServiceRequests serves; other parts of the program set them.
struct EcuRequestFlags {
    bool Block2WritePending = false;
    bool Block3WritePending = false;
    bool Block5WritePending = false;
    bool Block1ReadRequest = false;
    bool Block2ReadRequest = false;
    bool Block3ReadRequest = false;
    bool Block5ReadRequest = false;
    bool DcolReadRequest = false;
    bool CorReadRequest = false;
    bool SaveFlashRequest = false;
    bool EcuStateToggleRequest = false;
    bool BnzSampleReadRequest = false;
    bool GasSampleReadRequest = false;
    bool BnzSampleCancelRequest = false;
    bool GasSampleCancelRequest = false;
    // Correction-table write (kCorWrite*): set by the model's editors, kept until a write
    // succeeds; off-line a kCorWriteFromModel request only recomputes the table.
    int CorTableWriteRequest = kCorWriteNone;
};

class ParameterImage : public AnswerSink {
public:
    ParameterImage(ScaleConfig& scale, ClsComm& comm);

    ScaleConfig& Scale() { return scale_; }
    ClsComm& Comm() { return comm_; }

    // ---- the image ----
    Block1Record Block1, Block1Prev;
    Block2Record Block2, Block2Pending, Block2Backup;
    Block3Record Block3, Block3Pending, Block3Backup;
    Block5Record Block5, Block5Pending, Block5Backup;
    TimeTable CorTable{};
    TimeTable CorTableEcu{};  // what was last read back from the ECU
    TimeTable AdtTable{};
    // The gas injection model the correction table is built from.
    ModelRecord Model;
    // CorTable holds a table the ECU has had: read from it, or written to it from a file.
    // Until then a configuration cannot be saved (it would carry a table the ECU never held).
    bool CorTableKnown = false;
    // How the model fits CorTable. A table the model cannot give back exactly is kept as it
    // came until the model is edited.
    ModelFit ModelFitsTable = ModelFit::Exact;
    // Table reads failed in a row (across reconnections); at kCorReadAttempts the read is
    // given up for this run, so that the other reads are not held up for ever.
    int CorReadFailures = 0;
    // The last correction-table write failed: the model shows a table the ECU may not hold.
    // Cleared by a successful write, or when a table read or file load replaces the model.
    bool CorTableWriteFailed = false;
    // A correction-table write is being sent and read back (it lets events run between its
    // requests): CorTable must not change under it.
    bool CorTableTransferRunning = false;
    // Where a table write is exported in service mode (the executable's folder); empty: none.
    std::string CorTableExportPath;
    double K_Rpm = 1;
    bool Block3Changed = false;
    // Data length of block 5 in this ECU (14 or 23), learnt from its answers; the writes
    // send that many bytes.
    std::size_t Block5EcuBytes = kBlock5LongBytes;

    // Write countdowns: set to 1 by an edit; the display timer counts them down.
    double Block2WriteRequest = 0;
    double Block3WriteRequest = 0;
    double Block5WriteRequest = 0;
    EcuRequestFlags Requests;

    // Injector-mode sequence request.
    int InjModeTarget = -1;  // -1 none, else 0, 3 or 4
    int InjModeScope = 0;    // 1 one injector, 2 every injector below a count
    int InjModeIndex = 0;    // the injector (0-7) or the count

    // ---- answers (AnswerSink): each takes the whole answer frame ----
    void DecodeBlock1(const std::string& frame) override;
    void DecodeBlock2(const std::string& frame) override;
    void DecodeBlock3(const std::string& frame) override;
    void DecodeBlock5(const std::string& frame) override;
    // Sample answers belong to the map page: passed on through the two signals below.
    void DecodeSamples(bool gas, int set, const std::string& data) override;
    void SamplesCleared(bool gas) override;
    void Block2Written() override;
    Signal<bool /*gas*/, int /*set*/, const std::string& /*data*/> SampleAnswer;
    Signal<bool /*gas*/> SampleListCleared;

    // The same decoders on the data as hexadecimal text (configuration files). A field
    // whose digits are missing or not hexadecimal keeps its value. Block 5 from a file
    // does not change Block5EcuBytes.
    void DecodeBlock2Hex(const std::string& dataHex);
    void DecodeBlock3Hex(const std::string& dataHex);
    void DecodeBlock5Hex(const std::string& dataHex, bool fromEcu = false);

    // ---- encoders: merge the pending record into the image, return the data as hex ----
    std::string EncodeBlock2();
    std::string EncodeBlock3();
    std::string EncodeBlock5();  // Block5EcuBytes long

    // ---- rules ----
    // coils x 240000000 / (cylinders x 16); 1 when either is out of 1-8.
    double SpeedConstant() const;
    // Engine speed of a raw period with the current K_Rpm (65535 and 0 give 0).
    int SpeedFromPeriod(int period) const;
    // The add-time switch from the ECU firmware and the reference firmware.
    void EvaluateAddTimeSwitch();
    // After the block 3 line of "\LNG\Default.Xar": cylinders from the ECU's variant code.
    void ApplyDefaultConfigurationRule();
    void StepInjModeSequence();
    void ResetPendingRecords();
    // One display tick of the write countdowns: a countdown that drops below 1 sets its
    // block's write-pending flag and read request.
    void TickWriteCountdowns();

    // CorTable = table, exactly; the model rebuilt from it; the table is known from now on;
    // a table write still pending is dropped (the model it was for is gone).
    void AdoptCorTable(const TimeTable& table);

    // ECU firmware version number (positions 1-4 of the identity; 0 when shorter).
    int EcuFirmwareVersion() const;
    bool EcuHasBlock5() const { return EcuFirmwareVersion() >= 133; }

private:
    void SetInjModePending(int injector, int mode);
    void ComputeBlock3Changed();

    ScaleConfig& scale_;
    ClsComm& comm_;
};

}  // namespace gw
