#ifndef CONTACTS_CONTACTEDITOR_H
#define CONTACTS_CONTACTEDITOR_H

#include "contacts/contact.h"

#include <QByteArray>
#include <QScrollArea>

class AddrEntitiesEditor;
class DateEntitiesEditor;
class GenericEntitiesEditor;
class IMEntitiesEditor;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// The body of the contact editor: a vertically scrolling form with one
// section per kind, top to bottom photo, name, nickname, organization,
// phones, e-mail, events, IM, relations, addresses, websites and notes.
// Filled from a contact, it hands back the name entity and the entities of
// every kind it presents, each carrying the _id and srcId of the stored
// entity it was filled from. Of the kinds shown once (photo, nickname,
// organization, note) it shows the first stored entity; fields the user did
// not touch give their stored values back unchanged.
class ContactEditor : public QScrollArea
{
    Q_OBJECT

public:
    explicit ContactEditor(QWidget *parent = nullptr);
    ~ContactEditor() override;

    void setContact(const Contact &contact);

    // Prefix, first, middle, last and suffix (data5, data2, data4, data3,
    // data6) and their formatted name in data1.
    [[nodiscard]] Entity nameEntity() const;
    // The presented kinds and their entities; the photo only when one is set.
    [[nodiscard]] Contact::EntityMap entitiesByKind() const;

    [[nodiscard]] QString firstName() const;
    [[nodiscard]] QString lastName() const;

    // The photo bytes (empty: none).
    [[nodiscard]] QByteArray photo() const { return m_photo; }
    // Takes a picture file as the photo: decoded as JPEG, else PNG, scaled to
    // fit 320 x 320 and stored as JPEG. A file that is neither is refused
    // with a warning and the photo stays as it was; returns false then.
    bool loadPhoto(const QString &fileName);
    // Asks for a picture file and loads it.
    void choosePhoto();

    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    // Removes the photo (the delete link's target is ignored).
    void resetPhoto(const QString &link);

private:
    void buildForm();
    void showPhoto();
    [[nodiscard]] static Entity remembered(const Contact &contact, int kind);

    QLabel *m_lbPhoto = nullptr;
    QLabel *m_lbDeletePhoto = nullptr;
    QLineEdit *m_prefix = nullptr;
    QLineEdit *m_first = nullptr;
    QLineEdit *m_middle = nullptr;
    QLineEdit *m_last = nullptr;
    QLineEdit *m_suffix = nullptr;
    QLineEdit *m_nickname = nullptr;
    QLineEdit *m_jobTitle = nullptr;
    QLineEdit *m_department = nullptr;
    QLineEdit *m_company = nullptr;
    GenericEntitiesEditor *m_phones = nullptr;
    GenericEntitiesEditor *m_emails = nullptr;
    DateEntitiesEditor *m_events = nullptr;
    IMEntitiesEditor *m_ims = nullptr;
    GenericEntitiesEditor *m_relations = nullptr;
    AddrEntitiesEditor *m_addresses = nullptr;
    GenericEntitiesEditor *m_websites = nullptr;
    QPlainTextEdit *m_note = nullptr;

    // The stored entities the single sections were filled from (ids only
    // for the photo, whose bytes are kept below).
    Entity m_storedPhoto;
    Entity m_storedName;
    Entity m_storedNickname;
    Entity m_storedOrganization;
    Entity m_storedNote;
    QByteArray m_photo;
};

#endif
