#include "app/helpwindow.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QTextBrowser>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

namespace {

// Shift+Tab from a page's first link finds that same link again, and the
// focus never leaves the page; from there it goes back to the buttons, as
// Tab goes on after the last link.
class HelpBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

protected:
    bool focusNextPrevChild(bool next) override
    {
        const QTextCursor before = textCursor();
        if (!QTextBrowser::focusNextPrevChild(next))
            return false;
        if (next || !hasFocus() || textCursor() != before)
            return true;
        QTextCursor none = textCursor();
        none.clearSelection();
        setTextCursor(none);
        return QWidget::focusNextPrevChild(false);
    }
};

QToolButton *makeButton(QWidget *parent, const QString &text, QStyle::StandardPixmap icon, const char *name)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(text);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}
} // namespace

THelpWindow::THelpWindow(const QUrl &home, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_home(home)
    , m_browser(new HelpBrowser(this))
    , m_back(makeButton(this, tr("Back"), QStyle::SP_ArrowBack, "HelpBackButton"))
    , m_forward(makeButton(this, tr("Forward"), QStyle::SP_ArrowForward, "HelpForwardButton"))
    , m_homeButton(makeButton(this, tr("Contents"), QStyle::SP_DirHomeIcon, "HelpHomeButton"))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(780, 580);

    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    m_browser->document()->setDocumentMargin(12);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(4, 4, 4, 0);
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addWidget(m_homeButton);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_homeButton, &QToolButton::clicked, this, &THelpWindow::goHome);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &THelpWindow::updateTitle);

    updateTitle();
}

void THelpWindow::showPage(const QUrl &page)
{
    m_browser->setSource(page);
}

void THelpWindow::goHome()
{
    showPage(m_home);
}

QString THelpWindow::documentTitle() const
{
    return m_browser->documentTitle();
}

void THelpWindow::updateTitle()
{
    const QString page = m_browser->documentTitle();
    const QString help = tr("Quillmark Help");
    setWindowTitle(page.isEmpty() || page == help ? help : tr("%1 - %2").arg(help, page));
}

} // namespace qm
