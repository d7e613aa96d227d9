#include "views/inputguards.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include <algorithm>

namespace qm {

namespace {

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
           || c == QChar::ParagraphSeparator;
}

// Takes pasted, dropped and middle-clicked text into a count box whole or
// not at all: cutting "150" to the box's two digits would store 15.
class CountPasteFilter : public QObject
{
public:
    CountPasteFilter(QLineEdit *edit, int maximum, std::function<void()> refused)
        : QObject(edit), m_edit(edit), m_maximum(maximum), m_refused(std::move(refused))
    {
        edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Take(const QString &text);
    bool ContextMenu(QContextMenuEvent *event);

    QLineEdit *m_edit;
    int m_maximum;
    std::function<void()> m_refused;
};

bool CountPasteFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
            Take(QGuiApplication::clipboard()->text());
            return true;
        }
        return false;
    case QEvent::ContextMenu:
        return ContextMenu(static_cast<QContextMenuEvent *>(event));
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!drop->mimeData()->hasText())
            return false;
        Take(drop->mimeData()->text());
        drop->acceptProposedAction();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection())
            return false;
        Take(QGuiApplication::clipboard()->text(QClipboard::Selection));
        return true;
    }
    default:
        return false;
    }
}

bool CountPasteFilter::ContextMenu(QContextMenuEvent *event)
{
    QMenu *menu = m_edit->createStandardContextMenu();
    if (QAction *paste = menu->findChild<QAction *>(QStringLiteral("edit-paste"))) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, [this] { Take(QGuiApplication::clipboard()->text()); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    return true;
}

void CountPasteFilter::Take(const QString &text)
{
    if (m_edit->isReadOnly() || !m_edit->isEnabled())
        return;
    const QString piece = text.trimmed();
    QString result = m_edit->text();
    if (m_edit->hasSelectedText())
        result.replace(m_edit->selectionStart(), m_edit->selectedText().size(), piece);
    else
        result.insert(m_edit->cursorPosition(), piece);
    int value = 0;
    if (!CountOfText(result, m_maximum, &value)) {
        if (m_refused)
            m_refused();
        return;
    }
    m_edit->insert(piece);
}


class TextPasteFilter : public QObject
{
public:
    explicit TextPasteFilter(QPlainTextEdit *memo) : QObject(memo), m_memo(memo)
    {
        memo->installEventFilter(this);
        memo->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Shift+Insert pastes here, as in every text box, rather than
            // reaching the editor's command of the same keys.
            if (watched == m_memo && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
                event->accept();
                return true;
            }
            return false;
        case QEvent::KeyPress:
            if (watched == m_memo && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
                Take(QGuiApplication::clipboard()->text());
                return true;
            }
            return false;
        case QEvent::ContextMenu:
            if (watched != m_memo->viewport() && watched != m_memo)
                return false;
            ContextMenu(static_cast<QContextMenuEvent *>(event));
            return true;
        case QEvent::MouseButtonRelease: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (watched != m_memo->viewport() || mouse->button() != Qt::MiddleButton
                || !QGuiApplication::clipboard()->supportsSelection())
                return false;
            m_memo->setTextCursor(m_memo->cursorForPosition(mouse->position().toPoint()));
            Take(QGuiApplication::clipboard()->text(QClipboard::Selection));
            return true;
        }
        default:
            return false;
        }
    }

private:
    void Take(const QString &text)
    {
        if (!m_memo->isReadOnly() && m_memo->isEnabled() && !text.isEmpty())
            m_memo->insertPlainText(text);
    }

    void ContextMenu(QContextMenuEvent *event)
    {
        QMenu *menu = m_memo->createStandardContextMenu(event->pos());
        if (QAction *paste = menu->findChild<QAction *>(QStringLiteral("edit-paste"))) {
            disconnect(paste, &QAction::triggered, nullptr, nullptr);
            connect(paste, &QAction::triggered, this, [this] { Take(QGuiApplication::clipboard()->text()); });
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    }

    QPlainTextEdit *m_memo;
};

} // namespace

QValidator::State SingleLineValidator::validate(QString &input, int &pos) const
{
    if (std::none_of(input.cbegin(), input.cend(), isLineBreak))
        return Acceptable;
    QString joined;
    joined.reserve(input.size());
    int newPos = pos;
    for (int i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        // A Windows line end is one break, not two blanks.
        if (c == QLatin1Char('\r') && i + 1 < input.size() && input.at(i + 1) == QLatin1Char('\n')) {
            if (i < pos)
                --newPos;
            continue;
        }
        joined.append(isLineBreak(c) ? QLatin1Char(' ') : c);
    }
    input = joined;
    pos = std::clamp(newPos, 0, int(input.size()));
    return Acceptable;
}

CountValidator::CountValidator(int maximum, QObject *parent) : QValidator(parent), m_maximum(maximum) {}

QValidator::State CountValidator::validate(QString &input, int &) const
{
    int value = 0;
    return CountOfText(input, m_maximum, &value) || (!m_kept.isEmpty() && input == m_kept) ? Acceptable : Invalid;
}

bool CountOfText(const QString &text, int maximum, int *value)
{
    if (text.isEmpty()) {
        *value = 0;
        return true;
    }
    // Digits only: no sign, blank or exponent; and few enough to convert.
    if (text.size() > 9 || !std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); }))
        return false;
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v > maximum)
        return false;
    *value = v;
    return true;
}

void KeepSingleLine(QLineEdit *edit)
{
    if (!edit->validator())
        edit->setValidator(new SingleLineValidator(edit));
}

void GuardCountEdit(QLineEdit *edit, int maximum, std::function<void()> refused)
{
    edit->setValidator(new CountValidator(maximum, edit));
    edit->setMaxLength(int(QString::number(maximum).size()));
    new CountPasteFilter(edit, maximum, std::move(refused));
}

void ShowCountText(QLineEdit *edit, qint64 value)
{
    const QString text = QString::number(value);
    if (auto *validator = edit->findChild<CountValidator *>()) {
        validator->setKept(text);
        edit->setMaxLength(std::max<int>(int(QString::number(validator->maximum()).size()), int(text.size())));
    }
    if (edit->text() != text)
        edit->setText(text);
}

void GuardTextPaste(QPlainTextEdit *memo)
{
    new TextPasteFilter(memo);
}

} // namespace qm
