"""End-to-end tests of the live page (stillmon --serve): stillmon live against the device
simulator under a virtual X server, its page loaded in headless Chromium, its API and
/metrics read over HTTP and compared with its text log, bad requests, a slow client, and a
load of polling clients that must not disturb the cycle.

Program paths come in STILLMON and STILLSIM. STILLMON_PAGE_LOAD_S sets the load test's length
(default 60 s); STILLMON_PAGE_SCREENSHOTS names a folder to keep the page's screenshot in.
"""

import csv
import os
import re
import shutil
import socket
import sys
import threading
import time
import unittest
import urllib.parse

try:
    from prometheus_client.parser import text_string_to_metric_families
except ImportError:
    # Debian's python3-prometheus-client, for a Python other than Debian's own.
    sys.path.append("/usr/lib/python3/dist-packages")
    from prometheus_client.parser import text_string_to_metric_families

import browser
import harness
import stillmon_harness as sh
from page_client import get_json, request
import text_log


class PageTestCase(sh.RecordChecks, sh.ProgramTestCase):
    def start_live(self, *simulator_options, monitor_options=()):
        self.simulator = sh.Simulator(self.dir, *simulator_options)
        self.addCleanup(self.simulator.stop)
        monitor = sh.Monitor(self.x, self.dir, self.simulator.link,
                             options=("--serve", "127.0.0.1:0", *monitor_options))
        self.addCleanup(monitor.stop)
        url = monitor.output.wait_for(r"^Page served at (http://\S+)$").group(1)
        return monitor, url

    def start_replay(self, log):
        replay = harness.Program([sh.STILLMON, "0", log, "--serve", "127.0.0.1:0"],
                                 env=self.x.env(), cwd=self.dir)
        self.addCleanup(replay.stop)
        return replay.output.wait_for(r"^Page served at (http://\S+)$").group(1)


class PageInBrowser(PageTestCase):
    def test_the_page_charts_the_run_and_shows_the_latest_logged_record(self):
        monitor, url = self.start_live("--skip", "3600", "--speed", "10")
        # A ratio period of 3 cycles (y lowers it from 97), so the reflux chart has points soon.
        window = monitor.window()
        self.assertEqual(self.x.window_name(window), "USB CDC USART out to Graf on " + url)
        self.x.focus(window)
        self.x.type_text(window, "y" * 95)
        monitor.wait_for_cycles(8)
        with browser.Browser() as page:
            page.open(url)
            page.wait_for("document.querySelectorAll('canvas').length === 5 && "
                          "document.getElementById('window').naturalWidth === 1280",
                          what="the charts and the window picture")
            traced = dict(page.wait_for(
                f"(() => {{ const t = {browser.TRACE_PIXELS}; "
                "return t.every(([, n]) => n > 0) ? t : null; })()",
                what="a trace on every chart (the reflux ratio's after its first period)",
                timeout_s=40))
            self.assertGreater(traced["chart-temperatures"], 500, traced)
            # Silence the device: the last logged record is the last the page can show.
            self.simulator.stop()
            harness.wait_until(lambda: page.evaluate(
                "document.getElementById('link-state').textContent").startswith("silent for"),
                15, what="the page to see the link silent")
            # Without alarms configured, neither the banner nor the sound button shows.
            self.assertEqual(page.evaluate("['alarm-banner', 'sound'].map(id => "
                                           "document.getElementById(id).offsetHeight)"), [0, 0])
            last = sh.logged(monitor.logged_lines()[-1])["record"]
            shown = page.evaluate("document.getElementById('record-number').textContent")
            self.assertEqual(shown, str(last))
            shot = os.path.join(self.dir, "page.png")
            page.screenshot(shot)
            image = harness.read_png(shot)
            self.assertEqual((image.width, image.height), (1280, 1800))
            self.assertGreater(len(image.colours()), 50)
            if os.environ.get("STILLMON_PAGE_SCREENSHOTS"):
                shutil.copy(shot, os.environ["STILLMON_PAGE_SCREENSHOTS"])

    def test_a_replay_at_its_end_with_its_journal_on_a_phone(self):
        # 75 cycles: where Chart.js's own skipping runs the time labels together at 390 px.
        with open(os.path.join(self.dir, "Run7.dat"), "w", encoding="latin-1") as log:
            log.write(text_log.generated_log(75))
        # Records 1-75, the device's clock at 14:30:45 on record 1; a text that is markup.
        journal = [(0, "", "session-start", "stillmon 1.0 3 Run7 --config still.toml"),
                   (10, "14:30:54_9", "mark", "hearts"),
                   (40, "14:31:24_39", "mark", '<b>"café"</b>')]
        with open(os.path.join(self.dir, "Run7.journal.csv"), "w", encoding="utf-8",
                  newline="") as f:
            csv.writer(f).writerows([("device_time", "record", "wall_time", "kind", "text")] + [
                (time, record, f"2026-12-10T11:20:{k:02d}+01:00", kind, text)
                for k, (record, time, kind, text) in enumerate(journal)])
        with browser.Browser(390, 844, mobile=True) as page:
            page.open(self.start_replay("Run7"))
            # At "Repeat ? " the replay has ended, which the page says rather than "silent".
            page.wait_for("document.getElementById('link-state').textContent === 'replay ended'"
                          " && Chart.getChart('chart-stages').data.datasets[0].data.length === 75"
                          " && document.getElementById('window').naturalWidth === 1280"
                          " && document.getElementById('journal-entries').rows.length === 3",
                          what="the replay's end, its charts, journal and the window on the page")
            self.assertEqual(page.evaluate(browser.LAYOUT_FAULTS), [])
            # The window's picture at its own size: its text as readable as on the window.
            self.assertEqual(page.evaluate("document.getElementById('window').width"), 1280)
            # Newest first, each text as typed, never as markup.
            self.assertEqual(page.evaluate(
                "[...document.getElementById('journal-entries').rows].map(row => "
                "[...row.cells].map(cell => cell.textContent))"),
                [["2026-12-10 11:20:" + f"{k:02d}", str(record), kind, text]
                 for k, (record, _, kind, text) in reversed(list(enumerate(journal)))])
            # Each mark a line of its blue down every chart's plot area at its cycle.
            for index in (10, 40):
                self.assertEqual([share > 0.8 for share in
                                  browser.line_shares(page, index, (31, 79, 214))], [True] * 5)


class PageApi(PageTestCase):
    def test_api_and_metrics_hold_what_the_log_holds(self):
        monitor, url = self.start_live("--skip", "3600", "--speed", "10")
        monitor.wait_for_cycles(12)
        self.simulator.stop()
        harness.wait_until(lambda: get_json(url, "/api/latest")["link"]["silent_s"] > 2.5, 10)
        lines = monitor.logged_lines()

        history = get_json(url, "/api/history?since=0")
        self.assertFalse(history["more"])
        records = history["records"]
        self.assertEqual([r["index"] for r in records], list(range(1, len(lines) + 1)))
        for record, line in zip(records, lines):
            with self.subTest(index=record["index"]):
                self.assert_record_matches_line(record, line)
        self.assertTrue(all((r["stages"] is None) == (r["whole_stages"] is None)
                            for r in records))
        self.assertEqual(get_json(url, "/api/history?since=10")["records"], records[10:])

        latest = get_json(url, "/api/latest")
        self.assertEqual(latest["record"], records[-1])
        self.assertEqual((latest["mode"], latest["port"]), ("live", "3"))
        self.assertFalse(latest["link"]["arriving"])

        status, headers, body = request(url, path="/metrics")
        self.assertEqual(status, 200)
        self.assertTrue(headers["Content-Type"].startswith("text/plain; version=0.0.4"))
        samples = {(s.name, s.labels.get("channel")): s
                   for family in text_string_to_metric_families(body.decode())
                   for s in family.samples}
        self.assertTrue(all(s.labels["port"] == "3" for s in samples.values()))
        self.assertEqual(samples["stillmon_cycles_total", None].value, len(lines))
        self.assertEqual(samples["stillmon_record_number", None].value, records[-1]["record"])
        self.assertGreater(samples["stillmon_last_frame_age_seconds", None].value, 2.5)
        self.assert_temperatures_logged(
            [samples["stillmon_temperature_celsius", str(c)].value for c in range(8)],
            sh.logged(lines[-1])["temperatures"])
        self.assertAlmostEqual(samples["stillmon_vapour_strength_percent", None].value,
                               records[-1]["vapour_strength"], places=4)
        monitor.stop()

        # The same log replayed, the option after the arguments: the page follows the replay.
        replay_url = self.start_replay("Run3")
        harness.wait_until(lambda: (get_json(replay_url, "/api/latest")["record"] or {})
                           .get("index") == len(lines), 30, what="the replay's last record")
        replayed = get_json(replay_url, "/api/history?since=0")["records"]
        self.assertEqual(get_json(replay_url, "/api/latest")["mode"], "replay")
        self.assertEqual(len(replayed), len(lines))
        for record, line in zip(replayed, lines):
            # The replay rebuilds each channel as the logged value plus its replay offset.
            raws = text_log.refilled_raws(text_log.split_fields(line))
            self.assertEqual(record["temperatures"], [raw / 16 for raw in raws])
            self.assertEqual(record["record"], sh.logged(line)["record"])

    def test_bad_requests_are_refused_and_a_silent_client_is_dropped(self):
        monitor, url = self.start_live()
        monitor.wait_for_cycles(1)
        for method, path, headers, body, status in (
                ("GET", "/nothing", {}, None, 404),
                ("POST", "/api/latest", {}, b"x=1", 405),
                ("DELETE", "/", {}, None, 405),
                ("GET", "/api/history?since=ten", {}, None, 400),
                ("GET", "/api/history?since=-1", {}, None, 400),
                ("GET", "/", {}, b"a body", 413),
                ("GET", "/", {f"X-Filler-{i}": "y" * 60 for i in range(150)}, None, 431)):
            with self.subTest(method=method, path=path):
                self.assertEqual(request(url, method, path, headers, body)[0], status)
        status, headers, body = request(url, "HEAD", "/window.png")
        self.assertEqual((status, headers["Content-Type"], body), (200, "image/png", b""))

        # A client that never finishes its request head is dropped after a few seconds, and
        # the server answers others meanwhile.
        parts = urllib.parse.urlsplit(url)
        slow = socket.create_connection((parts.hostname, parts.port))
        self.addCleanup(slow.close)
        slow.sendall(b"GET /api/latest HTTP/1.1\r\nHost: x\r\n")
        started = time.monotonic()
        self.assertEqual(request(url, path="/api/latest")[0], 200)
        slow.settimeout(15)
        while slow.recv(4096):
            pass
        self.assertLess(time.monotonic() - started, 10)


class PageAlarms(PageTestCase):
    CONFIG = """arm_after = "0s"
alarm = [{name = "tank-set", value = "tank", above = -100.0, severity = "critical"},
         {name = "steam-frozen", value = "steam", below = -100.0}]
"""

    def test_a_firing_alarm_is_served_counted_and_shown_on_desktop_and_phone(self):
        config = os.path.join(self.dir, "alarms.toml")
        with open(config, "w") as f:
            f.write(self.CONFIG)
        monitor, url = self.start_live(monitor_options=("--config", config))
        answer = harness.wait_until(lambda: (a := get_json(url, "/api/alarms"))["marks"] and a,
                                    20, what="the first alarm mark")
        lines = monitor.logged_lines()
        alarms = {a["name"]: a for a in answer["alarms"]}
        state = {name: (a["state"], a["severity"], a["fired_total"]) for name, a in alarms.items()}
        self.assertEqual(state, {"tank-set": ("firing", "critical", 1),
                                 "steam-frozen": ("normal", "warning", 0)})
        self.assertIn(text_log.format_number(alarms["tank-set"]["value"], "0.0"),
                      [sh.logged(line)["temperatures"][0] for line in lines])
        # It fired on the first cycle: its mark stands at that cycle on the charts.
        first = sh.logged(lines[0])
        self.assertEqual([(m["alarm"], m["state"], m["index"], m["record"], m["device_time"])
                          for m in answer["marks"]],
                         [("tank-set", "firing", 1, first["record"], first["device_time"])])

        _, _, body = request(url, path="/metrics")
        samples = {(s.name, s.labels.get("alarm")): (s.labels.get("severity"), s.value)
                   for family in text_string_to_metric_families(body.decode())
                   for s in family.samples if "alarm" in s.labels}
        self.assertEqual(samples, {("stillmon_alarm_firing", "tank-set"): ("critical", 1),
                                   ("stillmon_alarm_firing", "steam-frozen"): ("warning", 0),
                                   ("stillmon_alarms_fired_total", "tank-set"): (None, 1),
                                   ("stillmon_alarms_fired_total", "steam-frozen"): (None, 0)})

        shots = os.environ.get("STILLMON_PAGE_SCREENSHOTS")
        with browser.Browser() as page:
            page.open(url)
            banner = page.wait_for("(b => b.offsetHeight > 0 && b.textContent)"
                                   "(document.getElementById('alarm-banner'))", what="the banner")
            # In stderr's words: a temperature far past its threshold needs one decimal.
            self.assertRegex(banner, r"^ALARM tank-set: tank -?\d+(\.\d)? above -100 since "
                                     r"\d\d:\d\d:\d\d$")
            if shots:
                page.screenshot(os.path.join(shots, "page-alarm.png"))
            # A phone's width: once the charts have drawn and taken it, everything fits.
            page.resize(390, 844, mobile=True)
            page.wait_for("document.getElementById('chart-temperatures').offsetWidth < 390 && "
                          f"{browser.LAYOUT_FAULTS}.length === 0", what="the page to fit 390 px")
            if shots:
                page.screenshot(os.path.join(shots, "page-alarm-phone.png"))


class PageLoad(PageTestCase):
    CLIENTS = 20
    POLL_S = 0.1

    def test_twenty_polling_clients_leave_the_cycle_alone(self):
        duration_s = float(os.environ.get("STILLMON_PAGE_LOAD_S", "60"))
        monitor, url = self.start_live("--verbose")
        monitor.wait_for_cycles(2)
        stop = threading.Event()
        failures = []
        answered = [0] * self.CLIENTS

        def poll(client):
            path = "/api/latest" if client % 2 else "/window.png"
            while not stop.is_set():
                due = time.monotonic() + self.POLL_S
                try:
                    status, _, body = request(url, path=path, timeout_s=5)
                    if status != 200 or not body:
                        failures.append((client, status))
                    answered[client] += 1
                except OSError as error:
                    failures.append((client, repr(error)))
                stop.wait(max(0.0, due - time.monotonic()))

        clients = [threading.Thread(target=poll, args=(c,)) for c in range(self.CLIENTS)]
        for client in clients:
            client.start()
        time.sleep(duration_s)
        stop.set()
        for client in clients:
            client.join(10)
        self.simulator.stop()
        monitor.stop()

        self.assertEqual(failures, [])
        least = 0.5 * duration_s / self.POLL_S
        self.assertTrue(all(n > least for n in answered), answered)
        lines = monitor.logged_lines()
        # Every interval after the first (measured from start-up) within 0.71-0.99 s.
        late = [line for line in lines[1:] if not 0.71 <= sh.logged(line)["interval"] <= 0.99]
        self.assertEqual(late, [])
        sent = [int(n) for n in re.findall(r"frame \d+ \(record (\d+)\) sent whole",
                                           "\n".join(self.simulator.program.output.all()))]
        numbers = [sh.logged(line)["record"] for line in lines]
        self.assertEqual(numbers, sent[:len(numbers)])
        self.assertLessEqual(len(sent) - len(numbers), 1)  # one frame may be in flight
        self.assertGreater(len(numbers), duration_s / 0.9 - 2)


if __name__ == "__main__":
    unittest.main()
