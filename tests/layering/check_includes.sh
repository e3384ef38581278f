#!/bin/sh
# Fails when a source file includes a header from a floor above its own.
# The floors, lowest first; a folder may include itself and the ones before
# it. An include marked "// upward: REASON" is let through, three at most.
# Usage: check_includes.sh SOURCE_DIR
floors="base z80 machine config lumo debugger record app"
root=${1:-.}
status=0
allowed=0
rank() {
  n=0
  for f in $floors; do
    [ "$f" = "$1" ] && { echo $n; return; }
    n=$((n + 1))
  done
  echo -1
}
for folder in $floors; do
  own=$(rank "$folder")
  for file in "$root/$folder"/*.h "$root/$folder"/*.cpp; do
    [ -f "$file" ] || continue
    grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z0-9_]*/' "$file" |
      while IFS= read -r line; do
        target=$(printf '%s\n' "$line" | sed 's/^[^"]*"\([a-z0-9_]*\)\/.*/\1/')
        to=$(rank "$target")
        [ "$to" -gt "$own" ] || continue
        case "$line" in
          *"// upward: "?*) echo "allowed ${file#$root/}:${line}" ;;
          *) echo "upward ${file#$root/}:${line}" ;;
        esac
      done
  done
done > "${TMPDIR:-/tmp}/tavo_layering.$$"
report="${TMPDIR:-/tmp}/tavo_layering.$$"
upward=$(grep -c '^upward ' "$report")
allowed=$(grep -c '^allowed ' "$report")
if [ "$upward" -gt 0 ]; then
  echo "Includes that point up a floor (the order is: $floors):"
  sed -n 's/^upward /  /p' "$report"
  status=1
fi
if [ "$allowed" -gt 3 ]; then
  echo "More than three marked upward includes:"
  sed -n 's/^allowed /  /p' "$report"
  status=1
fi
rm -f "$report"
[ $status -eq 0 ] && echo "Every include points down or within its floor ($allowed marked exceptions)."
exit $status
