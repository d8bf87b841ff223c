#!/usr/bin/env bash
# Checks the export tables: Kestrelfind.dll exports exactly the fifteen
# callbacks by their plain names; the host programs export the BKA_* names
# (all 55, or all but the one they are built without).
set -u
objdump=$1
bin=$2
status=0

exports() {
  # The names of the export table's "[Ordinal/Name Pointer] Table".
  "$objdump" -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && NF==0 {on=0} on {print $NF}'
}

expect_same() {
  local what=$1 expected=$2 actual=$3
  if [ "$expected" != "$actual" ]; then
    echo "FAIL: $what"
    diff <(echo "$expected") <(echo "$actual") | sed 's/^/  /'
    status=1
  else
    echo "ok: $what"
  fi
}

callbacks="BKC_OnDragDrop BKC_OnEveryMinute BKC_OnExit BKC_OnFinishRetrieve BKC_OnKeyDispatch
BKC_OnMenuInit BKC_OnOpenCompose BKC_OnOpenFolder BKC_OnOpenMail BKC_OnOutgoing BKC_OnPlugInInfo
BKC_OnPlugInSetup BKC_OnRetrieve BKC_OnSend BKC_OnStart"
expected=$(echo $callbacks | tr ' ' '\n' | sort)

for dll in "$bin"/Kestrelfind*.dll; do
  [ -f "$dll" ] || { echo "FAIL: no plug-in library in $bin"; exit 1; }
  actual=$(exports "$dll" | sort)
  expect_same "$(basename "$dll") exports the fifteen callbacks, undecorated" "$expected" "$actual"
  if exports "$dll" | grep -q '@'; then
    echo "FAIL: $(basename "$dll") has decorated exports"
    status=1
  fi
done

host_names=$(exports "$bin/BeckyHost.exe" | sort)
count=$(echo "$host_names" | grep -c '^BKA_')
[ "$count" = 55 ] && echo "ok: BeckyHost.exe exports 55 BKA_ names" ||
  { echo "FAIL: BeckyHost.exe exports $count BKA_ names"; status=1; }
expect_same "BeckyHost_NoSetStatus.exe lacks only BKA_SetStatus" \
  "$(echo "$host_names" | grep -vx BKA_SetStatus)" "$(exports "$bin/BeckyHost_NoSetStatus.exe" | sort)"
expect_same "BeckyHost_NoConnect.exe lacks only BKA_Connect" \
  "$(echo "$host_names" | grep -vx BKA_Connect)" "$(exports "$bin/BeckyHost_NoConnect.exe" | sort)"
if echo "$host_names" | grep -q '@'; then
  echo "FAIL: BeckyHost.exe has decorated exports"
  status=1
fi
exit $status
