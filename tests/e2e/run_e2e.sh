#!/usr/bin/env bash
# End to end: the built program under a virtual X server, driven by keys and
# the mouse.
#
#   run_e2e.sh <folder of brindlewick and bw_e2e_tool>
#
# A home with three files, a project naming them with two rules, and a
# settings file that opens that project at start-up. The program must show
# the project in its title; F9 runs the rules; Alt+T, Alt+S save the report
# through the file dialog; Alt+F4 exits, which saves the project and the
# settings. Then the files are checked byte for byte, the report's lines are
# read, and the project must open to the same files, rules and scheme. A
# second start restores a backup copy chosen with the mouse; under openbox,
# window places, a close while the processing window waits and a Russian
# start are checked. Every wait is on a window title or a file, with a time limit; exit code 77
# (skipped) when Xvfb or xdotool is missing.
set -uo pipefail

bin=$(cd "${1:?usage: run_e2e.sh <bin folder>}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
# A sanitizer build reports leaks at exit; those of system libraries are left out.
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
limit=${E2E_TIMEOUT:-180}

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/deps.sh installs it)"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  if [ -n "${DISPLAY:-}" ] && [ -n "$app_pid" ]; then
    echo "windows:"; xdotool search --name '.' getwindowname %@ 2>/dev/null | sed 's/^/  /'
  fi
  [ -f "$work/app.log" ] && { echo "program output:"; sed 's/^/  /' "$work/app.log"; }
  exit 1
}

# wait_for <what> <command...>: runs the command every 0.1 s until it succeeds.
wait_for() {
  local what=$1; shift
  local end=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -ge $end ] && fail "no $what after ${limit}s"
    if [ -n "$app_pid" ] && ! kill -0 "$app_pid" 2>/dev/null; then
      fail "the program ended while waiting for $what"
    fi
    sleep 0.1
  done
}
window_named() { xdotool search --onlyvisible --name "^$1\$"; }
window_gone() { ! xdotool search --onlyvisible --name "^$1\$"; }
same_file() { cmp -s "$1" "$2"; }
program_gone() { ! kill -0 "$app_pid" 2>/dev/null; }
# start_program <what> <title>: starts the program and waits for its main window.
start_program() {
  QT_QPA_PLATFORM=xcb "$bin/brindlewick" >"$work/app.log" 2>&1 &
  app_pid=$!
  wait_for "the main window ($1)" window_named "$2"
  main=$(window_named "$2" | head -1)
}
# end_program <what>: waits for the program to end, with exit code 0.
end_program() {
  wait_for "the program's end ($1)" program_gone
  wait "$app_pid"
  code=$?
  app_pid=
  [ "$code" -eq 0 ] || fail "the program ended with code $code ($1)"
}

# ---- the job
export BRINDLEWICK_HOME=$work/home
mkdir -p "$BRINDLEWICK_HOME" "$work/files" "$work/expected"
printf 'one cat\n' >"$work/files/a.txt"
printf 'two cats\r\nand one more\r\n\xe8\xe3\xeb\xe0 cat\r\n' >"$work/files/b.txt"
printf 'nothing here\n' >"$work/files/c.txt"
printf 'two dog\n' >"$work/expected/a.txt"
printf 'two dogs\r\nand two more\r\n\xe8\xe3\xeb\xe0 dog\r\n' >"$work/expected/b.txt"
cp "$work/files/c.txt" "$work/expected/c.txt"
project=$BRINDLEWICK_HOME/Projects/e2e.job.bwp
settings=$BRINDLEWICK_HOME/Brindlewick.ini
"$bin/bw_e2e_tool" make "$project" "$work/files/a.txt" "$work/files/b.txt" "$work/files/c.txt" \
  >"$work/tool.log" 2>&1 || { cat "$work/tool.log"; fail "the job could not be made"; }
"$bin/bw_e2e_tool" dump "$project" >"$work/before.txt" || fail "the project made does not read"
[ -f "$settings" ] || fail "no settings file was made"
touch -d '2001-01-01' "$project" "$settings"

# ---- the display: Xvfb picks a free one and says which
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for "a display from Xvfb" grep -q '[0-9]' "$work/display"
export DISPLAY=:$(tr -dc '0-9' <"$work/display")
wait_for "X server on $DISPLAY" xdotool getdisplaygeometry

# ---- the program
start_program "first start" 'Brindlewick - e2e\.job'
xdotool windowfocus --sync "$main"

xdotool key F9
wait_for "the rules' changes" same_file "$work/files/a.txt" "$work/expected/a.txt"
wait_for "the run's end" window_named 'Brindlewick - e2e\.job'
wait_for "b.txt's changes" same_file "$work/files/b.txt" "$work/expected/b.txt"

# The report page (by way of another page, so the page takes the focus),
# then its Save: the file dialog takes the path.
xdotool windowfocus --sync "$main"
xdotool key alt+i
xdotool key alt+t
xdotool key alt+s
wait_for "the report's file dialog" window_named 'Save'
dialog=$(window_named 'Save' | head -1)
xdotool windowfocus --sync "$dialog"
xdotool type --delay 2 "$work/report"
xdotool key Return
wait_for "the saved report" test -s "$work/report.txt"
wait_for "the file dialog to close" bash -c "! xdotool search --name '^Save\$'"

xdotool windowfocus --sync "$main"
xdotool key alt+F4
end_program "Exit"

# ---- what it left
for f in a b c; do
  cmp "$work/files/$f.txt" "$work/expected/$f.txt" || fail "$f.txt differs"
done
report=$work/report.txt
has_line() { grep -qxF "$1" "$report" || { cat "$report"; fail "the report has no line \"$1\""; }; }
has_line 'Files processed: 3 of 3'
has_line "$work/files/a.txt: 1 of 1 matches replaced"
has_line "$work/files/b.txt: 2 of 2 matches replaced"
has_line "$work/files/c.txt: nothing found"
if grep -q $'\r' "$report"; then fail "the report has CR line ends"; fi

[ "$settings" -nt "$work/before.txt" ] || fail "the settings file was not written again"
[ "$project" -nt "$work/before.txt" ] || fail "the project was not saved again"
grep -qF "$project" "$settings" || fail "the settings do not name the project"
"$bin/bw_e2e_tool" dump "$project" >"$work/after.txt" || fail "the saved project does not read"
diff -u "$work/before.txt" "$work/after.txt" || fail "the project did not open to the same files, rules and scheme"

# ---- restore with the mouse (backup browser) --------------------------------
# A numbered copy of zz/z.txt lies in the backup folder, beside the copies the
# run made; a second start of the program opens the backup browser (F5) and
# unfolds its tree by keys. The copy is the tree's last row ("zz" comes after
# "files"): the list is clicked from its bottom up, each click followed by
# Enter (Restore), until the program asks to replace z.txt; Yes puts the copy
# back, and the file it replaces goes to the trash (kept in the work folder).
# Only a click that selects the copy enables Restore. Exit with the browser
# still open must end the program.
restore_with_the_mouse() {
  local file=$work/zz/z.txt
  local copy="$BRINDLEWICK_HOME/Projects/Backup/${file#/}.000"
  local question='Brindlewick - extracting backup'
  mkdir -p "$(dirname "$copy")" "$work/zz"
  printf 'as it was\n' >"$copy"
  printf 'as it is\n' >"$file"
  cp "$copy" "$work/expected/z.restored"
  cp "$file" "$work/expected/z.replaced"
  export XDG_DATA_HOME=$work/data

  start_program "second start" 'Brindlewick - e2e\.job'
  xdotool windowfocus --sync "$main"
  xdotool key F5
  wait_for "the backup browser" window_named 'Backup Manager'
  local browser
  browser=$(window_named 'Backup Manager' | head -1)
  # A window of known height, the rows all in sight.
  xdotool windowsize --sync "$browser" 702 360
  xdotool windowfocus --sync "$browser"
  # Unfold every level (each is read as it opens), then go back to the backup folder.
  xdotool key Home
  for _ in 1 2 3 4 5 6 7 8; do xdotool key KP_Multiply; sleep 0.3; done
  xdotool key Home
  sleep 0.3

  local height y asked=
  height=$(xdotool getwindowgeometry --shell "$browser" | sed -n 's/^HEIGHT=//p')
  for ((y = height - 30; y > 40 && !asked; y -= 6)); do
    xdotool mousemove --window "$browser" 150 "$y" click 1
    sleep 0.15
    xdotool key Return
    for _ in 1 2 3 4 5; do
      if window_named "$question" >/dev/null 2>&1; then asked=1; break; fi
      sleep 0.1
    done
  done
  [ -n "$asked" ] || fail "no click on the backup browser's list selected a copy for Restore"
  local dialog
  dialog=$(window_named "$question" | head -1)
  xdotool windowfocus --sync "$dialog"
  xdotool key Return
  wait_for "the copy put back" same_file "$file" "$work/expected/z.restored"
  [ -e "$copy" ] && fail "the copy was not moved back"
  same_file "$XDG_DATA_HOME/Trash/files/z.txt" "$work/expected/z.replaced" || fail "the replaced z.txt is not in the trash"
  grep -qxF "Path=$file" "$XDG_DATA_HOME/Trash/info/z.txt.trashinfo" ||
    fail "the trash has no record of where z.txt came from"
  for f in a b c; do
    cmp -s "$work/files/$f.txt" "$work/expected/$f.txt" || fail "$f.txt changed in the backup browser"
  done

  xdotool windowfocus --sync "$main"
  xdotool key alt+F4
  end_program "Exit after the restore"
}
restore_with_the_mouse
# ---- end of restore with the mouse ------------------------------------------

# ---- windows under a window manager (openbox), which frames them as a
# desktop does: the main window's place survives ten starts and Exits, a
# close while the processing window waits asks to stop, and a Russian start
# asks in Russian. Skipped when openbox, xwininfo or setxkbmap is missing.
if command -v openbox >/dev/null && command -v xwininfo >/dev/null && command -v setxkbmap >/dev/null; then
  # No key bindings of its own: Alt+F4 reaches the program (Exit).
  printf '<?xml version="1.0"?>\n<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard/><mouse/></openbox_config>\n' \
    >"$work/openbox.xml"
  openbox --config-file "$work/openbox.xml" >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  trap 'kill "$wm_pid" 2>/dev/null; cleanup' EXIT
  sleep 1

  # ini_value <section> <key>: the value in the settings file.
  ini_value() {
    awk -F= -v s="[$1]" -v k="$2" '$0 == s { in_s = 1; next } /^\[/ { in_s = 0 } in_s && $1 == k { print substr($0, length(k) + 2); exit }' "$settings"
  }
  # ini_set <section> <key> <value>: the key's one line, first in its section.
  ini_set() {
    awk -v s="[$1]" -v k="$2" -v v="$3" '/^\[/ { in_s = ($0 == s); print; if (in_s) print k "=" v; next }
      in_s && index($0, k "=") == 1 { next } { print }' "$settings" >"$settings.new" && mv "$settings.new" "$settings"
  }
  # client_place <window>: the window's client area as Left,Top,Width,Height.
  client_place() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
      /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x "," y "," w "," h }'
  }

  # A main window stored with its title bar above the screen shows it on the
  # screen once framed.
  title_on_screen() {
    [ "$(xwininfo -id "$main" | awk '/Absolute upper-left Y/ { a = $NF } /Relative upper-left Y/ { r = $NF } END { print a - r }')" -ge 0 ]
  }
  for top in -100 2; do
    ini_set FMain Top "$top"
    start_program "Top=$top" 'Brindlewick - e2e\.job'
    wait_for "main window title bar on the screen (Top=$top)" title_on_screen
    xdotool windowactivate --sync "$main"
    xdotool key alt+F4
    end_program "Exit at Top=$top"
  done

  # Ten starts and Exits leave the main window where it was put.
  ini_set FMain Left 200
  ini_set FMain Top 150
  stored="200,150,$(ini_value FMain Width),$(ini_value FMain Height)"
  # The options dialog was stored at 0,0, which puts its title bar above the screen.
  ini_set FOptions Left 0
  ini_set FOptions Top 0
  for cycle in 1 2 3 4 5 6 7 8 9 10; do
    start_program "start $cycle" 'Brindlewick - e2e\.job'
    wait_for "the main window's place (start $cycle)" test "$(client_place "$main")" = "$stored"
    if [ "$cycle" = 1 ]; then
      xdotool windowactivate --sync "$main"
      xdotool key F3
      wait_for "the options dialog" window_named 'Options'
      options=$(window_named 'Options' | head -1)
      sleep 0.5
      frame_top=$(xwininfo -id "$options" | awk '/Absolute upper-left Y/ { a = $NF } /Relative upper-left Y/ { r = $NF } END { print a - r }')
      [ "$frame_top" -ge 0 ] || fail "the options dialog's title bar is above the screen (frame top $frame_top)"
      xdotool key Escape
      wait_for "the options dialog to close" window_gone 'Options'
    fi
    xdotool windowactivate --sync "$main"
    xdotool key alt+F4
    end_program "Exit $cycle"
    now="$(ini_value FMain Left),$(ini_value FMain Top),$(ini_value FMain Width),$(ini_value FMain Height)"
    [ "$now" = "$stored" ] || fail "after start and Exit $cycle the main window is stored at $now, not $stored"
  done

  # A close from the window manager while the processing window waits for an
  # answer asks to stop; Yes ends the run (the file under way stays as it
  # was) and then the program.
  printf 'one cat\n' >"$work/files/w.txt"
  "$bin/bw_e2e_tool" make --confirm "$project" "$work/files/w.txt" >"$work/tool.log" 2>&1 ||
    { cat "$work/tool.log"; fail "the confirming job could not be made"; }
  # The close a window manager sends from the title bar.
  send_close() { "$bin/bw_e2e_tool" close "$main" || fail "no close request could be sent"; }
  close_while_waiting() {
    xdotool windowactivate --sync "$main"
    xdotool key F9
    wait_for "the processing window ($1)" window_named "$2"
    send_close
    wait_for "the stop question ($1)" window_named "$3"
    question=$(window_named "$3" | head -1)
    xdotool windowactivate --sync "$question"
  }
  start_program "close while waiting" 'Brindlewick - e2e\.job'
  close_while_waiting "close while waiting" 'Processing w\.txt .*' 'Confirmation'
  xdotool key alt+y
  end_program "Yes to the stop question"
  cmp -s "$work/files/w.txt" <(printf 'one cat\n') || fail "the file under way was changed after the stop"

  # In Russian the question's title and buttons are Russian: No (Нет) goes on
  # waiting, Yes (Да) ends the run; English buttons would take neither key.
  ini_set FOptions .RGLang.ItemIndex 1
  # A Russian keyboard, so that the Cyrillic keys are keys of the display.
  setxkbmap -layout ru || fail "setxkbmap cannot set a Russian keyboard"
  start_program "Russian" 'Brindlewick - e2e\.job'
  close_while_waiting "Russian" 'Обработка w\.txt .*' 'Подтверждение'
  width=$(xwininfo -id "$question" | awk '/^ *Width:/ { print $NF }')
  [ "$width" -ge 150 ] || fail "the Russian stop question is $width pixels wide, too narrow for its title"
  xdotool key alt+Cyrillic_en
  wait_for "the Russian question to close on No" window_gone 'Подтверждение'
  kill -0 "$app_pid" 2>/dev/null || fail "the program ended on No"
  send_close
  wait_for "the stop question again (Russian)" window_named 'Подтверждение'
  xdotool windowactivate --sync "$(window_named 'Подтверждение' | head -1)"
  xdotool key alt+Cyrillic_de
  end_program "Да to the stop question"
else
  echo "SKIP (windows under a window manager): openbox, xwininfo or setxkbmap is not installed (scripts/deps.sh installs them)"
fi
echo "PASS"
