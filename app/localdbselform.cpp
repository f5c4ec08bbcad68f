#include "app/localdbselform.h"

#include "ui_localdbselform.h"

#include "app/localdbfiles.h"
#include "app/messageboxes.h"
#include "app/modal.h"
#include "app/stylesheet.h"
#include "app/winmovable.h"

#include <QRegularExpression>

LocalDbSelForm::LocalDbSelForm(QWidget *parent, const QString &suggestedName)
    : QDialog(parent)
    , ui(std::make_unique<Ui::LocalDbSelForm>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setStyleSheet(StyleSheet::application());
    m_mover = new WinMovable(this);
    connect(ui->btnOK, &QPushButton::pressed, this, &LocalDbSelForm::onBtnOkPress);
    connect(ui->btnClose, &QPushButton::pressed, this, &QDialog::reject);

    ui->cbLocalDbNames->addItem(QString());
    for (const QFileInfo &file : listLocalDbFiles())
        ui->cbLocalDbNames->addItem(file.fileName());
    ui->cbLocalDbNames->setCurrentIndex(-1);
    if (!suggestedName.isEmpty())
        ui->cbLocalDbNames->setEditText(suggestedName);
}

LocalDbSelForm::~LocalDbSelForm() = default;

QString LocalDbSelForm::nameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return tr("IDS_PLEASE_SELECT_DATABASE_OR_INPUT_NEW_NAME");
    static const QRegularExpression forbidden(QStringLiteral(R"([\\/:*?"<>|]+)"));
    if (forbidden.match(name).hasMatch())
        return tr("IDS_INVALID_LOCALDB_NAME");
    return QString();
}

void LocalDbSelForm::onBtnOkPress()
{
    m_enteredName = ui->cbLocalDbNames->currentText();
    const QString problem = nameProblem(m_enteredName);
    if (!problem.isEmpty()) {
        showWarning(problem);
        return;
    }
    accept();
}

QString LocalDbSelForm::selectedDatabaseName()
{
    if (modal::execDialog(*this) != QDialog::Accepted || m_enteredName.isEmpty())
        return QString();
    if (m_enteredName.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
        return m_enteredName;
    return m_enteredName + QStringLiteral(".db");
}
