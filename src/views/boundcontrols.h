#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVariant>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QWidget;

namespace qm {

class TableCursor;

// Binds one control to one field of a cursor: the control shows the field of
// the current record and follows every move, post and cancel; the user's
// first change puts the cursor into Edit and every change sets the field.
// The link belongs to its control and goes with it.
class FieldLink : public QObject
{
    Q_OBJECT

public:
    TableCursor &cursor() const { return m_cursor; }
    QString field() const { return m_field; }

    // Read-only also while the cursor is closed or opened read-only.
    void setReadOnly(bool on);
    bool isReadOnly() const;

    // Shows the current record's value again.
    void refresh();

protected:
    FieldLink(TableCursor &cursor, const QString &field, QObject *owner);

    virtual void show(const QVariant &value) = 0;
    virtual void applyReadOnly(bool on) = 0;
    // The user changed the control: false when the change was refused (the
    // link is read-only) and the control shows the stored value again.
    bool write(const QVariant &value);
    bool showing() const { return m_showing; }

private:
    void connectCursor();

    TableCursor &m_cursor;
    QString m_field;
    bool m_readOnly = false;
    bool m_showing = false;
    bool m_writing = false;
};

// A one-line edit; text columns limit the length that can be typed, and
// line breaks in pasted text become blanks.
class LineEditLink : public FieldLink
{
    Q_OBJECT
public:
    LineEditLink(TableCursor &cursor, const QString &field, QLineEdit *edit);

protected:
    void show(const QVariant &value) override;
    void applyReadOnly(bool on) override;

private:
    QPointer<QLineEdit> m_edit;
};

// A memo.
class MemoLink : public FieldLink
{
    Q_OBJECT
public:
    MemoLink(TableCursor &cursor, const QString &field, QPlainTextEdit *memo);

protected:
    void show(const QVariant &value) override;
    void applyReadOnly(bool on) override;

private:
    QPointer<QPlainTextEdit> m_memo;
};

// A drop-down list. Items carrying data stand for that value (a code);
// items without it, and the text of an editable box, for their text.
class ComboBoxLink : public FieldLink
{
    Q_OBJECT
public:
    ComboBoxLink(TableCursor &cursor, const QString &field, QComboBox *box);

protected:
    void show(const QVariant &value) override;
    void applyReadOnly(bool) override {}

private:
    QVariant currentValue() const;
    void userChanged();

    QPointer<QComboBox> m_box;
};

// A group of radio buttons, each standing for one code; a code no button
// stands for checks none.
class RadioGroupLink : public FieldLink
{
    Q_OBJECT
public:
    RadioGroupLink(TableCursor &cursor, const QString &field, QButtonGroup *group);
    void addChoice(QAbstractButton *button, const QString &code);
    // The group only shows the field: its owner handles the clicks, for a
    // choice that does more than set the field.
    void setShowOnly(bool on) { m_showOnly = on; }

protected:
    void show(const QVariant &value) override;
    void applyReadOnly(bool) override {}

private:
    QPointer<QButtonGroup> m_group;
    QHash<QAbstractButton *, QString> m_codes;
    bool m_showOnly = false;
};

// A spin (up-down) control over an integer field.
class SpinBoxLink : public FieldLink
{
    Q_OBJECT
public:
    SpinBoxLink(TableCursor &cursor, const QString &field, QSpinBox *spin);

protected:
    void show(const QVariant &value) override;
    void applyReadOnly(bool on) override;

private:
    QPointer<QSpinBox> m_spin;
};

} // namespace qm
