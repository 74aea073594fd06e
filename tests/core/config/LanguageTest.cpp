#include <gtest/gtest.h>

#include <string>

#include "core/program/InfoTexts.h"
#include "core/config/Menus.h"
#include "core/config/Settings.h"
#include "core/print/PrintJobs.h"
#include "core/serial/SerialPort.h"

namespace baromon {
namespace {

TEST(Language, OnlyTheSixKnownNumbersSelectTheirOwnTexts) {
  for (int language : {-1, 6, 255, -2147483647 - 1, 2147483647}) {
    EXPECT_EQ(languageIndex(language), German) << language;
  }
  for (int language = German; language <= Spanish; ++language) {
    EXPECT_EQ(languageIndex(language), language);
  }
}

// Every lookup reads an unknown language as German, menus, boxes and messages alike.
TEST(Language, EveryLookupReadsAnUnknownLanguageAsGerman) {
  for (int language : {-1, 6, 255}) {
    EXPECT_STREQ(printErrorText(language), printErrorText(German)) << language;
    EXPECT_STREQ(printErrorCaption(language), printErrorCaption(German)) << language;
    EXPECT_STREQ(portNotAvailableMessage(language).format, portNotAvailableMessage(German).format)
        << language;
    EXPECT_EQ(infoBoxFor(cmd::Help, language).text, infoBoxFor(cmd::Help, German).text) << language;
    EXPECT_EQ(menuBarFor(language).popups[0].title, menuBarFor(German).popups[0].title) << language;
  }
  EXPECT_STRNE(printErrorText(Spanish), printErrorText(German));
}

} // namespace
} // namespace baromon
