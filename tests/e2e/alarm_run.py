"""What a live run with alarms needs from its test, shared by tests/e2e/alarm_test.py and
scripts/measure/alarm_latency.py: frames whose steam temperature crosses a threshold, the
configuration file, a device that notes when it sent each frame, and a webhook receiver that
notes when each request arrived.
"""

import http.server
import threading
import time

import harness
import stillmon_harness as sh

STEAM = 3  # the frame element of the steam temperature, in 1/16 degrees
NORMAL_STEAM = 75 * 16
HOT_STEAM = 1290  # 80.625 degrees: past 80

STEAM_ALARM = """
[[alarm]]
name = "steam-hot"
value = "steam"
above = 80
clear = 78
severity = "critical"
"""


def steam_frames(first_record, steam_values):
    """Plain frames, one per value, with the steam element set to it."""
    frames = []
    for data, steam in zip(sh.plain_frames(first_record, len(steam_values)), steam_values):
        elements = sh.elements_from_frame(data)
        elements[STEAM] = steam
        frames.append(sh.frame_from_elements(elements))
    return frames


def write_config(path, text):
    with open(path, "w") as f:
        f.write(text)
    return path


class TimedDevice(sh.FakeDevice):
    """A device played by the test that notes when each frame was written whole."""

    def __init__(self, directory):
        super().__init__(directory)
        self.sent_at = []

    def send(self, data):
        super().send(data)
        self.sent_at.append(time.monotonic())


class Receiver:
    """An HTTP server on loopback that answers every POST with `status` and records it as
    (arrival time, path, headers, body)."""

    def __init__(self, status=200):
        received = self.received = []
        lock = self._lock = threading.Lock()

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_POST(self):
                arrived = time.monotonic()
                body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
                with lock:
                    received.append((arrived, self.path, dict(self.headers), body))
                self.send_response(status)
                self.send_header("Content-Length", "0")
                self.end_headers()

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}"
        self._thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self._thread.start()

    def requests(self, path=None):
        with self._lock:
            return [r for r in self.received if path is None or r[1] == path]

    def wait_for(self, count, path=None, timeout_s=20):
        return harness.wait_until(
            lambda: len(self.requests(path)) >= count and self.requests(path), timeout_s,
            what=f"{count} requests to {path or 'the receiver'}")

    def close(self):
        self.server.shutdown()
        self.server.server_close()
