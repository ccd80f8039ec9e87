#!/usr/bin/python3
"""Between the program and the tests' server, a proxy that spoils answers.

  sync_proxy.py PORT SERVER_PORT MODE
  MODE: delay (waits 5 s before each answer), cut (closes the connection
  without answering), garbage (a truncated multistatus), huge (an endless
  answer), race (before the first PUT, changes that event on the server
  behind the program's back, so that its If-Match no longer holds).
"""
import http.client
import http.server
import re
import socket
import sys
import time

port, server_port, mode = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
raced = False


def forward(method, path, headers, body):
    conn = http.client.HTTPConnection("127.0.0.1", server_port, timeout=30)
    conn.request(method, path, body, headers)
    answer = conn.getresponse()
    return answer.status, answer.getheaders(), answer.read()


def change_behind(path):
    """The other client's edit, made straight on the server."""
    auth = {"Authorization": "Basic dGVzdDp0ZXN0"}  # test:test
    status, headers, body = forward("GET", path, auth, None)
    if status == 200:
        body = re.sub(rb"SUMMARY:[^\r\n]*", b"SUMMARY:chang\xc3\xa9 pendant", body)
        forward("PUT", path, dict(auth, **{"Content-Type": "text/calendar"}), body)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, headers, body):
        self.send_response(status)
        for name, value in headers:
            if name.lower() not in ("transfer-encoding", "connection", "content-length"):
                self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def handle_any(self):
        global raced
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        headers = {k: v for k, v in self.headers.items() if k.lower() not in ("host", "connection")}
        if mode == "cut":
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        if mode == "delay":
            time.sleep(5)
        if mode == "garbage" and self.command in ("PROPFIND", "REPORT"):
            return self.answer(207, [("Content-Type", "application/xml")],
                               b"<?xml version='1.0'?><d:multistatus xmlns:d='DAV:'><d:response><d:href>/x")
        if mode == "huge":
            self.send_response(207)
            self.send_header("Content-Type", "application/xml")
            self.end_headers()
            chunk = b" " * 65536
            try:
                for _ in range(1024):  # 64 MB, more than any answer is allowed
                    self.wfile.write(chunk)
            except OSError:
                pass
            self.close_connection = True
            return
        if mode == "race" and self.command == "PUT" and not raced:
            raced = True
            change_behind(self.path)
        self.answer(*forward(self.command, self.path, headers, body or None))

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = do_MKCALENDAR = do_OPTIONS = handle_any


server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
print("ready", flush=True)
server.serve_forever()
