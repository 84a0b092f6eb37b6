"""A Mosquitto broker of the test's own on a free loopback port (anonymous, with passwords, or
with a TLS listener whose certificates openssl makes here), and a paho client that keeps
everything published with the monotonic time it arrived. Debian packages mosquitto,
python3-paho-mqtt and openssl.
"""

import os
import socket
import subprocess
import sys
import threading
import time

try:
    import paho.mqtt.client as paho
except ImportError:
    # Debian's python3-paho-mqtt, for a Python other than Debian's own.
    sys.path.append("/usr/lib/python3/dist-packages")
    import paho.mqtt.client as paho

import harness


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def make_certificates(directory):
    """An authority and the certificate it signed for localhost and 127.0.0.1: returns the
    paths of the authority's certificate, the server's certificate and its key."""
    ca_key, ca, key, request, certificate, names = (os.path.join(directory, name) for name in (
        "ca.key", "ca.pem", "server.key", "server.csr", "server.pem", "names.cnf"))
    with open(names, "w") as f:
        f.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n")
    ec = ("-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes")
    for argv in (("req", "-x509", *ec, "-keyout", ca_key, "-out", ca, "-subj", "/CN=test CA"),
                 ("req", *ec, "-keyout", key, "-out", request, "-subj", "/CN=localhost"),
                 ("x509", "-req", "-in", request, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial",
                  "-out", certificate, "-extfile", names)):
        subprocess.run(["openssl", *argv, "-days", "2"], check=True, capture_output=True)
    return ca, certificate, key


class Broker:
    """mosquitto on 127.0.0.1:port without persistence (a restart forgets every retained
    message). A `user` (name, password) must give that password; `tls` is (authority,
    certificate, key) for a second listener, on tls_port, that takes TLS alone."""

    def __init__(self, directory, user=None, tls=None, start=True):
        self.port, self.tls_port = free_port(), free_port() if tls else None
        self.directory = directory
        self.config = os.path.join(directory, f"mosquitto-{self.port}.conf")
        lines = ["per_listener_settings false", "persistence false", "log_dest stderr",
                 "allow_anonymous true", f"listener {self.port} 127.0.0.1"]
        if tls:
            authority, certificate, key = tls
            lines += [f"listener {self.tls_port} 127.0.0.1", f"cafile {authority}",
                      f"certfile {certificate}", f"keyfile {key}"]
        if user:
            passwords = os.path.join(directory, "passwords")
            subprocess.run(["mosquitto_passwd", "-c", "-b", passwords, *user], check=True,
                           capture_output=True)
            lines.append(f"password_file {passwords}")
        if os.geteuid() == 0:
            lines.append("user root")  # else it would drop to a user who cannot read the files
        with open(self.config, "w") as f:
            f.write("\n".join(lines) + "\n")
        self.program = None
        if start:
            self.start()

    def start(self):
        self.program = harness.Program(["mosquitto", "-c", self.config], cwd=self.directory)

        def listening():
            if self.program.process.poll() is not None:
                raise harness.HarnessError(f"mosquitto ended: {self.program.errors.all()}")
            with socket.socket() as probe:
                return probe.connect_ex(("127.0.0.1", self.port)) == 0
        harness.wait_until(listening, 10, what="the broker to listen")

    def stop(self):
        if self.program is not None:
            self.program.stop()

    def url(self):
        return f"mqtt://127.0.0.1:{self.port}"


class Subscriber:
    """A paho client subscribed to `topics` (everything by default), keeping (arrival time,
    topic, payload text, retained) for every message."""

    def __init__(self, port, topics=("#",)):
        self._lock = threading.Lock()
        self._messages = []
        subscribed = threading.Event()
        self.client = paho.Client()
        self.client.on_message = self._on_message
        self.client.on_connect = lambda client, *_: client.subscribe([(t, 1) for t in topics])
        self.client.on_subscribe = lambda *_: subscribed.set()
        self.client.connect("127.0.0.1", port, keepalive=30)
        self.client.loop_start()
        if not subscribed.wait(10):
            self.close()
            raise harness.HarnessError("the subscriber was not subscribed")

    def _on_message(self, client, userdata, message):
        with self._lock:
            self._messages.append((time.monotonic(), message.topic,
                                   message.payload.decode("utf-8"), bool(message.retain)))

    def messages(self, topic=None):
        with self._lock:
            return [m for m in self._messages if topic is None or m[1] == topic]

    def payloads(self, topic):
        return [payload for _, _, payload, _ in self.messages(topic)]

    def wait_for(self, topic, payload=None, timeout_s=20):
        """Waits for a message on the topic (with that payload, when given)."""
        return harness.wait_until(lambda: any(payload in (None, p) for p in self.payloads(topic)),
                                  timeout_s, what=f"{payload or 'a message'} on {topic}")

    def retained(self, topics, timeout_s=10):
        """The payloads the broker holds retained on these topics, once each has come."""
        def all_came():
            held = {topic: payload for _, topic, payload, retain in self.messages() if retain}
            return held if set(topics) <= set(held) else None
        return harness.wait_until(all_came, timeout_s, what=f"retained messages on {topics}")

    def close(self):
        self.client.loop_stop()
        self.client.disconnect()
