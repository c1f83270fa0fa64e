"""A hostile IPP printer: answers every request as a Get-Printer-Attributes, as told.

hostileippprinter.py CONTROL_FILE LIFETIME_S

Listens on a free port of 127.0.0.1 and prints "ready PORT". CONTROL_FILE, read at every
request, holds "key=value" lines:
  supplies=N   marker-names, -colors, -levels, -low-levels and -types with N values each (4)
  reasons=N    printer-state-reasons with N values, "none" for 0 (2)
  text=N       the state message, the first marker's name and the first reason N bytes long
               (at most 65535, what an IPP value can hold; 0 keeps them short)
  chunk=N      sent in chunks of N bytes without a length; 0 sends the length first (0)
  mode=M       normal; hang (takes the connection, never answers); trickle (the header, then
               a byte every 0.5 s)
Exits by itself after LIFETIME_S or when its parent is gone; a held connection lasts 30 s at most.
"""
import os
import socket
import socketserver
import struct
import sys
import threading
import time

CONTROL, LIFETIME = sys.argv[1], float(sys.argv[2])
HOLD_S = 30
MAX_HEADER = 64 * 1024
DEFAULTS = {"supplies": "4", "reasons": "2", "text": "0", "chunk": "0", "mode": "normal"}


def settings():
    values = dict(DEFAULTS)
    try:
        with open(CONTROL, encoding="utf-8") as f:
            for line in f:
                key, _, value = line.strip().partition("=")
                if key in values:
                    values[key] = value
    except OSError:
        pass
    return values


def attribute(tag, name, values):
    out = bytearray()
    for i, value in enumerate(values):
        label = name.encode() if i == 0 else b""
        out += struct.pack(">BH", tag, len(label)) + label + struct.pack(">H", len(value)) + value
    return out


def integer(value):
    return struct.pack(">i", value)


def padded(text, length):
    return (text * (length // len(text) + 1))[:length] if length else text


_cache = {}


def reply_body(supplies, reasons, text):
    key = (supplies, reasons, text)
    if key not in _cache:
        _cache.clear()
        names = [b"Supply %d" % i for i in range(supplies)]
        reason_values = [b"hostile-%d-report" % i for i in range(reasons)] or [b"none"]
        message = b"Ready"
        if text:
            names[:1] = [padded(b"N", text)] if names else []
            reason_values[0] = padded(b"r", text)
            message = padded(b"m", text)
        body = attribute(0x23, "printer-state", [integer(3)])
        body += attribute(0x44, "printer-state-reasons", reason_values)
        body += attribute(0x41, "printer-state-message", [message])
        body += attribute(0x22, "printer-is-accepting-jobs", [b"\x01"])
        if supplies:
            body += attribute(0x42, "marker-names", names)
            body += attribute(0x42, "marker-colors", [b"#000000"] * supplies)
            body += attribute(0x21, "marker-levels", [integer(i % 101) for i in range(supplies)])
            body += attribute(0x21, "marker-low-levels", [integer(10)] * supplies)
            body += attribute(0x44, "marker-types", [b"toner"] * supplies)
        _cache[key] = bytes(body)
    return _cache[key]


def reply(version, request_id, values):
    head = version + struct.pack(">HI", 0, request_id)
    head += b"\x01" + attribute(0x47, "attributes-charset", [b"utf-8"])
    head += attribute(0x48, "attributes-natural-language", [b"en"])
    body = reply_body(int(values["supplies"]), int(values["reasons"]), int(values["text"]))
    return head + b"\x04" + body + b"\x03"


class Handler(socketserver.BaseRequestHandler):
    def read_request(self, stream):
        headers = {}
        size = 0
        line = stream.readline(MAX_HEADER)
        while line not in (b"\r\n", b"\n", b""):
            size += len(line)
            if size > MAX_HEADER:
                return None
            name, _, value = line.decode("latin-1").partition(":")
            headers[name.strip().lower()] = value.strip()
            line = stream.readline(MAX_HEADER)
        return headers if line else None

    def read_body(self, stream, headers):
        if headers.get("transfer-encoding", "").lower() == "chunked":
            body = b""
            while True:
                size = int(stream.readline(64).split(b";")[0], 16)
                body += stream.read(size)
                stream.readline(64)
                if size == 0:
                    return body
        return stream.read(int(headers.get("content-length", "0")))

    def hold(self):
        # Until the client goes away, or HOLD_S.
        end = time.monotonic() + HOLD_S
        self.request.settimeout(1)
        while time.monotonic() < end:
            try:
                if not self.request.recv(65536):
                    return
            except socket.timeout:
                pass
            except OSError:
                return

    def handle(self):
        values = settings()
        if values["mode"] == "hang":
            self.hold()
            return
        stream = self.request.makefile("rb")
        try:
            while True:
                headers = self.read_request(stream)
                if headers is None:
                    return
                if headers.get("expect", "").lower() == "100-continue":
                    self.request.sendall(b"HTTP/1.1 100 Continue\r\n\r\n")
                body = self.read_body(stream, headers)
                if len(body) < 8:
                    return
                values = settings()
                answer = reply(body[:2], struct.unpack(">I", body[4:8])[0], values)
                head = b"HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\n"
                chunk = int(values["chunk"])
                if chunk > 0:
                    head += b"Transfer-Encoding: chunked\r\n\r\n"
                    chunks = [answer[i:i + chunk] for i in range(0, len(answer), chunk)] + [b""]
                    body = b"".join(b"%x\r\n%s\r\n" % (len(c), c) for c in chunks)
                    self.request.sendall(head + body)
                    continue
                head += b"Content-Length: %d\r\n\r\n" % len(answer)
                if values["mode"] == "trickle":
                    self.request.sendall(head)
                    end = time.monotonic() + HOLD_S
                    for i in range(len(answer)):
                        if time.monotonic() > end:
                            return
                        self.request.sendall(answer[i:i + 1])
                        time.sleep(0.5)
                    return
                self.request.sendall(head + answer)
        except (OSError, ValueError):
            pass  # the client gave up or sent nonsense


class Server(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True
    allow_reuse_address = True


def watch(parent, end):
    # A test that crashed must not keep the port taken.
    while os.getppid() == parent and time.monotonic() < end:
        time.sleep(1)
    os._exit(0)


server = Server(("127.0.0.1", 0), Handler)
threading.Thread(target=watch, args=(os.getppid(), time.monotonic() + LIFETIME), daemon=True).start()
print("ready %d" % server.server_address[1], flush=True)
server.serve_forever()
