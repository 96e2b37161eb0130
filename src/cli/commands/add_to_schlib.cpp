#include "altium/schlib_merge.hpp"
#include "base/fs.hpp"
#include "cli/handlers.hpp"
#include "cli/readers.hpp"
#include "cli/report.hpp"

namespace zelt::cli {

int run_add_to_schlib(const AddToSchlibArgs& args) {
  const std::string existing = read_bytes_or_exit(args.existing);
  const std::string text = read_text_or_exit(args.part);
  auto symbols = altium::read_merge_symbols(text);
  if (!symbols) {
    print_error(symbols.error().to_string());
    return 1;
  }
  auto merged = altium::merge_into_schlib(existing, *symbols);
  if (!merged) {
    print_error(merged.error().to_string());
    return 1;
  }
  const std::string path = args.out.value_or("merged.SchLib");
  if (auto written = write_file(path, merged->bytes); !written) {
    print_error("Cannot write " + path + ": " + written.error().to_string());
    return 1;
  }
  // A storage name taken by another entry would have put this symbol's
  // records over another component's; it went to a free name instead.
  for (const auto& renamed : merged->renamed)
    print_warn("storage " + renamed.wanted + " is taken; symbol \"" + renamed.symbol + "\" is stored as " +
               renamed.storage);
  print_ok("wrote " + path + " \xE2\x80\x94 added " + std::to_string(merged->added) + " symbol(s) into the library");
  return 0;
}

}  // namespace zelt::cli
