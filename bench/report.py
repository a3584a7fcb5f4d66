#!/usr/bin/env python3
"""Writes docs/performance.md from what bench/run.sh measured.

    report.py RESULTS_DIR REPORT

RESULTS_DIR holds the JSON of Google Benchmark (gamefiles.json,
windows.json), of hyperfine (startup-folder.json, startup-main.json,
export.json) and of bench/cputime.py (startup-cpu.json), memory.txt (name
and peak KiB per run), instructions.txt (program and instructions of one
run), machine.txt and seconds.txt. Standard library only.
"""

import json
import statistics
import sys
from datetime import date
from pathlib import Path

# The goals each measure is held to.
SCAN_RATIO = 1.5
SCAN_LINEARITY = 1.25  # cost per record at 1,000,000 records against 100,000
TEAM_RATIO = 2.0
STARTUP_RATIO = 1.3
STARTUP_EXTRA_MIB = 10
STARTUP_CPU_RATIO = 1.10  # against the same windows with no logic
LEAVE_RATIO = 2.0  # leaving a player in the window against the sync floor
TABLE_RATIO = 1.5  # the roster table on the whole league against a bare table


def gbench_medians(path):
    """Median real and CPU time in microseconds by benchmark name."""
    data = json.loads(path.read_text())
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
    medians = {}
    singles = {}
    for b in data["benchmarks"]:
        if b.get("error_occurred"):
            raise SystemExit(f"{b['run_name']}: {b.get('error_message')}")
        unit = scale[b.get("time_unit", "ns")]
        value = {"real": b["real_time"] * unit, "cpu": b["cpu_time"] * unit,
                 "records": b.get("records")}
        if b.get("aggregate_name") == "median":
            medians[b["run_name"]] = value
        elif b.get("run_type") == "iteration":
            singles.setdefault(b["run_name"], value)
    # A run of one repetition has no aggregates.
    for name, value in singles.items():
        medians.setdefault(name, value)
    return medians


def hyperfine_medians(path):
    """Median wall time in milliseconds by command name."""
    data = json.loads(path.read_text())
    return {r["command"]: r["median"] * 1e3 for r in data["results"]}


def peak_memory(path):
    """Median peak resident set in MiB by name."""
    runs = {}
    if path.exists():
        for line in path.read_text().splitlines():
            parts = line.split()
            if len(parts) == 2 and parts[1].isdigit():
                runs.setdefault(parts[0], []).append(int(parts[1]) / 1024)
    return {name: statistics.median(values) for name, values in runs.items()}


def key_values(path):
    values = {}
    if path.exists():
        for line in path.read_text().splitlines():
            key, _, value = line.partition("=")
            values[key] = value
    return values


def us(value):
    if value >= 10_000:
        return f"{value / 1000:,.1f} ms"
    if value >= 100:
        return f"{value:,.0f} µs"
    return f"{value:,.1f} µs"


def verdict(ok):
    return "met" if ok else "**not met**"


def startup_cpu(results, w, goals):
    """Start-up to the main window against the same windows with no logic."""
    runs = json.loads((results / "startup-cpu.json").read_text())
    cpu = {name: statistics.median(run["cpu"]) * 1e3 for name, run in runs.items()}
    instructions = key_values(results / "instructions.txt")
    counts = {"puckdex": int(instructions.get("puckdex") or 0),
              "floor": int(instructions.get("puckdex-ui-windows") or 0)}
    ratio = cpu["puckdex"] / cpu["floor"]
    w("The CPU time (user and system) of start-up to the main window against its own "
      "floor: the same two windows with no logic (`puckdex-ui-windows`, "
      "bench/uiwindows.cpp), built from their .ui definitions through the program's "
      "generated headers with the program's look applied, the game-folder window shown "
      "modal and left once painted, then the main window shown, ending once it has been "
      "painted. The floor reads and writes nothing: no settings, folder list, game "
      "files, backups or locks. Median of "
      f"{len(runs['floor']['cpu'])} runs of each, the two run in turn; the instructions "
      "are those of one run of each (callgrind, which counts them the same every run).")
    w("")
    w("| | CPU time | Instructions |")
    w("|---|---:|---:|")
    for name, label in (("puckdex", "Puckdex"), ("floor", "The same windows with no logic")):
        count = f"{counts[name] / 1e6:,.1f} million" if counts[name] else "?"
        w(f"| {label} | {cpu[name]:.1f} ms | {count} |")
    count_ratio = f"{counts['puckdex'] / counts['floor']:.2f}" if counts["floor"] else "?"
    w(f"| Ratio | {ratio:.2f} | {count_ratio} |")
    w("")
    goals.append((f"4. Main window: CPU time at most {STARTUP_CPU_RATIO:.2f} × the same "
                  "windows with no logic", ratio <= STARTUP_CPU_RATIO))


def main():
    results = Path(sys.argv[1])
    report = Path(sys.argv[2])
    files = gbench_medians(results / "gamefiles.json")
    windows = gbench_medians(results / "windows.json")
    folder = hyperfine_medians(results / "startup-folder.json")
    main_window = hyperfine_medians(results / "startup-main.json")
    memory = peak_memory(results / "memory.txt")
    machine = key_values(results / "machine.txt")
    seconds = int((results / "seconds.txt").read_text())

    out = []
    w = out.append
    w("# Performance")
    w("")
    w("Every user action measured beside the floor of this machine, in the same run: "
      "the same work done the most direct way (the floor of each measure is named in "
      "its table). Written by `make bench` (bench/run.sh, bench/report.py); the "
      f"numbers below are from {date.today().isoformat()}, and the whole of "
      f"`make bench`, build included, took {seconds // 60} min {seconds % 60} s.")
    w("")
    w("## Machine")
    w("")
    w("| | |")
    w("|---|---|")
    w(f"| CPU | {machine.get('model', '?')}, {machine.get('cpus', '?')} cores |")
    w(f"| Memory | {machine.get('memory', '?')} |")
    w(f"| Disk | {machine.get('disk', '?')} |")
    w(f"| System | Linux {machine.get('kernel', '?')}, Qt {machine.get('qt', '?')}, "
      f"{machine.get('compiler', '?')} |")
    w(f"| Load average when the run began | {machine.get('load', '?')} |")
    w("")
    w("The build is RelWithDebInfo (`-O2 -g`), as `make run` builds it. Windows run on "
      "Qt's offscreen platform. Times are medians: of "
      f"{machine.get('repetitions', '?')} repetitions of each in-process benchmark "
      "(Google Benchmark, the repetitions of each measure and its floor interleaved at "
      f"random) and of {machine.get('runs', '?')} runs of each process (hyperfine, after "
      "3 warm-up runs). The game files are in the page cache, as they are after the "
      "first team a user chooses.")
    w("")
    w("## Commands")
    w("")
    w("```sh")
    w("make bench   # builds build-bench/, runs all of the below, writes this file")
    w("build-bench/bin/bench_gamefiles --benchmark_repetitions=9 "
      "--benchmark_enable_random_interleaving=true")
    w("build-bench/bin/bench_windows --benchmark_repetitions=9 "
      "--benchmark_enable_random_interleaving=true")
    w("PUCKDEX_QUIT_AFTER_PAINT=folder hyperfine -N --warmup 3 --runs 30 build-bench/bin/puckdex \\")
    w("    'build-bench/bin/puckdex-bare-window 169 219' "
      "'build-bench/bin/puckdex-bare-window 169 219 Puckdex'")
    w("PUCKDEX_QUIT_AFTER_PAINT=main hyperfine -N --warmup 3 --runs 30 build-bench/bin/puckdex \\")
    w("    'build-bench/bin/puckdex-bare-window 565 425' "
      "'build-bench/bin/puckdex-bare-window 565 425 Puckdex'")
    w("PUCKDEX_QUIT_AFTER_PAINT=main python3 bench/cputime.py --runs 60 --out startup-cpu.json \\")
    w("    puckdex=build-bench/bin/puckdex floor=build-bench/bin/puckdex-ui-windows")
    w("PUCKDEX_QUIT_AFTER_PAINT=main valgrind --tool=callgrind build-bench/bin/puckdex   # and the floor")
    w("/usr/bin/time -f %M ...   # peak memory of each of those, 10 runs each")
    w("hyperfine -N --warmup 3 --runs 30 'build-bench/bin/puckdex-cli export SAMPLE' \\")
    w("    'cat SAMPLE/teams.db SAMPLE/key.db SAMPLE/att.db'")
    w("```")
    w("")
    w("Each runs with `QT_QPA_PLATFORM=offscreen` and a home, settings file "
      "(`PUCKDEX_INI`) and temporary folder of its own; SAMPLE is a sample roster "
      "written by `puckdex-cli sample`, which the settings file names as the game folder. "
      "`PUCKDEX_QUIT_AFTER_PAINT` exists for this benchmark only (bench/quitafterpaint.cpp, "
      "built into the program of build-bench alone): "
      "`folder` ends the program through the folder window's own exit question once "
      "that window has been painted; `main` presses OK in the folder window once it "
      "has been painted (the folder stored in the settings file is the sample "
      "roster's, and backups are on, as the window offers) and ends once the main "
      "window has been painted.")
    w("")

    goals = []

    # 1. Scanning a team's players.
    w("## 1. Scanning a team's players")
    w("")
    w("`GameFiles::scanPlayers` for team 0, against the floor: the whole key file "
      "read into memory that is already there in one read, then one byte of every "
      "record touched. The sample key file and generated ones of 100,000 and "
      "1,000,000 records (60 bytes each).")
    w("")
    w("| Key file | Records | Scan | Floor | Ratio | Scan per record | Floor per record |")
    w("|---|---:|---:|---:|---:|---:|---:|")
    per_record = {}
    floor_per_record = {}
    scan_ok = True
    for size, label in (("sample", "sample"), ("100k", "100,000"), ("1m", "1,000,000")):
        scan = files[f"scan/{size}"]
        floor = files[f"scan_floor/{size}"]
        ratio = scan["real"] / floor["real"]
        records = scan["records"] or 1
        per_record[size] = scan["real"] * 1000 / records
        floor_per_record[size] = floor["real"] * 1000 / records
        scan_ok = scan_ok and ratio <= SCAN_RATIO
        w(f"| {label} | {int(records):,} | {us(scan['real'])} | {us(floor['real'])} | "
          f"{ratio:.2f} | {per_record[size]:.2f} ns | {floor_per_record[size]:.2f} ns |")
    growth = per_record["1m"] / per_record["100k"]
    floor_growth = floor_per_record["1m"] / floor_per_record["100k"]
    w("")
    w(f"Cost per record at 1,000,000 records against 100,000: {growth:.2f} for the scan, "
      f"{floor_growth:.2f} for the floor. Linear growth keeps it near 1; the goal allows "
      f"{SCAN_LINEARITY}, or the floor's own growth where the machine's caches make that "
      "larger (100,000 records fit in the processor's last-level cache, 1,000,000 do not).")
    w("")
    goals.append(("1. Scan at most 1.5 × the floor at every size", scan_ok))
    goals.append(("1. Scan cost growing linearly",
                  growth <= max(SCAN_LINEARITY, floor_growth)))

    # 2. Choosing a team in the window.
    team = windows["choose_team"]
    team_floor = windows["choose_team_floor"]
    team_ratio = team["real"] / team_floor["real"]
    w("## 2. Choosing a team in the main window")
    w("")
    w("The whole `cboTeams` handler on the sample roster: the cleared fields painted, "
      "the team read, the key file scanned, `lstPlayers` and the 100 jersey entries "
      "filled. Floor: the key file read whole and the same entries put into a bare "
      "`QListWidget` (then sorted) and `QComboBox`, one `addItem` each, with the taken "
      "numbers marked. Two teams are chosen in turn; the repaint that follows each "
      "choice runs between the timed choices, for both.")
    w("")
    w("| | Median | CPU time |")
    w("|---|---:|---:|")
    w(f"| Choosing a team | {us(team['real'])} | {us(team['cpu'])} |")
    w(f"| Floor | {us(team_floor['real'])} | {us(team_floor['cpu'])} |")
    w(f"| Ratio | {team_ratio:.2f} | {team['cpu'] / team_floor['cpu']:.2f} |")
    w("")
    goals.append(("2. Choosing a team at most 2 × the floor", team_ratio <= TEAM_RATIO))

    # 3. Leaving a player.
    leave = files["leave_player"]
    leave_floor = files["leave_player_floor"]
    leave_window = windows["leave_player_window"]
    w("## 3. Leaving a player and loading the next one")
    w("")
    w("Leaving a player writes his key record and his attribute record back, each "
      "read fresh, written, synced to the disk and read back; then the next player's "
      "two records are read. A skater and a goalie of one team are left in turn. The "
      "floor is what the operating system's sync alone costs: the same two records "
      "written over themselves into files already open, each followed by a sync.")
    w("")
    w("| | Median | CPU time | Share that is the sync floor |")
    w("|---|---:|---:|---:|")
    w(f"| File layer (`writePlayerFields`, then the next player read) | {us(leave['real'])} | "
      f"{us(leave['cpu'])} | {min(leave_floor['real'] / leave['real'], 1):.0%} |")
    w(f"| Main window (choosing the next player in `lstPlayers`) | {us(leave_window['real'])} | "
      f"{us(leave_window['cpu'])} | {min(leave_floor['real'] / leave_window['real'], 1):.0%} |")
    w(f"| Sync floor (two writes, two syncs) | {us(leave_floor['real'])} | "
      f"{us(leave_floor['cpu'])} | |")
    w("")
    w("The CPU time is the program's own work (the opens, reads, writes and read-backs, "
      "and in the window filling the fields); the rest of each median is waiting for the "
      "disk to take the two records. The sync floor and the actions are measured in turn, "
      "so when the disk is busy with other work their medians can cross.")
    w("")

    goals.append((f"3. Leaving a player in the main window at most {LEAVE_RATIO:g} × the sync "
                  "floor", leave_window["real"] <= LEAVE_RATIO * leave_floor["real"]))

    # 4. Start-up.
    w("## 4. Start-up")
    w("")
    w("From the process start to the window painted, and the process ended, against a "
      "bare Qt Widgets program (`puckdex-bare-window`, bench/barewindow.cpp) that shows "
      "one empty window of the same size and ends once it has been painted. The same "
      "program showing one label as well is the second floor: an empty window needs no "
      "fonts, and loading the font database is a cost every window with text pays.")
    w("")
    w("| Window | Puckdex | Bare window | Ratio | Bare window with a label | Ratio |")
    w("|---|---:|---:|---:|---:|---:|")
    startup = (("folder", "Game-folder window", folder), ("main", "Main window", main_window))
    for name, label, times in startup:
        ratio = times["puckdex"] / times["bare"]
        w(f"| {label} | {times['puckdex']:.1f} ms | {times['bare']:.1f} ms | {ratio:.2f} | "
          f"{times['bare_text']:.1f} ms | {times['puckdex'] / times['bare_text']:.2f} |")
        goals.append((f"4. {label}: at most 1.3 × the bare program's time", ratio <= STARTUP_RATIO))
    w("")
    startup_cpu(results, w, goals)
    w("Peak memory (the largest resident set, median of 10 runs):")
    w("")
    w("| Window | Puckdex | Bare window | Difference | Bare window with a label | Difference |")
    w("|---|---:|---:|---:|---:|---:|")
    for name, label, _ in startup:
        mem = memory.get(name, float("nan"))
        bare = memory.get(f"{name}_bare", float("nan"))
        text = memory.get(f"{name}_bare_text", float("nan"))
        w(f"| {label} | {mem:.1f} MiB | {bare:.1f} MiB | {mem - bare:+.1f} MiB | "
          f"{text:.1f} MiB | {mem - text:+.1f} MiB |")
        goals.append((f"4. {label}: at most the bare program's memory + 10 MiB",
                      mem - bare <= STARTUP_EXTRA_MIB))
    w("")

    # 5. Export.
    w("## 5. `puckdex-cli export` of the whole sample roster")
    w("")
    export = results / "export.json"
    failed = results / "export-failed.txt"
    if export.exists():
        times = hyperfine_medians(export)
        w("Against reading the three files (`cat teams.db key.db att.db`), both as "
          "whole processes.")
        w("")
        w("| | Median |")
        w("|---|---:|")
        w(f"| `puckdex-cli export DIR` | {times['export']:.1f} ms |")
        w(f"| Reading the three files | {times['read']:.1f} ms |")
        w(f"| Ratio | {times['export'] / times['read']:.2f} |")
    elif failed.exists():
        w(f"Not measured: `puckdex-cli export` failed ({failed.read_text().strip()}).")
    else:
        w("Not measured: this tree has no `puckdex-cli` yet. `make bench` measures it, "
          "against `cat` of the three files, as soon as the tool is built.")
    w("")

    import_section(results, w, goals)
    table_section(windows, w, goals)

    w("## Goals")
    w("")
    w("| Goal | |")
    w("|---|---|")
    for text, ok in goals:
        w(f"| {text} | {verdict(ok)} |")
    w("")
    notes = Path(__file__).with_name("notes.md")
    if notes.exists():
        w(notes.read_text().rstrip())
        w("")
    report.write_text("\n".join(out))


def import_section(results, w, goals):
    """6. An import of a whole league against the same records written."""
    league = gbench_medians(results / "import.json")
    run, floor = league["import_league"], league["import_league_floor"]
    ratio = run["real"] / floor["real"]
    w("## 6. `puckdex-cli import` of a whole league")
    w("")
    w("An import, as `puckdex-cli import DIR FILE --no-backup` makes it (run as a "
      "function of the command-line library), of a sheet that changes the weight and "
      "first rating of every player of a league of some 1,500 (`puckdex-cli sample "
      "--extra-players 31`): the sheet read, every row judged by the editor's rules, "
      "the players' records written as one write and the journal entry. The league "
      "goes back and forth between the same two states, so every round changes every "
      "player. The floor writes the same records into the two files, already open, "
      "and syncs each file once.")
    w("")
    w("| | Median | CPU time |")
    w("|---|---:|---:|")
    w(f"| Import | {us(run['real'])} | {us(run['cpu'])} |")
    w(f"| Floor (the same records, one sync per file) | {us(floor['real'])} | "
      f"{us(floor['cpu'])} |")
    w(f"| Ratio | {ratio:.2f} | {run['cpu'] / floor['cpu']:.2f} |")
    w("")
    goals.append(("6. An import of a whole league at most 3 × the floor", ratio <= 3))


def table_section(windows, w, goals):
    """7. The roster table on the whole league against a bare table."""
    table, floor = windows["table_window"], windows["table_floor"]
    ratio = table["real"] / floor["real"]
    w("## 7. The roster table on the whole league")
    w("")
    w("The roster table window (Ctrl+T, then All teams) on every player of the sample "
      "roster, every column: the files read, each player's draft and row made, the "
      "window shown with its columns sized to their contents, then sorted by Speed. "
      "Floor: the same cells, read once beforehand, in a bare model under a bare "
      "`QTableView` with a `QSortFilterProxyModel`, sized to its contents, shown and "
      "sorted by the same column.")
    w("")
    w("| | Median | CPU time |")
    w("|---|---:|---:|")
    w(f"| Roster table | {us(table['real'])} | {us(table['cpu'])} |")
    w(f"| Floor (a bare table over the same cells) | {us(floor['real'])} | {us(floor['cpu'])} |")
    w(f"| Ratio | {ratio:.2f} | {table['cpu'] / floor['cpu']:.2f} |")
    w("")
    goals.append(("7. The roster table on the whole league at most 1.5 × the floor",
                  ratio <= TABLE_RATIO))


if __name__ == "__main__":
    main()
