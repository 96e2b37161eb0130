#include <string>

#include "base/fs.hpp"
#include "cli/handlers.hpp"
#include "cli/report.hpp"
#include "embed/chip_files.hpp"
#include "embed/embed_page.hpp"

namespace zelt::cli {

CommandResult<int> run_embed(const EmbedArgs& args) {
  const auto mpn = embed::chip_part_number(args.dir);
  if (!mpn) return Error("bad --dir");
  const embed::EmbedPage page = embed::build_embed_page(embed::read_chip_files(args.dir, *mpn));
  const std::string output = args.out ? *args.out : join_path(args.dir, *mpn + "-lbr-embed.html");
  if (auto written = write_file(output, page.html); !written) {
    return CommandError::write_failed(output, written.error());
  }
  print_ok("3-column interactive embed (" + std::to_string(page.pin_count) + " pins) \u2192 " + output);
  return 0;
}

}  // namespace zelt::cli
