"""End-to-end tests of where a live run's alarms go: webhooks, commands and the events file
beside the logs, the device played by the test. A replay of the same log evaluates the alarms
but sends nothing. Program paths come in STILLMON and STILLSIM.
"""

import base64
import json
import os
import re
import socket
import sys
import unittest

import harness
import stillmon_harness as sh
from alarm_run import (HOT_STEAM, NORMAL_STEAM, STEAM_ALARM, Receiver, TimedDevice,
                       steam_frames, write_file)

# A command that appends its STILLMON_ variables and its input to the file it is given.
RECORDING_COMMAND = """import json, os, sys
with open(sys.argv[1], "a") as f:
    print(json.dumps({"env": {k: v for k, v in os.environ.items() if k.startswith("STILLMON_")},
                      "stdin": json.loads(sys.stdin.read())}), file=f)
"""


class AlarmDelivery(sh.ProgramTestCase):
    def start(self, config, steam):
        """A live run on port 3 whose device sends the frames once the window is up."""
        device = TimedDevice(self.dir)
        self.addCleanup(device.close)
        self.config = write_file(os.path.join(self.dir, "still.toml"), STEAM_ALARM + config)
        # The critical alarm's tone goes to SDL's silent driver: sound is not these tests' matter.
        monitor = sh.Monitor(self.x, self.dir, device.link, options=("--config", self.config),
                             environment={"SDL_AUDIODRIVER": "dummy"})
        self.addCleanup(monitor.stop)
        device.wait_for_reader()
        monitor.window()
        device.keep_sending(steam_frames(steam), 0.85)
        return device, monitor

    def test_a_crossing_reaches_each_target_once_fired_and_once_cleared(self):
        receiver = Receiver()
        self.addCleanup(receiver.close)
        runs = os.path.join(self.dir, "runs.jsonl")
        device, monitor = self.start(f"""
[[notify.webhook]]
url = "{receiver.url}/json"
[[notify.webhook]]
url = "http://still:se%3Acret@{receiver.url[len("http://"):]}/ntfy"
format = "ntfy"
[[notify.command]]
run = {json.dumps([sys.executable, "-c", RECORDING_COMMAND, runs])}
""", [NORMAL_STEAM] * 3 + [HOT_STEAM] * 3 + [NORMAL_STEAM] * 30)
        fired, cleared = (json.loads(r[3]) for r in receiver.wait_for(2, "/json"))
        ntfy = receiver.wait_for(2, "/ntfy")
        harness.wait_until(lambda: len(harness.read_lines(runs)) == 2, 10, what="two commands")
        monitor.wait_for_cycles(10)  # whatever else would come has come by now
        self.assertEqual(len(receiver.requests()), 4)

        for notice, state, value, record in ((fired, "firing", 80.625, 4),
                                             (cleared, "cleared", 75, 7)):
            self.assertRegex(notice["time"], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$")
            self.assertEqual({k: v for k, v in notice.items() if "time" not in k}, {
                "alarm": "steam-hot", "state": state, "severity": "critical", "value": value,
                "threshold": 80, "record": record, "port": "3", "log": "Run"})
        login = "Basic " + base64.b64encode(b"still:se:cret").decode()
        self.assertEqual([(h["Title"], h["Priority"], h["Tags"], h["Authorization"], body)
                          for _, _, h, body in ntfy],
                         [("stillmon: steam-hot firing", "urgent", "rotating_light", login,
                           b"steam-hot firing: steam 80.6 above 80"),
                          ("stillmon: steam-hot cleared", "default", "white_check_mark", login,
                           b"steam-hot cleared: steam 75")])

        commands = [json.loads(line) for line in harness.read_lines(runs)]
        self.assertEqual([run["stdin"] for run in commands], [fired, cleared])
        # The monitor's own environment, which names the port's device, comes along.
        environment = commands[0]["env"]
        self.assertEqual(environment.pop("STILLMON_COM3"), device.link)
        self.assertEqual({k: v for k, v in environment.items() if k not in os.environ}, {
            "STILLMON_ALARM": "steam-hot", "STILLMON_STATE": "firing",
            "STILLMON_SEVERITY": "critical", "STILLMON_VALUE": "80.6",
            "STILLMON_THRESHOLD": "80", "STILLMON_RECORD": "4",
            "STILLMON_DEVICE_TIME": fired["device_time"], "STILLMON_PORT": "3"})

        events_file = os.path.join(self.dir, "Run3.events.csv")
        events = harness.read_lines(events_file)
        self.assertEqual(events, ["device_time,record,time,alarm,state,value"] + [
            f"{n['device_time']},{n['record']},{n['time']},steam-hot,{n['state']},{value}"
            for n, value in ((fired, "80.6"), (cleared, "75"))])
        # stderr tells the alarm and nothing of the targets, least of all a password.
        self.assertEqual(monitor.errors.all(), [
            "stillmon: alarm steam-hot firing: steam 80.6 above 80",
            "stillmon: alarm steam-hot cleared: steam 75"])
        latency = receiver.requests("/json")[0][0] - device.sent_at[3]
        print(f"\nthreshold crossing frame to webhook: {latency * 1000:.1f} ms", file=sys.stderr)

        monitor.stop()
        replay = harness.Program([sh.STILLMON, "--config", self.config, "0", "Run3"],
                                 cwd=self.dir, env=harness.environment_without_display())
        self.addCleanup(replay.stop)
        replay.errors.wait_for("alarm steam-hot cleared")
        replay.stop()
        self.assertEqual(len(receiver.requests()), 4)
        self.assertEqual(len(harness.read_lines(runs)), 2)
        self.assertEqual(harness.read_lines(events_file), events)

    def test_a_silent_device_fires_in_time(self):
        # Four frames, then nothing: the frame age passes 2 s with no cycle to look at it.
        device, monitor = self.start('[[alarm]]\nname = "device-silent"\nvalue = "frame_age"\n'
                                     'above = 2.0\n', [NORMAL_STEAM] * 4)
        fired = monitor.errors.wait_for(
            r"^stillmon: alarm device-silent firing: no frame for (\S+) s$", timeout_s=30)
        self.assertTrue(2 < float(fired.group(1)) <= 2.3, fired.group(0))
        self.assertEqual(len(monitor.logged_lines()), 4)

    def test_an_unanswering_webhook_delays_no_cycle_and_is_said_once(self):
        silent = socket.socket()  # the system takes connections in; nobody answers them
        self.addCleanup(silent.close)
        silent.bind(("127.0.0.1", 0))
        silent.listen(1)
        url = f"http://127.0.0.1:{silent.getsockname()[1]}/hook"
        steam = [NORMAL_STEAM] * 6 + ([HOT_STEAM] * 2 + [NORMAL_STEAM] * 2) * 7
        device, monitor = self.start(f'[[notify.webhook]]\nurl = "{url}"\n', steam)
        monitor.errors.wait_for("cannot notify", timeout_s=30)
        lines = monitor.wait_for_cycles(len(steam) - 2, timeout_s=40)
        # Each frame is read when it comes, as the device sent them: within the tolerance of
        # the timing errors, once the window's first pictures are done.
        logged = [float(line.split(", ")[-2]) for line in lines[6:]]
        sent = [b - a for a, b in zip(device.sent_at[5:], device.sent_at[6:len(lines)])]
        self.assertTrue(all(abs(i - s) <= 0.14 for i, s in zip(logged, sent)), (logged, sent))
        said = "\n".join(line for line in monitor.errors.all() if "notify" in line)
        self.assertRegex(said, rf"^stillmon: cannot notify {re.escape(url)}: "
                               r"no (answer|connection) within \d+ s; retrying$")


if __name__ == "__main__":
    unittest.main()
