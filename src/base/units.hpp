#pragma once
// Units the formats share. The part record keeps symbols in mils and
// footprints in millimetres; KiCad writes millimetres throughout.

namespace zelt {

// One mil (a thousandth of an inch) in millimetres, exactly.
inline constexpr double kMmPerMil = 0.0254;

inline constexpr double kRadiansPerDegree = 0.017453292519943295;

}  // namespace zelt
