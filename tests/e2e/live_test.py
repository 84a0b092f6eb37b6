"""End-to-end tests of stillmon in live mode: the real program under a virtual X server,
its serial port a pseudo-terminal played by the device simulator or by the test itself,
keys sent to its window with xdotool, and what it shows, logs, sends and exits with.

Program paths come in STILLMON and STILLSIM.
"""

import grp
import os
import re
import signal
import subprocess
import threading
import time
import unittest

import harness
import screen_text
import stillmon_harness as sh

PERIOD_S = 0.85  # the device's normal frame period


def whole_lines(data):
    """True when the text log is nothing but lines ending CR LF (and no stray CR or LF)."""
    return data.endswith(b"\r\n") and all(
        b"\r" not in line and b"\n" not in line for line in data[:-2].split(b"\r\n"))


class LiveTestCase(sh.ProgramTestCase):
    def start_simulator(self, *options, link_name="com3"):
        simulator = sh.Simulator(self.dir, *options, link_name=link_name)
        self.addCleanup(simulator.stop)
        return simulator

    def start_device(self):
        device = sh.FakeDevice(self.dir)
        self.addCleanup(device.close)
        return device

    def start_monitor(self, device_path, **options):
        monitor = sh.Monitor(self.x, self.dir, device_path, **options)
        self.addCleanup(monitor.stop)
        return monitor

    def send_frames(self, device, frames, period_s=PERIOD_S):
        """Sends the frames one period apart; returns right after the last."""
        for index, data in enumerate(frames):
            if index > 0:
                time.sleep(period_s)
            device.send(data)

    def quit_with(self, monitor, key):
        window = monitor.window()
        self.x.focus(window)
        self.x.send_keys(window, key, check=False)
        return monitor.exit_status()

    def assert_no_errors(self, monitor):
        self.assertEqual(monitor.errors.all(), [], "nothing is expected on stderr")


class LiveStartup(LiveTestCase):
    def test_reports_on_the_console_and_opens_the_titled_window(self):
        simulator = self.start_simulator()
        monitor = self.start_monitor(simulator.link)
        window = monitor.window()
        self.assertEqual(self.x.window_name(window), sh.LIVE_TITLE)
        self.assertEqual(self.x.window_size(window), (1280, 1024))
        monitor.output.wait_for("^exe= ")
        lines = monitor.output.all()
        self.assertEqual(lines[0], "Free memory:")
        self.assertRegex(lines[1], r"^ [1-9][0-9]* megabytes$")
        # The amount is the memory still available, give or take what others did meanwhile.
        with open("/proc/meminfo") as f:
            available = next(int(line.split()[1]) for line in f
                             if line.startswith("MemAvailable:")) // 1024
        self.assertLess(abs(int(lines[1].split()[0]) - available), available // 4 + 64)
        self.assertEqual(lines[2:4], [
            "Com 3 Port opened 0",
            f"exe= {sh.STILLMON}, Command= 3,FileName= Run = Run"])
        monitor.wait_for_cycles(2)
        self.assertEqual(self.quit_with(monitor, "x"), 55)
        self.assert_no_errors(monitor)

    def test_a_device_plugged_in_after_the_start_is_found_and_nothing_is_logged_before(self):
        device = sh.FakeDevice(self.dir, link_name="later")
        self.addCleanup(device.close)
        missing = os.path.join(self.dir, "com3")
        os.symlink(os.path.join(self.dir, "unplugged"), missing)  # followed, so opens are seen
        monitor = self.start_monitor(missing)
        monitor.output.wait_for("^exe= ")
        self.assertEqual(monitor.output.all()[2], "Com 3 Port opened 2")
        window = monitor.window()
        self.assertEqual(self.x.window_name(window), sh.LIVE_TITLE)
        sh.wait_for_lookups(missing, 2)
        os.symlink(device.terminal, missing + ".new")
        os.replace(missing + ".new", missing)  # plugged in
        plugged_at = time.monotonic()
        device.wait_for_reader(5)
        self.assertLess(time.monotonic() - plugged_at, 3)
        frames = sh.plain_frames(1, 2)
        self.send_frames(device, frames)
        self.assertEqual(sh.record_numbers(monitor.wait_for_cycles(2)), [1, 2])
        self.assertEqual(self.quit_with(monitor, "x"), 55)
        # The reason is said once, however often the open is tried.
        self.assertEqual(monitor.errors.all(), [
            f"stillmon: cannot open {missing}: No such file or directory; trying again"])

    def test_a_user_refused_by_the_device_is_told_the_fix_once_and_the_run_goes_on(self):
        simulator = self.start_simulator()
        os.chmod(simulator.terminal, 0o660)  # open to the group of the device (tty) alone
        group = grp.getgrgid(os.stat(simulator.terminal).st_gid).gr_name
        as_user = ()
        if os.geteuid() == 0:  # root opens anything: run as nobody, who may write the logs
            os.chmod(self.dir, 0o777)
            as_user = ("setpriv", "--reuid=65534", "--regid=65534", "--clear-groups")
        monitor = sh.Monitor(None, self.dir, simulator.link, as_user=as_user)
        self.addCleanup(monitor.stop)
        monitor.output.wait_for("^Com 3 Port opened 2$")
        # Two refused re-opens, then the device lets the user in and the run reads it.
        sh.wait_for_lookups(simulator.link, 2)
        os.chmod(simulator.terminal, 0o666)
        monitor.wait_for_cycles(2)
        monitor.process.send_signal(signal.SIGTERM)
        self.assertEqual(monitor.exit_status(), 143)
        monitor.stop()
        self.assertEqual(monitor.errors.all(), [
            f"stillmon: no permission to open {simulator.link}; add yourself to the group "
            f"{group}: sudo usermod -aG {group} $USER, then log in again"])

    def test_a_second_monitor_on_the_same_port_and_logs_is_refused_both_and_runs_on(self):
        simulator = self.start_simulator()
        first = self.start_monitor(simulator.link)
        first.output.wait_for("^Com 3 Port opened 0$")
        first.wait_for_cycles(2)
        second = self.start_monitor(simulator.link)
        second.output.wait_for("^exe= ")
        self.assertEqual(second.output.all()[2], "Com 3 Port opened 2")
        harness.wait_until(lambda: len(second.errors.all()) == 3, 10, what="three messages")
        self.assertEqual(second.errors.all(), [
            f"stillmon: cannot open {simulator.link}: another program holds it; trying again"] + [
            f"stillmon: cannot open Run3.{kind}: another stillmon is logging to it; "
            "nothing will be logged to it" for kind in ("dat", "bin")])
        # Both windows are there and both programs keep running; the port and the logs stay
        # the first's, and hold one line and one record per frame, in order.
        harness.wait_until(
            lambda: len(self.x.run("xdotool", "search", "--name", "Graf on").split()) == 2,
            20, what="the second window")
        lines = first.wait_for_cycles(len(first.logged_lines()) + 3)
        self.assertIsNone(second.process.poll())
        self.assertEqual(simulator.events("^reader (attached|left)"), ["reader attached"])
        second.stop()
        first.stop()
        self.assertEqual(sh.record_numbers(lines), list(range(1, len(lines) + 1)))
        self.assertEqual(len(sh.split_binary_log(sh.read_bytes(first.binary_log))),
                         len(sh.read_text_log(first.text_log)))

    def test_logs_that_cannot_be_created_are_named_and_the_run_goes_on(self):
        device = self.start_device()
        monitor = self.start_monitor(device.link, log_name="missing/Run")
        device.wait_for_reader()
        self.assertEqual(self.quit_with(monitor, "x"), 55)
        self.assertEqual(monitor.errors.all(), [
            f"stillmon: cannot open missing/Run3.{kind}: No such file or directory; "
            "nothing will be logged to it" for kind in ("dat", "bin")])


class LiveLogs(LiveTestCase):
    def check_run_logs(self, lines, records, sent):
        """The lines and records one run logged for the frames it was sent, the frames it
        had not read yet at its end aside."""
        self.assertEqual(len(records), len(lines))
        self.assertLessEqual(len(lines), len(sent))
        for index, (line, data) in enumerate(zip(lines, sent)):
            prefix, number = sh.expected_text_log_prefix(sh.elements_from_frame(data))
            with self.subTest(cycle=index + 1):
                self.assertTrue(line.startswith(prefix), f"{line!r}\nwanted {prefix!r}...")
                self.assertRegex(line[len(prefix):], r"^[0-9]+\.[0-9]{3}, " + number + "$")
                self.assertEqual(len(line.split(",")), 13)
        expected_frames = sh.expected_logged_frames(sent[:len(records)])
        for index, ((number, frame), data, wanted) in enumerate(
                zip(records, sent, expected_frames)):
            with self.subTest(record=index + 1):
                self.assertEqual(number, str(sh.elements_from_frame(data)[18] & 0xFFFF))
                self.assertEqual(sh.elements_from_frame(frame), sh.elements_from_frame(wanted))

    def run_monitor(self, device, frames, cycles, quit_key):
        """One run: the device sends the frames until the monitor has logged `cycles` more
        lines and has been quit with the key. Returns the frames sent."""
        monitor = self.start_monitor(device.link)
        before = len(sh.read_text_log(monitor.text_log))
        device.sent.clear()
        device.wait_for_reader()
        monitor.window()
        device.keep_sending(frames, PERIOD_S)
        monitor.wait_for_cycles(before + cycles)
        self.assertEqual(self.quit_with(monitor, quit_key), 55)
        sent = device.stop_sending()
        self.assert_no_errors(monitor)
        return monitor, sent

    def test_logs_hold_what_the_device_sent_and_a_second_run_appends(self):
        device = self.start_device()
        first_run = sh.edge_case_frames()
        monitor, sent = self.run_monitor(device, first_run + sh.plain_frames(20, 100),
                                         len(first_run), "Escape")
        text_after_first = sh.read_bytes(monitor.text_log)
        binary_after_first = sh.read_bytes(monitor.binary_log)
        self.assertTrue(whole_lines(text_after_first))
        first_lines = sh.read_text_log(monitor.text_log)
        self.assertGreaterEqual(len(first_lines), len(first_run))
        self.check_run_logs(first_lines, sh.split_binary_log(binary_after_first), sent)
        # A few hand-checked facts of the edge cases, independent of the predictions.
        self.assertTrue(first_lines[0].startswith(
            ", Tank =100.0, 1 st =0.2, 2 st =0.0, Steam=0.0, TopHE=-1.2, Centr=78.5, "),
            first_lines[0])
        self.assertIn(", 14:30:45_7, ", first_lines[0])
        self.assertIn(", 14:30:45_12, ", first_lines[1])
        self.assertTrue(first_lines[3].endswith(", Num=65535"))
        self.assertTrue(binary_after_first.startswith(b"==7$$"))
        self.assertIn(b"==65535$$", binary_after_first)
        records = sh.split_binary_log(binary_after_first)
        # Valve 0x8012 decodes to 128 and enters the average one cycle later: 128 / 20 = 6.4.
        self.assertEqual([sh.elements_from_frame(f)[15] for _, f in records[:3]], [0, 6, 13])
        # Flow 3000 then 30000 over a window of 30: 100, then 1100.
        self.assertEqual([sh.elements_from_frame(f)[12] for _, f in records[:3]], [0, 100, 1100])

        monitor, sent = self.run_monitor(device, sh.plain_frames(100, 100), 4, "x")
        text = sh.read_bytes(monitor.text_log)
        binary = sh.read_bytes(monitor.binary_log)
        self.assertTrue(text.startswith(text_after_first))
        self.assertTrue(binary.startswith(binary_after_first))
        self.assertTrue(whole_lines(text))
        second_lines = sh.read_text_log(monitor.text_log)[len(first_lines):]
        self.assertGreaterEqual(len(second_lines), 4)
        # The second run starts its averages afresh.
        self.check_run_logs(second_lines,
                            sh.split_binary_log(binary[len(binary_after_first):]), sent)


    def test_a_shorter_record_line_or_valve_sample_leaves_no_tail(self):
        device = self.start_device()
        monitor = self.start_monitor(device.link)
        device.wait_for_reader()
        monitor.window()
        # The first cycle scrolls the window up a row; the second draws record 3178 and valve
        # sample 16, the third the shorter 317 and 0.
        frames = []
        for record, valve in ((5000, 16), (3178, 16), (317, 0)):
            elements = sh.elements_from_frame(sh.plain_frames(record, 1)[0])
            elements[15] = valve * 256
            frames.append(sh.frame_from_elements(elements))
        self.send_frames(device, frames)
        line = monitor.wait_for_cycles(3)[-1]
        self.assertTrue(line.endswith(", Num=317"), line)
        # The traces' first points run along the top pixel row: it is left out.
        window = monitor.window()
        harness.wait_until(
            lambda: not screen_text.text_mismatches(self.x.screenshot(window), 1, 23, line + " ",
                                                    15, skip_pixel_rows=(0,)),
            5, what="the record line of record 317 with nothing after it")
        sh.wait_for_screen_text(monitor, 3, 125, " 0 ", 13, timeout_s=5)
        self.assertEqual(self.quit_with(monitor, "x"), 55)


class LiveEnds(LiveTestCase):
    def start_run(self, frames):
        device = self.start_device()
        monitor = self.start_monitor(device.link)
        device.wait_for_reader()
        monitor.window()
        self.send_frames(device, frames)
        monitor.wait_for_cycles(len(frames))
        return device, monitor

    def assert_logs_are_whole(self, monitor, sent):
        text = sh.read_bytes(monitor.text_log)
        self.assertTrue(whole_lines(text), text[-80:])
        records = sh.split_binary_log(sh.read_bytes(monitor.binary_log))
        lines = sh.read_text_log(monitor.text_log)
        self.assertEqual(len(records), len(lines))
        self.assertIn(len(lines), (len(sent) - 1, len(sent)))
        for line, (number, frame), wanted in zip(lines, records,
                                                 sh.expected_logged_frames(sent)):
            self.assertEqual(frame, wanted)
            self.assertTrue(line.endswith(", Num=" + number))
        return len(lines)

    def test_sigterm_closes_the_logs_whole_and_exits_143(self):
        frames = sh.plain_frames(1, 4)
        device, monitor = self.start_run(frames[:3])
        # The signal lands about when the cycle takes in the frame just sent.
        time.sleep(0.45)
        device.send(frames[3])
        monitor.process.send_signal(signal.SIGTERM)
        self.assertEqual(monitor.exit_status(), 128 + signal.SIGTERM)
        self.assert_logs_are_whole(monitor, device.sent)
        self.assert_no_errors(monitor)

    def test_sigterm_while_waiting_for_a_frame(self):
        device, monitor = self.start_run(sh.plain_frames(1, 3))
        monitor.process.send_signal(signal.SIGTERM)
        self.assertEqual(monitor.exit_status(), 143)
        self.assertEqual(self.assert_logs_are_whole(monitor, device.sent), 3)

    def test_the_x_server_going_away_ends_with_status_1_and_whole_logs(self):
        device, monitor = self.start_run(sh.plain_frames(1, 3))
        self.x.process.kill()
        self.assertEqual(monitor.exit_status(), 1)
        self.assertEqual(self.assert_logs_are_whole(monitor, device.sent), 3)

    def test_kill_leaves_every_completed_cycle_in_both_logs(self):
        frames = sh.plain_frames(1, 4)
        device, monitor = self.start_run(frames)
        # Four lines are far below the stream buffers: only a commit per cycle gets them out.
        monitor.process.kill()
        self.assertEqual(monitor.exit_status(), -signal.SIGKILL)
        self.assertEqual(self.assert_logs_are_whole(monitor, device.sent), 4)

    def test_a_full_disk_leaves_whole_lines_and_its_freeing_is_reported(self):
        if os.geteuid() != 0:
            self.skipTest("mounting a small file system needs root")
        disk = os.path.join(self.dir, "disk")
        os.mkdir(disk)
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", disk], check=True)
        self.addCleanup(subprocess.run, ["umount", "-l", disk], check=False)
        filler = os.path.join(disk, "filler")
        fd = os.open(filler, os.O_WRONLY | os.O_CREAT)
        try:
            while os.write(fd, b"x" * 4096):
                pass
        except OSError:  # full
            pass
        os.close(fd)
        device = self.start_device()
        monitor = self.start_monitor(device.link, log_name="disk/Run")
        device.wait_for_reader()
        monitor.window()
        device.keep_sending(sh.plain_frames(1, 200), PERIOD_S)
        # A cycle writes the binary log first, then the text log: the disk is freed only
        # once both have met it full.
        monitor.errors.wait_for("cannot write disk/Run3.dat")
        os.remove(filler)
        monitor.errors.wait_for("writing disk/Run3.dat again")
        monitor.wait_for_cycles(3)
        self.assertEqual(self.quit_with(monitor, "x"), 55)
        device.stop_sending()
        errors = monitor.errors.all()
        self.assertIn("stillmon: cannot write disk/Run3.dat: No space left on device", errors)
        self.assertIn("stillmon: writing disk/Run3.dat again", errors)
        text = sh.read_bytes(monitor.text_log)
        self.assertTrue(whole_lines(text), text[-80:])
        numbers = sh.record_numbers(sh.read_text_log(monitor.text_log))
        self.assertEqual(numbers, sorted(set(numbers)))
        records = sh.split_binary_log(sh.read_bytes(monitor.binary_log))
        self.assertTrue(all(len(frame) == 38 for _, frame in records))
        self.assertEqual([int(number) for number, _ in records],
                         sorted({int(number) for number, _ in records}))


class LiveKeys(LiveTestCase):
    def test_keys_change_parameters_enter_proof_send_commands_and_quit(self):
        simulator = self.start_simulator()
        monitor = self.start_monitor(simulator.link)
        window = monitor.window()
        self.x.focus(window)
        monitor.wait_for_cycles(2)
        # From the second cycle on the parameters stand at their places (large window).
        for column, colour, text in ((130, 13, " 20 "), (135, 10, " 30 "), (140, 12, " 97 "),
                                     (145, 11, " 117 ")):
            sh.wait_for_screen_text(monitor, 2, column, text, colour, timeout_s=5)
        # The timing line is blank in good cycles.
        sh.wait_for_screen_text(monitor, 28, 30, " " * 17, 14, timeout_s=5)

        self.x.send_keys(window, "q", "p", "t", "u")
        for column, colour, text in ((130, 13, " 21 "), (135, 10, " 29 "), (140, 12, " 98 "),
                                     (145, 11, " 118 ")):
            sh.wait_for_screen_text(monitor, 2, column, text, colour, timeout_s=10)

        self.x.send_keys(window, "4", "5", "period", "5")
        # The entry shows from the next cycle on, in the colours the last label left.
        sh.wait_for_screen_text(monitor, 30, 50, "45.5" + " " * 9, 14, timeout_s=10)
        entered_at = len(monitor.logged_lines())
        self.x.send_keys(window, "Return")
        sh.wait_for_screen_text(monitor, 30, 50, " " * 13, 14, timeout_s=10)
        lines = monitor.wait_for_cycles(len(monitor.logged_lines()) + 2)
        self.assertTrue(all(", Proof= 0.0, " in line for line in lines[:entered_at]))
        self.assertIn(", Proof= 45.5, ", lines[-1])
        changed = next(i for i, line in enumerate(lines) if ", Proof= 45.5, " in line)
        self.assertTrue(all(", Proof= 45.5, " in line for line in lines[changed:]))

        self.x.send_keys(window, "d", "f", "g", "h", "j", "k", "l")
        simulator.wait_for(r" command 106: ")
        commands = [int(m.group(1)) for m in
                    (re.match(r"command (\d+):", e) for e in simulator.events("^command "))]
        self.assertEqual(commands, [100, 101, 102, 103, 104, 105, 106])

        self.assertEqual(self.quit_with(monitor, "x"), 55)
        text = sh.read_bytes(monitor.text_log)
        self.assertTrue(whole_lines(text))
        self.assertEqual(len(sh.split_binary_log(sh.read_bytes(monitor.binary_log))),
                         len(sh.read_text_log(monitor.text_log)))
        self.assert_no_errors(monitor)

    def test_a_command_key_reaches_the_device_within_100_ms(self):
        device = self.start_device()
        monitor = self.start_monitor(device.link)
        window = monitor.window()
        self.x.focus(window)
        device.keep_sending(sh.plain_frames(1, 100), PERIOD_S)
        monitor.wait_for_cycles(2)
        for count in range(1, 5):
            self.x.send_keys(window, "d")
            harness.wait_until(lambda: len(device.take_received()) == count, 0.1, 0.001,
                               what="the command byte within 100 ms of the key")
            time.sleep(0.3)
        self.assertEqual(self.quit_with(monitor, "x"), 55)


class LiveTiming(LiveTestCase):
    def test_slow_frames_are_counted_on_screen_and_a_good_one_clears_the_count(self):
        device = self.start_device()
        monitor = self.start_monitor(device.link)
        device.wait_for_reader()
        monitor.window()
        frames = sh.plain_frames(1, 7)
        # The first interval counts from the start; whether it was an error sets the base.
        device.send(frames[0])
        first_interval = float(monitor.wait_for_cycles(1)[0].split(", ")[-2])
        read_at = time.monotonic()
        base = 0 if 0.71 <= first_interval <= 0.99 else 1

        def send_after(data, seconds):
            time.sleep(max(0.0, read_at + seconds - time.monotonic()))
            device.send(data)

        # Then about 1.45 s after each read: every interval is an error. The count shows in
        # the last label's colour until the next frame is in.
        for cycle, data in enumerate(frames[1:6], start=2):
            send_after(data, 1.45)
            monitor.wait_for_cycles(cycle)
            read_at = time.monotonic()
            if cycle <= 5:
                count = base + cycle - 1
                try:
                    sh.wait_for_screen_text(monitor, 28, 30, f"Time Error= {count}   ", 14,
                                            timeout_s=1.2)
                except harness.HarnessError as error:
                    self.fail(f"{error}\nlogged: {monitor.logged_lines()}")
        # One frame on time clears the line with blanks.
        send_after(frames[6], PERIOD_S)
        monitor.wait_for_cycles(7)
        sh.wait_for_screen_text(monitor, 28, 30, " " * 17, 14, timeout_s=2)
        intervals = [float(line.split(", ")[-2]) for line in monitor.logged_lines()]
        self.assertTrue(all(i > 0.99 for i in intervals[1:6]), intervals)
        self.assertTrue(0.71 <= intervals[6] <= 0.99, intervals)
        self.assertEqual(self.quit_with(monitor, "x"), 55)
        self.assert_no_errors(monitor)

    def test_simulator_period_of_1_2_s_counts_every_cycle(self):
        simulator = self.start_simulator("--period", "1.2", "--jitter", "0")
        monitor = self.start_monitor(simulator.link)
        monitor.wait_for_cycles(3, timeout_s=15)
        sh.wait_for_screen_text(monitor, 28, 30, "Time Error= 4   ", 14, timeout_s=5)
        self.assertEqual(self.quit_with(monitor, "x"), 55)


class LiveStall(LiveTestCase):
    def test_a_silent_device_gets_its_link_reopened_and_the_cycle_goes_on(self):
        simulator = self.start_simulator("--verbose", "--stall-after", "3", "--stall-for", "4.5")
        monitor = self.start_monitor(simulator.link)
        simulator.wait_for("stall: silent for")
        stalled_at = time.monotonic()
        simulator.wait_for(r"frame 4 \(record 4\) (sent|discarded)", timeout_s=10)
        lines = monitor.wait_for_cycles(len(monitor.logged_lines()) + 2)
        # The supervisor closed and re-opened the port while the device was silent; each
        # re-open comes half a second after its close.
        events = simulator.events("^reader (attached|left)")
        self.assertGreaterEqual(events.count("reader left"), 2, events)
        self.assertEqual(events[:3], ["reader attached", "reader left", "reader attached"])
        stamps = [line.split(" ", 1) for line in simulator.program.output.all()[1:]]
        times = [(self.seconds_of(t), e) for t, e in stamps if e.startswith("reader ")]
        for (left, what_left), (back, what_back) in zip(times[1:], times[2:]):
            if what_left == "reader left":
                self.assertEqual(what_back, "reader attached")
                self.assertTrue(0.45 <= back - left <= 1.5, times)
        # Reading goes on with the frames that came after the stall.
        numbers = sh.record_numbers(lines)
        self.assertEqual(numbers[:3], [1, 2, 3])
        self.assertGreater(numbers[-1], 4)
        self.assertLess(time.monotonic() - stalled_at, 20)
        self.assertEqual(self.quit_with(monitor, "x"), 55)
        self.assert_no_errors(monitor)

    @staticmethod
    def seconds_of(clock_text):
        hours, minutes, seconds = clock_text.split(":")
        return 3600 * int(hours) + 60 * int(minutes) + float(seconds)


class ReaderWatch:
    """Notes when the monitor opens the device's port, from the device's side."""

    def __init__(self, device):
        self.opened_at = []
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._watch, args=(device,), daemon=True)
        self._thread.start()

    def _watch(self, device):
        attached = device.reader_attached()
        while not self._stop.wait(0.005):
            now_attached = device.reader_attached()
            if now_attached and not attached:
                self.opened_at.append(time.monotonic())
            attached = now_attached

    def stop(self):
        self._stop.set()
        self._thread.join(5)
        return self.opened_at


class LiveHonestLogs(LiveTestCase):
    def test_silences_an_unplugged_device_and_a_lost_byte_leave_every_whole_frame_once(self):
        frames = iter(sh.plain_frames(1, 40))
        whole = []

        def send_whole(device, count):
            batch = [next(frames) for _ in range(count)]
            self.send_frames(device, batch)
            whole.extend(batch)

        device = self.start_device()
        monitor = self.start_monitor(device.link)
        device.wait_for_reader()
        monitor.window()
        time.sleep(4)  # the device stays silent after the start
        send_whole(device, 10)
        watch = ReaderWatch(device)
        time.sleep(6)  # silent again: the monitor keeps re-opening the port
        reopens = watch.stop()
        send_whole(device, 5)
        monitor.wait_for_cycles(len(whole))
        device.close()  # unplugged
        time.sleep(3)
        device = self.start_device()  # a new terminal behind the same name
        plugged_at = time.monotonic()
        device.wait_for_reader(5)
        opened_after_s = time.monotonic() - plugged_at
        time.sleep(PERIOD_S)
        send_whole(device, 5)
        time.sleep(PERIOD_S)
        device.send(next(frames)[1:])  # a frame that lost its first byte
        time.sleep(PERIOD_S)
        send_whole(device, 5)
        monitor.wait_for_cycles(len(whole))
        self.assertEqual(self.quit_with(monitor, "x"), 55)

        lines = sh.read_text_log(monitor.text_log)
        self.assertEqual(sh.record_numbers(lines),
                         [sh.elements_from_frame(f)[18] for f in whole])
        records = sh.split_binary_log(sh.read_bytes(monitor.binary_log))
        self.assertEqual([frame for _, frame in records], sh.expected_logged_frames(whole))
        gaps = [later - earlier for earlier, later in zip(reopens, reopens[1:])]
        self.assertGreaterEqual(len(gaps), 4, reopens)
        self.assertTrue(all(0.45 <= gap <= 0.9 for gap in gaps), gaps)
        self.assertLessEqual(opened_after_s, 1.5)


if __name__ == "__main__":
    unittest.main()
