#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "support/LogBuilder.h"
#include "core/store/RecordGrid.h"

namespace baromon {
namespace {

using Step = std::tuple<GridStepKind, std::uint64_t, std::size_t>; // kind, offset, length

// Every step of `log` handed over in pieces of `piece` bytes.
std::vector<Step> scan(const std::string& log, std::size_t piece) {
  RecordGridScanner scanner;
  LastDecodedRecord decoded;
  std::vector<Step> steps;
  std::size_t fed = 0;
  for (;;) {
    if (const auto item = scanner.next(decoded)) {
      steps.emplace_back(item->kind, item->offset, item->length);
      continue;
    }
    if (scanner.finished()) {
      return steps;
    }
    if (fed == log.size()) {
      scanner.finish();
    } else {
      const std::size_t n = std::min(piece, log.size() - fed);
      scanner.append(log.data() + fed, n);
      fed += n;
    }
  }
}

// How the log is read (the check in large blocks, export in chunks between
// which it lets go of the file) must not change what is a record.
TEST(RecordGridScanner, StepsDoNotDependOnHowTheLogIsHandedOver) {
  const std::string good = testlog::gridLog(40);
  std::vector<std::string> logs = {
      good,
      good.substr(0, 37) + good,
      good.substr(0, 800) + good.substr(0, 4) + good.substr(800),
      good.substr(0, 800) + std::string(130, '\x9c') + good.substr(800) + good.substr(0, 50),
  };
  std::mt19937 random(20261208);
  for (int i = 0; i < 40; ++i) {
    std::string damaged = good;
    for (int cut = 0; cut < 4; ++cut) {
      const std::size_t at = random() % damaged.size();
      switch (random() % 3) {
      case 0:
        damaged.erase(at, random() % 90);
        break;
      case 1:
        damaged.insert(at, good.substr(random() % good.size() / 2, random() % 90));
        break;
      default:
        damaged[at] = static_cast<char>(random());
        break;
      }
    }
    logs.push_back(damaged);
  }
  for (const auto& log : logs) {
    const std::vector<Step> whole = scan(log, log.size() + 1);
    std::size_t covered = 0;
    for (const auto& [kind, offset, length] : whole) {
      ASSERT_EQ(offset, covered);
      covered += length;
    }
    ASSERT_LE(covered, log.size());
    for (const std::size_t piece : {1, 7, 80, 161, 162, 163, 1000}) {
      SCOPED_TRACE("pieces of " + std::to_string(piece));
      EXPECT_EQ(scan(log, piece), whole);
    }
  }
}

TEST(RecordGridScanner, TellsRecordsDamageAndFragmentsApart) {
  const std::string good = testlog::gridLog(4);
  std::string damaged = good;
  damaged[80 + 9] = '/';
  const std::vector<Step> expected = {
      {GridStepKind::Record, 0, 80},   {GridStepKind::Damaged, 80, 80}, {GridStepKind::Skipped, 160, 5},
      {GridStepKind::Record, 165, 80}, {GridStepKind::Record, 245, 80},
  };
  EXPECT_EQ(scan(damaged.substr(0, 160) + good.substr(0, 5) + damaged.substr(160), 100), expected);
  EXPECT_TRUE(scan(good.substr(0, 79), 100).empty());
}

} // namespace
} // namespace baromon
