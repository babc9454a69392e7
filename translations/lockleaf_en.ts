<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>RunText</name>
    <message numerus="yes">
        <source>%n hr(s) </source>
        <translation>
            <numerusform>%n hr </numerusform>
            <numerusform>%n hrs </numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n min(s) </source>
        <translation>
            <numerusform>%n min </numerusform>
            <numerusform>%n mins </numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n sec(s) </source>
        <translation>
            <numerusform>%n sec </numerusform>
            <numerusform>%n secs </numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lockleaf::ImportFilesWindowController</name>
    <message numerus="yes">
        <source>, %n with own passwords</source>
        <translation>
            <numerusform>, %n with its own password</numerusform>
            <numerusform>, %n with own passwords</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lockleaf::ImportReview</name>
    <message numerus="yes">
        <source>%n line(s) of the list were not added:</source>
        <translation>
            <numerusform>%n line of the list was not added:</numerusform>
            <numerusform>%n lines of the list were not added:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n name no existing file (line(s) %1)</source>
        <translation>
            <numerusform>%n names no existing file (line %1)</numerusform>
            <numerusform>%n name no existing file (lines %1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n name a folder, add folders with Add Folder... (line(s) %1)</source>
        <translation>
            <numerusform>%n names a folder, add folders with Add Folder... (line %1)</numerusform>
            <numerusform>%n name a folder, add folders with Add Folder... (lines %1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n have blanks before or after the path (line(s) %1)</source>
        <translation>
            <numerusform>%n has blanks before or after the path (line %1)</numerusform>
            <numerusform>%n have blanks before or after the path (lines %1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n name no PDF file (line(s) %1)</source>
        <translation>
            <numerusform>%n names no PDF file (line %1)</numerusform>
            <numerusform>%n name no PDF file (lines %1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>... and %n more line(s).</source>
        <translation>
            <numerusform>... and %n more line.</numerusform>
            <numerusform>... and %n more lines.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lockleaf::PasswordActions</name>
    <message numerus="yes">
        <source>The password did not open %1 of the %n highlighted PDF file(s).</source>
        <translation>
            <numerusform>The password did not open the highlighted PDF file.</numerusform>
            <numerusform>The password did not open %1 of the %n highlighted PDF files.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lockleaf::RunControl</name>
    <message numerus="yes">
        <source>... and %n more row(s).</source>
        <translation>
            <numerusform>... and %n more row.</numerusform>
            <numerusform>... and %n more rows.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The own passwords of %n checked file(s) cannot protect them:</source>
        <translation>
            <numerusform>The own passwords of %n checked file cannot protect it:</numerusform>
            <numerusform>The own passwords of %n checked files cannot protect them:</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lockleaf::WindowState</name>
    <message numerus="yes">
        <source>%n Total file(s)</source>
        <translation>
            <numerusform>%n Total file</numerusform>
            <numerusform>%n Total files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) selected</source>
        <translation>
            <numerusform>%n file selected</numerusform>
            <numerusform>%n files selected</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Total page count of selected PDF file(s): %1</source>
        <translation>
            <numerusform>Total page count of selected PDF file: %1</numerusform>
            <numerusform>Total page count of selected PDF files: %1</numerusform>
        </translation>
    </message>
</context>
</TS>
