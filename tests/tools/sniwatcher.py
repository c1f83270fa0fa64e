#!/usr/bin/python3
# A StatusNotifierWatcher with a registered host on the session bus, for tests. It logs each item
# that registers and each signal the item and its menu send, and probes the item on commands from
# standard input: "probe" (its properties), "menu" (its exported menu), "activate", "click LABEL".
# Every answer is one line on standard output. With --hang it owns the name and answers nothing;
# with --no-introspect it answers everything but Introspect, which it leaves unanswered; with
# --hang-after-check it answers the first Get and the first Introspect, then nothing at all.
import json
import sys
import time

from gi.repository import Gio, GLib

NAME = "org.kde.StatusNotifierWatcher"
PATH = "/StatusNotifierWatcher"
XML = """<node><interface name="org.kde.StatusNotifierWatcher">
 <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
 <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
 <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
 <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
 <property name="ProtocolVersion" type="i" access="read"/>
 <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
 <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
 <signal name="StatusNotifierHostRegistered"/>
 <signal name="StatusNotifierHostUnregistered"/>
</interface></node>"""

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
loop = GLib.MainLoop()
items = []


def say(*words):
    print(*words, flush=True)


def call(service, path, interface, method, args, reply_type=None):
    return bus.call_sync(service, path, interface, method, args, reply_type,
                         Gio.DBusCallFlags.NONE, 5000, None)


def on_item_signal(conn, sender, path, interface, signal, params):
    say("signal", signal, time.monotonic_ns())


def on_call(conn, sender, path, interface, method, params, invocation):
    if method == "RegisterStatusNotifierItem":
        service = params.unpack()[0]
        if service.startswith("/"):
            service = sender
        items.append(service)
        bus.signal_subscribe(service, "org.kde.StatusNotifierItem", None, "/StatusNotifierItem",
                             None, Gio.DBusSignalFlags.NONE, on_item_signal)
        bus.signal_subscribe(service, "com.canonical.dbusmenu", None, "/MenuBar", None,
                             Gio.DBusSignalFlags.NONE, on_item_signal)
        # The bus takes one connection's messages in order: after this answer the match rules
        # hold, and a signal sent by a test that saw the line below is not missed.
        call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId", None)
        say("registered", service, time.monotonic_ns())
        conn.emit_signal(None, PATH, NAME, "StatusNotifierItemRegistered",
                         GLib.Variant("(s)", (service,)))
    invocation.return_value(None)


def on_get(conn, sender, path, interface, name):
    if "--hang" in sys.argv:
        time.sleep(3600)
    if name == "RegisteredStatusNotifierItems":
        return GLib.Variant("as", items)
    if name == "IsStatusNotifierHostRegistered":
        return GLib.Variant("b", True)
    return GLib.Variant("i", 0)


def probe(item):
    props = call(item, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "GetAll",
                 GLib.Variant("(s)", ("org.kde.StatusNotifierItem",))).get_child_value(0)
    found = {}
    for i in range(props.n_children()):
        entry = props.get_child_value(i)
        key = entry.get_child_value(0).get_string()
        value = entry.get_child_value(1).get_variant()
        if key == "IconPixmap":
            if value.n_children():
                first = value.get_child_value(0)
                found["IconWidth"] = first.get_child_value(0).get_int32()
                found["IconHeight"] = first.get_child_value(1).get_int32()
                found["IconArgb"] = first.get_child_value(2).get_data_as_bytes().get_data().hex()
                found["IconSizes"] = [value.get_child_value(i).get_child_value(0).get_int32()
                                      for i in range(value.n_children())]
                largest = value.get_child_value(value.n_children() - 1)
                found["LargestWidth"] = largest.get_child_value(0).get_int32()
                found["LargestHeight"] = largest.get_child_value(1).get_int32()
                found["LargestArgb"] = largest.get_child_value(2).get_data_as_bytes().get_data().hex()
        elif key == "ToolTip":
            found["ToolTip"] = value.get_child_value(2).get_string()
        elif value.get_type_string() in ("s", "b", "u", "i"):
            found[key] = value.unpack()
    return found


def menu_entries(item):
    layout = call(item, "/MenuBar", "com.canonical.dbusmenu", "GetLayout",
                  GLib.Variant("(iias)", (0, -1, []))).unpack()[1]
    entries = []
    for child in layout[2]:
        ident, props, _ = child
        entries.append({"id": ident, "label": props.get("label", ""),
                        "type": props.get("type", "standard"),
                        "enabled": props.get("enabled", True),
                        "visible": props.get("visible", True)})
    return entries


def on_command(source, condition):
    line = sys.stdin.readline()
    if not line:
        loop.quit()
        return False
    words = line.split(None, 1)
    try:
        item = items[-1]
        if words[0] == "probe":
            say("probe", json.dumps(probe(item)))
        elif words[0] == "menu":
            say("menu", json.dumps(menu_entries(item)))
        elif words[0] == "activate":
            call(item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate",
                 GLib.Variant("(ii)", (0, 0)))
            say("activated")
        elif words[0] == "click":
            label = words[1].strip()
            ident = [e["id"] for e in menu_entries(item) if e["label"] == label][0]
            call(item, "/MenuBar", "com.canonical.dbusmenu", "Event",
                 GLib.Variant("(isvu)", (ident, "clicked", GLib.Variant("i", 0), 0)))
            say("clicked")
    except Exception as error:  # the test reads the failure as an answer
        say("error", str(error).replace("\n", " "))
    return True


def drop_introspect(conn, message, incoming):
    if incoming and message.get_member() == "Introspect" and message.get_path() == PATH:
        return None
    return message


check_calls = {"Get", "Introspect"}


def hang_after_check(conn, message, incoming):
    if not incoming or message.get_message_type() != Gio.DBusMessageType.METHOD_CALL:
        return message
    if message.get_path() == PATH and message.get_member() in check_calls:
        check_calls.discard(message.get_member())
        return message
    return None


def on_acquired(conn, name):
    say("ready")


def on_lost(conn, name):
    say("name-taken")
    sys.exit(1)


if "--no-introspect" in sys.argv:
    bus.add_filter(drop_introspect)
if "--hang-after-check" in sys.argv:
    bus.add_filter(hang_after_check)
node = Gio.DBusNodeInfo.new_for_xml(XML)
bus.register_object(PATH, node.interfaces[0], on_call, on_get, None)
Gio.bus_own_name_on_connection(bus, NAME, Gio.BusNameOwnerFlags.DO_NOT_QUEUE, on_acquired, on_lost)
GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_IN | GLib.IO_HUP, on_command)
loop.run()
