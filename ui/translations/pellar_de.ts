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
    <message>
        <source>User&apos;s Guide</source>
        <translation>Benutzerhandbuch</translation>
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
    <name>QueueStatus</name>
    <message>
        <source>Queue stopped</source>
        <translation>Warteschlange angehalten</translation>
    </message>
    <message>
        <source>The print queue is stopped and keeps its jobs. Resume it in the printer settings.</source>
        <translation>Die Druckwarteschlange ist angehalten und behält ihre Aufträge. Setzen Sie sie in den Druckereinstellungen fort.</translation>
    </message>
    <message>
        <source>Queue not accepting jobs</source>
        <translation>Warteschlange nimmt keine Aufträge an</translation>
    </message>
    <message>
        <source>The print queue refuses new jobs. Let it accept jobs again in the printer settings.</source>
        <translation>Die Druckwarteschlange weist neue Aufträge ab. Lassen Sie sie in den Druckereinstellungen wieder Aufträge annehmen.</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>Druckt</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>%1 (low)</source>
        <translation>%1 (fast leer)</translation>
    </message>
    <message>
        <source>%1 (some left)</source>
        <translation>%1 (Rest vorhanden)</translation>
    </message>
    <message>
        <source>CUPS does not answer</source>
        <translation>CUPS antwortet nicht</translation>
    </message>
    <message>
        <source>The printer&apos;s state is not known while the print server does not answer.</source>
        <translation>Solange der Druckserver nicht antwortet, ist der Zustand des Druckers unbekannt.</translation>
    </message>
    <message>
        <source>Printer not answering</source>
        <translation>Drucker antwortet nicht</translation>
    </message>
    <message>
        <source>Check that the printer is switched on and connected.</source>
        <translation>Prüfen Sie, ob der Drucker eingeschaltet und angeschlossen ist.</translation>
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
    <message>
        <source>User&apos;s Guide</source>
        <translation>Benutzerhandbuch</translation>
    </message>
</context>
<context>
    <name>StateReasons</name>
    <message>
        <source>Printer problem</source>
        <translation>Druckerproblem</translation>
    </message>
    <message>
        <source>Check the printer&apos;s display or control panel.</source>
        <translation>Sehen Sie auf der Anzeige oder dem Bedienfeld des Druckers nach.</translation>
    </message>
    <message>
        <source>Paper needed</source>
        <translation>Papier benötigt</translation>
    </message>
    <message>
        <source>Load the requested paper into the printer.</source>
        <translation>Legen Sie das angeforderte Papier in den Drucker ein.</translation>
    </message>
    <message>
        <source>Paper jam</source>
        <translation>Papierstau</translation>
    </message>
    <message>
        <source>Open the printer&apos;s cover and remove the jammed paper.</source>
        <translation>Öffnen Sie die Abdeckung des Druckers und entfernen Sie das gestaute Papier.</translation>
    </message>
    <message>
        <source>Paper jam at output</source>
        <translation>Papierstau an der Ausgabe</translation>
    </message>
    <message>
        <source>Remove the jammed paper from the output tray.</source>
        <translation>Entfernen Sie das gestaute Papier aus dem Ausgabefach.</translation>
    </message>
    <message>
        <source>Paper jam in tray</source>
        <translation>Papierstau im Papierfach</translation>
    </message>
    <message>
        <source>Remove the jammed paper from the paper tray.</source>
        <translation>Entfernen Sie das gestaute Papier aus dem Papierfach.</translation>
    </message>
    <message>
        <source>Paper feed problem</source>
        <translation>Fehler beim Papiereinzug</translation>
    </message>
    <message>
        <source>Take the paper out of the tray, straighten it and put it back.</source>
        <translation>Nehmen Sie das Papier aus dem Fach, richten Sie es gerade aus und legen Sie es wieder ein.</translation>
    </message>
    <message>
        <source>Paper low</source>
        <translation>Wenig Papier</translation>
    </message>
    <message>
        <source>Add paper to the tray soon.</source>
        <translation>Legen Sie bald Papier in das Fach nach.</translation>
    </message>
    <message>
        <source>Out of paper</source>
        <translation>Kein Papier</translation>
    </message>
    <message>
        <source>Load paper into the tray.</source>
        <translation>Legen Sie Papier in das Fach ein.</translation>
    </message>
    <message>
        <source>Paper tray missing</source>
        <translation>Papierfach fehlt</translation>
    </message>
    <message>
        <source>Insert the paper tray into the printer.</source>
        <translation>Setzen Sie das Papierfach in den Drucker ein.</translation>
    </message>
    <message>
        <source>Output tray missing</source>
        <translation>Ausgabefach fehlt</translation>
    </message>
    <message>
        <source>Attach the output tray to the printer.</source>
        <translation>Bringen Sie das Ausgabefach am Drucker an.</translation>
    </message>
    <message>
        <source>Output tray almost full</source>
        <translation>Ausgabefach fast voll</translation>
    </message>
    <message>
        <source>Remove the printed pages from the output tray.</source>
        <translation>Nehmen Sie die gedruckten Seiten aus dem Ausgabefach.</translation>
    </message>
    <message>
        <source>Output tray full</source>
        <translation>Ausgabefach voll</translation>
    </message>
    <message>
        <source>Manual feed</source>
        <translation>Manueller Einzug</translation>
    </message>
    <message>
        <source>Insert a sheet into the manual feed slot.</source>
        <translation>Legen Sie ein Blatt in den manuellen Einzug ein.</translation>
    </message>
    <message>
        <source>Paper size change</source>
        <translation>Anderes Papierformat</translation>
    </message>
    <message>
        <source>Load paper of the size the printer asks for.</source>
        <translation>Legen Sie Papier in dem Format ein, das der Drucker verlangt.</translation>
    </message>
    <message>
        <source>Paper type change</source>
        <translation>Andere Papiersorte</translation>
    </message>
    <message>
        <source>Load paper of the type the printer asks for.</source>
        <translation>Legen Sie Papier der Sorte ein, die der Drucker verlangt.</translation>
    </message>
    <message>
        <source>Paper size not supported</source>
        <translation>Papierformat nicht unterstützt</translation>
    </message>
    <message>
        <source>Choose another paper size or tray.</source>
        <translation>Wählen Sie ein anderes Papierformat oder Papierfach.</translation>
    </message>
    <message>
        <source>No two-sided printing</source>
        <translation>Kein beidseitiger Druck</translation>
    </message>
    <message>
        <source>Print one-sided, or choose paper that allows two-sided printing.</source>
        <translation>Drucken Sie einseitig oder wählen Sie Papier, das beidseitigen Druck erlaubt.</translation>
    </message>
    <message>
        <source>Pickup roller worn</source>
        <translation>Einzugsrolle abgenutzt</translation>
    </message>
    <message>
        <source>Replace the paper pickup roller soon.</source>
        <translation>Ersetzen Sie bald die Papiereinzugsrolle.</translation>
    </message>
    <message>
        <source>Pickup roller worn out</source>
        <translation>Einzugsrolle verschlissen</translation>
    </message>
    <message>
        <source>Replace the paper pickup roller.</source>
        <translation>Ersetzen Sie die Papiereinzugsrolle.</translation>
    </message>
    <message>
        <source>Paper drying</source>
        <translation>Papier trocknet</translation>
    </message>
    <message>
        <source>Wait until the printed pages have dried.</source>
        <translation>Warten Sie, bis die gedruckten Seiten getrocknet sind.</translation>
    </message>
    <message>
        <source>Door open</source>
        <translation>Klappe geöffnet</translation>
    </message>
    <message>
        <source>Close the printer&apos;s door.</source>
        <translation>Schließen Sie die Klappe des Druckers.</translation>
    </message>
    <message>
        <source>Cover open</source>
        <translation>Abdeckung geöffnet</translation>
    </message>
    <message>
        <source>Close the printer&apos;s cover.</source>
        <translation>Schließen Sie die Abdeckung des Druckers.</translation>
    </message>
    <message>
        <source>Printer open</source>
        <translation>Drucker geöffnet</translation>
    </message>
    <message>
        <source>Close all doors and covers of the printer.</source>
        <translation>Schließen Sie alle Klappen und Abdeckungen des Druckers.</translation>
    </message>
    <message>
        <source>Toner low</source>
        <translation>Toner fast leer</translation>
    </message>
    <message>
        <source>Order a new toner cartridge.</source>
        <translation>Bestellen Sie eine neue Tonerkartusche.</translation>
    </message>
    <message>
        <source>Out of toner</source>
        <translation>Toner leer</translation>
    </message>
    <message>
        <source>Replace the toner cartridge.</source>
        <translation>Ersetzen Sie die Tonerkartusche.</translation>
    </message>
    <message>
        <source>Toner cartridge missing</source>
        <translation>Tonerkartusche fehlt</translation>
    </message>
    <message>
        <source>Insert the toner cartridge.</source>
        <translation>Setzen Sie die Tonerkartusche ein.</translation>
    </message>
    <message>
        <source>Supply low</source>
        <translation>Verbrauchsmaterial fast leer</translation>
    </message>
    <message>
        <source>Order a replacement for the supply running low.</source>
        <translation>Bestellen Sie Ersatz für das fast leere Verbrauchsmaterial.</translation>
    </message>
    <message>
        <source>Supply empty</source>
        <translation>Verbrauchsmaterial leer</translation>
    </message>
    <message>
        <source>Replace the empty supply.</source>
        <translation>Ersetzen Sie das leere Verbrauchsmaterial.</translation>
    </message>
    <message>
        <source>Supply missing</source>
        <translation>Verbrauchsmaterial fehlt</translation>
    </message>
    <message>
        <source>Insert the missing supply.</source>
        <translation>Setzen Sie das fehlende Verbrauchsmaterial ein.</translation>
    </message>
    <message>
        <source>Ink low</source>
        <translation>Tinte fast leer</translation>
    </message>
    <message>
        <source>Order a new ink cartridge.</source>
        <translation>Bestellen Sie eine neue Tintenpatrone.</translation>
    </message>
    <message>
        <source>Out of ink</source>
        <translation>Tinte leer</translation>
    </message>
    <message>
        <source>Replace the ink cartridge.</source>
        <translation>Ersetzen Sie die Tintenpatrone.</translation>
    </message>
    <message>
        <source>Ink cartridge missing</source>
        <translation>Tintenpatrone fehlt</translation>
    </message>
    <message>
        <source>Insert the ink cartridge.</source>
        <translation>Setzen Sie die Tintenpatrone ein.</translation>
    </message>
    <message>
        <source>Developer low</source>
        <translation>Entwickler fast leer</translation>
    </message>
    <message>
        <source>Order new developer.</source>
        <translation>Bestellen Sie neuen Entwickler.</translation>
    </message>
    <message>
        <source>Out of developer</source>
        <translation>Entwickler leer</translation>
    </message>
    <message>
        <source>Replace the developer.</source>
        <translation>Ersetzen Sie den Entwickler.</translation>
    </message>
    <message>
        <source>Developer missing</source>
        <translation>Entwicklereinheit fehlt</translation>
    </message>
    <message>
        <source>Insert the developer unit.</source>
        <translation>Setzen Sie die Entwicklereinheit ein.</translation>
    </message>
    <message>
        <source>Ribbon low</source>
        <translation>Farbband fast verbraucht</translation>
    </message>
    <message>
        <source>Order a new print ribbon.</source>
        <translation>Bestellen Sie ein neues Farbband.</translation>
    </message>
    <message>
        <source>Ribbon used up</source>
        <translation>Farbband verbraucht</translation>
    </message>
    <message>
        <source>Replace the print ribbon.</source>
        <translation>Ersetzen Sie das Farbband.</translation>
    </message>
    <message>
        <source>Ribbon missing</source>
        <translation>Farbband fehlt</translation>
    </message>
    <message>
        <source>Insert a print ribbon.</source>
        <translation>Setzen Sie ein Farbband ein.</translation>
    </message>
    <message>
        <source>Waste container almost full</source>
        <translation>Abfallbehälter fast voll</translation>
    </message>
    <message>
        <source>Order a new waste container.</source>
        <translation>Bestellen Sie einen neuen Abfallbehälter.</translation>
    </message>
    <message>
        <source>Waste container full</source>
        <translation>Abfallbehälter voll</translation>
    </message>
    <message>
        <source>Replace the waste container.</source>
        <translation>Ersetzen Sie den Abfallbehälter.</translation>
    </message>
    <message>
        <source>Waste container missing</source>
        <translation>Abfallbehälter fehlt</translation>
    </message>
    <message>
        <source>Insert the waste container.</source>
        <translation>Setzen Sie den Abfallbehälter ein.</translation>
    </message>
    <message>
        <source>Drum nearly worn out</source>
        <translation>Trommel bald verbraucht</translation>
    </message>
    <message>
        <source>Order a new drum unit.</source>
        <translation>Bestellen Sie eine neue Trommeleinheit.</translation>
    </message>
    <message>
        <source>Drum worn out</source>
        <translation>Trommel verbraucht</translation>
    </message>
    <message>
        <source>Replace the drum unit.</source>
        <translation>Ersetzen Sie die Trommeleinheit.</translation>
    </message>
    <message>
        <source>Drum unit missing</source>
        <translation>Trommeleinheit fehlt</translation>
    </message>
    <message>
        <source>Insert the drum unit.</source>
        <translation>Setzen Sie die Trommeleinheit ein.</translation>
    </message>
    <message>
        <source>Fuser too hot</source>
        <translation>Fixiereinheit zu heiß</translation>
    </message>
    <message>
        <source>Switch the printer off and let it cool down.</source>
        <translation>Schalten Sie den Drucker aus und lassen Sie ihn abkühlen.</translation>
    </message>
    <message>
        <source>Fuser warming up</source>
        <translation>Fixiereinheit heizt auf</translation>
    </message>
    <message>
        <source>Wait until the printer has warmed up.</source>
        <translation>Warten Sie, bis der Drucker aufgewärmt ist.</translation>
    </message>
    <message>
        <source>Fuser missing</source>
        <translation>Fixiereinheit fehlt</translation>
    </message>
    <message>
        <source>Insert the fuser unit.</source>
        <translation>Setzen Sie die Fixiereinheit ein.</translation>
    </message>
    <message>
        <source>Cleaning unit nearly worn out</source>
        <translation>Reinigungseinheit bald verbraucht</translation>
    </message>
    <message>
        <source>Order a new cleaning unit.</source>
        <translation>Bestellen Sie eine neue Reinigungseinheit.</translation>
    </message>
    <message>
        <source>Cleaning unit worn out</source>
        <translation>Reinigungseinheit verbraucht</translation>
    </message>
    <message>
        <source>Replace the cleaning unit.</source>
        <translation>Ersetzen Sie die Reinigungseinheit.</translation>
    </message>
    <message>
        <source>Adjusting print quality</source>
        <translation>Druckqualität wird angepasst</translation>
    </message>
    <message>
        <source>Wait until the printer has finished adjusting.</source>
        <translation>Warten Sie, bis der Drucker die Anpassung beendet hat.</translation>
    </message>
    <message>
        <source>Staples low</source>
        <translation>Heftklammern gehen zur Neige</translation>
    </message>
    <message>
        <source>Add staples to the stapler soon.</source>
        <translation>Füllen Sie bald Heftklammern nach.</translation>
    </message>
    <message>
        <source>Out of staples</source>
        <translation>Keine Heftklammern</translation>
    </message>
    <message>
        <source>Add staples to the stapler.</source>
        <translation>Füllen Sie Heftklammern in den Hefter nach.</translation>
    </message>
    <message>
        <source>Staple jam</source>
        <translation>Heftklammerstau</translation>
    </message>
    <message>
        <source>Open the stapler and remove the jammed staples.</source>
        <translation>Öffnen Sie den Hefter und entfernen Sie die gestauten Heftklammern.</translation>
    </message>
    <message>
        <source>Stacker almost full</source>
        <translation>Stapelfach fast voll</translation>
    </message>
    <message>
        <source>Remove the printed pages from the stacker.</source>
        <translation>Nehmen Sie die gedruckten Seiten aus dem Stapelfach.</translation>
    </message>
    <message>
        <source>Stacker full</source>
        <translation>Stapelfach voll</translation>
    </message>
    <message>
        <source>Punch waste almost full</source>
        <translation>Stanzabfallbehälter fast voll</translation>
    </message>
    <message>
        <source>Empty the hole punch&apos;s waste container.</source>
        <translation>Leeren Sie den Behälter für Stanzabfälle.</translation>
    </message>
    <message>
        <source>Punch waste full</source>
        <translation>Stanzabfallbehälter voll</translation>
    </message>
    <message>
        <source>Fan failure</source>
        <translation>Lüfter ausgefallen</translation>
    </message>
    <message>
        <source>Switch the printer off and call for service.</source>
        <translation>Schalten Sie den Drucker aus und wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>Motor failure</source>
        <translation>Motor ausgefallen</translation>
    </message>
    <message>
        <source>Printer offline</source>
        <translation>Drucker offline</translation>
    </message>
    <message>
        <source>Switch the printer on and check its cable or network.</source>
        <translation>Schalten Sie den Drucker ein und prüfen Sie Kabel oder Netzwerk.</translation>
    </message>
    <message>
        <source>Connecting to printer</source>
        <translation>Verbindung wird hergestellt</translation>
    </message>
    <message>
        <source>Wait while the computer connects to the printer.</source>
        <translation>Warten Sie, während der Computer die Verbindung zum Drucker herstellt.</translation>
    </message>
    <message>
        <source>Printer not responding</source>
        <translation>Drucker antwortet nicht</translation>
    </message>
    <message>
        <source>Check that the printer is on and connected.</source>
        <translation>Prüfen Sie, ob der Drucker eingeschaltet und angeschlossen ist.</translation>
    </message>
    <message>
        <source>Printer switched off</source>
        <translation>Drucker ausgeschaltet</translation>
    </message>
    <message>
        <source>Switch the printer on.</source>
        <translation>Schalten Sie den Drucker ein.</translation>
    </message>
    <message>
        <source>Printer shutting down</source>
        <translation>Drucker fährt herunter</translation>
    </message>
    <message>
        <source>Switch the printer on again to print.</source>
        <translation>Schalten Sie den Drucker wieder ein, um zu drucken.</translation>
    </message>
    <message>
        <source>Printer restarted</source>
        <translation>Drucker neu gestartet</translation>
    </message>
    <message>
        <source>Send again any job that did not print.</source>
        <translation>Senden Sie Aufträge, die nicht gedruckt wurden, erneut.</translation>
    </message>
    <message>
        <source>Ready to print</source>
        <translation>Druckbereit</translation>
    </message>
    <message>
        <source>You can print.</source>
        <translation>Sie können drucken.</translation>
    </message>
    <message>
        <source>Printer settings changed</source>
        <translation>Druckereinstellungen geändert</translation>
    </message>
    <message>
        <source>Check the printer&apos;s settings if pages look different.</source>
        <translation>Prüfen Sie die Einstellungen des Druckers, falls die Seiten anders aussehen.</translation>
    </message>
    <message>
        <source>Pausing</source>
        <translation>Wird pausiert</translation>
    </message>
    <message>
        <source>The printer pauses after the current job.</source>
        <translation>Der Drucker pausiert nach dem aktuellen Auftrag.</translation>
    </message>
    <message>
        <source>Printer paused</source>
        <translation>Drucker pausiert</translation>
    </message>
    <message>
        <source>Resume the printer to print again.</source>
        <translation>Setzen Sie den Drucker fort, um wieder zu drucken.</translation>
    </message>
    <message>
        <source>Printer stopping</source>
        <translation>Drucker wird angehalten</translation>
    </message>
    <message>
        <source>Wait until the printer has stopped.</source>
        <translation>Warten Sie, bis der Drucker angehalten ist.</translation>
    </message>
    <message>
        <source>Printer stopped</source>
        <translation>Drucker angehalten</translation>
    </message>
    <message>
        <source>Check the printer, then resume it.</source>
        <translation>Prüfen Sie den Drucker und setzen Sie ihn dann fort.</translation>
    </message>
    <message>
        <source>Printer partly stopped</source>
        <translation>Drucker teilweise angehalten</translation>
    </message>
    <message>
        <source>Check the printer&apos;s control panel.</source>
        <translation>Sehen Sie auf dem Bedienfeld des Druckers nach.</translation>
    </message>
    <message>
        <source>Print memory full</source>
        <translation>Druckspeicher voll</translation>
    </message>
    <message>
        <source>Wait until waiting jobs have printed, or cancel some.</source>
        <translation>Warten Sie, bis wartende Aufträge gedruckt sind, oder brechen Sie einige ab.</translation>
    </message>
    <message>
        <source>New jobs are held</source>
        <translation>Neue Aufträge zurückgehalten</translation>
    </message>
    <message>
        <source>Release the held jobs to print them.</source>
        <translation>Geben Sie die zurückgehaltenen Aufträge zum Drucken frei.</translation>
    </message>
    <message>
        <source>Printer deactivated</source>
        <translation>Drucker deaktiviert</translation>
    </message>
    <message>
        <source>Ask your administrator to activate the printer.</source>
        <translation>Bitten Sie Ihren Administrator, den Drucker zu aktivieren.</translation>
    </message>
    <message>
        <source>Identifying printer</source>
        <translation>Drucker wird identifiziert</translation>
    </message>
    <message>
        <source>The printer gives a signal so that you can find it.</source>
        <translation>Der Drucker gibt ein Signal, damit Sie ihn finden.</translation>
    </message>
    <message>
        <source>Printer resource missing</source>
        <translation>Druckerressource fehlt</translation>
    </message>
    <message>
        <source>The printer lacks a font or form the job needs; print with other settings.</source>
        <translation>Dem Drucker fehlt eine Schrift oder Vorlage für den Auftrag; drucken Sie mit anderen Einstellungen.</translation>
    </message>
    <message>
        <source>Finishing the job</source>
        <translation>Auftrag wird abgeschlossen</translation>
    </message>
    <message>
        <source>Wait until the printer has finished the job.</source>
        <translation>Warten Sie, bis der Drucker den Auftrag beendet hat.</translation>
    </message>
    <message>
        <source>Printer driver incomplete</source>
        <translation>Druckertreiber unvollständig</translation>
    </message>
    <message>
        <source>Reinstall the printer&apos;s driver.</source>
        <translation>Installieren Sie den Druckertreiber neu.</translation>
    </message>
    <message>
        <source>Printer driver not trusted</source>
        <translation>Unsicherer Druckertreiber</translation>
    </message>
    <message>
        <source>Ask your administrator to check the driver&apos;s files.</source>
        <translation>Bitten Sie Ihren Administrator, die Dateien des Treibers zu prüfen.</translation>
    </message>
    <message>
        <source>Waiting at the remote printer</source>
        <translation>Wartet am entfernten Drucker</translation>
    </message>
    <message>
        <source>Wait until the remote printer takes the job.</source>
        <translation>Warten Sie, bis der entfernte Drucker den Auftrag annimmt.</translation>
    </message>
    <message>
        <source>Held at the remote printer</source>
        <translation>Am entfernten Drucker zurückgehalten</translation>
    </message>
    <message>
        <source>Release the job at the remote printer.</source>
        <translation>Geben Sie den Auftrag am entfernten Drucker frei.</translation>
    </message>
    <message>
        <source>Printing at the remote printer</source>
        <translation>Druck am entfernten Drucker</translation>
    </message>
    <message>
        <source>Wait until the remote printer has finished.</source>
        <translation>Warten Sie, bis der entfernte Drucker fertig ist.</translation>
    </message>
    <message>
        <source>Remote printer stopped</source>
        <translation>Entfernter Drucker angehalten</translation>
    </message>
    <message>
        <source>Check the remote printer.</source>
        <translation>Prüfen Sie den entfernten Drucker.</translation>
    </message>
    <message>
        <source>Canceled at the remote printer</source>
        <translation>Am entfernten Drucker abgebrochen</translation>
    </message>
    <message>
        <source>Print the document again if you still need it.</source>
        <translation>Drucken Sie das Dokument erneut, falls Sie es noch brauchen.</translation>
    </message>
    <message>
        <source>Aborted by the remote printer</source>
        <translation>Vom entfernten Drucker abgebrochen</translation>
    </message>
    <message>
        <source>Print the document again.</source>
        <translation>Drucken Sie das Dokument erneut.</translation>
    </message>
    <message>
        <source>Done at the remote printer</source>
        <translation>Am entfernten Drucker fertig</translation>
    </message>
    <message>
        <source>Collect your pages at the remote printer.</source>
        <translation>Holen Sie Ihre Seiten am entfernten Drucker ab.</translation>
    </message>
    <message>
        <source>Unknown printer state</source>
        <translation>Unbekannter Druckerzustand</translation>
    </message>
    <message>
        <source>Paper output problem</source>
        <translation>Fehler bei der Papierausgabe</translation>
    </message>
    <message>
        <source>Remove any paper stuck at the output.</source>
        <translation>Entfernen Sie Papier, das in der Ausgabe steckt.</translation>
    </message>
    <message>
        <source>Paper path failure</source>
        <translation>Störung im Papierweg</translation>
    </message>
    <message>
        <source>Paper tray failure</source>
        <translation>Störung am Papierfach</translation>
    </message>
    <message>
        <source>Take the paper tray out and insert it again.</source>
        <translation>Nehmen Sie das Papierfach heraus und setzen Sie es wieder ein.</translation>
    </message>
    <message>
        <source>Paper tray lift failure</source>
        <translation>Papierfach hebt nicht an</translation>
    </message>
    <message>
        <source>Paper tray not in place</source>
        <translation>Papierfach nicht eingerastet</translation>
    </message>
    <message>
        <source>Push the paper tray fully into the printer.</source>
        <translation>Schieben Sie das Papierfach ganz in den Drucker.</translation>
    </message>
    <message>
        <source>Output tray failure</source>
        <translation>Störung am Ausgabefach</translation>
    </message>
    <message>
        <source>Check the output tray and its attachment.</source>
        <translation>Prüfen Sie das Ausgabefach und seine Befestigung.</translation>
    </message>
    <message>
        <source>Output bin not available</source>
        <translation>Ausgabefach nicht verfügbar</translation>
    </message>
    <message>
        <source>Choose another output bin.</source>
        <translation>Wählen Sie ein anderes Ausgabefach.</translation>
    </message>
    <message>
        <source>Paper color change</source>
        <translation>Andere Papierfarbe</translation>
    </message>
    <message>
        <source>Load paper of the color the printer asks for.</source>
        <translation>Legen Sie Papier in der Farbe ein, die der Drucker verlangt.</translation>
    </message>
    <message>
        <source>Paper weight change</source>
        <translation>Anderes Papiergewicht</translation>
    </message>
    <message>
        <source>Load paper of the weight the printer asks for.</source>
        <translation>Legen Sie Papier mit dem Gewicht ein, das der Drucker verlangt.</translation>
    </message>
    <message>
        <source>Form change</source>
        <translation>Anderes Formular</translation>
    </message>
    <message>
        <source>Load the forms the printer asks for.</source>
        <translation>Legen Sie die Formulare ein, die der Drucker verlangt.</translation>
    </message>
    <message>
        <source>Pickup roller missing</source>
        <translation>Einzugsrolle fehlt</translation>
    </message>
    <message>
        <source>Insert the paper pickup roller.</source>
        <translation>Setzen Sie die Papiereinzugsrolle ein.</translation>
    </message>
    <message>
        <source>Pickup roller failure</source>
        <translation>Einzugsrolle gestört</translation>
    </message>
    <message>
        <source>Printer closed</source>
        <translation>Drucker geschlossen</translation>
    </message>
    <message>
        <source>Fuser sensor failure</source>
        <translation>Fixiersensor ausgefallen</translation>
    </message>
    <message>
        <source>Fuser timing failure</source>
        <translation>Fixiereinheit: Taktfehler</translation>
    </message>
    <message>
        <source>Cleaning unit missing</source>
        <translation>Reinigungseinheit fehlt</translation>
    </message>
    <message>
        <source>Insert the cleaning unit.</source>
        <translation>Setzen Sie die Reinigungseinheit ein.</translation>
    </message>
    <message>
        <source>Lamp nearly worn out</source>
        <translation>Lampe bald verbraucht</translation>
    </message>
    <message>
        <source>Order a new lamp.</source>
        <translation>Bestellen Sie eine neue Lampe.</translation>
    </message>
    <message>
        <source>Lamp worn out</source>
        <translation>Lampe verbraucht</translation>
    </message>
    <message>
        <source>Replace the lamp.</source>
        <translation>Ersetzen Sie die Lampe.</translation>
    </message>
    <message>
        <source>Lamp failure</source>
        <translation>Lampe ausgefallen</translation>
    </message>
    <message>
        <source>Laser nearly worn out</source>
        <translation>Laser bald verbraucht</translation>
    </message>
    <message>
        <source>Have the laser unit replaced soon.</source>
        <translation>Lassen Sie die Lasereinheit bald ersetzen.</translation>
    </message>
    <message>
        <source>Laser worn out</source>
        <translation>Laser verbraucht</translation>
    </message>
    <message>
        <source>Have the laser unit replaced.</source>
        <translation>Lassen Sie die Lasereinheit ersetzen.</translation>
    </message>
    <message>
        <source>Laser failure</source>
        <translation>Laser ausgefallen</translation>
    </message>
    <message>
        <source>Camera failure</source>
        <translation>Kamera ausgefallen</translation>
    </message>
    <message>
        <source>Fax modem nearly worn out</source>
        <translation>Faxmodem bald verschlissen</translation>
    </message>
    <message>
        <source>Have the fax modem replaced soon.</source>
        <translation>Lassen Sie das Faxmodem bald ersetzen.</translation>
    </message>
    <message>
        <source>Fax modem worn out</source>
        <translation>Faxmodem verschlissen</translation>
    </message>
    <message>
        <source>Have the fax modem replaced.</source>
        <translation>Lassen Sie das Faxmodem ersetzen.</translation>
    </message>
    <message>
        <source>Fax modem missing</source>
        <translation>Faxmodem fehlt</translation>
    </message>
    <message>
        <source>Check the printer&apos;s fax modem.</source>
        <translation>Prüfen Sie das Faxmodem des Druckers.</translation>
    </message>
    <message>
        <source>Fax modem switched off</source>
        <translation>Faxmodem ausgeschaltet</translation>
    </message>
    <message>
        <source>Switch the fax modem on to send faxes.</source>
        <translation>Schalten Sie das Faxmodem ein, um Faxe zu senden.</translation>
    </message>
    <message>
        <source>Fax modem switched on</source>
        <translation>Faxmodem eingeschaltet</translation>
    </message>
    <message>
        <source>Material low</source>
        <translation>Wenig Material</translation>
    </message>
    <message>
        <source>Have new material ready soon.</source>
        <translation>Halten Sie bald neues Material bereit.</translation>
    </message>
    <message>
        <source>Out of material</source>
        <translation>Kein Material</translation>
    </message>
    <message>
        <source>Load new material.</source>
        <translation>Legen Sie neues Material ein.</translation>
    </message>
    <message>
        <source>Material needed</source>
        <translation>Material benötigt</translation>
    </message>
    <message>
        <source>Load the material the printer asks for.</source>
        <translation>Legen Sie das Material ein, das der Drucker verlangt.</translation>
    </message>
    <message>
        <source>Extruder jammed</source>
        <translation>Extruder verstopft</translation>
    </message>
    <message>
        <source>Clear the extruder as its manual describes.</source>
        <translation>Reinigen Sie den Extruder, wie es seine Anleitung beschreibt.</translation>
    </message>
    <message>
        <source>Extruder failure</source>
        <translation>Extruder ausgefallen</translation>
    </message>
    <message>
        <source>Extruder heating up</source>
        <translation>Extruder heizt auf</translation>
    </message>
    <message>
        <source>Wait until the printer is ready.</source>
        <translation>Warten Sie, bis der Drucker bereit ist.</translation>
    </message>
    <message>
        <source>Extruder cooling down</source>
        <translation>Extruder kühlt ab</translation>
    </message>
    <message>
        <source>Extruder too hot</source>
        <translation>Extruder zu heiß</translation>
    </message>
    <message>
        <source>Extruder too cold</source>
        <translation>Extruder zu kalt</translation>
    </message>
    <message>
        <source>Chamber failure</source>
        <translation>Störung im Bauraum</translation>
    </message>
    <message>
        <source>Chamber heating up</source>
        <translation>Bauraum heizt auf</translation>
    </message>
    <message>
        <source>Chamber cooling down</source>
        <translation>Bauraum kühlt ab</translation>
    </message>
    <message>
        <source>Chamber too hot</source>
        <translation>Bauraum zu heiß</translation>
    </message>
    <message>
        <source>Chamber too cold</source>
        <translation>Bauraum zu kalt</translation>
    </message>
    <message>
        <source>Build platform failure</source>
        <translation>Störung der Bauplattform</translation>
    </message>
    <message>
        <source>Build platform heating up</source>
        <translation>Bauplattform heizt auf</translation>
    </message>
    <message>
        <source>Build platform cooling down</source>
        <translation>Bauplattform kühlt ab</translation>
    </message>
    <message>
        <source>Build platform too hot</source>
        <translation>Bauplattform zu heiß</translation>
    </message>
    <message>
        <source>Build platform too cold</source>
        <translation>Bauplattform zu kalt</translation>
    </message>
    <message>
        <source>Printer powering down</source>
        <translation>Drucker schaltet ab</translation>
    </message>
    <message>
        <source>Printer powering up</source>
        <translation>Drucker startet</translation>
    </message>
    <message>
        <source>Printer reset by hand</source>
        <translation>Drucker von Hand zurückgesetzt</translation>
    </message>
    <message>
        <source>Printer reset remotely</source>
        <translation>Drucker aus der Ferne zurückgesetzt</translation>
    </message>
    <message>
        <source>Page too complex</source>
        <translation>Seite zu komplex</translation>
    </message>
    <message>
        <source>Print the page with fewer graphics or a lower resolution.</source>
        <translation>Drucken Sie die Seite mit weniger Grafik oder geringerer Auflösung.</translation>
    </message>
    <message>
        <source>Printer memory increased</source>
        <translation>Druckerspeicher vergrößert</translation>
    </message>
    <message>
        <source>Printer memory decreased</source>
        <translation>Druckerspeicher verkleinert</translation>
    </message>
    <message>
        <source>Printer resource added</source>
        <translation>Druckerressource hinzugefügt</translation>
    </message>
    <message>
        <source>Printer resource removed</source>
        <translation>Druckerressource entfernt</translation>
    </message>
    <message>
        <source>Plug-in module added</source>
        <translation>Steckmodul hinzugefügt</translation>
    </message>
    <message>
        <source>Plug-in module removed</source>
        <translation>Steckmodul entfernt</translation>
    </message>
    <message>
        <source>Printer certificate refused</source>
        <translation>Zertifikat des Druckers abgelehnt</translation>
    </message>
    <message>
        <source>Ask your administrator to check the printer&apos;s certificate.</source>
        <translation>Bitten Sie Ihren Administrator, das Zertifikat des Druckers zu prüfen.</translation>
    </message>
    <message>
        <source>No problem</source>
        <translation>Kein Problem</translation>
    </message>
    <message>
        <source>Old printer alerts removed</source>
        <translation>Alte Druckermeldungen entfernt</translation>
    </message>
    <message>
        <source>Printer not fully conformant</source>
        <translation>Drucker nicht ganz standardkonform</translation>
    </message>
    <message>
        <source>Printer speaks old HTTP</source>
        <translation>Drucker spricht altes HTTP</translation>
    </message>
    <message>
        <source>Printer certificate invalid</source>
        <translation>Zertifikat des Druckers ungültig</translation>
    </message>
    <message>
        <source>Printer certificate changed</source>
        <translation>Zertifikat des Druckers geändert</translation>
    </message>
    <message>
        <source>Printer certificate expired</source>
        <translation>Zertifikat des Druckers abgelaufen</translation>
    </message>
    <message>
        <source>Printer certificate unknown</source>
        <translation>Zertifikat des Druckers unbekannt</translation>
    </message>
    <message>
        <source>Retrying the printer</source>
        <translation>Neuer Versuch beim Drucker</translation>
    </message>
    <message>
        <source>Printer lacks an IPP feature</source>
        <translation>Dem Drucker fehlt eine IPP-Funktion</translation>
    </message>
    <message>
        <source>Bander</source>
        <translation>Banderoliereinheit</translation>
    </message>
    <message>
        <source>Binder</source>
        <translation>Bindeeinheit</translation>
    </message>
    <message>
        <source>Die cutter</source>
        <translation>Stanzeinheit</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Falzeinheit</translation>
    </message>
    <message>
        <source>Imprinter</source>
        <translation>Aufdruckeinheit</translation>
    </message>
    <message>
        <source>Inserter</source>
        <translation>Einfügeeinheit</translation>
    </message>
    <message>
        <source>Envelope unit</source>
        <translation>Kuvertiereinheit</translation>
    </message>
    <message>
        <source>Perforator</source>
        <translation>Perforiereinheit</translation>
    </message>
    <message>
        <source>Hole punch</source>
        <translation>Locher</translation>
    </message>
    <message>
        <source>Sheet cutter</source>
        <translation>Querschneider</translation>
    </message>
    <message>
        <source>Sheet rotator</source>
        <translation>Blattdreheinheit</translation>
    </message>
    <message>
        <source>Slitter</source>
        <translation>Längsschneider</translation>
    </message>
    <message>
        <source>Stacker</source>
        <translation>Stapelfach</translation>
    </message>
    <message>
        <source>Stapler</source>
        <translation>Hefter</translation>
    </message>
    <message>
        <source>Stitcher</source>
        <translation>Drahthefter</translation>
    </message>
    <message>
        <source>Printer unit</source>
        <translation>Baugruppe</translation>
    </message>
    <message>
        <source>Trimmer</source>
        <translation>Beschnitteinheit</translation>
    </message>
    <message>
        <source>Wrapper</source>
        <translation>Verpackungseinheit</translation>
    </message>
    <message>
        <source>%1 added</source>
        <translation>%1 hinzugefügt</translation>
    </message>
    <message>
        <source>%1 almost empty</source>
        <translation>%1 fast leer</translation>
    </message>
    <message>
        <source>Refill this unit&apos;s supplies soon.</source>
        <translation>Füllen Sie das Verbrauchsmaterial dieser Einheit bald nach.</translation>
    </message>
    <message>
        <source>%1 almost full</source>
        <translation>%1 fast voll</translation>
    </message>
    <message>
        <source>Empty this unit soon.</source>
        <translation>Leeren Sie diese Einheit bald.</translation>
    </message>
    <message>
        <source>%1 at its limit</source>
        <translation>%1 am Limit</translation>
    </message>
    <message>
        <source>Empty or refill this unit.</source>
        <translation>Leeren Sie diese Einheit oder füllen Sie sie nach.</translation>
    </message>
    <message>
        <source>%1 near its limit</source>
        <translation>%1 fast am Limit</translation>
    </message>
    <message>
        <source>Empty or refill this unit soon.</source>
        <translation>Leeren Sie diese Einheit bald oder füllen Sie sie nach.</translation>
    </message>
    <message>
        <source>%1 empty</source>
        <translation>%1 leer</translation>
    </message>
    <message>
        <source>Refill this unit&apos;s supplies.</source>
        <translation>Füllen Sie das Verbrauchsmaterial dieser Einheit nach.</translation>
    </message>
    <message>
        <source>%1 full</source>
        <translation>%1 voll</translation>
    </message>
    <message>
        <source>Empty this unit.</source>
        <translation>Leeren Sie diese Einheit.</translation>
    </message>
    <message>
        <source>%1 jammed</source>
        <translation>%1: Stau</translation>
    </message>
    <message>
        <source>Clear the jam in this unit.</source>
        <translation>Beseitigen Sie den Stau in dieser Einheit.</translation>
    </message>
    <message>
        <source>%1 closed</source>
        <translation>%1 geschlossen</translation>
    </message>
    <message>
        <source>%1 cover closed</source>
        <translation>%1: Abdeckung geschlossen</translation>
    </message>
    <message>
        <source>%1 open</source>
        <translation>%1 geöffnet</translation>
    </message>
    <message>
        <source>Close all doors and covers of this unit.</source>
        <translation>Schließen Sie alle Klappen und Abdeckungen dieser Einheit.</translation>
    </message>
    <message>
        <source>%1 cover open</source>
        <translation>%1: Abdeckung geöffnet</translation>
    </message>
    <message>
        <source>Close this unit&apos;s cover.</source>
        <translation>Schließen Sie die Abdeckung dieser Einheit.</translation>
    </message>
    <message>
        <source>%1 missing</source>
        <translation>%1 fehlt</translation>
    </message>
    <message>
        <source>Attach this unit to the printer.</source>
        <translation>Bringen Sie diese Einheit am Drucker an.</translation>
    </message>
    <message>
        <source>%1 removed</source>
        <translation>%1 entfernt</translation>
    </message>
    <message>
        <source>Attach this unit again to use it.</source>
        <translation>Bringen Sie die Einheit wieder an, um sie zu nutzen.</translation>
    </message>
    <message>
        <source>%1 offline</source>
        <translation>%1 offline</translation>
    </message>
    <message>
        <source>Switch this unit on and check its connection.</source>
        <translation>Schalten Sie diese Einheit ein und prüfen Sie ihre Verbindung.</translation>
    </message>
    <message>
        <source>%1 switched off</source>
        <translation>%1 ausgeschaltet</translation>
    </message>
    <message>
        <source>Switch this unit on.</source>
        <translation>Schalten Sie diese Einheit ein.</translation>
    </message>
    <message>
        <source>%1 switched on</source>
        <translation>%1 eingeschaltet</translation>
    </message>
    <message>
        <source>%1 saving power</source>
        <translation>%1 im Energiesparmodus</translation>
    </message>
    <message>
        <source>%1 warming up</source>
        <translation>%1 heizt auf</translation>
    </message>
    <message>
        <source>%1 cooling down</source>
        <translation>%1 kühlt ab</translation>
    </message>
    <message>
        <source>%1 too cold</source>
        <translation>%1 zu kalt</translation>
    </message>
    <message>
        <source>%1 too hot</source>
        <translation>%1 zu heiß</translation>
    </message>
    <message>
        <source>%1 nearly worn out</source>
        <translation>%1 bald verschlissen</translation>
    </message>
    <message>
        <source>Have this unit replaced soon.</source>
        <translation>Lassen Sie diese Einheit bald ersetzen.</translation>
    </message>
    <message>
        <source>%1 worn out</source>
        <translation>%1 verschlissen</translation>
    </message>
    <message>
        <source>Have this unit replaced.</source>
        <translation>Lassen Sie diese Einheit ersetzen.</translation>
    </message>
    <message>
        <source>%1 settings changed</source>
        <translation>%1: Einstellungen geändert</translation>
    </message>
    <message>
        <source>%1 resource added</source>
        <translation>%1: Ressource hinzugefügt</translation>
    </message>
    <message>
        <source>%1 resource removed</source>
        <translation>%1: Ressource entfernt</translation>
    </message>
    <message>
        <source>%1 out of memory</source>
        <translation>%1: Speicher voll</translation>
    </message>
    <message>
        <source>Print the job in smaller parts.</source>
        <translation>Drucken Sie den Auftrag in kleineren Teilen.</translation>
    </message>
    <message>
        <source>%1 problem</source>
        <translation>%1: Störung</translation>
    </message>
    <message>
        <source>Check this unit on the printer&apos;s control panel.</source>
        <translation>Prüfen Sie diese Einheit am Bedienfeld des Druckers.</translation>
    </message>
    <message>
        <source>%1 storage problem</source>
        <translation>%1: Speicherproblem</translation>
    </message>
    <message>
        <source>%1 storage failure</source>
        <translation>%1: Speicher ausgefallen</translation>
    </message>
    <message>
        <source>%1 failure</source>
        <translation>%1 ausgefallen</translation>
    </message>
    <message>
        <source>%1 motor failure</source>
        <translation>%1: Motor ausgefallen</translation>
    </message>
    <message>
        <source>%1 sensor failure</source>
        <translation>%1: Sensor ausgefallen</translation>
    </message>
    <message>
        <source>%1 timing failure</source>
        <translation>%1: Taktfehler</translation>
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
        <source>Please install supported driver or port.</source>
        <translation>Bitte installieren Sie einen unterstützten Treiber oder Anschluss.</translation>
    </message>
</context>
<context>
    <name>TrayMainWindow</name>
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
