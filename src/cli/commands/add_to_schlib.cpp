#include "altium/schlib_merge.hpp"
#include "base/fs.hpp"
#include "cli/handlers.hpp"
#include "cli/readers.hpp"
#include "cli/report.hpp"

namespace zelt::cli {

CommandResult<int> run_add_to_schlib(const AddToSchlibArgs& args) {
  auto existing_read = read_input_bytes(args.existing);
  if (!existing_read) return existing_read.error();
  const std::string existing = std::move(*existing_read);
  auto text_read = read_input_text(args.part);
  if (!text_read) return text_read.error();
  const std::string text = std::move(*text_read);
  auto symbols = altium::read_merge_symbols(text);
  if (!symbols) return symbols.error();
  auto merged = altium::merge_into_schlib(existing, *symbols);
  if (!merged) return merged.error();
  const std::string path = args.out.value_or("merged.SchLib");
  if (auto written = write_file(path, merged->bytes); !written) {
    return CommandError::cannot_write(path, written.error());
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
