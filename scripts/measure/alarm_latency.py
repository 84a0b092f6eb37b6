"""Measures how soon an alarm reaches a webhook: from the moment the frame that crosses the
threshold is written to the monitor's port to the moment the webhook's request arrives at a
receiver on loopback, for firing and for clearing. The alarm has no "for" delay, so this is the
monitor's own part: reading the frame, the cycle (logs, window), the look at the alarms and the
notifier's send. Not a test; run it by hand:

    python3 scripts/measure/alarm_latency.py --stillmon build/stillmon --crossings 10
"""

import argparse
import json
import os
import sys
import time

# The end-to-end tests' harness (X servers, programs, the device) serves here too.
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))

import alarm_run  # noqa: E402
import harness  # noqa: E402
import stillmon_harness  # noqa: E402


def summary(name, milliseconds):
    ordered = sorted(milliseconds)
    return (f"{name} over {len(ordered)} crossings: median {ordered[len(ordered) // 2]:.1f} ms, "
            f"lowest {ordered[0]:.1f} ms, highest {ordered[-1]:.1f} ms")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--stillmon", required=True)
    parser.add_argument("--crossings", type=int, default=10)
    parser.add_argument("--headless", action="store_true", help="run without a window")
    arguments = parser.parse_args()
    stillmon_harness.STILLMON = os.path.abspath(arguments.stillmon)

    steam = [alarm_run.NORMAL_STEAM] * 2 + [alarm_run.HOT_STEAM] * 2
    steam = steam * arguments.crossings + steam[:2]
    with harness.temporary_directory() as directory:
        receiver = alarm_run.Receiver()
        config = alarm_run.write_file(
            os.path.join(directory, "still.toml"),
            alarm_run.STEAM_ALARM + f'[[notify.webhook]]\nurl = "{receiver.url}/hook"\n')
        x = None if arguments.headless else harness.Xvfb()
        device = alarm_run.TimedDevice(directory)
        monitor = stillmon_harness.Monitor(x, directory, device.link,
                                           options=("--config", config))
        try:
            device.wait_for_reader()
            device.keep_sending(alarm_run.steam_frames(steam), 0.85)
            receiver.wait_for(2 * arguments.crossings, timeout_s=10 + len(steam))
        finally:
            device.close()
            monitor.stop()
            receiver.close()
            if x is not None:
                x.close()
    latencies = {"firing": [], "cleared": []}
    for arrived, _, _, body in receiver.requests():
        notice = json.loads(body)
        sent = device.sent_at[notice["record"] - 1]  # records are numbered from 1
        latencies[notice["state"]].append(1000 * (arrived - sent))
    for state, milliseconds in latencies.items():
        print(summary(f"frame to webhook, {state}", milliseconds))


if __name__ == "__main__":
    main()
