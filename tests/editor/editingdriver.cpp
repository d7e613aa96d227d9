#include "editingdriver.h"

#include "modalwatch.h"

#include "editor/editing.h"
#include "editor/filespage.h"
#include "editor/linkfilesform.h"
#include "editor/mainform.h"
#include "editor/transpage.h"
#include "views/dblistview.h"
#include "views/dbtreeview.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

namespace qm::test {

EditingDriver::EditingDriver(EditorFixture &fx) : editor(fx.editor()), editing(fx.editor().editing()) {}

void EditingDriver::Command(TEditorCommands::Id id)
{
    editor.commands().action(id)->trigger();
}

void EditingDriver::ShowTransactions()
{
    editor.pageControl()->setCurrentIndex(TMainForm::TransactionsPage);
}

void EditingDriver::ShowFiles()
{
    editor.pageControl()->setCurrentIndex(TMainForm::FilesPage);
}

void EditingDriver::Type(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

void EditingDriver::Click(QAbstractButton *button)
{
    // Near the left edge: a radio button takes clicks on its mark and caption only.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(std::min(8, button->width() / 2), button->height() / 2));
}

void EditingDriver::ClickNode(TDBTreeView *tree, QTreeWidgetItem *node)
{
    tree->scrollToItem(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
}

void EditingDriver::DragNode(TDBTreeView *tree, QTreeWidgetItem *from, const QPoint &to)
{
    QWidget *viewport = tree->viewport();
    tree->scrollToItem(from);
    const QPoint start = tree->visualItemRect(from).center();
    const QPoint away = start + QPoint(QApplication::startDragDistance() + 4, 0);
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    QTest::mouseMove(viewport, away - QPoint(2, 0));
    QTest::mouseMove(viewport, away);
    QTest::mouseMove(viewport, (away + to) / 2);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    // The drop is handled once the mouse event is over.
    QTest::qWait(20);
}

TTreeNode *EditingDriver::Node(TDBTreeView *tree, const QString &name)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if (TTreeNode *node = TDBTreeView::NodeOf(*it); node && node->info.name == name)
            return node;
    return nullptr;
}

TDBTreeView *EditingDriver::transTree() const
{
    return editor.transPage()->tree();
}

TDBTreeView *EditingDriver::filesTree() const
{
    return editor.filesPage()->tree();
}

void EditingDriver::SelectTrans(const QString &name)
{
    ShowTransactions();
    ClickNode(transTree(), Trans(name));
}

void EditingDriver::SelectFile(const QString &name)
{
    ShowFiles();
    ClickNode(filesTree(), File(name));
}

void EditingDriver::TransName(const QString &name)
{
    Type(editor.transPage()->nameEdit(), name);
}

void EditingDriver::TransType(int index)
{
    editor.transPage()->ShowGeneralTab();
    Click(editor.transPage()->typeGroup()->button(index));
}

void EditingDriver::TransOk()
{
    Click(editor.transPage()->okButton());
}

void EditingDriver::FileName(const QString &name)
{
    Type(editor.filesPage()->nameEdit(), name);
}

void EditingDriver::FileType(int index)
{
    editor.filesPage()->ShowGeneralTab();
    Click(editor.filesPage()->typeGroup()->button(index));
}

void EditingDriver::FileCounts(const QString &rets, const QString &dets)
{
    TFilesPage *page = editor.filesPage();
    page->panelTabs()->setCurrentWidget(page->complexityTab());
    Type(page->retEdit(), rets);
    Type(page->detEdit(), dets);
}

void EditingDriver::FileOk()
{
    Click(editor.filesPage()->okButton());
}

void EditingDriver::NewTrans(TEditorCommands::Id command, const QString &name, int typeIndex)
{
    ShowTransactions();
    Command(command);
    TransName(name);
    TransType(typeIndex);
    TransOk();
}

void EditingDriver::NewFile(const QString &name, int typeIndex, int rets, int dets)
{
    ShowFiles();
    Command(TEditorCommands::ToolInsertFile);
    FileName(name);
    FileType(typeIndex);
    FileCounts(QString::number(rets), QString::number(dets));
    FileOk();
}

void EditingDriver::LinkFiles(const SideLinks &input, const SideLinks &output)
{
    auto watch = ModalWatch::Start(
        [input, output](QWidget *modal) {
            auto *form = static_cast<TFormAddIt *>(modal);
            for (const auto &[side, links] :
                 {std::pair{&form->inputSide(), input}, std::pair{&form->outputSide(), output}}) {
                if (!side->loaded)
                    continue;
                form->pageControl()->setCurrentWidget(side->tab);
                for (const QString &name : links.files) {
                    side->available->clearSelection();
                    if (QTreeWidgetItem *item = side->available->findItems(name, Qt::MatchExactly).value(0))
                        item->setSelected(true);
                    Click(side->link);
                }
                if (links.dets >= 0)
                    Type(side->dets, QString::number(links.dets));
            }
            Click(form->okButton());
        },
        QStringLiteral("TFormAddIt"));
    Command(TEditorCommands::ToolTransComplexity);
    QVERIFY(watch->fired());
}

} // namespace qm::test
