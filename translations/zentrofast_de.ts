<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CommandDispatch</name>
    <message>
        <source>The computer was not restarted.</source>
        <translation>Der Computer wurde nicht neu gestartet.</translation>
    </message>
</context>
<context>
    <name>KernelChangeWords</name>
    <message>
        <source>Hop limit of outgoing packets (TTL)</source>
        <translation>Höchstzahl der Weiterleitungen ausgehender Pakete (TTL)</translation>
    </message>
    <message>
        <source>Idle time before a connection is checked</source>
        <translation>Leerlaufzeit bis zur Prüfung einer Verbindung</translation>
    </message>
    <message>
        <source>Time between checks of an idle connection</source>
        <translation>Abstand der Prüfungen einer ruhenden Verbindung</translation>
    </message>
    <message>
        <source>Protection against connection floods (SYN cookies)</source>
        <translation>Schutz vor Verbindungsfluten (SYN-Cookies)</translation>
    </message>
    <message>
        <source>Finding the largest packet a path carries (path MTU discovery)</source>
        <translation>Ermitteln der größten Paketgröße eines Pfads (Pfad-MTU-Erkennung)</translation>
    </message>
    <message>
        <source>Probing for lost large packets (MTU probing)</source>
        <translation>Suche nach verlorenen großen Paketen (MTU-Probing)</translation>
    </message>
    <message>
        <source>Receive buffer</source>
        <translation>Empfangspuffer</translation>
    </message>
    <message>
        <source>Packet size (MTU) of %1</source>
        <translation>Paketgröße (MTU) von %1</translation>
    </message>
    <message>
        <source>Route changes from routers (ICMP redirects) on %1</source>
        <translation>Routenänderungen durch Router (ICMP-Redirects) auf %1</translation>
    </message>
    <message>
        <source>Route changes from routers (ICMP redirects) on all interfaces</source>
        <translation>Routenänderungen durch Router (ICMP-Redirects) auf allen Schnittstellen</translation>
    </message>
    <message>
        <source>Route changes from routers (ICMP redirects) on new interfaces</source>
        <translation>Routenänderungen durch Router (ICMP-Redirects) auf neuen Schnittstellen</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>nicht lesbar</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>off</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>on when needed</source>
        <translation>bei Bedarf an</translation>
    </message>
    <message>
        <source>always on</source>
        <translation>immer an</translation>
    </message>
    <message>
        <source>on</source>
        <translation>an</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>abgelehnt</translation>
    </message>
    <message>
        <source>accepted</source>
        <translation>angenommen</translation>
    </message>
    <message>
        <source>one connection at most %1 at %2</source>
        <translation>eine Verbindung höchstens %1 bei %2</translation>
    </message>
    <message>
        <source>IPv6 addresses on %1 will be removed; going back restores only the link-local one</source>
        <translation>IPv6-Adressen auf %1 werden entfernt; beim Zurücksetzen kehrt nur die link-lokale zurück</translation>
    </message>
    <message>
        <source>%1: %2 → %3</source>
        <translation>%1: %2 → %3</translation>
    </message>
    <message>
        <source>%1: already %2</source>
        <translation>%1: bereits %2</translation>
    </message>
    <message>
        <source> (back to its original)</source>
        <translation> (zurück zum ursprünglichen Wert)</translation>
    </message>
    <message>
        <source> — %1</source>
        <translation> — %1</translation>
    </message>
    <message>
        <source>already set</source>
        <translation>bereits gesetzt</translation>
    </message>
</context>
<context>
    <name>MenuScene</name>
    <message>
        <source>Wizard Mode</source>
        <translation>Assistent</translation>
    </message>
    <message>
        <source>Tune in one step from a profile.</source>
        <translation>In einem Schritt nach Profil optimieren.</translation>
    </message>
    <message>
        <source>Pick one of eight ready-made profiles for your connection and optimise in a single step.</source>
        <translation>Wählen Sie eines von acht fertigen Profilen für Ihre Verbindung und optimieren Sie in einem Schritt.</translation>
    </message>
    <message>
        <source>Advanced Mode</source>
        <translation>Expertenmodus</translation>
    </message>
    <message>
        <source>Set every TCP/IP value, page by page.</source>
        <translation>Jeden TCP/IP-Wert einzeln einstellen.</translation>
    </message>
    <message>
        <source>Set every TCP/IP value page by page, with the recommended value and an explanation beside each.</source>
        <translation>Legen Sie jeden TCP/IP-Wert Seite für Seite fest, jeweils mit empfohlenem Wert und Erklärung.</translation>
    </message>
    <message>
        <source>Backup Manager</source>
        <translation>Sicherungsverwaltung</translation>
    </message>
    <message>
        <source>Backups</source>
        <translation>Sicherungen</translation>
    </message>
    <message>
        <source>Restore or delete earlier settings.</source>
        <translation>Wiederherstellen oder löschen.</translation>
    </message>
    <message>
        <source>Every tuning run keeps the values it replaces. Restore or delete those backups here.</source>
        <translation>Jede Optimierung sichert die Werte, die sie ersetzt. Hier stellen Sie diese Sicherungen wieder her oder löschen sie.</translation>
    </message>
    <message>
        <source>System Status</source>
        <translation>Systemstatus</translation>
    </message>
    <message>
        <source>Live processor and memory graphs.</source>
        <translation>Live-Diagramme für CPU und Speicher.</translation>
    </message>
    <message>
        <source>Live graphs of processor usage and free memory.</source>
        <translation>Live-Diagramme der Prozessorauslastung und des freien Speichers.</translation>
    </message>
    <message>
        <source>RAM Configuration</source>
        <translation>RAM-Einstellungen</translation>
    </message>
    <message>
        <source>RAM Booster</source>
        <translation>RAM-Booster</translation>
    </message>
    <message>
        <source>Low-memory alarm and freeing.</source>
        <translation>Speicheralarm und Speicherfreigabe.</translation>
    </message>
    <message>
        <source>Set the low-memory alarm, its sound and automatic freeing of memory.</source>
        <translation>Alarm bei knappem Speicher, dessen Ton und die automatische Speicherfreigabe einstellen.</translation>
    </message>
    <message>
        <source>Net Pinger</source>
        <translation>Net-Pinger</translation>
    </message>
    <message>
        <source>Keep your connection alive.</source>
        <translation>Hält Ihre Verbindung aufrecht.</translation>
    </message>
    <message>
        <source>Keep your connection alive with a periodic echo request to a host of your choice.</source>
        <translation>Hält Ihre Verbindung mit regelmäßigen Echo-Anfragen an einen Host Ihrer Wahl aufrecht.</translation>
    </message>
    <message>
        <source>Main Settings</source>
        <translation>Grundeinstellungen</translation>
    </message>
    <message>
        <source>Start-up options.</source>
        <translation>Optionen für den Start.</translation>
    </message>
    <message>
        <source>Start Zentrofast with your desktop session, and start it hidden in the tray.</source>
        <translation>Zentrofast mit der Desktop-Sitzung starten, auf Wunsch verborgen im Infobereich.</translation>
    </message>
    <message>
        <source>This Computer&apos;s Network</source>
        <translation>Netzwerk dieses Computers</translation>
    </message>
    <message>
        <source>This Computer</source>
        <translation>Dieser Computer</translation>
    </message>
    <message>
        <source>Live network settings of this computer.</source>
        <translation>Aktuelle Netzwerkeinstellungen dieses Computers.</translation>
    </message>
    <message>
        <source>The network settings Linux uses right now, beside the tuned values and the originals.</source>
        <translation>Die Netzwerkeinstellungen, die Linux gerade verwendet, neben den optimierten und den ursprünglichen Werten.</translation>
    </message>
    <message>
        <source>Connection Test</source>
        <translation>Verbindungstest</translation>
    </message>
    <message>
        <source>Measure speed and round trip.</source>
        <translation>Geschwindigkeit und Umlaufzeit messen.</translation>
    </message>
    <message>
        <source>Measure throughput, round trip and path MTU against a server you name, and get a receive window for it.</source>
        <translation>Durchsatz, Umlaufzeit und Pfad-MTU zu einem Server Ihrer Wahl messen und ein passendes Empfangsfenster erhalten.</translation>
    </message>
    <message>
        <source>WELCOME TO ZENTROFAST</source>
        <translation>WILLKOMMEN BEI ZENTROFAST</translation>
    </message>
    <message>
        <source>Your connection, tuned.</source>
        <translation>Ihre Verbindung, optimiert.</translation>
    </message>
    <message>
        <source>Optimise TCP/IP in one step or value by value. Every change is backed up before it is applied.</source>
        <translation>TCP/IP auf einmal oder Wert für Wert optimieren – stets mit Sicherung vorab.</translation>
    </message>
    <message>
        <source>Start the wizard  →</source>
        <translation>Assistent starten  →</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>✕  Close</source>
        <translation>✕  Schließen</translation>
    </message>
    <message>
        <source>Opening %1…</source>
        <translation>%1 wird geöffnet…</translation>
    </message>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>System Settings</source>
        <translation>Systemeinstellungen</translation>
    </message>
    <message>
        <source>Open this desktop&apos;s own tools for your connection and your computer.</source>
        <translation>Die Werkzeuge dieses Desktops für Ihre Verbindung und Ihren Computer öffnen.</translation>
    </message>
    <message>
        <source>Live network values of this computer beside the tuned ones and the originals.</source>
        <translation>Aktuelle Netzwerkwerte dieses Computers neben den optimierten und den ursprünglichen.</translation>
    </message>
    <message>
        <source>View →</source>
        <translation>Anzeigen →</translation>
    </message>
    <message>
        <source>Internet Properties</source>
        <translation>Interneteinstellungen</translation>
    </message>
    <message>
        <source>Proxy and connection settings for your browser and other programs.</source>
        <translation>Proxy- und Verbindungseinstellungen für Ihren Browser und andere Programme.</translation>
    </message>
    <message>
        <source>System Properties</source>
        <translation>Systemeigenschaften</translation>
    </message>
    <message>
        <source>About this computer: its system, processor and memory.</source>
        <translation>Über diesen Computer: System, Prozessor und Speicher.</translation>
    </message>
    <message>
        <source>Modem Settings</source>
        <translation>Modemeinstellungen</translation>
    </message>
    <message>
        <source>Mobile broadband and dial-up modem connections.</source>
        <translation>Mobilfunk- und Einwahlverbindungen über Modem.</translation>
    </message>
    <message>
        <source>Network Settings</source>
        <translation>Netzwerkeinstellungen</translation>
    </message>
    <message>
        <source>Network connections and adapters of this computer.</source>
        <translation>Netzwerkverbindungen und -adapter dieses Computers.</translation>
    </message>
    <message>
        <source>Open ↗</source>
        <translation>Öffnen ↗</translation>
    </message>
    <message>
        <source>  ·  version %1</source>
        <translation>  ·  Version %1</translation>
    </message>
    <message>
        <source>Keeps running in the tray when hidden</source>
        <translation>Läuft verborgen im Infobereich weiter</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>OPTIMIZE</source>
        <translation>OPTIMIEREN</translation>
    </message>
    <message>
        <source>MONITOR</source>
        <translation>ÜBERWACHEN</translation>
    </message>
    <message>
        <source>SYSTEM</source>
        <translation>SYSTEM</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Restart computer</source>
        <translation>Computer neu starten</translation>
    </message>
    <message>
        <source>Restart the computer?</source>
        <translation>Computer neu starten?</translation>
    </message>
    <message>
        <source>Unsaved work may be lost.</source>
        <translation>Nicht gespeicherte Arbeit kann verloren gehen.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Neu starten</translation>
    </message>
    <message>
        <source>Connection &amp; memory optimizer</source>
        <translation>Verbindungs- und Speicheroptimierer</translation>
    </message>
    <message>
        <source>Minimise</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Hide to tray</source>
        <translation>In den Infobereich</translation>
    </message>
    <message>
        <source>Close Zentrofast</source>
        <translation>Zentrofast beenden</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Tunes your internet connection, keeps it alive and watches memory and processor, from the tray.</source>
        <translation>Optimiert Ihre Internetverbindung, hält sie aufrecht und überwacht Speicher und Prozessor – vom Infobereich aus.</translation>
    </message>
    <message>
        <source>© Tessel. All rights reserved.</source>
        <translation>© Tessel. Alle Rechte vorbehalten.</translation>
    </message>
    <message>
        <source>Optimize</source>
        <translation>Optimieren</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>Überwachen</translation>
    </message>
</context>
<context>
    <name>frmBackUp</name>
    <message>
        <source>Backup</source>
        <translation>Sicherung</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Creating Date</source>
        <translation>Erstellt am</translation>
    </message>
    <message>
        <source>Creating Time</source>
        <translation>Erstellt um</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
</context>
<context>
    <name>frmConnectionTest</name>
    <message>
        <source>Connection Test</source>
        <translation>Verbindungstest</translation>
    </message>
    <message>
        <source>Enter an iperf3 server (iperf3://host) or the address of a large file (https://…).</source>
        <translation>Geben Sie einen iperf3-Server (iperf3://host) oder die Adresse einer großen Datei (https://…) ein.</translation>
    </message>
    <message>
        <source>&amp;Target</source>
        <translation>&amp;Ziel</translation>
    </message>
    <message>
        <source>iperf3://server.example or https://…/large.file</source>
        <translation>iperf3://server.example oder https://…/grosse.datei</translation>
    </message>
    <message>
        <source>&amp;Measure</source>
        <translation>&amp;Messen</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>No test yet.</source>
        <translation>Noch kein Test.</translation>
    </message>
    <message>
        <source>Throughput</source>
        <translation>Durchsatz</translation>
    </message>
    <message>
        <source>Round trip</source>
        <translation>Umlaufzeit</translation>
    </message>
    <message>
        <source>Path MTU</source>
        <translation>Pfad-MTU</translation>
    </message>
    <message>
        <source>TCP</source>
        <translation>TCP</translation>
    </message>
    <message>
        <source>Recommended: —</source>
        <translation>Empfohlen: —</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>&amp;Übernehmen</translation>
    </message>
</context>
<context>
    <name>frmMainSettings</name>
    <message>
        <source>Main Settings</source>
        <translation>Grundeinstellungen</translation>
    </message>
    <message>
        <source>Windows Startup</source>
        <translation>Systemstart</translation>
    </message>
    <message>
        <source>Run Main Program when windows start up</source>
        <translation>Programm beim Anmelden starten</translation>
    </message>
    <message>
        <source>Run Program In system tray</source>
        <translation>Programm im Infobereich ausführen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
</context>
<context>
    <name>frmNetPingerSettings</name>
    <message>
        <source>Net Pinger Settings</source>
        <translation>Net-Pinger-Einstellungen</translation>
    </message>
    <message>
        <source>Enable Pinger</source>
        <translation>Pinger einschalten</translation>
    </message>
    <message>
        <source>&amp;History…</source>
        <translation>&amp;Verlauf…</translation>
    </message>
    <message>
        <source>The connection over the last hour, day and week</source>
        <translation>Die Verbindung in der letzten Stunde, am letzten Tag und in der letzten Woche</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Automatic Mode</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Manual Mode</source>
        <translation>Manuell</translation>
    </message>
    <message>
        <source>Ping &amp;Now</source>
        <translation>&amp;Jetzt pingen</translation>
    </message>
    <message>
        <source>Ping Host</source>
        <translation>Ping-Host</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Ping Interval</source>
        <translation>Ping-Intervall</translation>
    </message>
    <message>
        <source>Play &amp;Sound at Ping</source>
        <translation>&amp;Ton beim Ping</translation>
    </message>
    <message>
        <source>The PING utility helps to keep you from getting your modem connection disconnected by your service provider. Most Internet Service Providers Disconnect users after a fixed period of modem activity</source>
        <translation>Der Pinger verhindert, dass Ihr Anbieter die Modemverbindung trennt. Die meisten Internetanbieter trennen Benutzer nach einer festen Zeit der Modemaktivität.</translation>
    </message>
</context>
<context>
    <name>frmNormalMode</name>
    <message>
        <source>Normal Mode</source>
        <translation>Expertenmodus</translation>
    </message>
    <message>
        <source>Step 1 of 8 : Connection type</source>
        <translation>Schritt 1 von 8: Verbindungsart</translation>
    </message>
    <message>
        <source>How do you connect to the internet?</source>
        <translation>Wie verbinden Sie sich mit dem Internet?</translation>
    </message>
    <message>
        <source>Connection Type</source>
        <translation>Verbindungsart</translation>
    </message>
    <message>
        <source>Dial Up Connection (Modem).</source>
        <translation>Einwahlverbindung (Modem).</translation>
    </message>
    <message>
        <source>Cable Modem.</source>
        <translation>Kabelmodem.</translation>
    </message>
    <message>
        <source>Digital  Subscriber Line (DSL).</source>
        <translation>Digitaler Teilnehmeranschluss (DSL).</translation>
    </message>
    <message>
        <source>LAN Connection(Ethernet).</source>
        <translation>LAN-Verbindung (Ethernet).</translation>
    </message>
    <message>
        <source>Step 2 of 8 : MTU Settings</source>
        <translation>Schritt 2 von 8: MTU-Einstellungen</translation>
    </message>
    <message>
        <source>Recommended MTU size</source>
        <translation>Empfohlene MTU-Größe</translation>
    </message>
    <message>
        <source>Recommended MSS size</source>
        <translation>Empfohlene MSS-Größe</translation>
    </message>
    <message>
        <source>MTU stands for Maximum Transmission Unit and in basic terms, it defines the maximum size of a packet that can be transferred in one frame over a network.</source>
        <translation>MTU steht für Maximum Transmission Unit und legt die größte Paketgröße fest, die in einem Rahmen über ein Netzwerk übertragen werden kann.</translation>
    </message>
    <message>
        <source>MSS or Maximum Segment Size defines how much actual data can put in that packet, and it is therefore a marginally smaller value than MTU to allow for packet addressing and other information.</source>
        <translation>Die MSS (Maximum Segment Size) gibt an, wie viele Nutzdaten in dieses Paket passen; sie ist etwas kleiner als die MTU, damit Platz für Adressen und weitere Angaben bleibt.</translation>
    </message>
    <message>
        <source>Step 3 of 8 : Other MTU Settings</source>
        <translation>Schritt 3 von 8: Weitere MTU-Einstellungen</translation>
    </message>
    <message>
        <source>Enable It?</source>
        <translation>Einschalten?</translation>
    </message>
    <message>
        <source>Recommended to be DISABLED since it imposes extra transmission overhead.</source>
        <translation>Empfohlen: AUS, da es zusätzlichen Übertragungsaufwand verursacht.</translation>
    </message>
    <message>
        <source>Black hole routers are configured not to return the Destination Host Unreachable messages that are used by path MTU discovery. If the PC sending out the packet receives a Destination Host Unreachable message, it means that the MTU for that particular network may be too high; in this case, TCP/IP will try to use a lower value.</source>
        <translation>Black-Hole-Router senden keine „Ziel nicht erreichbar“-Meldungen, die die Pfad-MTU-Erkennung braucht. Erhält der sendende PC eine solche Meldung, ist die MTU für dieses Netz vermutlich zu hoch; TCP/IP versucht dann einen kleineren Wert.</translation>
    </message>
    <message>
        <source>Disable it??</source>
        <translation>Ausschalten?</translation>
    </message>
    <message>
        <source>Recommended to be.</source>
        <translation>Empfohlen:</translation>
    </message>
    <message>
        <source>ENABLED</source>
        <translation>EIN</translation>
    </message>
    <message>
        <source>Remote networks also have an MTU value. Enabling this registry key tells TCP/IP to try to automatically detect the MTU for all networks along the path to a remote host. </source>
        <translation>Auch entfernte Netze haben eine MTU. Ist dieser Schlüssel eingeschaltet, ermittelt TCP/IP die MTU aller Netze auf dem Weg zu einem entfernten Host selbst. </translation>
    </message>
    <message>
        <source>Step 4 of 8 : RWIN Settings</source>
        <translation>Schritt 4 von 8: RWIN-Einstellungen</translation>
    </message>
    <message>
        <source>MSS</source>
        <translation>MSS</translation>
    </message>
    <message>
        <source>Multiplier</source>
        <translation>Faktor</translation>
    </message>
    <message>
        <source>Scale Factor</source>
        <translation>Skalierung</translation>
    </message>
    <message>
        <source>RWIN</source>
        <translation>RWIN</translation>
    </message>
    <message>
        <source>Recommended RWIN size  : </source>
        <translation>Empfohlene RWIN-Größe: </translation>
    </message>
    <message>
        <source>RWIN (Receive WINdow) is the maximum TCP Receive Window size offered by the system.*The receive window specifies the number of bytes a sender may transmit without receiving an acknowledgment.**In general, larger receive windows will improve performance over high (delay . bandwidth) networks.**For highest efficiency, the receive window should be an even multiple of the TCP Maximum Segment Size (MSS).</source>
        <translation>RWIN (Receive WINdow) ist das größte TCP-Empfangsfenster, das das System anbietet.*Das Empfangsfenster gibt an, wie viele Bytes ein Sender ohne Bestätigung senden darf.**Größere Empfangsfenster verbessern meist die Leistung in Netzen mit hohem Produkt aus Verzögerung und Bandbreite.**Am wirksamsten ist ein gerades Vielfaches der TCP-MSS (Maximum Segment Size).</translation>
    </message>
    <message>
        <source>Step 5 of 8 : TTL &amp;&amp; IE Optimization</source>
        <translation>Schritt 5 von 8: TTL &amp;&amp; Browser</translation>
    </message>
    <message>
        <source>Recommended TTL  :</source>
        <translation>Empfohlene TTL:</translation>
    </message>
    <message>
        <source>64 Seconds</source>
        <translation>64 Sekunden</translation>
    </message>
    <message>
        <source>Recommended value for HTTP 1.0  :</source>
        <translation>Empfohlen für HTTP 1.0:</translation>
    </message>
    <message>
        <source>Recommended value for HTTP 1.1  :</source>
        <translation>Empfohlen für HTTP 1.1:</translation>
    </message>
    <message>
        <source>The value of TTL (Time To Live) defines how long a packet can stay active before </source>
        <translation>Die TTL (Time To Live) legt fest, wie lange ein Paket unterwegs sein darf, bevor </translation>
    </message>
    <message>
        <source>Optimize Internet Explorer by setting the maximum number of simultaneous requests for accessing type 1.0 or 1.1 HTTP servers.</source>
        <translation>Optimiert den Browser über die Höchstzahl gleichzeitiger Anfragen an HTTP-1.0- oder HTTP-1.1-Server.</translation>
    </message>
    <message>
        <source>Step 6 of 8 :  Keep Alive Settigns</source>
        <translation>Schritt 6 von 8: Keep-Alive</translation>
    </message>
    <message>
        <source>Recommended Keep Alive Time :</source>
        <translation>Empfohlene Keep-Alive-Zeit:</translation>
    </message>
    <message>
        <source>7200000 milliseconds.</source>
        <translation>7200000 Millisekunden.</translation>
    </message>
    <message>
        <source>Recommended Keep Alive Interval  :</source>
        <translation>Empfohlenes Keep-Alive-Intervall:</translation>
    </message>
    <message>
        <source>1000 milliseconds.</source>
        <translation>1000 Millisekunden.</translation>
    </message>
    <message>
        <source>Keep Alive Time is the number of milliseconds to wait before sending keep alive packets , which are used in order to tell the network that you are still online so that the connection won&apos;t be disconnected.</source>
        <translation>Die Keep-Alive-Zeit ist die Wartezeit in Millisekunden bis zum Senden von Keep-Alive-Paketen. Sie melden dem Netz, dass Sie noch online sind, damit die Verbindung nicht getrennt wird.</translation>
    </message>
    <message>
        <source>Keep Alive Interval is the time in milliseconds between retransmissions of keepalives, once the Keep Alive Time has expired.</source>
        <translation>Das Keep-Alive-Intervall ist die Zeit in Millisekunden zwischen wiederholten Keep-Alive-Paketen, nachdem die Keep-Alive-Zeit abgelaufen ist.</translation>
    </message>
    <message>
        <source>Step 7 of 8 :  SYN Flood Attack Settings &amp;&amp; NDI Cache</source>
        <translation>Schritt 7 von 8: SYN-Flood-Schutz &amp;&amp; NDI-Cache</translation>
    </message>
    <message>
        <source>What will be your decision?</source>
        <translation>Wie entscheiden Sie sich?</translation>
    </message>
    <message>
        <source>NDI recommended Value</source>
        <translation>Empfohlener NDI-Wert</translation>
    </message>
    <message>
        <source>0 - (default) - typical protection against SYN attacks.</source>
        <translation>0 – (Standard) – üblicher Schutz vor SYN-Angriffen.</translation>
    </message>
    <message>
        <source>1 - better protection against SYN attacks.</source>
        <translation>1 – besserer Schutz vor SYN-Angriffen.</translation>
    </message>
    <message>
        <source>2 - (recommended) - best protection against SYN attacks.</source>
        <translation>2 – (empfohlen) – bester Schutz vor SYN-Angriffen.</translation>
    </message>
    <message>
        <source>Windows includes protection that allows it to detect and adjust when the system is being targeted with a SYN flood attack (a type of denial of service attack). When enabled the connection responses time out more quickly in the event of an attack. </source>
        <translation>Ein eingebauter Schutz erkennt SYN-Flood-Angriffe (eine Art Denial-of-Service-Angriff) und reagiert darauf. Ist er eingeschaltet, laufen Verbindungsantworten bei einem Angriff schneller ab. </translation>
    </message>
    <message>
        <source>The NDI cache size is the size of the cache of the Network Device. This size is set to 16 by default.  16 is appropriate for modem use, 32 is used for all other types of connections.</source>
        <translation>Die NDI-Cache-Größe ist die Größe des Caches des Netzwerkgeräts. Voreingestellt ist 16; 16 passt für Modems, 32 für alle anderen Verbindungsarten.</translation>
    </message>
    <message>
        <source>Step 8 of 8 : ICMP Redirect Attack Setting</source>
        <translation>Schritt 8 von 8: ICMP-Redirect-Schutz</translation>
    </message>
    <message>
        <source>Recommended to be DISABLED.</source>
        <translation>Empfohlen: AUS.</translation>
    </message>
    <message>
        <source>Your computer may stop responding when connected to an internet work segment or to the Internet. If the computer is disconnected from the network segment or the Internet and then restarted, the problem does not occur again until the computer is reconnected to the network segment or Internet.  This problem is caused by the receipt of multiple Internet Control Message Protocol (ICMP) Redirect packets that are used to change routing table entries. Too many ICMP Redirect packets in a short period of time may cause Windows to dedicate an inordinate amount of CPU time to update the routing table and cause the computer to stop responding.</source>
        <translation>Ihr Computer reagiert womöglich nicht mehr, wenn er mit einem Netzsegment oder dem Internet verbunden ist. Nach Trennen und Neustart tritt der Fehler erst wieder auf, wenn die Verbindung erneut besteht. Ursache sind viele ICMP-Redirect-Pakete, die Einträge der Routingtabelle ändern. Zu viele davon in kurzer Zeit lassen das System übermäßig viel Prozessorzeit für die Routingtabelle aufwenden, bis der Computer nicht mehr reagiert.</translation>
    </message>
    <message>
        <source>&lt;&lt;Back</source>
        <translation>&lt;&lt; Zurück</translation>
    </message>
    <message>
        <source>Next&gt;&gt;</source>
        <translation>Weiter &gt;&gt;</translation>
    </message>
    <message>
        <source>MTU size</source>
        <translation>MTU-Größe</translation>
    </message>
    <message>
        <source>MSS size</source>
        <translation>MSS-Größe</translation>
    </message>
    <message>
        <source>TTL</source>
        <translation>TTL</translation>
    </message>
    <message>
        <source>Connections per server (HTTP 1.0)</source>
        <translation>Verbindungen je Server (HTTP 1.0)</translation>
    </message>
    <message>
        <source>Connections per server (HTTP 1.1)</source>
        <translation>Verbindungen je Server (HTTP 1.1)</translation>
    </message>
    <message>
        <source>Keep Alive Time</source>
        <translation>Keep-Alive-Zeit</translation>
    </message>
    <message>
        <source>Keep Alive Interval</source>
        <translation>Keep-Alive-Intervall</translation>
    </message>
    <message>
        <source>SYN attack protection level</source>
        <translation>Schutzstufe gegen SYN-Angriffe</translation>
    </message>
</context>
<context>
    <name>frmRamConfiguration</name>
    <message>
        <source>Ram Configuration</source>
        <translation>RAM-Einstellungen</translation>
    </message>
    <message>
        <source>Sound on</source>
        <translation>Ton an</translation>
    </message>
    <message>
        <source>Alarm Level (in MB):</source>
        <translation>Alarmschwelle (MB):</translation>
    </message>
    <message>
        <source>Optimize automatically when Alarm level is reached</source>
        <translation>Bei Erreichen der Alarmschwelle selbst optimieren</translation>
    </message>
    <message>
        <source>RAM to try and free when alarm level is reached:</source>
        <translation>Freizugebender RAM bei Alarm:</translation>
    </message>
    <message>
        <source>Do check every (in Milliseconds)</source>
        <translation>Prüfen alle (Millisekunden)</translation>
    </message>
    <message>
        <source>Run ONLY if CPU-Usage is below this (0=detectyion not in use)</source>
        <translation>NUR wenn CPU-Last darunter (0 = aus)</translation>
    </message>
    <message>
        <source>Times to retry optimization</source>
        <translation>Wiederholungen der Optimierung</translation>
    </message>
    <message>
        <source>Tray tip:</source>
        <translation>Infotext:</translation>
    </message>
    <message>
        <source>Percentage of Free RAM</source>
        <translation>Freier RAM in Prozent</translation>
    </message>
    <message>
        <source>Free RAM in MB</source>
        <translation>Freier RAM in MB</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
</context>
<context>
    <name>frmSystemStatus</name>
    <message>
        <source>System Status</source>
        <translation>Systemstatus</translation>
    </message>
    <message>
        <source>Processor usage</source>
        <translation>Prozessorauslastung</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Tempo</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Memory usage</source>
        <translation>Speicherauslastung</translation>
    </message>
    <message>
        <source>Memory Control</source>
        <translation>Speichersteuerung</translation>
    </message>
    <message>
        <source>Optimize Now</source>
        <translation>Jetzt optimieren</translation>
    </message>
    <message>
        <source>Target Level Of RAM </source>
        <translation>Ziel für freien RAM </translation>
    </message>
</context>
<context>
    <name>frmWizardMode</name>
    <message>
        <source>Wizard Mode</source>
        <translation>Assistent</translation>
    </message>
    <message>
        <source>Optimization Modes</source>
        <translation>Optimierungsprofile</translation>
    </message>
    <message>
        <source>The values from the advanced mode will be applied.</source>
        <translation>Die Werte aus dem Expertenmodus werden übernommen.</translation>
    </message>
    <message>
        <source>Optimize &amp;Now</source>
        <translation>Jetzt &amp;optimieren</translation>
    </message>
    <message>
        <source>Modes Description</source>
        <translation>Beschreibung der Profile</translation>
    </message>
</context>
<context>
    <name>zf::BackupManager</name>
    <message>
        <source>The settings of %1 were restored.</source>
        <translation>Die Einstellungen aus %1 wurden wiederhergestellt.</translation>
    </message>
</context>
<context>
    <name>zf::BackupStore</name>
    <message>
        <source>%1 is not a backup name (three digits and .BCK, like 001.BCK).</source>
        <translation>%1 ist kein Sicherungsname (drei Ziffern und .BCK, etwa 001.BCK).</translation>
    </message>
    <message>
        <source>There is no backup %1 in %2.</source>
        <translation>In %2 gibt es keine Sicherung %1.</translation>
    </message>
    <message>
        <source>Several backups in %1 are named %2 in other letter cases (%3, %4): give the exact name.</source>
        <translation>Mehrere Sicherungen in %1 heißen %2 in anderer Groß- und Kleinschreibung (%3, %4): bitte den genauen Namen angeben.</translation>
    </message>
    <message>
        <source>Cannot delete %1: %2.</source>
        <translation>%1 lässt sich nicht löschen: %2.</translation>
    </message>
</context>
<context>
    <name>zf::CloseImage</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>zf::ConnectionTestRun</name>
    <message>
        <source>The test was cancelled.</source>
        <translation>Der Test wurde abgebrochen.</translation>
    </message>
    <message>
        <source>The measurement did not finish within %1 seconds.</source>
        <translation>Die Messung wurde nicht innerhalb von %1 Sekunden fertig.</translation>
    </message>
    <message>
        <source>The measuring program %1 could not be started: %2</source>
        <translation>Das Messprogramm %1 konnte nicht gestartet werden: %2</translation>
    </message>
</context>
<context>
    <name>zf::FallbackButtons</name>
    <message>
        <source>Wizard Mode</source>
        <translation>Assistent</translation>
    </message>
    <message>
        <source>Advanced Mode</source>
        <translation>Expertenmodus</translation>
    </message>
    <message>
        <source>Backup</source>
        <translation>Sicherungen</translation>
    </message>
    <message>
        <source>System Settings</source>
        <translation>Systemeinstellungen</translation>
    </message>
    <message>
        <source>Internet Properties</source>
        <translation>Interneteinstellungen</translation>
    </message>
    <message>
        <source>System Properties</source>
        <translation>Systemeigenschaften</translation>
    </message>
    <message>
        <source>Modems Settings</source>
        <translation>Modemeinstellungen</translation>
    </message>
    <message>
        <source>Network Settings</source>
        <translation>Netzwerkeinstellungen</translation>
    </message>
    <message>
        <source>This Computer</source>
        <translation>Dieser Computer</translation>
    </message>
    <message>
        <source>Ram Booster</source>
        <translation>RAM-Booster</translation>
    </message>
    <message>
        <source>System Status</source>
        <translation>Systemstatus</translation>
    </message>
    <message>
        <source>Ram Configuration</source>
        <translation>RAM-Einstellungen</translation>
    </message>
    <message>
        <source>Net Pinger</source>
        <translation>Net-Pinger</translation>
    </message>
    <message>
        <source>Ping Settings</source>
        <translation>Ping-Einstellungen</translation>
    </message>
    <message>
        <source>Connection Test</source>
        <translation>Verbindungstest</translation>
    </message>
    <message>
        <source>Main Settings</source>
        <translation>Grundeinstellungen</translation>
    </message>
    <message>
        <source>Home Page</source>
        <translation>Startseite</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Minimise</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>zf::KernelApplyFlow</name>
    <message>
        <source>Zentrofast is still busy applying earlier settings to this computer. Apply the new ones later from This Computer&apos;s Network.</source>
        <translation>Zentrofast überträgt noch frühere Einstellungen auf diesen Computer. Übernehmen Sie die neuen später unter „Netzwerk dieses Computers“.</translation>
    </message>
    <message>
        <source>This computer already has these network settings.</source>
        <translation>Dieser Computer hat diese Netzwerkeinstellungen bereits.</translation>
    </message>
    <message>
        <source>Measuring the connection to %1 before changing anything...</source>
        <translation>Die Verbindung zu %1 wird vor jeder Änderung gemessen …</translation>
    </message>
    <message>
        <source>The new network settings are kept. </source>
        <translation>Die neuen Netzwerkeinstellungen bleiben. </translation>
    </message>
    <message>
        <source>Nothing was changed on this computer; the tuned values stay in Zentrofast&apos;s settings.</source>
        <translation>Auf diesem Computer wurde nichts geändert; die optimierten Werte bleiben in den Einstellungen von Zentrofast.</translation>
    </message>
    <message>
        <source>Zentrofast could not compare its tuned values with this computer&apos;s network settings: %1</source>
        <translation>Zentrofast konnte seine optimierten Werte nicht mit den Netzwerkeinstellungen dieses Computers vergleichen: %1</translation>
    </message>
    <message>
        <source>The connection to %1 could not be measured before applying (%2), so nothing was applied.</source>
        <translation>Die Verbindung zu %1 ließ sich vor dem Übernehmen nicht messen (%2), daher wurde nichts übernommen.</translation>
    </message>
    <message>
        <source>Zentrofast could not ask for the administrator&apos;s password: no authentication agent is running on this desktop. To apply the settings from a terminal, run &quot;sudo zentrofastctl kernel apply&quot;.</source>
        <translation>Zentrofast konnte nicht nach dem Administratorpasswort fragen: Auf diesem Desktop läuft kein Authentifizierungsagent. Um die Einstellungen in einem Terminal zu übernehmen, führen Sie „sudo zentrofastctl kernel apply“ aus.</translation>
    </message>
    <message>
        <source>The administrator&apos;s password was not given.</source>
        <translation>Das Administratorpasswort wurde nicht eingegeben.</translation>
    </message>
</context>
<context>
    <name>zf::KernelPreview</name>
    <message>
        <source>(unreadable)</source>
        <translation>(nicht lesbar)</translation>
    </message>
</context>
<context>
    <name>zf::KernelSettings</name>
    <message>
        <source>not managed</source>
        <translation>nicht verwaltet</translation>
    </message>
    <message>
        <source>persisted (sysctl.d)</source>
        <translation>dauerhaft (sysctl.d)</translation>
    </message>
    <message>
        <source>persisted (NetworkManager)</source>
        <translation>dauerhaft (NetworkManager)</translation>
    </message>
    <message>
        <source>persisted (.link file)</source>
        <translation>dauerhaft (.link-Datei)</translation>
    </message>
    <message>
        <source>runtime only</source>
        <translation>nur bis zum Neustart</translation>
    </message>
    <message>
        <source>%1 is %2, Zentrofast set %3</source>
        <translation>%1 ist %2, Zentrofast hatte %3 gesetzt</translation>
    </message>
    <message>
        <source>A network setting of this computer changed: </source>
        <translation>Eine Netzwerkeinstellung dieses Computers hat sich geändert: </translation>
    </message>
    <message>
        <source>Network settings of this computer changed: </source>
        <translation>Netzwerkeinstellungen dieses Computers haben sich geändert: </translation>
    </message>
</context>
<context>
    <name>zf::Messages</name>
    <message>
        <source>Do you want to delete this file?</source>
        <translation>Möchten Sie diese Datei löschen?</translation>
    </message>
    <message>
        <source>Do you want to restore this settings?</source>
        <translation>Möchten Sie diese Einstellungen wiederherstellen?</translation>
    </message>
    <message>
        <source>No internet settings tool was found on this desktop.</source>
        <translation>Auf diesem Desktop wurde kein Werkzeug für Interneteinstellungen gefunden.</translation>
    </message>
    <message>
        <source>No system information tool was found on this desktop.</source>
        <translation>Auf diesem Desktop wurde kein Werkzeug für Systeminformationen gefunden.</translation>
    </message>
    <message>
        <source>No modem settings tool was found on this desktop.</source>
        <translation>Auf diesem Desktop wurde kein Werkzeug für Modemeinstellungen gefunden.</translation>
    </message>
    <message>
        <source>No network settings tool was found on this desktop.</source>
        <translation>Auf diesem Desktop wurde kein Werkzeug für Netzwerkeinstellungen gefunden.</translation>
    </message>
    <message>
        <source>No program to open the help file was found on this desktop.</source>
        <translation>Auf diesem Desktop wurde kein Programm zum Öffnen der Hilfe gefunden.</translation>
    </message>
    <message>
        <source>The program already opening</source>
        <translation>Das Programm läuft bereits</translation>
    </message>
    <message>
        <source>Zentrofast
Version %1</source>
        <translation>Zentrofast
Version %1</translation>
    </message>
    <message>
        <source>Zentrofast cannot start: %1.</source>
        <translation>Zentrofast kann nicht starten: %1.</translation>
    </message>
    <message>
        <source>Zentrofast cannot open its settings store.

%1</source>
        <translation>Zentrofast kann seinen Einstellungsspeicher nicht öffnen.

%1</translation>
    </message>
</context>
<context>
    <name>zf::MoviePlayer</name>
    <message>
        <source>Menu</source>
        <translation>Menü</translation>
    </message>
</context>
<context>
    <name>zf::Profiles</name>
    <message>
        <source>Automatic-A</source>
        <translation>Automatisch-A</translation>
    </message>
    <message>
        <source>Automatic-B</source>
        <translation>Automatisch-B</translation>
    </message>
    <message>
        <source>Automatic-C</source>
        <translation>Automatisch-C</translation>
    </message>
    <message>
        <source>Automatic-D</source>
        <translation>Automatisch-D</translation>
    </message>
    <message>
        <source>Automatic-E</source>
        <translation>Automatisch-E</translation>
    </message>
    <message>
        <source>Automatic-F</source>
        <translation>Automatisch-F</translation>
    </message>
    <message>
        <source>Automatic-G</source>
        <translation>Automatisch-G</translation>
    </message>
    <message>
        <source>Windows default</source>
        <translation>Windows-Standard</translation>
    </message>
</context>
<context>
    <name>zf::StatusFigures</name>
    <message>
        <source>Processor usage (%1%).</source>
        <translation>Prozessorauslastung (%1 %).</translation>
    </message>
    <message>
        <source>Memory Usage (%1%).</source>
        <translation>RAM-Auslastung (%1 %).</translation>
    </message>
    <message>
        <source>Memory Usage (%1MB).</source>
        <translation>Freier Speicher (%1 MB).</translation>
    </message>
    <message>
        <source>%1 MB to free when Optimize is clicked</source>
        <translation>%1 MB werden bei „Jetzt optimieren“ freigegeben</translation>
    </message>
    <message>
        <source>Target Level Of RAM %1MB.</source>
        <translation>Ziel für freien RAM: %1 MB.</translation>
    </message>
</context>
<context>
    <name>zf::Tray</name>
    <message>
        <source>The Program Still Running Here</source>
        <translation>Das Programm läuft hier weiter</translation>
    </message>
    <message>
        <source>Program notification</source>
        <translation>Programmhinweis</translation>
    </message>
</context>
<context>
    <name>zf::TuningRun</name>
    <message>
        <source>%1 Backup of the values before: %2</source>
        <translation>%1 Sicherung der vorherigen Werte: %2</translation>
    </message>
</context>
<context>
    <name>zf::frmBackUp</name>
    <message>
        <source>Backups</source>
        <translation>Sicherungen</translation>
    </message>
</context>
<context>
    <name>zf::frmConnectionHistory</name>
    <message>
        <source>No echoes in this time. The pinger records one at every ping.</source>
        <translation>In dieser Zeit keine Echos. Der Pinger zeichnet bei jedem Ping eines auf.</translation>
    </message>
    <message>
        <source>%1 echoes, %2 lost (%3 %)   round trip: min %4, median %5, 95 %: %6   tuning runs: %7</source>
        <translation>%1 Echos, %2 verloren (%3 %)   Umlaufzeit: min. %4, Median %5, 95 %: %6   Optimierungen: %7</translation>
    </message>
    <message>
        <source>Zentrofast – Connection history</source>
        <translation>Zentrofast – Verbindungsverlauf</translation>
    </message>
    <message>
        <source>Last &amp;hour</source>
        <translation>Letzte &amp;Stunde</translation>
    </message>
    <message>
        <source>Last &amp;day</source>
        <translation>Letzter &amp;Tag</translation>
    </message>
    <message>
        <source>Last &amp;week</source>
        <translation>Letzte &amp;Woche</translation>
    </message>
    <message>
        <source>&amp;Notify me when the loss over 5 minutes passes</source>
        <translation>&amp;Benachrichtigen, wenn der Verlust über 5 Minuten höher ist als</translation>
    </message>
    <message>
        <source>Loss level</source>
        <translation>Verlustschwelle</translation>
    </message>
</context>
<context>
    <name>zf::frmConnectionTest</name>
    <message>
        <source>Enter an iperf3 server or the address of a large file.</source>
        <translation>Geben Sie einen iperf3-Server oder die Adresse einer großen Datei ein.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither iperf3://HOST[:PORT] nor an http(s) address.</source>
        <translation>„%1“ ist weder iperf3://HOST[:PORT] noch eine http(s)-Adresse.</translation>
    </message>
    <message>
        <source>The measuring program stopped unexpectedly.</source>
        <translation>Das Messprogramm wurde unerwartet beendet.</translation>
    </message>
    <message>
        <source>The measurement failed (exit %1).</source>
        <translation>Die Messung ist fehlgeschlagen (Exit-Code %1).</translation>
    </message>
    <message>
        <source>The measuring program&apos;s answer holds no figures.</source>
        <translation>Die Antwort des Messprogramms enthält keine Messwerte.</translation>
    </message>
    <message>
        <source>%1, loss %2 %</source>
        <translation>%1, Verlust %2 %</translation>
    </message>
    <message>
        <source> bytes</source>
        <translation> Byte</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>RTT </source>
        <translation>RTT </translation>
    </message>
    <message>
        <source>delivery </source>
        <translation>Zustellung </translation>
    </message>
    <message>
        <source>%1 retransmitted</source>
        <translation>%1 erneut gesendet</translation>
    </message>
    <message>
        <source>receive space %1 bytes</source>
        <translation>Empfangspuffer %1 Byte</translation>
    </message>
    <message>
        <source>not reported</source>
        <translation>nicht gemeldet</translation>
    </message>
    <message>
        <source> (path)</source>
        <translation> (Pfad)</translation>
    </message>
    <message>
        <source>: one connection up to %1 at %2</source>
        <translation>: eine Verbindung bis %1 bei %2</translation>
    </message>
    <message>
        <source>Last result: %1, measured %2.</source>
        <translation>Letztes Ergebnis: %1, gemessen %2.</translation>
    </message>
    <message>
        <source>Measuring… about %1 s left.</source>
        <translation>Messung läuft … noch etwa %1 s.</translation>
    </message>
    <message>
        <source>Recommended: </source>
        <translation>Empfohlen: </translation>
    </message>
    <message>
        <source>Apply the recommendation (RWIN %1, MTU %2, MSS %3)? The values it replaces are backed up first.</source>
        <translation>Die Empfehlung übernehmen (RWIN %1, MTU %2, MSS %3)? Die ersetzten Werte werden vorher gesichert.</translation>
    </message>
    <message>
        <source>The connection test&apos;s recommendation was applied.</source>
        <translation>Die Empfehlung des Verbindungstests wurde übernommen.</translation>
    </message>
</context>
<context>
    <name>zf::frmKernelCountdown</name>
    <message>
        <source>Keep these network settings?</source>
        <translation>Diese Netzwerkeinstellungen behalten?</translation>
    </message>
    <message>
        <source>The new settings are in effect now. If the connection no longer works, do nothing: they go back by themselves.</source>
        <translation>Die neuen Einstellungen gelten jetzt. Funktioniert die Verbindung nicht mehr, tun Sie nichts: Sie werden von selbst zurückgesetzt.</translation>
    </message>
    <message>
        <source>Keep</source>
        <translation>Behalten</translation>
    </message>
    <message>
        <source>Revert</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Going back in 1 second.</source>
        <translation>Zurücksetzen in 1 Sekunde.</translation>
    </message>
    <message>
        <source>Going back in %1 seconds.</source>
        <translation>Zurücksetzen in %1 Sekunden.</translation>
    </message>
    <message>
        <source>Measuring the connection to %1 with the new settings...</source>
        <translation>Die Verbindung zu %1 wird mit den neuen Einstellungen gemessen …</translation>
    </message>
</context>
<context>
    <name>zf::frmKernelPreview</name>
    <message>
        <source>Apply these settings to this computer?</source>
        <translation>Diese Einstellungen auf diesen Computer anwenden?</translation>
    </message>
    <message>
        <source>Not applied to this computer (kept in Zentrofast&apos;s settings only):</source>
        <translation>Nicht auf diesen Computer angewendet (nur in den Einstellungen von Zentrofast gespeichert):</translation>
    </message>
    <message>
        <source>Please note:</source>
        <translation>Bitte beachten:</translation>
    </message>
    <message>
        <source>I accept the loss of IPv6 addresses described above</source>
        <translation>Ich nehme den oben beschriebenen Verlust der IPv6-Adressen in Kauf</translation>
    </message>
    <message>
        <source>Measure before and after (the connection test&apos;s target %1)</source>
        <translation>Vorher und nachher messen (Ziel des Verbindungstests: %1)</translation>
    </message>
    <message>
        <source>Apply to this computer</source>
        <translation>Auf diesen Computer anwenden</translation>
    </message>
    <message>
        <source>Not now</source>
        <translation>Nicht jetzt</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Einstellung</translation>
    </message>
    <message>
        <source>Now</source>
        <translation>Jetzt</translation>
    </message>
    <message>
        <source>After</source>
        <translation>Danach</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>What changes</source>
        <translation>Was sich ändert</translation>
    </message>
    <message>
        <source>These network settings of this computer change:</source>
        <translation>Diese Netzwerkeinstellungen des Computers ändern sich:</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Show the technical details</source>
        <translation>Technische Details anzeigen</translation>
    </message>
    <message>
        <source>The Linux settings (sysctl names), their values now and after:</source>
        <translation>Die Linux-Einstellungen (sysctl-Namen), ihre Werte jetzt und danach:</translation>
    </message>
    <message>
        <source>In the plan&apos;s own terms:</source>
        <translation>In den Worten des Plans:</translation>
    </message>
    <message>
        <source>The Linux settings, now and after</source>
        <translation>Die Linux-Einstellungen, jetzt und danach</translation>
    </message>
</context>
<context>
    <name>zf::frmKernelSettings</name>
    <message>
        <source>Zentrofast neither tunes nor manages any setting of this computer yet.</source>
        <translation>Zentrofast optimiert oder verwaltet noch keine Einstellung dieses Computers.</translation>
    </message>
    <message>
        <source>This computer holds the tuned values.</source>
        <translation>Dieser Computer hat die optimierten Werte.</translation>
    </message>
    <message>
        <source>%1 of %2 settings differ from the tuned values (marked ≠).</source>
        <translation>%1 von %2 Einstellungen weichen von den optimierten Werten ab (mit ≠ markiert).</translation>
    </message>
    <message>
        <source>Network settings of this computer</source>
        <translation>Netzwerkeinstellungen dieses Computers</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Einstellung</translation>
    </message>
    <message>
        <source>Live</source>
        <translation>Aktuell</translation>
    </message>
    <message>
        <source>Tuned</source>
        <translation>Optimiert</translation>
    </message>
    <message>
        <source>Original</source>
        <translation>Ursprünglich</translation>
    </message>
    <message>
        <source>Kept</source>
        <translation>Gespeichert</translation>
    </message>
    <message>
        <source>Apply tuned values</source>
        <translation>Werte anwenden</translation>
    </message>
    <message>
        <source>Revert to originals</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>The tuned values could not be read: </source>
        <translation>Die optimierten Werte konnten nicht gelesen werden: </translation>
    </message>
    <message>
        <source>The record of earlier changes could not be read: </source>
        <translation>Das Protokoll früherer Änderungen konnte nicht gelesen werden: </translation>
    </message>
    <message>
        <source>Put every network setting Zentrofast changed on this computer back to its original value? Zentrofast&apos;s own tuned values stay as they are.</source>
        <translation>Alle Netzwerkeinstellungen, die Zentrofast auf diesem Computer geändert hat, auf ihre ursprünglichen Werte zurücksetzen? Die optimierten Werte in Zentrofast bleiben erhalten.</translation>
    </message>
    <message>
        <source>The network settings of this computer are back to their originals. </source>
        <translation>Die Netzwerkeinstellungen dieses Computers haben wieder ihre ursprünglichen Werte. </translation>
    </message>
    <message>
        <source>The network settings could not be put back: </source>
        <translation>Die Netzwerkeinstellungen konnten nicht zurückgesetzt werden: </translation>
    </message>
    <message>
        <source>%1 — differs from the tuned value</source>
        <translation>%1 – weicht vom optimierten Wert ab</translation>
    </message>
</context>
<context>
    <name>zf::frmNetPingerSettings</name>
    <message>
        <source>%1 min.</source>
        <translation>%1 Min.</translation>
    </message>
</context>
<context>
    <name>zf::frmNormalMode</name>
    <message>
        <source>The advanced mode&apos;s settings were applied.</source>
        <translation>Die Einstellungen des Expertenmodus wurden angewendet.</translation>
    </message>
    <message>
        <source>Next&gt;&gt;</source>
        <translation>Weiter &gt;&gt;</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Fertig</translation>
    </message>
</context>
<context>
    <name>zf::frmWizardMode</name>
    <message>
        <source>The wizard&apos;s settings were applied.</source>
        <translation>Die Einstellungen des Assistenten wurden angewendet.</translation>
    </message>
</context>
<context>
    <name>zf::kernel::Plan</name>
    <message>
        <source>%1 sets %2 = %3, which wins at every boot over %4&apos;s %5</source>
        <translation>%1 setzt %2 = %3; das gilt bei jedem Systemstart statt %5 aus %4</translation>
    </message>
    <message>
        <source>MTU %1 on %2 is below 1280: the kernel removes its IPv6 addresses, and going back restores only the link-local one</source>
        <translation>MTU %1 auf %2 liegt unter 1280: Der Kernel entfernt die IPv6-Adressen der Schnittstelle, und beim Zurücksetzen kehrt nur die Link-Local-Adresse zurück</translation>
    </message>
    <message>
        <source>changing the MTU of %1 may briefly bounce the link</source>
        <translation>Eine geänderte MTU von %1 kann die Verbindung kurz unterbrechen</translation>
    </message>
    <message>
        <source>a receive window of %1 bytes caps one connection at about %2 Mbit/s at 20 ms round trip</source>
        <translation>Ein Empfangsfenster von %1 Bytes begrenzt eine Verbindung bei 20 ms Umlaufzeit auf etwa %2 Mbit/s</translation>
    </message>
    <message>
        <source>back to its original</source>
        <translation>zurück zum ursprünglichen Wert</translation>
    </message>
    <message>
        <source>%1 gives %2 = %3, which is not applied: %4</source>
        <translation>%1 ergäbe %2 = %3 und wird nicht angewendet: %4</translation>
    </message>
    <message>
        <source>%1 is not a level (0 to 2); it is applied as protection on, %2 = 1</source>
        <translation>%1 ist keine Stufe (0 bis 2); angewendet wird eingeschalteter Schutz, %2 = 1</translation>
    </message>
    <message>
        <source>RWIN %1 is not applied: Linux takes a receive window of at most %2 bytes</source>
        <translation>RWIN %1 wird nicht angewendet: Linux nimmt ein Empfangsfenster von höchstens %2 Bytes</translation>
    </message>
    <message>
        <source>%1 is not applied: net.ipv4.tcp_rmem cannot be read</source>
        <translation>%1 wird nicht angewendet: net.ipv4.tcp_rmem lässt sich nicht lesen</translation>
    </message>
    <message>
        <source>%1 is too small to apply</source>
        <translation>%1 ist zu klein, um angewendet zu werden</translation>
    </message>
    <message>
        <source>%1 is capped: tcp_rmem&apos;s largest maximum, %2, gives a window of %3 bytes</source>
        <translation>%1 wird begrenzt: Das größte Maximum von tcp_rmem, %2, ergibt ein Fenster von %3 Bytes</translation>
    </message>
    <message>
        <source>MTU of %1</source>
        <translation>MTU von %1</translation>
    </message>
    <message>
        <source>interface %1 is not on this computer; its MTU is skipped</source>
        <translation>Die Schnittstelle %1 gibt es auf diesem Computer nicht; ihre MTU wird übersprungen</translation>
    </message>
    <message>
        <source>MaxMTU of transport %1</source>
        <translation>MaxMTU des Transports %1</translation>
    </message>
    <message>
        <source>%1 stays in the registry: Linux derives the MSS from the MTU (%2)</source>
        <translation>%1 bleibt nur in den Einstellungen von Zentrofast: Linux leitet die MSS aus der MTU ab (%2)</translation>
    </message>
    <message>
        <source>%1 stays in the registry: Linux derives the MSS from each interface&apos;s MTU</source>
        <translation>%1 bleibt nur in den Einstellungen von Zentrofast: Linux leitet die MSS aus der MTU jeder Schnittstelle ab</translation>
    </message>
    <message>
        <source>%1 %2 has no Linux equivalent and stays in the registry only</source>
        <translation>%1 %2 hat unter Linux keine Entsprechung und bleibt nur in den Einstellungen von Zentrofast</translation>
    </message>
    <message>
        <source>back to its original: %1 is from before Zentrofast first changed it</source>
        <translation>zurück zum ursprünglichen Wert: %1 stammt aus der Zeit, bevor Zentrofast ihn zum ersten Mal geändert hat</translation>
    </message>
    <message>
        <source>the tuned values are those of %1, taken before Zentrofast first changed this computer: the settings it changed go back to their originals</source>
        <translation>Die optimierten Werte sind die von %1, angelegt, bevor Zentrofast diesen Computer zum ersten Mal geändert hat: Die geänderten Einstellungen erhalten wieder ihre ursprünglichen Werte</translation>
    </message>
    <message>
        <source>a TTL must be 1 to 255 (the kernel refuses 0 and 256)</source>
        <translation>eine TTL muss zwischen 1 und 255 liegen (der Kernel lehnt 0 und 256 ab)</translation>
    </message>
    <message>
        <source>a keep-alive time must be 1 to 32767 seconds</source>
        <translation>eine Keep-Alive-Zeit muss zwischen 1 und 32767 Sekunden liegen</translation>
    </message>
    <message>
        <source>a keep-alive interval must be 1 to 32767 seconds</source>
        <translation>ein Keep-Alive-Intervall muss zwischen 1 und 32767 Sekunden liegen</translation>
    </message>
    <message>
        <source>SYN cookies must be 0, 1 or 2</source>
        <translation>SYN-Cookies müssen 0, 1 oder 2 sein</translation>
    </message>
    <message>
        <source>path-MTU discovery must be 0 or 1</source>
        <translation>die Pfad-MTU-Erkennung muss 0 oder 1 sein</translation>
    </message>
    <message>
        <source>MTU probing must be 0 or 1</source>
        <translation>das MTU-Probing muss 0 oder 1 sein</translation>
    </message>
    <message>
        <source>tcp_rmem wants three whole numbers</source>
        <translation>tcp_rmem erwartet drei ganze Zahlen</translation>
    </message>
    <message>
        <source>tcp_rmem must hold min &lt;= default &lt;= max with max at most 2147483647</source>
        <translation>tcp_rmem muss min &lt;= default &lt;= max erfüllen, mit max höchstens 2147483647</translation>
    </message>
    <message>
        <source>there is no interface %1</source>
        <translation>es gibt keine Schnittstelle %1</translation>
    </message>
    <message>
        <source>loopback is never changed</source>
        <translation>Loopback wird nie geändert</translation>
    </message>
    <message>
        <source>accept_redirects must be 0 or 1</source>
        <translation>accept_redirects muss 0 oder 1 sein</translation>
    </message>
    <message>
        <source>an MTU of %1 must be 68 to %2</source>
        <translation>eine MTU von %1 muss zwischen 68 und %2 liegen</translation>
    </message>
    <message>
        <source>not a setting the bridge manages</source>
        <translation>keine Einstellung, die Zentrofast verwaltet</translation>
    </message>
</context>
<context>
    <name>zf::measure</name>
    <message>
        <source>the server answered HTTP status %1 for %2</source>
        <translation>der Server antwortete mit HTTP-Status %1 für %2</translation>
    </message>
    <message>
        <source>the TLS handshake with %1 port %2 failed: %3</source>
        <translation>der TLS-Handshake mit %1 Port %2 ist fehlgeschlagen: %3</translation>
    </message>
    <message>
        <source>the name %1 does not resolve</source>
        <translation>der Name %1 lässt sich nicht auflösen</translation>
    </message>
    <message>
        <source>nothing listens at %1 port %2 (connection refused)</source>
        <translation>an %1 Port %2 lauscht nichts (Verbindung abgelehnt)</translation>
    </message>
    <message>
        <source>no route to %1</source>
        <translation>keine Route zu %1</translation>
    </message>
    <message>
        <source>the web server at %1 port %2 does not answer</source>
        <translation>der Webserver an %1 Port %2 antwortet nicht</translation>
    </message>
    <message>
        <source>the download failed: %1</source>
        <translation>der Download ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>the measurement was cancelled</source>
        <translation>die Messung wurde abgebrochen</translation>
    </message>
    <message>
        <source>the server sent no data for %1</source>
        <translation>der Server hat für %1 keine Daten gesendet</translation>
    </message>
    <message>
        <source>the iperf3 server at %1 port %2 is busy with another test; try again later</source>
        <translation>der iperf3-Server an %1 Port %2 ist mit einem anderen Test beschäftigt; bitte später erneut versuchen</translation>
    </message>
    <message>
        <source>the iperf3 server at %1 port %2 does not answer (%3)</source>
        <translation>der iperf3-Server an %1 Port %2 antwortet nicht (%3)</translation>
    </message>
    <message>
        <source>the iperf3 test failed: %1</source>
        <translation>der iperf3-Test ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>%1 does not answer on port %2 within %3 ms</source>
        <translation>%1 antwortet auf Port %2 nicht innerhalb von %3 ms</translation>
    </message>
    <message>
        <source>the stream runs 1 to %1 seconds</source>
        <translation>der Datenstrom läuft 1 bis %1 Sekunden</translation>
    </message>
    <message>
        <source>a target is iperf3://HOST[:PORT] or an http:// or https:// URL of a large file</source>
        <translation>ein Ziel ist iperf3://HOST[:PORT] oder die http://- oder https://-URL einer großen Datei</translation>
    </message>
    <message>
        <source>&quot;%1&quot; lacks the closing ] of its IPv6 address</source>
        <translation>der IPv6-Adresse in „%1“ fehlt die schließende ]</translation>
    </message>
    <message>
        <source>the target names no host; %1</source>
        <translation>das Ziel nennt keinen Host; %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a port from 1 to 65535</source>
        <translation>„%1“ ist kein Port von 1 bis 65535</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds white space; %2</source>
        <translation>„%1“ enthält Leerzeichen; %2</translation>
    </message>
    <message>
        <source>an iperf3 target has no path: iperf3://HOST[:PORT]</source>
        <translation>ein iperf3-Ziel hat keinen Pfad: iperf3://HOST[:PORT]</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a target: %2</source>
        <translation>„%1“ ist kein Ziel: %2</translation>
    </message>
    <message>
        <source>the name %1 does not resolve: %2</source>
        <translation>der Name %1 lässt sich nicht auflösen: %2</translation>
    </message>
</context>
<context>
    <name>zf::msgFrm</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignorieren</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
</context>
</TS>
