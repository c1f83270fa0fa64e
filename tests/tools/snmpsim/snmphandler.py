"""The vendor subtree of a simulated printer, served to snmpd through pass_persist.

Usage: snmphandler.py STATE_DIR. Each object is a file in STATE_DIR named after its OID
(without the leading dot): a first line with the type ("octet", "string" or "integer"), then the
value's bytes. A file "delay" holds milliseconds to wait before each answer. The test replaces
files by rename, so an answer is always the old or the new value.
"""
import os
import sys
import time

state = sys.argv[1]
# snmpd reads our stdout and stderr from the same pipe: a stray message would be an answer.
err = os.open(os.path.join(state, "handler.err"), os.O_WRONLY | os.O_CREAT | os.O_APPEND)
os.dup2(err, 2)


def read(name):
    try:
        with open(os.path.join(state, name), "rb") as f:
            return f.read()
    except OSError:
        return None


def answer(oid):
    delay = read("delay")
    if delay:
        time.sleep(int(delay) / 1000.0)
    data = read(oid.lstrip("."))
    if data is None or b"\n" not in data:
        return "NONE"
    kind, value = data.split(b"\n", 1)
    kind = kind.decode()
    if kind == "octet":
        # One value line of at most 4096 bytes: "xx " per byte.
        text = " ".join("%02x" % b for b in value[:1365])
    else:
        text = value.decode("latin-1")
    return "%s\n%s\n%s" % (oid, kind, text)


def main():
    out = sys.stdout
    for line in sys.stdin:
        command = line.strip()
        if command == "PING":
            out.write("PONG\n")
        elif command == "get":
            out.write(answer(sys.stdin.readline().strip()) + "\n")
        elif command == "getnext":
            sys.stdin.readline()
            out.write("NONE\n")
        elif command == "set":
            sys.stdin.readline()
            sys.stdin.readline()
            out.write("not-writable\n")
        elif command == "":
            break
        out.flush()


main()
