"""End-to-end tests of a live run published to MQTT: a Mosquitto broker of the test's own,
stillmon without a window against a device played by the test or by the simulator, and a paho
subscriber comparing what is published with the text log, the alarms and the last will.
Program paths come in STILLMON and STILLSIM.
"""

import json
import os
import signal
import socket
import subprocess

import harness
import mqtt_broker
import stillmon_harness as sh

import jinja2  # Debian's python3-jinja2: found once mqtt_broker has looked for Debian's paho

TOPIC = "test/still-3"
SENSORS = ("tank", "first_stage", "second_stage", "steam", "top_he", "centre", "bottom_he",
           "out_water", "liquid_strength", "vapour_strength", "stages", "reflux_ratio", "valve",
           "flow")
# tank-hot fires above 80 degrees and clears at or below; never never fires.
ALARMS = ('[[alarm]]\nname = "tank-hot"\nvalue = "tank"\nabove = 80\n'
          '[[alarm]]\nname = "never"\nvalue = "steam"\nabove = 1000\n')
REFUSING_STATES = os.environ.get("MOSQUITTO_REFUSALS")  # libmosquitto, preloaded
DISCOVERY = ([f"homeassistant/sensor/test_still-3/{key}/config" for key in SENSORS] +
             [f"homeassistant/binary_sensor/test_still-3/{name}/config"
              for name in ("tank-hot", "never")] +
             ["homeassistant/event/test_still-3/mark/config"])


class MqttTestCase(sh.RecordChecks, harness.EndToEndTest):
    def setUp(self):
        sh.require_programs(self)
        self.directory = harness.temporary_directory()
        self.addCleanup(self.directory.cleanup)
        self.dir = self.directory.name

    def started(self, thing):
        self.addCleanup(getattr(thing, "stop", None) or thing.close)
        return thing

    def run_monitor(self, device_link, *mqtt_lines, environment=None, stdin=subprocess.DEVNULL):
        config = os.path.join(self.dir, "still.toml")
        with open(config, "w") as f:
            f.write(ALARMS + "[mqtt]\n" + "\n".join(mqtt_lines) + "\n")
        return self.started(sh.Monitor(None, self.dir, device_link, options=("--config", config),
                                       environment=environment, stdin=stdin))

    def assert_only_alarm_lines(self, monitor, *others):
        self.assertEqual([line for line in monitor.errors.all()
                          if not line.startswith("stillmon: alarm ")], list(others))


class MqttPublishing(MqttTestCase):
    def test_each_cycle_each_alarm_and_the_discovery_then_offline_at_a_clean_exit(self):
        broker = self.started(mqtt_broker.Broker(self.dir))
        live = self.started(mqtt_broker.Subscriber(broker.port))
        device = self.started(sh.FakeDevice(self.dir))
        monitor = self.run_monitor(device.link, f'broker = "{broker.url()}"',
                                   f'topic = "{TOPIC}"', stdin=subprocess.PIPE)
        live.wait_for(f"{TOPIC}/availability", "online")
        frames = []  # 78.1, 81.3, 81.3, 78.1 and 78.1 degrees in the tank
        for frame, tank in zip(sh.plain_frames(1, 5), (1250, 1300, 1300, 1250, 1250)):
            frames.append(sh.frame_from_elements([tank, *sh.elements_from_frame(frame)[1:]]))
        device.keep_sending(frames, 0.85)
        lines = monitor.wait_for_cycles(len(frames))
        harness.wait_until(lambda: len(live.payloads(f"{TOPIC}/state")) == len(frames), 10,
                           what="a state per cycle")
        states = [json.loads(payload) for payload in live.payloads(f"{TOPIC}/state")]
        self.assertEqual([state["index"] for state in states], [1, 2, 3, 4, 5])
        for state, line in zip(states, lines):
            self.assert_record_matches_line(state, line)
        self.assertEqual(live.payloads(f"{TOPIC}/alarm/tank-hot"), ["OFF", "ON", "OFF"])
        self.assertEqual(live.payloads(f"{TOPIC}/alarm/never"), ["OFF"])
        # A mark typed on the console (F3 as a terminal sends it): an event, not retained below.
        monitor.process.stdin.write(b"HEARTS\x1bOR")
        monitor.process.stdin.flush()
        live.wait_for(f"{TOPIC}/mark")
        mark, last = json.loads(live.payloads(f"{TOPIC}/mark")[0]), sh.logged(lines[-1])
        self.assertEqual((mark["event_type"], mark["text"], mark["record"], mark["device_time"]),
                         ("mark", "HEARTS", last["record"], last["device_time"]))

        # A subscriber that comes later gets everything retained, the discovery well formed.
        late = self.started(mqtt_broker.Subscriber(broker.port))
        held = late.retained(DISCOVERY + [f"{TOPIC}/availability", f"{TOPIC}/state"])
        self.assertEqual(late.messages(f"{TOPIC}/mark"), [])
        self.assertEqual(held[f"{TOPIC}/availability"], "online")
        self.assertEqual(json.loads(held[f"{TOPIC}/state"]), states[-1])
        documents = [json.loads(held[topic]) for topic in DISCOVERY]
        self.assertEqual(len({document["unique_id"] for document in documents}), len(DISCOVERY))
        for topic, document in zip(DISCOVERY, documents):
            self.assertEqual(document["availability_topic"], f"{TOPIC}/availability")
            self.assertEqual(document["device"]["identifiers"], ["stillmon_test_still-3"])
            self.assertEqual(document["state_topic"], f"{TOPIC}/state" if "/sensor/" in topic
                             else f"{TOPIC}/mark" if "/event/" in topic
                             else f"{TOPIC}/alarm/{topic.split('/')[3]}")
        # As Home Assistant renders them (`this`: the sensor's own state), a number or None.
        for document in documents[:len(SENSORS)]:
            shown = "unknown"
            for state in states:
                shown = jinja2.Template(document["value_template"]).render(
                    value_json=state, this={"state": shown.replace("None", "unknown")})
                self.assertRegex(shown, r"^(None|-?[0-9.]+)$", document["name"])
        # Home Assistant's birth message asks for the discovery again.
        late.client.publish("homeassistant/status", "online")
        harness.wait_until(lambda: len(late.messages(DISCOVERY[0])) == 2, 10,
                           what="the discovery published again")

        device.stop_sending()
        monitor.stop()  # SIGTERM: a clean exit, after which the broker sends no last will
        live.wait_for(f"{TOPIC}/availability", "offline", timeout_s=5)
        self.assert_only_alarm_lines(monitor, f'stillmon: mark "HEARTS" at record {last["record"]}')


class MqttFaults(MqttTestCase):
    def test_a_broker_away_at_the_start_and_later_is_said_once_and_found_again(self):
        broker = self.started(mqtt_broker.Broker(self.dir, start=False))
        monitor = self.run_monitor(self.started(sh.Simulator(self.dir)).link,
                                   f'broker = "{broker.url()}"', f'topic = "{TOPIC}"')
        unreachable = (f"stillmon: cannot reach the MQTT broker {broker.url()}: "
                       "Connection refused; retrying")
        monitor.errors.wait_for("^" + unreachable + "$")
        monitor.wait_for_cycles(3)  # the run goes on without the broker
        broker.start()
        self.started(mqtt_broker.Subscriber(broker.port)).wait_for(
            f"{TOPIC}/availability", "online", timeout_s=40)

        broker.stop()
        monitor.wait_for_cycles(len(monitor.logged_lines()) + 6)  # about 5 s without it
        last_before = sh.record_numbers(monitor.logged_lines())[-1]
        broker.start()  # without persistence: nothing retained is left
        again = self.started(mqtt_broker.Subscriber(broker.port))
        again.wait_for(f"{TOPIC}/availability", "online", timeout_s=40)
        harness.wait_until(lambda: len(again.payloads(f"{TOPIC}/state")) >= 3, 10,
                           what="states after the reconnection")
        self.started(mqtt_broker.Subscriber(broker.port)).retained(DISCOVERY)
        # Only the latest state waited for the broker: none from before the outage, no gaps.
        records = [json.loads(state)["record"] for state in again.payloads(f"{TOPIC}/state")]
        self.assertGreaterEqual(records[0], last_before)
        self.assertEqual(records, list(range(records[0], records[0] + len(records))))
        connected = f"stillmon: connected to the MQTT broker {broker.url()}"
        lost = f"stillmon: cannot reach the MQTT broker {broker.url()}: the connection was lost"
        self.assertEqual(monitor.errors.all(),
                         [unreachable, connected, lost + "; retrying", connected])

    def test_refused_credentials_are_said_and_good_ones_connect_until_killed(self):
        topic = f"stillmon/{socket.gethostname()}-3"  # the default one
        broker = self.started(mqtt_broker.Broker(self.dir, user=("still", "good-one")))
        live = self.started(mqtt_broker.Subscriber(broker.port))
        simulator = self.started(sh.Simulator(self.dir))
        for password in ("bad-one", "good-one"):
            with open(os.path.join(self.dir, "password"), "w") as f:
                f.write(password + "\n")
            monitor = self.run_monitor(simulator.link, f'broker = "{broker.url()}"',
                                       'username = "still"', 'password_file = "password"')
            if password == "bad-one":
                monitor.errors.wait_for(
                    f'^stillmon: the MQTT broker {broker.url()} refused the user "still": not '
                    'authorised; retrying every minute$')
                monitor.stop()
        live.wait_for(f"{topic}/state")
        self.assert_only_alarm_lines(monitor)
        os.kill(monitor.pid, signal.SIGKILL)  # the broker sends the last will
        live.wait_for(f"{topic}/availability", "offline")

    def test_what_libmosquitto_refuses_is_said_once_and_the_run_goes_on(self):
        url = self.started(mqtt_broker.Broker(self.dir)).url()
        simulator = self.started(sh.Simulator(self.dir))
        for user, said in (  # a user name with a control character; then each state refused
                ('username = "still\\t"', f"set up the MQTT client for {url}: the user name and "
                 "password: Malformed UTF-8; the run goes on without MQTT"),
                ("", f"publish {TOPIC}/state to the MQTT broker {url}: Out of memory; trying "
                 "again")):
            monitor = self.run_monitor(simulator.link, f'broker = "{url}"', f'topic = "{TOPIC}"',
                                       user, environment={"LD_PRELOAD": REFUSING_STATES})
            monitor.errors.wait_for("^stillmon: cannot " + said)
            monitor.wait_for_cycles(len(monitor.logged_lines()) + 3)  # on, each state refused
            self.assert_only_alarm_lines(monitor, "stillmon: cannot " + said)
            monitor.stop()

    def test_tls_with_the_authority_of_the_configuration_and_without(self):
        authority, certificate, key = mqtt_broker.make_certificates(self.dir)
        broker = self.started(mqtt_broker.Broker(self.dir, tls=(authority, certificate, key)))
        live = self.started(mqtt_broker.Subscriber(broker.port))  # on the plain listener
        url = f"mqtts://localhost:{broker.tls_port}"
        simulator = self.started(sh.Simulator(self.dir))
        unknown_authority = self.run_monitor(simulator.link, f'broker = "{url}"',
                                             f'topic = "{TOPIC}"')
        unknown_authority.errors.wait_for(
            f"^stillmon: cannot reach the MQTT broker {url}: TLS: certificate verify failed; "
            "retrying every minute$")
        unknown_authority.stop()
        monitor = self.run_monitor(simulator.link, f'broker = "{url}"', f'topic = "{TOPIC}"',
                                   f'ca_file = "{authority}"', 'discovery = ""')
        live.wait_for(f"{TOPIC}/state")
        self.assertEqual([m for m in live.messages() if m[1].startswith("homeassistant/")], [])
        self.assert_only_alarm_lines(monitor)
