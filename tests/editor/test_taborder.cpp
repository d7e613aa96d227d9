#include "cataloguefixture.h"
#include "countfixture.h"
#include "editingdriver.h"
#include "editorfixture.h"
#include "modalwatch.h"

#include "app/aboutform.h"
#include "app/helpwindow.h"
#include "catalogue/newcountnameform.h"
#include "editor/countpage.h"
#include "editor/editing.h"
#include "editor/filespage.h"
#include "editor/linkfilesform.h"
#include "editor/mainform.h"
#include "editor/transpage.h"
#include "interchange/ui/importform.h"
#include "store/database.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedLayout>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

#include <algorithm>

using namespace qm;
using namespace qm::test;
using C = TEditorCommands;

namespace {

// --- Where Tab should go ---

bool TakesTab(const QWidget *w)
{
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isVisible() && w->isEnabled();
}

// A widget with a focus proxy hands its focus on and is no stop itself.
bool IsStop(const QWidget *w)
{
    return TakesTab(w) && !w->focusProxy();
}

// The arrows beside a count box, and whatever lies inside a spin box:
// parts of one control, reached with the mouse or the arrow keys.
bool IsSpinPart(const QWidget *w)
{
    if (const auto *button = qobject_cast<const QToolButton *>(w))
        if (button->arrowType() == Qt::UpArrow || button->arrowType() == Qt::DownArrow)
            return true;
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const QAbstractSpinBox *>(p))
            return true;
    return false;
}

// The control a focused widget belongs to: a spin box for its inner edit.
QWidget *StopOf(QWidget *focus)
{
    QWidget *stop = focus;
    for (QWidget *p = focus ? focus->parentWidget() : nullptr; p; p = p->parentWidget())
        if (qobject_cast<QAbstractSpinBox *>(p))
            stop = p;
    return stop;
}

QString Describe(const QWidget *w)
{
    if (!w)
        return QStringLiteral("(nothing)");
    QString text = w->objectName();
    if (text.isEmpty()) {
        text = QString::fromLatin1(w->metaObject()->className());
        if (const auto *button = qobject_cast<const QAbstractButton *>(w))
            text += QStringLiteral(" \"%1\"").arg(button->text());
    }
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (!p->objectName().isEmpty() && !p->objectName().startsWith(QLatin1String("qt_"))) {
            text += QStringLiteral(" in ") + p->objectName();
            break;
        }
    return text;
}

QStringList Describe(const QList<QWidget *> &widgets)
{
    QStringList out;
    for (const QWidget *w : widgets)
        out << Describe(w);
    return out;
}

// Top to bottom in rows, left to right within a row. Two widgets share a
// row when the lower one starts above the middle of the shorter one.
QList<QWidget *> ReadingOrder(QList<QWidget *> widgets)
{
    std::stable_sort(widgets.begin(), widgets.end(), [](const QWidget *a, const QWidget *b) {
        return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
    });
    QList<QWidget *> out;
    qsizetype rowStart = 0;
    for (qsizetype i = 0; i <= widgets.size(); ++i) {
        const bool newRow = i == widgets.size()
                            || widgets[i]->y() - widgets[rowStart]->y()
                                   >= std::max(1, std::min(widgets[i]->height(), widgets[rowStart]->height()) / 2);
        if (!newRow)
            continue;
        std::stable_sort(widgets.begin() + rowStart, widgets.begin() + i,
                         [](const QWidget *a, const QWidget *b) { return a->x() < b->x(); });
        out.append(widgets.mid(rowStart, i - rowStart));
        rowStart = i;
    }
    return out;
}

// The stops of a window in the order its user reads them: through the
// layouts as they are built (boxes item by item, grids row by row, forms
// label then field), each widget with what it holds; where no such layout
// places the widgets, by their positions.
class VisualOrder
{
public:
    explicit VisualOrder(QWidget *window) : m_window(window) { Widget(window); }

    QList<QWidget *> stops;

private:
    void Widget(QWidget *w)
    {
        if (!w->isVisible() || (w->isWindow() && w != m_window))
            return;
        // One stop however it is made up inside.
        if (qobject_cast<QAbstractSpinBox *>(w)) {
            if (TakesTab(w))
                stops << w;
            return;
        }
        if (IsStop(w)) {
            // The buttons of a group are one stop: the first, until one of
            // them has had the focus, then that one.
            const QObject *group = ButtonGroup(w);
            if (!group || !m_groups.contains(group))
                stops << w;
            if (group)
                m_groups.insert(group);
        }
        QSet<QWidget *> placed;
        if (QLayout *layout = w->layout(); layout && Known(layout))
            Layout(layout, placed);
        QList<QWidget *> rest;
        for (QObject *child : w->children())
            if (auto *c = qobject_cast<QWidget *>(child); c && !placed.contains(c))
                rest << c;
        for (QWidget *c : ReadingOrder(rest))
            Widget(c);
    }

    static bool Known(const QLayout *layout)
    {
        return qobject_cast<const QBoxLayout *>(layout) || qobject_cast<const QGridLayout *>(layout)
               || qobject_cast<const QFormLayout *>(layout) || qobject_cast<const QStackedLayout *>(layout);
    }

    void Item(QLayoutItem *item, QSet<QWidget *> &placed)
    {
        if (!item)
            return;
        if (QWidget *w = item->widget()) {
            placed.insert(w);
            Widget(w);
        } else if (QLayout *sub = item->layout()) {
            if (Known(sub))
                Layout(sub, placed);
            else // an unknown kind of layout places its widgets by position
                for (QWidget *w : ReadingOrder(LayoutWidgets(sub))) {
                    placed.insert(w);
                    Widget(w);
                }
        }
    }

    static QList<QWidget *> LayoutWidgets(QLayout *layout)
    {
        QList<QWidget *> out;
        for (int i = 0; i < layout->count(); ++i)
            if (QWidget *w = layout->itemAt(i)->widget())
                out << w;
        return out;
    }

    void Layout(QLayout *layout, QSet<QWidget *> &placed)
    {
        if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
            struct Cell
            {
                int row, column;
                QLayoutItem *item;
            };
            QList<Cell> cells;
            for (int i = 0; i < grid->count(); ++i) {
                int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
                grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
                cells.append({row, column, grid->itemAt(i)});
            }
            std::stable_sort(cells.begin(), cells.end(), [](const Cell &a, const Cell &b) {
                return a.row != b.row ? a.row < b.row : a.column < b.column;
            });
            for (const Cell &cell : cells)
                Item(cell.item, placed);
        } else if (auto *form = qobject_cast<QFormLayout *>(layout)) {
            // A row spanning both columns answers as its field.
            for (int row = 0; row < form->rowCount(); ++row)
                for (QFormLayout::ItemRole role : {QFormLayout::LabelRole, QFormLayout::FieldRole})
                    Item(form->itemAt(row, role), placed);
        } else {
            QList<QLayoutItem *> items;
            for (int i = 0; i < layout->count(); ++i)
                items << layout->itemAt(i);
            if (auto *box = qobject_cast<QBoxLayout *>(layout);
                box && (box->direction() == QBoxLayout::RightToLeft || box->direction() == QBoxLayout::BottomToTop))
                std::reverse(items.begin(), items.end());
            for (QLayoutItem *item : items)
                Item(item, placed);
        }
    }

    static const QObject *ButtonGroup(const QWidget *w)
    {
        const auto *button = qobject_cast<const QAbstractButton *>(w);
        if (!button || !button->isCheckable())
            return nullptr;
        if (button->group())
            return static_cast<const QObject *>(button->group());
        return button->autoExclusive() ? button->parentWidget() : nullptr;
    }

    QWidget *m_window;
    QSet<const QObject *> m_groups;
};

// --- Where Tab goes ---

// The stops focus passes through from start on, one per key press. A text
// browser moves through its links before it lets the focus go: those
// presses stay on one stop.
QList<QWidget *> Walk(QWidget *start, int presses, bool forward)
{
    start->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    QList<QWidget *> walked{StopOf(QApplication::focusWidget())};
    int spare = 50;
    for (int i = 0; i < presses; ++i) {
        QWidget *focus = QApplication::focusWidget();
        if (!focus)
            break;
        QTest::keyClick(focus, forward ? Qt::Key_Tab : Qt::Key_Backtab,
                        forward ? Qt::NoModifier : Qt::ShiftModifier);
        QWidget *now = StopOf(QApplication::focusWidget());
        if (now && now == walked.constLast() && qobject_cast<QTextBrowser *>(now) && spare-- > 0) {
            --i;
            continue;
        }
        walked << now;
    }
    return walked;
}

// Tab and Shift+Tab go round the window's stops in reading order, each
// once, never stopping at a spin box's parts. Focus starts on the first
// stop, or when a stop is guarded (a key there would act on the window's
// state) just after it going forward and just before it going back, and
// stops on it.
void CheckTabChain(QWidget *window, QWidget *guarded = nullptr)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTRY_COMPARE(QApplication::activeWindow(), window);
    for (const bool forward : {true, false}) {
        // Anew each way: focus decides which button of a group is its stop.
        const QList<QWidget *> visual = VisualOrder(window).stops;
        QList<QWidget *> expected;
        std::copy_if(visual.begin(), visual.end(), std::back_inserter(expected),
                     [](QWidget *w) { return !IsSpinPart(w); });
        const int n = int(expected.size());
        QVERIFY2(n > 0, "the window has nothing to stop at");
        QCOMPARE(QSet<QWidget *>(expected.begin(), expected.end()).size(), expected.size());
        const int guard = guarded ? int(expected.indexOf(guarded)) : -1;
        QVERIFY2(!guarded || guard >= 0, qPrintable(Describe(guarded) + " is not a stop"));

        const int step = forward ? 1 : -1;
        const int start = guarded ? (guard + step + n) % n : 0;
        const int presses = guarded ? n - 1 : n;
        QList<QWidget *> wanted;
        for (int i = 0; i <= presses; ++i)
            wanted << expected[((start + step * i) % n + n) % n];
        const QList<QWidget *> walked = Walk(wanted.constFirst(), presses, forward);
        QVERIFY2(walked.constFirst() == wanted.constFirst(),
                 qPrintable("focus went to " + Describe(walked.constFirst()) + " instead"));
        for (QWidget *w : walked)
            QVERIFY2(!w || !IsSpinPart(w), qPrintable(Describe(w) + " took the focus"));
        QVERIFY2(walked == wanted, qPrintable(QStringLiteral("%1\n   walked: %2\n   wanted: %3")
                                                  .arg(forward ? "Tab" : "Shift+Tab",
                                                       Describe(walked).join(QStringLiteral(", ")),
                                                       Describe(wanted).join(QStringLiteral(", ")))));
    }
}

constexpr int kCount = 3;

// An enhancement count, so every choice on the panels is open: a group
// holding an inquiry that reads and writes one file.
void AddCount(Database &db)
{
    InsertPaymentEnquiryCount(db, kCount);
    InsertFile(db, FileRow(kCount, 21, "Payroll archive", 5, "E", "N"));
}

// Runs check on the modal window with the object name once command has
// brought it up, then closes it.
void OnDialog(const QString &name, const std::function<void()> &command, const std::function<void(QWidget *)> &check)
{
    auto watch = ModalWatch::Start(
        [check](QWidget *modal) {
            check(modal);
            modal->close();
        },
        name);
    command();
    QVERIFY2(watch->fired(), qPrintable(name + " did not come up"));
}

} // namespace

class TestTabOrder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void editor_data();
    void editor();
    void editorDialogs_data();
    void editorDialogs();
    void importWizard_data();
    void importWizard();
    void catalogue();
    void newCountName();
    void aboutBox();
    void helpWindow();
};

void TestTabOrder::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestTabOrder::editor_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("item"); // the node selected on the page
    QTest::addColumn<int>("tab");      // of the page's own tabs
    QTest::addColumn<bool>("editing"); // OK and Cancel open

    using M = TMainForm;
    QTest::newRow("count page, summary") << int(M::GeneralPage) << "" << 0 << false;
    QTest::newRow("count page, characteristics") << int(M::GeneralPage) << "" << 1 << false;
    QTest::newRow("count page, details") << int(M::GeneralPage) << "" << 2 << false;
    QTest::newRow("count page, editing") << int(M::GeneralPage) << "" << 0 << true;
    for (const auto &[tab, name] :
         {std::pair{0, "general"}, std::pair{1, "complexity"}, std::pair{2, "transactions"}, std::pair{3, "comments"}})
        QTest::addRow("file panel, %s", name) << int(M::FilesPage) << "Employees" << tab << false;
    QTest::newRow("file panel, editing") << int(M::FilesPage) << "Employees" << 1 << true;
    // A group's panel has "Totals" where a transaction's has "Details".
    for (const auto &[tab, name] : {std::pair{0, "general"}, std::pair{1, "totals"}, std::pair{3, "comments"}})
        QTest::addRow("transaction panel, group, %s", name) << int(M::TransactionsPage) << "Payments" << tab << false;
    for (const auto &[tab, name] : {std::pair{0, "general"}, std::pair{2, "details"}, std::pair{3, "comments"}})
        QTest::addRow("transaction panel, transaction, %s", name)
            << int(M::TransactionsPage) << "Payment enquiry" << tab << false;
    QTest::newRow("transaction panel, editing") << int(M::TransactionsPage) << "Payment enquiry" << 0 << true;
    QTest::newRow("analyser page") << int(M::AnalyserPage) << "" << 0 << false;
}

void TestTabOrder::editor()
{
    QFETCH(int, page);
    QFETCH(QString, item);
    QFETCH(int, tab);
    QFETCH(bool, editing);
    EditorFixture fx;
    AddCount(fx.db());
    fx.OpenSaved(kCount);
    fx.Run([&] {
        EditingDriver d(fx);
        TMainForm &editor = d.editor;
        editor.pageControl()->setCurrentIndex(page);
        QWidget *guarded = nullptr;
        if (page == TMainForm::GeneralPage) {
            TCountPage *count = editor.countPage();
            count->tabs()->setCurrentIndex(tab);
            if (editing)
                QTest::keyClicks(count->nameEdit(), "s");
            QCOMPARE(count->okButton()->isEnabled(), editing);
        } else if (page != TMainForm::AnalyserPage) {
            TItemPage *items =
                page == TMainForm::FilesPage ? static_cast<TItemPage *>(editor.filesPage()) : editor.transPage();
            if (page == TMainForm::FilesPage)
                d.SelectFile(item);
            else
                d.SelectTrans(item);
            QVERIFY(items->panel()->IsPanelVisible());
            QVERIFY(!items->panel()->isFloating());
            QVERIFY(items->panelTabs()->isTabVisible(tab));
            items->panelTabs()->setCurrentIndex(tab);
            if (editing) {
                QTest::keyClicks(items->nameEdit(), "s");
                // A key in the tree stores the row first.
                guarded = items->tree();
            }
            QCOMPARE(items->okButton()->isEnabled(), editing);
        }
        CheckTabChain(&editor, guarded);
    });
    QVERIFY2(fx.dialogs.unexpected().isEmpty(), qPrintable(fx.dialogs.unexpected()));
}

void TestTabOrder::editorDialogs_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("side"); // of the link dialog: 0 input, 1 output

    QTest::newRow("link files, input") << "TFormAddIt" << 0;
    QTest::newRow("link files, output") << "TFormAddIt" << 1;
    QTest::newRow("find") << "TFindForm" << 0;
    QTest::newRow("filter") << "TFormFilter" << 0;
    QTest::newRow("export") << "TExportForm" << 0;
}

void TestTabOrder::editorDialogs()
{
    QFETCH(QString, dialog);
    QFETCH(int, side);
    EditorFixture fx;
    AddCount(fx.db());
    fx.OpenSaved(kCount);
    fx.Run([&] {
        EditingDriver d(fx);
        d.ShowTransactions();
        d.SelectTrans("Payment enquiry");
        if (dialog == "TFormAddIt") {
            TFormAddIt &form = d.editing.linkForm();
            OnDialog(
                dialog, [&] { d.Command(C::ToolTransComplexity); },
                [&](QWidget *modal) {
                    form.pageControl()->setCurrentWidget(side == 0 ? form.inputSide().tab : form.outputSide().tab);
                    CheckTabChain(modal);
                });
            return;
        }
        const C::Id command = dialog == "TFindForm" ? C::Find : dialog == "TFormFilter" ? C::Filter : C::ExportData;
        OnDialog(
            dialog, [&] { d.Command(command); },
            [&](QWidget *modal) {
                // Find Next opens once there is something to find.
                if (auto *edit = modal->findChild<QLineEdit *>(QStringLiteral("FindEdit")))
                    QTest::keyClicks(edit, "Pay");
                CheckTabChain(modal);
            });
    });
    QVERIFY2(fx.dialogs.unexpected().isEmpty(), qPrintable(fx.dialogs.unexpected()));
}

void TestTabOrder::importWizard_data()
{
    QTest::addColumn<bool>("results");
    QTest::newRow("file page") << false;
    QTest::newRow("results page") << true;
}

void TestTabOrder::importWizard()
{
    QFETCH(bool, results);
    EditorFixture fx;
    QTemporaryDir dir;
    const QString path = dir.filePath("import.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\"COUNT\",\"PAY\",\"Payroll\"\r\n");
    file.close();
    fx.dialogs.queueFile(path);
    TImportForm form(fx.db(), fx.dialogs);
    OnDialog(
        QStringLiteral("TImportForm"), [&] { form.RunImport(); },
        [&](QWidget *) {
            if (results)
                QTest::mouseClick(form.importNextButton(), Qt::LeftButton);
            QCOMPARE(form.pages()->currentIndex(), results ? 1 : 0);
            CheckTabChain(&form);
        });
}

void TestTabOrder::catalogue()
{
    CatalogueFixture f;
    QVERIFY(f.started);
    InsertCount(f.db(), {1, "HR", "Alpha base", "B", 0, 100});
    InsertCount(f.db(), {2, "HR", "Bravo enhancement", "E", 1, 10});
    InsertCount(f.db(), {5, "PAY", "Echo payroll", "B", 0, 300});
    TFirstForm &form = f.show();
    f.select(2);
    CheckTabChain(&form);
}

void TestTabOrder::newCountName()
{
    TestDatabaseDir dir;
    SettingsEntry settings(dir.filePath("quillmark.ini"));
    ScriptedDialogs dialogs;
    DataModule data(dialogs, settings, DataModule::Options{});
    data.ConnectDatabase(dir.path());
    TNewCountNameForm form(data.database(), dialogs);
    form.show();
    CheckTabChain(&form);
}

void TestTabOrder::aboutBox()
{
    Taboutform about;
    about.show();
    CheckTabChain(&about);
}

void TestTabOrder::helpWindow()
{
    QTemporaryDir dir;
    const auto page = [&](const QString &name, const QByteArray &body) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html><head><title>" + name.toUtf8() + "</title></head><body>" + body + "</body></html>");
    };
    page("index.html", "<p><a href=\"a.html\">A</a> and <a href=\"b.html\">B</a></p>");
    page("a.html", "<p><a href=\"index.html\">Contents</a></p>");
    page("b.html", "<p>No links.</p>");
    const QUrl home = QUrl::fromLocalFile(dir.filePath("index.html"));
    THelpWindow window(home);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.goHome();
    window.showPage(home.resolved(QUrl("a.html")));
    window.showPage(home.resolved(QUrl("b.html")));
    // Back and Forward both open.
    window.browser()->backward();
    window.show();
    QCOMPARE(window.documentTitle(), QStringLiteral("a.html"));
    CheckTabChain(&window);
}

QTEST_MAIN(TestTabOrder)
#include "test_taborder.moc"
