// ClsComm: the single link object. Holds the link settings and their file, the open port,
// the request and answer buffers, the connection and ECU states, and carries one exchange:
// send byte by byte, collect the answer after the idle time, judge it, resend, dispatch.
// When the port is opened or closed and when the keep-alive goes out is decided by the
// communication cycle (ComCycle), not here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "link/AnswerSink.h"
#include "link/CommLog.h"
#include "link/Port.h"
#include "util/Host.h"
#include "util/Warnings.h"

namespace gw {

// Fixed texts of communication failures (shown in message boxes only in service mode).
inline constexpr const char* kErrRxCheckSum = "COMUNICATION ERROR: RX CHECK SUM ";
inline constexpr const char* kErrEcoCommand = "COMUNICATION ERROR: ECO COMMAND";
inline constexpr const char* kErrExeErr = "COMUNICATION ERROR: EXE ERR";
inline constexpr const char* kErrTxCheckSum = "COMUNICATION ERROR: TX CHECK SUM";
inline constexpr const char* kErrNotDefine = "COMUNICATION ERROR: NOT DEFINE";
inline constexpr const char* kErrWdog = "COMUNICATION ERROR: WDOG ERR";

// Connection states.
enum : std::uint8_t {
    kComClosed = 0,   // close the port and reopen
    kComIdle = 1,     // a request may be sent
    kComSending = 2,  // a request is being transmitted
    kComWaiting = 3,  // waiting for the answer
    kComLost = 5,     // link lost or request failed
    kComOpening = 7,  // open the port
    kComOffLine = 8,  // port closed on request
};

class ClsComm {
public:
    ClsComm(Host& host, PortProvider& ports, std::string appFolder);
    ~ClsComm();
    ClsComm(const ClsComm&) = delete;
    ClsComm& operator=(const ClsComm&) = delete;

    Host& host() { return host_; }
    const std::string& AppFolder() const { return appFolder_; }
    CommLog& Log() { return log_; }
    void SetAnswerSink(AnswerSink* sink) { sink_ = sink; }
    AnswerSink* Sink() const { return sink_; }

    // ---- link settings and their file ----
    // Bad values keep their defaults; each is returned as a warning (shown by the caller).
    Warnings ReadSetCom(const std::string& pathIni);  // relative to the application folder
    bool WriteSetCom(const std::string& pathIni);  // repairs bad values first; atomic
    std::string Setport = "38400,N,8,1";
    std::int16_t ComPortValue = 1;  // the stored number; read through ComPort()
    std::int16_t ComPort() const { return UsbCom ? 0 : ComPortValue; }
    void SetComPort(std::int16_t n) { ComPortValue = n; }
    std::string ComPortNome() const;  // "COM1".."COM9", else ""
    std::string MemoPath;
    std::string Titolo = "Default Setting";
    double AttesaByteTx_usec = 500;
    double AttesaGlobale_usec = 4'000'000;
    double AttesaGlobaleDefault_usec = 4'000'000;
    void AttesaGlobale_usec_Default() { AttesaGlobale_usec = AttesaGlobaleDefault_usec; }
    double MolAttesaGlobale = 500;
    // The answer wait of a command the ECU needs long for (programming mode, erase, save
    // to flash): the wait raised by MolAttesaGlobale, but never longer than makes a lost
    // answer resent within kLongCommandWindowUs (idle time included).
    static constexpr double kLongCommandWindowUs = 30'000'000;
    double LongCommandWaitUs() const;
    double Idle_usec = 100'000;
    std::int16_t NumReSend = 10;
    bool UsbCom = true;
    std::uint8_t FlagRicercaCom = 0;
    std::int32_t DcbBitFields = 0;
    bool MemoDatiCom = false;
    // Title of the message boxes the link shows (service mode, settings errors).
    std::string AppTitle;
    // Use the simulated ECU instead of the COM port or the cable (the port menu's extra entry).
    bool Simulated = false;

    // ---- port ----
    bool SetComm();
    bool CloseComPort();
    void CleanInputCom();
    void CleanOutputCom();
    bool IsOpen() const;
    Port* ActivePort() { return port_.get(); }
    long FtStatus = 0;    // status of the last port call
    long LngRxByte = 0;   // bytes waiting at the last query
    long ErrorCom = 0;    // line-error flags of the last query
    // Number of the open COM port as written to "\BIN\Handle.ini" (0 = none). A number of
    // this process only: the link never closes a port it did not open itself.
    std::int32_t nPorta = 0;
    // USB enumeration state shared with the port search.
    int UsbDeviceIndex = 0;
    int UsbDeviceCount = 0;
    int UsbDeviceCountLast = 0;
    int CountUsbDevices();  // as the number-only device listing; 0 on failure

    // ---- one exchange ----
    std::string OutBuffer;
    std::string InBuffer;
    // The last good answer frame, as judged (extra bytes after the frame left out).
    std::string LastAnswer;
    std::uint8_t ComState = kComOpening;
    std::int16_t NumReSendState = 0;
    bool WDogPresente = true;
    std::int16_t NumWDogSend = 0;
    bool ServiceMode = false;  // communication errors also shown in message boxes

    bool SendMsg(const std::string& msg);
    bool ReciveMsg();
    bool CtrlEndRecive() const;
    void LoadWDogSend();
    void UnloadWDogSend();
    bool CkWDogSend();
    void VerificaRisposta();
    bool ReinviaMsg(const std::string& msg);
    bool SendMsgWait(const std::string& msg);
    // Resends made (answer window expired or bad answer) since the link was made.
    std::uint64_t ResendsMade() const { return resendsMade_; }
    // The answer window of the request in flight expired: a copy of it went unanswered
    // and its answer may still come. Until it can no longer be expected, a different
    // request with the same command code is sent only after the line has been drained.
    void NoteUnanswered();
    // How long after its request a late answer is still looked for: one more answer window.
    double LateAnswerLimitUs() const { return 2 * (AttesaGlobale_usec + Idle_usec); }
    // The port reported that its device is gone: the link is lost at once.
    bool DeviceLost() const { return deviceLost_; }
    // Requests of this command code wholly transmitted since the link was made.
    std::uint64_t RequestsSent(std::uint8_t command) const { return sentCounts_[command]; }
    void ScriviLogRxTx(const std::string& tag, const std::string& text);

    // ---- command set and answer dispatch ----
    std::uint8_t EcuState = 0;  // 0 run, 1 slave, 2 programming, 3 flash in progress
    bool RichiediIndVar = false;
    std::array<std::uint8_t, 64> ErrInj{};
    int ErrInjUBound() const { return 63; }
    void ErrInjClr() { ErrInj.fill(0); }
    std::string FirmwareEcu;
    std::string MemoDataCollaudo;
    void ElaboraRisposta();
    void ElaboraLetturaZona();
    void AccodaRisposta(const std::string& data);
    std::string EstraiRisposta();

    // ---- silence and connection time ----
    bool Silenzio(double periodoMs, bool resetta);
    double TimeComSeconds();  // seconds since the connection start; 0 while closed
    void TimeCom_RSet();

private:
    // Waits through the host, letting events run (timer ticks advance the exchange).
    void WaitMicroseconds(double us);
    // Port calls that fail cleanly when no port is open; they keep lastError_ and FtStatus.
    bool UsbMedium() const;
    bool PortBytesWaiting(long& count);
    bool PortRead(std::size_t n, std::string& out);
    bool PortWrite(std::uint8_t byte);
    bool PortGone() const;  // after a failing call: the open port's device is gone
    void LogPortFailure(const std::string& what);
    // Settings file helpers.
    bool ApplySetting(int key, const std::string& value, Warnings& warnings);
    // "\BIN\Handle.ini": the handle record of the open COM port.
    void WriteHandleRecord(const std::string& line);
    void FileHandleVerificaChiusura();

    Host& host_;
    PortProvider& ports_;
    std::string appFolder_;
    CommLog log_;
    AnswerSink* sink_ = nullptr;
    std::unique_ptr<Port> port_;
    double idleDeadline_ = 0;
    double answerWindowEnd_ = 0;
    double silenceDeadline_ = 0;
    double connectionStart_ = 0;
    std::array<std::string, 21> queue_;
    std::array<std::uint64_t, 256> sentCounts_{};
    std::uint64_t resendsMade_ = 0;
    double lastSendUs_ = 0;
    std::string staleFrame_;     // a request whose answer may still come
    double staleUntil_ = 0;
    bool deviceLost_ = false;
    bool unansweredCopy_ = false;  // the exchange in flight has a copy whose window expired
    void DrainStaleAnswers(const std::string& frame);
    void LoseDevice();
    long lastError_ = 0;          // system error number of the last failing port call
    std::int32_t nextHandle_ = 0; // numbers handed out to this process's COM opens
};

}  // namespace gw
