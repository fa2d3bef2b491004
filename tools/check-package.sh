#!/usr/bin/env bash
# Checks a Debian package made by tools/package.sh: lintian finds no error and the AppStream
# data is valid; unpacked into a temporary root (dpkg -x), the programs run from there:
# pelmaris --help, corvanel demo and corvanel requirement, then pelmaris on that company for
# a moment. Their run path must find the package's libraries, the host must load the add-on
# from the package, and nothing may be written inside the unpacked root.
# Usage: check-package.sh PACKAGE.deb
set -euo pipefail
deb="$(realpath "${1:?usage: check-package.sh PACKAGE.deb}")"
work="$(mktemp -d "${TMPDIR:-/tmp}/corvanel-pachet-XXXXXX")"
trap 'rm -rf "$work"' EXIT
step() { echo "check-package: $*"; }
fail() { echo "check-package: FAILED: $*" >&2; exit 1; }

step "lintian"
lintian --fail-on error "$deb"

root="$work/root"
dpkg -x "$deb" "$root"
libdir="$root/usr/lib/pelmaris"
step "appstreamcli validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

# A user of its own: settings, data and temporary files in the work folder, no display.
mkdir -p "$work/home" "$work/tmp" "$work/cwd" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
  XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY LD_LIBRARY_PATH
cd "$work/cwd"
listing() { (cd "$root" && find . -printf '%p %y %s %T@\n' | sort); }
before="$(listing)"

# Whether the dynamic loader took a library from the package, by the log LD_DEBUG wrote for
# one run (each library it initialised, by the path it was found at).
loaded() {
  local want found
  want="$(realpath "$libdir/$2")"
  found="$(sed -n 's/.*calling init: //p' "$work/$1".* | xargs -r realpath)"
  grep -qxF "$want" <<<"$found"
}

step "pelmaris --help"
"$root/usr/bin/pelmaris" --help | grep -q -- '--demo' || fail "pelmaris --help lists no --demo"

step "corvanel demo"
LD_DEBUG=libs LD_DEBUG_OUTPUT="$work/ld-demo" "$root/usr/bin/corvanel" demo "$work/demo"
loaded ld-demo libFramework.so || fail "corvanel did not take libFramework.so from the package"

step "corvanel requirement"
lines="$("$root/usr/bin/corvanel" requirement --company "$work/demo" --counter 1 --csv | wc -l)"
[ "$lines" -ge 2 ] || fail "the demo's first receipt has no requirement"

step "pelmaris on the demo company"
LD_DEBUG=libs LD_DEBUG_OUTPUT="$work/ld-host" "$root/usr/bin/pelmaris" "$work/demo" --quit-after 3000
loaded ld-host libFramework.so || fail "pelmaris did not take libFramework.so from the package"
loaded ld-host libCorvanel.so || fail "pelmaris did not load the add-on from the package"
[ -f "$XDG_CONFIG_HOME/Vendrako/pelmaris.INI" ] || fail "pelmaris kept no settings file in the user's configuration directory"

[ "$(listing)" = "$before" ] || fail "something was written inside the unpacked package: $(diff <(echo "$before") <(listing) || true)"
step "the package is sound"
