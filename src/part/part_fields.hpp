#pragma once
// The one declaration of every part record's JSON form: its keys in field
// order, which are required, and the tags of the tagged items. The reader and
// the pretty writer both walk these tables, so a field added here is read and
// written without touching either.
#include <array>
#include <cstddef>
#include <optional>
#include <vector>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>

#include "part/part.hpp"

namespace zelt::part::fields {

enum class Need : unsigned char {
  required,            // missing key is an error
  defaulted,           // missing key keeps the member's initial value
  left_out_when_absent,  // defaulted; the writer drops the key when absent
};

template <class R, class M>
struct Field {
  std::string_view key;
  M R::*member;
  Need need;
};

template <class R, class M>
constexpr Field<R, M> required(std::string_view key, M R::*member) {
  return {key, member, Need::required};
}
template <class R, class M>
constexpr Field<R, M> defaulted(std::string_view key, M R::*member) {
  return {key, member, Need::defaulted};
}
template <class R, class M>
constexpr Field<R, M> left_out_when_absent(std::string_view key, M R::*member) {
  return {key, member, Need::left_out_when_absent};
}

// How the record names itself in messages: "struct Pin",
// "struct variant Graphic::Rect", "unit variant FpLayer::Silk".
enum class Kind : unsigned char { plain, struct_variant, unit_variant };

template <class R>
struct Record;  // specialised for every record type below

template <>
struct Record<ZeltLbrPart> {
  static constexpr Kind kind = Kind::plain;
  static constexpr std::string_view name = "ZeltLbrPart";
  static constexpr auto list = std::tuple{
      required("schema_version", &ZeltLbrPart::schema_version),
      required("mpn", &ZeltLbrPart::mpn),
      defaulted("manufacturer", &ZeltLbrPart::manufacturer),
      defaulted("package", &ZeltLbrPart::package),
      defaulted("value", &ZeltLbrPart::value),
      defaulted("category", &ZeltLbrPart::category),
      required("symbol", &ZeltLbrPart::symbol),
      required("footprint", &ZeltLbrPart::footprint),
      defaulted("connect", &ZeltLbrPart::connect),
      left_out_when_absent("model_3d", &ZeltLbrPart::model_3d),
      left_out_when_absent("provenance", &ZeltLbrPart::provenance),
  };
};

template <>
struct Record<Symbol> {
  static constexpr Kind kind = Kind::plain;
  static constexpr std::string_view name = "Symbol";
  static constexpr auto list = std::tuple{
      required("name", &Symbol::name),
      required("pins", &Symbol::pins),
      defaulted("body", &Symbol::body),
      defaulted("graphics", &Symbol::graphics),
      defaulted("designator_prefix", &Symbol::designator_prefix),
      defaulted("footprint", &Symbol::footprint),
      defaulted("parameters", &Symbol::parameters),
      defaulted("pin_numbers_hidden", &Symbol::pin_numbers_hidden),
      defaulted("pin_names_hidden", &Symbol::pin_names_hidden),
  };
};

template <>
struct Record<Pin> {
  static constexpr Kind kind = Kind::plain;
  static constexpr std::string_view name = "Pin";
  static constexpr auto list = std::tuple{
      required("number", &Pin::number), required("name", &Pin::name),
      required("x", &Pin::x),           required("y", &Pin::y),
      defaulted("length", &Pin::length), defaulted("rotation", &Pin::rotation),
  };
};

template <>
struct Record<BodyRect> {
  static constexpr Kind kind = Kind::plain;
  static constexpr std::string_view name = "BodyRect";
  static constexpr auto list = std::tuple{
      required("x1", &BodyRect::x1), required("y1", &BodyRect::y1),
      required("x2", &BodyRect::x2), required("y2", &BodyRect::y2),
  };
};

template <>
struct Record<Parameter> {
  static constexpr Kind kind = Kind::plain;
  static constexpr std::string_view name = "Parameter";
  static constexpr auto list = std::tuple{
      required("name", &Parameter::name),
      required("value", &Parameter::value),
      defaulted("visible", &Parameter::visible),
  };
};

template <>
struct Record<ConnectEntry> {
  static constexpr Kind kind = Kind::plain;
  static constexpr std::string_view name = "ConnectEntry";
  static constexpr auto list = std::tuple{
      required("pin", &ConnectEntry::pin),
      required("pad", &ConnectEntry::pad),
  };
};

template <>
struct Record<GraphicPolyline> {
  static constexpr Kind kind = Kind::struct_variant;
  static constexpr std::string_view name = "Graphic::Polyline";
  static constexpr auto list = std::tuple{
      required("points", &GraphicPolyline::points),
      defaulted("width", &GraphicPolyline::width),
  };
};

template <>
struct Record<GraphicRect> {
  static constexpr Kind kind = Kind::struct_variant;
  static constexpr std::string_view name = "Graphic::Rect";
  static constexpr auto list = std::tuple{
      required("x1", &GraphicRect::x1),        required("y1", &GraphicRect::y1),
      required("x2", &GraphicRect::x2),        required("y2", &GraphicRect::y2),
      defaulted("width", &GraphicRect::width), defaulted("filled", &GraphicRect::filled),
  };
};

template <>
struct Record<GraphicCircle> {
  static constexpr Kind kind = Kind::struct_variant;
  static constexpr std::string_view name = "Graphic::Circle";
  static constexpr auto list = std::tuple{
      required("cx", &GraphicCircle::cx), required("cy", &GraphicCircle::cy),
      required("r", &GraphicCircle::r),   defaulted("width", &GraphicCircle::width),
  };
};

template <>
struct Record<GraphicArc> {
  static constexpr Kind kind = Kind::struct_variant;
  static constexpr std::string_view name = "Graphic::Arc";
  static constexpr auto list = std::tuple{
      required("cx", &GraphicArc::cx),       required("cy", &GraphicArc::cy),
      required("r", &GraphicArc::r),         required("start", &GraphicArc::start),
      required("end", &GraphicArc::end),     defaulted("width", &GraphicArc::width),
  };
};

template <>
struct Record<Footprint> {
  static constexpr Kind kind = Kind::plain;
  static constexpr std::string_view name = "Footprint";
  static constexpr auto list = std::tuple{
      required("name", &Footprint::name),
      required("pads", &Footprint::pads),
      defaulted("graphics", &Footprint::graphics),
  };
};

template <>
struct Record<Pad> {
  static constexpr Kind kind = Kind::plain;
  static constexpr std::string_view name = "Pad";
  static constexpr auto list = std::tuple{
      required("number", &Pad::number),       required("x_mm", &Pad::x_mm),
      required("y_mm", &Pad::y_mm),           required("w_mm", &Pad::w_mm),
      required("h_mm", &Pad::h_mm),           defaulted("drill_mm", &Pad::drill_mm),
      defaulted("rotation", &Pad::rotation),  defaulted("shape", &Pad::shape),
  };
};

template <>
struct Record<FpLine> {
  static constexpr Kind kind = Kind::struct_variant;
  static constexpr std::string_view name = "FpGraphic::Line";
  static constexpr auto list = std::tuple{
      required("layer", &FpLine::layer), required("x1", &FpLine::x1), required("y1", &FpLine::y1),
      required("x2", &FpLine::x2),       required("y2", &FpLine::y2), defaulted("width", &FpLine::width),
  };
};

template <>
struct Record<FpRect> {
  static constexpr Kind kind = Kind::struct_variant;
  static constexpr std::string_view name = "FpGraphic::Rect";
  static constexpr auto list = std::tuple{
      required("layer", &FpRect::layer), required("x1", &FpRect::x1), required("y1", &FpRect::y1),
      required("x2", &FpRect::x2),       required("y2", &FpRect::y2), defaulted("width", &FpRect::width),
  };
};

template <>
struct Record<FpCircle> {
  static constexpr Kind kind = Kind::struct_variant;
  static constexpr std::string_view name = "FpGraphic::Circle";
  static constexpr auto list = std::tuple{
      required("layer", &FpCircle::layer), required("cx", &FpCircle::cx), required("cy", &FpCircle::cy),
      required("r", &FpCircle::r),         defaulted("width", &FpCircle::width),
  };
};

template <>
struct Record<FpArc> {
  static constexpr Kind kind = Kind::struct_variant;
  static constexpr std::string_view name = "FpGraphic::Arc";
  static constexpr auto list = std::tuple{
      required("layer", &FpArc::layer), required("cx", &FpArc::cx),       required("cy", &FpArc::cy),
      required("r", &FpArc::r),         required("start", &FpArc::start), required("end", &FpArc::end),
      defaulted("width", &FpArc::width),
  };
};

template <>
struct Record<SilkLayer> {
  static constexpr Kind kind = Kind::unit_variant;
  static constexpr std::string_view name = "FpLayer::Silk";
  static constexpr auto list = std::tuple{};
};

template <>
struct Record<CourtyardLayer> {
  static constexpr Kind kind = Kind::unit_variant;
  static constexpr std::string_view name = "FpLayer::Courtyard";
  static constexpr auto list = std::tuple{};
};

template <>
struct Record<FabLayer> {
  static constexpr Kind kind = Kind::unit_variant;
  static constexpr std::string_view name = "FpLayer::Fab";
  static constexpr auto list = std::tuple{};
};

template <>
struct Record<CopperLayer> {
  static constexpr Kind kind = Kind::unit_variant;
  static constexpr std::string_view name = "FpLayer::Copper";
  static constexpr auto list = std::tuple{};
};

template <>
struct Record<OtherLayer> {
  static constexpr Kind kind = Kind::struct_variant;
  static constexpr std::string_view name = "FpLayer::Other";
  static constexpr auto list = std::tuple{defaulted("altium", &OtherLayer::altium)};
};

// A tagged item: a variant whose alternatives are records, told apart by the
// value under `key`; `names[i]` names alternative i.
template <class V>
struct Tagged;

template <>
struct Tagged<Graphic> {
  static constexpr std::string_view type_name = "Graphic";
  static constexpr std::string_view key = "kind";
  static constexpr std::array<std::string_view, 4> names{"polyline", "rect", "circle", "arc"};
};

template <>
struct Tagged<FpGraphic> {
  static constexpr std::string_view type_name = "FpGraphic";
  static constexpr std::string_view key = "kind";
  static constexpr std::array<std::string_view, 4> names{"line", "rect", "circle", "arc"};
};

template <>
struct Tagged<FpLayer> {
  static constexpr std::string_view type_name = "FpLayer";
  static constexpr std::string_view key = "role";
  static constexpr std::array<std::string_view, 5> names{"silk", "courtyard", "fab", "copper", "other"};
};

template <class T>
concept IsRecord = requires { Record<T>::list; };
template <class T>
concept IsTagged = requires { Tagged<T>::key; };

// Field value shapes the reader and the writer both dispatch on.
template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};
template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};

template <class R>
inline constexpr std::size_t count = std::tuple_size_v<std::remove_cvref_t<decltype(Record<R>::list)>>;

// Calls f(field) for each field of R in order.
template <class R, class F>
constexpr void for_each(F&& f) {
  std::apply([&](const auto&... field) { (f(field), ...); }, Record<R>::list);
}

// Calls f(field) for the field at `index` and returns its result.
template <class R, class F>
bool with_field(std::size_t index, F&& f) {
  bool result = false;
  std::size_t at = 0;
  std::apply([&](const auto&... field) { (void)((at++ == index ? (result = f(field), true) : false) || ...); },
             Record<R>::list);
  return result;
}

template <class R>
std::optional<std::size_t> find(std::string_view key) {
  std::optional<std::size_t> found;
  std::size_t at = 0;
  for_each<R>([&](const auto& field) {
    if (!found && field.key == key) found = at;
    ++at;
  });
  return found;
}

// Calls f(std::in_place_type<Alternative>) for the alternative at `index`.
template <class V, class F>
bool with_alternative(std::size_t index, F&& f) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    bool result = false;
    (void)((index == I ? (result = f(std::in_place_type<std::variant_alternative_t<I, V>>), true) : false) || ...);
    return result;
  }(std::make_index_sequence<std::variant_size_v<V>>{});
}

}  // namespace zelt::part::fields
