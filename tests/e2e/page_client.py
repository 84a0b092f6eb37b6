"""A client of the live page, shared by its end-to-end tests and scripts/bench-page."""

import http.client
import json
import urllib.parse

import harness


def request(url, method="GET", path=None, headers=None, body=None, timeout_s=10):
    """(status, headers, body) of one request on a connection of its own."""
    parts = urllib.parse.urlsplit(url)
    connection = http.client.HTTPConnection(parts.hostname, parts.port, timeout=timeout_s)
    try:
        connection.request(method, path or parts.path or "/", body=body, headers=headers or {})
        response = connection.getresponse()
        return response.status, dict(response.getheaders()), response.read()
    finally:
        connection.close()


def get_json(url, path):
    status, _, body = request(url, path=path)
    if status != 200:
        raise harness.HarnessError(f"{path}: status {status}")
    return json.loads(body)
