#include "catalogue/countdetails.h"

#include "counting/codes.h"
#include "store/cursor.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

CountDetails::CountDetails(TableCursor &cursor, QWidget *parent) : QWidget(parent), m_cursor(cursor)
{
    setObjectName(QStringLiteral("CountDetails"));
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("CountPages"));
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("CountDetailsPage"));
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    m_system = addField(grid, 0, QStringLiteral("System:"), QStringLiteral("SystemText"));
    m_description = addField(grid, 1, QStringLiteral("Description:"), QStringLiteral("DescriptionText"));
    m_countId = addField(grid, 2, QStringLiteral("Count Id:"), QStringLiteral("CountIdText"));

    // The type and, beside it, the read-only mark.
    m_type = addField(grid, 3, QStringLiteral("Type:"), QStringLiteral("TypeText"));
    grid->removeWidget(m_type);
    m_status = new QLineEdit(page);
    m_status->setObjectName(QStringLiteral("StatusText"));
    m_status->setReadOnly(true);
    m_status->setFrame(false);
    auto *typeRow = new QHBoxLayout;
    typeRow->setSpacing(4);
    typeRow->addWidget(m_type, 3);
    typeRow->addWidget(m_status, 2);
    grid->addLayout(typeRow, 3, 1);

    m_total = addField(grid, 4, QStringLiteral("Total FPs:"), QStringLiteral("TotalText"));
    m_created = addField(grid, 5, QStringLiteral("Date Created:"), QStringLiteral("CreatedText"));
    m_updated = addField(grid, 6, QStringLiteral("Last Updated:"), QStringLiteral("UpdatedText"));
    grid->setColumnStretch(1, 1);
    m_pages->addTab(page, QStringLiteral("Count Details"));

    m_open = new QPushButton(QStringLiteral("Open Count..."), this);
    m_open->setObjectName(QStringLiteral("OpenCountButton"));
    m_open->setDefault(true);
    connect(m_open, &QPushButton::clicked, this, &CountDetails::openRequested);
    // The panel is no dialog, so Enter reaches its default button this way.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *enter = new QShortcut(QKeySequence(key), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(enter, &QShortcut::activated, m_open, &QPushButton::click);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_open);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(&m_cursor, &TableCursor::recordChanged, this, &CountDetails::showCurrentRow);
    connect(&m_cursor, &TableCursor::stateChanged, this, &CountDetails::showCurrentRow);
    showCurrentRow();
}

QLineEdit *CountDetails::addField(QGridLayout *grid, int row, const QString &caption, const QString &name)
{
    auto *label = new QLabel(caption);
    auto *field = new QLineEdit;
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setFrame(false);
    field->setFocusPolicy(Qt::ClickFocus);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

QSize CountDetails::sizeHint() const
{
    return {std::max(300, minimumSizeHint().width()), QWidget::sizeHint().height()};
}

QString CountDetails::DisplayDate(const QVariant &stored)
{
    const QDate date = stored.typeId() == QMetaType::QDate
                           ? stored.toDate()
                           : QDate::fromString(stored.toString().trimmed(), Qt::ISODate);
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

void CountDetails::showCurrentRow()
{
    const bool hasRow = m_cursor.isOpen() && !m_cursor.isEmpty() && m_cursor.position() >= 0;
    auto show = [](QLineEdit *field, const QString &text) {
        field->setText(text);
        field->setCursorPosition(0);
    };
    if (!hasRow) {
        for (QLineEdit *f : {m_system, m_description, m_countId, m_type, m_status, m_total, m_created, m_updated})
            show(f, QString());
        return;
    }
    show(m_system, m_cursor.text(QStringLiteral("System")));
    show(m_description, m_cursor.text(QStringLiteral("Description")));
    show(m_countId, ExtIdText(m_cursor.intValue(QStringLiteral("Ext_Id"))));
    show(m_type, m_cursor.text(QStringLiteral("TypeValue")));
    show(m_status, m_cursor.text(QStringLiteral("StatusValue")));
    show(m_total, QString::number(m_cursor.intValue(QStringLiteral("FP_Val"))));
    show(m_created, DisplayDate(m_cursor.value(QStringLiteral("Created_Date"))));
    show(m_updated, DisplayDate(m_cursor.value(QStringLiteral("LastUpd_Date"))));
}

} // namespace qm
