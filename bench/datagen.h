#pragma once

#include <QRandomGenerator>
#include <QString>

namespace qm {
class Database;
}

namespace qm::bench {

// The size and kind of one generated count.
struct CountShape
{
    int transactions = 380; // inputs, outputs and inquiries
    int groups = 20;        // transaction groups, nested up to groupDepth levels
    int groupDepth = 3;
    int files = 100;
    int links = 760;
    QString type = QStringLiteral("B");

    int items() const { return transactions + groups + files; }
    // Every number of items times the factor; the nesting stays as it is.
    CountShape scaled(int factor) const
    {
        return {transactions * factor, groups * factor, groupDepth, files * factor, links * factor, type};
    }
};

// A whole database: many ordinary counts and one large one.
struct DatabaseShape
{
    int otherCounts = 200;
    CountShape other;         // 500 items each
    CountShape large{10000, 500, 4, 2000, 20000, QStringLiteral("B")};

    // The large count at the given multiple of its benchmark size, among
    // the same other counts.
    static DatabaseShape withLarge(int factor)
    {
        DatabaseShape shape;
        shape.large = shape.large.scaled(factor);
        return shape;
    }
};

// Writes one saved count with its transactions, files and links straight
// into the saved tables. Tags start at firstTag; returns the next free tag.
// Complexities and values follow the counting rules, so the count looks as
// the editor would have left it.
int GenerateCount(Database &db, int id, const CountShape &shape, int firstTag, QRandomGenerator &rng,
                  int copyOf = 0);

// Fills an empty database; returns the Id of the large count.
int FillDatabase(Database &db, const DatabaseShape &shape, quint32 seed = 20240506);

} // namespace qm::bench
