#!/usr/bin/python3
# A desktop notification service on the session bus, for tests. It records each call on standard
# output, one line each: "notify ID<TAB>SUMMARY<TAB>BODY<TAB>ACTIONS<TAB>ICON" (actions joined by
# "|") and "close ID". The command "invoke ID KEY" from standard input sends ActionInvoked and
# answers "invoked". With --markup it says it reads markup in the body, as most desktops' do. It
# refuses to start when the name is taken.
import sys

from gi.repository import Gio, GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"
XML = """<node><interface name="org.freedesktop.Notifications">
 <method name="GetCapabilities"><arg type="as" direction="out"/></method>
 <method name="Notify">
  <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
  <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
  <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/>
  <arg type="u" direction="out"/>
 </method>
 <method name="CloseNotification"><arg type="u" direction="in"/></method>
 <method name="GetServerInformation">
  <arg type="s" direction="out"/><arg type="s" direction="out"/><arg type="s" direction="out"/>
  <arg type="s" direction="out"/>
 </method>
 <signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
 <signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
</interface></node>"""
CLOSED_BY_CALL = 3
CAPABILITIES = ["actions", "body"] + (["body-markup"] if "--markup" in sys.argv[1:] else [])

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
loop = GLib.MainLoop()
last_id = 0


def say(*words):
    print(*words, flush=True)


def on_call(conn, sender, path, interface, method, params, invocation):
    global last_id
    if method == "Notify":
        _, _, icon, summary, body, actions, _, _ = params.unpack()
        last_id += 1
        say("notify %d\t%s\t%s\t%s\t%s" % (last_id, summary, body, "|".join(actions), icon))
        invocation.return_value(GLib.Variant("(u)", (last_id,)))
    elif method == "CloseNotification":
        ident = params.unpack()[0]
        say("close %d" % ident)
        invocation.return_value(None)
        conn.emit_signal(None, PATH, NAME, "NotificationClosed",
                         GLib.Variant("(uu)", (ident, CLOSED_BY_CALL)))
    elif method == "GetCapabilities":
        invocation.return_value(GLib.Variant("(as)", (CAPABILITIES,)))
    else:
        invocation.return_value(GLib.Variant("(ssss)", ("test", "pellar", "1", "1.2")))


def on_command(source, condition):
    line = sys.stdin.readline()
    if not line:
        loop.quit()
        return False
    words = line.split()
    if len(words) == 3 and words[0] == "invoke":
        bus.emit_signal(None, PATH, NAME, "ActionInvoked",
                        GLib.Variant("(us)", (int(words[1]), words[2])))
        say("invoked")
    else:
        say("error", line.strip())
    return True


def on_acquired(conn, name):
    say("ready")


def on_lost(conn, name):
    say("name-taken")
    sys.exit(1)


node = Gio.DBusNodeInfo.new_for_xml(XML)
bus.register_object(PATH, node.interfaces[0], on_call, None, None)
Gio.bus_own_name_on_connection(bus, NAME, Gio.BusNameOwnerFlags.DO_NOT_QUEUE, on_acquired, on_lost)
GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_IN | GLib.IO_HUP, on_command)
loop.run()
