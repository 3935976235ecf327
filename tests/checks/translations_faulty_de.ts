<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Faults</name>
    <message>
        <source>Going back in %1 seconds.</source>
        <translation>Zurücksetzen in %2 Sekunden.</translation>
    </message>
    <message>
        <source>Keep</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gone</source>
        <translation type="vanished">Weg</translation>
    </message>
</context>
</TS>
