#pragma once

namespace baromon {

struct AppContext;

// The live values to the publisher (when there is one) once a tick, after the
// acquisition; a loss or return of the broker becomes event 75 or 76.
void serveTelemetry(AppContext& app);

// Every loss or return of the broker not yet in monitor.err (each tick, and at the stop,
// which may come before the next tick).
void reportTelemetryLink(AppContext& app);

// The record just made at a five-minute boundary to the publisher.
void offerRecordToTelemetry(AppContext& app);

} // namespace baromon
