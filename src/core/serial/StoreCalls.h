#pragma once

// The recording and history operations the acquisition hands its results to.
namespace baromon {

struct AppContext;

void appendRecord(AppContext& app);
void appendNmeaSentence(AppContext& app);
int loadHistory(AppContext& app);

} // namespace baromon
