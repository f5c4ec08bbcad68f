#include "contacts/addrentitieseditor.h"

#include "contacts/contactformat.h"
#include "contacts/editorfields.h"
#include "contacts/entitytypebox.h"
#include "contacts/labeltables.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

using namespace pim;

namespace {

enum Part { TypeBox, Parts, Country, State, City, Street, Postcode };

const int partColumns[] = { data10, data8, data7, data4, data9 };

QLineEdit *lineEdit(const QString &placeholder, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setPlaceholderText(placeholder);
    return edit;
}

} // namespace

AddrEntitiesEditor::AddrEntitiesEditor(const QString &title, int defaultType, QWidget *parent)
    : EntitiesEditor(title, parent)
    , m_defaultType(defaultType)
{
}

QList<QWidget *> AddrEntitiesEditor::createRow(QGridLayout *grid, int gridRow, const Entity *entity)
{
    auto *type = new EntityTypeBox(addressTypeLabels(), this);
    type->setFixedWidth(60);
    auto *parts = new QWidget(this);
    auto *lines = new QGridLayout(parts);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(3);
    QLineEdit *country = lineEdit(tr("Country"), parts);
    QLineEdit *state = lineEdit(tr("State"), parts);
    state->setFixedWidth(60);
    QLineEdit *city = lineEdit(tr("City"), parts);
    auto *street = new QPlainTextEdit(parts);
    street->setMaximumHeight(60);
    street->setTabChangesFocus(true);
    QLineEdit *postcode = lineEdit(tr("Postcode"), parts);
    lines->addWidget(country, 0, 0, 1, 2);
    lines->addWidget(state, 1, 0);
    lines->addWidget(city, 1, 1);
    lines->addWidget(street, 2, 0, 1, 2);
    lines->addWidget(postcode, 3, 0, 1, 2);

    if (entity) {
        type->setType(entity->toInt(data2), entity->text(data3));
        editorfields::fill(country, entity->text(data10));
        editorfields::fill(state, entity->text(data8));
        editorfields::fill(city, entity->text(data7));
        editorfields::fill(street, entity->text(data4));
        editorfields::fill(postcode, entity->text(data9));
    } else {
        type->setDefaultType(m_defaultType);
    }
    grid->addWidget(type, gridRow, 0, Qt::AlignTop);
    grid->addWidget(parts, gridRow, 1, 1, 2);
    return { type, parts, country, state, city, street, postcode };
}

Entity AddrEntitiesEditor::readRow(const QList<QWidget *> &widgets, const Entity *stored) const
{
    const auto *type = static_cast<const EntityTypeBox *>(widgets[TypeBox]);
    Entity entity;
    entity.setValue(data2, type->typeCode());
    entity.setText(data3, type->customLabel());
    entity.setText(data10, editorfields::read(static_cast<const QLineEdit *>(widgets[Country])));
    entity.setText(data8, editorfields::read(static_cast<const QLineEdit *>(widgets[State])));
    entity.setText(data7, editorfields::read(static_cast<const QLineEdit *>(widgets[City])));
    entity.setText(data4, editorfields::read(static_cast<const QPlainTextEdit *>(widgets[Street])));
    entity.setText(data9, editorfields::read(static_cast<const QLineEdit *>(widgets[Postcode])));
    // Untouched parts keep the stored formatted address, which may hold more
    // than the parts do (an address known only as formatted text).
    const bool partsAsStored = stored && std::all_of(std::begin(partColumns), std::end(partColumns), [&](int column) {
        return entity.text(column) == stored->text(column);
    });
    entity.setText(data1, partsAsStored ? stored->text(data1) : formatPostalAddress(entity));
    return entity;
}
