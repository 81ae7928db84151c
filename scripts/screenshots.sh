#!/usr/bin/env bash
# Takes the README's pictures of the window (docs/*.png, the icon sheet
# aside) again: builds build/window_shots and runs it under xvfb-run with
# HOME set to a fresh home of its own, /home/ada, holding a few folders and
# calculator files, so that the PC panes show nothing of this machine's
# own home or temporary folders. The fresh /home is a temporary folder
# bound over /home in a mount namespace of its own (unshare): the PC tree
# shows it as a drive of its own, as a separate home partition looks. Where
# the system allows no such namespace, the home is a temporary folder where
# it stands, and the script says so.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="$(pwd)/docs"
cmake --build "$build" --target window_shots -j2
shots="$(cd "$build" && pwd)/window_shots"

# The home's contents: folders a desktop has, and calculator files in
# text form beside a few other files.
fill_home() {
  local home=$1
  mkdir -p "$home"/{Documents,Downloads,Pictures,Music,hp48/games}
  printf 'Shopping: batteries for the HP48\n' >"$home/Documents/todo.txt"
  printf 'Cable: USB to serial, 9600 baud\n' >"$home/Downloads/readme.txt"
  printf '%%%%HP: T(3)A(D)F(.);\r\n"Hello from the PC"\r\n' >"$home/hp48/GREET"
  printf '%%%%HP: T(3)A(D)F(.);\r\n\\<< 6 RAND * 1 + IP \\>>\r\n' >"$home/hp48/games/DICE"
  printf '%%%%HP: T(3)A(D)F(.);\r\n{ 2 3 5 7 11 13 17 19 23 29 }\r\n' >"$home/hp48/PRIMES.TXT"
  { printf '%%%%HP: T(3)A(D)F(.);\r\n"'
    for i in $(seq 1 120); do printf 'Lecture notes, page %d: the stack holds what comes next.\r\n' "$i"; done
    printf '"\r\n'; } >"$home/hp48/NOTES"
}

run_shots() {
  local home=$1
  fill_home "$home"
  env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME HOME="$home" \
    xvfb-run -a -s "-screen 0 1280x800x24" "$shots" "$out"
}

# Beside the build, on a disk file system (a tmpfs under /home would not
# be listed as a drive).
base="$(mktemp -d "$(cd "$build" && pwd)/shots-home.XXXXXX")"
trap 'rm -rf "$base"' EXIT
if unshare -Urm true 2>/dev/null; then
  export -f fill_home run_shots
  export shots out base
  unshare -Urm bash -c 'mount --bind "$base" /home && run_shots /home/ada'
else
  echo "screenshots: no mount namespace here; the PC tree shows $base's neighbours" >&2
  run_shots "$base/ada"
fi
