"""End-to-end tests of the Windows build (stillmon.exe) under Wine, held against the Linux
build: the same logs from the same frames and keys (the measured interval aside), the same
replay screens in both window sizes, and the Windows endings (Ctrl+C, no window).

Program paths come in STILLMON_EXE (the Windows build), STILLMON (the Linux build, the
reference) and STILLSIM. Wine does not hold a serial port for one program alone, so the Linux
tests' check of a second monitor refused by the port has no counterpart here.
"""

import os
import re
import shutil
import signal
import tempfile
import unittest

import harness
import screen_text
import stillmon_harness as sh
import text_log
import wine

QUIT_STATUS = 55
PROMPT = "Repeat ? "
PROMPT_COLOUR = 14  # the last chart label's, which the prompt goes on in
SMALL_MACHINE = os.environ.get("STILLMON_SMALL_SCREEN_NAME", "STILLMON-SMALL")
SMALL_SIZE = (1024, 768)
WINE_START_S = 60  # a first Wine program in a prefix takes its time
TEMPLATE = {}


def setUpModule():
    TEMPLATE["directory"] = tempfile.mkdtemp(prefix="stillmon-wine-")
    TEMPLATE["path"] = wine.make_prefix_template(TEMPLATE["directory"])


def tearDownModule():
    shutil.rmtree(TEMPLATE.pop("directory"), ignore_errors=True)


class WineTestCase(sh.ProgramTestCase):
    def setUp(self):
        super().setUp()
        if not wine.STILLMON_EXE or not os.path.isfile(wine.STILLMON_EXE):
            self.fail(f"STILLMON_EXE must name the Windows build (is: {wine.STILLMON_EXE!r})")

    def wine_prefix(self, computer_name=wine.DEFAULT_COMPUTER_NAME):
        prefix = wine.WinePrefix(TEMPLATE["path"], self.dir, computer_name)
        self.addCleanup(prefix.close)
        return prefix

    def folder(self, name):
        path = os.path.join(self.dir, name)
        os.makedirs(path, exist_ok=True)
        return path


# --- The same run on both builds ---------------------------------------------------------

def deliver(device, monitor, frame):
    """Sends one frame and waits until it is logged. A frame sent while the monitor closes
    the port to re-open it is lost on the way; it is sent again then."""
    logged = len(monitor.logged_lines())
    for _ in range(5):
        device.send(frame)
        try:
            return monitor.wait_for_cycles(logged + 1, timeout_s=2.5)
        except harness.HarnessError:
            continue
    raise harness.HarnessError(f"frame {sh.elements_from_frame(frame)[18]} never logged")


def scripted_run(x, monitor, device, window):
    """Frames one by one, each sent once the one before is logged; between two of them the
    operator widens both averages, enters a proof value, sends a command and uses the window's
    close control; then x. Returns the exit status."""
    frames = sh.edge_case_frames() + sh.plain_frames(20, 6)
    for frame in frames[:6]:
        deliver(device, monitor, frame)
    x.send_keys(window, "q", "q", "o", "4", "5", "period", "5", "Return", "d", as_keyboard=True)
    # The supervisor takes the keys in order: once command 100 arrives, all of them are done.
    harness.wait_until(lambda: device.take_received() == bytes([100]), 10,
                       what="command 100 after the keys")
    x.request_close(window)
    for frame in frames[6:]:
        deliver(device, monitor, frame)
    # The close control is a key with no command: the entry text shows it (as bytes FF 6B).
    sh.wait_for_screen_text(monitor, 30, 50, "\xffk ", 14, timeout_s=10)
    x.send_keys(window, "x", check=False, as_keyboard=True)
    return monitor.exit_status(20)


def without_intervals(text_log_bytes):
    return re.sub(rb", [0-9]+\.[0-9]{3}, Num=", b", _, Num=", text_log_bytes)


class WineLive(WineTestCase):
    def start_run(self, build, directory):
        """The device played by the test, and stillmon on its port 1: the Linux build, or
        stillmon.exe with COM1 mapped to the device's terminal. Returns both and the window."""
        device = sh.FakeDevice(directory)
        self.addCleanup(device.close)
        prefix = self.wine_prefix() if build == "windows" else None
        if prefix:
            prefix.map_serial_port(1, device.terminal)
        monitor = sh.Monitor(self.x, directory, None if prefix else device.link, port="1",
                             launcher=prefix)
        self.addCleanup(monitor.stop)
        device.wait_for_reader(WINE_START_S)
        return device, monitor, monitor.window(WINE_START_S)

    def test_logs_match_the_linux_build_for_the_same_frames_and_keys(self):
        logs = {}
        for build in ("linux", "windows"):
            device, monitor, window = self.start_run(build, self.folder(build))
            self.assertEqual(scripted_run(self.x, monitor, device, window), QUIT_STATUS, build)
            logs[build] = (without_intervals(sh.read_bytes(monitor.text_log)),
                           sh.read_bytes(monitor.binary_log))
        lines = monitor.logged_lines()
        self.assertEqual(len(lines), 14)
        self.assertIn(", Proof= 45.5, ", lines[-1])
        self.assertEqual(logs["windows"], logs["linux"])

    def test_a_silent_device_gets_its_port_reopened_and_ctrl_c_ends_the_run_with_130(self):
        device, monitor, _ = self.start_run("windows", self.dir)
        for frame in sh.plain_frames(1, 2):
            deliver(device, monitor, frame)
        # Closing COM1 releases the read waiting on it; the port is opened again.
        harness.wait_until(lambda: not device.reader_attached(), 10, what="COM1 closed")
        device.wait_for_reader(10)
        for frame in sh.plain_frames(3, 2):
            deliver(device, monitor, frame)
        # Wine hands SIGINT to the program as the console's Ctrl+C.
        monitor.process.send_signal(signal.SIGINT)
        self.assertEqual(monitor.exit_status(20), 130)
        numbers = [line.rsplit("=", 1)[1] for line in monitor.logged_lines()]
        self.assertEqual(numbers, ["1", "2", "3", "4"])
        self.assertTrue(sh.read_bytes(monitor.text_log).endswith(b"\r\n"))
        self.assertEqual(len(sh.split_binary_log(sh.read_bytes(monitor.binary_log))), 4)

    def test_without_a_window_it_says_so_and_exits_1(self):
        prefix = self.wine_prefix()
        program = harness.Program(prefix.command(["1", "Run"]),
                                  env=prefix.env(harness.environment_without_display()),
                                  cwd=self.dir)
        self.addCleanup(program.stop)
        self.assertEqual(program.wait(WINE_START_S), 1)
        program.errors.wait_for(r"^stillmon: cannot open the chart window \(.+\)$")


# --- Replay screens --------------------------------------------------------------------------

def prompt_shown(x, window, rows):
    region = screen_text.screenshot_region(x, window, (1, rows), (1, len(PROMPT)))
    return region.rows_with_text(1, PROMPT, PROMPT_COLOUR, {0})


class WineReplayScreens(WineTestCase):
    def check_screens(self, computer_name, size, answer, status):
        log = text_log.generated_log(400, 1, seed=7)
        shown = {}
        for build in ("linux", "windows"):
            directory = self.folder(build)
            with open(os.path.join(directory, "run.dat"), "w", encoding="latin-1") as f:
                f.write(log)
            x = self.x if build == "linux" else harness.Xvfb()
            self.addCleanup(x.close)
            env = x.env()
            env.pop("COMPUTERNAME", None)
            if computer_name:
                env["COMPUTERNAME"] = computer_name
            command = [sh.STILLMON, "0", "run"]
            if build == "windows":
                prefix = self.wine_prefix(computer_name or wine.DEFAULT_COMPUTER_NAME)
                command, env = prefix.command(["0", "run"]), prefix.env(env)
            program = harness.Program(command, env=env, cwd=directory)
            self.addCleanup(program.stop)
            window = x.find_window("Graf on", WINE_START_S)
            self.assertEqual(x.window_size(window), size)
            harness.wait_until(lambda: prompt_shown(x, window, size[1] // 16), 60,
                               interval_s=0.2, what=f"the {build} build's prompt")
            shown[build] = x.screenshot(window)
            x.send_keys(window, answer, check=False, as_keyboard=True)
            self.assertEqual(program.wait(20), status, build)
        count, first = shown["windows"].differences(shown["linux"])
        self.assertEqual(count, 0, f"{count} pixels differ, first: {first}")

    def test_f12_saves_the_window_as_a_png_file(self):
        with open(os.path.join(self.dir, "long.dat"), "w", encoding="latin-1") as f:
            f.write(text_log.generated_log(20000, 1, seed=3))
        prefix = self.wine_prefix()
        program = harness.Program(prefix.command(["0", "long"]), env=prefix.env(self.x.env()),
                                  cwd=self.dir)
        self.addCleanup(program.stop)
        window = self.x.find_window("Graf on", WINE_START_S)
        # 10 ms a record, then paused: the window holds still for the comparison.
        self.x.send_keys(window, "e", "space", "F12", as_keyboard=True)
        name = program.output.wait_for(r"^Snapshot saved: (stillmon-\d{8}-\d{6}\.png)$").group(1)
        snapshot = harness.read_png(os.path.join(self.dir, name))
        harness.wait_until(lambda: self.x.screenshot(window).differences(snapshot)[0] == 0, 10,
                           interval_s=0.2, what="the window to show the snapshot's picture")
        self.x.send_keys(window, "x", check=False, as_keyboard=True)
        self.assertEqual(program.wait(20), QUIT_STATUS)

    def test_large_window_matches_the_linux_build(self):
        self.check_screens(None, (1280, 1024), "Return", 0)

    def test_small_machine_window_matches_the_linux_build(self):
        self.check_screens(SMALL_MACHINE, SMALL_SIZE, "Escape", QUIT_STATUS)


if __name__ == "__main__":
    unittest.main()
