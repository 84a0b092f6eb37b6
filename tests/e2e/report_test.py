"""End-to-end test of stillmon-report on a log saved by a live run against the simulator
(tests/data/saved_run.dat): the CSV against the log's values as the replay reads them, the
exit statuses, and the HTML report opened from disk in headless Chromium, whose charts must
have drawn and whose summary must count the log's records.

The program's path comes in STILLMON_REPORT.
"""

import csv
import os
import pathlib
import re
import shutil
import signal
import subprocess
import unittest

import browser
import harness
import text_log

STILLMON_REPORT = os.environ.get("STILLMON_REPORT", "")
SAVED_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data",
                         "saved_run.dat")


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
        return subprocess.run([STILLMON_REPORT, *arguments], cwd=self.dir, capture_output=True,
                              text=True, timeout=60,
                              env=dict(os.environ, LC_ALL="de_DE.UTF-8"))

    def assert_csv_rows_are(self, lines):
        """run.csv holds one row per line given, with the values the replay reads from it."""
        with open(os.path.join(self.dir, "run.csv"), newline="", encoding="utf-8") as f:
            rows = list(csv.DictReader(f))
        self.assertEqual(len(rows), len(lines))
        raws = (0,) * 8
        for line, row in zip(lines, rows):
            fields = text_log.split_fields(line)
            raws = text_log.refilled_raws(fields, raws)
            self.assertEqual(int(row["record"]), int(fields[12][4:]))
            self.assertEqual(row["device_time"], fields[10])
            self.assertEqual(float(row["interval_s"]), text_log.read_number(fields[11]))
            temperatures = [float(row[name]) for name in list(row)[3:11]]
            self.assertEqual(temperatures, [raw / 16 for raw in raws], line)
            # Stages only where the strengths passed their test: vapour above liquid above 0.
            if row["stages"]:
                self.assertGreater(float(row["vapour_strength_pct"]),
                                   float(row["liquid_strength_pct"]))
                self.assertGreater(float(row["liquid_strength_pct"]), 0)
            self.assertEqual(row["whole_stages"] == "", row["stages"] == "")
        return rows

    def test_csv_rows_hold_the_logged_values_as_the_replay_reads_them(self):
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

    def test_report_opens_from_disk_with_its_charts_drawn(self):
        result = self.report("run.dat")
        self.assertEqual(result.returncode, 0, result.stderr)
        page = os.path.join(self.dir, "run.html")
        self.assertNotRegex(pathlib.Path(page).read_text(), r"(src|href)=\"?(https?:)?//")

        with browser.Browser() as shown:
            shown.open("file://" + page)
            traced = dict(shown.wait_for(
                f"(() => {{ const t = {browser.TRACE_PIXELS}; "
                "return t.length && t.every(([, n]) => n > 200) ? t : null; })()",
                what="a trace on every chart"))
            self.assertEqual(sorted(traced), ["chart-reflux", "chart-stages", "chart-strengths",
                                              "chart-temperatures", "chart-valve-flow"])
            records = shown.evaluate("document.getElementById('summary-records').textContent")
            self.assertEqual(int(records), len(self.lines))
            screenshot = os.path.join(self.dir, "report.png")
            shown.screenshot(screenshot)
            self.assertGreater(len(harness.read_png(screenshot).colours()), 50)


if __name__ == "__main__":
    unittest.main()
