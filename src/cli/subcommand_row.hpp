#pragma once
// What one row of the subcommand table is made of. An argument ties its
// command-line form to a field of the handler's argument record; the row ties
// the arguments to the handler, so that a subcommand is declared, parsed and
// dispatched from the same few lines.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli_definition.hpp"

namespace zelt::cli {

// Stores a parsed value in a field of the matching type. Texts and paths are
// kept as given; numbers, ports and shell names are converted (their
// validators have accepted them already). A value that is absent although the
// field cannot be, which CLI11's own checks rule out, leaves it empty or zero.
void store_value(std::string& field, const std::optional<std::string>& value);
void store_value(std::optional<std::string>& field, const std::optional<std::string>& value);
void store_value(double& field, const std::optional<std::string>& value);
void store_value(std::uint16_t& field, const std::optional<std::string>& value);
void store_value(Shell& field, const std::optional<std::string>& value);

template <class Args>
struct ArgField {
  ArgSpec spec;
  std::function<void(Args&, const std::optional<std::string>&)> store;
};

template <class Args, class Field>
ArgField<Args> positional(std::string_view id, Field Args::*field, std::string_view value_name, std::string_view help,
                          ValueType type = ValueType::Path) {
  return {ArgSpec{id, true, 0, {}, value_name, type, true, std::nullopt, help},
          [field](Args& args, const std::optional<std::string>& value) { store_value(args.*field, value); }};
}

template <class Args, class Field>
ArgField<Args> option(std::string_view id, Field Args::*field, char short_name, std::string_view long_name,
                      std::string_view value_name, std::string_view help, ValueType type = ValueType::Path,
                      bool required = false, std::optional<std::string_view> default_value = std::nullopt) {
  return {ArgSpec{id, false, short_name, long_name, value_name, type, required, default_value, help},
          [field](Args& args, const std::optional<std::string>& value) { store_value(args.*field, value); }};
}

// One row: name, about text, arguments in declaration order, handler.
template <class Args>
SubcommandSpec subcommand(std::string_view name, std::string_view about, std::vector<ArgField<Args>> fields,
                          CommandResult<int> (*handler)(const Args&)) {
  SubcommandSpec spec{name, about, {}, {}};
  std::vector<std::function<void(Args&, const std::optional<std::string>&)>> stores;
  for (ArgField<Args>& field : fields) {
    spec.args.push_back(field.spec);
    stores.push_back(std::move(field.store));
  }
  spec.bind = [handler, stores = std::move(stores)](const ArgValues& values) -> Command {
    Args args{};
    for (std::size_t i = 0; i < stores.size() && i < values.size(); ++i) stores[i](args, values[i]);
    return [handler, args = std::move(args)] { return handler(args); };
  };
  return spec;
}

}  // namespace zelt::cli
