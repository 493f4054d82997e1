<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>korvanta::cli::Command</name>
    <message numerus="yes">
        <source>writing %n setting(s)</source>
        <translation>
            <numerusform>writing %n setting</numerusform>
            <numerusform>writing %n settings</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>some of the %n change(s) may have been sent, none was stored</source>
        <translation>
            <numerusform>the change may have been sent, it was not stored</numerusform>
            <numerusform>some of the %n changes may have been sent, none was stored</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of the %n change(s) were sent and acknowledged</source>
        <translation>
            <numerusform>%1 of the %n change was sent and acknowledged</numerusform>
            <numerusform>%1 of the %n changes were sent and acknowledged</numerusform>
        </translation>
    </message>
</context>
</TS>
