#!/usr/bin/python3
"""Reads a board that pcbnew saved and compares it with the netlist it imported.

Run with the system Python, which has KiCad's pcbnew module.  Every
component of the netlist must be on the board with its reference, value and
footprint; every pad must carry the net the netlist gives its pin (or no
net); every node of the netlist must be a pad; and the board's net names
must be exactly the netlist's.

Usage: check_board.py BOARD.kicad_pcb NETLIST.net NAME
Prints what was read back; exit status 1 when anything differs.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from netlist_sexpr import read_netlist  # noqa: E402

import pcbnew  # noqa: E402

SHOWN = 20


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    board_path, netlist_path, name = sys.argv[1:]
    expected = read_netlist(netlist_path)
    board = pcbnew.LoadBoard(board_path)
    problems = []

    found = {}
    for fp in board.GetFootprints():
        ref = str(fp.GetReference())
        if ref in found:
            problems.append(f"reference {ref!r} is on the board twice")
        pads = [(str(pad.GetNumber()), str(pad.GetNetname())) for pad in fp.Pads()]
        found[ref] = (str(fp.GetValue()), str(fp.GetFPID().GetUniStringLibId()), pads)

    pad_count = connected = 0
    for ref, (value, footprint) in expected.components.items():
        if ref not in found:
            problems.append(f"component {ref!r} ({footprint}) is missing")
            continue
        got_value, got_footprint, pads = found[ref]
        if got_value != value:
            problems.append(f"{ref!r}: value {got_value!r}, netlist says {value!r}")
        if got_footprint != footprint:
            problems.append(f"{ref!r}: footprint {got_footprint!r}, netlist says {footprint!r}")
        numbers = set()
        for number, net in pads:
            numbers.add(number)
            pad_count += 1
            connected += net != ""
            want = expected.net_of.get((ref, number), "")
            if net != want:
                problems.append(f"{ref!r} pad {number!r}: net {net!r}, netlist says {want!r}")
        for pin in expected.pins_of.get(ref, ()):
            if pin not in numbers:
                problems.append(f"{ref!r}: pin {pin!r} of net "
                                f"{expected.net_of[(ref, pin)]!r} has no pad")
    for ref in found:
        if ref not in expected.components:
            problems.append(f"component {ref!r} is on the board but not in the netlist")

    board_nets = {str(n) for n in board.GetNetsByName().keys()} - {""}
    netlist_nets = {n for n, nodes in expected.nets.items() if nodes}
    for net in sorted(netlist_nets - board_nets):
        problems.append(f"net {net!r} is missing from the board")
    for net in sorted(board_nets - netlist_nets):
        problems.append(f"net {net!r} is on the board but not in the netlist")

    summary = (f"{len(found)} components, {pad_count} pads ({connected} connected), "
               f"{len(board_nets)} nets")
    if problems:
        print(f"{name}: read back {summary}; {len(problems)} differences:")
        for line in problems[:SHOWN]:
            print("  " + line)
        if len(problems) > SHOWN:
            print(f"  ... and {len(problems) - SHOWN} more")
        sys.exit(1)
    print(f"{name}: read back {summary}, all as the netlist says")


if __name__ == "__main__":
    main()
