#pragma once

namespace zelt {

// Whether text written to `fd` should carry ANSI colours, by the usual rules:
// NO_COLOR turns colour off, CLICOLOR_FORCE turns it on, CLICOLOR=0 turns it
// off; otherwise only a terminal gets colour, and only when TERM names a
// colour terminal, CLICOLOR is set, or CI is set.
bool color_enabled(int fd);

}  // namespace zelt
