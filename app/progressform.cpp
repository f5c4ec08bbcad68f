#include "app/progressform.h"

#include "ui_progressform.h"

#include "app/messageboxes.h"
#include "app/stylesheet.h"
#include "app/winmovable.h"

ProgressForm::ProgressForm(const QString &title, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::ProgressForm>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setStyleSheet(StyleSheet::application());
    connect(this, &QDialog::finished, this, &ProgressForm::onFinish);
    connect(ui->btnCancel, &QPushButton::pressed, this, &QDialog::reject);
    setWindowTitle(title);
    m_mover = new WinMovable(this);
}

ProgressForm::~ProgressForm() = default;

void ProgressForm::updateProgress(const QString &status, int curProgress, const QString &progressText)
{
    if (m_finished)
        return;
    ui->lbStatus->setText(status);
    ui->progressBar->setValue(curProgress);
    ui->lbProgress->setText(progressText.isEmpty() ? QStringLiteral("Progress:%1%").arg(curProgress) : progressText);
}

void ProgressForm::errorOccurred(const QString &text)
{
    // A report that comes after the dialog closed (the user cancelled) has
    // nobody left to tell; showing it later would confuse the next command.
    if (m_finished)
        return;
    showError(text);
    reject();
}

void ProgressForm::succeed(const QString &tipsStr)
{
    if (m_finished)
        return;
    if (!tipsStr.isEmpty())
        showInformation(tipsStr, m_successDetails ? m_successDetails() : QString());
    accept();
}

void ProgressForm::onFinish(int result)
{
    m_finished = true;
    m_cancelled.store(result == QDialog::Rejected);
}
