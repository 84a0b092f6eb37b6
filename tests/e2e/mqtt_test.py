"""End-to-end tests of stillmon publishing a live run to an MQTT broker: a Mosquitto broker of
the test's own (anonymous, with passwords, with TLS), stillmon live without a window against
a device played by the test or by the simulator, and a paho subscriber that compares what is
published with the text log, the alarms and the broker's last will.

Program paths come in STILLMON and STILLSIM.
"""

import json
import os
import signal
import socket
import time

import harness
import mqtt_broker
import stillmon_harness as sh

TOPIC = "test/still-3"
NODE = "test_still-3"
SENSORS = ("tank", "first_stage", "second_stage", "steam", "top_he", "centre", "bottom_he",
           "out_water", "liquid_strength", "vapour_strength", "stages", "reflux_ratio", "valve",
           "flow")
ALARMS = """
[[alarm]]
name = "tank-hot"
value = "tank"
above = 80

[[alarm]]
name = "never"
value = "steam"
above = 1000
"""


def discovery_topics(alarms=("tank-hot", "never")):
    return ([f"homeassistant/sensor/{NODE}/{key}/config" for key in SENSORS] +
            [f"homeassistant/binary_sensor/{NODE}/{name}/config" for name in alarms])


def frames_with_tank(raws):
    """Plain frames, one per raw tank value (sixteenths of a degree)."""
    frames = []
    for frame, raw in zip(sh.plain_frames(1, len(raws)), raws):
        elements = sh.elements_from_frame(frame)
        elements[0] = raw
        frames.append(sh.frame_from_elements(elements))
    return frames


class MqttTestCase(sh.RecordChecks, harness.EndToEndTest):
    def setUp(self):
        sh.require_programs(self)
        self.directory = harness.temporary_directory()
        self.addCleanup(self.directory.cleanup)
        self.dir = self.directory.name

    def start_broker(self, **options):
        broker = mqtt_broker.Broker(self.dir, **options)
        self.addCleanup(broker.stop)
        return broker

    def subscribe(self, broker, **options):
        subscriber = mqtt_broker.Subscriber(broker.port, **options)
        self.addCleanup(subscriber.close)
        return subscriber

    def write_config(self, mqtt_lines, alarms=ALARMS, name="still.toml"):
        path = os.path.join(self.dir, name)
        with open(path, "w") as f:
            f.write(alarms + "\n[mqtt]\n" + "\n".join(mqtt_lines) + "\n")
        return path

    def start_monitor(self, device_link, config):
        monitor = sh.Monitor(None, self.dir, device_link, options=("--config", config))
        self.addCleanup(monitor.stop)
        return monitor

    def start_simulator(self):
        simulator = sh.Simulator(self.dir)
        self.addCleanup(simulator.stop)
        return simulator

    def assert_only_alarm_lines(self, monitor):
        self.assertEqual([line for line in monitor.errors.all()
                          if not line.startswith("stillmon: alarm ")], [])


class MqttPublishing(MqttTestCase):
    def test_each_cycle_each_alarm_and_the_discovery_then_offline_at_a_clean_exit(self):
        broker = self.start_broker()
        live = self.subscribe(broker)
        device = sh.FakeDevice(self.dir)
        self.addCleanup(device.close)
        monitor = self.start_monitor(device.link, self.write_config(
            [f'broker = "{broker.url()}"', f'topic = "{TOPIC}"']))
        live.wait_for(f"{TOPIC}/availability", "online")
        # 78.1, 81.3, 81.3, 78.1, 78.1 degrees: tank-hot fires at the second and clears at
        # the fourth.
        frames = frames_with_tank([1250, 1300, 1300, 1250, 1250])
        device.keep_sending(frames, 0.85)
        lines = monitor.wait_for_cycles(len(frames))
        live.wait_for(f"{TOPIC}/state")
        harness.wait_until(lambda: len(live.states(f"{TOPIC}/state")) == len(frames), 10,
                           what="a state per cycle")
        states = live.states(f"{TOPIC}/state")
        self.assertEqual([state["index"] for state in states], [1, 2, 3, 4, 5])
        for state, line in zip(states, lines):
            self.assert_record_matches_line(state, line)
        self.assertEqual(live.payloads(f"{TOPIC}/alarm/tank-hot"), ["OFF", "ON", "OFF"])
        self.assertEqual(live.payloads(f"{TOPIC}/alarm/never"), ["OFF"])

        # A subscriber that comes later gets everything retained, the discovery well formed.
        late = self.subscribe(broker)
        held = late.retained(discovery_topics() + [f"{TOPIC}/availability", f"{TOPIC}/state",
                                                    f"{TOPIC}/alarm/tank-hot"])
        self.assertEqual(held[f"{TOPIC}/availability"], "online")
        self.assertEqual(json.loads(held[f"{TOPIC}/state"]), states[-1])
        self.assertEqual(held[f"{TOPIC}/alarm/tank-hot"], "OFF")
        documents = {topic: json.loads(held[topic]) for topic in discovery_topics()}
        unique_ids = [document["unique_id"] for document in documents.values()]
        self.assertEqual(len(set(unique_ids)), len(SENSORS) + 2)
        for topic, document in documents.items():
            self.assertEqual(document["availability_topic"], f"{TOPIC}/availability")
            self.assertEqual(document["device"]["identifiers"], [f"stillmon_{NODE}"])
            self.assertEqual(document["device"]["model"], "stillmon")
            key = topic.split("/")[3]
            if "/sensor/" in topic:
                self.assertEqual(document["state_topic"], f"{TOPIC}/state")
                self.assertIn("value_json.", document["value_template"])
            else:
                self.assertEqual(document["state_topic"], f"{TOPIC}/alarm/{key}")
                self.assertEqual(document["device_class"], "problem")
        self.assertEqual(documents[discovery_topics()[3]]["unit_of_measurement"], "\u00b0C")

        # Home Assistant's birth message asks for the discovery again.
        before = len(late.messages(discovery_topics()[0]))
        late.client.publish("homeassistant/status", "online")
        harness.wait_until(lambda: len(late.messages(discovery_topics()[0])) > before, 10,
                           what="the discovery published again")

        device.stop_sending()
        stopped_at = time.monotonic()
        monitor.stop()  # SIGTERM: a clean exit, after which the broker sends no last will
        self.assertLess(time.monotonic() - stopped_at, 3)
        live.wait_for(f"{TOPIC}/availability", "offline", timeout_s=5)
        self.assert_only_alarm_lines(monitor)

    def test_a_killed_run_leaves_its_last_will_under_the_default_topic(self):
        topic = f"stillmon/{socket.gethostname()}-3"
        broker = self.start_broker()
        live = self.subscribe(broker)
        simulator = self.start_simulator()
        monitor = self.start_monitor(simulator.link, self.write_config(
            [f'broker = "{broker.url()}"']))
        live.wait_for(f"{topic}/availability", "online")
        live.wait_for(f"{topic}/state")
        os.kill(monitor.pid, signal.SIGKILL)
        live.wait_for(f"{topic}/availability", "offline")
        later = self.subscribe(broker)
        self.assertEqual(later.retained([f"{topic}/availability"])[f"{topic}/availability"],
                         "offline")


class MqttFaults(MqttTestCase):
    def test_a_broker_away_at_the_start_and_later_is_said_once_and_found_again(self):
        broker = self.start_broker(start=False)
        simulator = self.start_simulator()
        monitor = self.start_monitor(simulator.link, self.write_config(
            [f'broker = "{broker.url()}"', f'topic = "{TOPIC}"']))
        unreachable = (f"stillmon: cannot reach the MQTT broker {broker.url()}: "
                       "Connection refused; retrying")
        monitor.errors.wait_for("^" + unreachable + "$")
        monitor.wait_for_cycles(3)  # the run goes on without the broker
        broker.start()
        live = self.subscribe(broker)
        live.wait_for(f"{TOPIC}/availability", "online", timeout_s=40)
        monitor.errors.wait_for(f"^stillmon: connected to the MQTT broker {broker.url()}$")

        broker.stop()
        logged_before = len(monitor.logged_lines())
        monitor.wait_for_cycles(logged_before + 6)  # about 5 s without the broker
        last_before = sh.record_numbers(monitor.logged_lines())[-1]
        broker.start()  # without persistence: nothing retained is left
        again = self.subscribe(broker)
        again.wait_for(f"{TOPIC}/availability", "online", timeout_s=40)
        harness.wait_until(lambda: len(again.states(f"{TOPIC}/state")) >= 3, 10,
                           what="states after the reconnection")
        self.subscribe(broker).retained(discovery_topics() + [f"{TOPIC}/state"])
        # Only the latest state waited for the broker: none from before the outage, no gaps.
        records = [state["record"] for state in again.states(f"{TOPIC}/state")]
        self.assertGreaterEqual(records[0], last_before)
        self.assertEqual(records, list(range(records[0], records[0] + len(records))))
        errors = [line for line in monitor.errors.all() if "MQTT" in line]
        self.assertEqual(len(errors), 4, errors)
        self.assertEqual(errors[0], unreachable)
        self.assertRegex(errors[2], "^stillmon: cannot reach the MQTT broker .*; retrying$")
        self.assertEqual(errors[1], errors[3])

    def test_refused_credentials_are_said_and_good_ones_connect(self):
        broker = self.start_broker(users={"still": "good-one"})
        live = self.subscribe(broker, user=("still", "good-one"))
        password = os.path.join(self.dir, "password")
        with open(password, "w") as f:
            f.write("bad-one\n")
        config = self.write_config([f'broker = "{broker.url()}"', f'topic = "{TOPIC}"',
                                    'username = "still"', 'password_file = "password"'])
        simulator = self.start_simulator()
        refused = self.start_monitor(simulator.link, config)
        refused.errors.wait_for(
            f'^stillmon: the MQTT broker {broker.url()} refused the user "still": not '
            'authorised; retrying every minute$')
        refused.stop()
        with open(password, "w") as f:
            f.write("good-one\n")
        monitor = self.start_monitor(simulator.link, config)
        live.wait_for(f"{TOPIC}/availability", "online")
        live.wait_for(f"{TOPIC}/state")
        monitor.stop()
        self.assert_only_alarm_lines(monitor)

    def test_tls_with_the_authority_of_the_configuration_and_without(self):
        authority, certificate, key = mqtt_broker.make_certificates(self.dir)
        broker = self.start_broker(tls=(authority, certificate, key))
        live = self.subscribe(broker)  # on the plain listener
        url = f"mqtts://localhost:{broker.tls_port}"
        simulator = self.start_simulator()
        unknown_authority = self.start_monitor(simulator.link, self.write_config(
            [f'broker = "{url}"', f'topic = "{TOPIC}"'], name="system.toml"))
        unknown_authority.errors.wait_for(
            f"^stillmon: cannot reach the MQTT broker {url}: TLS: certificate verify failed; "
            "retrying every minute$")
        unknown_authority.stop()
        monitor = self.start_monitor(simulator.link, self.write_config(
            [f'broker = "{url}"', f'topic = "{TOPIC}"', f'ca_file = "{authority}"',
             'discovery = ""']))
        live.wait_for(f"{TOPIC}/availability", "online")
        live.wait_for(f"{TOPIC}/state")
        self.assertEqual([m for m in live.messages() if m[1].startswith("homeassistant/")], [])
        self.assert_only_alarm_lines(monitor)
