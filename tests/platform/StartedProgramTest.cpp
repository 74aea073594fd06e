#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <sys/stat.h>
#include <thread>

#include "support/WaitFor.h"
#include "adapters/posix/Programs.h"
#include "support/TempDir.h"

namespace baromon::platform {
namespace {

// The monitor ignores SIGPIPE so that a closed output never ends it; an ignored signal
// stays ignored across exec, so a program it starts must get the default back, or a
// `dft.exe ... | head` of its own would never end.
TEST(StartedProgram, GetsTheDefaultBrokenPipeSignalBack) {
  fakes::TempDir dir;
  dir.write("dft", "#!/bin/sh\ngrep SigIgn /proc/self/status > '" + dir.file("mask.tmp") + "'\nmv '" +
                       dir.file("mask.tmp") + "' '" + dir.file("mask.txt") + "'\n");
  ASSERT_EQ(::chmod(dir.file("dft").c_str(), 0755), 0);

  struct sigaction ignore {};
  struct sigaction old {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ASSERT_EQ(sigaction(SIGPIPE, &ignore, &old), 0);
  const bool started = startDetachedProgram(dir.file("dft"));
  sigaction(SIGPIPE, &old, nullptr);
  ASSERT_TRUE(started);

  ASSERT_TRUE(fakes::waitFor([&] { return dir.exists("mask.txt"); }));
  const std::string line = dir.read("mask.txt"); // "SigIgn:\t0000000000000000\n"
  ASSERT_EQ(line.rfind("SigIgn:", 0), 0u) << line;
  const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
  EXPECT_EQ(mask & (1ULL << (SIGPIPE - 1)), 0u) << line;
}

} // namespace
} // namespace baromon::platform
