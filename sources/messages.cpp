#include "sources/messages.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace compactor {
namespace {

struct Entry {
  std::string_view name;
  std::string_view en;
  std::string_view it;
};

constexpr Entry kCatalogue[] = {
#define MESSAGE(id, en, it) {#id, en, it},
#include "sources/messages.inc"
#undef MESSAGE
};

const Entry& entry(MessageId id) {
  const auto index = static_cast<std::size_t>(id);
  static const Entry kUnknown{"unknown", "(unknown message)", "(messaggio sconosciuto)"};
  return index < std::size(kCatalogue) ? kCatalogue[index] : kUnknown;
}

// A number with the decimal mark of the language.
std::string decimal(std::string out, Language language) {
  if (language == Language::it)
    for (char& ch : out)
      if (ch == '.') ch = ',';
  return out;
}

// Metres as kilometres with one decimal, the decimal mark of the language.
std::string kilometres(std::string_view metres, Language language) {
  long long m = 0;
  if (std::from_chars(metres.data(), metres.data() + metres.size(), m).ec != std::errc{})
    return std::string(metres);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.1f km", static_cast<double>(m) / 1000.0);
  return decimal(buf, language);
}

}  // namespace

std::size_t message_count() { return std::size(kCatalogue); }

std::string_view message_name(MessageId id) { return entry(id).name; }

std::string_view message_text(MessageId id, Language language) {
  return language == Language::it ? entry(id).it : entry(id).en;
}

std::string render(const Message& message, Language language) {
  std::string_view text = message_text(message.id, language);
  if (text.empty()) text = entry(message.id).en;
  std::string out;
  out.reserve(text.size() + 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '{') {
      out += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '{') {
      out += '{';
      ++i;
      continue;
    }
    const std::size_t close = text.find('}', i);
    if (close == std::string_view::npos) {
      out += text.substr(i);
      break;
    }
    std::string_view placeholder = text.substr(i + 1, close - i - 1);
    i = close;
    const bool nested = placeholder.starts_with('m');
    if (nested) placeholder.remove_prefix(1);
    std::string_view format;
    if (const std::size_t colon = placeholder.find(':'); colon != std::string_view::npos) {
      format = placeholder.substr(colon + 1);
      placeholder = placeholder.substr(0, colon);
    }
    std::size_t n = 0;
    if (std::from_chars(placeholder.data(), placeholder.data() + placeholder.size(), n).ec != std::errc{}) continue;
    if (nested) {
      if (n < message.nested.size()) out += render(message.nested[n], language);
    } else if (n < message.args.size()) {
      const std::string& arg = message.args[n];
      out += format == "km" ? kilometres(arg, language) : format == "dec" ? decimal(arg, language) : arg;
    }
  }
  return out;
}

std::optional<Language> language_named(std::string_view name) {
  if (name == "en") return Language::en;
  if (name == "it") return Language::it;
  return std::nullopt;
}

std::string_view language_name(Language language) { return language == Language::it ? "it" : "en"; }

Language language_of_locale(std::optional<std::string_view> lc_all,
                            std::optional<std::string_view> lc_messages,
                            std::optional<std::string_view> lang) {
  for (const auto& value : {lc_all, lc_messages, lang}) {
    if (!value || value->empty()) continue;
    return value->starts_with("it") ? Language::it : Language::en;
  }
  return Language::en;
}

}  // namespace compactor
