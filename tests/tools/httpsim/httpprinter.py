"""The HTTP server of a simulated network printer.

httpprinter.py ADDRESS PORT WWW_DIR CONTROL_DIR LIFETIME_S

Serves WWW_DIR; CONTROL_DIR/mode (read at every request) picks how it answers:
normal, hang, trickle, huge, hugenolength, early, badstatus, or reply (CONTROL_DIR/reply
verbatim; kept open afterwards when CONTROL_DIR/hold exists). Request lines and headers are
appended to CONTROL_DIR/requests.log. Prints "ready" once listening, "busy" when it cannot bind,
and exits by itself after LIFETIME_S or when its parent is gone.
"""
import http.server
import os
import socket
import socketserver
import sys
import threading
import time

ADDRESS, PORT, WWW, CONTROL, LIFETIME = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], float(sys.argv[5])
HOLD_S = 30  # the longest a stalled answer keeps a connection
HUGE = 100 * 1024 * 1024


def control(name, default=b""):
    try:
        with open(os.path.join(CONTROL, name), "rb") as f:
            return f.read()
    except OSError:
        return default


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def hold(self):
        # Until the client goes away, or HOLD_S.
        self.connection.settimeout(HOLD_S)
        try:
            self.connection.recv(1)
        except OSError:
            pass

    def head(self, length):
        self.wfile.write(b"HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n")
        if length is not None:
            self.wfile.write(b"Content-Length: %d\r\n" % length)
        self.wfile.write(b"\r\n")
        self.wfile.flush()

    def do_GET(self):
        with open(os.path.join(CONTROL, "requests.log"), "ab") as log:
            lines = [self.requestline] + ["%s: %s" % item for item in self.headers.items()]
            log.write(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1"))
        mode = control("mode", b"normal").strip().decode()
        path = os.path.join(WWW, self.path.lstrip("/"))
        document = b""
        if os.path.isfile(path):
            with open(path, "rb") as f:
                document = f.read()
        try:
            if mode == "reply":
                self.wfile.write(control("reply"))
                self.wfile.flush()
                if os.path.exists(os.path.join(CONTROL, "hold")):
                    self.hold()
            elif mode == "hang":
                self.head(len(document))
                self.hold()
            elif mode == "trickle":
                self.head(len(document))
                end = time.monotonic() + HOLD_S
                for i in range(len(document)):
                    if time.monotonic() > end:
                        break
                    self.wfile.write(document[i:i + 1])
                    self.wfile.flush()
                    time.sleep(0.9)
            elif mode in ("huge", "hugenolength"):
                self.head(HUGE if mode == "huge" else None)
                chunk = b"x" * 65536
                for _ in range(HUGE // len(chunk)):
                    self.wfile.write(chunk)
            elif mode == "early":
                self.head(len(document))
                self.wfile.write(document[:len(document) // 2])
            elif mode == "badstatus":
                self.wfile.write(b"HTTP/1.1 abc\r\nContent-Length: %d\r\n\r\n" % len(document) + document)
            elif not os.path.isfile(path):
                self.send_error(404)
            else:
                self.head(len(document))
                self.wfile.write(document)
        except OSError:
            pass  # the client gave up, as it should


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    address_family = socket.AF_INET6 if ":" in ADDRESS else socket.AF_INET


try:
    server = Server((ADDRESS, PORT), Handler)
except OSError:
    print("busy", flush=True)
    sys.exit(1)


def watch(parent, end):
    # A test that crashed must not keep the address's port taken.
    while os.getppid() == parent and time.monotonic() < end:
        time.sleep(1)
    os._exit(0)


threading.Thread(target=watch, args=(os.getppid(), time.monotonic() + LIFETIME), daemon=True).start()
print("ready", flush=True)
server.serve_forever()
