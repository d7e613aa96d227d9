// The count tree: its sources, loading, selection, navigation, the system
// filter and what every activation of the window does.

#include "catalogue/catalogueicons.h"
#include "catalogue/firstform.h"

#include "counting/codes.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "store/datamodule.h"
#include "store/collation.h"
#include "views/dbtreeview.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QShortcut>
#include <QSqlQuery>

#include <algorithm>

namespace qm {

namespace {

const QString kColumns = QStringLiteral("SELECT Id, Description, Copy_Count_Id, Type, FP_Val FROM CCounts ");
// Items come grouped by parent, so the tree looks each parent up once.
const QString kByParent = QStringLiteral("ORDER BY Copy_Count_Id, Id");

// Keeps the cursor's bound controls quiet while the tree is rebuilt.
class ControlsHeld
{
public:
    explicit ControlsHeld(TableCursor &cursor) : m_cursor(cursor) { m_cursor.disableControls(); }
    ~ControlsHeld() { m_cursor.enableControls(); }
    ControlsHeld(const ControlsHeld &) = delete;
    ControlsHeld &operator=(const ControlsHeld &) = delete;

private:
    TableCursor &m_cursor;
};

} // namespace

TableCursor &TFirstForm::cursor() const
{
    return m_data.catalogueCursor();
}

bool TFirstForm::ensureCursorOpen()
{
    if (!cursor().isOpen() && m_data.database().isOpen())
        m_data.openCatalogueCursor();
    return cursor().isOpen();
}

void TFirstForm::configureTree()
{
    m_parentSource.setSql(kColumns + QStringLiteral("WHERE Id IN (SELECT Copy_Count_Id FROM CCounts)"));
    // NOT IN over a list holding a null matches nothing at all: a count with
    // no parent recorded must not empty the whole tree.
    m_itemSource.setSql(kColumns
                            + QStringLiteral("WHERE Id NOT IN (SELECT Copy_Count_Id FROM CCounts "
                                             "WHERE Copy_Count_Id IS NOT NULL) "),
                        kByParent);
    m_filterSource.setSql(kColumns + QStringLiteral("WHERE System = :System "), kByParent);

    m_tree->setDatabase(&m_data.database());
    m_tree->setDialogs(&m_dialogs);
    m_tree->setPDataSource(&m_parentSource);
    m_tree->setIDataSource(&m_itemSource);
    m_tree->setUDataSource(&cursor());
    m_tree->setFieldId(QStringLiteral("Id"));
    m_tree->setFieldParentId(QStringLiteral("Copy_Count_Id"));
    m_tree->setFieldName(QStringLiteral("Description"));
    m_tree->setFieldVal(QStringLiteral("FP_Val"));
    m_tree->setFieldType(QStringLiteral("Type"));
    m_tree->setFieldValShow(true);
    m_tree->setFieldValUnits(FpUnits);
    m_tree->setFieldValRipple(false);
    m_tree->setImages({icons::BaseCount(), icons::EnhancementCount()});
    m_tree->setOnGetImage([](const TNodeInfo &info) { return info.type == code::CountEnhancement ? 1 : 0; });

    connect(m_tree, &TDBTreeView::OnAfterChange, this, &TFirstForm::onSelectionChanged);
    // A double click opens the count; it must not also fold its family.
    m_tree->setExpandsOnDoubleClick(false);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &TFirstForm::OpenCount);
    // Enter opens the selected count, as a double click does.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *open = new QShortcut(QKeySequence(key), m_tree, nullptr, nullptr, Qt::WidgetShortcut);
        connect(open, &QShortcut::activated, this, &TFirstForm::OpenCount);
    }
}

void TFirstForm::LoadCountTree()
{
    if (!ensureCursorOpen())
        return;
    const bool filtered = !m_filterSystem.isEmpty();
    if (filtered)
        m_filterSource.setParam(QStringLiteral("System"), m_filterSystem);
    m_tree->setFilterOn(filtered);
    m_tree->setIDataSource(filtered ? &m_filterSource : &m_itemSource);
    {
        ControlsHeld held(cursor());
        // Counts written elsewhere (a save, an import) must be found when
        // the selection positions the cursor.
        cursor().refresh();
        m_tree->LoadTree();
    }
    // The count last worked on stays selected; otherwise (or when the filter
    // hides it) the first node, so the panel never shows a count that is not
    // selected.
    QTreeWidgetItem *node = nullptr;
    if (m_state.currentCountId != 0)
        node = m_tree->FindNodeById(QString::number(m_state.currentCountId));
    if (!node)
        node = m_tree->topLevelItem(0);
    selectAndScroll(node);
}

void TFirstForm::selectAndScroll(QTreeWidgetItem *node)
{
    // A rebuilt tree selects its first node without telling anyone: the
    // cursor and the commands still have to follow.
    if (m_tree->currentItem() == node)
        onSelectionChanged();
    else
        m_tree->SelectNode(node);
    if (m_tree->currentItem())
        m_tree->scrollToItem(m_tree->currentItem(), QAbstractItemView::PositionAtTop);
}

void TFirstForm::onSelectionChanged()
{
    if (m_handlingSelection)
        return;
    m_handlingSelection = true;
    const QString key = m_tree->ActiveId();
    const qint64 id = key.isEmpty() ? 0 : key.toLongLong();
    const bool found = id != 0 && cursor().isOpen() && cursor().locate(QStringLiteral("Id"), id);
    if (!found && m_tree->currentItem())
        m_tree->SelectNode(nullptr);
    updateNavigation();
    updateDeleteCommand();
    m_handlingSelection = false;
}

void TFirstForm::updateNavigation()
{
    QTreeWidgetItem *current = m_tree->currentItem();
    action(QStringLiteral("Previous Count"))->setEnabled(current && m_tree->itemAbove(current));
    action(QStringLiteral("Next Count"))->setEnabled(current && m_tree->itemBelow(current));
}

void TFirstForm::updateDeleteCommand()
{
    action(QStringLiteral("Delete Count"))->setEnabled(m_tree->currentItem() != nullptr);
}

void TFirstForm::selectPrevious()
{
    if (QTreeWidgetItem *current = m_tree->currentItem())
        if (QTreeWidgetItem *above = m_tree->itemAbove(current))
            m_tree->SelectNode(above);
}

void TFirstForm::selectNext()
{
    if (QTreeWidgetItem *current = m_tree->currentItem())
        if (QTreeWidgetItem *below = m_tree->itemBelow(current))
            m_tree->SelectNode(below);
}

void TFirstForm::runHierarchyCommand(const std::function<void()> &command)
{
    command();
    updateNavigation();
}

// --- System filter ---

void TFirstForm::LoadSystemList()
{
    QStringList systems;
    if (m_data.database().isOpen()) {
        QSqlQuery q = m_data.database().exec(
            QStringLiteral("SELECT DISTINCT System FROM CCounts WHERE System IS NOT NULL AND System <> ''"));
        while (q.next())
            systems << q.value(0).toString();
    }
    std::sort(systems.begin(), systems.end(),
              [](const QString &a, const QString &b) { return CompareText(a, b) < 0; });
    const QSignalBlocker quiet(m_systemFilter);
    m_systemFilter->clear();
    m_systemFilter->addItem(QString(), QString());
    for (const QString &s : systems)
        m_systemFilter->addItem(s, s);
    // The box starts on the empty entry; the tree keeps whatever filter it has.
    m_systemFilter->setCurrentIndex(0);
}

void TFirstForm::onSystemChosen(int index)
{
    ApplySystemFilter(index > 0 ? m_systemFilter->itemData(index).toString() : QString());
}

void TFirstForm::ApplySystemFilter(const QString &system)
{
    m_filterSystem = system;
    if (!ensureCursorOpen())
        return;
    if (!system.isEmpty()) {
        m_filterSource.setParam(QStringLiteral("System"), system);
        m_tree->setFilterOn(true);
        m_tree->setIDataSource(&m_filterSource);
        m_filterText->setText(QStringLiteral("Filter System: ") + system);
    } else {
        m_tree->setFilterOn(false);
        m_tree->setIDataSource(&m_itemSource);
        m_filterText->setText(QStringLiteral(" "));
    }
    {
        ControlsHeld held(cursor());
        m_tree->LoadTree();
    }
    selectAndScroll(m_tree->topLevelItem(0));
}

// --- Activation ---

void TFirstForm::FormActivate()
{
    if (!isMaximized())
        showMaximized();
    LoadSystemList();
    if (!m_state.editorJustClosed)
        return;
    m_state.editorJustClosed = false;
    if (m_state.currentCountId != 0)
        if (TTreeNode *node = m_tree->FindNodeById(QString::number(m_state.currentCountId)))
            m_tree->SelectNode(node);
    if (!ensureCursorOpen())
        return;
    cursor().refresh();
    // The editor stored the count's new total in its row.
    m_tree->RefreshNodeFromUpdateSource();
}

} // namespace qm
