#!/usr/bin/env python3
"""Turns a run of quillon_bench (--benchmark_format=json) into
docs/performance.md and docs/performance.png (gnuplot)."""
import json
import os
import subprocess
import sys
import tempfile

SIZES = [1000, 10000, 30000]


def main(result_file, docs):
    with open(result_file, encoding="utf-8") as f:
        run = json.load(f)
    ops, order, single, server = {}, [], [], []
    for b in run["benchmarks"]:
        parts = b["name"].split("/")
        if parts[0] == "server":
            server.append(b)
        elif "us_per_row" in b and len(parts) > 1 and parts[1].isdigit() and int(parts[1]) in SIZES:
            if parts[0] not in ops:
                ops[parts[0]] = {}
                order.append(parts[0])
            ops[parts[0]][int(parts[1])] = b
        else:
            single.append(b)

    ctx = run["context"]
    lines = [
        "# Performance",
        "",
        "Made by `make bench` (Release build) from one run of `bench/quillon_bench`; "
        "`bench/report.py` wrote this page and the plot. Do not edit by hand.",
        "",
        f"- Run: {ctx.get('date', '?')} on {ctx.get('host_name', '?')}, "
        f"{ctx.get('num_cpus', '?')} CPUs at {ctx.get('mhz_per_cpu', '?')} MHz",
        "- Data: a database that already holds 1,000,000 project-tree rows (1,000 projects of 1,000 nodes "
        "with their checks, bid lines, scoring items, factors, rules and records); each size adds one "
        "project and one template of that many tree rows plus attached rows in proportion.",
        "- Each figure is the median of the trials of one run; floor and operation run in turns, each "
        "trial in a child process of its own on a fresh copy of the database. Peak is the growth of the "
        "trial's resident set. Rows are counted from what the trial did.",
        "- The floor is the least work any implementation must do for the same result, into the same "
        "database as the operation: an export steps the same seven tables' statements and writes their "
        "rows straight into a buffered file as package text (each text checked to be UTF-8 that XML can carry, as the package must be XML whatever a row holds), then flushes, syncs and renames it, as ours "
        "does; an import parses the package with pugixml, takes one max() per numbered column and appends "
        "every record of every table, identifiers shifted, through one prepared INSERT per table in one "
        "transaction; a copy or save reads the rows and inserts them through one prepared INSERT per "
        "table; a delete is one recursive DELETE.",
        "",
        "| operation | rows | time ms | floor ms | × floor | rows/s | µs/row | peak MB | floor peak MB | × floor peak |",
        "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|",
    ]
    for op in order:
        for size in SIZES:
            b = ops[op].get(size)
            if not b:
                continue
            lines.append(
                f"| {op} {size:,} | {b['rows']:,.0f} | {b['real_time']:.1f} | {b['floor_ms']:.1f} | "
                f"{b['x_floor']:.2f} | {b['rows_per_s']:,.0f} | {b['us_per_row']:.2f} | {b['peak_MB']:.1f} | "
                f"{b['floor_peak_MB']:.1f} | {b['x_floor_peak']:.2f} |")

    lines += ["", "## Against the targets", "",
              "| operation | × floor at 30,000 (imports ≤ 1.3, exports ≤ 1.2, copies ≤ 1.3) | time 30,000 / 1,000 (≤ 35) | memory |",
              "|---|---:|---:|---|"]
    for op in order:
        small, large = ops[op].get(1000), ops[op].get(30000)
        if not small or not large:
            continue
        growth = large["real_time"] / small["real_time"]
        if "x_text_peak" in large:
            memory = f"{large['peak_MB']:.1f} MB = {large['x_text_peak']:.2f} × the package's {large['text_MB']:.1f} MB (≤ 1.2)"
        elif "peak_per_package_MB" in large:
            # How the peak grows with the package read, from the smallest size to the largest (≤ 0.5).
            points = [b for b in (ops[op].get(s) for s in (1000, 10000, 30000)) if b]
            slope = (points[-1]["peak_MB"] - points[0]["peak_MB"]) / (points[-1]["package_MB"] - points[0]["package_MB"])
            memory = ("peaks " + ", ".join(f"{b['peak_MB']:.1f}" for b in points) + " MB for packages of " +
                      ", ".join(f"{b['package_MB']:.1f}" for b in points) +
                      f" MB: {slope:+.2f} MB per MB of package (≤ 0.5)")
        else:
            memory = f"{large['peak_MB']:.1f} MB"
        lines.append(f"| {op} | {large['x_floor']:.2f} | {growth:.1f} | {memory} |")

    if single:
        lines += ["", "## Single calls", "", "| benchmark | time | floor | × floor |", "|---|---:|---:|---:|"]
        for b in single:
            unit = b.get("time_unit", "ns")
            floor = b.get("floor_ms")
            floor_text = f"{floor:.3f} ms" if floor is not None else (
                f"{b['floor_us']:.2f} us" if "floor_us" in b else "")
            ratio = f"{b['x_floor']:.2f}" if "x_floor" in b else ""
            name = b["name"].replace("/iterations:1/manual_time", "")
            lines.append(f"| {name} | {b['real_time']:.2f} {unit} | {floor_text} | {ratio} |")

    if server:
        lines += ["", "## On a PostgreSQL server", "",
                  "The same operations on an installation moved onto a throw-away PostgreSQL cluster on this "
                  "machine (`scripts/pg-cluster.sh`: a local socket, no sync to disk), at 30,000 tree rows per "
                  "document with the 1,000,000-row base, each next to a floor on the same server in the same "
                  "run: an import, copy or save writes the same rows by COPY in one transaction (the floor "
                  "reads the package with pugixml, or reads the rows by COPY ... TO); an export's floor "
                  "writes the rows of the same seven queries by COPY ... TO straight into the file, without "
                  "markup. `migrate` moves the whole installation (every table of the file) into an empty "
                  "database, against a COPY of every table's rows after the same schema. Round trips are the "
                  "waits for the server's answer one call of the operation made, counted by the engine.",
                  "",
                  "| operation | time ms | floor ms | × floor | target | round trips | peak MB |",
                  "|---|---:|---:|---:|---:|---:|---:|"]
        for b in server:
            name = b["name"].replace("/iterations:1/manual_time", "")[len("server/"):]
            trips = f"{b['round_trips']:.0f}" if "round_trips" in b else ""
            lines.append(f"| {name} | {b['real_time']:.1f} | {b['floor_ms']:.1f} | {b['x_floor']:.2f} | "
                         f"≤ {b['target_x_floor']:.1f} | {trips} | {b['peak_MB']:.1f} |")

    lines += ["", "![time against size](performance.png)", ""]
    with open(os.path.join(docs, "performance.md"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
    plot(ops, order, os.path.join(docs, "performance.png"))


def plot(ops, order, png):
    with tempfile.TemporaryDirectory() as tmp:
        script = [
            "set terminal pngcairo size 1500,1100 font ',9'",
            f"set output '{png}'",
            "set logscale xy",
            "set xlabel 'tree rows per document'",
            "set ylabel 'ms'",
            "set key top left",
            "set grid",
            f"set multiplot layout 3,3 title 'Time against size: each operation and its floor (medians, log-log)'",
        ]
        for i, op in enumerate(order):
            data = os.path.join(tmp, f"{i}.dat")
            with open(data, "w") as f:
                for size in SIZES:
                    if size in ops[op]:
                        b = ops[op][size]
                        f.write(f"{size} {b['real_time']} {b['floor_ms']}\n")
            script += [f"set title '{op}' noenhanced",
                       f"plot '{data}' using 1:2 with linespoints title 'operation', "
                       f"'' using 1:3 with linespoints dashtype 2 title 'floor'"]
        script.append("unset multiplot")
        subprocess.run(["gnuplot"], input="\n".join(script), text=True, check=True)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: report.py RESULT.json DOCS_FOLDER")
    main(sys.argv[1], sys.argv[2])
