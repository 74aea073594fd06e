#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/config/Menus.h"
#include "core/config/Settings.h"
#include "core/program/InfoTexts.h"

namespace baromon {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A word of each language's pointer to the README, and of its refusal beside a running
// monitor: what a reader of that language recognises as hers.
struct LanguageCase {
  int language;
  const char* name;
  const char* pointerWord;
  const char* refusalWord;
};
constexpr LanguageCase kLanguages[] = {
    {German, "German", "Handbuch", "Verzeichnis"}, {English, "English", "manual", "directory"},
    {French, "French", "manuel", "r\xE9pertoire"}, {Dutch, "Dutch", "handleiding", "map"},
    {Italian, "Italian", "manuale", "cartella"},   {Spanish, "Spanish", "bar\xF3grafo", "directorio"},
};

// The help and about boxes end with where to find the README: in the box's own language,
// never the English sentence in a German or Spanish box.
TEST(InfoTexts, TheReadmePointerIsInTheBoxLanguage) {
  const std::string englishPointer = "see the README";
  for (const auto& c : kLanguages) {
    SCOPED_TRACE(c.name);
    for (int id : {cmd::Help, cmd::About}) {
      const std::string text = infoBoxFor(id, c.language).text;
      EXPECT_TRUE(contains(text, c.pointerWord)) << text;
      EXPECT_TRUE(contains(text, "README")) << text;
      if (c.language != English) {
        EXPECT_FALSE(contains(text, englishPointer)) << text;
        EXPECT_FALSE(contains(text, "baromon project")) << text;
      }
    }
  }
}

// The help's Spanish still goes on in German after its first lines; only the pointer that
// closes it is Spanish.
TEST(InfoTexts, SpanishHelpKeepsItsGermanMiddle) {
  const std::string text = infoBoxFor(cmd::Help, Spanish).text;
  EXPECT_TRUE(contains(text, "Este programa"));
  EXPECT_TRUE(contains(text, "Ben\xF6tigt"));
  EXPECT_TRUE(contains(text, "v\xE9"
                             "ase"));
}

// Texts are Windows-1252 bytes: no UTF-8 sequence (0xC3 lead byte) may slip in.
TEST(InfoTexts, AccentsAreSingleBytes) {
  for (const auto& c : kLanguages) {
    SCOPED_TRACE(c.name);
    for (const std::string& text :
         {infoBoxFor(cmd::Help, c.language).text, infoBoxFor(cmd::About, c.language).text,
          std::string(anotherMonitorText(c.language))}) {
      EXPECT_FALSE(contains(text, "\xC3")) << text;
    }
  }
}

TEST(AnotherMonitor, RefusalInEachLanguage) {
  std::set<std::string> seen;
  for (const auto& c : kLanguages) {
    SCOPED_TRACE(c.name);
    const std::string text = anotherMonitorText(c.language);
    EXPECT_TRUE(contains(text, c.refusalWord)) << text;
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 6u) << "six different texts";
  EXPECT_EQ(std::string(anotherMonitorText(99)), anotherMonitorText(German))
      << "out of range reads as German";
}

} // namespace
} // namespace baromon
