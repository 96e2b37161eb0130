// A command's error keeps what failed apart from how it is worded: the kind,
// the path and the system's error stay readable after the line is built.
#include <gtest/gtest.h>

#include <string>

#include "cli/command_error.hpp"

namespace zelt::cli {
namespace {

TEST(CommandError, FileErrorsKeepKindPathAndCause) {
  const Error cause("Permission denied (os error 13)");
  struct Case {
    CommandError error;
    CommandError::Kind kind;
    std::string message;
  };
  const Case cases[] = {
      {CommandError::cannot_read("a.lbr", cause), CommandError::Kind::Unreadable,
       "Cannot read a.lbr: Permission denied (os error 13)"},
      {CommandError::cannot_read("a.lbr", cause, "symbol art"), CommandError::Kind::Unreadable,
       "Cannot read symbol art a.lbr: Permission denied (os error 13)"},
      {CommandError::read_failed("a.lbr", cause), CommandError::Kind::Unreadable,
       "read a.lbr: Permission denied (os error 13)"},
      {CommandError::cannot_write("a.lbr", cause), CommandError::Kind::Unwritable,
       "Cannot write a.lbr: Permission denied (os error 13)"},
      {CommandError::write_failed("a.lbr", cause), CommandError::Kind::Unwritable,
       "writing a.lbr: Permission denied (os error 13)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.error.kind(), c.kind) << c.message;
    EXPECT_EQ(c.error.path(), "a.lbr");
    EXPECT_EQ(c.error.cause().to_string(), cause.to_string());
    EXPECT_EQ(c.error.message(), c.message);
  }
}

TEST(CommandError, OtherFailuresShowTheirContextChainAndHint) {
  const CommandError error = CommandError(Error("bad magic").context("open CFBF")).with_hint("try again");
  EXPECT_EQ(error.kind(), CommandError::Kind::Failed);
  EXPECT_EQ(error.path(), "");
  EXPECT_EQ(error.message(), "open CFBF: bad magic");
  EXPECT_EQ(error.hint(), "try again");
}

}  // namespace
}  // namespace zelt::cli
