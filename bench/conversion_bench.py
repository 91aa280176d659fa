#!/usr/bin/env python3
"""Compares conversion.dll (under Wine) with Debian's cjpeg/djpeg and ImageMagick's convert on
the same generated files: the time of one conversion both ways, and the peak memory of the
library against the source file and the picture together.

    bench/conversion_bench.py BUILD_DIR [ROWS]   (inside a Wine session: scripts/wine-session.sh)

Rows of the benchmark table (bench/bench_table.py) are appended to ROWS, or printed. All
programs write JPEG at quality 90 without chroma subsampling (4:4:4) and 24-bit BMP."""
import os
import subprocess
import sys
import tempfile
import time

RUNS = 5


def run_measured(command, cwd):
    """Runs a command once; returns (seconds, peak resident memory in bytes)."""
    start = time.perf_counter()
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(process.pid, 0)
    seconds = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        sys.exit(f"{command[0]} failed: {process.stderr.read().decode(errors='replace')}")
    return seconds, usage.ru_maxrss * 1024


def best(command, cwd):
    results = [run_measured(command, cwd) for _ in range(RUNS)]
    return min(r[0] for r in results), max(r[1] for r in results)


def main():
    build = os.path.abspath(sys.argv[1])
    rows_path = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
    exe = os.path.join(build, "bench", "conversion_bench.exe")
    with tempfile.TemporaryDirectory(prefix="kavlor-bench-") as folder:
        windows_folder = "Z:" + folder.replace("/", "\\")
        out = subprocess.run(["wine", exe, windows_folder], capture_output=True, text=True, check=True).stdout
        dll = {}
        megapixels = {}
        for line in out.splitlines():
            parts = line.split()
            if parts[:2] == ["time", "dll"]:
                dll[(parts[2], parts[3])] = float(parts[5])
                megapixels[parts[3]] = float(parts[4])
        memory = {}
        for label in megapixels:
            for function, source, key in (("BmpToJpg", "P.BMP", "bmp2jpg"), ("JpgToBmp", "J.JPG", "jpg2bmp")):
                subprocess.run(["cp", f"{label}.BMP" if key == "bmp2jpg" else f"{label}.JPG", source],
                               cwd=folder, check=True)
                text = subprocess.run(["wine", exe, "--memory", function, source], cwd=folder,
                                      capture_output=True, text=True).stdout
                memory[(key, label)] = int(text.split()[-1]) if text.startswith("memory") else -1

        rows = []
        kinds = {"PHOTO": "photograph", "SCREEN": "screenshot"}
        for label, mp in megapixels.items():
            bmp, jpg = f"{label}.BMP", f"{label}.JPG"
            bmp_mb = os.path.getsize(os.path.join(folder, bmp)) / 1e6
            jpg_mb = os.path.getsize(os.path.join(folder, jpg)) / 1e6
            tools = {
                "bmp2jpg": [
                    ("cjpeg", ["cjpeg", "-quality", "90", "-sample", "1x1", "-outfile", "c.jpg", bmp]),
                    ("ImageMagick convert", ["convert", bmp, "-quality", "90", "-sampling-factor", "1x1", "m.jpg"]),
                ],
                "jpg2bmp": [
                    ("djpeg", ["djpeg", "-bmp", "-outfile", "d.bmp", jpg]),
                    ("ImageMagick convert", ["convert", jpg, "BMP3:m.bmp"]),
                ],
            }
            for key, commands in tools.items():
                function, direction = ("BmpToJpg", "BMP to JPEG") if key == "bmp2jpg" else ("JpgToBmp", "JPEG to BMP")
                what = f"{direction}, {mp:.1f} MP {kinds.get(label, label)}"
                ours = dll[(key, label)] * 1000
                for name, command in commands:
                    seconds, _ = best(command, folder)
                    # libjpeg-turbo's own tools set the speed to reach; ImageMagick is for scale.
                    goal = "<= 1.0" if name in ("cjpeg", "djpeg") else ""
                    rows.append((what, f"conversion.dll {function}", ours, name, seconds * 1000, "ms", goal))
                source_mb = bmp_mb if key == "bmp2jpg" else jpg_mb
                rows.append((f"peak memory, {what}", f"conversion.dll {function}", memory[(key, label)] / 1e6,
                             "source file + picture", source_mb + bmp_mb, "MB", "<= 1.10"))
        text = "".join("\t".join(f"{v:.6f}" if isinstance(v, float) else v for v in row) + "\n" for row in rows)
        if rows_path:
            with open(rows_path, "a", encoding="utf-8") as f:
                f.write(text)
        else:
            sys.stdout.write(text)

if __name__ == "__main__":
    main()
