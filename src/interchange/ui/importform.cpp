#include "interchange/ui/importform.h"

#include "interchange/importload.h"
#include "interchange/values.h"
#include "store/apperror.h"
#include "store/dialogservice.h"
#include "views/inputguards.h"
#include "views/cursorguard.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace qm {

namespace {

QFont FixedPitchFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}

} // namespace

TImportForm::TImportForm(Database &db, DialogService &dialogs, QWidget *parent)
    : QDialog(parent), m_db(db), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("TImportForm"));
    setWindowTitle(QStringLiteral("Import Count"));
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_pages->addTab(BuildImportPage(), QStringLiteral("Import File"));
    m_pages->addTab(BuildValidatePage(), QStringLiteral("Validate Results"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);

    connect(m_importNext, &QPushButton::clicked, this, &TImportForm::Validate);
    connect(m_validateNext, &QPushButton::clicked, this, &TImportForm::Load);
    connect(m_back, &QPushButton::clicked, this, &TImportForm::Back);
    connect(m_importCancel, &QPushButton::clicked, this, &TImportForm::reject);
    connect(m_validateCancel, &QPushButton::clicked, this, &TImportForm::reject);
    resize(900, 600);
}

QPlainTextEdit *TImportForm::TextBox(const QString &name, bool readOnly)
{
    auto *box = new QPlainTextEdit;
    box->setObjectName(name);
    box->setReadOnly(readOnly);
    box->setFont(FixedPitchFont());
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab reaches the buttons; the reader takes commas between fields,
    // never tabs.
    box->setTabChangesFocus(true);
    GuardTextPaste(box);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return box;
}

QPushButton *TImportForm::Button(QWidget *page, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, page);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QWidget *TImportForm::BuildImportPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("ImportFilePage"));
    m_importEdit = TextBox(QStringLiteral("ImportRichEdit"), false);
    m_importEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_importEdit->setParent(page);
    m_importNext = Button(page, QStringLiteral("ImportNextButton"), QStringLiteral("Next >"));
    m_importCancel = Button(page, QStringLiteral("ImportCancelButton"), QStringLiteral("Cancel"));
    // Tab takes the buttons left to right, as LayoutPages places them.
    QWidget::setTabOrder(m_importEdit, m_importCancel);
    QWidget::setTabOrder(m_importCancel, m_importNext);
    return page;
}

QWidget *TImportForm::BuildValidatePage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("ValidatePage"));
    m_validate = TextBox(QStringLiteral("RichEditValidate"), true);
    m_validate->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_validate->setParent(page);
    m_errors = TextBox(QStringLiteral("ErrorRichEdit"), true);
    m_errors->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_errors->setParent(page);
    m_validateNext = Button(page, QStringLiteral("ValidateNextButton"), QStringLiteral("Next >"));
    m_back = Button(page, QStringLiteral("BackButton"), QStringLiteral("< Back"));
    m_validateCancel = Button(page, QStringLiteral("ValidateCancelButton"), QStringLiteral("Cancel"));
    QWidget::setTabOrder(m_errors, m_validateCancel);
    QWidget::setTabOrder(m_validateCancel, m_back);
    QWidget::setTabOrder(m_back, m_validateNext);
    return page;
}

void TImportForm::ShowPage(Page page)
{
    m_pages->setTabVisible(ImportFilePage, page == ImportFilePage);
    m_pages->setTabVisible(ValidatePage, page == ValidatePage);
    m_pages->setCurrentIndex(page);
    QPushButton *next = page == ImportFilePage ? m_importNext : m_validateNext;
    next->setDefault(true);
    (page == ImportFilePage ? m_validateNext : m_importNext)->setDefault(false);
}

std::optional<int> TImportForm::RunImport()
{
    m_loaded.reset();
    m_check.RunFirstPass({});
    ShowPage(ImportFilePage);
    FileDialogRequest request;
    request.filters = {QStringLiteral("Text files (*.txt *.csv)"), QStringLiteral("All files (*)")};
    const QString path = m_dialogs.openFile(request);
    if (path.isEmpty() || !ReadFile(path))
        return std::nullopt;
    m_validate->clear();
    m_errors->clear();
    setWindowState(windowState() | Qt::WindowMaximized);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_loaded;
}

bool TImportForm::ReadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_dialogs.error(QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    m_importEdit->setPlainText(DecodeInterchangeText(file.readAll()));
    return true;
}

QStringList TImportForm::ImportLines() const
{
    return ImportTextLines(m_importEdit->toPlainText());
}

void TImportForm::Validate()
{
    ShowPage(ValidatePage);
    m_validateNext->setEnabled(false);
    m_errors->clear();
    m_validate->clear();
    {
        WaitCursor busy;
        m_check.RunFirstPass(ImportLines());
        if (m_check.runStatus() != Severity::Error)
            m_check.RunCrossChecks();
        ShowResults();
    }
    m_validateNext->setEnabled(m_check.runStatus() != Severity::Error);
}

void TImportForm::ShowResults()
{
    QStringList view;
    view.reserve(m_check.display().size());
    for (const DisplayLine &d : m_check.display())
        view << d.text;
    m_validate->setUpdatesEnabled(false);
    m_validate->setPlainText(view.join(QLatin1Char('\n')));
    // Only the lines with a problem need a format of their own.
    QTextCharFormat marked;
    marked.setForeground(Qt::red);
    marked.setFontWeight(QFont::Bold);
    QTextCursor cursor(m_validate->document());
    cursor.beginEditBlock();
    int block = 0;
    for (const DisplayLine &d : m_check.display()) {
        const int blocks = int(d.text.count(QLatin1Char('\n'))) + 1;
        if (m_check.lineStatus(d.line) != Severity::None) {
            const QTextBlock first = m_validate->document()->findBlockByNumber(block);
            const QTextBlock last = m_validate->document()->findBlockByNumber(block + blocks - 1);
            cursor.setPosition(first.position());
            cursor.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(marked);
        }
        block += blocks;
    }
    cursor.endEditBlock();
    m_validate->setUpdatesEnabled(true);
    m_errors->setPlainText(m_check.messages().join(QLatin1Char('\n')));
}

void TImportForm::Back()
{
    ShowPage(ImportFilePage);
}

void TImportForm::Load()
{
    if (m_check.runStatus() == Severity::Error)
        return;
    WaitCursor busy;
    m_loaded = LoadImport(m_db, m_check);
    accept();
}

void TImportForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    LayoutPages();
}

void TImportForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    LayoutPages();
}

void TImportForm::LayoutPages()
{
    // Everything in proportion to the page area.
    const QWidget *area = m_pages->currentWidget();
    const int h = area->height();
    const int w = area->width();
    const int bw = m_importNext->sizeHint().width();
    const int bh = m_importNext->sizeHint().height();
    const int top = int(0.9 * h);
    const int nextLeft = int(0.95 * w) - bw;
    const int cancelLeft = nextLeft - 2 * bw - 40;
    m_importEdit->setGeometry(0, 0, w, int(0.8 * h));
    m_importNext->setGeometry(nextLeft, top, bw, bh);
    m_importCancel->setGeometry(cancelLeft, top, bw, bh);
    m_validate->setGeometry(0, 0, w, int(0.6 * h));
    m_errors->setGeometry(0, int(0.6 * h) + 5, w, int(0.2 * h));
    m_validateNext->setGeometry(nextLeft, top, bw, bh);
    m_back->setGeometry(nextLeft - bw - 20, top, bw, bh);
    m_validateCancel->setGeometry(cancelLeft, top, bw, bh);
}

} // namespace qm
