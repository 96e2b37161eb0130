#include "manage/local_library.hpp"

#include "manage/fake_world.hpp"

namespace zelt::test {
namespace {

using manage::PartFiles;

using LocalLibrary = ManagerWorld;

TEST_F(LocalLibrary, RootIsTheFirstCandidateHoldingPartsChosenOnEveryCall) {
  local_part("H", {{"kicad_sym", ""}}, "home/project/kordel/library");
  EXPECT_EQ(manage::find_library_root(), dir.file("home/project/kordel/library"));
  local_part("G", {{"kicad_mod", ""}}, "home/project/library");
  EXPECT_EQ(manage::find_library_root(), dir.file("home/project/library"));  // ZELT_LIBRARY is still empty
  local_part("L", {{"kicad_sym", ""}});
  EXPECT_EQ(manage::find_library_root(), dir.file("library"));
  ::unsetenv("HOME");
  ::unsetenv("ZELT_LIBRARY");
  EXPECT_NE(manage::find_library_root(), dir.file("library"));
}

TEST_F(LocalLibrary, PartsAreDirectoriesWithASymbolOrFootprintInByteOrder) {
  local_part("a", {{"kicad_sym", ""}});
  local_part("B", {{"kicad_mod", ""}});
  local_part("only-model", {{"glb", ""}});
  local_part("c", {{"kicad_sym", ""}, {"kicad_mod", ""}, {"glb", ""}});
  write_file(dir.file("library/plain.kicad_sym"), "");
  std::filesystem::create_directory_symlink(dir.file("library/c"), dir.file("library/c-link"));
  EXPECT_EQ(manage::list_local_parts(dir.file("library")), (std::vector<std::string>{"B", "a", "c"}));
  EXPECT_EQ(manage::local_part_names(), (std::vector<std::string>{"B", "a", "c"}));
  EXPECT_TRUE(manage::list_local_parts(dir.file("nowhere")).empty());
}

TEST_F(LocalLibrary, LargeLibrariesAreCheckedInChunksWithTheSameResult) {
  std::vector<std::string> expected;
  for (int i = 0; i < 2100; ++i) {
    const std::string name = "N" + std::to_string(10000 + i);
    if (i % 3 == 0) {
      std::filesystem::create_directory(dir.file("library/" + name));
    } else {
      local_part(name, {{i % 3 == 1 ? "kicad_sym" : "kicad_mod", ""}});
      expected.push_back(name);
    }
  }
  EXPECT_EQ(manage::list_local_parts(dir.file("library")), expected);
}

TEST_F(LocalLibrary, LocalFilesResolveOnDiskAndStayCached) {
  local_part("c", {{"kicad_sym", "S"}, {"glb", "G"}});
  const PartFiles files = manage::resolve_part_files(state.files, "local", "c");
  EXPECT_EQ(files.symbol, "c.kicad_sym");
  EXPECT_EQ(files.footprint, std::nullopt);
  EXPECT_EQ(files.glb, "c.glb");
  write_file(dir.file("library/c/c.kicad_mod"), "F");
  EXPECT_EQ(manage::resolve_part_files(state.files, "local", "c").footprint, std::nullopt);
  EXPECT_EQ(manage::fetch_kicad_text(state.files, "local", "c", "sym"), "S");
  EXPECT_EQ(manage::fetch_kicad_text(state.files, "local", "c", "fp"), std::nullopt);
}

TEST_F(LocalLibrary, WikiFilesTakeTheFirstOfEachKindSkippingOtherCadCopies) {
  reply("/api/v1/pages/x/files",
        R"({"files":[{"name":"X.altium.kicad_sym"},{"size":1},{"name":"X.KICAD_SYM"},{"name":"y.kicad_sym"},)"
        R"({"name":"X.Fusion.kicad_mod"},{"name":"x.kicad_mod"},{"name":"m.GLB"},{"name":"n.glb"}]})");
  reply("/api/v1/pages/x/files/X.KICAD_SYM", "(kicad_symbol_lib)");
  const PartFiles files = manage::resolve_part_files(state.files, "wiki", "x");
  EXPECT_EQ(files.symbol, "X.KICAD_SYM");
  EXPECT_EQ(files.footprint, "x.kicad_mod");
  EXPECT_EQ(files.glb, "m.GLB");
  EXPECT_EQ(manage::fetch_kicad_text(state.files, "wiki", "x", "sym"), "(kicad_symbol_lib)");
  // The listing was fetched once; a failed listing is cached too, and so is
  // one nested too deeply to read.
  for (const char* id : {"gone", "gone"}) EXPECT_FALSE(manage::resolve_part_files(state.files, "any", id).symbol);
  reply("/api/v1/pages/deep/files", std::string(100000, '[') + std::string(100000, ']'));
  EXPECT_FALSE(manage::resolve_part_files(state.files, "wiki", "deep").symbol);
  EXPECT_EQ(calls("curl"), (std::vector<std::string>{curl_args("/api/v1/pages/x/files"),
                                                     curl_args("/api/v1/pages/x/files/X.KICAD_SYM"),
                                                     curl_args("/api/v1/pages/gone/files"),
                                                     curl_args("/api/v1/pages/deep/files")}));
}

TEST_F(LocalLibrary, IdsThatWouldLeaveTheLibraryNameNoPart) {
  // A part beside the library root and one inside it that "../" could reach.
  local_part("in", {{"kicad_sym", "S"}});
  write_file(dir.file("outside.kicad_sym"), "secret");
  for (const std::string& id : std::vector<std::string>{"..", ".", "../outside", "in/../in", std::string("in\0x", 4)}) {
    const PartFiles files = manage::resolve_part_files(state.files, "local", id);
    EXPECT_FALSE(files.symbol || files.footprint || files.glb) << id;
    EXPECT_EQ(manage::read_local_part_file(id, "outside.kicad_sym"), std::nullopt) << id;
    EXPECT_EQ(manage::resolve_part_files(state.files, "wiki", id).symbol, std::nullopt) << id;
  }
  EXPECT_EQ(manage::read_local_part_file("in", "../../outside.kicad_sym"), std::nullopt);
  EXPECT_EQ(manage::read_local_part_file("in", "in.kicad_sym"), "S");
}

}  // namespace
}  // namespace zelt::test
