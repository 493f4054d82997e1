<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>korvanta::cli::Command</name>
    <message numerus="yes">
        <source>some of the %n change(s) may have been sent, none was stored</source>
        <translation>
            <numerusform>the change may have been sent, it was not stored</numerusform>
            <numerusform>some of the %n changes may have been sent, none was stored</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>writing %n change(s)</source>
        <translation>
            <numerusform>writing %n change</numerusform>
            <numerusform>writing %n changes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of the %n change(s) acknowledged, %2 sent without an answer, %3 not sent</source>
        <translation>
            <numerusform>%1 of the %n change acknowledged, %2 sent without an answer, %3 not sent</numerusform>
            <numerusform>%1 of the %n changes acknowledged, %2 sent without an answer, %3 not sent</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n setting(s): %1</source>
        <translation>
            <numerusform>%n setting: %1</numerusform>
            <numerusform>%n settings: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entry(ies) removed</source>
        <translation>
            <numerusform>%n entry removed</numerusform>
            <numerusform>%n entries removed</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>dry run: nothing was sent; %n setting(s) would change</source>
        <translation>
            <numerusform>dry run: nothing was sent; %n setting would change</numerusform>
            <numerusform>dry run: nothing was sent; %n settings would change</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n setting(s) changed</source>
        <translation>
            <numerusform>%n setting changed</numerusform>
            <numerusform>%n settings changed</numerusform>
        </translation>
    </message>
</context>
</TS>
