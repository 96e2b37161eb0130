// add-to-schlib: symbols merged into an existing .SchLib leave every stream
// of it as it was, patch the FileHeader, and never write one component's
// records over another's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "altium/cfb_streams.hpp"
#include "altium/schlib_merge.hpp"
#include "altium/schlib_writer.hpp"
#include "part/part_file.hpp"
#include "support/altium_records.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

using namespace altium_records;

part::Symbol symbol(std::string name, std::string pin = "1") {
  part::Symbol s;
  s.name = std::move(name);
  s.pins = {{pin, "P" + pin, 0, 0, 100, 0}};
  return s;
}

std::string library(const std::vector<part::Symbol>& symbols) {
  auto bytes = altium::write_schlib(symbols);
  EXPECT_TRUE(bytes) << bytes.error().to_string();
  return bytes ? *bytes : std::string();
}

std::string header_text(const altium::CfbStreams& streams) {
  const std::string& stream = streams.at("/FileHeader");
  return stream.substr(4, stream.size() - 5);
}

std::string framed(std::string_view text) {
  return u32(static_cast<std::uint32_t>(text.size() + 1)) + std::string(text) + '\0';
}

TEST(SchlibMerge, AddsOnlyWhatIsNewAndCopiesEveryStream) {
  const std::string one = library({symbol("A")});
  // Nothing new (a name already there, or no symbols at all): the same bytes.
  for (const auto& input : {std::vector<part::Symbol>{symbol("A", "9")}, std::vector<part::Symbol>{}}) {
    auto merged = altium::merge_into_schlib(one, input);
    ASSERT_TRUE(merged) << merged.error().to_string();
    EXPECT_EQ(merged->added, 0u);
    EXPECT_EQ(merged->bytes, one);
  }

  auto merged = altium::merge_into_schlib(one, {symbol("A"), symbol("B", "2")});
  ASSERT_TRUE(merged) << merged.error().to_string();
  EXPECT_EQ(merged->added, 1u);
  EXPECT_TRUE(merged->renamed.empty());
  const auto before = *altium::read_cfb_streams(one);
  const auto after = *altium::read_cfb_streams(merged->bytes);
  std::string expected = header_text(before);
  expected.replace(expected.find("|CompCount=1"), 12, "|CompCount=2");
  EXPECT_EQ(header_text(after), expected + "|LibRef1=B|PartCount1=2");
  for (const auto& [path, bytes] : before) {
    if (path == "/FileHeader") continue;
    EXPECT_EQ(after.at(path), bytes) << path;
  }
  EXPECT_EQ(after.at("/B/Data"), altium::write_component_data(symbol("B", "2")));
  EXPECT_EQ(after.size(), before.size() + 1);

  // Both are there now: merging the same input again changes nothing.
  auto again = altium::merge_into_schlib(merged->bytes, {symbol("A"), symbol("B", "2")});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->bytes, merged->bytes);
}

TEST(SchlibMerge, StorageNamesThatAreTakenOrEmpty) {
  const std::string long_name(40, 'L');
  const std::string base = library({symbol("AB 12/x"), symbol("A B"), symbol(long_name)});
  // "AB 12/x" is stored as AB_12_x, yet the header lists it: present.
  auto same = altium::merge_into_schlib(base, {symbol("AB 12/x")});
  ASSERT_TRUE(same);
  EXPECT_EQ(same->bytes, base);

  const std::vector<part::Symbol> input = {symbol("A/B"), symbol("A|B"),        symbol("A.B"),
                                           symbol("a_b"), symbol("FileHeader"), symbol(long_name + "2"),
                                           symbol(""),    symbol("")};
  auto merged = altium::merge_into_schlib(base, input);
  ASSERT_TRUE(merged) << merged.error().to_string();
  EXPECT_EQ(merged->added, 8u);
  const std::vector<altium::RenamedStorage> renamed = {{"A|B", "A_B", "A_B_2"},
                                                       {"a_b", "a_b", "a_b_3"},
                                                       {"FileHeader", "FileHeader", "FileHeader_2"},
                                                       {long_name + "2", long_name.substr(0, 31),
                                                        std::string(29, 'L') + "_2"}};
  ASSERT_EQ(merged->renamed.size(), renamed.size());
  for (std::size_t i = 0; i < renamed.size(); ++i) {
    EXPECT_EQ(merged->renamed[i].symbol, renamed[i].symbol);
    EXPECT_EQ(merged->renamed[i].wanted, renamed[i].wanted);
    EXPECT_EQ(merged->renamed[i].storage, renamed[i].storage);
  }
  const auto streams = *altium::read_cfb_streams(merged->bytes);
  const std::string text = header_text(streams);
  EXPECT_NE(text.find("|CompCount=11|"), std::string::npos);
  EXPECT_TRUE(text.ends_with("|LibRef9=|PartCount9=2|LibRef10=|PartCount10=2")) << text;
  // Every new symbol has Data of its own; the old ones are untouched.
  const std::pair<std::string, std::string> stored[] = {
      {"/A B/Data", "A B"},   {"/A_B/Data", "A/B"},  {"/A_B_2/Data", "A|B"}, {"/A.B/Data", "A.B"},
      {"/a_b_3/Data", "a_b"}, {"/FileHeader_2/Data", "FileHeader"},           {"/Component_9/Data", ""},
      {"/Component_10/Data", ""}};
  for (const auto& [path, name] : stored)
    EXPECT_EQ(streams.at(path), altium::write_component_data(symbol(name))) << path;
}

TEST(SchlibMerge, FileHeaderPatchAndItsFaults) {
  const std::string data = altium::write_component_data(symbol("OLD"));
  const auto with_header = [&](const std::string& header) {
    return compound_file({{"/FileHeader", header}, {"/Other", "root stream"}, {"/OLD/Data", data}});
  };
  // The count is e + new ones whatever the old digits said; none is inserted.
  for (const auto& [text, patched] :
       {std::pair<std::string, std::string>{"|HEADER=x|CompCount=|W=0", "|HEADER=x|CompCount=2|W=0"},
        {"|HEADER=x|CompCount=99", "|HEADER=x|CompCount=2"},
        // Keys in any case; values in the Windows code page kept byte for byte.
        {"|HEADER=\xE4|%UTF8%HEADER=\xC3\xA4|COMPCOUNT=5", "|HEADER=\xE4|%UTF8%HEADER=\xC3\xA4|COMPCOUNT=2"}}) {
    auto merged = altium::merge_into_schlib(with_header(framed(text)), {symbol("NEW")});
    ASSERT_TRUE(merged) << merged.error().to_string();
    const auto streams = *altium::read_cfb_streams(merged->bytes);
    EXPECT_EQ(header_text(streams), patched + "|LibRef1=NEW|PartCount1=2");
    EXPECT_EQ(streams.at("/Other"), "root stream");
  }

  const std::pair<std::string, std::string> faults[] = {
      {"not a compound file", "open existing SchLib: "},
      {compound_file({{"/OLD/Data", data}}), "existing SchLib has no FileHeader"},
      {with_header("abcd"), "FileHeader too short"},
      {with_header(u32(100) + "|CompCount=1"), "FileHeader bounds"},
      {with_header(framed("|HEADER=x")), "FileHeader has no CompCount"},
  };
  for (const auto& [bytes, message] : faults) {
    auto merged = altium::merge_into_schlib(bytes, {symbol("NEW")});
    ASSERT_FALSE(merged) << message;
    EXPECT_TRUE(merged.error().to_string().starts_with(message)) << merged.error().to_string();
  }
  // With nothing to add the header is never needed.
  const std::string headerless = compound_file({{"/OLD/Data", data}});
  EXPECT_EQ(altium::merge_into_schlib(headerless, {symbol("OLD")})->bytes, headerless);
}

TEST(AddToSchlibCommand, ThreeInputFormsMessagesAndFailures) {
  TempDir dir;
  write_file(dir.file("lib.SchLib"), library({symbol("A")}));
  write_file(dir.file("part.json"), read_file(data_path("consumer/rich.zelt-lbr.json")));
  write_file(dir.file("array.json"), R"([{"name": "A", "pins": []}, {"name": "A B", "pins": []}])");
  write_file(dir.file("one.json"), "{\"name\": \"a b\", \"pins\": []}\n\n");
  write_file(dir.file("bad.json"), R"({"name": "X", "pins": []} trailing)");

  struct Case {
    std::vector<std::string> args;
    int code;
    std::string out, err;
  };
  const std::string dash = " \xE2\x80\x94 ";
  const Case cases[] = {
      {{"lib.SchLib", "part.json"}, 0, "OK: wrote merged.SchLib" + dash + "added 1 symbol(s) into the library\n", ""},
      {{"lib.SchLib", "array.json", "--out", "array.SchLib"},
       0, "OK: wrote array.SchLib" + dash + "added 1 symbol(s) into the library\n", ""},
      {{"array.SchLib", "one.json", "--out", "one.SchLib"},
       0, "OK: wrote one.SchLib" + dash + "added 1 symbol(s) into the library\n",
       "WARN: storage a b is taken; symbol \"a b\" is stored as a b_2\n"},
      {{"lib.SchLib", "bad.json", "--out", "x.SchLib"}, 1, "",
       "ERROR: parse Symbol/ZeltLbrPart: trailing characters at line 1 column 27\n"},
      {{"lib.SchLib", "none.json", "--out", "x.SchLib"}, 1, "",
       "ERROR: read none.json: No such file or directory (os error 2)\n"},
      {{"part.json", "part.json", "--out", "x.SchLib"}, 1, "", "ERROR: open existing SchLib: "},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv{"add-to-schlib"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    auto run = run_cli(argv, {.cwd = dir.path()});
    EXPECT_EQ(run.code, c.code) << c.args[1] << run.err;
    EXPECT_EQ(run.out, c.out);
    if (c.err.empty() || c.err.ends_with('\n')) {
      EXPECT_EQ(run.err, c.err);
    } else {
      EXPECT_TRUE(run.err.starts_with(c.err) && run.err.ends_with('\n')) << run.err;
    }
  }
  EXPECT_FALSE(file_exists(dir.file("x.SchLib")));
  // The whole part's symbol goes in as it is, with no parameters added.
  const auto streams = *altium::read_cfb_streams(read_file(dir.file("merged.SchLib")));
  auto part = part::read_part_file(data_path("consumer/rich.zelt-lbr.json"));
  ASSERT_TRUE(part);
  EXPECT_EQ(streams.at("/RICH-42/Data"), altium::write_component_data(part->symbol));
}

}  // namespace
}  // namespace zelt::test
