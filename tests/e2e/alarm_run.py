"""A live run with alarms, shared by alarm_test.py and scripts/measure/alarm_latency.py: frames
whose steam temperature crosses a threshold, a device that notes when it sent each frame, and a
webhook receiver that notes when each request arrived.
"""

import http.server
import threading
import time

import harness
import stillmon_harness as sh

NORMAL_STEAM = 75 * 16  # the steam element is in 1/16 degrees
HOT_STEAM = 1290  # 80.625 degrees: past 80

STEAM_ALARM = """
[[alarm]]
name = "steam-hot"
value = "steam"
above = 80
clear = 78
severity = "critical"
"""


def steam_frames(steam_values):
    """Plain frames from record 1 on, one per value, with the steam element set to it."""
    frames = [sh.elements_from_frame(data) for data in sh.plain_frames(1, len(steam_values))]
    return [sh.frame_from_elements(e[:3] + [steam] + e[4:])
            for e, steam in zip(frames, steam_values)]


def write_file(path, text):
    with open(path, "w") as f:
        f.write(text)
    return path


class TimedDevice(sh.FakeDevice):
    """The device played by the test, noting when it wrote each frame."""

    def __init__(self, directory):
        super().__init__(directory)
        self.sent_at = []

    def send(self, data):
        super().send(data)
        self.sent_at.append(time.monotonic())


class _Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        arrived = time.monotonic()
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        self.server.received.append((arrived, self.path, dict(self.headers), body))
        self.send_response(200)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


class Receiver(http.server.ThreadingHTTPServer):
    """An HTTP server on loopback that answers every POST with 200 and keeps it as
    (arrival time, path, headers, body) in `received`, until close()."""

    def __init__(self):
        self.received = []
        super().__init__(("127.0.0.1", 0), _Handler)
        self.url = f"http://127.0.0.1:{self.server_address[1]}"
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def requests(self, path=None):
        return [r for r in list(self.received) if path in (None, r[1])]

    def wait_for(self, count, path=None, timeout_s=20):
        return harness.wait_until(lambda: len(self.requests(path)) >= count and
                                  self.requests(path), timeout_s, what=f"{count} requests")

    def close(self):
        self.shutdown()
        self.server_close()
