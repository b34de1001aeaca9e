#include "model/CorTableWrite.h"

#include <algorithm>

#include "model/CorrectionTables.h"

namespace gw {

void RequestCorTableWrite(ParameterImage& image, int kind) {
    int& r = image.Requests.CorTableWriteRequest;
    r = std::max(r, kind);
}

bool ServeCorTableWrite(ParameterImage& image, ClsComm& comm) {
    int& request = image.Requests.CorTableWriteRequest;
    const int taken = request;
    if (taken == kCorWriteNone) return false;
    // Taken now: an edit made while the transfer lets events run asks again.
    request = kCorWriteNone;
    if (taken == kCorWriteFromModel) ModelToTable(image.CorTable, image.Model);

    const double k = image.Scale().K_Time_Inj_ms;
    const TimeTable written = image.CorTable;
    const TimeTable lastRead = image.CorTableEcu;
    image.CorTableTransferRunning = true;
    bool ok = SendCorrectionTable(comm, image.CorTable, image.CorTableEcu, k, image.CorTableExportPath);
    image.CorTableTransferRunning = false;
    // The ECU must give back what it was sent.
    if (ok && !SameTableOnWire(image.CorTableEcu, written, k)) ok = false;

    if (ok) {
        image.CorTableKnown = true;
        image.CorTableWriteFailed = false;
        if (taken == kCorWriteFromModel) image.ModelFitsTable = ModelFit::Exact;
        return true;
    }
    // The image keeps the table meant for the ECU and the last table read from it.
    image.CorTable = written;
    image.CorTableEcu = lastRead;
    image.CorTableWriteFailed = true;
    RequestCorTableWrite(image, taken);
    return false;
}

void CorTableOffLineCleanup(ParameterImage& image) {
    int& request = image.Requests.CorTableWriteRequest;
    if (request == kCorWriteFromModel) {
        ModelToTable(image.CorTable, image.Model);
        image.CorTableWriteFailed = true;
    } else if (request != kCorWriteNone) {
        image.CorTableWriteFailed = true;
    }
    request = kCorWriteNone;
}

}  // namespace gw
