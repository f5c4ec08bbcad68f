<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Quillmarrow</source>
        <translation>Quillmarrow</translation>
    </message>
    <message>
        <source>IDS_ERROR_OCCUR_DESC_%1</source>
        <translation>An Error Occurred. Please contact our support team at support@quillmarrow.example for help.

Error info: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>IDS_NONE_INSTALL_ITUNES</source>
        <translation>iTunes is required to connect iPhone. Download now?</translation>
    </message>
    <message>
        <source>IDS_CLI_DESCRIPTION</source>
        <translation>Keeps the contacts of Android phones on a desktop computer.</translation>
    </message>
    <message>
        <source>IDS_CLI_LANGUAGE</source>
        <translation>Show the program in this language: en (English) or de (German). Without it, the language saved in the settings is used, else the system&apos;s.</translation>
    </message>
    <message>
        <source>IDS_CLI_LANGUAGE_VALUE</source>
        <translation>language</translation>
    </message>
    <message>
        <source>IDS_CLI_UNKNOWN_LANGUAGE_%1</source>
        <translation>Unknown language &quot;%1&quot;; the languages are en and de.</translation>
    </message>
</context>
<context>
    <name>ProgressForm</name>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Total:0</source>
        <translation>Total:0</translation>
    </message>
    <message>
        <source>Total:%1</source>
        <translation>Total:%1</translation>
    </message>
    <message>
        <source>IDS_MI_BACKUP_CONTACTS</source>
        <translation>Backup Contacts</translation>
    </message>
    <message>
        <source>IDS_MI_PHONE_TO_PHONE</source>
        <translation>Phone to Phone Transfer</translation>
    </message>
    <message>
        <source>IDS_MI_TRANSFER_TO_OTHER_ANDROID_FROM_ANDROID</source>
        <translation>Android to Android</translation>
    </message>
    <message>
        <source>IDS_MI_TRANSFER_TO_ANDROID_FROM_LOCALDB</source>
        <translation>Restore Contacts to Android</translation>
    </message>
    <message>
        <source>IDS_MI_EXPORT_CONTACTS</source>
        <translation>Export Contacts to File</translation>
    </message>
    <message>
        <source>IDS_MI_PRINT_CONTACTS</source>
        <translation>Print Contacts</translation>
    </message>
    <message>
        <source>IDS_MI_NEW_CONTACT</source>
        <translation>Add Contact</translation>
    </message>
    <message>
        <source>IDS_MI_IMPORT</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>IDS_MI_IMPORT_FROM_FILE</source>
        <translation>Import from File</translation>
    </message>
    <message>
        <source>IDS_MI_DEL_CONTACTS</source>
        <translation>Delete Contact</translation>
    </message>
    <message>
        <source>IDS_MI_OPEN_LOCALDB_FOLDER</source>
        <translation>Open Database Folder</translation>
    </message>
    <message>
        <source>IDS_MI_CHECK_FOR_UPDATE</source>
        <translation>Check update</translation>
    </message>
    <message>
        <source>IDS_MI_CONNECT_ANDROID_VIA_WIFI</source>
        <translation>Connect Android Phone via WiFi</translation>
    </message>
    <message>
        <source>IDS_MI_HELP</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>IDS_MI_FEEDBACK</source>
        <translation>Feedback and support</translation>
    </message>
    <message>
        <source>IDS_MI_ABOUT</source>
        <translation>About</translation>
    </message>
    <message>
        <source>IDS_MI_FIND</source>
        <translation>Find Contacts</translation>
    </message>
    <message>
        <source>IDS_MI_REFRESH</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>IDS_MI_UNMOUNT_DEVICE</source>
        <translation>Disconnect Device</translation>
    </message>
    <message>
        <source>IDS_MI_REMOVE_LOCAL_DB</source>
        <translation>Delete Local Database</translation>
    </message>
    <message>
        <source>IDS_MI_BACKUP_SELECTIONS</source>
        <translation>Backup selected contacts</translation>
    </message>
    <message>
        <source>IDS_MI_TRANSFER_SELECTIONS_TO_OTHER_ANDROID_FROM_ANDROID</source>
        <translation>Transfer selected contacts from Android to Android</translation>
    </message>
    <message>
        <source>IDS_MI_TRANSFER_SELECTIONS_TO_ANDROID_FROM_DB</source>
        <translation>Restore selected contacts to Android</translation>
    </message>
    <message>
        <source>IDS_MI_EXPORT_SELECTIONS</source>
        <translation>Export selected contacts</translation>
    </message>
    <message>
        <source>IDS_MI_PRINT_SELECTIONS</source>
        <translation>Print selected contacts</translation>
    </message>
    <message>
        <source>IDS_MI_EDIT_CONTACT</source>
        <translation>Edit Contact</translation>
    </message>
    <message>
        <source>IDS_MI_SET_GROUP</source>
        <translation>Set Contact Group</translation>
    </message>
    <message>
        <source>IDS_MI_DEL_SELECTIONS</source>
        <translation>Delete selected contacts</translation>
    </message>
    <message>
        <source>IDS_SEARCH_KEYWORKD_%1</source>
        <translation>Keyword:%1</translation>
    </message>
    <message>
        <source>IDS_CREATE_DB_FAIL_%1</source>
        <translation>Failed to create Local Database. Error:%1</translation>
    </message>
    <message>
        <source>IDS_STARTING_IMPORT_CONTACTS_FROM_DEVICE</source>
        <translation>Loading Contacts from Device</translation>
    </message>
    <message>
        <source>IDS_SELECT_ANDROID_TO_TRANSFER</source>
        <translation>Select an Android device to continue.</translation>
    </message>
    <message>
        <source>VCard Files(*.vcf)</source>
        <translation>VCard Files(*.vcf)</translation>
    </message>
    <message>
        <source>CSV Files(*.csv)</source>
        <translation>CSV Files(*.csv)</translation>
    </message>
    <message>
        <source>Text Files(*.txt)</source>
        <translation>Text Files(*.txt)</translation>
    </message>
    <message>
        <source>HTML files(*.html)</source>
        <translation>HTML files(*.html)</translation>
    </message>
    <message>
        <source>Word files(*.doc)</source>
        <translation>Word files(*.doc)</translation>
    </message>
    <message>
        <source>PDF files(*.pdf)</source>
        <translation>PDF files(*.pdf)</translation>
    </message>
    <message>
        <source>IDS_STARTING_EXPORT_CONTACTS_TO_FILE</source>
        <translation>Exporting contacts to File now...</translation>
    </message>
    <message>
        <source>IDS_SUC_EXPORT_%1_CONTACTS_TO_FILE</source>
        <translation>Successfully exported %1 contacts to File.</translation>
    </message>
    <message>
        <source>IDS_STARTING_IMPORT_CONTACTS_FROM_FILE</source>
        <translation>Importing contacts now...</translation>
    </message>
    <message>
        <source>IDS_FILE_EXISTS_REPLACE_%1</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
    <message>
        <source>IDS_WRITE_FILE_FAIL_%1</source>
        <translation>Failed to write the file %1.</translation>
    </message>
    <message>
        <source>IDS_SUC_DEL_CONTACTS</source>
        <translation>Successfully deleted contact.</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_DEL_SELECTIONS</source>
        <translation>Confirm to delete selected contacts?</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_DEL_GROUP</source>
        <translation>Confirm to delete the Group?</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_DEL_LOCALDB</source>
        <translation>Confirm to delete this Local Database?</translation>
    </message>
    <message>
        <source>IDS_DELETE_LOCALDB_SUC</source>
        <translation>Successfully deleted Local Database.</translation>
    </message>
    <message>
        <source>IDS_DELETE_LOCALDB_ERROR</source>
        <translation>An Error Occurred during deleting Local Database. Please try again.</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_CLEAR_ANDROID_CONTACTS</source>
        <translation>Confirm to clear all Android Contacts?</translation>
    </message>
    <message>
        <source>IDS_UPDATE_GROUP_SUC</source>
        <translation>Successfuly set Contact Group</translation>
    </message>
</context>
<context>
    <name>ItemModelMainTree</name>
    <message>
        <source>IDS_ROOT_DEVICE</source>
        <translation>Devices</translation>
    </message>
    <message>
        <source>IDS_ROOT_LOCALDB</source>
        <translation>Local Databases</translation>
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
        <translation>Phone</translation>
    </message>
    <message>
        <source>E-Mail</source>
        <translation>E-Mail</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Address</translation>
    </message>
</context>
<context>
    <name>LocalDbSelForm</name>
    <message>
        <source>Select one Database for backup</source>
        <translation>Select one Database for backup</translation>
    </message>
    <message>
        <source>Select Database or enter a new Database name:</source>
        <translation>Select Database or enter a new Database name:</translation>
    </message>
    <message>
        <source>Selecting current Database will merge messages;entering new DB name will create a new Database.</source>
        <translation>Selecting current Database will merge messages;entering new DB name will create a new Database.</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>IDS_PLEASE_SELECT_DATABASE_OR_INPUT_NEW_NAME</source>
        <translation>Select one Database or enter a new Database name</translation>
    </message>
    <message>
        <source>IDS_INVALID_LOCALDB_NAME</source>
        <translation>Invalid Local Database name(can&apos;t contain \ / : * ? &quot; &lt; &gt; |).</translation>
    </message>
</context>
<context>
    <name>DataSourceSelForm</name>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>IDS_PLEASE_SELECT_ONE_DATASOURCE</source>
        <translation>Please select one datasource.</translation>
    </message>
</context>
<context>
    <name>GroupForm</name>
    <message>
        <source>Pick a Group or enter new Group name;</source>
        <translation>Pick a Group or enter new Group name;</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_UNGROUP_CONTACTS</source>
        <translation>Confirm to remove seleted member from the Group?</translation>
    </message>
</context>
<context>
    <name>EditContactForm</name>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>IDS_NEW_CONTACT</source>
        <translation>Add New Contact</translation>
    </message>
    <message>
        <source>IDS_EDIT_CONTACT_%1</source>
        <translation>Edit Contact %1</translation>
    </message>
    <message>
        <source>IDS_ENTER_FIRSTNAME_OR_LASTNAME</source>
        <translation>First name or Last name can&apos;t be blank.</translation>
    </message>
    <message>
        <source>IDS_CONTACT_NAME_%1_EXIST</source>
        <translation>Contact %1 has already existed.</translation>
    </message>
    <message>
        <source>IDS_CANCEL_EDIT_CONTACT_WILL_LOST_CHANGES_CONTINUE</source>
        <translation>Discard the editing?</translation>
    </message>
</context>
<context>
    <name>ContactEditor</name>
    <message>
        <source>Delete Photo</source>
        <translation>Delete Photo</translation>
    </message>
    <message>
        <source>Prefix</source>
        <translation>Prefix</translation>
    </message>
    <message>
        <source>First Name</source>
        <translation>First Name</translation>
    </message>
    <message>
        <source>Middle Name</source>
        <translation>Middle Name</translation>
    </message>
    <message>
        <source>Last Name</source>
        <translation>Last Name</translation>
    </message>
    <message>
        <source>Suffix</source>
        <translation>Suffix</translation>
    </message>
    <message>
        <source>Nickname</source>
        <translation>Nickname</translation>
    </message>
    <message>
        <source>Job Title</source>
        <translation>Job Title</translation>
    </message>
    <message>
        <source>Department</source>
        <translation>Department</translation>
    </message>
    <message>
        <source>Company</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>Phone:</source>
        <translation>Phone:</translation>
    </message>
    <message>
        <source>Phone Number</source>
        <translation>Phone Number</translation>
    </message>
    <message>
        <source>E-Mail:</source>
        <translation>E-Mail:</translation>
    </message>
    <message>
        <source>E-Mail Address</source>
        <translation>E-Mail Address</translation>
    </message>
    <message>
        <source>Date:</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>IM:</source>
        <translation>IM:</translation>
    </message>
    <message>
        <source>Relationshp:</source>
        <translation>Relationshp:</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>Url:</source>
        <translation>Url:</translation>
    </message>
    <message>
        <source>Url</source>
        <translation>Url</translation>
    </message>
    <message>
        <source>Notes:</source>
        <translation>Notes:</translation>
    </message>
    <message>
        <source>IDS_PHOTO_NOT_A_PICTURE_%1</source>
        <translation>The file %1 is not a JPEG or PNG picture; the photo stays as it was.</translation>
    </message>
</context>
<context>
    <name>AddrEntitiesEditor</name>
    <message>
        <source>Country</source>
        <translation>Country</translation>
    </message>
    <message>
        <source>State</source>
        <translation>State</translation>
    </message>
    <message>
        <source>City</source>
        <translation>City</translation>
    </message>
    <message>
        <source>Postcode</source>
        <translation>Postcode</translation>
    </message>
</context>
<context>
    <name>AndroidWIFIForm</name>
    <message>
        <source>Connect Android via WiFi</source>
        <translation>Connect Android via WiFi</translation>
    </message>
    <message>
        <source>Run Quillmarrow Contacts Sync on Android phone and click Connection button to get the Wifi connection info. Now input the info to the following Text Box. </source>
        <translation>Run Quillmarrow Contacts Sync on Android phone and click Connection button to get the Wifi connection info. Now input the info to the following Text Box. </translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>If you haven&apos;t installed Quillmarrow Contacts Sync on Android phone, please go the to Market (Google Play) on your Android to search Quillmarrow Contacts Sync to download and install.</source>
        <translation>If you haven&apos;t installed Quillmarrow Contacts Sync on Android phone, please go the to Market (Google Play) on your Android to search Quillmarrow Contacts Sync to download and install.</translation>
    </message>
    <message>
        <source>IDS_WIFI_SOCK_WRONG_FOR_EXAMPLE</source>
        <translation>Input Error. Please input the correct WiFi connection info.</translation>
    </message>
    <message>
        <source>IDS_WIFI_CONNECTOR_CONNECT_TIMEOUT</source>
        <translation>Connection Timeout.Please make sure you input the WiFi connection info correctly.</translation>
    </message>
</context>
<context>
    <name>BackupContactsToLocalThread</name>
    <message>
        <source>IDS_IMPORTING_CONTACTS_TO_LOCALDB</source>
        <translation>Backing up contacts to Local Database</translation>
    </message>
    <message>
        <source>IDS_SUC_IMPORT_%1_TO_LOCALDB</source>
        <translation>Successfully backup %1 contacts to Local Database.</translation>
    </message>
    <message>
        <source>IDS_SUC_IMPORT_%1_TO_LOCALDB_%2_MERGED</source>
        <translation>Successfully backup %1 contacts to Local Database;%2 repeated contacts merged.</translation>
    </message>
    <message>
        <source>Contacts:%1/%2</source>
        <translation>Contacts:%1/%2</translation>
    </message>
</context>
<context>
    <name>SyncRestoreThread</name>
    <message>
        <source>IDS_SYNC_CHECK_APK</source>
        <translation>Checking and installing Quillmarrow Contacts Sync now...</translation>
    </message>
    <message>
        <source>IDS_SYNC_START_SERVICE</source>
        <translation>Starting Sync Service now...</translation>
    </message>
    <message>
        <source>IDS_ANDROID_CONNECT_FAIL%0:%1</source>
        <translation>Failed to Connect to %0:%1.</translation>
    </message>
    <message>
        <source>IDS_SYNC_BACKING</source>
        <translation>Backing up Contacts now...</translation>
    </message>
    <message>
        <source>IDS_DAEMON_APK_OLDER_THAN_%1</source>
        <translation>This is not the latest version of Quillmarrow Contacts Sync on Android. %1 needed. Please update it from Google Play.</translation>
    </message>
    <message>
        <source>IDS_RECEIVING_CONTACTS_FROM_ANDROID</source>
        <translation>Loading contacts from Android now...</translation>
    </message>
</context>
<context>
    <name>SyncBackupThread</name>
    <message>
        <source>IDS_MERGING_CONTACTS</source>
        <translation>Merging contacts now...</translation>
    </message>
    <message>
        <source>IDS_SYNC_START_SERVICE</source>
        <translation>Starting Sync Service now...</translation>
    </message>
    <message>
        <source>IDS_ANDROID_CONNECT_FAIL%0:%1</source>
        <translation>Failed to Connect to %0:%1.</translation>
    </message>
    <message>
        <source>IDS_SEND_CHANGES_TO_ANDROID</source>
        <translation>Updating Android device now...</translation>
    </message>
    <message>
        <source>IDS_SUC_TRANSFER_%1_CONTACTS_TO_ANDROID</source>
        <translation>Successfully transferred %1 contacts to Android.</translation>
    </message>
    <message>
        <source>IDS_SUC_TRANSFER_%1_CONTACTS_TO_ANDROID_%2_MERGED</source>
        <translation>Successfully transferred %1 contacts to Android,with %2 repeated contacts merged.</translation>
    </message>
    <message>
        <source>IDS_SEND_NO_PHONE_ID_%1</source>
        <translation>The phone gave no id to the contact %1, so its details were not sent.</translation>
    </message>
</context>
<context>
    <name>AndroidSendChangesThread</name>
    <message>
        <source>IDS_SYNC_START_SERVICE</source>
        <translation>Starting Sync Service now...</translation>
    </message>
    <message>
        <source>IDS_SENGING_CHANGES_TO_DEVICE</source>
        <translation>Updating device contacts now...</translation>
    </message>
    <message>
        <source>IDS_CHANGES_NEED_PHONE_CONTACT_%1</source>
        <translation>The contact %1 is not on the phone and has no name to create it with, so its changes were not sent.</translation>
    </message>
    <message>
        <source>IDS_ANDROID_CONNECT_FAIL%0:%1</source>
        <translation>Failed to Connect to %0:%1.</translation>
    </message>
</context>
<context>
    <name>ExportToFileThread</name>
    <message>
        <source>IDS_EXPORTING_CONTACTS_TO_FILE</source>
        <translation>Exporting contacts to File now...</translation>
    </message>
    <message>
        <source>IDS_SUC_EXPORT_%1_CONTACTS_TO_FILE</source>
        <translation>Successfully exported %1 contacts to File.</translation>
    </message>
    <message>
        <source>Contacts:%1/%2</source>
        <translation>Contacts:%1/%2</translation>
    </message>
</context>
<context>
    <name>ContactsPrinter</name>
    <message>
        <source>IDS_PRINT_CONTACTS</source>
        <translation>Print Contacts</translation>
    </message>
    <message>
        <source>IDS_PRINT_FAILED</source>
        <translation>The contacts could not be printed.</translation>
    </message>
</context>
<context>
    <name>ImportContactsToLocalThread</name>
    <message>
        <source>IDS_IMPORTING_CONTACTS_TO_DB</source>
        <translation>Importing contacts to Local Database now...</translation>
    </message>
    <message>
        <source>IDS_READING_IMPORT_FILE</source>
        <translation>Reading the file...</translation>
    </message>
    <message>
        <source>IDS_SUC_IMPORT_%1_CONTACTS_TO_DB</source>
        <translation>Successfully imported %1 contacts.</translation>
    </message>
    <message>
        <source>IDS_SUC_IMPORT_%1_CONTACTS_TO_DB_%2_MERGED</source>
        <translation>Successfully imported %1 contacts, with %2 repeated contacts merged.</translation>
    </message>
    <message>
        <source>Contacts:%1/%2</source>
        <translation>Contacts:%1/%2</translation>
    </message>
</context>
<context>
    <name>AboutUsForm</name>
    <message>
        <source>IDS_ABOUT_TITLE</source>
        <translation>About Quillmarrow</translation>
    </message>
    <message>
        <source>IDS_ABOUT_DESCRIPTION</source>
        <translation>Keeps the contacts of Android phones on your computer: back them up, restore and transfer them, edit, import, export and print them.</translation>
    </message>
    <message>
        <source>IDS_ABOUT_VERSION_%1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>IDS_ABOUT_LICENSE_%1</source>
        <translation>Licence: %1</translation>
    </message>
    <message>
        <source>IDS_ABOUT_LIBRARIES_%1_%2</source>
        <translation>Running on Qt %1 and SQLite %2</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>PhoneBridge</name>
    <message>
        <source>IDS_BRIDGE_ROWS_UNREADABLE%1</source>
        <translation>The phone&apos;s contacts could not be read safely (%1). Nothing was stored; please try again.</translation>
    </message>
    <message>
        <source>IDS_BRIDGE_PHONE_CHANGED</source>
        <translation>The phone&apos;s contacts changed while they were being written. Load the phone again and retry.</translation>
    </message>
</context>
<context>
    <name>AdbBridgeConnector</name>
    <message>
        <source>IDS_ALLOW_USB_DEBUGGING%1</source>
        <translation>Phone %1 is waiting for your permission: unlock it and allow USB debugging for this computer.</translation>
    </message>
    <message>
        <source>IDS_ADB_NO_PERMISSIONS%1</source>
        <translation>This computer may not use phone %1 (no permissions). Install the Android udev rules (Debian package android-sdk-platform-tools-common), then plug the phone in again.</translation>
    </message>
</context>
<context>
    <name>UsbPhoneConnector</name>
    <message>
        <source>IDS_PHOTOS_LEFT_OUT%1%2</source>
        <translation>Phone %1: %2 contact photos were left out. Without the Quillmarrow agent on the phone, Android&apos;s content tool cannot carry photos; everything else was.</translation>
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
        <translation>Contacts read: %1</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_STORED_%1_%2</source>
        <translation>Imported: %1, merged with existing contacts: %2</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_SKIPPED_%1_%2</source>
        <translation>Skipped: %1 (%2)</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_AND_%1_MORE</source>
        <translation>, %1 more</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_NOT_KEPT_%1</source>
        <translation>Not kept: %1</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_MALFORMED_%1_%2</source>
        <translation>Malformed rows: %1 (row %2)</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_FORMAT_%1</source>
        <translation>File: %1</translation>
    </message>
    <message>
        <source>IDS_IMPORT_REPORT_ROW_%1_LINE_%2_%3</source>
        <translation>Row %1 (line %2): %3</translation>
    </message>
    <message>
        <source>IDS_IMPORT_SKIPPED_NO_NAME</source>
        <translation>nothing to name them by</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_EXTRA_PHOTO</source>
        <translation>extra photo</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_BROKEN_PROPERTY</source>
        <translation>property with a syntax error</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_EXTRA_FIELDS</source>
        <translation>fields beyond the last column</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_BIRTHDAY</source>
        <translation>birthday that is no date</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_PHOTO_LINK</source>
        <translation>photo given only as a link</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_PO_BOX</source>
        <translation>post office box or extended address</translation>
    </message>
    <message>
        <source>IDS_IMPORT_NOT_KEPT_ORG_UNIT</source>
        <translation>organizational unit below the department</translation>
    </message>
    <message>
        <source>IDS_IMPORT_MALFORMED_UNBALANCED_QUOTE</source>
        <translation>unbalanced quote; the row was read up to the end of its line</translation>
    </message>
    <message>
        <source>IDS_IMPORT_COLUMN_%1</source>
        <translation>column %1</translation>
    </message>
    <message>
        <source>IDS_CSV_FORMAT_%1_%2_%3</source>
        <translation>%1, %2, %3</translation>
    </message>
    <message>
        <source>IDS_CSV_SEPARATOR_COMMA</source>
        <translation>comma-separated</translation>
    </message>
    <message>
        <source>IDS_CSV_SEPARATOR_SEMICOLON</source>
        <translation>semicolon-separated</translation>
    </message>
    <message>
        <source>IDS_CSV_SEPARATOR_TAB</source>
        <translation>tab-separated</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_PLAIN</source>
        <translation>CSV</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_OWN</source>
        <translation>Quillmarrow CSV</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_OUTLOOK</source>
        <translation>Outlook CSV</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_OUTLOOK_GERMAN</source>
        <translation>Outlook CSV (German)</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_APPLE_GERMAN</source>
        <translation>Apple Contacts CSV (German)</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_THUNDERBIRD</source>
        <translation>Thunderbird CSV</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_GOOGLE_OLD</source>
        <translation>Google Contacts CSV (older layout)</translation>
    </message>
    <message>
        <source>IDS_CSV_DIALECT_GOOGLE</source>
        <translation>Google Contacts CSV</translation>
    </message>
</context>
<context>
    <name>ContactTilePainter</name>
    <message>
        <source>IDS_PRINT_PDF_NOT_WRITTEN_%1</source>
        <translation>The PDF file %1 could not be written.</translation>
    </message>
</context>
</TS>
