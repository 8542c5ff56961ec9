// The hidden files of a write are told from every other name, and a folder too deep for a
// scenario's longest name is found before anything is written.
#include "platform/hidden_names.h"

#include <gtest/gtest.h>

#include "platform/env.h"

namespace compactor {
namespace {

TEST(HiddenNames, OnlyTheExactFormIsOurs) {
  const std::string made = new_hidden_name("P_1.dat", ".compactor-tmp-");
  EXPECT_EQ(hidden_file_owner(made), "P_1.dat") << made;
  EXPECT_NE(made, new_hidden_name("P_1.dat", ".compactor-tmp-"));
  const std::pair<const char*, const char*> cases[] = {
      {".P_1.dat.compactor-old-a1B2c3", "P_1.dat"}, {".a b.txt.compactor-tmp-ZZZZZZ", "a b.txt"},
      {".notes.new-draft", nullptr},                {".profile.set-old", nullptr},
      {".compactor-notes", nullptr},                {".P_1.dat.draft", nullptr},
      {".P_1.dat.new-abc123", nullptr},             {".P_1.dat.compactor-tmp-", nullptr},
      {".P_1.dat.compactor-tmp-abc12", nullptr},    {".P_1.dat.compactor-tmp-abc12-", nullptr},
      {"P_1.dat.compactor-tmp-abc123", nullptr},    {"..compactor-tmp-abc123", nullptr},
  };
  for (const auto& [name, owner] : cases)
    EXPECT_EQ(hidden_file_owner(name), owner ? std::optional<std::string_view>(owner) : std::nullopt) << name;
}

TEST(HiddenNames, AFolderTooDeepForTheLongestNameIsRefused) {
  EXPECT_EQ(folder_path_problem("short", 60), std::nullopt);
  const auto problem = folder_path_problem(std::string(4100, 'd'), 255);
  ASSERT_TRUE(problem);
  EXPECT_NE(render(*problem, Language::en)
                .find("move the program to a folder with a shorter path; nothing written"),
            std::string::npos);
}

}  // namespace
}  // namespace compactor
