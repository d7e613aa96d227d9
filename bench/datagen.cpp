#include "datagen.h"

#include "counting/rules.h"
#include "store/database.h"

#include <QSet>
#include <QSqlQuery>
#include <QStringList>
#include <vector>

namespace qm::bench {

namespace {

const QStringList kVerbs = {"Maintain", "Enquire on", "Report", "Update", "Archive",
                            "Validate", "Import", "Export", "List", "Approve"};
const QStringList kNouns = {"customer", "order", "invoice", "supplier", "product", "payment",
                            "employee", "contract", "shipment", "account", "ledger", "budget"};
const QStringList kChanges = {"A", "M", "D", "N"};

struct TransRow
{
    int tag = 0;
    int owner = 0;
    QString type;
    QString change;
    int inputDets = 0;
    int inputFiles = 0;
    int outputDets = 0;
    int outputFiles = 0;
};

struct FileRow
{
    int tag = 0;
    QString type;
    QString change;
    int rets = 0;
    int dets = 0;
};

struct LinkRow
{
    int file = 0;
    int trans = 0;
    QString flag;
};

const QString &pick(QRandomGenerator &rng, const QStringList &list)
{
    return list.at(static_cast<int>(rng.bounded(static_cast<quint32>(list.size()))));
}

int between(QRandomGenerator &rng, int low, int high)
{
    return low + static_cast<int>(rng.bounded(static_cast<quint32>(high - low + 1)));
}

QString itemName(QRandomGenerator &rng, int tag)
{
    return QStringLiteral("%1 %2 %3").arg(pick(rng, kVerbs), pick(rng, kNouns)).arg(tag);
}

void run(QSqlQuery &q, const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    Database::execPrepared(q);
}

// Groups hang under earlier groups up to the given depth, so the tree has
// several levels and several roots.
std::vector<TransRow> makeGroups(const CountShape &shape, int firstTag, QRandomGenerator &rng)
{
    std::vector<TransRow> groups;
    std::vector<int> depth;
    for (int g = 0; g < shape.groups; ++g) {
        TransRow row{firstTag + g, 0, QStringLiteral("G"), QStringLiteral("A")};
        int level = 0;
        if (g > 0 && rng.bounded(5u) != 0) {
            const int parent = static_cast<int>(rng.bounded(static_cast<quint32>(g)));
            if (depth[parent] + 1 < shape.groupDepth) {
                row.owner = groups[parent].tag;
                level = depth[parent] + 1;
            }
        }
        groups.push_back(row);
        depth.push_back(level);
    }
    return groups;
}

std::vector<LinkRow> makeLinks(const CountShape &shape, std::vector<TransRow> &trans, int firstTrans,
                               const std::vector<FileRow> &files, QRandomGenerator &rng)
{
    std::vector<LinkRow> links;
    if (files.empty() || static_cast<int>(trans.size()) <= firstTrans)
        return links;
    QSet<QString> used;
    const int candidates = static_cast<int>(trans.size()) - firstTrans;
    for (int attempt = 0; attempt < shape.links * 4 && static_cast<int>(links.size()) < shape.links; ++attempt) {
        TransRow &t = trans[firstTrans + between(rng, 0, candidates - 1)];
        const FileRow &f = files[between(rng, 0, static_cast<int>(files.size()) - 1)];
        const QString flag = t.type == "I" ? QStringLiteral("I")
                             : t.type == "O" ? QStringLiteral("O")
                                             : (rng.bounded(2u) ? QStringLiteral("I") : QStringLiteral("O"));
        const QString key = QStringLiteral("%1/%2/%3").arg(t.tag).arg(f.tag).arg(flag);
        if (used.contains(key))
            continue;
        used.insert(key);
        links.push_back({f.tag, t.tag, flag});
        (flag == "I" ? t.inputFiles : t.outputFiles) += 1;
    }
    return links;
}

// The row's total is filled in once the items are written.
Characteristics insertCountRow(Database &db, int id, const CountShape &shape, int copyOf, QRandomGenerator &rng)
{
    QVariantList v = {id, QStringLiteral("SYS%1").arg(id % 12), QStringLiteral("Generated count %1").arg(id),
                      "12:00:00", "2024-01-02", "11:00:00", "2024-01-01", " ", shape.type, 1.0, copyOf};
    Characteristics vaf{};
    for (int i = 0; i < CharacteristicCount; ++i) {
        vaf[size_t(i)] = between(rng, 0, 5);
        v << vaf[size_t(i)];
    }
    v << 0.0 << 0.0 << "U" << QStringLiteral("Notes of count %1").arg(id) << 1.0 << 0 << id;
    db.exec(QStringLiteral("INSERT INTO CCounts VALUES (%1)").arg(QStringList(v.size(), "?").join(',')), v);
    return vaf;
}

} // namespace

int GenerateCount(Database &db, int id, const CountShape &shape, int firstTag, QRandomGenerator &rng, int copyOf)
{
    const bool enhancement = shape.type == "E";
    const auto change = [&] { return enhancement ? pick(rng, kChanges) : QStringLiteral("A"); };

    std::vector<TransRow> trans = makeGroups(shape, firstTag, rng);
    const int firstItem = static_cast<int>(trans.size());
    for (int i = 0; i < shape.transactions; ++i) {
        TransRow row{firstTag + firstItem + i, 0, pick(rng, {"I", "O", "Q"}), change()};
        if (firstItem > 0)
            row.owner = trans[between(rng, 0, firstItem - 1)].tag;
        row.inputDets = row.type == "O" ? 0 : between(rng, 1, 25);
        row.outputDets = row.type == "I" ? 0 : between(rng, 1, 30);
        trans.push_back(row);
    }
    std::vector<FileRow> files;
    for (int i = 0; i < shape.files; ++i)
        files.push_back({firstTag + i, pick(rng, {"I", "E"}), change(), between(rng, 1, 8), between(rng, 1, 60)});
    const std::vector<LinkRow> links = makeLinks(shape, trans, firstItem, files, rng);

    const Characteristics vaf = insertCountRow(db, id, shape, copyOf, rng);
    ChangeSums sums;
    QSqlQuery tq = db.prepare(QStringLiteral("INSERT INTO CTrans VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const TransRow &t : trans) {
        const int complexity = TransComplexity(InputCell(t.inputFiles, t.inputDets),
                                               OutputCell(t.outputFiles, t.outputDets), t.type);
        sums.add(t.change, t.type == "G", TransWeight(complexity, t.type));
        run(tq, {id, t.tag, itemName(rng, t.tag), double(TransWeight(complexity, t.type)),
                 ComplexityCode(complexity), t.type, t.change, t.owner, t.inputDets, t.inputFiles, t.outputDets,
                 t.outputFiles, QStringLiteral("Memo of transaction %1").arg(t.tag)});
    }
    QSqlQuery fq = db.prepare(QStringLiteral("INSERT INTO CFiles VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const FileRow &f : files) {
        const int complexity = CellComplexity(FileCell(f.rets, f.dets));
        sums.add(f.change, false, FileWeight(complexity, f.type));
        run(fq, {id, f.tag, itemName(rng, f.tag), double(FileWeight(complexity, f.type)), ComplexityCode(complexity),
                 f.rets, f.dets, f.type, f.change, QStringLiteral("Memo of file %1").arg(f.tag)});
    }
    QSqlQuery lq = db.prepare(QStringLiteral("INSERT INTO CFilesLink VALUES (?, ?, ?, ?, ' ')"));
    for (const LinkRow &l : links)
        run(lq, {id, l.file, l.trans, l.flag});
    // The catalogue's figure, as a save would store it (the count was made at 1.00).
    db.exec(QStringLiteral("UPDATE CCounts SET FP_Val = ? WHERE Id = ?"),
            {CountTotals(sums, ValueAdjustmentFactor(vaf), 1.0).totalAdjusted, id});
    return firstTag + std::max(static_cast<int>(trans.size()), shape.files);
}

int FillDatabase(Database &db, const DatabaseShape &shape, quint32 seed)
{
    QRandomGenerator rng(seed);
    Transaction tx(db);
    int tag = 1;
    int id = 1;
    for (; id <= shape.otherCounts; ++id) {
        CountShape other = shape.other;
        int copyOf = 0;
        // About a third are enhancements derived from an earlier count.
        if (id > 1 && rng.bounded(3u) == 0) {
            other.type = QStringLiteral("E");
            copyOf = between(rng, 1, id - 1);
        }
        tag = GenerateCount(db, id, other, tag, rng, copyOf);
    }
    const int large = id;
    GenerateCount(db, large, shape.large, tag, rng, 0);
    // A few counts derived from the large one, so saving it re-points them.
    db.exec(QStringLiteral("UPDATE CCounts SET Copy_Count_Id = ? WHERE Id IN (2, 3, 5) AND Id < ?"), {large, large});
    tx.commit();
    return large;
}

} // namespace qm::bench
