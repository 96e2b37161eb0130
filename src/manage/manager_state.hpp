#pragma once
// What the manager keeps between requests: the wiki client's caches and the
// resolved part files, each behind its own lock, filled on first use and
// never cleared while the server runs.
#include "manage/local_library.hpp"
#include "manage/wiki_client.hpp"

namespace zelt::manage {

struct ManagerState {
  WikiCaches wiki;
  PartFilesCache files;
};

}  // namespace zelt::manage
