#!/usr/bin/env bash
# Builds everything, lays out a demo host under build/demo/ (BeckyHost.exe,
# its PlugIns folder with Kestrelfind.dll and a few engines, a sample mail)
# and runs the host headlessly with a script: load the plug-in, print what it
# answered, build the mail view's context menu and print it; then select
# words of the mail, pick engines from the "Search engines" menu and print
# the URLs the shell was asked to open. KF_DEMO_BUILD names another build
# folder to use instead of build/.
#
# To show more, add lines to the host script (write_host_script below); URLs
# the plug-in asks the shell to open are collected in build/demo/urls.log and
# printed at the end.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="${KF_DEMO_BUILD:-$root/build}"
demo="$build/demo"

step() { printf '\n== %s\n' "$*"; }

install_packages() {
  "$root/scripts/install-deps.sh"
}

build_everything() {
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$build" -j2
}

# An engine file: section General, keys url and encode.
write_engine() {
  local file="$demo/PlugIns/Kestrelfind/$1" url=$2 encode=$3
  mkdir -p "$(dirname "$file")"
  printf '[General]\r\nurl=%s\r\nencode=%s\r\n' "$url" "$encode" >"$file"
}

lay_out_demo() {
  rm -rf "$demo"
  mkdir -p "$demo/PlugIns"
  cp "$build/bin/BeckyHost.exe" "$demo/"
  cp "$build/bin/Kestrelfind.dll" "$demo/PlugIns/"
  cp "$build/bin/Kestrelfind.chm" "$demo/PlugIns/"
  write_engine "Web/Google.ini" "https://www.google.com/search?q=[WORD]&ie=Shift_JIS" sjis
  write_engine "Web/Bing.ini" "https://www.bing.com/search?q=[WORD]" sjis
  write_engine "Dictionary/Goo.ini" "https://dictionary.goo.ne.jp/srch/all/[WORD]/m0u/" euc
  write_engine "Wikipedia.ini" "https://ja.wikipedia.org/wiki/Special:Search?search=[WORD]" sjis
  cat >"$demo/sample-mail.txt" <<'MAIL'
From: Sato <sato@example.jp>
To: Tanaka <tanaka@example.jp>
Subject: 来週の会議について

田中さん

来週の会議の資料を検索エンジンで調べておきます。
Kestrelfind を使えば、選んだ単語をすぐに検索できます。

佐藤
MAIL
}

write_host_script() {
  cat >"$demo/demo-script.txt" <<'SCRIPT'
echo -- plug-ins the host loaded
plugins
echo -- what the plug-in told the host
info
mail sample-mail.txt
echo -- the mail view's context menu (type 3)
menu 3
screenshot host-window.png window
echo -- the user's own clipboard text before the searches
select 田中さん
copy
clipboard
echo -- select a word in the mail and pick Web/Google (Shift-JIS)
select 検索
selection
pick 3 "Search engines/Web/Google"
wait 1500
echo -- select another word and pick Dictionary/Goo (EUC-JP)
select 会議
selection
pick 3 "Search engines/Dictionary/Goo"
wait 1500
echo -- the clipboard afterwards: the user's text is back
clipboard
SCRIPT
}

run_host() {
  # Windows path of the URL log, for the recorder the shell starts.
  export KF_URL_LOG="Z:$(printf '%s' "$demo/urls.log" | tr / '\\')"
  rm -f "$demo/urls.log"
  (cd "$demo" && KF_CODEPAGE=932 "$build/wine-run" BeckyHost.exe --script demo-script.txt)
  if [ -s "$demo/urls.log" ]; then
    # Give a recorder started last a moment to finish.
    sleep 1
    step "URLs the shell was asked to open"
    cat "$demo/urls.log"
  fi
}

step "Installing missing packages"
install_packages
step "Building"
build_everything
step "Laying out $demo"
lay_out_demo
write_host_script
step "Running the host"
run_host
step "Done: $demo"
