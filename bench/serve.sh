#!/usr/bin/env bash
# Times the live app over loopback: GET /state with keep-alive under wrk at 16
# and 64 connections (with latency percentiles), also while a few clients
# hold connections half-sent, and POST /load of a 5 MB library with curl
# (time to the whole reply).
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

# Prints requests per second and the 50th, 99th percentile latencies.
wrk_row() {
  wrk -t 2 -c "$1" -d "${seconds}s" --latency "http://127.0.0.1:$port/state" |
    awk -v c="$1" -v note="$2" '/Requests\/sec/ { rps = $2 } / 50%/ { p50 = $2 } / 99%/ { p99 = $2 }
      /Socket errors|Non-2xx/ { errors = errors " " $0 }
      END { printf "  %2d connections%s: %s req/s, p50 %s, p99 %s%s\n", c, note, rps, p50, p99, errors }'
}
echo "GET /state with keep-alive:"
wrk_row 16 ""
wrk_row 64 ""
# Eight clients that send half a request line and then nothing.
/usr/bin/python3 - "$port" "$seconds" <<'PY' &
import socket, sys, time
held = []
for _ in range(8):
    s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
    s.sendall(b"GET /sta")
    held.append(s)
time.sleep(int(sys.argv[2]) + 1)
PY
stallers=$!
sleep 0.2
wrk_row 16 " beside 8 stalled clients"
wait $stallers || true
curl -s -X POST "http://127.0.0.1:$port/shutdown" > /dev/null
wait $server
