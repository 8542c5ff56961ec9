#pragma once
// The message catalogue: every text the system reports to an author (diagnostics, their
// notes and fixes, the summary lines, the tools' runtime messages) by id, in English and in
// Italian. A producer stores an id and its arguments, never a text in one language; each
// front renders them in the language of its user.
//
// A text holds placeholders: {0}, {1} ... take the message's arguments as they stand;
// {0:km} takes an argument in metres and shows it in kilometres with one decimal, written
// as the language writes decimals ("6.8 km", "6,8 km"); {0:dec} takes a decimal number
// written with a point and writes it so ("0.05", "0,05"); {m0}, {m1} ... take the nested
// messages, rendered in the same language. "{{" stands for "{".
//
// The catalogue itself is sources/messages.inc: one line per message, its id, its English
// text and its Italian text side by side. A message without an Italian text falls back to
// English when it is rendered; a test fails on it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace compactor {

enum class Language : uint8_t { en, it };

enum class MessageId : uint16_t {
#define MESSAGE(id, en, it) id,
#include "sources/messages.inc"
#undef MESSAGE
};

// How many messages the catalogue holds; the ids run from 0 to this less one.
std::size_t message_count();

struct Message {
  MessageId id{};
  std::vector<std::string> args;  // UTF-8, safe to print
  std::vector<Message> nested;    // for {m0}, {m1} ...
  bool operator==(const Message&) const = default;
};

// A message of the catalogue with its arguments, in a few words at the call.
template <typename... Args>
Message msg(MessageId id, Args&&... args) {
  return Message{id, {std::string(std::forward<Args>(args))...}, {}};
}

// The message rendered in the language (English where the catalogue has no Italian text).
std::string render(const Message& message, Language language);

// A message of the catalogue with its arguments, rendered at once: for a table or a picture,
// text in one language.
template <typename... Args>
std::string say(Language language, MessageId id, Args&&... args) {
  return render(msg(id, std::forward<Args>(args)...), language);
}

// The id's name ("fault_22"), its text as the catalogue holds it in the language (empty where
// the Italian is missing), for the tests and the documentation.
std::string_view message_name(MessageId id);
std::string_view message_text(MessageId id, Language language);

// "en" and "it", the names the tools and the page use; nullopt for any other.
std::optional<Language> language_named(std::string_view name);
std::string_view language_name(Language language);

// The language of a locale's name, as LC_ALL, LC_MESSAGES and LANG give it: the first that is
// set and not empty decides; a name that starts with "it" (it, it_IT.UTF-8, it_CH ...) is
// Italian, any other English. None set: English.
Language language_of_locale(std::optional<std::string_view> lc_all,
                            std::optional<std::string_view> lc_messages,
                            std::optional<std::string_view> lang);

}  // namespace compactor
