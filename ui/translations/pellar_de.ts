<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CartridgePellarView</name>
    <message>
        <source>No cartridge information available.</source>
        <translation>Keine Angaben zu den Kartuschen verfügbar.</translation>
    </message>
</context>
<context>
    <name>CartridgeView</name>
    <message>
        <source>Black</source>
        <translation>Schwarz</translation>
    </message>
</context>
<context>
    <name>Configurator</name>
    <message>
        <source>Pellar</source>
        <translation>Pellar</translation>
    </message>
    <message>
        <source>Please refer to Troubleshooting Guide.</source>
        <translation>Bitte lesen Sie die Anleitung zur Fehlerbehebung.</translation>
    </message>
    <message>
        <source>No device for polling</source>
        <translation>Kein Gerät zum Abfragen</translation>
    </message>
    <message>
        <source>Please install supported driver or port.</source>
        <translation>Bitte installieren Sie einen unterstützten Treiber oder Anschluss.</translation>
    </message>
    <message>
        <source>USB Printer status is not available</source>
        <translation>Der Status des USB-Druckers ist nicht verfügbar</translation>
    </message>
    <message>
        <source>Network Printer status is not available</source>
        <translation>Der Status des Netzwerkdruckers ist nicht verfügbar</translation>
    </message>
    <message>
        <source>Printing completed</source>
        <translation>Druck abgeschlossen</translation>
    </message>
    <message>
        <source>The printer is busy for another job</source>
        <translation>Der Drucker ist mit einem anderen Auftrag beschäftigt</translation>
    </message>
    <message>
        <source>Please wait. Preparing print job</source>
        <translation>Bitte warten. Der Druckauftrag wird vorbereitet</translation>
    </message>
    <message>
        <source>Printing in progress</source>
        <translation>Druck läuft</translation>
    </message>
</context>
<context>
    <name>ContextMenu</name>
    <message>
        <source>Pellar</source>
        <translation>Pellar</translation>
    </message>
    <message>
        <source>Show Pellar</source>
        <translation>Pellar anzeigen</translation>
    </message>
    <message>
        <source>Configure Pellar...</source>
        <translation>Pellar einrichten...</translation>
    </message>
    <message>
        <source>Printer Settings...</source>
        <translation>Druckereinstellungen...</translation>
    </message>
    <message>
        <source>Troubleshooting Guide</source>
        <translation>Fehlerbehebung</translation>
    </message>
    <message>
        <source>Buy Now</source>
        <translation>Jetzt kaufen</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
</context>
<context>
    <name>ExternalPrograms</name>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Web browser not found.
Use that address:
%1</source>
        <translation>Kein Webbrowser gefunden.
Verwenden Sie diese Adresse:
%1</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Error starting %1</source>
        <translation>%1 konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>This is not a web address, so it was not opened.
Use that address:
%1</source>
        <translation>Dies ist keine Webadresse und wurde daher nicht geöffnet.
Verwenden Sie diese Adresse:
%1</translation>
    </message>
</context>
<context>
    <name>MenuHeader</name>
    <message>
        <source>textLabel</source>
        <translation>textLabel</translation>
    </message>
</context>
<context>
    <name>OptionDialog</name>
    <message>
        <source>Configure - Pellar</source>
        <translation>Einstellungen - Pellar</translation>
    </message>
    <message>
        <source>Display printing status message</source>
        <translation>Druckstatus anzeigen</translation>
    </message>
    <message>
        <source>Alert Options</source>
        <translation>Benachrichtigungen</translation>
    </message>
    <message>
        <source>Display when job is finished for network printer</source>
        <translation>Anzeigen, wenn ein Auftrag am Netzwerkdrucker fertig ist</translation>
    </message>
    <message>
        <source>Display when the printer cannot print (for example, paper out)</source>
        <translation>Anzeigen, wenn der Drucker nicht drucken kann (zum Beispiel ohne Papier)</translation>
    </message>
    <message>
        <source>Display when the printer has no problem but waiting (for example, warming up)</source>
        <translation>Anzeigen, wenn der Drucker bereit ist, aber wartet (zum Beispiel beim Aufwärmen)</translation>
    </message>
    <message>
        <source>Schedule an automatic status checking every</source>
        <translation>Status automatisch prüfen alle</translation>
    </message>
    <message>
        <source> sec</source>
        <translation> s</translation>
    </message>
    <message>
        <source>(1-10 seconds)</source>
        <translation>(1–10 Sekunden)</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Keep watching the printer while this panel is closed</source>
        <translation>Den Drucker auch bei geschlossenem Fenster weiter beobachten</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Pellar</source>
        <translation>Pellar</translation>
    </message>
</context>
<context>
    <name>RPCPanel</name>
    <message>
        <source>RPCPanel</source>
        <translation>RPCPanel</translation>
    </message>
    <message>
        <source>Already prepared for that</source>
        <translation>Ersatz liegt schon bereit</translation>
    </message>
    <message>
        <source>Buy Now</source>
        <translation>Jetzt kaufen</translation>
    </message>
    <message>
        <source>Troubleshooting
Guide</source>
        <translation>Fehlerbehebung</translation>
    </message>
    <message>
        <source>Printer
Settings</source>
        <translation>Drucker-
einstellungen</translation>
    </message>
    <message>
        <source>Use right button click to get access to panel menu</source>
        <translation>Mit der rechten Maustaste öffnen Sie das Menü</translation>
    </message>
</context>
<context>
    <name>StatusPresentation</name>
    <message>
        <source>Pellar</source>
        <translation>Pellar</translation>
    </message>
    <message>
        <source>Pellar — %1</source>
        <translation>Pellar — %1</translation>
    </message>
    <message>
        <source>Pellar — %1: %2</source>
        <translation>Pellar — %1: %2</translation>
    </message>
</context>
<context>
    <name>TrayMainWindow</name>
    <message>
        <source>User&apos;s Guide</source>
        <translation>Benutzerhandbuch</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>The list of printers is not available yet.
Please wait for a moment and retry.</source>
        <translation>Die Druckerliste ist noch nicht verfügbar.
Bitte warten Sie einen Moment und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Please install supported driver or port.</source>
        <translation>Bitte installieren Sie einen unterstützten Treiber oder Anschluss.</translation>
    </message>
    <message>
        <source>Printer is busy.</source>
        <translation>Der Drucker ist beschäftigt.</translation>
    </message>
    <message>
        <source>Unknown status</source>
        <translation>Unbekannter Status</translation>
    </message>
    <message>
        <source>No supported printer</source>
        <translation>Kein unterstützter Drucker</translation>
    </message>
    <message>
        <source>This installation names no printer family it follows.</source>
        <translation>Diese Installation nennt keine Druckerfamilie, die sie verfolgt.</translation>
    </message>
    <message>
        <source>Pellar follows printers of these families: %1.</source>
        <translation>Pellar verfolgt Drucker dieser Familien: %1.</translation>
    </message>
    <message>
        <source>CUPS has no printer queue.</source>
        <translation>CUPS hat keine Druckerwarteschlange.</translation>
    </message>
    <message>
        <source>CUPS has these queues, and none of them is of a supported family:
%1</source>
        <translation>CUPS hat diese Warteschlangen, aber keine davon gehört zu einer unterstützten Familie:
%1</translation>
    </message>
    <message>
        <source>Your job on %1 has finished.</source>
        <translation>Ihr Auftrag auf %1 ist fertig.</translation>
    </message>
</context>
<context>
    <name>Ui_PLStatusSimpleView</name>
    <message>
        <source>PLStatusSimpleView</source>
        <translation>PLStatusSimpleView</translation>
    </message>
    <message>
        <source>Status Title</source>
        <translation>Statustitel</translation>
    </message>
    <message>
        <source>Status Description</source>
        <translation>Statusbeschreibung</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Pellar is already running for this user in this session (process %1, lock %2).</source>
        <translation>Pellar läuft bereits für diesen Benutzer in dieser Sitzung (Prozess %1, Sperre %2).</translation>
    </message>
    <message>
        <source>Pellar cannot make sure it runs only once in this session.</source>
        <translation>Pellar kann nicht sicherstellen, dass es in dieser Sitzung nur einmal läuft.</translation>
    </message>
</context>
</TS>
