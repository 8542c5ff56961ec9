#include "sources/messages.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace compactor {
namespace {

std::multiset<std::string> placeholders(std::string_view text) {
  static const std::regex kPlaceholder(R"(\{m?[0-9]+(:[a-z]+)?\})");
  std::multiset<std::string> out;
  const std::string s(text);
  for (auto it = std::sregex_iterator(s.begin(), s.end(), kPlaceholder); it != std::sregex_iterator(); ++it)
    out.insert(it->str());
  return out;
}

// Every message has its Italian text, with the same arguments as the English one.
TEST(MessageCatalogue, EveryMessageHasItsItalianTextWithTheSameArguments) {
  ASSERT_GT(message_count(), 150u);
  std::set<std::string_view> names;
  for (std::size_t i = 0; i < message_count(); ++i) {
    const auto id = static_cast<MessageId>(i);
    const std::string_view en = message_text(id, Language::en), it = message_text(id, Language::it);
    EXPECT_TRUE(names.insert(message_name(id)).second) << message_name(id);
    EXPECT_EQ(it.empty(), en.empty()) << message_name(id) << " has no Italian text";
    EXPECT_EQ(placeholders(it), placeholders(en)) << message_name(id);
  }
}

TEST(MessageCatalogue, RendersArgumentsNestedMessagesAndKilometresInTheLanguage) {
  const Message m{MessageId::w_timetable,
                  {"6800", "5 min 26 s", "1 min"},
                  {msg(MessageId::station_at, "B", "18:22:00"), msg(MessageId::station_at, "A", "18:21:00")}};
  EXPECT_EQ(
      render(m, Language::en),
      "B at 18:22:00 is 6.8 km after A at 18:21:00: at the speed limits the train needs at least 5 min 26 s; "
      "the timetable gives 1 min");
  EXPECT_EQ(render(m, Language::it).substr(0, 40), "B alle 18:22:00 è 6,8 km dopo A alle 18");
  // A missing argument renders as nothing, never as a crash.
  EXPECT_EQ(render(msg(MessageId::w_not_a_number), Language::en), " is not a number; it is read as 0");
}

TEST(MessageCatalogue, TheFirstLocaleVariableSetDecidesTheLanguage) {
  using V = std::optional<std::string_view>;
  struct Case {
    V lc_all, lc_messages, lang;
    Language expected;
  };
  const Case cases[] = {
      {{}, {}, {}, Language::en},
      {{}, {}, "it_IT.UTF-8", Language::it},
      {{}, "it", "en_GB.UTF-8", Language::it},
      {"C", "it_IT", "it_IT", Language::en},
      {"", "", "it_CH.UTF-8", Language::it},  // set but empty: the next decides
      {"de_DE.UTF-8", {}, {}, Language::en},
  };
  for (const Case& c : cases)
    EXPECT_EQ(language_of_locale(c.lc_all, c.lc_messages, c.lang), c.expected)
        << c.lc_all.value_or("-") << " " << c.lc_messages.value_or("-") << " " << c.lang.value_or("-");
  EXPECT_EQ(language_named("it"), Language::it);
  EXPECT_EQ(language_named("fr"), std::nullopt);
}

}  // namespace
}  // namespace compactor
