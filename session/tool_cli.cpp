#include "session/tool_cli.h"

#include <charconv>
#include <utility>

namespace compactor {
namespace {

// A text of the catalogue cut into its literal pieces and its placeholders ({0} ...).
struct Piece {
  std::string literal;
  int argument = -1;  // the placeholder's number; -1 for a literal piece
};

std::vector<Piece> pieces(std::string_view text) {
  std::vector<Piece> out;
  std::string literal;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '{') {
      literal += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '{') {
      literal += '{';
      ++i;
    } else {
      const size_t close = text.find('}', i);
      int n = 0;
      std::from_chars(text.data() + i + 1, text.data() + close, n);
      if (!literal.empty()) out.push_back({std::exchange(literal, {}), -1});
      out.push_back({{}, n});
      i = close;
    }
  }
  if (!literal.empty()) out.push_back({literal, -1});
  return out;
}

// Whether the text reads as the pieces from k on, each placeholder standing for a part of one
// character or more; the parts go to args.
bool reads_as(const std::vector<Piece>& p, size_t k, std::string_view text, std::vector<std::string>& args) {
  if (k == p.size()) return text.empty();
  if (p[k].argument < 0)
    return text.starts_with(p[k].literal) && reads_as(p, k + 1, text.substr(p[k].literal.size()), args);
  for (size_t n = 1; n <= text.size(); ++n) {
    if (!reads_as(p, k + 1, text.substr(n), args)) continue;
    if (args.size() <= static_cast<size_t>(p[k].argument))
      args.resize(static_cast<size_t>(p[k].argument) + 1);
    args[static_cast<size_t>(p[k].argument)] = std::string(text.substr(0, n));
    return true;
  }
  return false;
}

// CLI11's errors, each as its English words; the more particular first.
constexpr MessageId kParseErrors[] = {
    MessageId::cli_subcommand_required,
    MessageId::cli_extra_one,
    MessageId::cli_extra_many,
    MessageId::cli_missing_value,
    MessageId::cli_at_least,
    MessageId::cli_at_most,
    MessageId::cli_expected_exactly,
    MessageId::cli_expected_at_least,
    MessageId::cli_not_in_range,
    MessageId::cli_not_in_set,
    MessageId::cli_not_allowed,
    MessageId::cli_could_not_convert,
    MessageId::cli_flag_inputs,
    MessageId::cli_true_false,
    MessageId::cli_flag_override,
    MessageId::cli_excludes,
    MessageId::cli_requires,
    MessageId::cli_required,
};

std::string said(MessageId id, Language language) { return render(msg(id), language); }

}  // namespace

Message parse_error_message(const CLI::Error& error) {
  const std::string_view what = error.what();
  for (const MessageId id : kParseErrors) {
    std::vector<std::string> args;
    if (reads_as(pieces(message_text(id, Language::en)), 0, what, args))
      return Message{id, std::move(args), {}};
  }
  return msg(MessageId::cli_other, std::string(what));
}

void speak(CLI::App& app, Language language) {
  app.failure_message([language](const CLI::App* from, const CLI::Error& e) {
    const std::string help = from->get_help_ptr() ? from->get_help_ptr()->get_name() : "--help";
    return render(parse_error_message(e), language) + "\n" +
           render(msg(MessageId::cli_run_help, help), language) + "\n";
  });
  const std::pair<const char*, MessageId> labels[] = {
      {"Usage", MessageId::cli_label_usage},           {"OPTIONS", MessageId::cli_label_options},
      {"SUBCOMMAND", MessageId::cli_label_subcommand}, {"Positionals", MessageId::cli_label_positionals},
      {"REQUIRED", MessageId::cli_label_required},     {"Excludes", MessageId::cli_label_excludes},
      {"Needs", MessageId::cli_label_needs},
  };
  for (const auto& [key, id] : labels) app.get_formatter()->label(key, said(id, language));
  app.option_defaults()->group(said(MessageId::cli_group_options, language));
  app.group(said(MessageId::cli_group_subcommands, language));
  app.set_help_flag("-h,--help", said(MessageId::cli_help_flag, language));
}

void name_value_types(CLI::App& app, Language language) {
  const std::pair<std::string_view, MessageId> types[] = {{"TEXT", MessageId::cli_type_text},
                                                          {"FLOAT", MessageId::cli_type_float},
                                                          {"INT", MessageId::cli_type_int}};
  for (CLI::Option* option : app.get_options()) {
    const std::string full = option->get_type_name();
    const std::string_view base = std::string_view(full).substr(0, full.find(':'));
    for (const auto& [name, id] : types)
      if (base == name) option->type_name(said(id, language));
  }
  for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
    // A subcommand's help flag is made with it, in CLI11's own group.
    if (CLI::Option* help = sub->get_help_ptr()) help->group(said(MessageId::cli_group_options, language));
    name_value_types(*sub, language);
  }
}

}  // namespace compactor
