<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>QObject</name>
    <message>
        <source>Quillmarrow</source>
        <translation>Quillmarrow</translation>
    </message>
    <message>
        <source>IDS_ERROR_OCCUR_DESC_%1</source>
        <translation>Ein Fehler ist aufgetreten. Bitte wenden Sie sich an unser Support-Team unter support@quillmarrow.example.

Fehlerinformation: „%1“</translation>
    </message>
    <message>
        <source>IDS_NONE_INSTALL_ITUNES</source>
        <translation>Für die Verbindung mit einem iPhone wird iTunes benötigt. Jetzt herunterladen?</translation>
    </message>
    <message>
        <source>IDS_CLI_DESCRIPTION</source>
        <translation>Verwaltet die Kontakte von Android-Telefonen auf einem Desktop-Computer.</translation>
    </message>
    <message>
        <source>IDS_CLI_LANGUAGE</source>
        <translation>Das Programm in dieser Sprache zeigen: en (Englisch) oder de (Deutsch). Ohne diese Angabe gilt die in den Einstellungen gespeicherte Sprache, sonst die des Systems.</translation>
    </message>
    <message>
        <source>IDS_CLI_LANGUAGE_VALUE</source>
        <translation>Sprache</translation>
    </message>
    <message>
        <source>IDS_CLI_UNKNOWN_LANGUAGE_%1</source>
        <translation>Unbekannte Sprache „%1“; verfügbar sind en und de.</translation>
    </message>
</context>
<context>
    <name>ProgressForm</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Extras</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Total:0</source>
        <translation>Gesamt: 0</translation>
    </message>
    <message>
        <source>Total:%1</source>
        <translation>Gesamt: %1</translation>
    </message>
    <message>
        <source>IDS_MI_BACKUP_CONTACTS</source>
        <translation>Kontakte sichern</translation>
    </message>
    <message>
        <source>IDS_MI_PHONE_TO_PHONE</source>
        <translation>Übertragung von Telefon zu Telefon</translation>
    </message>
    <message>
        <source>IDS_MI_TRANSFER_TO_OTHER_ANDROID_FROM_ANDROID</source>
        <translation>Android zu Android</translation>
    </message>
    <message>
        <source>IDS_MI_TRANSFER_TO_ANDROID_FROM_LOCALDB</source>
        <translation>Kontakte auf Android wiederherstellen</translation>
    </message>
    <message>
        <source>IDS_MI_EXPORT_CONTACTS</source>
        <translation>Kontakte in Datei exportieren</translation>
    </message>
    <message>
        <source>IDS_MI_PRINT_CONTACTS</source>
        <translation>Kontakte drucken</translation>
    </message>
    <message>
        <source>IDS_MI_NEW_CONTACT</source>
        <translation>Kontakt hinzufügen</translation>
    </message>
    <message>
        <source>IDS_MI_IMPORT</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>IDS_MI_IMPORT_FROM_FILE</source>
        <translation>Aus Datei importieren</translation>
    </message>
    <message>
        <source>IDS_MI_DEL_CONTACTS</source>
        <translation>Kontakt löschen</translation>
    </message>
    <message>
        <source>IDS_MI_OPEN_LOCALDB_FOLDER</source>
        <translation>Datenbankordner öffnen</translation>
    </message>
    <message>
        <source>IDS_MI_CHECK_FOR_UPDATE</source>
        <translation>Nach Aktualisierung suchen</translation>
    </message>
    <message>
        <source>IDS_MI_CONNECT_ANDROID_VIA_WIFI</source>
        <translation>Android-Telefon über WLAN verbinden</translation>
    </message>
    <message>
        <source>IDS_MI_HELP</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>IDS_MI_FEEDBACK</source>
        <translation>Rückmeldung und Support</translation>
    </message>
    <message>
        <source>IDS_MI_ABOUT</source>
        <translation>Über Quillmarrow</translation>
    </message>
    <message>
        <source>IDS_MI_FIND</source>
        <translation>Kontakte suchen</translation>
    </message>
    <message>
        <source>IDS_MI_REFRESH</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>IDS_MI_UNMOUNT_DEVICE</source>
        <translation>Gerät trennen</translation>
    </message>
    <message>
        <source>IDS_MI_REMOVE_LOCAL_DB</source>
        <translation>Lokale Datenbank löschen</translation>
    </message>
    <message>
        <source>IDS_MI_BACKUP_SELECTIONS</source>
        <translation>Ausgewählte Kontakte sichern</translation>
    </message>
    <message>
        <source>IDS_MI_TRANSFER_SELECTIONS_TO_OTHER_ANDROID_FROM_ANDROID</source>
        <translation>Ausgewählte Kontakte von Android zu Android übertragen</translation>
    </message>
    <message>
        <source>IDS_MI_TRANSFER_SELECTIONS_TO_ANDROID_FROM_DB</source>
        <translation>Ausgewählte Kontakte auf Android wiederherstellen</translation>
    </message>
    <message>
        <source>IDS_MI_EXPORT_SELECTIONS</source>
        <translation>Ausgewählte Kontakte exportieren</translation>
    </message>
    <message>
        <source>IDS_MI_PRINT_SELECTIONS</source>
        <translation>Ausgewählte Kontakte drucken</translation>
    </message>
    <message>
        <source>IDS_MI_EDIT_CONTACT</source>
        <translation>Kontakt bearbeiten</translation>
    </message>
    <message>
        <source>IDS_MI_SET_GROUP</source>
        <translation>Kontaktgruppe festlegen</translation>
    </message>
    <message>
        <source>IDS_MI_DEL_SELECTIONS</source>
        <translation>Ausgewählte Kontakte löschen</translation>
    </message>
    <message>
        <source>IDS_SEARCH_KEYWORKD_%1</source>
        <translation>Suchbegriff: %1</translation>
    </message>
    <message>
        <source>IDS_CREATE_DB_FAIL_%1</source>
        <translation>Die lokale Datenbank konnte nicht angelegt werden. Fehler: %1</translation>
    </message>
    <message>
        <source>IDS_STARTING_IMPORT_CONTACTS_FROM_DEVICE</source>
        <translation>Kontakte werden vom Gerät geladen</translation>
    </message>
    <message>
        <source>IDS_SELECT_ANDROID_TO_TRANSFER</source>
        <translation>Wählen Sie ein Android-Gerät, um fortzufahren.</translation>
    </message>
    <message>
        <source>VCard Files(*.vcf)</source>
        <translation>vCard-Dateien (*.vcf)</translation>
    </message>
    <message>
        <source>CSV Files(*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>Text Files(*.txt)</source>
        <translation>Textdateien (*.txt)</translation>
    </message>
    <message>
        <source>HTML files(*.html)</source>
        <translation>HTML-Dateien (*.html)</translation>
    </message>
    <message>
        <source>Word files(*.doc)</source>
        <translation>Word-Dateien (*.doc)</translation>
    </message>
    <message>
        <source>PDF files(*.pdf)</source>
        <translation>PDF-Dateien (*.pdf)</translation>
    </message>
    <message>
        <source>IDS_STARTING_EXPORT_CONTACTS_TO_FILE</source>
        <translation>Kontakte werden in die Datei exportiert...</translation>
    </message>
    <message>
        <source>IDS_SUC_EXPORT_%1_CONTACTS_TO_FILE</source>
        <translation>%1 Kontakte wurden in die Datei exportiert.</translation>
    </message>
    <message>
        <source>IDS_STARTING_IMPORT_CONTACTS_FROM_FILE</source>
        <translation>Kontakte werden importiert...</translation>
    </message>
    <message>
        <source>IDS_FILE_EXISTS_REPLACE_%1</source>
        <translation>%1 ist bereits vorhanden.
Möchten Sie die Datei ersetzen?</translation>
    </message>
    <message>
        <source>IDS_WRITE_FILE_FAIL_%1</source>
        <translation>Die Datei %1 konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>IDS_SUC_DEL_CONTACTS</source>
        <translation>Kontakt gelöscht.</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_DEL_SELECTIONS</source>
        <translation>Ausgewählte Kontakte löschen?</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_DEL_GROUP</source>
        <translation>Die Gruppe löschen?</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_DEL_LOCALDB</source>
        <translation>Diese lokale Datenbank löschen?</translation>
    </message>
    <message>
        <source>IDS_DELETE_LOCALDB_SUC</source>
        <translation>Lokale Datenbank gelöscht.</translation>
    </message>
    <message>
        <source>IDS_DELETE_LOCALDB_ERROR</source>
        <translation>Beim Löschen der lokalen Datenbank ist ein Fehler aufgetreten. Bitte versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_CLEAR_ANDROID_CONTACTS</source>
        <translation>Alle Kontakte des Android-Geräts löschen?</translation>
    </message>
    <message>
        <source>IDS_UPDATE_GROUP_SUC</source>
        <translation>Kontaktgruppe festgelegt</translation>
    </message>
</context>
<context>
    <name>ItemModelMainTree</name>
    <message>
        <source>IDS_ROOT_DEVICE</source>
        <translation>Geräte</translation>
    </message>
    <message>
        <source>IDS_ROOT_LOCALDB</source>
        <translation>Lokale Datenbanken</translation>
    </message>
</context>
<context>
    <name>ItemModelContacts</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>Telefon</translation>
    </message>
    <message>
        <source>E-Mail</source>
        <translation>E-Mail</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
</context>
<context>
    <name>LocalDbSelForm</name>
    <message>
        <source>Select one Database for backup</source>
        <translation>Datenbank für die Sicherung wählen</translation>
    </message>
    <message>
        <source>Select Database or enter a new Database name:</source>
        <translation>Datenbank wählen oder einen neuen Datenbanknamen eingeben:</translation>
    </message>
    <message>
        <source>Selecting current Database will merge messages;entering new DB name will create a new Database.</source>
        <translation>Eine vorhandene Datenbank wird zusammengeführt; ein neuer Name legt eine neue Datenbank an.</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>IDS_PLEASE_SELECT_DATABASE_OR_INPUT_NEW_NAME</source>
        <translation>Wählen Sie eine Datenbank oder geben Sie einen neuen Datenbanknamen ein</translation>
    </message>
    <message>
        <source>IDS_INVALID_LOCALDB_NAME</source>
        <translation>Ungültiger Name der lokalen Datenbank (nicht erlaubt: \ / : * ? &quot; &lt; &gt; |).</translation>
    </message>
</context>
<context>
    <name>DataSourceSelForm</name>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>IDS_PLEASE_SELECT_ONE_DATASOURCE</source>
        <translation>Bitte wählen Sie eine Datenquelle.</translation>
    </message>
</context>
<context>
    <name>GroupForm</name>
    <message>
        <source>Pick a Group or enter new Group name;</source>
        <translation>Gruppe wählen oder neuen Gruppennamen eingeben;</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_UNGROUP_CONTACTS</source>
        <translation>Ausgewählte Mitglieder aus der Gruppe entfernen?</translation>
    </message>
</context>
<context>
    <name>EditContactForm</name>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>IDS_NEW_CONTACT</source>
        <translation>Neuen Kontakt hinzufügen</translation>
    </message>
    <message>
        <source>IDS_EDIT_CONTACT_%1</source>
        <translation>Kontakt %1 bearbeiten</translation>
    </message>
    <message>
        <source>IDS_ENTER_FIRSTNAME_OR_LASTNAME</source>
        <translation>Vorname oder Nachname darf nicht leer sein.</translation>
    </message>
    <message>
        <source>IDS_CONTACT_NAME_%1_EXIST</source>
        <translation>Kontakt %1 ist bereits vorhanden.</translation>
    </message>
    <message>
        <source>IDS_CANCEL_EDIT_CONTACT_WILL_LOST_CHANGES_CONTINUE</source>
        <translation>Änderungen verwerfen?</translation>
    </message>
</context>
<context>
    <name>ContactEditor</name>
    <message>
        <source>Delete Photo</source>
        <translation>Foto löschen</translation>
    </message>
    <message>
        <source>Prefix</source>
        <translation>Namenspräfix</translation>
    </message>
    <message>
        <source>First Name</source>
        <translation>Vorname</translation>
    </message>
    <message>
        <source>Middle Name</source>
        <translation>Zweiter Vorname</translation>
    </message>
    <message>
        <source>Last Name</source>
        <translation>Nachname</translation>
    </message>
    <message>
        <source>Suffix</source>
        <translation>Namenszusatz</translation>
    </message>
    <message>
        <source>Nickname</source>
        <translation>Spitzname</translation>
    </message>
    <message>
        <source>Job Title</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Department</source>
        <translation>Abteilung</translation>
    </message>
    <message>
        <source>Company</source>
        <translation>Firma</translation>
    </message>
    <message>
        <source>Phone:</source>
        <translation>Telefon:</translation>
    </message>
    <message>
        <source>Phone Number</source>
        <translation>Telefonnummer</translation>
    </message>
    <message>
        <source>E-Mail:</source>
        <translation>E-Mail:</translation>
    </message>
    <message>
        <source>E-Mail Address</source>
        <translation>E-Mail-Adresse</translation>
    </message>
    <message>
        <source>Date:</source>
        <translation>Datum:</translation>
    </message>
    <message>
        <source>IM:</source>
        <translation>Chat:</translation>
    </message>
    <message>
        <source>Relationshp:</source>
        <translation>Beziehung:</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>Adresse:</translation>
    </message>
    <message>
        <source>Url:</source>
        <translation>Webseite:</translation>
    </message>
    <message>
        <source>Url</source>
        <translation>Webseite</translation>
    </message>
    <message>
        <source>Notes:</source>
        <translation>Notizen:</translation>
    </message>
    <message>
        <source>IDS_PHOTO_NOT_A_PICTURE_%1</source>
        <translation>Die Datei %1 ist kein JPEG- oder PNG-Bild; das Foto bleibt unverändert.</translation>
    </message>
</context>
<context>
    <name>AddrEntitiesEditor</name>
    <message>
        <source>Country</source>
        <translation>Land</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Bundesland</translation>
    </message>
    <message>
        <source>City</source>
        <translation>Ort</translation>
    </message>
    <message>
        <source>Postcode</source>
        <translation>Postleitzahl</translation>
    </message>
</context>
<context>
    <name>AndroidWIFIForm</name>
    <message>
        <source>Connect Android via WiFi</source>
        <translation>Android über WLAN verbinden</translation>
    </message>
    <message>
        <source>Run Quillmarrow Contacts Sync on Android phone and click Connection button to get the Wifi connection info. Now input the info to the following Text Box. </source>
        <translation>Starten Sie Quillmarrow Contacts Sync auf dem Android-Telefon und tippen Sie auf „Verbindung“, um die WLAN-Verbindungsdaten zu erhalten. Geben Sie diese Daten in das folgende Textfeld ein. </translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Verbinden</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>If you haven&apos;t installed Quillmarrow Contacts Sync on Android phone, please go the to Market (Google Play) on your Android to search Quillmarrow Contacts Sync to download and install.</source>
        <translation>Falls Quillmarrow Contacts Sync noch nicht auf dem Android-Telefon installiert ist, suchen Sie es bitte in Google Play auf dem Telefon und installieren Sie es.</translation>
    </message>
    <message>
        <source>IDS_WIFI_SOCK_WRONG_FOR_EXAMPLE</source>
        <translation>Eingabefehler. Bitte geben Sie die richtigen WLAN-Verbindungsdaten ein.</translation>
    </message>
    <message>
        <source>IDS_WIFI_CONNECTOR_CONNECT_TIMEOUT</source>
        <translation>Zeitüberschreitung der Verbindung. Bitte prüfen Sie, ob die WLAN-Verbindungsdaten richtig eingegeben sind.</translation>
    </message>
</context>
<context>
    <name>BackupContactsToLocalThread</name>
    <message>
        <source>IDS_IMPORTING_CONTACTS_TO_LOCALDB</source>
        <translation>Kontakte werden in der lokalen Datenbank gesichert</translation>
    </message>
    <message>
        <source>IDS_SUC_IMPORT_%1_TO_LOCALDB</source>
        <translation>%1 Kontakte wurden in der lokalen Datenbank gesichert.</translation>
    </message>
    <message>
        <source>IDS_SUC_IMPORT_%1_TO_LOCALDB_%2_MERGED</source>
        <translation>%1 Kontakte wurden in der lokalen Datenbank gesichert; %2 doppelte Kontakte wurden zusammengeführt.</translation>
    </message>
    <message>
        <source>Contacts:%1/%2</source>
        <translation>Kontakte: %1/%2</translation>
    </message>
</context>
<context>
    <name>SyncRestoreThread</name>
    <message>
        <source>IDS_SYNC_CHECK_APK</source>
        <translation>Quillmarrow Contacts Sync wird geprüft und installiert...</translation>
    </message>
    <message>
        <source>IDS_SYNC_START_SERVICE</source>
        <translation>Synchronisationsdienst wird gestartet...</translation>
    </message>
    <message>
        <source>IDS_ANDROID_CONNECT_FAIL%0:%1</source>
        <translation>Verbindung mit %0:%1 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>IDS_SYNC_BACKING</source>
        <translation>Kontakte werden gesichert...</translation>
    </message>
    <message>
        <source>IDS_DAEMON_APK_OLDER_THAN_%1</source>
        <translation>Dies ist nicht die neueste Version von Quillmarrow Contacts Sync auf dem Android-Gerät. Benötigt wird %1. Bitte aktualisieren Sie es über Google Play.</translation>
    </message>
    <message>
        <source>IDS_RECEIVING_CONTACTS_FROM_ANDROID</source>
        <translation>Kontakte werden vom Android-Gerät geladen...</translation>
    </message>
</context>
<context>
    <name>SyncBackupThread</name>
    <message>
        <source>IDS_MERGING_CONTACTS</source>
        <translation>Kontakte werden zusammengeführt...</translation>
    </message>
    <message>
        <source>IDS_SYNC_START_SERVICE</source>
        <translation>Synchronisationsdienst wird gestartet...</translation>
    </message>
    <message>
        <source>IDS_ANDROID_CONNECT_FAIL%0:%1</source>
        <translation>Verbindung mit %0:%1 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>IDS_SEND_CHANGES_TO_ANDROID</source>
        <translation>Android-Gerät wird aktualisiert...</translation>
    </message>
    <message>
        <source>IDS_SUC_TRANSFER_%1_CONTACTS_TO_ANDROID</source>
        <translation>%1 Kontakte wurden auf das Android-Gerät übertragen.</translation>
    </message>
    <message>
        <source>IDS_SUC_TRANSFER_%1_CONTACTS_TO_ANDROID_%2_MERGED</source>
        <translation>%1 Kontakte wurden auf das Android-Gerät übertragen; %2 doppelte Kontakte wurden zusammengeführt.</translation>
    </message>
    <message>
        <source>IDS_SEND_NO_PHONE_ID_%1</source>
        <translation>Das Telefon hat dem Kontakt %1 keine Kennung gegeben; seine Angaben wurden daher nicht gesendet.</translation>
    </message>
</context>
<context>
    <name>AndroidSendChangesThread</name>
    <message>
        <source>IDS_SYNC_START_SERVICE</source>
        <translation>Synchronisationsdienst wird gestartet...</translation>
    </message>
    <message>
        <source>IDS_SENGING_CHANGES_TO_DEVICE</source>
        <translation>Kontakte auf dem Gerät werden aktualisiert...</translation>
    </message>
    <message>
        <source>IDS_CHANGES_NEED_PHONE_CONTACT_%1</source>
        <translation>Der Kontakt %1 ist nicht auf dem Telefon und hat keinen Namen, unter dem er angelegt werden könnte; seine Änderungen wurden daher nicht gesendet.</translation>
    </message>
    <message>
        <source>IDS_ANDROID_CONNECT_FAIL%0:%1</source>
        <translation>Verbindung mit %0:%1 fehlgeschlagen.</translation>
    </message>
</context>
<context>
    <name>ExportToFileThread</name>
    <message>
        <source>IDS_EXPORTING_CONTACTS_TO_FILE</source>
        <translation>Kontakte werden in die Datei exportiert...</translation>
    </message>
    <message>
        <source>IDS_SUC_EXPORT_%1_CONTACTS_TO_FILE</source>
        <translation>%1 Kontakte wurden in die Datei exportiert.</translation>
    </message>
    <message>
        <source>Contacts:%1/%2</source>
        <translation>Kontakte: %1/%2</translation>
    </message>
</context>
<context>
    <name>ContactsPrinter</name>
    <message>
        <source>IDS_PRINT_CONTACTS</source>
        <translation>Kontakte drucken</translation>
    </message>
    <message>
        <source>IDS_PRINT_FAILED</source>
        <translation>Die Kontakte konnten nicht gedruckt werden.</translation>
    </message>
</context>
<context>
    <name>ImportContactsToLocalThread</name>
    <message>
        <source>IDS_IMPORTING_CONTACTS_TO_DB</source>
        <translation>Kontakte werden in die lokale Datenbank importiert...</translation>
    </message>
    <message>
        <source>IDS_READING_IMPORT_FILE</source>
        <translation>Die Datei wird gelesen...</translation>
    </message>
    <message>
        <source>IDS_SUC_IMPORT_%1_CONTACTS_TO_DB</source>
        <translation>%1 Kontakte wurden importiert.</translation>
    </message>
    <message>
        <source>IDS_SUC_IMPORT_%1_CONTACTS_TO_DB_%2_MERGED</source>
        <translation>%1 Kontakte wurden importiert; %2 doppelte Kontakte wurden zusammengeführt.</translation>
    </message>
    <message>
        <source>Contacts:%1/%2</source>
        <translation>Kontakte: %1/%2</translation>
    </message>
</context>
<context>
    <name>AboutUsForm</name>
    <message>
        <source>IDS_ABOUT_TITLE</source>
        <translation>Über Quillmarrow</translation>
    </message>
    <message>
        <source>IDS_ABOUT_DESCRIPTION</source>
        <translation>Verwaltet die Kontakte von Android-Telefonen auf Ihrem Computer: sichern, wiederherstellen, übertragen, bearbeiten, importieren, exportieren und drucken.</translation>
    </message>
    <message>
        <source>IDS_ABOUT_VERSION_%1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>IDS_ABOUT_LICENSE_%1</source>
        <translation>Lizenz: %1</translation>
    </message>
    <message>
        <source>IDS_ABOUT_LIBRARIES_%1_%2</source>
        <translation>Läuft mit Qt %1 und SQLite %2</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>ImportReport</name>
    <message>
        <source>IDS_IMPORT_REPORT_COUNT_%1_%2</source>
        <translation>%1 × %2</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_READ_%1</source>
        <translation>Gelesene Kontakte: %1</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_STORED_%1_%2</source>
        <translation>Importiert: %1, mit vorhandenen Kontakten zusammengeführt: %2</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_SKIPPED_%1_%2</source>
        <translation>Übersprungen: %1 (%2)</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_AND_%1_MORE</source>
        <translation>, %1 weitere</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_NOT_KEPT_%1</source>
        <translation>Nicht übernommen: %1</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_MALFORMED_%1_%2</source>
        <translation>Fehlerhafte Zeilen: %1 (Zeile %2)</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_FORMAT_%1</source>
        <translation>Datei: %1</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_ROW_%1_LINE_%2_%3</source>
        <translation>Zeile %1 (Textzeile %2): %3</translation>
    </message>
    <message>
        <source>IDS_IMPORT_SKIPPED_NO_NAME</source>
        <translation>ohne Namen</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_EXTRA_PHOTO</source>
        <translation>weiteres Foto</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_BROKEN_PROPERTY</source>
        <translation>Eigenschaft mit Syntaxfehler</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_EXTRA_FIELDS</source>
        <translation>Felder nach der letzten Spalte</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_BIRTHDAY</source>
        <translation>Geburtstag, der kein Datum ist</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_PHOTO_LINK</source>
        <translation>Foto, das nur als Link angegeben ist</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_PO_BOX</source>
        <translation>Postfach oder Adresszusatz</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_ORG_UNIT</source>
        <translation>Organisationseinheit unterhalb der Abteilung</translation>
    </message>
    <message>
        <source>IDS_IMPORT_MALFORMED_UNBALANCED_QUOTE</source>
        <translation>nicht geschlossenes Anführungszeichen; die Zeile wurde bis zum Ende ihrer Textzeile gelesen</translation>
    </message>
    <message>
        <source>IDS_IMPORT_COLUMN_%1</source>
        <translation>Spalte %1</translation>
    </message>
    <message>
        <source>IDS_CSV_FORMAT_%1_%2_%3</source>
        <translation>%1, %2, %3</translation>
    </message>
    <message>
        <source>IDS_CSV_SEPARATOR_COMMA</source>
        <translation>durch Kommas getrennt</translation>
    </message>
    <message>
        <source>IDS_CSV_SEPARATOR_SEMICOLON</source>
        <translation>durch Semikolons getrennt</translation>
    </message>
    <message>
        <source>IDS_CSV_SEPARATOR_TAB</source>
        <translation>durch Tabulatoren getrennt</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_PLAIN</source>
        <translation>CSV</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_OWN</source>
        <translation>Quillmarrow-CSV</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_OUTLOOK</source>
        <translation>Outlook-CSV</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_OUTLOOK_GERMAN</source>
        <translation>Outlook-CSV (deutsch)</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_APPLE_GERMAN</source>
        <translation>Apple-Kontakte-CSV (deutsch)</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_THUNDERBIRD</source>
        <translation>Thunderbird-CSV</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_GOOGLE_OLD</source>
        <translation>Google-Kontakte-CSV (älteres Format)</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_GOOGLE</source>
        <translation>Google-Kontakte-CSV</translation>
    </message>
</context>
<context>
    <name>PhoneBridge</name>
    <message>
        <source>IDS_BRIDGE_ROWS_UNREADABLE%1</source>
        <translation>Die Kontakte des Telefons konnten nicht sicher gelesen werden (%1). Es wurde nichts gespeichert; bitte versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>IDS_BRIDGE_PHONE_CHANGED</source>
        <translation>Die Kontakte des Telefons haben sich während des Schreibens geändert. Laden Sie das Telefon erneut und wiederholen Sie den Vorgang.</translation>
    </message>
</context>
<context>
    <name>AdbBridgeConnector</name>
    <message>
        <source>IDS_ALLOW_USB_DEBUGGING%1</source>
        <translation>Telefon %1 wartet auf Ihre Erlaubnis: Entsperren Sie es und erlauben Sie USB-Debugging für diesen Computer.</translation>
    </message>
    <message>
        <source>IDS_ADB_NO_PERMISSIONS%1</source>
        <translation>Dieser Computer darf Telefon %1 nicht verwenden (keine Berechtigung). Installieren Sie die Android-udev-Regeln (Debian-Paket android-sdk-platform-tools-common) und schließen Sie das Telefon erneut an.</translation>
    </message>
</context>
<context>
    <name>UsbPhoneConnector</name>
    <message>
        <source>IDS_PHOTOS_LEFT_OUT%1%2</source>
        <translation>Telefon %1: %2 Kontaktfotos wurden ausgelassen. Ohne den Quillmarrow-Agenten auf dem Telefon kann Androids content-Werkzeug keine Fotos übertragen; alles andere wurde übertragen.</translation>
    </message>
</context>
<context>
    <name>ContactTilePainter</name>
    <message>
        <source>IDS_PRINT_PDF_NOT_WRITTEN_%1</source>
        <translation>Die PDF-Datei %1 konnte nicht geschrieben werden.</translation>
    </message>
</context>
</TS>
