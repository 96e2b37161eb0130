#pragma once
// The kinds of the text records in a schematic Data stream, as the value of
// their RECORD key: one definition for the reader and the writer.
#include <string>
#include <string_view>

namespace zelt::altium::sch_record {

inline constexpr std::string_view kComponent = "1";
inline constexpr std::string_view kPolyline = "6";
inline constexpr std::string_view kEllipse = "11";
inline constexpr std::string_view kArc = "12";
inline constexpr std::string_view kRectangle = "14";
inline constexpr std::string_view kDesignator = "34";
inline constexpr std::string_view kParameter = "41";
inline constexpr std::string_view kModelList = "44";
inline constexpr std::string_view kModel = "45";
inline constexpr std::string_view kModelDatafiles = "46";
inline constexpr std::string_view kModelParameters = "48";

// "|RECORD=<kind>": how a record of that kind starts.
inline std::string head(std::string_view kind) { return "|RECORD=" + std::string(kind); }

}  // namespace zelt::altium::sch_record
