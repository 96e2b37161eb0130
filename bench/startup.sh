#!/usr/bin/env bash
# Times what every command pays before its work: `zelt-lbr health` beside a
# C++ hello-world built here with the same compiler (the floor of a process
# start), and `export-altium` of a 1,000-pin part, a whole short command.
# Also lists the shared libraries the executable loads.
# Not run by CI: ./bench/startup.sh [extra hyperfine arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
exe=$(realpath "${ZELT_LBR:-build/zelt-lbr}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/hello.cpp" <<'CPP'
#include <iostream>
int main() { std::cout << "hello\n"; }
CPP
g++ -O2 -o "$work/hello" "$work/hello.cpp"

# A part of 1,000 pins and 1,000 pads, as import-kicad makes it.
{
  echo '(kicad_symbol_lib (version 20231120) (generator "bench")'
  echo '  (symbol "BIG1000" (property "Reference" "U" (at 0 0 0)) (property "Value" "BIG1000" (at 0 0 0))'
  echo '    (symbol "BIG1000_1_1"'
  for ((i = 1; i <= 1000; i++)); do
    echo "      (pin bidirectional line (at -12.7 $((i * 254 / 100)).$((i * 254 % 100)) 0) (length 2.54)"
    echo "        (name \"IO$i\" (effects (font (size 1.27 1.27)))) (number \"$i\" (effects (font (size 1.27 1.27)))))"
  done
  echo '    )))'
} > "$work/big.kicad_sym"
{
  echo '(footprint "BIG1000" (version 20240108) (generator "bench") (layer "F.Cu")'
  for ((i = 1; i <= 1000; i++)); do
    echo "  (pad \"$i\" smd roundrect (at $((i % 50)).5 $((i / 50))) (size 0.3 1.2) (layers \"F.Cu\"))"
  done
  echo ')'
} > "$work/big.kicad_mod"
"$exe" import-kicad --sym "$work/big.kicad_sym" --fp "$work/big.kicad_mod" --mpn BIG1000 --out "$work/big.json" > /dev/null
mkdir -p "$work/out"

echo "Shared libraries of $exe:"
ldd "$exe" | awk '{ print "  " $1 }'
# Medians beside the means: the machine may be busy with other work.
hyperfine --warmup 50 --min-runs 200 --shell=none --export-json "$work/times.json" "$@" \
  "$work/hello" \
  "$exe health" \
  "$exe export-altium $work/big.json --out-dir $work/out"
/usr/bin/python3 - "$work/times.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
floor = results[0]["median"]
for r in results:
    print(f"  median {r['median'] * 1000:6.1f} ms  ({r['median'] / floor:4.2f}x hello)  {' '.join(part.split('/')[-1] for part in r['command'].split())}")
PY
