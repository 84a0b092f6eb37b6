"""Helpers for end-to-end runs of stillmon itself in live mode: the device played by the
simulator or by the test, the program under a virtual X server, the text on its window read
back through Unifont's glyphs, and the two logs parsed and predicted from the frames sent.

Program paths come in the environment: STILLMON (the monitor) and STILLSIM (the simulator).
"""

import fractions
import re
import math
import os
import select
import struct
import subprocess
import termios
import threading
import time
import tty

import harness
import screen_text
import text_log

STILLMON = os.environ.get("STILLMON", "")
STILLSIM = os.environ.get("STILLSIM", "")

# Without a served page the title names the installed documentation.
LIVE_TITLE = "USB CDC USART out to Graf on file:///usr/share/doc/stillmon/README.md"

FRAME_BYTES = 38
DEFAULT_VALVE_WINDOW = 20
DEFAULT_FLOW_WINDOW = 30
FLOW = 12
VALVE = 15


def require_programs(test):
    for name, path in (("STILLMON", STILLMON), ("STILLSIM", STILLSIM)):
        if not path or not os.access(path, os.X_OK):
            test.fail(f"{name} must name the built program (is: {path!r})")


class ProgramTestCase(harness.EndToEndTest):
    """A test of the real programs, with a folder of its own (self.dir) and a virtual X server
    (self.x), both gone after the test."""

    def setUp(self):
        require_programs(self)
        self.directory = harness.temporary_directory()
        self.addCleanup(self.directory.cleanup)
        self.dir = self.directory.name
        self.x = harness.Xvfb()
        self.addCleanup(self.x.close)


# --- The device ----------------------------------------------------------------------------

class Simulator:
    """stillsim on a pseudo-terminal of its own, reachable through a symbolic link in
    `directory`. Its report lines (commands received, readers coming and going, faults) are
    collected."""

    def __init__(self, directory, *options, link_name="com3"):
        self.link = os.path.join(directory, link_name)
        self.program = harness.Program([STILLSIM, "--link", self.link, *options], cwd=directory)
        self.terminal = self.program.output.wait_for(r"^(/dev/\S+)$").group(1)
        harness.wait_until(lambda: os.path.islink(self.link), 10, what="the simulator's link")

    def events(self, pattern=None):
        """Report lines after the terminal's path, without their time stamps; those matching
        the regular expression when one is given."""
        lines = [line.split(" ", 1)[1] for line in self.program.output.all()[1:] if " " in line]
        return [line for line in lines if pattern is None or re.search(pattern, line)]

    def wait_for(self, pattern, timeout_s=20):
        return self.program.output.wait_for(pattern, timeout_s)

    def stop(self):
        self.program.stop()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def _make_raw(fd):
    tty.setraw(fd)
    modes = termios.tcgetattr(fd)
    modes[4] = modes[5] = termios.B115200
    termios.tcsetattr(fd, termios.TCSANOW, modes)


class FakeDevice:
    """The test plays the device itself on a pseudo-terminal it opens, so it knows every byte
    it sent. As a USB CDC device does, it writes only while a reader holds the port open."""

    def __init__(self, directory, link_name="com3"):
        self.master, slave = os.openpty()
        _make_raw(slave)
        self.terminal = os.ttyname(slave)
        # With the slave closed, the master reports a hang-up until a reader opens the slave.
        os.close(slave)
        os.set_blocking(self.master, False)
        self.link = os.path.join(directory, link_name)
        os.symlink(self.terminal, self.link)
        self.sent = []        # every frame written, as bytes
        self.received = bytearray()
        self._sender = None
        self._stop = threading.Event()

    def reader_attached(self):
        poller = select.poll()
        poller.register(self.master, 0)
        return not any(events & (select.POLLHUP | select.POLLERR)
                       for _, events in poller.poll(0))

    def wait_for_reader(self, timeout_s=20):
        harness.wait_until(self.reader_attached, timeout_s, what="the monitor to open the port")

    def send(self, data):
        """Writes one frame whole; waits for a reader first if the port is closed just now
        (the monitor re-opens it when frames have been away too long)."""
        self.wait_for_reader(5)
        view = memoryview(bytes(data))
        deadline = time.monotonic() + 5
        while view:
            try:
                written = os.write(self.master, view)
            except BlockingIOError:
                written = 0
            view = view[written:]
            if view:
                if time.monotonic() > deadline:
                    raise harness.HarnessError("the reader does not take the frame")
                time.sleep(0.005)
        self.sent.append(bytes(data))

    def keep_sending(self, frames, period_s):
        """Sends the frames one per period from a thread of its own until stop_sending(), as
        a device does: the monitor never finds it silent, however long a test takes between
        steps. While no reader holds the port the frame waits."""
        self._stop = threading.Event()

        def run():
            due = time.monotonic()
            for data in frames:
                while not self.reader_attached():
                    if self._stop.wait(0.02):
                        return
                if self._stop.is_set():
                    return
                try:
                    self.send(data)
                except harness.HarnessError:
                    return
                due = max(due + period_s, time.monotonic())
                if self._stop.wait(max(0.0, due - time.monotonic())):
                    return

        self._sender = threading.Thread(target=run, daemon=True)
        self._sender.start()

    def stop_sending(self):
        """Stops the sending thread; returns the frames sent so far."""
        if self._sender is not None:
            self._stop.set()
            self._sender.join(10)
            self._sender = None
        return list(self.sent)

    def take_received(self):
        while True:
            try:
                chunk = os.read(self.master, 256)
            except (BlockingIOError, OSError):
                break
            if not chunk:
                break
            self.received += chunk
        return bytes(self.received)

    def close(self):
        self.stop_sending()
        if self.master >= 0:
            os.close(self.master)
            self.master = -1
        if os.path.islink(self.link):
            os.unlink(self.link)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class SilentDevice(FakeDevice):
    """A port whose device never sends anything."""


def frame_from_elements(elements):
    if len(elements) != 19:
        raise harness.HarnessError("a frame has 19 elements")
    return struct.pack("<19h", *(e if e < 32768 else e - 65536 for e in elements))


def elements_from_frame(data):
    return list(struct.unpack("<19h", data))


# Frames with the awkward values a device can send: negative and tiny temperatures, valve
# words with any high byte, a large flow, the highest record number, device clocks whose
# bytes need zero fill or none.
def edge_case_frames():
    rows = [
        # tank, 1st, 2nd, steam, topHE, centr, botHE, outW, 8..11, flow, vol, targt, valve,
        # w16, w17, record
        (0x0640, 4, 1, -1, -20, 1256, 0, 7, -4, 327, 0, -32768, 3000, 12, 800, 0x8012,
         0x2D07, 0x0E1E, 7),
        (1250, 1500, 1400, 1560, 400, 410, 390, 300, 100, 200, 300, 400, 30000, 25, 810, 0x7FFF,
         0x2D0C, 0x0E1E, 8),
        (-1, 32767, -32768, 1248, 401, 411, 391, 301, 0, 0, 0, 0, -200, 26, 820, 0xFFFF,
         0x3B00, 0x173B, 9),
        (1255, 1501, 1401, 1561, 402, 412, 392, 302, 1, 1, 1, 1, 17, 27, 830, 0x0000,
         0x0001, 0x0000, 0xFFFF),
        (1256, 1502, 1402, 1562, 403, 413, 393, 303, 2, 2, 2, 2, 1234, 28, 840, 0x60FF,
         0xFFFF, 0x8000, 0),
        (1257, 1503, 1403, 1563, 404, 414, 394, 304, 3, 3, 3, 3, 1235, 29, 850, 0x6101,
         0x1E2D, 0x0C0F, 12),
        (1258, 1504, 1404, 1564, 405, 415, 395, 305, 4, 4, 4, 4, 1236, 30, 860, 0x62AA,
         0x1F2D, 0x0C0F, 13),
        (1259, 1505, 1405, 1565, 406, 416, 396, 306, 5, 5, 5, 5, 1237, 31, 870, 0x6355,
         0x202D, 0x0C0F, 14),
    ]
    return [frame_from_elements(row) for row in rows]


def plain_frames(first_record, count):
    frames = []
    for i in range(count):
        record = first_record + i
        frames.append(frame_from_elements(
            (1260 + i, 1510, 1410, 1570, 410, 420, 400, 310, 6, 6, 6, 6, 1300 + 50 * i, 40,
             900, (100 + 7 * i) % 256 * 256 + 0x5A, 0x2100 + i, 0x0D05, record)))
    return frames


# --- The monitor ---------------------------------------------------------------------------

class Monitor(harness.Program):
    """stillmon in live mode on port `port` of the device at `device_path`: in a window on
    the X server `x`, or without one when `x` is None; run by the command prefix `as_user`
    when given; `options` go before the positional arguments, `environment` adds variables. A `launcher` (such as Wine)
    runs another build of it instead: its command(arguments) and env(environment) give the
    command line and environment, and the port is its own to map (`device_path` None)."""

    def __init__(self, x, directory, device_path, port="3", log_name="Run", as_user=(),
                 options=(), launcher=None, stdin=subprocess.DEVNULL, environment=None):
        device = {f"STILLMON_COM{port}": device_path} if device_path else {}
        device.update(environment or {})
        env = x.env(**device) if x else harness.environment_without_display(**device)
        env.pop("COMPUTERNAME", None)
        arguments = [*options, port, log_name]
        argv = [*as_user, STILLMON, *arguments]
        if launcher is not None:
            argv, env = launcher.command(arguments), launcher.env(env)
        super().__init__(argv, env=env, cwd=directory, stdin=stdin)
        self.x = x
        self.directory = directory
        base = log_name if 2 <= len(log_name) <= 18 else "Debug_"
        self.text_log = os.path.join(directory, base + port + ".dat")
        self.binary_log = os.path.join(directory, base + port + ".bin")

    def window(self, timeout_s=20):
        return self.x.find_window("Graf on", timeout_s)

    def logged_lines(self):
        return read_text_log(self.text_log)

    def wait_for_cycles(self, count, timeout_s=30):
        """Waits until the text log holds `count` lines (each written at a cycle's end)."""
        harness.wait_until(lambda: len(self.logged_lines()) >= count, timeout_s,
                           what=f"{count} logged cycles")
        return self.logged_lines()

    def exit_status(self, timeout_s=10):
        return self.wait(timeout_s)


def wait_for_lookups(link, count, timeout_s=20):
    """Waits until `count` more opens have gone through the symbolic link, refused or not:
    each lookup that follows the link stamps its access time when that is no newer than its
    change, as it is set here (a file system mounted noatime never stamps it)."""
    for _ in range(count):
        os.utime(link, (0, 0), follow_symlinks=False)
        harness.wait_until(lambda: os.lstat(link).st_atime > 0, timeout_s,
                           what=f"an open through {link}")


def start_monitor(x, directory, device_path, **options):
    return Monitor(x, directory, device_path, **options)


# --- Logs ------------------------------------------------------------------------------------

def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return b""


def record_numbers(lines):
    """The record numbers (Num=) of text-log lines."""
    return [int(line.rsplit("Num=", 1)[1]) for line in lines]


def read_text_log(path):
    """Complete lines (those ending CR LF), decoded, without their line ends."""
    data = read_bytes(path)
    end = data.rfind(b"\r\n")
    if end < 0:
        return []
    return data[:end].decode("ascii").split("\r\n")


def split_binary_log(data, growing=False):
    """The records of a binary log as (record number text, 38 frame bytes); raises when the
    data is not a sequence of whole records. A log still `growing` may end in part of one,
    which is left out."""
    records = []
    at = 0
    while at < len(data):
        if data[at:at + 2] != b"==":
            raise harness.HarnessError(f"no record marker at byte {at}")
        end = data.find(b"$$", at + 2, at + 9)  # at most five digits
        if end < 0 and growing and len(data) < at + 9:
            break
        if end < 0:
            raise harness.HarnessError(f"no end of the record number after byte {at}")
        number = data[at + 2:end].decode("ascii")
        frame = data[end + 2:end + 2 + FRAME_BYTES]
        if len(frame) != FRAME_BYTES and growing:
            break
        if len(frame) != FRAME_BYTES:
            raise harness.HarnessError(f"the record at byte {at} is cut short")
        records.append((number, frame))
        at = end + 2 + FRAME_BYTES
    return records


# The names of a cycle's record as the page's API and the MQTT state give it.
RECORD_KEYS = {"index", "record", "device_time", "interval", "temperatures", "proof",
               "liquid_strength", "vapour_strength", "whole_stages", "stages", "valve", "flow",
               "reflux_ratio", "timing_errors"}


def logged(line):
    """A text-log line's values: record number, device time, interval, channels 0-7, proof."""
    fields = text_log.split_fields(line)
    return {"record": int(fields[12][4:]), "device_time": fields[10],
            "interval": float(fields[11]), "proof": text_log.read_number(fields[9][6:]),
            "temperatures": [f[6:] for f in fields[1:9]]}


class RecordChecks:
    """Assertions of a test case on records published as JSON against the text log."""

    def assert_record_matches_line(self, record, line):
        self.assertEqual(set(record), RECORD_KEYS)
        values = logged(line)
        for key in ("record", "device_time", "proof"):
            self.assertEqual(record[key], values[key], key)
        self.assertAlmostEqual(record["interval"], values["interval"], delta=0.0005)
        self.assert_temperatures_logged(record["temperatures"], values["temperatures"])

    def assert_temperatures_logged(self, exact, logged_texts):
        """Exact values (sixteenths of a degree) are written to the log with one decimal."""
        self.assertEqual([text_log.format_number(t, "0.0") for t in exact], logged_texts)


def expected_text_log_prefix(elements, proof_text="0.0"):
    """A text-log line up to and including the device time stamp, and its record number
    item: what a frame with these received elements must give."""
    number = text_log.format_number
    w16, w17 = elements[16], elements[17]
    time_text = (f"{number(w17 // 256, '00')}:{number(w17 % 256, '00')}:"
                 f"{number(w16 // 256, '00')}_{number(w16 % 256, '0')}")
    return text_log.channel_line_1(elements[:8]) + f"Proof= {proof_text}, " + time_text + ", ", \
        f"Num={elements[18] & 0xFFFF}"


class MovingAverage:
    """The monitor's moving average over a window: entries 1..L of the newest-first history,
    so a sample enters the average from the next cycle on; floor(sum / L + 1/2)."""

    def __init__(self, window):
        self.window = window
        self.history = [0] * 258

    def add(self, sample):
        self.history = [sample] + self.history[:-1]
        total = sum(self.history[1:self.window + 1])
        return math.floor(fractions.Fraction(total, self.window) + fractions.Fraction(1, 2))


def decoded_valve(received):
    value = received // 256  # floor, as the element is signed
    return value + 256 if value < 0 else value


def expected_logged_frames(sent_frames, valve_window=DEFAULT_VALVE_WINDOW,
                           flow_window=DEFAULT_FLOW_WINDOW):
    """The frame bytes the binary log must hold for frames received in this order in one
    run: element 15 decoded and averaged, element 12 averaged, the others as received."""
    valve = MovingAverage(valve_window)
    flow = MovingAverage(flow_window)
    logged = []
    for data in sent_frames:
        elements = elements_from_frame(data)
        elements[VALVE] = valve.add(decoded_valve(elements[VALVE]))
        elements[FLOW] = flow.add(elements[FLOW])
        logged.append(frame_from_elements(elements))
    return logged


# --- Text on the window ----------------------------------------------------------------------

def wait_for_screen_text(monitor, row, column, text, foreground, timeout_s=20):
    """Waits until the window shows `text` at (row, column) in the foreground colour on
    colour 0; returns the screenshot. On time-out the error says what the cells showed."""
    window = monitor.window()
    last = {}

    def shows_text():
        image = monitor.x.screenshot(window)
        if not screen_text.text_mismatches(image, row, column, text, foreground):
            return image
        last["seen"] = screen_text.read_text(image, row, column, len(text), foreground)
        return None

    try:
        return harness.wait_until(shows_text, timeout_s, interval_s=0.2,
                                  what=f"{text!r} at row {row}, column {column}")
    except harness.HarnessError as error:
        raise harness.HarnessError(f"{error}; the cells showed {last.get('seen')!r}") from None
