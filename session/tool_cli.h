#pragma once
// What the tools' command lines share: CLI11 speaking the tool's language. Its own words (the
// headings of a help, its help flag, the names of value types) come from the catalogue, and
// so do its parse errors: the catalogue holds CLI11's English wording of each error with the
// variable parts as arguments (cli_required: "{0} is required"), so an error is read back
// against those texts and said again in the language; one of another wording is said as
// CLI11 words it, under a frame in the language.

#include <CLI/CLI.hpp>

#include "sources/messages.h"

namespace compactor {

// Makes a new app speak the language: the headings of its help, its help flag, the group of
// its options and of its subcommands, and its failure message ("... Run with --help for more
// information."). Call it before adding an option or a subcommand: they take these over.
void speak(CLI::App& app, Language language);

// Once every option and subcommand is added: the names of the value types (TEXT, FLOAT ...)
// in the language, in the app and its subcommands, and the subcommands' help flags in the
// group of the options.
void name_value_types(CLI::App& app, Language language);

// CLI11's parse error as a message of the catalogue.
Message parse_error_message(const CLI::Error& error);

}  // namespace compactor
