#pragma once

#include <QString>
#include <QValidator>

#include <functional>

class QLineEdit;
class QPlainTextEdit;

namespace qm {

// One line of text: line breaks that arrive with pasted or dropped text
// become blanks, so they never reach a single-line column.
class SingleLineValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

// A whole number from 0 to a maximum, digits only; an empty box is taken
// as 0, so the box can be cleared while typing. A stored value above the
// maximum (an imported count may be) is kept as shown until it is changed.
class CountValidator : public QValidator
{
    Q_OBJECT
public:
    CountValidator(int maximum, QObject *parent);
    State validate(QString &input, int &pos) const override;
    int maximum() const { return m_maximum; }
    void setKept(const QString &text) { m_kept = text; }

private:
    int m_maximum;
    QString m_kept;
};

// Gives a free-text box its single-line validator.
void KeepSingleLine(QLineEdit *edit);

// A count typed into its box: keys that cannot make a count are refused as
// they are typed. Text pasted or dropped in one go is taken only when, with
// blanks and line breaks around it dropped, it makes a count; otherwise the
// box keeps its value and refused is called, so the owner can say why.
void GuardCountEdit(QLineEdit *edit, int maximum, std::function<void()> refused);

// Text pasted into a comment box by key, menu or middle click goes in as
// plain text read from the clipboard. Qt 6.4's own paste asks the X11
// clipboard for its list of formats, and in this program that list came
// back broken and the paste crashed the program.
void GuardTextPaste(QPlainTextEdit *memo);

// Shows a stored count in a guarded box, whole even when it is above what
// may be typed there.
void ShowCountText(QLineEdit *edit, qint64 value);

// The count a guarded box stands for: false when the text is not one.
bool CountOfText(const QString &text, int maximum, int *value);

} // namespace qm
