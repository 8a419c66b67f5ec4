#!/usr/bin/env python3
"""Runs the benchmarks and the program, and writes docs/BENCHMARKS.md.

Every Google Benchmark program under build/bench runs with repetitions; the
report gives the median and the worst repetition of its time and counters.
The program itself is measured as a user meets it: start-up until the window
shows, CPU time and wake-ups while it sits idle for 10 s, and peak memory.
"""
import datetime
import json
import os
import platform
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
REPETITIONS = 3
STARTS = 5
IDLE_SECONDS = 10


def bench_programs():
    folder = os.path.join(BUILD, "bench")
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if os.path.isfile(path) and os.access(path, os.X_OK):
            yield name, path


def run_benchmark(path):
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        subprocess.run([path, f"--benchmark_repetitions={REPETITIONS}",
                        f"--benchmark_out={out.name}", "--benchmark_out_format=json"],
                       check=True, stdout=subprocess.DEVNULL, env=env)
        return json.load(open(out.name))


def summarise(report):
    """Per benchmark: median and worst of the repetitions, time and counters."""
    runs = {}
    for run in report["benchmarks"]:
        if run.get("run_type") != "iteration":
            continue
        runs.setdefault(run["run_name"], []).append(run)
    skip = {"name", "run_name", "run_type", "repetitions", "repetition_index", "threads",
            "iterations", "real_time", "cpu_time", "time_unit", "family_index",
            "per_family_instance_index", "aggregate_name", "aggregate_unit", "label"}
    rows = []
    for name, reps in runs.items():
        unit = reps[0]["time_unit"]
        values = {f"time ({unit})": [r["real_time"] for r in reps]}
        for key in reps[0]:
            if key not in skip and isinstance(reps[0][key], (int, float)):
                values[key] = [r[key] for r in reps]
        rows.append((name, len(reps), values))
    return rows


def fmt(value):
    if value >= 1e9:
        return f"{value / 1e9:.2f} G"
    if value >= 1e6:
        return f"{value / 1e6:.2f} M"
    if value >= 1e4:
        return f"{value / 1e3:.1f} k"
    return f"{value:.3g}"


def proc_status(pid):
    fields = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, value = line.partition(":")
            fields[key] = value.strip()
    return fields


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as stat:
        parts = stat.read().rsplit(")", 1)[1].split()
    return int(parts[11]) + int(parts[12])  # utime + stime


def wakeups(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        fields = proc_status(f"{pid}/task/{task}")
        total += int(fields["voluntary_ctxt_switches"]) + int(fields["nonvoluntary_ctxt_switches"])
    return total


def measure_program(idle):
    """Starts the real program on a pseudo-terminal camera (qvsim)."""
    program = os.path.join(BUILD, "src/gui/velorantica")
    qvsim = os.path.join(BUILD, "tools/qvsim")
    driver = os.path.join(BUILD, "tests/e2e/libvelorantica_e2e_driver.so")
    with tempfile.TemporaryDirectory() as folder:
        camera = subprocess.Popen([qvsim, "--model", "7"], stdout=subprocess.PIPE, text=True)
        port = camera.stdout.readline().strip()
        with open(os.path.join(folder, "velorantica.ini"), "w") as profile:
            profile.write(f"[Options]\nComPort={port}\n")
        with open(os.path.join(folder, "script"), "w") as script:
            script.write(f"mark shown\nwait {(IDLE_SECONDS + 2) * 1000 if idle else 100}\nexit\n")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_CONFIG_HOME=folder,
                   LD_PRELOAD=driver, VELORANTICA_E2E_SCRIPT=os.path.join(folder, "script"))
        started = time.monotonic()
        proc = subprocess.Popen([program], stdout=subprocess.PIPE, env=env, text=True)
        line = proc.stdout.readline()
        shown_ms = int(line.split()[2]) - started * 1000
        result = {"startup_ms": shown_ms}
        if idle:
            time.sleep(1)
            ticks, wakes = cpu_ticks(proc.pid), wakeups(proc.pid)
            time.sleep(IDLE_SECONDS)
            hz = os.sysconf("SC_CLK_TCK")
            result["idle_cpu_ms"] = (cpu_ticks(proc.pid) - ticks) * 1000 / hz
            result["idle_wakeups"] = wakeups(proc.pid) - wakes
            result["peak_rss_mib"] = int(proc_status(proc.pid)["VmHWM"].split()[0]) / 1024
        proc.wait(timeout=30)
        camera.terminate()
        camera.wait(timeout=10)
        return result


def main():
    lines = ["# Benchmarks", ""]
    lines.append(f"Run on {datetime.date.today().isoformat()} by `scripts/benchmarks.sh`.")
    cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo")
                if l.startswith("model name")), platform.processor())
    lines.append(f"Machine: {cpu}, {os.cpu_count()} cores, {platform.system()} "
                 f"{platform.release()}.")
    lines += ["", f"Each benchmark ran {REPETITIONS} times; median and worst of those runs.", ""]
    lines += ["| benchmark | measure | median | worst |", "|---|---|---|---|"]
    for name, path in bench_programs():
        print(f"running {name} ...", file=sys.stderr)
        for bench, reps, values in summarise(run_benchmark(path)):
            for measure, samples in values.items():
                worst = min(samples) if "best" in measure else max(samples)
                lines.append(f"| {bench} | {measure} | {fmt(statistics.median(samples))} | "
                             f"{fmt(worst)} |")
    print("measuring the program ...", file=sys.stderr)
    starts = [measure_program(False)["startup_ms"] for _ in range(STARTS)]
    idle = measure_program(True)
    lines += ["", "## The program", "",
              "| measure | median | worst |", "|---|---|---|",
              f"| start-up until the window shows ({STARTS} starts), ms | "
              f"{statistics.median(starts):.0f} | {max(starts):.0f} |",
              f"| CPU time while idle for {IDLE_SECONDS} s, ms | {idle['idle_cpu_ms']:.0f} | |",
              f"| wake-ups (context switches) while idle for {IDLE_SECONDS} s | "
              f"{idle['idle_wakeups']} | |",
              f"| peak memory (VmHWM), MiB | {idle['peak_rss_mib']:.1f} | |", ""]
    with open(os.path.join(ROOT, "docs/BENCHMARKS.md"), "w") as report:
        report.write("\n".join(lines))
    print("\n".join(lines))


if __name__ == "__main__":
    main()
