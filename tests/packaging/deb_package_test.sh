#!/usr/bin/env bash
# The Debian package as a user gets it: made with cpack from the build tree,
# its files at their places and nothing else, its control fields (Depends
# with the Qt libraries and the fonts), its metadata checked by Debian's own
# validators and lintian; then, as root, installed with apt-get, the
# installed vantrel-inspect run against the build tree's, the viewer
# started under Xvfb from the installed desktop entry's Exec line with the
# demo recording, and the package removed again, with anything its
# installation pulled in, so the machine is left as it was.
#
#   deb_package_test.sh CPACK BUILD_DIR DEMO.DAT VERSION
#
# Needs dpkg-dev, lintian, appstream, desktop-file-utils and man-db; the
# installed part also xvfb, xauth, xdotool and root.
set -euo pipefail
cpack=$1
build=$2
demo=$3
version=$4

for tool in "$cpack" dpkg-deb dpkg-shlibdeps lintian appstreamcli desktop-file-validate man file; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

work=$(mktemp -d)
# apt reads the package as its own unprivileged user.
chmod 755 "$work"
installed_here=""
new_packages=()
cleanup() {
  if [ -n "$installed_here" ]; then
    echo "removing vantrel ${new_packages[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq -o DPkg::Lock::Timeout=120 \
      vantrel "${new_packages[@]}" >"$work/remove.log" 2>&1 || cat "$work/remove.log"
  fi
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
complain() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
fail() {
  echo "FAIL: $*"
  exit 1
}
started=$SECONDS
step() { echo "=== $* ($((SECONDS - started)) s)"; }

step "cpack -G DEB"
arch=$(dpkg --print-architecture)
deb="$work/out/vantrel_${version}_${arch}.deb"
(cd "$work" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$work/cpack.log")"
[ -f "$deb" ] || fail "cpack made no $(basename "$deb"): $(ls "$work/out")"

step "contents"
# Every file of the package, with its mode and owner; directories aside.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort -k3 >"$work/contents"
cat "$work/contents"
metainfo=$(awk '$3 ~ /^\.\/usr\/share\/metainfo\// { print substr($3, 2) }' "$work/contents")
expected=(
  "-rwxr-xr-x /usr/bin/vantrel"
  "-rwxr-xr-x /usr/bin/vantrel-inspect"
  "-rw-r--r-- /usr/share/applications/vantrel.desktop"
  "-rw-r--r-- /usr/share/doc/vantrel/README.md"
  "-rw-r--r-- /usr/share/doc/vantrel/changelog.gz"
  "-rw-r--r-- /usr/share/doc/vantrel/copyright"
  "-rw-r--r-- /usr/share/icons/hicolor/scalable/apps/vantrel.svg"
  "-rw-r--r-- /usr/share/man/man1/vantrel-inspect.1.gz"
  "-rw-r--r-- /usr/share/man/man1/vantrel.1.gz"
  "-rw-r--r-- ${metainfo:-/usr/share/metainfo/(none)}"
  "-rw-r--r-- /usr/share/mime/packages/vantrel-mime.xml"
)
awk '{ sub(/^\./, "", $3); print $1, $3 }' "$work/contents" | sort >"$work/have"
printf '%s\n' "${expected[@]}" | sort >"$work/want"
diff -u "$work/want" "$work/have" || complain "the package's files differ from the list above (- wanted, + found)"
awk '$2 != "root/root" { print }' "$work/contents" | grep . && complain "files not owned by root"
case $metainfo in
/usr/share/metainfo/*.metainfo.xml) ;;
*) complain "no AppStream metadata in /usr/share/metainfo: '$metainfo'" ;;
esac

dpkg-deb -x "$deb" "$work/root"
root=$work/root
for program in vantrel vantrel-inspect; do
  file -L "$root/usr/bin/$program" | grep -q "ELF.*, stripped" ||
    complain "$program is not a stripped ELF program: $(file "$root/usr/bin/$program")"
done

step "control fields"
dpkg-deb -I "$deb" control | tee "$work/control"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vantrel ] || complain "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || complain "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$arch" ] || complain "Architecture is '$(field Architecture)'"
for name in Maintainer Section Priority Homepage Description Installed-Size; do
  [ -n "$(field "$name")" ] || complain "the control file has no $name"
done
# dpkg-shlibdeps's libraries, and what the programs load at run time.
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 \
  fonts-wqy-microhei fonts-liberation2 qt6-translations-l10n; do
  grep -qx "$package" <<<"$depends" || complain "Depends lacks $package: $(field Depends)"
done

step "appstreamcli validate"
appstreamcli validate --no-net --explain "$root$metainfo" || complain "appstreamcli rejects $metainfo"
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$root$metainfo")
[ "$metainfo" = "/usr/share/metainfo/$id.metainfo.xml" ] || complain "the metadata of '$id' is named $metainfo"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$root$metainfo" ||
  complain "the metadata has no release $version with a date"
grep -q "<launchable type=\"desktop-id\">vantrel.desktop</launchable>" "$root$metainfo" ||
  complain "the metadata does not launch vantrel.desktop"

step "desktop-file-validate"
desktop=$root/usr/share/applications/vantrel.desktop
desktop-file-validate "$desktop" || complain "desktop-file-validate rejects vantrel.desktop"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
read -r exec_program _ <<<"$exec_line"
[ -x "$root/usr/bin/$exec_program" ] || complain "Exec runs '$exec_program', which the package has not in /usr/bin"

step "man pages"
for page in vantrel vantrel-inspect; do
  gz=$root/usr/share/man/man1/$page.1.gz
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$gz" 2>&1 >"$work/$page.txt") || true
  [ -z "$warnings" ] || complain "man warns about $page.1: $warnings"
  grep -q "^NAME" "$work/$page.txt" && grep -q "^Vantrel $version " "$work/$page.txt" ||
    complain "$page.1 renders without NAME or version $version: $(head -n 5 "$work/$page.txt")"
done

step "copyright"
copyright=$root/usr/share/doc/vantrel/copyright
head -n 1 "$copyright" | grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ||
  complain "the copyright file is not machine-readable"
grep -q "^License: Expat$" "$copyright" && grep -q "^ Permission is hereby granted" "$copyright" ||
  complain "the copyright file does not carry the license: $(cat "$copyright")"

step "lintian"
# Errors fail; warnings and the rest are shown.
lintian --tag-display-limit 0 --display-level ">=info" "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
grep -E "^E: " "$work/lintian.log" && complain "lintian reports errors"

if [ "$(id -u)" -ne 0 ]; then
  echo "not root: the package is not installed"
elif dpkg-query -W -f='${Status}' vantrel 2>/dev/null | grep -q "install ok installed"; then
  echo "vantrel is installed on this machine already: the package is not installed over it"
else
  step "apt-get install"
  dpkg-query -W -f='${Package}\n' | sort >"$work/before"
  installed_here=yes
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=120 "$deb" >"$work/install.log" 2>&1 ||
    fail "apt-get install failed: $(cat "$work/install.log")"
  dpkg-query -W -f='${Package}\n' | sort >"$work/after"
  mapfile -t new_packages < <(comm -13 "$work/before" "$work/after" | grep -vx vantrel || true)
  [ ${#new_packages[@]} -eq 0 ] || echo "installed with it: ${new_packages[*]}"

  step "the installed programs"
  [ "$(/usr/bin/vantrel-inspect --version)" = "vantrel-inspect $version" ] ||
    complain "/usr/bin/vantrel-inspect --version says '$(/usr/bin/vantrel-inspect --version)'"
  /usr/bin/vantrel-inspect index "$demo" >"$work/index.json" || complain "/usr/bin/vantrel-inspect index failed"
  grep -q '"recordCount": *300' "$work/index.json" || complain "index: $(head -c 300 "$work/index.json")"
  "$build/src/inspect/vantrel-inspect" index "$demo" | cmp -s - "$work/index.json" ||
    complain "the installed vantrel-inspect indexes the demo unlike the built one"
  # A picture needs Qt's platform plugins and fonts as installed.
  QT_QPA_PLATFORM=offscreen /usr/bin/vantrel-inspect report "$demo" 190 3 --out "$work/installed.png" >/dev/null &&
    QT_QPA_PLATFORM=offscreen "$build/src/inspect/vantrel-inspect" report "$demo" 190 3 --out "$work/built.png" >/dev/null &&
    cmp -s "$work/installed.png" "$work/built.png" ||
    complain "the installed vantrel-inspect draws the report unlike the built one"
  # (A minimal image may keep dpkg from unpacking manual pages at all.)
  if ! grep -qs '^path-exclude=*/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
    [ "$(man -w vantrel-inspect)" = /usr/share/man/man1/vantrel-inspect.1.gz ] ||
      complain "man -w vantrel-inspect: '$(man -w vantrel-inspect 2>&1)'"
  fi
  if command -v update-mime-database >/dev/null; then
    [ -f /usr/share/mime/application/x-vantrel-dat.xml ] || complain "the MIME database has no application/x-vantrel-dat"
  fi

  step "the viewer from its desktop entry, under Xvfb"
  if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null || ! command -v xauth >/dev/null; then
    echo "xvfb-run, xauth or xdotool missing: the viewer is not started"
  else
    # Starts the installed entry's Exec line with FILE as %f and prints the
    # number of visible windows whose title begins with Vantrel once the main window is up and
    # has settled: 1 when FILE opened, 2 with the message box of a file that
    # could not be opened.
    windows_for() {
      local command=${2//%f/$1}
      env -u QT_QPA_PLATFORM PATH=/usr/bin:/bin timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" \
        sh -c '
          $1 >"$2" 2>&1 &
          pid=$!
          if ! timeout 30 xdotool search --sync --onlyvisible --name "^Vantrel( .+)?\$" >/dev/null; then
            echo "no window"
          else
            sleep 3
            if kill -0 $pid 2>/dev/null; then
              xdotool search --onlyvisible --name "^Vantrel( .+)?\$" | wc -l
            else
              echo "exited"
            fi
          fi
          kill $pid 2>/dev/null
          wait $pid 2>/dev/null
          true' sh "$command" "$work/viewer.log"
    }
    cp "$demo" "$work/demo.DAT"
    shown=$(windows_for "$work/demo.DAT" "$(sed -n 's/^Exec=//p' /usr/share/applications/vantrel.desktop)")
    echo "with the demo recording: $shown window(s)"
    [ "$shown" = 1 ] || complain "the viewer with the demo recording: $shown ($(cat "$work/viewer.log"))"
    shown=$(windows_for "$work/missing.DAT" "$(sed -n 's/^Exec=//p' /usr/share/applications/vantrel.desktop)")
    echo "with a missing file: $shown window(s)"
    [ "$shown" = 2 ] || complain "the viewer given a missing file shows $shown, not its window and a message"
  fi

  step "apt-get remove"
  DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq -o DPkg::Lock::Timeout=120 \
    vantrel "${new_packages[@]}" >"$work/remove.log" 2>&1 || complain "apt-get remove failed: $(cat "$work/remove.log")"
  installed_here=""
  [ ! -e /usr/bin/vantrel ] && [ ! -e /usr/bin/vantrel-inspect ] || complain "the programs stay after removal"
  dpkg-query -W -f='${Package}\n' | sort | diff -u "$work/before" - || complain "the installed packages differ from before"
fi

step "done"
[ "$failures" -eq 0 ] || exit 1
echo "PASS: the Debian package $(basename "$deb")"
