#include "app/aboutusform.h"

#include "app/platform.h"
#include "app/productinfo.h"
#include "app/stylesheet.h"
#include "app/winmovable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <sqlite3.h>

namespace {

QLabel *textLabel(const QString &text, const char *name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

AboutUsForm::AboutUsForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutUsForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setStyleSheet(StyleSheet::application());
    setWindowTitle(tr("IDS_ABOUT_TITLE"));

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcon"));
    icon->setPixmap(QPixmap(QStringLiteral(":/res/appicon-64.png")));
    icon->setAlignment(Qt::AlignTop);

    auto *title = new QLabel(QString::fromLatin1(productinfo::name), this);
    title->setObjectName(QStringLiteral("lbTitle"));
    auto *version = textLabel(tr("IDS_ABOUT_VERSION_%1").arg(QString::fromLatin1(productinfo::version)),
                              "lbVersion", this);
    auto *description = textLabel(tr("IDS_ABOUT_DESCRIPTION"), "lbDescription", this);
    auto *license = textLabel(tr("IDS_ABOUT_LICENSE_%1").arg(QString::fromLatin1(productinfo::license)),
                              "lbLicense", this);
    auto *libraries = textLabel(tr("IDS_ABOUT_LIBRARIES_%1_%2").arg(qtVersion(), sqliteVersion()), "lbLibraries",
                                this);
    const QString home = QString::fromLatin1(productinfo::homePage);
    auto *link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(home.toHtmlEscaped()), this);
    link->setObjectName(QStringLiteral("lbHomePage"));
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [](const QString &target) { platform::openWebPage(QUrl(target)); });

    auto *ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(6);
    for (QWidget *widget : std::initializer_list<QWidget *>{title, version, description, license, libraries, link})
        texts->addWidget(widget);
    auto *top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->addLayout(top);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    m_mover = new WinMovable(this);
}

QString AboutUsForm::qtVersion()
{
    return QString::fromLatin1(qVersion());
}

QString AboutUsForm::sqliteVersion()
{
    return QString::fromLatin1(sqlite3_libversion());
}
