"""End-to-end tests of the operator's marks (F3) in live runs against the device simulator, with a
configuration and without, and in a replay of the marked log. Programs in STILLMON and STILLSIM.
"""

import os
import re
import unittest

import harness
import stillmon_harness as sh

MARK_ROW, MARK_COLUMN, CYAN = 31, 30, 11
QUIT_STATUS = 55


class Marks(sh.ProgramTestCase):
    def start(self, *options):
        simulator = sh.Simulator(self.dir)
        self.addCleanup(simulator.stop)
        monitor = sh.Monitor(self.x, self.dir, simulator.link, options=options)
        self.addCleanup(monitor.stop)
        self.x.focus(monitor.window())
        monitor.wait_for_cycles(2)
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

    def test_marks_are_said_shown_journalled_and_replayed(self):
        config = os.path.join(self.dir, "empty.toml")
        open(config, "w").close()
        monitor = self.start("--config", config)
        self.mark(monitor, "=5", "equal", "5")
        last = self.mark(monitor, "mark")
        self.quit(monitor)

        journal = harness.read_lines(os.path.join(self.dir, "Run3.journal.csv"))
        fields = [line.split(",") for line in journal[1:]]
        self.assertEqual([f[3] for f in fields], ["session-start", "mark", "mark", "session-end"])
        self.assertRegex(fields[0][4], rf"^stillmon \S+ --config {re.escape(config)} 3 Run$")
        self.assertEqual([f[4] for f in fields[1:]], ["'=5", "mark", f"exit status {QUIT_STATUS}"])
        self.assertEqual(fields[2][1], str(last))
        self.assertGreaterEqual(int(fields[3][1]), last)

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
