"""Times korvandelith-cli against copying the same bytes (the inputs it reads
and the outputs it writes) with cp: on the full-capacity files of every
format, and on a PADS board at 1% of capacity (60 parts, 200 pins) with a
60-row category file and previous report.  Each figure is a median over
repeated runs of the CPU time the child used (user + system, from wait4),
the CLI and cp taking turns, which stays fair on a machine that other jobs
load, beside the wall time and the peak memory.

    python3 bench/time_cli.py CLI DATA_DIR
"""
import os
import shutil
import statistics
import sys
import tempfile
import time

RUNS = 21
SMALL_RUNS = 61
SMALL_PARTS = 60
SMALL_PINS = 200
FULL_LIMIT = 1.5  # CPU time of a full-capacity conversion against cp
SMALL_LIMIT_MS = 2.5


def run_once(command):
    """Runs the command with its output discarded; returns (cpu_ms, wall_ms, peak_kB)."""
    actions = [(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0)]
    start = time.perf_counter()
    pid = os.posix_spawn(command[0], command, os.environ, file_actions=actions)
    _, _, usage = os.wait4(pid, 0)
    wall = (time.perf_counter() - start) * 1000
    return (usage.ru_utime + usage.ru_stime) * 1000, wall, usage.ru_maxrss


def write_small_board(work):
    """A PADS board at 1% of capacity, its category file and previous report."""
    families = ["R", "C", "U", "D", "L", "J"]
    refs = ["%s%d" % (families[i % 6], i // 6 + 1) for i in range(SMALL_PARTS)]
    packages = ["PKG_%s_%d" % (r[0], i % 4) for i, r in enumerate(refs)]
    with open(os.path.join(work, "board.pads"), "w", newline="") as f:
        f.write("*PADS-PCB*\r\n*PART*\r\n")
        for r, p in zip(refs, packages):
            f.write("%-8s 10k 1%% 0.1W@%s\r\n" % (r, p))
        f.write("\r\n*NET*\r\n")
        for net in range(SMALL_PINS // 5):
            f.write("*SIGNAL* NET_%03d\r\n" % net)
            f.write(" ".join("%s.%d" % (refs[(k * 7) % SMALL_PARTS], 1 + k // SMALL_PARTS)
                             for k in range(net * 5, net * 5 + 5)) + "\r\n")
        f.write("*END*     OF ASCII OUTPUT FILE\r\n")
    with open(os.path.join(work, "parts.csv"), "w", newline="") as f:
        f.write("Category,PCB attribute,Footprint code,Note,Maker,Version\r\n")
        for r, p in sorted(set((r[0], p) for r, p in zip(refs, packages))):
            f.write("%s,%s,Library_%s:%s,,,\r\n" % (r, p, r, p))
    with open(os.path.join(work, "board.pads_f00.csv"), "w", newline="") as f:
        f.write("Input=board.pads\r\nOutput=board.net\r\n")
        f.write("Status,Category,Value,Reference number,PCB attribute,Forced mark,Footprint code\r\n")
        for r, p in zip(refs, packages):
            f.write("keep,%s,\"`10k 1%% 0.1W\",%s,\"%s\",,\"Library_%s:%s\"\r\n" % (r[0], r, p, r[0], p))
        f.write("\"total parts=%d\"\r\n" % SMALL_PARTS)
    open(os.path.join(work, "board.pro"), "w").close()


def time_board(cli, work, name, fmt, runs):
    """CPU, wall and peak of the CLI, CPU of cp, and the bytes, for one board in `work`."""
    os.chdir(work)
    dest = tempfile.mkdtemp()
    report = name + "_f01.csv"

    def drop_report():
        if os.path.exists(report):
            os.unlink(report)

    command = [cli, "--input", name, "--format", fmt, "--project", "board.pro",
               "--category", "parts.csv"]
    run_once(command)  # leaves the outputs that cp copies
    files = [name, name + "_f00.csv", "parts.csv", "board.net", report]
    size = sum(os.path.getsize(f) for f in files)
    copy = [shutil.which("cp")] + files + [dest]
    # The CLI and cp take turns, so that a change of load on the machine
    # weighs on both sides of the ratio alike.
    cli_cpu, cli_wall, cp_cpu, peak = [], [], [], 0
    for _ in range(runs):
        drop_report()
        c, w, p = run_once(command)
        cli_cpu.append(c)
        cli_wall.append(w)
        peak = max(peak, p)
        cp_cpu.append(run_once(copy)[0])
    os.chdir("/")
    shutil.rmtree(dest)
    return (statistics.median(cli_cpu), statistics.median(cli_wall), statistics.median(cp_cpu),
            size, peak)


def main():
    cli, data = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    print("CPU time = user + system of the child, median of %d runs (%d for the 1%% board)"
          % (RUNS, SMALL_RUNS))
    print("%-9s %9s %8s %8s %8s %6s %8s" %
          ("format", "in+out", "cli_cpu", "cli_wall", "cp_cpu", "ratio", "peak_kB"))
    ok = True
    for fmt in ["pads", "cadvance", "mm2", "protel", "telesis", "ccf"]:
        name = "board." + fmt
        if not os.path.exists(os.path.join(data, name)):
            continue
        work = tempfile.mkdtemp()
        for f in [name, name + "_f00.csv", "parts.csv", "board.pro"]:
            shutil.copy(os.path.join(data, f), work)
        cli_cpu, cli_wall, cp_cpu, size, peak = time_board(cli, work, name, fmt, RUNS)
        ratio = cli_cpu / cp_cpu
        ok = ok and ratio <= FULL_LIMIT
        print("%-9s %9d %8.2f %8.2f %8.2f %6.2f %8d" % (fmt, size, cli_cpu, cli_wall, cp_cpu, ratio, peak))
        shutil.rmtree(work)
    work = tempfile.mkdtemp()
    write_small_board(work)
    cli_cpu, cli_wall, cp_cpu, size, peak = time_board(cli, work, "board.pads", "pads", SMALL_RUNS)
    ok = ok and cli_cpu <= SMALL_LIMIT_MS
    print("%-9s %9d %8.2f %8.2f %8.2f %6.2f %8d" %
          ("pads 1%", size, cli_cpu, cli_wall, cp_cpu, cli_cpu / cp_cpu, peak))
    shutil.rmtree(work)
    print("targets (full capacity at most %.1fx cp CPU, 1%% board at most %.1f ms CPU): %s"
          % (FULL_LIMIT, SMALL_LIMIT_MS, "met" if ok else "NOT met"))


if __name__ == "__main__":
    main()
