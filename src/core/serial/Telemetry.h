#pragma once

namespace baromon {

struct AppContext;

// The live values to the publisher (when there is one) once a tick, after the
// acquisition; a loss or return of the broker becomes event 75 or 76.
void serveTelemetry(AppContext& app);

// The record just made at a five-minute boundary to the publisher.
void offerRecordToTelemetry(AppContext& app);

} // namespace baromon
