#pragma once
// The local component library (one directory per part: N/N.kicad_sym,
// N/N.kicad_mod, N/N.glb) and the resolution of any part to the names of its
// three files, on disk for local parts and from the wiki page's file list
// for the others.
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::manage {

// File names relative to the part: the local directory root/id or the wiki
// page id. A wiki name keeps the wiki's letter case.
struct PartFiles {
  std::optional<std::string> symbol;     // .kicad_sym
  std::optional<std::string> footprint;  // .kicad_mod
  std::optional<std::string> glb;        // binary glTF
};

// Resolutions keyed "source:id", kept until the process ends.
struct PartFilesCache {
  std::mutex lock;
  std::map<std::string, PartFiles, std::less<>> entries;
};

// Ids and sources come from request paths and end up in file names under the
// library root and the temporary folder. One holding "/" or NUL, or being
// "." or "..", would name a place outside them, so it names no part at all.
bool is_safe_part_name(std::string_view name);

// ZELT_LIBRARY, "{home}/project/library", "{home}/project/kordel/library":
// the first that is a directory holding at least one part. Chosen anew on
// every call.
std::optional<std::string> find_library_root();

// The part directories of `dir` (those holding N.kicad_sym or N.kicad_mod),
// in byte order; an unreadable directory has none.
std::vector<std::string> list_local_parts(const std::string& dir);
std::vector<std::string> local_part_names();

// "{id}.{ext}" when root/id/ holds it and its real path lies under the real
// root (a link that leads out of the library counts as no file).
std::optional<std::string> local_part_file(const std::optional<std::string>& root, std::string_view id,
                                           std::string_view ext);

// The bytes of root/id/name under the current library root, when its real
// path lies under the real root.
std::optional<std::string> read_local_part_file(std::string_view id, std::string_view name);

PartFiles resolve_part_files(PartFilesCache& cache, std::string_view source, std::string_view id);

// The KiCad text of kind "sym" (symbol) or "fp" (footprint); any other kind
// takes the 3D model.
std::optional<std::string> fetch_kicad_text(PartFilesCache& cache, std::string_view source, std::string_view id,
                                            std::string_view kind);

}  // namespace zelt::manage
