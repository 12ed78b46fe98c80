#!/usr/bin/env python3
"""Serves the sample platform's files with the faults a real web server never
makes on purpose. GET /wnbin/<fault>/<path> answers with the file
<root>/wnbin/<path>:

  truncated  announces the whole file, sends half of it, closes the connection
  dropped    announces the whole file, sends half of it, resets the connection
  stalled    announces the whole file, sends half of it, then sends nothing
             for --stall seconds before closing
  excess     announces half of the file and sends all of it

Anything else is 404. Each reply closes its connection.
"""
import argparse
import os
import socket
import struct
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def send_head(handler, length):
    handler.send_response(200)
    handler.send_header("Content-Type", "application/octet-stream")
    handler.send_header("Content-Length", str(length))
    handler.send_header("Connection", "close")
    handler.end_headers()
    handler.wfile.flush()


def truncated(handler, body):
    send_head(handler, len(body))
    handler.wfile.write(body[: len(body) // 2])
    handler.wfile.flush()


def dropped(handler, body):
    truncated(handler, body)
    # SO_LINGER with a zero time-out makes close() send a reset.
    handler.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))


def stalled(handler, body):
    truncated(handler, body)
    time.sleep(handler.server.stall_seconds)


def excess(handler, body):
    send_head(handler, len(body) // 2)
    handler.wfile.write(body)
    handler.wfile.flush()


FAULTS = {"truncated": truncated, "dropped": dropped, "stalled": stalled, "excess": excess}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        self.close_connection = True
        parts = self.path.split("?", 1)[0].split("/")
        # ["", "wnbin", fault, rest...]
        if len(parts) < 4 or parts[1] != "wnbin" or parts[2] not in FAULTS:
            self.send_error(404)
            return
        root = os.path.join(self.server.content_root, "wnbin")
        path = os.path.realpath(os.path.join(root, *parts[3:]))
        if not path.startswith(root + os.sep) or not os.path.isfile(path):
            self.send_error(404)
            return
        with open(path, "rb") as file:
            body = file.read()
        FAULTS[parts[2]](self, body)

    def log_message(self, format, *args):
        sys.stderr.write("%s %s\n" % (self.log_date_time_string(), format % args))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--root", required=True, help="the platform tree (holds wnbin/)")
    parser.add_argument("--stall", type=float, default=20.0)
    arguments = parser.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", arguments.port), Handler)
    server.daemon_threads = True
    server.content_root = os.path.realpath(arguments.root)
    server.stall_seconds = arguments.stall
    server.serve_forever()


if __name__ == "__main__":
    main()
