<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ACLWidget</name>
    <message>
        <source>Module</source>
        <translation>Modul</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keines</translation>
    </message>
    <message>
        <source>Save NTFS-ACLs in Extended Attributes</source>
        <translation>NTFS-ACLs in erweiterten Attributen speichern</translation>
    </message>
    <message>
        <source>Xattr</source>
        <translation>Xattr</translation>
    </message>
    <message>
        <source>Save NTFS-ACLs in a tdb file</source>
        <translation>NTFS-ACLs in einer tdb-Datei speichern</translation>
    </message>
    <message>
        <source>TDB</source>
        <translation>TDB</translation>
    </message>
    <message>
        <source>Module Options</source>
        <translation>Moduloptionen</translation>
    </message>
    <message>
        <source>Ignore system ACLs</source>
        <translation>System-ACLs ignorieren</translation>
    </message>
    <message>
        <source>Type of ACL that is synthesized in case a file or directory lacks an security.NTACL xattr.</source>
        <translation>Art der ACL, die erzeugt wird, wenn eine Datei oder ein Verzeichnis kein security.NTACL-xattr hat.</translation>
    </message>
    <message>
        <source>Default ACL style:</source>
        <translation>Standard-ACL-Stil:</translation>
    </message>
    <message>
        <source>controls whether smbd will attempt to map UNIX permissions into Windows NT access control lists.</source>
        <translation>legt fest, ob smbd versucht, UNIX-Berechtigungen auf Windows-NT-Zugriffssteuerungslisten abzubilden.</translation>
    </message>
    <message>
        <source>NT ACL support</source>
        <translation>NT-ACL-Unterstützung</translation>
    </message>
    <message>
        <source>This parameter can be used to ensure that if default acls exist on parent directories, they are always honored when creating a new file or subdirectory in these parent directories.</source>
        <translation>Mit diesem Parameter werden Standard-ACLs übergeordneter Verzeichnisse stets beachtet, wenn darin eine neue Datei oder ein neues Unterverzeichnis angelegt wird.</translation>
    </message>
    <message>
        <source>Inherit ACLs</source>
        <translation>ACLs vererben</translation>
    </message>
    <message>
        <source>Controls whether smbd will attempt to map the &apos;inherit&apos; and &apos;protected&apos; access control entry flags stored in Windows ACLs into an extended attribute called user.SAMBA_PAI.</source>
        <translation>Legt fest, ob smbd versucht, die in Windows-ACLs gespeicherten Flags &apos;inherit&apos; und &apos;protected&apos; der Zugriffssteuerungseinträge in einem erweiterten Attribut namens user.SAMBA_PAI abzubilden.</translation>
    </message>
    <message>
        <source>Map ACL inherit</source>
        <translation>ACL-Vererbung abbilden</translation>
    </message>
    <message>
        <source>Enabling this parameter allows a user who has write access to the file (by whatever means, including an ACL permission) to modify the permissions (including ACL) on it.</source>
        <translation>Ist dieser Parameter aktiviert, darf ein Benutzer mit Schreibzugriff auf eine Datei (gleich auf welchem Weg, auch über eine ACL-Berechtigung) deren Berechtigungen (einschließlich der ACL) ändern.</translation>
    </message>
    <message>
        <source>DOS filemode</source>
        <translation>DOS-Dateimodus</translation>
    </message>
    <message>
        <source>Samba attempts to first read DOS attributes from a filesystem extended attribute, before mapping DOS attributes to UNIX permission bits.</source>
        <translation>Samba liest DOS-Attribute zuerst aus einem erweiterten Attribut des Dateisystems, bevor es DOS-Attribute auf UNIX-Berechtigungsbits abbildet.</translation>
    </message>
    <message>
        <source>Store DOS attributes</source>
        <translation>DOS-Attribute speichern</translation>
    </message>
    <message>
        <source>This boolean parameter controls the behaviour of smbd when receiving a protocol request of &quot;open for execution&quot; from a Windows client.</source>
        <translation>Dieser boolesche Parameter legt fest, wie sich smbd verhält, wenn ein Windows-Client eine Protokollanfrage „zum Ausführen öffnen“ sendet.</translation>
    </message>
    <message>
        <source>ACL allow execute always</source>
        <translation>ACL: Ausführen immer erlauben</translation>
    </message>
    <message>
        <source>This parameter allows Samba to also permit delegation of the control over a point in the exported directory hierarchy in much the same way as Windows.</source>
        <translation>Mit diesem Parameter kann Samba wie Windows die Kontrolle über einen Punkt der freigegebenen Verzeichnishierarchie delegieren.</translation>
    </message>
    <message>
        <source>ACL group control</source>
        <translation>ACL-Gruppenkontrolle</translation>
    </message>
    <message>
        <source>This boolean parameter controls whether smbd(8) maps a POSIX ACE entry of &quot;rwx&quot; (read/write/execute), the maximum allowed POSIX permission set, into a Windows ACL of &quot;FULL CONTROL&quot;.</source>
        <translation>Dieser boolesche Parameter legt fest, ob smbd(8) einen POSIX-ACE-Eintrag „rwx“ (Lesen/Schreiben/Ausführen), die höchste POSIX-Berechtigung, auf eine Windows-ACL „VOLLZUGRIFF“ abbildet.</translation>
    </message>
    <message>
        <source>ACL map full control</source>
        <translation>ACL: Vollzugriff abbilden</translation>
    </message>
    <message>
        <source>If this parameter is set, a Windows NT ACL that contains an unknown SID (security descriptor, or representation of a user or group id) as the owner or group owner of the file will be silently mapped into the current UNIX uid or gid of the currently connected user. </source>
        <translation>Ist dieser Parameter gesetzt, wird eine Windows-NT-ACL, die eine unbekannte SID (Sicherheitsbeschreibung bzw. Darstellung einer Benutzer- oder Gruppen-ID) als Besitzer oder Gruppenbesitzer der Datei enthält, stillschweigend auf die aktuelle UNIX-UID bzw. -GID des verbundenen Benutzers abgebildet. </translation>
    </message>
    <message>
        <source>Force unknown ACL user</source>
        <translation>Unbekannten ACL-Benutzer erzwingen</translation>
    </message>
    <message>
        <source>By default (Use predefinded samba parameters).</source>
        <translation>Standard (vordefinierte Samba-Parameter verwenden).</translation>
    </message>
    <message>
        <source>By default (Use global samba server parameters).</source>
        <translation>Standard (globale Parameter des Samba-Servers verwenden).</translation>
    </message>
</context>
<context>
    <name>AccountCommand</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>AccountListDialog</name>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Question</source>
        <translation>Frage</translation>
    </message>
    <message>
        <source>Edit...</source>
        <translation>Bearbeiten …</translation>
    </message>
    <message>
        <source>Delete...</source>
        <translation>Löschen …</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
</context>
<context>
    <name>Audit</name>
    <message>
        <source>%1 is not a regular file; it is not replaced.</source>
        <translation>%1 ist keine reguläre Datei und wird nicht ersetzt.</translation>
    </message>
    <message>
        <source>%1 has %2 hard links; replacing it would leave the other names with the old text. Remove the other links first.</source>
        <translation>%1 hat %2 harte Links; beim Ersetzen behielten die anderen Namen den alten Inhalt. Entfernen Sie zuerst die anderen Links.</translation>
    </message>
    <message>
        <source>Can&apos;t examine %1: %2.</source>
        <translation>%1 kann nicht geprüft werden: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t create a temporary file beside %1: %2.</source>
        <translation>Neben %1 kann keine temporäre Datei angelegt werden: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t examine the temporary file %1: %2.</source>
        <translation>Die temporäre Datei %1 kann nicht geprüft werden: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t read the extended attributes of %1: %2.</source>
        <translation>Die erweiterten Attribute von %1 können nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t copy the extended attribute %1 of %2: %3.</source>
        <translation>Das erweiterte Attribut %1 von %2 kann nicht kopiert werden: %3.</translation>
    </message>
    <message>
        <source>No temporary file is open for %1.</source>
        <translation>Für %1 ist keine temporäre Datei geöffnet.</translation>
    </message>
    <message>
        <source>Can&apos;t write a file %1: %2.</source>
        <translation>Die Datei %1 kann nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <source>The temporary file %1 is not written to disk; %2 is not changed.</source>
        <translation>Die temporäre Datei %1 wurde nicht auf die Festplatte geschrieben; %2 bleibt unverändert.</translation>
    </message>
    <message>
        <source>The temporary file %1 was replaced while it was checked; %2 is not changed.</source>
        <translation>Die temporäre Datei %1 wurde während der Prüfung ersetzt; %2 bleibt unverändert.</translation>
    </message>
    <message>
        <source>Failed to rename file %1 to file %2: %3.</source>
        <translation>Die Datei %1 konnte nicht in %2 umbenannt werden: %3.</translation>
    </message>
    <message>
        <source>Not a regular file</source>
        <translation>Keine reguläre Datei</translation>
    </message>
    <message>
        <source>Can&apos;t create the lock directory %1: %2.</source>
        <translation>Das Sperrverzeichnis %1 kann nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t use the lock directory %1: %2.</source>
        <translation>Das Sperrverzeichnis %1 kann nicht verwendet werden: %2.</translation>
    </message>
    <message>
        <source>The lock directory %1 is not a directory that only its owner can use.</source>
        <translation>Das Sperrverzeichnis %1 ist kein Verzeichnis, das nur sein Besitzer nutzen kann.</translation>
    </message>
    <message>
        <source>Can&apos;t open the lock file %1: %2.</source>
        <translation>Die Sperrdatei %1 kann nicht geöffnet werden: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t lock %1: %2.</source>
        <translation>%1 kann nicht gesperrt werden: %2.</translation>
    </message>
    <message>
        <source>Another save of this file is under way (%1, process %2). Try again when it has finished.</source>
        <translation>Diese Datei wird gerade anderweitig gespeichert (%1, Prozess %2). Versuchen Sie es erneut, wenn dies abgeschlossen ist.</translation>
    </message>
    <message>
        <source>unknown program</source>
        <translation>unbekanntes Programm</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>Can&apos;t write the lock file %1: %2.</source>
        <translation>Die Sperrdatei %1 kann nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <source>The share name &quot;%1&quot; contains a line break and cannot be written to smb.conf.</source>
        <translation>Der Freigabename „%1“ enthält einen Zeilenumbruch und kann nicht in die smb.conf geschrieben werden.</translation>
    </message>
    <message>
        <source>Can&apos;t open %1: %2.</source>
        <translation>%1 kann nicht geöffnet werden: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t read %1: %2.</source>
        <translation>%1 kann nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>smb.conf was changed by another program after it was loaded. Reload it before saving.</source>
        <translation>Die smb.conf wurde nach dem Laden von einem anderen Programm geändert. Laden Sie sie vor dem Speichern neu.</translation>
    </message>
    <message>
        <source>No data will be saved.</source>
        <translation>Es werden keine Daten gespeichert.</translation>
    </message>
    <message>
        <source>Failed to run testparm.</source>
        <translation>testparm konnte nicht ausgeführt werden.</translation>
    </message>
    <message>
        <source>Samba configuration will not be saved.</source>
        <translation>Die Samba-Konfiguration wird nicht gespeichert.</translation>
    </message>
    <message>
        <source>Samba configuration file contains errors.</source>
        <translation>Die Samba-Konfigurationsdatei enthält Fehler.</translation>
    </message>
    <message>
        <source>testparm output is:</source>
        <translation>Ausgabe von testparm:</translation>
    </message>
    <message>
        <source>Nothing is restored.</source>
        <translation>Es wird nichts wiederhergestellt.</translation>
    </message>
    <message>
        <source>Can&apos;t add Samba user %1: %2</source>
        <translation>Der Samba-Benutzer %1 kann nicht hinzugefügt werden: %2</translation>
    </message>
    <message>
        <source>Can&apos;t delete Samba user %1: %2</source>
        <translation>Der Samba-Benutzer %1 kann nicht gelöscht werden: %2</translation>
    </message>
    <message>
        <source>Can&apos;t add Samba group %1: %2</source>
        <translation>Die Samba-Gruppe %1 kann nicht hinzugefügt werden: %2</translation>
    </message>
    <message>
        <source>Can&apos;t delete Samba group %1: %2</source>
        <translation>Die Samba-Gruppe %1 kann nicht gelöscht werden: %2</translation>
    </message>
    <message>
        <source>Can&apos;t set the password of Samba user %1: %2</source>
        <translation>Das Passwort des Samba-Benutzers %1 kann nicht gesetzt werden: %2</translation>
    </message>
    <message>
        <source>%1 exited with code %2.</source>
        <translation>%1 wurde mit Code %2 beendet.</translation>
    </message>
    <message>
        <source>Error occur during samba user extraction.
Check samba installation or access rights.</source>
        <translation>Beim Auslesen der Samba-Benutzer ist ein Fehler aufgetreten.
Prüfen Sie die Samba-Installation oder die Zugriffsrechte.</translation>
    </message>
    <message>
        <source>Error occur during samba group extraction.
Check samba installation or access rights.</source>
        <translation>Beim Auslesen der Samba-Gruppen ist ein Fehler aufgetreten.
Prüfen Sie die Samba-Installation oder die Zugriffsrechte.</translation>
    </message>
    <message>
        <source>The account name is empty.</source>
        <translation>Der Kontoname ist leer.</translation>
    </message>
    <message>
        <source>An account name cannot begin with “-”: %1</source>
        <translation>Ein Kontoname darf nicht mit „-“ beginnen: %1</translation>
    </message>
    <message>
        <source>no guest account</source>
        <translatorcomment>A marker compared in the configuration: keep it untranslated.</translatorcomment>
        <translation>no guest account</translation>
    </message>
    <message>
        <source>Samba&apos;s registry configuration was not read, so its shares cannot be saved. %1</source>
        <translation>Sambas Registry-Konfiguration wurde nicht gelesen, daher können ihre Freigaben nicht gespeichert werden. %1</translation>
    </message>
    <message>
        <source>The registry was put back as it was.</source>
        <translation>Die Registry wurde wiederhergestellt, wie sie war.</translation>
    </message>
    <message>
        <source>The registry could not be put back as it was: %1</source>
        <translation>Die Registry konnte nicht wiederhergestellt werden, wie sie war: %1</translation>
    </message>
    <message>
        <source>smb.conf does not lead Samba to its registry configuration (include = registry), so no share can be moved.</source>
        <translation>smb.conf verweist Samba nicht auf seine Registry-Konfiguration (include = registry), daher kann keine Freigabe verschoben werden.</translation>
    </message>
    <message>
        <source>smb.conf has no share &quot;%1&quot;.</source>
        <translation>smb.conf hat keine Freigabe „%1“.</translation>
    </message>
    <message>
        <source>The registry holds a share &quot;%1&quot; already.</source>
        <translation>Die Registry enthält bereits eine Freigabe „%1“.</translation>
    </message>
    <message>
        <source>The share &quot;%1&quot; sets &quot;%2&quot;, which the registry cannot hold.</source>
        <translation>Die Freigabe „%1“ setzt „%2“, was die Registry nicht aufnehmen kann.</translation>
    </message>
    <message>
        <source>The registry has no share &quot;%1&quot;.</source>
        <translation>Die Registry hat keine Freigabe „%1“.</translation>
    </message>
    <message>
        <source>smb.conf holds a share &quot;%1&quot; already.</source>
        <translation>smb.conf enthält bereits eine Freigabe „%1“.</translation>
    </message>
    <message>
        <source>Samba&apos;s registry configuration is not available here.</source>
        <translation>Sambas Registry-Konfiguration ist hier nicht verfügbar.</translation>
    </message>
    <message>
        <source>Samba reads its configuration from the registry already (config backend = registry).</source>
        <translation>Samba liest seine Konfiguration bereits aus der Registry (config backend = registry).</translation>
    </message>
    <message>
        <source>Nothing is changed.</source>
        <translation>Es wird nichts geändert.</translation>
    </message>
    <message>
        <source>Samba&apos;s registry configuration was changed by another program after it was loaded. Reload it before saving.</source>
        <translation>Sambas Registry-Konfiguration wurde nach dem Laden von einem anderen Programm geändert. Laden Sie sie vor dem Speichern neu.</translation>
    </message>
    <message>
        <source>Can&apos;t read Samba&apos;s registry configuration: %1</source>
        <translation>Sambas Registry-Konfiguration kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Samba&apos;s registry configuration could not be changed: %1</source>
        <translation>Sambas Registry-Konfiguration konnte nicht geändert werden: %1</translation>
    </message>
    <message>
        <source>Samba also reads its registry configuration, which could not be read: %1 Nothing is saved until it can be read.</source>
        <translation>Samba liest auch seine Registry-Konfiguration, die nicht gelesen werden konnte: %1 Nichts wird gespeichert, bis sie gelesen werden kann.</translation>
    </message>
    <message>
        <source>The registry configuration cannot hold &quot;%1&quot;: nothing is changed.</source>
        <translation>Die Registry-Konfiguration kann „%1“ nicht aufnehmen: Nichts wird geändert.</translation>
    </message>
    <message>
        <source>Samba reads only its registry configuration (config backend = registry): a share in smb.conf would not be served.</source>
        <translation>Samba liest nur seine Registry-Konfiguration (config backend = registry): Eine Freigabe in smb.conf würde nicht angeboten.</translation>
    </message>
    <message>
        <source>The lock %1 is still held, although process %2 (%3) that took it has ended, and no process here has it open. End the program that holds it, then save again.</source>
        <translation>Die Sperre %1 ist noch belegt, obwohl der Prozess %2 (%3), der sie genommen hat, beendet ist, und kein Prozess hier sie geöffnet hat. Beenden Sie das Programm, das sie hält, und speichern Sie dann erneut.</translation>
    </message>
    <message>
        <source>The lock of this file is still held by process %1, although process %2 (%3) that took it has ended. End it (kill %4), then save again.</source>
        <translation>Die Sperre dieser Datei wird noch von Prozess %1 gehalten, obwohl der Prozess %2 (%3), der sie genommen hat, beendet ist. Beenden Sie ihn (kill %4) und speichern Sie dann erneut.</translation>
    </message>
    <message>
        <source>Version %1 of the history holds it; restore that version.</source>
        <translation>Version %1 des Verlaufs enthält sie; stellen Sie diese Version wieder her.</translation>
    </message>
    <message>
        <source>A Samba password cannot contain a line break or a NUL character.</source>
        <translation>Ein Samba-Passwort darf keinen Zeilenumbruch und kein NUL-Zeichen enthalten.</translation>
    </message>
    <message>
        <source>Samba takes passwords of at most %1 bytes (in UTF-8); this one has %2.</source>
        <translation>Samba nimmt Passwörter von höchstens %1 Bytes (in UTF-8); dieses hat %2.</translation>
    </message>
    <message>
        <source>Can&apos;t lock the temporary file %1: %2.</source>
        <translation>Die temporäre Datei %1 kann nicht gesperrt werden: %2.</translation>
    </message>
    <message>
        <source>testparm could not show what Samba would serve: %1</source>
        <translation>testparm konnte nicht zeigen, was Samba bereitstellen würde: %1</translation>
    </message>
    <message>
        <source>smb.conf was changed by %1 (%2, at %3) after it was loaded. Reload it before saving.</source>
        <translation>smb.conf wurde nach dem Laden von %1 (%2, um %3) geändert. Laden Sie sie neu, bevor Sie speichern.</translation>
    </message>
</context>
<context>
    <name>AuditOperationModel</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>Erfolg</translation>
    </message>
    <message>
        <source>Failure</source>
        <translation>Fehlschlag</translation>
    </message>
</context>
<context>
    <name>BackendConnection</name>
    <message>
        <source>Cannot start %1 to reach %2: %3.</source>
        <translation>%1 kann nicht gestartet werden, um %2 zu erreichen: %3.</translation>
    </message>
    <message>
        <source>%1 did not answer within %2 seconds.</source>
        <translation>%1 hat nicht innerhalb von %2 Sekunden geantwortet.</translation>
    </message>
    <message>
        <source>%1 did not answer as Shareward&apos;s backend does: %2</source>
        <translation>%1 hat nicht wie das Backend von Shareward geantwortet: %2</translation>
    </message>
    <message>
        <source>The connection to %1 is closed.</source>
        <translation>Die Verbindung zu %1 ist geschlossen.</translation>
    </message>
    <message>
        <source>The connection to %1 was lost. %2</source>
        <translation>Die Verbindung zu %1 ist abgebrochen. %2</translation>
    </message>
    <message>
        <source>%1 sent an answer that is not Shareward&apos;s protocol.</source>
        <translation>%1 hat eine Antwort gesendet, die nicht dem Protokoll von Shareward entspricht.</translation>
    </message>
    <message>
        <source>%1 answered another request than the one asked.</source>
        <translation>%1 hat auf eine andere als die gestellte Anfrage geantwortet.</translation>
    </message>
    <message>
        <source>%1 sent an answer longer than the protocol allows.</source>
        <translation>%1 hat eine längere Antwort gesendet, als das Protokoll erlaubt.</translation>
    </message>
    <message>
        <source>The backend on %1 ended before answering.</source>
        <translation>Das Backend auf %1 wurde beendet, bevor es antwortete.</translation>
    </message>
    <message>
        <source>The backend on %1 ended before answering: %2</source>
        <translation>Das Backend auf %1 wurde beendet, bevor es antwortete: %2</translation>
    </message>
</context>
<context>
    <name>BackendProtocol</name>
    <message>
        <source>Shareward %1 on %2 is too old for Shareward %3 here: upgrade the shareward package on %2.</source>
        <translation>Shareward %1 auf %2 ist zu alt für Shareward %3 hier: Aktualisieren Sie das Paket shareward auf %2.</translation>
    </message>
    <message>
        <source>Shareward %1 on %2 is too new for Shareward %3 here: upgrade the shareward package on this computer.</source>
        <translation>Shareward %1 auf %2 ist zu neu für Shareward %3 hier: Aktualisieren Sie das Paket shareward auf diesem Computer.</translation>
    </message>
</context>
<context>
    <name>ConfigDialog</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Access Control Lists</source>
        <translation>Zugriffssteuerungslisten</translation>
    </message>
    <message>
        <source>&amp;Basic</source>
        <translation>Allge&amp;mein</translation>
    </message>
    <message>
        <source>&amp;Workgroup</source>
        <translation>&amp;Arbeitsgruppe</translation>
    </message>
    <message>
        <source>&amp;Description</source>
        <translation>&amp;Beschreibung</translation>
    </message>
    <message>
        <source>Share Printers:</source>
        <translation>Drucker freigeben:</translation>
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
        <source>Loads catia, fruit and streams_xattr for every share, with the fruit settings Samba recommends for macOS clients.</source>
        <translation>Lädt catia, fruit und streams_xattr für jede Freigabe, mit den fruit-Einstellungen, die Samba für macOS-Clients empfiehlt.</translation>
    </message>
    <message>
        <source>Settings for macOS clients</source>
        <translation>Einstellungen für macOS-Clients</translation>
    </message>
    <message>
        <source>&amp;Security</source>
        <translation>&amp;Sicherheit</translation>
    </message>
    <message>
        <source>Auth mode</source>
        <translation>Authentifizierungsmodus</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;USER&lt;/b&gt; is Samba&apos;s ordinary user level mode. Whoever connects to the server has to give a user name and a password.&lt;/p&gt;&lt;p&gt;A share is open to the users named in its list of valid users, or to the guest account when the share admits guests. The Samba users are some of the system&apos;s users: each of them must also exist as an account on this machine.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;USER&lt;/b&gt; ist Sambas gewöhnlicher Modus auf Benutzerebene. Wer sich mit dem Server verbindet, muss einen Benutzernamen und ein Passwort angeben.&lt;/p&gt;&lt;p&gt;Eine Freigabe steht den Benutzern ihrer Liste gültiger Benutzer offen, oder dem Gastkonto, wenn die Freigabe Gäste zulässt. Die Samba-Benutzer sind Benutzer des Systems: Jeder von ihnen muss auch als Konto auf diesem Rechner existieren.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;KERBEROS DOMAIN&lt;/b&gt; works like the USER mode, with the Kerberos settings added: the realm and a keytab of Samba&apos;s own. Users who hold a Kerberos ticket can then connect with it instead of typing a password.&lt;/p&gt;&lt;p&gt;Setting up Kerberos itself (the KDC, the realm, the keytab&apos;s keys) is not done here. This mode does not make the server part of a Windows Active Directory domain.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;KERBEROS DOMAIN&lt;/b&gt; arbeitet wie der Modus USER, ergänzt um die Kerberos-Einstellungen: den Realm und eine eigene Keytab für Samba. Benutzer mit einem Kerberos-Ticket können sich dann damit verbinden, statt ein Passwort einzugeben.&lt;/p&gt;&lt;p&gt;Kerberos selbst (KDC, Realm, Schlüssel der Keytab) wird hier nicht eingerichtet. Dieser Modus macht den Server nicht zum Mitglied einer Windows-Active-Directory-Domäne.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;DOMAIN&lt;/b&gt;: the server leaves the checking of users to a Windows NT domain controller, primary or backup.&lt;/p&gt;&lt;p&gt;It hands the user name and password on to that controller and waits for its answer; the server itself authenticates nobody.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;DOMAIN&lt;/b&gt;: Der Server überlässt die Prüfung der Benutzer einem Windows-NT-Domänencontroller (primär oder Backup).&lt;/p&gt;&lt;p&gt;Er reicht Benutzername und Passwort an diesen Controller weiter und wartet auf dessen Antwort; der Server selbst authentifiziert niemanden.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;ADS&lt;/b&gt;: the server joins an Active Directory domain as a member.&lt;/p&gt;&lt;p&gt;Kerberos has to be installed and configured first, and the machine joined to the domain with the &lt;i&gt;net&lt;/i&gt; command of the Samba client tools. The server does not become a domain controller. Enter the domain&apos;s Kerberos realm below.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;ADS&lt;/b&gt;: Der Server tritt einer Active-Directory-Domäne als Mitglied bei.&lt;/p&gt;&lt;p&gt;Dazu muss zuerst Kerberos installiert und eingerichtet und der Rechner mit dem Befehl &lt;i&gt;net&lt;/i&gt; der Samba-Client-Werkzeuge in die Domäne aufgenommen werden. Der Server wird dadurch kein Domänencontroller. Geben Sie unten den Kerberos-Realm der Domäne ein.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&amp;Kerberos realm:</source>
        <translation>&amp;Kerberos-Realm:</translation>
    </message>
    <message>
        <source>&amp;Guest account:</source>
        <translation>&amp;Gastkonto:</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Encript password:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Passwörter verschlüsseln:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>ACL</source>
        <translation>ACL</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
    <message>
        <source>(Unsafe)</source>
        <translation>(unsicher)</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Please specify realm for domain</source>
        <translation>Bitte geben Sie den Realm der Domäne an</translation>
    </message>
    <message>
        <source>Please specify valid security mode</source>
        <translation>Bitte wählen Sie einen gültigen Sicherheitsmodus</translation>
    </message>
    <message>
        <source>Workgroup</source>
        <translation>Arbeitsgruppe</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Kerberos realm</source>
        <translation>Kerberos-Realm</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>testparm: The &quot;encrypt passwords&quot; option is deprecated. Samba always expects encrypted passwords.</source>
        <translation>testparm: The &quot;encrypt passwords&quot; option is deprecated. Samba erwartet immer verschlüsselte Passwörter.</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;SHARE&lt;/b&gt; is the USER mode in which a user name that Samba&apos;s account database does not know, a system account without a Samba account too, logs on as the guest account (security = user, map to guest = Bad User). A known user who gives a wrong password is refused.&lt;/p&gt;&lt;p&gt;The guest can open only the shares that admit guests, as can clients that connect without a user name in every mode. This mode opens no share by itself: each share says whether it admits guests.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;SHARE&lt;/b&gt; ist der Modus USER, in dem ein Benutzername, den Sambas Kontendatenbank nicht kennt, auch ein Systemkonto ohne Samba-Konto, als Gastkonto angemeldet wird (security = user, map to guest = Bad User). Ein bekannter Benutzer mit falschem Passwort wird abgewiesen.&lt;/p&gt;&lt;p&gt;Der Gast kann nur Freigaben öffnen, die Gäste zulassen, wie in jedem Modus auch Clients, die sich ohne Benutzernamen verbinden. Dieser Modus öffnet von sich aus keine Freigabe: Jede Freigabe bestimmt selbst, ob sie Gäste zulässt.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>%1 (Samba&apos;s default)</source>
        <translation>%1 (Sambas Voreinstellung)</translation>
    </message>
</context>
<context>
    <name>ConfigHistory</name>
    <message>
        <source>There is no version %1 in the history %2.</source>
        <translation>Im Verlauf %2 gibt es keine Version %1.</translation>
    </message>
    <message>
        <source>Can&apos;t read %1: %2.</source>
        <translation>%1 kann nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>%1 is damaged: its bytes are not those recorded for version %2.</source>
        <translation>%1 ist beschädigt: Sein Inhalt entspricht nicht dem für Version %2 aufgezeichneten.</translation>
    </message>
    <message>
        <source>Can&apos;t create the history directory %1: %2.</source>
        <translation>Das Verlaufsverzeichnis %1 kann nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t write %1: %2.</source>
        <translation>%1 kann nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t find a free version number in the history directory %1.</source>
        <translation>Im Verlaufsverzeichnis %1 ist keine freie Versionsnummer zu finden.</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
</context>
<context>
    <name>ConfigRepair</name>
    <message>
        <source>Can&apos;t read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>No line of %1 gives the security parameter a value Samba rejects.</source>
        <translation>Keine Zeile in %1 gibt dem Parameter security einen Wert, den Samba ablehnt.</translation>
    </message>
    <message>
        <source>%1 has no [global] section.</source>
        <translation>%1 hat keinen Abschnitt [global].</translation>
    </message>
    <message>
        <source>The other idmap domains of %1 leave no free range of %2 IDs.</source>
        <translation>Die anderen idmap-Domänen in %1 lassen keinen freien Bereich von %2 IDs übrig.</translation>
    </message>
    <message>
        <source>The idmap domain * already has a backend and a range in %1.</source>
        <translation>Die idmap-Domäne * hat in %1 bereits ein Backend und einen Bereich.</translation>
    </message>
    <message>
        <source>There is nothing to repair.</source>
        <translation>Es gibt nichts zu reparieren.</translation>
    </message>
    <message>
        <source>%1 was changed by another program; nothing was repaired.</source>
        <translation>%1 wurde von einem anderen Programm geändert; es wurde nichts repariert.</translation>
    </message>
    <message>
        <source>Can&apos;t write the repaired %1: %2</source>
        <translation>Die reparierte %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>testparm did not accept the repaired %1; nothing was changed.
%2</source>
        <translation>testparm hat die reparierte %1 nicht akzeptiert; es wurde nichts geändert.
%2</translation>
    </message>
    <message>
        <source>Can&apos;t replace %1: %2</source>
        <translation>%1 kann nicht ersetzt werden: %2</translation>
    </message>
    <message>
        <source>invalid security lines removed</source>
        <translation>ungültige security-Zeilen entfernt</translation>
    </message>
    <message>
        <source>idmap range of domain * repaired</source>
        <translation>idmap-Bereich der Domäne * repariert</translation>
    </message>
</context>
<context>
    <name>ConfigTextGate</name>
    <message>
        <source>a space</source>
        <translation>einem Leerzeichen</translation>
    </message>
    <message>
        <source>a tab</source>
        <translation>einem Tabulator</translation>
    </message>
    <message>
        <source>a vertical tab</source>
        <translation>einem vertikalen Tabulator</translation>
    </message>
    <message>
        <source>a form feed</source>
        <translation>einem Seitenvorschub</translation>
    </message>
    <message>
        <source>it contains a line break (LF)</source>
        <translation>er enthält einen Zeilenumbruch (LF)</translation>
    </message>
    <message>
        <source>it contains a line break (CR)</source>
        <translation>er enthält einen Zeilenumbruch (CR)</translation>
    </message>
    <message>
        <source>it contains a NUL character, where Samba stops reading</source>
        <translation>er enthält ein NUL-Zeichen, an dem Samba zu lesen aufhört</translation>
    </message>
    <message>
        <source>it begins with %1, which Samba drops</source>
        <translation>er beginnt mit %1, das Samba weglässt</translation>
    </message>
    <message>
        <source>it ends with %1, which Samba drops</source>
        <translation>er endet mit %1, das Samba weglässt</translation>
    </message>
    <message>
        <source>it ends with a backslash (\), which makes Samba read the next line as part of it</source>
        <translation>er endet mit einem Backslash (\), durch den Samba die nächste Zeile als Teil davon liest</translation>
    </message>
    <message>
        <source>it contains two blanks in a row (%1, then %2), of which Samba keeps only the first</source>
        <translation>er enthält zwei Leerraumzeichen hintereinander (%1, dann %2), von denen Samba nur das erste behält</translation>
    </message>
    <message>
        <source>it is empty</source>
        <translation>er ist leer</translation>
    </message>
    <message>
        <source>it contains &quot;%1&quot;</source>
        <translation>er enthält „%1“</translation>
    </message>
    <message>
        <source>The parameter name &quot;%1&quot; cannot be written to smb.conf: %2.</source>
        <translation>Der Parametername „%1“ kann nicht in die smb.conf geschrieben werden: %2.</translation>
    </message>
    <message>
        <source>The value of &quot;%1&quot; cannot be written to smb.conf: %2.</source>
        <translation>Der Wert von „%1“ kann nicht in die smb.conf geschrieben werden: %2.</translation>
    </message>
    <message>
        <source>The field &quot;%1&quot; cannot be written to smb.conf: %2.</source>
        <translation>Das Feld „%1“ kann nicht in die smb.conf geschrieben werden: %2.</translation>
    </message>
</context>
<context>
    <name>ConfigWriter</name>
    <message>
        <source>&quot;encrypt passwords&quot; is not written: testparm says &quot;The &quot;encrypt passwords&quot; option is deprecated&quot;, and Samba always expects encrypted passwords.</source>
        <translation>„encrypt passwords“ wird nicht geschrieben: testparm sagt „The &quot;encrypt passwords&quot; option is deprecated“, und Samba erwartet immer verschlüsselte Passwörter.</translation>
    </message>
</context>
<context>
    <name>ConnectDialog</name>
    <message>
        <source>Connect to a Server</source>
        <translation>Mit einem Server verbinden</translation>
    </message>
    <message>
        <source>Name, address or ssh alias</source>
        <translation>Name, Adresse oder ssh-Alias</translation>
    </message>
    <message>
        <source>As ssh is configured</source>
        <translation>Wie in ssh eingerichtet</translation>
    </message>
    <message>
        <source>&amp;Host:</source>
        <translation>&amp;Rechner:</translation>
    </message>
    <message>
        <source>&amp;User:</source>
        <translation>&amp;Benutzer:</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>&amp;Port:</translation>
    </message>
    <message>
        <source>Shareward logs in with ssh, using your keys and ssh configuration. On the server, shareward-cli must be installed and run as root: log in as root, or as a user that sudo lets run it.</source>
        <translation>Shareward meldet sich mit ssh an und verwendet Ihre Schlüssel und Ihre ssh-Einrichtung. Auf dem Server muss shareward-cli installiert sein und als root laufen: Melden Sie sich als root an oder als ein Benutzer, dem sudo das Ausführen erlaubt.</translation>
    </message>
    <message>
        <source>C&amp;onnect</source>
        <translation>&amp;Verbinden</translation>
    </message>
    <message>
        <source>This is not a host Shareward can connect to.</source>
        <translation>Mit diesem Rechner kann Shareward keine Verbindung herstellen.</translation>
    </message>
</context>
<context>
    <name>ConnectionModel</name>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Gruppe</translation>
    </message>
    <message>
        <source>Machine</source>
        <translation>Rechner</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>Encryption</source>
        <translation>Verschlüsselung</translation>
    </message>
    <message>
        <source>Signing</source>
        <translation>Signierung</translation>
    </message>
    <message>
        <source>Connected since</source>
        <translation>Verbunden seit</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Freigabe</translation>
    </message>
    <message>
        <source>Connected at</source>
        <translation>Verbunden um</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Access</source>
        <translation>Zugriff</translation>
    </message>
    <message>
        <source>Oplock/lease</source>
        <translation>Oplock/Lease</translation>
    </message>
</context>
<context>
    <name>ConnectionsController</name>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Aktualisieren</translation>
    </message>
    <message>
        <source>Read again who is connected and the state of smbd and nmbd</source>
        <translation>Verbundene Clients und den Zustand von smbd und nmbd neu einlesen</translation>
    </message>
    <message>
        <source>nmbd not checked</source>
        <translation>nmbd nicht geprüft</translation>
    </message>
    <message>
        <source>Refresh (F5) reads the state of nmbd</source>
        <translation>Aktualisieren (F5) liest den Zustand von nmbd</translation>
    </message>
    <message>
        <source>smbd is not running: systemd reports it stopped</source>
        <translation>smbd läuft nicht: systemd meldet ihn als gestoppt</translation>
    </message>
    <message>
        <source>1 session</source>
        <translation>1 Sitzung</translation>
    </message>
    <message>
        <source>%1 sessions</source>
        <translation>%1 Sitzungen</translation>
    </message>
    <message>
        <source>sessions unknown</source>
        <translation>Sitzungen unbekannt</translation>
    </message>
    <message>
        <source>no sessions</source>
        <translation>keine Sitzungen</translation>
    </message>
    <message>
        <source>The clients of smbd process %1 are disconnected.</source>
        <translation>Die Clients des smbd-Prozesses %1 sind getrennt.</translation>
    </message>
    <message>
        <source>smbd process %1 still serves %2.</source>
        <translation>Der smbd-Prozess %1 bedient weiterhin %2.</translation>
    </message>
    <message>
        <source>The share %1 is closed for everyone.</source>
        <translation>Die Freigabe %1 ist für alle geschlossen.</translation>
    </message>
    <message>
        <source>Still connected to the share %1: %2.</source>
        <translation>Noch mit der Freigabe %1 verbunden: %2.</translation>
    </message>
    <message>
        <source>Disconnecting the client...</source>
        <translation>Client wird getrennt …</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>smbd process %1 runs on cluster node %2. End it on that node.</source>
        <translation>Der smbd-Prozess %1 läuft auf dem Cluster-Knoten %2. Beenden Sie ihn auf diesem Knoten.</translation>
    </message>
    <message>
        <source>smbd process %1 was not ended.
%2</source>
        <translation>Der smbd-Prozess %1 wurde nicht beendet.
%2</translation>
    </message>
    <message>
        <source>Closing the share %1...</source>
        <translation>Freigabe %1 wird geschlossen …</translation>
    </message>
    <message>
        <source>The share %1 was not closed.
%2</source>
        <translation>Die Freigabe %1 wurde nicht geschlossen.
%2</translation>
    </message>
    <message>
        <source>Disconnecting the clients of deleted shares...</source>
        <translation>Clients gelöschter Freigaben werden getrennt …</translation>
    </message>
    <message>
        <source>Clients of deleted shares may still be connected: %1</source>
        <translation>Clients gelöschter Freigaben sind möglicherweise noch verbunden: %1</translation>
    </message>
    <message>
        <source>%1 running</source>
        <translation>%1 läuft</translation>
    </message>
    <message>
        <source>%1 stopped</source>
        <translation>%1 gestoppt</translation>
    </message>
    <message>
        <source>%1 failed</source>
        <translation>%1 fehlgeschlagen</translation>
    </message>
    <message>
        <source>%1 state unknown</source>
        <translation>%1 Zustand unbekannt</translation>
    </message>
    <message>
        <source>modified</source>
        <translation>geändert</translation>
    </message>
    <message>
        <source>changed on disk</source>
        <translation>auf der Festplatte geändert</translation>
    </message>
    <message>
        <source>Another program changed smb.conf since it was loaded here: a save is refused until it is loaded again.</source>
        <translation>Ein anderes Programm hat die smb.conf geändert, seit sie hier geladen wurde: Speichern ist erst nach erneutem Laden möglich.</translation>
    </message>
</context>
<context>
    <name>ConnectionsView</name>
    <message>
        <source>%1 on %2</source>
        <translation>%1 auf %2</translation>
    </message>
    <message>
        <source>Disconnect client</source>
        <translation>Client trennen</translation>
    </message>
    <message>
        <source>Close share for everyone</source>
        <translation>Freigabe für alle schließen</translation>
    </message>
    <message>
        <source>Filter by any column</source>
        <translation>Nach beliebiger Spalte filtern</translation>
    </message>
    <message>
        <source>Sessions</source>
        <translation>Sitzungen</translation>
    </message>
    <message>
        <source>Shares in use</source>
        <translation>Benutzte Freigaben</translation>
    </message>
    <message>
        <source>Open files</source>
        <translation>Geöffnete Dateien</translation>
    </message>
    <message>
        <source>Asking smbd who is connected...</source>
        <translation>smbd wird nach den Verbindungen gefragt …</translation>
    </message>
    <message>
        <source>End the smbd process that serves the client of the selected row</source>
        <translation>Den smbd-Prozess beenden, der den Client der gewählten Zeile bedient</translation>
    </message>
    <message>
        <source>Disconnect everyone from the share of the selected row</source>
        <translation>Alle von der Freigabe der gewählten Zeile trennen</translation>
    </message>
    <message>
        <source>smbd is not running: no one is connected.</source>
        <translation>smbd läuft nicht: Niemand ist verbunden.</translation>
    </message>
    <message>
        <source>End the smbd process %1? Its clients are disconnected, and what they have not saved in the files they hold open is lost; most clients connect again by themselves.</source>
        <translation>Den smbd-Prozess %1 beenden? Seine Clients werden getrennt, und was sie in geöffneten Dateien nicht gespeichert haben, geht verloren; die meisten Clients verbinden sich von selbst wieder.</translation>
    </message>
    <message>
        <source>These sessions end:</source>
        <translation>Diese Sitzungen enden:</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Trennen</translation>
    </message>
    <message>
        <source>Close the share &quot;%1&quot; for everyone?</source>
        <translation>Die Freigabe „%1“ für alle schließen?</translation>
    </message>
    <message>
        <source>No one is connected to it now.</source>
        <translation>Derzeit ist niemand mit ihr verbunden.</translation>
    </message>
    <message>
        <source>These users are disconnected from it:</source>
        <translation>Diese Benutzer werden von ihr getrennt:</translation>
    </message>
    <message>
        <source>Close share</source>
        <translation>Freigabe schließen</translation>
    </message>
</context>
<context>
    <name>CreateGroupDialog</name>
    <message>
        <source>Please note that a service group will be created.</source>
        <translation>Bitte beachten Sie: Es wird eine Dienstgruppe angelegt.</translation>
    </message>
</context>
<context>
    <name>CreateUserDialog</name>
    <message>
        <source>Create user</source>
        <translation>Benutzer anlegen</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>User Accounts</source>
        <translation>Benutzerkonten</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Please note that a service user will be created.
To log in, set a password in the desktop&apos;s user account settings.</source>
        <translation>Bitte beachten Sie: Es wird ein Dienstbenutzer angelegt.
Zum Anmelden setzen Sie ein Passwort in den Benutzerkonto-Einstellungen der Arbeitsumgebung.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>GroupDialog</name>
    <message>
        <source>Group name</source>
        <translation>Gruppenname</translation>
    </message>
    <message>
        <source>Create group</source>
        <translation>Gruppe anlegen</translation>
    </message>
</context>
<context>
    <name>GroupsDialog</name>
    <message>
        <source>No present any free system&apos;s group. Please call administrator for entering new one.</source>
        <translation>Es gibt keine freie Systemgruppe. Bitte wenden Sie sich an den Administrator, um eine neue anzulegen.</translation>
    </message>
    <message>
        <source>No group&apos;s selected</source>
        <translation>Keine Gruppe ausgewählt</translation>
    </message>
    <message>
        <source>Are you sure to delete the group?</source>
        <translation>Soll die Gruppe wirklich gelöscht werden?</translation>
    </message>
    <message>
        <source>Add group</source>
        <translation>Gruppe hinzufügen</translation>
    </message>
    <message>
        <source>Delete group</source>
        <translation>Gruppe löschen</translation>
    </message>
</context>
<context>
    <name>HelpMenu</name>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Über</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>HistoryDialog</name>
    <message>
        <source>Compare with the current file</source>
        <translation>Mit der aktuellen Datei vergleichen</translation>
    </message>
    <message>
        <source>Restore this version…</source>
        <translation>Diese Version wiederherstellen …</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programm</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>Zusammenfassung</translation>
    </message>
    <message>
        <source>Compare with the version before it</source>
        <translation>Mit der vorherigen Version vergleichen</translation>
    </message>
    <message>
        <source>No differences.</source>
        <translation>Keine Unterschiede.</translation>
    </message>
    <message>
        <source>No version of smb.conf is stored yet.</source>
        <translation>Es ist noch keine Version der smb.conf gespeichert.</translation>
    </message>
    <message>
        <source>1 version of smb.conf is stored.</source>
        <translation>1 Version der smb.conf ist gespeichert.</translation>
    </message>
    <message>
        <source>%1 versions of smb.conf are stored.</source>
        <translation>%1 Versionen der smb.conf sind gespeichert.</translation>
    </message>
    <message>
        <source>Only the newest is kept.</source>
        <translation>Nur die neueste wird behalten.</translation>
    </message>
    <message>
        <source>The newest %1 are kept.</source>
        <translation>Die neuesten %1 werden behalten.</translation>
    </message>
    <message>
        <source>%1 (registry)</source>
        <translation>%1 (Registry)</translation>
    </message>
    <message>
        <source>A version of Samba&apos;s registry configuration</source>
        <translation>Eine Version von Sambas Registry-Konfiguration</translation>
    </message>
</context>
<context>
    <name>InstanceLock</name>
    <message>
        <source>There is no directory for the lock that only this user can change.</source>
        <translation>Es gibt kein Verzeichnis für die Sperre, das nur dieser Benutzer ändern kann.</translation>
    </message>
    <message>
        <source>Can&apos;t open the lock file %1: %2.</source>
        <translation>Die Sperrdatei %1 kann nicht geöffnet werden: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t lock %1: %2.</source>
        <translation>%1 kann nicht gesperrt werden: %2.</translation>
    </message>
</context>
<context>
    <name>LocalBackend</name>
    <message>
        <source>Managing the Samba server on %1 needs an administrator&apos;s password; the authentication was cancelled.</source>
        <translation>Die Verwaltung des Samba-Servers auf %1 erfordert das Passwort eines Administrators; die Legitimierung wurde abgebrochen.</translation>
    </message>
    <message>
        <source>Managing the Samba server on %1 needs an administrator&apos;s password; the authentication failed. %2</source>
        <translation>Die Verwaltung des Samba-Servers auf %1 erfordert das Passwort eines Administrators; die Legitimierung ist fehlgeschlagen. %2</translation>
    </message>
</context>
<context>
    <name>LocalConfigSession</name>
    <message>
        <source>The configuration was loaded again since these settings were read. Reload it before saving.</source>
        <translation>Die Konfiguration wurde erneut geladen, nachdem diese Einstellungen gelesen wurden. Laden Sie sie vor dem Speichern neu.</translation>
    </message>
    <message>
        <source>%1 was changed since the repair was shown; nothing was repaired.</source>
        <translation>%1 wurde geändert, seit die Reparatur angezeigt wurde; es wurde nichts repariert.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Shareward</source>
        <translation>Shareward</translation>
    </message>
    <message>
        <source>&amp;Actions</source>
        <translation>&amp;Aktionen</translation>
    </message>
    <message>
        <source>&amp;Preferences</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Add share</source>
        <translation>Freigabe &amp;hinzufügen</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <source>&amp;Edit share</source>
        <translation>Freigabe &amp;bearbeiten</translation>
    </message>
    <message>
        <source>Ctrl+E</source>
        <translation>Ctrl+E</translation>
    </message>
    <message>
        <source>&amp;Delete share</source>
        <translation>Freigabe &amp;löschen</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stoppen</translation>
    </message>
    <message>
        <source>Check config</source>
        <translation>Konfiguration prüfen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>B&amp;eenden</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>&amp;Server Settings</source>
        <translation>&amp;Server-Einstellungen</translation>
    </message>
    <message>
        <source>Samba &amp;Users</source>
        <translation>Samba-&amp;Benutzer</translation>
    </message>
    <message>
        <source>Ctrl+U</source>
        <translation>Ctrl+U</translation>
    </message>
    <message>
        <source>Samba &amp;Groups</source>
        <translation>Samba-&amp;Gruppen</translation>
    </message>
    <message>
        <source>Samba Groups</source>
        <translation>Samba-Gruppen</translation>
    </message>
    <message>
        <source>Ctrl+G</source>
        <translation>Ctrl+G</translation>
    </message>
    <message>
        <source>Hide/Show toolbar</source>
        <translation>Werkzeugleiste ein-/ausblenden</translation>
    </message>
    <message>
        <source>Failed to run testparm.</source>
        <translation>testparm konnte nicht ausgeführt werden.</translation>
    </message>
    <message>
        <source>Question</source>
        <translation>Frage</translation>
    </message>
    <message>
        <source>Some data has changed.
Do you want to save changed data?</source>
        <translation>Einige Daten wurden geändert.
Möchten Sie die Änderungen speichern?</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Save and Exit</source>
        <translation>Speichern und beenden</translation>
    </message>
    <message>
        <source>Some data has changed.
Are you sure to save new data?</source>
        <translation>Einige Daten wurden geändert.
Sollen die neuen Daten wirklich gespeichert werden?</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Failed to initialize application.</source>
        <translation>Die Anwendung konnte nicht initialisiert werden.</translation>
    </message>
    <message>
        <source>Samba configuration file smb.conf contains errors.</source>
        <translation>Die Samba-Konfigurationsdatei smb.conf enthält Fehler.</translation>
    </message>
    <message>
        <source>testparm output is:</source>
        <translation>Ausgabe von testparm:</translation>
    </message>
    <message>
        <source>Note: the line &quot;rlimit_max: increasing rlimit_max ... to minimum Windows limit&quot; is information, not an error: smbd raises its open-file limit itself when it starts. Nothing needs to be changed for it.</source>
        <translation>Hinweis: Die Zeile „rlimit_max: increasing rlimit_max ... to minimum Windows limit“ ist eine Information, kein Fehler: smbd erhöht beim Start selbst seine Grenze für geöffnete Dateien. Dafür muss nichts geändert werden.</translation>
    </message>
    <message>
        <source>&amp;History...</source>
        <translation>&amp;Verlauf …</translation>
    </message>
    <message>
        <source>&amp;Review changes before saving</source>
        <translation>Änderungen vor dem Speichern &amp;prüfen</translation>
    </message>
    <message>
        <source>Versions &amp;kept in the history...</source>
        <translation>Im Verlauf behaltene &amp;Versionen …</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>How many versions of smb.conf the history keeps:</source>
        <translation>Wie viele Versionen der smb.conf der Verlauf behält:</translation>
    </message>
    <message>
        <source>Checking the new smb.conf with testparm...</source>
        <translation>Die neue smb.conf wird mit testparm geprüft …</translation>
    </message>
    <message>
        <source>smb.conf is installed, but its history could not be recorded.
%1</source>
        <translation>Die smb.conf ist installiert, aber ihr Verlauf konnte nicht aufgezeichnet werden.
%1</translation>
    </message>
    <message>
        <source>Checking smb.conf with testparm and installing it...</source>
        <translation>Die smb.conf wird mit testparm geprüft und installiert …</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>smb.conf was not restored.</source>
        <translation>Die smb.conf wurde nicht wiederhergestellt.</translation>
    </message>
    <message>
        <source>Restore version %1 of smb.conf (%2, %3)? It is checked with testparm and installed like a save.</source>
        <translation>Version %1 der smb.conf (%2, %3) wiederherstellen? Sie wird wie beim Speichern mit testparm geprüft und installiert.</translation>
    </message>
    <message>
        <source>The changes made here since the last save are lost.</source>
        <translation>Die hier seit dem letzten Speichern vorgenommenen Änderungen gehen verloren.</translation>
    </message>
    <message>
        <source>Reading the Samba accounts...</source>
        <translation>Samba-Konten werden gelesen …</translation>
    </message>
    <message>
        <source>Restore version %1 of Samba&apos;s registry configuration (%2, %3)? It is checked with testparm and changed with net conf like a save.</source>
        <translation>Version %1 von Sambas Registry-Konfiguration (%2, %3) wiederherstellen? Sie wird wie beim Speichern mit testparm geprüft und mit net conf geändert.</translation>
    </message>
    <message>
        <source>Checking the configuration with testparm and changing the registry...</source>
        <translation>Die Konfiguration wird mit testparm geprüft und die Registry geändert …</translation>
    </message>
    <message>
        <source>The registry configuration was not restored.</source>
        <translation>Die Registry-Konfiguration wurde nicht wiederhergestellt.</translation>
    </message>
    <message>
        <source>Samba&apos;s registry configuration could not be read: its shares are missing here, and nothing is changed in it.
%1</source>
        <translation>Sambas Registry-Konfiguration konnte nicht gelesen werden: Ihre Freigaben fehlen hier, und in ihr wird nichts geändert.
%1</translation>
    </message>
    <message>
        <source>Move to the &amp;registry</source>
        <translation>In die &amp;Registry verschieben</translation>
    </message>
    <message>
        <source>Store the whole configuration in the re&amp;gistry...</source>
        <translation>Die gesamte Konfiguration in der Re&amp;gistry speichern …</translation>
    </message>
    <message>
        <source>There are changes that are not saved. Save them, or revert them, before configuration moves between smb.conf and the registry.</source>
        <translation>Es gibt nicht gespeicherte Änderungen. Speichern oder verwerfen Sie sie, bevor Konfiguration zwischen smb.conf und der Registry verschoben wird.</translation>
    </message>
    <message>
        <source>Reading Samba&apos;s registry configuration...</source>
        <translation>Sambas Registry-Konfiguration wird gelesen …</translation>
    </message>
    <message>
        <source>Nothing was moved.</source>
        <translation>Es wurde nichts verschoben.</translation>
    </message>
    <message>
        <source>The move failed, and the registry could not be put back as it was.</source>
        <translation>Das Verschieben ist fehlgeschlagen, und die Registry konnte nicht wiederhergestellt werden.</translation>
    </message>
    <message>
        <source>Move to s&amp;mb.conf</source>
        <translation>In s&amp;mb.conf verschieben</translation>
    </message>
    <message>
        <source>testparm could not check it: %1</source>
        <translation>testparm konnte sie nicht prüfen: %1</translation>
    </message>
    <message>
        <source>testparm refuses the new configuration:</source>
        <translation>testparm weist die neue Konfiguration zurück:</translation>
    </message>
    <message>
        <source>Store in the Registry</source>
        <translation>In der Registry speichern</translation>
    </message>
    <message>
        <source>Samba&apos;s registry configuration already holds settings that Samba does not read now. Storing the configuration there puts them in effect.</source>
        <translation>Sambas Registry-Konfiguration enthält bereits Einstellungen, die Samba derzeit nicht liest. Wird die Konfiguration dort gespeichert, werden sie wirksam.</translation>
    </message>
    <message>
        <source>Replace them with the configuration in effect, or keep them and let them apply?</source>
        <translation>Sollen sie durch die wirksame Konfiguration ersetzt oder behalten werden und gelten?</translation>
    </message>
    <message>
        <source>&amp;Replace Them</source>
        <translation>&amp;Ersetzen</translation>
    </message>
    <message>
        <source>&amp;Keep Them</source>
        <translation>&amp;Behalten</translation>
    </message>
    <message>
        <source>Servers</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Connect to a Server…</source>
        <translation>Mit einem Server &amp;verbinden …</translation>
    </message>
    <message>
        <source>&amp;Disconnect</source>
        <translation>Verbindung &amp;trennen</translation>
    </message>
    <message>
        <source>This window reaches only this computer.</source>
        <translation>Dieses Fenster erreicht nur diesen Computer.</translation>
    </message>
    <message>
        <source>%1[*] — Shareward</source>
        <translation>%1[*] — Shareward</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Trennen</translation>
    </message>
    <message>
        <source>The configuration of %1 has changes that are not saved.</source>
        <translation>Die Konfiguration von %1 enthält Änderungen, die nicht gespeichert sind.</translation>
    </message>
    <message>
        <source>Save them before disconnecting?</source>
        <translation>Sollen sie vor dem Trennen gespeichert werden?</translation>
    </message>
    <message>
        <source>The changes are those of %1.</source>
        <translation>Die Änderungen betreffen %1.</translation>
    </message>
</context>
<context>
    <name>ModuleControl</name>
    <message>
        <source>The Samba module %1 is not installed; install the package %2.</source>
        <translation>Das Samba-Modul %1 ist nicht installiert; installieren Sie das Paket %2.</translation>
    </message>
    <message>
        <source>The Samba modules %1 are not installed; install the package %2.</source>
        <translation>Die Samba-Module %1 sind nicht installiert; installieren Sie das Paket %2.</translation>
    </message>
</context>
<context>
    <name>NetConf</name>
    <message>
        <source>%1 exited with code %2.</source>
        <translation>%1 wurde mit Code %2 beendet.</translation>
    </message>
</context>
<context>
    <name>Operation</name>
    <message>
        <source>security/authorization messages</source>
        <translation>Sicherheits-/Autorisierungsmeldungen</translation>
    </message>
    <message>
        <source>security/authorization messages (private)</source>
        <translation>Sicherheits-/Autorisierungsmeldungen (privat)</translation>
    </message>
    <message>
        <source>clock daemon (cron and at)</source>
        <translation>Zeitplan-Dienst (cron und at)</translation>
    </message>
    <message>
        <source>system daemons without separate facility value</source>
        <translation>Systemdienste ohne eigene Facility</translation>
    </message>
    <message>
        <source>ftp daemon</source>
        <translation>FTP-Dienst</translation>
    </message>
    <message>
        <source>kernel messages (these can&apos;t be generated from user processes)</source>
        <translation>Kernel-Meldungen (können nicht von Benutzerprozessen erzeugt werden)</translation>
    </message>
    <message>
        <source>reserved for local use</source>
        <translation>für lokale Verwendung reserviert</translation>
    </message>
    <message>
        <source>line printer subsystem</source>
        <translation>Drucker-Subsystem</translation>
    </message>
    <message>
        <source>mail subsystem</source>
        <translation>Mail-Subsystem</translation>
    </message>
    <message>
        <source>USENET news subsystem</source>
        <translation>USENET-News-Subsystem</translation>
    </message>
    <message>
        <source>messages generated internally by syslogd</source>
        <translation>intern von syslogd erzeugte Meldungen</translation>
    </message>
    <message>
        <source>generic user-level messages</source>
        <translation>allgemeine Meldungen auf Benutzerebene</translation>
    </message>
    <message>
        <source>UUCP subsystem</source>
        <translation>UUCP-Subsystem</translation>
    </message>
    <message>
        <source>system is unusable</source>
        <translation>System ist unbenutzbar</translation>
    </message>
    <message>
        <source>action must be taken immediately</source>
        <translation>sofortiges Handeln erforderlich</translation>
    </message>
    <message>
        <source>critical conditions</source>
        <translation>kritische Zustände</translation>
    </message>
    <message>
        <source>error conditions</source>
        <translation>Fehlerzustände</translation>
    </message>
    <message>
        <source>warning conditions</source>
        <translation>Warnzustände</translation>
    </message>
    <message>
        <source>normal, but significant, condition</source>
        <translation>normaler, aber bedeutsamer Zustand</translation>
    </message>
    <message>
        <source>informational message</source>
        <translation>Informationsmeldung</translation>
    </message>
    <message>
        <source>debug-level message</source>
        <translation>Debug-Meldung</translation>
    </message>
</context>
<context>
    <name>PrivateDirectory</name>
    <message>
        <source>Can&apos;t create the directory %1: %2.</source>
        <translation>Das Verzeichnis %1 kann nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t use the directory %1: %2.</source>
        <translation>Das Verzeichnis %1 kann nicht verwendet werden: %2.</translation>
    </message>
    <message>
        <source>%1 is not a directory that only its owner can change.</source>
        <translation>%1 ist kein Verzeichnis, das nur sein Eigentümer ändern kann.</translation>
    </message>
</context>
<context>
    <name>ProcessRunner</name>
    <message>
        <source>Failed to start: %1: %2</source>
        <translation>Start fehlgeschlagen: %1: %2</translation>
    </message>
    <message>
        <source>%1 did not finish within a second</source>
        <translation>%1 wurde nicht innerhalb einer Sekunde beendet</translation>
    </message>
    <message>
        <source>%1 did not finish within %2 seconds</source>
        <translation>%1 wurde nicht innerhalb von %2 Sekunden beendet</translation>
    </message>
    <message>
        <source>%1 crashed</source>
        <translation>%1 ist abgestürzt</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Shareward</source>
        <translation>Shareward</translation>
    </message>
    <message>
        <source>Can&apos;t tell whether Shareward already runs: %1</source>
        <translation>Es lässt sich nicht feststellen, ob Shareward bereits läuft: %1</translation>
    </message>
    <message>
        <source>Shareward already runs (process %1), but it does not answer. Switch to its window, or end it and start Shareward again.</source>
        <translation>Shareward läuft bereits (Prozess %1), antwortet aber nicht. Wechseln Sie zu seinem Fenster oder beenden Sie es und starten Sie Shareward erneut.</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>Unknown option %1.</source>
        <translation>Unbekannte Option %1.</translation>
    </message>
    <message>
        <source>%1 needs a value.</source>
        <translation>%1 braucht einen Wert.</translation>
    </message>
    <message>
        <source>--connect %1: %2</source>
        <translation>--connect %1: %2</translation>
    </message>
</context>
<context>
    <name>RemoteCall</name>
    <message>
        <source>The backend on %1 gave an answer this window cannot read: %2</source>
        <translation>Das Backend auf %1 hat eine Antwort gegeben, die dieses Fenster nicht lesen kann: %2</translation>
    </message>
</context>
<context>
    <name>RemoteConfigSession</name>
    <message>
        <source>Whether the change was made on %1 is not known: load the configuration again to see.</source>
        <translation>Ob die Änderung auf %1 vorgenommen wurde, ist nicht bekannt: Laden Sie die Konfiguration erneut, um es zu sehen.</translation>
    </message>
</context>
<context>
    <name>RepairOffer</name>
    <message>
        <source>- add &quot;%1&quot; to [%2]</source>
        <translation>- „%1“ zu [%2] hinzufügen</translation>
    </message>
    <message>
        <source>- remove &quot;%1&quot; (line %2, [%3])</source>
        <translation>- „%1“ entfernen (Zeile %2, [%3])</translation>
    </message>
    <message>
        <source>- change &quot;%1&quot; (line %2, [%3]) to &quot;%4&quot;</source>
        <translation>- „%1“ (Zeile %2, [%3]) in „%4“ ändern</translation>
    </message>
    <message>
        <source>Fix config removes the security lines of smb.conf whose value Samba rejects.</source>
        <translation>„Konfiguration reparieren“ entfernt die security-Zeilen der smb.conf, deren Wert Samba ablehnt.</translation>
    </message>
    <message>
        <source>Fix config gives the default idmap domain * a valid ID range in the [global] section of smb.conf; the server stays a member of its domain.</source>
        <translation>„Konfiguration reparieren“ gibt der Standard-idmap-Domäne * im Abschnitt [global] der smb.conf einen gültigen ID-Bereich; der Server bleibt Mitglied seiner Domäne.</translation>
    </message>
    <message>
        <source>Samba then uses its default, &quot;security = user&quot;: a user name and password are required to connect to the shares.</source>
        <translation>Samba verwendet dann seine Voreinstellung „security = user“: Für die Verbindung zu den Freigaben sind Benutzername und Passwort nötig.</translation>
    </message>
    <message>
        <source>Users and groups of domains without an idmap range of their own are then given IDs from %1.</source>
        <translation>Benutzer und Gruppen von Domänen ohne eigenen idmap-Bereich erhalten dann IDs aus %1.</translation>
    </message>
    <message>
        <source>the range already set</source>
        <translation>dem bereits gesetzten Bereich</translation>
    </message>
    <message>
        <source>Fix config will change smb.conf as follows:
%1
%2
Nothing else in smb.conf changes. Would you like to continue?</source>
        <translation>„Konfiguration reparieren“ ändert die smb.conf wie folgt:
%1
%2
Sonst ändert sich nichts in der smb.conf. Möchten Sie fortfahren?</translation>
    </message>
    <message>
        <source>smb.conf was not repaired.
%1</source>
        <translation>Die smb.conf wurde nicht repariert.
%1</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Fix config</source>
        <translation>Konfiguration reparieren</translation>
    </message>
    <message>
        <source>smb.conf was repaired, but its history could not be recorded: %1</source>
        <translation>smb.conf wurde repariert, aber sein Verlauf konnte nicht aufgezeichnet werden: %1</translation>
    </message>
</context>
<context>
    <name>ReviewChangesDialog</name>
    <message>
        <source>testparm accepts the new smb.conf.</source>
        <translation>testparm akzeptiert die neue smb.conf.</translation>
    </message>
    <message>
        <source>testparm accepts the new smb.conf with warnings:</source>
        <translation>testparm akzeptiert die neue smb.conf mit Warnungen:</translation>
    </message>
    <message>
        <source>testparm refuses the new smb.conf; it cannot be saved:</source>
        <translation>testparm lehnt die neue smb.conf ab; sie kann nicht gespeichert werden:</translation>
    </message>
    <message>
        <source>testparm could not check the new smb.conf; it cannot be saved:</source>
        <translation>testparm konnte die neue smb.conf nicht prüfen; sie kann nicht gespeichert werden:</translation>
    </message>
    <message>
        <source>Don&apos;t show this again</source>
        <translation>Nicht mehr anzeigen</translation>
    </message>
    <message>
        <source>Review changes</source>
        <translation>Änderungen prüfen</translation>
    </message>
    <message>
        <source>Changes to smb.conf:</source>
        <translation>Änderungen an der smb.conf:</translation>
    </message>
    <message>
        <source>smb.conf does not change.</source>
        <translation>Die smb.conf ändert sich nicht.</translation>
    </message>
    <message>
        <source>The save will also:</source>
        <translation>Beim Speichern außerdem:</translation>
    </message>
    <message>
        <source>Samba&apos;s registry configuration (net conf list):</source>
        <translation>Sambas Registry-Konfiguration (net conf list):</translation>
    </message>
    <message>
        <source>testparm checks the new configuration before anything is changed.</source>
        <translation>testparm prüft die neue Konfiguration, bevor etwas geändert wird.</translation>
    </message>
    <message>
        <source>What Samba will serve (testparm -s):</source>
        <translation>Was Samba bereitstellen wird (testparm -s):</translation>
    </message>
</context>
<context>
    <name>SavePlan</name>
    <message>
        <source>Change the mode of the directory %1 from %2 to %3</source>
        <translation>Modus des Verzeichnisses %1 von %2 auf %3 ändern</translation>
    </message>
    <message>
        <source>Add the Samba user %1</source>
        <translation>Samba-Benutzer %1 hinzufügen</translation>
    </message>
    <message>
        <source>Change the password of the Samba user %1</source>
        <translation>Passwort des Samba-Benutzers %1 ändern</translation>
    </message>
    <message>
        <source>Remove the Samba user %1</source>
        <translation>Samba-Benutzer %1 entfernen</translation>
    </message>
    <message>
        <source>Add the Samba group %1</source>
        <translation>Samba-Gruppe %1 hinzufügen</translation>
    </message>
    <message>
        <source>Remove the Samba group %1</source>
        <translation>Samba-Gruppe %1 entfernen</translation>
    </message>
    <message>
        <source>Have smbd and nmbd read smb.conf again; connected clients stay connected</source>
        <translation>smbd und nmbd die smb.conf neu einlesen lassen; verbundene Clients bleiben verbunden</translation>
    </message>
    <message>
        <source>Restart smbd and nmbd, which ends every client connection, because these settings take effect only then: %1</source>
        <translation>smbd und nmbd neu starten, wodurch alle Client-Verbindungen enden, da diese Einstellungen erst dann wirksam werden: %1</translation>
    </message>
</context>
<context>
    <name>ServerAddress</name>
    <message>
        <source>This computer</source>
        <translation>Dieser Computer</translation>
    </message>
</context>
<context>
    <name>ServerFailureView</name>
    <message>
        <source>&amp;Try Again</source>
        <translation>&amp;Erneut versuchen</translation>
    </message>
    <message>
        <source>%1 could not be reached.</source>
        <translation>%1 konnte nicht erreicht werden.</translation>
    </message>
</context>
<context>
    <name>ServerListController</name>
    <message>
        <source>This window cannot reach other servers.</source>
        <translation>Dieses Fenster kann keine anderen Server erreichen.</translation>
    </message>
    <message>
        <source>Connecting to %1...</source>
        <translation>Verbindung zu %1 wird hergestellt …</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>Connection lost</source>
        <translation>Verbindung verloren</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Wird geladen</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
</context>
<context>
    <name>ServerPage</name>
    <message>
        <source>Shares</source>
        <translation>Freigaben</translation>
    </message>
    <message>
        <source>Printers</source>
        <translation>Drucker</translation>
    </message>
    <message>
        <source>Connections</source>
        <translation>Verbindungen</translation>
    </message>
    <message>
        <source>smb.conf on %1: %2</source>
        <translation>smb.conf auf %1: %2</translation>
    </message>
    <message>
        <source>Failed to run testparm.</source>
        <translation>testparm konnte nicht ausgeführt werden.</translation>
    </message>
    <message>
        <source>Samba configuration file contains errors.</source>
        <translation>Die Samba-Konfigurationsdatei enthält Fehler.</translation>
    </message>
    <message>
        <source>Samba configuration file contains warnings.</source>
        <translation>Die Samba-Konfigurationsdatei enthält Warnungen.</translation>
    </message>
    <message>
        <source>Samba configuration file is ok.</source>
        <translation>Die Samba-Konfigurationsdatei ist in Ordnung.</translation>
    </message>
    <message>
        <source>Checking smb.conf with testparm...</source>
        <translation>smb.conf wird mit testparm geprüft …</translation>
    </message>
    <message>
        <source>Testparm process error</source>
        <translation>Fehler beim Ausführen von testparm</translation>
    </message>
    <message>
        <source>Are you sure to delete share: &quot;%1&quot;?</source>
        <translation>Soll die Freigabe „%1“ wirklich gelöscht werden?</translation>
    </message>
    <message>
        <source>It is in use by %1, who are disconnected from it once the deletion is saved.</source>
        <translation>Sie wird von %1 benutzt; diese werden getrennt, sobald das Löschen gespeichert ist.</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Samba group&apos;s administration</source>
        <translation>Verwaltung der Samba-Gruppen</translation>
    </message>
    <message>
        <source>smb.conf could not be loaded at start-up; nothing is written over it.</source>
        <translation>Die smb.conf konnte beim Start nicht geladen werden; sie wird nicht überschrieben.</translation>
    </message>
    <message>
        <source>Checking smb.conf with testparm and saving it...</source>
        <translation>Die smb.conf wird mit testparm geprüft und gespeichert …</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Failed to set permissions for %1.</source>
        <translation>Die Berechtigungen für %1 konnten nicht gesetzt werden.</translation>
    </message>
    <message>
        <source>Saving Samba users and groups...</source>
        <translation>Samba-Benutzer und -Gruppen werden gespeichert …</translation>
    </message>
    <message>
        <source>smb.conf is saved, but these Samba account changes failed:</source>
        <translation>Die smb.conf ist gespeichert, aber diese Änderungen an Samba-Konten sind fehlgeschlagen:</translation>
    </message>
    <message>
        <source>Failed to save samba settings.</source>
        <translation>Die Samba-Einstellungen konnten nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>smb.conf was changed by another program after it was loaded. Reload it now? The changes made here since the last save are lost.</source>
        <translation>Die smb.conf wurde nach dem Laden von einem anderen Programm geändert. Jetzt neu laden? Die hier seit dem letzten Speichern vorgenommenen Änderungen gehen verloren.</translation>
    </message>
    <message>
        <source>Reload</source>
        <translation>Neu laden</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>The Samba modules %1 are not installed: every connection to a share that uses them is refused.</source>
        <translation>Die Samba-Module %1 sind nicht installiert: Jede Verbindung zu einer Freigabe, die sie verwendet, wird abgewiesen.</translation>
    </message>
    <message>
        <source>Install the package %1 first, or save anyway when the modules are provided another way.</source>
        <translation>Installieren Sie zuerst das Paket %1, oder speichern Sie trotzdem, wenn die Module auf anderem Weg bereitgestellt werden.</translation>
    </message>
    <message>
        <source>Save anyway</source>
        <translation>Trotzdem speichern</translation>
    </message>
    <message>
        <source>There are changes in configuration. Save them?</source>
        <translation>Die Konfiguration wurde geändert. Änderungen speichern?</translation>
    </message>
    <message>
        <source>Reconnect</source>
        <translation>Neu verbinden</translation>
    </message>
    <message>
        <source>&amp;Reconnect</source>
        <translation>&amp;Neu verbinden</translation>
    </message>
    <message>
        <source>The connection to %1 was lost.</source>
        <translation>Die Verbindung zu %1 ist abgebrochen.</translation>
    </message>
    <message>
        <source>Connection lost: %1 The changes made here are kept; reconnect to go on.</source>
        <translation>Verbindung verloren: %1 Die hier gemachten Änderungen bleiben erhalten; verbinden Sie neu, um fortzufahren.</translation>
    </message>
    <message>
        <source>Connecting to %1...</source>
        <translation>Verbindung zu %1 wird hergestellt …</translation>
    </message>
    <message>
        <source>%1 cannot be reached: %2 The changes made here are kept.</source>
        <translation>%1 ist nicht erreichbar: %2 Die hier gemachten Änderungen bleiben erhalten.</translation>
    </message>
    <message>
        <source>Failed to read the server again.</source>
        <translation>Der Server konnte nicht erneut gelesen werden.</translation>
    </message>
    <message>
        <source>Reading smb.conf...</source>
        <translation>smb.conf wird gelesen …</translation>
    </message>
    <message>
        <source>The connection was lost during the save, which was not installed. The changes made here are kept and not saved yet.</source>
        <translation>Die Verbindung brach während des Speicherns ab; die Konfiguration wurde nicht installiert. Die hier gemachten Änderungen bleiben erhalten und sind noch nicht gespeichert.</translation>
    </message>
    <message>
        <source>The connection was lost during the save, and smb.conf was changed by another program since it was loaded. The changes made here are kept and not saved.</source>
        <translation>Die Verbindung brach während des Speicherns ab, und die smb.conf wurde seit dem Laden von einem anderen Programm geändert. Die hier gemachten Änderungen bleiben erhalten und sind nicht gespeichert.</translation>
    </message>
    <message>
        <source>The connection was lost during the save, which was installed: smb.conf is saved.</source>
        <translation>Die Verbindung brach während des Speicherns ab; die Konfiguration wurde installiert: die smb.conf ist gespeichert.</translation>
    </message>
    <message>
        <source>Failed to read the accounts.</source>
        <translation>Die Konten konnten nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Failed to read the history: %1</source>
        <translation>Der Verlauf konnte nicht gelesen werden: %1</translation>
    </message>
</context>
<context>
    <name>ServiceCommands</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Can&apos;t start smbd service.
Check samba installation.</source>
        <translation>Der Dienst smbd kann nicht gestartet werden.
Prüfen Sie die Samba-Installation.</translation>
    </message>
    <message>
        <source>Can&apos;t start nmbd service.
Check samba installation.</source>
        <translation>Der Dienst nmbd kann nicht gestartet werden.
Prüfen Sie die Samba-Installation.</translation>
    </message>
    <message>
        <source>Can&apos;t stop smbd service.
Check samba installation.</source>
        <translation>Der Dienst smbd kann nicht gestoppt werden.
Prüfen Sie die Samba-Installation.</translation>
    </message>
    <message>
        <source>Can&apos;t stop nmbd service.
Check samba installation.</source>
        <translation>Der Dienst nmbd kann nicht gestoppt werden.
Prüfen Sie die Samba-Installation.</translation>
    </message>
    <message>
        <source>Can&apos;t restart smbd service.
Check samba installation.</source>
        <translation>Der Dienst smbd kann nicht neu gestartet werden.
Prüfen Sie die Samba-Installation.</translation>
    </message>
    <message>
        <source>Can&apos;t restart nmbd service.
Check samba installation or samba script.</source>
        <translation>Der Dienst nmbd kann nicht neu gestartet werden.
Prüfen Sie die Samba-Installation oder das Samba-Skript.</translation>
    </message>
    <message>
        <source>Restarting smbd and nmbd...</source>
        <translation>smbd und nmbd werden neu gestartet …</translation>
    </message>
    <message>
        <source>Reloading smbd and nmbd...</source>
        <translation>smbd und nmbd lesen die Konfiguration neu ein …</translation>
    </message>
    <message>
        <source> and </source>
        <translation> und </translation>
    </message>
    <message>
        <source>smb.conf is saved, but the state of %1 could not be checked: %2</source>
        <translation>Die smb.conf ist gespeichert, aber der Zustand von %1 konnte nicht geprüft werden: %2</translation>
    </message>
    <message>
        <source>smb.conf is saved; %1 restarted.</source>
        <translation>Die smb.conf ist gespeichert und %1 neu gestartet.</translation>
    </message>
    <message>
        <source>smb.conf is saved; %1 read it again.</source>
        <translation>Die smb.conf ist gespeichert und wurde von %1 neu eingelesen.</translation>
    </message>
    <message>
        <source>%1 is not running after smb.conf changed.</source>
        <translation>Nach der Änderung der smb.conf nicht aktiv: %1.</translation>
    </message>
    <message>
        <source>Restore the previous version and restart</source>
        <translation>Vorherige Version wiederherstellen und neu starten</translation>
    </message>
    <message>
        <source>%1 is still not running with the previous smb.conf.</source>
        <translation>Auch mit der vorherigen smb.conf nicht aktiv: %1.</translation>
    </message>
    <message>
        <source>The previous smb.conf is restored and the services were restarted.</source>
        <translation>Die vorherige smb.conf ist wiederhergestellt und die Dienste wurden neu gestartet.</translation>
    </message>
</context>
<context>
    <name>ServiceUpdate</name>
    <message>
        <source>%1 reload-config: %2</source>
        <translation>%1 reload-config: %2</translation>
    </message>
    <message>
        <source>systemctl restart %1: %2</source>
        <translation>systemctl restart %1: %2</translation>
    </message>
</context>
<context>
    <name>ShareDialog</name>
    <message>
        <source>Share&apos;s administration</source>
        <translation>Verwaltung der Freigabe</translation>
    </message>
    <message>
        <source>&amp;Basic</source>
        <translation>Allge&amp;mein</translation>
    </message>
    <message>
        <source>Basic Permissions</source>
        <translation>Grundlegende Berechtigungen</translation>
    </message>
    <message>
        <source>&amp;Read Only</source>
        <translation>Nur &amp;lesen</translation>
    </message>
    <message>
        <source>Read/&amp;Write</source>
        <translation>Lesen/&amp;Schreiben</translation>
    </message>
    <message>
        <source>Set directory permissions</source>
        <translation>Verzeichnisberechtigungen setzen</translation>
    </message>
    <message>
        <source>&amp;Path</source>
        <translation>&amp;Pfad</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Samba fills in the % parts of this path for each connection (%U: the user&apos;s name), so the directory depends on who connects; only the part before the first % must exist now.</source>
        <translation>Samba setzt die %-Teile dieses Pfads für jede Verbindung ein (%U: der Name des Benutzers), das Verzeichnis hängt also davon ab, wer sich verbindet; nur der Teil vor dem ersten % muss schon existieren.</translation>
    </message>
    <message>
        <source>&amp;Description</source>
        <translation>&amp;Beschreibung</translation>
    </message>
    <message>
        <source>&amp;Share Name</source>
        <translation>&amp;Freigabename</translation>
    </message>
    <message>
        <source>Printable</source>
        <translation>Druckbar</translation>
    </message>
    <message>
        <source>&amp;Access</source>
        <translation>&amp;Zugriff</translation>
    </message>
    <message>
        <source>User access</source>
        <translation>Benutzerzugriff</translation>
    </message>
    <message>
        <source>&amp;Enabled to all, including guests, as guest</source>
        <translation>Für &amp;alle freigegeben, auch für Gäste, als Gast</translation>
    </message>
    <message>
        <source>Enabled &amp;to all Samba users, no guest allowed</source>
        <translation>Für alle Samba-Benutzer freigegeben, &amp;keine Gäste</translation>
    </message>
    <message>
        <source>Enabled to &amp;selected Samba users, no guest allowed</source>
        <translation>Für a&amp;usgewählte Samba-Benutzer freigegeben, keine Gäste</translation>
    </message>
    <message>
        <source>&amp;Samba Users</source>
        <translation>&amp;Samba-Benutzer</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <source>Add &amp;custom</source>
        <translation>&amp;Eigenen hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>E&amp;ntfernen</translation>
    </message>
    <message>
        <source>Ad&amp;d All</source>
        <translation>A&amp;lle hinzufügen</translation>
    </message>
    <message>
        <source>Re&amp;move All</source>
        <translation>Alle en&amp;tfernen</translation>
    </message>
    <message>
        <source>&amp;Users for share</source>
        <translation>&amp;Benutzer der Freigabe</translation>
    </message>
    <message>
        <source>Group access</source>
        <translation>Gruppenzugriff</translation>
    </message>
    <message>
        <source>Enabled to &amp;selected Samba groups, no guest allowed</source>
        <translation>Für ausgewählte Samba-&amp;Gruppen freigegeben, keine Gäste</translation>
    </message>
    <message>
        <source>&amp;Samba Group</source>
        <translation>Samba-Gru&amp;ppe</translation>
    </message>
    <message>
        <source>&amp;Group for share</source>
        <translation>Gruppe der &amp;Freigabe</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>Erweitert</translation>
    </message>
    <message>
        <source>Create mask:</source>
        <translation>Erstellungsmaske (create mask):</translation>
    </message>
    <message>
        <source>9999</source>
        <translation>9999</translation>
    </message>
    <message>
        <source>browseable</source>
        <translation>sichtbar (browseable)</translation>
    </message>
    <message>
        <source>Audit</source>
        <translation>Audit</translation>
    </message>
    <message>
        <source>Record Samba VFS operations in the system log</source>
        <translation>Samba-VFS-Operationen im Systemprotokoll aufzeichnen</translation>
    </message>
    <message>
        <source>Modes</source>
        <translation>Modi</translation>
    </message>
    <message>
        <source>record Samba VFS operations in the system log</source>
        <translation>Samba-VFS-Operationen im Systemprotokoll aufzeichnen</translation>
    </message>
    <message>
        <source>Simple (vfs_audit module)</source>
        <translation>Einfach (Modul vfs_audit)</translation>
    </message>
    <message>
        <source>Full (vfs_full_audit module)</source>
        <translation>Vollständig (Modul vfs_full_audit)</translation>
    </message>
    <message>
        <source>Prepend audit messages with STRING. STRING is processed for standard substitution variables listed in smb.conf. The default prefix is &quot;%u|%I&quot;.</source>
        <translation>Protokollmeldungen wird STRING vorangestellt. In STRING werden die üblichen Ersetzungsvariablen der smb.conf ausgewertet. Das Standardpräfix ist „%u|%I“.</translation>
    </message>
    <message>
        <source>Prefix:</source>
        <translation>Präfix:</translation>
    </message>
    <message>
        <source>%u|%I</source>
        <translation>%u|%I</translation>
    </message>
    <message>
        <source>Operations</source>
        <translation>Operationen</translation>
    </message>
    <message>
        <source>Add operation</source>
        <translation>Operation hinzufügen</translation>
    </message>
    <message>
        <source>+</source>
        <translation>+</translation>
    </message>
    <message>
        <source>Remove operation</source>
        <translation>Operation entfernen</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>Syslog settings</source>
        <translation>Syslog-Einstellungen</translation>
    </message>
    <message>
        <source>Log messages to syslog or as a debug level 1 message.</source>
        <translation>Meldungen an syslog oder als Debug-Meldung der Stufe 1 protokollieren.</translation>
    </message>
    <message>
        <source>Log messages to syslog</source>
        <translation>Meldungen an syslog senden</translation>
    </message>
    <message>
        <source>Syslog priority:</source>
        <translation>Syslog-Priorität:</translation>
    </message>
    <message>
        <source>Log messages with the named syslog priority.</source>
        <translation>Meldungen mit der angegebenen Syslog-Priorität protokollieren.</translation>
    </message>
    <message>
        <source>Syslog facility:</source>
        <translation>Syslog-Facility:</translation>
    </message>
    <message>
        <source>Log messages to the named syslog facility.</source>
        <translation>Meldungen an die angegebene Syslog-Facility senden.</translation>
    </message>
    <message>
        <source>Log an sddl form of the security descriptor coming in when a client sets an acl</source>
        <translation>Die SDDL-Form der Sicherheitsbeschreibung protokollieren, die ein Client beim Setzen einer ACL sendet</translation>
    </message>
    <message>
        <source>ACL</source>
        <translation>ACL</translation>
    </message>
    <message>
        <source>Access-control list</source>
        <translation>Zugriffssteuerungsliste</translation>
    </message>
    <message>
        <source>Access Control Lists</source>
        <translation>Zugriffssteuerungslisten</translation>
    </message>
    <message>
        <source>Features</source>
        <translation>Funktionen</translation>
    </message>
    <message>
        <source>Recycle bin, Apple clients and previous versions</source>
        <translation>Papierkorb, Apple-Clients und Vorgängerversionen</translation>
    </message>
    <message>
        <source>Add user</source>
        <translation>Benutzer hinzufügen</translation>
    </message>
    <message>
        <source>Username or Samba variable:</source>
        <translation>Benutzername oder Samba-Variable:</translation>
    </message>
    <message>
        <source>Add group</source>
        <translation>Gruppe hinzufügen</translation>
    </message>
    <message>
        <source>Group or Samba variable:</source>
        <translation>Gruppe oder Samba-Variable:</translation>
    </message>
    <message>
        <source>Select operation</source>
        <translation>Operation auswählen</translation>
    </message>
    <message>
        <source>Operation:</source>
        <translation>Operation:</translation>
    </message>
    <message>
        <source>Select directory to share</source>
        <translation>Freizugebendes Verzeichnis auswählen</translation>
    </message>
    <message>
        <source>The share name must not contain &apos;[&apos;, &apos;]&apos;, a line break or another control character.</source>
        <translation>Der Freigabename darf weder &apos;[&apos;, &apos;]&apos;, einen Zeilenumbruch noch ein anderes Steuerzeichen enthalten.</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Users for share</source>
        <translation>Benutzer der Freigabe</translation>
    </message>
    <message>
        <source>Group for share</source>
        <translation>Gruppe der Freigabe</translation>
    </message>
    <message>
        <source>Create mask</source>
        <translation>Erstellungsmaske</translation>
    </message>
    <message>
        <source>Prefix</source>
        <translation>Präfix</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Directory %1 does not exist now (a disk that is not mounted?).
Keep this path for the share?</source>
        <translation>Das Verzeichnis %1 existiert derzeit nicht (ein nicht eingehängtes Laufwerk?).
Diesen Pfad für die Freigabe beibehalten?</translation>
    </message>
    <message>
        <source>Please select a directory for share...</source>
        <translation>Bitte wählen Sie ein Verzeichnis für die Freigabe …</translation>
    </message>
    <message>
        <source>It is advisable to create resources in the /srv/samba/ folder.</source>
        <translation>Es empfiehlt sich, Freigaben im Ordner /srv/samba/ anzulegen.</translation>
    </message>
    <message>
        <source>Don&apos;t remind me again.</source>
        <translation>Nicht mehr erinnern.</translation>
    </message>
    <message>
        <source>Please define a share name...</source>
        <translation>Bitte geben Sie einen Freigabenamen ein …</translation>
    </message>
    <message>
        <source>Share with name &quot;%1&quot; already exist. Please change current share name.</source>
        <translation>Eine Freigabe namens „%1“ existiert bereits. Bitte ändern Sie den Freigabenamen.</translation>
    </message>
    <message>
        <source>Please specify at least one Samba users for share...</source>
        <translation>Bitte geben Sie mindestens einen Samba-Benutzer für die Freigabe an …</translation>
    </message>
    <message>
        <source>Please specify at least one Samba group for share...</source>
        <translation>Bitte geben Sie mindestens eine Samba-Gruppe für die Freigabe an …</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is the name of Samba&apos;s server-wide settings, not of a share. Please choose another share name.</source>
        <translation>„%1“ ist der Name der serverweiten Samba-Einstellungen, nicht einer Freigabe. Bitte wählen Sie einen anderen Freigabenamen.</translation>
    </message>
    <message>
        <source>guest ok = yes, guest only = yes: Samba users too act as the guest account, and files belong to it.</source>
        <translation>guest ok = yes, guest only = yes: Auch Samba-Benutzer handeln als Gastkonto, und Dateien gehören ihm.</translation>
    </message>
    <message>
        <source>&amp;Enabled to all, everyone as guest</source>
        <translation>Für &amp;alle freigegeben, jeder als Gast</translation>
    </message>
    <message>
        <source>guest ok = yes: Samba users log on as themselves; clients without a user name, and names Samba does not know when the server maps them to the guest, act as the guest account.</source>
        <translation>guest ok = yes: Samba-Benutzer melden sich als sie selbst an; Clients ohne Benutzernamen und Namen, die Samba nicht kennt, wenn der Server sie auf den Gast abbildet, handeln als Gastkonto.</translation>
    </message>
    <message>
        <source>Enabled to all Samba users as &amp;themselves, to others as guest</source>
        <translation>Für alle Samba-Benutzer als &amp;sie selbst freigegeben, für andere als Gast</translation>
    </message>
    <message>
        <source>The path %1 is relative: give the whole path, beginning with /.</source>
        <translation>Der Pfad %1 ist relativ: Geben Sie den ganzen Pfad an, beginnend mit /.</translation>
    </message>
    <message>
        <source>Directory %1 not found: the part of the path before the first % must exist.</source>
        <translation>Das Verzeichnis %1 wurde nicht gefunden: Der Teil des Pfads vor dem ersten % muss existieren.</translation>
    </message>
    <message>
        <source>Directory %1 not found.</source>
        <translation>Das Verzeichnis %1 wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>The share name must not contain &apos;*&apos;, which Samba&apos;s tools read as every share.</source>
        <translation>Der Freigabename darf kein „*“ enthalten, das Sambas Werkzeuge als jede Freigabe lesen.</translation>
    </message>
    <message>
        <source>[printers] must be printable: testparm says &quot;[printers] service MUST be printable!&quot;</source>
        <translation>[printers] muss druckbar sein: testparm sagt „[printers] service MUST be printable!“</translation>
    </message>
    <message>
        <source>Read-only gives the directory mode 0555. Read/Write gives it mode 1777: everyone may add files, and only a file&apos;s owner may remove or rename it, as in /tmp.</source>
        <translation>„Nur lesen“ gibt dem Verzeichnis den Modus 0555. „Lesen/Schreiben“ gibt ihm den Modus 1777: Alle dürfen Dateien anlegen, aber nur der Eigentümer einer Datei darf sie entfernen oder umbenennen, wie in /tmp.</translation>
    </message>
</context>
<context>
    <name>ShareFeaturesWidget</name>
    <message>
        <source>Recycle bin</source>
        <translation>Papierkorb</translation>
    </message>
    <message>
        <source>Deleted files are moved to a folder of the share instead of being removed.</source>
        <translation>Gelöschte Dateien werden in einen Ordner der Freigabe verschoben, statt entfernt zu werden.</translation>
    </message>
    <message>
        <source>Relative to the share&apos;s directory, or absolute; %U gives every user a folder of their own.</source>
        <translation>Relativ zum Verzeichnis der Freigabe oder absolut; %U gibt jedem Benutzer einen eigenen Ordner.</translation>
    </message>
    <message>
        <source>&amp;Folder:</source>
        <translation>&amp;Ordner:</translation>
    </message>
    <message>
        <source>Keep the directory structure</source>
        <translation>Verzeichnisstruktur beibehalten</translation>
    </message>
    <message>
        <source>Keep every deleted version of a file</source>
        <translation>Jede gelöschte Version einer Datei behalten</translation>
    </message>
    <message>
        <source>Set the access time of moved files</source>
        <translation>Zugriffszeit verschobener Dateien setzen</translation>
    </message>
    <message>
        <source>no limit</source>
        <translation>keine Grenze</translation>
    </message>
    <message>
        <source>Larger files are deleted at once.</source>
        <translation>Größere Dateien werden sofort gelöscht.</translation>
    </message>
    <message>
        <source>Maximum file size (bytes):</source>
        <translation>Maximale Dateigröße (Bytes):</translation>
    </message>
    <message>
        <source>Files matching these patterns are deleted at once; * and ? are wildcards.</source>
        <translation>Dateien, die auf diese Muster passen, werden sofort gelöscht; * und ? sind Platzhalter.</translation>
    </message>
    <message>
        <source>&amp;Exclude files:</source>
        <translation>Dateien &amp;ausschließen:</translation>
    </message>
    <message>
        <source>Files in directories matching these patterns are deleted at once.</source>
        <translation>Dateien in Verzeichnissen, die auf diese Muster passen, werden sofort gelöscht.</translation>
    </message>
    <message>
        <source>Exclude &amp;directories:</source>
        <translation>&amp;Verzeichnisse ausschließen:</translation>
    </message>
    <message>
        <source>Apple clients</source>
        <translation>Apple-Clients</translation>
    </message>
    <message>
        <source>Extensions for macOS clients (catia, fruit, streams_xattr)</source>
        <translation>Erweiterungen für macOS-Clients (catia, fruit, streams_xattr)</translation>
    </message>
    <message>
        <source>Time Machine backup target</source>
        <translation>Time-Machine-Sicherungsziel</translation>
    </message>
    <message>
        <source>Maximum &amp;size of the backups:</source>
        <translation>Maximale &amp;Größe der Sicherungen:</translation>
    </message>
    <message>
        <source>e.g. 1T</source>
        <translation>z. B. 1T</translation>
    </message>
    <message>
        <source>A number with an optional unit K, M, G, T or P; empty for no limit.</source>
        <translation>Eine Zahl mit optionaler Einheit K, M, G, T oder P; leer für keine Grenze.</translation>
    </message>
    <message>
        <source>Previous versions</source>
        <translation>Vorgängerversionen</translation>
    </message>
    <message>
        <source>Snapshots of the share&apos;s file system offered to Windows clients.</source>
        <translation>Snapshots des Dateisystems der Freigabe, die Windows-Clients angeboten werden.</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keines</translation>
    </message>
    <message>
        <source>Snapper (btrfs)</source>
        <translation>Snapper (btrfs)</translation>
    </message>
    <message>
        <source>ZFS</source>
        <translation>ZFS</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Benutzerdefiniert</translation>
    </message>
    <message>
        <source>S&amp;napshots:</source>
        <translation>S&amp;napshots:</translation>
    </message>
    <message>
        <source>Snapshot di&amp;rectory:</source>
        <translation>Snapshot-Ve&amp;rzeichnis:</translation>
    </message>
    <message>
        <source>The strftime format of a snapshot&apos;s name.</source>
        <translation>Das strftime-Format des Namens eines Snapshots.</translation>
    </message>
    <message>
        <source>Name forma&amp;t:</source>
        <translation>Namensforma&amp;t:</translation>
    </message>
    <message>
        <source>macOS clients turn Apple&apos;s SMB extensions off for the whole server when the first share they open lacks the fruit module.

Add catia, fruit and streams_xattr to [global] too, as Samba recommends for macOS clients?</source>
        <translation>macOS-Clients schalten Apples SMB-Erweiterungen für den ganzen Server ab, wenn der ersten Freigabe, die sie öffnen, das Modul fruit fehlt.

catia, fruit und streams_xattr auch zu [global] hinzufügen, wie Samba es für macOS-Clients empfiehlt?</translation>
    </message>
    <message>
        <source>snapper&apos;s: .snapshots/NUMBER/snapshot</source>
        <translation>wie bei snapper: .snapshots/NUMMER/snapshot</translation>
    </message>
    <message>
        <source>snapper&apos;s numbers</source>
        <translation>Nummern von snapper</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Exclude files</source>
        <translation>Auszuschließende Dateien</translation>
    </message>
    <message>
        <source>Exclude directories</source>
        <translation>Auszuschließende Verzeichnisse</translation>
    </message>
    <message>
        <source>Snapshot directory</source>
        <translation>Snapshot-Verzeichnis</translation>
    </message>
    <message>
        <source>Name format</source>
        <translation>Namensformat</translation>
    </message>
</context>
<context>
    <name>ShareModel</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Samba reads only the registry (config backend = registry): this definition in smb.conf is not used.</source>
        <translation>Samba liest nur die Registry (config backend = registry): Diese Definition in smb.conf wird nicht verwendet.</translation>
    </message>
    <message>
        <source>registry</source>
        <translation>Registry</translation>
    </message>
    <message>
        <source>Stored in</source>
        <translation>Gespeichert in</translation>
    </message>
    <message>
        <source>The registry defines this share too. Samba merges the two: where both set a parameter, the registry&apos;s value is used.</source>
        <translation>Die Registry definiert diese Freigabe auch. Samba führt beide zusammen: Wo beide einen Parameter setzen, gilt der Wert der Registry.</translation>
    </message>
</context>
<context>
    <name>SmbControl</name>
    <message>
        <source>%1 exited with code %2.</source>
        <translation>%1 wurde mit Code %2 beendet.</translation>
    </message>
</context>
<context>
    <name>SmbStatus</name>
    <message>
        <source>%1 exited with code %2.</source>
        <translation>%1 wurde mit Code %2 beendet.</translation>
    </message>
    <message>
        <source>smbd is not running: %1</source>
        <translation>smbd läuft nicht: %1</translation>
    </message>
    <message>
        <source>%1 printed no status.</source>
        <translation>%1 hat keinen Status ausgegeben.</translation>
    </message>
    <message>
        <source>smbstatus printed no readable status: %1</source>
        <translation>smbstatus hat keinen lesbaren Status ausgegeben: %1</translation>
    </message>
    <message>
        <source>smbstatus printed no sessions.</source>
        <translation>smbstatus hat keine Sitzungen ausgegeben.</translation>
    </message>
</context>
<context>
    <name>SshCommand</name>
    <message>
        <source>&quot;%1&quot; is not a user name.</source>
        <translation>„%1“ ist kein Benutzername.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; lacks the &quot;]&quot; after the address.</source>
        <translation>Bei „%1“ fehlt die „]“ nach der Adresse.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a host.</source>
        <translation>„%1“ ist kein Rechner.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an IPv6 address.</source>
        <translation>„%1“ ist keine IPv6-Adresse.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a host name.</source>
        <translation>„%1“ ist kein Rechnername.</translation>
    </message>
    <message>
        <source>No host is given.</source>
        <translation>Es ist kein Rechner angegeben.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a port: a number from 1 to 65535 is.</source>
        <translation>„%1“ ist kein Port: Ein Port ist eine Zahl von 1 bis 65535.</translation>
    </message>
    <message>
        <source>Cannot connect to %1: %2</source>
        <translation>Verbindung zu %1 nicht möglich: %2</translation>
    </message>
    <message>
        <source>%1 has no shareward-cli: install the shareward package there.</source>
        <translation>Auf %1 gibt es kein shareward-cli: Installieren Sie dort das Paket shareward.</translation>
    </message>
</context>
<context>
    <name>SystemCtl</name>
    <message>
        <source>%1 %2 %3 exited with code %4.</source>
        <translation>%1 %2 %3 wurde mit Code %4 beendet.</translation>
    </message>
    <message>
        <source>%1 gave no state for %2.</source>
        <translation>%1 hat keinen Zustand für %2 geliefert.</translation>
    </message>
</context>
<context>
    <name>TestParm</name>
    <message>
        <source>Process crashed</source>
        <translation>Prozess abgestürzt</translation>
    </message>
    <message>
        <source>Failed to start</source>
        <translation>Start fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>UserDialog</name>
    <message>
        <source>User&apos;s Data</source>
        <translation>Benutzerdaten</translation>
    </message>
    <message>
        <source>User &amp;Name:</source>
        <translation>Benutzer&amp;name:</translation>
    </message>
    <message>
        <source>&amp;Show Password</source>
        <translation>Passwort &amp;anzeigen</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>&amp;New:</source>
        <translation>N&amp;eu:</translation>
    </message>
    <message>
        <source>A&amp;gain:</source>
        <translation>&amp;Wiederholen:</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>unverändert</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Password no matching... Enter again...</source>
        <translation>Die Passwörter stimmen nicht überein. Bitte erneut eingeben …</translation>
    </message>
    <message>
        <source>A new Samba user needs a password.</source>
        <translation>Ein neuer Samba-Benutzer braucht ein Passwort.</translation>
    </message>
</context>
<context>
    <name>UsersDialog</name>
    <message>
        <source>Samba User&apos;s Administration</source>
        <translation>Verwaltung der Samba-Benutzer</translation>
    </message>
    <message>
        <source>Add User</source>
        <translation>Benutzer hinzufügen</translation>
    </message>
    <message>
        <source>Edit User</source>
        <translation>Benutzer bearbeiten</translation>
    </message>
    <message>
        <source>Delete User</source>
        <translation>Benutzer löschen</translation>
    </message>
    <message>
        <source>No present any free system&apos;s user. Please call administrator for entering new one.</source>
        <translation>Es gibt keinen freien Systembenutzer. Bitte wenden Sie sich an den Administrator, um einen neuen anzulegen.</translation>
    </message>
    <message>
        <source>No user&apos;s selected</source>
        <translation>Kein Benutzer ausgewählt</translation>
    </message>
    <message>
        <source>Are you sure to delete the user?</source>
        <translation>Soll der Benutzer wirklich gelöscht werden?</translation>
    </message>
    <message>
        <source>Machine account of a computer</source>
        <translation>Computerkonto eines Rechners</translation>
    </message>
</context>
</TS>
