#!/usr/bin/env bash
# Cross-builds the suite for 32-bit Windows (preset win32, build-win32/) and tests it under
# Wine in a private prefix made here and removed at the end:
#   - the export tables of PackLib.dll and PatchLib.dll (every ordinal position, the empty
#     ones included), their version resources, and that they need only system DLLs;
#   - the Windows test programs (binding, archives, database, patches, hostile sizes,
#     diagnostics from the debug output, the game's registry entry);
#   - the same fftool calls on Linux and on Windows write byte-identical Fastfiles,
#     databases and patches, and each build reads the other's files;
#   - fftool.exe on the demo game, found through Wine's registry, and patchapply.exe's
#     terminal mode installing a patch into it as the Linux build does.
# The Linux side (build/, preset default) is built here when it is missing. Prints
# "N passed, N failed" last and exits non-zero when anything failed.
# Needs g++-mingw-w64-i686 and wine with wine32 (tools/install-deps.sh).
set -euo pipefail
trap 'echo "test-windows: stopped by a failed step at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
root=$(pwd)

for tool in i686-w64-mingw32-g++-posix i686-w64-mingw32-objdump wine wineboot wineserver; do
  if ! command -v "$tool" >/dev/null; then
    echo "test-windows: $tool is missing; run tools/install-deps.sh" >&2
    exit 1
  fi
done

jobs=$(nproc)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# The Windows build.
cmake --preset win32 "${launcher[@]}" >/dev/null
cmake --build --preset win32 -j "$jobs"
winbin=$root/build-win32/bin

# The Linux programs the files are compared with.
linux_build=${QM_LINUX_BUILD:-$root/build}
if [ ! -f "$linux_build/build.ninja" ]; then
  cmake --preset default "${launcher[@]}" >/dev/null
fi
cmake --build "$linux_build" -j "$jobs" --target PackLib PatchLib fftool patchapply make-demo-game
linbin=$linux_build/bin

work=$(mktemp -d /tmp/qm-windows-test.XXXXXX)
export WINEPREFIX=$work/prefix
export WINEARCH=win32
export WINEDEBUG=-all
# No desktop: nothing may wait for a window, and Wine must not offer to install add-ons.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# Tells the Windows tests that a question cannot be shown, so its careful answer is known.
export QM_WIN32_NO_DESKTOP=1
# The Linux tools keep their registry in a file of their own here.
export QUILLMARK_REGISTRY=$work/registry.ini

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "[ ok ] $1"; }
fail() { failed=$((failed + 1)); echo "[FAIL] $1"; }

# The prefix is booted once for the whole run; the server stays up until cleanup().
mkdir -p "$WINEPREFIX"
if ! wineboot -i >/dev/null 2>&1; then
  echo "test-windows: wineboot could not make the prefix $WINEPREFIX" >&2
  exit 1
fi
wineserver -p >/dev/null 2>&1 || true

# wine with its output's line ends made Unix ones.
win() { wine "$@" 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# A Windows path (Z:\...) for a Unix one.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

### Export tables, version resources, imports ###############################################

# "ORDINAL NAME" for every position of a DLL's export table, "-" for an empty position.
export_table() {
  i686-w64-mingw32-objdump -p "$1" | awk '
    function hex(text, i, value) {
      value = 0
      for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
      return value
    }
    # The first such line is the count under "Number in:"; a later one is the address.
    /^\tExport Address Table[ \t]+[0-9a-f]+$/ && !count { count = hex($4) }
    /^Ordinal Base/ { base = $3 }
    /^Export Address Table --/ { section = "eat"; next }
    /^\[Ordinal\/Name Pointer\] Table/ { section = "names"; next }
    /^$/ { section = "" }
    section == "eat" && /\+base\[/ { gsub(/[\[\]]/, " "); used[$1 + 0] = 1 }
    section == "names" { gsub(/[\[\]]/, " "); name[$1 + 0] = $2 }
    END {
      for (i = 0; i < count; i++) {
        if (!(i in used)) print i + base, "-";
        else if (i in name) print i + base, name[i];
        else print i + base, "(no name)";
      }
    }'
}

# The expected tables: one name per ordinal, counting from 1; "-" leaves a position empty.
packlib_table=(PackLibInit GetFastfilePath DoReadOnlyCheck - - - - - -
  FFLGetBufferSize FFLSetBufferSize FFLGetPBufferSize FFLSetPBufferSize FFLGetDbBufferSize
  FFLSetDbBufferSize - - - -
  FFLCreateDatabase FFLOpenDatabase FFLSaveDatabase FFLCloseDatabase FFLGetDbItemCount
  FFLGetDbPath FFLSetDbPath FFLGetFirstDbItem FFLGetNextDbItem FFLGetDbItemPath
  FFLGetDbItemFile FFLSetDbItemPath FFLSetDbItemFile FFLAddDbItem FFLDeleteDbItem
  FFLFindDbItem - - - -
  FFLCreateArchive FFLOpenArchive FFLParseArchive FFLSaveArchive FFLCloseArchive
  FFLGetItemCount FFLGetPath FFLSetPath FFLGetFirstItem FFLGetNextItem FFLGetItemPath
  FFLGetItemData FFLSetItemPath FFLSetItemData FFLAddItem FFLDeleteItem FFLFindItem)
patchlib_table=(PatchLibInit KDZGetBufferSize KDZSetBufferSize - - - - - -
  KDZCreatePatch KDZOpenPatch KDZSavePatch KDZClosePatch KDZGetItemCount KDZGetPath
  KDZSetPath KDZGetFirstItem KDZGetNextItem KDZGetItemName KDZGetItemPath KDZGetItemData
  KDZSetItemName KDZSetItemPath KDZSetItemData KDZAddItem KDZDeleteItem KDZFindItem)

numbered() {
  local i=1
  for name in "$@"; do
    echo "$i $name"
    i=$((i + 1))
  done
}

check_dll() {
  local dll=$1 module=$2 version=$3 resources=$4
  shift 4
  local file=$winbin/$dll dump
  dump=$(i686-w64-mingw32-objdump -p "$file")
  if diff <(numbered "$@") <(export_table "$file") >"$work/table.diff" &&
    grep -qP "^Name \t+[0-9a-f]+ $module\$" <<<"$dump" &&
    grep -qP '^Ordinal Base \t+1$' <<<"$dump"; then
    pass "$dll: export table, ordinal base 1, module name $module"
  else
    fail "$dll: export table"
    cat "$work/table.diff"
  fi
  # Resource types in the root of the resource directory: 0x10 version, 0x06 strings.
  local types
  # (objdump indents the root's entries by three blanks, deeper levels by more.)
  types=$(awk 'match($0, /^[0-9a-f]+   Entry: ID: 0x[0-9a-f]+/) {
      print substr($0, RLENGTH - 7, 8)
    }' <<<"$dump" | sort | tr '\n' ' ')
  if [ "$types" = "$resources " ] &&
    strings -el "$file" | grep -qx "$version" &&
    [ "$(strings -el "$file" | grep -A1 -x FileVersion | tail -1)" = "$version" ]; then
    pass "$dll: version resource $version (resource types $resources)"
  else
    fail "$dll: version resource (types: $types)"
  fi
  local imports
  imports=$(grep -oP 'DLL Name: \K.*' <<<"$dump" | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
  if grep -qvxE 'kernel32.dll|msvcrt.dll|user32.dll|advapi32.dll' < <(tr ' ' '\n' <<<"$imports" | grep .); then
    fail "$dll: imports beyond the system's DLLs: $imports"
  else
    pass "$dll: needs only system DLLs ($imports)"
  fi
}

check_dll PackLib.dll PackLib.dll 1.4.0.0 "0x000006 0x000010" "${packlib_table[@]}"
check_dll PatchLib.dll PatchLib.dll 1.0.0.0 "0x000010" "${patchlib_table[@]}"

### The Windows test programs ##################################################################

for program in win32_binding_test win32_library_test win32_platform_test; do
  output=$(cd "$work" && timeout 300 wine "$winbin/$program.exe" 2>&1 | tr -d '\r') && status=0 || status=$?
  summary=$(grep -xE '[0-9]+ passed, [0-9]+ failed' <<<"$output" | tail -1 || true)
  # Its failures in full; its own summary indented, so that only ours closes the run.
  grep -vE '^\[ ok \]|^[0-9]+ passed, [0-9]+ failed$' <<<"$output" || true
  [ -z "$summary" ] || echo "  $program: $summary"
  if [ -z "$summary" ]; then
    fail "$program: ended (status $status) without its summary"
    continue
  fi
  read -r program_passed _ program_failed _ <<<"$summary"
  passed=$((passed + program_passed))
  failed=$((failed + program_failed))
  if [ "$status" -ne 0 ] && [ "$program_failed" -eq 0 ]; then
    fail "$program: exit status $status"
  fi
done

### The same calls on both builds ##############################################################

# The same fftool session, in the current directory, with the tool given as the arguments.
write_files() {
  printf 'first' >one.bin
  printf '\x00\x01\x02\xff\xfe\x7f\x80' >two.bin
  printf 'LIST\x00\x00\x00\x04ILBMxyz' >three.rim
  "$@" new menus.ffl
  "$@" add menus.ffl 'textures\menus\one.bin' one.bin 'textures\menus\two.bin' two.bin \
    'textures\title.rim' three.rim
  "$@" replace menus.ffl 'textures\menus\one.bin' two.bin
  "$@" delete menus.ffl 'textures\menus\two.bin'
  "$@" db add ffinfo.txt 'textures\menus' menus.ffl
  "$@" db add ffinfo.txt 'sounds' common.ffl
  "$@" patch new demo.kdz --title 'Demo patch' --version 1.0 --author Someone \
    --copyright '(c) nobody' --description 'Two items'
  "$@" patch add demo.kdz three.rim 'textures\title.rim|textures\menus\title.rim' --name title
  "$@" patch add demo.kdz one.bin 'textures\menus\one.bin'
}

mkdir -p "$work/linux" "$work/windows"
(cd "$work/linux" && write_files "$linbin/fftool") >"$work/linux.log" 2>&1 || true
(cd "$work/windows" && write_files win "$winbin/fftool.exe") >"$work/windows.log" 2>&1 || true
for file in menus.ffl ffinfo.txt demo.kdz; do
  if [ -s "$work/linux/$file" ] && cmp -s "$work/linux/$file" "$work/windows/$file"; then
    pass "$file written by fftool.exe is byte-identical to the Linux build's"
  else
    fail "$file differs between the builds (or is missing)"
    diff "$work/linux.log" "$work/windows.log" || true
  fi
done

# Each build reads the other's files and sees the same.
read_files() {
  "$@" list menus.ffl
  "$@" db list ffinfo.txt
  "$@" db find ffinfo.txt 'textures\menus\one.bin'
  "$@" patch info demo.kdz
  "$@" patch list demo.kdz
}
for from in linux windows; do
  linux_view=$(cd "$work/$from" && read_files "$linbin/fftool" 2>&1) || true
  windows_view=$(cd "$work/$from" && read_files win "$winbin/fftool.exe" 2>&1) || true
  if [ -n "$linux_view" ] && [ "$linux_view" = "$windows_view" ] &&
    grep -q 'textures\\title.rim' <<<"$linux_view"; then
    pass "both builds read the $from build's Fastfile, database and patch alike"
  else
    fail "the builds read the $from build's files differently"
    diff <(echo "$linux_view") <(echo "$windows_view") || true
  fi
done

### fftool.exe on the game found through Wine's registry ######################################

game=$work/game
"$linbin/make-demo-game" --register "$game" >/dev/null
win reg add 'HKLM\Software\Fox Interactive\Aliens versus Predator' /v Path /t REG_SZ \
  /d "$(winpath "$game")" /f >/dev/null
linux_db=$("$linbin/fftool" db list 2>&1) || true
windows_db=$(cd "$work" && win "$winbin/fftool.exe" db list) || true
if [ -n "$windows_db" ] && [ "$windows_db" = "$linux_db" ]; then
  pass "fftool.exe lists the game's database, found through the registry"
else
  fail "fftool.exe db list without a file"
  diff <(echo "$linux_db") <(echo "$windows_db") || true
fi
# Every Fastfile of the game, named by its Windows path, reads as on Linux.
while IFS=$'\t' read -r _ fastfile; do
  linux_list=$("$linbin/fftool" list "$game/fastfile/$fastfile" 2>&1) || true
  windows_list=$(cd "$work" && win "$winbin/fftool.exe" list "$(winpath "$game/fastfile/$fastfile")") || true
  if [ "$windows_list" = "$linux_list" ] && grep -q ' item(s)$' <<<"$windows_list"; then
    pass "fftool.exe lists the game's $fastfile as the Linux build does"
  else
    fail "fftool.exe list $fastfile"
    diff <(echo "$linux_list") <(echo "$windows_list") || true
  fi
done <<<"$linux_db"

# The sound archive rewritten by both builds: the same item deleted from a copy each.
sounds=$(awk -F'\t' 'tolower($2) == "common.ffl" { print $2 }' <<<"$linux_db")
# (The database names it "Common.ffl"; on disk it may be in any case.)
sound_file=$(find "$game/fastfile" -maxdepth 1 -iname "$sounds" | head -1)
sound_item=$("$linbin/fftool" list "$sound_file" | awk 'NR == 1 { print $2 }')
cp "$sound_file" "$work/linux/sounds.ffl"
cp "$sound_file" "$work/windows/sounds.ffl"
(cd "$work/linux" && "$linbin/fftool" delete sounds.ffl "$sound_item") >/dev/null 2>&1 || true
(cd "$work/windows" && win "$winbin/fftool.exe" delete sounds.ffl "$sound_item") >/dev/null || true
if [ -n "$sound_item" ] && cmp -s "$work/linux/sounds.ffl" "$work/windows/sounds.ffl" &&
  ! cmp -s "$work/linux/sounds.ffl" "$sound_file"; then
  pass "the sound archive $sounds rewritten by fftool.exe is byte-identical to the Linux build's"
else
  fail "the sound archive $sounds rewritten by the two builds differs (or was not rewritten)"
fi

### patchapply.exe's terminal mode installs into the game found through the registry #######

# The same patch installed by both builds, each into its own copy of the demo game: one item
# replaced, one added, the Fastfile then byte-identical.
IFS=$'\t' read -r folder fastfile <<<"$(head -1 <<<"$linux_db")"
first_item=$("$linbin/fftool" list "$game/fastfile/$fastfile" | awk 'NR == 1 { print $2 }')
(
  cd "$work"
  "$linbin/fftool" patch new game.kdz --title 'Demo game patch'
  "$linbin/fftool" patch add game.kdz linux/three.rim "$first_item" --name replaced
  "$linbin/fftool" patch add game.kdz linux/two.bin "$folder\\added.bin" --name added
) >/dev/null
"$linbin/make-demo-game" --register "$work/game-linux" >/dev/null
(cd "$work" && "$linbin/patchapply" -noprompt game.kdz </dev/null >/dev/null 2>&1) || true
(cd "$work" && win "$winbin/patchapply.exe" -noprompt game.kdz </dev/null >/dev/null) || true
installed=$("$linbin/fftool" list "$game/fastfile/$fastfile" 2>&1) || true
if grep -q "added.bin" <<<"$installed" &&
  cmp -s "$game/fastfile/$fastfile" "$work/game-linux/fastfile/$fastfile"; then
  pass "patchapply.exe -noprompt installs into the game's $fastfile as the Linux build does"
else
  fail "patchapply.exe -noprompt into $fastfile"
  echo "$installed"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
