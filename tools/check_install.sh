#!/usr/bin/env bash
# Checks the installation of a build:
#   check_install.sh install <build folder> <gui: 1 or 0>
#     `cmake --install` into a temporary prefix holds every file of the list
#     below; the installed programs find their libraries from there alone; the
#     desktop entry and the AppStream file validate and name what is there;
#   check_install.sh package <build folder> <gui: 1 or 0>
#     `cpack -G DEB` makes a package whose file list holds the same files and
#     whose dependencies name the libraries the programs link;
#   check_install.sh guide <build folder> 1
#     the guide laid out at build time (bin/ombrix.pdf) holds every page of
#     docs/, each starting a sheet of its own, and a picture of each page's.
set -euo pipefail
mode=$1
build=$(cd "$2" && pwd)
gui=$3
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

appstream_id=org.ombrix.ombrix
icon_sizes="16 24 32 48 64 128 256"

# Every file an installation holds, relative to its prefix.
expected_files() {
  echo bin/ombrix-cli
  echo bin/ombrix-repo
  echo lib/ombrix/librunbase.so
  echo lib/ombrix/libcorekit.so
  (cd "$top/samples" && for file in field/*.ofd field/*.txt; do echo "share/ombrix/samples/$file"; done)
  [ "$gui" = 1 ] || return 0
  echo bin/ombrix
  echo bin/ombrix.pdf
  echo share/doc/ombrix/ombrix.pdf
  for lib in winkit gridon lectern; do echo "lib/ombrix/lib$lib.so"; done
  echo share/applications/ombrix.desktop
  echo "share/metainfo/$appstream_id.metainfo.xml"
  for size in $icon_sizes; do echo "share/icons/hicolor/${size}x${size}/apps/ombrix.png"; done
  echo share/icons/hicolor/scalable/apps/ombrix.svg
  (cd "$top/icons" && for svg in */*.svg; do echo "share/ombrix/icons/$svg"; done)
}

check_install() {
  local prefix=$work/prefix
  cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; return; }
  while read -r file; do
    [ -e "$prefix/$file" ] || fail "not installed: $file"
  done < <(expected_files)

  # The programs run from the prefix alone: their libraries are found beside
  # them, never in the build tree.
  for program in "$prefix"/bin/ombrix "$prefix"/bin/ombrix-cli "$prefix"/bin/ombrix-repo; do
    [ -x "$program" ] || continue
    local dynamic libraries
    dynamic=$(readelf -d "$program")
    libraries=$(ldd "$program")
    grep -q 'RUNPATH.*\$ORIGIN/\.\./lib/ombrix' <<<"$dynamic" || fail "$program: no RUNPATH to lib/ombrix"
    if grep -qF "$build" <<<"$dynamic"; then fail "$program: RUNPATH names the build tree"; fi
    if grep -q 'not found' <<<"$libraries"; then fail "$program: $(grep 'not found' <<<"$libraries")"; fi
  done
  # The installed sample field loads with its series from share/ombrix/.
  (cd "$prefix/share/ombrix" && "$prefix/bin/ombrix-cli" field samples/field/sample.ofd) >"$work/field.txt" 2>&1 || true
  grep -q '^object 1 V0501 Lyr .* points=822 ' "$work/field.txt" \
    || fail "the installed ombrix-cli does not load the installed sample field: $(head -n 3 "$work/field.txt")"
  local usage
  usage=$("$prefix/bin/ombrix-repo" 2>&1 || true)
  grep -q 'Usage: ombrix-repo' <<<"$usage" || fail "the installed ombrix-repo does not start: $usage"
  [ "$gui" = 1 ] || return 0

  [ "$(head -c 5 "$prefix/bin/ombrix.pdf")" = "%PDF-" ] || fail "bin/ombrix.pdf is not the guide"
  for size in $icon_sizes; do
    local kind
    kind=$(file "$prefix/share/icons/hicolor/${size}x${size}/apps/ombrix.png")
    grep -q "PNG image data, $size x $size," <<<"$kind" || fail "the ${size}-pixel program icon: $kind"
  done

  local desktop=$prefix/share/applications/ombrix.desktop
  local metainfo=$prefix/share/metainfo/$appstream_id.metainfo.xml
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
  # The entry starts an installed program and shows an installed icon; the
  # AppStream file launches that entry.
  [ -x "$prefix/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")" ] || fail "Exec= names no installed program"
  [ -e "$prefix/share/icons/hicolor/48x48/apps/$(sed -n 's/^Icon=//p' "$desktop").png" ] || fail "Icon= names no icon"
  grep -q '<launchable type="desktop-id">ombrix.desktop</launchable>' "$metainfo" || fail "metainfo launches another entry"
}

check_package() {
  (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack -G DEB"; return; }
  local debs=("$work"/out/*.deb)
  [ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { fail "cpack made no single package"; return; }
  local deb=${debs[0]}
  dpkg-deb -c "$deb" >"$work/listing"
  awk '{print $6}' "$work/listing" | sed 's|^\./usr/||' | sort >"$work/contents"
  while read -r file; do
    grep -qxF "$file" "$work/contents" || fail "not in the package: $file"
  done < <(expected_files)

  [ "$(dpkg-deb -f "$deb" Package)" = ombrix ] || fail "package name"
  local depends
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  local needed="libc6 libstdc++6 libsqlite3-0 libsodium23 libcurl4"
  [ "$gui" = 1 ] && needed="$needed libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6"
  local names
  names=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
  for dependency in $needed; do
    grep -qxF "$dependency" <<<"$names" || fail "Depends lacks $dependency"
  done
}

check_guide() {
  local guide=$build/bin/ombrix.pdf
  [ -s "$guide" ] || { fail "no guide at $guide"; return; }
  # The text on one line with single blanks: headings may wrap.
  pdftotext "$guide" - | tr -s ' \n' '  ' >"$work/guide.txt"
  local pages chapters=0
  pages=$(pdfinfo "$guide" | sed -n 's/^Pages: *//p')
  for page in "$top"/docs/[0-9][0-9]-*.md; do
    chapters=$((chapters + 1))
    local title
    title=$(sed -n 's/^# //p' "$page" | head -n 1)
    # Each title stands in the contents and again at its chapter's head.
    [ "$(grep -oF "$title" "$work/guide.txt" | wc -l)" -ge 2 ] || fail "chapter \"$title\" is not in the guide"
    while read -r picture; do
      [ -f "$top/docs/$picture" ] || fail "$(basename "$page") shows the missing picture $picture"
    done < <(grep -o '](pictures/[^)]*)' "$page" | sed 's/^](//; s/)$//')
  done
  [ "$chapters" -ge 10 ] || fail "only $chapters chapters in docs/"
  [ "$pages" -gt "$chapters" ] || fail "the guide has $pages sheets for $chapters chapters and a title page"
  pdfimages -list "$guide" | awk 'NR > 2' | wc -l >"$work/images"
  [ "$(cat "$work/images")" -ge "$(grep -ho '](pictures/' "$top"/docs/[0-9][0-9]-*.md | wc -l)" ] \
    || fail "the guide holds fewer pictures than its pages show"
}

case $mode in
  install) check_install ;;
  package) check_package ;;
  guide) check_guide ;;
  *) echo "usage: check_install.sh install|package|guide <build folder> <gui 1|0>" >&2; exit 2 ;;
esac
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installation checks ($mode) passed"
