#!/usr/bin/env bash
# Times whole zelt-lbr commands with hyperfine against the built executable.
# Not run by CI: ./bench/commands.sh [extra hyperfine arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
exe=$(realpath "${ZELT_LBR:-build/zelt-lbr}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A symbol of n pins in KiCad's usual multi-line layout.
kicad_symbol() {
  local name=$1 n=$2
  echo "(kicad_symbol_lib (version 20231120) (generator \"bench\")"
  echo "  (symbol \"$name\" (property \"Reference\" \"U\" (at 0 0 0)) (property \"Value\" \"$name\" (at 0 0 0))"
  echo "    (symbol \"${name}_0_1\" (rectangle (start -10.16 $((n * 127 / 100 + 3))) (end 10.16 -$((n * 127 / 100 + 3)))))"
  echo "    (symbol \"${name}_1_1\""
  for ((i = 1; i <= n; i++)); do
    echo "      (pin bidirectional line"
    echo "        (at -12.7 $((i * 254 / 100)).$((i * 254 % 100)) 0)"
    echo "        (length 2.54)"
    echo "        (name \"IO$i\" (effects (font (size 1.27 1.27))))"
    echo "        (number \"$i\" (effects (font (size 1.27 1.27)))))"
  done
  echo "    )))"
}

# A footprint of n SMD pads with silkscreen and courtyard.
kicad_footprint() {
  local name=$1 n=$2
  echo "(footprint \"$name\" (version 20240108) (generator \"bench\") (layer \"F.Cu\")"
  echo "  (fp_line (start -5 -5) (end 5 -5) (stroke (width 0.12) (type solid)) (layer \"F.SilkS\"))"
  echo "  (fp_line (start -6 -6) (end 6 6) (stroke (width 0.05) (type solid)) (layer \"F.CrtYd\"))"
  for ((i = 1; i <= n; i++)); do
    echo "  (pad \"$i\" smd roundrect (at $((i % 50)).5 $((i / 50))) (size 0.3 1.2) (layers \"F.Cu\" \"F.Paste\" \"F.Mask\"))"
  done
  echo ")"
}

kicad_symbol BIG500 500 > "$work/big500.kicad_sym"
kicad_footprint BIG500 500 > "$work/big500.kicad_mod"
kicad_symbol BIG1000 1000 > "$work/big1000.kicad_sym"
(cd "$work" && "$exe" generate --sym big1000.kicad_sym -o big1000.lbr > /dev/null 2>&1) || true
kicad_footprint BIG1000 1000 > "$work/big1000.kicad_mod"
"$exe" import-kicad --sym "$work/big1000.kicad_sym" --fp "$work/big1000.kicad_mod" --mpn BIG1000 \
  --out "$work/big1000.json" > /dev/null
mkdir -p "$work/kicad-out"
# A 1,000-pin .SchLib and its 1,000-pad .PcbLib from hand-made records.
"$(dirname "$exe")/bench/altium_inputs" "$work" 1000

hyperfine --warmup 20 --shell=none "$@" \
  "$exe health" \
  "$exe generate --sym $work/big500.kicad_sym --fp $work/big500.kicad_mod -o $work/out500.lbr" \
  "$exe import $work/big1000.lbr -o $work/big1000.kicad_sym.out" \
  "$exe lint $work/big1000.lbr" \
  "$exe import-kicad --sym $work/big1000.kicad_sym --fp $work/big1000.kicad_mod --mpn BIG1000 --out $work/big1000-timed.json" \
  "$exe export-kicad $work/big1000.json --out-dir $work/kicad-out" \
  "$exe import-altium $work/big.SchLib --pcblib $work/big.PcbLib --out $work/big-altium.json"
