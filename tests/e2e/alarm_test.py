"""End-to-end tests of where a live run's alarms go: webhooks, commands and the events file
beside the logs, the device played by the test on a pseudo-terminal. A replay of the same log
evaluates the alarms but sends nothing. Program paths come in STILLMON and STILLSIM.
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
                       steam_frames, write_config)

PERIOD_S = 0.85  # the device's normal frame period

# The command writes its STILLMON_ variables and its input to the file it is given.
RECORDING_COMMAND = """
import json, os, sys
notice = {"env": {k: v for k, v in os.environ.items() if k.startswith("STILLMON_")},
          "stdin": sys.stdin.read()}
with open(sys.argv[1], "a") as f:
    f.write(json.dumps(notice) + "\\n")
"""


def read_json_lines(path):
    return [json.loads(line) for line in harness.read_lines(path)]


class AlarmDelivery(sh.ProgramTestCase):
    def start(self, config, frames):
        """A live run on port 3 with the configuration, the device sending the frames."""
        device = TimedDevice(self.dir)
        self.addCleanup(device.close)
        path = write_config(os.path.join(self.dir, "still.toml"), config)
        monitor = sh.Monitor(self.x, self.dir, device.link, options=("--config", path))
        self.addCleanup(monitor.stop)
        device.wait_for_reader()
        monitor.window()  # the frames come once the run is under way, as the intervals show
        device.keep_sending(frames, PERIOD_S)
        return device, monitor

    def test_a_crossing_reaches_each_target_once_fired_and_once_cleared(self):
        receiver = Receiver()
        self.addCleanup(receiver.close)
        script = write_config(os.path.join(self.dir, "record.py"), RECORDING_COMMAND)
        recorded = os.path.join(self.dir, "commands.jsonl")
        config = STEAM_ALARM + f"""
[[notify.webhook]]
url = "{receiver.url}/json"

[[notify.webhook]]
url = "http://still:se%3Acret@{receiver.url[len("http://"):]}/ntfy"
format = "ntfy"

[[notify.command]]
run = [{json.dumps(sys.executable)}, {json.dumps(script)}, {json.dumps(recorded)}]
"""
        steam = [NORMAL_STEAM] * 3 + [HOT_STEAM] * 3 + [NORMAL_STEAM] * 30
        device, monitor = self.start(config, steam_frames(1, steam))
        fired, cleared = receiver.wait_for(2, "/json")
        receiver.wait_for(2, "/ntfy")
        harness.wait_until(lambda: len(harness.read_lines(recorded)) == 2, 10,
                           what="the command's two runs")
        # Whatever else comes must come by the next cycles: nothing does.
        monitor.wait_for_cycles(10)
        self.assertEqual(len(receiver.requests()), 4)

        fired_json, cleared_json = (json.loads(r[3]) for r in (fired, cleared))
        time_pattern = r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$"
        for notice, state, value, record in ((fired_json, "firing", 80.625, 4),
                                             (cleared_json, "cleared", 75, 7)):
            self.assertRegex(notice.pop("time"), time_pattern)
            self.assertRegex(notice.pop("device_time"), r"^\d+:\d+:\d+_\d+$")
            self.assertEqual(notice, {"alarm": "steam-hot", "state": state,
                                      "severity": "critical", "value": value, "threshold": 80,
                                      "record": record, "port": "3", "log": "Run"})
        self.assertEqual(fired[2]["Content-Type"], "application/json")

        ntfy = receiver.requests("/ntfy")
        self.assertEqual([(r[2]["Title"], r[2]["Priority"], r[2]["Tags"], r[3]) for r in ntfy], [
            ("stillmon: steam-hot firing", "urgent", "rotating_light",
             b"steam-hot firing: steam 80.6 above 80"),
            ("stillmon: steam-hot cleared", "default", "white_check_mark",
             b"steam-hot cleared: steam 75")])
        self.assertEqual(ntfy[0][2]["Authorization"],
                         "Basic " + base64.b64encode(b"still:se:cret").decode())

        runs = read_json_lines(recorded)
        self.assertEqual([json.loads(run["stdin"]) for run in runs],
                         [json.loads(r[3]) for r in (fired, cleared)])
        # The monitor's own environment (which names the port's device) comes along.
        environment = runs[0]["env"]
        self.assertEqual(environment.pop("STILLMON_COM3"), device.link)
        self.assertEqual({name: environment[name] for name in environment if
                          name not in os.environ}, {
            "STILLMON_ALARM": "steam-hot", "STILLMON_STATE": "firing",
            "STILLMON_SEVERITY": "critical", "STILLMON_VALUE": "80.625",
            "STILLMON_THRESHOLD": "80", "STILLMON_RECORD": "4",
            "STILLMON_DEVICE_TIME": json.loads(fired[3])["device_time"], "STILLMON_PORT": "3"})

        events = harness.read_lines(os.path.join(self.dir, "Run3.events.csv"))
        self.assertEqual(events, ["device_time,record,time,alarm,state,value"] + [
            f"{n['device_time']},{n['record']},{n['time']},steam-hot,{n['state']},{value}"
            for n, value in ((json.loads(fired[3]), "80.625"), (json.loads(cleared[3]), "75"))])
        # stderr says the alarm and nothing of the targets, least of all a password.
        self.assertEqual(monitor.errors.all(), [
            "stillmon: alarm steam-hot firing: steam 80.6 above 80",
            "stillmon: alarm steam-hot cleared: steam 75"])
        print(f"\nthreshold crossing frame to webhook arrival: "
              f"{(fired[0] - device.sent_at[3]) * 1000:.1f} ms", file=sys.stderr)

        # A replay of the same log evaluates the alarm and sends nothing, nor writes events.
        monitor.stop()
        replay = harness.Program([sh.STILLMON, "--config", os.path.join(self.dir, "still.toml"),
                                  "0", "Run3"], cwd=self.dir,
                                 env=harness.environment_without_display())
        self.addCleanup(replay.stop)
        replay.errors.wait_for("alarm steam-hot cleared")
        replay.stop()
        self.assertEqual(len(receiver.requests()), 4)
        self.assertEqual(len(harness.read_lines(recorded)), 2)
        self.assertEqual(harness.read_lines(os.path.join(self.dir, "Run3.events.csv")), events)

    def test_an_unanswering_webhook_delays_no_cycle_and_is_said_once(self):
        # Connections are taken in by the system and never answered.
        silent = socket.socket()
        self.addCleanup(silent.close)
        silent.bind(("127.0.0.1", 0))
        silent.listen(1)
        url = f"http://127.0.0.1:{silent.getsockname()[1]}/hook"
        config = STEAM_ALARM.replace('severity = "critical"', 'repeat = "1s"') + f"""
[[notify.webhook]]
url = "{url}"
"""
        # The first cycles of a run take longer than the others (the window's first
        # pictures): the alarm crosses once they are done.
        steam = [NORMAL_STEAM] * 6 + ([HOT_STEAM] * 2 + [NORMAL_STEAM] * 2) * 7
        _, monitor = self.start(config, steam_frames(1, steam))
        monitor.errors.wait_for("cannot notify", timeout_s=30)
        lines = monitor.wait_for_cycles(len(steam) - 2, timeout_s=40)
        intervals = [float(line.split(", ")[-2]) for line in lines]
        self.assertTrue(all(0.71 <= i <= 0.99 for i in intervals[6:]), intervals)
        failures = [line for line in monitor.errors.all() if "notify" in line]
        self.assertEqual(len(failures), 1, failures)
        self.assertRegex(failures[0], rf"^stillmon: cannot notify {re.escape(url)}: "
                                      r"no (answer|connection) within \d+ s; retrying$")
        self.assertEqual(sh.record_numbers(lines), list(range(1, len(lines) + 1)))


if __name__ == "__main__":
    unittest.main()
