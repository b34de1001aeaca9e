#include "sim/SimEcu.h"

#include <algorithm>

namespace gw {

SimEcu::SimEcu(const SimEcuOptions& options)
    : options_(options),
      memory_(options.identity),
      engine_(memory_, options.seed, options.scenario),
      responder_(memory_, engine_) {
    memory_.SeedSamples(options.seed);
    engine_.Car().Configure(options.car);
}

void SimEcu::Reset(double atUs) {
    responder_.Restart();
    frame_.clear();
    out_.clear();
    deafUntilUs_ = atUs + options_.bootTimeUs;
}

void SimEcu::ReceiveByte(std::uint8_t b, double atUs) {
    if (atUs < deafUntilUs_) return;
    if (atUs - lastRxUs_ > options_.interByteTimeoutUs) frame_.clear();
    lastRxUs_ = atUs;
    if (frame_.empty() && b != SimCodec::RequestStart) return;  // hunting for a frame start
    frame_.push_back(b);
    if (frame_.size() == 2 && b != SimCodec::RequestAddress) {
        frame_.clear();  // not for this ECU
        return;
    }
    if (frame_.size() == 3 && b < 3) {
        frame_.clear();
        return;
    }
    if (frame_.size() >= 3 && frame_.size() == static_cast<std::size_t>(frame_[2]) + 2) OnFrame(atUs);
}

void SimEcu::OnFrame(double atUs) {
    SimBytes frame;
    frame.swap(frame_);
    engine_.AdvanceTo(atUs);
    const FaultAction action = faults_.OnRequest(frame[3]);
    if (action.lose) {
        responder_.NoteLost(frame);
        if (action.pullCable) {
            faults_.PullCable(atUs, action.plugAfterUs, action.deviceGone);
            out_.clear();
        }
        if (action.reset) Reset(atUs);
        if (action.stall) deafUntilUs_ = action.delayUs > 0 ? atUs + action.delayUs : Never;
        return;
    }
    auto answer = action.status >= 0
                      ? responder_.Refuse(frame, static_cast<std::uint8_t>(action.status))
                      : responder_.Handle(frame, atUs);
    if (!answer) return;
    SimFaults::Spoil(action, *answer);
    double t = std::max(atUs + options_.processingDelayUs + action.delayUs, lineFreeUs_);
    for (auto b : *answer) {
        t += ByteUs;
        out_.push_back({b, t});
    }
    lineFreeUs_ = t;
}

SimBytes SimEcu::TakeDue(double nowUs, std::vector<double>* readyUs) {
    SimBytes due;
    if (readyUs) readyUs->clear();
    while (!out_.empty() && out_.front().readyUs <= nowUs) {
        due.push_back(out_.front().b);
        if (readyUs) readyUs->push_back(out_.front().readyUs);
        out_.pop_front();
    }
    return due;
}

}  // namespace gw
