#pragma once
// The names of the hidden files a write keeps beside a file until it is done (see
// sources/file_names.h): made with a random part of their own, and told apart from every
// other name in a folder.

#include <optional>
#include <string>
#include <string_view>

namespace compactor {

// ".<name><infix>XXXXXX", with six random letters or digits.
std::string new_hidden_name(std::string_view name, std::string_view infix);

// The name of the file whose temporary or backup this is, or nullopt when it is neither:
// only a name of exactly that form is one.
std::optional<std::string_view> hidden_file_owner(std::string_view hidden);

}  // namespace compactor
