#!/usr/bin/env python3
"""Prepares the boards of the KiCad acceptance test.

For each board a folder is made with the input netlist, an empty KiCad
board, a footprint library written here and its project library table.  The
command-line runner converts the input twice, as a user works: the first run
lists every part in its report; then each part is given a footprint of the
library, through a row of the category part file where its category and PCB
attribute can be written there, otherwise through a forced mark and a
footprint code typed into that report; the second run writes the netlist
that KiCad imports.  Every footprint holds one pad for each pin that the
first netlist connects on any part that uses it.

Usage: make_boards.py --list                       (the boards' names)
       make_boards.py CLI WORK_DIR SAMPLES_DIR NAME  (prepares WORK_DIR/NAME)
"""
import csv
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from netlist_sexpr import read_netlist  # noqa: E402

LIBRARY = "KorvTest"

# A PADS board in code page 932: Japanese references, values and net names,
# a value with parentheses, a trail byte that is a backslash (ソ), half-width
# katakana, a net with a single pin.  Parts whose reference begins with a
# Japanese character have no category, so they get their footprint through
# the report; the others through the category part file.
JAPANESE_PADS = """*PADS-PCB*
*PART*
抵抗1 10kΩ@R1608
R2 4.7kΩ(1%)@R1608
コンデンサ1 0.1μF@C1608
C2 ソフト起動@C1608
マイコン1 マイコン@QFP4
LED1 表示灯@LED

*NET*
*SIGNAL* 電源
抵抗1.1 R2.1 マイコン1.1
*SIGNAL* リセット
R2.2 コンデンサ1.1 マイコン1.2
*SIGNAL* 表示
LED1.1 マイコン1.3
*SIGNAL* ソース接地
コンデンサ1.2 C2.2 LED1.2 マイコン1.4 抵抗1.2
*SIGNAL* ﾃﾞｰﾀ予備
C2.1
*END*
"""

# name, input file (relative to the samples folder, or None for the board
# above), format, project kind.
BOARDS = [
    ("japanese_pads", None, "pads", 1),
    ("pads_hpsdr_atlas", "pads/hpsdr-atlas_1_REVA_Netlist.asc", "pads", 0),
    ("protel_altitude_drive", "protel/tinycad-Altitude_Drive_Circuit.net", "protel", 0),
    ("telesis_two_stage_amp", "telesis/lepton-TwoStageAmp-allegro.out", "telesis", 0),
]

# Exit status of a board whose sample file is not there.
SKIPPED = 77

EMPTY_BOARD = "(kicad_pcb (version 20211014) (generator pcbnew)\n)\n"


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def decode_report(data, kind):
    """Report cells keep the input's bytes: decode them as the netlist did."""
    if kind == 1:
        try:
            return data.decode("utf-8")
        except UnicodeDecodeError:
            return data.decode("cp932", errors="replace")
    return data.decode("utf-8", errors="surrogateescape")


def run_cli(cli, folder, input_name, fmt, project, kind):
    args = [cli, "--input", input_name, "--format", fmt, "--project", project,
            "--category", "parts.csv", "--language", "en", "--no-rev",
            "--project-kind", str(kind)]
    result = subprocess.run(args, cwd=folder, capture_output=True)
    text = result.stdout.decode("utf-8", errors="replace")
    if result.returncode != 0:
        sys.exit(f"korvandelith-cli failed in {folder} ({result.returncode}):\n{text}"
                 + result.stderr.decode("utf-8", errors="replace"))
    match = re.search(r"Report = (\S+)", text)
    if match is None:
        sys.exit(f"no report named in the result text in {folder}:\n{text}")
    return os.path.join(folder, match.group(1))


def report_rows(path):
    """(line index, cells) of every part row of a report, and all its lines."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    rows = []
    in_rows = False
    for i, line in enumerate(lines):
        if line.startswith(b"Status,"):
            in_rows = True
            continue
        if not in_rows or not line or line.startswith(b'"total'):
            continue
        cells = next(csv.reader([line.decode("latin-1")]))
        rows.append((i, [c.encode("latin-1") for c in cells]))
    return rows, lines


def usable_in_category_file(category, pcb):
    # A category file row is keyed by one category and the PCB attribute;
    # a quote cannot be written inside a cell, a comma would make a list of
    # categories, and a PCB attribute with ':' is already a footprint code.
    return (category and pcb and b'"' not in category + pcb and b"," not in category
            and b":" not in pcb)


def write_footprint(path, name, pads):
    out = [f'(footprint {quoted(name)} (version 20211014) (generator korvtest)',
           '  (layer "F.Cu")',
           '  (attr smd)',
           '  (fp_text reference "REF**" (at 0 -2) (layer "F.SilkS")'
           ' (effects (font (size 1 1) (thickness 0.15))))',
           f'  (fp_text value {quoted(name)} (at 0 -4) (layer "F.Fab")'
           ' (effects (font (size 1 1) (thickness 0.15))))']
    for i, pad in enumerate(pads):
        x, y = (i % 10) * 2.54, (i // 10) * 2.54
        out.append(f'  (pad {quoted(pad)} smd rect (at {x:.2f} {y:.2f}) (size 1.5 1.5)'
                   ' (layers "F.Cu" "F.Paste" "F.Mask"))')
    out.append(")")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


def prepare(cli, work, samples, name, source, fmt, kind):
    folder = os.path.join(work, name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    if source is None:
        input_name = "board.asc"
        with open(os.path.join(folder, input_name), "wb") as f:
            f.write(JAPANESE_PADS.replace("\n", "\r\n").encode("cp932"))
    else:
        if not os.path.isfile(os.path.join(samples, source)):
            print(f"{name}: skipped, no sample file {os.path.join(samples, source)}")
            sys.exit(SKIPPED)
        input_name = os.path.basename(source)
        shutil.copyfile(os.path.join(samples, source), os.path.join(folder, input_name))
    project = "board.kicad_pro" if kind == 1 else "board.pro"
    with open(os.path.join(folder, "board.kicad_pcb"), "w") as f:
        f.write(EMPTY_BOARD)
    with open(os.path.join(folder, "fp-lib-table"), "w") as f:
        f.write(f'(fp_lib_table\n  (lib (name "{LIBRARY}")(type "KiCad")'
                f'(uri "${{KIPRJMOD}}/{LIBRARY}.pretty")(options "")(descr ""))\n)\n')
    open(os.path.join(folder, "parts.csv"), "wb").close()

    report = run_cli(cli, folder, input_name, fmt, project, kind)
    first = read_netlist(os.path.join(folder, "board.net"))
    rows, lines = report_rows(report)

    # One footprint per category file key, and one per part given its
    # footprint in the report; pads are the pins the netlist connects.
    footprint_of_key = {}
    pads_of = {}
    category_lines = [b"Category,PCB attribute,Footprint code,Note,Maker,Version"]
    for index, cells in rows:
        category, reference, pcb = cells[1], cells[3], cells[4]
        if usable_in_category_file(category, pcb):
            key = (category, pcb)
            if key not in footprint_of_key:
                footprint_of_key[key] = f"F{len(footprint_of_key) + 1:03d}"
                category_lines.append(b'"%s","%s",%s:%s,,,' % (
                    category, pcb, LIBRARY.encode(), footprint_of_key[key].encode()))
            footprint = footprint_of_key[key]
        else:
            footprint = f"P{index:04d}"
            # The last two cells: the forced mark, then the quoted code.
            code = f'"{LIBRARY}:{footprint}"'.encode()
            lines[index] = re.sub(rb',[^,"]*,"(?:[^"]|"")*"$', lambda m: b",*," + code,
                                  lines[index])
        pins = first.pins_of.get(decode_report(reference, kind), set())
        pads_of.setdefault(footprint, set()).update(pins)
    with open(report, "wb") as f:
        f.write(b"\r\n".join(lines))
    with open(os.path.join(folder, "parts.csv"), "wb") as f:
        f.write(b"\r\n".join(category_lines) + b"\r\n")

    pretty = os.path.join(folder, LIBRARY + ".pretty")
    os.makedirs(pretty)
    for footprint, pads in pads_of.items():
        write_footprint(os.path.join(pretty, footprint + ".kicad_mod"), footprint,
                        sorted(pads, key=lambda p: (len(p), p)))

    run_cli(cli, folder, input_name, fmt, project, kind)
    if source is None:
        check_japanese_texts(read_netlist(os.path.join(folder, "board.net")))


def check_japanese_texts(netlist):
    """The netlist of the code page 932 board holds its texts as written."""
    part_lines = JAPANESE_PADS.split("*PART*\n")[1].split("\n\n")[0].splitlines()
    want_parts = {}
    for line in part_lines:
        ref, rest = line.split(" ", 1)
        want_parts[ref] = rest.split("@")[0]
    got_parts = {ref: value for ref, (value, _) in netlist.components.items()}
    want_nets = set(re.findall(r"^\*SIGNAL\* (.+)$", JAPANESE_PADS, re.M))
    if got_parts != want_parts or set(netlist.nets) != want_nets:
        sys.exit(f"the netlist does not hold the board's texts:\n  parts {got_parts}\n"
                 f"  want  {want_parts}\n  nets {sorted(netlist.nets)}\n"
                 f"  want {sorted(want_nets)}")


def main():
    if sys.argv[1:] == ["--list"]:
        print(" ".join(board[0] for board in BOARDS))
        return
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    cli, work, samples, wanted = sys.argv[1:]
    for name, source, fmt, kind in BOARDS:
        if name == wanted:
            prepare(os.path.abspath(cli), os.path.abspath(work), samples, name, source, fmt, kind)
            return
    sys.exit(f"no board named {wanted}")


if __name__ == "__main__":
    main()
