"""Headless Chromium (Debian's chromium) driven over the DevTools protocol on a pipe, Python
standard library only: open a page, run script in it, take a screenshot. The protocol's
messages are JSON texts ended by a NUL byte; Chromium reads them on its fd 3 and writes on
fd 4 (--remote-debugging-pipe).
"""

import base64
import fcntl
import json
import os
import shutil
import subprocess
import tempfile
import threading
import time

import harness


class BrowserError(Exception):
    pass


def processes_naming(text):
    """The live processes whose command line holds the text."""
    found = subprocess.run(["pgrep", "-f", "--", text], capture_output=True, text=True)
    return [int(pid) for pid in found.stdout.split()]


class Browser:
    """One headless Chromium with one page of `width` x `height` CSS pixels (see resize)."""

    def __init__(self, width=1280, height=1800, mobile=False):
        chromium = shutil.which("chromium")
        if chromium is None:
            raise harness.HarnessError("chromium is missing (scripts/install-deps test)")
        self._profile = tempfile.TemporaryDirectory(prefix="stillmon-chromium-")
        to_chromium_read, to_chromium_write = os.pipe()
        from_chromium_read, from_chromium_write = os.pipe()
        # Out of the way of 3 and 4, which the child's ends must become.
        ends = [fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (to_chromium_read,
                                                               from_chromium_write)]

        def give_pipe_ends():
            os.dup2(ends[0], 3)
            os.dup2(ends[1], 4)

        self.process = subprocess.Popen(
            [chromium, "--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
             "--no-first-run", "--disable-extensions", "--remote-debugging-pipe",
             f"--user-data-dir={self._profile.name}", "about:blank"],
            pass_fds=(3, 4), preexec_fn=give_pipe_ends, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for fd in (to_chromium_read, from_chromium_write, *ends):
            os.close(fd)
        self._out = to_chromium_write
        self._in = from_chromium_read
        self._next_id = 0
        self._answers = {}
        self._arrived = threading.Condition()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self._session = self.call("Target.attachToTarget", targetId=target,
                                  flatten=True)["sessionId"]
        self.resize(width, height, mobile)

    def _read(self):
        pending = b""
        while True:
            try:
                chunk = os.read(self._in, 1 << 16)
            except OSError:
                chunk = b""
            if not chunk:
                break
            pending += chunk
            *messages, pending = pending.split(b"\0")
            for text in messages:
                message = json.loads(text)
                if "id" in message:
                    with self._arrived:
                        self._answers[message["id"]] = message
                        self._arrived.notify_all()
        with self._arrived:
            self._answers[None] = {"error": {"message": "chromium closed its pipe"}}
            self._arrived.notify_all()

    def _send(self, method, params, session, timeout_s):
        self._next_id += 1
        call_id = self._next_id
        message = {"id": call_id, "method": method, "params": params}
        if session:
            message["sessionId"] = session
        os.write(self._out, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout_s
        with self._arrived:
            while call_id not in self._answers and None not in self._answers:
                remaining = deadline - time.monotonic()
                if remaining <= 0:
                    raise BrowserError(f"{method}: no answer in {timeout_s} s")
                self._arrived.wait(remaining)
            answer = self._answers.pop(call_id, None) or self._answers[None]
        if "error" in answer:
            raise BrowserError(f"{method}: {answer['error'].get('message')}")
        return answer.get("result", {})

    def call(self, method, timeout_s=30, **params):
        return self._send(method, params, None, timeout_s)

    def page_call(self, method, timeout_s=30, **params):
        return self._send(method, params, self._session, timeout_s)

    def resize(self, width, height, mobile=False):
        """The page's size in CSS pixels; a `mobile` page takes its width from its viewport
        meta element, as a phone's browser does."""
        self.page_call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                       deviceScaleFactor=1, mobile=mobile)

    def open(self, url):
        self.page_call("Page.navigate", url=url)

    def evaluate(self, expression, timeout_s=30):
        """The value of a script expression (a promise is awaited), as JSON gives it back."""
        result = self.page_call("Runtime.evaluate", expression=expression, returnByValue=True,
                                awaitPromise=True, timeout_s=timeout_s)
        if "exceptionDetails" in result:
            raise BrowserError(f"{expression!r} threw: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout_s=30, what=None):
        """Evaluates the expression until it is true; returns its value."""
        def holds():
            try:
                return self.evaluate(expression)
            except BrowserError:
                return None
        return harness.wait_until(holds, timeout_s, interval_s=0.1, what=what or expression)

    def screenshot(self, path):
        data = self.page_call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        try:
            self.call("Browser.close", timeout_s=5)
        except (BrowserError, OSError):
            pass
        harness.end_process(self.process)
        for fd in (self._out, self._in):
            try:
                os.close(fd)
            except OSError:
                pass
        # The helpers (renderers, the network and storage services) outlive the browser
        # for a moment and write into the profile meanwhile: it goes once they are gone.
        harness.wait_until(lambda: not processes_naming(self._profile.name), 10,
                           what="chromium's helpers to end")
        self._profile.cleanup()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


# Per chart canvas: the pixels inside its plot area that are of a trace's colour (saturated),
# not the white ground or the grey grid and axes.
TRACE_PIXELS = """
[...document.querySelectorAll('canvas')].map(canvas => {
  const area = Chart.getChart(canvas).chartArea;
  const data = canvas.getContext('2d').getImageData(
      area.left, area.top, area.right - area.left, area.bottom - area.top).data;
  let traced = 0;
  for (let i = 0; i < data.length; i += 4) {
    const r = data[i], g = data[i + 1], b = data[i + 2];
    if (Math.max(r, g, b) - Math.min(r, g, b) > 60) traced++;
  }
  return [canvas.id, traced];
})
"""

# Once the charts are drawn, what keeps the page from fitting its width: a sideways scroll, a
# chart canvas outside its box, time labels of a chart less than 4 px apart; none: [].
LAYOUT_FAULTS = """
[...document.querySelectorAll('canvas')].flatMap(canvas => {
  const chart = Chart.getChart(canvas), box = canvas.parentElement.getBoundingClientRect();
  const {left, right} = canvas.getBoundingClientRect();
  const spans = chart.scales.x._computeLabelItems(chart.chartArea).filter(i => i.label)
    .map(({label, font, translation: [x]}) => {
      chart.ctx.font = font.string;
      const half = chart.ctx.measureText(label).width / 2;
      return [x - half, x + half];
    });
  return [left < box.left || right > box.right ? canvas.id + ' leaves its box' : '',
          spans.some(([from], k) => k > 0 && from < spans[k - 1][1] + 4) ?
            canvas.id + ' runs its time labels together' : ''].filter(Boolean);
}).concat(document.documentElement.scrollWidth > innerWidth ? ['the page scrolls sideways'] : [])
"""


def line_shares(shown, index, colour):
    """Per chart canvas: the share of its plot area's height in which the pixel at the cycle
    `index` has `colour` (RGB, within the edges' antialiasing): 1 under a solid line there."""
    return shown.evaluate(f"""[...document.querySelectorAll('canvas')].map(canvas => {{
      const chart = Chart.getChart(canvas), area = chart.chartArea;
      const s = chart.currentDevicePixelRatio, colour = {list(colour)};
      const column = canvas.getContext('2d').getImageData(
          Math.round(chart.scales.x.getPixelForValue({index})) * s, area.top * s, 1,
          (area.bottom - area.top) * s).data;
      let found = 0;
      for (let i = 0; i < column.length; i += 4) {{
        if ([0, 1, 2].every(c => Math.abs(column[i + c] - colour[c]) < 40)) found++;
      }}
      return found / (column.length / 4);
    }})""")
