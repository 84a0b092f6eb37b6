"""A long live run of stillmon against the simulator with faults at random: stalls, hang-ups,
dropped bytes and slow period bursts. scripts/soak runs it; it is not part of the test suite.

    python3 scripts/measure/soak.py --stillmon build/stillmon --stillsim build/stillsim --minutes 30

At the end stillmon is quit with `x` and the run is checked:
- frames: every frame the simulator sent whole is in both logs exactly once, in order, and
  nothing else is. A frame that lost a byte is not whole and must not be logged. A frame
  that was never sent (no reader attached) does not count. A frame sent whole but not logged
  is excused only when the port closed within 0.5 s after it, before the next frame (in
  flight at a close: a real device loses those too), or when it went out after the quit
  began; those are counted and shown.
- values: each text-log line starts as the frame sent predicts and ends in its record
  number; each binary record holds the frame as the monitor's averages make it.
- memory: VmRSS sampled every few seconds; the peak over the last quarter of the run may
  exceed the peak over the first quarter (after a settling time) by at most 1 MiB.
- threads: the most threads seen in the last quarter are no more than in the first quarter.
- CPU: the share of one core over the whole run stays under 50 % (a spinning loop fails it).
- the exit status of the quit is 55.
Prints a summary and exits 1 when a check failed.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time

# The end-to-end tests' harness (X servers, programs, the simulator) serves here too.
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))

import harness  # noqa: E402
import measure_live  # noqa: E402
import stillmon_harness as sh  # noqa: E402

QUIT_STATUS = 55
# A frame the monitor had this long before its port closed was in its hands, not in flight.
IN_FLIGHT_S = 0.5
RSS_GROWTH_LIMIT_KIB = 1024
CPU_LIMIT_SHARE = 0.5

FRAME = re.compile(r"^frame (\d+) \(record (\d+)\):? (.*)$")


def seconds_of_day(stamp):
    hours, minutes, seconds = stamp.split(":")
    return 3600 * int(hours) + 60 * int(minutes) + float(seconds)


class SimulatorReport:
    """The simulator's report lines, parsed: frames and what became of them, faults, readers
    coming and going. Time stamps become seconds since the first line (a midnight on the
    way is allowed for)."""

    def __init__(self, lines):
        self.events = []  # (seconds, kind, details), in order
        self.line_of = []  # each event's index in `lines`
        self.faults = {"stall": 0, "hang-up": 0, "dropped byte": 0, "period error": 0}
        self.unparsed = []
        first = previous = None
        day = 0.0
        for line_number, line in enumerate(lines[1:], start=1):
            stamp, _, text = line.partition(" ")
            try:
                clock = seconds_of_day(stamp)
            except ValueError:
                self.unparsed.append(line)
                continue
            if previous is not None and clock < previous - 3600:
                day += 86400.0
            previous = clock
            first = clock if first is None else first
            events_before = len(self.events)
            self._take(clock + day - first, text)
            self.line_of += [line_number] * (len(self.events) - events_before)

    def _take(self, at, text):
        found = FRAME.match(text)
        if found:
            number, record, rest = int(found.group(1)), int(found.group(2)), found.group(3)
            if rest.startswith("sent whole: "):
                self.events.append((at, "whole", (number, record, bytes.fromhex(rest[12:]))))
            elif rest.startswith("sent short: "):
                self.events.append((at, "short", (number, record)))
            elif rest.startswith("discarded: "):
                self.events.append((at, "discarded", (number, rest[11:])))
            elif rest.startswith("cut short: "):
                self.events.append((at, "cut", (number, record)))
            elif rest.startswith("byte "):
                self.faults["dropped byte"] += 1
                self.events.append((at, "fault", text))
            else:
                self.unparsed.append(text)
            return
        for prefix, fault in (("stall:", "stall"), ("hang-up:", "hang-up"),
                              ("period error:", "period error")):
            if text.startswith(prefix):
                self.faults[fault] += 1
                self.events.append((at, "fault", text))
                return
        for prefix, kind in (("reader attached", "attached"), ("reader left", "left"),
                             ("new terminal", "new terminal")):
            if text.startswith(prefix):
                self.events.append((at, kind, text))
                return
        if not text.startswith(("command ", "end of run", "stopped by signal")):
            self.unparsed.append(text)

    def of_kind(self, kind):
        return [(index, at, details) for index, (at, what, details) in enumerate(self.events)
                if what == kind]


def classify_missing(report, index, quit_mark):
    """Why a frame sent whole (event `index`) was not logged: 'close' when the port closed
    within IN_FLIGHT_S of it and before the next frame went out, 'quit' when it went out
    after the quit began, else 'unexplained'."""
    if report.line_of[index] >= quit_mark:
        return "quit"
    sent_at = report.events[index][0]
    for at, what, details in report.events[index + 1:]:
        if at - sent_at > IN_FLIGHT_S or what in ("whole", "short", "discarded", "cut"):
            break
        if what == "left" or (what == "fault" and details.startswith("hang-up")):
            return "close"
    return "unexplained"


def check_frames(report, lines, records, quit_mark, problems):
    """Compares what was sent whole with both logs; returns the counts for the summary."""
    whole = report.of_kind("whole")
    position = {details[1]: i for i, (_, _, details) in enumerate(whole)}
    short_records = {details[1] for _, _, details in report.of_kind("short")}
    logged = sh.record_numbers(lines)
    binary_numbers = [int(number) for number, _ in records]
    if logged != binary_numbers:
        problems.append(f"the text log ({len(logged)} lines) and the binary log "
                        f"({len(binary_numbers)} records) hold different records")
    seen, extra, duplicates, out_of_order, last = set(), [], [], [], -1
    for record in logged:
        if record not in position:
            extra.append(record)
            if record in short_records:
                problems.append(f"record {record} was sent a byte short and still logged")
            continue
        if record in seen:
            duplicates.append(record)
        elif position[record] < last:
            out_of_order.append(record)
        seen.add(record)
        last = max(last, position[record])
    missing = {"close": [], "quit": [], "unexplained": []}
    for index, at, (number, record, _) in whole:
        if record not in seen:
            missing[classify_missing(report, index, quit_mark)].append((record, at))
    for name, found in (("logged but never sent whole", extra), ("logged twice", duplicates),
                        ("logged out of order", out_of_order),
                        ("sent whole and not logged, unexplained",
                         [record for record, _ in missing["unexplained"]])):
        if found:
            problems.append(f"{len(found)} records {name}: {found[:20]}")
    # A frame that went out while the quit began may be logged only as the last ones.
    late = [record for record, _ in missing["quit"]]
    if late and logged and any(position.get(r, -1) > position[late[0]] for r in logged):
        problems.append(f"frames {late} after the quit mark were skipped, not just left at "
                        "the end")
    return whole, missing, extra, duplicates, out_of_order


def recoveries(report, logged_records):
    """For each stall and hang-up: seconds from the device's first frame after it (sent or
    discarded for want of a reader) to the first frame logged, and the frames lost meanwhile."""
    found = []
    faults = [index for index, _, text in report.of_kind("fault")
              if text.startswith(("stall:", "hang-up:"))]
    for index in faults:
        back_at, lost = None, 0
        for at, what, details in report.events[index + 1:]:
            if what not in ("whole", "discarded", "short", "cut"):
                continue
            back_at = at if back_at is None else back_at
            if what == "whole" and details[1] in logged_records:
                found.append((at - back_at, lost))
                break
            lost += 1
    return found


def check_values(whole, lines, records, problems):
    """Text-log prefixes and binary records against the frames the simulator sent."""
    sent_bytes = {details[1]: details[2] for _, _, details in whole}
    matched = [(line, record) for line, record in zip(lines, records)
               if int(line.rsplit("Num=", 1)[1]) in sent_bytes]
    frames = [sent_bytes[int(line.rsplit("Num=", 1)[1])] for line, _ in matched]
    bad_text, bad_binary = [], []
    for (line, (number, logged)), data, wanted in zip(matched, frames,
                                                     sh.expected_logged_frames(frames)):
        prefix, number_item = sh.expected_text_log_prefix(sh.elements_from_frame(data))
        if not (line.startswith(prefix) and
                re.fullmatch(r"[0-9]+\.[0-9]{3}, " + number_item, line[len(prefix):])):
            bad_text.append((line, prefix + "...; " + number_item))
        if logged != wanted:
            bad_binary.append((number, logged.hex(), wanted.hex()))
    for name, bad in (("text-log lines", bad_text), ("binary records", bad_binary)):
        if bad:
            problems.append(f"{len(bad)} {name} differ from the frames sent; first: {bad[0]}")
    return len(matched), len(bad_text), len(bad_binary)


def check_resources(samples, problems):
    """Early and late windows of the (seconds, VmRSS KiB, threads) samples."""
    duration = samples[-1][0]
    settle = min(60.0, duration / 6)
    quarter = duration / 4
    early = [s for s in samples if settle <= s[0] <= settle + quarter] or samples[:1]
    late = [s for s in samples if s[0] >= duration - quarter] or samples[-1:]
    early_rss, late_rss = max(s[1] for s in early), max(s[1] for s in late)
    early_threads, late_threads = max(s[2] for s in early), max(s[2] for s in late)
    if late_rss > early_rss + RSS_GROWTH_LIMIT_KIB:
        problems.append(f"memory grew: peak VmRSS {early_rss} KiB early, {late_rss} KiB late")
    if late_threads > early_threads:
        problems.append(f"threads grew: at most {early_threads} early, {late_threads} late")
    return early_rss, late_rss


def run(arguments, out):
    problems = []
    work = arguments.out
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    samples = []
    with harness.Xvfb() as x:
        simulator = sh.Simulator(work, "--random-faults", "--fault-every",
                                 str(arguments.fault_every), "--seed", str(arguments.seed),
                                 "--skip", str(arguments.skip), "--verbose")
        with simulator:
            monitor = sh.Monitor(x, work, simulator.link)
            with monitor:
                window = monitor.window()
                started = time.monotonic()
                next_note = started + 60
                while time.monotonic() - started < 60 * arguments.minutes:
                    if monitor.process.poll() is not None:
                        problems.append(f"stillmon ended by itself with status "
                                        f"{monitor.process.returncode} after "
                                        f"{time.monotonic() - started:.0f} s")
                        break
                    memory = measure_live.memory_kib(monitor.pid)
                    samples.append((time.monotonic() - started, memory["VmRSS"],
                                    len(os.listdir(f"/proc/{monitor.pid}/task"))))
                    if time.monotonic() >= next_note:
                        next_note += 60
                        print(f"  {samples[-1][0] / 60:5.1f} min: VmRSS {samples[-1][1]} KiB, "
                              f"{samples[-1][2]} threads, {len(monitor.logged_lines())} logged",
                              file=out, flush=True)
                    time.sleep(arguments.sample_every)
                cpu_s = wall_s = None
                quit_mark = len(simulator.program.output.all())
                status = monitor.process.poll()
                if status is None:
                    # Quit once the last frame sent whole is logged, so only frames that go
                    # out after this point may be missing from the end of the logs.
                    def caught_up():
                        report = SimulatorReport(simulator.program.output.all())
                        whole = report.of_kind("whole")
                        lines = monitor.logged_lines()
                        return bool(whole and lines and
                                    lines[-1].endswith(f"Num={whole[-1][2][1]}"))
                    try:
                        harness.wait_until(caught_up, 20, interval_s=0.1,
                                           what="the logs to catch up")
                    except harness.HarnessError as error:
                        problems.append(str(error))
                    quit_mark = len(simulator.program.output.all())
                    cpu_s, wall_s = harness.cpu_seconds(monitor.pid), time.monotonic() - started
                    x.focus(window)
                    x.send_keys(window, "x", check=False)
                    try:
                        status = monitor.wait(20)
                    except subprocess.TimeoutExpired:  # still running: stop() below ends it
                        status = None
            stillmon_errors = monitor.errors.all()
        sim_lines = simulator.program.output.all()
    with open(os.path.join(work, "stillsim.log"), "w") as f:
        f.write("\n".join(sim_lines) + "\n")
    with open(os.path.join(work, "stillmon.log"), "w") as f:
        f.write("\n".join(monitor.output.all() + stillmon_errors) + "\n")

    if status != QUIT_STATUS:
        problems.append(f"exit status {status} after the quit key, not {QUIT_STATUS}")
    if stillmon_errors:
        problems.append(f"stillmon wrote to stderr: {stillmon_errors[:5]}")
    report = SimulatorReport(sim_lines)
    if report.unparsed:
        problems.append(f"simulator lines not understood: {report.unparsed[:5]}")
    lines = sh.read_text_log(monitor.text_log)
    try:
        records = sh.split_binary_log(sh.read_bytes(monitor.binary_log))
    except harness.HarnessError as error:
        problems.append(f"binary log: {error}")
        records = []
    whole, missing, extra, duplicates, out_of_order = check_frames(report, lines, records,
                                                                   quit_mark, problems)
    checked, bad_text, bad_binary = check_values(whole, lines, records, problems)
    early_rss, late_rss = check_resources(samples, problems) if samples else (0, 0)
    cpu_share = cpu_s / wall_s if cpu_s is not None else float("nan")
    if cpu_share > CPU_LIMIT_SHARE:
        problems.append(f"CPU share {100 * cpu_share:.1f} % of a core")

    discarded = report.of_kind("discarded")
    no_reader = sum(1 for _, _, (_, why) in discarded if why == "no reader")
    rows = [
        ("duration", f"{(wall_s or 0) / 60:.1f} min ({wall_s or 0:.0f} s), seed "
                     f"{arguments.seed}, a fault every ~{arguments.fault_every:g} s"),
        ("frames sent", f"{len(whole)} whole, {len(report.of_kind('short'))} short (a byte "
                        f"dropped), {len(report.of_kind('cut'))} cut short; not sent: "
                        f"{no_reader} with no reader, {len(discarded) - no_reader} the reader "
                        "not reading"),
        ("logged", f"{len(lines)} text lines, {len(records)} binary records"),
        ("missing", f"{sum(len(v) for v in missing.values())}: in flight at a close "
                    f"{len(missing['close'])} {[r for r, _ in missing['close']]}, after the "
                    f"quit began {len(missing['quit'])}, unexplained "
                    f"{len(missing['unexplained'])}; extra {len(extra)}, twice "
                    f"{len(duplicates)}, out of order {len(out_of_order)}"),
        ("values", f"{checked - bad_text}/{checked} text-log lines and {checked - bad_binary}/"
                   f"{checked} binary records as the frames sent predict"),
        ("faults", ", ".join(f"{kind} {count}" for kind, count in report.faults.items())),
        ("re-opens", str(len(report.of_kind("attached")) - 1)),
    ]
    back = recoveries(report, set(sh.record_numbers(lines)))
    if back:
        rows.append(("recoveries", f"{len(back)} after stalls and hang-ups: frames lost "
                                   f"{sum(n for _, n in back)} (at most {max(n for _, n in back)}"
                                   f"), read again after {sum(s for s, _ in back) / len(back):.1f}"
                                   f" s on average, at most {max(s for s, _ in back):.1f} s"))
    if cpu_s is not None:
        rows.append(("CPU", f"{100 * cpu_share:.2f} % of a core ({cpu_s:.1f} s over "
                            f"{wall_s:.0f} s; limit {100 * CPU_LIMIT_SHARE:.0f} %)"))
    if samples:
        rss = [s[1] for s in samples]
        rows.append(("VmRSS", f"first {rss[0]} KiB, last {rss[-1]} KiB, max {max(rss)} KiB; "
                              f"peak early {early_rss}, late {late_rss} (rule: late <= early + "
                              f"{RSS_GROWTH_LIMIT_KIB} KiB; {len(samples)} samples)"))
        rows.append(("threads", f"first {samples[0][2]}, last {samples[-1][2]}, max "
                                f"{max(s[2] for s in samples)} (rule: late max <= early max)"))
    rows += [("exit status", str(status))] + [("FAILED", problem) for problem in problems]
    rows += [("files", work), ("verdict", "FAIL" if problems else "PASS")]
    print("== soak summary", file=out)
    for label, text in rows:
        print(f"{label:<16}{text}", file=out, flush=True)
    return 1 if problems else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--stillmon", required=True)
    parser.add_argument("--stillsim", required=True)
    parser.add_argument("--minutes", type=float, default=30.0)
    parser.add_argument("--fault-every", type=float, default=60.0,
                        help="mean seconds between the simulator's random faults")
    parser.add_argument("--seed", type=int, default=None,
                        help="the simulator's seed (default: from the clock, printed)")
    parser.add_argument("--skip", type=float, default=3600.0,
                        help="seconds into the simulated run at the start (boiling by then)")
    parser.add_argument("--sample-every", type=float, default=5.0)
    parser.add_argument("--out", default="out/soak", help="directory for the logs")
    arguments = parser.parse_args()
    if arguments.seed is None:
        arguments.seed = int(time.time()) % 100000
    arguments.out = os.path.abspath(arguments.out)
    sh.STILLMON = os.path.abspath(arguments.stillmon)
    sh.STILLSIM = os.path.abspath(arguments.stillsim)
    print(f"soak: {arguments.minutes:g} min, seed {arguments.seed}, a fault every "
          f"~{arguments.fault_every:g} s; files in {arguments.out}", flush=True)
    sys.exit(run(arguments, sys.stdout))


if __name__ == "__main__":
    main()
