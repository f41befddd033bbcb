#!/usr/bin/env bash
# The install report's post time on loopback against a real stats-server:
# bench/report-post-bench.sh [BUILD_DIR] [COUNT]  (defaults build, 200).
set -euo pipefail

build=${1:-build}
count=${2:-200}
work=$(mktemp -d)
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

export WINCOMPAT_PREFIX=$work/prefix
"$build/stats-server" --port 0 --db "$work/reports.db" > "$work/server.out" &
server_pid=$!
for _ in $(seq 100); do
  grep -q '^listening on ' "$work/server.out" 2>/dev/null && break
  sleep 0.1
done
port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/server.out")
[ -n "$port" ] || { echo "stats-server did not start" >&2; exit 1; }

"$build/report-post-bench" "http://127.0.0.1:$port/Tj/ins_detail" "$count"
kill "$server_pid" && wait "$server_pid"
server_pid=
accepted=$("$build/stats-server" --db "$work/reports.db" --print | grep -c $'\taccepted\t' || true)
echo "stats-server accepted $accepted of $count reports"
[ "$accepted" -eq "$count" ]
