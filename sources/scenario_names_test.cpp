#include "sources/scenario_names.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

TEST(WindowsNames, DeviceNamesAreRefusedWithOrWithoutAnExtension) {
  for (const char* name : {"CON", "con", "PRN", "Aux", "NUL", "COM1", "com9", "LPT1", "LPT9", "CON.txt",
                           "nul.tar.gz", "COM3.sim", "CON .dat"})
    EXPECT_EQ(windows_name_problem(name), "is a device name on Windows") << name;
}

TEST(WindowsNames, NamesThatOnlyLookLikeDevicesAreAllowed) {
  for (const char* name : {"CONSOLE", "COM0", "COM10", "LPT", "ACON", "CON_linea.dat",
                           "Rovella_Tirsa_7162.dat", "Zoë", "7162", "a.b.c"})
    EXPECT_EQ(windows_name_problem(name), std::nullopt) << name;
}

TEST(WindowsNames, ForbiddenCharactersAndTrailingDotsOrSpacesAreRefused) {
  struct Case {
    const char* name;
    const char* problem;
  };
  const Case cases[] = {
      {"a<b", "contains '<', which Windows does not allow in a file name"},
      {"a>b", "contains '>', which Windows does not allow in a file name"},
      {"C:x", "contains ':', which Windows does not allow in a file name"},
      {"say\"hi\"", "contains '\"', which Windows does not allow in a file name"},
      {"a|b", "contains '|', which Windows does not allow in a file name"},
      {"what?", "contains '?', which Windows does not allow in a file name"},
      {"all*", "contains '*', which Windows does not allow in a file name"},
      {"Linea.", "ends with a dot or a space, which Windows drops from a file name"},
      {"Linea ", "ends with a dot or a space, which Windows drops from a file name"},
  };
  for (const auto& c : cases) EXPECT_EQ(windows_name_problem(c.name), c.problem) << c.name;
}

}  // namespace
}  // namespace compactor
