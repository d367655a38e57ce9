"""Times korvandelith-cli on the full-capacity files against copying the same
bytes (the inputs it reads and the outputs it writes) with cp, and measures
its peak memory.  Each figure is the median of 21 runs.

    python3 bench/time_cli.py CLI DATA_DIR
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = 21


def median_ms(command, before=None):
    times = []
    for _ in range(RUNS):
        if before:
            before()
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, check=False)
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times)


def main():
    cli, data = sys.argv[1], sys.argv[2]
    print("%-9s %9s %8s %8s %6s %8s" % ("format", "in+out", "cli_ms", "cp_ms", "ratio", "peak_kB"))
    for fmt in ["pads", "cadvance", "mm2", "protel", "telesis", "ccf"]:
        name = "board." + fmt
        work = tempfile.mkdtemp()
        dest = tempfile.mkdtemp()
        for f in [name, name + "_f00.csv", "parts.csv", "board.pro"]:
            shutil.copy(os.path.join(data, f), work)
        os.chdir(work)
        report = name + "_f01.csv"

        def drop_report():
            if os.path.exists(report):
                os.unlink(report)

        command = [cli, "--input", name, "--format", fmt, "--project", "board.pro",
                   "--category", "parts.csv"]
        cli_ms = median_ms(command, drop_report)
        drop_report()
        peak = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, text=True).stderr.split()[-1]
        files = [name, name + "_f00.csv", "parts.csv", "board.net", report]
        size = sum(os.path.getsize(f) for f in files)
        cp_ms = median_ms(["cp"] + files + [dest])
        print("%-9s %9d %8.2f %8.2f %6.2f %8s" % (fmt, size, cli_ms, cp_ms, cli_ms / cp_ms, peak))
        os.chdir("/")
        shutil.rmtree(work)
        shutil.rmtree(dest)


if __name__ == "__main__":
    main()
