#!/usr/bin/env bash
# Builds what the demo runs (the plug-in, the host, the help files, the
# package's starter engines and the stand-in browser), lays out a demo host
# under build/demo/ (BeckyHost.exe, its PlugIns folder with Kestrelfind.dll,
# the help file, the starter engines, two more in a folder of their own, a
# folder of all of them, a sample mail) and runs the host headlessly with a script: load the
# plug-in and print what it answered; put the user's own text on the
# clipboard; right-click a selected word and show the mail view's context
# menu on screen with "Search engines" and one folder open (a screenshot),
# closed with nothing chosen; pick a Shift-JIS, an EUC-JP and a UTF-8 engine
# for three words of the mail, the favourite engine and a folder's "Search
# All"; show the clipboard again (the user's text is back); open an address
# wrapped over three lines with "Open as address"; show the menu again with
# the engines just used at its top (a screenshot); "Search for..." with a
# word selected, other words typed over it and an engine chosen in its list
# (a screenshot); open the settings dialog
# (a screenshot). Then it meets every question and error box a user
# can: a word that is no web address, "Search All" of more than eight
# engines, deleting an engine and a folder in the dialog (both answered
# Cancel, so nothing goes) and adding an engine under a name Windows refuses;
# the host photographs and answers each box. It does so in English, then
# shows the menu, "Search for...", the dialog and the boxes again in
# Japanese. At the end it prints the URLs the shell was asked to open and the
# screenshots (build/demo/screenshots/: menu-en.png, menu-recent-en.png,
# menu-ja.png, search-for-en.png, search-for-ja.png, setting-dialog-en.png,
# setting-dialog-ja.png, and box-en-NN-*.png, box-ja-NN-*.png).
#
# The scripts name the plug-in's menu items by the engines and folders the
# demo made, or by place ("#1"), and the dialog's controls by their ids, so
# that they go on working when the plug-in's wording changes.
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
  # An engine that posts a form, and a site's OpenSearch description to
  # import (as a browser or the site itself would offer it).
  write_engine "Forms/Example form (POST).ini" "https://forms.example.jp/search" utf8
  printf 'method=post\r\npost=keyword=[WORD]&lang=ja\r\n' >>"$demo/PlugIns/Kestrelfind/Forms/Example form (POST).ini"
  # The format's namespace, as the plug-in's reader knows it.
  local ns
  ns=$(sed -n 's/.*kOpenSearchNamespace\[\] = "\(.*\)";/\1/p' "$root/store/OpenSearch.h")
  cat >"$demo/example-site.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<OpenSearchDescription xmlns="$ns">
  <ShortName>Example Dictionary</ShortName>
  <Description>Look words up in the Example Dictionary</Description>
  <InputEncoding>UTF-8</InputEncoding>
  <Url type="text/html" template="https://dictionary.example.jp/search?q={searchTerms}&amp;ie={inputEncoding}"/>
</OpenSearchDescription>
XML
  # Every engine so far in one folder, whose "Search All" asks first.
  mkdir -p "$demo/PlugIns/Kestrelfind/All engines"
  cp "$demo/PlugIns/Kestrelfind/"*/*.ini "$demo/PlugIns/Kestrelfind/All engines/"
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

報告書はこちらです:
https://www.example.com/reports/2026/annual/kestrelfind-search-engine-plugin-
summary/section-three/details-of-the-long-address-that-was-wrapped-by-the-
mailer.html

佐藤
MAIL
}

# The id of a control, counted as the enum of control ids in the header $2
# (the settings dialog's, settings/SettingLayout.h, unless another is named)
# counts them; the demo stops when there is none.
control_id() {
  local header=${2:-settings/SettingLayout.h}
  awk -v want="$1" '
    /enum [A-Za-z]*ControlId/ { inside = 1; next }
    inside && /^};/ { exit }
    inside && match($0, /^ *k[A-Za-z0-9]+/) {
      name = substr($0, RSTART, RLENGTH); gsub(/ /, "", name)
      if (match($0, /= *[0-9]+/)) { value = substr($0, RSTART + 1, RLENGTH - 1) + 0 } else { value++ }
      if (name == want) { print value; found = 1; exit }
    }
    END { if (!found) exit 1 }' "$root/$header" ||
    { echo "no control $1 in $header" >&2; return 1; }
}

# Host script lines for the language $1: "Search for..." (the popup's
# second item) with 田中 selected, the words typed over it ($2), an engine
# chosen by typing its first letters into the list ($3, none: the one
# preselected), a screenshot of the window, and the search ($4 Enter) or
# nothing (Escape).
search_for_steps() {
  local window=KestrelfindSearchFor words list
  words=$(control_id kWordsEdit plugin/SearchForWindow.h)
  list=$(control_id kEngineList plugin/SearchForWindow.h)
  cat <<STEPS
echo -- "Search for...": the selection in a box to change before the search goes out
select 田中
pick 3 "*/#2"
wait 300
keys $window $words "$2"
STEPS
  [ -z "$3" ] || echo "keys $window $list $3"
  cat <<STEPS
wait 300
screenshot screenshots/search-for-$1.png window
keys $window $words $4
wait 1500
STEPS
}

# Host script lines: a site's description dropped from Explorer onto the
# settings dialog's engine list imports into the folder it lists (a
# screenshot of the dialog with the new engine).
exchange_steps() {
  local form=KestrelfindSettingForm tree list file
  tree=$(control_id kFolderTree)
  list=$(control_id kEngineList)
  file=$(printf 'Z:%s' "$demo/example-site.xml" | tr / '\\')
  cat <<STEPS
echo -- an OpenSearch description dropped from Explorer onto the engine list of "Dictionary" imports there
setup
keys $form $tree Home Dictionary
drop $form $list "$file"
wait 500
screenshot screenshots/import-$1.png window
STEPS
}

# Host script lines for the language $1 (en, ja), the same in both: the
# boxes the plug-in can show are caught from here on, questions answered
# Cancel. A word that is no web address for the engine without a template;
# "Search All" of the folder of every engine (its first item); the settings
# dialog (a screenshot); in it the first engine of "Japanese sites"
# deleted, the folder deleted, and an engine added under the name $2, which
# Windows refuses.
box_steps() {
  local form=KestrelfindSettingForm tree list name url add clear delete
  tree=$(control_id kFolderTree)
  list=$(control_id kEngineList)
  name=$(control_id kNameEdit)
  url=$(control_id kUrlEdit)
  add=$(control_id kAddButton)
  clear=$(control_id kClearButton)
  delete=$(control_id kDeleteEngineButton)
  cat <<STEPS
echo -- the boxes the plug-in can show: each is photographed, told and answered (Cancel where it asks)
boxes screenshots/box-$1 cancel
echo -- 会議 with the engine that opens the selection as a web address: it is none
select 会議
pick 3 "*/Open as address"
echo -- "Search All" of a folder of more than eight engines asks first
pick 3 "*/All engines/#1"
echo -- the plug-in's settings dialog
setup
wait 1500
screenshot screenshots/setting-dialog-$1.png window
echo -- in the dialog: delete an engine, then its folder; add an engine under a name Windows refuses
keys $form $tree "Japanese sites"
keys $form $list Home
click $form $delete
keys $form $tree Delete
click $form $clear
settext $form $name "$2"
settext $form $url "https://weather.example.jp/search?q=[WORD]"
click $form $add
boxes off
STEPS
}

write_host_script() {
  {
    cat <<'SCRIPT'
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
showmenu 3 "*/Japanese sites" screenshots/menu-en.png
echo -- 検索 with a Shift-JIS engine
selection
pick 3 "*/Japanese sites/Google (Shift-JIS)"
wait 1500
echo -- 会議 with an EUC-JP engine
select 会議
selection
pick 3 "*/Japanese sites/Yahoo! JAPAN (EUC-JP)"
wait 1500
echo -- 単語 with a UTF-8 engine of the starter set
select 単語
selection
pick 3 "*/Encyclopedia/Wikipedia (Japanese)"
wait 1500
echo -- 資料 with the favourite, straight from the context menu
select 資料
pick 3 "*Google*"
wait 1500
echo -- 会議 with every dictionary at once: "Search All", the folder's first item
select 会議
pick 3 "*/Dictionary/#1"
wait 2500
echo -- an address the sender's mailer wrapped over three lines, opened whole by "Open as address"
select https://www.example.com/reports/2026/annual/kestrelfind-search-engine-plugin-\nsummary/section-three/details-of-the-long-address-that-was-wrapped-by-the-\nmailer.html
pick 3 "*/Open as address"
wait 1500
echo -- 会議 with an engine that posts a form: the plug-in writes a page that sends it, and the shell opens the page
select 会議
pick 3 "*/Forms/Example form (POST)"
wait 1500
echo -- the menu again: the engines used last come first, numbered
select 検索
showmenu 3 "*earch engines" screenshots/menu-recent-en.png
echo -- the clipboard afterwards: the user's text is back
clipboard
SCRIPT
    search_for_steps en "田中 一郎" "E" Enter
    box_steps en "Weather: Tokyo"
    exchange_steps en
  } >"$demo/demo-en.txt"
  {
    cat <<'SCRIPT'
echo -- the same in Japanese: the context menu, the boxes and the settings dialog
mail sample-mail.txt
select 検索
menu 3
showmenu 3 "*/Japanese sites" screenshots/menu-ja.png
SCRIPT
    search_for_steps ja "田中 一郎" "" Escape
    box_steps ja "天気: 東京"
  } >"$demo/demo-ja.txt"
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

# What box_steps meets: the not-a-web-address error, the Search All
# question, the two delete questions and the refused name.
boxes_per_run=5

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
  local shot missing=0 lang boxes
  for shot in menu-en.png menu-recent-en.png menu-ja.png setting-dialog-en.png setting-dialog-ja.png import-en.png \
    search-for-en.png search-for-ja.png; do
    if [ -s "$demo/screenshots/$shot" ]; then
      echo "$demo/screenshots/$shot"
    else
      echo "missing: $demo/screenshots/$shot" >&2
      missing=1
    fi
  done
  # The boxes' names follow their texts: listed as found, and counted.
  for lang in en ja; do
    boxes=0
    for shot in "$demo/screenshots/box-$lang-"*.png; do
      [ -s "$shot" ] || continue
      echo "$shot"
      boxes=$((boxes + 1))
    done
    if [ "$boxes" -ne "$boxes_per_run" ]; then
      echo "$boxes of $boxes_per_run message boxes photographed in the $lang run" >&2
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
# Only what the demo runs: the tests take most of a full build. The package
# stages the starter engines; the shell's "open" of a web address runs the
# recorder (scripts/wine-run.in).
cmake --build "$build" -j2 --target Kestrelfind BeckyHost kestrelfind_chm kestrelfind_chm_ja \
  kestrelfind_package urlrecorder
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
