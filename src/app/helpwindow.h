#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace qm {

// A top-level window that browses the pages of the help file.
class THelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit THelpWindow(const QUrl &home, QWidget *parent = nullptr);

    void showPage(const QUrl &page);
    void goHome();

    QUrl homePage() const { return m_home; }
    QString documentTitle() const;
    QTextBrowser *browser() const { return m_browser; }

private:
    void updateTitle();

    QUrl m_home;
    QTextBrowser *m_browser;
    QToolButton *m_back;
    QToolButton *m_forward;
    QToolButton *m_homeButton;
};

} // namespace qm
