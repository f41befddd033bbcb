#!/usr/bin/env bash
# The installer as a Windows program: every translation unit of app/,
# install/, report/, wizard/ and toolkit/ compiled (syntax only) by i686
# MinGW against its real Windows headers, with no wincompat header anywhere on
# the include path.
#
#   compile-i686.sh SOURCE_DIR GENERATED_DIR SCRATCH_DIR MULTIARCH [NON_WINDOWS_SOURCE...]
#
# NON_WINDOWS_SOURCE: the files CMake builds only for other platforms (they
# have a Windows-side sibling that is checked instead).
#
# The dependencies' headers are Debian's, gathered by symbolic link in
# SCRATCH_DIR/deps so that /usr/include itself (glibc) never is on the path:
#   pugixml, libzip, Crypto++, curl: their configuration is worked out from the
#     compiler's own macros, so Debian's headers serve a Windows target as they
#     are. CURL_STATICLIB and ZIP_STATIC match the statically linked product.
#   OpenSSL: Debian's configuration.h is x86_64 Linux's; its platform-bound
#     settings are the bignum word (SIXTY_FOUR_BIT_LONG) and RC4_INT, which the
#     installer's EVP and BIO calls never reach; the platform itself
#     (OPENSSL_SYS_WIN32) comes from the compiler's macros in e_os2.h.
#   cairo: cairo.h declares the same API on every platform, but Debian ships
#     no Windows backend; standin/cairo-win32.h declares the one function
#     DeviceContextWin32.cpp calls.
#   pango: its headers need glib's glibconfig.h, which Debian generates for
#     x86_64 Linux (sizes of long and pointers, thread and poll types), wrong
#     for i686 Windows. The one file that includes pango, TextLayout.cpp, is
#     left out, and the run says so. It contains only calls into pango and
#     cairo, no Windows API.
#
# Exits 0 when every unit compiles, 1 otherwise, 77 (skipped) without the
# compiler.
set -uo pipefail

source_dir=$(cd "$1" && pwd) || exit 1
generated_dir=$(cd "$2" && pwd) || exit 1
scratch=$3
multiarch=$4
shift 4
non_windows=("$@")

# The POSIX-threads variant: std::thread and std::mutex need it with GCC 12
# (the MSYS2 toolchain of the shipped build uses that thread model too).
compiler=$(command -v i686-w64-mingw32-g++-posix || command -v i686-w64-mingw32-g++ || true)
if [ -z "$compiler" ]; then
  echo "skipped: i686-w64-mingw32-g++ not installed"
  exit 77
fi

script_dir=$(cd "$(dirname "$0")" && pwd)
declare -A left_out=(
  [toolkit/render/TextLayout.cpp]="pango's headers need glib's glibconfig.h, which Debian generates for x86_64 Linux only"
)

# A Debian header by its name under /usr/include, the multiarch folder first.
debian_header() {
  local name=$1
  for dir in /usr/include/"$multiarch" /usr/include; do
    [ -e "$dir/$name" ] && { echo "$dir/$name"; return 0; }
  done
  echo "windows_compile_i686: $name not found (is its -dev package installed?)" >&2
  return 1
}

gather_dependency_headers() {
  local deps=$scratch/deps
  rm -rf "$deps" && mkdir -p "$deps/openssl" || return 1
  local name path
  for name in pugixml.hpp pugiconfig.hpp zip.h zipconf.h cryptopp curl cairo; do
    path=$(debian_header "$name") || return 1
    ln -s "$path" "$deps/$name"
  done
  # OpenSSL's headers are split between the common and the multiarch folder.
  path=$(debian_header openssl/evp.h) || return 1
  ln -s "$(dirname "$path")"/*.h "$deps/openssl/"
  path=$(debian_header openssl/configuration.h) || return 1
  ln -sf "$(dirname "$path")"/*.h "$deps/openssl/"
}

# Every .cpp of the installer's folders but the non-Windows and left-out ones.
translation_units() {
  local skipped=() file
  for file in "${non_windows[@]}"; do skipped+=("${file#"$source_dir"/}"); done
  skipped+=("${!left_out[@]}")
  (cd "$source_dir" && find app install report wizard toolkit -name '*.cpp' | sort) |
    grep -vxF -f <(printf '%s\n' "${skipped[@]}")
}

rm -rf "$scratch/units" && mkdir -p "$scratch/units" && scratch=$(cd "$scratch" && pwd) || exit 1
gather_dependency_headers || exit 1
for file in "${!left_out[@]}" "${non_windows[@]#"$source_dir"/}"; do
  [ -f "$source_dir/$file" ] || { echo "windows_compile_i686: $file is listed but does not exist"; exit 1; }
done

# The flags, one a line in a response file (gcc @FILE), to repeat a unit by hand.
flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Wno-unused-parameter
       -DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -DCURL_STATICLIB -DZIP_STATIC
       -I"$source_dir" -I"$generated_dir" -I"$script_dir/standin" -I"$scratch/deps" -I"$scratch/deps/cairo")
printf '"%s"\n' "${flags[@]}" >"$scratch/flags.rsp"
export compiler source_dir scratch

# One unit: its diagnostics in units/NAME.log, its headers in units/NAME.d;
# a header from wincompat or from the Linux system folder fails it as well.
check_unit() {
  local unit=$1 stem=${1//\//_}
  local log=$scratch/units/$stem.log deps=$scratch/units/$stem.d
  if ! (cd "$source_dir" && "$compiler" @"$scratch/flags.rsp" -MD -MF "$deps" "$unit") >"$log" 2>&1; then
    echo "FAILED: $unit"; cat "$log"; return 1
  fi
  if grep -E "(^|[ /])wincompat/|(^| )/usr/include/" "$deps" >/dev/null; then
    echo "FAILED: $unit reaches a wincompat or Linux header:"
    grep -oE "[^ ]*wincompat/[^ ]*|(^| )/usr/include/[^ ]*" "$deps"
    return 1
  fi
  [ -s "$log" ] && { echo "warnings: $unit"; cat "$log"; }
  return 0
}
export -f check_unit

units=$(translation_units)
echo "compiler: $compiler ($("$compiler" -v 2>&1 | grep -o 'Thread model: .*'))"
for file in "${!left_out[@]}"; do echo "left out: $file (${left_out[$file]})"; done
if ! printf '%s\n' "$units" | xargs -P2 -I{} bash -c 'check_unit "$1"' _ {}; then
  echo "windows_compile_i686: some translation units do not compile for Windows"
  exit 1
fi
echo "windows_compile_i686: $(printf '%s\n' "$units" | wc -l) translation units compile for i686 Windows"
