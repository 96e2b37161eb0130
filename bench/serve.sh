#!/usr/bin/env bash
# Times the live app over loopback: GET /state with keep-alive under wrk, and
# POST /load of a 5 MB library with curl (time to the whole reply).
# Not run by CI: ./bench/serve.sh [seconds of wrk]
set -euo pipefail
cd "$(dirname "$0")/.."
exe=$(realpath "${ZELT_LBR:-build/zelt-lbr}")
seconds=${1:-10}
work=$(mktemp -d)
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
ZELT_LBR_BRIDGE_HOST=127.0.0.1 "$exe" serve --port "$port" 2> "$work/serve.err" &
server=$!
trap 'kill $server 2>/dev/null || true; rm -rf "$work"' EXIT

# A 5 MB library of 480 parts of 48 pins, wrapped as the /load body.
/usr/bin/python3 - "$work/load.json" <<'PY'
import json, sys
parts, pins = 480, 48
out = ['<?xml version="1.0" encoding="utf-8"?>\n<eagle version="9.6.2">\n<drawing>\n<library>\n<packages>\n']
for p in range(parts):
    out.append(f'<package name="PKG{p}">\n')
    out += [f'  <smd name="{i}" x="{i*0.5:.4f}" y="-1.0000" dx="0.3000" dy="1.2000" layer="1"/>\n' for i in range(1, pins + 1)]
    out.append('</package>\n')
out.append('</packages>\n<symbols>\n')
for p in range(parts):
    out.append(f'<symbol name="SYM{p}">\n  <wire x1="-7.62" y1="60.96" x2="7.62" y2="60.96" width="0.254" layer="94"/>\n')
    out += [f'  <pin name="IO{i}" x="-10.16" y="{i*2.54:.2f}" length="short" direction="io"/>\n' for i in range(1, pins + 1)]
    out.append('</symbol>\n')
out.append('</symbols>\n<devicesets>\n')
for p in range(parts):
    out.append(f'<deviceset name="DS{p}" prefix="U">\n<gates><gate name="G$1" symbol="SYM{p}" x="0" y="0"/></gates>\n'
               f'<devices><device name="" package="PKG{p}"><connects>\n')
    out += [f'  <connect gate="G$1" pin="IO{i}" pad="{i}"/>\n' for i in range(1, pins + 1)]
    out.append('</connects></device></devices></deviceset>\n')
out.append('</devicesets>\n</library>\n</drawing>\n</eagle>\n')
json.dump({"lbr": "".join(out)}, open(sys.argv[1], "w"))
PY

for _ in $(seq 100); do curl -s "http://127.0.0.1:$port/state" > /dev/null && break; sleep 0.05; done
echo "POST /load of $(stat -c %s "$work/load.json") bytes, 20 runs (seconds to the reply):"
for _ in $(seq 20); do
  curl -s -o /dev/null -w '%{time_total}\n' -H 'Content-Type: application/json' --data-binary "@$work/load.json" \
    "http://127.0.0.1:$port/load"
done | sort -n | awk '{ t[NR] = $1 } END { printf "  min %s  median %s  max %s\n", t[1], t[int((NR + 1) / 2)], t[NR] }'

echo "GET /state with keep-alive:"
wrk -t 2 -c 16 -d "${seconds}s" "http://127.0.0.1:$port/state"
curl -s -X POST "http://127.0.0.1:$port/shutdown" > /dev/null
wait $server
