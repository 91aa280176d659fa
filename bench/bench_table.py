#!/usr/bin/env python3
"""The benchmark's one table, gathered from the rows its parts wrote in this run.

    bench/bench_table.py time RUNS -- COMMAND...     best wall time of the whole command, in ms
    bench/bench_table.py table ROWS MACHINE OUT.md   prints the table and writes it as Markdown

A row is a tab-separated line: what, ours, our value, reference, its value, unit, goal. The
ratio is ours divided by the reference: below 1 ours takes less. MACHINE holds "name<TAB>value"
lines the scripts gathered in the Wine session (Wine version, display); the processor comes
from this machine."""
import datetime
import os
import platform
import subprocess
import sys
import time


def time_command(runs, command):
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        best = min(best, time.perf_counter() - start)
    print(f"{best * 1000:.3f}")


def number(value):
    if value >= 100:
        return f"{value:.0f}"
    if value >= 10:
        return f"{value:.1f}"
    if value >= 1:
        return f"{value:.2f}"
    return f"{value:.3f}"


def read_rows(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if len(fields) != 7:
                continue
            what, ours, ours_value, reference, reference_value, unit, goal = fields
            ours_value, reference_value = float(ours_value), float(reference_value)
            ratio = number(ours_value / reference_value) if reference_value > 0 else "—"
            reference_text = f"{reference} {number(reference_value)} {unit}" if reference_value > 0 else \
                f"{reference}: not measured"
            rows.append([what, f"{ours} {number(ours_value)} {unit}", reference_text, ratio,
                         goal.replace("<=", "≤") or "—"])
    return rows


def machine(path):
    cpu = "unknown processor"
    with open("/proc/cpuinfo", encoding="utf-8") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    facts = {"Processor": f"{cpu}, {os.cpu_count()} cores", "Linux": platform.release()}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if "\t" in line:
                name, value = line.rstrip("\n").split("\t", 1)
                facts[name] = value
    return facts


def table(rows_path, machine_path, markdown_path):
    header = ["What", "Ours", "Reference", "Ratio", "Goal"]
    rows = read_rows(rows_path)
    facts = machine(machine_path)
    when = datetime.date.today().isoformat()
    about = "; ".join(f"{name}: {value}" for name, value in facts.items())

    widths = [max(len(r[i]) for r in [header] + rows) for i in range(len(header))]
    line = lambda cells: "  ".join(c.ljust(w) if i != 3 else c.rjust(w) for i, (c, w) in enumerate(zip(cells, widths)))
    print()
    print(f"Benchmark of {when}. {about}")
    print(line(header))
    print("  ".join("-" * w for w in widths))
    for r in rows:
        print(line(r))

    with open(markdown_path, "w", encoding="utf-8") as f:
        f.write(f"Measured {when} on: {about}. Ratio: ours divided by the reference (below 1: ours is faster "
                "or smaller).\n\n")
        f.write("| " + " | ".join(header) + " |\n")
        f.write("|---|---|---|--:|---|\n")
        for r in rows:
            f.write("| " + " | ".join(c.replace("|", "\\|") for c in r) + " |\n")
    print(f"\nWritten as Markdown to {markdown_path}")


def main():
    if len(sys.argv) > 3 and sys.argv[1] == "time" and sys.argv[3] == "--":
        time_command(int(sys.argv[2]), sys.argv[4:])
    elif len(sys.argv) == 5 and sys.argv[1] == "table":
        table(*sys.argv[2:5])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
