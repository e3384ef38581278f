#!/bin/sh
# What `make install` puts in place, checked in a scratch prefix by the
# desktop's own validators. One group of checks a call; a group whose
# validator is not installed says so and exits 77 (skipped).
# Usage: check_install.sh BUILD_DIR PREFIX GROUP
#   GROUP: stage | clean | desktop | mime | metainfo | man | icons | programs
build=$1
prefix=$2
group=$3
share=$prefix/share
sizes="16 22 24 32 48 64 128 256"
failed=0

fail() {
  echo "FAIL: $*"
  failed=1
}
need() {
  command -v "$1" >/dev/null 2>&1 && return 0
  echo "SKIP: $1 is not installed (make deps installs it)"
  exit 77
}
has_file() {
  [ -f "$1" ] || fail "missing $1"
}

case $group in
stage)
  rm -rf "$prefix"
  cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
  for file in bin/tavo bin/tavo-headless share/tavo/opcodes.dat share/applications/tavo.desktop \
    share/mime/packages/tavo.xml share/metainfo/tavo.metainfo.xml share/man/man1/tavo.1 \
    share/man/man1/tavo-headless.1; do
    has_file "$prefix/$file"
  done
  ;;
clean)
  rm -rf "$prefix"
  ;;
desktop)
  need desktop-file-validate
  entry=$share/applications/tavo.desktop
  out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate says: $out"
  # It opens exactly the cartridge types the MIME file registers, and zips.
  registered=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$share/mime/packages/tavo.xml" | sort | tr '\n' ' ')
  listed=$(sed -n 's/^MimeType=//p' "$entry" | tr ';' '\n' | grep -v '^$' | grep -v '^application/zip$' | sort | tr '\n' ' ')
  [ "$registered" = "$listed" ] || fail "MimeType lists '$listed', tavo.xml registers '$registered'"
  grep -q '^MimeType=.*application/zip;' "$entry" || fail "zipped cartridges are not opened"
  grep -q '^Exec=tavo %f$' "$entry" || fail "Exec is not 'tavo %f'"
  ;;
mime)
  need update-mime-database
  packages=$share/mime/packages/tavo.xml
  if command -v xmllint >/dev/null 2>&1; then
    xmllint --noout "$packages" || fail "tavo.xml is not well-formed"
  fi
  # The real consumer builds a database from the file alone.
  database=$prefix/mime-check/mime
  rm -rf "$prefix/mime-check"
  mkdir -p "$database/packages"
  cp "$packages" "$database/packages/"
  out=$(XDG_DATA_DIRS=$prefix/mime-check XDG_DATA_HOME=$prefix/mime-check update-mime-database "$database" 2>&1) ||
    fail "update-mime-database failed: $out"
  [ -z "$out" ] || fail "update-mime-database says: $out"
  grep -q ':application/x-sms-rom:\*\.sms$' "$database/globs2" || fail "*.sms is not application/x-sms-rom"
  grep -q ':application/x-gamegear-rom:\*\.gg$' "$database/globs2" || fail "*.gg is not application/x-gamegear-rom"
  rm -rf "$prefix/mime-check"
  ;;
metainfo)
  need appstreamcli
  out=$(appstreamcli validate --no-net --pedantic "$share/metainfo/tavo.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate: $out"
  # Nothing above the pedantic infos: no warning, no error.
  if printf '%s\n' "$out" | grep -q '^[EW]:'; then fail "appstreamcli says: $out"; fi
  version=$("$prefix/bin/tavo" --version | sed 's/^tavo //')
  grep -q "<release version=\"$version\"" "$share/metainfo/tavo.metainfo.xml" ||
    fail "no release $version in the metainfo"
  grep -q '<launchable type="desktop-id">tavo.desktop</launchable>' "$share/metainfo/tavo.metainfo.xml" ||
    fail "the metainfo does not launch tavo.desktop"
  ;;
man)
  need groff
  page=$share/man/man1/tavo.1
  out=$(groff -man -ww -z "$page" 2>&1)
  [ -z "$out" ] || fail "groff warns: $out"
  [ "$(cat "$share/man/man1/tavo-headless.1")" = ".so man1/tavo.1" ] || fail "tavo-headless.1 is not the same page"
  text=$(groff -man -Tascii -P-cbou "$page" 2>/dev/null)
  # Every long option of both --help texts is in the page, and the page has
  # no long option that neither program knows.
  helped=$({ "$prefix/bin/tavo" --help; "$prefix/bin/tavo-headless" --help; } |
    grep -o -- '--[a-z][a-z-]*' | sort -u)
  paged=$(printf '%s\n' "$text" | grep -o -- '--[a-z][a-z-]*' | sort -u)
  [ -n "$helped" ] || fail "no options in the --help texts"
  for option in $helped; do
    printf '%s\n' "$paged" | grep -qx -- "$option" || fail "the manual page lacks $option"
  done
  for option in $paged; do
    printf '%s\n' "$helped" | grep -qx -- "$option" || fail "the manual page has $option, which no --help lists"
  done
  for option in -debug -sym -h; do
    printf '%s\n' "$text" | grep -q -- " $option" || fail "the manual page lacks $option"
  done
  version=$("$prefix/bin/tavo" --version | sed 's/^tavo //')
  printf '%s\n' "$text" | grep -q "Tavo $version" || fail "the manual page is not of version $version"
  ;;
icons)
  for size in $sizes; do
    icon=$share/icons/hicolor/${size}x${size}/apps/tavo.png
    [ -f "$icon" ] || { fail "missing $icon"; continue; }
    if command -v pngcheck >/dev/null 2>&1; then
      pngcheck -q "$icon" >/dev/null || fail "pngcheck rejects $icon"
    fi
    # IHDR: width and height (big-endian) from byte 16, then depth and
    # colour type: 8-bit RGBA.
    header=$(od -An -tu1 -j16 -N10 "$icon" | tr -s ' \n' ' ' | sed 's/^ //;s/ $//')
    side="0 0 $((size / 256)) $((size % 256))"
    [ "$header" = "$side $side 8 6" ] ||
      fail "$icon is not a ${size}x${size} RGBA picture (header $header)"
  done
  ;;
programs)
  # The installed copy answers --help and --version without a display and
  # without making its folder for tavo.cfg and the working folders.
  home=$prefix/home
  rm -rf "$home"
  mkdir -p "$home"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_DATA_HOME="$home/data" "$prefix/bin/tavo" --help) ||
    fail "tavo --help exits $?"
  case $out in Usage:\ tavo*) ;; *) fail "tavo --help prints: $out" ;; esac
  env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_DATA_HOME="$home/data" "$prefix/bin/tavo" --version >/dev/null ||
    fail "tavo --version fails"
  "$prefix/bin/tavo-headless" --version >/dev/null || fail "tavo-headless --version fails"
  [ -z "$(ls -A "$home")" ] || fail "--help or --version wrote: $(ls -A "$home")"
  rm -rf "$home"
  ;;
*)
  echo "unknown group $group"
  exit 2
  ;;
esac
[ $failed = 0 ] && echo "ok: $group"
exit $failed
