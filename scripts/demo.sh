#!/usr/bin/env bash
# Builds everything, lays out a demo host under build/demo/ (BeckyHost.exe,
# its PlugIns folder with Kestrelfind.dll, the help file, the starter engines
# and two more in a folder of their own, a sample mail) and runs the host
# headlessly with a script: load the plug-in and print what it answered;
# put the user's own text on the clipboard; right-click a selected word and
# show the mail view's context menu on screen with "Search engines" and one
# folder open (a screenshot), closed with nothing chosen; pick a Shift-JIS, an
# EUC-JP and a UTF-8 engine for three words of the mail, the favourite
# engine and a folder's "Search All"; show the clipboard again (the user's
# text is back); open the settings dialog (a screenshot). It does so in
# English, then shows the menu and the dialog again in Japanese. At the end it
# prints the URLs the shell was asked to open and where the screenshots are
# (build/demo/screenshots/, menu-en.png, menu-ja.png, setting-dialog-en.png,
# setting-dialog-ja.png).
#
#   scripts/demo.sh                 the run above
#   scripts/demo.sh --interactive   lay out the demo and start the host on
#                                   $DISPLAY for a person to use: the sample
#                                   mail is shown; right-click a selected word
#
# KF_DEMO_BUILD names another build folder to use instead of build/.
set -euo pipefail

interactive=false
case "${1:-}" in
  "") ;;
  --interactive) interactive=true ;;
  *) echo "usage: $0 [--interactive]" >&2; exit 2 ;;
esac
if $interactive && [ -z "${DISPLAY:-}" ]; then
  echo "demo.sh --interactive needs a display to show the host on: DISPLAY is not set." >&2
  echo "Run it from a desktop session (or set DISPLAY), or run scripts/demo.sh without it for the headless demo." >&2
  exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
build="${KF_DEMO_BUILD:-$root/build}"
demo="$build/demo"

step() { printf '\n== %s\n' "$*"; }

# An engine file: section General, keys url and encode.
write_engine() {
  local file="$demo/PlugIns/Kestrelfind/$1" url=$2 encode=$3
  mkdir -p "$(dirname "$file")"
  printf '[General]\r\nurl=%s\r\nencode=%s\r\n' "$url" "$encode" >"$file"
}

lay_out_demo() {
  rm -rf "$demo"
  mkdir -p "$demo/PlugIns" "$demo/screenshots"
  cp "$build/bin/BeckyHost.exe" "$demo/"
  cp "$build/bin/Kestrelfind.dll" "$demo/PlugIns/"
  cp "$build/bin/Kestrelfind.chm" "$build/bin/Kestrelfind_ja.chm" "$demo/PlugIns/"
  # The engines a user gets with the release (all UTF-8)...
  if [ -d "$build/package/Kestrelfind" ]; then
    cp -r "$build/package/Kestrelfind" "$demo/PlugIns/"
  else
    cp -r "$root/engines/Kestrelfind" "$demo/PlugIns/"
  fi
  # ...and, for the demo only, two sites that take the older Japanese encodings.
  write_engine "Japanese sites/Google (Shift-JIS).ini" "https://www.google.co.jp/search?q=[WORD]&ie=Shift_JIS" sjis
  write_engine "Japanese sites/Yahoo! JAPAN (EUC-JP).ini" "https://search.yahoo.co.jp/search?p=[WORD]&ei=EUC-JP" euc
  # Google one step away, with its access key; and "Search All" in the
  # folders' menus.
  printf 'pin=1\r\nkey=G\r\n' >>"$demo/PlugIns/Kestrelfind/Web/Google.ini"
  printf '[General]\r\nSearchAll=1\r\n' >"$demo/PlugIns/Kestrelfind.ini"
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
  cat >"$demo/demo-en.txt" <<'SCRIPT'
echo -- plug-ins the host loaded
plugins
echo -- what the plug-in told the host
info
mail sample-mail.txt
echo -- the user's own text on the clipboard before the searches
select 田中さん
copy
clipboard
echo -- the mail view's context menu (type 3) as the plug-in extended it
menu 3
echo -- right-click on the selected word: the menu on screen, "Search engines" and a folder open
select 検索
showmenu 3 "Search engines/Japanese sites" screenshots/menu-en.png
echo -- 検索 with a Shift-JIS engine
selection
pick 3 "Search engines/Japanese sites/Google (Shift-JIS)"
wait 1500
echo -- 会議 with an EUC-JP engine
select 会議
selection
pick 3 "Search engines/Japanese sites/Yahoo! JAPAN (EUC-JP)"
wait 1500
echo -- 単語 with a UTF-8 engine of the starter set
select 単語
selection
pick 3 "Search engines/Encyclopedia/Wikipedia (Japanese)"
wait 1500
echo -- 資料 with the favourite, straight from the context menu
select 資料
pick 3 "Search with Google(&G)"
wait 1500
echo -- 会議 with every dictionary at once
select 会議
pick 3 "Search engines/Dictionary/Search All (3)"
wait 2500
echo -- the clipboard afterwards: the user's text is back
clipboard
echo -- the plug-in's settings dialog
setup
wait 1500
screenshot screenshots/setting-dialog-en.png window
SCRIPT
  cat >"$demo/demo-ja.txt" <<'SCRIPT'
echo -- the same in Japanese: the context menu and the settings dialog
mail sample-mail.txt
select 検索
menu 3
showmenu 3 "検索エンジン/Japanese sites" screenshots/menu-ja.png
setup
wait 1500
screenshot screenshots/setting-dialog-ja.png window
SCRIPT
  cat >"$demo/interactive-script.txt" <<'SCRIPT'
mail sample-mail.txt
select 検索
run
SCRIPT
}

# The plug-in's language for the next run of the host.
set_language() {
  local ini="$demo/PlugIns/Kestrelfind.ini"
  printf '[General]\r\nSearchAll=1\r\nLanguage=%s\r\n' "$1" >"$ini"
}

# Windows path of the URL log, for the recorder the shell starts.
url_log_for_wine() {
  export KF_URL_LOG="Z:$(printf '%s' "$demo/urls.log" | tr / '\\')"
  rm -f "$demo/urls.log"
}

print_urls() {
  if [ -s "$demo/urls.log" ]; then
    # Give a recorder started last a moment to finish.
    sleep 1
    step "URLs the shell was asked to open"
    cat "$demo/urls.log"
  else
    step "No URL was opened"
  fi
}

run_host() {
  url_log_for_wine
  local status=0
  set_language en
  (cd "$demo" && KF_CODEPAGE=932 "$build/wine-run" BeckyHost.exe --script demo-en.txt) || status=$?
  if [ "$status" -eq 0 ]; then
    set_language ja
    (cd "$demo" && KF_CODEPAGE=932 "$build/wine-run" BeckyHost.exe --script demo-ja.txt) || status=$?
  fi
  print_urls
  step "Screenshots"
  local shot missing=0
  for shot in menu-en.png menu-ja.png setting-dialog-en.png setting-dialog-ja.png; do
    if [ -s "$demo/screenshots/$shot" ]; then
      echo "$demo/screenshots/$shot"
    else
      echo "missing: $demo/screenshots/$shot" >&2
      missing=1
    fi
  done
  [ "$status" -eq 0 ] || { echo "the host script failed (exit $status)" >&2; exit "$status"; }
  [ "$missing" -eq 0 ] || exit 1
}

# Windows the user's window manager can move and focus: the build's prefix
# keeps Wine's windows unmanaged for the headless X server, so switch that
# off for this run and back afterwards.
set_managed() {
  KF_CODEPAGE=932 "$build/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$1" /f >/dev/null 2>&1 || true
}

run_host_interactively() {
  # A wineserver started for the headless X server would keep its desktop
  # there: start afresh on this display.
  WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
  url_log_for_wine
  set_managed Y
  trap 'set_managed N' EXIT
  echo "The host is on $DISPLAY: select a word in the mail, right-click it, pick an engine under \"Search engines\";"
  echo "Tools > Plug-in Setup opens the settings dialog. Close the window to end."
  (cd "$demo" && KF_CODEPAGE=932 "$build/wine-run" BeckyHost.exe --script interactive-script.txt) || true
  print_urls
}

step "Installing missing packages and building"
KF_BUILD=$build "$root/scripts/configure.sh"
cmake --build "$build" -j2
step "Laying out $demo"
lay_out_demo
write_host_script
if $interactive; then
  step "Starting the host for you on $DISPLAY"
  run_host_interactively
else
  step "Running the host"
  run_host
fi
step "Done: $demo"
