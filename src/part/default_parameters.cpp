#include "part/default_parameters.hpp"

#include <string>

#include "base/text.hpp"

namespace zelt::part {

Symbol clone_symbol(const Symbol& symbol) { return symbol; }

void add_default_parameters(Symbol& symbol, const ZeltLbrPart& part) {
  struct Default {
    std::string_view name;
    const std::string ZeltLbrPart::*value;
    bool visible;
  };
  static constexpr Default kDefaults[] = {
      {"Value", &ZeltLbrPart::value, true},
      {"Manufacturer", &ZeltLbrPart::manufacturer, false},
      {"Manufacturer Part Number", &ZeltLbrPart::mpn, false},
      {"Package", &ZeltLbrPart::package, false},
  };
  for (const auto& entry : kDefaults) {
    push_parameter_if_absent(symbol.parameters, entry.name, part.*entry.value, entry.visible);
  }
}

void push_parameter_if_absent(std::vector<Parameter>& parameters, std::string_view name, std::string_view value,
                              bool visible) {
  if (value.empty()) return;
  for (const auto& parameter : parameters) {
    if (ascii_iequals(parameter.name, name)) return;
  }
  parameters.push_back(Parameter{std::string(name), std::string(value), visible});
}

}  // namespace zelt::part
