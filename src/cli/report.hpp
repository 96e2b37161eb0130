#pragma once
// How commands talk to the user: whole lines with fixed prefixes on fixed
// streams. Each line goes out in one write so lines from different
// processes never interleave mid-line.
#include <string_view>

#include "cli/command_error.hpp"

namespace zelt::cli {

// Writes the text whole to standard output / error; false when the write failed.
bool write_stdout(std::string_view text);
bool write_stderr(std::string_view text);

void print_ok(std::string_view message);          // "OK: "    standard output
void print_error(std::string_view message);       // "ERROR: " standard error
void print_hint_after_error(std::string_view message);    // "Hint: "  standard error
void print_hint_after_success(std::string_view message);  // "Hint: "  standard output
void print_next_step(std::string_view message);   // "HINT: "  standard output
void print_warn(std::string_view message);        // "WARN: "  standard error
void print_fail(std::string_view message);        // "FAIL: "  standard error

// "ERROR: <message>" and, when the error has one, its "Hint: " line, both on
// standard error.
void print_failure(const CommandError& error);

}  // namespace zelt::cli
