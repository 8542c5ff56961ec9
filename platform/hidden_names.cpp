#include "platform/hidden_names.h"

#include <mutex>
#include <random>

#include "sources/file_names.h"

namespace compactor {
namespace {

constexpr std::string_view kLettersAndDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

bool letter_or_digit(char c) { return kLettersAndDigits.find(c) != std::string_view::npos; }

}  // namespace

std::string new_hidden_name(std::string_view name, std::string_view infix) {
  static std::mutex held;
  static std::mt19937_64 random{std::random_device{}()};
  const std::lock_guard<std::mutex> hold(held);
  std::string out = "." + std::string(name) + std::string(infix);
  std::uniform_int_distribution<size_t> pick(0, kLettersAndDigits.size() - 1);
  for (size_t i = 0; i < kHiddenNameRandomChars; ++i) out += kLettersAndDigits[pick(random)];
  return out;
}

std::optional<std::string_view> hidden_file_owner(std::string_view hidden) {
  const size_t tail = kTemporaryInfix.size() + kHiddenNameRandomChars;
  if (hidden.size() < 2 + tail || hidden[0] != '.') return std::nullopt;
  const std::string_view infix = hidden.substr(hidden.size() - tail, kTemporaryInfix.size());
  if (infix != kTemporaryInfix && infix != kBackupInfix) return std::nullopt;
  for (const char c : hidden.substr(hidden.size() - kHiddenNameRandomChars))
    if (!letter_or_digit(c)) return std::nullopt;
  return hidden.substr(1, hidden.size() - 1 - tail);
}

}  // namespace compactor
