<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>DueText</name>
    <message>
        <source>today</source>
        <translation>heute</translation>
    </message>
    <message>
        <source>tomorrow</source>
        <translation>morgen</translation>
    </message>
    <message>
        <source>yesterday</source>
        <translation>gestern</translation>
    </message>
</context>
<context>
    <name>TaskCount</name>
    <message>
        <source>{0, plural, one {# task} other {# tasks}}</source>
        <comment>ICU MessageFormat: keep {0, plural, ...} and #</comment>
        <translation>{0, plural, one {# Aufgabe} other {# Aufgaben}}</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::AccountDialog</name>
    <message>
        <source>Accounts</source>
        <translation>Konten</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message>
        <source>Account name</source>
        <translation>Kontoname</translation>
    </message>
    <message>
        <source>Server URL</source>
        <translation>Server-URL</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>&amp;Account:</source>
        <translation>&amp;Konto:</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>Server &amp;URL:</source>
        <translation>Server-&amp;URL:</translation>
    </message>
    <message>
        <source>U&amp;ser:</source>
        <translation>Be&amp;nutzer:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <source>The password is kept in your desktop&apos;s keyring (the Secret Service), not in a file; a sync asks the keyring for it.</source>
        <translation>Das Passwort liegt im Schlüsselbund Ihres Desktops (Secret Service), nicht in einer Datei; ein Abgleich fragt den Schlüsselbund danach.</translation>
    </message>
    <message>
        <source>New account</source>
        <translation>Neues Konto</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>unverändert</translation>
    </message>
    <message>
        <source>kept elsewhere now; type it to keep it in the keyring</source>
        <translation>liegt jetzt anderswo; eintippen, um es im Schlüsselbund zu halten</translation>
    </message>
    <message>
        <source>Not saved: %1</source>
        <translation>Nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>&amp;Remove Account…</source>
        <translation>Konto en&amp;tfernen…</translation>
    </message>
    <message>
        <source>Remove account</source>
        <translation>Konto entfernen</translation>
    </message>
    <message>
        <source>Remove Account</source>
        <translation>Konto entfernen</translation>
    </message>
    <message>
        <source>Remove the account %1?</source>
        <translation>Das Konto %1 entfernen?</translation>
    </message>
    <message>
        <source>Its lists stay on this computer, no longer synced; the server keeps them. Its password leaves the keyring.</source>
        <translation>Seine Listen bleiben auf diesem Computer, ohne Abgleich; der Server behält sie. Sein Passwort wird aus dem Schlüsselbund entfernt.</translation>
    </message>
    <message>
        <source>Also &amp;delete its lists and their tasks on this computer</source>
        <translation>Auch seine Listen und deren Aufgaben auf diesem Computer &amp;löschen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Not removed: %1</source>
        <translation>Nicht entfernt: %1</translation>
    </message>
    <message>
        <source>Removed, but: %1</source>
        <translation>Entfernt, aber: %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::DetailsPane</name>
    <message>
        <source>Flagged</source>
        <translation>Markiert</translation>
    </message>
    <message>
        <source>Task details</source>
        <translation>Aufgabendetails</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Due</source>
        <translation>Fällig</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>A date as in quick entry: “fri 5pm”, “2031-12-24”, “in 3 days”. Without a time the task is due all day; empty: no due.</source>
        <translation>Ein Datum wie in der Schnelleingabe: „fr 17 Uhr“, „2031-12-24“, „in 3 Tagen“. Ohne Uhrzeit ist die Aufgabe den ganzen Tag fällig; leer: kein Termin.</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>Priorität</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>Mittel</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Schlagwörter</translation>
    </message>
    <message>
        <source>errand, home</source>
        <translation>Besorgung, Zuhause</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::MainWindow</name>
    <message>
        <source>Zarvo</source>
        <translation>Zarvo</translation>
    </message>
    <message>
        <source>Tasks</source>
        <translation>Aufgaben</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Search tasks</source>
        <translation>Aufgaben durchsuchen</translation>
    </message>
    <message>
        <source>Order</source>
        <translation>Reihenfolge</translation>
    </message>
    <message>
        <source>By due date</source>
        <translation>Nach Fälligkeit</translation>
    </message>
    <message>
        <source>By priority</source>
        <translation>Nach Priorität</translation>
    </message>
    <message>
        <source>Newest first</source>
        <translation>Neueste zuerst</translation>
    </message>
    <message>
        <source>By title</source>
        <translation>Nach Titel</translation>
    </message>
    <message>
        <source>Overdue first</source>
        <translation>Überfällige zuerst</translation>
    </message>
    <message>
        <source>Sync problem</source>
        <translation>Problem beim Abgleich</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Dismiss the sync problem</source>
        <translation>Hinweis zum Abgleich schließen</translation>
    </message>
    <message>
        <source>New list</source>
        <translation>Neue Liste</translation>
    </message>
    <message>
        <source>Waiting for %1 to finish with the home…</source>
        <translation>Warte, bis %1 mit dem Ordner fertig ist…</translation>
    </message>
    <message>
        <source>No date found in “%1”; the due is unchanged.</source>
        <translation>Kein Datum in „%1“ gefunden; der Termin bleibt.</translation>
    </message>
    <message>
        <source>Complete</source>
        <translation>Erledigen</translation>
    </message>
    <message>
        <source>Flag</source>
        <translation>Markieren</translation>
    </message>
    <message>
        <source>Move to…</source>
        <translation>Verschieben nach…</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Undone: %1</source>
        <translation>Rückgängig gemacht: %1</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Redone: %1</source>
        <translation>Wiederholt: %1</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Sort By</source>
        <translation>&amp;Sortieren</translation>
    </message>
    <message>
        <source>Sync Now</source>
        <translation>Jetzt abgleichen</translation>
    </message>
    <message>
        <source>&amp;Sync</source>
        <translation>A&amp;bgleich</translation>
    </message>
    <message>
        <source>Syncing…</source>
        <translation>Abgleich läuft…</translation>
    </message>
    <message>
        <source>Syncing… %1</source>
        <translation>Abgleich läuft… %1</translation>
    </message>
    <message>
        <source>Synced.</source>
        <translation>Abgeglichen.</translation>
    </message>
    <message>
        <source>Sync failed: %1</source>
        <translation>Abgleich fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Remove List</source>
        <translation>Liste entfernen</translation>
    </message>
    <message numerus="yes">
        <source>Remove “%1” and all its tasks (%n open)?</source>
        <translation>
            <numerusform>„%1“ und alle Aufgaben darin entfernen (%n offen)?</numerusform>
            <numerusform>„%1“ und alle Aufgaben darin entfernen (%n offen)?</numerusform>
        </translation>
    </message>
    <message>
        <source>Completed tasks go with it. Edit → Undo brings the list back.</source>
        <translation>Erledigte Aufgaben gehen mit. Bearbeiten → Rückgängig holt die Liste zurück.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>That task is no longer open.</source>
        <translation>Diese Aufgabe ist nicht mehr offen.</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>%1 rückgängig machen</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>%1 wiederholen</translation>
    </message>
    <message>
        <source>Reading your tasks…</source>
        <translation>Aufgaben werden gelesen…</translation>
    </message>
    <message numerus="yes">
        <source>%n task file(s) skipped (unreadable, or a second file of one task); ZARVO_LOG_LEVEL=error shows which and why</source>
        <translation>
            <numerusform>%n Aufgabendatei übersprungen (unlesbar oder eine zweite Datei einer Aufgabe); ZARVO_LOG_LEVEL=error zeigt welche und warum</numerusform>
            <numerusform>%n Aufgabendateien übersprungen (unlesbar oder eine zweite Datei einer Aufgabe); ZARVO_LOG_LEVEL=error zeigt welche und warum</numerusform>
        </translation>
    </message>
    <message>
        <source>Move to list</source>
        <translation>In Liste verschieben</translation>
    </message>
    <message>
        <source>Your order</source>
        <translation>Eigene Reihenfolge</translation>
    </message>
    <message>
        <source>&amp;Accounts…</source>
        <translation>&amp;Konten…</translation>
    </message>
    <message>
        <source>Account %1 saved; Sync Now fetches its lists.</source>
        <translation>Konto %1 gespeichert; „Jetzt abgleichen“ holt seine Listen.</translation>
    </message>
    <message>
        <source>Account %1 removed, and its lists on this computer.</source>
        <translation>Konto %1 entfernt, mit seinen Listen auf diesem Computer.</translation>
    </message>
    <message>
        <source>Account %1 removed; its lists stay here, no longer synced.</source>
        <translation>Konto %1 entfernt; seine Listen bleiben hier, ohne Abgleich.</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::QuickAddBox</name>
    <message>
        <source>Quick Add</source>
        <translation>Schnell hinzufügen</translation>
    </message>
    <message>
        <source>Quick add</source>
        <translation>Schnell hinzufügen</translation>
    </message>
    <message>
        <source>Not added: %1</source>
        <translation>Nicht hinzugefügt: %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::QuickEntry</name>
    <message>
        <source>New task: &quot;Call Anna tomorrow 5pm #Work !!&quot;</source>
        <translation>Neue Aufgabe: „Anna morgen 17 Uhr anrufen #Arbeit !!“</translation>
    </message>
    <message>
        <source>Quick entry</source>
        <translation>Schnelleingabe</translation>
    </message>
    <message>
        <source>What Enter creates</source>
        <translation>Was Eingabe anlegt</translation>
    </message>
    <message>
        <source>Type a task; a date, #list and !! are understood.</source>
        <translation>Aufgabe eingeben; Datum, #Liste und !! werden erkannt.</translation>
    </message>
    <message>
        <source>Nothing is left for a title.</source>
        <translation>Für einen Titel bleibt nichts übrig.</translation>
    </message>
    <message>
        <source>Due %1</source>
        <translation>Fällig %1</translation>
    </message>
    <message>
        <source>in %1</source>
        <translation>in %1</translation>
    </message>
    <message>
        <source>no list &quot;%1&quot;: in %2</source>
        <translation>keine Liste „%1“: in %2</translation>
    </message>
    <message>
        <source>flagged</source>
        <translation>markiert</translation>
    </message>
    <message>
        <source>repeats</source>
        <translation>wiederholt sich</translation>
    </message>
    <message>
        <source>1 day</source>
        <translation>1 Tag</translation>
    </message>
    <message>
        <source>%1 days</source>
        <translation>%1 Tage</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 Stunde</translation>
    </message>
    <message>
        <source>%1 hours</source>
        <translation>%1 Stunden</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 Minute</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 Minuten</translation>
    </message>
    <message>
        <source>reminder %1 before</source>
        <translation>Erinnerung %1 vorher</translation>
    </message>
    <message>
        <source>reminder in %1</source>
        <translation>Erinnerung in %1</translation>
    </message>
    <message>
        <source>reminder %1</source>
        <translation>Erinnerung %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::Sidebar</name>
    <message>
        <source>Lists</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>Heute</translation>
    </message>
    <message>
        <source>Upcoming</source>
        <translation>Demnächst</translation>
    </message>
    <message>
        <source>Flagged</source>
        <translation>Markiert</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Wichtig</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Gelb</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Lila</translation>
    </message>
    <message>
        <source>Brown</source>
        <translation>Braun</translation>
    </message>
    <message>
        <source>Grey</source>
        <translation>Grau</translation>
    </message>
    <message>
        <source>Colour of %1</source>
        <translation>Farbe von %1</translation>
    </message>
    <message>
        <source>Remove List…</source>
        <translation>Liste entfernen…</translation>
    </message>
    <message>
        <source>My Lists</source>
        <translation>Meine Listen</translation>
    </message>
    <message>
        <source>This computer</source>
        <translation>Dieser Computer</translation>
    </message>
    <message>
        <source>%1, folded</source>
        <translation>%1, eingeklappt</translation>
    </message>
    <message>
        <source>%1, unfolded</source>
        <translation>%1, ausgeklappt</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::SyncController</name>
    <message>
        <source>%1: failed</source>
        <translation>%1: fehlgeschlagen</translation>
    </message>
    <message numerus="yes">
        <source>%n added here</source>
        <translation>
            <numerusform>%n hier hinzugefügt</numerusform>
            <numerusform>%n hier hinzugefügt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n updated here</source>
        <translation>
            <numerusform>%n hier geändert</numerusform>
            <numerusform>%n hier geändert</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted here</source>
        <translation>
            <numerusform>%n hier gelöscht</numerusform>
            <numerusform>%n hier gelöscht</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n added on the server</source>
        <translation>
            <numerusform>%n auf dem Server hinzugefügt</numerusform>
            <numerusform>%n auf dem Server hinzugefügt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n updated on the server</source>
        <translation>
            <numerusform>%n auf dem Server geändert</numerusform>
            <numerusform>%n auf dem Server geändert</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted on the server</source>
        <translation>
            <numerusform>%n auf dem Server gelöscht</numerusform>
            <numerusform>%n auf dem Server gelöscht</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n conflict(s)</source>
        <translation>
            <numerusform>%n Konflikt</numerusform>
            <numerusform>%n Konflikte</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: up to date</source>
        <translation>%1: aktuell</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::TaskModel</name>
    <message>
        <source>flagged</source>
        <translation>markiert</translation>
    </message>
</context>
</TS>
