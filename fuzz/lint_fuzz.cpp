// Any text through the lint: it must never crash, hang or leak, and its
// verdict must agree with its error list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/text.hpp"
#include "eagle/lint.hpp"
#include "eagle/lint_report.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // The commands read libraries as UTF-8 text.
  if (!zelt::is_valid_utf8(text)) return 0;
  auto result = zelt::eagle::lint_lbr(text);
  if (result.passed != result.errors.empty()) std::abort();
  (void)zelt::eagle::lint_report_json(result);
  return 0;
}
