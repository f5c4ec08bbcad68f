#ifndef APP_ABOUTUSFORM_H
#define APP_ABOUTUSFORM_H

#include <QDialog>

class QLabel;
class WinMovable;

// Help > About: the program's name and version, what it does, its licence,
// the Qt and SQLite versions it runs on, and its home page.
class AboutUsForm : public QDialog
{
    Q_OBJECT

public:
    explicit AboutUsForm(QWidget *parent = nullptr);

    // The versions of the libraries in use (not the ones built against).
    [[nodiscard]] static QString qtVersion();
    [[nodiscard]] static QString sqliteVersion();

private:
    WinMovable *m_mover = nullptr;
};

#endif
