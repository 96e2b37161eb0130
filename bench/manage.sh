#!/usr/bin/env bash
# Times the manager over loopback opening a local part with a 3D model: the
# part summary, the viewer page, the viewer script, the environment texture
# and the model, each fetched 20 times with curl (time to the whole reply,
# asking for compression, which is never applied), the viewer script's
# Cache-Control header, then wrk on the manager page at 16 and 64 connections.
# Not run by CI: ./bench/manage.sh [seconds of wrk]
set -euo pipefail
cd "$(dirname "$0")/.."
exe=$(realpath "${ZELT_LBR:-build/zelt-lbr}")
seconds=${1:-10}
work=$(mktemp -d)
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')

# A local library with one part and a 2 MB model (its bytes are not read).
mkdir -p "$work/library/BENCH1"
cat > "$work/library/BENCH1/BENCH1.kicad_sym" <<'SYM'
(kicad_symbol_lib (version 20231120) (generator "bench")
  (symbol "BENCH1" (property "Reference" "U" (at 0 0 0)) (property "Value" "BENCH1" (at 0 0 0))
    (symbol "BENCH1_1_1"
      (pin input line (at -7.62 0 0) (length 2.54) (name "A" (effects (font (size 1.27 1.27))))
        (number "1" (effects (font (size 1.27 1.27))))))))
SYM
cat > "$work/library/BENCH1/BENCH1.kicad_mod" <<'MOD'
(footprint "BENCH1" (version 20240108) (generator "bench") (layer "F.Cu")
  (pad "1" smd rect (at 0 0) (size 1 1) (layers "F.Cu")))
MOD
head -c 2000000 /dev/zero > "$work/library/BENCH1/BENCH1.glb"
ZELT_LIBRARY="$work/library" "$exe" manage --port "$port" > "$work/manage.out" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true; wait $server 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.05; done

timing() {
  local path=$1
  for _ in $(seq 20); do
    curl -s -o /dev/null -H 'Accept-Encoding: gzip, deflate, br' -w '%{time_total} %{size_download}\n' \
      "http://127.0.0.1:$port$path"
  done | sort -n | awk -v p="$path" '{ t[NR] = $1; b = $2 }
    END { printf "  %-30s %9d bytes  median %.1f ms  max %.1f ms\n", p, b, t[int((NR + 1) / 2)] * 1000, t[NR] * 1000 }'
}
echo "Opening local:BENCH1 (20 runs each):"
for path in /api/part/local:BENCH1 /viewer3d/local:BENCH1 /js/zelt-3d-viewer.min.js /js/environmentSpecular.env /glb/local:BENCH1; do
  timing "$path"
done
echo "Cache-Control of the viewer script: $(curl -s -o /dev/null -D - "http://127.0.0.1:$port/js/zelt-3d-viewer.min.js" |
  tr -d '\r' | awk -F': ' 'tolower($1) == "cache-control" { print $2 }')"

echo "GET / (the manager page) with keep-alive:"
for connections in 16 64; do
  wrk -t 2 -c "$connections" -d "${seconds}s" --latency "http://127.0.0.1:$port/" |
    awk -v c="$connections" '/Requests\/sec/ { rps = $2 } / 50%/ { p50 = $2 } / 99%/ { p99 = $2 }
      /Socket errors|Non-2xx/ { errors = errors " " $0 }
      END { printf "  %2d connections: %s req/s, p50 %s, p99 %s%s\n", c, rps, p50, p99, errors }'
done
