// Desktop delivery through a fake zelt-desktop on PATH (tests/data/serve/bin),
// which records its calls and answers what each case sets.
#include "deliver/delivery.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "base/json_text.hpp"
#include "eagle/lbr_reader.hpp"
#include "eagle/lbr_to_kicad_sym.hpp"
#include "support/run_cli.hpp"

namespace zelt::deliver {
namespace {

const std::string kLbr =
    R"(<packages><package name="P"><smd name="1"/></package></packages>)"
    R"(<symbols><symbol name="S"><pin name="A" x="0" y="0" length="short" direction="io"/></symbol></symbols>)"
    R"(<devicesets><deviceset name="My Lib/A" prefix="U"></deviceset></devicesets>)";

// Sets the environment for one test and puts it back afterwards.
class DeliveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"PATH", "TMPDIR", "FAKE_DESKTOP_LOG", "FAKE_DESKTOP_SEND_REPLY", "FAKE_DESKTOP_REPLY",
                             "FAKE_DESKTOP_EXIT"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      if (std::string_view(name).starts_with("FAKE_DESKTOP_")) ::unsetenv(name);
    }
    set("PATH", test::data_path("serve/bin") + ":" + saved_[0].second.value_or("/usr/bin:/bin"));
    set("TMPDIR", dir_.path());
    set("FAKE_DESKTOP_LOG", dir_.file("calls.log"));
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }
  static void set(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }
  std::string calls() const {
    return test::file_exists(dir_.file("calls.log")) ? test::read_file(dir_.file("calls.log")) : "";
  }

  test::TempDir dir_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(DeliveryStem, KeepsTheNameInsideTheFolderAndOffTheCommandLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"My Lib/A", "My_Lib_A"}, {"..", "_."},          {"../../etc/x", "_._.._etc_x"},
      {"-rf", "_rf"},           {std::string("a\0b", 3), "a_b"}, {"a\tb\n", "a_b_"},
      {"", "library"},          {"R\xc3\xa9gulateur", "R\xc3\xa9gulateur"},
  };
  for (const auto& [name, stem] : cases) EXPECT_EQ(delivery_stem(name), stem) << name;
}

TEST_F(DeliveryTest, KicadWritesTheSymbolThenSendsAndInstallsIt) {
  const std::string path = delivery_folder() + "/My_Lib_A.kicad_sym";
  EXPECT_EQ(delivery_folder(), dir_.path() + "/zelt-lbr-deliver-" + std::to_string(::getpid()));
  EXPECT_EQ(deliver_library("kicad", "My Lib/A", kLbr),
            nlohmann::json::parse(R"({"message":"Delivered symbol to KiCad.","ok":true,"target":"KiCad"})"));
  EXPECT_EQ(calls(), "send_files {\"destinationFolder\":\"symbols\",\"filePaths\":[\"" + path +
                         "\"],\"targetApp\":\"kicad\"}\n"
                         "kicad_install_library {\"libraryName\":\"My Lib/A\",\"libraryPath\":\"" + path +
                         "\",\"libraryType\":\"symbol\"}\n");
  EXPECT_EQ(test::read_file(path), eagle::write_kicad_sym_from_lbr(*eagle::lbr_to_symbol(kLbr)));
}

TEST_F(DeliveryTest, FusionOpensWhereTheFileWasSent) {
  const std::string local = delivery_folder() + "/My_Lib_A.lbr";
  set("FAKE_DESKTOP_SEND_REPLY", R"({"ok":true,"destinationPaths":["C:/Users/me/My_Lib_A.lbr"]})");
  const auto delivered =
      nlohmann::json::parse(R"({"message":"Delivered library (.lbr) to Fusion 360.","ok":true,"target":"Fusion 360"})");
  EXPECT_EQ(deliver_library("fusion360", "My Lib/A", kLbr), delivered);
  ::unsetenv("FAKE_DESKTOP_SEND_REPLY");
  EXPECT_EQ(deliver_library("fusion", "My Lib/A", kLbr), delivered);
  EXPECT_EQ(calls(), "send_files {\"destinationFolder\":\"fusion\",\"filePaths\":[\"" + local +
                         "\"],\"targetApp\":\"fusion360\"}\n"
                         "fusion_open_lbr {\"filePath\":\"C:/Users/me/My_Lib_A.lbr\"}\n"
                         "send_files {\"destinationFolder\":\"fusion\",\"filePaths\":[\"" + local +
                         "\"],\"targetApp\":\"fusion360\"}\n"
                         "fusion_open_lbr {\"filePath\":\"" + local + "\"}\n");
  EXPECT_EQ(test::read_file(local), kLbr);
}

TEST_F(DeliveryTest, FailedCallsDecideTheReply) {
  const std::string offline =
      R"({"message":"File generated, but Zelt Desktop isn't connected to KiCad. Open Zelt Desktop on your laptop and try again.","offline":true,"ok":false,"target":"KiCad"})";
  struct Case {
    const char* send_reply;
    const char* exit_code;
    std::string expected;
  };
  const Case cases[] = {
      {R"({"ok":true,"bridgeConnected":false})", "0", offline},
      {R"({"status":"Request TimeOut"})", "0", offline},
      {"Desktop NOT CONNECTED", "0", offline},  // not JSON: wrapped, then read
      {R"({"ok":false,"error":"disk full"})", "0",
       R"({"error":"disk full","offline":false,"ok":false,"target":"KiCad"})"},
      {"boom", "3",
       R"({"error":"zelt-desktop reported a failure: {\"ok\":false,\"raw\":\"boom\"}","offline":false,"ok":false,"target":"KiCad"})"},
      {R"({"ok":true,"bridgeConnected":true})", "0",
       R"({"message":"Delivered symbol to KiCad.","ok":true,"target":"KiCad"})"},
  };
  for (const auto& c : cases) {
    set("FAKE_DESKTOP_SEND_REPLY", c.send_reply);
    set("FAKE_DESKTOP_EXIT", c.exit_code);
    EXPECT_EQ(deliver_library("kicad", "My Lib/A", kLbr), nlohmann::json::parse(c.expected)) << c.send_reply;
  }
  set("PATH", dir_.path());  // no zelt-desktop at all
  EXPECT_EQ(deliver_library("kicad", "X", kLbr),
            nlohmann::json::parse(R"j({"error":"zelt-desktop unreachable: No such file or directory (os error 2)",)j"
                                  R"("offline":true,"ok":false,"target":"KiCad"})"));
}

TEST_F(DeliveryTest, TargetsWithoutABridgeAndRefusals) {
  const std::string file = delivery_folder() + "/_x.lbr";
  EXPECT_EQ(compact_json(deliver_library("orcad", "-x", kLbr)),
            R"({"contribute":"https://wiki.zelt-lbr.invalid/zelt/zelt-desktop","file":")" + file +
                R"(","message":"Your EAGLE .lbr for OrCAD is built and saved — but the OrCAD ↔ Zelt Desktop )"
                R"(bridge isn't built yet. Want OrCAD connectivity in the Zelt ecosystem? Be the one to build the )"
                R"(bridge and contribute it on the wiki.","needsBridge":true,"ok":false,"target":"OrCAD"})");
  EXPECT_EQ(test::read_file(file), kLbr);
  EXPECT_EQ(deliver_library("altium", "x", kLbr)["target"], "Altium");

  const std::pair<std::string, std::string> refusals[] = {
      {"Altium", R"({"error":"unknown target Altium","ok":false})"},
      {"", R"({"error":"unknown target ","ok":false})"},
  };
  for (const auto& [target, reply] : refusals) EXPECT_EQ(compact_json(deliver_library(target, "x", kLbr)), reply);
  EXPECT_EQ(compact_json(deliver_library("kicad", "x", "")), R"({"error":"no library loaded","ok":false})");
  EXPECT_EQ(compact_json(deliver_library("kicad", "x", "<packages/>")),
            R"({"error":"could not convert .lbr for KiCad: Cannot find <symbol name=\"...\"> in .lbr","ok":false})");
  EXPECT_EQ(calls(), "");
}

TEST_F(DeliveryTest, AFolderThatIsNotOursIsNotWrittenInto) {
  const std::string elsewhere = dir_.file("elsewhere");
  std::filesystem::create_directory(elsewhere);
  std::filesystem::create_directory_symlink(elsewhere, delivery_folder());
  EXPECT_EQ(compact_json(deliver_library("fusion360", "x", kLbr)), R"({"error":"could not write temp .lbr","ok":false})");
  EXPECT_EQ(compact_json(deliver_library("kicad", "x", kLbr)), R"({"error":"could not write temp symbol","ok":false})");
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
  EXPECT_EQ(calls(), "");
}

}  // namespace
}  // namespace zelt::deliver
