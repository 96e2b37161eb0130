#include "base/base64.hpp"

#include <gtest/gtest.h>

namespace zelt {
namespace {

TEST(Base64, StandardAlphabetWithPadding) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"}, {std::string_view("\x00\xfb\xff\xfe", 4), "APv//g=="},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(base64_encode(bytes), text) << text;
}

}  // namespace
}  // namespace zelt
