#pragma once
// A compound file seen as its streams, and the choice of the one component
// Data stream a library import reads.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "altium/compound_file.hpp"
#include "base/error.hpp"

namespace zelt::altium {

// Full stream path ("/Component_0/Data") to its bytes, paths in plain byte
// order.
using CfbStreams = std::map<std::string, std::string>;

// Every stream of an opened compound file as (path, bytes), in the order of
// its directory walk. A stream that cannot be read fails the whole call.
using StreamList = std::vector<std::pair<std::string, std::string>>;
Result<StreamList> read_stream_list(const CompoundReader& file);

// Every stream of the compound file in `bytes`, read whole. A file that does
// not open fails with the context "open CFBF"; a stream that cannot be read
// fails the whole call.
Result<CfbStreams> read_cfb_streams(std::string_view bytes);

enum class LibraryKind { SchLib, PcbLib };

struct DataStream {
  std::string_view path;
  std::string_view bytes;
  std::string name;  // the component's storage: the path's first segment
};

// The first stream, in path order, whose path ends with "/Data" and has no
// library-level segment ("FileHeader", "Storage" in a .SchLib; "Library",
// "FileVersionInfo", "FileHeader" in a .PcbLib). Whole segments are compared,
// so a component named "MyStorage" or "LibraryParts" is still found.
std::optional<DataStream> choose_data_stream(const CfbStreams& streams, LibraryKind kind);

// Every stream choose_data_stream would consider, in path order.
std::vector<DataStream> component_data_streams(const CfbStreams& streams, LibraryKind kind);

}  // namespace zelt::altium
