// CorTableWrite: the correction-table write request of the parameter image: asking for it,
// serving it on the communication cycle (recompute from the model, send, confirm) and the
// off-line clean-up. A write that fails keeps the request and marks the image, so the page
// can say that the model is not what the ECU holds. Not here: the table's arithmetic and
// transfer (CorrectionTables), the editing of the model (ModelEditing).
#pragma once

#include "link/ClsComm.h"
#include "model/ParameterImage.h"

namespace gw {

// Asks for a write (kCorWriteFromModel or kCorWriteTable); a request from the model is not
// weakened by a later plain one.
void RequestCorTableWrite(ParameterImage& image, int kind = kCorWriteFromModel);

// Serves a pending request: CorTable = ModelToTable(Model) for a request from the model,
// then SendCorrectionTable. Success needs the table read back to be the one written; then
// the request is cleared, the table is known, CorTableEcu holds it and (for a request from
// the model) the model fits it exactly. On failure the request stays for a later cycle,
// CorTableEcu keeps what was last read from the ECU and CorTableWriteFailed is set. An edit
// made while the write ran keeps its own request. Returns the write's success.
bool ServeCorTableWrite(ParameterImage& image, ClsComm& comm);

// Off-line: a request from the model recomputes the table without sending; the request is
// then cleared. The model then shows what the ECU has not been given: CorTableWriteFailed.
void CorTableOffLineCleanup(ParameterImage& image);

}  // namespace gw
