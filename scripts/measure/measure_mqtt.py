"""Measures what publishing to an MQTT broker costs a live run of stillmon, under a virtual X
server against a local Mosquitto broker. Not a test; run it by hand:

    python3 scripts/measure/measure_mqtt.py --stillmon build/stillmon --stillsim build/stillsim \
        [--minutes 5] [--frames 60]

CPU: two runs side by side for the same minutes, each against a simulator of its own, with
the same alarms, one of them also publishing to the broker (so that whatever else the machine
does weighs on both alike): the CPU each used, and the publisher's own thread ("mqtt").

Latency: the script plays the device itself and subscribes to the state topic, so it knows
when each frame went out and when its record arrived at a subscriber: from a frame's last
byte written to its state message received, over the given number of frames.
"""

import argparse
import contextlib
import json
import os
import statistics
import sys
import time

# The end-to-end tests' harness (X servers, programs, the simulator, the broker) serves here.
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))

import harness  # noqa: E402
import mqtt_broker  # noqa: E402
import stillmon_harness  # noqa: E402
from measure_live import thread_cpu_seconds  # noqa: E402

ALARMS = """
[[alarm]]
name = "steam-hot"
value = "steam"
above = 80

[[alarm]]
name = "device-silent"
value = "frame_age"
above = 10
"""


def thread_run_seconds(pid, name):
    """CPU time of the process's threads of that name, in nanosecond resolution, from their
    scheduler statistics."""
    total = 0.0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                if f.read().strip() != name:
                    continue
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0]) / 1e9
        except FileNotFoundError:
            continue
    return total


def write_config(directory, name, broker=None, topic=None):
    path = os.path.join(directory, name)
    with open(path, "w") as f:
        f.write(ALARMS)
        if broker:
            f.write(f'\n[mqtt]\nbroker = "{broker.url()}"\ntopic = "{topic}"\n')
    return path


def start_run(x, directory, port, config, device_link, log_name="Run"):
    return stillmon_harness.Monitor(x, directory, device_link, port=port, log_name=log_name,
                                    options=("--config", config))


def measure_cpu(x, directory, broker, seconds, report):
    plain_config = write_config(directory, "plain.toml")
    mqtt_config = write_config(directory, "mqtt.toml", broker, "measure/cpu")
    with stillmon_harness.Simulator(directory, link_name="com3") as plain_device, \
            stillmon_harness.Simulator(directory, link_name="com4") as mqtt_device, \
            contextlib.closing(mqtt_broker.Subscriber(broker.port, topics=("measure/cpu/state",))) \
            as subscriber:
        with start_run(x, directory, "3", plain_config, plain_device.link) as plain, \
                start_run(x, directory, "4", mqtt_config, mqtt_device.link) as published:
            for monitor in (plain, published):
                monitor.wait_for_cycles(5)
            subscriber.wait_for("measure/cpu/state")
            runs = {"without MQTT": plain, "publishing": published}
            before = {name: (harness.cpu_seconds(m.pid), thread_cpu_seconds(m.pid),
                             len(m.logged_lines())) for name, m in runs.items()}
            mqtt_thread0 = thread_run_seconds(published.pid, "mqtt")
            states_before = len(subscriber.messages())
            start = time.monotonic()
            while time.monotonic() - start < seconds:
                time.sleep(min(30.0, seconds - (time.monotonic() - start)))
                for name, monitor in runs.items():
                    if monitor.process.poll() is not None:
                        raise harness.HarnessError(f"the run {name} ended")
            wall = time.monotonic() - start
            used = {}
            for name, monitor in runs.items():
                cpu0, threads0, lines0 = before[name]
                cpu = harness.cpu_seconds(monitor.pid) - cpu0
                threads = thread_cpu_seconds(monitor.pid)
                cycles = len(monitor.logged_lines()) - lines0
                used[name] = cpu
                report(f"{name}: {cycles} cycles in {wall:.0f} s, {cpu:.2f} s CPU = "
                       f"{100 * cpu / wall:.3f} % of a core")
                for thread in sorted(threads):
                    spent = threads[thread] - threads0.get(thread, 0.0)
                    report(f"  thread {thread}: {spent:.2f} s = {100 * spent / wall:.3f} %")
            mqtt_thread = thread_run_seconds(published.pid, "mqtt") - mqtt_thread0
            report(f"the publisher's thread alone: {1000 * mqtt_thread:.1f} ms CPU = "
                   f"{100 * mqtt_thread / wall:.4f} % of a core")
            report(f"states received meanwhile: {len(subscriber.messages()) - states_before}")
            report(f"publishing costs {100 * (used['publishing'] - used['without MQTT']) / wall:+.3f} "
                   f"% of a core more than not publishing (both runs side by side)")


def measure_latency(x, directory, broker, frames, report):
    config = write_config(directory, "latency.toml", broker, "measure/latency")
    with stillmon_harness.FakeDevice(directory, link_name="com5") as device, \
            contextlib.closing(
                mqtt_broker.Subscriber(broker.port, topics=("measure/latency/state",))) \
            as subscriber:
        with start_run(x, directory, "5", config, device.link, log_name="Late") as monitor:
            device.wait_for_reader()
            monitor.window()
            sent = {}
            due = time.monotonic()
            for record in range(1, frames + 1):
                elements = [1250, 1400, 1420, 1560, 400, 410, 390, 300, 100, 200, 300, 400,
                            1234, 25, 810, 96 * 256, 0x2D07, 0x0E1E, record]
                due += 0.85
                time.sleep(max(0.0, due - time.monotonic()))
                device.send(stillmon_harness.frame_from_elements(elements))
                sent[record] = time.monotonic()
            harness.wait_until(
                lambda: any(json.loads(p)["record"] == frames
                            for p in subscriber.payloads("measure/latency/state")),
                10, what="the last frame's state")
            delays = sorted(1000 * (arrived - sent[json.loads(payload)["record"]])
                            for arrived, _, payload, _ in subscriber.messages()
                            if json.loads(payload)["record"] in sent)
            report(f"frame written to state received, {len(delays)} frames: median "
                   f"{statistics.median(delays):.1f} ms, 95th percentile "
                   f"{delays[int(0.95 * (len(delays) - 1))]:.1f} ms, lowest {delays[0]:.1f} ms, "
                   f"highest {delays[-1]:.1f} ms")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--stillmon", required=True)
    parser.add_argument("--stillsim", required=True)
    parser.add_argument("--minutes", type=float, default=5.0)
    parser.add_argument("--frames", type=int, default=60)
    arguments = parser.parse_args()
    stillmon_harness.STILLMON = os.path.abspath(arguments.stillmon)
    stillmon_harness.STILLSIM = os.path.abspath(arguments.stillsim)

    def report(text):
        print(text, flush=True)

    with harness.Xvfb() as x, harness.temporary_directory() as directory:
        broker = mqtt_broker.Broker(directory)
        try:
            measure_latency(x, directory, broker, arguments.frames, report)
            measure_cpu(x, directory, broker, 60.0 * arguments.minutes, report)
        finally:
            broker.stop()


if __name__ == "__main__":
    main()
