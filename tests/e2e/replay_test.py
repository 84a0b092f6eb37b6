"""End-to-end tests of stillmon's replay of a saved text log, with the real program: crafted logs
replayed in a window under a virtual X server (record line, channel readouts, the "Repeat ? "
prompt, the operator's delay and pause keys), silent endings, bad input that must neither crash
nor hang, and a round trip through a live run against the device simulator.

The program's path comes in STILLMON, the simulator's in STILLSIM.

On the window (large mode, 160 x 64 text cells) the replay shows its record line at row 1,
column 23, and channel text line 1 from row 1, column 55 on, both in colour 15. The top pixel
row of the window carries chart points (values at or below a channel's low end, and history
columns no data has reached yet), so text on row 1 is compared without that pixel row; the
glyphs never set it. The first cycle scrolls the window up one text row (a first chart label
lands on the last row), so the first record's line is gone by the end: checks start from the
second record.
"""

import os
import random
import re
import shlex
import signal
import subprocess
import tempfile
import time
import unittest

import harness
import png_writer
import screen_text
import text_log

STILLMON = os.environ.get("STILLMON", "")
STILLSIM = os.environ.get("STILLSIM", "")

TOP_PIXEL_ROW = {0}
TEXT_COLOUR = 15
RECORD_LINE_COLUMN = 23
CHANNEL_LINE_COLUMN = 55
LABEL_COLUMNS = 11  # column 12 also holds the newest chart points
CHANNEL_COLOURS = (10, 11, 12, 13, 14, 15, 10, 11)  # channels 0 to 7
LAST_LABEL_COLOUR = 14  # channel 19's, the last print of a cycle: the prompt's colours
PROMPT = "Repeat ? "
USAGE = (f"Usage: {STILLMON} [--serve [ADDRESS:]PORT] [--config FILE] [PORT [LOG]]  "
         "(--help for more)")
QUIT_STATUS = 55


def fields_of(line):
    return text_log.split_fields(line)


def sample_lines(count, first_number=1, seed=1):
    return text_log.generated_log(count, first_number, seed).splitlines(keepends=True)


class ReplayTestCase(harness.EndToEndTest):
    def setUp(self):
        if not STILLMON or not os.access(STILLMON, os.X_OK):
            self.fail("STILLMON must name the built stillmon program")
        self.directory = harness.temporary_directory()
        self.addCleanup(self.directory.cleanup)
        self.dir = self.directory.name

    def write_log(self, name, content):
        path = os.path.join(self.dir, name + ".dat")
        with open(path, "wb") as f:
            f.write(content.encode("latin-1") if isinstance(content, str) else content)
        return path

    def start_x(self):
        x = harness.Xvfb()
        self.addCleanup(x.close)
        return x

    def start_program(self, env, *arguments, stdin=subprocess.DEVNULL):
        program = harness.Program([STILLMON, *arguments], env=env, cwd=self.dir, stdin=stdin)
        self.addCleanup(program.stop)
        return program

    def start_replay(self, x, *arguments):
        """The program in replay mode in a large window; returns it and its window."""
        env = x.env()
        env.pop("COMPUTERNAME", None)
        program = self.start_program(env, *arguments)
        window = x.find_window("Graf on")
        x.focus(window)
        return program, window

    def keep_image(self, image, what):
        """Keeps a failing test's screenshot beside the build's test output."""
        folder = os.environ.get("STILLMON_E2E_FAILURES",
                                os.path.join(tempfile.gettempdir(), "stillmon-e2e-failures"))
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, f"{self.id()}-{what}.png")
        png_writer.write_png(image, path)
        return path

    def wait_for_exit(self, program, timeout_s=20):
        try:
            return program.wait(timeout_s)
        except subprocess.TimeoutExpired:
            self.fail(f"stillmon still running after {timeout_s} s; output: {program.output.all()}"
                      f" errors: {program.errors.all()}")

    def answer_prompt(self, x, window, program, key="Return", expected_status=0):
        x.send_keys(window, key, check=False)
        self.assertEqual(self.wait_for_exit(program), expected_status)

    def row_one(self, x, window):
        return screen_text.screenshot_region(x, window, (1, 1))

    def shown_record_line(self, region, length=40):
        return region.read_text(1, RECORD_LINE_COLUMN, length, TEXT_COLOUR, TOP_PIXEL_ROW)

    def wait_for_record_line(self, x, window, record_line, timeout_s=20):
        """Waits until row 1 shows the record line; returns the screenshot of row 1."""
        seen = []

        def shown():
            region = self.row_one(x, window)
            seen[:] = [self.shown_record_line(region, len(record_line))]
            return region if seen[0] == record_line else None

        try:
            return harness.wait_until(shown, timeout_s, 0.05, f"record line {record_line!r}")
        except harness.HarnessError:
            self.fail(f"row 1 shows {seen[0]!r} from column {RECORD_LINE_COLUMN}, "
                      f"not {record_line!r}")

    def assert_row_one_text(self, region, column, text):
        wrong = region.text_mismatches(1, column, text, TEXT_COLOUR, TOP_PIXEL_ROW)
        if wrong:
            path = self.keep_image(region.image, "row1")
            self.fail(f"row 1 from column {column} reads "
                      f"{region.read_text(1, column, len(text), TEXT_COLOUR, TOP_PIXEL_ROW)!r}, "
                      f"expected {text!r}; {len(wrong)} pixels differ, first {wrong[:3]} "
                      f"(screenshot {path})")

    def find_prompt_row(self, x, window, timeout_s=10):
        """The row on which "Repeat ? " stands at column 1 in the colours of the last chart
        label of the cycle, and that label (channel 19's) on the row above it."""
        seen = []

        def prompt_rows():
            region = screen_text.screenshot_region(x, window, (1, 64), (1, 24))
            seen[:] = [region, region.rows_with_text(1, PROMPT, LAST_LABEL_COLOUR, TOP_PIXEL_ROW)]
            return seen[1]

        try:
            harness.wait_until(prompt_rows, timeout_s, 0.05, "the prompt")
        except harness.HarnessError:
            pass
        region, rows = seen
        if len(rows) != 1:
            path = self.keep_image(region.image, "prompt")
            self.fail(f"'Repeat ? ' found on rows {rows} (screenshot {path})")
        row = rows[0]
        label = region.read_text(row - 1, 1, LABEL_COLUMNS, LAST_LABEL_COLOUR).rstrip()
        self.assertRegex(label, r"^-?\d+\.\d\d DistP$", "the label printed last, above the prompt")
        return row, region


class ReplayScreen(ReplayTestCase):
    """What a replay shows at its end: the last record's line and channel readouts, and the
    prompt."""

    def replay_and_check(self, x, log_lines, record_line, channel_line):
        self.write_log("crafted", "".join(log_lines))
        program, window = self.start_replay(x, "0", "crafted")
        region = self.wait_for_record_line(x, window, record_line)
        self.assert_row_one_text(region, RECORD_LINE_COLUMN, record_line)
        self.assert_row_one_text(region, CHANNEL_LINE_COLUMN, channel_line)
        self.find_prompt_row(x, window)
        self.answer_prompt(x, window, program)

    def test_last_record_shows_its_line_and_refilled_channels(self):
        documented = (", Tank =78.1, 1 st =87.5, 2 st =90.5, Steam=97.5, TopHE=25.0, Centr=25.2,"
                      " BotHE=24.4, Out W=0.1, Proof= 0.0, 14:30:45_7, 1.002, Num=1234\r\n")
        first = sample_lines(1)[0]
        # Refilled as 1250, 1404, 1456, 1572, 408, 411, 398 and 2: the offsets lift
        # channels 1 to 6 against the logged text.
        self.replay_and_check(
            self.start_x(), [first, documented], "14:30:45_7 1.002 Num=1234 D=00  ",
            ", Tank =78.1, 1 st =87.7, 2 st =91.0, Steam=98.2, TopHE=25.5, Centr=25.7,"
            " BotHE=24.9, Out W=0.1, ")

    def test_crafted_records(self):
        lines = sample_lines(3)
        a, b, c = lines
        after_b = text_log.refilled_raws(fields_of(b), text_log.refilled_raws(fields_of(a)))
        bad_numbers = (", Tank =abc, 1 st =, 2 st =x1, Steam=.., TopHE=-, Centr=+, BotHE= ,"
                       " Out W=e5, Proof= 0.0, 14:30:47_2, 0.852, Num=3\r\n")
        four_letter_name = c.replace("Tank =", "Tank=", 1)
        self.assertNotEqual(after_b[0], text_log.refilled_raws(fields_of(c))[0])
        no_count = re.sub(r"Num=\d+", "N=3", c)
        quoted = c.replace("14:30:47_2", '"14:30,47_2"')
        cases = (
            # Values that read as no number refill the channels with their offsets alone.
            ("values that are not numbers", [a, b, bad_numbers],
             "14:30:47_2 0.852 Num=3 D=00  ",
             ", Tank =0.0, 1 st =0.2, 2 st =0.5, Steam=0.7, TopHE=0.5, Centr=0.5, BotHE=0.5,"
             " Out W=0.0, "),
            # "Tank=" trimmed is not the channel's name: channel 0 keeps record b's value.
            ("a four-letter name", [a, b, four_letter_name],
             text_log.replay_record_line(fields_of(c)),
             text_log.channel_line_1(
                 text_log.refilled_raws(fields_of(four_letter_name), after_b))),
            # After a valid count a record without "Num=" is accepted with the old count.
            ("a record without a count", [a, b, no_count],
             text_log.replay_record_line(fields_of(no_count)),
             text_log.channel_line_1(text_log.refilled_raws(fields_of(no_count), after_b))),
            # A blank line at the end is one more cycle with empty fields 10 to 12.
            ("a blank line after the last record", [a, b, "\r\n"], "   D=00  ",
             text_log.channel_line_1(after_b)),
            # Commas inside double quotes belong to the field.
            ("a quoted field", [a, b, quoted], "14:30,47_2 0.852 Num=3 D=00  ",
             text_log.channel_line_1(text_log.refilled_raws(fields_of(c), after_b))),
            # LF alone and CR alone end lines too.
            ("other line ends", [a.replace("\r\n", "\n"), b.replace("\r\n", "\r")],
             text_log.replay_record_line(fields_of(b)),
             text_log.channel_line_1(after_b)),
        )
        x = self.start_x()
        for name, log_lines, record_line, channel_line in cases:
            with self.subTest(name):
                self.replay_and_check(x, log_lines, record_line, channel_line)

    def test_prompt_shows_typed_characters_and_enter_ends_with_status_0(self):
        lines = sample_lines(40)
        self.write_log("run", "".join(lines))
        x = self.start_x()
        program, window = self.start_replay(x, "0", "run")
        self.wait_for_record_line(x, window, text_log.replay_record_line(fields_of(lines[-1])))
        row, _ = self.find_prompt_row(x, window)
        x.type_text(window, "yes 2")
        harness.wait_until(
            lambda: not screen_text.screenshot_region(x, window, (row, row), (1, 24))
            .text_mismatches(row, 1, PROMPT + "yes 2", LAST_LABEL_COLOUR), 10,
            what="the typed answer after the prompt")
        self.assertIsNone(program.process.poll(), "the prompt waits for Enter")
        self.answer_prompt(x, window, program, "Return", 0)

    def test_escape_at_the_prompt_quits_with_status_55(self):
        lines = sample_lines(2)
        self.write_log("run", "".join(lines))
        x = self.start_x()
        program, window = self.start_replay(x, "0", "run")
        self.wait_for_record_line(x, window, text_log.replay_record_line(fields_of(lines[-1])))
        self.find_prompt_row(x, window)
        self.answer_prompt(x, window, program, "Escape", QUIT_STATUS)

    def test_window_shows_the_surface_exactly(self):
        # F12 during the replay saves the surface; paused, the window and the surface hold
        # the same picture, with only the 16 basic colours.
        lines = sample_lines(20000)
        self.write_log("long", "".join(lines))
        x = self.start_x()
        program, window = self.start_replay(x, "0", "long")
        x.send_keys(window, "space")
        self.assertLess(wait_until_paused(self, x, window), len(lines),
                        "the replay was over before the pause")
        # Two snapshots in quick succession keep both files.
        x.send_keys(window, "F12", "F12")
        harness.wait_until(lambda: len(saved_snapshots(program)) == 2, 20, what="two snapshots")
        first_name, second_name = saved_snapshots(program)
        self.assertNotEqual(first_name, second_name)
        if second_name.startswith(first_name[:-len(".png")]):
            self.assertEqual(second_name, first_name[:-len(".png")] + "-2.png")
        snapshot = harness.read_png(os.path.join(self.dir, first_name))
        self.assertEqual(snapshot.differences(harness.read_png(os.path.join(self.dir, second_name)))[0], 0)
        shown = x.screenshot(window)
        count, first = shown.differences(snapshot)
        if count:
            self.keep_image(shown, "window")
        self.assertEqual(count, 0, f"{count} pixels differ, first: {first}")
        self.assertLessEqual(shown.colours(), {bytes(c) for c in harness.BASIC_PALETTE})
        x.send_keys(window, "x", check=False)
        self.assertEqual(self.wait_for_exit(program), QUIT_STATUS)


def saved_snapshots(program):
    return [line[len("Snapshot saved: "):] for line in program.output.all()
            if line.startswith("Snapshot saved: ")]


def record_number_shown(test, x, window):
    text = test.shown_record_line(test.row_one(x, window), 40)
    found = re.search(r"Num=(\d+) D=(\d\d)", text)
    return (int(found.group(1)), found.group(2)) if found else (None, None)


def wait_until_paused(test, x, window, quiet_s=0.6, timeout_s=15):
    """Waits until the record line has stayed the same for quiet_s; returns its record
    number."""
    deadline = time.monotonic() + timeout_s
    last = record_number_shown(test, x, window)
    while time.monotonic() < deadline:
        time.sleep(quiet_s)
        now = record_number_shown(test, x, window)
        if now == last and now[0] is not None:
            return now[0]
        last = now
    test.fail(f"the record line did not stop changing; last {last}")


class ReplayKeys(ReplayTestCase):
    """The operator's keys during a replay: e and r set the delay per record, space and s
    pause and resume."""

    RECORDS = 30000

    def test_delay_and_pause_keys(self):
        lines = sample_lines(self.RECORDS)
        self.write_log("long", "".join(lines))
        x = self.start_x()
        program, window = self.start_replay(x, "0", "long")

        # Pause at full speed, then raise the delay 25 times (it stops at 20) and resume.
        x.send_keys(window, "space")
        paused_at = wait_until_paused(self, x, window)
        self.assertLess(paused_at, self.RECORDS, "the replay was over before the pause")
        time.sleep(0.5)
        self.assertEqual(record_number_shown(self, x, window), (paused_at, "00"))
        x.send_keys(window, *["e"] * 25, "space", delay_ms=20)
        harness.wait_until(lambda: record_number_shown(self, x, window)[1] == "20", 20,
                           what="D=20 in the record line")

        # 200 ms per record: about ten records in two seconds.
        start, _ = record_number_shown(self, x, window)
        time.sleep(2.0)
        later, delay = record_number_shown(self, x, window)
        self.assertEqual(delay, "20")
        self.assertTrue(4 <= later - start <= 14, f"{later - start} records in 2 s at D=20")

        # s pauses as space does: the record line stops changing, and s resumes.
        x.send_keys(window, "s")
        held = wait_until_paused(self, x, window)
        time.sleep(1.0)
        self.assertEqual(record_number_shown(self, x, window), (held, "20"))
        x.send_keys(window, "s")
        harness.wait_until(lambda: record_number_shown(self, x, window)[0] != held, 10,
                           what="the replay to go on after s")

        # r back down to 0: full speed again.
        x.send_keys(window, *["r"] * 22, delay_ms=20)
        harness.wait_until(lambda: record_number_shown(self, x, window)[1] == "00", 20,
                           what="D=00 in the record line")
        start, _ = record_number_shown(self, x, window)
        time.sleep(0.5)
        later, delay = record_number_shown(self, x, window)
        self.assertEqual(delay, "00")
        self.assertGreater(later - start, 10, "records in 0.5 s at D=00")
        self.assertLess(later, self.RECORDS, "the log is not over yet")

        # x quits a replay that runs without any wait.
        x.send_keys(window, "x", check=False)
        self.assertEqual(self.wait_for_exit(program), QUIT_STATUS)

    def test_x_quits_a_replay_of_an_endless_stream_without_records(self):
        os.symlink("/dev/zero", os.path.join(self.dir, "zero.dat"))
        x = self.start_x()
        program, window = self.start_replay(x, "0", "zero")
        # Reads that find no record draw nothing; the window's keys must still get through.
        x.send_keys(window, "x", check=False)
        self.assertEqual(self.wait_for_exit(program), QUIT_STATUS)


class ReplaySilentEndings(ReplayTestCase):
    """A log that ends before a record has been read ends the program at once with status 0,
    without the prompt: under a display the prompt would wait for a key, and none is sent.
    A log that cannot be read ends it with status 1. Either is said on stderr."""

    def run_to_silent_end(self, x, *arguments, status=0):
        env = x.env()
        env.pop("COMPUTERNAME", None)
        program = self.start_program(env, *arguments)
        self.assertEqual(self.wait_for_exit(program, 20), status)
        program.stop()
        return program.output.all(), program.errors.all()

    def test_logs_without_a_record_to_show_end_silently(self):
        os.mkdir(os.path.join(self.dir, "folder.dat"))
        self.write_log("empty", b"")
        self.write_log("zeros", re.sub(r"Num=\d+", "Num=0", "".join(sample_lines(5))))
        # Blanks are characters: one record of empty fields is read, and skipped, as it
        # carries no count.
        self.write_log("blanks", "   \t  ")
        after_good = "".join(sample_lines(3)) + re.sub(r"Num=\d+", "Num=0", sample_lines(1, 9)[0])
        self.write_log("ends_numbered_0", after_good)
        self.write_log("Run1", after_good)
        x = self.start_x()
        for name, status, error in (
                ("missing", 1, "cannot replay missing.dat: No such file or directory"),
                ("folder", 1, "cannot replay folder.dat: Is a directory"),
                ("Run1.dat", 1, "cannot replay Run1.dat.dat: No such file or directory; leave "
                                "the .dat off the name: Run1"),
                *((n, 0, f"found no records to replay in {n}.dat")
                  for n in ("empty", "blanks", "zeros")),
                ("ends_numbered_0", 0, None)):
            with self.subTest(name):
                output, errors = self.run_to_silent_end(x, "0", name, status=status)
                self.assertIn(f"exe= {STILLMON}, Command= 0,FileName= {name} = {name}", output)
                self.assertEqual(errors, ["stillmon: " + error] if error else [])

    def test_help_and_unknown_options(self):
        def run(option):
            done = subprocess.run([STILLMON, option], capture_output=True, timeout=20)
            return done.returncode, done.stdout.decode(), done.stderr.decode()
        self.assertEqual(run("-h"), run("--help"))
        self.assertEqual(run("-x"), (2, "", f"stillmon: unknown option -x\n{USAGE}\n"))

    def test_no_arguments_replay_the_log_named_dat(self):
        x = self.start_x()
        output, errors = self.run_to_silent_end(x, status=1)
        self.assertIn(f"exe= {STILLMON}, Command= ,FileName=  = ", output)
        self.assertEqual(errors, ["stillmon: cannot replay .dat: No such file or directory", USAGE])
        # With a file named ".dat" in the working directory, that file is replayed.
        lines = sample_lines(3)
        self.write_log("", "".join(lines))
        program, window = self.start_replay(x)
        self.wait_for_record_line(x, window, text_log.replay_record_line(fields_of(lines[-1])))
        self.find_prompt_row(x, window)
        self.answer_prompt(x, window, program)


class ReplayBadInput(ReplayTestCase):
    """Logs that are not what live mode writes neither crash nor hang the program. Without a
    display and with standard input at its end (which answers the prompt), each run ends by
    itself with status 0, or 1 when there is no log to read."""

    def run_headless(self, name, timeout_s=60, expected=0):
        program = self.start_program(harness.environment_without_display(), "0", name)
        status = self.wait_for_exit(program, timeout_s)
        program.stop()
        errors = program.errors.all()
        self.assertEqual(status, expected, f"status {status}; errors: {errors[-20:]}")
        reports = [line for line in errors if "Sanitizer" in line or "runtime error" in line]
        self.assertFalse(reports, errors[-40:])

    def test_bad_logs_end_with_status_0(self):
        good = "".join(sample_lines(3))
        noise = random.Random(7)
        cases = {
            "binary": bytes(noise.randrange(256) for _ in range(256 * 1024)),
            "nul_bytes": good.encode().replace(b"=", b"=\0", 4) + b"\0" * 5000 + b"\r\n"
                         + good.encode(),
            "long_line": b"A" * 1_000_000 + b"\r\n" + good.encode(),
            "long_quoted": b'"' + b"q," * 600_000 + b"\r\n" + good.encode(),
            "bad_numbers": (", Tank =1e400, 1 st =-1e400, 2 st =99999, Steam=-99999, TopHE=nan,"
                            " Centr=inf, BotHE=0x1F, Out W=&H7FFF, Proof= x, a, b, Num=1e400\r\n"
                            ", Tank =1, 1 st =2, 2 st =3, Steam=4, TopHE=5, Centr=6, BotHE=7,"
                            " Out W=8, Proof= 0.0, 14:30:45_7, 1.002, Num=-7\r\n"
                            ", Tank =1, Num=nan\r\n" + good).encode(),
            "truncated": (good + good.splitlines()[0][:57]).encode(),
            "only_separators": b",,,,,,,,,,,,," * 10000 + b"\r\n" * 10000 + b"\r" * 10000,
            "many_fields": (", Num=5" * 100_000 + "\r\n").encode(),
            "empty": b"",
        }
        for name, content in cases.items():
            with self.subTest(name):
                self.write_log(name, content)
                self.run_headless(name)
        os.mkdir(os.path.join(self.dir, "folder.dat"))
        for name in ("missing", "folder"):
            with self.subTest(name):
                self.run_headless(name, expected=1)

    def test_a_closed_console_is_no_end(self):
        self.write_log("run", "".join(sample_lines(2)))
        read_end, write_end = os.pipe()
        os.close(read_end)
        self.addCleanup(os.close, write_end)
        self.assertEqual(subprocess.run([STILLMON, "0", "run"], stdin=subprocess.DEVNULL,
                                        stdout=write_end, cwd=self.dir, timeout=20,
                                        env=harness.environment_without_display()).returncode, 0)


def main_thread_cpu_ticks(pid):
    with open(f"/proc/{pid}/task/{pid}/stat") as f:
        stat = f.read()
    fields = stat[stat.rindex(")") + 2:].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def child_pids(pid):
    try:
        with open(f"/proc/{pid}/task/{pid}/children") as f:
            return [int(child) for child in f.read().split()]
    except FileNotFoundError:
        return []


class HeadlessPrompt(ReplayTestCase):
    """Without a display the prompt reads its line from the console: the keys typed, then
    Enter (status 0) or Esc (status 55)."""

    def run_in_terminal(self, name):
        status = os.path.join(self.dir, "status.txt")
        command = (f"{shlex.quote(STILLMON)} 0 {shlex.quote(name)} > out.txt 2>&1; "
                   f"echo $? > {shlex.quote(status)}; sleep 60")
        terminal = harness.Tmux(command, env=harness.environment_without_display(), cwd=self.dir,
                                output_files=(os.path.join(self.dir, "out.txt"), status))
        self.addCleanup(terminal.close)
        return terminal, status

    def console_output(self):
        try:
            with open(os.path.join(self.dir, "out.txt"), encoding="latin-1") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def read_status(self, path):
        try:
            with open(path) as f:
                text = f.read().strip()
            return int(text) if text else None
        except FileNotFoundError:
            return None

    def wait_for_status(self, path, timeout_s=10):
        return harness.wait_until(lambda: [self.read_status(path)]
                                  if self.read_status(path) is not None else None,
                                  timeout_s, what="the program's end")[0]

    def wait_for_prompt(self, terminal, status):
        """The program has replayed its short log and waits: its main thread uses no CPU
        time for a while (until the prompt takes a key, the supervisor leaves the keys
        alone only then)."""
        shell = terminal.pane_pid()
        pid = harness.wait_until(lambda: next(iter(child_pids(shell)), None), 10,
                                 what="the program under the shell")
        harness.wait_until(lambda: "running without a window" in self.console_output(), 10,
                           what="the console notice")
        quiet = {"ticks": None, "since": None}

        def idle():
            ticks = main_thread_cpu_ticks(pid)
            now = time.monotonic()
            if ticks != quiet["ticks"]:
                quiet.update(ticks=ticks, since=now)
            return now - quiet["since"] >= 0.3

        harness.wait_until(idle, 10, 0.05, "the main thread to wait at the prompt")
        self.assertIsNone(self.read_status(status), "the program ended before its prompt")
        self.assertTrue(self.console_output().endswith("\n" + PROMPT), "the prompt on stdout")

    def test_typed_line_then_enter_ends_with_status_0(self):
        self.write_log("run", "".join(sample_lines(2)))
        terminal, status = self.run_in_terminal("run")
        self.wait_for_prompt(terminal, status)
        terminal.send_keys("no thanks")
        with self.assertRaises(harness.HarnessError, msg="the prompt waits for Enter"):
            self.wait_for_status(status, 0.5)
        terminal.send_keys("Enter")
        self.assertEqual(self.wait_for_status(status), 0)

    def test_escape_ends_with_status_55(self):
        self.write_log("run", "".join(sample_lines(2)))
        terminal, status = self.run_in_terminal("run")
        self.wait_for_prompt(terminal, status)
        terminal.send_keys("Escape")
        self.assertEqual(self.wait_for_status(status), QUIT_STATUS)

    def test_silent_endings_need_no_key(self):
        self.write_log("zeros", re.sub(r"Num=\d+", "Num=0", "".join(sample_lines(3))))
        for name in ("zeros", "missing"):
            with self.subTest(name):
                terminal, status = self.run_in_terminal(name)
                self.assertEqual(self.wait_for_status(status), 1 if name == "missing" else 0)
                terminal.close()
                os.remove(status)


class ReplayRoundTrip(ReplayTestCase):
    """A live run against the device simulator writes a text log; its replay shows what the
    log says, with channels 0 to 7 refilled as logged value x 16 + the replay offset."""

    CYCLES = 10

    def test_live_log_replays_as_logged(self):
        if not STILLSIM or not os.access(STILLSIM, os.X_OK):
            self.fail("STILLSIM must name the built stillsim program")
        link = os.path.join(self.dir, "device")
        simulator = harness.Program([STILLSIM, "--link", link, "--period", "0.8", "--jitter",
                                     "0", "--skip", "1500", "--start-time", "14:30:00"],
                                    cwd=self.dir)
        self.addCleanup(simulator.stop)
        harness.wait_until(lambda: os.path.lexists(link), 20, what="the simulator's link")

        x = self.start_x()
        env = x.env(STILLMON_COM1=link)
        env.pop("COMPUTERNAME", None)
        live = self.start_program(env, "1", "Trip")
        live.output.wait_for(r"^Com 1 Port opened 0$")
        window = x.find_window("USB CDC USART out to Graf on")

        def live_record_number():
            text = self.row_one(x, window).read_text(1, RECORD_LINE_COLUMN, 138, TEXT_COLOUR,
                                                     TOP_PIXEL_ROW)
            found = re.search(r"Num=(\d+)", text)
            return int(found.group(1)) if found else None

        first = harness.wait_until(live_record_number, 20, 0.1, "a live record line")
        harness.wait_until(lambda: (live_record_number() or 0) >= first + self.CYCLES - 1,
                           4 * self.CYCLES, 0.2, f"{self.CYCLES} live cycles")
        live.process.send_signal(signal.SIGTERM)
        self.assertEqual(self.wait_for_exit(live), 128 + signal.SIGTERM)
        simulator.stop()

        with open(os.path.join(self.dir, "Trip1.dat"), "rb") as f:
            logged = f.read().decode("ascii")
        self.assertTrue(logged.endswith("\r\n"), "the log ends with a complete line")
        lines = logged.split("\r\n")[:-1]
        self.assertGreaterEqual(len(lines), self.CYCLES)
        records = [fields_of(line) for line in lines]
        numbers = [int(fields[12][len("Num="):]) for fields in records]
        self.assertEqual(numbers, list(range(numbers[0], numbers[0] + len(numbers))))

        raws = (0,) * 8
        for fields in records:
            raws = text_log.refilled_raws(fields, raws)
        last = records[-1]
        logged_values = [item.split("=", 1)[1] for item in last[1:9]]
        shown_values = [text_log.format_number(raw / 16, "0.0") for raw in raws]
        self.assertNotEqual(logged_values[1:7], shown_values[1:7],
                            "the replay offsets lift channels 1 to 6")

        program, window = self.start_replay(x, "0", "Trip1")
        region = self.wait_for_record_line(x, window, text_log.replay_record_line(last))
        self.assert_row_one_text(region, CHANNEL_LINE_COLUMN, text_log.channel_line_1(raws))

        # The chart labels of channels 0 to 7 carry the same values.
        labels = screen_text.screenshot_region(x, window, (1, 64), (1, LABEL_COLUMNS))
        for c, ((name, _, _), colour) in enumerate(zip(text_log.REPLAYED_CHANNELS,
                                                        CHANNEL_COLOURS)):
            label = f"{shown_values[c]} {name}"
            with self.subTest(channel=c):
                self.assertTrue(labels.rows_with_text(1, label, colour, TOP_PIXEL_ROW),
                                f"no label {label!r} in colour {colour}")
        self.find_prompt_row(x, window)
        self.answer_prompt(x, window, program)


if __name__ == "__main__":
    unittest.main()
