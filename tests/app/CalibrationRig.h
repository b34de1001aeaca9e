// A workbench on the simulated car with the display scheduler attached, the calibration
// with the shipped parameters and injector types, and the scripted driver: everything a
// whole calibration needs, on virtual time.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "app/Calibration.h"
#include "app/CalibrationDriver.h"
#include "app/DisplayScheduler.h"
#include "app/Workbench.h"
#include "sim/SimEcu.h"
#include "support/SimPorts.h"
#include "support/TempDir.h"
#include "util/EventHost.h"

namespace gwtest {

inline std::string ReadSourceFile(const std::string& relative) {
    std::FILE* f = std::fopen((std::string(GW_SOURCE_DIR) + "/" + relative).c_str(), "rb");
    std::string s;
    if (!f) return s;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
    std::fclose(f);
    return s;
}

inline gw::SimEcuOptions CarOptions(double gasOffsetMs, double gasAlfa = 1.0) {
    gw::SimEcuOptions o;
    o.car.gasOffsetMs = gasOffsetMs;
    o.car.gasAlfa = gasAlfa;
    o.car.reducerWarmTauS = 30;
    return o;
}

struct CalibrationRig {
    TempDir dir;
    gw::VirtualHost host{0};
    std::shared_ptr<gw::SimEcu> ecu;
    std::unique_ptr<SimOnlyPorts> ports;
    std::unique_ptr<gw::Workbench> wb;
    std::unique_ptr<gw::DisplayScheduler> sched;
    std::unique_ptr<gw::Calibration> cal;
    std::unique_ptr<gw::CalibrationDriver> driver;
    gw::Connection dataRead;

    explicit CalibrationRig(const gw::SimEcuOptions& options = CarOptions(1.456), bool withDriver = true) {
        ecu = std::make_shared<gw::SimEcu>(options);
        ports = std::make_unique<SimOnlyPorts>(host, ecu);
        dir.Write("BIN/SetCom.ini", "[SearchCom]\r\n255\r\n");
        dir.Write("BIN/Flash.ini", ReadSourceFile("data/BIN/Flash.ini"));
        dir.Write("BIN/Norvik512.frh", ReadSourceFile("data/BIN/Norvik512.frh"));
        dir.Write("LNG/ConfigScale.ini", ReadSourceFile("data/LNG/ConfigScale.ini"));
        wb = std::make_unique<gw::Workbench>(host, *ports, dir.Path());
        sched = std::make_unique<gw::DisplayScheduler>(*wb, *wb->Image, *wb->Check);
        sched->Attach();
        wb->Main();
        wb->Comm->Simulated = true;
        (void)gw::ReadInjTypes(host.Locale(), wb->Path("\\LNG\\ConfigScale.ini"), wb->Scale, wb->AppTitle);
        cal = std::make_unique<gw::Calibration>(host, *wb->Comm, *wb->Image, wb->Calib, wb->Scale, ReportPath());
        dataRead = cal->EcuDataRead.Bind([this] { return wb->RequestsEnabled && !sched->RefreshPending; });
        if (withDriver) {
            gw::SimEngine& engine = ecu->Engine();
            driver = std::make_unique<gw::CalibrationDriver>(
                *cal, wb->Calib, [&engine](bool on) { engine.SetKey(on); },
                [&engine](double rpm) { engine.SetTargetRpm(rpm); });
        }
    }

    std::string ReportPath() const { return dir.Path() + "/TaraCorr.txt"; }

    template <class F>
    bool RunUntil(F cond, double maxUs, double stepUs = 10'000) {
        const double end = host.MicroClock() + maxUs;
        while (host.MicroClock() < end) {
            host.Advance(stepUs);
            if (cond()) return true;
        }
        return cond();
    }

    // The link is up and the ECU's data are read.
    bool Ready() {
        return RunUntil([this] { return wb->RequestsEnabled && !sched->RefreshPending; }, 30'000'000);
    }
    bool RunToState(gw::Calibration::State s, double maxUs = 600'000'000) {
        return RunUntil([this, s] { return cal->CalState() == s; }, maxUs);
    }
    bool Finished() const {
        return cal->CalState() == gw::Calibration::CalDone || cal->CalState() == gw::Calibration::CalResult;
    }
    bool RunToEnd(double maxUs = 900'000'000) {
        return RunUntil([this] { return Finished(); }, maxUs);
    }
};

}  // namespace gwtest
