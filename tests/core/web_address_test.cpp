#include <gtest/gtest.h>

#include "install/web_address.h"

namespace {

TEST(IsWebAddress, HttpAndHttpsInAnyLetterCase) {
  const struct {
    const char* target;
    bool web;
  } rows[] = {
      {"http://www.quintaxel.example/", true},
      {"HTTP://www.quintaxel.example/", true},
      {"https://www.quintaxel.example/", true},
      {"HtTpS://x", true},
      {"http://", true},
      {"http:/", false},
      {"http", false},
      {"", false},
      {"quintaxel.exe", false},
      {"help\\english\\index.html", false},
      {"ftp://x", false},
      {"httpx://x", false},
      {" http://x", false},
  };
  for (const auto& row : rows)
    EXPECT_EQ(IsWebAddress(row.target), row.web) << row.target;
}

}  // namespace
