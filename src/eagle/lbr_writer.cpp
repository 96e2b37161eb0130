#include "eagle/lbr_writer.hpp"

#include "base/xml_escape.hpp"
#include "eagle/layer_table.hpp"
#include "eagle/lbr_package.hpp"
#include "eagle/lbr_symbol_section.hpp"

namespace zelt::eagle {

namespace {

void append_layers(std::string& out) {
  out += "<layers>\n";
  for (const auto& row : eagle_layer_table()) {
    out += "  <layer number=\"" + std::to_string(row.number) + "\" name=\"";
    out += row.name;
    out += "\" color=\"" + std::to_string(row.color) + "\" fill=\"" + std::to_string(row.fill) + "\" visible=\"";
    out += row.visible ? "yes" : "no";
    out += "\" active=\"yes\"/>\n";
  }
  out += "</layers>\n";
}

}  // namespace

std::string write_lbr(const LbrSymbol& symbol, std::optional<std::string_view> footprint_text,
                      const std::optional<SymbolArt>& art, double art_scale) {
  std::string out;
  out.reserve(8192);
  out += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<!DOCTYPE eagle SYSTEM \"eagle.dtd\">\n"
         "<eagle version=\"9.6.2\">\n"
         "<drawing>\n"
         "<settings><setting alwaysvectorfont=\"no\"/></settings>\n"
         "<grid distance=\"0.1\" unitdist=\"inch\" unit=\"inch\" style=\"lines\" multiple=\"1\" display=\"no\" "
         "altdistance=\"0.01\" altunitdist=\"inch\" altunit=\"inch\"/>\n";
  append_layers(out);
  out += "<library>\n<description>";
  append_xml_escaped(out, symbol.description);
  out += "</description>\n<packages>\n<package name=\"";
  append_xml_escaped(out, symbol.name);
  out += "\">\n";
  append_package_body(out, symbol, footprint_text);
  out += "</package>\n</packages>\n";
  append_symbol_and_deviceset(out, symbol, art, art_scale);
  out += "</library>\n</drawing>\n</eagle>";
  return out;
}

}  // namespace zelt::eagle
