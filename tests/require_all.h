// Tests that need something of the machine rather than of the project: a Russian locale, a
// second drive letter from Wine's mount manager, root to mount a small drive, a library order set
// for the run. A developer's partial run may lack it and skip, saying what was missing; a run
// that must check everything (QX_REQUIRE_ALL=1, as scripts/test.sh and CI set it) fails instead,
// with the same reason, since a skip there would pass without checking anything.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace qxtest {

inline bool EveryCheckRequired() {
  const char* value = std::getenv("QX_REQUIRE_ALL");
  return value && std::strcmp(value, "1") == 0;
}

}  // namespace qxtest

// Ends the current test (or SetUp) for want of what `reason` names: a skip, or a failure when
// every check is required. `reason` is anything that can be streamed into a test message.
#define QX_SKIP_OR_FAIL(reason)                                              \
  do {                                                                       \
    if (::qxtest::EveryCheckRequired())                                      \
      GTEST_FAIL() << reason << " (QX_REQUIRE_ALL=1: every check must run)"; \
    else                                                                     \
      GTEST_SKIP() << reason;                                                \
  } while (false)
