#include <gtest/gtest.h>
#include "tests/test_support.h"
TEST(Smoke, CliVersion) {
  TempDir d;
  CliResult r = runCli({"--version"}, d.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Korvandelith R1.20\n");
}
