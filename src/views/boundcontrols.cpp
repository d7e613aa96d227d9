#include "views/boundcontrols.h"

#include "store/apperror.h"
#include "store/cursor.h"
#include "store/schema.h"
#include "views/inputguards.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace qm {

namespace {

// The width of a text column of a known table, 0 when there is none.
int columnWidth(const TableCursor &cursor, const QString &field)
{
    if (cursor.isQuery() || cursor.tableName().isEmpty())
        return 0;
    try {
        const ColumnDef *column = TableByName(cursor.tableName()).column(field);
        return column && column->type == ColumnType::Text ? column->size : 0;
    } catch (const StoreError &) {
        return 0;
    }
}

} // namespace

// --- FieldLink ---

FieldLink::FieldLink(TableCursor &cursor, const QString &field, QObject *owner)
    : QObject(owner), m_cursor(cursor), m_field(field)
{
    connectCursor();
}

void FieldLink::connectCursor()
{
    connect(&m_cursor, &TableCursor::recordChanged, this, &FieldLink::refresh);
    connect(&m_cursor, &TableCursor::stateChanged, this, &FieldLink::refresh);
    connect(&m_cursor, &TableCursor::fieldChanged, this, [this](const QString &name) {
        if (name.compare(m_field, Qt::CaseInsensitive) == 0)
            refresh();
    });
}

void FieldLink::setReadOnly(bool on)
{
    m_readOnly = on;
    applyReadOnly(isReadOnly());
}

bool FieldLink::isReadOnly() const
{
    return m_readOnly || !m_cursor.isOpen() || m_cursor.isReadOnly();
}

void FieldLink::refresh()
{
    // The user's own change is on screen already: showing the record while
    // it is being written would undo the keystroke or move the caret.
    if (m_writing)
        return;
    m_showing = true;
    const bool hasRow = m_cursor.isOpen() && (m_cursor.position() >= 0 || m_cursor.isEditing());
    show(hasRow && m_cursor.hasField(m_field) ? m_cursor.value(m_field) : QVariant());
    applyReadOnly(isReadOnly());
    m_showing = false;
}

bool FieldLink::write(const QVariant &value)
{
    if (m_showing)
        return true;
    // Choosing what is already there is no change and starts no edit.
    if (!m_cursor.isEditing() && m_cursor.value(m_field).toString() == value.toString())
        return true;
    if (isReadOnly()) {
        refresh();
        return false;
    }
    m_writing = true;
    try {
        if (!m_cursor.isEditing())
            m_cursor.edit();
        m_cursor.setValue(m_field, value);
    } catch (...) {
        m_writing = false;
        throw;
    }
    m_writing = false;
    return true;
}

// --- LineEditLink ---

LineEditLink::LineEditLink(TableCursor &cursor, const QString &field, QLineEdit *edit)
    : FieldLink(cursor, field, edit), m_edit(edit)
{
    if (const int width = columnWidth(cursor, field); width > 0)
        edit->setMaxLength(width);
    KeepSingleLine(edit);
    connect(edit, &QLineEdit::textEdited, this, [this](const QString &text) { write(text); });
    refresh();
}

void LineEditLink::show(const QVariant &value)
{
    if (m_edit && m_edit->text() != value.toString())
        m_edit->setText(value.toString());
}

void LineEditLink::applyReadOnly(bool on)
{
    if (m_edit)
        m_edit->setReadOnly(on);
}

// --- MemoLink ---

MemoLink::MemoLink(TableCursor &cursor, const QString &field, QPlainTextEdit *memo)
    : FieldLink(cursor, field, memo), m_memo(memo)
{
    connect(memo, &QPlainTextEdit::textChanged, this, [this] {
        if (!showing() && m_memo)
            write(m_memo->toPlainText());
    });
    refresh();
}

void MemoLink::show(const QVariant &value)
{
    if (m_memo && m_memo->toPlainText() != value.toString())
        m_memo->setPlainText(value.toString());
}

void MemoLink::applyReadOnly(bool on)
{
    if (m_memo)
        m_memo->setReadOnly(on);
}

// --- ComboBoxLink ---

ComboBoxLink::ComboBoxLink(TableCursor &cursor, const QString &field, QComboBox *box)
    : FieldLink(cursor, field, box), m_box(box)
{
    connect(box, &QComboBox::activated, this, [this](int) { userChanged(); });
    connect(box, &QComboBox::editTextChanged, this, [this](const QString &) {
        if (m_box && m_box->isEditable())
            userChanged();
    });
    refresh();
}

QVariant ComboBoxLink::currentValue() const
{
    if (m_box->isEditable())
        return m_box->currentText();
    const int i = m_box->currentIndex();
    if (i < 0)
        return QString();
    const QVariant data = m_box->itemData(i);
    return data.isValid() ? data : QVariant(m_box->itemText(i));
}

void ComboBoxLink::userChanged()
{
    if (m_box && !showing())
        write(currentValue());
}

void ComboBoxLink::show(const QVariant &value)
{
    if (!m_box)
        return;
    if (m_box->isEditable()) {
        m_box->setEditText(value.toString());
        return;
    }
    int i = value.isNull() ? -1 : m_box->findData(value.toString());
    if (i < 0 && !value.isNull())
        i = m_box->findText(value.toString(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_box->setCurrentIndex(i);
}

// --- RadioGroupLink ---

RadioGroupLink::RadioGroupLink(TableCursor &cursor, const QString &field, QButtonGroup *group)
    : FieldLink(cursor, field, group), m_group(group)
{
    connect(group, &QButtonGroup::buttonClicked, this, [this](QAbstractButton *button) {
        if (m_showOnly)
            return;
        const auto it = m_codes.constFind(button);
        if (it != m_codes.constEnd())
            write(*it);
    });
}

void RadioGroupLink::addChoice(QAbstractButton *button, const QString &code)
{
    m_codes.insert(button, code);
    if (m_group && m_group->id(button) == -1)
        m_group->addButton(button);
    refresh();
}

void RadioGroupLink::show(const QVariant &value)
{
    if (!m_group)
        return;
    const QString code = value.toString();
    // Unchecking every button needs a non-exclusive group for a moment.
    m_group->setExclusive(false);
    for (auto it = m_codes.constBegin(); it != m_codes.constEnd(); ++it)
        it.key()->setChecked(!value.isNull() && it.value() == code);
    m_group->setExclusive(true);
}

// --- SpinBoxLink ---

SpinBoxLink::SpinBoxLink(TableCursor &cursor, const QString &field, QSpinBox *spin)
    : FieldLink(cursor, field, spin), m_spin(spin)
{
    connect(spin, &QSpinBox::valueChanged, this, [this](int value) {
        if (!showing())
            write(value);
    });
    refresh();
}

void SpinBoxLink::show(const QVariant &value)
{
    if (m_spin)
        m_spin->setValue(value.isNull() ? m_spin->minimum() : value.toInt());
}

void SpinBoxLink::applyReadOnly(bool on)
{
    if (m_spin)
        m_spin->setReadOnly(on);
}

} // namespace qm
