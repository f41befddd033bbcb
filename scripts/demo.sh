#!/usr/bin/env bash
# Builds the installer, starts the local statistics server, runs the wizard
# (on your display when there is one, else on a private Xvfb display, driven
# and photographed step by step), then runs a silent install in a fresh
# temporary prefix and shows what the install left behind: the installed tree,
# the temporary archive, pending restart operations, registry records,
# shortcuts, folder rights, configuration files and the reports the server
# received.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build

work=$(mktemp -d /tmp/velmora-demo.XXXXXX)
export WINCOMPAT_PREFIX=$work/prefix
login=$(id -un)
drive_c=$WINCOMPAT_PREFIX/drive_c
install_folder="$drive_c/Program Files (x86)/Velmora"
section() { printf '\n== %s\n' "$*"; }

server_pid=""
if [ -x build/stats-server ]; then
  build/stats-server --port 18080 --db "$work/reports.db" > "$work/server.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 50); do grep -q listening "$work/server.log" 2>/dev/null && break; sleep 0.1; done
  trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true' EXIT
  section "statistics server: $(head -n 1 "$work/server.log")"
fi

if [ -n "${DISPLAY:-}" ]; then
  section "wizard on $DISPLAY (prefix $work/wizard-prefix): install, then close it to go on"
  WINCOMPAT_PREFIX=$work/wizard-prefix build/velmora-setup > "$work/wizard-output.txt" 2>&1 \
    && echo "wizard exit code: 0" || echo "wizard exit code: $?"
else
  section "wizard on a private Xvfb display (prefix $work/wizard-prefix), photographed step by step"
  WINCOMPAT_PREFIX=$work/wizard-prefix bash scripts/wizard-tour.sh build "$work/wizard"
fi

section "prefix: $WINCOMPAT_PREFIX"
section "running: build/velmora-setup slient"
set +e
build/velmora-setup slient > "$work/setup-output.txt"
status=$?
set -e
echo "exit code: $status"
echo "(its diagnostics: $(wc -l < "$work/setup-output.txt") lines in $work/setup-output.txt)"

section "install folder C:\\Program Files (x86)\\Velmora: $(find "$install_folder" -type f | wc -l) files, $(du -sh "$install_folder" | cut -f1)"
(cd "$install_folder" && find . -maxdepth 1 | sort | sed 's|^\./||' | grep -v '^\.$')

section "temporary archive"
ls -l "$drive_c/users/$login/AppData/Local/Temp/" | grep -i step_ || echo "(none)"

section "pending restart operations"
build/wincompat-reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null \
  || echo "(none)"

section "registry records (32-bit view)"
for key in 'HKLM\SoftWare\Velmora' \
           'HKLM\software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanti文件数据恢复' \
           'HKLM\SOFTWARE\Velmora\AppInfo'; do
  build/wincompat-reg query "$key" /reg:32 2>/dev/null || echo "$key: (not written)"
done
section "shell extensions (regsvr32 history)"
sleep 0.3
cat "$WINCOMPAT_PREFIX/regsvr32.log" 2>/dev/null || echo "(none)"

section "shortcuts"
find "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" "$drive_c/users/Public/Desktop" \
     "$install_folder" -maxdepth 2 \( -name '*.lnk' -o -name '*.url' \) 2>/dev/null | sed "s|$drive_c/|C:/|" || true
if command -v lnkinfo >/dev/null; then
  for link in "$drive_c/users/Public/Desktop/"*.lnk; do
    [ -f "$link" ] || continue
    echo "-- lnkinfo ${link##*/}"
    lnkinfo "$link" | grep -Ei 'local path|relative path|arguments' || true
  done
fi

section "folder rights (unix mode and stored descriptor)"
stat -c '%A %n' "$install_folder" "$install_folder/Pellamor.exe" | sed "s|$drive_c/|C:/|"
getfattr -d -m 'user\.' "$install_folder" 2>/dev/null | sed "s|$drive_c/|C:/|" || true

for file in "$drive_c/users/$login/AppData/Local/VelmoraUser/VelmoraUser.ini" \
            "$install_folder/VelmoraUserVersion.ini"; do
  section "${file#$drive_c/}"
  tr -d '\r' < "$file"
done

if [ -n "$server_pid" ]; then
  sleep 0.2
  section "reports received by the statistics server"
  build/stats-server --db "$work/reports.db" --print
fi
echo
echo "(everything stays in $work for a closer look)"
