#!/usr/bin/env bash
# Times whole zelt-lbr commands with hyperfine against the built executable.
# Not run by CI: ./bench/commands.sh [extra hyperfine arguments]
#
# The first part times everyday commands on generated parts. The second
# times large inputs side by side with what users would otherwise run:
# KiCad 9's kicad-cli through scripts/kicad9 where it has been fetched, on
# FPGA_Xilinx_Virtex7.kicad_sym from Debian's kicad-symbols package
# (downloaded into .cache/kicad-symbols on first use) and on generated
# libraries of 20 MB (.kicad_sym) and 50 MB (.lbr). It prints medians of 10
# runs, the ratios to the anchors, throughput and peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
exe=$(realpath "${ZELT_LBR:-build/zelt-lbr}")
inputs_tool=$(realpath "${ZELT_BENCH_INPUTS:-build/bench/bench_inputs}")
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
mkdir -p "$work/kicad-out" "$work/altium-out"
# A 1,000-pin .SchLib and its 1,000-pad .PcbLib from hand-made records.
"$(dirname "$exe")/bench/altium_inputs" "$work" 1000

hyperfine --warmup 20 --shell=none "$@" \
  "$exe health" \
  "$exe generate --sym $work/big500.kicad_sym --fp $work/big500.kicad_mod -o $work/out500.lbr" \
  "$exe import $work/big1000.lbr -o $work/big1000.kicad_sym.out" \
  "$exe lint $work/big1000.lbr" \
  "$exe import-kicad --sym $work/big1000.kicad_sym --fp $work/big1000.kicad_mod --mpn BIG1000 --out $work/big1000-timed.json" \
  "$exe export-kicad $work/big1000.json --out-dir $work/kicad-out" \
  "$exe export-altium $work/big1000.json --out-dir $work/altium-out" \
  "$exe export-intlib $work/big1000.json --out $work/altium-out/big1000.IntLib" \
  "$exe import-altium $work/big.SchLib --pcblib $work/big.PcbLib --out $work/big-altium.json"

# ---- Large inputs --------------------------------------------------------

# Debian's KiCad symbol library with the Virtex-7 FPGAs (9.5 MB), fetched
# once with apt-get download (no installation, no root needed).
symbols_cache="$repo/.cache/kicad-symbols"
virtex7="$symbols_cache/FPGA_Xilinx_Virtex7.kicad_sym"
if [[ ! -f $virtex7 ]]; then
  mkdir -p "$symbols_cache"
  (cd "$symbols_cache" && apt-get download kicad-symbols > /dev/null)
  deb=$(ls "$symbols_cache"/kicad-symbols_*.deb | head -n 1)
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/kicad/symbols/FPGA_Xilinx_Virtex7.kicad_sym > "$virtex7.part"
  mv "$virtex7.part" "$virtex7"
fi

"$inputs_tool" "$work"  # library-20mb.kicad_sym (3,167 symbols), library-50mb.lbr (4,467 parts)
lib20="$work/library-20mb.kicad_sym"
lib50="$work/library-50mb.lbr"
printf '(footprint "F" (pad "1" smd rect (at 0 0) (size 1 1)))\n' > "$work/one-pad.kicad_mod"

have_kicad9=false
if [[ -f $repo/.cache/kicad9/.ready ]]; then have_kicad9=true; fi

# The median of one command of a hyperfine JSON export, in seconds.
median() { jq -r ".results[$2].median" "$1"; }

# time_row LABEL INPUT ZELT_COMMAND [ANCHOR_LABEL ANCHOR_COMMAND]
time_row() {
  local label=$1 input=$2 ours=$3 anchor_label=${4:-} anchor=${5:-}
  local json="$work/row.json"
  local commands=("$ours")
  [[ -n $anchor ]] && commands+=("$anchor")
  hyperfine --warmup 1 --runs 10 --shell=none --prepare "rm -f $work/kicad-out.kicad_sym" \
    --export-json "$json" "${commands[@]}" > /dev/null 2> "$work/hyperfine.log"
  local ours_s bytes
  ours_s=$(median "$json" 0)
  bytes=$(stat -c %s "$input")
  local line
  line=$(awk -v l="$label" -v s="$ours_s" -v b="$bytes" \
    'BEGIN { printf "| %-44s | %8.0f ms | %6.0f MB/s |", l, s * 1000, b / s / 1e6 }')
  if [[ -n $anchor ]]; then
    local anchor_s
    anchor_s=$(median "$json" 1)
    line+=$(awk -v l="$anchor_label" -v a="$anchor_s" -v s="$ours_s" \
      'BEGIN { printf " %-20s %8.0f ms | %5.1fx faster |", l, a * 1000, a / s }')
  else
    line+=" no anchor installed             |              |"
  fi
  echo "$line"
}

kicad_upgrade() { echo "scripts/kicad9 run sym upgrade --force $1 -o $work/kicad-out.kicad_sym"; }

echo
echo "Large inputs: medians of 10 runs"
echo "| work                                         | zelt-lbr    | throughput  | anchor                          | ratio        |"
echo "|----------------------------------------------|-------------|-------------|---------------------------------|--------------|"
if $have_kicad9; then
  time_row "import-kicad FPGA_Xilinx_Virtex7.kicad_sym" "$virtex7" \
    "$exe import-kicad --sym $virtex7 --fp $work/one-pad.kicad_mod --mpn V7 --out $work/v7.json" \
    "KiCad 9 sym upgrade" "$(kicad_upgrade "$virtex7")"
  time_row "import-kicad 20 MB library (3,167 symbols)" "$lib20" \
    "$exe import-kicad --sym $lib20 --fp $work/one-pad.kicad_mod --mpn L20 --out $work/l20.json" \
    "KiCad 9 sym upgrade" "$(kicad_upgrade "$lib20")"
else
  echo "(KiCad 9 is not in .cache/kicad9: run scripts/kicad9 for the anchors)"
  time_row "import-kicad FPGA_Xilinx_Virtex7.kicad_sym" "$virtex7" \
    "$exe import-kicad --sym $virtex7 --fp $work/one-pad.kicad_mod --mpn V7 --out $work/v7.json"
  time_row "import-kicad 20 MB library (3,167 symbols)" "$lib20" \
    "$exe import-kicad --sym $lib20 --fp $work/one-pad.kicad_mod --mpn L20 --out $work/l20.json"
fi
# KiCad 6, the anchor for lint, is not installed here: lint has no anchor.
time_row "lint 50 MB .lbr (4,467 parts)" "$lib50" "$exe lint $lib50"
time_row "import 50 MB .lbr (4,467 parts)" "$lib50" "$exe import $lib50 -o $work/l50.kicad_sym"

echo
echo "Peak memory (maximum resident set)"
for pair in "FPGA_Xilinx_Virtex7.kicad_sym:$virtex7" "20 MB library:$lib20"; do
  label=${pair%%:*}
  input=${pair#*:}
  kb=$(/usr/bin/time -f %M "$exe" import-kicad --sym "$input" --fp "$work/one-pad.kicad_mod" --mpn M \
    --out "$work/mem.json" 2>&1 > /dev/null | tail -n 1)
  awk -v l="$label" -v k="$kb" -v b="$(stat -c %s "$input")" \
    'BEGIN { printf "import-kicad %-30s %6.1f MB (%.1fx the input)\n", l, k * 1024 / 1e6, k * 1024 / b }'
done
