"""End-to-end tests of stillmon-report: on a text log saved by a live run against the
simulator (tests/data/saved_run.dat), the CSV against the log's values as written, the exit
statuses, and the HTML report opened from disk in headless Chromium, whose charts (and alarm
marks) must have drawn and whose summary must count the log's records; on the logs of a live
run made here, the CSV against the binary log, the text log and the run's own page, and the
alarms' firings.

Program paths come in STILLMON_REPORT, STILLMON and STILLSIM.
"""

import csv
import os
import pathlib
import re
import shutil
import signal
import struct
import subprocess
import unittest

import browser
import harness
from page_client import get_json
import stillmon_harness as sh
import text_log

STILLMON_REPORT = os.environ.get("STILLMON_REPORT", "")
SAVED_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data",
                         "saved_run.dat")
TEMPERATURES = ("tank_c", "first_stage_c", "second_stage_c", "steam_c", "top_he_c", "centre_c",
                "bottom_he_c", "out_water_c")


# The charts' lines: where an alarm fired, where a session began (dashed), at a mark.
FIRING_RED, SESSION_GREY, MARK_BLUE = (198, 40, 40), (102, 102, 102), (31, 79, 214)


def run_report(folder, *arguments):
    return subprocess.run([STILLMON_REPORT, *arguments], cwd=folder, capture_output=True,
                          text=True, timeout=60, env=dict(os.environ, LC_ALL="de_DE.UTF-8"))


def read_csv(path):
    with open(path, newline="", encoding="utf-8") as f:
        return list(csv.DictReader(f))


def require_programs():
    for name, path in (("STILLMON_REPORT", STILLMON_REPORT), ("STILLMON", sh.STILLMON),
                       ("STILLSIM", sh.STILLSIM)):
        if not path or not os.access(path, os.X_OK):
            raise AssertionError(f"{name} must name the built program (is: {path!r})")


def sessions(page):  # (first record, records) of each session listed
    return re.findall(r'<tr data-session="\d+" data-first-record="(\d+)" data-records="(\d+)"',
                      page)


def alarm_rows(page):
    """(alarm, record it fired at, record it cleared at or None) of each firing listed."""
    return [(name, int(fired), int(cleared) if cleared else None) for name, fired, cleared in
            re.findall(r'<tr data-alarm="([^"]+)" data-fired-record="(\d+)" '
                       r'data-cleared-record="(\d*)"', page)]


def assert_line_drawn(test, shown, index, colour):
    """A line of the colour down the place of the record with this index on all 5 charts."""
    shares = browser.line_shares(shown, index, colour)
    test.assertEqual(len(shares), 5)
    test.assertTrue(all(share > 0.4 for share in shares), shares)


class ReportOfSavedRun(unittest.TestCase):
    def setUp(self):
        if not STILLMON_REPORT or not os.access(STILLMON_REPORT, os.X_OK):
            self.fail("STILLMON_REPORT must name the built stillmon-report program")
        directory = harness.temporary_directory()
        self.addCleanup(directory.cleanup)
        self.dir = directory.name
        self.log = os.path.join(self.dir, "run.dat")
        shutil.copy(SAVED_RUN, self.log)
        with open(self.log, encoding="latin-1", newline="") as f:
            self.lines = f.read().splitlines()

    def report(self, *arguments):
        return run_report(self.dir, *arguments)

    def assert_csv_rows_are(self, lines):
        """run.csv holds one row per line given, with the values written in it."""
        rows = read_csv(os.path.join(self.dir, "run.csv"))
        self.assertEqual(len(rows), len(lines))
        for line, row in zip(lines, rows):
            fields = text_log.split_fields(line)
            self.assertEqual(int(row["record"]), int(fields[12][4:]))
            self.assertEqual(row["device_time"], fields[10])
            self.assertEqual(float(row["interval_s"]), text_log.read_number(fields[11]))
            self.assertEqual([float(row[name]) for name in TEMPERATURES],
                             [text_log.read_number(f[6:]) for f in fields[1:9]], line)
            # A text log holds neither.
            self.assertEqual((row["valve"], row["flow"]), ("", ""))
            # Stages only where the strengths passed their test: vapour above liquid above 0.
            if row["stages"]:
                self.assertGreater(float(row["vapour_strength_pct"]),
                                   float(row["liquid_strength_pct"]))
                self.assertGreater(float(row["liquid_strength_pct"]), 0)
            self.assertEqual(row["whole_stages"] == "", row["stages"] == "")
        return rows

    def test_csv_rows_hold_the_values_as_written(self):
        result = self.report("run.dat", "--csv", "run.csv")
        self.assertEqual(result.returncode, 0, result.stderr)
        rows = self.assert_csv_rows_are(self.lines)
        self.assertTrue(any(row["stages"] for row in rows))
        self.assertTrue(any(row["reflux_ratio"] for row in rows))

    def test_damaged_lines_are_skipped_counted_and_named(self):
        good = self.lines[:20]
        damaged = {4: good[3][:60],  # cut: the rest of the record is not borrowed from below
                   7: good[6].replace("Num=", ""),  # no count: not the one before
                   10: re.sub(r"Num=\d+", "Num=70000", good[9]),  # beyond 16 bits
                   13: re.sub(r"Tank =[^,]*", "Tank =1e400", good[12]),
                   16: "," * 3_000_000}  # held by nobody, and no phantom records
        lines = list(good)
        for number in sorted(damaged):
            lines.insert(number - 1, damaged[number])
        with open(self.log, "w", encoding="latin-1", newline="") as f:
            f.write("".join(line + "\r\n" for line in lines))
        result = self.report("run.dat", "--csv", "run.csv")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assert_csv_rows_are(good)
        self.assertEqual(re.findall(r"run\.dat line (\d+) skipped", result.stderr),
                         [str(number) for number in sorted(damaged)])
        self.assertIn(f"{len(good)} records, 5 damaged lines skipped", result.stdout)
        page = pathlib.Path(self.dir, "run.html").read_text(encoding="utf-8")
        self.assertIn('id="summary-skipped-lines">5<', page)

    def test_a_log_appended_three_times_reports_as_three_runs(self):
        # With stages on every record: the three together hold a ratio period, none alone does.
        run = self.lines[200:260]
        reports = []
        for lines in (run, run * 3):
            text = "".join(line + "\r\n" for line in lines)
            pathlib.Path(self.log).write_text(text, encoding="latin-1", newline="")
            self.assertEqual(self.report("run.dat", "--csv", "run.csv").returncode, 0)
            reports.append(read_csv(os.path.join(self.dir, "run.csv")))
        self.assertEqual(reports[1], reports[0] * 3)
        page = pathlib.Path(self.dir, "run.html").read_text(encoding="utf-8")
        self.assertEqual(sessions(page), [(run[0].rsplit("=", 1)[1], "60")] * 3)

    def test_bad_logs_missing_files_and_bad_options(self):
        # What the replay skips: a record counted 0, and bytes that make no count at all.
        with open(self.log, "ab") as f:
            f.write(text_log.live_line([1000] * 8, number=0).encode() + b"\x01\xff,junk\r\n")
        result = self.report("run.dat", "--csv", "run.csv", "--out", "bad.html")
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(os.path.join(self.dir, "run.csv"), newline="") as f:
            self.assertEqual(len(f.read().splitlines()), len(self.lines) + 1)

        missing = self.report("gone.dat")
        self.assertEqual(missing.returncode, 1)
        self.assertEqual(missing.stderr,
                         "stillmon-report: cannot read gone.dat: No such file or directory\n")
        self.assertEqual(self.report("run.dat", "--bogus").returncode, 2)
        self.assertEqual(self.report().returncode, 2)

    def files(self):
        return {name: pathlib.Path(self.dir, name).read_bytes()
                for name in sorted(os.listdir(self.dir))
                if os.path.isfile(os.path.join(self.dir, name))}

    def previous_outputs(self):
        """run.html and run.csv of an earlier report, and every file of the folder."""
        for name in ("run.html", "run.csv"):
            pathlib.Path(self.dir, name).write_bytes(b"earlier " + name.encode())
        return self.files()

    def test_one_file_for_both_outputs_is_refused_before_anything_is_written(self):
        previous = self.previous_outputs()
        for csv_name in ("run.html", "./run.html", "new.html"):
            out_name = "new.html" if csv_name == "new.html" else "run.html"
            result = self.report("run.dat", "--out", out_name, "--csv", csv_name)
            self.assertEqual(result.returncode, 2, csv_name)
            self.assertIn("both name", result.stderr)
            self.assertEqual(self.files(), previous)

    def test_an_interrupted_report_leaves_the_earlier_outputs_as_they_were(self):
        fifo = os.path.join(self.dir, "pipe.dat")
        os.mkfifo(fifo)
        previous = self.previous_outputs()
        for ending, status in ((signal.SIGINT, 130), (signal.SIGTERM, 143)):
            report = subprocess.Popen([STILLMON_REPORT, "pipe.dat", "--out", "run.html",
                                       "--csv", "run.csv"], cwd=self.dir,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.addCleanup(harness.end_process, report)
            with open(fifo, "wb") as writer:
                writer.write("".join(line + "\r\n" for line in self.lines[:50]).encode())
                writer.flush()
                # Reading: the outputs are open (the log is not, nor at its end).
                harness.wait_until(lambda: self.files() != previous, 10,
                                   what="the report to open its outputs")
                report.send_signal(ending)
                self.assertEqual(report.wait(timeout=10), status)
            self.assertEqual(self.files(), previous)

    def test_a_replay_fires_what_the_report_lists_by_the_logs_clock(self):
        # The half-hour run replays in a fraction of a second: only the logged intervals let
        # the 2 minutes of arm_after and the 12 s of "for" pass. The tank has no replay offset,
        # so the replay sees the values the report reads.
        pathlib.Path(self.dir, "alarms.toml").write_text(
            'arm_after = "2m"\n[[alarm]]\nname = "tank-hot"\nvalue = "tank"\nabove = 90.05\n'
            'for = "12s"\n')
        self.report("run", "--config", "alarms.toml", "--csv", "run.csv")
        fired = alarm_rows(pathlib.Path(self.dir, "run.html").read_text(encoding="utf-8"))
        self.assertEqual([(name, cleared) for name, _, cleared in fired], [("tank-hot", None)])
        tank = next(row["tank_c"] for row in read_csv(os.path.join(self.dir, "run.csv"))
                    if int(row["record"]) == fired[0][1])
        replay = subprocess.run([sh.STILLMON, "--config", "alarms.toml", "0", "run"],
                                cwd=self.dir, stdin=subprocess.DEVNULL, capture_output=True,
                                text=True, timeout=60, env=harness.environment_without_display())
        self.assertRegex(replay.stderr, r"^stillmon: alarm tank-hot firing: tank "
                         + re.escape(tank) + r" above 90.05 for 12 s\n$")

    def test_report_opens_from_disk_with_its_charts_and_alarm_marks_drawn(self):
        # The tank's highest value fires the alarm where it first comes.
        tanks = [text_log.read_number(text_log.split_fields(line)[1][6:]) for line in self.lines]
        fired_index = tanks.index(max(tanks)) + 1
        pathlib.Path(self.dir, "alarms.toml").write_text(
            f'[[alarm]]\nname = "tank-hot"\nvalue = "tank"\nabove = {max(tanks) - 0.05}\n')
        result = self.report("run.dat", "--config", "alarms.toml")
        self.assertEqual(result.returncode, 0, result.stderr)
        page = os.path.join(self.dir, "run.html")
        self.assertNotRegex(pathlib.Path(page).read_text(), r"(src|href)=\"?(https?:)?//")

        with browser.Browser() as shown:
            shown.open("file://" + page)
            # A text log holds no valve or flow: their chart has no trace.
            traced = dict(shown.wait_for(
                f"(() => {{ const t = {browser.TRACE_PIXELS}; return t.length && t.every("
                "([id, n]) => n > 200 || id === 'chart-valve-flow') ? t : null; })()",
                what="a trace on every chart of a value the log holds"))
            self.assertEqual(sorted(traced), ["chart-reflux", "chart-stages", "chart-strengths",
                                              "chart-temperatures", "chart-valve-flow"])
            records = shown.evaluate("document.getElementById('summary-records').textContent")
            self.assertEqual(int(records), len(self.lines))
            # A dashed line of the firing's red down the place of its record on every chart.
            assert_line_drawn(self, shown, fired_index, FIRING_RED)
            screenshot = os.path.join(self.dir, "report.png")
            shown.screenshot(screenshot)
            self.assertGreater(len(harness.read_png(screenshot).colours()), 50)


    def test_the_journal_beside_the_log_tells_its_runs_apart_and_shows_its_marks(self):
        # Two runs whose numbers run on: only the journal says where the second began.
        at = [(f[10], int(f[12][4:])) for f in map(text_log.split_fields, self.lines)]
        journal = ["device_time,record,wall_time,kind,text", ",0,W1,session-start,stillmon 1",
                   "%s,%d,W2,mark,hearts" % at[5], "%s,%d,W3,session-end,exit status 0" % at[149],
                   ",0,W4,session-start,stillmon 1", "%s,%d,W5,mark,'=1+2" % at[160],
                   '%s,%d,W6,mark,"tails, <late>"' % at[160], "9:9,60000,W7,mark,lost", "junk"]
        journal_file = pathlib.Path(self.dir, "run.journal.csv")
        journal_file.write_text("".join(line + "\r\n" for line in journal))
        result = self.report("run.dat", "--csv", "run.csv")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, "stillmon-report: run.journal.csv: 1 damaged line "
                         "skipped\n")
        page = pathlib.Path(self.dir, "run.html").read_text(encoding="utf-8")
        self.assertEqual(sessions(page), [(str(at[0][1]), "150"), (str(at[150][1]), "205")])
        self.assertEqual(re.findall(r'<tr data-kind="([a-z-]+)" data-session="(\d*)" '
                                    r'data-record="(\d+)">.*<td>([^<]*)</td></tr>', page),
                         [("session-start", "1", str(at[0][1]), "stillmon 1"),
                          ("mark", "1", str(at[5][1]), "hearts"),
                          ("session-end", "1", str(at[149][1]), "exit status 0"),
                          ("session-start", "2", str(at[150][1]), "stillmon 1"),
                          ("mark", "2", str(at[160][1]), "=1+2"),
                          ("mark", "2", str(at[160][1]), "tails, &lt;late&gt;"),
                          ("mark", "", "60000", "lost")])
        rows = read_csv(os.path.join(self.dir, "run.csv"))
        self.assertEqual({int(row["record"]): row["mark"] for row in rows if row["mark"]},
                         {at[5][1]: "hearts", at[160][1]: "'=1+2; tails, <late>"})
        with browser.Browser() as shown:
            shown.open("file://" + os.path.join(self.dir, "run.html"))
            shown.wait_for(f"({browser.TRACE_PIXELS}).length === 5", what="the charts")
            assert_line_drawn(self, shown, 151, SESSION_GREY)  # the second session's start
            assert_line_drawn(self, shown, 161, MARK_BLUE)  # its marks
        # A journal that cannot be read is named, and the report goes on without it: one run.
        journal_file.unlink()
        journal_file.mkdir()
        result = self.report("run.dat")
        self.assertEqual((result.returncode, result.stderr), (0, "stillmon-report: cannot read "
                         "run.journal.csv: Is a directory\n"))
        page = pathlib.Path(self.dir, "run.html").read_text(encoding="utf-8")
        self.assertEqual(sessions(page), [(str(at[0][1]), "355")])
        # Nor is a FIFO waited on, which no one may ever write.
        journal_file.rmdir()
        os.mkfifo(journal_file)
        result = self.report("run.dat")
        self.assertEqual((result.returncode, result.stderr), (0, "stillmon-report: cannot read "
                         "run.journal.csv: not a plain file\n"))


class ComparedRuns(unittest.TestCase):
    """The saved run beside a copy whose device clock runs an hour later, each with a journal
    marking the hearts ("Herzstück", not ASCII) at a record of its own."""

    MARKED_LINES = {"first": 9, "second": 40}
    report = ReportOfSavedRun.report

    def setUp(self):
        ReportOfSavedRun.setUp(self)
        for name, line in self.MARKED_LINES.items():
            shifted = [re.sub(r"\b21:", "22:", text) if name == "second" else text
                       for text in self.lines]
            pathlib.Path(self.dir, name + ".dat").write_text(
                "".join(text + "\r\n" for text in shifted), encoding="latin-1", newline="")
            number = re.search(r"Num=(\d+)", self.lines[line]).group(1)
            pathlib.Path(self.dir, name + ".journal.csv").write_bytes(
                b"device_time,record,wall_time,kind,text\r\n"
                + f"21:50:00_1,{number},2026-12-09T14:30:46+01:00,mark,Herzstück\r\n".encode())

    def test_runs_aligned_on_a_mark_meet_at_zero_and_draw_their_charts(self):
        result = run_report(self.dir, "first", "second.dat", "--compare", "--align", "Herzstück",
                            "--csv", "both.csv", "--out", "both.html")
        self.assertEqual(result.returncode, 0, result.stderr)
        rows = read_csv(os.path.join(self.dir, "both.csv"))
        for run, line in (("first", 9), ("second.dat", 40)):
            own = [row for row in rows if row["run"] == run]
            self.assertEqual(len(own), len(self.lines))
            self.assertEqual([i for i, row in enumerate(own) if row["seconds"] == "0"], [line])
            self.assertLess(float(own[line - 1]["seconds"]), 0)
        with browser.Browser() as shown:
            shown.open("file://" + os.path.join(self.dir, "both.html"))
            traced = shown.wait_for(
                f"(() => {{ const t = {browser.TRACE_PIXELS}; return t.length === 4 && "
                "t.every(([id, n]) => n > 200) ? t : null; })()", what="a trace on every chart")
            self.assertEqual(len(traced), 4)
            # Both marks at 0 s, the second run's dashed red drawn over the first's.
            share = shown.evaluate("""(() => {
                const chart = Chart.getChart(document.getElementById('chart-1'));
                const area = chart.chartArea, x = Math.round(chart.scales.x.getPixelForValue(0));
                const column = chart.canvas.getContext('2d').getImageData(
                    x, area.top, 1, area.bottom - area.top).data;
                let red = 0;
                for (let i = 0; i < column.length; i += 4) red += column[i] === 214 ? 1 : 0;
                return red / (area.bottom - area.top); })()""")
            self.assertGreater(share, 0.4)

    def test_bad_usages_and_a_run_without_the_mark(self):
        self.assertEqual(self.report("first", "--compare", "--out", "x.html").returncode, 2)
        self.assertEqual(self.report("first", "second").returncode, 2)
        self.assertEqual(self.report("first", "second", "--compare").returncode, 2)
        unknown = self.report("first", "second", "--compare", "--out", "x.html", "--channels",
                              "tank_c,bogus")
        self.assertEqual((unknown.returncode, os.path.exists(os.path.join(self.dir, "x.html"))),
                         (2, False))
        log = pathlib.Path(self.dir, "second.dat").read_bytes()
        self.assertEqual(self.report("first", "second", "--compare", "--out", "./second.dat",
                                     "--csv", "second.journal.csv").returncode, 1)
        self.assertEqual(pathlib.Path(self.dir, "second.dat").read_bytes(), log)
        twice = pathlib.Path(self.dir, "twice.dat")
        twice.write_bytes(pathlib.Path(self.dir, "first.dat").read_bytes() * 2)
        self.assertEqual(self.report("twice@3", "first", "--compare", "--out", "x.html")
                         .returncode, 1)
        pathlib.Path(self.dir, "empty.dat").write_bytes(b"")
        self.assertEqual(self.report("empty", "first", "--compare", "--out", "x.html")
                         .returncode, 0)
        result = self.report("twice@2", "first", "--compare", "--out", "x.html", "--csv", "x.csv")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(len(read_csv(os.path.join(self.dir, "x.csv"))), 2 * len(self.lines))
        os.remove(os.path.join(self.dir, "second.journal.csv"))
        missing = self.report("first", "second", "--compare", "--out", "x.html", "--align",
                              "Herzstück")
        self.assertEqual(missing.returncode, 0, missing.stderr)
        self.assertIn("second has no mark Herzstück: aligned on its start", missing.stderr)


class ReportOfLiveRun(unittest.TestCase):
    """One live run of stillmon against the simulator, whose page is read before the run ends;
    each test reports on copies of its logs in a folder of its own."""

    @classmethod
    def setUpClass(cls):
        require_programs()
        run_folder = harness.temporary_directory()
        cls.addClassCleanup(run_folder.cleanup)
        run_dir = run_folder.name
        # An hour into the run the strengths pass their test: stages on every record.
        simulator = sh.Simulator(run_dir, "--skip", "3600", "--speed", "10")
        monitor = sh.Monitor(None, run_dir, simulator.link, options=("--serve", "127.0.0.1:0"))
        try:
            url = monitor.output.wait_for(r"^Page served at (http://\S+)$").group(1)
            monitor.wait_for_cycles(12)
            simulator.stop()
            harness.wait_until(lambda: get_json(url, "/api/latest")["link"]["silent_s"] > 1.5,
                               15, what="the page to see the device silent")
            cls.shown = {r["record"]: r for r in get_json(url, "/api/history?since=0")["records"]}
        finally:
            monitor.stop()
            simulator.stop()
        cls.logs = {ending: os.path.join(run_dir, "Run3" + ending) for ending in (".dat", ".bin")}
        cls.lines = {int(text_log.split_fields(line)[12][4:]): text_log.split_fields(line)
                     for line in sh.read_text_log(cls.logs[".dat"])}
        cls.frames = [sh.elements_from_frame(frame) for _, frame in
                      sh.split_binary_log(sh.read_bytes(cls.logs[".bin"]))]

    def setUp(self):
        folder = harness.temporary_directory()
        self.addCleanup(folder.cleanup)
        self.dir = folder.name

    def report(self, *arguments, logs=(".dat", ".bin")):
        """stillmon-report on copies of the run's logs with these endings; its CSV rows."""
        for ending in logs:
            shutil.copy(self.logs[ending], self.dir)
        result = run_report(self.dir, *arguments, "--csv", "run.csv")
        self.assertEqual(result.returncode, 0, result.stderr)
        return result, read_csv(os.path.join(self.dir, "run.csv"))

    def test_csv_holds_the_frames_logged_and_the_values_the_run_showed(self):
        result, rows = self.report("Run3")
        self.assertIn("read from Run3.bin, with the intervals and proof of Run3.dat:",
                      result.stdout)
        self.assertEqual(len(rows), len(self.frames))
        f32 = lambda value: struct.unpack("<f", struct.pack("<f", value))[0]
        compared = 0
        for row, elements in zip(rows, self.frames):
            number = elements[18] & 0xFFFF
            temperatures = [float(row[name]) for name in TEMPERATURES]
            with self.subTest(record=number):
                self.assertEqual(int(row["record"]), number)
                self.assertEqual(temperatures, [raw / 16 for raw in elements[:8]])
                self.assertEqual(float(row["valve"]), elements[sh.VALVE])
                self.assertEqual(f32(float(row["flow"])), f32(elements[sh.FLOW] / 100))
                # The text log wrote the same values with one decimal, and what only it holds.
                fields = self.lines[number]
                self.assertEqual([text_log.format_number(t, "0.0") for t in temperatures],
                                 [field[6:] for field in fields[1:9]])
                self.assertEqual(row["device_time"], fields[10])
                self.assertEqual(float(row["interval_s"]), float(fields[11]))
                self.assertEqual(float(row["proof"]), text_log.read_number(fields[9][6:]))
                shown = self.shown.get(number)
                if shown is None:  # logged as the run ended, before the page had it
                    continue
                compared += 1
                self.assertEqual(temperatures, shown["temperatures"])
                for column, key in (("liquid_strength_pct", "liquid_strength"),
                                    ("vapour_strength_pct", "vapour_strength"),
                                    ("stages", "stages"), ("valve", "valve"), ("flow", "flow")):
                    self.assertEqual(float(row[column]) if row[column] else None, shown[key],
                                     column)
        self.assertGreaterEqual(compared, len(rows) - 2)
        self.assertTrue(all(row["stages"] for row in rows))
        self.assertTrue(any(float(row["valve"]) for row in rows))

    def test_the_run_and_either_log_name_the_same_report(self):
        outputs = []
        for name in ("Run3", "Run3.dat", "Run3.bin"):
            result, _ = self.report(name, "--out", "run.html")
            outputs.append((result.stdout, pathlib.Path(self.dir, "run.csv").read_bytes(),
                            pathlib.Path(self.dir, "run.html").read_bytes()))
        self.assertEqual(outputs[1:], outputs[:1] * 2)

    def test_the_text_log_alone_gives_its_values_as_written(self):
        result, rows = self.report("Run3.dat", logs=(".dat",))
        self.assertIn("read from Run3.dat", result.stdout)
        self.assertEqual([int(row["record"]) for row in rows], list(self.lines))
        for row in rows:
            fields = self.lines[int(row["record"])]
            self.assertEqual([float(row[name]) for name in TEMPERATURES],
                             [float(field[6:]) for field in fields[1:9]])
            self.assertEqual(float(row["interval_s"]), float(fields[11]))
            self.assertEqual((row["valve"], row["flow"]), ("", ""))

    def test_alarms_are_listed_where_they_fired_and_cleared(self):
        # The stage count wanders: above a value halfway between two of its values it fires
        # and clears again (an alarm clears at its threshold unless told otherwise).
        _, rows = self.report("Run3")
        stages = [(int(row["record"]), float(row["stages"])) for row in rows]
        values = sorted({value for _, value in stages})
        threshold = (values[len(values) // 2 - 1] + values[len(values) // 2]) / 2
        expected = []
        for number, value in stages:
            firing = bool(expected) and expected[-1][2] is None
            if value > threshold and not firing:
                expected.append(("stages-high", number, None))
            elif value <= threshold and firing:
                expected[-1] = ("stages-high", expected[-1][1], number)
        pathlib.Path(self.dir, "alarms.toml").write_text(
            f'[[alarm]]\nname = "stages-high"\nvalue = "stages"\nabove = {threshold}\n\n'
            '[[alarm]]\nname = "tank-cold"\nvalue = "tank"\nbelow = -100\n')
        self.report("Run3", "--config", "alarms.toml")
        page = pathlib.Path(self.dir, "Run3.html").read_text(encoding="utf-8")
        self.assertIn("<h2>Alarms</h2>", page)
        self.assertEqual(alarm_rows(page), expected)
        self.assertIn('<p data-alarm="tank-cold">Never fired.</p>', page)

        # A mistake in the file: stillmon's own line, and no report.
        pathlib.Path(self.dir, "bad.toml").write_text(
            '[[alarm]]\nname = "steam-high"\nvalue = "steem"\nabove = 80\n')
        os.remove(os.path.join(self.dir, "Run3.html"))
        refused = run_report(self.dir, "--config", "bad.toml", "Run3")
        stillmon = subprocess.run([sh.STILLMON, "--config", "bad.toml"], cwd=self.dir,
                                  capture_output=True, text=True, timeout=20,
                                  env=harness.environment_without_display())
        self.assertEqual((refused.returncode, stillmon.returncode), (2, 2))
        self.assertRegex(stillmon.stderr, r"^stillmon: bad\.toml:3:\d+: [^\n]*steem[^\n]*\n$")
        self.assertEqual(refused.stderr, stillmon.stderr.replace("stillmon:", "stillmon-report:"))
        self.assertFalse(os.path.exists(os.path.join(self.dir, "Run3.html")))


class ReportOfAppendedRuns(unittest.TestCase):
    """Three live runs appending to one log, the first and last with alarms; the device runs on
    unread between the first two, and starts its count again before the third."""

    @classmethod
    def setUpClass(cls):
        require_programs()
        folder = harness.temporary_directory()
        cls.addClassCleanup(folder.cleanup)
        cls.dir = folder.name
        cls.config = os.path.join(cls.dir, "alarms.toml")
        pathlib.Path(cls.config).write_text(
            'arm_after = "2s"\n[[alarm]]\nname = "tank-warm"\nvalue = "tank"\nabove = 0\n')
        logs = [os.path.join(cls.dir, "Run3" + ending) for ending in (".dat", ".bin")]
        ends = [[0, 0]]

        def run(device, *options):
            cycles = len(sh.read_text_log(logs[0])) + 6
            monitor = sh.Monitor(None, cls.dir, device.link, options=options)
            try:
                monitor.wait_for_cycles(cycles)
            finally:
                monitor.stop()
            ends.append([len(sh.read_bytes(log)) for log in logs])

        with sh.Simulator(cls.dir, "--skip", "3600", "--speed", "10", "--verbose") as device:
            run(device, "--config", cls.config)
            harness.wait_until(lambda: len(device.events("discarded: no reader")) >= 8, 20,
                               what="frames that no run read")
            run(device)
        with sh.Simulator(cls.dir, "--skip", "3600", "--speed", "10") as device:
            run(device, "--config", cls.config)
        cls.parts = [os.path.join(cls.dir, f"part{n}") for n in range(3)]
        for part, start, end in zip(cls.parts, ends, ends[1:]):
            os.mkdir(part)
            for log, a, b in zip(logs, start, end):
                pathlib.Path(part, os.path.basename(log)).write_bytes(sh.read_bytes(log)[a:b])

    def report(self, folder, *arguments):
        result = run_report(folder, "Run3", "--csv", "run.csv", *arguments)
        self.assertEqual(result.returncode, 0, result.stderr)
        return (read_csv(os.path.join(folder, "run.csv")),
                pathlib.Path(folder, "Run3.html").read_text(encoding="utf-8"))

    def test_each_session_is_reported_as_its_run_alone(self):
        rows, page = self.report(self.dir)
        alone = [self.report(part) for part in self.parts]
        self.assertEqual(rows, [row for part_rows, _ in alone for row in part_rows])
        self.assertEqual(sessions(page), [sessions(part_page)[0] for _, part_page in alone])
        self.assertEqual([int(x) for x in re.findall(r'\{"index":(\d+),"kind":"session-start"', page)],
                         [len(alone[0][0]) + 1, len(alone[0][0]) + len(alone[1][0]) + 1])

    def test_alarms_only_where_the_events_file_says_a_run_evaluated_them(self):
        alone = [alarm_rows(self.report(part, "--config", self.config)[1])
                 for part in self.parts]
        self.assertTrue(all(alone))
        _, page = self.report(self.dir, "--config", self.config)
        self.assertEqual(alarm_rows(page), alone[0] + alone[2])
        self.assertEqual(re.findall(r"<td>((?:not )?evaluated)", page),
                         ["evaluated", "not evaluated", "evaluated"])
        # Without the events file every session is evaluated, as if each run had had alarms.
        os.remove(os.path.join(self.dir, "Run3.events.csv"))
        self.assertEqual(alarm_rows(self.report(self.dir, "--config", self.config)[1]),
                         alone[0] + alone[1] + alone[2])


if __name__ == "__main__":
    unittest.main()
