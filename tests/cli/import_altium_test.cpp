// `import-altium` on its three roads (.SchLib with its .PcbLib, .PcbLib with
// --schlib, .IntLib) and its failures, as a user runs it.
#include <gtest/gtest.h>

#include "altium/intlib_stream.hpp"
#include "support/altium_records.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

using namespace altium_records;

const std::string kSchLib = schlib_file(
    text_record("|RECORD=1|LibReference=AB/1") + pin_record(0x1A, 30, 30, 0, "IN", "1") +
        text_record("|RECORD=14|Location.X=0|Location.Y=-5|Corner.X=20|Corner.Y=5|LineWidth=1|IsSolid=T") +
        pin_record(0x18, 16, 10, 20, "OUT", "2") + text_record("|RECORD=34|Text=R?") +
        text_record("|RECORD=41|Name=Value|Text=1k"),
    "AB_1");
const std::string kPcbLib =
    pcblib_file(pcb_data("R0603", pad_record("1", -500000, 0, 250000, 500000, 0, 9, 0.0) +
                                      pad_record("2", 500000, 0, 250000, 500000, 0, 9, 0.0) +
                                      track_record(33, -500000, 250000, 500000, 250000, 25000)),
                "R0603");
const std::string kOk = "\xE2\x80\x94 2 pins, 2 pads, 1 footprint graphics\n";

TEST(ImportAltiumCommand, ThreeRoadsGiveTheSamePart) {
  TempDir dir;
  const std::string golden = read_file(data_path("altium/small_part.zelt-lbr.json"));
  write_file(dir.file("x.schlib"), kSchLib);
  write_file(dir.file("x.PcbLib"), kPcbLib);  // found beside the .schlib
  write_file(dir.file("Y.PCBLIB"), kPcbLib);
  write_file(dir.file("y.SchLib"), kSchLib);
  write_file(dir.file("z.IntLib"), compound_file({{"/SchLib/0.schlib", *altium::zlib_compress(kSchLib)},
                                                  {"/PCBLib/0.pcblib", *altium::zlib_compress(kPcbLib)}}));

  auto run = run_cli({"import-altium", "x.schlib"}, {.cwd = dir.path()});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "OK: wrote AB_1.zelt-lbr.json " + kOk);  // the '/' of the name cannot leave the folder
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_file(dir.file("AB_1.zelt-lbr.json")), golden);

  for (const std::vector<std::string>& args : {std::vector<std::string>{"Y.PCBLIB", "--schlib", "y.SchLib"},
                                              {"z.IntLib"}, {"y.SchLib", "--pcblib", "Y.PCBLIB"}}) {
    std::vector<std::string> argv = {"import-altium", "--out", "out.json"};
    argv.insert(argv.end(), args.begin(), args.end());
    run = run_cli(argv, {.cwd = dir.path()});
    EXPECT_EQ(run.code, 0) << args[0] << run.err;
    EXPECT_EQ(run.out, "OK: wrote out.json " + kOk) << args[0];
    EXPECT_EQ(read_file(dir.file("out.json")), golden) << args[0];
  }

  // A .SchLib without a sibling; a .PcbLib alone named by --mpn.
  run = run_cli({"import-altium", "y.SchLib", "--mpn", "M"}, {.cwd = dir.path()});
  EXPECT_EQ(run.out, "OK: wrote M.zelt-lbr.json \xE2\x80\x94 2 pins, 0 pads, 0 footprint graphics\n");
  EXPECT_NE(read_file(dir.file("M.zelt-lbr.json")).find("\"footprint\": {\n    \"name\": \"M\",\n    \"pads\": []"),
            std::string::npos);
  run = run_cli({"import-altium", "Y.PCBLIB"}, {.cwd = dir.path()});
  EXPECT_EQ(run.out, "OK: wrote part.zelt-lbr.json \xE2\x80\x94 0 pins, 2 pads, 1 footprint graphics\n");
}

TEST(ImportAltiumCommand, FailuresNameTheirCause) {
  TempDir dir;
  write_file(dir.file("text.SchLib"), "not a library");
  write_file(dir.file("text.IntLib"), "not a library");
  write_file(dir.file("short.PcbLib"), pcblib_file(std::string("\x01\x00", 2)));
  write_file(dir.file("ok.SchLib"), kSchLib);
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"missing.SchLib"}, "ERROR: read missing.SchLib: No such file or directory (os error 2)\n"},
      {{"ok.SchLib", "--pcblib", "none.PcbLib"}, "ERROR: read none.PcbLib: No such file or directory (os error 2)\n"},
      {{"short.PcbLib"}, "ERROR: PcbLib component Data stream is 2 bytes, too short for its header length\n"},
      {{"ok.SchLib", "--out", "no/such/dir.json"},
       "ERROR: Cannot write no/such/dir.json: No such file or directory (os error 2)\n"},
      {{"text.SchLib"}, "ERROR: open CFBF: "},
      {{"text.IntLib"}, "ERROR: open IntLib: "},
  };
  for (const auto& [args, message] : cases) {
    std::vector<std::string> argv = {"import-altium"};
    argv.insert(argv.end(), args.begin(), args.end());
    auto run = run_cli(argv, {.cwd = dir.path()});
    EXPECT_EQ(run.code, 1) << args[0];
    EXPECT_EQ(run.out, "") << args[0];
    if (message.ends_with('\n')) {
      EXPECT_EQ(run.err, message);
    } else {
      EXPECT_TRUE(run.err.starts_with(message) && run.err.ends_with("\n")) << run.err;
    }
  }
}

TEST(ImportAltiumCommand, DamagedContainerShowsNoLibraryChatter) {
  // Unknown entry types are refused before the container library reads the
  // file; a stream with a child link it reads, complaining through GLib's
  // log, which must stay quiet.
  const std::size_t directory = (static_cast<std::size_t>(static_cast<unsigned char>(kSchLib[0x30])) + 1) * 512;
  const std::pair<std::function<void(std::string&, std::size_t)>, std::string> cases[] = {
      {[](std::string& f, std::size_t entry) { f[entry + 66] = '\xFF'; },
       "ERROR: open CFBF: a directory entry has the unknown type 255\n"},
      {[](std::string& f, std::size_t entry) {
         if (f[entry + 66] == 2) f.replace(entry + 76, 4, std::string(4, '\0'));
       },
       ""},
  };
  for (const auto& [bend, error] : cases) {
    std::string damaged = kSchLib;
    for (std::size_t entry = 1; entry < 4; ++entry) bend(damaged, directory + entry * 128);
    TempDir dir;
    write_file(dir.file("damaged.SchLib"), damaged);
    auto run = run_cli({"import-altium", "damaged.SchLib"}, {.cwd = dir.path()});
    EXPECT_EQ(run.code, error.empty() ? 0 : 1);
    EXPECT_EQ(run.err, error);
  }
}

}  // namespace
}  // namespace zelt::test
