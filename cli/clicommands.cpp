#include "cli/clicommands.h"

#include "android/adbcommand.h"
#include "android/adbbridgeconnector.h"
#include "android/androidcontactsdb.h"
#include "android/androidwificonnector.h"
#include "android/dataport.h"
#include "android/linktimings.h"
#include "android/syncbackupthread.h"
#include "android/syncrestorethread.h"
#include "android/usbphoneconnector.h"
#include "app/localdbfiles.h"
#include "app/platform.h"
#include "cli/clierror.h"
#include "cli/databaselock.h"
#include "cli/interruptwatcher.h"
#include "contacts/backupcontactstolocalthread.h"
#include "contacts/contactcardtext.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"
#include "files/contacttilepainter.h"
#include "files/exporttofilethread.h"
#include "files/importcontactstolocalthread.h"


#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextDocumentFragment>

#include <cstdio>

using namespace pim;

namespace {

// Names of the entity kinds in JSON output.
QString kindName(int kind)
{
    switch (kind) {
    case ENTITY_NAME: return QStringLiteral("name");
    case ENTITY_PHOTO: return QStringLiteral("photo");
    case ENTITY_PHONE: return QStringLiteral("phone");
    case ENTITY_EMAIL: return QStringLiteral("email");
    case ENTITY_NICKNAME: return QStringLiteral("nickname");
    case ENTITY_EVENT: return QStringLiteral("event");
    case ENTITY_GROUP_MEMBERSHIP: return QStringLiteral("group");
    case ENTITY_IM: return QStringLiteral("im");
    case ENTITY_NOTE: return QStringLiteral("note");
    case ENTITY_ORGANIZATION: return QStringLiteral("organization");
    case ENTITY_RELATION: return QStringLiteral("relation");
    case ENTITY_POSTAL_ADDRESS: return QStringLiteral("address");
    case ENTITY_WEBSITE: return QStringLiteral("website");
    default: return QStringLiteral("kind%1").arg(kind);
    }
}

QJsonObject entityJson(const Entity &entity)
{
    QJsonObject object;
    for (int column : entity.columns()) {
        const QVariant value = entity.value(column);
        if (value.typeId() == QMetaType::QByteArray)
            object.insert(Entity::columnName(column), QString::fromLatin1(value.toByteArray().toBase64()));
        else
            object.insert(Entity::columnName(column), value.toString());
    }
    return object;
}

QStringList firstTexts(const Contact &contact, int kind)
{
    QStringList texts;
    for (const Entity &entity : contact.entitiesOf(kind))
        texts.append(entity.text(data1));
    return texts;
}

QJsonObject contactSummaryJson(const Contact &contact)
{
    QJsonObject object;
    object.insert(QStringLiteral("id"), QString::number(contact._id));
    object.insert(QStringLiteral("name"), contact.fullName);
    object.insert(QStringLiteral("phones"), QJsonArray::fromStringList(firstTexts(contact, ENTITY_PHONE)));
    object.insert(QStringLiteral("emails"), QJsonArray::fromStringList(firstTexts(contact, ENTITY_EMAIL)));
    return object;
}

QJsonObject contactJson(const Contact &contact)
{
    QJsonObject object;
    object.insert(QStringLiteral("id"), QString::number(contact._id));
    object.insert(QStringLiteral("name"), contact.fullName);
    object.insert(QStringLiteral("srcId"), contact.srcId);
    QJsonObject entities;
    for (auto it = contact.entities.cbegin(); it != contact.entities.cend(); ++it) {
        if (it.value().isEmpty())
            continue;
        QJsonArray rows;
        for (const Entity &entity : it.value())
            rows.append(entityJson(entity));
        entities.insert(kindName(it.key()), rows);
    }
    object.insert(QStringLiteral("entities"), entities);
    return object;
}

QString jsonText(const QJsonDocument &document)
{
    return QString::fromUtf8(document.toJson(QJsonDocument::Indented));
}

// Export formats by name and the file type of the export job.
int exportFileType(const QString &format)
{
    if (format == QLatin1String("vcf"))
        return ExportToFileThread::VCard;
    if (format == QLatin1String("csv"))
        return ExportToFileThread::Csv;
    if (format == QLatin1String("txt"))
        return ExportToFileThread::Text;
    if (format == QLatin1String("html") || format == QLatin1String("doc"))
        return ExportToFileThread::Html;
    return 0;
}

int importFormat(const QString &format, const QString &file)
{
    QString name = format;
    if (name.isEmpty()) {
        const QString suffix = QFileInfo(file).suffix().toLower();
        if (suffix == QLatin1String("vcf") || suffix == QLatin1String("vcard"))
            name = QStringLiteral("vcf");
        else if (suffix == QLatin1String("csv"))
            name = QStringLiteral("csv");
        else
            throw CliError(CliError::Usage,
                           QStringLiteral("cannot tell the format of %1; give --format vcf or --format csv").arg(file));
    }
    if (name == QLatin1String("vcf"))
        return ImportContactsToLocalThread::VCard;
    if (name == QLatin1String("csv"))
        return ImportContactsToLocalThread::Csv;
    throw CliError(CliError::Usage, QStringLiteral("unknown import format: %1 (vcf or csv)").arg(name));
}

} // namespace

CliCommands::CliCommands(const CliArguments &arguments)
    : m_arguments(arguments)
    , m_progress(arguments.flag(QStringLiteral("--quiet")))
{
}

QString CliCommands::usage()
{
    return QStringLiteral(
        "usage: quillmarrow-cli COMMAND [ARGUMENTS] [--quiet]\n"
        "\n"
        "  dbs [--json]                                   local databases of the data folder\n"
        "  list DB [--search WORD] [--group NAME] [--json]\n"
        "  show DB ID [--json]\n"
        "  import FILE... --to DB [--format vcf|csv]\n"
        "  export DB --format vcf|csv|txt|html|doc|pdf -o PATH [--group NAME] [--search WORD]\n"
        "  devices [--wifi ADDRESS]... [--json]           phones adb sees, and WiFi phones\n"
        "  backup PHONE --to DB [--wifi ADDRESS]\n"
        "  restore DB --to PHONE [--wifi ADDRESS]\n"
        "  transfer PHONE --to PHONE [--wifi ADDRESS]...\n"
        "\n"
        "DB is a database name in the data folder or a path. PHONE is an adb serial,\n"
        "the IP address of a WiFi phone, or the device id of a phone at a --wifi address.\n"
        "Exit codes: 0 success, 1 failure, 2 usage, 130 cancelled (Ctrl+C).\n");
}

int CliCommands::run()
{
    const QString &command = m_arguments.command();
    if (command.isEmpty() || m_arguments.flag(QStringLiteral("--help")) || command == QLatin1String("help")) {
        print(usage());
        return command.isEmpty() && !m_arguments.flag(QStringLiteral("--help")) ? CliError::Usage : 0;
    }
    if (command == QLatin1String("dbs"))
        return dbs();
    if (command == QLatin1String("list"))
        return list();
    if (command == QLatin1String("show"))
        return show();
    if (command == QLatin1String("import"))
        return importFiles();
    if (command == QLatin1String("export"))
        return exportFile();
    if (command == QLatin1String("devices"))
        return devices();
    if (command == QLatin1String("backup"))
        return backup();
    if (command == QLatin1String("restore"))
        return restore();
    if (command == QLatin1String("transfer"))
        return transfer();
    throw CliError(CliError::Usage, QStringLiteral("unknown command: %1").arg(command));
}

void CliCommands::print(const QString &text) const
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    if (!text.endsWith(QLatin1Char('\n')))
        std::fputc('\n', stdout);
    std::fflush(stdout);
}

void CliCommands::runJob(QThread &job)
{
    switch (m_progress.run(job)) {
    case CliProgress::Outcome::Succeeded:
        return;
    case CliProgress::Outcome::Cancelled:
        throw CliError(CliError::Cancelled, QStringLiteral("cancelled"));
    case CliProgress::Outcome::Failed:
        break;
    }
    const QString message = m_progress.message();
    throw CliError(CliError::Failure, message.isEmpty() ? QStringLiteral("the job failed") : message);
}

QString CliCommands::databasePath(const QString &argument, bool mustExist)
{
    if (argument.isEmpty())
        throw CliError(CliError::Usage, QStringLiteral("empty database name"));
    QString path;
    if (argument.contains(QLatin1Char('/')) || argument.contains(QDir::separator())) {
        path = QFileInfo(argument).absoluteFilePath();
    } else {
        QString name = argument;
        if (!name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
            name += QStringLiteral(".db");
        path = QDir(platform::localDbFolder()).filePath(name);
    }
    const QFileInfo info(path);
    if (info.isDir())
        throw CliError(CliError::Failure, QStringLiteral("not a database: %1 is a folder").arg(path));
    if (mustExist && !info.exists())
        throw CliError(CliError::Failure, QStringLiteral("unknown database: %1").arg(argument));
    if (mustExist && !info.isReadable())
        throw CliError(CliError::Failure, QStringLiteral("cannot read database: %1").arg(path));
    if (!mustExist && !info.exists() && !info.dir().exists())
        throw CliError(CliError::Failure, QStringLiteral("no such folder: %1").arg(info.absolutePath()));
    return path;
}

std::shared_ptr<LocalDb> CliCommands::openDatabase(const QString &path, bool create)
{
    auto db = std::make_shared<LocalDb>(path, std::make_shared<LocalDbCombineRule>());
    if (create && !QFileInfo::exists(path))
        db->create();
    // Opens the file now, so a file that is no database fails before any job.
    (void)db->listGroups();
    return db;
}

qint64 CliCommands::groupId(LocalDb &db, const QString &name)
{
    for (const ContactGroup &group : db.listGroups()) {
        if (group.name == name)
            return group._id;
    }
    throw CliError(CliError::Failure, QStringLiteral("no group named \"%1\" in %2").arg(name, db.path()));
}

QList<Contact> CliCommands::selectedContacts(LocalDb &db) const
{
    const qint64 group = m_arguments.has(QStringLiteral("--group")) ? groupId(db, m_arguments.value(QStringLiteral("--group"))) : 0;
    return db.searchContacts(group, m_arguments.value(QStringLiteral("--search")));
}

int CliCommands::dbs()
{
    m_arguments.expect(0, 0, { QStringLiteral("--json") });
    const QFileInfoList files = listLocalDbFiles();
    if (m_arguments.flag(QStringLiteral("--json"))) {
        QJsonArray array;
        for (const QFileInfo &file : files) {
            QJsonObject object;
            object.insert(QStringLiteral("name"), file.fileName());
            object.insert(QStringLiteral("path"), file.absoluteFilePath());
            object.insert(QStringLiteral("size"), file.size());
            object.insert(QStringLiteral("modified"), file.lastModified().toUTC().toString(Qt::ISODate));
            array.append(object);
        }
        print(jsonText(QJsonDocument(array)));
        return 0;
    }
    for (const QFileInfo &file : files)
        print(QStringLiteral("%1\t%2\t%3").arg(file.fileName()).arg(file.size())
                  .arg(file.lastModified().toString(Qt::ISODate)));
    return 0;
}

int CliCommands::list()
{
    m_arguments.expect(1, 1, { QStringLiteral("--search"), QStringLiteral("--group"), QStringLiteral("--json") });
    const QString path = databasePath(m_arguments.positional().at(0), true);
    const DatabaseLock lock(path, DatabaseLock::Shared);
    const std::shared_ptr<LocalDb> db = openDatabase(path, false);
    const QList<Contact> contacts = selectedContacts(*db);
    if (m_arguments.flag(QStringLiteral("--json"))) {
        QJsonArray array;
        for (const Contact &contact : contacts)
            array.append(contactSummaryJson(contact));
        print(jsonText(QJsonDocument(array)));
        return 0;
    }
    QString text;
    for (const Contact &contact : contacts) {
        text += QStringLiteral("%1\t%2\t%3\t%4\n")
                    .arg(contact._id)
                    .arg(contact.fullName, firstTexts(contact, ENTITY_PHONE).value(0),
                         firstTexts(contact, ENTITY_EMAIL).value(0));
    }
    if (!text.isEmpty())
        print(text);
    return 0;
}

int CliCommands::show()
{
    m_arguments.expect(2, 2, { QStringLiteral("--json") });
    bool ok = false;
    const qint64 id = m_arguments.positional().at(1).toLongLong(&ok);
    if (!ok || id <= 0)
        throw CliError(CliError::Usage, QStringLiteral("not a contact id: %1").arg(m_arguments.positional().at(1)));
    const QString path = databasePath(m_arguments.positional().at(0), true);
    const DatabaseLock lock(path, DatabaseLock::Shared);
    const std::shared_ptr<LocalDb> db = openDatabase(path, false);
    const Contact contact = db->loadContact(id);
    if (contact._id != id || contact.entities.isEmpty())
        throw CliError(CliError::Failure, QStringLiteral("no contact with id %1 in %2").arg(id).arg(path));
    if (m_arguments.flag(QStringLiteral("--json"))) {
        print(jsonText(QJsonDocument(contactJson(contact))));
        return 0;
    }
    QString text = ContactCardText::nameBlock(contact);
    for (const ContactCardText::Section &section : ContactCardText::sections()) {
        const QList<Entity> entities = ContactCardText::sectionEntities(contact, section.kind);
        if (entities.isEmpty())
            continue;
        text += QLatin1Char('\n') + section.title + QLatin1Char('\n');
        for (const Entity &entity : entities) {
            QString line = ContactCardText::entityLine(section.kind, entity);
            // The address line is rich text; the terminal gets its plain form.
            if (section.kind == ENTITY_POSTAL_ADDRESS)
                line = QTextDocumentFragment::fromHtml(line).toPlainText();
            text += QStringLiteral("  ") + line.replace(QLatin1Char('\n'), QStringLiteral("\n  ")) + QLatin1Char('\n');
        }
    }
    print(text);
    return 0;
}

int CliCommands::importFiles()
{
    m_arguments.expect(1, -1, { QStringLiteral("--to"), QStringLiteral("--format") });
    if (!m_arguments.has(QStringLiteral("--to")))
        throw CliError(CliError::Usage, QStringLiteral("import: --to DB is missing"));
    QList<QPair<QString, int>> files;
    for (const QString &file : m_arguments.positional()) {
        const QFileInfo info(file);
        if (!info.isFile())
            throw CliError(CliError::Failure, QStringLiteral("no such file: %1").arg(file));
        if (!info.isReadable())
            throw CliError(CliError::Failure, QStringLiteral("cannot read %1").arg(file));
        files.append({ info.absoluteFilePath(), importFormat(m_arguments.value(QStringLiteral("--format")), file) });
    }
    const QString path = databasePath(m_arguments.value(QStringLiteral("--to")), false);
    const DatabaseLock lock(path, DatabaseLock::Exclusive);
    const bool existed = QFileInfo::exists(path);
    const std::shared_ptr<LocalDb> db = openDatabase(path, true);
    // All files or none: a failure or Ctrl+C in a later file takes back the
    // earlier ones too, and a database made for this run goes again.
    QStringList report;
    bool committed = false;
    db->beginTransaction();
    try {
        for (const auto &[file, format] : files) {
            ImportContactsToLocalThread job(file, format, db.get(), m_progress.progress());
            try {
                runJob(job);
            } catch (const CliError &error) {
                if (error.code() == CliError::Failure)
                    throw CliError(CliError::Failure,
                                   QStringLiteral("%1: %2").arg(QFileInfo(file).fileName(), QString::fromUtf8(error.what())));
                throw;
            }
            // The readers take any text and find nothing in it; for a
            // script that is a wrong file, not a successful import.
            if (job.importedCount() + job.mergedCount() == 0)
                throw CliError(CliError::Failure,
                               QStringLiteral("%1: not a contact file (no contacts found)").arg(QFileInfo(file).fileName()));
            report.append(QStringLiteral("%1: %2").arg(QFileInfo(file).fileName(), m_progress.message()));
            report.append(QStringLiteral("  read %1, new %2, merged %3, skipped %4")
                              .arg(job.readCount()).arg(job.importedCount()).arg(job.mergedCount())
                              .arg(job.skippedCount()));
        }
        db->endTransaction(true);
        committed = true;
    } catch (...) {
        if (!committed) {
            db->endTransaction(false);
            if (!existed)
                db->removeFile();
        }
        throw;
    }
    print(report.join(QLatin1Char('\n')));
    return 0;
}

int CliCommands::exportFile()
{
    m_arguments.expect(1, 1, { QStringLiteral("--format"), QStringLiteral("-o"), QStringLiteral("--group"),
                                QStringLiteral("--search") });
    const QString format = m_arguments.value(QStringLiteral("--format"));
    const bool pdf = format == QLatin1String("pdf");
    const int fileType = exportFileType(format);
    if (fileType == 0 && !pdf)
        throw CliError(CliError::Usage, QStringLiteral("export: --format must be vcf, csv, txt, html, doc or pdf"));
    const QString output = m_arguments.value(QStringLiteral("-o"));
    if (output.isEmpty())
        throw CliError(CliError::Usage, QStringLiteral("export: -o PATH is missing"));
    const QString path = databasePath(m_arguments.positional().at(0), true);
    const QFileInfo outputInfo(output);
    if (!outputInfo.absoluteDir().exists())
        throw CliError(CliError::Failure, QStringLiteral("no such folder: %1").arg(outputInfo.absolutePath()));
    if (outputInfo.isDir() && fileType != ExportToFileThread::Html)
        throw CliError(CliError::Failure, QStringLiteral("%1 is a folder").arg(output));

    const DatabaseLock lock(path, DatabaseLock::Shared);
    const std::shared_ptr<LocalDb> db = openDatabase(path, false);
    const QList<Contact> contacts = selectedContacts(*db);
    if (contacts.isEmpty())
        throw CliError(CliError::Failure, QStringLiteral("no contacts to export"));
    if (pdf) {
        exportPdf(contacts, outputInfo.absoluteFilePath());
        return 0;
    }
    const QString target = ExportToFileThread::targetFile(fileType, outputInfo.absoluteFilePath());
    ExportToFileThread job(contacts, fileType, outputInfo.absoluteFilePath(), m_progress.progress());
    try {
        runJob(job);
    } catch (const CliError &error) {
        const QString message = QString::fromUtf8(error.what());
        if (error.code() != CliError::Failure || message.contains(target))
            throw;
        throw CliError(CliError::Failure, QStringLiteral("%1: %2").arg(target, message));
    }
    print(m_progress.message());
    print(target);
    return 0;
}

bool CliCommands::paintsPages(const QStringList &arguments)
{
    try {
        const CliArguments parsed(arguments);
        return parsed.command() == QLatin1String("export") && parsed.value(QStringLiteral("--format")) == QLatin1String("pdf");
    } catch (const std::exception &) {
        return false; // run() reports the usage error
    }
}

void CliCommands::exportPdf(const QList<Contact> &contacts, const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        throw CliError(CliError::Failure, QStringLiteral("%1 is a folder").arg(path));
    const bool existed = info.exists();
    int tiles = 0;
    try {
        tiles = ContactTilePainter::writePdf(contacts, path);
    } catch (const std::exception &error) {
        throw CliError(CliError::Failure, QStringLiteral("%1: %2").arg(path, QString::fromUtf8(error.what())));
    }
    // Painting polls no cancel flag; a Ctrl+C meanwhile still leaves no file.
    if (InterruptWatcher::interrupted()) {
        if (!existed)
            QFile::remove(path);
        throw CliError(CliError::Cancelled, QStringLiteral("cancelled"));
    }
    const int pages = (tiles + ContactTilePainter::TilesPerPage - 1) / ContactTilePainter::TilesPerPage;
    print(QStringLiteral("Exported %1 contacts to PDF (%2).")
              .arg(tiles)
              .arg(pages == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(pages)));
    print(path);
}

int CliCommands::devices()
{
    m_arguments.expect(0, 0, { QStringLiteral("--json"), QStringLiteral("--wifi") });
    struct Row
    {
        QString id;
        QString state;
        QString link;
        QString address;
    };
    QList<Row> rows;
    AdbCommand adb;
    const QMap<QString, QString> states = adb.deviceStates();
    for (auto it = states.cbegin(); it != states.cend(); ++it)
        rows.append({ it.key(), it.value(), QStringLiteral("usb"), QString() });
    for (const QString &address : m_arguments.values(QStringLiteral("--wifi"))) {
        AndroidWifiConnector wifi;
        try {
            wifi.hello(address);
            rows.append({ wifi.deviceId(), QStringLiteral("device"), QStringLiteral("wifi"), address });
        } catch (const std::exception &error) {
            rows.append({ QString(), QStringLiteral("unreachable"), QStringLiteral("wifi"), address });
        }
    }
    if (m_arguments.flag(QStringLiteral("--json"))) {
        QJsonArray array;
        for (const Row &row : rows) {
            QJsonObject object;
            object.insert(QStringLiteral("id"), row.id);
            object.insert(QStringLiteral("state"), row.state);
            object.insert(QStringLiteral("link"), row.link);
            if (!row.address.isEmpty())
                object.insert(QStringLiteral("address"), row.address);
            array.append(object);
        }
        print(jsonText(QJsonDocument(array)));
        return 0;
    }
    QString text;
    for (const Row &row : rows) {
        text += QStringLiteral("%1\t%2\t%3\n")
                    .arg(row.id.isEmpty() ? QStringLiteral("-") : row.id, row.state,
                         row.address.isEmpty() ? row.link : row.link + QLatin1Char(' ') + row.address);
    }
    if (!text.isEmpty())
        print(text);
    return 0;
}

PAndroidConnector CliCommands::connectPhone(const QString &phone, QString &deviceId) const
{
    QStringList addresses = m_arguments.values(QStringLiteral("--wifi"));
    if (!QHostAddress(phone).isNull())
        addresses.prepend(phone);
    for (const QString &address : addresses) {
        auto wifi = std::make_shared<AndroidWifiConnector>();
        if (address == phone) {
            wifi->hello(address);
        } else {
            try {
                wifi->hello(address);
            } catch (const std::exception &) {
                continue;
            }
            if (wifi->deviceId() != phone)
                continue;
        }
        if (!AndroidWifiConnector::isUsableDeviceId(wifi->deviceId()))
            throw CliError(CliError::Failure, QStringLiteral("the phone at %1 gave no usable device id").arg(address));
        deviceId = wifi->deviceId();
        return wifi;
    }
    const QMap<QString, QString> states = AdbCommand().deviceStates();
    if (!states.contains(phone))
        throw CliError(CliError::Failure, QStringLiteral("unknown phone: %1 (see quillmarrow-cli devices)").arg(phone));
    if (states.value(phone) != u"device") {
        const QString hint = AdbBridgeConnector::stateHint(phone, states.value(phone));
        throw CliError(CliError::Failure, hint.isEmpty() ? QStringLiteral("phone %1 is %2; try again once it is ready")
                                                               .arg(phone, states.value(phone))
                                                         : hint);
    }
    deviceId = phone;
    return std::make_shared<UsbPhoneConnector>(phone);
}

std::shared_ptr<AndroidContactsDb> CliCommands::receivePhone(const QString &phone)
{
    QString deviceId;
    const PAndroidConnector connector = connectPhone(phone, deviceId);
    const QString folder = QDir(platform::dataFolder()).filePath(QStringLiteral("android_cache"));
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(deviceId);
    const DatabaseLock lock(path, DatabaseLock::Exclusive);
    auto cache = std::make_shared<AndroidContactsDb>(path, connector);
    cache->create();
    SyncRestoreThread job(cache, dataPortFor(deviceId), m_progress.progress());
    runJob(job);
    return cache;
}

void CliCommands::sendToPhone(const QList<Contact> &contacts, const std::shared_ptr<AndroidContactsDb> &phone)
{
    QString deviceId = QFileInfo(phone->path()).fileName();
    SyncBackupThread job(contacts, phone, dataPortFor(deviceId), m_progress.progress());
    runJob(job);
    print(m_progress.message().isEmpty() ? QStringLiteral("done") : m_progress.message());
    printPhotosNote(*phone);
}

void CliCommands::printPhotosNote(AndroidContactsDb &phone) const
{
    if (auto *usb = dynamic_cast<UsbPhoneConnector *>(phone.connector().get())) {
        if (const QString note = usb->photosNote(); !note.isEmpty())
            print(note);
    }
}

int CliCommands::backup()
{
    m_arguments.expect(1, 1, { QStringLiteral("--to"), QStringLiteral("--wifi") });
    if (!m_arguments.has(QStringLiteral("--to")))
        throw CliError(CliError::Usage, QStringLiteral("backup: --to DB is missing"));
    const QString path = databasePath(m_arguments.value(QStringLiteral("--to")), false);
    const DatabaseLock lock(path, DatabaseLock::Exclusive);
    const bool existed = QFileInfo::exists(path);
    const std::shared_ptr<LocalDb> db = openDatabase(path, true);
    try {
        const std::shared_ptr<AndroidContactsDb> phone = receivePhone(m_arguments.positional().at(0));
        const QList<Contact> contacts = phone->searchContacts(0, QString());
        // The job keeps what it stored before a cancel; the command line
        // promises all or nothing, so the whole job runs inside one more
        // transaction that only a success commits.
        db->beginTransaction();
        bool committed = false;
        try {
            BackupContactsToLocalThread job(contacts, db.get(), m_progress.progress());
            runJob(job);
            db->endTransaction(true);
            committed = true;
        } catch (...) {
            if (!committed)
                db->endTransaction(false);
            throw;
        }
        print(m_progress.message());
        printPhotosNote(*phone);
    } catch (...) {
        if (!existed)
            db->removeFile();
        throw;
    }
    return 0;
}

int CliCommands::restore()
{
    m_arguments.expect(1, 1, { QStringLiteral("--to"), QStringLiteral("--wifi") });
    if (!m_arguments.has(QStringLiteral("--to")))
        throw CliError(CliError::Usage, QStringLiteral("restore: --to PHONE is missing"));
    const QString path = databasePath(m_arguments.positional().at(0), true);
    const DatabaseLock lock(path, DatabaseLock::Shared);
    const std::shared_ptr<LocalDb> db = openDatabase(path, false);
    const QList<Contact> contacts = db->searchContacts(0, QString());
    const std::shared_ptr<AndroidContactsDb> phone = receivePhone(m_arguments.value(QStringLiteral("--to")));
    sendToPhone(contacts, phone);
    return 0;
}

int CliCommands::transfer()
{
    m_arguments.expect(1, 1, { QStringLiteral("--to"), QStringLiteral("--wifi") });
    if (!m_arguments.has(QStringLiteral("--to")))
        throw CliError(CliError::Usage, QStringLiteral("transfer: --to PHONE is missing"));
    if (m_arguments.positional().at(0) == m_arguments.value(QStringLiteral("--to")))
        throw CliError(CliError::Usage, QStringLiteral("transfer: source and target are the same phone"));
    const std::shared_ptr<AndroidContactsDb> source = receivePhone(m_arguments.positional().at(0));
    printPhotosNote(*source);
    const QList<Contact> contacts = source->searchContacts(0, QString());
    const std::shared_ptr<AndroidContactsDb> target = receivePhone(m_arguments.value(QStringLiteral("--to")));
    sendToPhone(contacts, target);
    return 0;
}
