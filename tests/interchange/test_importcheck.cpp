// Checking import text: each line on its own, then the records against
// each other, asserting the exact message log.

#include "interchange/importcheck.h"

#include <QtTest>

using namespace qm;

namespace {

const QString kCount = R"("COUNT","Imported","SYS","Base",3,3,3,3,3,3,3,3,3,3,3,3,3,3,1,"U","notes",0,1,)";
const QString kGroup = R"("TRANS","Group A","Group","Add",0,0,10,0,"","Not Assigned",0,0,0)";
const QString kInput = R"("TRANS","Enter","External Input","Add",5,0,11,10,"memo","Low",0,0,0)";
const QString kFile = R"("FILES","Cust","Internal Logical","Add",12,2,20,"","Low",7)";
const QString kLink = R"("LINKS",20,11,"I",)";

QString Err(int line, const QString &text)
{
    return kErrorPrefix + QString::number(line) + ' ' + text;
}

QString Warn(int line, const QString &text)
{
    return kWarningPrefix + QString::number(line) + ' ' + text;
}

// A transaction line with the given fields 2 to 7.
QString Trans(const QString &type, const QString &change, const QString &inDets, const QString &outDets,
              const QString &tag, const QString &owner)
{
    return QStringLiteral("\"TRANS\",\"T\",\"%1\",\"%2\",%3,%4,%5,%6,\"\"").arg(type, change, inDets, outDets, tag, owner);
}

QString Count(const QString &type, const QString &oldVaf = "1", const QString &status = "U")
{
    return QStringLiteral("\"COUNT\",\"C\",\"S\",\"%1\",3,3,3,3,3,3,3,3,3,3,3,3,3,3,%2,\"%3\",\"\",0,1,")
        .arg(type, oldVaf, status);
}

std::unique_ptr<TImportCheck> FirstPass(const QStringList &lines)
{
    auto check = std::make_unique<TImportCheck>();
    check->RunFirstPass(lines);
    return check;
}

// Both passes, as validation runs them.
std::unique_ptr<TImportCheck> Validate(const QStringList &lines)
{
    auto check = FirstPass(lines);
    if (check->runStatus() != Severity::Error)
        check->RunCrossChecks();
    return check;
}

} // namespace

class TestImportCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    void validTextTakenOver();
    void lineMessages_data();
    void lineMessages();
    void emptyLineInTheMiddle();
    void unknownRecordType();
    void secondCountRecord();
    void shortCountRecord();
    void characteristicNotANumber();
    void parentWarnings();
    void retCounts();
    void linkFlags();
    void statusTakenOverUpperCase();
    void everyCheckOfARecordReported();
    void newPassStartsAfresh();
    void crossChecks_data();
    void crossChecks();
    void twentyLevels();
    void crossCheckOrder();
    void displayForms();
    void manyLines();
};

void TestImportCheck::validTextTakenOver()
{
    auto c = Validate({kCount, kGroup, kInput, kFile, kLink});
    QCOMPARE(c->messages(), QStringList());
    QCOMPARE(c->runStatus(), Severity::None);
    QVERIFY(c->pendingCount());
    const PendingCount &p = *c->pendingCount();
    QCOMPARE(p.description, QString("Imported"));
    QCOMPARE(p.type, QString("B"));
    QCOMPARE(p.oldVaf, 1.0);
    QCOMPARE(p.line, 1);
    QCOMPARE(int(c->transactions().size()), 2);
    const ImportTrans &t = c->transactions()[1];
    QCOMPARE((QVariantList{t.description, t.type, t.changeType, t.inputDets, t.outputDets, t.tag, t.ownerTag, t.line}),
             (QVariantList{"Enter", "I", "A", 5, 0, 11, 10, 3}));
    const ImportFile &f = c->files()[0];
    QCOMPARE((QVariantList{f.description, f.type, f.changeType, f.dets, f.rets, f.tag, f.line}),
             (QVariantList{"Cust", "I", "A", 12, 2, 20, 4}));
    const ImportLink &l = c->links()[0];
    QCOMPARE((QVariantList{l.fileTag, l.transTag, l.direction, l.line}), (QVariantList{20, 11, "I", 5}));
    QCOMPARE(c->display().size(), 5);
    QCOMPARE(c->display()[4].text, QString("Line:00005\tLINKS\t20\t11\tI"));
}

void TestImportCheck::lineMessages_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("dets not a number") << Trans("External Input", "Add", "abc", "0", "1", "0")
                                       << QStringList{Err(2, "abc is not a valid DET Count")};
    QTest::newRow("dets out of range") << Trans("External Input", "Add", "10000", "-1", "1", "0")
                                       << QStringList{Err(2, "DET Count must be between 0 and 9999"),
                                                      Err(2, "DET Count must be between 0 and 9999")};
    QTest::newRow("output with input dets") << Trans("External Output", "Add", "3", "0", "1", "0")
                                            << QStringList{Err(2, "Input DET Count Invalid for Output or Group Types")};
    QTest::newRow("group with dets") << Trans("Group", "Add", "1", "2", "1", "0")
                                     << QStringList{Err(2, "Input DET Count Invalid for Output or Group Types"),
                                                    Err(2, "Output DET Count Invalid for Input or Group Types")};
    QTest::newRow("bad type and change") << Trans("Input", "Modified", "0", "0", "1", "0")
                                         << QStringList{Err(2, "Invalid Transaction Type Input"),
                                                        Err(2, "Invalid Change Type Modified")};
    QTest::newRow("bad id") << Trans("Group", "Add", "0", "0", "x", "0")
                            << QStringList{Err(2, "Invalid Transaction ID")};
    QTest::newRow("blank description") << R"("TRANS"," ","Group","Add",0,0,1,0,"")"
                                       << QStringList{Err(2, "Transaction Description must be supplied")};
    QTest::newRow("vaf too high") << Count("Base", "1.351") << QStringList{Err(2, "Previous VAF must be between 0.65 and 1.35")};
    QTest::newRow("vaf not a number") << Count("Base", "abc") << QStringList{Err(2, "Previous VAF must be numeric")};
    QTest::newRow("base count text refused")
        << Count("Base Count") << QStringList{Err(2, "Count Type must be \"Enhancement\" or \"Base Count\"")};
    QTest::newRow("status") << Count("Enhancement", "1", "X") << QStringList{Err(2, "Count Status must be \"R\" or \"U\"")};
    QTest::newRow("characteristics out of range")
        << R"("COUNT","C","S","Base",6,3,3,3,3,3,3,3,3,3,3,3,3,-1,1,"U","",0,1,)"
        << QStringList{Err(2, "System Characteristic Value must be between 0 and 5"),
                       Err(2, "System Characteristic Value must be between 0 and 5")};
    QTest::newRow("files checks") << R"("FILES","","Logical","Changed",x,y,0,"")"
                                  << QStringList{Err(2, "Files Description must be supplied"),
                                                 Err(2, "Invalid File Type Logical"), Err(2, "Invalid Change Type Changed"),
                                                 Err(2, "x is not a valid DET Count"), Err(2, "y is not a valid RET Count"),
                                                 Err(2, "Invalid File ID")};
    QTest::newRow("links ids") << R"("LINKS",0,abc,"I",)"
                               << QStringList{Err(2, "Invalid File ID"), Err(2, "Invalid Transaction ID")};
    QTest::newRow("short trans") << R"("TRANS","a","Group","Add",0,0,1,0)" << QStringList{Err(2, "Error Parsing Line")};
    QTest::newRow("short files") << R"("FILES","a","Internal Logical","Add",1,1,1)" << QStringList{Err(2, "Error Parsing Line")};
    QTest::newRow("short links") << R"("LINKS",1,2)" << QStringList{Err(2, "Error Parsing Line")};
}

void TestImportCheck::lineMessages()
{
    QFETCH(QString, line);
    QFETCH(QStringList, messages);
    // A count record follows a valid one, which has no messages; a count
    // record under test stands second after a line that is not a record.
    const bool countLine = line.startsWith(QLatin1String("\"COUNT\""));
    auto c = FirstPass({countLine ? QStringLiteral("\"COMMENT\"") : kCount, line});
    if (countLine)
        messages.prepend(Err(1, "Unknown Record Type:COMMENT"));
    QCOMPARE(c->messages(), messages);
    QCOMPARE(c->lineStatus(2), Severity::Error);
    QCOMPARE(c->lineStatus(1), countLine ? Severity::Error : Severity::None);
    QVERIFY(!countLine || !c->pendingCount());
    // A record in error is not taken over.
    QCOMPARE(int(c->transactions().size() + c->files().size() + c->links().size()), 0);
}

void TestImportCheck::emptyLineInTheMiddle()
{
    auto c = FirstPass({kCount, QString(), kGroup});
    QCOMPARE(c->messages(), QStringList{Err(2, "Unable to Parse Line")});
    QCOMPARE(c->display()[1].text, QString("Line:2\t"));
    QCOMPARE(c->display()[1].line, 2);
    QCOMPARE(int(c->transactions().size()), 1);
}

void TestImportCheck::unknownRecordType()
{
    auto c = FirstPass({R"("count","C","S","Base",3)", R"( LINKS ,1,2, I ,)"});
    QCOMPARE(c->messages(), (QStringList{Err(1, "Unknown Record Type:count"), Err(2, "Unknown Record Type: LINKS ")}));
    QCOMPARE(c->display()[0].text, QString("Line:1\tcount,C,S,Base,3"));
    QCOMPARE(c->display()[1].text, QString("Line:2\t\" LINKS \",1,2,\" I \""));
}

void TestImportCheck::secondCountRecord()
{
    auto c = FirstPass({kCount, kGroup, Count("Enhancement")});
    QCOMPARE(c->messages(), QStringList{Err(3, "Duplicate count record found")});
    QCOMPARE(c->pendingCount()->line, 1);
    QCOMPARE(c->pendingCount()->type, QString("B"));
}

void TestImportCheck::shortCountRecord()
{
    const QString twenty = R"("COUNT","C","S","Base",3,3,3,3,3,3,3,3,3,3,3,3,3,3,1,"U")";
    auto c = FirstPass({twenty});
    QCOMPARE(c->messages(), QStringList{Err(1, "Error Parsing Line")});
    QVERIFY(!c->countSeen());
    QVERIFY(c->display()[0].text.startsWith("Line:1\tCOUNT\nC\nS\nBase\n3\n"));
    QVERIFY(c->display()[0].text.endsWith("\n1\nU\n"));
    // A later full count record is then the first one.
    c = FirstPass({twenty, kCount});
    QCOMPARE(c->messages(), QStringList{Err(1, "Error Parsing Line")});
    QVERIFY(c->pendingCount());
}

void TestImportCheck::characteristicNotANumber()
{
    auto c = FirstPass({R"("COUNT","C","S","Base",x,3,3,3,3,3,3,3,3,3,3,3,3,3,1,"U","",0,1,)"});
    QCOMPARE(c->messages(), QStringList{Err(1, "Unable to Parse Line")});
    QVERIFY(c->countSeen());
    QVERIFY(!c->pendingCount());
    QCOMPARE(c->display().size(), 2);
    QVERIFY(c->display()[0].text.startsWith("Line:00001\tCOUNT\tC\tS\tBase\tx\t3"));
    QCOMPARE(c->display()[1].text, QString("Line:1\tCOUNT,C,S,Base,x,3,3,3,3,3,3,3,3,3,3,3,3,3,1,U,,0,1"));
}

void TestImportCheck::parentWarnings()
{
    auto c = FirstPass({kCount, Trans("Group", "Add", "0", "0", "1", ""), Trans("Group", "Add", "0", "0", "2", "-1")});
    QCOMPARE(c->messages(), (QStringList{Warn(2, "Invalid Parent Transaction ID...No parent assumed"),
                                         Warn(3, "Invalid Parent Transaction ID...No parent assumed")}));
    QCOMPARE(c->messages()[0], QString("Warning......Line Number..2 Invalid Parent Transaction ID...No parent assumed"));
    QCOMPARE(c->runStatus(), Severity::Warning);
    QCOMPARE(c->lineStatus(2), Severity::Warning);
    QCOMPARE(int(c->transactions().size()), 2);
    QCOMPARE(c->transactions()[0].ownerTag, 0);
    QCOMPARE(c->transactions()[1].ownerTag, -1);
    // The owner -1 is then a parent that is not there.
    c->RunCrossChecks();
    QCOMPARE(c->messages().mid(2), QStringList{Err(3, "Parent Id Not found")});
}

void TestImportCheck::retCounts()
{
    auto c = FirstPass({kCount, R"("FILES","F","Internal Logical","Add",5,-3,1,"")",
                        R"("FILES","G","Internal Logical","Add",5,1000,2,"")"});
    QCOMPARE(c->messages(), QStringList{Err(3, "RET Count must not be greater than 999")});
    QCOMPARE(int(c->files().size()), 1);
    QCOMPARE(c->files()[0].rets, -3);
}

void TestImportCheck::linkFlags()
{
    auto c = FirstPass({kCount, R"("LINKS",1,2,"x",)", R"("LINKS",1,2," o",)"});
    QCOMPARE(c->messages(), QStringList{Err(2, "Invalid I/O Flagx")});
    QCOMPARE(int(c->links().size()), 1);
    QCOMPARE(c->links()[0].direction, QString("O"));
}

void TestImportCheck::statusTakenOverUpperCase()
{
    auto c = FirstPass({Count(" enhancement ", "0.987", "r")});
    QCOMPARE(c->messages(), QStringList());
    QCOMPARE(c->pendingCount()->status, QString("R"));
    QCOMPARE(c->pendingCount()->type, QString("E"));
    QCOMPARE(c->pendingCount()->oldVaf, 0.987);
}

void TestImportCheck::everyCheckOfARecordReported()
{
    auto c = FirstPass({kCount, R"("COUNT","","  ","Big",9,3,3,3,3,3,3,3,3,3,3,3,3,3,2,"Q","",0,1,)"});
    QCOMPARE(c->messages(), (QStringList{Err(2, "Duplicate count record found"),
                                         Err(2, "Count Description must be supplied"),
                                         Err(2, "Count System must be supplied"),
                                         Err(2, "Count Type must be \"Enhancement\" or \"Base Count\""),
                                         Err(2, "System Characteristic Value must be between 0 and 5"),
                                         Err(2, "Previous VAF must be between 0.65 and 1.35"),
                                         Err(2, "Count Status must be \"R\" or \"U\"")}));
}

void TestImportCheck::newPassStartsAfresh()
{
    TImportCheck c;
    c.RunFirstPass({kCount, QString(), kGroup});
    QCOMPARE(c.runStatus(), Severity::Error);
    c.RunFirstPass({kCount, kGroup});
    QCOMPARE(c.runStatus(), Severity::None);
    QCOMPARE(c.messages(), QStringList());
    QCOMPARE(c.lineStatus(2), Severity::None);
    QCOMPARE(c.display().size(), 2);
    QCOMPARE(int(c.transactions().size()), 1);
}

void TestImportCheck::crossChecks_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("no count record") << QStringList{kGroup, kInput, kFile, kLink}
                                     << QStringList{"Error........Line Number..0 No count record found"};
    QTest::newRow("base count with a change")
        << QStringList{kCount, Trans("Group", "Mod", "0", "0", "1", "0"),
                       R"("FILES","F","Internal Logical","Del",1,1,2,"")"}
        << QStringList{Err(2, "Change Type must be \"A\" for Base Counts"),
                       Err(3, "Change Type must be \"A\" for Base Counts")};
    QTest::newRow("enhancement allows changes")
        << QStringList{Count("Enhancement"), Trans("Group", "Mod", "0", "0", "1", "0")} << QStringList{};
    QTest::newRow("owner is an input")
        << QStringList{kCount, Trans("External Input", "Add", "1", "0", "1", "0"),
                       Trans("External Input", "Add", "1", "0", "2", "1")}
        << QStringList{Err(3, "Parent is not a group")};
    QTest::newRow("groups own each other")
        << QStringList{kCount, Trans("Group", "Add", "0", "0", "1", "2"), Trans("Group", "Add", "0", "0", "2", "1")}
        << QStringList{Err(2, "Cannot find top parent for this record"),
                       Err(3, "Cannot find top parent for this record")};
    QTest::newRow("owns itself") << QStringList{kCount, Trans("Group", "Add", "0", "0", "1", "1")}
                                 << QStringList{Err(2, "Cannot find top parent for this record")};
    QTest::newRow("input link to an output")
        << QStringList{kCount, Trans("External Output", "Add", "0", "1", "1", "0"), kFile, R"("LINKS",20,1,"I",)"}
        << QStringList{Err(4, "Linked Transaction must be Input or Inquiry")};
    QTest::newRow("output link to an input")
        << QStringList{kCount, Trans("External Input", "Add", "1", "0", "1", "0"), kFile, R"("LINKS",20,1,"O",)"}
        << QStringList{Err(4, "Linked Transaction must be Output or Inquiry")};
    QTest::newRow("links to a group")
        << QStringList{kCount, kGroup, kFile, R"("LINKS",20,10,"I",)", R"("LINKS",20,10,"O",)"}
        << QStringList{Err(4, "Linked Transaction must be Input or Inquiry"),
                       Err(5, "Linked Transaction must be Output or Inquiry")};
    QTest::newRow("inquiry takes both") << QStringList{kCount, Trans("External Inquiry", "Add", "1", "1", "1", "0"),
                                                       kFile, R"("LINKS",20,1,"I",)", R"("LINKS",20,1,"O",)"}
                                        << QStringList{};
    QTest::newRow("link to nothing") << QStringList{kCount, R"("LINKS",5,6,"I",)"}
                                     << QStringList{Err(2, "Transaction Id not found"), Err(2, "File Id not found")};
    QTest::newRow("duplicate transaction")
        << QStringList{kCount, kGroup, Trans("Group", "Add", "0", "0", "10", "0"), Trans("Group", "Add", "0", "0", "10", "0")}
        << QStringList{Err(3, "Duplicate Transaction Id"), Err(4, "Duplicate Transaction Id")};
    QTest::newRow("duplicate file") << QStringList{kCount, kFile, kFile} << QStringList{Err(3, "Duplicate Files Id")};
}

void TestImportCheck::crossChecks()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, messages);
    auto c = FirstPass(lines);
    QCOMPARE(c->runStatus(), Severity::None);
    c->RunCrossChecks();
    QCOMPARE(c->messages(), messages);
    QCOMPARE(c->runStatus(), messages.isEmpty() ? Severity::None : Severity::Error);
    // Line 0 belongs to no line.
    QCOMPARE(c->lineStatus(0), Severity::None);
}

void TestImportCheck::twentyLevels()
{
    // A top group, 18 groups below it and inputs on the 20th level, which
    // have 19 ancestors.
    QStringList lines = {kCount, Trans("Group", "Add", "0", "0", "1", "0")};
    for (int tag = 2; tag <= 19; ++tag)
        lines << Trans("Group", "Add", "0", "0", QString::number(tag), QString::number(tag - 1));
    lines << Trans("External Input", "Add", "1", "0", "100", "19");
    lines << Trans("External Input", "Add", "1", "0", "101", "19");
    auto c = Validate(lines);
    QCOMPARE(c->messages(), QStringList());
    // One level further down is too deep.
    lines << Trans("Group", "Add", "0", "0", "20", "19") << Trans("External Input", "Add", "1", "0", "102", "20");
    c = Validate(lines);
    QCOMPARE(c->messages(), QStringList{Err(lines.size(), "Cannot find top parent for this record")});
}

void TestImportCheck::crossCheckOrder()
{
    // Transactions first, then links, then duplicate transactions, then files.
    auto c = Validate({kFile, R"("FILES","F","Internal Logical","Mod",1,1,20,"")", R"("LINKS",99,1,"I",)",
                       Trans("Group", "Add", "0", "0", "1", "0"), Trans("Group", "Mod", "0", "0", "1", "7"), kCount});
    QCOMPARE(c->messages(), (QStringList{Err(5, "Change Type must be \"A\" for Base Counts"),
                                         Err(5, "Parent Id Not found"),
                                         Err(3, "Linked Transaction must be Input or Inquiry"),
                                         Err(3, "File Id not found"),
                                         Err(5, "Duplicate Transaction Id"),
                                         Err(2, "Change Type must be \"A\" for Base Counts"),
                                         Err(2, "Duplicate Files Id")}));
}

void TestImportCheck::displayForms()
{
    QCOMPARE(TImportCheck::RecordDisplayText({"LINKS", "1", "2", "I", "extra"}, 4, 123456),
             QString("Line:123456\tLINKS\t1\t2\tI"));
    QCOMPARE(TImportCheck::RecordDisplayText({"LINKS", "1", "2", "I"}, 4, 7), QString("Line:00007\tLINKS\t1\t2\tI"));
    QCOMPARE(TImportCheck::ShortDisplayText({"LINKS", "1"}, 7), QString("Line:7\tLINKS\n1\n"));
    QCOMPARE(TImportCheck::CommaDisplayText({}, 3), QString("Line:3\t"));
    QCOMPARE(TImportCheck::CommaDisplayText({""}, 3), QString("Line:3\t\"\""));
    QCOMPARE(TImportCheck::CommaDisplayText({"a", "", "b c", "say \"x\"", "1,2", QString("t\tab")}, 3),
             QString("Line:3\ta,,\"b c\",\"say \"\"x\"\"\",\"1,2\",\"t\tab\""));
}

void TestImportCheck::manyLines()
{
    // Far beyond the old limits of lines and of records of one kind.
    QStringList lines = {kCount};
    for (int tag = 1; tag <= 35000; ++tag)
        lines << QStringLiteral("\"FILES\",\"F\",\"Internal Logical\",\"Add\",1,1,%1,\"\"").arg(tag);
    lines << QString();
    auto c = Validate(lines);
    QCOMPARE(int(c->files().size()), 35000);
    QCOMPARE(c->messages(), QStringList{Err(35002, "Unable to Parse Line")});
    QCOMPARE(c->lineStatus(35002), Severity::Error);
    QCOMPARE(c->display().size(), 35002);
}

QTEST_GUILESS_MAIN(TestImportCheck)
#include "test_importcheck.moc"
