#!/usr/bin/env bash
# Builds the Debian package from a build folder with cpack, unpacks it into a
# temporary folder and checks what a user gets: exactly the expected files,
# dependencies computed from the binaries, a valid desktop entry and
# AppStream metainfo, programs that run, man pages that render and cover
# every dravik-cli command, and a bash completion that completes.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
id=org.dravik.Dravik

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack -G DEB failed"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb"
deb=${debs[0]}
dpkg-deb -x "$deb" "$work/root"
root=$work/root

expected=(
  usr/bin/dravik usr/bin/dravik-cli usr/bin/dravik-sim
  usr/share/applications/$id.desktop
  usr/share/bash-completion/completions/dravik-cli
  usr/share/icons/hicolor/scalable/apps/$id.svg
  usr/share/man/man1/dravik-cli.1.gz usr/share/man/man1/dravik-sim.1.gz
  usr/share/man/man1/dravik.1.gz
  usr/share/metainfo/$id.metainfo.xml
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f | sed 's|^\./||' | sort) ||
  fail "the package's files differ from the expected list (< expected, > packaged)"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6widgets6 libqt6svg6; do
  tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qx "$lib" ||
    fail "Depends lacks $lib: $depends"
done

desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 ||
  { cat "$work/as.log"; fail "appstreamcli validate"; }
grep -qx "Icon=$id" "$root/usr/share/applications/$id.desktop" || fail "the desktop entry's icon"

# The packaged programs run.
"$root/usr/bin/dravik-cli" --help >"$work/cli-help" || fail "dravik-cli --help"
"$root/usr/bin/dravik-sim" --help >/dev/null || fail "dravik-sim --help"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/dravik" --version >/dev/null 2>"$work/app.log" ||
  { cat "$work/app.log"; fail "dravik --version"; }

# Man pages render without warnings; dravik-cli's names every command.
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(gzip -dc "$page" | groff -man -Tutf8 -ww -z 2>&1) || fail "groff on $page"
  [ -z "$warnings" ] || fail "groff warns on $page: $warnings"
done
gzip -dc "$root/usr/share/man/man1/dravik-cli.1.gz" >"$work/cli.1"
commands=$(sed -n '/^Commands:/,$ s/^  \([a-z0-9]\{1,\}\) .*/\1/p' "$work/cli-help")
[ -n "$commands" ] || fail "dravik-cli --help lists no commands"
for command in $commands; do
  grep -qE "^\.BR? $command\$|^\.B[IR]? $command " "$work/cli.1" ||
    fail "the dravik-cli man page lacks the command $command"
done

# The completion knows the commands and the options.
completions=$(PATH="$root/usr/bin:$PATH" bash -c '
  source "$1"
  COMP_WORDS=(dravik-cli do); COMP_CWORD=1; _dravik_cli; echo "${COMPREPLY[*]}"
  COMP_WORDS=(dravik-cli --device /dev/null --tr); COMP_CWORD=3; _dravik_cli; echo "${COMPREPLY[*]}"
' _ "$root/usr/share/bash-completion/completions/dravik-cli")
[ "$completions" = $'doctor\n--trace' ] || fail "bash completion gave: $completions"
echo "package ok: $(basename "$deb"), Depends: $depends"
