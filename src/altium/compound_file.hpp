#pragma once
// Compound files (the OLE2 container every Altium library is) read from and
// written to memory through libgsf; this is the only code that talks to it.
// The rest of the Altium codec sees paths ("/Component_0/Data") and byte
// strings.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.hpp"

namespace zelt::altium {

struct CompoundEntry {
  std::string path;  // "/" + names joined by "/"
  bool is_storage = false;
};

// An opened compound file.
class CompoundReader {
 public:
  // Opens a version 3 or 4 file held in `bytes` (copied). The copy's
  // sibling trees are relinked for libgsf's walk and its structure is
  // checked first (validate_compound_file: loops, chains leaving the file
  // or sharing sectors, storages nested too deep for libgsf's recursive
  // walk or too large for its lists), so a hostile file is refused with its
  // reason before libgsf reads it; other errors carry libgsf's reason.
  static Result<CompoundReader> open(std::string_view bytes);

  // Every storage and stream below the root, depth first, a storage before
  // its children, siblings in the directory's own order (shorter names
  // first, then by upper-cased name), so a walk never depends on how the
  // file happened to be laid out.
  std::vector<CompoundEntry> walk() const;

  // The whole stream at `path`; an error when it is missing, is a storage, or
  // cannot be read.
  Result<std::string> read_stream(std::string_view path) const;

  struct Impl;
  CompoundReader(CompoundReader&&) noexcept;
  CompoundReader& operator=(CompoundReader&&) noexcept;
  ~CompoundReader();

 private:
  explicit CompoundReader(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// A compound file built in memory. Storages must be created before the
// streams inside them; each stream is written whole in one call (its bytes
// are kept until the file is finished). Entry names are cut to the format's
// 31 UTF-16 units, and a name that equals a sibling's (ignoring case, after
// the cut) is refused: the directory could not tell the two apart. Each
// storage's children form a balanced red-black tree.
class CompoundWriter {
 public:
  // Version 3: 512-byte sectors and 64-byte mini sectors.
  static Result<CompoundWriter> create();

  // Creates the storage at `path` ("/a" or "/a/b"); its parent must exist.
  Result<void> create_storage(std::string_view path);
  // Creates the stream at `path` inside an existing storage (or the root)
  // holding `bytes`.
  Result<void> write_stream(std::string_view path, std::string_view bytes);
  bool has_storage(std::string_view path) const;
  // True when the parent of `path` already holds an entry (storage or
  // stream) that its name would clash with: the same name ignoring case,
  // after the cut.
  bool has_entry(std::string_view path) const;
  // Writes the file and returns its bytes, once they have been read back
  // and hold every entry and stream byte asked for (an error otherwise);
  // the writer is spent afterwards.
  Result<std::string> finish();

  struct Impl;
  CompoundWriter(CompoundWriter&&) noexcept;
  CompoundWriter& operator=(CompoundWriter&&) noexcept;
  ~CompoundWriter();

 private:
  explicit CompoundWriter(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// write_stream with the error context "create <path>".
Result<void> create_and_write_stream(CompoundWriter& file, std::string_view path, std::string_view bytes);

// Writes a stream at a "/"-separated path, first creating each parent
// storage that does not exist yet (error context "create storage <path>");
// the stream's own failure gets "create stream <path>". Empty path segments
// are skipped.
Result<void> write_stream_at_path(CompoundWriter& file, std::string_view path, std::string_view bytes);

}  // namespace zelt::altium
