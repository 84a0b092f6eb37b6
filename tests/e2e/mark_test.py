"""End-to-end tests of the operator's marks (F3) in live runs against the device simulator, with a
configuration and without, and in a replay of the marked log: the journal file, stderr, the
window, the page, MQTT and the report all say the same. Programs in STILLMON, STILLSIM and
STILLMON_REPORT.
"""

import json
import os
import re
import unittest

import browser
import harness
import mqtt_broker
import report_test
import stillmon_harness as sh
from page_client import get_json

MARK_ROW, MARK_COLUMN, CYAN = 31, 30, 11
QUIT_STATUS = 55
TOPIC = "test/still-3"


class Marks(sh.ProgramTestCase):
    def start(self, *options):
        self.simulator = simulator = sh.Simulator(self.dir)
        self.addCleanup(simulator.stop)
        monitor = sh.Monitor(self.x, self.dir, simulator.link, options=options)
        self.addCleanup(monitor.stop)
        self.x.focus(monitor.window())
        monitor.wait_for_cycles(len(monitor.logged_lines()) + 2)  # the logs may hold a run
        return monitor

    def mark(self, monitor, text, *keys):
        """Types the keys then F3; the record the mark stands at, as said and shown."""
        self.x.send_keys(monitor.window(), *keys, "F3")
        said = monitor.errors.wait_for(rf'^stillmon: mark "{text}" at record (\d+)$')
        sh.wait_for_screen_text(monitor, MARK_ROW, MARK_COLUMN,
                                f"MARK {text} at record {said.group(1)}", CYAN)
        return int(said.group(1))

    def quit(self, monitor):
        self.x.send_keys(monitor.window(), "x", check=False)
        self.assertEqual(monitor.exit_status(), QUIT_STATUS)

    def test_three_marks_agree_everywhere_and_two_runs_make_two_sessions(self):
        broker = mqtt_broker.Broker(self.dir)
        self.addCleanup(broker.stop)
        events = mqtt_broker.Subscriber(broker.port, topics=(f"{TOPIC}/mark",))
        self.addCleanup(events.close)
        config = os.path.join(self.dir, "still.toml")
        with open(config, "w") as f:
            f.write(f'[mqtt]\nbroker = "{broker.url()}"\ntopic = "{TOPIC}"\n')
        monitor = self.start("--config", config, "--serve", "127.0.0.1:0")
        url = monitor.output.wait_for(r"^Page served at (http://\S+)$").group(1)
        texts = ["=5", "HEARTS", "mark"]
        records = [self.mark(monitor, "=5", "equal", "5"),
                   self.mark(monitor, "HEARTS", "shift+h", "shift+e", "shift+a", "shift+r",
                             "shift+t", "shift+s"),
                   self.mark(monitor, "mark")]
        marks = list(zip(records, texts))

        journal = get_json(url, "/api/journal")["entries"]
        self.assertEqual([(e["record"], e["text"]) for e in journal if e["kind"] == "mark"], marks)
        harness.wait_until(lambda: len(events.payloads(f"{TOPIC}/mark")) == 3, 10,
                           what="the three marks' events")
        self.assertEqual([(e["record"], e["text"]) for e in
                          map(json.loads, events.payloads(f"{TOPIC}/mark"))], marks)
        # Two cycles on, so that no mark's line stands on the charts' right edge.
        monitor.wait_for_cycles(len(monitor.logged_lines()) + 2)
        with browser.Browser() as page:
            page.open(url)
            page.wait_for("document.getElementById('journal-entries').rows.length === 4",
                          what="the journal under the charts")
            self.assertEqual(page.evaluate(
                "[...document.getElementById('journal-entries').rows].slice(0, 3).map(row => "
                "[row.cells[1].textContent, row.cells[3].textContent])"),
                [[str(record), text] for record, text in reversed(marks)])
            for entry in journal[1:]:
                self.assertEqual([share > 0.8 for share in browser.line_shares(
                    page, entry["index"], report_test.MARK_BLUE)], [True] * 5)
        self.quit(monitor)
        journal = harness.read_lines(os.path.join(self.dir, "Run3.journal.csv"))
        fields = [line.split(",") for line in journal[1:]]
        self.assertEqual([f[3] for f in fields], ["session-start"] + ["mark"] * 3 +
                         ["session-end"])
        self.assertRegex(fields[0][4], rf"^stillmon \S+ --config {re.escape(config)} --serve "
                         r"127.0.0.1:0 3 Run$")
        self.assertEqual([(int(f[1]), f[4]) for f in fields[1:4]],
                         [(records[0], "'=5")] + marks[1:])
        self.assertEqual(fields[4][4], f"exit status {QUIT_STATUS}")
        self.assertGreaterEqual(int(fields[4][1]), records[-1])

        # A second run appended to the logs: the report tells the two sessions apart and shows
        # the marks of the first where the journal says.
        self.simulator.stop()
        self.quit(self.start("--config", config))
        result = report_test.run_report(self.dir, "Run3", "--csv", "Run3.csv")
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(os.path.join(self.dir, "Run3.html"), encoding="utf-8") as f:
            self.assertEqual(len(report_test.sessions(f.read())), 2)
        rows = report_test.read_csv(os.path.join(self.dir, "Run3.csv"))
        at_record = {}  # the CSV joins the marks of one record
        for record, text in [(records[0], "'=5")] + marks[1:]:
            at_record.setdefault(record, []).append(text)
        self.assertEqual([(int(row["record"]), row["mark"]) for row in rows if row["mark"]],
                         [(record, "; ".join(texts)) for record, texts in at_record.items()])
        last = records[-1]

        # Its replay shows the last mark once its record is drawn; a damaged line is said.
        with open(os.path.join(self.dir, "Run3.journal.csv"), "a") as f:
            f.write("damaged\r\n")
        replay = sh.Monitor(self.x, self.dir, None, port="0", log_name="Run3")
        self.addCleanup(replay.stop)
        sh.wait_for_screen_text(replay, MARK_ROW, MARK_COLUMN, f"MARK mark at record {last}",
                                CYAN)
        replay.errors.wait_for(r"^stillmon: the journal Run3.journal.csv has damaged lines, "
                               r"left out: 1$")

    def test_without_a_configuration_f3_is_typed_and_nothing_is_journalled(self):
        monitor = self.start()
        self.x.send_keys(monitor.window(), "F3")
        sh.wait_for_screen_text(monitor, 30, 50, "\xff=", 14)  # the entry text
        self.quit(monitor)
        self.assertEqual(monitor.errors.all(), [])
        self.assertFalse(os.path.exists(os.path.join(self.dir, "Run3.journal.csv")))


if __name__ == "__main__":
    unittest.main()
