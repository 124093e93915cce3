#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build in BUILD (default build/) into a temporary prefix, moves the prefix
# elsewhere (an installation must work from wherever it lands), then, from the prefix alone:
# runs every installed program, builds and runs a CMake and a pkg-config consumer, and checks
# the installed layout (headers, versioned libraries, plug-in folder, manual pages).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/staged" >/dev/null
mv "$work/staged" "$work/prefix"
prefix=$work/prefix
libdir=$(cd "$prefix" && ls -d lib/*/libqeltoolkit.so 2>/dev/null | head -1 || true)
libdir=$prefix/$(dirname "${libdir:-lib/libqeltoolkit.so}")
fail() { echo "install check: $*" >&2; exit 1; }

# Nothing from the source or build tree may help.
unset LD_LIBRARY_PATH QEL_LIBRARY_PATH QEL_MAPI_LIBRARY CPATH LIBRARY_PATH
export QEL_REGISTRY="$work/registry"

echo "-- layout"
for lib in qeltoolkit Brisca40 Corvex40; do
  [ -L "$libdir/lib$lib.so" ] || fail "lib$lib.so is not a link to the versioned library"
  soname=$(readelf -d "$libdir/lib$lib.so" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
  [ -e "$libdir/$soname" ] || fail "lib$lib.so has no installed SONAME file ($soname)"
  [ -f "$libdir/pkgconfig/$lib.pc" ] || fail "no pkg-config file for $lib"
done
for lib in Brisca40 Corvex40; do
  [ -e "$libdir/qel/packages/lib$lib.so" ] || fail "lib$lib.so is not in the designer's packages folder"
done
[ -f "$libdir/qel/libqelmapi.so" ] || fail "the Simple MAPI provider is not in the plug-in folder"
[ ! -e "$libdir/libqelmapi.so" ] || fail "the Simple MAPI provider is in the public libdir"
[ -f "$libdir/cmake/qel/qelConfigVersion.cmake" ] || fail "no qelConfigVersion.cmake"
[ ! -e "$prefix/include/qel/mail/provider" ] || fail "the provider's header is installed"
! ls "$prefix"/include/qel/toolkit/platform/X11* >/dev/null 2>&1 || fail "X11 internals installed"
[ -z "$(find "$prefix/include/qel" -name "*Internal.h")" ] || fail "internal headers installed"
# Every installed header's own includes resolve inside the installation.
while IFS= read -r h; do
  while IFS= read -r inc; do
    [ -f "$prefix/include/$inc" ] || fail "$h includes $inc, which is not installed"
  done < <(sed -n 's/^#include "\(qel\/[^"]*\)".*/\1/p' "$h")
  ! grep -qE '^#include "(toolkit|visual|mail)/' "$h" || fail "$h has an include outside qel/"
done < <(find "$prefix/include" -name '*.h')
# Symbols are hidden by default: a header that forgot to declare its part public would leave its
# classes out of the libraries, and one helper of a source file shows that the rest stay out.
while IFS= read -r h; do
  case $h in */toolkit/core/Export.h) continue ;; esac
  grep -q '^QEL_PUBLIC_BEGIN$' "$h" && grep -q '^QEL_PUBLIC_END$' "$h" ||
    fail "$h does not declare its interface public (QEL_PUBLIC_BEGIN ... QEL_PUBLIC_END)"
done < <(find "$prefix/include/qel" -name '*.h')
syms=$(nm -DC --defined-only "$libdir/libqeltoolkit.so")
grep -q ' qel::TComponent::FreeNotification' <<<"$syms" ||
  fail "libqeltoolkit.so does not export its public classes"
! grep -q ' T qel::TX11Selection::' <<<"$syms" ||
  fail "libqeltoolkit.so exports the X11 backend's internals"
for tool in qel-form qel-render qel-reg qel-mail qel-gallery qel-designer; do
  [ -f "$prefix/share/man/man1/$tool.1" ] || fail "no manual page for $tool"
done
[ -f "$prefix/share/doc/qel/LICENSE" ] || fail "no licence installed"

echo "-- installed programs"
for tool in qel-form qel-render qel-reg qel-mail qel-gallery qel-designer; do
  # Output is taken whole before it is searched: grep -q leaving a pipe early would fail a
  # program that is still writing (SIGPIPE under pipefail).
  out=$("$prefix/bin/$tool" --version) && grep -q "^$tool " <<<"$out" || fail "$tool --version"
  out=$("$prefix/bin/$tool" --help) && grep -q "^Usage: $tool" <<<"$out" || fail "$tool --help"
  set +e; "$prefix/bin/$tool" --no-such-option >/dev/null 2>&1; rc=$?; set -e
  [ "$rc" = 2 ] || fail "$tool: a usage error exits $rc, not 2"
done
form=$root/examples/gallery/gallery.dfm
"$prefix/bin/qel-form" check "$form" >/dev/null
"$prefix/bin/qel-form" to-binary "$form" "$work/gallery.bin"
"$prefix/bin/qel-render" "$work/gallery.bin" -o "$work/binary.png"
"$prefix/bin/qel-render" "$form" -o "$work/text.png"
cmp -s "$work/binary.png" "$work/text.png" || fail "qel-render draws the two encodings differently"
out=$(echo palette | "$prefix/bin/qel-designer" --headless) && grep -q "^QEL EMail: " <<<"$out" ||
  fail "qel-designer does not find the packages of the installation"
QEL_BACKEND=headless "$prefix/bin/qel-gallery" -o "$work/gallery.png" >/dev/null
[ -s "$work/gallery.png" ] || fail "qel-gallery wrote no picture"
"$prefix/bin/qel-reg" set HKCU/Software/QEL/Check Name Value
[ "$("$prefix/bin/qel-reg" get HKCU/Software/QEL/Check Name)" = Value ] || fail "qel-reg get"
printf 'Subject: hi\r\n\r\nbody\r\n' > "$work/mail.eml"
out=$("$prefix/bin/qel-mail" parse "$work/mail.eml" --json) && grep -q '"hi"' <<<"$out" ||
  fail "qel-mail parse"

echo "-- CMake consumer"
cmake -S tests/install/consumer-cmake -B "$work/consumer-cmake" -G Ninja \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/consumer-cmake" >/dev/null
"$work/consumer-cmake/consumer-cmake"

echo "-- pkg-config consumer"
mkdir "$work/consumer-pkgconfig"
PKG_CONFIG_PATH="$libdir/pkgconfig" PKG_CONFIG_LIBDIR="$libdir/pkgconfig" \
  make -s -C "$work/consumer-pkgconfig" -f "$root/tests/install/consumer-pkgconfig/Makefile" \
  VPATH="$root/tests/install/consumer-pkgconfig" consumer-pkgconfig >/dev/null
"$work/consumer-pkgconfig/consumer-pkgconfig"
echo "install check: ok"
