# Whole-or-nothing files of korvandelith-cli.exe under Wine: sourced by
# run.sh (which provides $wine, $build, $examples, $work and check).  A run
# renames its netlist over the existing one, a failed run leaves it as it
# was, no temporary file stays behind, and a netlist that is the input
# netlist (also under another spelling) is refused.

files_dir="$work/files"
mkdir -p "$files_dir"
cp "$examples/board.asc" "$examples/board.pro" "$examples/Korvandelith.csv" "$files_dir/"

files_cli() {  # arguments after the common ones; output in out.txt
  (cd "$files_dir" && "$wine" "$build/korvandelith-cli.exe" --input board.asc --format pads \
    --project board.pro --category Korvandelith.csv --language en "$@" >out.txt 2>err.txt)
}

files_no_temporaries() {
  ! ls "$files_dir" | grep -q '\.tmp$'
}

# The netlist run.sh's conversion wrote stands for the last good one.
cp "$work/board.net" "$files_dir/board.net"
cp "$work/board.net" "$files_dir/good.net"
files_cli --rev
check "files: replaces the existing netlist" test $? -eq 0
check "files: the replaced netlist is whole" cmp -s "$files_dir/board.net" "$files_dir/good.net"
check "files: the numbered copy is the netlist" cmp -s "$files_dir/board_f00.net" "$files_dir/good.net"
check "files: no temporary file left" files_no_temporaries

files_cli --format 2
check "files: a failed run ends in status 1" test $? -eq 1
check "files: a failed run keeps the last netlist" cmp -s "$files_dir/board.net" "$files_dir/good.net"
check "files: no temporary file after a failed run" files_no_temporaries

cp "$files_dir/board.asc" "$files_dir/same.net"
files_cli --input same.net --project same.pro
check "files: refuses a netlist that is the input" \
  grep -q "^Can't create the output file\.$" "$files_dir/out.txt"
files_cli --input SAME.NET --project same.pro
check "files: refuses the input under another spelling" \
  grep -q "^Can't create the output file\.$" "$files_dir/out.txt"
check "files: the refused input is unchanged" cmp -s "$files_dir/same.net" "$files_dir/board.asc"
