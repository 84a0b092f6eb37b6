"""End-to-end tests of stillmon against a hostile or broken page client, device or input:
whatever they do, the run goes on and keeps logging. Each runs stillmon without a window
against the device simulator; program paths come in STILLMON and STILLSIM.
"""

import contextlib
import http.client
import os
import pathlib
import re
import select
import signal
import socket
import subprocess
import termios
import time
import unittest
import urllib.parse

import harness
import stillmon_harness as sh
from page_client import request


def resident_megabytes(pid):
    status = pathlib.Path(f"/proc/{pid}/status").read_text()
    return int(re.search(r"VmRSS:\s+(\d+)", status).group(1)) / 1024


def answers(url, path="/api/latest", headers=None):
    """The status of one request; None when the server closed the connection unanswered."""
    try:
        return request(url, path=path, headers=headers, timeout_s=2)[0]
    except (ConnectionError, http.client.HTTPException, TimeoutError):
        return None


class Hostile(sh.ProgramTestCase):
    def setUp(self):
        super().setUp()
        self.simulator = sh.Simulator(self.dir, "--verbose")
        self.addCleanup(self.simulator.stop)

    def start_monitor(self, *options, log_name="Run", stdin=subprocess.DEVNULL):
        monitor = sh.Monitor(None, self.dir, self.simulator.link, log_name=log_name,
                             options=options, stdin=stdin)
        self.addCleanup(monitor.stop)
        return monitor

    def serve(self):
        """A monitor serving its page on loopback, its page's URL and (host, port)."""
        monitor = self.start_monitor("--serve", "127.0.0.1:0")
        url = monitor.output.wait_for(r"^Page served at (http://\S+)$").group(1)
        parts = urllib.parse.urlsplit(url)
        return monitor, url, (parts.hostname, parts.port)

    def connect(self, address, count):
        sockets = [socket.create_connection(address) for _ in range(count)]
        self.addCleanup(lambda: [each.close() for each in sockets])
        return list(sockets)

    def test_connections_beyond_the_limit_are_closed_and_the_run_goes_on(self):
        monitor, url, address = self.serve()
        self.connect(address, 300)
        # Held, each took a descriptor and 2 s of a worker, until the device could not be
        # opened again.
        descriptors = pathlib.Path(f"/proc/{monitor.pid}/fd")
        harness.wait_until(lambda: len(list(descriptors.iterdir())) < 150, 5, what="closes")
        logged = len(monitor.wait_for_cycles(1))
        harness.wait_until(lambda: answers(url) == 200, 10, what="the page to answer")
        monitor.wait_for_cycles(logged + 2)

    def test_requests_dribbled_a_byte_a_second_are_dropped_within_seconds(self):
        _, url, address = self.serve()
        slow = self.connect(address, 8)  # as many as the server has workers
        started = time.monotonic()
        while slow and time.monotonic() - started < 15:
            for each in select.select(slow, [], [], 1.0)[0]:
                slow.remove(each)  # closed by the server
            with contextlib.suppress(ConnectionError):  # closed since: seen at the next select
                for each in slow:
                    each.send(b"y")  # a request line without end
        self.assertLess(time.monotonic() - started, 8)
        self.assertEqual(answers(url), 200)

    def test_a_loopback_page_answers_only_a_loopback_host(self):
        _, url, (_, port) = self.serve()
        # A page on loopback read through DNS rebinding comes with the attacker's name.
        for host, status in ((f"rebound.example:{port}", 421), (f"localhost:{port}", 200),
                             (f"[::1]:{port}", 200), ("127.0.0.1", 200)):
            with self.subTest(host=host):
                self.assertEqual(answers(url, headers={"Host": host}), status)

    def test_a_replay_of_a_fifo_without_a_writer_ends_on_sigterm(self):
        os.mkfifo(os.path.join(self.dir, "Fifo.dat"))
        replay = harness.Program([sh.STILLMON, "0", "Fifo"], cwd=self.dir,
                                 env=harness.environment_without_display())
        self.addCleanup(replay.stop)
        wchan = pathlib.Path(f"/proc/{replay.pid}/wchan")
        harness.wait_until(lambda: wchan.read_text() == "wait_for_partner", 10,
                           what="the replay to wait in the opening of its log")
        replay.process.send_signal(signal.SIGTERM)
        self.assertEqual(replay.wait(10), 143)

    def test_the_page_serves_no_range_lists_and_a_second_run_on_its_port_goes_on(self):
        first, url, _ = self.serve()
        parts = urllib.parse.urlsplit(url)
        status, _, whole = request(url)
        connection = http.client.HTTPConnection(parts.hostname, parts.port, timeout=10)
        self.addCleanup(connection.close)
        # Served as asked, a range list made a body of that many pages in memory: a list of
        # thousands asked for gigabytes.
        connection.request("GET", "/", headers={"Range": "bytes=" + ",".join(["0-"] * 20)})
        answer = connection.getresponse()
        self.assertEqual(answer.status, status)
        self.assertTrue(answer.read(len(whole) + 1) == whole, "the whole answer, once")

        second = self.start_monitor("--serve", parts.netloc, log_name="Other")
        second.errors.wait_for("cannot serve")
        self.assertIn(f"stillmon: cannot serve the page on {url}: Address already in use",
                      second.errors.all())
        first.wait_for_cycles(2)
        self.assertIsNone(second.process.poll())
        self.assertFalse(any(line.startswith("Page served") for line in second.output.all()))

    def test_a_console_that_types_without_end_is_held_back_and_ctrl_backslash_ends(self):
        typist = subprocess.Popen(["yes", "d"], stdout=subprocess.PIPE)
        self.addCleanup(typist.wait)
        self.addCleanup(typist.kill)
        monitor = self.start_monitor(stdin=typist.stdout)
        typist.stdout.close()
        monitor.errors.wait_for("keys come faster")
        monitor.wait_for_cycles(3)
        # Unbounded, the queue grew by hundreds of megabytes a second; read and dropped, the
        # keys took a core.
        self.assertLess(resident_megabytes(monitor.pid), 100)
        self.assertLess(harness.cpu_share(monitor.pid, 2.0), 0.25)
        self.assertEqual(len(monitor.errors.all()), 1, "a full queue is said once")
        self.simulator.wait_for(r" command 100: ")
        monitor.process.send_signal(signal.SIGQUIT)  # Ctrl+\ ends as the other signals do
        self.assertEqual(monitor.exit_status(), 131)
        self.assertTrue(sh.read_bytes(monitor.text_log).endswith(b"\r\n"))

    def test_a_device_that_takes_no_bytes_neither_hangs_the_run_nor_keeps_it_from_ending(self):
        # The device's input is stuck: what the monitor writes to the port goes nowhere.
        stuck = os.open(self.simulator.terminal, os.O_RDWR | os.O_NOCTTY)
        self.addCleanup(os.close, stuck)
        termios.tcflow(stuck, termios.TCOOFF)
        monitor = self.start_monitor(stdin=subprocess.PIPE)
        self.addCleanup(monitor.process.stdin.close)
        monitor.wait_for_cycles(2)
        monitor.process.stdin.write(b"d")  # a command key
        monitor.process.stdin.flush()
        monitor.errors.wait_for("takes no command bytes")
        # A synchronous write held the link's thread: nothing more was logged, and the
        # signals' close waited on it for good.
        logged = len(monitor.logged_lines())
        monitor.wait_for_cycles(logged + 2)
        monitor.process.send_signal(signal.SIGTERM)
        self.assertEqual(monitor.exit_status(timeout_s=1), 143)
        self.assertTrue(sh.read_bytes(monitor.text_log).endswith(b"\r\n"))
        self.assertEqual(len(monitor.errors.all()), 1)

    def test_frames_that_waited_while_the_run_was_stopped_are_all_read(self):
        monitor = self.start_monitor()
        monitor.wait_for_cycles(2)
        monitor.process.send_signal(signal.SIGSTOP)
        last = sh.record_numbers(monitor.logged_lines())[-1]
        # Stopped for 30 frames, as after a suspended laptop: more than 61 cycles catch up on.
        self.simulator.wait_for(rf"\(record {last + 30}\) sent", timeout_s=40)
        monitor.process.send_signal(signal.SIGCONT)
        # Seen from the supervisor frames had stopped, and read one a cycle, 0.5 s apart, those
        # that waited made 61 timing errors in a row: each re-opened the port, losing frames.
        numbers = sh.record_numbers(monitor.wait_for_cycles(last + 62, timeout_s=60))
        self.assertEqual(numbers, list(range(1, len(numbers) + 1)))
        self.assertEqual(self.simulator.events("^reader (attached|left)"), ["reader attached"])


if __name__ == "__main__":
    unittest.main()
