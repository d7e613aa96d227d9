#include "store/countcheck.h"

#include "counting/codes.h"
#include "counting/rules.h"
#include "store/database.h"

#include <QHash>
#include <QSqlQuery>

#include <cmath>

namespace qm {

namespace {

struct CountRow
{
    Characteristics vaf{};
    double oldVaf = 0.0;
    qint64 storedTotal = 0;
    ChangeSums sums;
};

class Checker
{
public:
    explicit Checker(Database &db) : m_db(db) {}

    CheckResult run()
    {
        integrity();
        if (!m_result.integrityOk)
            return m_result; // the tables cannot be trusted to answer
        readCounts();
        orphanRows();
        duplicateTags();
        owners();
        links();
        transactions();
        files();
        totals();
        return m_result;
    }

private:
    void add(int countId, const QString &text) { m_result.problems.append({countId, text}); }

    void integrity()
    {
        QSqlQuery q = m_db.exec(QStringLiteral("PRAGMA integrity_check"));
        QStringList lines;
        while (q.next())
            lines << q.value(0).toString();
        m_result.integrityOk = lines == QStringList{QStringLiteral("ok")};
        if (!m_result.integrityOk)
            for (const QString &line : lines)
                add(0, QStringLiteral("Integrity check: ") + line);
    }

    void readCounts()
    {
        QStringList columns;
        for (int i = 1; i <= CharacteristicCount; ++i)
            columns << QStringLiteral("VAF_%1").arg(i);
        QSqlQuery q = m_db.exec(QStringLiteral("SELECT Id, Old_VAF, FP_Val, Copy_Count_Id, %1 FROM CCounts ORDER BY Id")
                                    .arg(columns.join(QStringLiteral(", "))));
        QList<std::pair<int, int>> parents;
        while (q.next()) {
            CountRow row;
            row.oldVaf = q.value(1).toDouble();
            row.storedTotal = q.value(2).toLongLong();
            for (int i = 0; i < CharacteristicCount; ++i)
                row.vaf[size_t(i)] = q.value(4 + i).toInt();
            const int id = q.value(0).toInt();
            m_counts.insert(id, row);
            m_order.append(id);
            parents.append({id, q.value(3).toInt()});
        }
        m_result.countsChecked = int(m_order.size());
        for (const auto &[id, parent] : parents)
            if (parent != 0 && !m_counts.contains(parent))
                add(id, QStringLiteral("derived from count %1, which does not exist").arg(ExtIdText(parent)));
    }

    void orphanRows()
    {
        for (const QString &table : {QStringLiteral("CTrans"), QStringLiteral("CFiles"), QStringLiteral("CFilesLink")}) {
            QSqlQuery q = m_db.exec(QStringLiteral("SELECT Count_Id, COUNT(*) FROM %1 WHERE Count_Id NOT IN "
                                                   "(SELECT Id FROM CCounts) GROUP BY Count_Id")
                                        .arg(table));
            while (q.next())
                add(0, QStringLiteral("%1 rows of %2 belong to count %3, which does not exist")
                           .arg(q.value(1).toLongLong())
                           .arg(table, ExtIdText(q.value(0).toLongLong())));
        }
    }

    void duplicateTags()
    {
        for (const auto &[table, what] : {std::pair{QStringLiteral("CTrans"), QStringLiteral("transaction")},
                                          std::pair{QStringLiteral("CFiles"), QStringLiteral("file")}}) {
            QSqlQuery q = m_db.exec(QStringLiteral("SELECT Count_Id, Tag, COUNT(*) FROM %1 GROUP BY Count_Id, Tag "
                                                   "HAVING COUNT(*) > 1")
                                        .arg(table));
            while (q.next())
                add(q.value(0).toInt(), QStringLiteral("%1 tag %2 is used %3 times")
                                            .arg(what)
                                            .arg(q.value(1).toLongLong())
                                            .arg(q.value(2).toLongLong()));
        }
    }

    void owners()
    {
        QSqlQuery q = m_db.exec(QStringLiteral(
            "SELECT t.Count_Id, t.Tag, t.Owner_Tag, o.Type FROM CTrans t LEFT JOIN CTrans o "
            "ON o.Count_Id = t.Count_Id AND o.Tag = t.Owner_Tag "
            "WHERE COALESCE(t.Owner_Tag, 0) <> 0 AND (o.Tag IS NULL OR o.Type <> 'G') ORDER BY t.Count_Id, t.Tag"));
        while (q.next()) {
            const QString owner = TransTagText(q.value(2).toLongLong());
            add(q.value(0).toInt(), q.value(3).isNull()
                                        ? QStringLiteral("transaction %1 belongs to %2, which does not exist")
                                              .arg(TransTagText(q.value(1).toLongLong()), owner)
                                        : QStringLiteral("transaction %1 belongs to %2, which is not a group")
                                              .arg(TransTagText(q.value(1).toLongLong()), owner));
        }
    }

    void links()
    {
        QSqlQuery q = m_db.exec(QStringLiteral(
            "SELECT l.Count_Id, l.Trans_Tag, l.File_Tag, l.Input_Output_Flag, f.Tag IS NULL, t.Tag IS NULL, t.Type "
            "FROM CFilesLink l "
            "LEFT JOIN CFiles f ON f.Count_Id = l.Count_Id AND f.Tag = l.File_Tag "
            "LEFT JOIN CTrans t ON t.Count_Id = l.Count_Id AND t.Tag = l.Trans_Tag "
            "WHERE l.Count_Id IN (SELECT Id FROM CCounts) ORDER BY l.Count_Id, l.rowid"));
        while (q.next()) {
            const int id = q.value(0).toInt();
            const QString link = QStringLiteral("link of %1 to %2")
                                     .arg(TransTagText(q.value(1).toLongLong()), FileTagText(q.value(2).toLongLong()));
            const QString flag = q.value(3).toString();
            const QString type = q.value(6).toString().trimmed();
            if (q.value(4).toBool())
                add(id, link + QStringLiteral(": the file does not exist"));
            if (q.value(5).toBool())
                add(id, link + QStringLiteral(": the transaction does not exist"));
            else if (flag != code::LinkInput && flag != code::LinkOutput)
                add(id, link + QStringLiteral(": unknown direction \"%1\"").arg(flag));
            else if (type == code::TransGroup || (type == code::TransInput && flag == code::LinkOutput)
                     || (type == code::TransOutput && flag == code::LinkInput))
                add(id, link + QStringLiteral(": a %1 side does not fit a transaction of type \"%2\"")
                                   .arg(flag == code::LinkInput ? QStringLiteral("input") : QStringLiteral("output"),
                                        type));
        }
    }

    void transactions()
    {
        QSqlQuery q = m_db.exec(QStringLiteral(
            "SELECT t.Count_Id, t.Tag, t.Type, t.Change_Type, t.Complexity, t.FP_Val, t.Input_Det_Count, "
            "t.Input_File_Count, t.Output_Det_Count, t.Output_File_Count, "
            "(SELECT COUNT(*) FROM CFilesLink l WHERE l.Count_Id = t.Count_Id AND l.Trans_Tag = t.Tag "
            "AND l.Input_Output_Flag = 'I'), "
            "(SELECT COUNT(*) FROM CFilesLink l WHERE l.Count_Id = t.Count_Id AND l.Trans_Tag = t.Tag "
            "AND l.Input_Output_Flag = 'O') "
            "FROM CTrans t ORDER BY t.Count_Id, t.Tag"));
        while (q.next()) {
            const int id = q.value(0).toInt();
            const QString tag = TransTagText(q.value(1).toLongLong());
            const QString type = q.value(2).toString().trimmed();
            const int inFiles = q.value(7).toInt();
            const int outFiles = q.value(9).toInt();
            if (inFiles != q.value(10).toInt() || outFiles != q.value(11).toInt())
                add(id, QStringLiteral("transaction %1 counts %2 input and %3 output FTRs but has %4 and %5 links")
                            .arg(tag)
                            .arg(inFiles)
                            .arg(outFiles)
                            .arg(q.value(10).toInt())
                            .arg(q.value(11).toInt()));
            const int complexity = TransComplexity(InputCell(inFiles, q.value(6).toInt()),
                                                   OutputCell(outFiles, q.value(8).toInt()), type);
            checkFigures(id, QStringLiteral("transaction ") + tag, complexity, TransWeight(complexity, type),
                         q.value(4).toString(), q.value(5).toDouble());
            if (auto it = m_counts.find(id); it != m_counts.end())
                it->sums.add(q.value(3).toString(), type == code::TransGroup, q.value(5).toDouble());
        }
    }

    void files()
    {
        QSqlQuery q = m_db.exec(QStringLiteral("SELECT Count_Id, Tag, Type, Change_Type, Complexity, FP_Val, "
                                               "RET_Count, DET_Count FROM CFiles ORDER BY Count_Id, Tag"));
        while (q.next()) {
            const int id = q.value(0).toInt();
            const int complexity = CellComplexity(FileCell(q.value(6).toInt(), q.value(7).toInt()));
            checkFigures(id, QStringLiteral("file ") + FileTagText(q.value(1).toLongLong()), complexity,
                         FileWeight(complexity, q.value(2).toString().trimmed()), q.value(4).toString(),
                         q.value(5).toDouble());
            if (auto it = m_counts.find(id); it != m_counts.end())
                it->sums.add(q.value(3).toString(), false, q.value(5).toDouble());
        }
    }

    void checkFigures(int id, const QString &item, int complexity, int weight, const QString &storedComplexity,
                      double storedValue)
    {
        if (storedComplexity != ComplexityCode(complexity))
            add(id, QStringLiteral("%1 is stored with complexity \"%2\"; its counts give \"%3\"")
                        .arg(item, storedComplexity, ComplexityCode(complexity)));
        if (!std::isfinite(storedValue) || storedValue != double(weight))
            add(id, QStringLiteral("%1 is stored with %2 function points; its complexity gives %3")
                        .arg(item, QString::number(storedValue))
                        .arg(weight));
    }

    void totals()
    {
        for (int id : m_order) {
            const CountRow &row = m_counts[id];
            const qint64 total = CountTotals(row.sums, ValueAdjustmentFactor(row.vaf), row.oldVaf).totalAdjusted;
            if (total != row.storedTotal)
                add(id, QStringLiteral("the catalogue shows %1 adjusted function points; the items give %2")
                            .arg(row.storedTotal)
                            .arg(total));
        }
    }

    Database &m_db;
    CheckResult m_result;
    QHash<int, CountRow> m_counts;
    QList<int> m_order;
};

} // namespace

CheckResult CheckDatabase(Database &db)
{
    return Checker(db).run();
}

} // namespace qm
