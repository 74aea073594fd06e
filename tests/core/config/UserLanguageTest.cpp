#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/config/EventLog.h"
#include "core/config/EventTexts.h"
#include "core/program/Startup.h"
#include "support/EventLogReader.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

struct FixedLocale final : platform::UserLocale {
  std::string name;
  std::string messagesLocale() const override { return name; }
};

struct RecordingSink final : platform::EventSink {
  std::vector<std::pair<int, std::string>> events;
  void eventReported(int code, const std::string& text) override { events.emplace_back(code, text); }
};

TEST(LanguageOfLocale, TheSixLanguagesByTheirCodesAndNothingElse) {
  const struct {
    const char* legend;
    const char* name;
    std::optional<Language> language;
  } cases[] = {
      {"territory and code set", "fr_FR.UTF-8", French},
      {"Belgian Dutch", "nl_BE", Dutch},
      {"Windows spelling", "it-IT", Italian},
      {"language alone", "es", Spanish},
      {"upper case", "DE_at", German},
      {"modifier", "en_GB@euro", English},
      {"the C locale is no language", "C", std::nullopt},
      {"nor POSIX", "POSIX", std::nullopt},
      {"C with a code set", "C.UTF-8", std::nullopt},
      {"a seventh language", "pt_BR.UTF-8", std::nullopt},
      {"three-letter code", "nds_DE", std::nullopt},
      {"unset", "", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(languageOfLocale(c.name), c.language) << c.legend;
  }
}

struct NewSettings : ::testing::Test {
  fakes::TestApp t;
  FixedLocale locale;
  void SetUp() override {
    t.ports.add("COM2");
    t.app.platform.locale = &locale;
  }
};

TEST_F(NewSettings, AFirstStartTakesTheLanguageOfTheUsersLocale) {
  locale.name = "fr_FR.UTF-8";
  ASSERT_EQ(startUp(t.app), 0);
  EXPECT_EQ(t.app.settings.language, French);
  EXPECT_NE(t.dir.read("monitor.ini").find("LANG=FR\n"), std::string::npos);
}

TEST_F(NewSettings, ALocaleOfNoneOfTheSixGivesGermanAsBefore) {
  locale.name = "pt_BR.UTF-8";
  ASSERT_EQ(startUp(t.app), 0);
  EXPECT_NE(t.dir.read("monitor.ini").find("LANG=DE\n"), std::string::npos);
}

TEST_F(NewSettings, AnExistingFileKeepsItsLanguageWhateverTheLocale) {
  locale.name = "en_US.UTF-8";
  ASSERT_EQ(startUp(t.app), 0);
  ASSERT_EQ(shutDown(t.app, 0), 0);
  fakes::TestApp second;
  second.dir.write("monitor.ini", t.dir.read("monitor.ini").replace(92, 2, "NL"));
  second.ports.add("COM2");
  FixedLocale italian;
  italian.name = "it_IT";
  second.app.platform.locale = &italian;
  ASSERT_EQ(startUp(second.app), 0);
  EXPECT_EQ(second.app.settings.language, Dutch);
}

TEST_F(NewSettings, EveryEventGoesToTheSinkInTheUsersLanguageAndAFirstStartIsANotice) {
  RecordingSink sink;
  t.app.platform.eventSink = &sink;
  locale.name = "en_GB.UTF-8";
  ASSERT_EQ(startUp(t.app), 0);
  ASSERT_EQ(sink.events.size(), 2u);
  EXPECT_EQ(sink.events[0], (std::pair<int, std::string>{2, "notice: no monitor.ini yet"}));
  EXPECT_EQ(sink.events[1],
            (std::pair<int, std::string>{11, "notice: monitor.ini written with the default settings"}));
  // monitor.err keeps its lines: readers look for these numbers and texts.
  const std::string err = t.dir.read("monitor.err");
  EXPECT_NE(err.find("event # 2 error: no file MONITOR.INI !\r\n"), std::string::npos);
  EXPECT_NE(err.find("event # 11 error: file MONITOR.INI not found \r\n"), std::string::npos);

  t.app.settings.language = German;
  reportEvent(t.app, Event::SourceLost, "tcp://boat:10110");
  EXPECT_EQ(sink.events.back(), (std::pair<int, std::string>{71, "Verbindung zu tcp://boat:10110 verloren"}));
  t.app.settings.language = French;
  reportEvent(t.app, eventCode(Event::Com1ReadError) + 2);
  EXPECT_EQ(sink.events.back(),
            (std::pair<int, std::string>{16, "erreur : impossible d'ouvrir le port COM3"}));
  reportEvent(t.app, Event::CreatePenFailed);
  EXPECT_EQ(sink.events.back(), (std::pair<int, std::string>{23, "error using function CreatePen"}))
      << "an event the logger hardly meets keeps the English of monitor.err";
}

TEST_F(NewSettings, TheSinkHearsWhatMonitorErrHearsNoMore) {
  RecordingSink sink;
  t.app.platform.eventSink = &sink;
  t.app.settings.logEvents = 0;
  reportEvent(t.app, Event::FileOpenFailed);
  EXPECT_TRUE(sink.events.empty()) << "the protocol switched off is off everywhere";
  t.app.settings.logEvents = 1;
  t.dir.write("monitor.err", "");
  auto holder =
      t.files.open("monitor.err", platform::FileAccess::ReadWrite, platform::OpenMode::OpenExisting);
  ASSERT_TRUE(holder);
  reportEvent(t.app, Event::FileOpenFailed);
  EXPECT_EQ(sink.events.size(), 1u) << "a held monitor.err loses its line, the journal does not";
}

TEST(EventTextsIn, EveryTranslatedTextFitsItsLanguageAndHasNoTrailingBlank) {
  for (const Event event : kNamedEvents) {
    for (int language = 0; language < kLanguageCount; ++language) {
      const std::string text = eventTextIn(eventCode(event), language, "tcp://h:1");
      EXPECT_TRUE(text.empty() || text.back() != ' ') << eventCode(event) << " " << language;
      EXPECT_EQ(text.find("%s"), std::string::npos) << eventCode(event) << " " << language;
    }
  }
}

} // namespace
} // namespace baromon
