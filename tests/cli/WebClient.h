#pragma once

#include <string>

#include "ProgramRun.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

// A client of the monitor's web server for the tests, in Python so that no HTTP is
// hand-written on either side: urllib asks, json and Debian's Prometheus parser read.
namespace baromon::clitest {

inline const char* const kWebClient = R"PY(
import json, sys, urllib.request, urllib.error
port, command = sys.argv[1], sys.argv[2]
path = sys.argv[3] if len(sys.argv) > 3 else "/"
base = "http://127.0.0.1:" + port

def get(path, data=None):
    try:
        with urllib.request.urlopen(urllib.request.Request(base + path, data=data), timeout=30) as r:
            return r.status, r.headers.get("Content-Type"), r.read()
    except urllib.error.HTTPError as e:
        return e.code, e.headers.get("Content-Type"), e.read()

if command == "get":
    status, kind, body = get(path)
    sys.stdout.write("%d %s\n" % (status, kind))
    sys.stdout.flush()
    sys.stdout.buffer.write(body)
elif command == "post":
    status, kind, body = get(path, b"x=1")
    sys.stdout.write("%d\n" % status)
elif command == "json":
    # One line per key: key=value as JSON, sorted.
    status, kind, body = get(path)
    value = json.loads(body)
    for key in sorted(value):
        print("%s=%s" % (key, json.dumps(value[key], sort_keys=True)))
elif command == "history-as-csv":
    # The JSON rows written as the export writes its rows.
    status, kind, body = get(path)
    print("counter,date,time,pressure_hpa,tendency1h_hpa,tendency3h_hpa,variation_hpa,valid")
    for row in json.loads(body):
        date, time = row["time_utc"][:10], row["time_utc"][11:16]
        print("%d,%s,%s,%.2f,%+.1f,%+.1f,%.1f,%d" % (row["counter"], date, time, row["pressure_hpa"],
              row["tendency_1h_hpa"], row["tendency_3h_hpa"], row["variation_hpa"], row["valid"]))
elif command == "metrics":
    from prometheus_client.parser import text_string_to_metric_families
    status, kind, body = get("/metrics")
    for family in text_string_to_metric_families(body.decode("utf-8")):
        for sample in family.samples:
            labels = ",".join("%s=%s" % item for item in sorted(sample.labels.items()))
            print("%s %s %s{%s} %g" % (family.name, family.type, sample.name, labels, sample.value))
)PY";

// Runs the client in `dir` against `port`: "get PATH", "json PATH", "metrics", ...
inline Outcome askServer(const fakes::TempDir& dir, int port, const std::string& command) {
  if (!dir.exists("webclient.py")) {
    dir.write("webclient.py", kWebClient);
  }
  return runShellIn(dir, "/usr/bin/python3 webclient.py " + std::to_string(port) + " " + command, true);
}

// Waits until the server answers its current values; false after `seconds`.
inline bool serverAnswers(const fakes::TempDir& dir, int port, int seconds = 20) {
  return fakes::waitFor([&] { return askServer(dir, port, "get /api/v1/current").out.rfind("200 ", 0) == 0; },
                        std::chrono::seconds(seconds));
}

} // namespace baromon::clitest
