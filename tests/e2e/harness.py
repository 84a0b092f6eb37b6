"""Helpers for end-to-end runs of stillmon's programs: a virtual X server, windows found and
driven with xdotool, screenshots and PNG files as RGB images, programs under tmux for console
keys, and CPU use read from /proc. Python standard library only; the X tools come from the
Debian packages xvfb, xdotool, x11-apps (xwd), x11-utils and tmux.
"""

import ctypes
import ctypes.util
import os
import queue
import re
import select
import shutil
import struct
import subprocess
import tempfile
import threading
import time
import unittest
import zlib

# The chart palette: 16 basic colours, index -> (red, green, blue).
BASIC_PALETTE = (
    (0, 0, 0), (0, 0, 170), (0, 170, 0), (0, 170, 170),
    (170, 0, 0), (170, 0, 170), (170, 85, 0), (170, 170, 170),
    (85, 85, 85), (85, 85, 255), (85, 255, 85), (85, 255, 255),
    (255, 85, 85), (255, 85, 255), (255, 255, 85), (255, 255, 255),
)


class HarnessError(Exception):
    pass


def end_process(process, grace_s=5):
    """Asks a child process to end (SIGTERM), kills it after the grace time, and reaps it."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=grace_s)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def wait_until(condition, timeout_s, interval_s=0.02, what="condition"):
    """Calls condition() until it returns something true, and returns that; raises at the
    deadline."""
    deadline = time.monotonic() + timeout_s
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise HarnessError(f"timed out after {timeout_s} s waiting for {what}")
        time.sleep(interval_s)


# --- Images ------------------------------------------------------------------------------

class Image:
    """RGB pixels, 3 bytes per pixel, row-major from the top-left corner."""

    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise HarnessError(f"{len(rgb)} bytes for {width}x{height} RGB pixels")
        self.width = width
        self.height = height
        self.rgb = bytes(rgb)

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self.rgb[at:at + 3])

    def crop(self, left, top, right, bottom):
        """Pixels x = left .. right-1, y = top .. bottom-1 as an image of their own."""
        return Image(right - left, bottom - top,
                     b"".join(self.rgb[3 * (y * self.width + left):3 * (y * self.width + right)]
                              for y in range(top, bottom)))

    def differences(self, other, limit=10):
        """The number of differing pixels and the first few of them as (x, y, ours, theirs)."""
        if (self.width, self.height) != (other.width, other.height):
            raise HarnessError(f"sizes differ: {self.width}x{self.height} and "
                               f"{other.width}x{other.height}")
        if self.rgb == other.rgb:
            return 0, []
        count = 0
        first = []
        for at in range(0, len(self.rgb), 3):
            if self.rgb[at:at + 3] != other.rgb[at:at + 3]:
                count += 1
                if len(first) < limit:
                    index = at // 3
                    first.append((index % self.width, index // self.width,
                                  tuple(self.rgb[at:at + 3]), tuple(other.rgb[at:at + 3])))
        return count, first

    def colours(self):
        return {self.rgb[at:at + 3] for at in range(0, len(self.rgb), 3)}


def image_from_indices(width, height, indices, palette=BASIC_PALETTE):
    table = [bytes(palette[i]) if i < len(palette) else None for i in range(256)]
    out = bytearray()
    for index in indices:
        colour = table[index]
        if colour is None:
            raise HarnessError(f"palette index {index} outside the palette")
        out += colour
    return Image(width, height, out)


def _png_chunks(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise HarnessError("not a PNG file")
    at = 8
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        kind = data[at + 4:at + 8]
        body = data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise HarnessError(f"PNG chunk {kind!r} has a bad CRC")
        yield kind, body
        at += 12 + length


def _unfilter(raw, height, stride, bytes_per_pixel):
    rows = []
    previous = bytearray(stride)
    at = 0
    for _ in range(height):
        kind = raw[at]
        line = bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        bpp = bytes_per_pixel
        if kind == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 0xFF
        elif kind == 2:
            for i in range(stride):
                line[i] = (line[i] + previous[i]) & 0xFF
        elif kind == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + previous[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                a = line[i - bpp] if i >= bpp else 0
                b = previous[i]
                c = previous[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                predictor = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + predictor) & 0xFF
        elif kind != 0:
            raise HarnessError(f"unknown PNG filter {kind}")
        rows.append(line)
        previous = line
    return rows


class Png:
    """A decoded PNG: size, colour type, the palette (for indexed files), and the samples."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        idat = bytearray()
        self.palette = None
        header = None
        for kind, body in _png_chunks(data):
            if kind == b"IHDR":
                header = struct.unpack(">IIBBBBB", body)
            elif kind == b"PLTE":
                self.palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
            elif kind == b"IDAT":
                idat += body
        if header is None:
            raise HarnessError("PNG without a header")
        self.width, self.height, self.bit_depth, self.colour_type, _, _, interlace = header
        if interlace != 0:
            raise HarnessError("interlaced PNG files are not read here")
        channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[self.colour_type]
        if self.bit_depth != 8 and not (self.colour_type in (0, 3) and self.bit_depth < 8):
            raise HarnessError(f"PNG bit depth {self.bit_depth} is not read here")
        bits_per_pixel = channels * self.bit_depth
        stride = (self.width * bits_per_pixel + 7) // 8
        rows = _unfilter(zlib.decompress(bytes(idat)), self.height, stride,
                         max(1, bits_per_pixel // 8))
        self.samples = []  # per pixel: an index, a grey level, or a colour tuple
        for line in rows:
            if self.bit_depth < 8:
                per_byte = 8 // self.bit_depth
                mask = (1 << self.bit_depth) - 1
                for x in range(self.width):
                    byte = line[x // per_byte]
                    shift = 8 - self.bit_depth * (x % per_byte + 1)
                    self.samples.append((byte >> shift) & mask)
            elif channels == 1:
                self.samples.extend(line)
            else:
                self.samples.extend(tuple(line[i:i + channels])
                                    for i in range(0, len(line), channels))

    def indices(self):
        if self.colour_type != 3:
            raise HarnessError("not an indexed PNG")
        return self.samples

    def to_image(self):
        out = bytearray()
        if self.colour_type == 3:
            for index in self.samples:
                out += bytes(self.palette[index])
        elif self.colour_type == 0:
            for level in self.samples:
                out += bytes((level, level, level))
        else:
            for sample in self.samples:
                out += bytes(sample[:3]) if len(sample) >= 3 else bytes((sample[0],) * 3)
        return Image(self.width, self.height, out)


def read_png(path):
    return Png(path).to_image()


def parse_xwd(data):
    """An X window dump (xwd's Z-pixmap output of a TrueColor or DirectColor window) as RGB.
    The pixel values are taken through the colour masks as they sit in the frame buffer; the
    window's own colour map is not applied, since a server without a window manager never
    installs it. Each channel must be a whole byte, as on every X server the tests use: a
    byte slice per channel keeps a screenshot quick enough for the time-outs it is taken in."""
    fields = struct.unpack(">25I", data[:100])
    (header_size, _version, pixmap_format, _depth, width, height, _xoffset, byte_order,
     _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, visual_class, *masks,
     _bits_per_rgb, _map_entries, colour_count) = fields[:20]
    step = bits_per_pixel // 8
    shifts = [mask.bit_length() - 8 for mask in masks]
    if (pixmap_format != 2 or visual_class not in (4, 5) or step not in (3, 4)
            or any(s < 0 or s % 8 or mask >> s != 0xFF for s, mask in zip(shifts, masks))):
        raise HarnessError(f"xwd dump of a kind not read here: format {pixmap_format}, "
                           f"visual {visual_class}, {bits_per_pixel} bits per pixel, "
                           f"colour masks {[hex(m) for m in masks]}")
    pixels = data[header_size + 12 * colour_count:]
    rows = b"".join(pixels[y * bytes_per_line:y * bytes_per_line + width * step]
                    for y in range(height))
    out = bytearray(width * height * 3)
    for index, shift in enumerate(shifts):
        out[index::3] = rows[shift // 8 if byte_order == 0 else step - 1 - shift // 8::step]
    return Image(width, height, out)


# --- Failure reports ------------------------------------------------------------------------

# The programs and terminals the running test started, so that its failure says what they did.
_started_this_test = []


def _tail(title, lines, count=20):
    return "\n".join([f"{title}, last {min(count, len(lines))} of {len(lines)} lines:",
                      *("  | " + line for line in lines[-count:])])


def read_lines(path):
    """A text file's lines; none when it is not there (yet)."""
    try:
        with open(path, encoding="latin-1") as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []


class EndToEndTest(unittest.TestCase):
    """A test of real programs: when it fails, its message ends with each program's exit
    status and the last lines it wrote, so that a failure in CI explains itself."""

    def run(self, result=None):
        if result is None:
            return super().run(result)
        del _started_this_test[:]
        before = len(result.failures), len(result.errors)
        super().run(result)
        reports = "".join("\n" + item.report() for item in _started_this_test)
        for entries, count in zip((result.failures, result.errors), before):
            for index in range(count, len(entries)):
                test, text = entries[index]
                entries[index] = (test, text + reports)
        return result


# --- Processes ---------------------------------------------------------------------------

class LineReader:
    """Collects a process's output lines on a thread, so tests can wait for a line."""

    def __init__(self, stream):
        self.lines = []
        self._queue = queue.Queue()
        self._lock = threading.Lock()
        self._thread = threading.Thread(target=self._read, args=(stream,), daemon=True)
        self._thread.start()

    def _read(self, stream):
        for raw in iter(stream.readline, b""):
            line = raw.decode("latin-1").rstrip("\r\n")
            with self._lock:
                self.lines.append(line)
            self._queue.put(line)
        self._queue.put(None)

    def join(self, timeout_s=5):
        self._thread.join(timeout_s)

    def all(self):
        with self._lock:
            return list(self.lines)

    def wait_for(self, pattern, timeout_s=20):
        """Waits for a line matching the regular expression and returns its match."""
        regex = re.compile(pattern)
        for line in self.all():
            found = regex.search(line)
            if found:
                return found
        deadline = time.monotonic() + timeout_s
        while True:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                break
            try:
                line = self._queue.get(timeout=remaining)
            except queue.Empty:
                break
            if line is None:
                break
            found = regex.search(line)
            if found:
                return found
        raise HarnessError(f"no line matching {pattern!r}; output so far: {self.all()}")


class Program:
    """A program started with piped output; stop() ends it if it is still running."""

    def __init__(self, argv, env=None, cwd=None, stdin=subprocess.DEVNULL):
        self.process = subprocess.Popen(argv, env=env, cwd=cwd, stdin=stdin,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.output = LineReader(self.process.stdout)
        self.errors = LineReader(self.process.stderr)
        self.name = os.path.basename(argv[0])
        self._running_at_stop = None
        _started_this_test.append(self)

    @property
    def pid(self):
        return self.process.pid

    def wait(self, timeout_s=20):
        return self.process.wait(timeout=timeout_s)

    def stop(self):
        if self._running_at_stop is None:
            self._running_at_stop = self.process.poll() is None
        end_process(self.process)
        for reader, stream in ((self.output, self.process.stdout),
                               (self.errors, self.process.stderr)):
            reader.join()
            stream.close()

    def report(self):
        status = self.process.poll()
        ending = ("was running until the test ended it" if self._running_at_stop or status is None
                  else f"exited with status {status}")
        return "\n".join([f"--- {self.name} (pid {self.pid}) {ending}",
                          _tail("stdout", self.output.all()), _tail("stderr", self.errors.all())])

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def cpu_seconds(pid):
    """User plus system CPU time the process has used, from /proc/PID/stat."""
    with open(f"/proc/{pid}/stat") as f:
        stat = f.read()
    fields = stat[stat.rindex(")") + 2:].split()
    ticks = int(fields[11]) + int(fields[12])  # utime, stime
    return ticks / os.sysconf("SC_CLK_TCK")


def cpu_share(pid, seconds):
    """The share of one core the process used over the next `seconds`."""
    start_cpu = cpu_seconds(pid)
    start = time.monotonic()
    time.sleep(seconds)
    return (cpu_seconds(pid) - start_cpu) / (time.monotonic() - start)


def environment_without_display(**extra):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(extra)
    return env


# --- X server and windows -----------------------------------------------------------------

def require_tools(*names):
    missing = [name for name in names if shutil.which(name) is None]
    if missing:
        raise HarnessError("missing tools: " + ", ".join(missing))


class Xvfb:
    """A virtual X server on a free display number, for the life of the `with` block."""

    def __init__(self, screen="1600x1200x24"):
        require_tools("Xvfb", "xdotool", "xwd")
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(0.0, remaining))
            if not ready:
                self.process.kill()
                raise HarnessError("Xvfb did not report its display")
            chunk = os.read(read_end, 16)
            if not chunk:
                self.process.kill()
                raise HarnessError("Xvfb ended before reporting its display")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def env(self, **extra):
        env = environment_without_display(DISPLAY=self.display)
        env.update(extra)
        return env

    def run(self, *argv, timeout_s=20, check=True):
        result = subprocess.run(argv, env=self.env(), capture_output=True, timeout=timeout_s)
        if check and result.returncode != 0:
            raise HarnessError(f"{argv} failed ({result.returncode}): "
                               f"{result.stderr.decode(errors='replace')}")
        return result.stdout

    def find_window(self, name_pattern, timeout_s=20):
        """The id of the first window whose name matches the pattern, once it exists."""
        output = self.run("xdotool", "search", "--sync", "--name", name_pattern,
                          timeout_s=timeout_s)
        return int(output.split()[0])

    def window_name(self, window):
        return self.run("xdotool", "getwindowname", str(window)).decode("utf-8").rstrip("\n")

    def window_size(self, window):
        output = self.run("xdotool", "getwindowgeometry", "--shell", str(window)).decode()
        values = dict(line.split("=", 1) for line in output.split() if "=" in line)
        return int(values["WIDTH"]), int(values["HEIGHT"])

    def focus(self, window):
        # There is no window manager, so the window is focused directly (not activated).
        self.run("xdotool", "windowfocus", "--sync", str(window))

    # A key that ends the program can take the window away before xdotool has sent the key's
    # release; pass check=False for such keys. They are released once more on the server then,
    # or they would stay down for the next window to find. Keys go to the window as events
    # sent to it, or with as_keyboard through XTEST into the focused window, as a keyboard
    # presses them: for windows that ignore events sent to them, as Wine's do.
    def send_keys(self, window, *keys, delay_ms=30, check=True, as_keyboard=False):
        target = ["--window", str(window)]
        if as_keyboard:
            self.focus(window)
            target = []
        self.run("xdotool", "key", *target, "--delay", str(delay_ms), *keys, check=check)
        if not check:
            self.run("xdotool", "keyup", *keys, check=False)

    def type_text(self, window, text, delay_ms=30, check=True):
        self.run("xdotool", "type", "--window", str(window), "--delay", str(delay_ms), text,
                 check=check)

    def request_close(self, window):
        """Sends the window what a window manager sends when its close control is used: a
        WM_DELETE_WINDOW client message (no window manager runs here to do it)."""
        send_close_request(self.display, window)

    def screenshot(self, window):
        return parse_xwd(self.run("xwd", "-id", str(window), "-silent"))

    def close(self):
        end_process(self.process)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("client", _ClientMessage), ("pad", ctypes.c_long * 24)]


def send_close_request(display_name, window):
    path = ctypes.util.find_library("X11") or "libX11.so.6"
    xlib = ctypes.CDLL(path)
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.POINTER(_XEvent)]
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(display_name.encode())
    if not display:
        raise HarnessError(f"cannot open display {display_name}")
    try:
        event = _XEvent()
        event.client.type = 33  # ClientMessage
        event.client.send_event = 1
        event.client.display = display
        event.client.window = window
        event.client.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.client.format = 32
        event.client.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        event.client.data[1] = 0  # CurrentTime
        if not xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
            raise HarnessError("XSendEvent failed")
        xlib.XFlush(display)
    finally:
        xlib.XCloseDisplay(display)


# --- tmux ----------------------------------------------------------------------------------

class Tmux:
    """A program on a terminal of its own: a detached tmux session on a private server."""

    def __init__(self, command, env=None, cwd=None, width=160, height=48, output_files=()):
        """`output_files`: where the command writes what it says, for a failing test's report."""
        require_tools("tmux")
        self.command = command
        self.output_files = output_files
        self._output = None
        _started_this_test.append(self)
        self.socket = f"stillmon-e2e-{os.getpid()}-{id(self)}"
        env = dict(env if env is not None else os.environ)
        env.pop("TMUX", None)
        self._env = env
        self._run("new-session", "-d", "-s", "main", "-x", str(width), "-y", str(height),
                  "-c", cwd or os.getcwd(), command)

    def _run(self, *arguments):
        result = subprocess.run(["tmux", "-L", self.socket, *arguments], env=self._env,
                                capture_output=True, timeout=20)
        if result.returncode != 0:
            raise HarnessError(f"tmux {arguments} failed: {result.stderr.decode()}")
        return result.stdout.decode(errors="replace")

    def send_keys(self, *keys):
        """tmux key names (such as "Up", "Escape", "F12") or literal text."""
        self._run("send-keys", "-t", "main", *keys)

    def screen(self):
        return self._run("capture-pane", "-p", "-t", "main")

    def pane_pid(self):
        return int(self._run("display-message", "-p", "-t", "main", "#{pane_pid}").strip())

    def report(self):
        return "\n".join([f"--- on a terminal: {self.command}", *(self._output or [])])

    def close(self):
        if self._output is None:  # read before the test's folder goes
            self._output = [_tail(path, read_lines(path)) for path in self.output_files]
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], env=self._env,
                       capture_output=True, timeout=20)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def temporary_directory():
    return tempfile.TemporaryDirectory(prefix="stillmon-e2e-")
