# Whether every text of korvandelith.exe can be read under Wine: sourced by
# window_test.sh, which provides win_start, win_click, win_close, win_wait,
# check, $win_shots, $win_dir, $examples and $work.  Every start of the
# program writes, at every paint, each labelled control's text as measured
# in the control's own font, the room the control's decoration leaves, and
# the control's size, and then the result text's wrapped height in its box
# (lines end in CR LF) into $win_dir/layout.txt.  Checked in the Japanese
# and in the C locale, in both languages, after converting the example; and
# a result too long for its box.  Screenshots go to $win_shots/texts-*.png.

# Every control line of layout file $1 fits: text width plus decoration
# within the control's width, text height plus decoration within its height;
# and there are at least 20 labelled controls.  Prints the ones that don't.
wintext_labels_fit() {
  awk '{ sub(/\r$/, "") }
       $1 == "control" {
         n++
         if ($8 + $11 > $14 || $9 + $12 > $15) { bad++; print "  cut: " $0 }
       }
       END { exit !(n >= 20 && bad == 0) }' "$1"
}

# The result line of layout file $1 says "painted" with a font that lets
# the whole wrapped text fit the box ($2 = painted), or that the text goes
# to the scrolling box ($2 = scrolls).
wintext_result_shown() {
  awk -v want="$2" '{ sub(/\r$/, "") }
       $1 == "result" {
         found = 1
         if (want == "painted") ok = ($9 == "painted" && $3 > 0 && $5 <= $8)
         else ok = ($9 == "scrolls")
       }
       END { exit !(found && ok) }' "$1"
}

# Whether the layout file says language $1.
wintext_language_is() { grep -q "^cell .* language $1 " "$win_dir/layout.txt"; }

# After a run converted the example in $4: the texts of language $2 ($3 is
# its number) fit, and the result is painted whole.  $1 names the locale.
wintext_check_language() {
  local name="$1" lang="$2" number="$3" dir="$4"
  win_wait "$win_deadline" wintext_language_is "$number" ||
    win_diagnose "the window did not switch to language $number"
  cp "$win_dir/layout.txt" "$dir/layout-$lang.txt"
  import -window "$win_id" "$win_shots/texts-$name-$lang.png" 2>/dev/null
  if [ "$lang" = en ]; then
    check "window texts ($name): the labels switched to English" \
      grep -q $'^control 1 .* label Japanese\r\\?$' "$dir/layout-en.txt"
  fi
  check "window texts ($name): every $lang label fits its control" \
    wintext_labels_fit "$dir/layout-$lang.txt"
  check "window texts ($name): the example's result is painted whole in $lang" \
    wintext_result_shown "$dir/layout-$lang.txt" painted
}

# A settings file for directory $1: PADS, the example's paths, format
# option 1, and result text $2 (line feeds as byte 7).
wintext_settings() {
  local dir="$1" dos
  dos="Z:${dir//\//\\}"
  {
    printf '20\r\n'
    local i
    for i in $(seq 0 19); do
      if [ "$i" = 10 ]; then printf '6\r\n'; else printf '0\r\n'; fi
    done
    printf '20\r\n'
    printf '%s\\board.asc\r\n%s\\board.pro\r\n\r\n%s\\Korvandelith.csv\r\n\r\n' "$dos" "$dos" "$dos"
    printf '%s\r\n\r\n1\r\n' "$2"
    for i in $(seq 8 19); do printf '\r\n'; done
  } >"$dir/Korvandelith.ini"
}

# The C locale: the window opens with a saved result of 40 lines, which no
# font fits, so it is shown in a box that scrolls to its last line; then it
# converts the example, whose result is painted whole, in both languages.
wintext_c_locale() {
  local dir="$work/texts-C"
  mkdir -p "$dir"
  cp "$examples/board.asc" "$examples/board.pro" "$examples/Korvandelith.csv" "$dir/"
  local text="" i
  for i in $(seq 1 40); do text+="Warning: line $i of a long result"$'\a'; done
  text+="Completed"$'\a'
  wintext_settings "$dir" "$text"
  LC_ALL=C win_start "$dir"
  check "window texts (C): the window opens" test -n "$win_id"
  [ -n "$win_id" ] || return
  echo "window texts (C): $(head -n 1 "$dir/layout.txt")"
  check "window texts (long result): shown in the scrolling box" \
    wintext_result_shown "$dir/layout.txt" scrolls
  win_click 15 202 510 247  # into the box, then to its end
  xdotool key ctrl+End
  import -window "$win_id" "$win_shots/texts-long-result-end.png" 2>/dev/null
  win_click 150 175 210 187  # "Execute"
  win_wait "$win_deadline" test -s "$dir/board.asc_f00.csv" ||
    win_diagnose "Execute wrote no report"
  win_wait "$win_deadline" win_painted_after "$dir/board.asc_f00.csv" ||
    win_diagnose "no paint after the run"
  check "window texts (C): Execute converts the example" test -s "$dir/board.net"
  wintext_check_language C ja 0 "$dir"
  win_click 410 5 500 17  # the language button
  wintext_check_language C en 1 "$dir"
  win_close
}
