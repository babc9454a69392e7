<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ImportFiles</name>
    <message>
        <source>Import File List</source>
        <translation>Dateiliste importieren</translation>
    </message>
    <message>
        <source>Import From File</source>
        <translation>Aus Datei importieren</translation>
    </message>
    <message>
        <source>Text file to import</source>
        <translation>Zu importierende Textdatei</translation>
    </message>
    <message>
        <source>A text file with one path per line</source>
        <translation>Eine Textdatei mit einem Pfad pro Zeile</translation>
    </message>
    <message>
        <source>Text file with one path per line</source>
        <translation>Textdatei mit einem Pfad pro Zeile</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen…</translation>
    </message>
    <message>
        <source>Import From Text</source>
        <translation>Aus Text importieren</translation>
    </message>
    <message>
        <source>Paste from Clipboard</source>
        <translation>Aus der Zwischenablage einfügen</translation>
    </message>
    <message>
        <source>Paths to import</source>
        <translation>Zu importierende Pfade</translation>
    </message>
    <message>
        <source>One path per line</source>
        <translation>Ein Pfad pro Zeile</translation>
    </message>
    <message>
        <source>Type or paste paths, one per line</source>
        <translation>Pfade eingeben oder einfügen, einen pro Zeile</translation>
    </message>
    <message>
        <source>Total Files Found : 0</source>
        <translation>Gefundene Dateien: 0</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>A line with a tab gives its file passwords of its own: path, tab, open password, and optionally tab, permission password (tab-separated text as a spreadsheet saves it).</source>
        <translation>Eine Zeile mit Tabulator gibt ihrer Datei eigene Kennwörter: Pfad, Tabulator, Kennwort zum Öffnen und optional Tabulator, Berechtigungskennwort (tabulatorgetrennter Text, wie ihn eine Tabellenkalkulation speichert).</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Add Files...</source>
        <translation>Dateien hinzufügen…</translation>
    </message>
    <message>
        <source>Add PDF files to the list</source>
        <translation>PDF-Dateien zur Liste hinzufügen</translation>
    </message>
    <message>
        <source>Add Folder...</source>
        <translation>Ordner hinzufügen…</translation>
    </message>
    <message>
        <source>Add every PDF file of a folder</source>
        <translation>Alle PDF-Dateien eines Ordners hinzufügen</translation>
    </message>
    <message>
        <source>When a folder is added, also add the PDF files of its subfolders</source>
        <translation>Beim Hinzufügen eines Ordners auch die PDF-Dateien seiner Unterordner hinzufügen</translation>
    </message>
    <message>
        <source>Include subfolders</source>
        <translation>Unterordner einbeziehen</translation>
    </message>
    <message>
        <source>Import List...</source>
        <translation>Liste importieren…</translation>
    </message>
    <message>
        <source>Add the files named in a text list</source>
        <translation>Die in einer Textliste genannten Dateien hinzufügen</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>The files to process; only checked files are processed. Space checks or unchecks the highlighted files, Ctrl+Up and Ctrl+Down move them</source>
        <translation>Die zu verarbeitenden Dateien; nur angehakte Dateien werden verarbeitet. Die Leertaste setzt oder entfernt die Haken der markierten Dateien, Strg+Pfeil nach oben und Strg+Pfeil nach unten verschieben sie</translation>
    </message>
    <message>
        <source>Shown while the list is empty</source>
        <translation>Wird angezeigt, solange die Liste leer ist</translation>
    </message>
    <message>
        <source>Drag and drop PDF files or folders here</source>
        <translation>PDF-Dateien oder Ordner hierher ziehen und ablegen</translation>
    </message>
    <message>
        <source>Check All</source>
        <translation>Alle anhaken</translation>
    </message>
    <message>
        <source>Check every file of the list</source>
        <translation>Jede Datei der Liste anhaken</translation>
    </message>
    <message>
        <source>Uncheck All</source>
        <translation>Alle Haken entfernen</translation>
    </message>
    <message>
        <source>Uncheck every file of the list</source>
        <translation>Die Haken aller Dateien der Liste entfernen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Remove the highlighted files from the list</source>
        <translation>Die markierten Dateien aus der Liste entfernen</translation>
    </message>
    <message>
        <source>Remove All</source>
        <translation>Alle entfernen</translation>
    </message>
    <message>
        <source>Empty the list</source>
        <translation>Die Liste leeren</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben verschieben</translation>
    </message>
    <message>
        <source>Move the highlighted files up (Ctrl+Up)</source>
        <translation>Die markierten Dateien nach oben verschieben (Strg+Pfeil nach oben)</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten verschieben</translation>
    </message>
    <message>
        <source>Move the highlighted files down (Ctrl+Down)</source>
        <translation>Die markierten Dateien nach unten verschieben (Strg+Pfeil nach unten)</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Runter</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Open the highlighted files</source>
        <translation>Die markierten Dateien öffnen</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>Show the highlighted files in the file manager</source>
        <translation>Die markierten Dateien in der Dateiverwaltung zeigen</translation>
    </message>
    <message>
        <source>Get Info</source>
        <translation>Informationen</translation>
    </message>
    <message>
        <source>File information of the highlighted files</source>
        <translation>Dateiinformationen der markierten Dateien</translation>
    </message>
    <message>
        <source>Open Password...</source>
        <translation>Kennwort zum Öffnen…</translation>
    </message>
    <message>
        <source>Give the password that opens the highlighted files</source>
        <translation>Das Kennwort angeben, das die markierten Dateien öffnet</translation>
    </message>
    <message>
        <source>Files in the list, checked files and their pages</source>
        <translation>Dateien in der Liste, angehakte Dateien und ihre Seiten</translation>
    </message>
    <message>
        <source>Busy</source>
        <translation>Beschäftigt</translation>
    </message>
    <message>
        <source>Files are being added to the list</source>
        <translation>Dateien werden zur Liste hinzugefügt</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stop adding files</source>
        <translation>Das Hinzufügen von Dateien beenden</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Process the checked files</source>
        <translation>Die angehakten Dateien verarbeiten</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Security</source>
        <translation>Sicherheit</translation>
    </message>
    <message>
        <source>Remove security</source>
        <translation>Schutz entfernen</translation>
    </message>
    <message>
        <source>Write the checked files again without any protection</source>
        <translation>Die angehakten Dateien ohne jeden Schutz neu schreiben</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Kennwort:</translation>
    </message>
    <message>
        <source>Remove security: the password tried on each secured file when it is added to the list</source>
        <translation>Schutz entfernen: das Kennwort, das bei jeder geschützten Datei beim Hinzufügen zur Liste versucht wird</translation>
    </message>
    <message>
        <source>Tried on each secured file when it is added to the list</source>
        <translation>Wird bei jeder geschützten Datei beim Hinzufügen zur Liste versucht</translation>
    </message>
    <message>
        <source>Add security</source>
        <translation>Schutz hinzufügen</translation>
    </message>
    <message>
        <source>Write the checked files again with passwords</source>
        <translation>Die angehakten Dateien mit Kennwörtern neu schreiben</translation>
    </message>
    <message>
        <source>Open password:</source>
        <translation>Kennwort zum Öffnen:</translation>
    </message>
    <message>
        <source>Add security: the password needed to open the document</source>
        <translation>Schutz hinzufügen: das Kennwort, das zum Öffnen des Dokuments nötig ist</translation>
    </message>
    <message>
        <source>Needed to open the document</source>
        <translation>Zum Öffnen des Dokuments nötig</translation>
    </message>
    <message>
        <source>Permission password:</source>
        <translation>Berechtigungskennwort:</translation>
    </message>
    <message>
        <source>Add security: the password needed to change the document&apos;s permissions</source>
        <translation>Schutz hinzufügen: das Kennwort, das zum Ändern der Berechtigungen des Dokuments nötig ist</translation>
    </message>
    <message>
        <source>Needed to change the document&apos;s permissions</source>
        <translation>Zum Ändern der Berechtigungen des Dokuments nötig</translation>
    </message>
    <message>
        <source>Encryption:</source>
        <translation>Verschlüsselung:</translation>
    </message>
    <message>
        <source>Encryption</source>
        <translation>Verschlüsselung</translation>
    </message>
    <message>
        <source>Key length and method used to secure the files</source>
        <translation>Schlüssellänge und Verfahren, mit denen die Dateien geschützt werden</translation>
    </message>
    <message>
        <source>Allow printing</source>
        <translation>Drucken erlauben</translation>
    </message>
    <message>
        <source>Allow copying text and graphics</source>
        <translation>Kopieren von Text und Grafiken erlauben</translation>
    </message>
    <message>
        <source>A password that opens a secured file is added to the saved passwords</source>
        <translation>Ein Kennwort, das eine geschützte Datei öffnet, wird zu den gespeicherten Kennwörtern hinzugefügt</translation>
    </message>
    <message>
        <source>Save passwords that open files</source>
        <translation>Kennwörter speichern, die Dateien öffnen</translation>
    </message>
    <message>
        <source>Edit the passwords tried on secured files when they are added</source>
        <translation>Die Kennwörter bearbeiten, die beim Hinzufügen geschützter Dateien versucht werden</translation>
    </message>
    <message>
        <source>Saved Passwords...</source>
        <translation>Gespeicherte Kennwörter…</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>Output folder:</source>
        <translation>Ausgabeordner:</translation>
    </message>
    <message>
        <source>The folder the processed files are written to</source>
        <translation>Der Ordner, in den die verarbeiteten Dateien geschrieben werden</translation>
    </message>
    <message>
        <source>Choose a folder for the output</source>
        <translation>Einen Ordner für die Ausgabe wählen</translation>
    </message>
    <message>
        <source>Choose output folder</source>
        <translation>Ausgabeordner wählen</translation>
    </message>
    <message>
        <source>Choose...</source>
        <translation>Wählen…</translation>
    </message>
    <message>
        <source>Keep as default output folder</source>
        <translation>Als Standard-Ausgabeordner behalten</translation>
    </message>
    <message>
        <source>Open folder after processing</source>
        <translation>Ordner nach der Verarbeitung öffnen</translation>
    </message>
    <message>
        <source>Back up each source file first</source>
        <translation>Vorher jede Quelldatei sichern</translation>
    </message>
    <message>
        <source>Remove processed files from the list</source>
        <translation>Verarbeitete Dateien aus der Liste entfernen</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Window</source>
        <translation>Fenster</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>Show or hide the settings</source>
        <translation>Die Einstellungen zeigen oder ausblenden</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>Exportieren…</translation>
    </message>
    <message>
        <source>Export the list as tab-delimited text</source>
        <translation>Die Liste als tabulatorgetrennten Text exportieren</translation>
    </message>
    <message>
        <source>Open the Lockleaf help</source>
        <translation>Die Hilfe zu Lockleaf öffnen</translation>
    </message>
    <message>
        <source>About Lockleaf</source>
        <translation>Über Lockleaf</translation>
    </message>
    <message>
        <source>Quit Lockleaf</source>
        <translation>Lockleaf beenden</translation>
    </message>
    <message>
        <source>Check Highlighted</source>
        <translation>Markierte anhaken</translation>
    </message>
    <message>
        <source>Uncheck Highlighted</source>
        <translation>Haken der Markierten entfernen</translation>
    </message>
    <message>
        <source>Invert Highlighted</source>
        <translation>Haken der Markierten umkehren</translation>
    </message>
    <message>
        <source>Invert All Checks</source>
        <translation>Alle Haken umkehren</translation>
    </message>
    <message>
        <source>Highlight All Rows</source>
        <translation>Alle Zeilen markieren</translation>
    </message>
    <message>
        <source>Highlight First Row</source>
        <translation>Erste Zeile markieren</translation>
    </message>
    <message>
        <source>Remove Highlighted</source>
        <translation>Markierte entfernen</translation>
    </message>
    <message>
        <source>Remove All...</source>
        <translation>Alle entfernen…</translation>
    </message>
    <message>
        <source>Lockleaf Help</source>
        <translation>Lockleaf-Hilfe</translation>
    </message>
    <message>
        <source>Export</source>
        <extracomment>Export... on the toolbar, without its dots</extracomment>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Check Failed Only</source>
        <translation>Nur fehlgeschlagene anhaken</translation>
    </message>
    <message>
        <source>Check the files the last run did not write, and uncheck the others</source>
        <translation>Die Dateien anhaken, die der letzte Lauf nicht geschrieben hat, und die übrigen abhaken</translation>
    </message>
</context>
<context>
    <name>PDFReadPassword</name>
    <message>
        <source>Open Password</source>
        <translation>Kennwort zum Öffnen</translation>
    </message>
    <message>
        <source>Password that opens the secured PDF file(s):</source>
        <translation>Kennwort, das die geschützten PDF-Dateien öffnet:</translation>
    </message>
    <message>
        <source>Show password</source>
        <translation>Kennwort anzeigen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Anwenden</translation>
    </message>
</context>
<context>
    <name>PasswordListEditor</name>
    <message>
        <source>Saved Passwords</source>
        <translation>Gespeicherte Kennwörter</translation>
    </message>
    <message>
        <source>Passwords tried on secured PDF files when they are added:</source>
        <translation>Kennwörter, die beim Hinzufügen geschützter PDF-Dateien versucht werden:</translation>
    </message>
    <message>
        <source>Saved passwords</source>
        <translation>Gespeicherte Kennwörter</translation>
    </message>
    <message>
        <source>Tried on secured PDF files when they are added. F2 edits the highlighted password</source>
        <translation>Werden beim Hinzufügen geschützter PDF-Dateien versucht. F2 bearbeitet das markierte Kennwort</translation>
    </message>
    <message>
        <source>Add Password...</source>
        <translation>Kennwort hinzufügen…</translation>
    </message>
    <message>
        <source>Add...</source>
        <translation>Hinzufügen…</translation>
    </message>
    <message>
        <source>Remove the highlighted password</source>
        <translation>Das markierte Kennwort entfernen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Remove every saved password</source>
        <translation>Alle gespeicherten Kennwörter entfernen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Show passwords</source>
        <translation>Kennwörter anzeigen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Keep saved passwords for this session only</source>
        <translation>Gespeicherte Kennwörter nur für diese Sitzung behalten</translation>
    </message>
    <message>
        <source>Saved passwords are not written to the settings file and are gone when Lockleaf quits</source>
        <translation>Gespeicherte Kennwörter werden nicht in die Einstellungsdatei geschrieben und sind nach dem Beenden von Lockleaf verloren</translation>
    </message>
</context>
<context>
    <name>ProgressPanel</name>
    <message>
        <source>The file in hand</source>
        <translation>Die Datei in Arbeit</translation>
    </message>
    <message>
        <source>Starting...</source>
        <translation>Wird gestartet…</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Files processed of the files checked</source>
        <translation>Verarbeitete von den angehakten Dateien</translation>
    </message>
    <message>
        <source>Files:</source>
        <translation>Dateien:</translation>
    </message>
    <message>
        <source>Time taken:</source>
        <translation>Benötigte Zeit:</translation>
    </message>
    <message>
        <source>Summary of the run</source>
        <translation>Zusammenfassung des Durchlaufs</translation>
    </message>
    <message>
        <source>View Log</source>
        <translation>Protokoll anzeigen</translation>
    </message>
    <message>
        <source>Open the processing log of this run</source>
        <translation>Das Verarbeitungsprotokoll dieses Durchlaufs öffnen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stop after the file in hand</source>
        <translation>Nach der Datei in Arbeit anhalten</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>RunText</name>
    <message>
        <source>Un-Secured Completed</source>
        <translation>Schutz entfernt</translation>
    </message>
    <message>
        <source>Secured Completed</source>
        <translation>Schutz hinzugefügt</translation>
    </message>
    <message>
        <source>Unable to un-secure pdf document!</source>
        <translation>Der Schutz des PDF-Dokuments konnte nicht entfernt werden!</translation>
    </message>
    <message>
        <source>Unable to secure pdf document!</source>
        <translation>Das PDF-Dokument konnte nicht geschützt werden!</translation>
    </message>
    <message>
        <source>Permission Password Required.</source>
        <translation>Berechtigungskennwort erforderlich.</translation>
    </message>
    <message>
        <source>Unable to read secured pdf docuemnt!</source>
        <translation>Das geschützte PDF-Dokument konnte nicht gelesen werden!</translation>
    </message>
    <message>
        <source>Unable to read pdf document!</source>
        <translation>Das PDF-Dokument konnte nicht gelesen werden!</translation>
    </message>
    <message>
        <source>Unable to open pdf document!</source>
        <translation>Das PDF-Dokument konnte nicht geöffnet werden!</translation>
    </message>
    <message>
        <source>Skipped: digitally signed (securing would invalidate its signatures)</source>
        <translation>Übersprungen: digital signiert (der Schutz würde seine Signaturen ungültig machen)</translation>
    </message>
    <message>
        <source>Unable to create backup file!</source>
        <translation>Die Sicherungskopie konnte nicht angelegt werden!</translation>
    </message>
    <message>
        <source>File not found: moved or deleted since it was listed</source>
        <translation>Datei nicht gefunden: seit dem Hinzufügen verschoben oder gelöscht</translation>
    </message>
    <message>
        <source>Skipped: the same file as an earlier entry</source>
        <translation>Übersprungen: dieselbe Datei wie ein früherer Eintrag</translation>
    </message>
    <message>
        <source>source changed while it was being read</source>
        <translation>Die Quelldatei hat sich geändert, während sie gelesen wurde</translation>
    </message>
    <message>
        <source>Not replaced: the file has other hard links, which would keep its old content</source>
        <translation>Nicht ersetzt: Die Datei hat weitere harte Links, die ihren alten Inhalt behalten würden</translation>
    </message>
    <message>
        <source>unknown exception</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>Lockleaf unable able to split some of the files!<byte value="xd"/>
Please check log for more information.</source>
        <translation>Lockleaf konnte einige der Dateien nicht verarbeiten!<byte value="xd"/>
Nähere Angaben finden Sie im Protokoll.</translation>
    </message>
    <message>
        <source>Process cancelled!</source>
        <translation>Verarbeitung abgebrochen!</translation>
    </message>
    <message>
        <source>All files splitted successfully.</source>
        <translation>Alle Dateien wurden erfolgreich verarbeitet.</translation>
    </message>
    <message>
        <source>In Process...</source>
        <translation>In Arbeit…</translation>
    </message>
    <message>
        <source>no such file or folder</source>
        <translation>Datei oder Ordner nicht vorhanden</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>not a PDF file</source>
        <translation>keine PDF-Datei</translation>
    </message>
    <message>
        <source>name not valid in the file-name encoding</source>
        <translation>Name in der Kodierung der Dateinamen ungültig</translation>
    </message>
    <message>
        <source>no PDF files in this folder</source>
        <translation>keine PDF-Dateien in diesem Ordner</translation>
    </message>
    <message>
        <source>no PDF files in this folder (subfolders not included)</source>
        <translation>keine PDF-Dateien in diesem Ordner (Unterordner nicht einbezogen)</translation>
    </message>
    <message>
        <source>Printing or copying can only be forbidden with a permission password: the open password alone would unlock every right. Please enter a permission password.</source>
        <translation>Drucken oder Kopieren lässt sich nur mit einem Berechtigungskennwort verbieten: Das Kennwort zum Öffnen allein würde jedes Recht freigeben. Bitte geben Sie ein Berechtigungskennwort ein.</translation>
    </message>
    <message>
        <source>The password contains a NUL character, which no PDF reader can take.</source>
        <translation>Das Kennwort enthält ein NUL-Zeichen, das kein PDF-Programm verarbeiten kann.</translation>
    </message>
    <message>
        <source>The open and permission passwords are the same password for the key: the open password would unlock every right. Please enter a different permission password.</source>
        <translation>Das Kennwort zum Öffnen und das Berechtigungskennwort sind für den Schlüssel dasselbe Kennwort: Das Kennwort zum Öffnen würde jedes Recht freigeben. Bitte geben Sie ein anderes Berechtigungskennwort ein.</translation>
    </message>
    <message>
        <source>%1 of %2 files written, %3 failed.<byte value="xd"/>
Please check each file&apos;s status or the log for the reasons.</source>
        <translation>%1 von %2 Dateien geschrieben, %3 fehlgeschlagen.<byte value="xd"/>
Die Gründe finden Sie im Status jeder Datei oder im Protokoll.</translation>
    </message>
    <message>
        <source>Total Time Taken : %1 %2/%3</source>
        <extracomment>The main window&apos;s time line: the time taken (or &quot;In Process...&quot;), files done / files in all.</extracomment>
        <translation>Benötigte Zeit insgesamt: %1 %2/%3</translation>
    </message>
    <message>
        <source>Open password: %1</source>
        <translation>Kennwort zum Öffnen: %1</translation>
    </message>
    <message>
        <source>Permission password: %1</source>
        <translation>Berechtigungskennwort: %1</translation>
    </message>
    <message>
        <source>The password is longer than %1 bytes, the most a %2-bit key can use.</source>
        <translation>Das Kennwort ist länger als %1 Byte; mehr kann ein %2-Bit-Schlüssel nicht aufnehmen.</translation>
    </message>
    <message>
        <source>The password has characters that a %1-bit key cannot carry; use a 256-bit key or only Latin letters, digits and symbols.</source>
        <translation>Das Kennwort enthält Zeichen, die ein %1-Bit-Schlüssel nicht aufnehmen kann; verwenden Sie einen 256-Bit-Schlüssel oder nur lateinische Buchstaben, Ziffern und Symbole.</translation>
    </message>
    <message numerus="yes">
        <source>%n hr(s) </source>
        <translation>
            <numerusform>%n Std. </numerusform>
            <numerusform>%n Std. </numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n min(s) </source>
        <translation>
            <numerusform>%n Min. </numerusform>
            <numerusform>%n Min. </numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n sec(s) </source>
        <translation>
            <numerusform>%n Sek. </numerusform>
            <numerusform>%n Sek. </numerusform>
        </translation>
    </message>
    <message>
        <source>the map is UTF-16 text; save it as UTF-8</source>
        <translation>die Kennwortliste ist UTF-16-Text; speichern Sie sie als UTF-8</translation>
    </message>
    <message>
        <source>not valid UTF-8 text</source>
        <translation>kein gültiger UTF-8-Text</translation>
    </message>
    <message>
        <source>a NUL character in the line</source>
        <translation>ein NUL-Zeichen in der Zeile</translation>
    </message>
    <message>
        <source>malformed line: no tab between the path and the password</source>
        <translation>fehlerhafte Zeile: kein Tabulator zwischen Pfad und Kennwort</translation>
    </message>
    <message>
        <source>empty path</source>
        <translation>leerer Pfad</translation>
    </message>
    <message>
        <source>missing password</source>
        <translation>Kennwort fehlt</translation>
    </message>
    <message>
        <source>malformed line: %1 fields, at most 3 expected</source>
        <translation>fehlerhafte Zeile: %1 Felder, höchstens 3 erwartet</translation>
    </message>
    <message>
        <source>other passwords for a file already given on line %1</source>
        <translation>andere Kennwörter für eine Datei, die schon in Zeile %1 steht</translation>
    </message>
    <message>
        <source>cannot read the password map: %1</source>
        <translation>die Kennwortliste kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>the password map is larger than %1 MiB</source>
        <translation>die Kennwortliste ist größer als %1 MiB</translation>
    </message>
    <message>
        <source>Not written.</source>
        <translation>Nicht geschrieben.</translation>
    </message>
</context>
<context>
    <name>lockleaf::AlertPresenter</name>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
</context>
<context>
    <name>lockleaf::FileActions</name>
    <message>
        <source>%1: %2</source>
        <comment>a path and why it was not added</comment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>... and %1 more.</source>
        <translation>… und %1 weitere.</translation>
    </message>
    <message>
        <source>1 item was not added to the list:</source>
        <translation>1 Eintrag wurde nicht zur Liste hinzugefügt:</translation>
    </message>
    <message>
        <source>%1 items were not added to the list:</source>
        <translation>%1 Einträge wurden nicht zur Liste hinzugefügt:</translation>
    </message>
    <message>
        <source>Select PDF File(s):</source>
        <translation>PDF-Dateien auswählen:</translation>
    </message>
    <message>
        <source>Select folder(s) contains PDF File(s):</source>
        <translation>Ordner mit PDF-Dateien auswählen:</translation>
    </message>
    <message>
        <source>Export List To Tab Delimited Text File :</source>
        <translation>Liste als tabulatorgetrennte Textdatei exportieren:</translation>
    </message>
</context>
<context>
    <name>lockleaf::FileChooser</name>
    <message>
        <source>PDF files (%1)</source>
        <translation>PDF-Dateien (%1)</translation>
    </message>
    <message>
        <source>Text files (%1)</source>
        <translation>Textdateien (%1)</translation>
    </message>
</context>
<context>
    <name>lockleaf::FileInformationDialog</name>
    <message>
        <source>%1 Info</source>
        <translation>Informationen zu %1</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>%1 (%2 bytes)</source>
        <translation>%1 (%2 Byte)</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Seiten</translation>
    </message>
    <message>
        <source>Secured</source>
        <translation>Geschützt</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Created</source>
        <translation>Erstellt</translation>
    </message>
    <message>
        <source>Modified</source>
        <translation>Geändert</translation>
    </message>
    <message>
        <source>Accessed</source>
        <translation>Letzter Zugriff</translation>
    </message>
    <message>
        <source>%1:</source>
        <comment>a label of the information window</comment>
        <translation>%1:</translation>
    </message>
</context>
<context>
    <name>lockleaf::FileList</name>
    <message>
        <source>Are you sure to remove all file(s)?</source>
        <translation>Möchten Sie wirklich alle Dateien entfernen?</translation>
    </message>
</context>
<context>
    <name>lockleaf::FileTableModel</name>
    <message>
        <source> (SECURED) </source>
        <translation> (GESCHÜTZT) </translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Seiten</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Geändert am</translation>
    </message>
    <message>
        <source>Date Created</source>
        <translation>Erstellt am</translation>
    </message>
    <message>
        <source>Date Accessed</source>
        <translation>Letzter Zugriff</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>Speicherort</translation>
    </message>
    <message>
        <source>(Signed)</source>
        <translation>(Signiert)</translation>
    </message>
    <message>
        <source>Checked: %1</source>
        <translation>Angehakt: %1</translation>
    </message>
    <message>
        <source>Not checked: %1</source>
        <translation>Nicht angehakt: %1</translation>
    </message>
    <message>
        <source>Only checked files are processed</source>
        <translation>Nur angehakte Dateien werden verarbeitet</translation>
    </message>
    <message>
        <source>%1, secured</source>
        <translation>%1, geschützt</translation>
    </message>
    <message>
        <source>, digitally signed</source>
        <translation>, digital signiert</translation>
    </message>
    <message>
        <source>, has its own password</source>
        <translation>, hat ein eigenes Kennwort</translation>
    </message>
    <message>
        <source>Has its own password</source>
        <translation>Hat ein eigenes Kennwort</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
</context>
<context>
    <name>lockleaf::ImportFilesWindowController</name>
    <message>
        <source>F</source>
        <comment>access key of Import From File</comment>
        <translation>D</translation>
    </message>
    <message>
        <source>T</source>
        <comment>access key of Import From Text</comment>
        <translation>T</translation>
    </message>
    <message>
        <source>p</source>
        <comment>access key of Paste from Clipboard</comment>
        <translation>z</translation>
    </message>
    <message>
        <source>i</source>
        <comment>access key of Import</comment>
        <translation>i</translation>
    </message>
    <message>
        <source>Total Files Found : %1</source>
        <translation>Gefundene Dateien: %1</translation>
    </message>
    <message>
        <source>Select Text File To Import:</source>
        <translation>Zu importierende Textdatei auswählen:</translation>
    </message>
    <message>
        <source>Please select file to import!</source>
        <translation>Bitte wählen Sie eine Datei zum Importieren aus!</translation>
    </message>
    <message>
        <source>Please paste file(s) path to import!</source>
        <translation>Bitte fügen Sie die Pfade der zu importierenden Dateien ein!</translation>
    </message>
    <message>
        <source>No File(s) Found!</source>
        <translation>Keine Dateien gefunden!</translation>
    </message>
    <message numerus="yes">
        <source>, %n with own passwords</source>
        <translation>
            <numerusform>, %n mit eigenem Kennwort</numerusform>
            <numerusform>, %n mit eigenen Kennwörtern</numerusform>
        </translation>
    </message>
    <message>
        <source>The file cannot be read as UTF-8 text.</source>
        <translation>Die Datei kann nicht als UTF-8-Text gelesen werden.</translation>
    </message>
</context>
<context>
    <name>lockleaf::ImportReview</name>
    <message numerus="yes">
        <source>%n line(s) of the list were not added:</source>
        <translation>
            <numerusform>%n Zeile der Liste wurde nicht hinzugefügt:</numerusform>
            <numerusform>%n Zeilen der Liste wurden nicht hinzugefügt:</numerusform>
        </translation>
    </message>
    <message>
        <source>other passwords for the file of line %1</source>
        <translation>andere Kennwörter für die Datei aus Zeile %1</translation>
    </message>
    <message>
        <source>not taken: line %1 names the same file</source>
        <translation>nicht übernommen: Zeile %1 nennt dieselbe Datei</translation>
    </message>
    <message>
        <source>a folder, not a file</source>
        <translation>ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>not a PDF file</source>
        <translation>keine PDF-Datei</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>Line %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>... and %n more line(s).</source>
        <translation>
            <numerusform>… und %n weitere Zeile.</numerusform>
            <numerusform>… und %n weitere Zeilen.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n name no existing file (line(s) %1)</source>
        <translation>
            <numerusform>%n nennt keine vorhandene Datei (Zeile %1)</numerusform>
            <numerusform>%n nennen keine vorhandene Datei (Zeilen %1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n name a folder, add folders with Add Folder... (line(s) %1)</source>
        <translation>
            <numerusform>%n nennt einen Ordner, Ordner fügen Sie mit „Ordner hinzufügen…“ hinzu (Zeile %1)</numerusform>
            <numerusform>%n nennen einen Ordner, Ordner fügen Sie mit „Ordner hinzufügen…“ hinzu (Zeilen %1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n have blanks before or after the path (line(s) %1)</source>
        <translation>
            <numerusform>%n hat Leerzeichen vor oder nach dem Pfad (Zeile %1)</numerusform>
            <numerusform>%n haben Leerzeichen vor oder nach dem Pfad (Zeilen %1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n name no PDF file (line(s) %1)</source>
        <translation>
            <numerusform>%n nennt keine PDF-Datei (Zeile %1)</numerusform>
            <numerusform>%n nennen keine PDF-Datei (Zeilen %1)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lockleaf::LockleafAppDelegate</name>
    <message>
        <source>Unable to open:
%1

No application on this system is set up to open it.</source>
        <translation>Kann nicht geöffnet werden:
%1

Auf diesem System ist keine Anwendung eingerichtet, die es öffnen kann.</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
    <message>
        <source>&lt;b&gt;%1&lt;/b&gt; %2&lt;br&gt;Adds or removes password security on PDF documents.</source>
        <translation>&lt;b&gt;%1&lt;/b&gt; %2&lt;br&gt;Fügt PDF-Dokumenten einen Kennwortschutz hinzu oder entfernt ihn.</translation>
    </message>
    <message>
        <source>i</source>
        <comment>access key of Import List...</comment>
        <translation>l</translation>
    </message>
    <message>
        <source>f</source>
        <comment>access key of Add Files...</comment>
        <translation>d</translation>
    </message>
    <message>
        <source>o</source>
        <comment>access key of Add Folder...</comment>
        <translation>o</translation>
    </message>
    <message>
        <source>u</source>
        <comment>access key of Include subfolders</comment>
        <translation>u</translation>
    </message>
    <message>
        <source>s</source>
        <comment>access key of Start</comment>
        <translation>s</translation>
    </message>
    <message>
        <source>d</source>
        <comment>access key of Keep as default output folder</comment>
        <translation>a</translation>
    </message>
    <message>
        <source>p</source>
        <comment>access key of Open folder after processing</comment>
        <translation>v</translation>
    </message>
    <message>
        <source>The help document MACLockleaf1.pdf could not be found.</source>
        <translation>Das Hilfedokument MACLockleaf1.pdf wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>Open Log...</source>
        <translation>Protokoll öffnen…</translation>
    </message>
</context>
<context>
    <name>lockleaf::LogView</name>
    <message>
        <source>Open in another application</source>
        <translation>In einer anderen Anwendung öffnen</translation>
    </message>
    <message>
        <source>%1 - Log</source>
        <translation>%1 – Protokoll</translation>
    </message>
    <message>
        <source>Log records</source>
        <translation>Protokolleinträge</translation>
    </message>
    <message>
        <source>The log file was not saved.</source>
        <translation>Die Protokolldatei wurde nicht gespeichert.</translation>
    </message>
    <message>
        <source>This log was left unfinished: its run ended before it could close it. It lists the files finished before that.</source>
        <translation>Dieses Protokoll ist unvollständig: Sein Durchlauf endete, bevor er es abschließen konnte. Es nennt die Dateien, die bis dahin fertig wurden.</translation>
    </message>
</context>
<context>
    <name>lockleaf::MorePermissions</name>
    <message>
        <source>More permissions…</source>
        <translation>Weitere Berechtigungen…</translation>
    </message>
    <message>
        <source>Show or hide the other permissions of the secured files</source>
        <translation>Die übrigen Berechtigungen der geschützten Dateien zeigen oder ausblenden</translation>
    </message>
    <message>
        <source>More permissions</source>
        <translation>Weitere Berechtigungen</translation>
    </message>
    <message>
        <source>Allow changing the document</source>
        <translation>Ändern des Dokuments erlauben</translation>
    </message>
    <message>
        <source>Edit pages and content</source>
        <translation>Seiten und Inhalt bearbeiten</translation>
    </message>
    <message>
        <source>Allow adding and changing comments</source>
        <translation>Kommentieren erlauben</translation>
    </message>
    <message>
        <source>Add, change and remove comments</source>
        <translation>Kommentare hinzufügen, ändern und entfernen</translation>
    </message>
    <message>
        <source>Allow filling in forms</source>
        <translation>Ausfüllen von Formularen erlauben</translation>
    </message>
    <message>
        <source>Fill in form fields and sign (needs a 128- or 256-bit key)</source>
        <translation>Formularfelder ausfüllen und unterschreiben (erfordert einen 128- oder 256-Bit-Schlüssel)</translation>
    </message>
    <message>
        <source>Allow assembling (insert, rotate, delete pages)</source>
        <translation>Seiten zusammenstellen erlauben</translation>
    </message>
    <message>
        <source>Insert, rotate and delete pages, change bookmarks (needs a 128- or 256-bit key)</source>
        <translation>Seiten einfügen, drehen und löschen, Lesezeichen ändern (erfordert einen 128- oder 256-Bit-Schlüssel)</translation>
    </message>
    <message>
        <source>Print in high quality</source>
        <translation>In hoher Qualität drucken</translation>
    </message>
    <message>
        <source>Off: printing in low resolution only. Needs printing allowed (needs a 128- or 256-bit key)</source>
        <translation>Aus: Drucken nur in niedriger Auflösung. Setzt erlaubtes Drucken voraus (erfordert einen 128- oder 256-Bit-Schlüssel)</translation>
    </message>
</context>
<context>
    <name>lockleaf::OptionsPanel</name>
    <message>
        <source>40-bit key (RC4, weak)</source>
        <translation>40-Bit-Schlüssel (RC4, schwach)</translation>
    </message>
    <message>
        <source>Weak: only for very old PDF readers</source>
        <translation>Schwach: nur für sehr alte PDF-Programme</translation>
    </message>
    <message>
        <source>128-bit key (AES)</source>
        <translation>128-Bit-Schlüssel (AES)</translation>
    </message>
    <message>
        <source>256-bit key (AES)</source>
        <translation>256-Bit-Schlüssel (AES)</translation>
    </message>
    <message>
        <source>Rewrite signed documents</source>
        <translation>Signierte Dokumente neu schreiben</translation>
    </message>
    <message>
        <source>Off: digitally signed files are skipped. On: they are written too, and their signatures become invalid</source>
        <translation>Aus: Digital signierte Dateien werden übersprungen. Ein: Sie werden ebenfalls geschrieben, und ihre Signaturen werden ungültig</translation>
    </message>
    <message>
        <source>Select Output Folder:</source>
        <translation>Ausgabeordner auswählen:</translation>
    </message>
</context>
<context>
    <name>lockleaf::PasswordActions</name>
    <message numerus="yes">
        <source>The password did not open %1 of the %n highlighted PDF file(s).</source>
        <translation>
            <numerusform>Das Kennwort hat die markierte PDF-Datei nicht geöffnet.</numerusform>
            <numerusform>Das Kennwort hat %1 der %n markierten PDF-Dateien nicht geöffnet.</numerusform>
        </translation>
    </message>
    <message>
        <source>No system keyring is available (%1), so saved passwords are kept in the settings file, readable by your user account only.</source>
        <translation>Kein Systemschlüsselbund verfügbar (%1), daher bleiben gespeicherte Kennwörter in der Einstellungsdatei, die nur Ihr Benutzerkonto lesen kann.</translation>
    </message>
    <message>
        <source>Passwords saved in the keyring earlier come back when it is available again.</source>
        <translation>Früher im Schlüsselbund gespeicherte Kennwörter kehren zurück, sobald er wieder verfügbar ist.</translation>
    </message>
</context>
<context>
    <name>lockleaf::PasswordListWindowController</name>
    <message>
        <source>(empty password)</source>
        <translation>(leeres Kennwort)</translation>
    </message>
    <message>
        <source>Hidden password %1</source>
        <translation>Verborgenes Kennwort %1</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Kennwort</translation>
    </message>
    <message>
        <source>Are you sure to clear saved passwords list?</source>
        <translation>Möchten Sie die Liste der gespeicherten Kennwörter wirklich leeren?</translation>
    </message>
</context>
<context>
    <name>lockleaf::ProgressPanel</name>
    <message>
        <source>Summary</source>
        <translation>Zusammenfassung</translation>
    </message>
    <message>
        <source>Files not written</source>
        <translation>Nicht geschriebene Dateien</translation>
    </message>
    <message>
        <source>Finished.</source>
        <translation>Fertig.</translation>
    </message>
    <message>
        <source>Finishing...</source>
        <translation>Wird abgeschlossen…</translation>
    </message>
    <message>
        <source>Cancelling after the file in hand...</source>
        <translation>Abbruch nach der Datei in Arbeit…</translation>
    </message>
    <message>
        <source>Processing: %1</source>
        <translation>In Verarbeitung: %1</translation>
    </message>
    <message>
        <source>Starting...</source>
        <translation>Wird gestartet…</translation>
    </message>
    <message>
        <source>%1 of %2 processed, %3 written</source>
        <translation>%1 von %2 verarbeitet, %3 geschrieben</translation>
    </message>
</context>
<context>
    <name>lockleaf::RunControl</name>
    <message>
        <source>l</source>
        <comment>access key of View Log</comment>
        <translation>p</translation>
    </message>
    <message>
        <source>c</source>
        <comment>access key of Cancel</comment>
        <translation>a</translation>
    </message>
    <message>
        <source>No output folder selected, file(s) will be saved in source folder.
Do you want to continue?</source>
        <translation>Kein Ausgabeordner gewählt; die Dateien werden im Quellordner gespeichert.
Möchten Sie fortfahren?</translation>
    </message>
    <message>
        <source>Output folder missing or invalid path!<byte value="xd"/>
Please select valid output folder.</source>
        <translation>Der Ausgabeordner fehlt oder sein Pfad ist ungültig!<byte value="xd"/>
Bitte wählen Sie einen gültigen Ausgabeordner.</translation>
    </message>
    <message>
        <source>Output folder is non-writable!<byte value="xd"/>
Please select writable output folder.</source>
        <translation>In den Ausgabeordner kann nicht geschrieben werden!<byte value="xd"/>
Bitte wählen Sie einen beschreibbaren Ausgabeordner.</translation>
    </message>
    <message>
        <source>Please provide atleast one password to secure pdf document!</source>
        <translation>Bitte geben Sie mindestens ein Kennwort an, um das PDF-Dokument zu schützen!</translation>
    </message>
    <message>
        <source>Files are still being processed.
Do you want to stop after the file in hand and quit?</source>
        <translation>Es werden noch Dateien verarbeitet.
Möchten Sie nach der Datei in Arbeit anhalten und das Programm beenden?</translation>
    </message>
    <message>
        <source>A password has characters outside Latin-1 (such as €, —, •, †). With a %1-bit key the files are correct, but PDF readers built on pdf.js (Firefox) cannot open them. A 256-bit key avoids this.

Do you want to continue?</source>
        <translation>Ein Kennwort enthält Zeichen außerhalb von Latin-1 (etwa €, —, •, †). Mit einem %1-Bit-Schlüssel sind die Dateien korrekt, aber PDF-Programme auf Grundlage von pdf.js (Firefox) können sie nicht öffnen. Ein 256-Bit-Schlüssel vermeidet das.

Möchten Sie fortfahren?</translation>
    </message>
    <message>
        <source>Row %1, %2: %3</source>
        <translation>Zeile %1, %2: %3</translation>
    </message>
    <message numerus="yes">
        <source>... and %n more row(s).</source>
        <translation>
            <numerusform>… und %n weitere Zeile.</numerusform>
            <numerusform>… und %n weitere Zeilen.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The own passwords of %n checked file(s) cannot protect them:</source>
        <translation>
            <numerusform>Die eigenen Kennwörter von %n angehakten Datei können sie nicht schützen:</numerusform>
            <numerusform>Die eigenen Kennwörter von %n angehakten Dateien können sie nicht schützen:</numerusform>
        </translation>
    </message>
    <message>
        <source>Select Log To Open:</source>
        <translation>Zu öffnendes Protokoll auswählen:</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be shown as a processing log:
%2</source>
        <translation>„%1“ kann nicht als Verarbeitungsprotokoll angezeigt werden:
%2</translation>
    </message>
</context>
<context>
    <name>lockleaf::RunRecordsTable</name>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Seiten</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Not written.</source>
        <translation>Nicht geschrieben.</translation>
    </message>
</context>
<context>
    <name>lockleaf::WindowState</name>
    <message>
        <source>Total Pages PDF : %1</source>
        <translation>PDF-Seiten insgesamt: %1</translation>
    </message>
    <message numerus="yes">
        <source>%n Total file(s)</source>
        <translation>
            <numerusform>%n Datei insgesamt</numerusform>
            <numerusform>%n Dateien insgesamt</numerusform>
        </translation>
    </message>
    <message>
        <source>; </source>
        <comment>between the parts of the totals line</comment>
        <translation>; </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) selected</source>
        <translation>
            <numerusform>%n angehakt</numerusform>
            <numerusform>%n angehakt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Total page count of selected PDF file(s): %1</source>
        <translation>
            <numerusform>Seiten der angehakten PDF-Datei: %1</numerusform>
            <numerusform>Seiten der angehakten PDF-Dateien: %1</numerusform>
        </translation>
    </message>
</context>
</TS>
